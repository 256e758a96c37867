#pragma once
// The tag editor's and the rename window's controls as their skins keep them:
// every control that is visible at design or shown later, left, top, width
// and height in twips, as the windows place them (tageditor/src/Form1.cpp,
// Form5.cpp). The skin pictures keep each whole rectangle: no pixel of the
// key colour lies under it.

#include "control_rect.hpp"

namespace tageditor_art {

using artwork::ControlRect;

// Form1: client area 8070 x 7305 twips, skin "3.kmf" 538 x 487 pixels.
constexpr int kForm1Width = 8070, kForm1Height = 7305;

inline constexpr ControlRect kForm1Controls[] = {
    // path, ID3v1 switch, close mark
    {"Label1", 3255, 255, 195, 255},  // "X"
    {"lblInfo(20)", 360, 900, 735, 195},
    {"txtpath", 1200, 840, 2715, 285},
    {"Idtag", 1200, 1200, 1455, 255},
    {"lblInfo(12)", 2760, 1245, 615, 195},
    {"txtTrack", 3480, 1200, 435, 285},
    // ID3v1 fields
    {"lblInfo(1)", 360, 1605, 735, 195},
    {"txtTitle", 1200, 1560, 2715, 285},
    {"lblInfo(0)", 360, 1965, 735, 195},
    {"txtartist", 1200, 1920, 2715, 285},
    {"lblInfo(2)", 360, 2325, 735, 195},
    {"txtalbum", 1200, 2280, 2715, 285},
    {"lblInfo(3)", 360, 2685, 735, 195},
    {"Combo1", 1200, 2640, 1335, 315},
    {"lblInfo(4)", 2640, 2685, 435, 195},
    {"txtYear", 3120, 2640, 795, 285},
    {"lblInfo(5)", 360, 3045, 735, 195},
    {"txtComments", 1200, 3000, 2715, 285},
    // ID3v2 fields of the left column
    {"lblInfo(13)", 360, 3405, 855, 195},
    {"txtOriginalArtist", 1200, 3360, 2715, 285},
    {"lblInfo(16)", 360, 3765, 855, 195},
    {"txtComposer", 1200, 3720, 2715, 285},
    {"lblInfo(17)", 360, 4125, 855, 195},
    {"txtCopyright", 1200, 4080, 2715, 285},
    {"lblInfo(14)", 360, 4485, 855, 195},
    {"txtEncodedBy", 1200, 4440, 2715, 285},
    {"lblInfo(15)", 360, 4845, 735, 195},
    {"txtLinkTo", 1200, 4800, 2715, 285},
    {"lblInfo(19)", 360, 5205, 855, 195},
    {"txtbuyurl", 1200, 5160, 2715, 285},
    {"lblInfo(21)", 360, 5565, 855, 195},
    {"txtaudiourl", 1200, 5520, 2715, 285},
    {"lblInfo(18)", 360, 5925, 855, 195},
    {"txtartisturl", 1200, 5880, 2715, 285},
    // ID3v1 length meter
    {"Label3", 360, 6310, 795, 195},
    {"p1", 1200, 6280, 2715, 255},
    // ID3v2 fields of the right column (under the side panels)
    {"lblInfo(24)", 4800, 900, 495, 195},  // "Menu"
    {"lblInfo(23)", 5520, 900, 435, 195},
    {"txtYearV2", 5985, 855, 615, 285},
    {"lblInfo(22)", 6720, 900, 465, 195},
    {"txtTrackV2", 7200, 860, 555, 285},
    {"lblInfo(8)", 4200, 1245, 735, 195},
    {"txtTitleV2", 5040, 1200, 2715, 285},
    {"lblInfo(7)", 4200, 1605, 735, 195},
    {"txtArtistV2", 5040, 1560, 2715, 285},
    {"lblInfo(9)", 4200, 1965, 735, 195},
    {"txtAlbumV2", 5040, 1920, 2715, 285},
    {"lblInfo(25)", 4200, 2325, 735, 195},
    {"cboGenreV2", 5040, 2280, 2715, 315},
    {"lblInfo(26)", 4200, 2685, 735, 195},
    {"Combo2", 5040, 2640, 1215, 315},
    {"Image2", 5040, 3000, 2730, 495},
    {"lblInfo(6)", 4200, 3720, 795, 195},
    {"Text2", 5040, 3535, 2715, 1875},
    {"Command17", 5040, 5520, 1095, 375},
    // the rating, hidden at design, right of Combo2: stars 27 x 26 pixels in
    // a row that overlaps them, heads 18 x 18
    {"Star1", 6300, 2640, 405, 390},
    {"Star2", 6600, 2640, 405, 390},
    {"Star3", 6900, 2640, 405, 390},
    {"Star4", 7200, 2640, 405, 390},
    {"Star5", 7500, 2640, 405, 390},
    {"Head1", 6300, 2670, 270, 270},
    {"Head2", 6600, 2670, 270, 270},
    // the five side panels, all at left 4200 once the window has loaded
    {"Picture1", 4200, 840, 3615, 5100},
    {"Picture2", 4200, 840, 3615, 5100},
    {"Picture3", 4200, 840, 3615, 5100},
    {"Picture4", 4200, 840, 3615, 5100},
    {"Picture5", 4200, 840, 3615, 5100},
    // tidy run progress
    {"Label2", 4200, 5950, 795, 195},
    {"pr1", 5040, 5980, 2715, 255},
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
};

// Inside the artist picture panel Picture1 (relative to the panel): where
// the default pictures and the download button's picture are meant to sit.
inline constexpr ControlRect kPicture1Controls[] = {
    {"Label6", 120, 0, 2415, 195},
    {"Image4", 120, 240, 3375, 2895},  // stretches its picture; Add.gif is 225 x 193
    {"Shape1", 105, 225, 3405, 2925},
    {"Command13", 120, 3240, 1095, 375},
    {"Command14", 1260, 3240, 1095, 375},
    {"Command15", 2400, 3240, 1095, 375},  // download.png, 16 x 16, beside "Download"
    {"Frame2", 120, 3720, 3375, 1215},
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
