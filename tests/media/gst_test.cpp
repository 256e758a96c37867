// The GStreamer control on short WAV and MIDI files written here, played into
// a sink that keeps to the clock (a 1 s file takes 1 s) without a sound card.

#include <arpa/inet.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "backend.hpp"

using namespace mediatest;

namespace {

class GstPlayer : public Backend {};

// True while a descriptor of this process names the file at path.
bool holdsOpen(const std::string& path) {
    std::error_code ec;
    const auto target = std::filesystem::canonical(path, ec);
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        std::error_code lec;
        if (std::filesystem::read_symlink(fd.path(), lec) == target) return true;
    }
    return false;
}

// An element without pads that counts its live instances: placed in the
// audio sink, it shows whether the control lets go of its pipeline.
std::atomic<int> g_probes{0};
struct CountedElement {
    GstElement parent;
};
struct CountedElementClass {
    GstElementClass parent;
};
G_DEFINE_TYPE(CountedElement, counted_element, GST_TYPE_ELEMENT)
void counted_element_init(CountedElement*) { ++g_probes; }
void countedElementFinalize(GObject* object) {
    --g_probes;
    G_OBJECT_CLASS(counted_element_parent_class)->finalize(object);
}
void counted_element_class_init(CountedElementClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = countedElementFinalize;
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Counted element", "Testing",
                                          "Counts its live instances", "dovetune");
}

}  // namespace

TEST_F(GstPlayer, StartsWithTheControlsDefaults) {
    EXPECT_EQ(player->volume(), -2500);
    EXPECT_EQ(player->rate(), 1.0);
    EXPECT_EQ(player->balance(), 0);
    EXPECT_FALSE(player->mute());
    EXPECT_EQ(player->playState(), media::Stopped);
    EXPECT_EQ(player->fileName(), "");
    EXPECT_EQ(player->getMediaInfoString(7), "");
    EXPECT_EQ(player->currentPosition(), 0.0);
    EXPECT_EQ(player->duration(), 0.0);
}

TEST_F(GstPlayer, WavAndMidiPlayToTheirEndAndRaiseEndOfStreamOnce) {
    std::string midi = dir.file("tune.mid");
    writeMidi(midi, 1.0);
    for (const std::string& file : {wav("tone.wav", 1.0, 2), wav("mono.wav", 1.0, 1), midi}) {
        SCOPED_TRACE(file);
        ends = 0;
        std::int64_t start = ui.nowMs();
        player->setFileName(file);
        EXPECT_EQ(player->playState(), media::Playing);
        EXPECT_EQ(player->fileName(), file);
        EXPECT_EQ(player->getMediaInfoString(7), file);
        ASSERT_TRUE(ended(8000));
        EXPECT_GE(endedAtMs - start, 900);  // it played in real time
        EXPECT_EQ(player->playState(), media::Stopped);
        runFor(300);
        EXPECT_EQ(ends, 1);
    }
}

TEST_F(GstPlayer, PositionDurationPauseAndResume) {
    player->setFileName(wav("two.wav", 2.0));
    ASSERT_TRUE(rolling());
    EXPECT_NEAR(player->duration(), 2.0, 0.01);

    runFor(300);
    double before = player->currentPosition();
    EXPECT_GT(before, 0.1);
    player->pause();
    EXPECT_EQ(player->playState(), media::Paused);
    runFor(100);
    double paused = player->currentPosition();
    runFor(300);
    EXPECT_NEAR(player->currentPosition(), paused, 0.02);  // a paused file does not move on

    player->setCurrentPosition(0.5);
    EXPECT_DOUBLE_EQ(player->currentPosition(), 0.5);
    runFor(100);
    EXPECT_NEAR(player->currentPosition(), 0.5, 0.02);
    player->play();
    EXPECT_EQ(player->playState(), media::Playing);
    runFor(400);
    EXPECT_GT(player->currentPosition(), 0.7);

    // Below 0 is the start; beyond the length is refused and nothing moves.
    player->setCurrentPosition(-6.0);
    EXPECT_NEAR(player->currentPosition(), 0.0, 0.05);
    EXPECT_EQ(errorOf([&] { player->setCurrentPosition(2.5); }), 380);
    EXPECT_LT(player->currentPosition(), 0.5);
    EXPECT_EQ(errorOf([&] { player->setCurrentPosition(std::nan("")); }), 380);
    EXPECT_EQ(ends, 0);
}

TEST_F(GstPlayer, StopGoesBackToTheStartAndPlayStartsAgain) {
    player->setFileName(wav("two.wav", 2.0));
    ASSERT_TRUE(rolling());
    runFor(300);
    player->stop();
    EXPECT_EQ(player->playState(), media::Stopped);
    EXPECT_NEAR(player->currentPosition(), 0.0, 0.01);
    runFor(300);
    EXPECT_NEAR(player->currentPosition(), 0.0, 0.01);
    EXPECT_EQ(player->getMediaInfoString(7), dir.file("two.wav"));  // still the open file
    player->play();
    EXPECT_EQ(player->playState(), media::Playing);
    ASSERT_TRUE(runUntil([&] { return player->currentPosition() > 0.2; }));
}

// The tag editor reopens a file and seeks at once; what it asks while the
// file opens is applied before any sound and reads back meanwhile.
TEST_F(GstPlayer, WhatIsAskedWhileOpeningIsAppliedInOrderBeforeAnySound) {
    std::string file = wav("two.wav", 2.0);
    std::int64_t start = ui.nowMs();
    player->setFileName(file);
    player->setCurrentPosition(1.25);
    EXPECT_DOUBLE_EQ(player->currentPosition(), 1.25);
    EXPECT_EQ(player->duration(), 0.0);  // not known yet
    ASSERT_TRUE(ended());
    // Only the last 0.75 s played (the whole file would take 2 s).
    EXPECT_LT(endedAtMs - start, 1900);
    EXPECT_GE(endedAtMs - start, 600);
    EXPECT_EQ(ends, 1);

    // Pause given while opening: the file opens paused at the position asked.
    player->setFileName(file);
    player->setCurrentPosition(0.5);
    player->pause();
    EXPECT_EQ(player->playState(), media::Paused);
    ASSERT_TRUE(runUntil([&] { return player->duration() > 0; }));
    runFor(300);
    EXPECT_NEAR(player->currentPosition(), 0.5, 0.02);
    EXPECT_FALSE(player->rolling());

    // Stop given while opening: it opens stopped at the start.
    player->setFileName(file);
    player->setCurrentPosition(0.5);
    player->stop();
    ASSERT_TRUE(runUntil([&] { return player->duration() > 0; }));
    runFor(300);
    EXPECT_EQ(player->playState(), media::Stopped);
    EXPECT_NEAR(player->currentPosition(), 0.0, 0.02);

    // A position beyond the length is refused once the length is known.
    player->setFileName(file);
    player->setCurrentPosition(9.0);
    EXPECT_EQ(player->currentPosition(), 9.0);
    ASSERT_TRUE(rolling());
    EXPECT_LT(player->currentPosition(), 0.5);
}

TEST_F(GstPlayer, RateTwoEndsATwoSecondFileInAboutOneSecondAndIsKeptAcrossFiles) {
    EXPECT_EQ(errorOf([&] { player->setRate(0.0); }), 380);
    EXPECT_EQ(errorOf([&] { player->setRate(-1.0); }), 380);
    EXPECT_EQ(player->rate(), 1.0);

    std::string file = wav("two.wav", 2.0);
    player->setFileName(file);
    ASSERT_TRUE(rolling());
    player->setRate(2.0);  // on a playing file
    ASSERT_TRUE(ended());

    ends = 0;
    std::int64_t start = ui.nowMs();
    player->setFileName(file);  // the rate stays
    EXPECT_EQ(player->rate(), 2.0);
    ASSERT_TRUE(ended());
    EXPECT_GE(endedAtMs - start, 800);
    EXPECT_LT(endedAtMs - start, 1900);  // at normal speed it would take 2 s
}

TEST_F(GstPlayer, VolumeAndBalanceReadBackExactlyAndRefuseOutOfRange) {
    for (int v : {0, -2750, -10000}) {
        player->setVolume(v);
        EXPECT_EQ(player->volume(), v);
    }
    EXPECT_EQ(errorOf([&] { player->setVolume(250); }), 380);
    EXPECT_EQ(errorOf([&] { player->setVolume(-10001); }), 380);
    EXPECT_EQ(player->volume(), -10000);
    for (int b : {10000, -10000, 0, 1234}) {
        player->setBalance(b);
        EXPECT_EQ(player->balance(), b);
    }
    EXPECT_EQ(errorOf([&] { player->setBalance(10001); }), 380);
    EXPECT_EQ(player->balance(), 1234);
    player->setMute(true);
    EXPECT_TRUE(player->mute());
    player->setWidth(239);
    EXPECT_EQ(player->width(), 239.0f);
}

// A missing file is refused at once and lets go of the open file, as the
// tag editor's save while playing relies on; the file then opens again.
TEST_F(GstPlayer, AMissingFileIsRefusedAndReleasesTheOpenOne) {
    std::string file = wav("one.wav", 1.0);
    mkdir(dir.file("folder.wav").c_str(), 0755);
    mkfifo(dir.file("pipe.wav").c_str(), 0644);  // opening it must not hang the UI thread
    // A name that holds a NUL names nothing, though the part before it names the file.
    const std::string nul("\0", 1);
    for (const std::string& bad : {std::string("d:\\me"), dir.file("missing.wav"), dir.file("folder.wav"),
                                   dir.file("pipe.wav"), file + nul + "junk", "file://" + file + nul,
                                   std::string("")}) {
        SCOPED_TRACE(bad);
        ends = 0;
        player->setFileName(file);
        ASSERT_TRUE(rolling());
        ASSERT_TRUE(holdsOpen(file));
        EXPECT_EQ(errorOf([&] { player->setFileName(bad); }), bad.empty() ? 0 : 53);
        // Why, in the words the window shows.
        std::string why;
        try {
            player->setFileName(bad);
        } catch (const runtime::Error& e) {
            why = e.description();
        }
        EXPECT_EQ(why, bad.empty()                                  ? ""
                       : bad.find('\0') != std::string::npos          ? "File not found (the name holds a NUL byte)"
                       : bad.find("folder") != std::string::npos ||
                               bad.find("pipe") != std::string::npos ? "Not a file"
                                                                     : "File not found");
        EXPECT_FALSE(holdsOpen(file));
        EXPECT_EQ(player->fileName(), bad);
        EXPECT_EQ(player->getMediaInfoString(7), "");
        EXPECT_EQ(player->playState(), media::Stopped);
        EXPECT_EQ(player->currentPosition(), 0.0);
        EXPECT_EQ(errorOf([&] { player->setCurrentPosition(1.0); }), 380);  // no file
        player->play();
        runFor(1300);
        EXPECT_EQ(ends, 0);  // the released file never ends
        EXPECT_FALSE(player->rolling());
    }
}

// The tag editor's save while playing, step by step: remember the position,
// release the file through a path that cannot be opened, replace the file,
// reopen it and seek at once, unmute. Playback goes on from there.
TEST_F(GstPlayer, SaveWhilePlayingReleasesReopensAndGoesOnFromThePosition) {
    std::string file = wav("track.wav", 2.0);
    player->setFileName(file);
    ASSERT_TRUE(rolling());
    runFor(800);
    double position = player->currentPosition();
    std::string name = player->fileName();
    EXPECT_EQ(errorOf([&] { player->setFileName("d:\\me"); }), 53);

    std::string rewritten = dir.file("rewritten.wav");
    writeWav(rewritten, 2.0);
    ASSERT_EQ(std::rename(rewritten.c_str(), file.c_str()), 0);

    std::int64_t start = ui.nowMs();
    player->setFileName(name);
    player->setCurrentPosition(position);
    EXPECT_DOUBLE_EQ(player->currentPosition(), position);
    player->setMute(false);
    ASSERT_TRUE(rolling());
    EXPECT_NEAR(player->currentPosition(), position, 0.1);
    ASSERT_TRUE(ended());
    double played = static_cast<double>(endedAtMs - start) / 1000.0;
    EXPECT_GE(played, 2.0 - position - 0.1);
    EXPECT_LT(played, 1.9);  // from the start it would take 2 s
    EXPECT_EQ(ends, 1);
}

TEST_F(GstPlayer, LocalPathsAreFoundWithoutRegardToCase) {
    std::string file = wav("Tone.wav", 0.5);
    std::string typed = dir.file("tONE.WAV");
    player->setFileName(typed);
    EXPECT_EQ(player->fileName(), typed);
    ASSERT_TRUE(ended());
}

TEST_F(GstPlayer, NamesThatAreNotUtf8PlayByTheirBytes) {
    // Linux names are bytes: Latin-1, and bytes that no encoding reads. Only
    // the file of these exact bytes exists, so an end of stream shows the name
    // reached the pipeline unchanged (no re-encoding, no unescaping).
    for (const char* name : {"caf\xE9.wav", "caf\xE9\xFF.wav", "\x80\xC3.wav", "\x80 %41#?.wav"}) {
        SCOPED_TRACE(name);
        ends = 0;
        std::string file = wav(name, 0.4);
        player->setFileName(file);
        EXPECT_EQ(player->fileName(), file);
        EXPECT_EQ(player->getMediaInfoString(7), file);
        EXPECT_EQ(player->playState(), media::Playing);
        ASSERT_TRUE(ended());
        EXPECT_EQ(ends, 1);
    }
}

TEST_F(GstPlayer, AnUndecodableFileStopsTheControlAndIsReportedOnce) {
    std::string junk = dir.file("junk.mp3");
    testsupport::writeFile(junk, std::string(20000, '\x5a'));
    std::vector<std::string> errors;  // the error event, with what it said
    bool writing = false;
    player->setErrorHandler([&](const std::string& reason) {
        EXPECT_FALSE(writing);
        errors.push_back(player->fileName() + ": " + reason);
    });
    testing::internal::CaptureStderr();
    writing = true;
    player->setFileName(junk);  // it exists, so the write itself is taken
    writing = false;
    EXPECT_TRUE(runUntil([&] { return player->playState() == media::Stopped; }));
    runFor(500);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countLines(err, "cannot play"), 1) << err;
    EXPECT_NE(err.find("junk.mp3"), std::string::npos);
    EXPECT_EQ(errors, std::vector<std::string>{junk + ": Not audio"});
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(player->getMediaInfoString(7), junk);

    // The control goes on with the next file.
    player->setFileName(wav("one.wav", 0.5));
    ASSERT_TRUE(ended());
}

// A playlist moved on from inside the event: each file ends once and the
// control never raises the event from inside the FileName write.
TEST_F(GstPlayer, AnEndOfStreamHandlerThatOpensTheNextFileMovesOnOnce) {
    std::vector<std::string> list = {wav("a.wav", 0.4), wav("b.wav", 0.4), wav("c.wav", 0.4)};
    std::size_t index = 0;
    bool writing = false;
    std::vector<std::string> ended_;
    onEnd = [&] {
        EXPECT_FALSE(writing);
        ended_.push_back(player->fileName());
        if (++index < list.size()) {
            writing = true;
            player->setFileName(list[index]);
            writing = false;
        }
    };
    writing = true;
    player->setFileName(list[0]);
    writing = false;
    ASSERT_TRUE(runUntil([&] { return ends == 3; }, 8000));
    runFor(500);
    EXPECT_EQ(ends, 3);
    EXPECT_EQ(ended_, list);
}

TEST_F(GstPlayer, PlayAfterTheEndStartsTheFileAgain) {
    player->setFileName(wav("one.wav", 0.5));
    ASSERT_TRUE(ended());
    player->play();
    EXPECT_EQ(player->playState(), media::Playing);
    ASSERT_TRUE(runUntil([&] { return ends == 2; }));
}

// The end of a file that has since been replaced or stopped is dropped, even
// when its message is already waiting on the UI thread.
class QueuedEnd : public ::testing::Test {
protected:
    testsupport::ScopedEnv sink{"DOVETUNE_AUDIO_SINK", "fakesink sync=true"};
    testsupport::TempDir dir;
    runtime::ManualScheduler ui;  // runs posted messages only when asked
    media::GstMediaPlayer player{ui};
    int ends = 0;

    // Plays a short file and waits, without running the UI loop, until its
    // end has been posted.
    void playToAQueuedEnd() {
        std::string file = dir.file("short.wav");
        writeWav(file, 0.3);
        player.setEndOfStreamHandler([this](std::int32_t) { ++ends; });
        player.setFileName(file);
        ASSERT_TRUE(ui.runUntil([&] { return player.rolling(); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
    }
};

TEST_F(QueuedEnd, IsRaisedOnceWhenNothingChanged) {
    playToAQueuedEnd();
    ui.runUntil([&] { return false; }, 300);
    EXPECT_EQ(ends, 1);
}

TEST_F(QueuedEnd, IsDroppedWhenTheFileWasReplaced) {
    playToAQueuedEnd();
    std::string other = dir.file("long.wav");
    writeWav(other, 2.0);
    player.setFileName(other);
    ui.runUntil([&] { return false; }, 300);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(player.playState(), media::Playing);
}

TEST_F(QueuedEnd, IsDroppedWhenThePlayWasStopped) {
    playToAQueuedEnd();
    player.stop();
    ui.runUntil([&] { return false; }, 300);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(player.playState(), media::Stopped);
}

// A seek back after the end was posted starts a new play: the old end does
// not move the playlist on.
TEST_F(QueuedEnd, IsDroppedWhenThePositionWasMovedBack) {
    playToAQueuedEnd();
    player.setCurrentPosition(0.0);
    player.pause();
    ui.runUntil([&] { return false; }, 300);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(player.playState(), media::Paused);
    player.play();
    EXPECT_TRUE(ui.runUntil([&] { return ends == 1; }));
}

// Volume, balance and mute reach the samples: the sink writes what it gets to
// a raw file, whose channel levels are compared with the source's.
class Levels : public ::testing::Test {
protected:
    testsupport::TempDir dir;
};

TEST_F(Levels, VolumeBalanceAndMuteReachThePipeline) {
    struct Case {
        int volume, balance;
        bool mute;
        double left, right;  // expected level relative to the source
    };
    const Case cases[] = {
        {0, 0, false, 1.0, 1.0},
        {-2000, 0, false, 0.1, 0.1},            // -20 dB
        {0, 10000, false, 0.0, 1.0},            // full right: left attenuated by 100 dB
        {0, -3000, false, 1.0, 0.0316},         // right attenuated by 30 dB
        {-600, 600, false, 0.5 * 0.5, 0.5},     // -6 dB both, then -6 dB more on the left
        {0, 0, true, 0.0, 0.0},
    };
    std::string source = dir.file("tone.wav");
    writeWav(source, 0.5, 2, 44100, 0.5);
    const double sourceLevel = 0.5 / std::sqrt(2.0);
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " balance " << c.balance << " mute " << c.mute);
        std::string raw = dir.file("out" + std::to_string(n++) + ".raw");
        testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK",
                                    "audioconvert ! audio/x-raw,format=S16LE,channels=2 ! filesink location=" + raw);
        runtime::PollScheduler ui;
        media::GstMediaPlayer player(ui);
        int ends = 0;
        player.setEndOfStreamHandler([&](std::int32_t) { ++ends; });
        player.setVolume(c.volume);
        player.setBalance(c.balance);
        player.setMute(c.mute);
        player.setFileName(source);
        ASSERT_TRUE(ui.runUntil([&] { return ends == 1; }, 5000));
        auto samples = readS16(raw);
        ASSERT_GT(samples.size(), 40000u);
        EXPECT_NEAR(rms(samples, 2, 0) / sourceLevel, c.left, 0.01 + 0.02 * c.left);
        EXPECT_NEAR(rms(samples, 2, 1) / sourceLevel, c.right, 0.01 + 0.02 * c.right);
    }
}

TEST_F(Levels, MonoFilesKeepTheirLevelOnBothChannels) {
    std::string source = dir.file("mono.wav");
    writeWav(source, 0.5, 1, 44100, 0.5);
    std::string raw = dir.file("out.raw");
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK",
                                "audioconvert ! audio/x-raw,format=S16LE,channels=2 ! filesink location=" + raw);
    runtime::PollScheduler ui;
    media::GstMediaPlayer player(ui);
    int ends = 0;
    player.setEndOfStreamHandler([&](std::int32_t) { ++ends; });
    player.setVolume(0);
    player.setFileName(source);
    ASSERT_TRUE(ui.runUntil([&] { return ends == 1; }, 5000));
    auto samples = readS16(raw);
    EXPECT_NEAR(rms(samples, 2, 0), 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_NEAR(rms(samples, 2, 1), 0.5 / std::sqrt(2.0), 0.01);
}

TEST_F(GstPlayer, AUrlServedOnThisMachinePlays) {
    std::string file = wav("net.wav", 1.0);
    HttpServer server(testsupport::readFile(file));
    std::string url = server.url("net.wav");
    player->setFileName(url);
    EXPECT_EQ(player->fileName(), url);
    EXPECT_EQ(player->getMediaInfoString(7), url);
    ASSERT_TRUE(ended());
    runFor(300);
    EXPECT_EQ(ends, 1);
    EXPECT_GE(server.requests(), 1);
}

// Every bus message is released: none keeps the pipeline alive after the
// control has gone (each would hold its element, and a track's whole decoding
// chain would stay in memory for every file played).
TEST(GstPipeline, NothingOfItOutlivesTheControl) {
    ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
    ASSERT_TRUE(gst_element_register(nullptr, "dovetunecounted", GST_RANK_NONE, counted_element_get_type()));
    testsupport::TempDir dir;
    std::string file = dir.file("a.wav");
    writeWav(file, 0.3);
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true dovetunecounted");
    runtime::PollScheduler ui;
    {
        media::GstMediaPlayer player(ui);
        ASSERT_EQ(g_probes.load(), 1);
        int ends = 0;
        player.setEndOfStreamHandler([&](std::int32_t) { ++ends; });
        player.setFileName(file);
        ASSERT_TRUE(ui.runUntil([&] { return ends == 1; }, 5000));
        player.setFileName(file);
        ASSERT_TRUE(ui.runUntil([&] { return ends == 2; }, 5000));
    }
    // What was posted as it went is released as the loop runs it.
    ui.runUntil([] { return g_probes.load() == 0; }, 3000);
    EXPECT_EQ(g_probes.load(), 0);
}

// A server that takes the connection and never answers: nothing the player
// does on the UI thread waits for it, and the next file plays.
TEST_F(GstPlayer, ADeadUrlNeverHoldsUpTheUiThread) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ASSERT_EQ(::listen(fd, 8), 0);  // never accepted: the request waits in the backlog
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/dead.mp3";

    // Far below the seconds a blocking wait for the server would take.
    auto returnsAtOnce = [](const std::function<void()>& f) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        return std::chrono::steady_clock::now() - t0 < std::chrono::seconds(3);
    };
    EXPECT_TRUE(returnsAtOnce([&] { player->setFileName(url); }));
    EXPECT_EQ(player->playState(), media::Playing);  // still opening
    runFor(500);
    EXPECT_TRUE(returnsAtOnce([&] {
        player->setCurrentPosition(3.0);
        (void)player->duration();
        player->pause();
        player->stop();
    }));
    EXPECT_TRUE(returnsAtOnce([&] { player->setFileName(wav("next.wav", 0.3)); }));
    ASSERT_TRUE(ended());
    EXPECT_TRUE(returnsAtOnce([&] { player->setFileName(url); }));
    runFor(300);
    EXPECT_TRUE(returnsAtOnce([&] { player.reset(); }));
    ::close(fd);
}

// The control may go away with its messages still queued, or from inside
// its own end-of-stream event (the player's "turn off after track").
TEST_F(GstPlayer, CanGoAwayWithMessagesQueuedOrFromItsOwnEvent) {
    player->setFileName(wav("short.wav", 0.3));
    ASSERT_TRUE(rolling());
    std::this_thread::sleep_for(std::chrono::milliseconds(800));  // its end is posted, not yet run
    player.reset();
    runFor(300);
    EXPECT_EQ(ends, 0);

    player = std::make_unique<media::GstMediaPlayer>(ui);
    player->setEndOfStreamHandler([this](std::int32_t) {
        ++ends;
        player.reset();
    });
    player->setFileName(wav("short.wav", 0.3));
    ASSERT_TRUE(ended());
    runFor(300);
    EXPECT_EQ(ends, 1);
}

// Without a sink named in the environment the control uses the system's
// sound output; where none opens (as here, with no sound server reachable)
// it still steps on in real time and says so at most once.
class DefaultSink : public Backend {
protected:
    DefaultSink() : Backend("") {}
};

TEST_F(DefaultSink, PlaysThroughWhateverSoundOutputThereIs) {
    testing::internal::CaptureStderr();
    for (const char* name : {"a.wav", "b.wav"}) {
        ends = 0;
        std::int64_t start = ui.nowMs();
        player->setFileName(wav(name, 0.5));
        ASSERT_TRUE(ended());
        EXPECT_GE(endedAtMs - start, 400);
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_LE(countLines(err, "no sound device"), 1) << err;
}
