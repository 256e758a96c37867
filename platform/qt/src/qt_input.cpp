// Input routing: keys go to the model once, at their first receiver, with
// Tab, Enter and Escape taken as the original's windows take them; the
// mouse on a control raises that control's events; the wheel goes to the
// focused slider.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWheelEvent>

#include <memory>

#include "qt_convert.hpp"
#include "qt_form_peer.hpp"
#include "qt_internal.hpp"

namespace formsqt {

using forms::Control;
using forms::Form;
using forms::Kind;

namespace {

// Controls whose Click is a left-button release over them (the others click
// through their widget's own signal, or on a change of selection).
bool clickOnRelease(Kind k) {
    return k == Kind::Label || k == Kind::Image || k == Kind::PictureBox || k == Kind::Frame || k == Kind::Shape ||
           k == Kind::TextBox;
}

// Keys and the mouse on control widgets: routed through the model before the
// widget sees them.
class InputFilter : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override {
        switch (e->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel: break;
            default: return false;
        }
        auto* w = qobject_cast<QWidget*>(o);
        if (!w) return false;
        auto* fw = dynamic_cast<FormWindow*>(w->window());
        if (!fw || !fw->peer_) return false;
        QtFormPeer* pe = fw->peer_;
        if (e->type() != QEvent::Wheel && e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease &&
            e->type() != QEvent::ShortcutOverride && pe->dragFilter(static_cast<QMouseEvent*>(e)))
            return true;
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease || e->type() == QEvent::ShortcutOverride) {
            // Qt hands a key that a widget leaves alone on to its parents, the
            // same event each time: the model sees it once, at its first
            // receiver (the focus widget, or the window when none has it).
            QWidget* first = fw->focusWidget() ? fw->focusWidget() : fw;
            if (w != first) return false;
            return key(pe, w, static_cast<QKeyEvent*>(e));
        }
        if (e->type() == QEvent::Wheel) return wheel(pe, w, static_cast<QWheelEvent*>(e));
        if (w == fw) return false;  // the window's own handlers take its mouse events
        Control* c = pe->controlOf(w);
        if (!c) return false;
        auto* me = static_cast<QMouseEvent*>(e);
        QWidget* cw = pe->widgets.count(c) ? pe->widgets[c] : w;
        QPoint at = w->mapTo(cw, me->position().toPoint());
        float x = pe->toScaleX(at.x()), y = pe->toScaleX(at.y());
        int shift = shiftOf(me->modifiers());
        int button = buttonsOf(me->button());
        bool list = c->kind() == Kind::ListBox || c->kind() == Kind::FileListBox;
        QEvent::Type type = e->type();
        // A double click is the left button's; another button's second press is a press.
        if (type == QEvent::MouseButtonDblClick && button != forms::vbLeftButton) type = QEvent::MouseButtonPress;
        if (type == QEvent::MouseButtonPress && list && button == forms::vbLeftButton) pe->listClickRaised = false;
        bool afterDouble = false;
        if (type == QEvent::MouseButtonRelease && button == forms::vbLeftButton) {
            afterDouble = pe->doublePressed == c;
            pe->doublePressed = nullptr;
        }
        if (type == QEvent::MouseButtonDblClick && clickOnRelease(c->kind())) pe->doublePressed = c;
        guarded([&] {
            switch (type) {
                case QEvent::MouseButtonPress: c->mouseDown(button, shift, x, y); break;
                case QEvent::MouseButtonRelease:
                    c->mouseUp(button, shift, x, y);
                    // The release that ends a double click raises no second Click.
                    if (button == forms::vbLeftButton && !afterDouble && clickOnRelease(c->kind()) && cw->rect().contains(at))
                        c->click();
                    break;
                case QEvent::MouseButtonDblClick:
                    if (clickOnRelease(c->kind())) c->doubleClick();
                    break;
                default: c->mouseMove(buttonsOf(me->buttons()), shift, x, y); break;
            }
        });
        // The right and middle buttons leave a list's selection alone, as on
        // the original platform (a right click pops up a menu for the line
        // that is selected, and does not select another).
        if (list && button != forms::vbLeftButton && e->type() != QEvent::MouseMove) return true;
        // The mouse on a label, an image, a picture box or a frame is that
        // control's alone: it does not reach the form's surface beneath.
        return clickOnRelease(c->kind()) && c->kind() != Kind::TextBox;
    }

private:
    // The wheel turned over the window's surface or over a control that does
    // not scroll moves the slider that holds the focus: the original hands
    // the wheel to the focused control, and the main window's rockers take it
    // so. Over a list, a text box, a combo box or another slider the wheel
    // scrolls that control.
    bool wheel(QtFormPeer* pe, QWidget* w, QWheelEvent* e) {
        Control* focused = pe->form.activeControl();
        if (!focused || focused->kind() != Kind::Slider) return false;
        auto it = pe->widgets.find(focused);
        if (it == pe->widgets.end() || it->second == w || it->second->isAncestorOf(w)) return false;
        Control* under = pe->controlOf(w);
        if (under && (under->kind() == Kind::ListBox || under->kind() == Kind::FileListBox || under->kind() == Kind::TextBox ||
                      under->kind() == Kind::ComboBox || under->kind() == Kind::Slider))
            return false;
        std::unique_ptr<QEvent> copy(e->clone());
        QApplication::sendEvent(it->second, copy.get());
        return true;
    }

    // Whether Alt and this key name a control's access key.
    static bool accessKeyOf(Form& f, int code, int shift) {
        if ((shift & (forms::vbAltMask | forms::vbCtrlMask)) != forms::vbAltMask) return false;
        for (Control* c : f.tabOrder())
            if (c->accessKey() == code) return true;
        return false;
    }

    // Qt hands a key that a widget leaves alone on to its parent, through
    // this filter again; the model had the key at its first delivery (a
    // KeyPreview form's KeyDown must not run once per parent).
    const QEvent* lastKey_ = nullptr;
    QEvent::Type lastKeyType_ = QEvent::None;
    QPointer<QWidget> lastKeyReceiver_;
    bool propagated(QWidget* w, QEvent* e) {
        if (e == lastKey_ && e->type() == lastKeyType_ && lastKeyReceiver_ && lastKeyReceiver_->parentWidget() == w) {
            lastKeyReceiver_ = w;
            return true;
        }
        lastKey_ = e;
        lastKeyType_ = e->type();
        lastKeyReceiver_ = w;
        return false;
    }

    // The enabled, visible command button of the form whose Default (or
    // Cancel) is set, or nullptr.
    static forms::CommandButton* markedButton(Form& f, bool cancel) {
        for (Control* c : f.controls()) {
            if (c->kind() != Kind::CommandButton || !c->effectivelyVisible() || !c->effectivelyEnabled()) continue;
            auto* b = static_cast<forms::CommandButton*>(c);
            if (cancel ? b->cancel() : b->isDefault()) return b;
        }
        return nullptr;
    }

    // Tab, Enter and Escape as the original's windows take them, before the
    // widget and the model's KeyDown see them. Tab (Shift+Tab backwards)
    // moves the focus along the model's tab order from any control, a text
    // box of one line or many included, to the controls the user sees; a
    // multi-line box takes it as text only when no other control can take
    // the focus, and Ctrl+Tab types it there.
    // Enter presses the focused command button, or, with the focus on any
    // other control, the form's Default button; Escape presses its Cancel
    // button. A key used so raises no KeyDown, KeyPress or KeyUp (the
    // Default and Cancel buttons' Click alone, the focus left where it is).
    // True when the key was used.
    bool dialogKey(QtFormPeer* pe, QWidget* w, QKeyEvent* e) {
        const int key = e->key();
        const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const bool escape = key == Qt::Key_Escape;
        if (!tab && !enter && !escape) return false;
        const int shift = shiftOf(e->modifiers());
        if (shift & forms::vbAltMask) return false;
        Form& f = pe->form;
        if (!f.isLoaded() || f.findShortcut(keyCodeOf(key), shift)) return false;  // a menu accelerator goes first
        Control* focused = f.activeControl();
        QPointer<QWidget> target(w);
        bool used = false;
        guarded([&] {
            if (tab) {
                if (shift & forms::vbCtrlMask) {
                    auto* box = focused && focused->kind() == Kind::TextBox ? static_cast<forms::TextBox*>(focused) : nullptr;
                    if (!box || !box->multiLine()) return;
                    used = true;
                    if (f.keyDown(forms::vbKeyTab, shift)) return;
                    int k = f.keyPress(9);
                    auto* edit = qobject_cast<QPlainTextEdit*>(target.data());
                    if (k != 0 && edit && !box->locked() && f.activeControl() == box) edit->insertPlainText(QString(QChar(k)));
                    return;
                }
                bool other = false;
                for (Control* c : f.tabOrder())
                    if (c != focused && f.takesTab(*c)) other = true;
                used = true;
                if (!other) {
                    // The focus stays where it is (Qt's own order would go on
                    // to a control the user cannot see); a multi-line box
                    // takes the Tab as text.
                    auto* box = focused && focused->kind() == Kind::TextBox ? static_cast<forms::TextBox*>(focused) : nullptr;
                    used = !(box && box->multiLine());
                    return;
                }
                pe->focusReason = Qt::TabFocusReason;
                f.tabToNext(key == Qt::Key_Backtab || (shift & forms::vbShiftMask));
                pe->focusReason = Qt::OtherFocusReason;
                return;
            }
            if (shift & forms::vbCtrlMask) return;
            if (escape) {
                forms::CommandButton* cancel = markedButton(f, true);
                if (!cancel) return;
                used = true;
                cancel->setValue(true);
                return;
            }
            forms::CommandButton* def = markedButton(f, false);
            if (focused && focused->kind() == Kind::CommandButton) {
                used = true;
                // Without a Default button the key reaches the button's KeyDown first.
                if (!def && f.keyDown(forms::vbKeyReturn, shift)) return;
                if (f.isLoaded() && f.activeControl() == focused) focused->click();
                return;
            }
            if (!def) return;
            used = true;
            def->setValue(true);
        });
        return used;
    }

    // The key whose press dialogKey used, until its release.
    int dialogKeyDown_ = 0;

    bool key(QtFormPeer* pe, QWidget* w, QKeyEvent* e) {
        if (propagated(w, e)) return false;
        int code = keyCodeOf(e->key());
        int shift = shiftOf(e->modifiers());
        if (e->type() == QEvent::ShortcutOverride) {
            // Accelerators and access keys of the model win over the widgets'
            // own shortcuts (Qt makes one of each underlined letter).
            if (code && (pe->form.findShortcut(code, shift) || accessKeyOf(pe->form, code, shift))) e->accept();
            return false;
        }
        if (e->type() == QEvent::KeyRelease) {
            if (code && code == dialogKeyDown_ && !e->isAutoRepeat()) {
                dialogKeyDown_ = 0;  // its press went to no KeyDown: its release goes to no KeyUp
                return true;
            }
            if (code && !e->isAutoRepeat()) guarded([&] { pe->form.keyUp(code, shift); });
            return false;
        }
        if (dialogKey(pe, w, e)) {
            dialogKeyDown_ = code;
            return true;
        }
        bool eat = false;
        Form* f = &pe->form;
        QPointer<QWidget> target(w);
        guarded([&] {
            if (code && f->keyDown(code, shift)) {
                eat = true;
                return;
            }
            QString text = e->text();
            if (text.size() != 1) return;
            int ascii = text.at(0).unicode();
            if (ascii > 255) return;
            int k = f->keyPress(ascii);
            if (k == ascii) return;
            eat = true;
            if (k != 0 && target) {
                if (auto* le = qobject_cast<QLineEdit*>(target.data())) le->insert(QString(QChar(k)));
                if (auto* pt = qobject_cast<QPlainTextEdit*>(target.data())) pt->insertPlainText(QString(QChar(k)));
            }
        });
        return eat;
    }
};

}  // namespace

std::unique_ptr<QObject> makeInputFilter() { return std::make_unique<InputFilter>(); }

}  // namespace formsqt
