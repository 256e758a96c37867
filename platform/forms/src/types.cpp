#include "forms/types.hpp"

namespace forms {

Colour resolveColour(Colour c) {
    if ((c & 0x80000000u) == 0) return c & 0xFFFFFF;
    switch (c & 0xFF) {
        case 0x05: return RGB(255, 255, 255);  // window background
        case 0x08: return RGB(0, 0, 0);        // window text
        case 0x0D: return RGB(49, 106, 197);   // highlight
        case 0x0E: return RGB(255, 255, 255);  // highlighted text
        case 0x0F: return RGB(236, 233, 216);  // button face
        case 0x12: return RGB(0, 0, 0);        // button text
        default: return RGB(212, 208, 200);
    }
}

FrameMetrics frameMetrics(BorderStyle style) {
    switch (style) {
        case BorderStyle::None: return {};
        case BorderStyle::FixedSingle:
        case BorderStyle::FixedDialog: return {3, 3, 3, 3, 22};
        case BorderStyle::Sizable: return {4, 5, 4, 4, 22};
        case BorderStyle::FixedToolWindow: return {3, 3, 3, 3, 16};
        case BorderStyle::SizableToolWindow: return {4, 5, 4, 4, 16};
    }
    return {};
}

}  // namespace forms
