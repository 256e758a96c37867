// dovetune's main window on a real X server (Xvfb, platform xcb): where the
// skin has its key colour the screen behind shows through; every other pixel
// outside the controls is the skin's own; no frame, title bar or menu bar
// shows above or left of it, also after another window covered it.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "runtime/app.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

namespace fs = std::filesystem;

struct Cover : forms::Form {
    Cover() : Form("Cover") {
        setClientSize(400 * 15, 600 * 15);
        setBackColor(forms::RGB(10, 200, 30));
    }
};

TEST(MainWindowOnScreen, ShowsTheSkinAndTheScreenThroughItsKeyColour) {
    testsupport::TempDir app, home, shots;
    testsupport::copyBuilt(app, {"New2.kmf", "skin"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});

    formsqt::Session qt;
    ASSERT_EQ(qt.platformName(), "xcb");
    qt.processEvents(200);
    forms::Picture before = testsupport::grabScreen(qt, shots, "before.png");
    ASSERT_FALSE(before.empty());

    player::mMain::Main();
    ASSERT_TRUE(forms::IsLoaded<player::Form2>());
    auto& f = forms::Get<player::Form2>();
    qt.processEvents(800);
    int wx = 0, wy = 0;
    ASSERT_TRUE(qt.windowPosition(f, wx, wy));
    forms::Picture skin = forms::LoadPicture(app.file("New2.kmf"));
    const forms::Colour key = skin.pixel(0, skin.height() - 1);

    // The rectangles the controls draw themselves in.
    std::vector<forms::PixelRect> drawn;
    for (forms::Control* c : f.controls())
        if (c->effectivelyVisible() && c->kind() != forms::Kind::Timer) drawn.push_back(c->clientRectPixels());
    auto inControl = [&](int x, int y) {
        for (auto& r : drawn)
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
        return false;
    };

    auto check = [&](const char* when) {
        forms::Picture screen = testsupport::grabScreen(qt, shots, "after.png");
        ASSERT_FALSE(screen.empty()) << when;
        int through = 0, kept = 0, wrongKey = 0, wrongSkin = 0;
        for (int y = 0; y < skin.height(); ++y)
            for (int x = 0; x < skin.width(); ++x) {
                forms::Colour got = screen.pixel(wx + x, wy + y);
                if (skin.pixel(x, y) == key) {
                    ++through;
                    if (got != before.pixel(wx + x, wy + y)) ++wrongKey;
                } else if (!inControl(x, y)) {
                    ++kept;
                    if (got != skin.pixel(x, y)) ++wrongSkin;
                }
            }
        EXPECT_GT(through, 100) << when;
        EXPECT_GT(kept, 40000) << when;
        EXPECT_EQ(wrongKey, 0) << when;
        EXPECT_EQ(wrongSkin, 0) << when;
        // The row above and the column left of the client area: the screen behind.
        for (int x = wx - 1; x < wx + skin.width(); ++x)
            ASSERT_EQ(screen.pixel(x, wy - 1), before.pixel(x, wy - 1)) << when << ": " << x;
        for (int y = wy - 1; y < wy + skin.height(); ++y)
            ASSERT_EQ(screen.pixel(wx - 1, y), before.pixel(wx - 1, y)) << when << ": " << y;
    };
    check("first shown");

    auto& cover = forms::Get<Cover>();
    cover.move((wx - 40) * 15.0f, (wy - 40) * 15.0f);
    cover.show();
    qt.processEvents(400);
    cover.unload();
    qt.processEvents(600);
    check("after it was covered and uncovered");
    f.unload();
    qt.processEvents(100);
}

}  // namespace
