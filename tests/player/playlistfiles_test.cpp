// Saving the playlist to an .m3u file and loading one through the "Play
// List" items: the file's lines, round trips, what Cancel and failures leave,
// and the dialog as the user is shown it.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"
#include "runtime/app.hpp"
#include "runtime/files.hpp"

namespace {

using playertest::Player;
using Strings = std::vector<std::string>;

forms::FileDialogResult chosen(const std::string& path) {
    forms::FileDialogResult r;
    r.accepted = true;
    r.paths = {path};
    return r;
}

void save(Player& p, const std::string& path) {
    p.env.dialogs.answerFileDialog(chosen(path));
    p.form2().mnusaveplaylist.choose();
}

void load(Player& p, const std::string& path) {
    p.env.dialogs.answerFileDialog(chosen(path));
    p.form2().mnuplaylistload.choose();
}

TEST(PlaylistFiles, RoundTrips) {
    struct Case {
        const char* what;
        Strings names;  // under the music folder; "" for an empty list
    } cases[] = {
        {"three entries", {"b.mp3", "a.mp3", "c.mp3"}},
        {"an empty list", {}},
        {"a comma in a path", {"Hello, World.mp3", "x.mp3"}},
        {"names that are not UTF-8", {"caf\xE9\xFF.mp3", "Bj\xF6rk.mp3", "\x80.mp3"}},
    };
    for (const Case& c : cases) {
        Player p;
        auto& f = p.start();
        Strings paths;
        for (auto& n : c.names) paths.push_back(p.track(n, 1024));
        p.fill(paths);
        const std::string file = p.home.file("list.m3u");
        save(p, file);
        // One line per entry, in the order added, CR LF after each.
        EXPECT_EQ(testsupport::readFile(file), Player::lines(paths)) << c.what;

        p.fill({p.track("other.mp3", 1)});
        load(p, file);
        EXPECT_EQ(Player::items(f.lstFiles), paths) << c.what;
        EXPECT_EQ(f.List1.listCount(), 0) << c.what;  // the builder makes the lines
        EXPECT_EQ(f.Timer3.enabled(), !paths.empty()) << c.what;
        p.runBuilder();
        ASSERT_EQ(f.List1.listCount(), static_cast<long>(paths.size())) << c.what;
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(f.List1.list(static_cast<long>(i)), player::DisplayLine(paths[i])) << c.what;
        EXPECT_EQ(f.List2.listCount(), f.List1.listCount()) << c.what;
        EXPECT_EQ(p.env.dialogs.pending(), 0u);
    }
}

// Lists as other players write them: header and title lines, blank lines,
// paths relative to the list's folder, file URIs, either line end.
TEST(PlaylistFiles, ListsOfOtherPlayersLoadAsTheyMeanThem) {
    struct Case {
        const char* what;
        std::string text;  // "@" stands for the home folder, "~" for its file URI
        Strings entries;   // "@" as above
    } cases[] = {
        {"an extended list with CR LF", "#EXTM3U\r\n#EXTINF:215,Band - Song\r\n@/music/a b.mp3\r\n\r\n",
         {"@/music/a b.mp3"}},
        {"an extended list with LF", "#EXTM3U\n#EXTINF:12,Artist0 - Title tr\n@/music/a b.mp3\n#EXTINF:-1,x\n",
         {"@/music/a b.mp3"}},
        {"paths relative to the list's folder", "../music/a b.mp3\nsub/c.mp3\r\n", {"@/lists/../music/a b.mp3", "@/lists/sub/c.mp3"}},
        {"file URIs, escaped and UTF-8", "~/music/a%20b.mp3\r\n~/music/caf%C3%A9.mp3\r\n",
         {"@/music/a b.mp3", "@/music/caf\xC3\xA9.mp3"}},
        {"a missing file keeps its entry", "@/music/gone.mp3\n", {"@/music/gone.mp3"}},
        {"a stream address is taken whole", "http://radio.example/live.mp3\n", {"http://radio.example/live.mp3"}},
        {"blank lines and a last line without its end", "\n  \r\n\t\n@/music/a b.mp3", {"@/music/a b.mp3"}},
        {"only comments", "#EXTM3U\r\n# a note\r\n", {}},
        {"names that are not UTF-8, escaped or not", "~/music/x%E9%FF.mp3\n../music/x\xE9\xFF.mp3\n",
         {"@/music/x\xE9\xFF.mp3", "@/lists/../music/x\xE9\xFF.mp3"}},
        {"file URIs of localhost, or not escaped", "file://localhost@/music/caf%C3%A9.mp3\n~/music/caf\xC3\xA9.mp3\n",
         {"@/music/caf\xC3\xA9.mp3", "@/music/caf\xC3\xA9.mp3"}},
        {"full paths, the original platform's and other hosts' are taken whole",
         "@/music/a b.mp3\r\nC:\\Music\\y.mp3\r\nfile://server/share/z.mp3\r\n",
         {"@/music/a b.mp3", "C:\\Music\\y.mp3", "file://server/share/z.mp3"}},
        {"a byte-order mark before the header", "\xEF\xBB\xBF#EXTM3U\n./sub/c.mp3\n", {"@/lists/./sub/c.mp3"}},
        {"file URIs whose names hold an escaped separator or NUL name no file",
         "~/lists/sub%2F..%2F..%2Fmusic%2Fa%20b.mp3\n~/music/a%20b.mp3%00.txt\n",
         {"~/lists/sub%2F..%2F..%2Fmusic%2Fa%20b.mp3", "~/music/a%20b.mp3%00.txt"}},
    };
    auto expand = [](std::string s, const std::string& home) {
        for (std::size_t at; (at = s.find('~')) != std::string::npos;) s.replace(at, 1, "file://" + home);
        for (std::size_t at; (at = s.find('@')) != std::string::npos;) s.replace(at, 1, home);
        return s;
    };
    for (const Case& c : cases) {
        for (bool fromCommandLine : {false, true}) {
            Player p;
            const std::string home = p.home.path();
            p.track("a b.mp3", 1024);
            p.track("caf\xC3\xA9.mp3", 1024);
            p.track("x\xE9\xFF.mp3", 1);
            std::filesystem::create_directories(home + "/lists/sub");
            testsupport::writeFile(home + "/lists/sub/c.mp3", "x");
            const std::string file = home + "/lists/theirs.m3u";
            testsupport::writeFile(file, expand(c.text, home));
            Strings want;
            for (const auto& e : c.entries) want.push_back(expand(e, home));
            const std::string how = std::string(c.what) + (fromCommandLine ? ", command line" : ", Load");
            if (fromCommandLine) runtime::App::setForTest(p.app.path(), {file});
            auto& f = p.start();
            if (!fromCommandLine) load(p, file);
            EXPECT_EQ(Player::items(f.lstFiles), want) << how;
            EXPECT_EQ(f.Timer3.enabled(), !want.empty()) << how;
            p.runBuilder();
            ASSERT_EQ(f.List1.listCount(), static_cast<long>(want.size())) << how;
            for (std::size_t i = 0; i < want.size(); ++i)
                EXPECT_EQ(f.List1.list(static_cast<long>(i)), player::DisplayLine(want[i])) << how;
            // Saved again, the list holds one full path per line.
            save(p, home + "/ours.m3u");
            EXPECT_EQ(testsupport::readFile(home + "/ours.m3u"), Player::lines(want)) << how;
        }
    }
}

// A line holding a NUL byte names no file, though the part before the NUL
// names one (a file, a folder): whichever way it comes in, it is listed as the
// missing file it is, keeps its bytes, and a double click on it plays nothing.
TEST(PlaylistFiles, ALineHoldingANulIsAMissingFileWhereverItComesFrom) {
    enum class Way { Load, CommandLine, SavedPlaylist, Drop };
    const std::pair<Way, const char*> ways[] = {
        {Way::Load, "Load"}, {Way::CommandLine, "a list on the command line"},
        {Way::SavedPlaylist, "the playlist saved at exit"}, {Way::Drop, "a drop"}};
    for (const auto& [way, what] : ways) {
        Player p;
        const std::string nul(1, '\0');
        const Strings paths = {p.track("a.mp3", 3) + nul + "junk", p.home.file("music") + nul + nul};
        const std::string list = p.home.file("nul.m3u");
        testsupport::writeFile(list, Player::lines(paths));
        if (way == Way::CommandLine) runtime::App::setForTest(p.app.path(), {list});
        if (way == Way::SavedPlaylist) testsupport::writeFile(p.app.file("Path.m3u"), Player::lines(paths));
        auto& f = p.start();
        if (way == Way::Load) load(p, list);
        if (way == Way::Drop) f.dropFiles(paths);
        p.runBuilder();
        EXPECT_EQ(Player::items(f.lstFiles), paths) << what;
        ASSERT_EQ(f.List2.listCount(), 2) << what;
        for (long i = 0; i < 2; ++i) {
            const std::string line = f.List2.list(i);
            EXPECT_TRUE(line.ends_with(" - ")) << what << ": no size for " << line;
            f.List2.doubleClickItem(i);
            EXPECT_EQ(p.media->fileName(), f.lstFiles.text()) << what;
            EXPECT_NE(p.media->playState(), media::Playing) << what << ": " << line;
        }
    }
}

TEST(PlaylistFiles, AnEmptyFileEmptiesTheListsAndStartsNoBuilder) {
    Player p;
    auto& f = p.start();
    p.fill({p.track("a.mp3", 10)});
    const std::string file = p.home.file("empty.m3u");
    testsupport::writeFile(file, "");
    load(p, file);
    EXPECT_EQ(f.lstFiles.listCount(), 0);
    EXPECT_EQ(f.List1.listCount(), 0);
    EXPECT_EQ(f.List2.listCount(), 0);
    EXPECT_FALSE(f.Timer3.enabled());
}

TEST(PlaylistFiles, CancelChangesNothing) {
    Player p;
    auto& f = p.start();
    const std::string a = p.track("a.mp3", 10);
    p.fill({a});
    p.env.dialogs.answerFileDialog({});
    f.mnusaveplaylist.choose();
    p.env.dialogs.answerFileDialog({});
    f.mnuplaylistload.choose();
    EXPECT_EQ(Player::items(f.lstFiles), Strings{a});
    EXPECT_EQ(f.List2.listCount(), 1);
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_EQ(p.env.dialogs.shown().size(), 2u);  // the two dialogs and no message
}

TEST(PlaylistFiles, AFileThatCannotBeReadKeepsThePlaylist) {
    Player p;
    auto& f = p.start();
    const std::string a = p.track("a.mp3", 10);
    p.fill({a});
    const std::string present = p.home.file("present.m3u");
    testsupport::writeFile(present, "/m/x.mp3\r\n");
    struct Case {
        const char* what;
        std::string path;
        bool holdNumberOne;
        std::string description;
    } cases[] = {
        {"missing", p.home.file("none.m3u"), false, "File not found"},
        {"file number 1 held elsewhere", present, true, "File already open"},
    };
    for (const Case& c : cases) {
        if (c.holdNumberOne) runtime::Files().Open(p.home.file("held.txt"), runtime::OpenMode::Output, 1);
        p.env.dialogs.reset();
        p.env.dialogs.answerFileDialog(chosen(c.path));
        p.env.dialogs.answerMessageBox(forms::vbOK);
        f.mnuplaylistload.choose();
        runtime::Files().Close(1);
        EXPECT_EQ(Player::items(f.lstFiles), Strings{a}) << c.what;
        EXPECT_EQ(f.List1.listCount(), 1) << c.what;
        EXPECT_EQ(f.List2.listCount(), 1) << c.what;
        EXPECT_FALSE(f.Timer3.enabled()) << c.what;
        ASSERT_EQ(p.env.dialogs.shown().size(), 2u) << c.what;
        const auto& box = p.env.dialogs.shown()[1].message;
        // The error's own description follows (it may name the path and the system's reason).
        EXPECT_EQ(box.prompt.rfind("Could not load file '" + c.path + "'\r\n\r\n" + c.description, 0), 0u)
            << box.prompt;
        EXPECT_EQ(box.buttons, forms::vbInformation | forms::vbOKOnly) << c.what;
        EXPECT_EQ(box.title, runtime::App::Title()) << c.what;
    }
}

TEST(PlaylistFiles, AFailedSaveSaysSoAndLeavesTheOldFileWhole) {
    Player p;
    auto& f = p.start();
    p.fill({p.track("a.mp3", 10), p.track("b.mp3", 10)});
    const std::string file = p.home.file("kept.m3u");
    testsupport::writeFile(file, "/old/one.mp3\r\n/old/two.mp3\r\n");
    runtime::detail::FailNextReplace(ENOSPC);
    p.env.dialogs.answerFileDialog(chosen(file));
    p.env.dialogs.answerMessageBox(forms::vbOK);
    f.mnusaveplaylist.choose();
    EXPECT_EQ(testsupport::readFile(file), "/old/one.mp3\r\n/old/two.mp3\r\n");
    ASSERT_EQ(p.env.dialogs.shown().size(), 2u);
    const auto& box = p.env.dialogs.shown()[1].message;
    EXPECT_EQ(box.prompt.rfind("Could not save file '" + file + "'\r\n\r\n", 0), 0u) << box.prompt;
    EXPECT_GT(box.prompt.size(), ("Could not save file '" + file + "'\r\n\r\n").size());  // with the reason
    EXPECT_EQ(box.buttons, forms::vbCritical);
    EXPECT_EQ(box.title, runtime::App::Title());

    // A folder that does not exist: the message too, and nothing is made.
    const std::string nowhere = p.home.file("no/such/folder/list.m3u");
    p.env.dialogs.reset();
    p.env.dialogs.answerFileDialog(chosen(nowhere));
    p.env.dialogs.answerMessageBox(forms::vbOK);
    f.mnusaveplaylist.choose();
    EXPECT_FALSE(testsupport::exists(nowhere));
    ASSERT_EQ(p.env.dialogs.shown().size(), 2u);
    EXPECT_EQ(p.env.dialogs.shown()[1].message.prompt.rfind("Could not save file '" + nowhere + "'", 0), 0u);

    // An existing file is replaced without asking.
    p.env.dialogs.reset();
    save(p, file);
    EXPECT_EQ(testsupport::readFile(file), Player::lines(Player::items(f.lstFiles)));
    EXPECT_EQ(p.env.dialogs.shown().size(), 1u);
}

TEST(PlaylistFiles, TheDialogsAsTheUserSeesThem) {
    Player p;
    auto& f = p.start();
    f.CommonDialog1.setFileName("/left/over.m3u");
    p.env.dialogs.answerFileDialog({});
    f.mnusaveplaylist.choose();
    p.env.dialogs.answerFileDialog({});
    f.mnuplaylistload.choose();
    ASSERT_EQ(p.env.dialogs.shown().size(), 2u);

    const forms::FileDialogRequest& s = p.env.dialogs.shown()[0].file;
    EXPECT_TRUE(s.save);
    EXPECT_EQ(s.title, "Save Play list.");
    EXPECT_EQ(s.fileName, "");
    ASSERT_EQ(s.filters.size(), 1u);
    EXPECT_EQ(s.filters[0].description, "Korvane Media Player Play List *.m3u");
    EXPECT_EQ(s.filters[0].patterns, "*.m3u");
    EXPECT_EQ(s.defaultExt, ".m3u");
    EXPECT_FALSE(s.overwritePrompt);

    const forms::FileDialogRequest& l = p.env.dialogs.shown()[1].file;
    EXPECT_FALSE(l.save);
    EXPECT_EQ(l.title, "Load Play list.");
    EXPECT_EQ(l.fileName, "");
    ASSERT_EQ(l.filters.size(), 1u);
    // Lists other players save as ".m3u8" are offered too.
    EXPECT_EQ(l.filters[0].description, "Play List *.m3u;*.m3u8");
    EXPECT_EQ(l.filters[0].patterns, "*.m3u;*.m3u8");
    EXPECT_FALSE(l.fileMustExist);
    EXPECT_FALSE(l.multiSelect);
    // The control keeps what the last command set: Load sets no extension of its own.
    EXPECT_EQ(l.defaultExt, ".m3u");
    EXPECT_EQ(f.CommonDialog1.maxFileSize(), 16384);
}

}  // namespace
