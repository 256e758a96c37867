#pragma once
// The base of every control, and of the containers that hold controls (the
// form, frames and picture boxes).
//
// Positions and sizes are kept in twips relative to the container and read
// and written in the form's scale (twips until the form switches to pixels).
// Property writes are mirrored to the backend's widget; user input arrives
// through the user-action methods (click, mouseDown, ...) and raises the
// events, as the original's controls do.

#include <string>
#include <vector>

#include "forms/event.hpp"
#include "forms/picture.hpp"
#include "forms/types.hpp"
#include "forms/window_region.hpp"

namespace forms {

class Form;
class Control;

// What changed, for the backend's widget.
enum class Prop {
    Geometry, Visible, Enabled, Caption, Text, BackColor, ForeColor, Font, Picture,
    ToolTip, Items, ListIndex, Value, Range, Style, MousePointer, ZOrder, Locked,
    MaxLength, BackStyle, Alignment, BorderColor, Stretch, Selection, Path,
};

enum class Kind {
    Label, TextBox, CommandButton, CheckBox, OptionButton, ListBox, ComboBox, Image,
    PictureBox, Frame, Shape, Timer, FileListBox, Slider, ProgressBar, CommonDialog,
    Custom,  // a control of another library (no widget of its own here)
};
const char* kindName(Kind k);

class Container {
public:
    Container() = default;
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;
    virtual ~Container() = default;

    virtual Form& form() = 0;
    // The control that is this container (nullptr for the form itself).
    virtual Control* asControl() { return nullptr; }
    // Children in z-order, bottom first.
    const std::vector<Control*>& children() const { return children_; }

private:
    friend class Control;
    std::vector<Control*> children_;
};

class Control {
public:
    // index: the element's index in a control array, -1 when not in one.
    Control(Container& parent, std::string name, int index = -1);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    virtual Kind kind() const = 0;
    const std::string& name() const { return name_; }
    int index() const { return index_; }  // -1 outside a control array
    Form& form() const { return *form_; }
    Container& container() const { return *parent_; }

    // Geometry in the form's scale.
    float left() const;
    float top() const;
    float width() const;
    float height() const;
    void setLeft(float v);
    void setTop(float v);
    void setWidth(float v);   // negative is error 380
    void setHeight(float v);
    void move(float left, float top);
    void move(float left, float top, float width, float height);
    // Geometry in twips, and in pixels of the form's client area (for backends).
    float leftTwips() const { return b_.left; }
    float topTwips() const { return b_.top; }
    float widthTwips() const { return b_.width; }
    float heightTwips() const { return b_.height; }
    void setRectTwips(float left, float top, float width, float height);
    PixelRect clientRectPixels() const;  // within the form's client area

    bool visible() const { return b_.visible; }
    void setVisible(bool v);
    // Visible, and every container up to the form visible too.
    bool effectivelyVisible() const;
    bool enabled() const { return b_.enabled; }
    void setEnabled(bool v);
    bool effectivelyEnabled() const;
    const std::string& tag() const { return b_.tag; }
    void setTag(std::string t) { b_.tag = std::move(t); }
    const std::string& toolTipText() const { return b_.toolTip; }
    void setToolTipText(std::string t);
    Colour backColor() const { return b_.back; }
    void setBackColor(Colour c);
    Colour foreColor() const { return b_.fore; }
    void setForeColor(Colour c);
    const forms::Font& font() const { return b_.font; }
    void setFont(const forms::Font& f);
    void setFontName(std::string name);
    void setFontSize(float size);
    void setFontBold(bool b);
    void setFontUnderline(bool u);
    int mousePointer() const { return b_.mousePointer; }
    void setMousePointer(int p);
    const Picture& mouseIcon() const { return b_.mouseIcon; }
    void setMouseIcon(Picture p);
    // 0 none, 1 manual: the control accepts files dropped on it.
    int oleDropMode() const { return b_.oleDropMode; }
    void setOleDropMode(int mode) { b_.oleDropMode = mode; }

    // Tab order: every control that has a TabIndex takes part (labels too,
    // which pass the focus on to the next control).
    bool hasTabIndex() const;
    int tabIndex() const;   // 0.., -1 for controls without one
    void setTabIndex(int i);  // the others move up or down, as the original renumbers
    bool tabStop() const { return b_.tabStop; }
    void setTabStop(bool t) { b_.tabStop = t; }
    // Whether this kind of control can hold the keyboard focus at all.
    virtual bool focusable() const { return false; }
    // Focusable, visible and enabled (with its containers), on a loaded form.
    bool canFocus() const;
    // SetFocus: error 5 when the control cannot take the focus now.
    void setFocus();
    bool hasFocus() const;
    // Whether the control is drawn in a window of its own: above the labels,
    // images and shapes of its container, which are drawn on the container's
    // surface (timers and dialogs are not drawn at all). Among windowed
    // siblings a later one in z-order is drawn over an earlier one.
    bool windowed() const;
    // ZOrder 0 brings the control to the front of its container, 1 sends it back.
    void zOrder(int position = 0);
    // Places this control right above another child of the same container.
    void placeAfter(const Control& other);
    void refresh() {}

    // Access key: the letter after a single "&" in the caption, upper case; 0 when none.
    virtual int accessKey() const { return 0; }

    // Events every control kind may raise (the windows handle the ones they need).
    Event<> Click;
    Event<> DblClick;
    Event<> GotFocus;
    Event<> LostFocus;
    Event<int, int, float, float> MouseDown;  // Button, Shift, X, Y
    Event<int, int, float, float> MouseUp;
    Event<int, int, float, float> MouseMove;
    Event<int&> KeyPress;        // KeyAscii
    Event<int&, int> KeyDown;    // KeyCode, Shift
    Event<int&, int> KeyUp;
    // Data, Effect, Button, Shift, X, Y
    Event<DataObject&, int&, int, int, float, float> OLEDragDrop;
    // Data, Effect, Button, Shift, X, Y, State
    Event<DataObject&, int&, int, int, float, float, int> OLEDragOver;

    // User actions (from the backend, and from tests driving a window as a
    // user would). Coordinates are in the form's scale.
    virtual void click();          // focus moves first, then the control's own action
    virtual void doubleClick();
    void mouseDown(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    int dropFiles(const std::vector<std::string>& files, float x = 0, float y = 0);  // returns Effect
    int dragOver(const std::vector<std::string>& files, int state, float x = 0, float y = 0);

    // Copies the design properties of another control of the same kind (a
    // control array's Load); Visible, Index and TabIndex are not copied.
    virtual void copyPropertiesFrom(const Control& other);
    // Tells a loaded form's backend about a control made at run time (control
    // arrays call it once the element is complete).
    void announce();
    // Takes the control out of its form at once (an unloaded array element);
    // its memory is released later.
    void detach();

protected:
    // Tells the backend's widget that a property changed.
    void changed(Prop p);
    // Raises an event through the form's dispatch (nothing before the form loads).
    template <class... Args, class... Given>
    void raise(const Event<Args...>& e, Given&&... args) {
        if (!e || !eventsLive()) return;
        dispatchHere([&] { e.call(std::forward<Given>(args)...); });
    }
    bool eventsLive() const;
    void takeFocus();  // the form's focus moves here (events raised)
    void dispatchHere(const std::function<void()>& fn);
    // The control's default action for a user click (after the focus moved).
    virtual void clickAction();
    // Called after Enabled changed (timers restart their count).
    virtual void enabledChanged() {}

    struct BaseProps {
        float left = 0, top = 0, width = 0, height = 0;  // twips
        bool visible = true;
        bool enabled = true;
        std::string tag;
        std::string toolTip;
        bool tabStop = true;
        Colour back = vbButtonFace;
        Colour fore = vbButtonText;
        forms::Font font;
        int mousePointer = 0;
        Picture mouseIcon;
        int oleDropMode = 0;
    };
    BaseProps b_;

private:
    friend class Form;
    Container* parent_;
    bool detached_ = false;
    bool inTabOrder_ = false;
    Form* form_;
    std::string name_;
    int index_;
};

// The letter after the first single "&" in a caption ("Pl&ay" -> 'A'); 0 when none.
int accessKeyOf(const std::string& caption);
// The caption as shown, without its access-key marks ("&&" shows one "&").
std::string stripAccessKeys(const std::string& caption);

}  // namespace forms
