// The control made when first needed: settings before it are kept and handed
// over, a file name makes it, and its end of stream reaches the window.

#include <gtest/gtest.h>

#include "media/scripted_media_player.hpp"
#include "player/media_factory.hpp"
#include "runtime/error.hpp"

namespace {

TEST(DeferredMedia, MadeAtTheFirstFileNameWithTheSettingsBefore) {
    int made = 0;
    media::ScriptedMediaPlayer* real = nullptr;
    auto m = player::DeferUntilUsed([&] {
        ++made;
        auto p = std::make_unique<media::ScriptedMediaPlayer>();
        real = p.get();
        return p;
    });
    m->setVolume(-1500);
    m->setBalance(10000);
    m->setMute(true);
    m->setWidth(239);
    EXPECT_THROW(m->setRate(0), runtime::Error);
    EXPECT_THROW(m->setCurrentPosition(3), runtime::Error);
    EXPECT_EQ(m->volume(), -1500);
    EXPECT_EQ(m->playState(), media::Stopped);
    EXPECT_EQ(m->fileName(), "");
    EXPECT_EQ(made, 0);

    int ended = 0;
    m->setEndOfStreamHandler([&](std::int32_t) { ++ended; });
    m->setFileName("/m/a.mp3");
    ASSERT_EQ(made, 1);
    EXPECT_EQ(real->volume(), -1500);
    EXPECT_EQ(real->balance(), 10000);
    EXPECT_TRUE(real->mute());
    EXPECT_EQ(m->fileName(), "/m/a.mp3");
    EXPECT_EQ(m->playState(), media::Playing);
    real->endOfStream();
    EXPECT_EQ(ended, 1);
    m->stop();
    EXPECT_EQ(made, 1);
}

TEST(DeferredMedia, AFactoryThatGivesNothingLeavesAControlThatPlaysNothing) {
    auto m = player::DeferUntilUsed([] { return std::unique_ptr<media::MediaPlayer>(); });
    m->setVolume(-500);
    m->play();
    EXPECT_EQ(m->volume(), -500);
}

}  // namespace
