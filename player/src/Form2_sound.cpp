// Volume meter, rockers, balance lights, mute and the playback rate.
//
// The skin shows each two-state element as a pair of images at one place:
// the handlers show the image of the new state and hide the other. The
// meter's five segments are the pairs (Vol1, Vol5) .. (Vol4, Vol8) and
// (Vol9, Vol10), unlit first; the balance lights (B2, B1), (B4, B3) and
// (B6, B5), unlit first, stand for Option3, Option2 and Option1.
//
// Every handler goes on with its next step when one fails (a volume, position
// or rate the control refuses keeps its old value); nothing is reported.

#include "player/Form2.hpp"

#include "runtime/error.hpp"

namespace player {

namespace {

constexpr std::int32_t kVolumeStep = 250;
constexpr double kSeekStep = 10.0;

void showPair(forms::Image& unlit, forms::Image& lit, bool on) {
    runtime::Steps step;
    step([&] { lit.setVisible(on); });
    step([&] { unlit.setVisible(!on); });
}

// Segments 1 to n lit, the others unlit.
void showMeter(Form2& f, int n) {
    forms::Image* segments[5][2] = {
        {&f.Vol1, &f.Vol5}, {&f.Vol2, &f.Vol6}, {&f.Vol3, &f.Vol7}, {&f.Vol4, &f.Vol8}, {&f.Vol9, &f.Vol10}};
    for (int i = 0; i < 5; ++i) showPair(*segments[i][0], *segments[i][1], i < n);
}

// A segment click: the volume for n lit segments, the meter left to the
// clicks until something switches Timer5 on again.
void setSegments(Form2& f, int n) {
    runtime::Steps step;
    step([&] { f.MediaPlayer1.setVolume(-3000 + 500 * n); });
    step([&] { f.Timer5.setEnabled(false); });
    showMeter(f, n);
}

enum class Light { Left, Centre, Right };

void showLight(Form2& f, Light lit) {
    showPair(f.B2, f.B1, lit == Light::Left);
    showPair(f.B4, f.B3, lit == Light::Centre);
    showPair(f.B6, f.B5, lit == Light::Right);
}

// The volume menu commands: a step, the meter on, the keyboard on the volume rocker.
void stepVolume(Form2& f, std::int32_t by) {
    runtime::Steps step;
    step([&] { f.MediaPlayer1.setVolume(f.MediaPlayer1.volume() + by); });
    step([&] { f.Timer5.setEnabled(true); });
    step([&] { f.Slider1.setFocus(); });
}

// A rate command: the rate, then the check mark on its item alone (all seven
// written, so the marks move even when the control refused the rate).
void chooseRate(Form2& f, forms::Menu& item, double rate) {
    runtime::Steps step;
    step([&] { f.MediaPlayer1.setRate(rate); });
    for (forms::Menu* m : {&f.mnupopup25, &f.mnupopup50, &f.mnupopup75, &f.mnupopup100, &f.mnupopup125,
                           &f.mnupopup150, &f.mnupopup200})
        step([&] { m->setChecked(m == &item); });
}

}  // namespace

// ---- the meter and the repeat pair ----

void Form2::Timer5_Timer() {
    runtime::Steps step;
    // The meter shows only the volumes of its grid; any other leaves it as it is.
    static constexpr std::int32_t grid[] = {-3000, -2500, -2000, -1500, -1000, -500, 0};
    static constexpr int lit[] = {0, 1, 2, 3, 4, 5, 5};
    step([&] {
        for (int i = 0; i < 7; ++i)
            if (MediaPlayer1.volume() == grid[i]) {
                showMeter(*this, lit[i]);
                break;
            }
    });
    step([&] {
        if (Check1.value() == 1) {
            Image14.setVisible(false);
            Image15.setVisible(true);
        } else if (Check1.value() == 0) {
            Image14.setVisible(true);
            Image15.setVisible(false);
        }
    });
}

// An unlit segment k sets the volume that lights k segments, a lit one the
// volume that lights k - 1.
void Form2::Vol1_Click() { setSegments(*this, 1); }
void Form2::Vol2_Click() { setSegments(*this, 2); }
void Form2::Vol3_Click() { setSegments(*this, 3); }
void Form2::Vol4_Click() { setSegments(*this, 4); }
void Form2::Vol9_Click() { setSegments(*this, 5); }
void Form2::Vol5_Click() { setSegments(*this, 0); }
void Form2::Vol6_Click() { setSegments(*this, 1); }
void Form2::Vol7_Click() { setSegments(*this, 2); }
void Form2::Vol8_Click() { setSegments(*this, 3); }
void Form2::Vol10_Click() { setSegments(*this, 4); }

// ---- the rockers: each acts once when moved off the centre and springs back ----

void Form2::Slider1_Change() {
    runtime::Steps step;
    long at = 2;
    step([&] { at = Slider1.value(); });
    if (at != 1 && at != 3) return;
    step([&] { MediaPlayer1.setVolume(MediaPlayer1.volume() + (at == 1 ? kVolumeStep : -kVolumeStep)); });
    step([&] { Slider1.setValue(2); });
    step([&] { Timer5.setEnabled(true); });
}

void Form2::Slider2_Change() {
    runtime::Steps step;
    long at = 2;
    step([&] { at = Slider2.value(); });
    if (at != 1 && at != 3) return;
    step([&] { Slider2.setValue(2); });
    step([&] { MediaPlayer1.setCurrentPosition(MediaPlayer1.currentPosition() + (at == 1 ? kSeekStep : -kSeekStep)); });
}

void Form2::Slider3_Change() {
    runtime::Steps step;
    long at = 2;
    step([&] { at = Slider3.value(); });
    if (at != 1 && at != 3) return;
    step([&] { Slider3.setValue(2); });
    step([&] {
        if (at == 1)
            Image1_Click();  // previous track
        else
            Image7_Click();  // next track
    });
}

// ---- balance: the lights select an option button, which sets the balance ----

void Form2::B2_Click() {
    runtime::Steps step;
    step([&] { Option3.setValue(true); });
    showLight(*this, Light::Left);
}

void Form2::B3_Click() {
    runtime::Steps step;
    step([&] { Option2.setValue(true); });
    showLight(*this, Light::Centre);
}

void Form2::B4_Click() { B3_Click(); }

void Form2::B6_Click() {
    runtime::Steps step;
    step([&] { Option1.setValue(true); });
    showLight(*this, Light::Right);
}

void Form2::Option1_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.setBalance(10000); });
}

void Form2::Option2_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.setBalance(0); });
}

void Form2::Option3_Click() {
    runtime::Steps step;
    step([&] { MediaPlayer1.setBalance(-10000); });
}

void Form2::mnupopubalanceleft_Click() {
    runtime::Steps step;
    step([&] { B2_Click(); });
    step([&] { Option3.setValue(true); });
}

void Form2::mnupopupbalancecenter_Click() {
    runtime::Steps step;
    step([&] { B4_Click(); });
    step([&] { Option2.setValue(true); });
}

void Form2::mnupopupbalanceright_Click() {
    runtime::Steps step;
    step([&] { B6_Click(); });
    step([&] { Option1.setValue(true); });
}

// ---- mute: the tick first, then the control's toggle, then the pair ----
// The toggle flips the control's Mute whatever the tick says, so a Mute
// changed elsewhere leaves tick and control opposite.

void Form2::Mute1_Click() {
    runtime::Steps step;
    step([&] { mnupopupoptionsmute.setChecked(true); });
    step([&] { Label11_Click(); });
    step([&] { Mute2.setVisible(true); });
    step([&] { Mute1.setVisible(false); });
}

void Form2::Mute2_Click() {
    runtime::Steps step;
    step([&] { mnupopupoptionsmute.setChecked(false); });
    step([&] { Label11_Click(); });
    step([&] { Mute1.setVisible(true); });
    step([&] { Mute2.setVisible(false); });
}

void Form2::mnupopupoptionsmute_Click() {
    runtime::Steps step;
    const bool muting = !mnupopupoptionsmute.checked();
    step([&] { mnupopupoptionsmute.setChecked(muting); });
    step([&] { Label11_Click(); });
    step([&] { Mute1.setVisible(!muting); });
    step([&] { Mute2.setVisible(muting); });
}

// ---- the Volume submenu's steps ----

void Form2::mnupopupvolumeinc_Click() { stepVolume(*this, kVolumeStep); }
void Form2::mnupopupvolumedec_Click() { stepVolume(*this, -kVolumeStep); }

// ---- the Speed submenu: three of its items round their captions ----

void Form2::mnupopup25_Click() { chooseRate(*this, mnupopup25, 0.3); }
void Form2::mnupopup50_Click() { chooseRate(*this, mnupopup50, 0.5); }
void Form2::mnupopup75_Click() { chooseRate(*this, mnupopup75, 0.7); }
void Form2::mnupopup100_Click() { chooseRate(*this, mnupopup100, 1.0); }
void Form2::mnupopup125_Click() { chooseRate(*this, mnupopup125, 1.3); }
void Form2::mnupopup150_Click() { chooseRate(*this, mnupopup150, 1.5); }
void Form2::mnupopup200_Click() { chooseRate(*this, mnupopup200, 2.0); }

}  // namespace player
