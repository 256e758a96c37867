// Multi Tag: the file lists and the batch writer.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::Command17_Click() {}
void Form1::Command19_Click() {}
void Form1::Command20_Click() {}
void Form1::mnuaddfolder_Click() {}
void Form1::TimerFile_Timer() {}
void Form1::List1_Click() {}
void Form1::mnumultitag_Click() {}
void Form1::Command18_Click() {}
void Form1::Timer4_Timer() {}

}  // namespace tageditor
