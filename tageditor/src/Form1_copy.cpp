// Copy Info, Copy to 1, Copy from1 and Renew.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::Command6_Click() {}
void Form1::Command7_Click() {}
void Form1::Command8_Click() {}
void Form1::Command9_Click() {}

}  // namespace tageditor
