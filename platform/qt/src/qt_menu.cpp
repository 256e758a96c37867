// Popup menus: a QMenu built from the form's menu, and the hook a test
// session runs while the next one is open.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

#include "forms/menu.hpp"
#include "qt_form_peer.hpp"
#include "qt_internal.hpp"

namespace formsqt {

std::function<std::string()>& nextPopupHook() {
    static std::function<std::string()> hook;
    return hook;
}

forms::Menu* QtFormPeer::popupMenu(forms::Menu& menu) {
    QMenu qm;
    qm.setFont(dialogFont());  // the windows' stand-in face, as the original's menus use the system's
    std::map<QAction*, forms::Menu*> chosen;
    build(qm, menu, chosen);
    std::optional<forms::Menu*> hooked;
    if (auto hook = std::exchange(nextPopupHook(), nullptr)) runWhenShown(qm, chosen, std::move(hook), hooked);
    QAction* a = qm.exec(QCursor::pos());
    if (hooked) return *hooked;
    auto it = chosen.find(a);
    return it == chosen.end() ? nullptr : it->second;
}

// Once the menu is on screen and has had time to paint, runs the hook and
// closes the menu: with the item it named as the choice, or by Escape.
void QtFormPeer::runWhenShown(QMenu& qm, const std::map<QAction*, forms::Menu*>& chosen,
                              std::function<std::string()> hook, std::optional<forms::Menu*>& hooked) {
    auto* timer = new QTimer(&qm);
    timer->setInterval(10);
    auto settled = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, &qm, [&qm, &chosen, &hooked, timer, settled, hook] {
        QWindow* h = qm.windowHandle();
        if (!qm.isVisible() || !h || !h->isExposed()) return;
        if (++*settled < 15) return;  // painted and flushed to the server
        timer->stop();
        std::string name;
        try {
            name = hook();
        } catch (...) {
            std::fprintf(stderr, "formsqt: the popup hook failed; the menu is dismissed\n");
        }
        forms::Menu* item = nullptr;
        for (auto& [action, m] : chosen)
            if (!name.empty() && m->name() == name) item = m;
        if (item) {
            hooked = item;
            qm.close();
        } else {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&qm, &esc);
        }
    });
    timer->start();
}

void QtFormPeer::build(QMenu& qm, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen) {
    for (forms::Menu* m : menu.items()) {
        if (!m->visible()) continue;
        if (m->isSeparator()) {
            qm.addSeparator();
            continue;
        }
        QString text = toQ(m->caption());
        if (!m->shortcut().empty()) text += "\t" + toQ(m->shortcut().text());
        if (m->hasItems()) {
            QMenu* sub = qm.addMenu(text);
            sub->setFont(qm.font());
            sub->setEnabled(m->enabled());
            build(*sub, *m, chosen);
        } else {
            QAction* act = qm.addAction(text);
            act->setCheckable(m->checked());
            act->setChecked(m->checked());
            act->setEnabled(m->enabled());
            chosen[act] = m;
        }
    }
}

}  // namespace formsqt
