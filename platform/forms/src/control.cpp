#include "forms/control.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "forms/application.hpp"
#include "forms/backend.hpp"
#include "forms/form.hpp"
#include "runtime/error.hpp"

namespace forms {

const char* kindName(Kind k) {
    switch (k) {
        case Kind::Label: return "Label";
        case Kind::TextBox: return "TextBox";
        case Kind::CommandButton: return "CommandButton";
        case Kind::CheckBox: return "CheckBox";
        case Kind::OptionButton: return "OptionButton";
        case Kind::ListBox: return "ListBox";
        case Kind::ComboBox: return "ComboBox";
        case Kind::Image: return "Image";
        case Kind::PictureBox: return "PictureBox";
        case Kind::Frame: return "Frame";
        case Kind::Shape: return "Shape";
        case Kind::Timer: return "Timer";
        case Kind::FileListBox: return "FileListBox";
        case Kind::Slider: return "Slider";
        case Kind::ProgressBar: return "ProgressBar";
        case Kind::CommonDialog: return "CommonDialog";
        case Kind::Custom: return "Custom";
    }
    return "?";
}

int accessKeyOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(caption[i + 1]);
        if (c < 0x80) return std::toupper(c);
        return 0;
    }
    return 0;
}

std::string stripAccessKeys(const std::string& caption) {
    std::string out;
    out.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            out += caption[++i];
            continue;
        }
        out += caption[i];
    }
    return out;
}

Control::Control(Container& parent, std::string name, int index)
    : parent_(&parent), form_(&parent.form()), name_(std::move(name)), index_(index) {
    parent_->children_.push_back(this);
    form_->addControl(this);
}

Control::~Control() { detach(); }

void Control::detach() {
    if (detached_) return;
    detached_ = true;
    auto& kids = parent_->children_;
    kids.erase(std::remove(kids.begin(), kids.end(), this), kids.end());
    form_->removeControl(this);
}

void Control::announce() {
    if (detached_) return;
    form_->syncTabOrder();
    if (form_->peer()) form_->peer()->controlAdded(*this);
}

float Control::left() const { return form_->toScale(b_.left); }
float Control::top() const { return form_->toScale(b_.top); }
float Control::width() const { return form_->toScale(b_.width); }
float Control::height() const { return form_->toScale(b_.height); }

void Control::setLeft(float v) {
    b_.left = form_->fromScale(v);
    changed(Prop::Geometry);
}
void Control::setTop(float v) {
    b_.top = form_->fromScale(v);
    changed(Prop::Geometry);
}
void Control::setWidth(float v) {
    if (v < 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    b_.width = form_->fromScale(v);
    changed(Prop::Geometry);
}
void Control::setHeight(float v) {
    if (v < 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    b_.height = form_->fromScale(v);
    changed(Prop::Geometry);
}
void Control::move(float left, float top) {
    b_.left = form_->fromScale(left);
    b_.top = form_->fromScale(top);
    changed(Prop::Geometry);
}
void Control::move(float left, float top, float width, float height) {
    if (width < 0 || height < 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    b_.left = form_->fromScale(left);
    b_.top = form_->fromScale(top);
    b_.width = form_->fromScale(width);
    b_.height = form_->fromScale(height);
    changed(Prop::Geometry);
}
void Control::setRectTwips(float left, float top, float width, float height) {
    b_.left = left;
    b_.top = top;
    b_.width = std::max(0.0f, width);
    b_.height = std::max(0.0f, height);
    changed(Prop::Geometry);
}

PixelRect Control::clientRectPixels() const {
    float x = b_.left, y = b_.top;
    for (Container* c = parent_; c && c->asControl(); c = &c->asControl()->container()) {
        Control* pc = c->asControl();
        x += pc->b_.left;
        y += pc->b_.top;
    }
    auto px = [](float tw) { return static_cast<int>(std::lround(tw / TwipsPerPixel)); };
    int l = px(x), t = px(y);
    return {l, t, l + px(b_.width), t + px(b_.height)};
}

void Control::setVisible(bool v) {
    if (b_.visible == v) return;
    b_.visible = v;
    changed(Prop::Visible);
    if (!v) form_->controlCannotFocus(this);
}

bool Control::effectivelyVisible() const {
    if (!b_.visible) return false;
    Control* pc = parent_->asControl();
    return pc ? pc->effectivelyVisible() : true;
}

void Control::setEnabled(bool v) {
    if (b_.enabled == v) {
        enabledChanged();
        return;
    }
    b_.enabled = v;
    changed(Prop::Enabled);
    if (!v) form_->controlCannotFocus(this);
    enabledChanged();
}

bool Control::effectivelyEnabled() const {
    if (!b_.enabled) return false;
    Control* pc = parent_->asControl();
    return pc ? pc->effectivelyEnabled() : true;
}

void Control::setToolTipText(std::string t) {
    b_.toolTip = std::move(t);
    changed(Prop::ToolTip);
}
void Control::setBackColor(Colour c) {
    b_.back = c;
    changed(Prop::BackColor);
}
void Control::setForeColor(Colour c) {
    b_.fore = c;
    changed(Prop::ForeColor);
}
void Control::setFont(const forms::Font& f) {
    b_.font = f;
    changed(Prop::Font);
}
void Control::setFontName(std::string name) {
    b_.font.name = std::move(name);
    changed(Prop::Font);
}
void Control::setFontSize(float size) {
    if (size <= 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    b_.font.size = size;
    changed(Prop::Font);
}
void Control::setFontBold(bool b) {
    b_.font.bold = b;
    changed(Prop::Font);
}
void Control::setFontUnderline(bool u) {
    b_.font.underline = u;
    changed(Prop::Font);
}
void Control::setMousePointer(int p) {
    if (p < 0 || (p > 15 && p != 99)) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    b_.mousePointer = p;
    changed(Prop::MousePointer);
}
void Control::setMouseIcon(Picture p) {
    b_.mouseIcon = std::move(p);
    changed(Prop::MousePointer);
}

bool Control::hasTabIndex() const {
    switch (kind()) {
        case Kind::Image:
        case Kind::Shape:
        case Kind::Timer:
        case Kind::CommonDialog:
        case Kind::Custom: return false;
        default: return true;
    }
}

// Every control that takes a place in the tab order has a window of its own,
// but for the label, which is drawn on its container's surface.
bool Control::windowed() const { return hasTabIndex() && kind() != Kind::Label; }

int Control::tabIndex() const {
    form_->syncTabOrder();
    const auto& order = form_->tabOrder();
    auto it = std::find(order.begin(), order.end(), this);
    return it == order.end() ? -1 : static_cast<int>(it - order.begin());
}

void Control::setTabIndex(int i) {
    if (i < 0) runtime::raise(runtime::err::InvalidPropertyValue, name_);
    form_->syncTabOrder();
    auto& order = form_->tabOrder_;
    auto it = std::find(order.begin(), order.end(), this);
    if (it == order.end()) return;
    order.erase(it);
    std::size_t pos = std::min(static_cast<std::size_t>(i), order.size());
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(pos), this);
}

bool Control::canFocus() const {
    return !detached_ && focusable() && effectivelyVisible() && effectivelyEnabled() && form_->isLoaded() &&
           form_->visible();
}

void Control::setFocus() {
    if (!canFocus()) runtime::raise(runtime::err::InvalidProcedureCall, name_);
    form_->setActive(this);
}

bool Control::hasFocus() const { return form_->activeControl() == this; }

void Control::zOrder(int position) {
    auto& kids = parent_->children_;
    kids.erase(std::remove(kids.begin(), kids.end(), this), kids.end());
    if (position == 0)
        kids.push_back(this);
    else
        kids.insert(kids.begin(), this);
    changed(Prop::ZOrder);
}

void Control::placeAfter(const Control& other) {
    auto& kids = parent_->children_;
    auto self = std::find(kids.begin(), kids.end(), this);
    if (self == kids.end()) return;
    kids.erase(self);
    auto it = std::find(kids.begin(), kids.end(), &other);
    if (it == kids.end())
        kids.push_back(this);
    else
        kids.insert(it + 1, this);
    changed(Prop::ZOrder);
}

void Control::click() {
    if (!effectivelyEnabled() || !effectivelyVisible()) return;
    if (canFocus()) form_->setActive(this);
    clickAction();
}

void Control::clickAction() { raise(Click); }

void Control::doubleClick() {
    if (!effectivelyEnabled()) return;
    raise(DblClick);
}

void Control::mouseDown(int button, int shift, float x, float y) {
    if (!effectivelyEnabled()) return;
    if ((button & vbLeftButton) && canFocus()) form_->setActive(this);
    raise(MouseDown, button, shift, x, y);
}
void Control::mouseUp(int button, int shift, float x, float y) {
    if (!effectivelyEnabled()) return;
    raise(MouseUp, button, shift, x, y);
}
void Control::mouseMove(int button, int shift, float x, float y) {
    if (!effectivelyEnabled()) return;
    raise(MouseMove, button, shift, x, y);
}

int Control::dropFiles(const std::vector<std::string>& files, float x, float y) {
    if (b_.oleDropMode == 0 || !effectivelyEnabled()) return vbDropEffectNone;
    DataObject data(files);
    int effect = vbDropEffectCopy | vbDropEffectMove;
    raise(OLEDragDrop, data, effect, vbLeftButton, 0, x, y);
    return effect;
}

int Control::dragOver(const std::vector<std::string>& files, int state, float x, float y) {
    if (b_.oleDropMode == 0 || !effectivelyEnabled()) return vbDropEffectNone;
    DataObject data(files);
    int effect = vbDropEffectCopy | vbDropEffectMove;
    raise(OLEDragOver, data, effect, vbLeftButton, 0, x, y, state);
    return effect;
}

void Control::copyPropertiesFrom(const Control& other) {
    bool visible = b_.visible;
    b_ = other.b_;
    b_.visible = visible;
    changed(Prop::Geometry);
}

void Control::changed(Prop p) {
    if (detached_) return;
    if (FormPeer* peer = form_->peer()) peer->controlChanged(*this, p);
}

void Control::takeFocus() { form_->setActive(this); }

bool Control::eventsLive() const { return !detached_ && form_->eventsLive(); }

void Control::dispatchHere(const std::function<void()>& fn) { form_->dispatch(fn); }

}  // namespace forms
