#pragma once
// What the main window asks of the program's other windows: the tag editor
// and the rename window (TagEditorWindows), the options window and the
// contact window (OptionsWindows). Their libraries implement these and the
// program wires them at start; until then every request does nothing (the
// options window's Fade reads 0).

#include <string>
#include <vector>

namespace player {

// The options window's pages, as the main window's menu opens them.
enum class OptionsPage { Settings, MakeDefault, About, Help };

class TagEditorWindows {
public:
    virtual ~TagEditorWindows();

    // ---- tag editor ----
    // Sets the path the editor works on (loading the editor first, not shown).
    virtual void setTagEditorPath(const std::string& path) = 0;
    virtual void showTagEditor() = 0;
    // Switches on the editor's one-shot loader timer.
    virtual void startTagEditorTimer() = 0;
    // 0 normal, 1 minimised, 2 maximised; others are error 380.
    virtual void setTagEditorWindowState(int state) = 0;
    virtual void unloadTagEditor() = 0;

    // ---- rename window (takes the playlist's current path when it loads) ----
    virtual void showRename() = 0;
    virtual void unloadRename() = 0;
};

class OptionsWindows {
public:
    virtual ~OptionsWindows();

    // ---- options window ----
    // The "Start Fade" box, 0 or 1 (loading the window first, not shown).
    virtual int optionsFade() = 0;
    // Panels 1 to 7 (main player, file types, contact links, about, help, -, opacity).
    virtual void setOptionsPanelVisible(int panel, bool visible) = 0;
    // The side-bar labels 6 ("Main Player"), 7 ("Help") and 10 (about).
    virtual void setOptionsLabelBold(int label, bool bold) = 0;
    virtual void showOptions() = 0;
    virtual void unloadOptions() = 0;

    // ---- contact window (closed only by its own button) ----
    virtual void showContact() = 0;
};

// Chooses the page (panels and side-bar labels) and shows the options window.
void ShowOptionsPage(OptionsWindows& w, OptionsPage page);

// The implementations in use; do-nothing ones until the program sets others
// (nullptr restores them).
TagEditorWindows& TagWindows();
OptionsWindows& OptionWindows();
void SetTagEditorWindows(TagEditorWindows* w);
void SetOptionsWindows(OptionsWindows* w);

// Records every request in order, for tests of the main window:
// "Form1.txtpath=/m/a.mp3", "Form1.Show", "Form1.Timer1.Enabled=True",
// "Form1.WindowState=1", "Unload Form1", "Form5.Show", "Unload Form5",
// "frmTestControls.Fade", "frmTestControls.Picture2.Visible=True",
// "frmTestControls.Label7.FontBold=True", "frmTestControls.Show",
// "Unload frmTestControls", "Contact.Show".
class RecordingWindows : public TagEditorWindows, public OptionsWindows {
public:
    void setTagEditorPath(const std::string& path) override;
    void showTagEditor() override;
    void startTagEditorTimer() override;
    void setTagEditorWindowState(int state) override;
    void unloadTagEditor() override;
    void showRename() override;
    void unloadRename() override;
    int optionsFade() override;
    void setOptionsPanelVisible(int panel, bool visible) override;
    void setOptionsLabelBold(int label, bool bold) override;
    void showOptions() override;
    void unloadOptions() override;
    void showContact() override;

    std::vector<std::string> calls;
    int fade = 0;              // what optionsFade answers
    bool contactOpen = false;  // a shown contact window stays open
};

}  // namespace player
