// The rename window on a real X server (Xvfb, platform xcb): where its skin
// "2.kmf" has the key colour the screen shows what lies behind the window;
// elsewhere, where no control covers it, the screen shows Image1's pixels
// (rows 490 to 493, below Image1, show the skin's own).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form5.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

#ifndef DOVETUNE_BUILT_PROGRAM_DIR
#error "DOVETUNE_BUILT_PROGRAM_DIR must name the build's program folder"
#endif

namespace {

TEST(RenameScreen, TheArtworkShowsAndTheKeyColourLetsTheDesktopThrough) {
    namespace fs = std::filesystem;
    testsupport::TempDir app, home;
    const std::string built = DOVETUNE_BUILT_PROGRAM_DIR;
    ASSERT_TRUE(fs::exists(built + "/2.kmf"));
    testsupport::copyBuilt(app, {"2.kmf", "tageditor/Form5_Image1.png"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});

    formsqt::Session qt;
    ASSERT_EQ(qt.platformName(), "xcb");
    auto& f = forms::Get<tageditor::Form5>();
    f.move(60 * 15, 40 * 15);
    f.show();
    qt.processEvents(500);

    const forms::Picture skin = forms::LoadPicture(app.file("2.kmf"));
    const forms::Picture image1 = forms::LoadPicture(app.file("tageditor/Form5_Image1.png"));
    ASSERT_EQ(image1.height(), 490);
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    testsupport::TempDir dir;
    const char* keep = std::getenv("DOVETUNE_SCREENSHOT");
    const std::string shot = keep && *keep ? std::string(keep) : dir.file("screen.png");

    int wx = 0, wy = 0;
    ASSERT_TRUE(qt.windowPosition(f, wx, wy));
    std::vector<bool> covered(static_cast<std::size_t>(skin.width() * skin.height()), false);
    for (forms::Control* c : f.controls()) {
        if (!c->effectivelyVisible() || c->kind() == forms::Kind::Timer || c == &f.Image1) continue;
        const forms::PixelRect r = c->clientRectPixels();
        for (int y = std::max(0, r.top - 1); y < std::min(skin.height(), r.bottom + 1); ++y)
            for (int x = std::max(0, r.left - 1); x < std::min(skin.width(), r.right + 1); ++x)
                covered[static_cast<std::size_t>(y * skin.width() + x)] = true;
    }
    ASSERT_TRUE(qt.grabScreen(shot));
    const forms::Picture screen = forms::LoadPicture(shot);
    const forms::Colour behind = screen.pixel(2, 2);  // the desktop, away from the window
    int cut = 0, art = 0, rim = 0, wrong = 0;
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x) {
            const forms::Colour got = screen.pixel(wx + x, wy + y);
            if (skin.pixel(x, y) == key) {
                ++cut;
                if (got != behind) ++wrong;
            } else if (!covered[static_cast<std::size_t>(y * skin.width() + x)]) {
                const forms::Colour want = y < image1.height() ? image1.pixel(x, y) : skin.pixel(x, y);
                ++(y < image1.height() ? art : rim);
                if (got != want) ++wrong;
            }
        }
    EXPECT_GT(cut, 100);
    EXPECT_GT(art, 60000);
    EXPECT_GT(rim, 500);
    EXPECT_EQ(wrong, 0);
    f.unload();
    runtime::App::setForTest("", {});
}

}  // namespace
