// File information and attributes.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::LoadInfo() {}
void Form1::Read_Click() {}
void Form1::Hidden_Click() {}
void Form1::Archive_Click() {}

}  // namespace tageditor
