// Files into the playlist: the open dialog, the folder search and its
// finder, the playing file, drops, favourite folders, File "Add" and the
// Songs items.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/settings.hpp"

namespace {

using playertest::Player;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

std::string file(const std::string& path, std::int64_t bytes = 1) {
    fs::create_directories(fs::path(path).parent_path());
    testsupport::writeFile(path, std::string(static_cast<std::size_t>(bytes), 'x'));
    return path;
}

// ---- open files (Image11) ----

TEST(OpenFiles, TheDialogAsSet) {
    Player p;
    auto& f = p.start();
    p.env.dialogs.answerFileDialog({});
    f.Image11.click();
    EXPECT_EQ(f.CD1.flags(), 0x80200);
    EXPECT_EQ(f.CD1.maxFileSize(), 10000);
    const auto& r = p.env.dialogs.shown().at(0).file;
    EXPECT_TRUE(r.multiSelect);
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.filters[0].description, "Music Files(*.Mp3 *.Wav *.Mid *.Wma *.rm) ");
}

TEST(OpenFiles, OneFileThreeFilesAndCancel) {
    Player p;
    auto& f = p.start();
    std::string one = p.track("one.mp3", 5);
    p.env.dialogs.answerFileDialog({true, {one}, 1, false});
    f.Image11.click();
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{one}));
    EXPECT_EQ(Player::items(f.List2), (Lines{"one - 5 Bytes"}));

    Lines three = {p.track("c.mp3"), p.track("a.mp3"), p.track("b.mp3")};
    p.env.dialogs.answerFileDialog({true, three, 1, false});
    f.Image11.click();
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), three);  // the dialog's order
    EXPECT_EQ(f.List1.listCount(), 3);

    // Cancel: the dialog starts empty, so no earlier choice comes back.
    p.env.dialogs.answerFileDialog({});
    f.Image11.click();
    EXPECT_EQ(p.env.dialogs.shown().back().file.fileName, "");
    EXPECT_EQ(Player::items(f.lstFiles), three);
    EXPECT_FALSE(f.Timer3.enabled());
}

TEST(OpenFiles, FilesOfTheRootGetOneSlash) {
    Player p;
    auto& f = p.start();
    p.env.dialogs.answerFileDialog({true, {"/x.mp3", "/y.mp3"}, 1, false});
    f.Image11.click();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{"/x.mp3", "/y.mp3"}));
}

TEST(OpenFiles, TooManyNamesShowTheErrorAndChangeNothing) {
    Player p;
    auto& f = p.start();
    std::string kept = p.track("kept.mp3");
    p.fill({kept});
    Lines many;
    for (int i = 0; i < 200; ++i) many.push_back("/music/" + std::string(60, 'n') + std::to_string(i) + ".mp3");
    p.env.dialogs.answerFileDialog({true, many, 1, false});
    p.env.dialogs.answerMessageBox(forms::vbOK);
    f.Image11.click();
    const auto& box = p.env.dialogs.shown().at(1).message;
    EXPECT_EQ(box.prompt.rfind("Error 20476 selecting files.\r\n", 0), 0u) << box.prompt;
    EXPECT_GT(box.prompt.size(), std::string("Error 20476 selecting files.\r\n").size());
    EXPECT_EQ(box.buttons, forms::vbOKOnly);
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{kept}));
}

// ---- the folder search ----

// a.mp3, b.MP3 and notes.txt, then X/c.mp3 and Y/d.Mp3; a hidden file, a
// hidden folder, and a link back up that would loop.
struct Tree {
    testsupport::TempDir d;
    std::string root = d.path();
    Lines music;
    Tree() {
        music = {file(d.file("a.mp3")), file(d.file("b.MP3")), file(d.file("X/c.mp3")), file(d.file("Y/d.Mp3"))};
        file(d.file("notes.txt"));
        file(d.file(".hidden.mp3"));
        file(d.file(".secret/e.mp3"));
        fs::create_directory_symlink(root, d.file("X/loop"));
    }
};

TEST(FindFiles, OwnFilesFirstThenSubfoldersInOrderSkippingHiddenAndLinks) {
    Player p;
    auto& f = p.form2();
    Tree t;
    player::FindFiles(t.root, "*.mp3", f.lstFiles);
    EXPECT_EQ(Player::items(f.lstFiles), t.music);
}

TEST(FindFiles, FoldersMarkedHiddenOrSystemAreNotEntered) {
    Player p;
    auto& f = p.form2();
    Tree t;
    file(t.d.file("H/h.mp3"));
    file(t.d.file("S/s.mp3"));
    try {
        runtime::SetAttr(t.d.file("H"), runtime::vbHidden);
        runtime::SetAttr(t.d.file("S"), runtime::vbSystem);
    } catch (const runtime::Error&) {
    }
    if (!(runtime::GetAttr(t.d.file("H")) & runtime::vbHidden) ||
        !(runtime::GetAttr(t.d.file("S")) & runtime::vbSystem))
        GTEST_SKIP() << "this file system keeps no user.DOSATTRIB";
    player::FindFiles(t.root, "*.mp3", f.lstFiles);
    EXPECT_EQ(Player::items(f.lstFiles), t.music);
}

TEST(FindFiles, AnUnreadableFolderIsPassedOver) {
    Player p;
    auto& f = p.form2();
    Tree t;
    std::string locked = file(t.d.file("X/Z/z.mp3"));
    fs::permissions(t.d.file("X/Z"), fs::perms::none);
    player::FindFiles(t.root, "*.mp3", f.lstFiles);
    fs::permissions(t.d.file("X/Z"), fs::perms::owner_all);
    Lines expected = t.music;
    if (geteuid() == 0) expected.insert(expected.begin() + 3, locked);  // root reads it all the same
    EXPECT_EQ(Player::items(f.lstFiles), expected);
}

TEST(FindFiles, TheRootIsTheEmptyFolder) {
    // The search cuts the root "/" to "", and the walk takes "" as "/".
    struct Case {
        const char* startDir;
        const char* folder;
    } cases[] = {{"/", ""}, {" /music/ ", "/music"}, {"/music", "/music"}, {"3/", "3"}, {"", ""}};
    for (const Case& c : cases) EXPECT_EQ(player::SearchFolder(c.startDir), c.folder) << c.startDir;
    Lines visited;
    runtime::WalkFolders("", [&](const std::string& folder) { visited.push_back(folder); },
                         [](const std::string&) { return false; });
    EXPECT_EQ(visited, (Lines{"/"}));
}

TEST(FolderSearch, Image17SearchesTheChosenFolderAndBuilds) {
    Player p;
    auto& f = p.start();
    Tree t;
    p.env.dialogs.answerFolder(t.root);
    f.Image17.click();
    EXPECT_EQ(p.env.dialogs.shown().at(0).folder.title, "Select a folder.");
    EXPECT_EQ(f.txtStartDir.text(), t.root + "/");
    EXPECT_EQ(f.lblNumFiles.caption(), "4 files");
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), t.music);
    EXPECT_EQ(Player::items(f.List2), (Lines{"a - 1 Bytes", "b - 1 Bytes", "c - 1 Bytes", "d - 1 Bytes"}));
}

TEST(FolderSearch, CancelChangesNothing) {
    Player p;
    auto& f = p.start();
    std::string kept = p.track("kept.mp3");
    p.fill({kept});
    std::string startDir = f.txtStartDir.text();
    p.env.dialogs.answerFolder(std::nullopt);
    f.Image17.click();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{kept}));
    EXPECT_EQ(f.List2.listCount(), 1);
    EXPECT_EQ(f.txtStartDir.text(), startDir);
}

TEST(FolderSearch, NoMatchEmptiesThePlaylist) {
    Player p;
    auto& f = p.start();
    p.fill({p.track("kept.mp3")});
    testsupport::TempDir empty;
    file(empty.file("only.txt"));
    p.env.dialogs.answerFolder(empty.path());
    f.Image17.click();
    p.runBuilder();
    EXPECT_EQ(f.lblNumFiles.caption(), "0 files");
    EXPECT_EQ(f.lstFiles.listCount(), 0);
    EXPECT_EQ(f.List1.listCount(), 0);
    EXPECT_EQ(f.List2.listCount(), 0);
}

// ---- the playing file (Command20) ----

TEST(PlayingFile, Command20AppendsItAndBuildsOneLine) {
    Player p;
    auto& f = p.start();
    std::string a = p.track("a.mp3", 1), b = p.track("b.mp3", 2), playing = p.track("now.mp3", 3);
    p.fill({a, b});
    f.Command20_Click();  // no open file yet: nothing
    EXPECT_EQ(f.lstFiles.listCount(), 2);
    EXPECT_FALSE(f.Timer3.enabled());

    f.MediaPlayer1.setFileName(playing);
    f.Command20_Click();
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{a, b, playing}));
    EXPECT_EQ(Player::items(f.List1), (Lines{"a - 1 Bytes", "b - 2 Bytes", "now - 3 Bytes"}));
    EXPECT_EQ(f.List2.listCount(), 3);
}

// ---- drops ----

TEST(Drop, OneFileReplacesThePlaylistAndPlays) {
    Player p;
    auto& f = p.start();
    std::string old = p.track("old.mp3"), dropped = p.track("new.mp3", 7);
    p.fill({old});
    f.MediaPlayer1.setFileName(old);
    EXPECT_EQ(f.List2.dropFiles({dropped}), forms::vbDropEffectNone);  // the source moves nothing
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{dropped}));
    EXPECT_EQ(Player::items(f.List2), (Lines{"new - 7 Bytes"}));
    EXPECT_EQ(p.media->fileName(), dropped);
    EXPECT_EQ(p.media->playState(), media::Playing);
}

TEST(Drop, SeveralFilesInTheDropsOrderTheFirstPlaying) {
    Player p;
    auto& f = p.start();
    Lines dropped = {p.track("z.mp3"), p.track("m.mp3"), p.track("a.mp3")};
    std::string folder = p.home.file("music");
    Lines withFolder = {dropped[0], folder, dropped[1], dropped[2]};
    EXPECT_EQ(f.dropFiles(withFolder), forms::vbDropEffectNone);
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), dropped);  // the folder skipped
    EXPECT_EQ(f.List1.listCount(), 3);
    EXPECT_EQ(p.media->fileName(), dropped[0]);
}

TEST(Drop, NoFilesOrFoldersOnlyChangeNothing) {
    Player p;
    auto& f = p.start();
    std::string kept = p.track("kept.mp3");
    p.fill({kept});
    for (const Lines& drop : {Lines{}, Lines{p.home.file("music")}}) {
        EXPECT_EQ(f.dropFiles(drop), forms::vbDropEffectNone);
        EXPECT_EQ(f.List2.dropFiles(drop), forms::vbDropEffectNone);
    }
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{kept}));
    EXPECT_EQ(f.List2.listCount(), 1);
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_EQ(p.media->fileName(), "");
}

// ---- favourites ----

TEST(Favourites, AddedCancelledRemovedAndRestoredAtTheNextStart) {
    Player p;
    testsupport::TempDir music;
    {
        auto& f = p.start();
        p.env.dialogs.answerFolder(music.path());
        f.mnuadd2.choose();
        EXPECT_EQ(f.mnu2.caption(), music.path());
        p.env.dialogs.answerFolder(std::nullopt);
        f.mnuadd2.choose();
        EXPECT_EQ(f.mnu2.caption(), music.path());  // Cancel keeps it
        p.env.dialogs.answerFolder("/");
        f.mnuadd4.choose();
        EXPECT_EQ(f.mnu4.caption(), "/");
        f.mnuremove4.choose();
        EXPECT_EQ(f.mnu4.caption(), "4");
        f.unload();
    }
    forms::Application::instance().reset();
    auto& f = p.start();
    EXPECT_EQ(f.mnu2.caption(), music.path());
    EXPECT_EQ(f.mnu4.caption(), "4");
}

TEST(Favourites, OpeningOneSearchesItsFolder) {
    Player p;
    auto& f = p.start();
    Tree t;
    p.fill({p.track("old.mp3")});
    for (std::string caption : {t.root, t.root + "/"}) {
        f.mnu3.setCaption(caption);
        f.mnu3.choose();
        EXPECT_EQ(f.txtStartDir.text(), t.root + "/");  // a trailing "/" gets no second one
        p.runBuilder();
        EXPECT_EQ(Player::items(f.lstFiles), t.music);
        EXPECT_EQ(f.List2.listCount(), 4);
    }
    EXPECT_EQ(p.media->fileName(), "");  // nothing plays
}

TEST(Favourites, AnUnsetOneSearchesItsDigitAndAnEmptyOneNothing) {
    Player p;
    auto& f = p.start();
    p.fill({p.track("old.mp3")});
    f.mnu5.choose();  // the folder "5" of the current folder, which does not exist
    EXPECT_EQ(f.txtStartDir.text(), "5/");
    EXPECT_EQ(f.lstFiles.listCount(), 0);
    p.fill({p.track("old.mp3")});
    f.mnu1.setCaption("");
    std::string startDir = f.txtStartDir.text();
    f.mnu1.choose();  // the playlist goes; the disk is not searched
    EXPECT_EQ(f.lstFiles.listCount(), 0);
    EXPECT_EQ(f.List2.listCount(), 0);
    EXPECT_EQ(f.txtStartDir.text(), startDir);
}

TEST(Favourites, FileAddBrowsesAndSearches) {
    Player p;
    auto& f = p.start();
    Tree t;
    p.env.dialogs.answerFolder(t.root);
    f.mnuadd.choose();
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), t.music);
}

// ---- the Songs items ----

TEST(SongsItems, TheCaptionLessItsExtensionSelectsAndPlays) {
    Player p;
    auto& f = p.start();
    std::string track = p.track("Track01.mp3", 10), other = p.track("Other.mp3", 20);
    p.fill({other, track});
    f.mnuLevel1(0).setCaption("Track01.mp3");
    f.mnuLevel1_Click(0);
    EXPECT_EQ(f.Text1.text(), "Track01");
    EXPECT_EQ(f.Text1.maxLength(), 7);
    EXPECT_EQ(f.List2.text(), "Track01 - 10 Bytes");
    EXPECT_EQ(p.media->fileName(), track);
}

TEST(SongsItems, CaptionsAndTheLimitTheyLeave) {
    struct Case {
        const char* caption;
        const char* text;
        long maxLength;
    } cases[] = {
        {"[No Files]", "[No Fi", 6},
        {"abcd", "abcd", 0},   // four characters: no limit
        {"Songs", "S", 1},
        {"abc", "a", 1},       // under four: the limit before stays and cuts it
    };
    Player p;
    auto& f = p.start();
    for (const Case& c : cases) {
        f.mnuLevel1(0).setCaption(c.caption);
        f.mnuLevel1_Click(0);
        EXPECT_EQ(f.Text1.text(), c.text) << c.caption;
        EXPECT_EQ(f.Text1.maxLength(), c.maxLength) << c.caption;
    }
}

}  // namespace
