// The skin's transport click areas with their pressed pictures, the pause
// and mute indicators, the repeat pair and the hidden buttons.
//
// The click areas are picture-less images over the skin; each pressed picture
// lies under its area and shows only while the mouse button is down. The
// hidden buttons carry the access keys (Alt+M, A, N, P, O, S) and only
// forward: the operations they reach guard themselves.

#include "player/Form2.hpp"

#include "runtime/error.hpp"

namespace player {

namespace {
void showPicture(forms::Image& picture, bool shown) {
    runtime::Steps step;
    step([&] { picture.setVisible(shown); });
}
}  // namespace

// ---- click areas ----

void Form2::Image1_Click() {
    runtime::Steps step;
    step([&] { Command8_Click(); });
}
void Form2::Image1_MouseDown(int, int, float, float) { showPicture(Image6, true); }
void Form2::Image1_MouseUp(int, int, float, float) { showPicture(Image6, false); }

void Form2::Image5_Click() {
    runtime::Steps step;
    step([&] { Command2_Click(); });
    step([&] { pic(); });
}
void Form2::Image5_MouseDown(int, int, float, float) { showPicture(Image2, true); }
void Form2::Image5_MouseUp(int, int, float, float) { showPicture(Image2, false); }

void Form2::Image7_Click() {
    runtime::Steps step;
    step([&] { Command6_Click(); });
    step([&] { pic(); });
}
void Form2::Image7_MouseDown(int, int, float, float) { showPicture(Image8, true); }
void Form2::Image7_MouseUp(int, int, float, float) { showPicture(Image8, false); }

// The pause spot: the paused picture goes up before the control is asked,
// whatever it is doing; clicking the picture resumes.
void Form2::Image9_Click() {
    runtime::Steps step;
    step([&] { pause1.setVisible(true); });
    step([&] { Image9.setVisible(false); });
    step([&] { MediaPlayer1.pause(); });
}

void Form2::pause1_Click() {
    runtime::Steps step;
    step([&] { pause1.setVisible(false); });
    step([&] { Image9.setVisible(true); });
    step([&] { MediaPlayer1.play(); });
}

void Form2::Image8_Click() {}

// The open-files area has a pressed picture that is never shown.
void Form2::Image11_MouseDown(int, int, float, float) {}
void Form2::Image11_MouseUp(int, int, float, float) {}

void Form2::Image17_MouseDown(int, int, float, float) { showPicture(Image16, true); }
void Form2::Image17_MouseUp(int, int, float, float) { showPicture(Image16, false); }

// ---- the repeat pair ----

void Form2::Image14_Click() {
    runtime::Steps step;
    step([&] { mnurepeat_Click(); });
    step([&] { Image14.setVisible(false); });
    step([&] { Image15.setVisible(true); });
}

void Form2::Image15_Click() {
    runtime::Steps step;
    step([&] { mnurepeat_Click(); });
    step([&] { Image14.setVisible(true); });
    step([&] { Image15.setVisible(false); });
}

void Form2::Check1_Click() {
    runtime::Steps step;
    step([&] { Check1.setToolTipText("Repeat This Song"); });
}

// ---- the indicators follow the control whenever the mouse moves over the window ----

void Form2::Form_MouseMove(int, int, float, float) {
    runtime::Steps step;
    step([&] { setKeyPreview(true); });
    refreshIndicators();
}

void Form2::refreshIndicators() {
    runtime::Steps step;
    step([&] {
        const std::int32_t state = MediaPlayer1.playState();
        if (state == media::Playing) {
            pause1.setVisible(false);
            Image9.setVisible(true);
        } else if (state == media::Paused) {
            pause1.setVisible(true);
            Image9.setVisible(false);
        }
    });
    step([&] {
        if (MediaPlayer1.mute()) {
            Mute1.setVisible(false);
            Mute2.setVisible(true);
        } else {
            Mute1.setVisible(true);
            Mute2.setVisible(false);
        }
    });
    step([&] { MediaPlayer1.setWidth(239); });
}

void Form2::Timer1_Timer() {}

// ---- hidden buttons ----

void Form2::Command1_Click() { Label11_Click(); }
void Form2::Command2_Click() { Label7_Click(); }
void Form2::Command6_Click() { Label9_Click(); }
void Form2::Command8_Click() { Label10_Click(); }
void Form2::Command11_Click() { Command6_Click(); }
void Form2::Command12_Click() { Command8_Click(); }
void Form2::Command13_Click() { Command2_Click(); }
void Form2::Command14_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.pause(); });
}
void Form2::Command15_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.stop(); });
}
void Form2::Command16_Click() { Label6_Click(); }
void Form2::next_Click() { Label9_Click(); }
void Form2::Open_Click() { Label6_Click(); }
// The hidden "Stop" button pauses.
void Form2::Stop_Click() { Label8_Click(); }

}  // namespace player
