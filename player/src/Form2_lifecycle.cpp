// Start-up of the main window: the skin check, the shape, the saved settings
// and playlist or the command line; the unload that saves them; the fixed
// size, the close and minimise hot areas and "Exit".

#include "player/Form2.hpp"
#include "player/playlist.hpp"

#include <string>
#include <vector>

#include "forms/application.hpp"
#include "forms/dialogs.hpp"
#include "player/Form4.hpp"
#include "player/os_helpers.hpp"
#include "player/other_windows.hpp"
#include "player/shape.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/scheduler.hpp"
#include "runtime/settings.hpp"
#include "runtime/strings.hpp"

namespace player {

namespace {

// The main window's keys live under the program folder's path, in " setting".
std::string folderApp() { return runtime::App::Path(); }
constexpr const char* kSection = " setting";

std::string get(const std::string& key, const std::string& current) {
    return runtime::GetSetting(folderApp(), kSection, key, current);
}
void save(const std::string& key, const std::string& value) {
    runtime::SaveSetting(folderApp(), kSection, key, value);
}

std::string joinLines(const forms::ListBox& list) {
    std::string text;
    for (long i = 0; i < list.listCount(); ++i) text += list.list(i) + "\r\n";
    return text;
}

// A window of this outer size at left, top shows at least part of itself on
// the screen.
bool onScreen(float left, float top, float width, float height) {
    return left + width > 0 && top + height > 0 && left < forms::Screen::Width() && top < forms::Screen::Height();
}

}  // namespace

void Form2::Form_Load() {
    runtime::Steps step;
    const std::string title = runtime::App::Title();

    // Position, kept where the window can be reached.
    step([&] { setLeft(runtime::CSng(runtime::GetSetting(title, "Settings", "Form2Left", "1000"))); });
    step([&] { setTop(runtime::CSng(runtime::GetSetting(title, "Settings", "Form2Top", "1000"))); });
    if (!onScreen(left(), top(), width(), height())) step([&] { move(1000, 1000); });

    step([&] { Timer5.setEnabled(true); });

    // The skin must be the one the program was made with.
    const std::string skin = runtime::App::Path() + "/" + kSkinFile;
    bool skinOk = false;
    step([&] { skinOk = runtime::FileExists(skin) && runtime::FileLen(skin) == kSkinLength; });
    if (!skinOk) {
        skinRefused_ = true;
        forms::MsgBox("Skin is Damaged or Changed Can Not Load", forms::vbCritical, title);
        unload();
        return;
    }

    step([&] { ShapeWindow(*this, runtime::App::Path() + "/new2.kmf"); });
    step([&] { Option2.setValue(true); });

    step([&] { List2.setBackColor(forms::RGB(163, 165, 172)); });
    step([&] { Text1.setBackColor(forms::RGB(163, 165, 172)); });
    step([&] { Text4.setBackColor(forms::RGB(163, 165, 172)); });
    step([&] { labela.setBackColor(forms::RGB(201, 207, 214)); });

    for (forms::Menu* m : {&mnumarquee, &mnumainplayer, &mnuscrollinfoontop})
        step([&] { m->setChecked(runtime::CBool(get(m->name(), runtime::CStr(m->checked())))); });

    step([&] { Text2.setText(get("text2", Text2.text())); });
    step([&] { File1.setPath(Text2.text()); });
    step([&] { MediaPlayer1.setVolume(runtime::CLng(get("MediaPlayer1", runtime::CStr(MediaPlayer1.volume())))); });
    step([&] { Check1.setValue(runtime::CInt(get("Check1", runtime::CStr(Check1.value())))); });
    for (forms::Menu* m : {&mnu1, &mnu2, &mnu3, &mnu4, &mnu5})
        step([&] { m->setCaption(get(m->name(), m->caption())); });

    step([&] { SetTopmost(hWnd(), mnumainplayer.checked()); });
    step([&] { SetTopmost(forms::Get<Form4>().hWnd(), mnuscrollinfoontop.checked()); });
    step([&] {
        if (mnumarquee.checked())
            forms::Get<Form4>().show();
        else
            forms::Get<Form4>().hide();
    });
    step([&] { Timer5.setEnabled(true); });
    step([] { runtime::DoEvents(); });

    const std::string command = runtime::Command();
    if (command.empty()) {
        int fade = 0;
        step([&] { fade = OptionWindows().optionsFade(); });
        if (fade == 1) {
            step([&] { setLayered(true); });
            step([&] { show(); });
            step([] { runtime::DoEvents(); });
            step([&] { lwa_FadeIn(hWnd(), 2); });
        }
        restoreSavedPlaylist();
    } else {
        takeCommandLine(command);
    }
}

void Form2::restoreSavedPlaylist() {
    runtime::Steps step;
    const std::string folder = runtime::App::Path();
    std::vector<std::string> names, paths;
    step([&] { names = ReadLines(folder + "/Name.m3u"); });
    step([&] { paths = ReadLines(folder + "/Path.m3u"); });
    // Each line keeps its bytes. A path written in Windows-1252 on the
    // original platform is read so only when that reading alone names its
    // file; its display line, made from it, is read the same way.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::string path = runtime::PathFromText(paths[i]);
        if (path != paths[i] && i < names.size() && !runtime::IsValidUtf8(names[i]))
            names[i] = runtime::cp1252::decode(names[i]);
        paths[i] = std::move(path);
    }
    step([&] { List2.clear(); });
    step([&] { List1.clear(); });
    step([&] {
        List2.addItems(names);
        List1.addItems(std::move(names));
    });
    step([&] { lstFiles.clear(); });
    step([&] { lstFiles.addItems(std::move(paths)); });

    if (List1.listCount() != lstFiles.listCount()) {
        // The two files do not belong together: the lines are made anew from
        // the paths, and the saved positions, which may point anywhere, stay unused.
        step([&] { List2.clear(); });
        step([&] { List1.clear(); });
        if (lstFiles.listCount() > 0) step([&] { Timer3.setEnabled(true); });
        return;
    }
    // Positions once the lists are complete (none without an entry); one
    // past the end is ignored.
    if (lstFiles.listCount() == 0) return;
    step([&] { List2.setListIndex(runtime::CLng(get("List2", runtime::CStr(List2.listIndex())))); });
    step([&] { List1.setListIndex(runtime::CLng(get("List1", runtime::CStr(List1.listIndex())))); });
    step([&] { lstFiles.setListIndex(runtime::CLng(get("LstFiles", runtime::CStr(lstFiles.listIndex())))); });
}

void Form2::takeCommandLine(const std::string& command) {
    runtime::Steps step;
    // Lower case serves only the test for a playlist ("m3u", or "m3u8" as
    // other players save theirs); the path is used as given.
    if (IsPlaylistName(command)) {
        step([&] { lstFiles.clear(); });
        step([&] {
            std::vector<std::string> entries = PlaylistEntries(ReadLines(command), command);
            bool any = !entries.empty();
            lstFiles.addItems(std::move(entries));
            if (any) Timer3.setEnabled(true);
        });
        return;
    }
    step([&] { OpenEntry(command); });
    step([&] { MediaPlayer1.play(); });
    step([&] { lstFiles.addItem(MediaPlayer1.fileName()); });
    step([&] { Timer3.setEnabled(true); });
}

void Form2::Form_Unload(int&) {
    if (skinRefused_) return;  // nothing was loaded: the saved state stays as it was
    runtime::Steps step;

    // A build still running is finished first, so the two files have one line per entry.
    for (long guard = lstFiles.listCount() + 1; Timer3.enabled() && guard > 0; --guard) Timer3_Timer();

    step([&] { writePlaylistFiles(); });
    step([] { TagWindows().unloadTagEditor(); });
    step([] { forms::Unload<Form4>(); });
    step([] { TagWindows().unloadRename(); });
    step([] { OptionWindows().unloadOptions(); });
    saveSettings();
}

void Form2::writePlaylistFiles() {
    const std::string folder = runtime::App::Path();
    // Each file is replaced whole; when the first cannot be, the second is
    // left alone too, so the old pair stays together.
    runtime::WriteFileAtomically(folder + "/Path.m3u", joinLines(lstFiles));
    runtime::WriteFileAtomically(folder + "/Name.m3u", joinLines(List1));
}

void Form2::saveSettings() {
    runtime::Steps step;
    for (forms::Menu* m : {&mnumarquee, &mnumainplayer, &mnuscrollinfoontop})
        step([&] { save(m->name(), runtime::CStr(m->checked())); });
    step([&] { save("text2", Text2.text()); });
    step([&] { save("List2", runtime::CStr(List2.listIndex())); });
    step([&] { save("List1", runtime::CStr(List1.listIndex())); });
    step([&] { save("lstfiles", runtime::CStr(lstFiles.listIndex())); });
    step([&] { save("Mediaplayer1", runtime::CStr(MediaPlayer1.volume())); });
    step([&] { save("Check1", runtime::CStr(Check1.value())); });
    for (forms::Menu* m : {&mnu1, &mnu2, &mnu3, &mnu4, &mnu5}) step([&] { save(m->name(), m->caption()); });
    const std::string title = runtime::App::Title();
    step([&] { runtime::SaveSetting(title, "Settings", "Form2Left", runtime::CStr(left())); });
    step([&] { runtime::SaveSetting(title, "Settings", "Form2Top", runtime::CStr(top())); });
}

void Form2::Form_Resize() {
    runtime::Steps step;
    // Minimised, the size cannot be set; the next resize puts it right.
    step([&] { setWidth(kForm2OuterWidth); });
    step([&] { setHeight(kForm2OuterHeight); });
}

void Form2::Form_DblClick() {
    runtime::Steps step;
    step([&] { Slider2.setFocus(); });
}

// ---- close and minimise ----

namespace {
// The windows the close area and "Exit" take down besides the main window.
void unloadOtherWindows() {
    runtime::Steps step;
    step([] { TagWindows().unloadTagEditor(); });
    step([] { OptionWindows().unloadOptions(); });
    step([] { forms::Unload<Form4>(); });
    step([] { TagWindows().unloadRename(); });
}
}  // namespace

void Form2::Image3_MouseDown(int, int, float, float) { Image13.setVisible(false); }
void Form2::Image3_MouseUp(int, int, float, float) { Image13.setVisible(true); }

void Form2::Image3_Click() {
    unload();
    unloadOtherWindows();
}

void Form2::Image4_Click() {
    runtime::Steps step;
    step([&] { setWindowState(forms::vbMinimized); });
}

void Form2::mnuexit_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.stop(); });
    unloadOtherWindows();
    unload();
}

// ---- handlers that do nothing ----

void Form2::Image13_Click() {}
void Form2::List2_GotFocus() {}
void Form2::List2_KeyDown(int&, int) {}
void Form2::Command12_MouseDown(int, int, float, float) {}

}  // namespace player
