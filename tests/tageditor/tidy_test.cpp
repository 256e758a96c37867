// The tag editor's tidy run, rating stars, ID3v1 length meter and copyright
// sign, driven on the manual clock as the user meets them.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "editor_fixture.hpp"

namespace {

using editortest::Editor;

// Label2's captions as the run shows them, one entry per change, read every
// millisecond until Timer2 stops (or `limitMs` passes).
std::vector<std::string> runCaptions(Editor& e, long limitMs = 2000) {
    auto& f = e.form();
    std::vector<std::string> seen;
    std::string last = f.Label2.caption();
    for (long ms = 0; ms < limitMs && f.Timer2.enabled(); ++ms) {
        e.env().scheduler.advance(1);
        if (f.Label2.caption() != last) seen.push_back(last = f.Label2.caption());
    }
    return seen;
}

// Advances until pr1 has moved `ticks` times.
void runTicks(Editor& e, int ticks) {
    auto& f = e.form();
    for (int done = 0; done < ticks;) {
        const float before = f.pr1.value();
        e.env().scheduler.advance(1);
        if (f.pr1.value() != before) ++done;
    }
}

std::array<bool, 7> pictures(tageditor::Form1& f) {
    return {f.Star1.visible(), f.Star2.visible(), f.Star3.visible(), f.Star4.visible(),
            f.Star5.visible(), f.Head1.visible(), f.Head2.visible()};
}

TEST(EditorTidy, ARunCountsAHundredTicksToUpdatedAndTrimsOneBlankPerBoxPerTick) {
    Editor e;
    auto& f = e.form();  // the load starts a run
    ASSERT_TRUE(f.Timer2.enabled());
    f.txtTitle.setText("Song   ");
    f.txtartist.setText("Band ");
    f.txtalbum.setText("Disc");
    f.txtComments.setText("Note  ");
    f.txtTitleV2.setText("Other box ");  // not trimmed

    runTicks(e, 1);
    EXPECT_EQ(f.pr1.value(), 1);
    EXPECT_EQ(f.Label2.caption(), "1%");
    EXPECT_EQ(f.txtTitle.text(), "Song  ");
    EXPECT_EQ(f.txtartist.text(), "Band");
    EXPECT_EQ(f.txtComments.text(), "Note ");
    runTicks(e, 2);
    EXPECT_EQ(f.txtTitle.text(), "Song");
    EXPECT_EQ(f.txtComments.text(), "Note");
    EXPECT_EQ(f.txtalbum.text(), "Disc");
    EXPECT_EQ(f.txtTitleV2.text(), "Other box ");

    std::vector<std::string> seen = runCaptions(e);
    std::vector<std::string> expected;
    for (int i = 4; i <= 99; ++i) expected.push_back(std::to_string(i) + "%");
    expected.push_back("Updated");  // "100%" is never seen
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(f.pr1.value(), 100);
    EXPECT_EQ(f.pr1.max(), 100);

    // Outside a run trailing blanks stay.
    f.txtTitle.userEdited("Typed ");
    e.env().scheduler.advance(100);
    EXPECT_EQ(f.txtTitle.text(), "Typed ");
}

TEST(EditorTidy, UpdateRestartsTheRunFromNothing) {
    Editor e;
    auto p = e.mp3("a.mp3");
    auto& f = e.open(p);
    runCaptions(e);  // the load's run ends
    f.Command2.click();
    ASSERT_EQ(e.shownCount(), 0u);
    EXPECT_EQ(f.pr1.value(), 0);
    EXPECT_TRUE(f.Timer2.enabled());
    runTicks(e, 40);
    EXPECT_EQ(f.Label2.caption(), "40%");
    f.Command2.click();  // again, mid-run
    EXPECT_EQ(f.pr1.value(), 0);
    std::vector<std::string> seen = runCaptions(e);
    ASSERT_EQ(seen.size(), 100u);
    EXPECT_EQ(seen.front(), "1%");
    EXPECT_EQ(seen.back(), "Updated");
}

// What the user types at the front of the comment and lyrics boxes stays, and
// the end of a run neither reads a rating from the comment nor cuts its
// first character.
TEST(EditorTidy, TypedTextKeepsItsFrontAndTheRunReadsNoRating) {
    struct Case {
        const char* comment;
        const char* lyrics;
    };
    const Case cases[] = {
        {"80s hits", "english words"},
        {"5 stars", "engeng"},
        {"nt note", "eng"},
        {"engineered", "ntlyrics"},
        {"0text", "3nice"},
    };
    for (const Case& c : cases) {
        Editor e;
        auto& f = e.form();
        f.Combo2.chooseItem(3);  // "Good", chosen by the user
        f.txtCommentV2.userEdited(c.comment);
        f.txtlyrics.userEdited(c.lyrics);
        runCaptions(e);
        e.env().scheduler.advance(50);  // the meter ticks on
        EXPECT_EQ(f.txtCommentV2.text(), c.comment);
        EXPECT_EQ(f.txtlyrics.text(), c.lyrics);
        EXPECT_EQ(f.Combo2.text(), "Good") << c.comment;
        EXPECT_EQ(pictures(f), (std::array<bool, 7>{true, true, true, false, false, false, false})) << c.comment;
    }
}

TEST(EditorTidy, TheStarTableFollowsCombo2sText) {
    using P = std::array<bool, 7>;
    const std::vector<std::pair<long, P>> table = {
        {0, P{}},  // Unrated
        {1, P{true, true, true, true, true, false, false}},
        {2, P{true, true, true, true, false, false, false}},
        {3, P{true, true, true, false, false, false, false}},
        {4, P{true, true, false, false, false, false, false}},
        {5, P{true, false, false, false, false, false, false}},
        {6, P{false, false, false, false, false, true, true}},
    };
    Editor e;
    auto& f = e.form();
    EXPECT_EQ(pictures(f), P{});
    for (const auto& [index, shown] : table) {
        f.Combo2.chooseItem(index);
        EXPECT_EQ(pictures(f), shown) << f.Combo2.text();
    }
    // No selection hides every picture.
    f.Combo2.chooseItem(6);
    f.Combo2.setListIndex(-1);
    EXPECT_EQ(pictures(f), P{});

    // The end of a run applies the table again.
    f.Combo2.chooseItem(4);  // Fair
    f.Star1.setVisible(false);
    f.Head1.setVisible(true);
    runCaptions(e);
    EXPECT_EQ(pictures(f), table[4].second);
}

TEST(EditorTidy, TheMeterCountsTheId3v1TextsAndRefusesMoreThan127) {
    Editor e;
    auto& f = e.form();
    auto meter = [&] {
        e.env().scheduler.advance(5);
        return f.Label3.caption();
    };
    EXPECT_EQ(meter(), "0 of 127");
    EXPECT_EQ(f.p1.max(), 127);

    const std::string thirty(30, 'x');
    f.txtTitle.userEdited(thirty);
    f.txtartist.userEdited(thirty);
    f.txtalbum.userEdited(thirty);
    f.txtYear.userEdited("1999");
    f.Combo1.setText("Jazz");  // the genre name shown counts
    f.txtComments.userEdited(std::string(29, 'c'));
    EXPECT_EQ(meter(), "127 of 127");
    f.txtComments.userEdited(std::string(30, 'c'));  // typing to 128
    EXPECT_EQ(meter(), "127 of 127");
    EXPECT_EQ(f.p1.value(), 127);

    // A paste from 120 to 130 keeps 120; deleting back to 100 shows 100.
    f.Combo1.setText("Classic Rock");              // 12 characters
    f.txtComments.userEdited(std::string(14, 'c'));  // 30 + 30 + 30 + 4 + 12 + 14
    EXPECT_EQ(meter(), "120 of 127");
    f.txtComments.userEdited(std::string(24, 'c'));
    EXPECT_EQ(meter(), "120 of 127");
    f.txtComments.userEdited("");
    f.txtalbum.userEdited(std::string(24, 'a'));
    EXPECT_EQ(meter(), "100 of 127");

    // Characters, not bytes.
    f.txtTitle.userEdited("\u00e9t\u00e9");
    f.txtartist.userEdited("");
    f.txtalbum.userEdited("");
    f.txtYear.userEdited("");
    f.Combo1.setListIndex(0);
    EXPECT_EQ(meter(), "3 of 127");
}

TEST(EditorTidy, TheCopyrightSignGoesInFrontWhenTheBoxLosesTheFocus) {
    const std::vector<std::pair<std::string, std::string>> table = {
        {"2004 Records", "\u00a9 2004 Records"},
        {"\u00a92004", "\u00a92004"},
        {"", ""},
        {" \u00a92004", "\u00a9  \u00a92004"},
    };
    Editor e;
    auto& f = e.form();
    for (const auto& [typed, shown] : table) {
        f.txtCopyright.setFocus();
        f.txtCopyright.userEdited(typed);
        EXPECT_EQ(f.txtCopyright.text(), typed);
        f.txtComposer.setFocus();
        EXPECT_EQ(f.txtCopyright.text(), shown) << typed;
    }
}

}  // namespace
