// The form's window: its surface's paint, the mouse on it (MouseDown,
// MouseUp, MouseMove, Click, DblClick), closing, the user's moves and
// resizes, its window state, and files dropped on it.

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "qt_convert.hpp"
#include "qt_form_peer.hpp"
#include "qt_internal.hpp"

namespace formsqt {

using forms::Control;
using forms::Form;

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), backColour);
    if (!background.isNull()) p.drawImage(0, 0, background);
}

// MouseDown and MouseUp name the one button that went down or up; MouseMove
// names every button held.
void FormWindow::mousePressEvent(QMouseEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    QPoint at = e->position().toPoint();
    int buttons = buttonsOf(e->button());
    guarded([&] { pe->form.mouseDown(buttons, shiftOf(e->modifiers()), pe->toScaleX(at.x()), pe->toScaleX(at.y())); });
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    QPoint at = e->position().toPoint();
    int button = buttonsOf(e->button());
    bool afterDouble = doublePressed && button == forms::vbLeftButton;
    if (button == forms::vbLeftButton) doublePressed = false;
    QPointer<FormWindow> self(this);
    guarded([&] {
        pe->form.mouseUp(button, shiftOf(e->modifiers()), pe->toScaleX(at.x()), pe->toScaleX(at.y()));
        // The release that ends a double click raises no second Click.
        if (button == forms::vbLeftButton && !afterDouble && self && rect().contains(at) && peer_) pe->form.click();
    });
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!peer_) return;
    QtFormPeer* pe = peer_;
    QPoint at = e->position().toPoint();
    guarded([&] { pe->form.mouseMove(buttonsOf(e->buttons()), shiftOf(e->modifiers()), pe->toScaleX(at.x()), pe->toScaleX(at.y())); });
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!peer_) return;
    if (e->button() != Qt::LeftButton) {  // a double click is the left button's; others press again
        mousePressEvent(e);
        return;
    }
    QtFormPeer* pe = peer_;
    doublePressed = true;
    guarded([&] { pe->form.doubleClick(); });
}

void FormWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
    if (!peer_) return;
    Form* f = &peer_->form;
    QPointer<FormWindow> self(this);
    QTimer::singleShot(0, this, [self, f] {
        if (self && self->peer_) guarded([f] { f->userClose(); });
    });
}

void FormWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!peer_ || peer_->syncing || isMinimized()) return;
    QtFormPeer* pe = peer_;
    QSize s = size();
    if (s.width() == px(pe->form.clientWidthTwips()) && s.height() == px(pe->form.clientHeightTwips())) return;
    guarded([&] {
        pe->form.userResized(static_cast<float>(s.width() * forms::TwipsPerPixel),
                             static_cast<float>(s.height() * forms::TwipsPerPixel));
    });
}

void FormWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!peer_ || peer_->syncing || isMinimized()) return;
    QtFormPeer* pe = peer_;
    QPoint p = pos();
    if (pe->frameless()) p -= QPoint(pe->form.clientOffsetX(), pe->form.clientOffsetY());
    if (p.x() == px(pe->form.left()) && p.y() == px(pe->form.top())) return;
    pe->form.userMoved(static_cast<float>(p.x() * forms::TwipsPerPixel), static_cast<float>(p.y() * forms::TwipsPerPixel));
}

void FormWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || !peer_ || peer_->syncing) return;
    QtFormPeer* pe = peer_;
    int state = isMinimized() ? forms::vbMinimized : isMaximized() ? forms::vbMaximized : forms::vbNormal;
    guarded([&] { pe->form.userWindowState(state); });
}

namespace {
// The control under a point that accepts drops, or nullptr for the form.
Control* dropTarget(QtFormPeer* pe, QWidget* window, QPoint at) {
    QWidget* child = window->childAt(at);
    Control* c = child ? pe->controlOf(child) : nullptr;
    while (c && c->oleDropMode() == 0) {
        Control* parent = c->container().asControl();
        c = parent;
    }
    return c;
}

// Offers the files of a drag to the control under `at` (or the form): as
// they enter the window, or dropped there. Returns the effect it answers.
int offerFiles(QtFormPeer* pe, QWidget* window, const QMimeData* data, QPoint at, bool dropped) {
    auto files = filesOf(data);
    const float x = pe->toScaleX(at.x()), y = pe->toScaleX(at.y());
    int effect = 0;
    guarded([&] {
        Control* c = dropTarget(pe, window, at);
        if (dropped)
            effect = c ? c->dropFiles(files, x, y) : pe->form.dropFiles(files, x, y);
        else
            effect = c ? c->dragOver(files, forms::vbEnter, x, y) : pe->form.dragOver(files, forms::vbEnter, x, y);
    });
    return effect;
}
}  // namespace

void FormWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (!peer_ || !e->mimeData()->hasUrls()) return;
    if (offerFiles(peer_, this, e->mimeData(), e->position().toPoint(), false) != 0) e->acceptProposedAction();
}

void FormWindow::dragMoveEvent(QDragMoveEvent* e) { e->acceptProposedAction(); }

void FormWindow::dropEvent(QDropEvent* e) {
    if (!peer_) return;
    if (offerFiles(peer_, this, e->mimeData(), e->position().toPoint(), true) != 0)
        e->acceptProposedAction();
    else
        e->ignore();
}

}  // namespace formsqt
