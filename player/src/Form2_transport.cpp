// The skin's transport click areas with their pressed pictures, the pause
// and mute indicators, the repeat pair and the hidden buttons.

#include "player/Form2.hpp"

namespace player {

void Form2::Image1_Click() {}
void Form2::Image1_MouseDown(int, int, float, float) {}
void Form2::Image1_MouseUp(int, int, float, float) {}
void Form2::Image5_Click() {}
void Form2::Image5_MouseDown(int, int, float, float) {}
void Form2::Image5_MouseUp(int, int, float, float) {}
void Form2::Image7_Click() {}
void Form2::Image7_MouseDown(int, int, float, float) {}
void Form2::Image7_MouseUp(int, int, float, float) {}
void Form2::Image9_Click() {}
void Form2::pause1_Click() {}
void Form2::Image8_Click() {}
void Form2::Image11_MouseDown(int, int, float, float) {}
void Form2::Image11_MouseUp(int, int, float, float) {}
void Form2::Image17_MouseDown(int, int, float, float) {}
void Form2::Image17_MouseUp(int, int, float, float) {}
void Form2::Image14_Click() {}
void Form2::Image15_Click() {}
void Form2::Form_MouseMove(int, int, float, float) {}
void Form2::Check1_Click() {}
void Form2::Timer1_Timer() {}
void Form2::Command1_Click() {}
void Form2::Command2_Click() {}
void Form2::Command6_Click() {}
void Form2::Command8_Click() {}
void Form2::Command11_Click() {}
void Form2::Command12_Click() {}
void Form2::Command13_Click() {}
void Form2::Command14_Click() {}
void Form2::Command15_Click() {}
void Form2::Command16_Click() {}
void Form2::next_Click() {}
void Form2::Open_Click() {}
void Form2::Stop_Click() {}

}  // namespace player
