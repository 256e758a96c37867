// Favourite folders, File "Add" and the Songs items.

#include "player/Form2.hpp"

namespace player {

void Form2::mnuadd_Click() {}
void Form2::mnuadd1_Click() {}
void Form2::mnuadd2_Click() {}
void Form2::mnuadd3_Click() {}
void Form2::mnuadd4_Click() {}
void Form2::mnuadd5_Click() {}
void Form2::mnuremove1_Click() {}
void Form2::mnuremove2_Click() {}
void Form2::mnuremove3_Click() {}
void Form2::mnuremove4_Click() {}
void Form2::mnuremove5_Click() {}
void Form2::mnu1_Click() {}
void Form2::mnu2_Click() {}
void Form2::mnu3_Click() {}
void Form2::mnu4_Click() {}
void Form2::mnu5_Click() {}
void Form2::mnuLevel1_Click(int) {}

}  // namespace player
