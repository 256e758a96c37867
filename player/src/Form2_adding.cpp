// Files into the playlist: the open dialog, the folder search, the playing
// file, and files dropped on the window.

#include "player/Form2.hpp"
#include "player/os_helpers.hpp"

#include "forms/common_dialog.hpp"
#include "forms/dialogs.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"

namespace player {

namespace {

constexpr const char* kMusicFilter = "Music Files(*.Mp3 *.Wav *.Mid *.Wma *.rm) |*.Mp3; *.Wav; *.Mid; *.Wma; *.rm";

// Folder & "/" & name, without a second "/" after the root.
std::string Join(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

void Form2::Image11_Click() {
    runtime::Steps step;
    // An earlier choice would come back on Cancel: the dialog starts empty.
    step([&] { CD1.setFileName(""); });
    step([&] { CD1.setFlags(forms::cdlOFNExplorer | forms::cdlOFNAllowMultiselect); });
    step([&] { CD1.setMaxFileSize(10000); });
    step([&] { CD1.setFilter(kMusicFilter); });
    try {
        CD1.showOpen();
    } catch (const runtime::Error& e) {
        forms::MsgBox("Error " + runtime::CStr(e.number()) + " selecting files." + "\r\n" + e.description(),
                      forms::vbOKOnly, runtime::App::Title());
        return;
    }
    std::string result = CD1.fileName();
    if (result.empty()) return;  // cancelled

    step([&] { List1.clear(); });
    step([&] { List2.clear(); });
    step([&] { lstFiles.clear(); });
    std::vector<std::string> parts = runtime::Split(result, std::string(1, '\0'));
    if (parts.size() == 1) {
        step([&] { lstFiles.addItem(parts.front()); });
    } else {
        std::string folder = parts.front();
        if (folder.empty() || folder.back() != '/') folder += "/";
        for (std::size_t i = 1; i < parts.size(); ++i) step([&] { lstFiles.addItem(folder + parts[i]); });
    }
    step([&] { Timer3.setEnabled(true); });
}

void Form2::Image17_Click() {
    std::string folder;
    runtime::Steps step;
    step([&] { folder = BrowseForFolder(hWnd(), "Select a folder."); });
    // Cancel is the empty answer; "/" is the root and is searched.
    if (folder.empty()) return;
    if (folder.back() != '/') folder += "/";
    step([&] { txtStartDir.setText(folder); });
    step([&] { cmdSearch_Click(); });
    step([&] { Timer3.setEnabled(true); });
}

void Form2::cmdSearch_Click() {
    runtime::Steps step;
    step([&] { lstFiles.clear(); });
    step([&] { List1.clear(); });
    step([&] { List2.clear(); });
    std::string folder = SearchFolder(txtStartDir.text());
    std::string pattern = runtime::Trim(txtPattern.text());
    step([&] { FindFiles(folder, pattern, lstFiles); });
    step([&] { lblNumFiles.setCaption(runtime::CStr(lstFiles.listCount()) + " files"); });
}

void Form2::Command20_Click() {
    std::string playing = MediaPlayer1.fileName();
    if (playing.empty()) return;  // no open file: nothing to add
    runtime::Steps step;
    step([&] { lstFiles.addItem(playing); });
    // The entry before the new one is current, so the builder makes one line.
    step([&] { lstFiles.setListIndex(lstFiles.listCount() - 2); });
    step([&] { Timer3.setEnabled(true); });
}

// A drop replaces the playlist with the dropped files, in the drop's order,
// and plays the first. Only files count: folders are skipped, and a drop
// without files (text, web links, folders alone) changes nothing. The source
// is told nothing was copied or moved, so a file manager never moves a file.
void Form2::DropPlaylist(forms::DataObject& Data, int& Effect) {
    Effect = forms::vbDropEffectNone;
    std::vector<std::string> files;
    for (const std::string& f : Data.files())
        if (!f.empty() && !runtime::FolderExists(f)) files.push_back(f);
    if (files.empty()) return;
    runtime::Steps step;
    step([&] { lstFiles.clear(); });
    step([&] { lstFiles.addItems(files); });
    step([&] { List1.clear(); });
    step([&] { List2.clear(); });
    step([&] { Timer3.setEnabled(true); });
    step([&] { OpenEntry(files.front()); });
    step([&] { pic(); });
}

void Form2::Form_OLEDragDrop(forms::DataObject& Data, int& Effect, int, int, float, float) {
    DropPlaylist(Data, Effect);
}
void Form2::List2_OLEDragDrop(forms::DataObject& Data, int& Effect, int, int, float, float) {
    DropPlaylist(Data, Effect);
}

std::string SearchFolder(const std::string& startDir) {
    std::string folder = runtime::Trim(startDir);
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    return folder;
}

// The folder's own files first (normal files only: no folders, hidden or
// system files), then each subfolder depth first in name order. Hidden and
// system folders are not entered; links to folders are not followed and no
// folder is walked twice, so a link loop ends. "" is the root.
void FindFiles(const std::string& Folder, const std::string& Pattern, forms::ListBox& Target) {
    std::vector<std::string> found;
    runtime::WalkFolders(
        Folder,
        [&](const std::string& folder) {
            found.clear();
            runtime::Steps step;
            step([&] {
                for (std::string name = runtime::Dir(Join(folder, Pattern)); !name.empty(); name = runtime::Dir())
                    found.push_back(Join(folder, name));
            });
            if (!found.empty()) step([&] { Target.addItems(std::move(found)); });
        },
        [](const std::string& folder) {
            try {
                return (runtime::GetAttr(folder) & (runtime::vbHidden | runtime::vbSystem)) == 0;
            } catch (const runtime::Error&) {
                return false;  // unreadable attributes: no folder to enter
            }
        });
}

}  // namespace player
