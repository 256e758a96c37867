#pragma once
// The backend puts forms on screen. The model keeps every property; a peer
// mirrors them into one top-level window and its widgets, and reports user
// input back through the model's user-action methods (Control::click,
// Form::keyDown, Form::userResized ...). Without a backend the model runs
// alone (tests, headless programs).

#include <memory>

#include "forms/control.hpp"

namespace forms {

class Form;
class Menu;

enum class FormProp {
    Geometry, Caption, Icon, Picture, BackColor, Visible, WindowState, BorderStyle,
    Region, Opacity, Topmost, ShowInTaskbar, Buttons, ZOrder, MousePointer, ScaleMode,
};

class FormPeer {
public:
    virtual ~FormPeer() = default;

    virtual void formChanged(FormProp what) = 0;
    // A control was made (at load every existing control is reported) or goes away.
    virtual void controlAdded(Control& c) = 0;
    virtual void controlRemoved(Control& c) = 0;
    virtual void controlChanged(Control& c, Prop what) = 0;
    // Menu items were added, removed or changed.
    virtual void menusChanged() = 0;
    // The model moved the focus (nullptr: none).
    virtual void focusChanged(Control* c) = 0;
    // Shows a popup menu of the menu's items at the pointer and waits; returns
    // the item chosen, or nullptr when the menu was dismissed.
    virtual Menu* popupMenu(Menu& menu) = 0;
    // The user's drag of the window surface moves the window from now on.
    virtual void beginSystemMove() = 0;
};

struct ScreenSize {
    int width = 1024, height = 768;  // pixels
};

class Backend {
public:
    virtual ~Backend() = default;
    // The peer of a form that is being loaded.
    virtual std::unique_ptr<FormPeer> createPeer(Form& form) = 0;
    virtual ScreenSize screenSize() const = 0;
};

}  // namespace forms
