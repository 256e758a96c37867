// Popup menus: a QMenu built from the form's menu, and the hook a test
// session runs while the next one is open.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <vector>

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

namespace {
QString captionOf(const forms::Menu& m) {
    QString text = toQ(m.caption());
    if (!m.shortcut().empty()) text += "\t" + toQ(m.shortcut().text());
    return text;
}

// How many lines a menu shows in one column on the screen under the pointer.
std::size_t linesOnScreen(const QMenu& qm) {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const int height = screen ? screen->availableGeometry().height() : 600;
    const int line = QFontMetrics(qm.font()).height() + 8;
    return static_cast<std::size_t>(std::max(10, height / std::max(1, line) - 2));
}
}  // namespace

void QtFormPeer::build(QMenu& qm, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen) {
    std::vector<forms::Menu*> shown;
    for (forms::Menu* m : menu.items())
        if (m->visible()) shown.push_back(m);
    addRange(qm, shown, chosen);
}

// A menu of more items than the screen shows in a column (the files of one
// big folder) holds them in parts, each a submenu named by its first and
// last item and made as it opens, parts of parts where one level is not
// enough: a menu of tens of thousands of lines would take seconds to make
// and to show, and would run off the screen.
void QtFormPeer::addRange(QMenu& qm, const std::vector<forms::Menu*>& items,
                          std::map<QAction*, forms::Menu*>& chosen) {
    const std::size_t fit = linesOnScreen(qm);
    if (items.size() <= fit) {
        addItems(qm, items, chosen);
        return;
    }
    std::size_t part = fit;
    while ((items.size() + part - 1) / part > fit) part *= fit;
    for (std::size_t first = 0; first < items.size(); first += part) {
        const std::size_t end = std::min(first + part, items.size());
        QMenu* sub = qm.addMenu(toQ(items[first]->caption()) + QString::fromUtf8(" \u2013 ") +
                                toQ(items[end - 1]->caption()));
        sub->setFont(qm.font());
        std::vector<forms::Menu*> slice(items.begin() + static_cast<std::ptrdiff_t>(first),
                                        items.begin() + static_cast<std::ptrdiff_t>(end));
        QObject::connect(sub, &QMenu::aboutToShow, sub, [this, sub, slice, &chosen] {
            if (sub->actions().isEmpty()) addRange(*sub, slice, chosen);
        });
    }
}

void QtFormPeer::addItems(QMenu& qm, const std::vector<forms::Menu*>& items,
                          std::map<QAction*, forms::Menu*>& chosen) {
    for (forms::Menu* m : items) {
        if (m->isSeparator()) {
            qm.addSeparator();
            continue;
        }
        if (m->hasItems()) {
            QMenu* sub = qm.addMenu(captionOf(*m));
            sub->setFont(qm.font());
            sub->setEnabled(m->enabled());
            if (m->AboutToShow) {
                // Its handler fills it as it opens; it is made then.
                QObject::connect(sub, &QMenu::aboutToShow, sub, [this, sub, m, &chosen] { refill(*sub, *m, chosen); });
            } else {
                build(*sub, *m, chosen);
            }
        } else {
            QAction* act = qm.addAction(captionOf(*m));
            act->setCheckable(m->checked());
            act->setChecked(m->checked());
            act->setEnabled(m->enabled());
            chosen[act] = m;
        }
    }
}

// Runs the submenu's AboutToShow, then makes its items (again when the
// handler changed the menus, or the first time).
void QtFormPeer::refill(QMenu& sub, forms::Menu& menu, std::map<QAction*, forms::Menu*>& chosen) {
    const std::uint64_t before = menuChanges;
    guarded([&] { menu.aboutToShow(); });
    const bool made = sub.property("dovetuneMade").toBool();
    if (made && menuChanges == before) return;
    // The items of the old making go, with the parts and submenus made for them.
    for (QMenu* child : sub.findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) {
        for (QAction* a : child->findChildren<QAction*>()) chosen.erase(a);
        for (QAction* a : child->actions()) chosen.erase(a);
        delete child;
    }
    for (QAction* a : sub.actions()) chosen.erase(a);
    sub.clear();
    build(sub, menu, chosen);
    sub.setProperty("dovetuneMade", true);
}

}  // namespace formsqt
