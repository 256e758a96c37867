// The playlist triple: display lines, the builder a slice of entries per
// tick, the selection chain and the Songs submenu.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"

namespace {

using playertest::Player;

TEST(DisplayLine, SizeTexts) {
    struct Case {
        std::int64_t bytes;
        const char* text;
    } cases[] = {
        {0, " Bytes"},          {1003, "1,003 Bytes"},   {1004, ".98 KB"},       {1024, "1 KB"},
        {1536, "1.5 KB"},       {1027603, "1003.52 KB"}, {1027604, ".98 MB"},    {1048576, "1 MB"},
        {3150000, "3 MB"},      {3200000, "3.05 MB"},    {3670016, "3.5 MB"},
    };
    for (const Case& c : cases) EXPECT_EQ(player::SizeText(c.bytes), c.text) << c.bytes;
}

TEST(DisplayLine, TitlesAndUnmeasurableFiles) {
    testsupport::TempDir d;
    for (auto [name, title] : {std::pair{"a.mp3", "a"}, {".mp3", ".mp3"}, {"abc", "abc"}, {"Song.mp3", "Song"}}) {
        testsupport::writeFile(d.file(name), std::string(1536, 'x'));
        EXPECT_EQ(player::DisplayLine(d.file(name)), std::string(title) + " - 1.5 KB") << name;
    }
    EXPECT_EQ(player::DisplayLine(d.file("gone.mp3")), "gone - ");
}

TEST(Builder, OneEntryPerTickThenStops) {
    Player p;
    auto& f = p.form2();
    f.BuilderSlice = {};  // every tick makes one line at least, and with no slice no more
    std::vector<std::string> paths = {p.track("Zed.mp3", 2048), p.track("alpha.mp3", 1024), p.track("Mid.mp3", 0)};
    for (auto& s : paths) f.lstFiles.addItem(s);
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(1);
    EXPECT_EQ(f.List1.listCount(), 1);
    EXPECT_FALSE(f.List2.enabled());
    p.env.scheduler.advance(1);
    p.env.scheduler.advance(1);
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_TRUE(f.List2.enabled());
    EXPECT_EQ(Player::items(f.List1), (std::vector<std::string>{"Zed - 2 KB", "alpha - 1 KB", "Mid -  Bytes"}));
    EXPECT_EQ(Player::items(f.List2), (std::vector<std::string>{"alpha - 1 KB", "Mid -  Bytes", "Zed - 2 KB"}));
    EXPECT_EQ(f.lstFiles.listIndex(), 2);  // the last entry is current when the build ends
}

TEST(Builder, EmptyStartStopsAtOnce) {
    Player p;
    auto& f = p.form2();
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(1);
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_TRUE(f.List2.enabled());
    EXPECT_EQ(f.List1.listCount(), 0);
}

TEST(Builder, ATickBuildsWhileItsSliceLastsAndEntriesAppendedMeanwhileFollow) {
    Player p;
    auto& f = p.form2();
    // A clock that moves 1 ms each time it is read: a 4 ms slice makes four lines.
    std::chrono::steady_clock::time_point now{};
    f.BuilderClock = [&now] { return now += std::chrono::milliseconds(1); };
    f.BuilderSlice = std::chrono::milliseconds(4);
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i) paths.push_back(p.track("t" + std::to_string((i * 5) % 9) + ".mp3", 100 + i));
    for (int i = 0; i < 6; ++i) f.lstFiles.addItem(paths[static_cast<std::size_t>(i)]);
    f.Timer3.setEnabled(true);

    auto inStep = [&](long built) {
        ASSERT_EQ(f.List1.listCount(), built);
        std::vector<std::string> lines;
        for (long i = 0; i < built; ++i) lines.push_back(player::DisplayLine(f.lstFiles.list(i)));
        EXPECT_EQ(Player::items(f.List1), lines);
        std::stable_sort(lines.begin(), lines.end(),
                         [](const std::string& a, const std::string& b) { return forms::listCompare(a, b) < 0; });
        EXPECT_EQ(Player::items(f.List2), lines);
    };
    p.env.scheduler.advance(1);
    inStep(4);
    EXPECT_FALSE(f.List2.enabled());
    for (int i = 6; i < 9; ++i) f.lstFiles.addItem(paths[static_cast<std::size_t>(i)]);
    f.Timer3.setEnabled(true);  // started again while it runs: the build goes on to the new end
    p.env.scheduler.advance(1);
    inStep(8);
    EXPECT_TRUE(f.Timer3.enabled());
    p.env.scheduler.advance(1);
    inStep(9);
    EXPECT_FALSE(f.Timer3.enabled());
    EXPECT_TRUE(f.List2.enabled());
}

TEST(Builder, MovingTheCurrentEntryMidBuildKeepsTheListsInStep) {
    Player p;
    auto& f = p.form2();
    f.BuilderSlice = {};  // one line per tick, so the moves fall between lines
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) paths.push_back(p.track("t" + std::to_string(i) + ".mp3", 100 + i));
    for (auto& s : paths) f.lstFiles.addItem(s);
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(1);
    p.env.scheduler.advance(1);
    f.lstFiles.setListIndex(4);  // playback moved on meanwhile
    p.env.scheduler.advance(1);
    f.lstFiles.setListIndex(0);
    p.runBuilder();
    ASSERT_EQ(f.List1.listCount(), f.lstFiles.listCount());
    ASSERT_EQ(f.List2.listCount(), f.lstFiles.listCount());
    for (long i = 0; i < f.lstFiles.listCount(); ++i)
        EXPECT_EQ(f.List1.list(i), player::DisplayLine(f.lstFiles.list(i)));
    for (long i = 1; i < f.List2.listCount(); ++i) EXPECT_LE(forms::listCompare(f.List2.list(i - 1), f.List2.list(i)), 0);
}

TEST(SelectionChain, DuplicateLinesMapToTheFirstEntry) {
    Player p;
    auto& f = p.form2();
    std::string a = p.track("one/Same.mp3", 10), b = p.track("two/Same.mp3", 10), c = p.track("Other.mp3", 10);
    p.fill({a, c, b});
    for (long i = 0; i < f.List2.listCount(); ++i) {
        if (f.List2.list(i) != "Same - 10 Bytes") continue;
        f.List2.setListIndex(i);
        EXPECT_EQ(f.lstFiles.text(), a);
    }
}

TEST(SelectionChain, KeyPreviewFollowsTheSearchBox) {
    Player p;
    auto& f = p.form2();
    p.fill({p.track("a.mp3", 1)});
    f.Text1.setVisible(true);
    f.List2.setListIndex(0);
    EXPECT_FALSE(f.keyPreview());
    f.Text1.setVisible(false);
    f.List2.setListIndex(0);
    EXPECT_TRUE(f.keyPreview());
}

TEST(SelectionChain, SongsSubmenuListsTheFolder) {
    Player p;
    auto& f = p.form2();
    std::vector<std::string> five;
    for (auto n : {"e.mp3", "a.MP3", "c.mp3", "b.mp3", "d.Mp3"}) five.push_back(p.track("full/" + std::string(n), 1));
    p.track("full/.hidden.mp3", 1);
    p.track("full/notes.txt", 1);
    std::string lone = p.track("empty/x.wav", 1);
    p.fill({five[0], lone});

    f.List2.setListIndex(0);  // "e - 1 Bytes" sorts before "x - ..."
    ASSERT_EQ(f.lstFiles.text(), five[0]);
    // A selection lists nothing: the submenu is filled as it opens.
    EXPECT_EQ(f.SongsMenuCount, 0);
    EXPECT_EQ(f.mnuLevel1(0).caption(), "Songs");
    f.mnusongs.aboutToShow();
    EXPECT_EQ(f.SongsMenuCount, 5);
    std::vector<std::string> captions;
    for (int i = 0; i < 5; ++i) captions.push_back(f.mnuLevel1(i).caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"a.MP3", "b.mp3", "c.mp3", "d.Mp3", "e.mp3"}));
    EXPECT_FALSE(f.mnuLevel1.exists(5));

    f.List2.setListIndex(1);
    EXPECT_EQ(f.SongsMenuCount, 5);
    f.mnusongs.aboutToShow();
    EXPECT_EQ(f.SongsMenuCount, 0);
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(f.mnuLevel1.exists(i)) << i;
    EXPECT_EQ(f.mnuLevel1(0).caption(), "[No Files]");

    // Back in the first folder, a file added since shows at the next opening.
    f.List2.setListIndex(0);
    f.mnusongs.aboutToShow();
    EXPECT_EQ(f.SongsMenuCount, 5);
    std::filesystem::last_write_time(p.home.file("music/full"),
                                     std::filesystem::last_write_time(p.home.file("music/full")) - std::chrono::seconds(5));
    p.track("full/f.mp3", 1);
    f.mnusongs.aboutToShow();
    EXPECT_EQ(f.SongsMenuCount, 6);
    EXPECT_EQ(f.mnuLevel1(5).caption(), "f.mp3");
}

// The counter of the submenu's items is 16 bits wide: a folder of more
// files lists as many as it holds, and the next folder empties it again.
TEST(SelectionChain, SongsSubmenuOfMoreFilesThanItsCounterHolds) {
    Player p;
    auto& f = p.form2();
    const std::string big = p.track("big/0.mp3", 0);
    for (int i = 1; i < 32770; ++i) testsupport::writeFile(p.home.file("music/big/" + std::to_string(i) + ".mp3"), "");
    const std::string other = p.track("other/x.mp3", 1);
    p.fill({big, other});
    f.List2.setListIndex(0);
    f.mnusongs.aboutToShow();
    EXPECT_EQ(f.SongsMenuCount, 32767);
    EXPECT_FALSE(f.mnuLevel1.exists(32767));
    f.List2.setListIndex(1);
    f.mnusongs.aboutToShow();
    EXPECT_EQ(f.SongsMenuCount, 1);
    EXPECT_FALSE(f.mnuLevel1.exists(1));
    EXPECT_EQ(f.mnuLevel1(0).caption(), "x.mp3");
}

}  // namespace
