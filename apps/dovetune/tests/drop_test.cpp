// Files dropped on the main window through Qt's drag-and-drop events, on
// Qt's offscreen platform: a dropped file plays, web links change nothing,
// and the file manager is always told nothing was moved.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formsqt/run.hpp"
#include "player/playlist.hpp"
#include "player_fixture.hpp"
#include "runtime/strings.hpp"

namespace {

using playertest::Player;
using Lines = std::vector<std::string>;

TEST(DovetuneDrop, AFileDroppedOnTheListPlays) {
    Player p;
    formsqt::Session session;
    auto& f = p.start();
    std::string old = p.track("old.mp3", 3), dropped = p.track("Dropped Song.mp3", 2048);
    p.fill({old});
    EXPECT_EQ(session.dropFiles(f.List2, {dropped}), 0);  // effect none: nothing is moved
    EXPECT_EQ(p.media->fileName(), dropped);
    EXPECT_EQ(p.media->playState(), media::Playing);
    EXPECT_TRUE(session.waitUntil([&] { return !f.Timer3.enabled(); }, 2000));
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{dropped}));
    EXPECT_EQ(Player::items(f.List2), (Lines{"Dropped Song - 2 KB"}));
    f.unload();
}

TEST(DovetuneDrop, NamesThatAreNotUtf8ArriveByTheirBytes) {
    // Linux names are bytes: Latin-1, and bytes that no encoding reads.
    for (const char* name : {"caf\xE9.mp3", "caf\xE9\xFF #1.mp3"}) {
        Player p;
        formsqt::Session session;
        auto& f = p.start();
        std::string dropped = p.track(name, 2048);
        EXPECT_EQ(session.dropFiles(f, {dropped}), 0) << name;
        EXPECT_EQ(p.media->fileName(), dropped) << name;
        EXPECT_TRUE(session.waitUntil([&] { return !f.Timer3.enabled(); }, 2000)) << name;
        EXPECT_EQ(Player::items(f.lstFiles), (Lines{dropped})) << name;
        // Shown as best the widget can, with replacement characters; the
        // lists keep the bytes, and playing the line through the widget
        // hands the control and the folder box the very name.
        // The widget takes the list's lines as the window handles its events.
        EXPECT_TRUE(session.waitUntil([&] { return session.listLines(f.List2).size() == 1; }, 2000)) << name;
        const Lines shown = session.listLines(f.List2);
        ASSERT_EQ(shown.size(), 1u) << name;
        EXPECT_TRUE(runtime::IsValidUtf8(shown[0])) << name;
        EXPECT_EQ(shown[0].rfind("caf\xEF\xBF\xBD", 0), 0u) << shown[0];
        EXPECT_EQ(Player::items(f.List2), (Lines{player::DisplayLine(dropped)})) << name;
        ASSERT_TRUE(session.clickLine(f.List2, 0, true)) << name;
        EXPECT_TRUE(session.waitUntil([&] { return p.media->callsTo("FileName").size() >= 2; }, 2000)) << name;
        EXPECT_EQ(p.media->fileName(), dropped) << name;
        EXPECT_EQ(f.Text2.text(), dropped) << name;
        f.unload();
    }
}

TEST(DovetuneDrop, WebLinksReachTheWindowAsNoFileAndChangeNothing) {
    Player p;
    formsqt::Session session;
    auto& f = p.start();
    std::string kept = p.track("kept.mp3", 3);
    p.fill({kept});
    EXPECT_EQ(session.dropFiles(f.List2, {"https://www.dovetune.example/song.mp3"}), 0);
    EXPECT_EQ(session.dropFiles(f, {"https://www.dovetune.example/other.mp3"}), 0);
    EXPECT_EQ(session.dropFiles(f, {}), 0);  // no links at all: not even taken in
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{kept}));
    EXPECT_EQ(p.media->fileName(), "");
    std::string second = p.track("second.mp3", 5);
    EXPECT_EQ(session.dropFiles(f, {second}), 0);  // on the window's face
    EXPECT_EQ(p.media->fileName(), second);
    f.unload();
}

}  // namespace
