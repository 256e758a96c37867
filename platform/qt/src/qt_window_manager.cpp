// What a skinned window asks of the window manager: its shape (the form's
// region as the native window's mask) and its move by a drag of its
// surface (the manager's _NET_WM_MOVERESIZE, or the window following the
// pointer itself where no manager offers it).

#include <QApplication>
#include <QGuiApplication>
#include <QList>
#include <QMouseEvent>
#include <QRegion>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

#include "qt_form_peer.hpp"

namespace formsqt {

// The region shapes the native window. QWidget::setMask would also clip
// Qt's own painting of the window, and Qt 6 then loses every repaint of a
// masked top-level after the first (the skin turns into an empty grey
// window), so the mask goes to the QWindow alone. A change of flags makes
// a new native window: applyFlags shapes it again.
void QtFormPeer::applyRegion() {
    const auto& r = form.region();
    if (!r) {
        if (QWindow* h = window->windowHandle()) h->setMask(QRegion());
        return;
    }
    int ox = form.clientOffsetX(), oy = form.clientOffsetY();
    QList<QRect> rects;
    rects.reserve(static_cast<qsizetype>(r->rects().size()));
    for (auto& rc : r->rects()) rects.push_back(QRect(rc.left - ox, rc.top - oy, rc.right - rc.left, rc.bottom - rc.top));
    QRegion reg;
    reg.setRects(rects.constData(), static_cast<int>(rects.size()));
    // An empty mask would mean no mask at all; an all-cut window keeps one
    // pixel outside its client area instead.
    if (reg.isEmpty()) reg = QRegion(-1, -1, 1, 1);
    window->winId();  // the native window, made now if it is not yet
    if (QWindow* h = window->windowHandle()) h->setMask(reg);
}

bool startWindowManagerMove(QWidget& window, QPoint pressAt) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return false;
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem) return false;
    xcb_window_t root = screens.data->root;
    auto atom = [c](const char* name) -> xcb_atom_t {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    xcb_atom_t moveResize = atom("_NET_WM_MOVERESIZE"), supported = atom("_NET_SUPPORTED");
    if (moveResize == XCB_ATOM_NONE || supported == XCB_ATOM_NONE) return false;
    bool offered = false;
    xcb_get_property_reply_t* prop =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    if (prop && prop->format == 32) {
        auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(prop));
        int n = xcb_get_property_value_length(prop) / 4;
        offered = std::find(atoms, atoms + n, moveResize) != atoms + n;
    }
    std::free(prop);
    if (!offered) return false;
    qreal ratio = window.devicePixelRatioF();
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    // The move is asked for the native window that shows the widget now:
    // the QWindow's. A change of flags (always on top and back) makes Qt put
    // a new X window under the same QWindow when it shows it again, while
    // the widget's own winId() keeps naming the one it had (made early for
    // the mask); the manager ignores a move of that window, which is gone.
    QWindow* shown = window.windowHandle();
    if (!shown) return false;
    ev.window = static_cast<xcb_window_t>(shown->winId());
    ev.type = moveResize;
    ev.data.data32[0] = static_cast<uint32_t>(std::lround(pressAt.x() * ratio));
    ev.data.data32[1] = static_cast<uint32_t>(std::lround(pressAt.y() * ratio));
    ev.data.data32[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
    ev.data.data32[3] = XCB_BUTTON_INDEX_1;
    ev.data.data32[4] = 1;  // an application's request
    // The button's implicit grab is the application's: the manager takes
    // the pointer over.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
    return true;
}

void QtFormPeer::beginSystemMove() {
    if (window && drag.leftDown) drag.armed = true;
}

bool QtFormPeer::dragFilter(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (e->button() != Qt::LeftButton) return false;
            if (drag.leftDown && drag.pressAt == global && drag.pressTime == e->timestamp()) return false;  // seen
            // A new press: any earlier move has ended, whether or not its
            // release reached this window.
            drag = WindowDrag{};
            drag.leftDown = true;
            drag.pressAt = global;
            drag.pressTime = e->timestamp();
            return false;
        case QEvent::MouseButtonRelease: {
            if (e->button() != Qt::LeftButton) return false;
            bool swallow = drag.swallowRelease;
            drag = WindowDrag{};
            return swallow;
        }
        case QEvent::MouseMove:
            if (!(e->buttons() & Qt::LeftButton)) {
                if (drag.following || drag.swallowRelease) drag = WindowDrag{};  // released outside the window
                return false;
            }
            if (drag.following) {
                window->move(global - drag.grip);
                return true;
            }
            if (drag.swallowRelease) return true;  // the window manager moves it
            if (!drag.armed || (global - drag.pressAt).manhattanLength() < QApplication::startDragDistance())
                return false;
            startMove(global);
            return true;
        default: return false;
    }
}

void QtFormPeer::startMove(QPoint global) {
    drag.armed = false;
    drag.swallowRelease = true;
    // The window manager moves the window by the pointer's way from the
    // press, so the window follows the whole drag, the part before the
    // move began included.
    if (startWindowManagerMove(*window, drag.pressAt)) return;
    drag.following = true;
    drag.grip = drag.pressAt - window->pos();
    window->move(global - drag.grip);
}

}  // namespace formsqt
