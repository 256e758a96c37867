// The search box: typed text selects the first sorted line that begins with
// it; Enter hides the box and plays; F3 shows and hides it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"

namespace {

using playertest::Player;
using Lines = std::vector<std::string>;

// Puts display lines straight into the visible list (the search reads only it).
void lines(player::Form2& f, const Lines& l) {
    f.List2.clear();
    f.List2.addItems(l);
}

TEST(SearchBox, TheTableOfKeys) {
    Player p;
    auto& f = p.start();
    lines(f, {"Abba - 3 MB", "Beatles - 4 MB", "Bee Gees - 5 MB"});
    struct Case {
        const char* key;
        const char* selected;
    } cases[] = {
        {"b", "Beatles - 4 MB"}, {"bee", "Bee Gees - 5 MB"}, {"bx", "Bee Gees - 5 MB"},  // no match: stays
        {"A", "Abba - 3 MB"},    {"beatles - 4 mb", "Beatles - 4 MB"}, {"", "Beatles - 4 MB"},
    };
    for (const Case& c : cases) {
        f.Text1.setText(c.key);
        EXPECT_EQ(f.List2.text(), c.selected) << c.key;
    }
    EXPECT_FALSE(f.keyPreview());
}

TEST(SearchBox, OneLineTwoLinesAndNone) {
    Player p;
    auto& f = p.start();
    f.Text1.setText("x");  // an empty list: nothing to select, nothing fails
    EXPECT_EQ(f.List2.listIndex(), -1);

    lines(f, {"Solo - 1 KB"});
    f.Text1.setText("t");
    EXPECT_EQ(f.List2.listIndex(), -1);
    f.Text1.setText("so");
    EXPECT_EQ(f.List2.listIndex(), 0);

    lines(f, {"One - 1 KB", "Two - 1 KB"});
    f.Text1.setText("o");
    EXPECT_EQ(f.List2.listIndex(), 0);
    f.Text1.setText("t");
    EXPECT_EQ(f.List2.listIndex(), 1);
    f.List2.setListIndex(-1);
    f.Text1.setText("z");
    EXPECT_EQ(f.List2.listIndex(), -1);
}

TEST(SearchBox, FortyThousandLines) {
    Player p;
    auto& f = p.start();
    Lines many;
    char buf[32];
    for (int i = 0; i < 40000; ++i) {
        std::snprintf(buf, sizeof buf, "Song %05d - 1 KB", i);
        many.push_back(buf);
    }
    lines(f, many);
    for (int i : {0, 1, 32766, 32767, 32768, 39998, 39999}) {
        std::snprintf(buf, sizeof buf, "song %05d", i);
        f.Text1.setText(buf);
        EXPECT_EQ(f.List2.listIndex(), i) << i;
    }
    f.Text1.setText("song 4");  // no line begins with it: the selection stays
    EXPECT_EQ(f.List2.listIndex(), 39999);
    f.Text1.setText("song 3");
    EXPECT_EQ(f.List2.listIndex(), 30000);
}

TEST(SearchBox, EnterHidesTheBoxAndPlaysTheFoundEntry) {
    Player p;
    auto& f = p.start();
    std::string a = p.track("Alpha.mp3", 1), b = p.track("Bravo.mp3", 2);
    p.fill({a, b});
    f.mnusearch.choose();  // shown at start: hidden, then shown empty with the focus
    f.mnusearch.choose();
    ASSERT_TRUE(f.Text1.visible());
    f.typeText("br");
    EXPECT_EQ(f.Text1.text(), "br");
    EXPECT_EQ(f.List2.text(), "Bravo - 2 Bytes");
    f.typeKey(forms::vbKeyReturn, 0, 13);
    EXPECT_FALSE(f.Text1.visible());
    EXPECT_EQ(p.media->fileName(), b);
}

TEST(SearchBox, AClickEmptiesTheBox) {
    Player p;
    auto& f = p.start();
    lines(f, {"Abba - 3 MB"});
    f.Text1.setText("ab");
    f.Text1.click();
    EXPECT_EQ(f.Text1.text(), "");
    EXPECT_EQ(f.List2.listIndex(), 0);
}

TEST(SearchBox, F3ShowsTheBoxEmptyWithTheFocusThenHidesIt) {
    Player p;
    auto& f = p.start();
    EXPECT_TRUE(f.Text1.visible());  // shown at start, holding "Search Track"
    EXPECT_EQ(f.Text1.text(), "Search Track");
    f.mnusearch.choose();
    EXPECT_FALSE(f.Text1.visible());
    f.typeKey(forms::vbKeyF(3));
    EXPECT_TRUE(f.Text1.visible());
    EXPECT_EQ(f.Text1.text(), "");
    EXPECT_EQ(f.activeControl(), &f.Text1);
    f.typeKey(forms::vbKeyF(3));
    EXPECT_FALSE(f.Text1.visible());
}

TEST(SearchBox, ADigitTypedWithTheBoxOpenGoesIntoIt) {
    Player p;
    auto& f = p.start();
    lines(f, {"1999 - 1 KB", "2001 - 2 KB"});
    f.mnusearch.choose();
    f.mnusearch.choose();
    f.typeText("2");
    EXPECT_EQ(f.Text1.text(), "2");
    EXPECT_EQ(f.List2.text(), "2001 - 2 KB");
}

TEST(SearchBox, ASelectionWithTheBoxOpenKeepsKeysInIt) {
    Player p;
    auto& f = p.start();
    p.fill({p.track("a.mp3"), p.track("b.mp3")});
    f.Text1.setVisible(true);
    f.List2.setListIndex(1);
    EXPECT_FALSE(f.keyPreview());
    f.Text1.setVisible(false);
    f.List2.setListIndex(0);
    EXPECT_TRUE(f.keyPreview());
}

}  // namespace

// Text typed while the real builder lists a playlist: the box selects among
// the lines listed so far, follows as more come, and the line it selected
// is the entry Enter plays, also after the listing has ended.
TEST(SearchBox, TypedWhileTheBuilderListsTheLines) {
    Player p;
    auto& f = p.start();
    f.BuilderSlice = std::chrono::microseconds(0);  // one line per tick
    // Listed in reverse order: "Song 59" first, "Song 4" (the first line
    // that begins with "song 4") near the end.
    std::vector<std::string> paths;
    for (int i = 59; i >= 0; --i) paths.push_back(p.track("Song " + std::to_string(i) + ".mp3", i));
    auto pathOf = [&](const std::string& line) {
        for (long i = 0; i < f.List1.listCount(); ++i)
            if (f.List1.list(i) == line) return f.lstFiles.list(i);
        return std::string("(no entry)");
    };
    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i) p.env.scheduler.advance(1);
    };
    f.mnusearch.choose();  // shown at start: hidden, then shown empty with the focus
    f.mnusearch.choose();
    for (auto& path : paths) f.lstFiles.addItem(path);
    f.Timer3.setEnabled(true);

    f.typeText("song 4");  // nothing listed yet
    EXPECT_EQ(f.List2.listIndex(), -1);
    ticks(5);  // Song 59 .. Song 55: none begins with the key
    EXPECT_EQ(f.List2.listIndex(), -1);
    ticks(6);  // Song 49 has come
    EXPECT_EQ(f.List2.text(), "Song 49 - 49 Bytes");
    ticks(5);  // Song 44 the first of its kind now
    EXPECT_EQ(f.List2.text(), "Song 44 - 44 Bytes");
    EXPECT_EQ(f.lstFiles.text(), pathOf(f.List2.text()));

    f.typeText("5");  // "song 45", listed already
    EXPECT_EQ(f.List2.text(), "Song 45 - 45 Bytes");
    ticks(30);  // down to Song 14: none sorts before "Song 45" with its key
    EXPECT_EQ(f.List2.text(), "Song 45 - 45 Bytes");
    f.typeKey(forms::vbKeyBack, 0, 8);  // back to "song 4": the first such line listed so far
    EXPECT_EQ(f.Text1.text(), "song 4");
    EXPECT_EQ(f.List2.text(), "Song 40 - 40 Bytes");
    EXPECT_EQ(f.lstFiles.text(), pathOf("Song 40 - 40 Bytes"));

    p.runBuilder();  // "Song 4" comes last but four, and the selection follows it
    ASSERT_FALSE(f.Timer3.enabled());
    EXPECT_EQ(f.List2.listCount(), 60);
    EXPECT_EQ(f.List2.text(), "Song 4 - 4 Bytes");
    EXPECT_EQ(f.lstFiles.text(), pathOf("Song 4 - 4 Bytes"));
    f.typeKey(forms::vbKeyReturn, 0, 13);  // after the listing: the line the box selected plays
    EXPECT_EQ(p.media->fileName(), p.track("Song 4.mp3"));
}

// Enter while the listing goes on plays the line selected then; the lines
// that come after it move neither the selection nor the entry.
TEST(SearchBox, EnterWhileTheBuilderListsPlaysTheLineSelectedThen) {
    Player p;
    auto& f = p.start();
    f.BuilderSlice = std::chrono::microseconds(0);
    std::vector<std::string> paths;
    for (const char* n : {"Delta", "Bravo", "Echo", "Alpha", "Charlie", "Foxtrot"}) paths.push_back(p.track(std::string(n) + ".mp3", 1));
    f.mnusearch.choose();
    f.mnusearch.choose();
    for (auto& path : paths) f.lstFiles.addItem(path);
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(2);  // Delta, Bravo
    f.typeText("d");
    f.typeKey(forms::vbKeyReturn, 0, 13);
    EXPECT_EQ(p.media->fileName(), paths[0]);
    p.runBuilder();
    EXPECT_EQ(f.List2.text(), "Delta - 1 Bytes");
    EXPECT_EQ(f.lstFiles.text(), paths[0]);
    f.mnupopupplay.choose();
    EXPECT_EQ(p.media->fileName(), paths[0]);
}
