// Tags from file and folder names, and the popup menu on the field captions.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::lblInfo_MouseDown(int Index, int Button, int Shift, float X, float Y) { (void)Index, (void)Button, (void)Shift, (void)X, (void)Y; }
void Form1::mnutitle_Click() {}
void Form1::mnuartisttitle_Click() {}
void Form1::Command3_Click() {}
void Form1::mnualbumartisttitle_Click() {}

}  // namespace tageditor
