// Favourite folders (their menu captions are the folders), File "Add" and
// the Songs items.

#include "player/Form2.hpp"
#include "player/os_helpers.hpp"

#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace player {

// A cancelled browser keeps the favourite as it was.
void Form2::AddFavourite(forms::Menu& favourite) {
    runtime::Steps step;
    std::string folder;
    step([&] { folder = BrowseForFolder(hWnd(), "Select a folder."); });
    if (!folder.empty()) step([&] { favourite.setCaption(folder); });
}

// Always discards the playlist; then searches the folder the caption names
// (a favourite never set searches the folder named by its digit, relative to
// the current folder). An empty caption searches nothing, not the whole disk.
void Form2::OpenFavourite(forms::Menu& favourite) {
    runtime::Steps step;
    step([&] { List1.clear(); });
    step([&] { List2.clear(); });
    step([&] { lstFiles.clear(); });
    std::string folder = runtime::TrimAtNul(favourite.caption());
    if (folder.empty()) return;
    if (folder.back() != '/') folder += "/";
    step([&] { txtStartDir.setText(folder); });
    step([&] { cmdSearch_Click(); });
    step([&] { Timer3.setEnabled(true); });
}

void Form2::mnuadd_Click() { Image17_Click(); }

void Form2::mnuadd1_Click() { AddFavourite(mnu1); }
void Form2::mnuadd2_Click() { AddFavourite(mnu2); }
void Form2::mnuadd3_Click() { AddFavourite(mnu3); }
void Form2::mnuadd4_Click() { AddFavourite(mnu4); }
void Form2::mnuadd5_Click() { AddFavourite(mnu5); }

void Form2::mnuremove1_Click() { mnu1.setCaption("1"); }
void Form2::mnuremove2_Click() { mnu2.setCaption("2"); }
void Form2::mnuremove3_Click() { mnu3.setCaption("3"); }
void Form2::mnuremove4_Click() { mnu4.setCaption("4"); }
void Form2::mnuremove5_Click() { mnu5.setCaption("5"); }

void Form2::mnu1_Click() { OpenFavourite(mnu1); }
void Form2::mnu2_Click() { OpenFavourite(mnu2); }
void Form2::mnu3_Click() { OpenFavourite(mnu3); }
void Form2::mnu4_Click() { OpenFavourite(mnu4); }
void Form2::mnu5_Click() { OpenFavourite(mnu5); }

// The item's name less its extension goes into the search box, which selects
// its line; then the selected entry plays. The box's MaxLength stays set; a
// caption under four characters leaves the one before in force.
void Form2::mnuLevel1_Click(int Index) {
    runtime::Steps step;
    std::string caption;
    step([&] { caption = mnuLevel1(Index).caption(); });
    long length = runtime::Len(caption);
    step([&] { Text1.setMaxLength(length - 4); });
    step([&] { Text1.setText(caption); });
    step([&] { mnupopupplay_Click(); });
}

}  // namespace player
