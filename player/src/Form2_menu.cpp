// Where the popup menus open, dragging the window by its surface, and the
// keyboard hotkeys.
//
// The window's frame and menu bar lie outside its skin, so the popup menu
// is the way to every command without a skin button, and a drag of the free
// surface stands in for the title bar.

#include "player/Form2.hpp"

#include "runtime/convert.hpp"
#include "runtime/error.hpp"

namespace player {

namespace {
constexpr int kLeft = forms::vbLeftButton;
constexpr int kRight = forms::vbRightButton;
constexpr int kMiddle = forms::vbMiddleButton;
}  // namespace

void Form2::Form_MouseDown(int Button, int, float, float) {
    runtime::Steps step;
    // The left button alone drags the window as its title bar would.
    if (Button == kLeft) step([&] { beginSystemMove(); });
    if (Button & kRight) step([&] { popupMenu(mnupopup); });
    step([&] { Slider1.setFocus(); });
    if (Button == kMiddle) step([&] { Slider3.setFocus(); });
}

void Form2::List2_MouseDown(int Button, int, float, float) {
    runtime::Steps step;
    if (Button & kRight) step([&] { popupMenu(mnupopup); });
    // The middle button selects the current track's line.
    if (Button == kMiddle) step([&] { List2.setListIndex(runtime::CLng(runtime::Val(Label4.caption()) - 1)); });
}

void Form2::Label1_MouseDown(int Button, int, float, float) {
    if (Button & kRight) popupMenu(mnupopup);
}

// Released over Label20, either button opens the menu: once for each of the
// two bits that is set.
void Form2::Label20_MouseUp(int Button, int, float, float) {
    if (Button & kRight) popupMenu(mnupopup);
    if (Button & kLeft) popupMenu(mnupopup);
}

void Form2::Label3_MouseDown(int Button, int, float, float) {
    if (Button & kRight) popupMenu(mnufavorites);
}

// Every character typed in the window. The key is passed on unchanged, so a
// character typed into the search box also reaches the box.
void Form2::Form_KeyPress(int& KeyAscii) {
    runtime::Steps step;
    const int key = KeyAscii;
    step([&] { setKeyPreview(true); });
    if (key == '+') step([&] { MediaPlayer1.setVolume(MediaPlayer1.volume() + 250); });
    step([&] { Timer5.setEnabled(true); });
    if (key == '-') step([&] { MediaPlayer1.setVolume(MediaPlayer1.volume() - 250); });
    step([&] { Timer5.setEnabled(true); });
    if (key == 13) step([&] { Command2_Click(); });               // play
    if (key == 'm') step([&] { mnupopupoptionsmute_Click(); });  // mute on or off
    // The numbers as on the keypad: 4 back, 6 ahead, 2 next, 8 previous.
    if (key == '4') step([&] { MediaPlayer1.setCurrentPosition(MediaPlayer1.currentPosition() - 10); });
    if (key == '6') step([&] { MediaPlayer1.setCurrentPosition(MediaPlayer1.currentPosition() + 10); });
    if (key == '2') step([&] { Label9_Click(); });
    if (key == '8') step([&] { Image1_Click(); });
    // Space arms a latch in Command3's caption; the pause command releases it.
    if (key == ' ') step([&] { Command3.setCaption(runtime::CStr(key)); });
    step([&] {
        if (Command3.caption() == "32") mnupopuppause_Click();
    });
    step([&] { pic(); });
    refreshIndicators();
}

}  // namespace player
