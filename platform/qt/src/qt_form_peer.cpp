// The form peer: its window's geometry, flags, icon and state, and its
// controls' widgets: made, removed, synced with the model (each kind in
// its own file), stacked as the original stacks them, and focused.

#include <QAbstractScrollArea>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <iterator>

#include "qt_convert.hpp"
#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "qt_widgets.hpp"

namespace formsqt {

using forms::Kind;

QtFormPeer::QtFormPeer(forms::Form& f) : form(f) {
    window = new FormWindow(this);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setMouseTracking(true);
    peers()[&form] = this;
    applyFlags();
    applyGeometry();
    window->setWindowTitle(toQ(form.caption()));
    window->backColour = colourOf(form.backColor());
    applyIcon();  // an Icon set while the form was being built
}

QtFormPeer::~QtFormPeer() {
    peers().erase(&form);
    if (window) {
        window->peer_ = nullptr;
        for (auto& [c, w] : widgets) w->disconnect();
        window->hide();
        window->deleteLater();
    }
}

// ---- window ----

void QtFormPeer::applyGeometry() {
    Sync s(*this);
    int x = px(form.left()), y = px(form.top());
    if (frameless()) {
        x += form.clientOffsetX();
        y += form.clientOffsetY();
    }
    int w = px(form.clientWidthTwips()), h = px(form.clientHeightTwips());
    applySizeLimits(w, h);
    if (window->size() != QSize(w, h)) window->resize(w, h);
    if (window->pos() != QPoint(x, y)) window->move(x, y);
}

// A fixed border (single, dialog, tool window) keeps the size the form
// gives it: the window manager is told that it cannot be resized. The
// other styles leave the user free to size the window.
void QtFormPeer::applySizeLimits(int w, int h) {
    bool fixed = !frameless() && (form.borderStyle() == forms::BorderStyle::FixedSingle ||
                                  form.borderStyle() == forms::BorderStyle::FixedDialog ||
                                  form.borderStyle() == forms::BorderStyle::FixedToolWindow);
    QSize least = fixed ? QSize(w, h) : QSize(0, 0);
    QSize most = fixed ? QSize(w, h) : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (window->minimumSize() != least) window->setMinimumSize(least);
    if (window->maximumSize() != most) window->setMaximumSize(most);
}

void QtFormPeer::applyFlags() {
    Qt::WindowFlags f = Qt::Window;
    if (frameless()) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (form.controlBox()) {
            f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            // A tool window's small title bar holds the close box alone.
            if (form.minButton() && !toolWindow()) f |= Qt::WindowMinimizeButtonHint;
            if (form.maxButton() && !toolWindow()) f |= Qt::WindowMaximizeButtonHint;
        }
        if (toolWindow()) f |= Qt::Tool;
    }
    if (form.topmost()) f |= Qt::WindowStaysOnTopHint;
    if (!form.showInTaskbar()) f |= Qt::Tool;
    if (window->windowFlags() == f) {
        applyGeometry();  // a fixed border or a sizable one
        return;
    }
    Sync s(*this);
    window->setWindowFlags(f);  // Qt hides a window whose flags change
    applyGeometry();
    if (form.region()) applyRegion();
    if (form.visible()) showWindow(false);  // the same window on screen again: the keyboard stays where it is
}

// The title bar's and the task list's icon (_NET_WM_ICON under X11).
void QtFormPeer::applyIcon() { window->setWindowIcon(form.icon() ? QIcon(QPixmap::fromImage(imageOf(form.icon()))) : QIcon()); }

void QtFormPeer::showWindow(bool activate) {
    flushRestack();
    flushItems();
    // A window that shows without activating says so to the window manager
    // too: Qt maps it with a user time of 0, which asks not to focus it.
    window->setAttribute(Qt::WA_ShowWithoutActivating, form.showsWithoutActivating());
    switch (form.windowState()) {
        case forms::vbMinimized: window->showMinimized(); break;
        case forms::vbMaximized: window->showMaximized(); break;
        default: window->show();
    }
    // A widget of a hidden window cannot take the focus: the model's
    // focused control takes it now that the window is shown.
    if (Control* c = form.activeControl()) focusChanged(c);
    if (activate && form.windowState() != forms::vbMinimized) activateWindow();
}

// Showing a form activates its window, as on the original platform. Qt maps
// a new window without asking for the focus and leaves the choice to the
// window manager, which openbox makes by its rules for new windows: it
// passes over a new tool window (the options window is one, a utility
// window to it) while another window of the program is there, so the
// keyboard stayed with the main window. An activation request
// (_NET_ACTIVE_WINDOW from the application, stamped with the time of the
// last input event) goes by its rules for requests, which grant it to a
// window of the program that holds the focus. Qt holds the request back
// until the window is mapped.
void QtFormPeer::activateWindow() {
    if (form.showsWithoutActivating()) return;
    window->activateWindow();
}

void QtFormPeer::formChanged(forms::FormProp what) {
    if (!window) return;
    Sync s(*this);
    switch (what) {
        case forms::FormProp::Geometry:
        case forms::FormProp::ScaleMode: applyGeometry(); break;
        case forms::FormProp::Caption: window->setWindowTitle(toQ(form.caption())); break;
        case forms::FormProp::Icon: applyIcon(); break;
        case forms::FormProp::Picture:
            window->background = imageOf(form.picture());
            window->update();
            break;
        case forms::FormProp::BackColor:
            window->backColour = colourOf(form.backColor());
            window->update();
            break;
        case forms::FormProp::Visible:
            if (form.visible())
                showWindow(true);
            else
                window->hide();
            break;
        case forms::FormProp::WindowState:
            if (!form.visible()) break;
            if (form.windowState() == forms::vbMinimized)
                window->showMinimized();
            else if (form.windowState() == forms::vbMaximized)
                window->showMaximized();
            else
                window->showNormal();
            break;
        case forms::FormProp::BorderStyle:
        case forms::FormProp::Buttons:
        case forms::FormProp::ShowInTaskbar:
        case forms::FormProp::Topmost: applyFlags(); break;
        case forms::FormProp::Region:
            applyFlags();
            applyGeometry();
            applyRegion();
            break;
        case forms::FormProp::Opacity: window->setWindowOpacity(form.alpha() / 255.0); break;
        case forms::FormProp::ZOrder:
            if (form.visible()) {
                window->raise();
                activateWindow();
            }
            break;
        case forms::FormProp::MousePointer: applyCursor(window, form.mousePointer(), forms::Picture()); break;
    }
}

// ---- controls ----

QWidget* QtFormPeer::containerWidget(Control& c) {
    Control* parent = c.container().asControl();
    if (!parent) return window;
    auto it = widgets.find(parent);
    return it == widgets.end() ? window.data() : it->second;
}

void QtFormPeer::own(QWidget* w, Control& c) {
    owners[w] = &c;
    if (auto* view = qobject_cast<QAbstractScrollArea*>(w)) owners[view->viewport()] = &c;
}

void QtFormPeer::controlAdded(Control& c) {
    if (!window || widgets.count(&c)) return;
    QWidget* parent = containerWidget(c);
    QWidget* w = nullptr;
    switch (c.kind()) {
        case Kind::Label: w = makeLabel(parent); break;
        case Kind::TextBox: w = makeTextBox(c, parent); break;
        case Kind::CommandButton: w = makeCommandButton(c, parent); break;
        case Kind::CheckBox: w = makeCheckBox(c, parent); break;
        case Kind::OptionButton: w = makeOptionButton(c, parent); break;
        case Kind::ListBox:
        case Kind::FileListBox: w = makeList(c, parent); break;
        case Kind::ComboBox: w = makeComboBox(c, parent); break;
        case Kind::Image:
        case Kind::PictureBox: w = new PictureWidget(parent); break;
        case Kind::Frame: w = new FrameWidget(parent); break;
        case Kind::Shape: w = makeShape(c, parent); break;
        case Kind::Slider: w = makeSlider(c, parent); break;
        case Kind::ProgressBar: w = new QProgressBar(parent); break;
        case Kind::Timer:
        case Kind::CommonDialog:
        case Kind::Custom: return;
    }
    widgets[&c] = w;
    own(w, c);
    w->setMouseTracking(true);  // MouseMove without a button held, as the original raises it
    // The mouse over a control is that control's alone: a press, a move
    // or the wheel that its widget leaves alone goes no further up to the
    // container or the window (the input filter raises the control's
    // event once, and hands the wheel to the focused slider itself).
    w->setAttribute(Qt::WA_NoMousePropagation);
    if (auto* view = qobject_cast<QAbstractScrollArea*>(w)) {
        view->viewport()->setMouseTracking(true);
        view->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    }
    if (!c.focusable()) w->setFocusPolicy(Qt::NoFocus);
    syncAll(c);
    queueRestack();
}

void QtFormPeer::controlRemoved(Control& c) {
    auto it = widgets.find(&c);
    if (it == widgets.end()) return;
    QWidget* w = it->second;
    for (auto o = owners.begin(); o != owners.end();)
        o = o->second == &c ? owners.erase(o) : std::next(o);
    dirtyItems.erase(&c);
    shownItems.erase(&c);
    filledLists.erase(&c);
    widgets.erase(it);
    w->disconnect();
    w->hide();
    w->deleteLater();
}

void QtFormPeer::syncAll(Control& c) {
    for (Prop p : {Prop::Geometry, Prop::Visible, Prop::Enabled, Prop::Font, Prop::BackColor, Prop::Caption,
                   Prop::Text, Prop::Style, Prop::Picture, Prop::Items, Prop::Value, Prop::Range, Prop::ToolTip,
                   Prop::Locked, Prop::MaxLength, Prop::Alignment, Prop::MousePointer})
        syncControl(c, p);
}

void QtFormPeer::applyColours(Control& c, QWidget* w) {
    QPalette pal = w->palette();
    QColor back = colourOf(c.backColor()), fore = colourOf(c.foreColor());
    QColor greyed(128, 128, 128);  // the text of a disabled control
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QColor text = group == QPalette::Disabled ? greyed : fore;
        pal.setColor(group, QPalette::Window, back);
        pal.setColor(group, QPalette::Base, back);
        pal.setColor(group, QPalette::Button, back);
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::ButtonText, text);
    }
    if (c.kind() == Kind::ListBox || c.kind() == Kind::FileListBox || c.kind() == Kind::ComboBox) {
        // The selected line in the system's highlight colours, whether or
        // not the list holds the focus, as the original's lists show it;
        // a disabled list's too (the playlist is disabled while it is
        // listed, and the search box selects in it meanwhile).
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            pal.setColor(group, QPalette::Highlight, colourOf(forms::vbHighlight));
            pal.setColor(group, QPalette::HighlightedText, colourOf(forms::vbHighlightText));
        }
    }
    if (c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton) {
        // The back colour fills the whole rectangle and the caption is in
        // the fore colour; the tick box keeps the system's white window
        // colour with a black tick (a disabled one: the face, a grey tick).
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            bool off = group == QPalette::Disabled;
            pal.setColor(group, QPalette::Base, off ? colourOf(forms::vbButtonFace) : QColor(255, 255, 255));
            pal.setColor(group, QPalette::Text, off ? greyed : QColor(0, 0, 0));
        }
    }
    w->setPalette(pal);
    bool fill = false;
    if (c.kind() == Kind::Label) fill = static_cast<forms::Label&>(c).backStyle() == 1;
    if (c.kind() == Kind::Frame || c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton) fill = true;
    w->setAutoFillBackground(fill);
    if (c.kind() == Kind::PictureBox) {
        auto* pw = static_cast<PictureWidget*>(w);
        pw->fill = true;
        pw->fillColour = back;
        pw->update();
    }
}

void QtFormPeer::syncControl(Control& c, Prop what) {
    auto it = widgets.find(&c);
    if (it == widgets.end()) return;
    QWidget* w = it->second;
    Sync s(*this);
    switch (what) {
        case Prop::Geometry: {
            forms::PixelRect r = relativeRect(c);
            w->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
            if (c.kind() == Kind::Label) applyWrap(static_cast<forms::Label&>(c), static_cast<QLabel*>(w));
            break;
        }
        case Prop::Visible: w->setVisible(c.visible()); break;
        case Prop::Enabled: w->setEnabled(c.enabled()); break;
        case Prop::Font:
            w->setFont(fontOf(c.font()));
            if (c.kind() == Kind::Label) applyWrap(static_cast<forms::Label&>(c), static_cast<QLabel*>(w));
            break;
        case Prop::BackColor:
        case Prop::ForeColor:
        case Prop::BackStyle: applyColours(c, w); break;
        case Prop::ToolTip: w->setToolTip(toQ(c.toolTipText())); break;
        case Prop::MousePointer: applyCursor(w, c.mousePointer(), c.mouseIcon()); break;
        case Prop::ZOrder: queueRestack(); break;
        default: syncKind(c, w, what); break;
    }
}

forms::PixelRect QtFormPeer::relativeRect(Control& c) {
    int l = px(c.leftTwips()), t = px(c.topTwips());
    // A picture box's inside begins within its sunken edge.
    if (Control* parent = c.container().asControl();
        parent && parent->kind() == Kind::PictureBox && static_cast<forms::PictureBox*>(parent)->borderStyle() == 1) {
        l += 2;
        t += 2;
    }
    return {l, t, l + px(c.widthTwips()), t + px(c.heightTwips())};
}

void QtFormPeer::syncKind(Control& c, QWidget* w, Prop what) {
    switch (c.kind()) {
        case Kind::Label: syncLabel(c, w, what); break;
        case Kind::TextBox: syncTextBox(c, w, what); break;
        case Kind::CommandButton: syncCommandButton(c, w, what); break;
        case Kind::CheckBox: syncCheckBox(c, w, what); break;
        case Kind::OptionButton: syncOptionButton(c, w, what); break;
        case Kind::ListBox:
        case Kind::FileListBox: syncList(c, w, what); break;
        case Kind::ComboBox: syncComboBox(c, w, what); break;
        case Kind::Image: syncImage(c, w, what); break;
        case Kind::PictureBox: syncPictureBox(c, w, what); break;
        case Kind::Frame: syncFrame(c, w, what); break;
        case Kind::Shape: w->update(); break;
        case Kind::Slider: syncSlider(c, w, what); break;
        case Kind::ProgressBar: syncProgressBar(c, w); break;
        default: break;
    }
}

// ---- stacking and focus ----

void QtFormPeer::queueRestack() {
    if (restackQueued) return;
    restackQueued = true;
    QTimer::singleShot(0, window, [this, win = QPointer<FormWindow>(window)] {
        if (win && win->peer_ == this) flushRestack();
    });
}

void QtFormPeer::restack(forms::Container& container) {
    for (int pass = 0; pass < 2; ++pass)
        for (Control* c : container.children()) {
            if (c->windowed() != (pass == 1)) continue;  // labels, images and shapes first, beneath
            auto it = widgets.find(c);
            if (it != widgets.end()) it->second->raise();
        }
    for (Control* c : container.children())
        if (forms::Container* inner = dynamic_cast<forms::Container*>(c)) restack(*inner);
}

void QtFormPeer::flushRestack() {
    if (!window) return;
    restackQueued = false;
    restack(form);
    QWidget* prev = nullptr;
    for (Control* c : form.tabOrder()) {
        auto it = widgets.find(c);
        if (it == widgets.end() || !c->focusable()) continue;
        it->second->setFocusPolicy(c->tabStop() ? Qt::StrongFocus : Qt::ClickFocus);
        if (prev) QWidget::setTabOrder(prev, it->second);
        prev = it->second;
    }
}

void QtFormPeer::focusChanged(Control* c) {
    if (!c) return;
    auto it = widgets.find(c);
    if (it == widgets.end()) return;
    Sync s(*this);
    it->second->setFocus(focusReason);
}

forms::Control* QtFormPeer::controlOf(QObject* o) {
    for (QObject* p = o; p && p != window; p = p->parent()) {
        auto it = owners.find(p);
        if (it != owners.end()) return it->second;
    }
    return nullptr;
}

}  // namespace formsqt
