// Volume meter, rockers, balance lights, mute and the playback rate.

#include "player/Form2.hpp"

namespace player {

void Form2::Timer5_Timer() {}
void Form2::Vol1_Click() {}
void Form2::Vol2_Click() {}
void Form2::Vol3_Click() {}
void Form2::Vol4_Click() {}
void Form2::Vol5_Click() {}
void Form2::Vol6_Click() {}
void Form2::Vol7_Click() {}
void Form2::Vol8_Click() {}
void Form2::Vol9_Click() {}
void Form2::Vol10_Click() {}
void Form2::Slider1_Change() {}
void Form2::Slider2_Change() {}
void Form2::Slider3_Change() {}
void Form2::B2_Click() {}
void Form2::B3_Click() {}
void Form2::B4_Click() {}
void Form2::B6_Click() {}
void Form2::Option1_Click() {}
void Form2::Option2_Click() {}
void Form2::Option3_Click() {}
void Form2::Mute1_Click() {}
void Form2::Mute2_Click() {}
void Form2::mnupopupoptionsmute_Click() {}
void Form2::mnupopupvolumeinc_Click() {}
void Form2::mnupopupvolumedec_Click() {}
void Form2::mnupopubalanceleft_Click() {}
void Form2::mnupopupbalancecenter_Click() {}
void Form2::mnupopupbalanceright_Click() {}
void Form2::mnupopup25_Click() {}
void Form2::mnupopup50_Click() {}
void Form2::mnupopup75_Click() {}
void Form2::mnupopup100_Click() {}
void Form2::mnupopup125_Click() {}
void Form2::mnupopup150_Click() {}
void Form2::mnupopup200_Click() {}

}  // namespace player
