// The popup menus and where they open, the drag of the window surface, the
// focus moves of a press on it, the hotkeys typed into the window and the
// menu shortcuts from the playlist and the search box.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"

namespace {

using playertest::Player;
using Strings = std::vector<std::string>;

constexpr int L = forms::vbLeftButton;
constexpr int R = forms::vbRightButton;
constexpr int M = forms::vbMiddleButton;

TEST(PopupMenus, WhereTheyOpenByButtonBits) {
    Player p;
    auto& f = p.start();
    struct Case {
        const char* what;
        std::function<void(int)> press;
        int button;
        Strings popups;
    } cases[] = {
        {"surface, right", [&](int b) { f.mouseDown(b, 0, 20, 20); }, R, {"Form2 popup mnupopup"}},
        {"surface, left and right", [&](int b) { f.mouseDown(b, 0, 20, 20); }, L | R, {"Form2 popup mnupopup"}},
        {"surface, left", [&](int b) { f.mouseDown(b, 0, 20, 20); }, L, {}},
        {"List2, right", [&](int b) { f.List2.mouseDown(b, 0, 5, 5); }, R, {"Form2 popup mnupopup"}},
        {"List2, left", [&](int b) { f.List2.mouseDown(b, 0, 5, 5); }, L, {}},
        {"Label1, right", [&](int b) { f.Label1.mouseDown(b, 0, 5, 5); }, R, {"Form2 popup mnupopup"}},
        {"Label1, left", [&](int b) { f.Label1.mouseDown(b, 0, 5, 5); }, L, {}},
        {"Label20 up, right", [&](int b) { f.Label20.mouseUp(b, 0, 5, 5); }, R, {"Form2 popup mnupopup"}},
        {"Label20 up, left", [&](int b) { f.Label20.mouseUp(b, 0, 5, 5); }, L, {"Form2 popup mnupopup"}},
        {"Label20 up, both", [&](int b) { f.Label20.mouseUp(b, 0, 5, 5); }, L | R,
         {"Form2 popup mnupopup", "Form2 popup mnupopup"}},
        {"Label20 up, middle", [&](int b) { f.Label20.mouseUp(b, 0, 5, 5); }, M, {}},
        {"Label20 down, right", [&](int b) { f.Label20.mouseDown(b, 0, 5, 5); }, R, {}},
        {"Label3, right", [&](int b) { f.Label3.mouseDown(b, 0, 5, 5); }, R, {"Form2 popup mnufavorites"}},
        {"Label3, left", [&](int b) { f.Label3.mouseDown(b, 0, 5, 5); }, L, {}},
    };
    for (const Case& c : cases) {
        p.env.backend.clearLog();
        c.press(c.button);
        EXPECT_EQ(p.env.backend.lines("Form2 popup"), c.popups) << c.what;
    }
}

TEST(PopupMenus, TheChosenItemRunsWhenTheMenuCloses) {
    Player p;
    auto& f = p.start();
    p.env.backend.choosePopup = [&](forms::Menu& m) {
        EXPECT_EQ(&m, &f.mnupopup);
        EXPECT_DOUBLE_EQ(p.media->rate(), 1.0);
        return &f.mnupopup50;
    };
    f.mouseDown(R, 0, 30, 30);
    EXPECT_DOUBLE_EQ(p.media->rate(), 0.5);
    EXPECT_TRUE(f.mnupopup50.checked());
}

TEST(SurfacePress, DragsOnlyForTheLeftButtonAloneAndMovesTheFocus) {
    Player p;
    auto& f = p.start();
    struct Case {
        int button;
        bool moves;
        forms::Slider player::Form2::*focus;
    } cases[] = {
        {L, true, &player::Form2::Slider1},      {R, false, &player::Form2::Slider1},
        {M, false, &player::Form2::Slider3},     {L | R, false, &player::Form2::Slider1},
        {L | M, false, &player::Form2::Slider1},
    };
    for (const Case& c : cases) {
        f.List2.setFocus();
        p.env.backend.clearLog();
        f.mouseDown(c.button, 0, 40, 40);
        EXPECT_EQ(p.env.backend.lines("Form2 move").size(), c.moves ? 1u : 0u) << c.button;
        EXPECT_EQ(f.activeControl(), static_cast<forms::Control*>(&(f.*c.focus))) << c.button;
    }
    // The middle button passes the focus over Slider1 on to Slider3.
    f.List2.setFocus();
    p.env.backend.clearLog();
    f.mouseDown(M, 0, 40, 40);
    EXPECT_EQ(p.env.backend.lines("Form2 focus"), (Strings{"Form2 focus Slider1", "Form2 focus Slider3"}));
}

TEST(PlaylistPress, TheMiddleButtonSelectsTheCurrentTracksLine) {
    Player p;
    auto& f = p.start();
    p.fill({p.track("c.mp3", 10), p.track("a.mp3", 10), p.track("b.mp3", 10)});
    f.Label4.setCaption("2");
    f.List2.mouseDown(M, 0, 5, 5);
    EXPECT_EQ(f.List2.listIndex(), 1);
    EXPECT_EQ(f.List2.text(), player::DisplayLine(p.track("b.mp3")));
    f.Label4.setCaption("3");
    f.List2.mouseDown(L, 0, 5, 5);  // no other button selects
    EXPECT_EQ(f.List2.listIndex(), 1);
    // The design caption reads as 0: the selection is cleared.
    f.Label4.setCaption("CurLabel4");
    f.List2.mouseDown(M, 0, 5, 5);
    EXPECT_EQ(f.List2.listIndex(), -1);
}

// ---- keys ----

// What every key typed into the window does, whatever its action.
void expectEveryKeysEffects(Player& p, const std::string& what) {
    auto& f = p.form2();
    EXPECT_TRUE(f.keyPreview()) << what;
    EXPECT_TRUE(f.Timer5.enabled()) << what;
    EXPECT_FLOAT_EQ(p.media->width(), 239) << what;
}

// Sets the window up for a key: no control with the focus and KeyPreview off
// (the key reaches the window first all the same), the meter off, the
// indicators out of line with the control.
void beforeKey(Player& p) {
    auto& f = p.form2();
    f.userFocus(nullptr);
    f.setKeyPreview(false);
    f.Timer5.setEnabled(false);
    p.media->setWidth(0);
    for (forms::Image* i : {&f.pause1, &f.Image9, &f.Mute1, &f.Mute2}) i->setVisible(true);
    p.media->clearCalls();
}

TEST(Hotkeys, VolumeAndSeekKeysAndKeysWithoutAnAction) {
    Player p;
    auto& f = p.start();
    p.media->setFileName(p.track("a.mp3", 10));
    p.media->scriptDuration(300);
    struct Case {
        const char* what;
        int keyCode, shift, ascii;
        std::int32_t volume;
        double position;
    } cases[] = {
        {"+", 0xBB, forms::vbShiftMask, '+', -2250, 100},
        {"-", 0xBD, 0, '-', -2500, 100},
        {"4", '4', 0, '4', -2500, 90},
        {"6", '6', 0, '6', -2500, 100},
        {"M", 'M', forms::vbShiftMask, 'M', -2500, 100},
        {"z", 'Z', 0, 'z', -2500, 100},
        {"5", '5', 0, '5', -2500, 100},
    };
    p.media->setVolume(-2500);
    p.media->scriptPosition(100);
    for (const Case& c : cases) {
        beforeKey(p);
        f.typeKey(c.keyCode, c.shift, c.ascii);
        EXPECT_EQ(p.media->volume(), c.volume) << c.what;
        EXPECT_DOUBLE_EQ(p.media->currentPosition(), c.position) << c.what;
        EXPECT_TRUE(p.media->callsTo("Mute").empty()) << c.what;  // "M" does not mute
        expectEveryKeysEffects(p, c.what);
    }
    // Steps past full volume or before the start are the control's to refuse.
    p.media->setVolume(0);
    f.typeKey(0xBB, forms::vbShiftMask, '+');
    EXPECT_EQ(p.media->volume(), 0);
}

TEST(Hotkeys, EveryKeyBringsThePlayAndMuteImagesInLine) {
    Player p;
    auto& f = p.start();
    struct Case {
        std::int32_t state;
        bool mute;
        bool pauseShown, image9Shown, mute1Shown, mute2Shown;
    } cases[] = {
        {media::Playing, false, false, true, true, false},
        {media::Paused, true, true, false, false, true},
        {media::Stopped, false, true, true, true, false},  // other states leave the pair
    };
    for (const Case& c : cases) {
        p.media->scriptPlayState(c.state);
        p.media->setMute(c.mute);
        beforeKey(p);
        f.typeKey('Z', 0, 'z');
        EXPECT_EQ(f.pause1.visible(), c.pauseShown) << c.state;
        EXPECT_EQ(f.Image9.visible(), c.image9Shown) << c.state;
        EXPECT_EQ(f.Mute1.visible(), c.mute1Shown) << c.state;
        EXPECT_EQ(f.Mute2.visible(), c.mute2Shown) << c.state;
    }
}

// Every menu item with a shortcut, with its key.
std::vector<forms::Menu*> itemsWithShortcuts(forms::Menu& m) {
    std::vector<forms::Menu*> out;
    if (!m.shortcut().empty()) out.push_back(&m);
    for (forms::Menu* c : m.items()) {
        auto more = itemsWithShortcuts(*c);
        out.insert(out.end(), more.begin(), more.end());
    }
    return out;
}

TEST(Shortcuts, EveryShortcutReachesItsItemFromThePlaylistAndTheSearchBox) {
    Player p;
    auto& f = p.start();
    std::map<std::string, int> ran;
    std::vector<forms::Menu*> items = itemsWithShortcuts(f.mnupopup);
    ASSERT_EQ(items.size(), 22u);
    for (forms::Menu* m : items) m->Click = [&ran, m] { ++ran[m->name()]; };
    f.Text1.setVisible(true);
    for (forms::Control* where : std::initializer_list<forms::Control*>{&f.List2, &f.Text1}) {
        ran.clear();
        where->setFocus();
        ASSERT_EQ(f.activeControl(), where);
        for (forms::Menu* m : items) {
            f.Text1.setText("typed");
            f.typeKey(m->shortcut().keyCode, m->shortcut().shift);
            EXPECT_EQ(ran[m->name()], 1) << m->name() << " " << m->shortcut().text() << " from " << where->name();
            if (where == &f.Text1) {
                EXPECT_EQ(f.Text1.text(), "typed") << m->shortcut().text();
            }
        }
        EXPECT_EQ(ran.size(), items.size());
    }
}

}  // namespace
