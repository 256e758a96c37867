// Multi Tag on a real X server (Xvfb, platform xcb): the panel opened by its
// button, "Add Folder" over a folder tree, "Update" confirmed, and the run on
// the real timers writing one file a second into every MP3 of the tree. The
// folder browser and the confirmation are answered by a script.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../../metadata/id3v2_fixtures.hpp"
#include "forms/dialogs.hpp"
#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form1.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

#ifndef DOVETUNE_BUILT_PROGRAM_DIR
#error "DOVETUNE_BUILT_PROGRAM_DIR must name the build's program folder"
#endif

namespace {

namespace fs = std::filesystem;

TEST(MultiTagScreen, AFolderTreeIsListedAndEveryMp3Written) {
    testsupport::TempDir app, home;
    testsupport::copyBuilt(app, {"3.kmf", "tageditor"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});

    const std::string root = home.file("Music");
    const std::vector<std::string> songs = {root + "/one.mp3", root + "/Artist/Album/two.mp3",
                                            root + "/Artist/three.MP3"};
    for (const std::string& p : songs) {
        fs::create_directories(fs::path(p).parent_path());
        testsupport::writeFile(p, id3v2test::audio(20));
    }
    testsupport::writeFile(root + "/notes.txt", "not music");

    {
        formsqt::Session qt;
        ASSERT_EQ(qt.platformName(), "xcb");
        forms::ScriptedDialogs script;
        forms::setDialogs(&script);
        auto& f = forms::Get<tageditor::Form1>();
        f.move(40 * 15, 30 * 15);
        f.show();
        qt.processEvents(300);

        ASSERT_TRUE(qt.click(f.Command17));
        ASSERT_TRUE(qt.waitUntil([&] { return f.Picture5.visible(); }, 2000));
        script.answerFolder(root);
        ASSERT_TRUE(qt.click(f.Command20));
        ASSERT_TRUE(qt.waitUntil([&] { return !f.TimerFile.enabled() && f.List1.listCount() == 3; }, 3000));
        EXPECT_EQ(f.lstFiles.list(0), songs[0]);
        EXPECT_EQ(f.List1.list(1), "three.MP3");  // Artist's own file before its Album folder
        EXPECT_EQ(f.List1.list(2), "two.mp3");

        f.txtartist.setText("On Screen");
        f.txtAlbumV2.setText("Screen Album");
        script.answerMessageBox(forms::vbYes);
        ASSERT_TRUE(qt.click(f.Command18));
        ASSERT_TRUE(qt.waitUntil([&] { return f.Timer4.enabled(); }, 2000));
        ASSERT_TRUE(qt.waitUntil([&] { return f.List1.listIndex() == 1; }, 3000));
        qt.processEvents(200);
        const char* keep = std::getenv("DOVETUNE_SCREENSHOT");
        if (keep && *keep) qt.grabScreen(keep);
        ASSERT_TRUE(qt.waitUntil([&] { return !f.Timer4.enabled(); }, 5000));
        EXPECT_EQ(f.Label2.caption(), "100%");
        EXPECT_EQ(script.pending(), 0u);
        for (const std::string& p : songs) {
            metadata::cMP3ID3v1 v1;
            v1.setMP3File(p);
            EXPECT_EQ(v1.Artist(), "On Screen") << p;
            metadata::cMP3ID3v2 v2;
            v2.setMP3File(p);
            EXPECT_EQ(v2.Album(), "Screen Album") << p;
        }
        EXPECT_EQ(testsupport::readFile(root + "/notes.txt"), "not music");
        f.unload();
        qt.processEvents(100);
        forms::setDialogs(nullptr);
    }
    runtime::App::setForTest("", {});
}

}  // namespace
