// Always on top and the opacity menu.

#include "player/Form2.hpp"

#include "forms/application.hpp"
#include "player/Form4.hpp"
#include "player/fade.hpp"
#include "player/os_helpers.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"

namespace player {

void Form2::lwa_FadeIn(std::int32_t hWnd, std::int16_t Step) { player::lwa_FadeIn(hWnd, Step); }

// "Main Player" takes the Info Bar along into the topmost band, but leaves it
// there when unticked.
void Form2::mnumainplayer_Click() {
    if (!mnumainplayer.checked()) {
        SetTopmost(hWnd(), true);
        SetTopmost(forms::Get<Form4>().hWnd(), true);
        mnumainplayer.setChecked(true);
    } else {
        SetTopmost(hWnd(), false);
        mnumainplayer.setChecked(false);
    }
}

void Form2::mnuscrollinfoontop_Click() {
    if (!mnuscrollinfoontop.checked()) {
        SetTopmost(forms::Get<Form4>().hWnd(), true);
        mnuscrollinfoontop.setChecked(true);
    } else {
        SetTopmost(forms::Get<Form4>().hWnd(), false);
        mnuscrollinfoontop.setChecked(false);
    }
}

// Both windows take the chosen opacity; the choice is not kept across runs.
void Form2::mnuPercent_Click(int Index) {
    runtime::Steps step;
    if (LastPercent != 0) step([&] { mnuPercent(LastPercent).setChecked(false); });
    std::uint8_t alpha = 255;
    // Index x 255 / 10, an exact half going to the even neighbour (50% is 128).
    step([&] { alpha = runtime::CByte(Index * 255 / 10.0); });
    step([&] { SetWindowAlpha(hWnd(), alpha); });
    step([&] { SetWindowAlpha(forms::Get<Form4>().hWnd(), alpha); });
    step([&] { mnuPercent(Index).setChecked(true); });
    LastPercent = static_cast<std::int16_t>(Index);
}

}  // namespace player
