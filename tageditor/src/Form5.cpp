// The rename window: its design, the load that takes the selected playlist
// file and its ID3v1 fields, the name patterns and letter cases, the rename
// with its progress, and moving the window.
//
// The new name stays one file in the file's own folder: a name holding "/"
// or NUL, or naming "." or "..", is refused, and so is a name that another
// file already has (also in another case); nothing is ever replaced. Every
// refusal is shown and leaves the window open, and the progress runs only
// after a rename that happened.

#include "tageditor/Form5.hpp"

#include "metadata/csplaymodul.hpp"
#include "player/Form2.hpp"
#include "player/shape.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"

namespace tageditor {

namespace {

constexpr forms::Colour kPanel = forms::RGB(237, 237, 237);
constexpr forms::Colour kCaptionInk = forms::RGB(214, 224, 238);  // light on the dark artwork
const std::string kCrLf = "\r\n";

// The design picture of Image1, drawn at build time beside the program.
forms::Picture artwork(const char* name) {
    try {
        return forms::LoadPicture(runtime::App::Path() + "/tageditor/" + name);
    } catch (const runtime::Error&) {
        return {};  // the window works without it
    }
}

// The main window, which opened this one; never loaded from here.
player::Form2& mainWindow() {
    player::Form2* f = forms::IfLoaded<player::Form2>();
    if (!f) runtime::raise(runtime::err::ObjectVariableNotSet, "Form5");
    return *f;
}

// The old name's extension: from its last "." on; none when it has no "."
// or only a leading one (".hidden").
std::string extensionOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

// Why a typed name cannot be one file in the same folder; empty when it can.
std::string badName(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return "A file name cannot hold \"/\": the file would move into another folder.";
    if (name.find('\0') != std::string::npos) return "A file name cannot hold a NUL character.";
    if (name == "." || name == "..") return "\".\" and \"..\" name folders, not files.";
    return {};
}

}  // namespace

Form5::Form5()
    : forms::Form("Form5"),
      Image1(*this, "Image1"),
      Check1(*this, "Check1"),
      Combo2(*this, "Combo2"),
      Text4(*this, "Text4"),
      Combo3(*this, "Combo3"),
      Combo1(*this, "Combo1"),
      txtTitle(*this, "txtTitle"),
      txtartist(*this, "txtartist"),
      txtalbum(*this, "txtalbum"),
      Text3(*this, "Text3"),
      Text2(*this, "Text2"),
      Text1(*this, "Text1"),
      pr1(*this, "pr1"),
      Label3(*this, "Label3"),
      Command1(*this, "Command1"),
      Command2(*this, "Command2"),
      Label1(*this, "Label1"),
      Timer1(*this, "Timer1"),
      Timer2(*this, "Timer2"),
      lblInfo(*this, "lblInfo") {
    setCaption("Rename File");
    setBorderStyle(forms::BorderStyle::None);
    setClientSize(4530, 7410);

    Image1.setRectTwips(0, 0, 4530, 7350);
    Image1.setPicture(artwork("Form5_Image1.png"));
    Image1.setStretch(true);

    auto box = [](forms::TextBox& t, float left, float top, bool readOnly) {
        t.setRectTwips(left, top, 2715, 315);
        t.setText("");
        t.setLocked(readOnly);
    };
    Check1.setCaption("Show ID");
    Check1.setRectTwips(1320, 1365, 1095, 255);
    Check1.setValue(1);  // the tag boxes start enabled
    Combo2.setStyle(0);
    Combo2.setRectTwips(3210, 1320, 855, 315);
    Combo2.setText(" - ");
    box(Text4, 1350, 1800, false);
    Combo3.setStyle(2);
    Combo3.setRectTwips(1320, 2160, 2715, 315);
    Combo1.setStyle(2);
    Combo1.setRectTwips(1350, 2520, 2715, 315);
    box(txtTitle, 1350, 2880, true);
    box(txtartist, 1350, 3240, true);
    box(txtalbum, 1350, 3600, true);
    box(Text3, 1350, 3960, true);
    box(Text2, 1350, 4320, true);
    box(Text1, 1350, 4680, true);

    pr1.setRectTwips(1320, 5160, 2775, 375);
    pr1.setMin(0);
    pr1.setMax(100);
    Label3.setCaption("Status");
    Label3.setRectTwips(390, 5235, 855, 255);
    Label3.setBackStyle(1);
    Command1.setCaption("OK");
    Command1.setRectTwips(1320, 5760, 1335, 495);
    Command1.setDefault(true);
    Command2.setCaption("Cancel");
    Command2.setRectTwips(2760, 5760, 1335, 495);
    Command2.setCancel(true);
    Label1.setCaption("The Rename Track Using Tag Is Designed For Microsoft Windows XP ");
    Label1.setRectTwips(1350, 6480, 2715, 615);
    Label1.setBackStyle(0);
    Label1.setWordWrap(true);
    Label1.setForeColor(kCaptionInk);

    struct Caption {
        int index;
        const char* text;
        float left, top;
    };
    const Caption captions[] = {
        {0, "Artist", 480, 3300},     {1, "Title", 480, 2940},     {2, "Album", 480, 3660},
        {3, "Track Path", 480, 4020}, {4, "File Name", 480, 4380}, {5, "New Name", 480, 1860},
        {6, "Using Tag", 480, 2580},  {7, "Separater", 2365, 1395}, {8, "Contain", 480, 4740},
        {9, "Case", 480, 2235},
    };
    for (const Caption& c : captions) {
        forms::Label& l = lblInfo.add(c.index);
        l.setCaption(c.text);
        l.setRectTwips(c.left, c.top, 795, 255);
        l.setBackStyle(0);
        l.setForeColor(kCaptionInk);
    }

    Timer1.setInterval(1);
    Timer1.setEnabled(true);
    Timer2.setInterval(5);
    Timer2.setEnabled(false);

    // The keyboard follows the work: separator, pattern, case, the name, OK,
    // Cancel; then the switch and the boxes that only show.
    int tab = 0;
    for (forms::Control* c : std::initializer_list<forms::Control*>{
             &Combo2, &Combo1, &Combo3, &Text4, &Command1, &Command2, &Check1, &txtTitle, &txtartist, &txtalbum,
             &Text3, &Text2, &Text1})
        c->setTabIndex(tab++);

    auto mouse = [this](void (Form5::*fn)(int, int, float, float)) {
        return [this, fn](int Button, int Shift, float X, float Y) { (this->*fn)(Button, Shift, X, Y); };
    };
    Combo1.Click = [this] { Combo1_Click(); };
    Combo3.Click = [this] { Combo3_Click(); };
    Text4.LostFocus = [this] { Text4_LostFocus(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Timer2.Tick = [this] { Timer2_Timer(); };
    Image1.MouseDown = mouse(&Form5::Image1_MouseDown);
    Check1.Click = [this] { Check1_Click(); };
}

Form5::~Form5() = default;

void Form5::Form_Load() {
    runtime::Steps step;
    step([&] { Label3.setBackColor(kPanel); });
    step([&] { Check1.setBackColor(kPanel); });
    step([&] { player::ShapeWindow(*this, runtime::App::Path() + "/2.kmf"); });
    step([&] { setIcon(mainWindow().icon()); });
    step([&] { Text1.setText(""); });
    step([&] {
        player::Form2& f = mainWindow();
        Text3.setText(f.lstFiles.text());
        entryIndex_ = f.lstFiles.listIndex();
    });
    step([&] {
        metadata::Id3v1Record rec;
        if (!metadata::CSPlaymodul::ReadId3v1Record(Text3.text(), rec)) return;
        // NUL padding drops out here; blank padding stays for Timer1.
        txtTitle.setText(runtime::TrimAtNul(rec.Title));
        txtartist.setText(runtime::TrimAtNul(rec.Artist));
        txtalbum.setText(runtime::TrimAtNul(rec.Album));
    });
    for (const char* item : {"Title", "Artist", "Album", "Artist Title", "Artist Title Album"})
        step([&] { Combo1.addItem(item); });
    for (const char* item : {" - ", " + ", " # ", " _ ", " = "}) step([&] { Combo2.addItem(item); });
    for (const char* item : {"Proper", "Upper", "Lower"}) step([&] { Combo3.addItem(item); });
    step([&] {
        const std::string path = Text3.text();
        const auto slash = path.rfind('/');
        Text2.setText(slash == std::string::npos ? path : path.substr(slash + 1));
        Text1.setText(slash == std::string::npos ? std::string() : path.substr(0, slash + 1));
    });
}

void Form5::Combo1_Click() {
    runtime::Steps step;
    std::string sep;
    step([&] { sep = Combo2.text(); });
    step([&] {
        const std::string& p = Combo1.text();
        if (p == "Title")
            Text4.setText(txtTitle.text());
        else if (p == "Artist")
            Text4.setText(txtartist.text());
        else if (p == "Album")
            Text4.setText(txtalbum.text());
        else if (p == "Artist Title")
            Text4.setText(txtartist.text() + sep + txtTitle.text());
        else if (p == "Artist Title Album")
            Text4.setText(txtartist.text() + sep + txtTitle.text() + sep + txtalbum.text());
    });
}

void Form5::applyCase() {
    const std::string& c = Combo3.text();
    if (c == "Lower")
        Text4.setText(runtime::LCase(Text4.text()));
    else if (c == "Upper")
        Text4.setText(runtime::UCase(Text4.text()));
    else if (c == "Proper")
        Text4.setText(runtime::ProperCase(Text4.text()));
}

void Form5::Combo3_Click() {
    runtime::Steps step;
    step([&] { applyCase(); });
}

void Form5::Text4_LostFocus() { applyCase(); }

bool Form5::renameFile() {
    const std::string oldPath = Text3.text();
    const std::string name = Text4.text();
    const std::string newName = name + extensionOf(Text2.text());
    const std::string newPath = Text1.text() + newName;
    auto refuse = [&](const std::string& reason) {
        forms::MsgBox("Could not rename '" + oldPath + "' to '" + newName + "'." + kCrLf + kCrLf + reason,
                      forms::vbCritical, runtime::App::Title());
        return false;
    };
    if (oldPath.empty()) {
        forms::MsgBox("There is no file to rename: no playlist entry was selected when this window opened.",
                      forms::vbCritical, runtime::App::Title());
        return false;
    }
    if (std::string why = badName(name); !why.empty()) return refuse(why);
    try {
        runtime::Name(oldPath, newPath);  // refuses a name another file has; the same name does nothing
    } catch (const runtime::Error& e) {
        return refuse(e.description());
    }
    renamed_ = true;

    // The playlist entry follows the file, unless the playlist changed since
    // this window took the path.
    runtime::Steps step;
    step([&] {
        player::Form2& f = mainWindow();
        if (newPath != oldPath && entryIndex_ >= 0 && entryIndex_ < f.lstFiles.listCount() &&
            f.lstFiles.list(entryIndex_) == oldPath)
            f.ReplaceEntryPath(entryIndex_, newPath);
    });
    return true;
}

void Form5::Command1_Click() {
    runtime::Steps step;
    if (renamed_) return;  // done: the progress closes the window
    // A click moves the focus off Text4 first, which applies the case; a key
    // that presses OK without moving the focus does the same here.
    if (Text4.hasFocus()) step([&] { applyCase(); });
    if (Text4.text().empty()) {
        step([&] { forms::MsgBox("Enter New Name", forms::vbOKOnly, runtime::App::Title()); });
        step([&] { Text4.setFocus(); });
        return;
    }
    bool done = false;
    step([&] { done = renameFile(); });
    if (!done) return;
    step([&] { Timer2.setEnabled(true); });
    step([&] { pr1.setValue(1); });
}

void Form5::Command2_Click() { unload(); }

void Form5::Timer1_Timer() {
    runtime::Steps step;
    for (forms::TextBox* t : {&txtTitle, &txtartist, &txtalbum})
        step([&] {
            const std::string& s = t->text();
            if (!s.empty() && s.back() == ' ') t->setText(s.substr(0, s.size() - 1));
        });
}

void Form5::Timer2_Timer() {
    runtime::Steps step;
    step([&] { pr1.setMax(100); });
    step([&] { pr1.setValue(pr1.value() + 1); });
    step([&] { Label3.setCaption(runtime::CStr(static_cast<long>(pr1.value())) + "%"); });
    if (pr1.max() != pr1.value()) return;
    step([&] { Label3.setCaption("Renamed"); });
    step([&] { Timer2.setEnabled(false); });
    step([&] { unload(); });
}

void Form5::Form_MouseDown(int Button, int Shift, float X, float Y) {
    (void)Shift, (void)X, (void)Y;
    runtime::Steps step;
    if (Button == 1) step([&] { beginSystemMove(); });
}

void Form5::Image1_MouseDown(int Button, int Shift, float X, float Y) {
    (void)Shift, (void)X, (void)Y;
    if (Button == 1) beginSystemMove();
}

void Form5::Check1_Click() {
    runtime::Steps step;
    const bool on = Check1.value() == 1;
    for (forms::TextBox* t : {&txtTitle, &txtartist, &txtalbum}) step([&] { t->setEnabled(on); });
}

}  // namespace tageditor
