// The Info Bar beside the main window on a real X server (Xvfb, platform
// xcb): a frameless 310 x 52 window whose every pixel outside its labels is
// its background picture's, while the main window keeps its skinned shape;
// and while a file plays, the time it shows remaining steps down once a
// second.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "media/gst_media_player.hpp"
#include "player/Form2.hpp"
#include "player/Form4.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "runtime/settings.hpp"
#include "testsupport/peer_tools.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

namespace fs = std::filesystem;

// Whether (x, y) lies in one of the rectangles.
bool inside(const std::vector<forms::PixelRect>& rects, int x, int y) {
    for (auto& r : rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

std::vector<forms::PixelRect> drawnControls(forms::Form& f) {
    std::vector<forms::PixelRect> drawn;
    for (forms::Control* c : f.controls())
        if (c->effectivelyVisible() && c->kind() != forms::Kind::Timer && c->kind() != forms::Kind::Image)
            drawn.push_back(c->clientRectPixels());
    return drawn;
}

TEST(InfoBarOnScreen, AFramelessWindowShowingItsPictureBesideTheShapedMainWindow) {
    testsupport::TempDir app, home, shots;
    testsupport::copyBuilt(app, {"New2.kmf", "skin"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});
    // The Info Bar shown at start, right of the main window.
    runtime::SaveSetting(app.path(), " setting", "mnumarquee", "True");
    runtime::SaveSetting("dovetune", "Settings", "MainLeft", "6000");
    runtime::SaveSetting("dovetune", "Settings", "MainTop", "1500");

    formsqt::Session qt;
    ASSERT_EQ(qt.platformName(), "xcb");
    qt.processEvents(200);
    forms::Picture before = testsupport::grabScreen(qt, shots, "before.png");
    ASSERT_FALSE(before.empty());

    player::mMain::Main();
    ASSERT_TRUE(forms::IsLoaded<player::Form2>());
    auto& main = forms::Get<player::Form2>();
    auto& bar = forms::Get<player::Form4>();
    ASSERT_TRUE(bar.visible());
    qt.processEvents(800);
    ASSERT_TRUE(qt.windowShown(bar));
    forms::Picture screen = testsupport::grabScreen(qt, shots, "shown.png");
    ASSERT_FALSE(screen.empty());

    // ---- the Info Bar: no frame, 310 x 52, its picture outside the labels ----
    int bx = 0, by = 0;
    ASSERT_TRUE(qt.windowPosition(bar, bx, by));
    EXPECT_EQ(bx, 400);
    EXPECT_EQ(by, 100);
    EXPECT_EQ(bar.width(), 310 * 15);
    EXPECT_EQ(bar.height(), 52 * 15);
    forms::Picture art = forms::LoadPicture(app.file("skin/infobar.gif"));
    ASSERT_EQ(art.width(), 310);
    ASSERT_EQ(art.height(), 53);
    const std::vector<forms::PixelRect> labels = drawnControls(bar);
    int kept = 0, wrong = 0;
    for (int y = 0; y < 52; ++y)
        for (int x = 0; x < 310; ++x) {
            if (inside(labels, x, y)) continue;
            ++kept;
            if (screen.pixel(bx + x, by + y) != art.pixel(x, y)) ++wrong;
        }
    EXPECT_GT(kept, 4000);
    EXPECT_EQ(wrong, 0);
    // Around it, the screen behind: no frame, and the picture's last row unseen.
    for (int x = bx - 1; x <= bx + 310; ++x) {
        ASSERT_EQ(screen.pixel(x, by - 1), before.pixel(x, by - 1)) << x;
        ASSERT_EQ(screen.pixel(x, by + 52), before.pixel(x, by + 52)) << x;
    }
    for (int y = by - 1; y <= by + 52; ++y) {
        ASSERT_EQ(screen.pixel(bx - 1, y), before.pixel(bx - 1, y)) << y;
        ASSERT_EQ(screen.pixel(bx + 310, y), before.pixel(bx + 310, y)) << y;
    }

    // ---- the main window: the screen through its key colour, its skin elsewhere ----
    int wx = 0, wy = 0;
    ASSERT_TRUE(qt.windowPosition(main, wx, wy));
    forms::Picture skin = forms::LoadPicture(app.file("New2.kmf"));
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    std::vector<forms::PixelRect> drawn;
    for (forms::Control* c : main.controls())
        if (c->effectivelyVisible() && c->kind() != forms::Kind::Timer) drawn.push_back(c->clientRectPixels());
    int through = 0, skinKept = 0, wrongKey = 0, wrongSkin = 0;
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x) {
            forms::Colour got = screen.pixel(wx + x, wy + y);
            if (skin.pixel(x, y) == key) {
                ++through;
                if (got != before.pixel(wx + x, wy + y)) ++wrongKey;
            } else if (!inside(drawn, x, y)) {
                ++skinKept;
                if (got != skin.pixel(x, y)) ++wrongSkin;
            }
        }
    EXPECT_GT(through, 100);
    EXPECT_GT(skinKept, 40000);
    EXPECT_EQ(wrongKey, 0);
    EXPECT_EQ(wrongSkin, 0);

    main.unload();
    qt.processEvents(100);
}

// The remaining time is polled by a 1 ms timer that slows down between the
// changes it finds: each second's step still shows, one second after the one
// before, as the label's picture on screen.
TEST(InfoBarOnScreen, TheRemainingTimeStepsDownOnceASecondWhileAFilePlays) {
    if (!testsupport::haveProgram("lame")) GTEST_SKIP() << "lame is not installed";
    testsupport::TempDir app, home;
    testsupport::copyBuilt(app, {"New2.kmf", "skin"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    const std::string mp3 = home.file("Eight Seconds.mp3");
    peer::lame(mp3, "-b 128", 8.0, 44100, 2);
    runtime::App::setForTest(app.path(), {mp3});
    runtime::SaveSetting(app.path(), " setting", "mnumarquee", "True");

    formsqt::Session qt;
    ASSERT_EQ(qt.platformName(), "xcb");
    player::SetMediaPlayerFactory([] { return std::make_unique<media::GstMediaPlayer>(); });
    player::mMain::Main();
    auto& main = forms::Get<player::Form2>();
    auto& bar = forms::Get<player::Form4>();
    ASSERT_TRUE(qt.waitUntil([&] { return main.MediaPlayer1.currentPosition() > 0.7; }, 10000));

    using Clock = std::chrono::steady_clock;
    struct Step {
        Clock::time_point at;
        std::string text;
        forms::Picture shown;
    };
    std::vector<Step> steps;
    std::string last = bar.Label4.caption();
    const auto end = Clock::now() + std::chrono::milliseconds(4500);
    while (Clock::now() < end) {
        qt.processEvents(2);
        if (bar.Label4.caption() == last) continue;
        last = bar.Label4.caption();
        qt.processEvents(20);  // drawn
        steps.push_back({Clock::now(), last, qt.grabControl(bar.Label4)});
    }
    ASSERT_GE(steps.size(), 4u);
    auto samePixels = [](const forms::Picture& a, const forms::Picture& b) {
        if (a.width() != b.width() || a.height() != b.height()) return false;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) return false;
        return true;
    };
    auto seconds = [](const std::string& text) {
        int m = -1, s = -1;
        return std::sscanf(text.c_str(), " Remain %d : %d", &m, &s) == 2 ? m * 60 + s : -1;
    };
    for (std::size_t i = 1; i < steps.size(); ++i) {
        SCOPED_TRACE(steps[i].text);
        EXPECT_EQ(seconds(steps[i].text), seconds(steps[i - 1].text) - 1);
        const double apart = std::chrono::duration<double>(steps[i].at - steps[i - 1].at).count();
        EXPECT_GT(apart, 0.7);
        EXPECT_LT(apart, 1.3);
        ASSERT_FALSE(steps[i].shown.empty());
        EXPECT_FALSE(samePixels(steps[i].shown, steps[i - 1].shown));
    }
    main.unload();
    qt.processEvents(100);
    runtime::App::setForTest("", {});
}

}  // namespace
