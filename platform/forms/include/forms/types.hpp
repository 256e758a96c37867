#pragma once
// Values shared by the forms model: colours, fonts, mouse and key constants,
// border styles, scale modes and the fixed frame metrics.

#include <cstdint>
#include <string>

namespace forms {

// 0x00BBGGRR, as the original's colour values; a value with the high bit set
// names a system colour (0x80000000 | index).
using Colour = std::uint32_t;

constexpr Colour RGB(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr Colour vbBlack = 0x000000;
inline constexpr Colour vbWhite = 0xFFFFFF;
inline constexpr Colour vbRed = 0x0000FF;
inline constexpr Colour vbGreen = 0x00FF00;
inline constexpr Colour vbBlue = 0xFF0000;
inline constexpr Colour vbYellow = 0x00FFFF;
inline constexpr Colour vbMagenta = 0xFF00FF;
inline constexpr Colour vbCyan = 0xFFFF00;
// System colours used as design defaults.
inline constexpr Colour vbWindowBackground = 0x80000005;
inline constexpr Colour vbWindowText = 0x80000008;
inline constexpr Colour vbButtonFace = 0x8000000F;
inline constexpr Colour vbButtonText = 0x80000012;
inline constexpr Colour vbHighlight = 0x8000000D;
inline constexpr Colour vbHighlightText = 0x8000000E;
// A system colour as the plain RGB value it is drawn with (other values unchanged).
Colour resolveColour(Colour c);

struct Font {
    std::string name = "MS Sans Serif";
    float size = 8.25f;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const Font&) const = default;
};

// Mouse buttons (the Button argument) and shift state (the Shift argument).
inline constexpr int vbLeftButton = 1;
inline constexpr int vbRightButton = 2;
inline constexpr int vbMiddleButton = 4;
inline constexpr int vbShiftMask = 1;
inline constexpr int vbCtrlMask = 2;
inline constexpr int vbAltMask = 4;

// Key codes (KeyDown/KeyUp; letters and digits are their upper-case ASCII codes).
inline constexpr int vbKeyBack = 8;
inline constexpr int vbKeyTab = 9;
inline constexpr int vbKeyReturn = 13;
inline constexpr int vbKeyShift = 16;
inline constexpr int vbKeyControl = 17;
inline constexpr int vbKeyMenu = 18;
inline constexpr int vbKeyEscape = 27;
inline constexpr int vbKeySpace = 32;
inline constexpr int vbKeyPageUp = 33;
inline constexpr int vbKeyPageDown = 34;
inline constexpr int vbKeyEnd = 35;
inline constexpr int vbKeyHome = 36;
inline constexpr int vbKeyLeft = 37;
inline constexpr int vbKeyUp = 38;
inline constexpr int vbKeyRight = 39;
inline constexpr int vbKeyDown = 40;
inline constexpr int vbKeyInsert = 45;
inline constexpr int vbKeyDelete = 46;
inline constexpr int vbKeyF1 = 112;  // F1..F12 are 112..123
constexpr int vbKeyF(int n) { return vbKeyF1 + n - 1; }

enum class BorderStyle { None = 0, FixedSingle = 1, Sizable = 2, FixedDialog = 3,
                         FixedToolWindow = 4, SizableToolWindow = 5 };

inline constexpr int vbTwips = 1;
inline constexpr int vbPixels = 3;

inline constexpr int vbNormal = 0;
inline constexpr int vbMinimized = 1;
inline constexpr int vbMaximized = 2;

// UnloadMode of QueryUnload.
inline constexpr int vbFormControlMenu = 0;
inline constexpr int vbFormCode = 1;
inline constexpr int vbAppWindows = 2;
inline constexpr int vbAppTaskManager = 3;

// Check box values.
inline constexpr int vbUnchecked = 0;
inline constexpr int vbChecked = 1;
inline constexpr int vbGrayed = 2;

// OLE drop effects.
inline constexpr int vbDropEffectNone = 0;
inline constexpr int vbDropEffectCopy = 1;
inline constexpr int vbDropEffectMove = 2;
// OLEDragOver states.
inline constexpr int vbEnter = 0;
inline constexpr int vbLeave = 1;
inline constexpr int vbOver = 2;

// Show styles of Shell (the program's window state).
inline constexpr int vbHide = 0;
inline constexpr int vbNormalFocus = 1;
inline constexpr int vbMinimizedFocus = 2;
inline constexpr int vbMaximizedFocus = 3;
inline constexpr int vbNormalNoFocus = 4;
inline constexpr int vbMinimizedNoFocus = 6;

inline constexpr int TwipsPerPixel = 15;

// Fixed frame metrics in pixels, the same on every backend, so that outer and
// client sizes relate as on the original platform: a sizable window with a
// menu bar and an outer size of 4215 x 8055 twips has a 4080 x 7290 client area.
struct FrameMetrics {
    int left = 0, right = 0, top = 0, bottom = 0;  // border widths
    int caption = 0;                               // title bar height
};
FrameMetrics frameMetrics(BorderStyle style);
inline constexpr int MenuBarHeight = 21;  // pixels, added below the title bar

struct PointF {
    float x = 0, y = 0;
};

}  // namespace forms
