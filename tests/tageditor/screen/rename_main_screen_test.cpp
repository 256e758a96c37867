// "Rename" in dovetune's main window on a real X server (Xvfb, platform
// xcb): Ctrl+R on the selected line opens the rename window, the keyboard
// chooses the pattern and the case, Enter renames the file in its folder, the
// window closes after its progress and the playlist entry follows the file.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "media/scripted_media_player.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "player/media_factory.hpp"
#include "player/playlist.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form5.hpp"
#include "tageditor/windows.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

namespace fs = std::filesystem;

TEST(RenameFromTheMainWindow, CtrlRRenamesTheSelectedFileAndItsEntryFollows) {
    testsupport::TempDir app, home, shots;
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    testsupport::copyBuilt(app, {"New2.kmf", "skin", "2.kmf", "tageditor/Form5_Image1.png"});
    runtime::App::setForTest(app.path(), {});

    const std::string folder = home.file("music/");
    fs::create_directories(folder);
    const std::string a = folder + "a.mp3", b = folder + "b.mp3";
    for (const std::string& p : {a, b}) {
        testsupport::writeFile(p, std::string(4000, 'x'));
        metadata::cMP3ID3v1 t;
        t.setMP3File(p);
        t.setTitle(p == a ? "Song" : "Other");
        t.setArtist("AC");
        t.Update();
    }
    const std::string bytes = testsupport::readFile(a);

    tageditor::TagEditorWindows windows;
    player::SetTagEditorWindows(&windows);
    player::SetMediaPlayerFactory([] { return std::make_unique<media::ScriptedMediaPlayer>(); });
    {
        formsqt::Session qt;
        ASSERT_EQ(qt.platformName(), "xcb");
        player::mMain::Main();
        auto& main = forms::Get<player::Form2>();
        for (const std::string& p : {a, b}) main.lstFiles.addItem(p);
        main.Timer3.setEnabled(true);
        ASSERT_TRUE(qt.waitUntil([&] { return !main.Timer3.enabled(); }, 3000));
        qt.processEvents(300);

        // The user selects a's line and presses Ctrl+R.
        long line = -1;
        for (long i = 0; i < main.List2.listCount(); ++i)
            if (main.List2.list(i) == player::DisplayLine(a)) line = i;
        ASSERT_GE(line, 0);
        ASSERT_TRUE(qt.clickLine(main.List2, line));
        ASSERT_EQ(main.lstFiles.text(), a);
        ASSERT_TRUE(qt.pressKey(main, 'R', forms::vbCtrlMask));
        ASSERT_TRUE(qt.waitUntil([&] { return forms::IsLoaded<tageditor::Form5>(); }, 3000));
        auto& f = forms::Get<tageditor::Form5>();
        ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(f); }, 3000));
        qt.processEvents(300);
        EXPECT_EQ(f.Text3.text(), a);
        EXPECT_EQ(f.activeControl(), &f.Combo2);
        // Under a window manager the new window takes the keyboard focus too.
        if (const char* wm = std::getenv("DOVETUNE_EXPECT_WM"); wm && *wm) {
            EXPECT_EQ(qt.focusedControl(), &f.Combo2);
        }

        // Tab to the pattern, Down to "Artist Title"; Tab to the case, Down
        // twice to "Upper".
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab));
        qt.processEvents(50);
        for (int i = 0; i < 4; ++i) ASSERT_TRUE(qt.pressKey(f, forms::vbKeyDown));
        qt.processEvents(50);
        EXPECT_EQ(f.Combo1.text(), "Artist Title");
        EXPECT_EQ(f.Text4.text(), "AC - Song");
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab));
        for (int i = 0; i < 2; ++i) ASSERT_TRUE(qt.pressKey(f, forms::vbKeyDown));
        qt.processEvents(100);
        EXPECT_EQ(f.Text4.text(), "AC - SONG");
        const char* keep = std::getenv("DOVETUNE_SCREENSHOT");
        if (keep && *keep) qt.grabScreen(keep);

        // Tab to the name, type at its end, and Enter presses OK (the
        // Default button) with the case applied to what was typed.
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab));
        qt.processEvents(50);
        ASSERT_EQ(f.activeControl(), &f.Text4);
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyEnd));
        for (char c : std::string(" live")) ASSERT_TRUE(qt.pressKey(f, c == ' ' ? forms::vbKeySpace : std::toupper(c), 0, std::string(1, c)));
        qt.processEvents(50);
        EXPECT_EQ(f.Text4.text(), "AC - SONG live");
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyReturn));
        ASSERT_TRUE(qt.waitUntil([&] { return !forms::IsLoaded<tageditor::Form5>(); }, 5000));
        const std::string renamed = folder + "AC - SONG LIVE.mp3";
        EXPECT_FALSE(fs::exists(a));
        ASSERT_TRUE(fs::exists(renamed));
        EXPECT_EQ(testsupport::readFile(renamed), bytes);
        EXPECT_TRUE(fs::exists(b));
        EXPECT_EQ(main.lstFiles.list(0), renamed);
        EXPECT_EQ(main.List1.list(0), player::DisplayLine(renamed));
        EXPECT_EQ(main.List2.text(), player::DisplayLine(renamed));
        main.unload();
        qt.processEvents(100);
    }
    player::SetTagEditorWindows(nullptr);
    player::SetMediaPlayerFactory(nullptr);
    runtime::App::setForTest("", {});
}

}  // namespace
