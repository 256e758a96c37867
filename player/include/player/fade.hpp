#pragma once
// The main window's fade-in, usable before that window exists: raises the
// alpha of an already layered window from 0 in steps of Step (0, Step,
// 2 x Step ... up to the last multiple below 255), letting pending events run
// after every step. A Step below 1 returns at once.

#include <cstdint>

namespace player {

void lwa_FadeIn(std::int32_t hWnd, std::int16_t Step);

}  // namespace player
