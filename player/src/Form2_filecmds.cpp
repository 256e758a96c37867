// The File submenu's commands on the selected entry's file.

#include "player/Form2.hpp"

namespace player {

void Form2::mnuclipboard_Click() {}
void Form2::mnufolder_Click() {}
void Form2::mnutrackpath_Click() {}
void Form2::mnudelete_Click() {}
void Form2::mnudeletetrack_Click() {}
void Form2::mnurename_Click() {}
void Form2::mnuruntrack_Click() {}
void Form2::mnucontain_Click() {}

}  // namespace player
