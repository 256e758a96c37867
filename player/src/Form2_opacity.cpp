// Always on top and the opacity menu.

#include "player/Form2.hpp"

#include "player/fade.hpp"

namespace player {

void Form2::lwa_FadeIn(std::int32_t hWnd, std::int16_t Step) { player::lwa_FadeIn(hWnd, Step); }

void Form2::mnumainplayer_Click() {}
void Form2::mnuscrollinfoontop_Click() {}
void Form2::mnuPercent_Click(int) {}

}  // namespace player
