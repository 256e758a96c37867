#pragma once
// Conversions between the forms' model and Qt: twips to pixels, colours,
// pictures, mouse buttons, shift keys, key codes and mouse pointers. (Text,
// fonts and dropped files are in qt_internal.hpp, which the dialogs share.)

#include <QColor>
#include <QImage>

#include <cmath>

#include "forms/controls.hpp"

class QWidget;

namespace formsqt {

inline int px(float twips) { return static_cast<int>(std::lround(twips / forms::TwipsPerPixel)); }

QColor colourOf(forms::Colour c);
QImage imageOf(const forms::Picture& p);

// The original's button bits (vbLeftButton ...) of Qt's buttons.
int buttonsOf(Qt::MouseButtons b);
// The original's shift bits (vbShiftMask ...) of Qt's modifiers.
int shiftOf(Qt::KeyboardModifiers m);
// The original's key code of a Qt key (0 when it has none).
int keyCodeOf(int key);

// The original's MousePointer values (99: the control's own MouseIcon).
void applyCursor(QWidget* w, int pointer, const forms::Picture& icon);

}  // namespace formsqt
