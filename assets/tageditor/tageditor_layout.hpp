#pragma once
// The tag editor's and the rename window's controls as their skins keep them:
// every control that is visible at design or shown later, left, top, width
// and height in twips. The skin pictures keep each whole rectangle (no pixel
// of the key colour under it); the windows place their controls with the
// same numbers. Where the window's design gives a position only, the size
// here is the one these windows use (text boxes 285 high, combo boxes 315,
// caption labels 795 x 255, buttons 375 high).

#include "control_rect.hpp"

namespace tageditor_art {

using artwork::ControlRect;

// Form1: client area 8070 x 7305 twips, skin "3.kmf" 538 x 487 pixels.
constexpr int kForm1Width = 8070, kForm1Height = 7305;

inline constexpr ControlRect kForm1Controls[] = {
    // path, ID3v1 switch, close mark
    {"Label1", 3255, 255, 255, 255},  // "X"
    {"lblInfo(20)", 360, 900, 795, 255},
    {"txtpath", 1200, 840, 2715, 285},
    {"Idtag", 1200, 1200, 1215, 255},
    {"lblInfo(12)", 2760, 1260, 675, 255},
    {"txtTrack", 3480, 1200, 435, 285},
    // ID3v1 fields
    {"lblInfo(1)", 360, 1620, 795, 255},
    {"txtTitle", 1200, 1560, 2715, 285},
    {"lblInfo(0)", 360, 1980, 795, 255},
    {"txtartist", 1200, 1920, 2715, 285},
    {"lblInfo(2)", 360, 2340, 795, 255},
    {"txtalbum", 1200, 2280, 2715, 285},
    {"lblInfo(3)", 360, 2700, 795, 255},
    {"Combo1", 1200, 2640, 1335, 315},
    {"lblInfo(4)", 2640, 2700, 435, 255},
    {"txtYear", 3120, 2640, 795, 285},
    {"lblInfo(5)", 360, 3060, 795, 255},
    {"txtComments", 1200, 3000, 2715, 285},
    // ID3v2 fields of the left column
    {"lblInfo(13)", 360, 3420, 795, 255},
    {"txtOriginalArtist", 1200, 3360, 2715, 285},
    {"lblInfo(16)", 360, 3780, 795, 255},
    {"txtComposer", 1200, 3720, 2715, 285},
    {"lblInfo(17)", 360, 4140, 795, 255},
    {"txtCopyright", 1200, 4080, 2715, 285},
    {"lblInfo(14)", 360, 4500, 795, 255},
    {"txtEncodedBy", 1200, 4440, 2715, 285},
    {"lblInfo(15)", 360, 4860, 795, 255},
    {"txtLinkTo", 1200, 4800, 2715, 285},
    {"lblInfo(19)", 360, 5220, 795, 255},
    {"txtbuyurl", 1200, 5160, 2715, 285},
    {"lblInfo(21)", 360, 5580, 795, 255},
    {"txtaudiourl", 1200, 5520, 2715, 285},
    {"lblInfo(18)", 360, 5940, 795, 255},
    {"txtartisturl", 1200, 5880, 2715, 285},
    // ID3v1 length meter
    {"Label3", 360, 6250, 795, 255},
    {"p1", 1200, 6280, 2715, 195},
    // ID3v2 fields of the right column (under the side panels)
    {"lblInfo(24)", 4800, 900, 495, 255},  // "Menu"
    {"lblInfo(23)", 5520, 900, 435, 255},
    {"txtYearV2", 5985, 855, 555, 285},
    {"lblInfo(22)", 6600, 900, 570, 255},
    {"txtTrackV2", 7200, 860, 435, 285},
    {"lblInfo(8)", 4200, 1260, 795, 255},
    {"txtTitleV2", 5040, 1200, 2715, 285},
    {"lblInfo(7)", 4200, 1620, 795, 255},
    {"txtArtistV2", 5040, 1560, 2715, 285},
    {"lblInfo(9)", 4200, 1980, 795, 255},
    {"txtAlbumV2", 5040, 1920, 2715, 285},
    {"lblInfo(25)", 4200, 2340, 795, 255},
    {"cboGenreV2", 5040, 2280, 2715, 315},
    {"lblInfo(26)", 4200, 2700, 795, 255},
    {"Combo2", 5040, 2640, 2715, 315},
    {"Image2", 5040, 3000, 2730, 495},
    {"lblInfo(6)", 4200, 3720, 795, 255},
    {"Text2", 5040, 3535, 2715, 1875},
    {"Command17", 5040, 5520, 1095, 375},
    // the five side panels, all at left 4200 once the window has loaded
    {"Picture1", 4200, 840, 3615, 5100},
    {"Picture2", 4200, 840, 3615, 5100},
    {"Picture3", 4200, 840, 3615, 5100},
    {"Picture4", 4200, 840, 3615, 5100},
    {"Picture5", 4200, 840, 3615, 5100},
    // tidy run progress
    {"Label2", 4200, 5950, 795, 255},
    {"pr1", 5040, 5980, 2715, 195},
    // case and panel buttons
    {"Command12", 4320, 6240, 795, 375},
    {"Command11", 5160, 6240, 795, 375},
    {"Command10", 6000, 6240, 795, 375},
    {"Command16", 6840, 6240, 1095, 375},
    // main buttons
    {"Command2", 360, 6700, 1095, 375},
    {"Command6", 1560, 6700, 1095, 375},
    {"Command3", 2760, 6700, 1095, 375},
    {"Command9", 4320, 6720, 1095, 375},
    {"Command7", 5520, 6700, 1095, 375},
    {"Command8", 6720, 6700, 1095, 375},
    // the rating, hidden at design: stars 27 x 26 pixels, heads 18 x 18, in
    // the header strip right of the close mark, the heads after the stars
    {"Star1", 5040, 375, 405, 390},
    {"Star2", 5475, 375, 405, 390},
    {"Star3", 5910, 375, 405, 390},
    {"Star4", 6345, 375, 405, 390},
    {"Star5", 6780, 375, 405, 390},
    {"Head1", 7230, 435, 270, 270},
    {"Head2", 7530, 435, 270, 270},
};

// Inside the artist picture panel Picture1 (relative to the panel): where
// the default pictures and the download button's picture are meant to sit.
inline constexpr ControlRect kPicture1Controls[] = {
    {"Label6", 240, 120, 3135, 255},
    {"Image4", 240, 480, 3135, 2880},  // Add.gif fills it: 209 x 192 pixels
    {"Shape1", 240, 480, 3135, 2880},
    {"Command13", 240, 3480, 975, 495},
    {"Command14", 1320, 3480, 975, 495},
    {"Command15", 2400, 3480, 975, 495},  // graphical: download.png over "Download"
    {"Frame2", 240, 4080, 3135, 855},
};

// Form5: client area 4530 x 7410 twips, skin "2.kmf" 302 x 494 pixels, its
// Image1 302 x 490 at 0, 0. Every rectangle here is the window's own design.
constexpr int kForm5Width = 4530, kForm5Height = 7410;

inline constexpr ControlRect kForm5Controls[] = {
    {"Check1", 1320, 1365, 1095, 255},
    {"lblInfo(7)", 2365, 1395, 795, 255},
    {"Combo2", 3210, 1320, 855, 315},
    {"lblInfo(5)", 480, 1860, 795, 255},
    {"Text4", 1350, 1800, 2715, 315},
    {"lblInfo(9)", 480, 2235, 795, 255},
    {"Combo3", 1320, 2160, 2715, 315},
    {"lblInfo(6)", 480, 2580, 795, 255},
    {"Combo1", 1350, 2520, 2715, 315},
    {"lblInfo(1)", 480, 2940, 795, 255},
    {"txtTitle", 1350, 2880, 2715, 315},
    {"lblInfo(0)", 480, 3300, 795, 255},
    {"txtartist", 1350, 3240, 2715, 315},
    {"lblInfo(2)", 480, 3660, 795, 255},
    {"txtalbum", 1350, 3600, 2715, 315},
    {"lblInfo(3)", 480, 4020, 795, 255},
    {"Text3", 1350, 3960, 2715, 315},
    {"lblInfo(4)", 480, 4380, 795, 255},
    {"Text2", 1350, 4320, 2715, 315},
    {"lblInfo(8)", 480, 4740, 795, 255},
    {"Text1", 1350, 4680, 2715, 315},
    {"Label3", 390, 5235, 855, 255},
    {"pr1", 1320, 5160, 2775, 375},
    {"Command1", 1320, 5760, 1335, 495},
    {"Command2", 2760, 5760, 1335, 495},
    {"Label1", 1350, 6480, 2715, 615},
};

}  // namespace tageditor_art
