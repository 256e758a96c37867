#pragma once
// The small pictures of the player's windows, drawn at build time into the
// program folder's "skin" folder.

#include <string>

#include "forms/picture.hpp"

namespace player {

// The picture skin/<name> beside the program; no picture when it is missing
// or unreadable (the control then shows nothing).
forms::Picture SkinPicture(const std::string& name);

}  // namespace player
