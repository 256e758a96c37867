// The main window on the real GStreamer control: three one-second MP3s made
// by lame, titled through the ID3v1 tag object, play in real time into a
// clock-synchronised fakesink one after the other and wrap to the first,
// and the Info Bar's title follows each.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures.hpp"
#include "media/gst_media_player.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "player_fixture.hpp"
#include "runtime/scheduler.hpp"
#include "testsupport/support.hpp"

namespace {

using playertest::Player;

TEST(RealControl, ThreeTracksPlayInTurnAndWrapWithTheirTitles) {
    if (!testsupport::haveProgram("lame")) GTEST_SKIP() << "lame missing";
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    Player p;
    runtime::PollScheduler ui;
    runtime::Scheduler::setCurrent(&ui);
    player::SetMediaPlayerFactory([&ui] { return std::make_unique<media::GstMediaPlayer>(ui); });

    const char* titles[] = {"One", "Two", "Three"};
    std::vector<std::string> paths;
    for (const char* t : titles) {
        std::string wav = p.home.file(std::string(t) + ".wav");
        std::string mp3 = p.track(std::string(t) + ".mp3", -1);
        mediatest::writeWav(wav, 1.0);
        auto r = testsupport::runCommand("lame --quiet -b 128 '" + wav + "' '" + mp3 + "' 2>&1");
        ASSERT_EQ(r.status, 0) << r.output;
        metadata::cMP3ID3v1 tag;
        tag.setMP3File(mp3);
        tag.setTitle(t);
        tag.Update();
        paths.push_back(mp3);
    }

    auto& f = p.start();
    auto& bar = forms::Get<player::Form4>();
    for (auto& path : paths) f.lstFiles.addItem(path);
    f.Timer3.setEnabled(true);
    ASSERT_TRUE(ui.runUntil([&] { return !f.Timer3.enabled(); }, 5000));
    ASSERT_EQ(f.List2.list(0).substr(0, 3), "One");  // sorted: One, Three, Two

    // Each change of the control's file, with the title the Info Bar showed for it.
    std::vector<std::string> played;
    auto watch = [&] {
        std::string name = f.MediaPlayer1.fileName();
        std::string title = bar.Title.caption();
        std::string entry = name.substr(name.rfind('/') + 1) + " " + title.substr(0, title.find_first_of(std::string(" \0", 2), 7));
        if (played.empty() || played.back() != entry) played.push_back(entry);
        return played.size() >= 4;
    };
    f.List2.doubleClickItem(0);
    EXPECT_TRUE(ui.runUntil(watch, 8000));
    EXPECT_EQ(played, (std::vector<std::string>{"One.mp3 Title: One", "Three.mp3 Title: Three", "Two.mp3 Title: Two",
                                                "One.mp3 Title: One"}));
    EXPECT_EQ(f.Label4.caption(), "1");
    f.MediaPlayer1.stop();
    forms::Application::instance().reset();
    player::SetMediaPlayerFactory(nullptr);
    runtime::Scheduler::setCurrent(&p.env.scheduler);
}

TEST(RealControl, ANameThatIsNotUtf8PlaysAndKeepsItsBytesAcrossRestarts) {
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    Player p;
    runtime::PollScheduler ui;
    runtime::Scheduler::setCurrent(&ui);
    player::SetMediaPlayerFactory([&ui] { return std::make_unique<media::GstMediaPlayer>(ui); });
    const std::string path = p.track("caf\xE9\xFF.wav", -1);
    mediatest::writeWav(path, 1.0);

    // Given on the command line, then restored from the saved list and played again.
    for (const std::vector<std::string>& args : {std::vector<std::string>{path}, std::vector<std::string>{}}) {
        SCOPED_TRACE(args.empty() ? "restored" : "command line");
        runtime::App::setForTest(p.app.path(), args);
        auto& f = p.start();
        ASSERT_TRUE(ui.runUntil([&] { return !f.Timer3.enabled(); }, 5000));
        ASSERT_EQ(Player::items(f.lstFiles), std::vector<std::string>{path});
        if (args.empty()) f.List2.doubleClickItem(0);
        EXPECT_EQ(f.MediaPlayer1.fileName(), path);
        EXPECT_TRUE(ui.runUntil([&] { return f.MediaPlayer1.currentPosition() >= 0.2; }, 5000));
        f.MediaPlayer1.stop();
        f.unload();
        EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), path + "\r\n");
        forms::Application::instance().reset();
    }
    player::SetMediaPlayerFactory(nullptr);
    runtime::Scheduler::setCurrent(&p.env.scheduler);
}

}  // namespace

namespace {

// On the real control: a file deleted from disk and a file that is no audio
// between two that play. Each is named on the title line with its reason as
// the stepping reaches it, and the stepping goes on to the file after it.
TEST(RealControl, EntriesThatCannotBePlayedAreNamedAndSteppedPast) {
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    Player p;
    runtime::PollScheduler ui;
    runtime::Scheduler::setCurrent(&ui);
    player::SetMediaPlayerFactory([&ui] { return std::make_unique<media::GstMediaPlayer>(ui); });
    const std::string a = p.track("a.wav", -1), b = p.track("b.wav", -1), c = p.track("c.mp3", -1),
                      d = p.track("d.wav", -1);
    mediatest::writeWav(a, 0.3);
    mediatest::writeWav(b, 0.3);
    testsupport::writeFile(c, std::string(20000, 'Z'));
    mediatest::writeWav(d, 0.3);

    auto& f = p.start();
    for (auto& path : {a, b, c, d}) f.lstFiles.addItem(path);
    f.Timer3.setEnabled(true);
    ASSERT_TRUE(ui.runUntil([&] { return !f.Timer3.enabled(); }, 5000));
    std::filesystem::remove(b);

    std::vector<std::string> notices;
    auto watch = [&] {
        const std::string shown = f.Label1.caption();
        if (shown != "Korvane Media Player" && (notices.empty() || notices.back() != shown)) notices.push_back(shown);
        return f.MediaPlayer1.fileName() == d;
    };
    testing::internal::CaptureStderr();
    f.List2.doubleClickItem(0);
    EXPECT_TRUE(ui.runUntil(watch, 8000));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(notices, (std::vector<std::string>{"b.wav: File not found", "c.mp3: Not audio"}));
    EXPECT_EQ(f.Label4.caption(), "4");
    EXPECT_TRUE(ui.runUntil([&] { return f.MediaPlayer1.currentPosition() > 0.05; }, 5000));
    f.MediaPlayer1.stop();
    forms::Application::instance().reset();
    player::SetMediaPlayerFactory(nullptr);
    runtime::Scheduler::setCurrent(&p.env.scheduler);
}

}  // namespace
