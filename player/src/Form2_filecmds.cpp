// The File submenu's commands on the selected entry's file: copy it to the
// clipboard or into a folder, copy its path, take it off the playlist or
// delete it, rename it, open it or its folder.
//
// Every command acts on one entry: the line selected in the visible List2,
// mapped to its entry as a click on it maps it (the first List1 line of the
// same text; List1 and lstFiles are index-aligned). With no line selected
// they do nothing.

#include <sys/stat.h>

#include "player/Form2.hpp"
#include "player/os_helpers.hpp"
#include "player/other_windows.hpp"
#include "player/playlist.hpp"

#include "forms/clipboard.hpp"
#include "forms/dialogs.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"
#include "system/shell.hpp"

namespace player {

namespace {

const std::string kCrLf = "\r\n";

// Whether two paths name the same file (the same inode), whatever their spelling.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    try {
        if (stat(runtime::ResolvePath(a).c_str(), &sa) != 0) return false;
        if (stat(runtime::ResolvePath(b).c_str(), &sb) != 0) return false;
    } catch (const runtime::Error&) {
        return false;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

long Form2::SelectedEntry() const {
    long line = List2.listIndex();
    if (line < 0) return -1;
    std::string text = List2.list(line);
    for (long i = 0; i < List1.listCount(); ++i)
        if (List1.list(i) == text) return i < lstFiles.listCount() ? i : -1;
    return -1;
}

void Form2::RemoveEntry(long entry, long line) {
    // The entry leaves all three lists; each removal may fail alone. The
    // builder's cursor (List1's count) moves with it.
    runtime::Steps step;
    step([&] { lstFiles.removeItem(entry); });
    step([&] { List1.removeItem(entry); });
    step([&] { List2.removeItem(line); });
}

void Form2::mnuclipboard_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;  // nothing selected: the clipboard stays as it was
    std::vector<std::string> paths{lstFiles.list(entry)};
    if (CopyFilesToClipboard(paths))
        List2.setFocus();
    else
        forms::MsgBox("Can Not Copy Error ", forms::vbCritical + forms::vbOKOnly, runtime::App::Title());
}

void Form2::mnufolder_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;
    std::string path = lstFiles.list(entry);
    std::string folder;
    runtime::Steps step;
    step([&] { folder = BrowseForFolder(hWnd(), "Select a folder."); });
    if (folder.empty()) return;  // cancelled
    std::string target = folder + (folder.back() == '/' ? "" : "/") + FileNameOf(path);
    // Into its own folder: the file is already there.
    if (SameFile(path, target)) return;
    try {
        runtime::FileCopy(path, target);
    } catch (const runtime::Error& e) {
        forms::MsgBox("Could not copy file '" + path + "'" + kCrLf + kCrLf + e.description(),
                      forms::vbCritical + forms::vbOKOnly, runtime::App::Title());
    }
}

void Form2::mnutrackpath_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;  // nothing selected: the clipboard stays as it was
    std::string path = lstFiles.list(entry);
    runtime::Steps step;
    step([&] { forms::clipboard().clear(); });
    step([&] { forms::clipboard().setText(path); });
}

void Form2::mnudelete_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;
    RemoveEntry(entry, List2.listIndex());
}

void Form2::mnudeletetrack_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;
    long line = List2.listIndex();
    int answer = forms::MsgBox("Are You Sure You Want to Delete " + List2.list(line) + " From The Computer ",
                               forms::vbYesNo + forms::vbQuestion, runtime::App::Title());
    if (answer != forms::vbYes) return;
    std::string path = lstFiles.list(entry);
    try {
        // Exactly this file: "*" and "?" in a Linux name are no pattern.
        runtime::KillFile(path);
    } catch (const runtime::Error& e) {
        // The file is still there, so its entry stays.
        forms::MsgBox("Could not delete file '" + path + "'" + kCrLf + kCrLf + e.description(),
                      forms::vbCritical + forms::vbOKOnly, runtime::App::Title());
        return;
    }
    RemoveEntry(entry, line);
}

void Form2::mnurename_Click() {
    // The rename window takes the playlist's current entry when it loads.
    runtime::Steps step;
    step([&] { TagWindows().showRename(); });
}

void Form2::mnuruntrack_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;
    sys::ShellOpen(lstFiles.list(entry));
}

void Form2::mnucontain_Click() {
    long entry = SelectedEntry();
    if (entry < 0) return;
    std::string path = lstFiles.list(entry);
    long folderLength = runtime::Len(path) - runtime::Len(FileNameOf(path));
    if (folderLength <= 0) return;  // a bare name has no folder to open
    runtime::Steps step;
    // Text4 keeps the folder with its trailing "/" (its MaxLength cuts the path).
    step([&] { Text4.setMaxLength(folderLength); });
    step([&] { Text4.setText(path); });
    step([&] { sys::ShellOpen(Text4.text()); });
}

}  // namespace player
