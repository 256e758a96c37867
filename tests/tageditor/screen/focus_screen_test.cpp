// The tag editor and the rename window opened from dovetune's main window
// under a window manager (openbox on Xvfb, platform xcb), by their keys and
// through the popup menu: on its first opening each window takes the
// keyboard (the window manager's focus, and the first control the Tab key
// stops at), so Tab and the keys typed next reach it and not the player.
// Skipped with a message where openbox or xdotool is missing.
//
// DOVETUNE_SCREENSHOT_DIR keeps a grab of each window as it opened.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "media/scripted_media_player.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form1.hpp"
#include "tageditor/Form5.hpp"
#include "tageditor/windows.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

using testsupport::xdo;

const auto* const kDesktop = ::testing::AddGlobalTestEnvironment(new testsupport::Desktop);
formsqt::Session& screen() { return testsupport::qtScreen(); }

// dovetune started with one tagged file in its playlist, its line selected
// and playing, the tag editor and the rename window wired as the program
// wires them.
struct Program {
    testsupport::TempDir app, home;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", home.file("config")};
    tageditor::TagEditorWindows windows;
    player::Form2* main = nullptr;
    std::string song;

    Program() {
        testsupport::copyBuilt(app, {"New2.kmf", "skin", "3.kmf", "2.kmf", "Add.gif", "Artist/Add.gif", "tageditor"});
        runtime::App::setForTest(app.path(), {});
        song = home.file("song.mp3");
        testsupport::writeFile(song, std::string(4000, 'x'));
        metadata::cMP3ID3v1 t;
        t.setMP3File(song);
        t.setTitle("Song");
        t.setArtist("Queen");
        t.Update();

        player::SetTagEditorWindows(&windows);
        player::SetMediaPlayerFactory([] { return std::make_unique<media::ScriptedMediaPlayer>(); });
        player::mMain::Main();
        main = &forms::Get<player::Form2>();
        main->lstFiles.addItem(song);
        main->Timer3.setEnabled(true);
        screen().waitUntil([&] { return screen().windowShown(*main) && !main->Timer3.enabled(); }, 3000);
        main->List2.doubleClickItem(0);
        screen().waitUntil([&] { return testsupport::hasKeyboard(screen(), *main); }, 3000);
        screen().processEvents(300);
    }
    ~Program() {
        forms::Application::instance().reset();
        screen().processEvents(300);
        player::SetTagEditorWindows(nullptr);
        player::SetMediaPlayerFactory(nullptr);
        runtime::App::setForTest("", {});
    }

    // A right click on the playlist opens the main window's popup menu; the
    // item of this name is chosen from it.
    void choose(const std::string& item) { testsupport::chooseFromPopup(screen(), main->List2, item); }
};

void expectKeyboardIn(forms::Form& w, forms::Control& first) { testsupport::expectKeyboardIn(screen(), w, first); }

TEST(EditorFocusScreen, TheTagEditorTakesTheKeyboardOnItsFirstOpening) {
    if (!testsupport::haveDesktopTools()) GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";
    struct Case {
        const char* way;
        std::function<void(Program&)> open;
    };
    const Case cases[] = {
        {"F4, the selected entry", [](Program&) { xdo("key F4"); }},
        {"Playing", [](Program& p) { p.choose("mnuplayingtag"); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.way);
        Program p;
        k.open(p);
        ASSERT_TRUE(screen().waitUntil([] { return forms::IsLoaded<tageditor::Form1>(); }, 3000));
        auto& f = forms::Get<tageditor::Form1>();
        ASSERT_TRUE(screen().waitUntil([&] { return f.txtartist.text() == "Queen"; }, 3000));
        // The path is the first stop: read-only, it shows the focus all the same.
        expectKeyboardIn(f, f.txtpath);
        testsupport::keepScreen(screen(), std::string("editor-") + (k.way[0] == 'F' ? "F4" : "playing"));
        // Tab passes the ID3v1 switch to the track box, which takes what is typed.
        xdo("key Tab Tab");
        xdo("type 7");
        EXPECT_TRUE(screen().waitUntil([&] { return f.txtTrack.text() == "7"; }, 2000)) << f.txtTrack.text();
        EXPECT_EQ(testsupport::nameOf(f.activeControl()), testsupport::nameOf(&f.txtTrack));
    }
}

TEST(EditorFocusScreen, TheRenameWindowTakesTheKeyboardOnItsFirstOpening) {
    if (!testsupport::haveDesktopTools()) GTEST_SKIP() << "openbox or xdotool is not installed (scripts/setup installs them)";
    Program p;
    xdo("key ctrl+r");
    ASSERT_TRUE(screen().waitUntil([] { return forms::IsLoaded<tageditor::Form5>(); }, 3000));
    auto& f = forms::Get<tageditor::Form5>();
    expectKeyboardIn(f, f.Combo2);
    testsupport::keepScreen(screen(), "rename");
    // Escape reaches it: its Cancel closes it and the file keeps its name.
    xdo("key Escape");
    EXPECT_TRUE(screen().waitUntil([] { return !forms::IsLoaded<tageditor::Form5>(); }, 3000));
    EXPECT_TRUE(testsupport::exists(p.song));
}

}  // namespace
