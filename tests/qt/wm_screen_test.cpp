// Windows under a window manager (openbox on Xvfb), driven with the real
// pointer through xdotool: a skinned window moves only on a real drag, and a
// fixed border keeps its size. Skipped with a message where openbox or
// xdotool is missing (scripts/setup installs both).

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

using testsupport::runCommand;
using testsupport::xdo;

const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new testsupport::Desktop);
formsqt::Session& screen() { return testsupport::qtScreen(); }

#define NEED_DESKTOP()                                                                              \
    do {                                                                                            \
        if (!testsupport::haveDesktopTools())                                                      \
            GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";    \
    } while (0)

// 160 x 120 pixels, shaped to a rounded rectangle; a MouseDown on the surface
// asks for the caption drag, as the skinned windows do.
struct Skin : forms::Form {
    int clicks = 0, ups = 0, doubles = 0;
    explicit Skin(const char* name = "Skin") : Form(name) {
        setBorderStyle(forms::BorderStyle::None);
        setClientSize(160 * 15, 120 * 15);
        move(200 * 15, 150 * 15);
        setBackColor(forms::RGB(30, 120, 200));
    }
    void Form_Load() override {
        forms::WindowRegion r;
        for (int y = 0; y < 120; ++y) {
            int inset = y < 10 ? 10 - y : y > 109 ? y - 109 : 0;
            r.addRect({inset, y, 160 - inset, y + 1});
        }
        setRegion(r);
    }
    void Form_MouseDown(int Button, int, float, float) override {
        if (Button == forms::vbLeftButton) beginSystemMove();
    }
    void Form_MouseUp(int, int, float, float) override { ++ups; }
    void Form_Click() override { ++clicks; }
    void Form_DblClick() override { ++doubles; }
};

struct Place {
    int x = 0, y = 0;
};
Place placeOf(forms::Form& f) {
    Place p;
    screen().windowPosition(f, p.x, p.y);
    return p;
}

template <class F = Skin>
F& showSkin() {
    auto& f = forms::Get<F>();
    f.show();
    screen().waitUntil([&] { return screen().windowShown(f); }, 3000);
    screen().processEvents(300);
    return f;
}

TEST(ScreenDesktop, AClickLeavesASkinnedWindowInPlaceAndADragMovesIt) {
    NEED_DESKTOP();
    Skin& f = showSkin();
    Place at = placeOf(f);
    // A plain click: one Click, the window stays, and the pointer is free.
    xdo("mousemove " + std::to_string(at.x + 80) + " " + std::to_string(at.y + 60));
    screen().processEvents(100);
    xdo("click 1");
    screen().waitUntil([&] { return f.clicks > 0; }, 1000);
    screen().processEvents(200);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(f.ups, 1);
    xdo("mousemove_relative 30 20");
    screen().processEvents(300);
    Place still = placeOf(f);
    EXPECT_EQ(still.x, at.x);
    EXPECT_EQ(still.y, at.y);

    // A double click reaches DblClick.
    xdo("mousemove " + std::to_string(at.x + 80) + " " + std::to_string(at.y + 60));
    screen().processEvents(100);
    f.clicks = f.ups = 0;
    xdo("click --repeat 2 --delay 80 1");
    screen().waitUntil([&] { return f.doubles > 0; }, 1000);
    screen().processEvents(200);
    EXPECT_EQ(f.doubles, 1);
    EXPECT_EQ(f.clicks, 1);
    Place after = placeOf(f);
    EXPECT_EQ(after.x, at.x);
    EXPECT_EQ(after.y, at.y);

    // A drag of 40 pixels moves the window by 40 and raises no MouseUp or Click.
    f.clicks = f.ups = 0;
    testsupport::pointerDrag(screen(), at.x + 80, at.y + 60, 40, 40);
    Place moved = placeOf(f);
    EXPECT_EQ(moved.x, at.x + 40);
    EXPECT_EQ(moved.y, at.y + 40);
    EXPECT_EQ(f.ups, 0);
    EXPECT_EQ(f.clicks, 0);
    // The model knows where the window is now.
    EXPECT_EQ(f.left(), (at.x + 40 - f.clientOffsetX()) * 15.0f);
    // And the next click is an ordinary one again.
    xdo("click 1");
    screen().waitUntil([&] { return f.clicks > 0; }, 1000);
    screen().processEvents(200);
    EXPECT_EQ(f.clicks, 1);
    Place last = placeOf(f);
    EXPECT_EQ(last.x, moved.x);
    EXPECT_EQ(last.y, moved.y);
    f.unload();
}

void expectClickStaysAndDragMoves(Skin& f) { testsupport::expectClickStaysAndDragMoves(screen(), f, 80, 60); }

// A second skinned window, away from the first (as the Info Bar is).
struct Bar : Skin {
    Bar() : Skin("Bar") {
        move(600 * 15, 450 * 15);
        setBackColor(forms::RGB(200, 60, 30));
    }
};

// A framed window that the test puts over the skinned one.
struct Cover : forms::Form {
    Cover() : Form("Cover") {
        setCaption("Cover");
        setClientSize(400 * 15, 300 * 15);
        move(100 * 15, 100 * 15);
        setBackColor(forms::RGB(20, 200, 40));
    }
};

// A change of the window's flags (always on top, or back) makes its native
// window anew, under another X id. The drag moves the window after each
// such change, as after a change of its opacity, and a second window put on
// top with it (as the Info Bar goes with the main window) drags too; a plain
// click still leaves each in place.
TEST(ScreenDesktop, ADragMovesASkinnedWindowAfterEachChangeOfItsWindow) {
    NEED_DESKTOP();
    struct Case {
        const char* what;
        std::function<void(Skin&)> change;
    };
    const Case cases[] = {
        {"always on top", [](Skin& f) { f.setTopmost(true); }},
        {"on top and back",
         [](Skin& f) {
             f.setTopmost(true);
             screen().processEvents(300);
             f.setTopmost(false);
         }},
        {"half transparent",
         [](Skin& f) {
             f.setLayered(true);
             f.setLayeredAlpha(128);
         }},
        {"on top, then half transparent",
         [](Skin& f) {
             f.setTopmost(true);
             screen().processEvents(300);
             f.setLayered(true);
             f.setLayeredAlpha(128);
         }},
        {"both on top",
         [](Skin& f) {
             f.setTopmost(true);
             showSkin<Bar>().setTopmost(true);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Skin& f = showSkin();
        k.change(f);
        screen().processEvents(400);
        expectClickStaysAndDragMoves(f);
        if (forms::IsLoaded<Bar>()) {
            expectClickStaysAndDragMoves(forms::Get<Bar>());
            forms::Get<Bar>().unload();
        }
        f.unload();
        screen().processEvents(200);
    }
}

// Always on top keeps the window over a window the user brings up later, and
// it still drags there.
TEST(ScreenDesktop, AWindowOnTopStaysOverAnotherAndDrags) {
    NEED_DESKTOP();
    testsupport::TempDir shots;
    Skin& f = showSkin();
    f.setTopmost(true);
    screen().processEvents(400);
    auto& cover = forms::Get<Cover>();
    cover.show();
    cover.zOrder(0);
    screen().waitUntil([&] { return screen().windowShown(cover); }, 3000);
    screen().processEvents(400);
    Place at = placeOf(f);
    forms::Picture shot = testsupport::grabScreen(screen(), shots, "on-top.png");
    ASSERT_FALSE(shot.empty());
    if (const char* dir = std::getenv("DOVETUNE_SCREENSHOT_DIR"); dir && *dir)
        screen().grabScreen(std::string(dir) + "/on-top.png");
    EXPECT_EQ(shot.pixel(at.x + 80, at.y + 60), forms::RGB(30, 120, 200));  // the skin, not the cover
    expectClickStaysAndDragMoves(f);
    cover.unload();
    f.unload();
}

// A window that goes on top while it loads, before it is first shown (as
// the main window applies its saved "Always on Top" tick), drags from its
// first showing.
struct TopSkin : Skin {
    TopSkin() : Skin("TopSkin") {}
    void Form_Load() override {
        Skin::Form_Load();
        setTopmost(true);
    }
};

TEST(ScreenDesktop, AWindowOnTopFromItsLoadDrags) {
    NEED_DESKTOP();
    TopSkin& f = showSkin<TopSkin>();
    expectClickStaysAndDragMoves(f);
    f.unload();
}

// Framed windows of each border style, asked by the window manager (on
// behalf of xdotool) to take another size.
struct Framed : forms::Form {
    explicit Framed(const char* name) : Form(name) {
        setCaption(std::string("Framed ") + name);
        setClientSize(240 * 15, 160 * 15);
        move(60 * 15, 60 * 15);
    }
};
struct Fixed1 : Framed {
    Fixed1() : Framed("Fixed1") { setBorderStyle(forms::BorderStyle::FixedSingle); }
};
struct Fixed3 : Framed {
    Fixed3() : Framed("Fixed3") { setBorderStyle(forms::BorderStyle::FixedDialog); }
};
struct Fixed4 : Framed {
    Fixed4() : Framed("Fixed4") { setBorderStyle(forms::BorderStyle::FixedToolWindow); }
};
struct Sizable2 : Framed {
    Sizable2() : Framed("Sizable2") { setBorderStyle(forms::BorderStyle::Sizable); }
};

TEST(ScreenDesktop, AFixedBorderKeepsItsSizeWhenTheWindowManagerResizesIt) {
    NEED_DESKTOP();
    struct Case {
        forms::Form& f;
        bool fixed;
    };
    const Case cases[] = {{forms::Get<Fixed1>(), true},
                          {forms::Get<Fixed3>(), true},
                          {forms::Get<Fixed4>(), true},
                          {forms::Get<Sizable2>(), false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.f.caption());
        k.f.show();
        ASSERT_TRUE(screen().waitUntil([&] { return screen().windowShown(k.f); }, 3000));
        screen().processEvents(300);
        if (const char* dir = std::getenv("DOVETUNE_SCREENSHOT_DIR"); dir && *dir)
            screen().grabScreen(std::string(dir) + "/" + k.f.name() + ".png");  // for a look at the frame
        auto found = runCommand("xdotool search --name '^" + k.f.caption() + "$'");
        ASSERT_EQ(found.status, 0);
        std::string id = found.output.substr(0, found.output.find('\n'));
        xdo("windowsize " + id + " 400 300");
        screen().processEvents(500);
        if (k.fixed) {
            EXPECT_EQ(k.f.scaleWidth(), 240 * 15.0f);
            EXPECT_EQ(k.f.scaleHeight(), 160 * 15.0f);
        } else {
            EXPECT_NE(k.f.scaleWidth(), 240 * 15.0f) << "the test's request did not reach the window";
        }
        k.f.unload();
    }
}

}  // namespace
