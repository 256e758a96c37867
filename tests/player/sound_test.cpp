// The sound controls of the main window: the volume meter and its segment
// buttons, the rockers, the balance lights and options, mute, Timer5 and the
// seven rate commands, driven through the controls and menu items.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "player_fixture.hpp"

namespace {

using media::ScriptedMediaPlayer;
using playertest::Player;

// A two-image element as the user sees it: "1" its lit image alone, "0" its
// unlit image alone, "?" anything else.
char pairState(const forms::Image& unlit, const forms::Image& lit) {
    if (lit.visible() && !unlit.visible()) return '1';
    if (!lit.visible() && unlit.visible()) return '0';
    return '?';
}

std::string meter(const player::Form2& f) {
    return {pairState(f.Vol1, f.Vol5), pairState(f.Vol2, f.Vol6), pairState(f.Vol3, f.Vol7),
            pairState(f.Vol4, f.Vol8), pairState(f.Vol9, f.Vol10)};
}

// Left, centre and right light.
std::string lights(const player::Form2& f) {
    return {pairState(f.B2, f.B1), pairState(f.B4, f.B3), pairState(f.B6, f.B5)};
}

// A click on an image as the skin shows it (shown first, on top of its pair).
void press(forms::Image& image) {
    image.setVisible(true);
    image.click();
}

std::string meterOf(int lit) { return std::string(lit, '1') + std::string(5 - lit, '0'); }

TEST(VolumeMeter, TheTickShowsTheVolumesOfItsGridAndLeavesOthers) {
    Player p;
    auto& f = p.start();
    ASSERT_TRUE(f.Timer5.enabled());
    struct Case {
        std::int32_t volume;
        const char* shown;
    } cases[] = {
        {-3000, "00000"}, {-2500, "10000"}, {-2750, "10000"},  // off the grid: as it was
        {-2000, "11000"}, {-1500, "11100"}, {-1000, "11110"}, {-500, "11111"},
        {-3000, "00000"}, {-1234, "00000"}, {0, "11111"},     {-10000, "11111"},
    };
    for (const Case& c : cases) {
        p.media->setVolume(c.volume);
        p.env.scheduler.advance(1);
        EXPECT_EQ(meter(f), c.shown) << c.volume;
    }
}

TEST(VolumeMeter, TheTenSegmentClicks) {
    struct Case {
        forms::Image player::Form2::*image;
        const char* name;
        std::int32_t volume;
        int lit;
    } cases[] = {
        {&player::Form2::Vol1, "Vol1", -2500, 1},  {&player::Form2::Vol2, "Vol2", -2000, 2},
        {&player::Form2::Vol3, "Vol3", -1500, 3},  {&player::Form2::Vol4, "Vol4", -1000, 4},
        {&player::Form2::Vol9, "Vol9", -500, 5},   {&player::Form2::Vol5, "Vol5", -3000, 0},
        {&player::Form2::Vol6, "Vol6", -2500, 1},  {&player::Form2::Vol7, "Vol7", -2000, 2},
        {&player::Form2::Vol8, "Vol8", -1500, 3},  {&player::Form2::Vol10, "Vol10", -1000, 4},
    };
    Player p;
    auto& f = p.start();
    for (const Case& c : cases) {
        p.media->setVolume(-1234);
        f.Timer5.setEnabled(true);
        press(f.*c.image);
        EXPECT_EQ(p.media->volume(), c.volume) << c.name;
        EXPECT_FALSE(f.Timer5.enabled()) << c.name;
        EXPECT_EQ(meter(f), meterOf(c.lit)) << c.name;
    }
    // The fifth lit segment sets -1000 from 0 as from -500; no click silences.
    p.media->setVolume(0);
    press(f.Vol10);
    EXPECT_EQ(p.media->volume(), -1000);
}

TEST(Rockers, TheVolumeRockerStepsSpringsBackAndStartsTheMeter) {
    Player p;
    auto& f = p.start();
    struct Case {
        const char* what;
        std::int32_t before;
        long to;
        bool refused;
        std::int32_t after;
    } cases[] = {
        {"up", -2500, 1, false, -2250},
        {"down", -2500, 3, false, -2750},
        {"below the meter", -3000, 3, false, -3250},  // no bound of the player's own
        {"above full", 0, 1, false, 0},               // the control refuses +250
        {"refused", -2000, 1, true, -2000},
    };
    for (const Case& c : cases) {
        p.media->clearFailures();
        p.media->setVolume(c.before);
        if (c.refused) p.media->fail(ScriptedMediaPlayer::Member::Volume);
        f.Timer5.setEnabled(false);
        f.Slider1.slideTo(c.to);
        EXPECT_EQ(p.media->volume(), c.after) << c.what;
        EXPECT_EQ(f.Slider1.value(), 2) << c.what;
        EXPECT_TRUE(f.Timer5.enabled()) << c.what;
    }
    // The spring-back itself steps nothing.
    p.media->clearFailures();
    p.media->clearCalls();
    f.Slider1.slideTo(2);
    EXPECT_TRUE(p.media->callsTo("Volume").empty());
}

TEST(Rockers, TheSeekRockerMovesTenSeconds) {
    Player p;
    auto& f = p.start();
    p.media->setFileName(p.track("a.mp3", 10));
    p.media->scriptDuration(100);
    p.media->scriptPosition(30);
    f.Slider2.slideTo(1);
    EXPECT_DOUBLE_EQ(p.media->currentPosition(), 40);
    EXPECT_EQ(f.Slider2.value(), 2);
    f.Slider2.slideTo(3);
    f.Slider2.slideTo(3);
    EXPECT_DOUBLE_EQ(p.media->currentPosition(), 20);
    // Before the start the control takes 0; beyond the end it refuses and the rocker still springs back.
    p.media->scriptPosition(5);
    f.Slider2.slideTo(3);
    EXPECT_DOUBLE_EQ(p.media->currentPosition(), 0);
    p.media->scriptPosition(95);
    f.Slider2.slideTo(1);
    EXPECT_DOUBLE_EQ(p.media->currentPosition(), 95);
    EXPECT_EQ(f.Slider2.value(), 2);
}

TEST(Balance, LightsMenusAndOptions) {
    Player p;
    auto& f = p.start();
    // The load centres the balance; the design shows the centre light lit.
    EXPECT_EQ(p.media->balance(), 0);
    EXPECT_TRUE(f.Option2.value());
    struct Case {
        const char* what;
        std::function<void()> act;
        std::int32_t balance;
        forms::OptionButton player::Form2::*option;
        const char* lit;
    } cases[] = {
        {"left light", [&] { f.B2.click(); }, -10000, &player::Form2::Option3, "100"},
        {"lit left light", [&] { f.B1.click(); }, -10000, &player::Form2::Option3, "100"},
        {"centre light, unlit", [&] { f.B4.click(); }, 0, &player::Form2::Option2, "010"},
        {"centre light, lit", [&] { f.B3.click(); }, 0, &player::Form2::Option2, "010"},
        {"right light", [&] { f.B6.click(); }, 10000, &player::Form2::Option1, "001"},
        {"lit right light", [&] { f.B5.click(); }, 10000, &player::Form2::Option1, "001"},
        {"Balance Left", [&] { f.mnupopubalanceleft.choose(); }, -10000, &player::Form2::Option3, "100"},
        {"Balance Right", [&] { f.mnupopupbalanceright.choose(); }, 10000, &player::Form2::Option1, "001"},
        {"Balance Center", [&] { f.mnupopupbalancecenter.choose(); }, 0, &player::Form2::Option2, "010"},
    };
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(p.media->balance(), c.balance) << c.what;
        EXPECT_TRUE((f.*c.option).value()) << c.what;
        EXPECT_EQ(lights(f), c.lit) << c.what;
    }
    // A menu command applies the balance twice: through the light and once more.
    p.media->clearCalls();
    f.mnupopubalanceleft.choose();
    EXPECT_EQ(p.media->callsTo("Balance"), (std::vector<std::string>{"Balance=-10000", "Balance=-10000"}));
    // The options alone set the balance and leave the lights.
    f.Option1.setValue(true);
    EXPECT_EQ(p.media->balance(), 10000);
    f.Option2.setValue(true);
    EXPECT_EQ(p.media->balance(), 0);
    f.Option3.setValue(true);
    EXPECT_EQ(p.media->balance(), -10000);
    EXPECT_EQ(lights(f), "100");
    // A refused balance: the light still moves.
    p.media->fail(ScriptedMediaPlayer::Member::Balance);
    f.B6.click();
    EXPECT_EQ(p.media->balance(), -10000);
    EXPECT_EQ(lights(f), "001");
}

TEST(VolumeMenu, StepsStartTheMeterAndFocusTheRocker) {
    Player p;
    auto& f = p.start();
    p.media->setVolume(-2500);
    press(f.Vol1);  // Timer5 off
    f.mnupopupvolumedec.choose();
    EXPECT_EQ(p.media->volume(), -2750);
    EXPECT_TRUE(f.Timer5.enabled());
    EXPECT_EQ(f.activeControl(), &f.Slider1);
    f.List2.setFocus();
    press(f.Vol1);
    f.mnupopupvolumeinc.choose();
    f.mnupopupvolumeinc.choose();
    EXPECT_EQ(p.media->volume(), -2000);
    EXPECT_TRUE(f.Timer5.enabled());
    EXPECT_EQ(f.activeControl(), &f.Slider1);
}

TEST(Timer5, TheMeterAndRepeatPairFollowOnlyWhileItRuns) {
    Player p;
    auto& f = p.start();
    f.Check1.setValue(1);
    p.env.scheduler.advance(1);
    EXPECT_EQ(pairState(f.Image14, f.Image15), '1');
    f.Check1.setValue(0);
    p.env.scheduler.advance(1);
    EXPECT_EQ(pairState(f.Image14, f.Image15), '0');

    press(f.Vol3);  // -1500, Timer5 off
    f.Check1.setValue(1);
    p.media->setVolume(-500);
    p.env.scheduler.advance(5);
    EXPECT_EQ(pairState(f.Image14, f.Image15), '0');
    EXPECT_EQ(meter(f), "11100");

    // Each of these switches it on again.
    for (const char* what : {"rocker", "menu", "key"}) {
        press(f.Vol3);
        ASSERT_FALSE(f.Timer5.enabled());
        if (std::string(what) == "rocker") f.Slider1.slideTo(1);
        if (std::string(what) == "menu") f.mnupopupvolumeinc.choose();
        if (std::string(what) == "key") {
            f.setKeyPreview(true);
            f.typeKey('Z', forms::vbShiftMask, 'Z');
        }
        EXPECT_TRUE(f.Timer5.enabled()) << what;
    }
    p.media->setVolume(-500);
    p.env.scheduler.advance(1);
    EXPECT_EQ(pairState(f.Image14, f.Image15), '1');
    EXPECT_EQ(meter(f), "11111");
}

// ---- rate ----

std::string ticks(const player::Form2& f) {
    std::string s;
    for (const forms::Menu* m : {&f.mnupopup25, &f.mnupopup50, &f.mnupopup75, &f.mnupopup100, &f.mnupopup125,
                                 &f.mnupopup150, &f.mnupopup200})
        s += m->checked() ? '1' : '0';
    return s;
}

TEST(Rate, TheSevenCommandsAndTheirRadioTicks) {
    Player p;
    auto& f = p.start();
    EXPECT_EQ(ticks(f), "0000000");
    EXPECT_DOUBLE_EQ(p.media->rate(), 1.0);
    struct Case {
        forms::Menu player::Form2::*item;
        double rate;
        const char* ticks;
    } cases[] = {
        {&player::Form2::mnupopup25, 0.3, "1000000"},  {&player::Form2::mnupopup50, 0.5, "0100000"},
        {&player::Form2::mnupopup75, 0.7, "0010000"},  {&player::Form2::mnupopup100, 1.0, "0001000"},
        {&player::Form2::mnupopup125, 1.3, "0000100"}, {&player::Form2::mnupopup150, 1.5, "0000010"},
        {&player::Form2::mnupopup200, 2.0, "0000001"}, {&player::Form2::mnupopup200, 2.0, "0000001"},
    };
    for (const Case& c : cases) {
        p.media->clearCalls();
        (f.*c.item).choose();
        EXPECT_DOUBLE_EQ(p.media->rate(), c.rate) << (f.*c.item).caption();
        EXPECT_EQ(p.media->callsTo("Rate").size(), 1u) << (f.*c.item).caption();
        EXPECT_EQ(ticks(f), c.ticks) << (f.*c.item).caption();
    }
    // A new track keeps the rate and the tick.
    f.mnupopup150.choose();
    p.media->setFileName(p.track("b.mp3", 10));
    EXPECT_DOUBLE_EQ(p.media->rate(), 1.5);
    EXPECT_EQ(ticks(f), "0000010");
}

TEST(Rate, ARefusedRateStillMovesTheTick) {
    Player p;
    auto& f = p.start();
    f.mnupopup50.choose();
    p.media->fail(ScriptedMediaPlayer::Member::Rate);
    f.mnupopup200.choose();
    EXPECT_DOUBLE_EQ(p.media->rate(), 0.5);
    EXPECT_EQ(ticks(f), "0000001");
}

}  // namespace
