// The GStreamer control on MP3, WMA and RealMedia files made here by the
// independent encoders lame and ffmpeg.

#include <gtest/gtest.h>

#include "backend.hpp"

using namespace mediatest;

namespace {

class PeerFiles : public Backend {
protected:
    // Encodes a fresh WAV with `command` (where %in and %out stand for the
    // two paths); skips the test when the encoder is missing.
    std::string encode(const std::string& tool, const std::string& args, const std::string& out, double seconds) {
        if (!testsupport::haveProgram(tool)) return {};
        std::string in = wav("source-" + out + ".wav", seconds);
        std::string cmd = tool + " " + args;
        for (auto [key, value] : {std::pair<std::string, std::string>{"%in", in}, {"%out", dir.file(out)}})
            for (auto at = cmd.find(key); at != std::string::npos; at = cmd.find(key)) cmd.replace(at, key.size(), "'" + value + "'");
        auto r = testsupport::runCommand(cmd + " 2>&1");
        EXPECT_EQ(r.status, 0) << cmd << "\n" << r.output;
        return dir.file(out);
    }
    std::string ffmpeg(const std::string& codecArgs, const std::string& out, double seconds) {
        return encode("ffmpeg", "-hide_banner -loglevel error -y -i %in " + codecArgs + " %out", out, seconds);
    }
};

}  // namespace

TEST_F(PeerFiles, Mp3WmaAndRealMediaPlayToTheirEndOnce) {
    struct Case {
        const char* what;
        std::string file;
    };
    const Case cases[] = {
        {"MP3 by lame", encode("lame", "--quiet -b 128 %in %out", "tone.mp3", 1.0)},
        {"WMA by ffmpeg", ffmpeg("-c:a wmav2 -b:a 128k", "tone.wma", 1.0)},
        {"RealMedia with AC-3 by ffmpeg", ffmpeg("-c:a ac3 -b:a 96k", "tone.rm", 1.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.file.empty()) GTEST_SKIP() << "encoder missing";
        ends = 0;
        std::int64_t start = ui.nowMs();
        player->setFileName(c.file);
        ASSERT_TRUE(rolling());
        EXPECT_NEAR(player->duration(), 1.0, 0.1);
        ASSERT_TRUE(ended());
        EXPECT_GE(endedAtMs - start, 800);
        runFor(300);
        EXPECT_EQ(ends, 1);
    }
}

TEST_F(PeerFiles, Mp3SeeksAndPausesAsTheTableSays) {
    std::string mp3 = encode("lame", "--quiet -b 128 %in %out", "two.mp3", 2.0);
    if (mp3.empty()) GTEST_SKIP() << "lame missing";
    std::int64_t start = ui.nowMs();
    player->setFileName(mp3);
    player->setCurrentPosition(1.0);
    ASSERT_TRUE(rolling());
    EXPECT_NEAR(player->currentPosition(), 1.0, 0.1);
    player->pause();
    runFor(400);
    player->play();
    ASSERT_TRUE(ended());
    // 1 s of sound plus the 0.4 s pause.
    EXPECT_GE(endedAtMs - start, 1200);
    EXPECT_LT(endedAtMs - start, 2300);  // from the start it would take 2.4 s
    EXPECT_EQ(ends, 1);
}

// rmdemux does not know RealAudio 14.4 ("lpcJ") as ffmpeg writes it: the file
// is reported once and never ends, so the playlist is not moved on by it.
TEST_F(PeerFiles, RealMediaItCannotDecodeIsReportedOnceWithoutEndOfStream) {
    testing::internal::CaptureStderr();
    std::string rm = encode("ffmpeg", "-hide_banner -loglevel error -y -i %in -ar 8000 -ac 1 -c:a real_144 %out",
                            "speech.rm", 1.0);
    if (rm.empty()) {
        testing::internal::GetCapturedStderr();
        GTEST_SKIP() << "ffmpeg missing";
    }
    player->setFileName(rm);
    EXPECT_TRUE(runUntil([&] { return player->playState() == media::Stopped; }));
    runFor(1500);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countLines(err, "cannot play"), 1) << err;
    EXPECT_EQ(ends, 0);
}
