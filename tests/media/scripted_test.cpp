// The scripted control that window tests drive: what it records, what it
// refuses (the same as the real control), and the failures a test scripts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "media/scripted_media_player.hpp"
#include "runtime/error.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
using media::ScriptedMediaPlayer;
using Member = media::ScriptedMediaPlayer::Member;
using ::testing::ElementsAre;

TEST(ScriptedMediaPlayer, StartsAsTheControlDoes) {
    ScriptedMediaPlayer m;
    EXPECT_EQ(m.volume(), -2500);
    EXPECT_EQ(m.rate(), 1.0);
    EXPECT_EQ(m.balance(), 0);
    EXPECT_FALSE(m.mute());
    EXPECT_EQ(m.playState(), media::Stopped);
    EXPECT_EQ(m.fileName(), "");
    EXPECT_EQ(m.getMediaInfoString(7), "");
}

TEST(ScriptedMediaPlayer, RecordsEveryWriteAndCallInOrder) {
    ScriptedMediaPlayer m;
    m.setFileName("/music/a.mp3");
    m.setVolume(-2750);
    (void)m.volume();  // reads are not recorded
    m.setCurrentPosition(12.5);
    m.setRate(0.3);
    m.setBalance(-10000);
    m.setMute(true);
    m.setWidth(239);
    m.pause();
    m.play();
    m.stop();
    (void)m.getMediaInfoString(7);
    EXPECT_THAT(m.calls(), ElementsAre("FileName=/music/a.mp3", "Volume=-2750", "CurrentPosition=12.5", "Rate=0.3",
                                       "Balance=-10000", "Mute=True", "Width=239", "Pause", "Play", "Stop",
                                       "GetMediaInfoString(7)"));
    EXPECT_THAT(m.callsTo("FileName"), ElementsAre("FileName=/music/a.mp3"));
    m.clearCalls();
    EXPECT_TRUE(m.calls().empty());
}

TEST(ScriptedMediaPlayer, PlaysWhatItIsGivenAndReportsWhatTheTestScripts) {
    ScriptedMediaPlayer m;
    m.setFileName("/music/a.mp3");
    EXPECT_EQ(m.fileName(), "/music/a.mp3");
    EXPECT_EQ(m.getMediaInfoString(7), "/music/a.mp3");
    EXPECT_EQ(m.getMediaInfoString(1), "");
    EXPECT_EQ(m.playState(), media::Playing);
    m.pause();
    EXPECT_EQ(m.playState(), media::Paused);
    m.play();
    EXPECT_EQ(m.playState(), media::Playing);

    m.scriptDuration(200.0);
    m.scriptPosition(42.0);
    m.scriptPlayState(media::Paused);
    EXPECT_EQ(m.duration(), 200.0);
    EXPECT_EQ(m.currentPosition(), 42.0);
    EXPECT_EQ(m.playState(), media::Paused);

    m.stop();
    EXPECT_EQ(m.playState(), media::Stopped);
    EXPECT_EQ(m.currentPosition(), 0.0);
}

// The double refuses exactly what the real control refuses, so window tests
// see the same skipped steps.
TEST(ScriptedMediaPlayer, RefusesOutOfRangeValuesAndKeepsTheOldOne) {
    struct Case {
        const char* what;
        std::function<void(ScriptedMediaPlayer&)> write;
        std::function<double(const ScriptedMediaPlayer&)> read;
        int error;
        double after;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {"volume 0", [](auto& m) { m.setVolume(0); }, [](auto& m) { return m.volume(); }, 0, 0},
        {"volume -10000", [](auto& m) { m.setVolume(-10000); }, [](auto& m) { return m.volume(); }, 0, -10000},
        {"volume 250", [](auto& m) { m.setVolume(250); }, [](auto& m) { return m.volume(); }, 380, -2500},
        {"volume -10001", [](auto& m) { m.setVolume(-10001); }, [](auto& m) { return m.volume(); }, 380, -2500},
        {"balance 10000", [](auto& m) { m.setBalance(10000); }, [](auto& m) { return m.balance(); }, 0, 10000},
        {"balance 10001", [](auto& m) { m.setBalance(10001); }, [](auto& m) { return m.balance(); }, 380, 0},
        {"balance -10001", [](auto& m) { m.setBalance(-10001); }, [](auto& m) { return m.balance(); }, 380, 0},
        {"rate 2", [](auto& m) { m.setRate(2.0); }, [](auto& m) { return m.rate(); }, 0, 2.0},
        {"rate 0", [](auto& m) { m.setRate(0.0); }, [](auto& m) { return m.rate(); }, 380, 1.0},
        {"rate -1", [](auto& m) { m.setRate(-1.0); }, [](auto& m) { return m.rate(); }, 380, 1.0},
        {"rate NaN", [=](auto& m) { m.setRate(nan); }, [](auto& m) { return m.rate(); }, 380, 1.0},
        {"position -6", [](auto& m) { m.setCurrentPosition(-6.0); }, [](auto& m) { return m.currentPosition(); }, 0, 0},
        {"position 100", [](auto& m) { m.setCurrentPosition(100.0); }, [](auto& m) { return m.currentPosition(); }, 0, 100},
        {"position 100.5", [](auto& m) { m.setCurrentPosition(100.5); }, [](auto& m) { return m.currentPosition(); }, 380, 50},
        {"position NaN", [=](auto& m) { m.setCurrentPosition(nan); }, [](auto& m) { return m.currentPosition(); }, 380, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMediaPlayer m;
        m.setFileName("/music/a.mp3");
        m.scriptDuration(100.0);
        m.scriptPosition(50.0);
        EXPECT_EQ(errorOf([&] { c.write(m); }), c.error);
        EXPECT_EQ(c.read(m), c.after);
    }
}

TEST(ScriptedMediaPlayer, ScriptedFailuresRefuseTheWriteAndChangeNothing) {
    struct Case {
        Member member;
        std::function<void(ScriptedMediaPlayer&)> write;
        std::function<bool(const ScriptedMediaPlayer&)> unchanged;
        const char* entry;
    };
    const Case cases[] = {
        {Member::CurrentPosition, [](auto& m) { m.setCurrentPosition(5); }, [](auto& m) { return m.currentPosition() == 0; },
         "CurrentPosition=5 [error 380]"},
        {Member::Volume, [](auto& m) { m.setVolume(-500); }, [](auto& m) { return m.volume() == -2500; },
         "Volume=-500 [error 380]"},
        {Member::Balance, [](auto& m) { m.setBalance(10000); }, [](auto& m) { return m.balance() == 0; },
         "Balance=10000 [error 380]"},
        {Member::Rate, [](auto& m) { m.setRate(1.5); }, [](auto& m) { return m.rate() == 1.0; }, "Rate=1.5 [error 380]"},
        {Member::Mute, [](auto& m) { m.setMute(true); }, [](auto& m) { return !m.mute(); }, "Mute=True [error 380]"},
        {Member::Width, [](auto& m) { m.setWidth(239); }, [](auto& m) { return m.width() == 0; }, "Width=239 [error 380]"},
        {Member::Pause, [](auto& m) { m.pause(); }, [](auto& m) { return m.playState() == media::Playing; },
         "Pause [error 380]"},
        {Member::Stop, [](auto& m) { m.stop(); }, [](auto& m) { return m.playState() == media::Playing; },
         "Stop [error 380]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        ScriptedMediaPlayer m;
        m.setFileName("/music/a.mp3");
        m.clearCalls();
        m.fail(c.member);
        EXPECT_EQ(errorOf([&] { c.write(m); }), 380);
        EXPECT_TRUE(c.unchanged(m));
        EXPECT_THAT(m.calls(), ElementsAre(c.entry));
        m.clearFailures();
        EXPECT_EQ(errorOf([&] { c.write(m); }), 0);
    }
}

TEST(ScriptedMediaPlayer, AFailureCanBeLimitedToTheNextCalls) {
    ScriptedMediaPlayer m;
    m.setFileName("/music/a.mp3");
    m.pause();
    m.fail(Member::Play, 5, 2);
    EXPECT_EQ(errorOf([&] { m.play(); }), 5);
    EXPECT_EQ(errorOf([&] { m.play(); }), 5);
    EXPECT_EQ(m.playState(), media::Paused);
    EXPECT_EQ(errorOf([&] { m.play(); }), 0);
    EXPECT_EQ(m.playState(), media::Playing);
}

// As the real control: a refused name reads back as written and lets go of
// the file that was open (the tag editor relies on this).
TEST(ScriptedMediaPlayer, ARefusedFileNameClosesTheOpenFile) {
    ScriptedMediaPlayer m;
    m.setFileName("/music/a.mp3");
    m.fail(Member::FileName, 53, 1);
    EXPECT_EQ(errorOf([&] { m.setFileName("d:\\me"); }), 53);
    EXPECT_EQ(m.fileName(), "d:\\me");
    EXPECT_EQ(m.getMediaInfoString(7), "");
    EXPECT_EQ(m.playState(), media::Stopped);
    EXPECT_EQ(errorOf([&] { m.setCurrentPosition(1.0); }), 380);  // no file to seek in
    m.setFileName("/music/a.mp3");
    EXPECT_EQ(m.playState(), media::Playing);
    EXPECT_THAT(m.callsTo("FileName"),
                ElementsAre("FileName=/music/a.mp3", "FileName=d:\\me [error 53]", "FileName=/music/a.mp3"));
    // A name holding a NUL is refused by both, as the real control cannot
    // hand the system the name past its NUL.
    const std::string nul("/music/a.mp3\0junk", 17);
    EXPECT_EQ(errorOf([&] { m.setFileName(nul); }), 53);
    EXPECT_EQ(m.fileName(), nul);
    EXPECT_EQ(m.playState(), media::Stopped);
}

TEST(ScriptedMediaPlayer, EndOfStreamReachesTheHandlerOnceAndStops) {
    ScriptedMediaPlayer m;
    int raised = 0;
    std::int32_t argument = -1;
    m.setEndOfStreamHandler([&](std::int32_t result) {
        ++raised;
        argument = result;
        EXPECT_EQ(m.playState(), media::Stopped);
        m.setFileName("/music/b.mp3");  // the playlist moves on from inside the event
    });
    m.setFileName("/music/a.mp3");
    m.endOfStream();
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(argument, 0);
    EXPECT_EQ(m.fileName(), "/music/b.mp3");
    EXPECT_EQ(m.playState(), media::Playing);
}

TEST(ScriptedMediaPlayer, AnErrorLeftByTheHandlerEndsAtTheEvent) {
    ScriptedMediaPlayer m;
    m.setEndOfStreamHandler([](std::int32_t) { runtime::raise(380); });
    EXPECT_NO_THROW(m.endOfStream());
}
