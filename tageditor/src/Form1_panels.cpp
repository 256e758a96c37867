// The side panel cycle and the artist pictures.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::Command16_Click() {}
void Form1::Command13_Click() {}
void Form1::Command14_Click() {}
void Form1::Command15_Click() {}
void Form1::Timer5_Timer() {}

}  // namespace tageditor
