// The search box under the playlist.

#include "player/Form2.hpp"

namespace player {

void Form2::Text1_Change() {}
void Form2::Text1_Click() {}
void Form2::Text1_GotFocus() {}
void Form2::Text1_LostFocus() {}
void Form2::Text1_KeyPress(int&) {}
void Form2::mnusearch_Click() {}

}  // namespace player
