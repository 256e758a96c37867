// dovetune's popup menu and menu shortcuts on a real X server (Xvfb,
// platform xcb): a right click on the main window's surface opens the menu at
// the pointer over the skin, an item chosen in it runs (the Info Bar shows),
// Escape gives the skin back, and the shortcuts (Ctrl+M, F7) act through the
// window's keyboard.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Form2.hpp"
#include "player/Form4.hpp"
#include "player/mMain.hpp"
#include "runtime/app.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

namespace fs = std::filesystem;

// A point of the free surface (no control covers it) below the playlist and
// the search box, and the rectangle the menu must cover from there.
constexpr int kX = 20, kY = 318;
constexpr int kW = 100, kH = 200;

// Pixels of the rectangle at x, y that differ between two screen grabs.
int differing(const forms::Picture& a, const forms::Picture& b, int x, int y) {
    int n = 0;
    for (int j = y; j < y + kH; ++j)
        for (int i = x; i < x + kW; ++i)
            if (a.pixel(i, j) != b.pixel(i, j)) ++n;
    return n;
}

// The one Qt application of this process, made before the first test.
const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);

class PopupOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::copyBuilt(app, {"New2.kmf", "skin"});
        runtime::App::setForTest(app.path(), {});
        qt = &testsupport::qtScreen();
        ASSERT_EQ(qt->platformName(), "xcb");
        player::mMain::Main();
        ASSERT_TRUE(forms::IsLoaded<player::Form2>());
        qt->processEvents(800);
        ASSERT_TRUE(qt->windowPosition(form(), wx, wy));
    }
    void TearDown() override {
        if (forms::IsLoaded<player::Form2>()) form().unload();
        if (forms::IsLoaded<player::Form4>()) forms::Unload<player::Form4>();
        qt->processEvents(100);
        runtime::App::setForTest("", {});
    }
    player::Form2& form() { return forms::Get<player::Form2>(); }

    testsupport::TempDir app, home, shots;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", home.file("config")};
    formsqt::Session* qt = nullptr;
    int wx = 0, wy = 0;
};

TEST_F(PopupOnScreen, ARightClickShowsTheMenuAtThePointerAndEscapeGivesTheSkinBack) {
    auto& f = form();
    forms::Picture before = testsupport::grabScreen(*qt, shots, "before.png");
    ASSERT_FALSE(before.empty());
    // The point lies on the skin, not on its key colour.
    forms::Picture skin = forms::LoadPicture(app.file("New2.kmf"));
    ASSERT_NE(skin.pixel(kX, kY), skin.pixel(0, skin.height() - 1));

    forms::Picture open;
    bool ran = false;
    qt->onNextPopup([&] {
        ran = true;
        open = testsupport::grabScreen(*qt, shots, "open.png");
        return std::string();  // Escape
    });
    ASSERT_TRUE(qt->clickForm(f, kX, kY, forms::vbRightButton));
    ASSERT_TRUE(ran);
    EXPECT_EQ(f.lastPopupMenu(), &f.mnupopup);
    ASSERT_FALSE(open.empty());
    const int px = wx + kX, py = wy + kY;
    const int changed = differing(before, open, px, py);
    EXPECT_GT(changed, kW * kH * 9 / 10) << "the menu does not cover the rectangle at the pointer";

    qt->processEvents(400);
    forms::Picture after = testsupport::grabScreen(*qt, shots, "after.png");
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(differing(before, after, px, py), 0) << "the skin is not back after Escape";
    if (const char* keep = std::getenv("DOVETUNE_SCREENSHOT"); keep && *keep) fs::copy_file(shots.file("open.png"), keep, fs::copy_options::overwrite_existing);
}

TEST_F(PopupOnScreen, AnItemChosenInTheMenuRuns) {
    auto& f = form();
    qt->onNextPopup([] { return std::string("mnupopup200"); });
    ASSERT_TRUE(qt->clickForm(f, kX, kY, forms::vbRightButton));
    EXPECT_DOUBLE_EQ(f.MediaPlayer1.rate(), 2.0);
    EXPECT_TRUE(f.mnupopup200.checked());

    // "Info Bar" of the Options submenu shows the Info Bar.
    auto& bar = forms::Get<player::Form4>();
    ASSERT_FALSE(qt->windowShown(bar));
    qt->onNextPopup([] { return std::string("mnumarquee"); });
    ASSERT_TRUE(qt->clickForm(f, kX, kY, forms::vbRightButton));
    EXPECT_TRUE(qt->waitUntil([&] { return qt->windowShown(bar); }, 2000));
    EXPECT_TRUE(f.mnumarquee.checked());
}

TEST_F(PopupOnScreen, ShortcutsActOnScreen) {
    auto& f = form();
    f.List2.setFocus();
    qt->processEvents(200);
    ASSERT_TRUE(qt->pressKey(f, 'M', forms::vbCtrlMask));
    qt->processEvents(200);
    EXPECT_TRUE(f.mnupopupoptionsmute.checked());
    EXPECT_TRUE(f.Mute2.visible());
    EXPECT_FALSE(f.Mute1.visible());
    EXPECT_TRUE(f.MediaPlayer1.mute());
    ASSERT_TRUE(qt->pressKey(f, 'M', forms::vbCtrlMask));
    qt->processEvents(200);
    EXPECT_FALSE(f.mnupopupoptionsmute.checked());
    EXPECT_TRUE(f.Mute1.visible());
    EXPECT_FALSE(f.MediaPlayer1.mute());

    // F7 shows the Info Bar and hides it again.
    auto& bar = forms::Get<player::Form4>();
    ASSERT_FALSE(qt->windowShown(bar));
    ASSERT_TRUE(qt->pressKey(f, forms::vbKeyF(7)));
    EXPECT_TRUE(qt->waitUntil([&] { return qt->windowShown(bar); }, 2000));
    f.List2.setFocus();
    qt->processEvents(200);
    ASSERT_TRUE(qt->pressKey(f, forms::vbKeyF(7)));
    EXPECT_TRUE(qt->waitUntil([&] { return !qt->windowShown(bar); }, 2000));
    EXPECT_FALSE(f.mnumarquee.checked());
}

}  // namespace
