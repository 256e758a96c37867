// The tag editor's side panels on a real X server (Xvfb, platform xcb), used
// with the keyboard alone: the cycler pressed with Space shows the artist
// picture, lyrics, notes and information panels in turn over the ID3v2
// column; Tab reaches the panel's own controls and none that it covers, and
// an attribute box ticked with Space writes the file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../../metadata/id3v2_fixtures.hpp"
#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "nettest/scripted_server.hpp"
#include "runtime/app.hpp"
#include "runtime/filesystem.hpp"
#include "tageditor/Form1.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

#ifndef DOVETUNE_BUILT_PROGRAM_DIR
#error "DOVETUNE_BUILT_PROGRAM_DIR must name the build's program folder"
#endif

namespace {

namespace fs = std::filesystem;

TEST(EditorPanelsScreen, TheCycleAndThePanelsByKeyboard) {
    testsupport::TempDir app, home;
    const std::string built = DOVETUNE_BUILT_PROGRAM_DIR;
    ASSERT_TRUE(fs::exists(built + "/3.kmf"));
    testsupport::copyBuilt(app, {"3.kmf", "Add.gif", "Artist/Add.gif", "tageditor"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});

    const std::string song = home.file("song.mp3");
    testsupport::writeFile(song, id3v2test::audio(40));
    {
        metadata::cMP3ID3v1 t;
        t.setMP3File(song);
        t.setTitle("Song");
        t.setArtist("Queen");
        t.Update();
    }

    formsqt::Session qt;
    ASSERT_EQ(qt.platformName(), "xcb");
    auto& f = forms::Get<tageditor::Form1>();
    f.move(40 * 15, 30 * 15);
    f.show();
    f.txtpath.setText(song);
    f.Timer1.setEnabled(true);
    ASSERT_TRUE(qt.waitUntil([&] { return f.txtartist.text() == "Queen"; }, 3000));
    f.txtlyrics.setText("First line of the lyrics\r\nSecond line");
    f.txtCommentV2.setText("A note");
    qt.processEvents(300);

    const char* keep = std::getenv("DOVETUNE_SCREENSHOT_DIR");
    testsupport::TempDir shots;
    auto grab = [&](const std::string& name) {
        const std::string dir = keep && *keep ? std::string(keep) : shots.path();
        EXPECT_TRUE(qt.grabScreen(dir + "/" + name + ".png")) << name;
    };

    f.Command16.setFocus();
    qt.processEvents(100);
    ASSERT_EQ(qt.focusedControl(), &f.Command16);
    const struct {
        const char* caption;
        forms::PictureBox* shown;
        const char* shot;
    } steps[] = {
        {"Lyrics", &f.Picture1, "1-artist"}, {"Note", &f.Picture3, "2-lyrics"}, {"Info", &f.Picture2, "3-notes"},
        {"Tag 2", &f.Picture4, "4-info"},    {"Artist Image", nullptr, "5-bare"},
    };
    for (const auto& s : steps) {
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeySpace, 0, " "));
        ASSERT_TRUE(qt.waitUntil([&] { return f.Command16.caption() == s.caption; }, 2000)) << s.caption;
        qt.processEvents(200);
        for (forms::PictureBox* p : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4, &f.Picture5})
            EXPECT_EQ(p->visible(), p == s.shown) << s.caption << " " << p->name();
        EXPECT_EQ(qt.focusedControl(), &f.Command16) << s.caption;
        grab(s.shot);
    }

    // Round to the information panel again, then Tab into it and tick
    // Read Only with Space.
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(qt.pressKey(f, forms::vbKeySpace, 0, " "));
    ASSERT_TRUE(qt.waitUntil([&] { return f.Picture4.visible(); }, 2000));
    qt.processEvents(200);
    // Tab from the cycler: the shown panel's boxes in a row (the panel itself
    // is no stop, and Multi Tag, which it covers, is passed over), never a
    // control of a hidden panel.
    std::vector<forms::Control*> visited;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab));
        qt.processEvents(50);
        visited.push_back(f.activeControl());
    }
    EXPECT_EQ(visited, (std::vector<forms::Control*>{&f.Read, &f.Hidden, &f.Archive}));
    ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab, forms::vbShiftMask));
    ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab, forms::vbShiftMask));
    qt.processEvents(50);
    ASSERT_EQ(f.activeControl(), &f.Read);
    ASSERT_TRUE(qt.pressKey(f, forms::vbKeySpace, 0, " "));
    ASSERT_TRUE(qt.waitUntil([&] { return f.Read.value() == 1; }, 2000));
    EXPECT_EQ(runtime::GetAttr(song) & runtime::vbReadOnly, runtime::vbReadOnly);
    grab("6-info-read-only");

    // Another file loaded while the panel is shown brings its own rows and
    // boxes; setting them writes neither file. The song comes back after.
    const std::string other = home.file("other.mp3");
    testsupport::writeFile(other, id3v2test::audio(20));
    for (const std::string& load : {other, song}) {
        f.txtpath.setText(load);
        f.Timer1.setEnabled(true);
        ASSERT_TRUE(qt.waitUntil([&] { return f.Text12.caption() == std::to_string(fs::file_size(load)); }, 3000));
        qt.processEvents(200);
        EXPECT_EQ(f.Read.value(), load == song ? 1 : 0);
        EXPECT_EQ(runtime::GetAttr(song) & runtime::vbReadOnly, runtime::vbReadOnly);
        EXPECT_EQ(runtime::GetAttr(other) & runtime::vbReadOnly, 0);
        if (load == other) grab("6b-info-another-file");
    }
    ASSERT_EQ(f.txtartist.text(), "Queen");
    EXPECT_EQ(f.activeControl(), &f.Read);
    runtime::SetAttr(song, 0);

    // The artist panel: Tab from the cycler reaches Add, Remove and Download;
    // a download from a port where nothing listens says why it failed.
    testsupport::ScopedEnv web("DOVETUNE_ARTIST_URL",
                               "http://127.0.0.1:" + std::to_string(nettest::unusedPort()) + "/Artist/");
    ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab, forms::vbShiftMask));  // back to the cycler
    qt.processEvents(50);
    ASSERT_EQ(f.activeControl(), &f.Command16);
    for (const char* next : {"Artist Image", "Lyrics"}) {
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeySpace, 0, " "));
        ASSERT_TRUE(qt.waitUntil([&] { return f.Command16.caption() == next; }, 2000)) << next;
    }
    ASSERT_TRUE(f.Picture1.visible());
    visited.clear();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(qt.pressKey(f, forms::vbKeyTab));
        qt.processEvents(50);
        visited.push_back(f.activeControl());
    }
    EXPECT_EQ(visited, (std::vector<forms::Control*>{&f.Command13, &f.Command14, &f.Command15}));
    ASSERT_TRUE(qt.pressKey(f, forms::vbKeySpace, 0, " "));
    ASSERT_TRUE(qt.waitUntil([&] { return f.Timer5.enabled(); }, 5000));
    EXPECT_EQ(f.LabelProgress.caption().rfind("Download failed", 0), 0u) << f.LabelProgress.caption();
    ASSERT_TRUE(qt.waitUntil([&] { return f.ProgressBar1.value() >= 30; }, 8000));
    grab("7-artist-download-failed");

    f.unload();
    runtime::App::setForTest("", {});
}

}  // namespace
