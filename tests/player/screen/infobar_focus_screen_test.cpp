// The Info Bar beside dovetune's main window under a window manager (openbox
// on Xvfb, platform xcb): shown at the start by the saved tick and again by
// F7, it leaves the keyboard with the main window, whose keys go on working.
// Skipped with a message where openbox or xdotool is missing.

#include <gtest/gtest.h>

#include <memory>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "media/scripted_media_player.hpp"
#include "player/Form2.hpp"
#include "player/Form4.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "runtime/settings.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

using testsupport::xdo;

const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new testsupport::Desktop);
formsqt::Session& screen() { return testsupport::qtScreen(); }

TEST(InfoBarFocusScreen, TheInfoBarLeavesTheKeyboardWithTheMainWindow) {
    if (!testsupport::haveDesktopTools()) GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";
    testsupport::TempDir app, home;
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    testsupport::copyBuilt(app, {"New2.kmf", "skin"});
    runtime::App::setForTest(app.path(), {});
    runtime::SaveSetting(app.path(), " setting", "mnumarquee", "True");
    player::SetMediaPlayerFactory([] { return std::make_unique<media::ScriptedMediaPlayer>(); });

    player::mMain::Main();
    auto& main = forms::Get<player::Form2>();
    auto& bar = forms::Get<player::Form4>();
    ASSERT_TRUE(screen().waitUntil([&] { return screen().windowShown(main) && screen().windowShown(bar); }, 3000));
    screen().processEvents(800);
    EXPECT_TRUE(testsupport::hasKeyboard(screen(), main)) << "at the start";

    // F7 hides the Info Bar and shows it again; the next F7 still goes to the main window.
    xdo("key F7");
    ASSERT_TRUE(screen().waitUntil([&] { return !bar.visible(); }, 2000));
    xdo("key F7");
    ASSERT_TRUE(screen().waitUntil([&] { return screen().windowShown(bar); }, 2000));
    screen().processEvents(800);
    EXPECT_TRUE(testsupport::hasKeyboard(screen(), main)) << "after F7";
    xdo("key F7");  // it reaches the main window: the bar hides
    EXPECT_TRUE(screen().waitUntil([&] { return !bar.visible(); }, 2000));

    forms::Application::instance().reset();
    screen().processEvents(300);
    player::SetMediaPlayerFactory(nullptr);
    runtime::App::setForTest("", {});
}

}  // namespace
