// The main window's "Tag Info" and "Rename" items with the real tag editor
// and rename windows: each opens on the file of the selected line.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../metadata/id3v2_fixtures.hpp"
#include "../player/player_fixture.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "tageditor/Form1.hpp"
#include "tageditor/Form5.hpp"
#include "tageditor/windows.hpp"

namespace {

namespace fs = std::filesystem;

struct MainMenu : ::testing::Test {
    playertest::Player p;
    tageditor::TagEditorWindows windows;
    player::Form2* main = nullptr;
    std::string a, b;

    void SetUp() override {
        const std::string built = playertest::builtProgramDir();
        for (const char* skin : {"3.kmf", "2.kmf"}) fs::copy_file(built + "/" + skin, p.app.file(skin));
        fs::copy(built + "/tageditor", p.app.file("tageditor"), fs::copy_options::recursive);
        player::SetTagEditorWindows(&windows);
        main = &p.start();
        // Two MP3 files whose ID3v1 titles differ.
        a = mp3("first.mp3", "A song");
        b = mp3("zz other.mp3", "Another song");
        p.fill({b, a});
    }

    // Frames of MPEG audio with an ID3v1 tag of this title; its path.
    std::string mp3(const std::string& name, const std::string& title) {
        std::string path = p.track(name, -1);
        testsupport::writeFile(path, id3v2test::audio(8));
        metadata::cMP3ID3v1 tag;
        tag.setMP3File(path);
        tag.setTitle(title);
        tag.Update();
        return path;
    }
};

TEST_F(MainMenu, TagInfoSelectedOpensTheEditorOnTheSelectedLine) {
    main->List2.setListIndex(0);  // "first - ..." sorts first
    main->mnupopuptag.choose();
    p.env.scheduler.advance(1);
    auto* f = forms::IfLoaded<tageditor::Form1>();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->visible());
    EXPECT_EQ(f->txtpath.text(), a);
    EXPECT_EQ(f->txtTitle.text(), "A song");
    EXPECT_FALSE(f->Timer1.enabled());  // loaded once
}

TEST_F(MainMenu, TagInfoPlayingOpensTheEditorOnThePlayingFile) {
    main->List2.setListIndex(0);
    main->MediaPlayer1.setFileName(b);
    main->mnuplayingtag.choose();
    p.env.scheduler.advance(1);
    auto* f = forms::IfLoaded<tageditor::Form1>();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->txtpath.text(), b);
}

TEST_F(MainMenu, RenameOpensTheRenameWindowOnTheSelectedLine) {
    main->List2.setListIndex(1);  // "zz other - ..."
    main->mnurename.choose();
    ASSERT_TRUE(forms::IsLoaded<tageditor::Form5>());
    auto& r = forms::Get<tageditor::Form5>();
    EXPECT_TRUE(r.visible());
    EXPECT_EQ(r.Text3.text(), b);  // the full path it renames
}

}  // namespace
