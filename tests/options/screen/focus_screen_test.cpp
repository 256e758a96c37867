// The options and contact windows opened from dovetune's main window under a
// window manager (openbox on Xvfb, platform xcb), by their keys and through
// the popup menu as a user opens them: on its first opening after the start
// each window takes the keyboard (the window manager's focus, and the first
// control the Tab key stops at), so the keys typed next reach it and not the
// player. Skipped with a message where openbox or xdotool is missing.
//
// DOVETUNE_SCREENSHOT_DIR keeps a grab of each window as it opened.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "media/scripted_media_player.hpp"
#include "options/Contact.hpp"
#include "options/frmTestControls.hpp"
#include "options/windows.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

using testsupport::xdo;

const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new testsupport::Desktop);
formsqt::Session& screen() { return testsupport::qtScreen(); }

// dovetune started on a program folder of its own, the options and contact
// windows wired as the program wires them.
struct Program {
    testsupport::TempDir app, home;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", home.file("config")};
    testsupport::ScopedEnv data{"XDG_DATA_HOME", home.file("data")};
    options::OptionsWindows windows;
    player::Form2* main = nullptr;

    Program() {
        testsupport::copyBuilt(app, {"New2.kmf", "skin", "options"});
        runtime::App::setForTest(app.path(), {});
        player::SetOptionsWindows(&windows);
        player::SetMediaPlayerFactory([] { return std::make_unique<media::ScriptedMediaPlayer>(); });
        player::mMain::Main();
        main = &forms::Get<player::Form2>();
        screen().waitUntil([&] { return screen().windowShown(*main); }, 3000);
        // The window manager gives the new main window the keyboard.
        screen().waitUntil([&] { return testsupport::hasKeyboard(screen(), *main); }, 3000);
        screen().processEvents(300);
    }
    ~Program() {
        forms::Application::instance().reset();
        screen().processEvents(300);
        player::SetOptionsWindows(nullptr);
        player::SetMediaPlayerFactory(nullptr);
        runtime::App::setForTest("", {});
    }

    // A right click on the playlist opens the main window's popup menu; the
    // item of this name is chosen from it.
    void choose(const std::string& item) { testsupport::chooseFromPopup(screen(), main->List2, item); }
};

void expectKeyboardIn(forms::Form& w, forms::Control& first) { testsupport::expectKeyboardIn(screen(), w, first); }

TEST(OptionsFocusScreen, EachWayToTheOptionsWindowGivesItTheKeyboardOnItsFirstOpening) {
    if (!testsupport::haveDesktopTools()) GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";
    struct Case {
        const char* way;
        std::function<void(Program&)> open;
        forms::Control* (*first)(options::frmTestControls&);
    };
    const Case cases[] = {
        // The help and about pages hold no control: Cancel is the first stop.
        {"F1", [](Program&) { xdo("key F1"); }, [](options::frmTestControls& o) -> forms::Control* { return &o.Command2; }},
        {"F2", [](Program&) { xdo("key F2"); }, [](options::frmTestControls& o) -> forms::Control* { return &o.Command2; }},
        {"Settings", [](Program& p) { p.choose("mnusettings"); },
         [](options::frmTestControls& o) -> forms::Control* { return &o.Fade; }},
        {"Make Default", [](Program& p) { p.choose("mnumakedefault"); },
         [](options::frmTestControls& o) -> forms::Control* { return &o.Mp3; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.way);
        Program p;
        // The start loaded the options window, hidden, to read its fade box.
        ASSERT_TRUE(forms::IsLoaded<options::frmTestControls>());
        auto& o = forms::Get<options::frmTestControls>();
        ASSERT_FALSE(o.visible());
        k.open(p);
        ASSERT_TRUE(screen().waitUntil([&] { return o.visible(); }, 3000));
        expectKeyboardIn(o, *k.first(o));
        testsupport::keepScreen(screen(), std::string("options-") + k.way);
        // Escape reaches the options window: its Cancel closes it.
        xdo("key Escape");
        EXPECT_TRUE(screen().waitUntil([&] { return !forms::IsLoaded<options::frmTestControls>(); }, 2000));
        EXPECT_TRUE(p.main->isLoaded());
    }
}

TEST(OptionsFocusScreen, TheContactWindowTakesTheKeyboardWhenItOpens) {
    if (!testsupport::haveDesktopTools()) GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";
    Program p;
    p.choose("mnucontactme");
    ASSERT_TRUE(screen().waitUntil([] { return forms::IsLoaded<options::Contact>(); }, 3000));
    auto& c = forms::Get<options::Contact>();
    expectKeyboardIn(c, c.Combo1);
    testsupport::keepScreen(screen(), "contact");
    // The arrow key chooses the first reason; Tab and typed letters fill the name.
    xdo("key Down");
    EXPECT_TRUE(screen().waitUntil([&] { return c.Combo1.listIndex() == 0; }, 2000));
    xdo("key Tab");
    xdo("type Jo");
    EXPECT_TRUE(screen().waitUntil([&] { return c.Name1.text() == "Jo"; }, 2000)) << c.Name1.text();
    c.unload();
}

}  // namespace
