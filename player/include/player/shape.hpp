#pragma once
// The shaping sequence every skinned window runs in its load: load the skin
// picture, build a region of its non-key pixels (key from the bottom-left
// pixel), move it past the window's frame, set the picture as the window's
// background and apply the region. Each step that fails is skipped, so a
// missing or unreadable picture leaves the window without picture and shape.

#include <string>

#include "forms/form.hpp"

namespace player {

void ShapeWindow(forms::Form& form, const std::string& picturePath);

}  // namespace player
