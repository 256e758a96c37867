// Popup menus on screen: a submenu whose items its AboutToShow handler fills
// is made as it opens, and a menu of more items than the screen shows holds
// them in parts, each made as it opens.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"

namespace {

struct Menus : forms::Form {
    forms::Menu mnupopup{*this, "mnupopup", "mnupopup"};
    forms::Menu mnufirst{mnupopup, "mnufirst", "First"};
    forms::Menu mnusongs{mnupopup, "mnusongs", "Songs"};
    forms::Menu mnusong0{mnusongs, "mnusong0", "Songs"};
    std::vector<std::unique_ptr<forms::Menu>> songs;
    int opened = 0;
    long wanted = 3;  // how many items the handler makes
    std::string chosen;
    Menus() : Form("Menus") {
        setClientSize(4800, 3600);
        mnupopup.setVisible(false);
        mnusongs.AboutToShow = [this] {
            ++opened;
            if (static_cast<long>(songs.size()) + 1 == wanted) return;  // as it is: nothing changes
            songs.clear();
            mnusong0.setCaption("Song 00000");
            for (long i = 1; i < wanted; ++i) {
                char caption[32];
                std::snprintf(caption, sizeof caption, "Song %05ld", i);
                songs.push_back(std::make_unique<forms::Menu>(mnusongs, "mnusong" + std::to_string(i), caption));
                songs.back()->Click = [this, c = std::string(caption)] { chosen = c; };
            }
        };
    }
};

std::vector<std::string> texts(const QMenu& m) {
    std::vector<std::string> out;
    for (QAction* a : m.actions()) out.push_back(a->text().toStdString());
    return out;
}

QMenu* submenuNamed(const QMenu& m, const std::string& text) {
    for (QAction* a : m.actions())
        if (a->text().toStdString() == text) return a->menu();
    return nullptr;
}

// The popup's Songs submenu as the user opens it, while the popup is up.
QMenu* openSongs() {
    auto* top = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!top) return nullptr;
    QMenu* sub = submenuNamed(*top, "Songs");
    if (sub) emit sub->aboutToShow();
    return sub;
}

TEST(QtMenus, ASubmenuIsFilledAsItOpensAndOnlyThen) {
    formsqt::Session qt;
    auto& f = forms::Get<Menus>();
    f.show();
    qt.processEvents(20);
    int openedWhenShown = -1;
    std::vector<std::string> shown, again;
    qt.onNextPopup([&] {
        openedWhenShown = f.opened;
        QMenu* songs = openSongs();
        if (!songs) return std::string();
        shown = texts(*songs);
        QAction* first = songs->actions().empty() ? nullptr : songs->actions().front();
        emit songs->aboutToShow();  // opened again: nothing changed, nothing made anew
        again = texts(*songs);
        if (first != songs->actions().front()) again.push_back("(made anew)");
        return std::string("mnusong2");
    });
    f.popupMenu(f.mnupopup);
    EXPECT_EQ(openedWhenShown, 0);
    EXPECT_EQ(f.opened, 2);
    EXPECT_EQ(shown, (std::vector<std::string>{"Song 00000", "Song 00001", "Song 00002"}));
    EXPECT_EQ(again, shown);
    EXPECT_EQ(f.chosen, "Song 00002");
    f.unload();
}

TEST(QtMenus, AMenuLongerThanTheScreenHoldsItsItemsInParts) {
    formsqt::Session qt;
    auto& f = forms::Get<Menus>();
    f.wanted = 5000;
    f.show();
    qt.processEvents(20);
    std::vector<std::string> parts, all;
    qt.onNextPopup([&] {
        QMenu* songs = openSongs();
        if (!songs) return std::string();
        parts = texts(*songs);
        // Every part, and every part within it, made as it opens: together
        // they hold every item, in order.
        std::vector<QMenu*> open{songs};
        std::function<void(QMenu&)> walk = [&](QMenu& m) {
            for (QAction* a : m.actions()) {
                if (QMenu* part = a->menu()) {
                    EXPECT_TRUE(part->actions().isEmpty()) << a->text().toStdString();
                    emit part->aboutToShow();
                    walk(*part);
                } else {
                    all.push_back(a->text().toStdString());
                }
            }
        };
        walk(*songs);
        return std::string();
    });
    f.popupMenu(f.mnupopup);
    ASSERT_GT(parts.size(), 1u);
    EXPECT_LT(parts.size(), 100u);
    EXPECT_EQ(parts.front().substr(0, 15), "Song 00000 \u2013 ");
    EXPECT_EQ(parts.back().substr(parts.back().size() - 10), "Song 04999");
    ASSERT_EQ(all.size(), 5000u);
    for (std::size_t i = 0; i < all.size(); i += 997) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "Song %05zu", i);
        EXPECT_EQ(all[i], caption);
    }
    f.unload();
}

}  // namespace
