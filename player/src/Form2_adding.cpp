// Files into the playlist: the open dialog, the folder search, the playing
// file, and files dropped on the window.

#include "player/Form2.hpp"

namespace player {

void Form2::Image11_Click() {}
void Form2::Image17_Click() {}
void Form2::cmdSearch_Click() {}
void Form2::Command20_Click() {}
void Form2::Form_OLEDragDrop(forms::DataObject&, int&, int, int, float, float) {}
void Form2::List2_OLEDragDrop(forms::DataObject&, int&, int, int, float, float) {}

void FindFiles(const std::string&, const std::string&, forms::ListBox&) {}

}  // namespace player
