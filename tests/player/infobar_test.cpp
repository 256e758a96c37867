// The Info Bar: pic refilling it from the file's ID3v1 record and MPEG
// header, the time labels, the dimming on the virtual clock, the label
// rotation, the F7 toggle, its saved position and dragging; and the main
// window's opacity and always-on-top items, which act on both windows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/application.hpp"
#include "player/os_helpers.hpp"
#include "player_fixture.hpp"
#include "runtime/settings.hpp"
#include "testsupport/support.hpp"

namespace {

using playertest::Player;

// A 30-character field, padded with blanks.
std::string field(const std::string& s, std::size_t n = 30) { return (s + std::string(n, ' ')).substr(0, n); }

// Ten MPEG-1 Layer III frames at 128 kbit/s and 44100 Hz, then an ID3v1 block
// when a title is given.
std::string mp3(const std::string* title, const std::string& artist = "", const std::string& album = "") {
    std::string frame = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\x55');
    std::string data;
    for (int i = 0; i < 10; ++i) data += frame;
    if (title) data += "TAG" + *title + field(artist) + field(album) + "2001" + std::string(30, '\0') + "\x0c";
    return data;
}

struct Bar {
    Player p;
    player::Form2& f;
    player::Form4& bar;
    Bar() : f(p.start()), bar(forms::Get<player::Form4>()) {}
    // A file written under the music folder; its path.
    std::string file(const std::string& name, const std::string& bytes) {
        std::string path = p.track(name, -1);
        testsupport::writeFile(path, bytes);
        return path;
    }
    void play(const std::string& path) {
        f.MediaPlayer1.setFileName(path);
        f.pic();
    }
    void tick(long ms) { p.env.scheduler.advance(ms); }
};

// ---- pic ----

TEST(Pic, ShowsTheRecordsFieldsUntrimmedAndTheStreamsFigures) {
    Bar t;
    const std::string title = "Song" + std::string(26, ' ');
    t.play(t.file("song.mp3", mp3(&title, "Someone", "Some Album")));
    EXPECT_EQ(t.bar.Title.caption(), "Title: " + title);
    EXPECT_EQ(t.bar.Artist.caption(), "Artist: " + field("Someone"));
    EXPECT_EQ(t.bar.Album.caption(), "Album: " + field("Some Album"));
    EXPECT_EQ(t.bar.Bitrate.caption(), "Bitrate: 128 Kbps 44100 Hz");
    EXPECT_TRUE(t.bar.Timer1.enabled());
    EXPECT_EQ(t.bar.alpha(), 255);
}

TEST(Pic, AFileWithoutARecordAfterOneWithShowsTheDefaultsAndStaysOpaque) {
    Bar t;
    const std::string title = field("First");
    t.play(t.file("first.mp3", mp3(&title)));
    t.play(t.file("bare.mp3", mp3(nullptr)));
    EXPECT_EQ(t.bar.Title.caption(), "Title: Untitled");
    EXPECT_EQ(t.bar.Artist.caption(), "Artist: Unknown");
    EXPECT_EQ(t.bar.Album.caption(), "Album: Unknown");
    // No figures of the track before stay behind.
    EXPECT_EQ(t.bar.Bitrate.caption(), "Bitrate");
    EXPECT_FALSE(t.bar.Timer1.enabled());
    t.tick(10000);
    EXPECT_EQ(t.bar.alpha(), 255);
    // A missing file is a file without a record.
    t.play(t.p.track("missing.mp3", -1));
    EXPECT_EQ(t.bar.Title.caption(), "Title: Untitled");
}

TEST(Pic, ARefusedFileNameReachesTheCallersStep) {
    Bar t;
    t.p.media->fail(media::ScriptedMediaPlayer::Member::FileName, 53, 1);
    // The failure of the control is the double click's step; pic still runs.
    const std::string title = field("Late");
    std::string path = t.file("late.mp3", mp3(&title));
    t.p.fill({path});
    t.f.List2.doubleClickItem(0);
    EXPECT_EQ(t.bar.Title.caption(), "Title: " + title);
}

// ---- time labels ----

struct TimeCase {
    double duration, position;
    const char* remain;  // Label4
    const char* total;   // Label1 ("" unchanged from "More Info")
};

TEST(TimeLabels, RemainingRoundsAndTotalTruncates) {
    const TimeCase cases[] = {
        {185.9, 0, " Remain 3 : 6", "Time: 3:05"},
        {215.3, 0, " Remain 3 : 35", "Time: 3:35"},
        {4505, 0, " Remain 75 : 5", "Time: 75:05"},
        {215.6, 10.2, " Remain 3 : 26", "More Info"},
        {59.6, 0, " Remain 1 : 0", "Time: 0:59"},
        {100, 12.5, " Remain 1 : 28", "More Info"},
        {100, 13.5, " Remain 1 : 26", "More Info"},
        {0, 0, " Remain 0 : 0", "Time: 0:00"},
        {70, 9.9, " Remain 1 : 0", "Time: 1:10"},
    };
    for (const TimeCase& k : cases) {
        SCOPED_TRACE(k.duration);
        Bar t;
        EXPECT_EQ(t.bar.Label1.caption(), "More Info");
        t.p.media->scriptDuration(k.duration);
        t.p.media->scriptPosition(k.position);
        t.tick(2);
        EXPECT_EQ(t.bar.Label4.caption(), k.remain);
        EXPECT_EQ(t.bar.Label1.caption(), k.total);
    }
}

TEST(TimeLabels, TheTotalKeepsItsTextPastTenSeconds) {
    Bar t;
    t.p.media->scriptDuration(100);
    t.tick(2);
    EXPECT_EQ(t.bar.Label1.caption(), "Time: 1:40");
    // A seek to 20 s, or a longer file started beyond ten seconds.
    t.p.media->scriptDuration(300);
    t.p.media->scriptPosition(20);
    t.tick(2);
    EXPECT_EQ(t.bar.Label1.caption(), "Time: 1:40");
    EXPECT_EQ(t.bar.Label4.caption(), " Remain 4 : 40");
}

TEST(TimeLabels, TheyRunWhileTheInfoBarIsHidden) {
    Bar t;
    ASSERT_FALSE(t.bar.visible());
    t.p.media->scriptDuration(61);
    t.tick(2);
    EXPECT_EQ(t.bar.Label4.caption(), " Remain 1 : 1");
}

// ---- dimming ----

TEST(Dimming, FiveSecondsAfterAPicThatFoundARecord) {
    Bar t;
    const std::string title = field("Dim");
    t.play(t.file("dim.mp3", mp3(&title)));
    t.tick(4999);
    EXPECT_EQ(t.bar.alpha(), 255);
    t.tick(1);
    EXPECT_EQ(t.bar.alpha(), 128);
    EXPECT_FALSE(t.bar.Timer1.enabled());
    // The next pic makes it opaque again.
    t.play(t.file("dim.mp3", mp3(&title)));
    EXPECT_EQ(t.bar.alpha(), 255);
}

TEST(Dimming, TheBackgroundRestartsTheDelayButALabelDoesNot) {
    Bar t;
    const std::string title = field("Dim");
    t.play(t.file("dim.mp3", mp3(&title)));
    t.tick(3000);
    t.bar.Image3.mouseMove(0, 0, 10, 10);
    t.tick(4999);
    EXPECT_EQ(t.bar.alpha(), 255);
    t.tick(1);
    EXPECT_EQ(t.bar.alpha(), 128);

    // From half-transparent: the pointer over the background makes it opaque.
    t.bar.Image3.mouseMove(0, 0, 10, 10);
    EXPECT_EQ(t.bar.alpha(), 255);
    t.tick(3000);
    t.bar.Title.mouseMove(0, 0, 10, 10);
    t.bar.Label1.mouseMove(0, 0, 10, 10);
    t.tick(2000);
    EXPECT_EQ(t.bar.alpha(), 128);
}

TEST(Dimming, TheOpacityMenuIsReplacedByTheInfoBarsOwn) {
    Bar t;
    t.f.mnuPercent_Click(3);
    EXPECT_EQ(t.bar.alpha(), 76);
    const std::string title = field("Dim");
    t.play(t.file("dim.mp3", mp3(&title)));
    EXPECT_EQ(t.bar.alpha(), 255);
    t.tick(5000);
    EXPECT_EQ(t.bar.alpha(), 128);
    EXPECT_TRUE(t.f.mnuPercent(3).checked());
}

// ---- rotation ----

TEST(Rotation, TitleArtistAlbumInTurnAlsoWhileHidden) {
    Bar t;
    auto shown = [&] {
        std::string s;
        if (t.bar.Title.visible()) s += "T";
        if (t.bar.Artist.visible()) s += "R";
        if (t.bar.Album.visible()) s += "A";
        return s;
    };
    EXPECT_EQ(shown(), "T");
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        t.tick(5000);
        seen.push_back(shown());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"R", "A", "T", "R"}));
    // pic changes the captions, not which one is shown.
    t.f.pic();
    EXPECT_EQ(shown(), "R");
    // None shown: nothing changes.
    t.bar.Artist.setVisible(false);
    t.tick(5000);
    EXPECT_EQ(shown(), "");
}

// ---- the F7 toggle ----

TEST(InfoBarToggle, F7ShowsAndHides) {
    Bar t;
    ASSERT_FALSE(t.bar.visible());
    t.bar.Title.setCaption("Title");
    t.f.typeKey(forms::vbKeyF(7));
    EXPECT_TRUE(t.bar.visible());
    EXPECT_TRUE(t.f.mnumarquee.checked());
    EXPECT_EQ(t.bar.Title.caption(), "Title: Untitled");  // refilled
    t.f.typeKey(forms::vbKeyF(7));
    EXPECT_FALSE(t.bar.visible());
    EXPECT_FALSE(t.f.mnumarquee.checked());
}

// ---- position ----

TEST(InfoBarPosition, SavedAtUnloadAndRestored) {
    {
        Bar t;
        EXPECT_EQ(t.bar.left(), 1000);
        EXPECT_EQ(t.bar.top(), 1000);
        t.bar.move(2250, 3300);
        forms::Unload<player::Form4>();
        EXPECT_EQ(runtime::GetSetting("dovetune", "Settings", "MainLeft", ""), "2250");
        EXPECT_EQ(runtime::GetSetting("dovetune", "Settings", "MainTop", ""), "3300");
        auto& again = forms::Get<player::Form4>();
        EXPECT_EQ(again.left(), 2250);
        EXPECT_EQ(again.top(), 3300);
    }
    struct Saved {
        const char *left, *top;
        float wantLeft, wantTop;
    };
    // Text that is no number leaves that edge alone; a place wholly off the
    // screen gives the default.
    for (const Saved& k : {Saved{"abc", "4500", 0, 4500}, Saved{"-90000", "1500", 1000, 1000},
                           Saved{"4500", "99999", 1000, 1000}}) {
        Player p;
        runtime::SaveSetting("dovetune", "Settings", "MainLeft", k.left);
        runtime::SaveSetting("dovetune", "Settings", "MainTop", k.top);
        p.start();
        auto& bar = forms::Get<player::Form4>();
        EXPECT_EQ(bar.left(), k.wantLeft) << k.left;
        EXPECT_EQ(bar.top(), k.wantTop) << k.top;
    }
}

// ---- dragging ----

TEST(InfoBarDrag, TheBackgroundTheTimeLabelsAndTheSurfaceWithTheLeftButton) {
    Bar t;
    t.bar.show();
    auto moves = [&] { return t.p.env.backend.lines("Form4 move").size(); };
    t.bar.Image3.mouseDown(forms::vbLeftButton, 0, 5, 5);
    t.bar.Label1.mouseDown(forms::vbLeftButton, 0, 5, 5);
    t.bar.Label4.mouseDown(forms::vbLeftButton, 0, 5, 5);
    t.bar.mouseDown(forms::vbLeftButton, 0, 5, 5);
    EXPECT_EQ(moves(), 4u);
    t.bar.Image3.mouseDown(forms::vbRightButton, 0, 5, 5);
    t.bar.mouseDown(forms::vbRightButton, 0, 5, 5);
    for (forms::Label* l : {&t.bar.Title, &t.bar.Artist, &t.bar.Album, &t.bar.Text1, &t.bar.Bitrate})
        l->mouseDown(forms::vbLeftButton, 0, 5, 5);
    EXPECT_EQ(moves(), 4u);
}

// ---- opacity and always on top (the main window's Options menu) ----

TEST(Opacity, EachItemSetsBothWindowsAndMovesTheTick) {
    Bar t;
    const int alphas[] = {0, 26, 51, 76, 102, 128, 153, 178, 204, 230, 255};
    for (int i = 1; i <= 10; ++i) {
        t.f.mnuPercent_Click(i);
        EXPECT_EQ(t.f.alpha(), alphas[i]) << i;
        EXPECT_EQ(t.bar.alpha(), alphas[i]) << i;
        for (int j = 1; j <= 10; ++j) EXPECT_EQ(t.f.mnuPercent(j).checked(), j == i) << i << " " << j;
    }
    t.f.mnuPercent_Click(10);
    EXPECT_TRUE(t.f.mnuPercent(10).checked());
    EXPECT_EQ(t.f.LastPercent, 10);
}

TEST(Opacity, TheFirstChoiceClearsNoTick) {
    Bar t;
    EXPECT_EQ(t.f.LastPercent, 0);
    t.f.mnuPercent(7).setChecked(true);  // a tick the program did not set stays
    t.f.mnuPercent(3).choose();
    EXPECT_TRUE(t.f.mnuPercent(7).checked());
    EXPECT_TRUE(t.f.mnuPercent(3).checked());
    t.f.mnuPercent(7).choose();
    EXPECT_FALSE(t.f.mnuPercent(3).checked());
    EXPECT_TRUE(t.f.mnuPercent(7).checked());
}

TEST(Topmost, MainPlayerTakesTheInfoBarAlongButLeavesItThere) {
    Bar t;
    t.f.mnumainplayer_Click();
    EXPECT_TRUE(t.f.topmost());
    EXPECT_TRUE(t.bar.topmost());
    EXPECT_TRUE(t.f.mnumainplayer.checked());
    EXPECT_FALSE(t.f.mnuscrollinfoontop.checked());
    t.f.mnumainplayer_Click();
    EXPECT_FALSE(t.f.topmost());
    EXPECT_TRUE(t.bar.topmost());
    EXPECT_FALSE(t.f.mnumainplayer.checked());

    t.f.mnuscrollinfoontop_Click();
    EXPECT_TRUE(t.bar.topmost());
    EXPECT_TRUE(t.f.mnuscrollinfoontop.checked());
    t.f.mnuscrollinfoontop_Click();
    EXPECT_FALSE(t.bar.topmost());
    EXPECT_FALSE(t.f.topmost());
    EXPECT_FALSE(t.f.mnuscrollinfoontop.checked());
}

TEST(Topmost, AfterARestartEachWindowFollowsItsOwnTick) {
    Player p;
    runtime::SaveSetting(p.app.path(), " setting", "mnumainplayer", "True");
    runtime::SaveSetting(p.app.path(), " setting", "mnuscrollinfoontop", "False");
    auto& f = p.start();
    EXPECT_TRUE(f.mnumainplayer.checked());
    EXPECT_FALSE(f.mnuscrollinfoontop.checked());
    EXPECT_TRUE(f.topmost());
    EXPECT_FALSE(forms::Get<player::Form4>().topmost());
}

}  // namespace
