// The main window's "Tag Info" and "Rename" items with the real tag editor
// and rename windows: each opens on the file of the selected line.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../player/player_fixture.hpp"
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
        a = p.track("apev2-lyricsv2.mp3", -1);
        fs::copy_file(testsupport::corpusDir() + "/apev2-lyricsv2.mp3", a);
        b = p.track("zz other.mp3", -1);
        fs::copy_file(testsupport::corpusDir() + "/apev2-lyricsv2.mp3", b);
        p.fill({b, a});
    }
};

TEST_F(MainMenu, TagInfoSelectedOpensTheEditorOnTheSelectedLine) {
    main->List2.setListIndex(0);  // "apev2-lyricsv2 - ..." sorts first
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
