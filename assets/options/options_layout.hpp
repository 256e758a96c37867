#pragma once
// The options window's controls as its background picture expects them,
// left, top, width and height in twips (15 twips a pixel). The side-bar
// entries sit on the light insides of the two side-bar frames, each with its
// icon to its left; the pages share one place right of the side bar.

#include "control_rect.hpp"

namespace options_art {

using artwork::ControlRect;

// frmTestControls: client area 10035 x 5985 twips; background 668 x 400 pixels.
constexpr int kClientWidth = 10035, kClientHeight = 5985;

// The upper frame "Main Functions" holds the first four, the lower "Help" the last three.
inline constexpr ControlRect kSideBar[] = {
    {"Label6", 840, 990, 1500, 285},   // "Main Player"
    {"Label3", 840, 1320, 1500, 285},  // "Opacity"
    {"Label4", 840, 1680, 1500, 285},  // "Associated Files"
    {"Label5", 840, 2160, 1500, 285},  // "Restore Default"
    {"Label7", 840, 3170, 1500, 285},  // "Help"
    {"Label10", 840, 4220, 1500, 285},  // "About Korvane M.."
    {"Label11", 840, 4560, 1500, 285},  // "Contact Support"
};
constexpr int kMainFunctionsEntries = 4;

inline constexpr ControlRect kPages[] = {
    {"Picture1", 2880, 480, 5655, 4275}, {"Picture2", 2880, 480, 5655, 4275},
    {"Picture3", 2880, 480, 5655, 4275}, {"Picture4", 2880, 480, 5655, 4275},
    {"Picture5", 2880, 480, 5655, 4275}, {"Picture7", 2880, 600, 5655, 4275},
};

inline constexpr ControlRect kFooter[] = {
    {"Command2", 3120, 5520, 1215, 375},  // "Cancel" (placed here: left of the progress bar)
    {"p1", 4440, 5520, 4095, 375},
    {"Command3", 8640, 5520, 1215, 375},  // Done: its face is done.png, 81 x 25
};

}  // namespace options_art
