// The main window's way to the other windows, the page table of the options
// window, and the recording implementation for tests.

#include "player/other_windows.hpp"

#include "runtime/convert.hpp"
#include "runtime/error.hpp"

namespace player {

TagEditorWindows::~TagEditorWindows() = default;
OptionsWindows::~OptionsWindows() = default;

namespace {

// Until the program wires the real windows: nothing opens, Fade reads 0.
class NoWindows : public TagEditorWindows, public OptionsWindows {
public:
    void setTagEditorPath(const std::string&) override {}
    void showTagEditor() override {}
    void startTagEditorTimer() override {}
    void setTagEditorWindowState(int) override {}
    void unloadTagEditor() override {}
    void showRename() override {}
    void unloadRename() override {}
    int optionsFade() override { return 0; }
    void setOptionsPanelVisible(int, bool) override {}
    void setOptionsLabelBold(int, bool) override {}
    void showOptions() override {}
    void unloadOptions() override {}
    void showContact() override {}
};

NoWindows noWindows;
TagEditorWindows* tagWindows = &noWindows;
OptionsWindows* optionWindows = &noWindows;

}  // namespace

TagEditorWindows& TagWindows() { return *tagWindows; }
OptionsWindows& OptionWindows() { return *optionWindows; }
void SetTagEditorWindows(TagEditorWindows* w) { tagWindows = w ? w : &noWindows; }
void SetOptionsWindows(OptionsWindows* w) { optionWindows = w ? w : &noWindows; }

void ShowOptionsPage(OptionsWindows& w, OptionsPage page) {
    // The page panels lie at one place, so a page is shown with every other
    // panel hidden; its side-bar label goes bold before the show. Each request
    // may fail alone (a window without that control) and the next still runs.
    runtime::Steps step;
    auto only = [&](int shown) {
        step([&] { w.setOptionsPanelVisible(shown, true); });
        for (int p : {1, 2, 3, 4, 5, 7})
            if (p != shown) step([&] { w.setOptionsPanelVisible(p, false); });
    };
    switch (page) {
        case OptionsPage::Settings:
            break;
        case OptionsPage::MakeDefault:
            only(2);
            break;
        case OptionsPage::About:
            only(4);
            step([&] { w.setOptionsLabelBold(10, true); });
            break;
        case OptionsPage::Help:
            only(5);
            step([&] { w.setOptionsLabelBold(7, true); });
            break;
    }
    step([&] { w.showOptions(); });
    if (page == OptionsPage::Help) step([&] { w.setOptionsLabelBold(6, false); });
}

// ---- recording ----

void RecordingWindows::setTagEditorPath(const std::string& path) { calls.push_back("Form1.txtpath=" + path); }
void RecordingWindows::showTagEditor() { calls.push_back("Form1.Show"); }
void RecordingWindows::startTagEditorTimer() { calls.push_back("Form1.Timer1.Enabled=True"); }
void RecordingWindows::setTagEditorWindowState(int state) {
    calls.push_back("Form1.WindowState=" + std::to_string(state));
}
void RecordingWindows::unloadTagEditor() { calls.push_back("Unload Form1"); }
void RecordingWindows::showRename() { calls.push_back("Form5.Show"); }
void RecordingWindows::unloadRename() { calls.push_back("Unload Form5"); }
int RecordingWindows::optionsFade() {
    calls.push_back("frmTestControls.Fade");
    return fade;
}
void RecordingWindows::setOptionsPanelVisible(int panel, bool visible) {
    calls.push_back("frmTestControls.Picture" + std::to_string(panel) + ".Visible=" + runtime::CStr(visible));
}
void RecordingWindows::setOptionsLabelBold(int label, bool bold) {
    calls.push_back("frmTestControls.Label" + std::to_string(label) + ".FontBold=" + runtime::CStr(bold));
}
void RecordingWindows::showOptions() { calls.push_back("frmTestControls.Show"); }
void RecordingWindows::unloadOptions() { calls.push_back("Unload frmTestControls"); }
void RecordingWindows::showContact() {
    calls.push_back("Contact.Show");
    contactOpen = true;
}

}  // namespace player
