#pragma once
// A form: one top-level window with its controls and menus, and the life
// cycle of the original's forms.
//
// A window is a class derived from Form whose constructor sets the design
// values of its controls and connects their events; the handlers of the form
// itself are virtual methods (Form_Load, Form_Unload ...). One global
// instance per window class is reached through forms::Get<T>(), which loads
// the form at the first reference (see application.hpp).
//
// Geometry: Left, Top, Width and Height are the outer window in twips (single
// precision); the client area is kept apart from it by the fixed frame metrics
// of the border style (and a menu bar when the form has a visible top-level
// menu), so outer and client sizes relate the same way on every backend.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/control.hpp"
#include "forms/menu.hpp"
#include "forms/window_region.hpp"

namespace forms {

class FormPeer;
enum class FormProp;

class Form : public Container {
public:
    explicit Form(std::string name);
    ~Form() override;

    Form& form() override { return *this; }
    const std::string& name() const { return name_; }

    // ---- life cycle ----
    // Loads the form when it is not loaded: the window is made (hidden) and
    // Form_Load runs. An unload asked for while Form_Load runs is held back
    // until it returns. A retired form never loads again.
    void load();
    // Once unloaded (or dropped at the end of the program) a form is retired:
    // the instance stays allocated but inert; show(), hide() and property
    // writes do nothing, and forms::Get makes a fresh instance of the class.
    bool isLoaded() const { return loaded_; }
    bool isLoading() const { return loading_; }
    // Show (modeless, no owner): loads first; a shown form is brought forward.
    // Nothing on a retired form.
    void show();
    void hide();
    // Unload: QueryUnload (UnloadMode vbFormCode) and Unload may cancel it;
    // does nothing when the form is not loaded. Returns true when it unloaded.
    bool unload();
    // The user closes the window (close box): as unload, with UnloadMode vbFormControlMenu.
    bool userClose();

    // ---- handlers (a window overrides those it has) ----
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_QueryUnload(int& Cancel, int UnloadMode) { (void)Cancel, (void)UnloadMode; }
    virtual void Form_Unload(int& Cancel) { (void)Cancel; }
    virtual void Form_Resize() {}
    virtual void Form_Click() {}
    virtual void Form_DblClick() {}
    virtual void Form_MouseDown(int Button, int Shift, float X, float Y) { (void)Button, (void)Shift, (void)X, (void)Y; }
    virtual void Form_MouseUp(int Button, int Shift, float X, float Y) { (void)Button, (void)Shift, (void)X, (void)Y; }
    virtual void Form_MouseMove(int Button, int Shift, float X, float Y) { (void)Button, (void)Shift, (void)X, (void)Y; }
    virtual void Form_KeyPress(int& KeyAscii) { (void)KeyAscii; }
    virtual void Form_KeyDown(int& KeyCode, int Shift) { (void)KeyCode, (void)Shift; }
    virtual void Form_KeyUp(int& KeyCode, int Shift) { (void)KeyCode, (void)Shift; }
    virtual void Form_OLEDragOver(DataObject& Data, int& Effect, int Button, int Shift, float X, float Y, int State) {
        (void)Data, (void)Effect, (void)Button, (void)Shift, (void)X, (void)Y, (void)State;
    }
    virtual void Form_OLEDragDrop(DataObject& Data, int& Effect, int Button, int Shift, float X, float Y) {
        (void)Data, (void)Effect, (void)Button, (void)Shift, (void)X, (void)Y;
    }

    // ---- geometry ----
    float left() const { return left_; }
    float top() const { return top_; }
    float width() const;   // outer, twips
    float height() const;
    // Moving or sizing a minimised or maximised form is error 384.
    void setLeft(float v);
    void setTop(float v);
    void setWidth(float v);
    void setHeight(float v);
    void move(float left, float top);
    void move(float left, float top, float width, float height);
    // The client area (design size) in twips.
    float clientWidthTwips() const { return clientW_; }
    float clientHeightTwips() const { return clientH_; }
    void setClientSize(float widthTwips, float heightTwips);
    // ScaleMode: 1 twips (the default) or 3 pixels; others are error 380.
    int scaleMode() const { return scaleMode_; }
    void setScaleMode(int mode);
    float scaleWidth() const;   // client width in the form's scale
    float scaleHeight() const;
    float toScale(float twips) const;    // twips -> the form's scale
    float fromScale(float value) const;  // the form's scale -> twips
    // ScaleX/ScaleY between twips (1) and pixels (3); 0 is the form's own scale.
    float scaleX(float value, int from, int to) const;
    float scaleY(float value, int from, int to) const;
    // The frame around the client area, with the menu bar.
    FrameMetrics frame() const;
    // Pixels from the outer window's top-left corner to the client area's.
    int clientOffsetX() const;
    int clientOffsetY() const;

    // ---- window ----
    // The window handle: a 32-bit number while loaded, 0 otherwise.
    std::int32_t hWnd() const { return hwnd_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c);
    const Picture& icon() const { return icon_; }
    void setIcon(Picture p);
    const Picture& picture() const { return picture_; }  // background, at the client's top-left
    void setPicture(Picture p);
    Colour backColor() const { return backColor_; }
    void setBackColor(Colour c);
    BorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(BorderStyle b);  // a design property: keeps the client size
    bool maxButton() const { return maxButton_; }
    void setMaxButton(bool b);
    bool minButton() const { return minButton_; }
    void setMinButton(bool b);
    bool controlBox() const { return controlBox_; }
    void setControlBox(bool b);
    bool showInTaskbar() const { return showInTaskbar_; }
    void setShowInTaskbar(bool b);
    // 0 none, 1 manual: the window accepts files dropped on it.
    int oleDropMode() const { return oleDropMode_; }
    void setOleDropMode(int m) {
        if (!retired_) oleDropMode_ = m;
    }
    // 0 normal, 1 minimised, 2 maximised; any other value is error 380.
    int windowState() const { return windowState_; }
    void setWindowState(int s);
    bool keyPreview() const { return keyPreview_; }
    void setKeyPreview(bool k) {
        if (!retired_) keyPreview_ = k;
    }
    bool visible() const { return visible_; }
    void setVisible(bool v);  // true shows (and loads), false hides
    // Showing the form (or bringing it forward) activates its window, so the
    // keyboard goes to it, unless it shows without activating: a window that
    // only tells something beside another one, whose user goes on typing there.
    bool showsWithoutActivating() const { return showWithoutActivating_; }
    void setShowWithoutActivating(bool s) {
        if (!retired_) showWithoutActivating_ = s;
    }
    int mousePointer() const { return mousePointer_; }
    void setMousePointer(int p);
    // The control holding the focus; nullptr when none.
    Control* activeControl() const { return active_; }
    // The active control's Tag; error 91 when no control has the focus.
    std::string activeControlTag() const;

    // ---- window effects ----
    // The layered style (the original's WS_EX_LAYERED) and its constant alpha;
    // a window made layered has alpha 0 (shows nothing) until one is set.
    bool layered() const { return layered_; }
    void setLayered(bool l);
    // Sets the alpha of a layered window (0..255); false (no effect) when not layered.
    bool setLayeredAlpha(int alpha);
    int alpha() const { return layered_ ? alpha_ : 255; }
    // Stay on top; never shows a hidden window.
    bool topmost() const { return topmost_; }
    void setTopmost(bool t);
    // The window region, in pixels of the outer window; none: the whole window.
    const std::optional<WindowRegion>& region() const { return region_; }
    void setRegion(std::optional<WindowRegion> r);
    // Lets the user move the window by dragging (the caption-drag request).
    void beginSystemMove();
    int systemMoveRequests() const { return systemMoves_; }
    // ZOrder 0: brings the window to the front.
    void zOrder(int position = 0);

    // ---- menus ----
    const std::vector<Menu*>& menus() const { return menus_; }
    bool hasMenuBar() const;
    // PopupMenu: shows the menu (its items) at the pointer; the chosen item's
    // Click runs before PopupMenu returns.
    void popupMenu(Menu& menu);
    Menu* lastPopupMenu() const { return lastPopup_; }
    int popupCount() const { return popups_; }
    // The enabled item whose shortcut this is, or nullptr.
    Menu* findShortcut(int keyCode, int shift) const;

    // ---- keyboard (from the backend, or a test typing) ----
    // A key goes down: menu accelerators first, then access keys (Alt and the
    // letter after "&" in a caption, also on controls placed outside the
    // visible area), then Form_KeyDown when KeyPreview is on, then the focused
    // control's KeyDown (not when Form_KeyDown set KeyCode to 0). Returns true
    // when the key was consumed by a shortcut or an access key: then no
    // character follows.
    bool keyDown(int keyCode, int shift);
    // A character: Form_KeyPress when KeyPreview is on (or no control has the
    // focus), then the focused control's KeyPress. Returns KeyAscii as the
    // handlers left it (0: the character is dropped).
    int keyPress(int keyAscii);
    void keyUp(int keyCode, int shift);
    // Types one key as a user would: down, the character (when it has one,
    // put into a focused text box unless dropped), up.
    void typeKey(int keyCode, int shift = 0, int keyAscii = 0);
    // Types each character of a text (ASCII) as typeKey.
    void typeText(const std::string& text);

    // ---- focus ----
    // The backend reports a focus change (nullptr: no control of this form).
    void userFocus(Control* c);
    // Moves the focus to the next (or previous) control in tab order that
    // takes a Tab.
    void tabToNext(bool backward = false);
    // Whether Tab may put the focus on the control: a tab stop that can take
    // the focus and that the user sees: at least partly inside its
    // containers' areas and the client area, and not wholly covered by a
    // shown sibling drawn above it or above a container holding it (code may
    // still focus such a control). Showing a form gives the focus to the
    // first control in tab order that takes Tab.
    bool takesTab(Control& c) const;
    // The controls that take part in the tab order, by TabIndex.
    const std::vector<Control*>& tabOrder() const { return tabOrder_; }

    // ---- mouse on the window surface, and drops ----
    void mouseDown(int button, int shift, float x, float y);
    void mouseUp(int button, int shift, float x, float y);
    void mouseMove(int button, int shift, float x, float y);
    void click();
    void doubleClick();
    int dropFiles(const std::vector<std::string>& files, float x = 0, float y = 0);
    int dragOver(const std::vector<std::string>& files, int state, float x = 0, float y = 0);

    // ---- from the backend: the user moved, sized or minimised the window ----
    void userMoved(float leftTwips, float topTwips);
    void userResized(float clientWidthTwips, float clientHeightTwips);
    void userWindowState(int state);

    // ---- for backends ----
    FormPeer* peer() const { return peer_.get(); }
    // Every control, in creation order.
    const std::vector<Control*>& controls() const { return controls_; }
    // Runs fn as an event handler of this form (errors caught).
    void dispatch(const std::function<void()>& fn);
    int busy() const { return busy_; }
    // Events are raised once loading has begun (design values raise none).
    bool eventsLive() const { return live_; }

private:
    friend class Control;
    friend class Menu;
    friend class Application;
    friend class Timer;

    void addControl(Control* c);
    void removeControl(Control* c);
    void addMenu(Menu* m);
    void removeMenu(Menu* m);
    void menusChanged();
    void changed(FormProp what);
    void resizeClient(float w, float h);
    void setActive(Control* c);
    void focusFirst();
    void focusAfter(Control* c);
    void controlCannotFocus(Control* c);
    bool activateAccessKey(int key);
    bool requestUnload(int mode);
    void finishUnload();
    void syncTabOrder();
    void startTimers();
    void stopTimers();
    // Drops the window without events (End, a reset of the program, or the
    // destructor: destroying).
    void discard(bool destroying = false);

    std::string name_;
    std::unique_ptr<FormPeer> peer_;
    std::vector<Control*> controls_;
    std::vector<Control*> tabOrder_;
    std::vector<Menu*> menus_;
    Control* active_ = nullptr;

    bool loaded_ = false;
    bool loading_ = false;
    bool unloading_ = false;
    bool pendingUnload_ = false;
    bool retired_ = false;
    bool live_ = false;
    bool shownOnce_ = false;
    int busy_ = 0;
    std::int32_t hwnd_ = 0;

    float left_ = 0, top_ = 0;
    float clientW_ = 4800, clientH_ = 3600;
    int scaleMode_ = vbTwips;
    std::string caption_;
    Picture icon_;
    Picture picture_;
    Colour backColor_ = vbButtonFace;
    BorderStyle borderStyle_ = BorderStyle::Sizable;
    bool maxButton_ = true;
    bool minButton_ = true;
    bool controlBox_ = true;
    bool showInTaskbar_ = true;
    int windowState_ = vbNormal;
    bool keyPreview_ = false;
    bool visible_ = false;
    bool showWithoutActivating_ = false;
    int mousePointer_ = 0;
    int oleDropMode_ = 0;

    bool layered_ = false;
    int alpha_ = 255;
    bool topmost_ = false;
    std::optional<WindowRegion> region_;
    int systemMoves_ = 0;
    Menu* lastPopup_ = nullptr;
    int popups_ = 0;
};

}  // namespace forms
