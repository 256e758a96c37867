// Upper, Lower and Proper over the text fields.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::Command10_Click() {}
void Form1::Command11_Click() {}
void Form1::Command12_Click() {}

}  // namespace tageditor
