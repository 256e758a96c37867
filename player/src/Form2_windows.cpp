// The other windows and programs opened from the menu.

#include "player/Form2.hpp"

namespace player {

void Form2::mnupopuptag_Click() {}
void Form2::mnuplayingtag_Click() {}
void Form2::Label14_Click() {}
void Form2::Label12_Click() {}
void Form2::Label15_Click() {}
void Form2::mnusettings_Click() {}
void Form2::mnumakedefault_Click() {}
void Form2::mnupopupabout_Click() {}
void Form2::mnupopupreadme_Click() {}
void Form2::mnucontactme_Click() {}
void Form2::mnubugreport_Click() {}
void Form2::mnusongrequest_Click() {}
void Form2::mnusonghaul1_Click() {}
void Form2::mnusonghaul2_Click() {}
void Form2::mnusonghaul3_Click() {}
void Form2::mnuhomepage_Click() {}
void Form2::mnumail_Click() {}
void Form2::mnupopupeject_Click() {}
void Form2::mnupopupclose_Click() {}

}  // namespace player
