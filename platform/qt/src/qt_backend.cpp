// The Qt backend: a peer for each form, the application's input filter, the
// screen's size, and the guard that runs model code from a Qt event.

#include <QApplication>
#include <QScreen>

#include <cstdio>

#include "forms/application.hpp"
#include "qt_form_peer.hpp"
#include "qt_internal.hpp"
#include "runtime/error.hpp"

namespace formsqt {

using forms::Control;
using forms::Form;

void guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const forms::ProgramEnd&) {
        forms::Application::instance().endProgram();
    } catch (const runtime::Error& e) {
        std::fprintf(stderr, "dovetune: error %d (%s) outside an event handler\n", e.number(), e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dovetune: internal error: %s\n", e.what());
    }
}

std::map<Form*, QtFormPeer*>& peers() {
    static std::map<Form*, QtFormPeer*> p;
    return p;
}

QtBackend::QtBackend() : filter_(makeInputFilter()) {
    qApp->installEventFilter(filter_.get());
    QObject::connect(qApp, &QApplication::focusChanged, filter_.get(), [](QWidget*, QWidget* now) {
        if (!now) return;
        auto* fw = dynamic_cast<FormWindow*>(now->window());
        if (!fw || !fw->peer_ || fw->peer_->syncing) return;
        QtFormPeer* pe = fw->peer_;
        Control* c = pe->controlOf(now);
        if (c) guarded([&] { pe->form.userFocus(c); });
    });
}

QtBackend::~QtBackend() {
    if (qApp) qApp->removeEventFilter(filter_.get());
}

std::unique_ptr<forms::FormPeer> QtBackend::createPeer(Form& form) { return std::make_unique<QtFormPeer>(form); }

forms::ScreenSize QtBackend::screenSize() const {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {};
    return {s->size().width(), s->size().height()};
}

QWidget* QtBackend::widgetOf(Control& c) {
    auto it = peers().find(&c.form());
    if (it == peers().end()) return nullptr;
    auto w = it->second->widgets.find(&c);
    return w == it->second->widgets.end() ? nullptr : w->second;
}

void QtBackend::setNextPopupHook(std::function<std::string()> fn) { nextPopupHook() = std::move(fn); }

QWidget* QtBackend::windowOf(Form& f) {
    auto it = peers().find(&f);
    return it == peers().end() ? nullptr : it->second->window.data();
}

}  // namespace formsqt
