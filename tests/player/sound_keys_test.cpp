// The sound controls and hotkeys that run the playback commands: the mute
// commands over the control's own toggle, the track rocker, and the key
// table typed into the window with the effects every key has.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "player/Form4.hpp"
#include "player_fixture.hpp"

namespace {

using media::ScriptedMediaPlayer;
using playertest::Player;

// A playlist of three tracks, its second line playing (sorted: a, b, c).
struct Playing {
    Player p;
    player::Form2& f;
    std::vector<std::string> tracks;
    Playing() : f(p.start()) {
        tracks = {p.track("c.mp3", 10), p.track("a.mp3", 10), p.track("b.mp3", 10)};
        p.fill(tracks);
        f.List2.doubleClickItem(1);
        p.media->clearCalls();
    }
    std::string path(const char* name) { return p.track(name); }
};

TEST(Mute, TheCommandsSetTheTickThenToggleTheControl) {
    Player p;
    auto& f = p.start();
    struct Case {
        const char* what;
        std::function<void()> command;
        bool muteBefore;
        bool tickBefore;
        bool tickAfter, muteAfter, mute2Shown;
    } cases[] = {
        {"Mute1", [&] { f.Mute1.click(); }, false, false, true, true, true},
        {"Mute2", [&] { f.Mute2.click(); }, true, true, false, false, false},
        {"menu, no tick", [&] { f.mnupopupoptionsmute.choose(); }, false, false, true, true, true},
        {"menu, tick", [&] { f.mnupopupoptionsmute.choose(); }, true, true, false, false, false},
        {"Ctrl+M", [&] { f.typeKey('M', forms::vbCtrlMask); }, false, false, true, true, true},
        // Mute changed elsewhere: the toggle flips it, so tick and control disagree.
        {"menu, muted elsewhere", [&] { f.mnupopupoptionsmute.choose(); }, true, false, true, false, true},
        {"Mute1, muted elsewhere", [&] { f.Mute1.click(); }, true, false, true, false, true},
        {"Mute2, unmuted elsewhere", [&] { f.Mute2.click(); }, false, true, false, true, false},
    };
    for (const Case& c : cases) {
        p.media->setMute(c.muteBefore);
        f.mnupopupoptionsmute.setChecked(c.tickBefore);
        f.Mute1.setVisible(true);
        f.Mute2.setVisible(true);
        c.command();
        EXPECT_EQ(f.mnupopupoptionsmute.checked(), c.tickAfter) << c.what;
        EXPECT_EQ(p.media->mute(), c.muteAfter) << c.what;
        EXPECT_EQ(f.Mute2.visible(), c.mute2Shown) << c.what;
        EXPECT_EQ(f.Mute1.visible(), !c.mute2Shown) << c.what;
    }
    // A refused Mute: the tick and the images move all the same.
    p.media->setMute(false);
    f.mnupopupoptionsmute.setChecked(false);
    p.media->fail(ScriptedMediaPlayer::Member::Mute);
    f.mnupopupoptionsmute.choose();
    EXPECT_TRUE(f.mnupopupoptionsmute.checked());
    EXPECT_FALSE(p.media->mute());
    EXPECT_TRUE(f.Mute2.visible());
}

TEST(Rockers, TheTrackRockerStepsToTheNextAndPreviousTrack) {
    Playing t;
    t.f.Slider3.slideTo(3);
    EXPECT_EQ(t.f.Slider3.value(), 2);
    EXPECT_EQ(t.p.media->fileName(), t.path("c.mp3"));
    EXPECT_EQ(t.f.Label4.caption(), "3");
    t.f.Slider3.slideTo(1);
    t.f.Slider3.slideTo(1);
    EXPECT_EQ(t.f.Slider3.value(), 2);
    EXPECT_EQ(t.p.media->fileName(), t.path("a.mp3"));
    EXPECT_EQ(t.f.Label4.caption(), "1");
}

// Sets the window up for a key: no control with the focus and KeyPreview off
// (the key reaches the window first all the same), the meter off, the
// indicators and the Info Bar out of line with the control.
void beforeKey(Playing& t) {
    t.f.userFocus(nullptr);
    t.f.setKeyPreview(false);
    t.f.Timer5.setEnabled(false);
    t.p.media->setWidth(0);
    for (forms::Image* i : {&t.f.pause1, &t.f.Image9, &t.f.Mute1, &t.f.Mute2}) i->setVisible(true);
    forms::Get<player::Form4>().Title.setCaption("stale");
    t.p.media->clearCalls();
}

void expectEveryKeysEffects(Playing& t, const std::string& what) {
    EXPECT_TRUE(t.f.keyPreview()) << what;
    EXPECT_TRUE(t.f.Timer5.enabled()) << what;
    EXPECT_FLOAT_EQ(t.p.media->width(), 239) << what;
    EXPECT_EQ(forms::Get<player::Form4>().Title.caption(), "Title: Untitled") << what;  // pic ran
    const bool playing = t.p.media->playState() == media::Playing;
    const bool paused = t.p.media->playState() == media::Paused;
    if (playing || paused) {
        EXPECT_EQ(t.f.pause1.visible(), paused) << what;
        EXPECT_EQ(t.f.Image9.visible(), playing) << what;
    }
    EXPECT_EQ(t.f.Mute2.visible(), t.p.media->mute()) << what;
    EXPECT_EQ(t.f.Mute1.visible(), !t.p.media->mute()) << what;
}

TEST(Hotkeys, TheKeyTable) {
    Playing t;
    t.p.media->scriptDuration(300);
    t.p.media->scriptPosition(100);
    struct Case {
        const char* what;
        int keyCode, shift, ascii;
        std::function<void()> expect;
    } cases[] = {
        {"+", 0xBB, forms::vbShiftMask, '+', [&] { EXPECT_EQ(t.p.media->volume(), -2250); }},
        {"-", 0xBD, 0, '-', [&] { EXPECT_EQ(t.p.media->volume(), -2500); }},
        {"4", '4', 0, '4', [&] { EXPECT_DOUBLE_EQ(t.p.media->currentPosition(), 90); }},
        {"6", '6', 0, '6', [&] { EXPECT_DOUBLE_EQ(t.p.media->currentPosition(), 100); }},
        {"Enter", forms::vbKeyReturn, 0, 13,
         [&] {
             EXPECT_EQ(t.p.media->callsTo("Play").size(), 1u);
             EXPECT_EQ(t.p.media->callsTo("FileName"), std::vector<std::string>{"FileName=" + t.path("b.mp3")});
         }},
        {"m", 'M', 0, 'm',
         [&] {
             EXPECT_TRUE(t.p.media->mute());
             EXPECT_TRUE(t.f.mnupopupoptionsmute.checked());
         }},
        {"M", 'M', forms::vbShiftMask, 'M', [&] { EXPECT_TRUE(t.p.media->callsTo("Mute").empty()); }},
        {"m again", 'M', 0, 'm', [&] { EXPECT_FALSE(t.p.media->mute()); }},
        {"2", '2', 0, '2',
         [&] {
             EXPECT_EQ(t.p.media->fileName(), t.path("c.mp3"));
             EXPECT_EQ(t.f.Label4.caption(), "3");
         }},
        {"8", '8', 0, '8',
         [&] {
             EXPECT_EQ(t.p.media->fileName(), t.path("b.mp3"));
             EXPECT_EQ(t.f.Label4.caption(), "2");
         }},
        {"Space", forms::vbKeySpace, 0, ' ',
         [&] {
             EXPECT_EQ(t.p.media->playState(), media::Paused);
             EXPECT_EQ(t.f.Command3.caption(), "aa");
         }},
        {"Space again", forms::vbKeySpace, 0, ' ',
         [&] {
             EXPECT_EQ(t.p.media->playState(), media::Playing);
             EXPECT_EQ(t.f.Command3.caption(), "aa");
         }},
        {"a key without an action", 'Q', 0, 'q',
         [&] {
             EXPECT_TRUE(t.p.media->callsTo("Volume").empty());
             EXPECT_TRUE(t.p.media->callsTo("Pause").empty());
             EXPECT_TRUE(t.p.media->callsTo("FileName").empty());
         }},
    };
    t.p.media->setVolume(-2500);
    for (const Case& c : cases) {
        beforeKey(t);
        t.f.typeKey(c.keyCode, c.shift, c.ascii);
        c.expect();
        expectEveryKeysEffects(t, c.what);
    }
}

TEST(Hotkeys, AKeyTypedIntoTheSearchBoxAlsoReachesTheWindow) {
    Playing t;
    t.f.Text1.setVisible(true);
    t.f.Text1.setFocus();
    t.f.Text1.setText("");
    t.f.setKeyPreview(true);
    t.f.typeKey('2', 0, '2');
    EXPECT_EQ(t.f.Text1.text(), "2");
    EXPECT_EQ(t.p.media->fileName(), t.path("c.mp3"));  // the track stepped too
}

}  // namespace
