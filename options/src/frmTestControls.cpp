#include "options/frmTestControls.hpp"

#include <algorithm>
#include <filesystem>

#include "forms/dialogs.hpp"
#include "options/Associate.hpp"
#include "options/Contact.hpp"
#include "player/Form2.hpp"
#include "player/addresses.hpp"
#include "player/os_helpers.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/settings.hpp"
#include "system/shell.hpp"
#include "system/url_download.hpp"

#ifndef DOVETUNE_VERSION
#define DOVETUNE_VERSION "0.1"
#endif

namespace options {

namespace {

constexpr const char* kSection = " setting";

// A picture of the window from the program folder's "options" folder (none
// when it is missing, so the window still opens).
forms::Picture optionsPicture(const std::string& name) {
    try {
        return forms::LoadPicture(runtime::App::Path() + "/options/" + name);
    } catch (const runtime::Error&) {
        return {};
    }
}

forms::Font tahoma(float size, bool bold = false, bool underline = false) {
    forms::Font f;
    f.name = "Tahoma";
    f.size = size;
    f.bold = bold;
    f.underline = underline;
    return f;
}

// A label drawn straight on its page or on the background.
void place(forms::Label& l, float left, float top, float width, float height, std::string caption,
           const forms::Font& font = tahoma(8.25f)) {
    l.setRectTwips(left, top, width, height);
    l.setCaption(std::move(caption));
    l.setBackStyle(0);
    l.setFont(font);
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) out += "\r\n";
        out += lines[i];
    }
    return out;
}

struct HelpRow {
    const char* key;
    const char* action;
};
constexpr HelpRow kHelp[] = {
    {"F1:", "Help:"},
    {"F2:", "About:"},
    {"F3:", "Search:"},
    {"F4:", "Tag Info:"},
    {"F5:", "Add Folder:"},
    {"F6:", "Open:"},
    {"F7:", "Show Info:"},
    {"F8:", "Exit:"},
    {"Ctrl+N:", "Next:"},
    {"Ctrl+P:", "Previous:"},
    {"Ctrl+R:", "Rename:"},
    {"Ctrl+C:", "Copy Track:"},
    {"Shift+Ctrl+F1:", "Open Cd Gate:"},
    {"Shift+Ctrl+F2:", "Close Cd Gate:"},
    {"Keypad +:", "Increase Volume:"},
    {"Keypad-:", "Decrease Volume:"},
    {"Keypad 6:", "Seek Forward 10 Seconds:"},
    {"Keypad 4:", "Seek Back 10 Seconds:"},
    {"Keypad 2:", "Next:"},
    {"Keypad 8:", "Previous:"},
    {"Enter:", "Play:"},
    {"M:", "Mute:"},
    {"Space:", "Pause:"},
};

// The mail link's target: the mailbox with the support subject.
std::string mailLink(std::string_view mailbox) {
    return "mailto:" + std::string(mailbox) + "?subject=" + sys::PercentEncode(player::addresses::MailSubject);
}

}  // namespace

frmTestControls::frmTestControls()
    : forms::Form("frmTestControls"),
      Image1(*this, "Image1"),
      Label6(*this, "Label6"), Label3(*this, "Label3"), Label4(*this, "Label4"), Label5(*this, "Label5"),
      Label7(*this, "Label7"), Label10(*this, "Label10"), Label11(*this, "Label11"),
      Picture1(*this, "Picture1"), Picture2(*this, "Picture2"), Picture3(*this, "Picture3"),
      Picture4(*this, "Picture4"), Picture5(*this, "Picture5"), Picture7(*this, "Picture7"),
      Label13(Picture1, "Label13"), Fade(Picture1, "Fade"), Label12(Picture1, "Label12"),
      smooth(Picture1, "smooth"), Label30(Picture1, "Label30"),
      Label15(Picture2, "Label15"), Mp3(Picture2, "Mp3"), Label14(Picture2, "Label14"), Wma(Picture2, "Wma"),
      Label16(Picture2, "Label16"), Wav(Picture2, "Wav"), Label17(Picture2, "Label17"), Mid(Picture2, "Mid"),
      Label18(Picture2, "Label18"), RM(Picture2, "RM"), Label19(Picture2, "Label19"), M3u(Picture2, "M3u"),
      Label25(Picture2, "Label25"),
      Label24(Picture3, "Label24"), Label22(Picture3, "Label22"), Label21(Picture3, "Label21"),
      Label20(Picture3, "Label20"), Label23(Picture3, "Label23"),
      Label26(Picture4, "Label26"), Label27(Picture4, "Label27"), Label28(Picture4, "Label28"),
      Label32(Picture5, "Label32"), Label31(Picture5, "Label31"), Label33(Picture5, "Label33"),
      Label38(Picture7, "Label38"), Label34(Picture7, "Label34"), Opacitytext(Picture7, "Opacitytext"),
      Command5(Picture7, "Command5"),
      Command2(*this, "Command2"), p1(*this, "p1"), Command3(*this, "Command3"), Timer1(*this, "Timer1") {
    setCaption("Player Options");
    setBorderStyle(forms::BorderStyle::FixedToolWindow);
    setMinButton(false);
    setMaxButton(false);
    setClientSize(10035, 5985);
    setKeyPreview(true);
    setIcon(optionsPicture("icon.png"));

    Image1.setRectTwips(0, 0, 10035, 5985);
    Image1.MouseMove = [this](int b, int s, float x, float y) { Image1_MouseMove(b, s, x, y); };

    // ---- side bar ----
    // The pointing hand's fingertip is its hot spot.
    const forms::Picture pointer = optionsPicture("pointer.png").withHotSpot(12, 1);
    const std::tuple<forms::Label*, const char*, float, void (frmTestControls::*)()> entries[] = {
        {&Label6, "Main Player", 990, &frmTestControls::Label6_Click},
        {&Label3, "Opacity", 1320, &frmTestControls::Label3_Click},
        {&Label4, "Associated Files", 1680, &frmTestControls::Label4_Click},
        {&Label5, "Restore Default", 2160, &frmTestControls::Label5_Click},
        {&Label7, "Help", 3170, &frmTestControls::Label7_Click},
        {&Label10, "About Korvane M..", 4220, &frmTestControls::Label10_Click},
        {&Label11, "Contact Support", 4560, &frmTestControls::Label11_Click},
    };
    // Wider than the entries' 1500 twips, so that the bold mark of the
    // longest entry is not cut off; the frame's light inside holds it.
    for (auto& [label, caption, top, handler] : entries) {
        place(*label, 840, top, 1740, 285, caption, tahoma(9.75f));
        label->setMouseIcon(pointer);
        label->setMousePointer(99);
        label->setToolTipText("Ctrl+PgDn, Ctrl+PgUp: next or previous page");
        label->Click = [this, h = handler] { (this->*h)(); };
    }
    Label6.setFontBold(true);

    // ---- pages ----
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5, &Picture7}) {
        p->setRectTwips(0, p == &Picture7 ? 600 : 480, 5655, 4275);
        p->setBorderStyle(0);
        p->setTabStop(false);
        p->setVisible(p == &Picture1);
    }
    const forms::Font heading = tahoma(9.75f, true);

    place(Label13, 360, 240, 4935, 315, "Main Player Setting", heading);
    Fade.setRectTwips(360, 720, 255, 255);
    place(Label12, 720, 735, 3000, 255, "Start Fade");
    Label12.Click = [this] { Label12_Click(); };
    smooth.setRectTwips(360, 1080, 255, 255);
    place(Label30, 720, 1095, 3000, 255, "Smooth Play");

    place(Label15, 360, 240, 4935, 315, "Associated File Types", heading);
    const std::tuple<forms::CheckBox*, forms::Label*, const char*, float> types[] = {
        {&Mp3, &Label14, "Mp3", 720}, {&Wma, &Label16, "Wma", 1080}, {&Wav, &Label17, "Wav", 1440},
        {&Mid, &Label18, "Mid", 1800}, {&RM, &Label19, "RM", 2160},   {&M3u, &Label25, "M3U", 2520}};
    for (auto& [box, label, caption, top] : types) {
        box->setRectTwips(360, top, 255, 255);
        place(*label, 720, top + 15, 3000, 255, caption);
    }

    place(Label24, 360, 240, 4935, 315, "Contact Us", heading);
    const forms::Font link = tahoma(9.75f, false, true);
    place(Label22, 360, 600, 4935, 285, "www: " + std::string(player::addresses::HomePage), link);
    place(Label21, 360, 960, 4935, 285, "E-Mail: " + std::string(player::addresses::SupportMail), link);
    place(Label20, 360, 1320, 4935, 285, "E-Mail: " + std::string(player::addresses::HelpMail), link);
    place(Label23, 360, 1680, 4935, 480, "Contact: Bug Report Song Request Question Comments");
    Label23.setWordWrap(true);
    Label23.setForeColor(forms::RGB(128, 0, 0));
    for (forms::Label* l : {&Label20, &Label21, &Label22}) l->setForeColor(forms::RGB(0, 0, 255));
    for (forms::Label* l : {&Label22, &Label21, &Label20, &Label23}) {
        l->setMouseIcon(pointer);
        l->setMousePointer(99);
    }
    Label20.Click = [this] { Label20_Click(); };
    Label21.Click = [this] { Label21_Click(); };
    Label22.Click = [this] { Label22_Click(); };
    Label23.Click = [this] { Label23_Click(); };

    place(Label26, 360, 720, 4935, 600, "dovetune", tahoma(20, true));
    place(Label27, 360, 1440, 4935, 285, std::string("Version ") + DOVETUNE_VERSION, tahoma(9.75f));
    place(Label28, 360, 1800, 4935, 285, "Copyright (C) 2026 the dovetune makers", tahoma(8.25f));

    // The help columns need every line of the page: the heading sits at the
    // right, beside the columns' own header lines.
    place(Label32, 4440, 120, 1095, 315, "Help", heading);
    Label32.setAlignment(1);
    place(Label31, 240, 90, 1695, 4140, "", tahoma(6.75f));
    place(Label33, 1980, 90, 2460, 4140, "", tahoma(6.75f));

    place(Label38, 360, 240, 4935, 315, "Main Player Setting", heading);
    place(Label34, 360, 735, 855, 255, "Opacity");
    Opacitytext.setRectTwips(1260, 690, 495, 315);
    Opacitytext.setText("10");
    Opacitytext.setMaxLength(2);
    Command5.setRectTwips(1875, 690, 735, 315);
    Command5.setCaption("OK");
    Command5.Click = [this] { Command5_Click(); };

    // ---- below the pages ----
    Command2.setRectTwips(3120, 5520, 1215, 375);
    Command2.setCaption("Cancel");
    Command2.setCancel(true);
    Command2.Click = [this] { Command2_Click(); };
    p1.setRectTwips(4440, 5520, 4095, 375);
    p1.setMin(0);
    p1.setMax(100);
    Command3.setRectTwips(8640, 5520, 1215, 375);
    Command3.setCaption("");
    Command3.setStyle(1);
    Command3.setToolTipText("Done");
    Command3.Click = [this] { Command3_Click(); };
    Timer1.setInterval(10);
    Timer1.setEnabled(false);
    Timer1.Tick = [this] { Timer1_Timer(); };
}

frmTestControls::~frmTestControls() = default;

// The player loads this window at its start to read the fade setting, and
// most runs never show it: its large pictures are decoded when it is first
// shown, before anything of it is drawn.
void frmTestControls::Form_Resize() {
    if (dressed_) return;
    dressed_ = true;
    Image1.setPicture(optionsPicture("background.png"));
    const forms::Picture page = optionsPicture("page.png");
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5, &Picture7}) p->setPicture(page);
    Command3.setPicture(optionsPicture("done.png"));
}

std::string frmTestControls::OpenCommand() {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::path(runtime::App::Path()) / "dovetune";
    std::filesystem::path real = std::filesystem::weakly_canonical(program, ec);
    return (ec ? program : real).string() + " %1";
}

std::string frmTestControls::HelpKeys() {
    std::vector<std::string> lines = {"Key:    ", std::string(21, ' ')};
    for (const HelpRow& r : kHelp) lines.emplace_back(r.key);
    return joinLines(lines);
}

std::string frmTestControls::HelpActions() {
    std::vector<std::string> lines = {"   Action", std::string(21, ' ')};
    for (const HelpRow& r : kHelp) lines.emplace_back(r.action);
    return joinLines(lines);
}

void frmTestControls::Form_Load() {
    // A stored value that is no box value (not 0, 1 or 2) leaves that box at
    // its default; the other boxes still load.
    const std::pair<forms::CheckBox*, const char*> boxes[] = {{&Fade, "Fade"}, {&Mp3, "Mp3"}, {&Wma, "Wma"},
                                                              {&Wav, "Wav"},   {&Mid, "Mid"}, {&RM, "RM"},
                                                              {&M3u, "M3u"}};
    for (auto& [box, key] : boxes) {
        try {
            std::int16_t v =
                runtime::CInt(runtime::GetSetting(runtime::App::Path(), kSection, key, runtime::CStr(box->value())));
            if (v >= 0 && v <= 2) box->setValue(v);
        } catch (const runtime::Error&) {
        }
    }
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5, &Picture7}) p->setLeft(2880);
    Label31.setCaption(HelpKeys());
    Label33.setCaption(HelpActions());
}

void frmTestControls::sideBar(forms::Label& entry, forms::PictureBox* page) {
    runtime::Steps step;
    for (forms::Label* l : {&Label6, &Label3, &Label4, &Label5, &Label7, &Label10, &Label11})
        step([&] { l->setFontBold(l == &entry); });
    if (!page) return;
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4, &Picture5, &Picture7})
        step([&] { p->setVisible(p == page); });
}

void frmTestControls::Label6_Click() { sideBar(Label6, &Picture1); }
void frmTestControls::Label3_Click() { sideBar(Label3, &Picture7); }
void frmTestControls::Label4_Click() { sideBar(Label4, &Picture2); }
void frmTestControls::Label5_Click() { sideBar(Label5, nullptr); }
void frmTestControls::Label7_Click() { sideBar(Label7, &Picture5); }
void frmTestControls::Label10_Click() { sideBar(Label10, &Picture4); }
void frmTestControls::Label11_Click() { sideBar(Label11, &Picture3); }

// Ctrl+PageDown and Ctrl+PageUp move to the next or previous page of the
// side bar, so the pages can be reached without the mouse; Escape cancels.
void frmTestControls::Form_KeyDown(int& KeyCode, int Shift) {
    // Escape is "Cancel", as the window's cancel button.
    if (KeyCode == forms::vbKeyEscape && Shift == 0) {
        KeyCode = 0;
        Command2.setValue(true);
        return;
    }
    if (Shift != forms::vbCtrlMask || (KeyCode != forms::vbKeyPageDown && KeyCode != forms::vbKeyPageUp)) return;
    const std::pair<forms::PictureBox*, void (frmTestControls::*)()> order[] = {
        {&Picture1, &frmTestControls::Label6_Click}, {&Picture7, &frmTestControls::Label3_Click},
        {&Picture2, &frmTestControls::Label4_Click}, {&Picture5, &frmTestControls::Label7_Click},
        {&Picture4, &frmTestControls::Label10_Click}, {&Picture3, &frmTestControls::Label11_Click}};
    constexpr int n = 6;
    int shown = 0;
    for (int i = 0; i < n; ++i)
        if (order[i].first->visible()) shown = i;
    int next = (shown + (KeyCode == forms::vbKeyPageDown ? 1 : n - 1)) % n;
    (this->*order[next].second)();
    KeyCode = 0;
}

void frmTestControls::Label12_Click() {
    runtime::Steps step;
    step([&] {
        if (Fade.value() == 0) Fade.setValue(1);
        else if (Fade.value() == 1) Fade.setValue(0);
    });
}

void frmTestControls::Command3_Click() {
    runtime::Steps step;
    std::vector<std::string> failed;
    // Why they failed, each reason once (one unreadable file fails every type).
    std::vector<std::string> reasons;
    auto because = [&](const std::string& why) {
        if (!why.empty() && std::find(reasons.begin(), reasons.end(), why) == reasons.end()) reasons.push_back(why);
    };
    auto save = [&](const char* key, forms::CheckBox& box) {
        if (step([&] { runtime::SaveSetting(runtime::App::Path(), kSection, key, runtime::CStr(box.value())); }))
            return;
        failed.push_back("the setting \"" + std::string(key) + "\"");
        because(step.lastDescription());
    };
    save("Fade", Fade);
    step([&] { Timer1.setEnabled(true); });
    const std::tuple<const char*, forms::CheckBox*, const char*> types[] = {
        {"Mp3", &Mp3, ".mp3"}, {"Wma", &Wma, ".wma"}, {"Wav", &Wav, ".wav"},
        {"Mid", &Mid, ".mid"}, {"RM", &RM, ".rm"},   {"M3u", &M3u, ".m3u"}};
    for (auto& [key, box, ext] : types) save(key, *box);
    const std::string command = OpenCommand();
    for (auto& [key, box, ext] : types) {
        if (box->value() != 1) continue;
        // The reasons join the list, each once.
        if (!Associate::AssociateFileType(FileTypeName, command, ext, &reasons))
            failed.push_back("the file type " + std::string(ext));
    }
    if (failed.empty()) return;
    std::string text = "These could not be saved or registered:";
    for (const std::string& f : failed) text += "\r\n" + f;
    if (!reasons.empty()) text += "\r\n";
    for (const std::string& r : reasons) text += "\r\n" + r;
    step([&] { forms::MsgBox(text, forms::vbExclamation, runtime::App::Title()); });
}

void frmTestControls::Timer1_Timer() {
    runtime::Steps step;
    step([&] { p1.setValue(p1.value() + 1); });
    step([&] {
        if (p1.value() == p1.max()) unload();
    });
}

void frmTestControls::Command2_Click() { unload(); }

void frmTestControls::Command5_Click() {
    runtime::Steps step;
    step([&] {
        double number = runtime::CDbl(Opacitytext.text());
        if (number == 0) runtime::raise(runtime::err::DivisionByZero, "frmTestControls");
        std::uint8_t alpha = runtime::CByte(255 / number);
        player::SetWindowAlpha(forms::Get<player::Form2>().hWnd(), alpha);
    });
}

void frmTestControls::Label20_Click() {
    sys::ShellOpen(mailLink(player::addresses::HelpMail));
}

void frmTestControls::Label21_Click() {
    sys::ShellOpen(mailLink(player::addresses::SupportMail));
}

void frmTestControls::Label22_Click() {
    runtime::Steps step;
    step([&] { sys::ShellOpen(player::addresses::HomePage); });
}

void frmTestControls::Label23_Click() { forms::Get<Contact>().show(); }

void frmTestControls::Image1_MouseMove(int, int, float, float) {}

}  // namespace options
