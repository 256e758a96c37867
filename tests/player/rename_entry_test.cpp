// One playlist entry given another path, as after a rename on disk: the path,
// its List1 line at the same index, and List2's sorted line.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"
#include "runtime/error.hpp"

namespace {

using playertest::Player;

struct Case {
    const char* what;
    long index;        // the entry given the new path
    long selectedIn2;  // List2's line selected before (-1 none)
    const char* newName;
    std::vector<std::string> list2;  // List2 afterwards
    const char* selected;            // List2's selected line afterwards ("" none)
};

TEST(ReplaceEntryPath, ThePathAndBothLinesFollow) {
    const Case cases[] = {
        {"the selected line moves to its new place, still selected", 1, 1, "Zulu.mp3",
         {"alpha - 1 KB", "Yankee - 2 KB", "Zulu - 1.5 KB"}, "Zulu - 1.5 KB"},
        {"another line selected stays selected", 1, 0, "Zulu.mp3",
         {"alpha - 1 KB", "Yankee - 2 KB", "Zulu - 1.5 KB"}, "alpha - 1 KB"},
        {"nothing selected stays so", 0, -1, "aaa.mp3", {"aaa - 1 KB", "Mid - 1.5 KB", "Yankee - 2 KB"}, ""},
        {"the same place", 2, 2, "Zed.mp3", {"alpha - 1 KB", "Mid - 1.5 KB", "Zed - 2 KB"}, "Zed - 2 KB"},
    };
    for (const Case& c : cases) {
        Player p;
        auto& f = p.start();
        const std::vector<std::string> paths = {p.track("alpha.mp3", 1024), p.track("Mid.mp3", 1536),
                                                p.track("Yankee.mp3", 2048)};
        p.fill(paths);
        f.List2.setListIndex(c.selectedIn2);
        // The file is renamed on disk first, so the new line measures it.
        const std::string newPath = p.home.file(std::string("music/") + c.newName);
        std::filesystem::rename(paths[static_cast<std::size_t>(c.index)], newPath);

        f.ReplaceEntryPath(c.index, newPath);
        std::vector<std::string> wantPaths = paths;
        wantPaths[static_cast<std::size_t>(c.index)] = newPath;
        EXPECT_EQ(Player::items(f.lstFiles), wantPaths) << c.what;
        std::vector<std::string> want1;
        for (const std::string& s : wantPaths) want1.push_back(player::DisplayLine(s));
        EXPECT_EQ(Player::items(f.List1), want1) << c.what;
        EXPECT_EQ(Player::items(f.List2), c.list2) << c.what;
        EXPECT_EQ(f.List2.text(), c.selected) << c.what;
        if (*c.selected) {
            EXPECT_EQ(f.lstFiles.text(), wantPaths[static_cast<std::size_t>(f.List1.listIndex())]) << c.what;
        }
    }
}

TEST(ReplaceEntryPath, AnEntryNotYetBuiltGetsOnlyItsPathAndTheBuilderMakesTheLine) {
    Player p;
    auto& f = p.start();
    const std::string a = p.track("a.mp3", 1024), b = p.track("b.mp3", 1024), c = p.track("c.mp3", 2048);
    for (const std::string& s : {a, b}) f.lstFiles.addItem(s);
    f.BuilderSlice = {};  // one line per tick
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(1);  // one line built
    ASSERT_EQ(f.List1.listCount(), 1);
    f.ReplaceEntryPath(1, c);
    EXPECT_EQ(f.List1.listCount(), 1);
    p.runBuilder();
    EXPECT_EQ(Player::items(f.lstFiles), (std::vector<std::string>{a, c}));
    EXPECT_EQ(Player::items(f.List1), (std::vector<std::string>{"a - 1 KB", "c - 2 KB"}));
    EXPECT_EQ(Player::items(f.List2), (std::vector<std::string>{"a - 1 KB", "c - 2 KB"}));
}

TEST(ReplaceEntryPath, AnIndexOutsideTheListIsRefusedAndALineList2LacksIsLeftSo) {
    Player p;
    auto& f = p.start();
    const std::string a = p.track("a.mp3", 1024), b = p.track("b.mp3", 2048);
    p.fill({a});
    for (long bad : {-1L, 1L}) {
        try {
            f.ReplaceEntryPath(bad, b);
            ADD_FAILURE() << bad;
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), runtime::err::InvalidPropertyArrayIndex);
        }
    }
    EXPECT_EQ(Player::items(f.lstFiles), (std::vector<std::string>{a}));

    // A List2 that does not show the old line is not given the new one.
    f.List2.clear();
    f.List2.addItem("other - 1 KB");
    f.ReplaceEntryPath(0, b);
    EXPECT_EQ(Player::items(f.List1), (std::vector<std::string>{"b - 2 KB"}));
    EXPECT_EQ(Player::items(f.List2), (std::vector<std::string>{"other - 1 KB"}));
}

}  // namespace
