// Update on the file that plays in the real GStreamer control: the control
// lets go of the file, the tag grows (the file is rewritten beside itself and
// renamed over), and playback goes on at its position, unmuted.

#include <gtest/gtest.h>

#include "../player/player_fixture.hpp"
#include "media/gst_media_player.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "tageditor/Form1.hpp"
#include "testsupport/peer_tools.hpp"

namespace {

TEST(EditorPlaying, AGrowingSaveWhilePlayingGoesOnAtThePosition) {
    if (!testsupport::haveProgram("lame")) GTEST_SKIP() << "lame missing";
    playertest::Player p;
    testsupport::ScopedEnv sink("DOVETUNE_AUDIO_SINK", "fakesink sync=true");
    media::GstMediaPlayer* gst = nullptr;
    player::SetMediaPlayerFactory([&] {
        auto m = std::make_unique<media::GstMediaPlayer>(p.env.scheduler);
        gst = m.get();
        return m;
    });
    p.start();
    ASSERT_NE(gst, nullptr);

    const std::string path = p.home.file("playing.mp3");
    peer::lame(path, "--cbr -b 128", 6.0, 44100, 2);
    {
        metadata::cMP3ID3v2 t;  // a small tag, so that the save must grow it
        t.setMP3File(path);
        t.setTitle("Before");
        t.Update();
    }
    const auto sizeBefore = std::filesystem::file_size(path);

    gst->setFileName(path);
    ASSERT_TRUE(p.env.scheduler.runUntil([&] { return gst->rolling() && gst->currentPosition() >= 1.0; }, 8000));

    auto& f = forms::Get<tageditor::Form1>();
    f.show();
    f.txtpath.setText(path);
    f.Timer1.setEnabled(true);
    p.env.scheduler.advance(1);
    ASSERT_EQ(f.txtTitleV2.text(), "Before");
    f.txtlyrics.setText(std::string(6000, 'w'));
    const double at = gst->currentPosition();
    f.Command2.click();

    EXPECT_GT(std::filesystem::file_size(path), sizeBefore);
    metadata::cMP3ID3v2 back;
    back.setMP3File(path);
    EXPECT_EQ(back.Lyrics(), std::string(6000, 'w'));
    EXPECT_EQ(gst->fileName(), path);
    EXPECT_FALSE(gst->mute());
    ASSERT_TRUE(p.env.scheduler.runUntil([&] { return gst->rolling() && gst->currentPosition() > at + 0.3; }, 8000));
    EXPECT_LT(gst->currentPosition(), at + 3.0);  // went on from where it was, not from the start
    EXPECT_GE(std::stod(f.Label4.caption()), at - 0.01);
    EXPECT_EQ(f.Label5.caption(), path);
    EXPECT_EQ(p.env.dialogs.shown().size(), 0u);
}

}  // namespace
