#pragma once
// A control's rectangle in twips (15 twips a pixel), relative to the window's
// client area: what the skins keep for it and what the windows place.

#include <string_view>

namespace artwork {

struct ControlRect {
    std::string_view name;
    int left, top, width, height;
};

}  // namespace artwork
