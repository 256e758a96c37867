#pragma once
// Everything a window needs of the forms model.

#include "forms/application.hpp"
#include "forms/backend.hpp"
#include "forms/clipboard.hpp"
#include "forms/common_dialog.hpp"
#include "forms/control.hpp"
#include "forms/control_array.hpp"
#include "forms/controls.hpp"
#include "forms/dialogs.hpp"
#include "forms/event.hpp"
#include "forms/form.hpp"
#include "forms/menu.hpp"
#include "forms/picture.hpp"
#include "forms/types.hpp"
#include "forms/window_region.hpp"
