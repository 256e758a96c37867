#include "forms/form.hpp"

#include <algorithm>
#include <cctype>

#include "forms/application.hpp"
#include "forms/backend.hpp"
#include "forms/controls.hpp"
#include "runtime/error.hpp"
#include "runtime/scheduler.hpp"
#include "runtime/strings.hpp"

namespace forms {

namespace {
constexpr int kMovedWhileMinimised = 384;

Menu* findShortcutIn(const std::vector<Menu*>& items, int keyCode, int shift) {
    for (Menu* m : items) {
        if (!m->visible()) continue;
        if (!m->shortcut().empty() && m->shortcut().keyCode == keyCode && m->shortcut().shift == shift &&
            m->effectivelyEnabled())
            return m;
        if (Menu* found = findShortcutIn(m->items(), keyCode, shift)) return found;
    }
    return nullptr;
}

// Everything the model changes on screen goes to the window system through
// the form's peer; this one passes each request on and tells the scheduler
// that something observable changed, so short timers that had slowed down
// while nothing changed come back to their pace. Writes of a property's own
// value stop in the controls before they get here.
class ChangeNotingPeer : public FormPeer {
public:
    explicit ChangeNotingPeer(std::unique_ptr<FormPeer> peer) : peer_(std::move(peer)) {}
    ~ChangeNotingPeer() override { changed(); }  // the window goes

    void formChanged(FormProp what) override {
        changed();
        peer_->formChanged(what);
    }
    void controlAdded(Control& c) override {
        changed();
        peer_->controlAdded(c);
    }
    void controlRemoved(Control& c) override {
        changed();
        peer_->controlRemoved(c);
    }
    void controlChanged(Control& c, Prop what) override {
        changed();
        peer_->controlChanged(c, what);
    }
    void menusChanged() override {
        changed();
        peer_->menusChanged();
    }
    void focusChanged(Control* c) override {
        changed();
        peer_->focusChanged(c);
    }
    Menu* popupMenu(Menu& menu) override {
        changed();
        return peer_->popupMenu(menu);
    }
    void beginSystemMove() override {
        changed();
        peer_->beginSystemMove();
    }

private:
    static void changed() { runtime::Scheduler::current().noteChange(); }
    std::unique_ptr<FormPeer> peer_;
};
}  // namespace

Form::Form(std::string name) : name_(std::move(name)) { caption_ = name_; }

Form::~Form() { discard(true); }

// ---- registration ----

void Form::addControl(Control* c) { controls_.push_back(c); }

void Form::removeControl(Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    tabOrder_.erase(std::remove(tabOrder_.begin(), tabOrder_.end(), c), tabOrder_.end());
    if (active_ == c) active_ = nullptr;
    if (peer_) peer_->controlRemoved(*c);
}

void Form::syncTabOrder() {
    for (Control* c : controls_) {
        if (c->inTabOrder_) continue;
        c->inTabOrder_ = true;
        if (c->hasTabIndex()) tabOrder_.push_back(c);
    }
}

void Form::addMenu(Menu* m) {
    menus_.push_back(m);
    menusChanged();
}

void Form::removeMenu(Menu* m) {
    menus_.erase(std::remove(menus_.begin(), menus_.end(), m), menus_.end());
    if (lastPopup_ == m) lastPopup_ = nullptr;
    menusChanged();
}

void Form::menusChanged() {
    if (peer_) peer_->menusChanged();
}

void Form::changed(FormProp what) {
    if (peer_) peer_->formChanged(what);
}

void Form::dispatch(const std::function<void()>& fn) { Application::instance().dispatch(this, fn); }

// ---- life cycle ----

void Form::startTimers() {
    for (Control* c : controls_)
        if (c->kind() == Kind::Timer) static_cast<Timer*>(c)->restart();
}

void Form::stopTimers() {
    for (Control* c : controls_)
        if (c->kind() == Kind::Timer) static_cast<Timer*>(c)->stop();
}

void Form::load() {
    if (loaded_ || loading_ || retired_) return;
    auto& app = Application::instance();
    loading_ = true;
    loaded_ = true;
    live_ = true;
    hwnd_ = app.newHandle(this);
    app.formLoaded(this);
    syncTabOrder();
    if (Backend* b = app.backend()) {
        peer_ = std::make_unique<ChangeNotingPeer>(b->createPeer(*this));
        for (Control* c : controls_) peer_->controlAdded(*c);
        peer_->menusChanged();
    }
    startTimers();
    try {
        dispatch([this] { Form_Load(); });
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
    if (pendingUnload_) {
        pendingUnload_ = false;
        unload();
    }
}

void Form::show() {
    load();
    if (!loaded_ || unloading_) return;
    if (visible_) {
        changed(FormProp::ZOrder);
        return;
    }
    visible_ = true;
    changed(FormProp::Visible);
    if (!shownOnce_) {
        shownOnce_ = true;
        dispatch([this] { Form_Resize(); });
        if (!loaded_) return;
    }
    if (!active_) focusFirst();
    dispatch([this] { Form_Activate(); });
}

void Form::hide() {
    load();
    if (!loaded_ || !visible_) return;
    visible_ = false;
    changed(FormProp::Visible);
}

void Form::setVisible(bool v) {
    if (v)
        show();
    else
        hide();
}

bool Form::unload() { return requestUnload(vbFormCode); }
bool Form::userClose() { return requestUnload(vbFormControlMenu); }

bool Form::requestUnload(int mode) {
    if (!loaded_ || unloading_) return false;
    if (loading_) {
        pendingUnload_ = true;
        return false;
    }
    unloading_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{unloading_};
    int cancel = 0;
    dispatch([&] { Form_QueryUnload(cancel, mode); });
    if (cancel != 0 || !loaded_) return false;
    cancel = 0;
    dispatch([&] { Form_Unload(cancel); });
    if (cancel != 0 || !loaded_) return false;
    finishUnload();
    return true;
}

void Form::finishUnload() {
    stopTimers();
    auto& app = Application::instance();
    visible_ = false;
    active_ = nullptr;
    peer_.reset();
    app.releaseHandle(hwnd_);
    hwnd_ = 0;
    loaded_ = false;
    live_ = false;
    shownOnce_ = false;
    layered_ = false;
    alpha_ = 255;
    topmost_ = false;
    region_.reset();
    retired_ = true;
    app.formUnloaded(this);
}

void Form::discard(bool destroying) {
    if (!loaded_) return;
    stopTimers();
    auto& app = Application::instance();
    visible_ = false;
    active_ = nullptr;
    peer_.reset();
    app.releaseHandle(hwnd_);
    hwnd_ = 0;
    loaded_ = false;
    loading_ = false;
    live_ = false;
    retired_ = true;
    app.formDiscarded(this, destroying);
}

// ---- geometry ----

FrameMetrics Form::frame() const {
    FrameMetrics f = frameMetrics(borderStyle_);
    if (hasMenuBar() && borderStyle_ != BorderStyle::None) f.caption += MenuBarHeight;
    return f;
}

int Form::clientOffsetX() const { return frame().left; }
int Form::clientOffsetY() const {
    FrameMetrics f = frame();
    return f.top + f.caption;
}

float Form::width() const {
    FrameMetrics f = frame();
    return clientW_ + static_cast<float>((f.left + f.right) * TwipsPerPixel);
}

float Form::height() const {
    FrameMetrics f = frame();
    return clientH_ + static_cast<float>((f.top + f.bottom + f.caption) * TwipsPerPixel);
}

void Form::setLeft(float v) {
    if (retired_) return;
    if (windowState_ != vbNormal) runtime::raise(kMovedWhileMinimised, name_);
    left_ = v;
    changed(FormProp::Geometry);
}
void Form::setTop(float v) {
    if (retired_) return;
    if (windowState_ != vbNormal) runtime::raise(kMovedWhileMinimised, name_);
    top_ = v;
    changed(FormProp::Geometry);
}
void Form::setWidth(float v) {
    if (retired_) return;
    if (windowState_ != vbNormal) runtime::raise(kMovedWhileMinimised, name_);
    if (v < 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    resizeClient(std::max(0.0f, v - (width() - clientW_)), clientH_);
}
void Form::setHeight(float v) {
    if (retired_) return;
    if (windowState_ != vbNormal) runtime::raise(kMovedWhileMinimised, name_);
    if (v < 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    resizeClient(clientW_, std::max(0.0f, v - (height() - clientH_)));
}
void Form::move(float left, float top) {
    if (retired_) return;
    if (windowState_ != vbNormal) runtime::raise(kMovedWhileMinimised, name_);
    left_ = left;
    top_ = top;
    changed(FormProp::Geometry);
}
void Form::move(float left, float top, float w, float h) {
    move(left, top);
    setWidth(w);
    setHeight(h);
}
void Form::setClientSize(float w, float h) {
    if (!retired_) resizeClient(std::max(0.0f, w), std::max(0.0f, h));
}

void Form::resizeClient(float w, float h) {
    if (w == clientW_ && h == clientH_) return;
    clientW_ = w;
    clientH_ = h;
    changed(FormProp::Geometry);
    if (loaded_ && live_) dispatch([this] { Form_Resize(); });
}

void Form::setScaleMode(int mode) {
    if (retired_) return;
    if (mode != vbTwips && mode != vbPixels) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    scaleMode_ = mode;
    changed(FormProp::ScaleMode);
}

float Form::toScale(float twips) const { return scaleMode_ == vbPixels ? twips / TwipsPerPixel : twips; }
float Form::fromScale(float value) const { return scaleMode_ == vbPixels ? value * TwipsPerPixel : value; }
float Form::scaleWidth() const { return toScale(clientW_); }
float Form::scaleHeight() const { return toScale(clientH_); }

float Form::scaleX(float value, int from, int to) const {
    if (from == 0) from = scaleMode_;
    if (to == 0) to = scaleMode_;
    if ((from != vbTwips && from != vbPixels) || (to != vbTwips && to != vbPixels))
        runtime::raise(runtime::err::InvalidProcedureCall, "ScaleX");
    float twips = from == vbPixels ? value * TwipsPerPixel : value;
    return to == vbPixels ? twips / TwipsPerPixel : twips;
}
float Form::scaleY(float value, int from, int to) const { return scaleX(value, from, to); }

// ---- window properties ----

void Form::setCaption(std::string c) {
    if (retired_) return;
    caption_ = std::move(c);
    changed(FormProp::Caption);
}
void Form::setIcon(Picture p) {
    if (retired_) return;
    icon_ = std::move(p);
    changed(FormProp::Icon);
}
void Form::setPicture(Picture p) {
    if (retired_) return;
    picture_ = std::move(p);
    changed(FormProp::Picture);
}
void Form::setBackColor(Colour c) {
    if (retired_) return;
    backColor_ = c;
    changed(FormProp::BackColor);
}
void Form::setBorderStyle(BorderStyle b) {
    if (retired_) return;
    borderStyle_ = b;
    changed(FormProp::BorderStyle);
}
void Form::setMaxButton(bool b) {
    if (retired_) return;
    maxButton_ = b;
    changed(FormProp::Buttons);
}
void Form::setMinButton(bool b) {
    if (retired_) return;
    minButton_ = b;
    changed(FormProp::Buttons);
}
void Form::setControlBox(bool b) {
    if (retired_) return;
    controlBox_ = b;
    changed(FormProp::Buttons);
}
void Form::setShowInTaskbar(bool b) {
    if (retired_) return;
    showInTaskbar_ = b;
    changed(FormProp::ShowInTaskbar);
}
void Form::setWindowState(int s) {
    if (retired_) return;
    if (s < vbNormal || s > vbMaximized) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    userWindowState(s);
}
void Form::userWindowState(int s) {
    if (retired_) return;
    if (s == windowState_) return;
    windowState_ = s;
    changed(FormProp::WindowState);
    if (loaded_ && live_) dispatch([this] { Form_Resize(); });
}
void Form::setMousePointer(int p) {
    if (retired_) return;
    if (p < 0 || (p > 15 && p != 99)) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    mousePointer_ = p;
    changed(FormProp::MousePointer);
}

std::string Form::activeControlTag() const {
    if (!active_) runtime::raise(runtime::err::ObjectVariableNotSet, name_);
    return active_->tag();
}

// ---- effects ----

void Form::setLayered(bool l) {
    if (retired_) return;
    if (layered_ == l) return;
    layered_ = l;
    // As on the original platform, a window made layered shows nothing until
    // its alpha is set; made opaque again, it shows whole.
    alpha_ = l ? 0 : 255;
    changed(FormProp::Opacity);
}

bool Form::setLayeredAlpha(int a) {
    if (!layered_ || !loaded_ || retired_) return false;
    alpha_ = std::clamp(a, 0, 255);
    changed(FormProp::Opacity);
    return true;
}

void Form::setTopmost(bool t) {
    if (retired_) return;
    topmost_ = t;
    changed(FormProp::Topmost);
}

void Form::setRegion(std::optional<WindowRegion> r) {
    if (retired_) return;
    region_ = std::move(r);
    changed(FormProp::Region);
}

void Form::beginSystemMove() {
    if (retired_) return;
    ++systemMoves_;
    if (peer_) peer_->beginSystemMove();
}

void Form::zOrder(int position) {
    if (retired_) return;
    if (position == 0) changed(FormProp::ZOrder);
}

// ---- menus ----

bool Form::hasMenuBar() const {
    return std::any_of(menus_.begin(), menus_.end(), [](const Menu* m) { return m->visible(); });
}

Menu* Form::findShortcut(int keyCode, int shift) const { return findShortcutIn(menus_, keyCode, shift); }

void Form::popupMenu(Menu& menu) {
    if (retired_) return;
    ++popups_;
    lastPopup_ = &menu;
    menu.aboutToShow();  // its submenus raise theirs as the user opens them
    Menu* chosen = peer_ ? peer_->popupMenu(menu) : Application::instance().choosePopup(*this, menu);
    if (chosen) chosen->choose();
}

// ---- keyboard ----

bool Form::activateAccessKey(int key) {
    syncTabOrder();
    for (Control* c : tabOrder_) {
        if (c->accessKey() != key || !c->effectivelyVisible() || !c->effectivelyEnabled()) continue;
        switch (c->kind()) {
            case Kind::CommandButton:
            case Kind::CheckBox:
            case Kind::OptionButton:
                if (c->canFocus()) setActive(c);
                c->clickAction();
                return true;
            case Kind::Label:
            case Kind::Frame:
                focusAfter(c);
                return true;
            default: break;
        }
    }
    return false;
}

bool Form::keyDown(int keyCode, int shift) {
    if (!loaded_) return false;
    if (Menu* m = findShortcut(keyCode, shift)) {
        m->choose();
        return true;
    }
    if ((shift & vbAltMask) && !(shift & vbCtrlMask) && keyCode < 128 && std::isalnum(keyCode) &&
        activateAccessKey(std::toupper(keyCode)))
        return true;
    int code = keyCode;
    if (keyPreview_) {
        dispatch([&] { Form_KeyDown(code, shift); });
        if (code == 0) return false;  // the control sees no KeyDown; the character still follows
    }
    if (active_ && loaded_) {
        Control* c = active_;
        c->raise(c->KeyDown, code, shift);
    } else if (!keyPreview_) {
        dispatch([&] { Form_KeyDown(code, shift); });
    }
    return false;
}

int Form::keyPress(int keyAscii) {
    if (!loaded_) return keyAscii;
    int k = keyAscii;
    if (keyPreview_ || !active_) {
        dispatch([&] { Form_KeyPress(k); });
        if (k == 0) return 0;
    }
    if (active_ && loaded_) {
        Control* c = active_;
        c->raise(c->KeyPress, k);
    }
    return k;
}

void Form::keyUp(int keyCode, int shift) {
    if (!loaded_) return;
    int code = keyCode;
    if (keyPreview_ || !active_) {
        dispatch([&] { Form_KeyUp(code, shift); });
        if (code == 0) return;
    }
    if (active_ && loaded_) {
        Control* c = active_;
        c->raise(c->KeyUp, code, shift);
    }
}

void Form::typeKey(int keyCode, int shift, int keyAscii) {
    bool consumed = keyDown(keyCode, shift);
    if (!consumed && keyAscii != 0) {
        int k = keyPress(keyAscii);
        if (k != 0 && active_ && active_->kind() == Kind::TextBox) {
            auto* box = static_cast<TextBox*>(active_);
            if (k == 8)
                box->typeChar("\b");
            else if (k == 13)
                box->multiLine() ? box->typeChar("\r\n") : void();
            else if (k >= 32)
                box->typeChar(k < 128 ? std::string(1, static_cast<char>(k)) : runtime::Chr(k));
        }
    }
    keyUp(keyCode, shift);
}

void Form::typeText(const std::string& text) {
    for (unsigned char ch : text) {
        int code = ch;
        int shift = 0;
        if (ch >= 'a' && ch <= 'z')
            code = ch - 32;
        else if (ch >= 'A' && ch <= 'Z')
            shift = vbShiftMask;
        else if (ch == ' ')
            code = vbKeySpace;
        else if (ch == '\r' || ch == '\n')
            code = vbKeyReturn, ch = 13;
        typeKey(code, shift, ch);
    }
}

// ---- focus ----

void Form::setActive(Control* c) {
    if (c == active_) return;
    Control* old = active_;
    active_ = c;
    if (peer_) peer_->focusChanged(c);
    if (old && !old->detached_) old->raise(old->LostFocus);
    if (c && active_ == c) c->raise(c->GotFocus);
}

void Form::userFocus(Control* c) {
    if (c && &c->form() != this) return;
    setActive(c);
}

void Form::focusFirst() {
    syncTabOrder();
    for (Control* c : tabOrder_)
        if (takesTab(*c)) {
            setActive(c);
            return;
        }
}

void Form::focusAfter(Control* from) {
    syncTabOrder();
    auto it = std::find(tabOrder_.begin(), tabOrder_.end(), from);
    if (it == tabOrder_.end()) return;
    std::size_t n = tabOrder_.size();
    std::size_t start = static_cast<std::size_t>(it - tabOrder_.begin());
    for (std::size_t k = 1; k < n; ++k) {
        Control* c = tabOrder_[(start + k) % n];
        if (c->canFocus()) {
            setActive(c);
            return;
        }
    }
}

void Form::tabToNext(bool backward) {
    syncTabOrder();
    std::size_t n = tabOrder_.size();
    if (n == 0) return;
    auto it = std::find(tabOrder_.begin(), tabOrder_.end(), active_);
    std::size_t start = it == tabOrder_.end() ? (backward ? 0 : n - 1) : static_cast<std::size_t>(it - tabOrder_.begin());
    for (std::size_t k = 1; k <= n; ++k) {
        std::size_t i = backward ? (start + n - k) % n : (start + k) % n;
        Control* c = tabOrder_[i];
        if (takesTab(*c)) {
            setActive(c);
            return;
        }
    }
}

namespace {
struct Area {
    float left, top, width, height;  // twips, in one container's coordinates
};

// Whether a shown windowed sibling drawn above `below` (later in its
// container's z-order) holds the whole area.
bool coveredAbove(const Control& below, const Area& a) {
    const auto& kids = below.container().children();
    auto it = std::find(kids.begin(), kids.end(), &below);
    if (it == kids.end()) return false;
    for (++it; it != kids.end(); ++it) {
        const Control& s = **it;
        if (!s.windowed() || !s.effectivelyVisible()) continue;
        if (s.leftTwips() <= a.left && s.topTwips() <= a.top && a.left + a.width <= s.leftTwips() + s.widthTwips() &&
            a.top + a.height <= s.topTwips() + s.heightTwips())
            return true;
    }
    return false;
}
}  // namespace

bool Form::takesTab(Control& c) const {
    if (!c.tabStop() || !c.canFocus()) return false;
    // What the user can see of the control, from its own container out to
    // the form: nothing when it lies beyond a container's area, or when a
    // sibling drawn above it (or above a container holding it) covers it.
    Area a{c.leftTwips(), c.topTwips(), c.widthTwips(), c.heightTwips()};
    for (const Control* e = &c;;) {
        if (coveredAbove(*e, a)) return false;
        const Control* box = e->container().asControl();
        const float w = box ? box->widthTwips() : clientW_, h = box ? box->heightTwips() : clientH_;
        if (!(a.left < w && a.top < h && a.left + a.width > 0 && a.top + a.height > 0)) return false;
        if (!box) return true;
        const float right = std::min(a.left + a.width, w), bottom = std::min(a.top + a.height, h);
        a.left = std::max(a.left, 0.0f);
        a.top = std::max(a.top, 0.0f);
        a = {a.left + box->leftTwips(), a.top + box->topTwips(), right - a.left, bottom - a.top};
        e = box;
    }
}

void Form::controlCannotFocus(Control* c) {
    if (active_ != c) return;
    Control* before = active_;
    focusAfter(c);
    if (active_ == before) {
        active_ = nullptr;
        if (peer_) peer_->focusChanged(nullptr);
    }
}

// ---- mouse and drops on the surface ----

void Form::mouseDown(int button, int shift, float x, float y) {
    if (loaded_) dispatch([&] { Form_MouseDown(button, shift, x, y); });
}
void Form::mouseUp(int button, int shift, float x, float y) {
    if (loaded_) dispatch([&] { Form_MouseUp(button, shift, x, y); });
}
void Form::mouseMove(int button, int shift, float x, float y) {
    if (loaded_) dispatch([&] { Form_MouseMove(button, shift, x, y); });
}
void Form::click() {
    if (loaded_) dispatch([&] { Form_Click(); });
}
void Form::doubleClick() {
    if (loaded_) dispatch([&] { Form_DblClick(); });
}

int Form::dropFiles(const std::vector<std::string>& files, float x, float y) {
    if (!loaded_ || oleDropMode_ == 0) return vbDropEffectNone;
    DataObject data(files);
    int effect = vbDropEffectCopy | vbDropEffectMove;
    dispatch([&] { Form_OLEDragDrop(data, effect, vbLeftButton, 0, x, y); });
    return effect;
}

int Form::dragOver(const std::vector<std::string>& files, int state, float x, float y) {
    if (!loaded_ || oleDropMode_ == 0) return vbDropEffectNone;
    DataObject data(files);
    int effect = vbDropEffectCopy | vbDropEffectMove;
    dispatch([&] { Form_OLEDragOver(data, effect, vbLeftButton, 0, x, y, state); });
    return effect;
}

void Form::userMoved(float leftTwips, float topTwips) {
    if (retired_) return;
    left_ = leftTwips;
    top_ = topTwips;
}

void Form::userResized(float w, float h) {
    if (!retired_) resizeClient(std::max(0.0f, w), std::max(0.0f, h));
}

}  // namespace forms
