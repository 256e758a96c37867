// The Info Bar beside the main window on a real X server (Xvfb, platform
// xcb): a frameless 310 x 52 window whose every pixel outside its labels is
// its background picture's, while the main window keeps its skinned shape.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Form2.hpp"
#include "player/Form4.hpp"
#include "player/mMain.hpp"
#include "runtime/app.hpp"
#include "runtime/settings.hpp"
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

}  // namespace
