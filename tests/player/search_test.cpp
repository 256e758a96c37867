// The search box: typed text selects the first sorted line that begins with
// it; Enter hides the box and plays; F3 shows and hides it.

#include <gtest/gtest.h>

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
