// Where the popup menus open, dragging the window by its surface, and the
// keyboard hotkeys.

#include "player/Form2.hpp"

namespace player {

void Form2::Form_MouseDown(int, int, float, float) {}
void Form2::Form_KeyPress(int&) {}
void Form2::List2_MouseDown(int, int, float, float) {}
void Form2::Label1_MouseDown(int, int, float, float) {}
void Form2::Label20_MouseUp(int, int, float, float) {}
void Form2::Label3_MouseDown(int, int, float, float) {}

}  // namespace player
