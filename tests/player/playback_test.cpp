// Playback and track stepping: what plays at the end of a track by the
// play-mode flags, next and previous by the stored total, Play After Current,
// pause, seek, mute, opening a file or a URL outside the playlist, and the
// flag toggles.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "forms/application.hpp"
#include "forms/common_dialog.hpp"
#include "forms/dialogs.hpp"
#include "player_fixture.hpp"
#include "runtime/settings.hpp"
#include "testsupport/support.hpp"

namespace {

using playertest::Player;
using Member = media::ScriptedMediaPlayer::Member;
namespace fs = std::filesystem;

// A started window with the playlist a, b, c (lines in that order).
struct Three {
    Player p;
    player::Form2& f;
    std::string a, b, c;
    Three() : f(p.start()) {
        a = p.track("a.mp3", 10);
        b = p.track("b.mp3", 20);
        c = p.track("c.mp3", 30);
        p.fill({c, a, b});  // added out of order: the visible lines are sorted
    }
    // The last name handed to the control ("" when none).
    std::string playing() const {
        auto names = p.media->callsTo("FileName=");
        return names.empty() ? "" : names.back().substr(9);
    }
    void play(long line) { f.List2.doubleClickItem(line); }
    void end() { p.media->endOfStream(); }
    // Appends a path as an adder does, leaving the numbers as they are.
    std::string add(const std::string& name) {
        std::string path = p.track(name, 40);
        f.lstFiles.addItem(path);
        f.Timer3.setEnabled(true);
        p.runBuilder();
        return path;
    }
};

TEST(Playback, TheLinesAreInSortedOrder) {
    Three t;
    ASSERT_EQ(t.f.List2.listCount(), 3);
    t.play(0);
    EXPECT_EQ(t.playing(), t.a);
    EXPECT_EQ(t.f.Label4.caption(), "1");
    EXPECT_EQ(t.f.Label2.caption(), "3");
    EXPECT_EQ(t.f.Text2.text(), t.a);
}

TEST(EndOfStream, WithoutFlagsTheListRunsOnAndWraps) {
    Three t;
    t.play(0);
    std::vector<std::string> order{t.playing()};
    for (int i = 0; i < 3; ++i) {
        t.end();
        order.push_back(t.playing());
    }
    EXPECT_EQ(order, (std::vector<std::string>{t.a, t.b, t.c, t.a}));
    EXPECT_EQ(t.f.Label4.caption(), "1");
}

// Flags: R repeat, T turn off (ends the program: a test of its own), S Shufle, U up.
struct EndCase {
    const char* flags;
    long started;        // line double-clicked
    long expectedLine;   // the line that plays next
    const char* number;  // Label4 afterwards
};

class EndOfStreamTable : public ::testing::TestWithParam<EndCase> {};

TEST_P(EndOfStreamTable, ChoosesByTheFlags) {
    const EndCase& k = GetParam();
    Three t;
    for (const char* c = k.flags; *c; ++c) {
        if (*c == 'R') t.f.mnurepeat_Click();
        if (*c == 'S') t.f.mnushufle_Click();
        if (*c == 'U') t.f.mnuuplist_Click();
    }
    t.play(k.started);
    // The user selecting another line meanwhile changes nothing.
    t.f.List2.clickItem((k.started + 1) % 3);
    t.end();
    const std::string lines[] = {t.a, t.b, t.c};
    EXPECT_EQ(t.playing(), lines[k.expectedLine]);
    EXPECT_EQ(t.f.Label4.caption(), k.number);
    EXPECT_EQ(t.f.List2.listIndex(), k.expectedLine);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, EndOfStreamTable,
    ::testing::Values(EndCase{"", 0, 1, "2"}, EndCase{"", 1, 2, "3"}, EndCase{"", 2, 0, "1"},
                      EndCase{"R", 1, 1, "2"}, EndCase{"R", 2, 2, "3"},
                      // the entry after next; the ended one again when there is none
                      EndCase{"S", 0, 2, "3"}, EndCase{"S", 1, 1, "2"}, EndCase{"S", 2, 2, "3"},
                      EndCase{"U", 1, 0, "1"}, EndCase{"U", 2, 0, "1"},
                      // Up at the first entry wraps to the last
                      EndCase{"U", 0, 2, "3"},
                      EndCase{"RS", 0, 0, "1"}, EndCase{"RU", 1, 1, "2"}, EndCase{"SU", 1, 1, "2"},
                      EndCase{"SU", 0, 2, "3"}));

TEST(EndOfStream, ShufleKeepsReplayingTheLastEntry) {
    Three t;
    t.f.mnushufle_Click();
    t.play(2);
    for (int i = 0; i < 3; ++i) {
        t.end();
        EXPECT_EQ(t.playing(), t.c);
    }
}

TEST(EndOfStream, RepeatWinsOverTurnOff) {
    Three t;
    t.f.mnurepeat_Click();
    t.f.mnuturnoff_Click();
    t.play(1);
    t.end();
    EXPECT_FALSE(forms::Application::instance().ended());
    EXPECT_EQ(t.playing(), t.b);
}

TEST(EndOfStream, TheWrapUsesThePresentCount) {
    Three t;
    t.play(2);
    std::string d = t.add("d.mp3");
    t.end();
    EXPECT_EQ(t.playing(), d);
    EXPECT_EQ(t.f.Label2.caption(), "4");
    EXPECT_EQ(t.f.Label4.caption(), "4");
}

TEST(EndOfStream, AFileOpenedOutsideThePlaylistGoesOnFromTheNumber) {
    Three t;
    t.play(0);
    std::string other = t.p.track("other.mp3", 5);
    t.p.env.dialogs.answerFileDialog({true, {other}});
    t.f.Label6_Click();
    EXPECT_EQ(t.playing(), other);
    EXPECT_EQ(t.f.Label4.caption(), "1");
    t.end();
    EXPECT_EQ(t.playing(), t.b);
}

TEST(EndOfStream, AMissingFileIsRefusedAndTheListStopsThere) {
    Three t;
    t.play(0);
    fs::remove(t.b);
    // The real control refuses a missing file (53); nothing plays, so no
    // further end of stream comes.
    t.p.media->fail(Member::FileName, 53, 1);
    t.end();
    EXPECT_EQ(t.p.media->calls().back(), "FileName=" + t.b + " [error 53]");
    EXPECT_EQ(t.f.Label4.caption(), "2");
    EXPECT_NE(t.p.media->playState(), media::Playing);
}

TEST(EndOfStream, TurnOffSavesThePlaylistAndSettingsAndEndsTheProgram) {
    Three t;
    t.f.mnuturnoff_Click();
    t.f.mnushufle_Click();  // Turn off wins over Shufle
    t.play(1);
    t.p.media->clearCalls();
    t.p.windows.calls.clear();
    t.end();
    EXPECT_TRUE(forms::Application::instance().ended());
    EXPECT_FALSE(t.p.form2Loaded());
    EXPECT_EQ(t.p.media->calls(), (std::vector<std::string>{"Stop"}));
    EXPECT_EQ(testsupport::readFile(t.p.app.file("Path.m3u")), Player::lines({t.c, t.a, t.b}));
    EXPECT_TRUE(fs::exists(t.p.app.file("Name.m3u")));
    EXPECT_EQ(runtime::GetSetting(t.p.app.path(), " setting", "List2", "<none>"), "1");
    EXPECT_NE(runtime::GetSetting("dovetune", "Settings", "Form2Left", "<none>"), "<none>");
    EXPECT_EQ(t.p.windows.calls, (std::vector<std::string>{"Unload Form1", "Unload frmTestControls", "Unload Form5",
                                                           "Unload Form1", "Unload Form5", "Unload frmTestControls"}));
}

// A window that stays open by itself, as the contact window does.
struct Lingering : forms::Form {
    Lingering() : Form("Lingering") {}
};

TEST(EndOfStream, TurnOffEndsTheProgramAlsoWhileAnotherWindowStaysOpen) {
    Three t;
    forms::Get<Lingering>().show();
    t.f.mnuturnoff_Click();
    t.play(0);
    t.end();
    EXPECT_TRUE(forms::Application::instance().ended());
    EXPECT_FALSE(forms::IsLoaded<Lingering>());
    EXPECT_TRUE(fs::exists(t.p.app.file("Path.m3u")));
}

// ---- next and previous ----

TEST(Stepping, BeforeAnyTrackTheSelectedEntryPlays) {
    for (bool next : {true, false}) {
        Three t;
        ASSERT_EQ(t.f.Label4.caption(), "CurLabel4");
        t.f.List2.clickItem(1);
        next ? t.f.Label9_Click() : t.f.Label10_Click();
        EXPECT_EQ(t.playing(), t.b) << next;
        EXPECT_EQ(t.f.Label4.caption(), "2");
        EXPECT_EQ(t.f.Label2.caption(), "3");
    }
}

TEST(Stepping, NextAndPreviousWrapAtBothEnds) {
    Three t;
    t.play(0);
    t.f.Label9_Click();
    EXPECT_EQ(t.playing(), t.b);
    t.f.Label10_Click();
    EXPECT_EQ(t.playing(), t.a);
    t.f.Label10_Click();
    EXPECT_EQ(t.playing(), t.c);
    EXPECT_EQ(t.f.Label4.caption(), "3");
    t.f.Label9_Click();
    EXPECT_EQ(t.playing(), t.a);
    EXPECT_EQ(t.f.Label4.caption(), "1");
    EXPECT_EQ(t.f.Label2.caption(), "3");
}

TEST(Stepping, TheWrapsFollowTheStoredTotal) {
    Three t;
    t.play(2);
    std::string d = t.add("d.mp3");
    t.f.Label9_Click();  // the old last entry: back to the first, not on to d
    EXPECT_EQ(t.playing(), t.a);
    EXPECT_EQ(t.f.Label2.caption(), "4");

    Three u;
    u.play(0);
    u.add("d.mp3");
    u.f.Label10_Click();  // entry 1: the last by the stored total of 3
    EXPECT_EQ(u.playing(), u.c);
    EXPECT_EQ(u.f.Label4.caption(), "3");
    EXPECT_EQ(u.f.Label2.caption(), "3");
}

TEST(Stepping, TheMenuItemsStepAndRefreshTheInfoBar) {
    Three t;
    t.play(0);
    t.f.mnupopupnext_Click();
    EXPECT_EQ(t.playing(), t.b);
    t.f.mnupopupprevious_Click();
    EXPECT_EQ(t.playing(), t.a);
    EXPECT_EQ(forms::Get<player::Form4>().Title.caption(), "Title: Untitled");
}

TEST(Stepping, PlayCommandsStartTheSelectedLine) {
    Three t;
    t.f.List2.clickItem(2);
    t.p.media->clearCalls();
    t.f.Label7_Click();
    ASSERT_EQ(t.p.media->calls().size(), 2u);
    EXPECT_EQ(t.p.media->calls()[0].substr(0, 4), "Play");
    EXPECT_EQ(t.playing(), t.c);
    EXPECT_EQ(t.f.Label4.caption(), "3");
    EXPECT_EQ(t.f.Label2.caption(), "3");

    t.f.List2.clickItem(1);
    t.f.Label2.setCaption("7");
    t.f.mnupopupplay_Click();  // stores no total
    EXPECT_EQ(t.playing(), t.b);
    EXPECT_EQ(t.f.Label4.caption(), "2");
    EXPECT_EQ(t.f.Label2.caption(), "7");
}

// ---- Play After Current ----

TEST(PlayAfterCurrent, TheSelectedLineFollowsTheCurrentTrack) {
    Three t;
    t.play(0);
    t.f.List2.clickItem(2);
    t.f.mnuplayaftercurrent_Click();
    EXPECT_EQ(t.f.Label4.caption(), "2");
    EXPECT_EQ(t.playing(), t.a);  // nothing starts now
    t.end();
    EXPECT_EQ(t.playing(), t.c);
}

TEST(PlayAfterCurrent, WithRepeatTheSelectedLineKeepsRepeating) {
    Three t;
    t.f.mnurepeat_Click();
    t.play(0);
    t.f.List2.clickItem(2);
    t.f.mnuplayaftercurrent_Click();
    EXPECT_EQ(t.f.Label4.caption(), "3");
    t.end();
    EXPECT_EQ(t.playing(), t.c);
    t.end();
    EXPECT_EQ(t.playing(), t.c);
}

TEST(PlayAfterCurrent, OnTheFirstLine) {
    Three t;
    t.play(1);
    t.f.List2.clickItem(0);
    t.f.mnuplayaftercurrent_Click();
    EXPECT_EQ(t.f.Label4.caption(), "0");
    t.end();
    EXPECT_EQ(t.playing(), t.a);
    EXPECT_EQ(t.f.Label4.caption(), "1");
}

// ---- pause, resume, stop, seek, mute ----

TEST(Transport, PauseAndResumeWithTheSpaceLatch) {
    Three t;
    t.play(0);
    auto& m = *t.p.media;
    m.clearCalls();
    m.scriptPlayState(media::Playing);
    t.f.mnupopuppause_Click();
    EXPECT_EQ(t.f.Command3.caption(), "aa");
    EXPECT_TRUE(t.f.pause1.visible());
    EXPECT_EQ(m.calls(), (std::vector<std::string>{"Pause"}));

    m.clearCalls();
    m.scriptPlayState(media::Paused);
    t.f.mnupopuppause_Click();
    EXPECT_FALSE(t.f.pause1.visible());
    EXPECT_EQ(m.calls(), (std::vector<std::string>{"Play"}));

    m.clearCalls();
    m.scriptPlayState(media::Stopped);
    t.f.Command3.setCaption("Command3");
    t.f.mnupopuppause_Click();
    EXPECT_EQ(t.f.Command3.caption(), "aa");
    EXPECT_TRUE(m.calls().empty());

    t.f.pause1.setVisible(true);
    t.f.mnupopupresume_Click();
    EXPECT_FALSE(t.f.pause1.visible());
    t.f.mnupopupstop_Click();
    t.f.Label8_Click();
    EXPECT_EQ(m.calls(), (std::vector<std::string>{"Play", "Stop", "Pause"}));
}

TEST(Transport, SeeksAreHandedOverUnclamped) {
    Three t;
    t.play(0);
    auto& m = *t.p.media;
    m.scriptDuration(100);
    m.scriptPosition(4);
    m.clearCalls();
    t.f.mnupopuprewind_Click();
    m.scriptPosition(95);
    t.f.mnupopupfarward_Click();  // past the end: refused, the step is skipped
    EXPECT_EQ(m.currentPosition(), 95);
    m.scriptPosition(50);
    t.f.mnupopupfarward_Click();
    EXPECT_EQ(m.calls(), (std::vector<std::string>{"CurrentPosition=-6", "CurrentPosition=105", "CurrentPosition=60"}));
    EXPECT_EQ(m.currentPosition(), 60);
    EXPECT_EQ(forms::Application::instance().caughtErrors(), 0);
}

TEST(Transport, MuteToggles) {
    Three t;
    t.f.Label11_Click();
    EXPECT_TRUE(t.p.media->mute());
    t.f.Label11_Click();
    EXPECT_FALSE(t.p.media->mute());
    // Without a guard of its own: a refusal reaches the dispatch, which goes on.
    t.p.media->fail(Member::Mute, 5, 1);
    t.f.Command1.click();
    EXPECT_EQ(forms::Application::instance().caughtErrors(), 1);
    EXPECT_FALSE(forms::Application::instance().ended());
    EXPECT_FALSE(t.p.media->mute());
}

// ---- opening outside the playlist ----

TEST(OpenFile, TheDialogPlaysOneFile) {
    Three t;
    t.play(1);
    std::string x = t.p.track("x.wav", 5);
    t.p.env.dialogs.answerFileDialog({true, {x}});
    t.f.Label6_Click();
    const auto& shown = t.p.env.dialogs.shown().back();
    EXPECT_EQ(shown.file.title, "Open Music Files");
    ASSERT_EQ(shown.file.filters.size(), 1u);
    EXPECT_EQ(shown.file.filters[0].description, "Music Files(*.Mp3 *.Wav *.Mid *.Wma) ");
    EXPECT_EQ(shown.file.filters[0].patterns, "*.Mp3; *.Wav; *.Mid; *.Wma");
    EXPECT_EQ(t.playing(), x);
    // Neither the numbers nor the Info Bar change.
    EXPECT_EQ(t.f.Label4.caption(), "2");
    EXPECT_EQ(t.f.Label2.caption(), "3");
}

TEST(OpenFile, CancelAfterAnEarlierChoiceReplaysNothing) {
    Three t;
    std::string x = t.p.track("x.mp3", 5);
    t.p.env.dialogs.answerFileDialog({true, {x}});
    t.f.Label6_Click();
    t.play(0);
    t.p.media->clearCalls();
    t.p.env.dialogs.answerFileDialog({false, {}});
    t.f.Label6_Click();
    EXPECT_EQ(t.p.env.dialogs.shown().back().file.fileName, "");
    EXPECT_TRUE(t.p.media->calls().empty());
}

TEST(OpenFile, OfSeveralNamesTheFirstPlays) {
    Three t;
    t.play(0);
    // The adding dialog leaves its multi-select flags on the shared dialog.
    t.f.CD1.setFlags(forms::cdlOFNAllowMultiselect | forms::cdlOFNExplorer);
    std::string x = t.p.track("x.mp3", 5), y = t.p.track("y.mp3", 5);
    t.p.env.dialogs.answerFileDialog({true, {x, y}});
    t.f.Label6_Click();
    EXPECT_EQ(t.playing(), x);
    EXPECT_EQ(t.p.media->calls().back(), "FileName=" + x);
}

TEST(OpenUrl, EmptyCancelAndAnAddress) {
    Three t;
    t.play(0);
    auto& m = *t.p.media;
    m.clearCalls();
    t.p.env.dialogs.answerInputBox(std::string());
    t.f.mnuopenurl_Click();
    t.p.env.dialogs.answerInputBox(std::nullopt);
    t.f.mnuopenurl_Click();
    EXPECT_TRUE(m.calls().empty());
    EXPECT_EQ(t.p.env.dialogs.shown().back().input.prompt, " Enter URL Address Include http://");
    t.p.env.dialogs.answerInputBox(std::string("http://127.0.0.1:8123/song.mp3"));
    t.f.mnuopenurl_Click();
    EXPECT_EQ(m.calls(), (std::vector<std::string>{"FileName=http://127.0.0.1:8123/song.mp3"}));
    EXPECT_EQ(t.f.Label4.caption(), "1");
}

// ---- flags ----

TEST(Flags, EachToggleFlipsItsBoxAndTick) {
    Three t;
    struct Flag {
        void (player::Form2::*toggle)();
        forms::CheckBox* box;
        forms::Menu* item;
    };
    const Flag flags[] = {{&player::Form2::mnurepeat_Click, &t.f.Check1, &t.f.mnurepeat},
                          {&player::Form2::mnuturnoff_Click, &t.f.Check2, &t.f.mnuturnoff},
                          {&player::Form2::mnushufle_Click, &t.f.Check3, &t.f.mnushufle},
                          {&player::Form2::mnuuplist_Click, &t.f.Check4, &t.f.mnuuplist}};
    for (const Flag& k : flags) {
        SCOPED_TRACE(k.item->name());
        (t.f.*k.toggle)();
        EXPECT_EQ(k.box->value(), 1);
        EXPECT_TRUE(k.item->checked());
        (t.f.*k.toggle)();
        EXPECT_EQ(k.box->value(), 0);
        EXPECT_FALSE(k.item->checked());
        k.box->setValue(2);  // neither set nor clear: left alone
        (t.f.*k.toggle)();
        EXPECT_EQ(k.box->value(), 2);
        k.box->setValue(0);
    }
}

TEST(Flags, RepeatShowsItsImage) {
    Three t;
    t.f.mnurepeat_Click();
    EXPECT_FALSE(t.f.Image14.visible());
    EXPECT_TRUE(t.f.Image15.visible());
    EXPECT_EQ(t.f.Check1.toolTipText(), "Repeat This Song");
    t.f.mnurepeat_Click();
    EXPECT_TRUE(t.f.Image14.visible());
    EXPECT_FALSE(t.f.Image15.visible());
}

// ---- a refused file name ----

TEST(Playback, ARefusedFileNameStillUpdatesTheNumberAndTheInfoBar) {
    Three t;
    auto& bar = forms::Get<player::Form4>();
    bar.Title.setCaption("Title: earlier");
    t.p.media->fail(Member::FileName, 53, 1);
    t.play(1);
    EXPECT_EQ(t.p.media->calls().back(), "FileName=" + t.b + " [error 53]");
    EXPECT_EQ(t.f.Label4.caption(), "2");
    EXPECT_EQ(bar.Title.caption(), "Title: Untitled");
}

}  // namespace

namespace {

// ---- an entry that cannot be played ----

// The last name handed to the control, refused or not.
std::string asked(const Three& t) {
    std::string name = t.playing();
    return name.substr(0, name.find(" [error "));
}

// The title line as it reads now, and after the notice's few seconds.
void expectNotice(Three& t, const std::string& text, const std::string& why) {
    EXPECT_EQ(t.f.Label1.caption(), text) << why;
    EXPECT_NE(t.f.Label1.toolTipText().find(text.substr(text.find(':') + 2)), std::string::npos) << why;
    EXPECT_NE(t.f.caption(), "Korvane Media Player") << why;
}
void expectNoticeGone(Three& t, const std::string& why) {
    t.p.env.scheduler.advance(5000);
    EXPECT_EQ(t.f.Label1.caption(), "Korvane Media Player") << why;
    EXPECT_EQ(t.f.Label1.toolTipText(), "") << why;
    EXPECT_EQ(t.f.caption(), "Korvane Media Player") << why;
}

// When the track before it ends, an entry the control refuses (missing,
// unreadable) or that turns out not to play (its error event) is named with
// the reason on the title line, and the entry after it plays.
TEST(Unplayable, TheEndOfTheTrackBeforeItShowsWhyAndPlaysTheNext) {
    struct Case {
        const char* what;
        bool removed;        // the file is gone from disk
        int refusal;         // the control refuses the name with this error (0: it takes it)
        const char* event;   // else the error event it raises for it
        const char* notice;
    } cases[] = {
        {"a file deleted from disk", true, 53, nullptr, "b.mp3: File not found"},
        {"a file that cannot be read", false, 70, nullptr, "b.mp3: Permission denied"},
        {"a file that is not audio", false, 0, "Not audio", "b.mp3: Not audio"},
    };
    for (const Case& c : cases) {
        Three t;
        t.play(0);
        if (c.removed) fs::remove(t.b);
        if (c.refusal) t.p.media->fail(Member::FileName, c.refusal, 1);
        t.end();
        EXPECT_EQ(asked(t), t.b) << c.what;
        if (c.event) t.p.media->error(c.event);
        expectNotice(t, c.notice, c.what);
        EXPECT_EQ(t.f.Label4.caption(), "2") << c.what;
        t.p.env.scheduler.advance(1);  // the next entry, as at a track's end
        EXPECT_EQ(t.playing(), t.c) << c.what;
        EXPECT_EQ(t.f.Label4.caption(), "3") << c.what;
        EXPECT_EQ(t.f.List2.text(), "c - 30 Bytes") << c.what;
        // The line of the deleted file shows no size any more; the others stay.
        EXPECT_EQ(Player::items(t.f.List2),
                  (std::vector<std::string>{"a - 10 Bytes", c.removed ? "b - " : "b - 20 Bytes", "c - 30 Bytes"}))
            << c.what;
        expectNoticeGone(t, c.what);
        t.end();  // c played: the list wraps as ever
        EXPECT_EQ(t.playing(), t.a) << c.what;
    }
}

// Nothing in the list can be played: each entry is tried once, then the
// stepping stops with a word on the title line.
TEST(Unplayable, AWholeRoundOfEntriesThatCannotBePlayedStops) {
    Three t;
    t.play(0);
    const auto before = t.p.media->callsTo("FileName=").size();
    t.p.media->fail(Member::FileName, 53);
    t.end();
    t.p.env.scheduler.advance(1000);
    const auto tried = t.p.media->callsTo("FileName=");
    ASSERT_EQ(tried.size() - before, 3u);
    EXPECT_EQ(tried[before], "FileName=" + t.b + " [error 53]");
    EXPECT_EQ(tried[before + 1], "FileName=" + t.c + " [error 53]");
    EXPECT_EQ(tried[before + 2], "FileName=" + t.a + " [error 53]");
    EXPECT_EQ(t.f.Label1.caption(), "No entry could be played");
    expectNoticeGone(t, "a whole round");

    // A play the user asks for starts a round anew.
    t.p.media->clearFailures();
    t.p.media->fail(Member::FileName, 53, 1);
    t.play(1);
    EXPECT_EQ(t.f.Label1.caption(), "b.mp3: File not found");
    t.p.env.scheduler.advance(1000);
    EXPECT_EQ(t.p.media->callsTo("FileName=").size() - before, 4u);  // nothing else was tried
}

// A double click on such a line, or Next onto it, shows the same and plays
// nothing else; so does an error event for a file the user chose.
TEST(Unplayable, APlayTheUserAskedForShowsWhyAndPlaysNothingElse) {
    struct Case {
        const char* what;
        bool byEvent;
        std::function<void(Three&)> ask;
    } cases[] = {
        {"a double click, refused", false, [](Three& t) { t.play(1); }},
        {"a double click, not audio", true, [](Three& t) { t.play(1); }},
        {"Next, refused", false, [](Three& t) { t.play(0), t.p.media->fail(Member::FileName, 53, 1), t.f.mnupopupnext.choose(); }},
        {"the search box's Enter, not audio", true,
         [](Three& t) { t.f.mnusearch.choose(), t.f.mnusearch.choose(), t.f.typeText("b"), t.f.typeKey(forms::vbKeyReturn, 0, 13); }},
    };
    for (const Case& c : cases) {
        Three t;
        if (!c.byEvent) t.p.media->fail(Member::FileName, 53, 1);
        c.ask(t);
        EXPECT_EQ(asked(t), t.b) << c.what;
        if (c.byEvent) t.p.media->error("Not audio");
        const auto calls = t.p.media->callsTo("FileName=").size();
        expectNotice(t, c.byEvent ? "b.mp3: Not audio" : "b.mp3: File not found", c.what);
        t.p.env.scheduler.advance(1000);
        EXPECT_EQ(t.p.media->callsTo("FileName=").size(), calls) << c.what;
        EXPECT_EQ(t.f.Label4.caption(), "2") << c.what;
    }
}

// With Repeat set, an entry that cannot be played is not tried again and again.
TEST(Unplayable, RepeatOfAnEntryThatCannotBePlayedStopsAtOnce) {
    Three t;
    t.play(0);
    t.f.mnurepeat.choose();
    t.p.media->fail(Member::FileName, 53);
    t.end();
    t.p.env.scheduler.advance(1000);
    EXPECT_EQ(t.p.media->callsTo("FileName=").size(), 2u);
    EXPECT_EQ(t.f.Label1.caption(), "a.mp3: File not found");
}

}  // namespace
