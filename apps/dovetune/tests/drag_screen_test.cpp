// dovetune's main window dragged by its skin under a window manager (openbox
// on Xvfb, platform xcb): a drag of the free surface moves it before and
// after "Always on Top > Main Player" is ticked and unticked, and from a
// start with the saved tick; a click on the surface leaves it where it is.

#include <gtest/gtest.h>

#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "runtime/app.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new testsupport::Desktop);
formsqt::Session& screen() { return testsupport::qtScreen(); }

// A point of the skin (its own colour, not the key) that no control covers,
// with a margin on each side, in the window's client pixels.
bool freeSurfacePoint(player::Form2& f, const forms::Picture& skin, int& px, int& py) {
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    std::vector<forms::PixelRect> drawn;
    for (forms::Control* c : f.controls())
        if (c->effectivelyVisible() && c->kind() != forms::Kind::Timer) drawn.push_back(c->clientRectPixels());
    const int margin = 6;
    auto free = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= skin.width() || y >= skin.height() || skin.pixel(x, y) == key) return false;
        for (auto& r : drawn)
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return false;
        return true;
    };
    for (int y = margin; y < skin.height() - margin; ++y)
        for (int x = margin; x < skin.width() - margin; ++x) {
            bool ok = true;
            for (int dy = -margin; dy <= margin && ok; ++dy)
                for (int dx = -margin; dx <= margin && ok; ++dx) ok = free(x + dx, y + dy);
            if (ok) {
                px = x;
                py = y;
                return true;
            }
        }
    return false;
}

// A click at (px, py) of the window leaves it in place; a drag from there
// moves it.
void expectClickStaysAndDragMoves(player::Form2& f, int px, int py) {
    testsupport::expectClickStaysAndDragMoves(screen(), static_cast<forms::Form&>(f), px, py);
}

player::Form2& started() {
    player::mMain::Main();
    EXPECT_TRUE(forms::IsLoaded<player::Form2>());
    auto& f = forms::Get<player::Form2>();
    screen().waitUntil([&] { return screen().windowShown(f); }, 3000);
    screen().processEvents(800);
    return f;
}

TEST(MainWindowDrag, MovesOnTopAndBackAndFromAStartWithTheSavedTick) {
    if (!testsupport::haveDesktopTools()) GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";
    testsupport::TempDir app, home;
    testsupport::copyBuilt(app, {"New2.kmf", "skin"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});
    const forms::Picture skin = forms::LoadPicture(app.file("New2.kmf"));

    player::Form2* f = &started();
    int px = 0, py = 0;
    ASSERT_TRUE(freeSurfacePoint(*f, skin, px, py));
    {
        SCOPED_TRACE("a plain start");
        expectClickStaysAndDragMoves(*f, px, py);
    }
    f->mnumainplayer_Click();
    screen().processEvents(400);
    ASSERT_TRUE(f->mnumainplayer.checked());
    {
        SCOPED_TRACE("Main Player ticked");
        expectClickStaysAndDragMoves(*f, px, py);
    }
    f->mnumainplayer_Click();
    screen().processEvents(400);
    ASSERT_FALSE(f->mnumainplayer.checked());
    {
        SCOPED_TRACE("Main Player unticked");
        expectClickStaysAndDragMoves(*f, px, py);
    }

    // Ticked when the program ends: the next start puts the window on top
    // before it shows it.
    f->mnumainplayer_Click();
    screen().processEvents(200);
    f->unload();
    screen().processEvents(400);
    ASSERT_FALSE(forms::IsLoaded<player::Form2>());

    f = &started();
    ASSERT_TRUE(f->mnumainplayer.checked());
    {
        SCOPED_TRACE("a start with the saved tick");
        expectClickStaysAndDragMoves(*f, px, py);
    }
    f->unload();
    screen().processEvents(200);
}

}  // namespace
