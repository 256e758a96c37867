// Playback: starting the chosen entry, stepping with wrap-around, what plays
// at the end of a track, pause, resume, stop, seek, mute, opening outside the
// playlist and the play-mode flags.

#include "player/Form2.hpp"

namespace player {

void Form2::List2_DblClick() {}
void Form2::Label7_Click() {}
void Form2::mnupopupplay_Click() {}
void Form2::Label9_Click() {}
void Form2::Label10_Click() {}
void Form2::mnupopupnext_Click() {}
void Form2::mnupopupprevious_Click() {}
void Form2::MediaPlayer1_EndOfStream(std::int32_t) {}
void Form2::mnuplayaftercurrent_Click() {}
void Form2::Label8_Click() {}
void Form2::mnupopuppause_Click() {}
void Form2::mnupopupresume_Click() {}
void Form2::mnupopupstop_Click() {}
void Form2::mnupopupfarward_Click() {}
void Form2::mnupopuprewind_Click() {}
void Form2::Label11_Click() {}
void Form2::Label6_Click() {}
void Form2::mnuopentrack_Click() {}
void Form2::mnuopenurl_Click() {}
void Form2::mnurepeat_Click() {}
void Form2::mnuturnoff_Click() {}
void Form2::mnushufle_Click() {}
void Form2::mnuuplist_Click() {}

}  // namespace player
