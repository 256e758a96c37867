// The skin's transport: the click areas with their pressed pictures, the
// pause spot and the indicators the mouse refreshes, the repeat pair, and the
// hidden buttons with their access keys.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/application.hpp"
#include "player_fixture.hpp"

namespace {

using playertest::Player;
using Calls = std::vector<std::string>;

struct Window {
    Player p;
    player::Form2& f;
    std::string a, b, c;
    Window() : f(p.start()) {
        a = p.track("a.mp3", 10);
        b = p.track("b.mp3", 20);
        c = p.track("c.mp3", 30);
        p.fill({a, b, c});
        f.List2.doubleClickItem(1);  // b plays: entry 2 of 3
        p.media->clearCalls();
    }
    Calls calls() const { return p.media->calls(); }
};

struct Area {
    const char* name;
    forms::Image player::Form2::*area;
    forms::Image player::Form2::*pressed;
    const char* file;  // the file the click starts; "" none
};

TEST(ClickAreas, EachReachesItsCommandAndShowsItsPictureOnlyWhileDown) {
    const Area areas[] = {
        {"Image1 previous", &player::Form2::Image1, &player::Form2::Image6, "a"},
        {"Image5 play", &player::Form2::Image5, &player::Form2::Image2, "b"},
        {"Image7 next", &player::Form2::Image7, &player::Form2::Image8, "c"},
    };
    for (const Area& k : areas) {
        SCOPED_TRACE(k.name);
        Window w;
        forms::Image& area = w.f.*k.area;
        forms::Image& pressed = w.f.*k.pressed;
        EXPECT_FALSE(pressed.visible());
        area.mouseDown(forms::vbLeftButton, 0, 5, 5);
        EXPECT_TRUE(pressed.visible());
        area.mouseUp(forms::vbLeftButton, 0, 5, 5);
        EXPECT_FALSE(pressed.visible());
        area.click();
        const std::string expected = w.p.track(std::string(k.file) + ".mp3", -1);
        ASSERT_FALSE(w.calls().empty());
        EXPECT_EQ(w.calls().back(), "FileName=" + expected);
    }
    // The folder area's picture too; the open-files area shows none.
    Window w;
    w.f.Image17.mouseDown(forms::vbRightButton, 0, 1, 1);  // any button
    EXPECT_TRUE(w.f.Image16.visible());
    w.f.Image17.mouseUp(forms::vbRightButton, 0, 1, 1);
    EXPECT_FALSE(w.f.Image16.visible());
    w.f.Image11.mouseDown(forms::vbLeftButton, 0, 1, 1);
    EXPECT_FALSE(w.f.Image12.visible());
}

TEST(ClickAreas, PlayCallsPlayFirstAndRefreshesTheInfoBar) {
    Window w;
    auto& bar = forms::Get<player::Form4>();
    bar.Title.setCaption("Title: earlier");
    w.f.List2.clickItem(2);
    w.f.Image5.click();
    EXPECT_EQ(w.calls(), (Calls{"Play", "FileName=" + w.c}));
    EXPECT_EQ(bar.Title.caption(), "Title: Untitled");
    EXPECT_EQ(w.f.Label4.caption(), "3");
}

TEST(PauseSpot, ShowsThePausedPictureWhateverTheState) {
    Window w;
    w.p.media->scriptPlayState(media::Stopped);
    w.f.Image9.click();
    EXPECT_TRUE(w.f.pause1.visible());
    EXPECT_FALSE(w.f.Image9.visible());
    EXPECT_EQ(w.calls(), (Calls{"Pause"}));
    // Neither playing nor paused: the mouse leaves it standing.
    w.p.media->scriptPlayState(media::Stopped);
    w.f.mouseMove(0, 0, 10, 10);
    EXPECT_TRUE(w.f.pause1.visible());
    // Clicking the picture resumes.
    w.p.media->clearCalls();
    w.f.pause1.click();
    EXPECT_FALSE(w.f.pause1.visible());
    EXPECT_TRUE(w.f.Image9.visible());
    EXPECT_EQ(w.calls(), (Calls{"Play"}));
}

TEST(Indicators, TheMouseOverTheWindowBringsThemInLine) {
    Window w;
    struct Case {
        std::int32_t state;
        bool mute;
        bool paused;  // pause1 shown, Image9 hidden
    };
    for (const Case& k : {Case{media::Paused, true, true}, Case{media::Playing, false, false},
                          Case{media::Paused, false, true}, Case{media::Stopped, true, true}}) {
        SCOPED_TRACE(k.state);
        w.f.setKeyPreview(false);
        w.p.media->scriptPlayState(k.state);
        w.f.MediaPlayer1.setMute(k.mute);
        w.p.media->clearCalls();
        w.f.mouseMove(0, 0, 20, 20);
        EXPECT_TRUE(w.f.keyPreview());
        EXPECT_EQ(w.f.pause1.visible(), k.paused);
        EXPECT_EQ(w.f.Image9.visible(), !k.paused);
        EXPECT_EQ(w.f.Mute2.visible(), k.mute);
        EXPECT_EQ(w.f.Mute1.visible(), !k.mute);
        EXPECT_EQ(w.calls(), (Calls{"Width=239"}));
    }
}

TEST(RepeatPair, ClickingEitherImageFlipsRepeat) {
    Window w;
    w.f.Image14.click();
    EXPECT_EQ(w.f.Check1.value(), 1);
    EXPECT_TRUE(w.f.mnurepeat.checked());
    EXPECT_FALSE(w.f.Image14.visible());
    EXPECT_TRUE(w.f.Image15.visible());
    w.f.Image15.click();
    EXPECT_EQ(w.f.Check1.value(), 0);
    EXPECT_FALSE(w.f.mnurepeat.checked());
    EXPECT_TRUE(w.f.Image14.visible());
    EXPECT_FALSE(w.f.Image15.visible());
}

TEST(HiddenButtons, AccessKeysReachTheOperations) {
    struct Key {
        char letter;
        const char* expected;  // the control's last call ("file:" a file name written)
    };
    for (const Key& k : {Key{'M', "Mute=True"}, Key{'A', "file:b"}, Key{'N', "file:c"}, Key{'P', "file:a"},
                         Key{'O', "file:x"}, Key{'S', "Pause"}}) {
        SCOPED_TRACE(k.letter);
        Window w;
        std::string x = w.p.track("x.mp3", 5);
        if (k.letter == 'O') w.p.env.dialogs.answerFileDialog({true, {x}});
        w.f.typeKey(k.letter, forms::vbAltMask);
        ASSERT_FALSE(w.calls().empty());
        std::string want = k.expected;
        if (want.rfind("file:", 0) == 0) want = "FileName=" + w.p.track(want.substr(5) + ".mp3", -1);
        EXPECT_EQ(w.calls().back(), want);
        EXPECT_EQ(w.p.env.dialogs.pending(), 0u);
    }
}

TEST(HiddenButtons, ThePictureButtonsForward) {
    struct Button {
        forms::CommandButton player::Form2::*button;
        const char* expected;
    };
    for (const Button& k : {Button{&player::Form2::Command11, "file:c"}, Button{&player::Form2::Command12, "file:a"},
                            Button{&player::Form2::Command13, "file:b"}, Button{&player::Form2::Command14, "Pause"},
                            Button{&player::Form2::Command15, "Stop"}, Button{&player::Form2::next, "file:c"}}) {
        Window w;
        (w.f.*k.button).click();
        SCOPED_TRACE((w.f.*k.button).name());
        ASSERT_FALSE(w.calls().empty());
        std::string want = k.expected;
        if (want.rfind("file:", 0) == 0) want = "FileName=" + w.p.track(want.substr(5) + ".mp3", -1);
        EXPECT_EQ(w.calls().back(), want);
    }
    Window w;
    w.p.env.dialogs.answerFileDialog({false, {}});
    w.f.Command16.click();
    EXPECT_EQ(w.p.env.dialogs.shown().back().file.title, "Open Music Files");
}

}  // namespace
