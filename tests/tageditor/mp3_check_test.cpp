// The MP3 check by content that guards every tag write.

#include <gtest/gtest.h>

#include "../metadata/id3v2_fixtures.hpp"
#include "tageditor/mp3_check.hpp"
#include "testsupport/support.hpp"

namespace {

using id3v2test::audio;
using id3v2test::bytes;
using id3v2test::frame23;
using id3v2test::latin1;
using id3v2test::tag;

TEST(Mp3Check, ByContent) {
    const std::string id3 = tag(3, frame23("TIT2", latin1("x")), 16);
    const std::string tagBlock = "TAG" + std::string(125, ' ');
    const std::string longTag = tag(3, frame23("TIT2", latin1("x")), 400);
    struct Case {
        const char* name;
        std::string bytes;
        bool mp3;
    } cases[] = {
        {"frames", audio(4), true},
        {"ID3v2 then frames", id3 + audio(4), true},
        {"ID3v2 then no frames", id3 + std::string(300, '\x01'), true},
        {"ID3v2 alone", id3, true},
        {"Layer II frame", bytes({0xFF, 0xFD, 0x90, 0x00}) + std::string(400, 'x'), true},
        {"MPEG 2.5 frame", bytes({0xFF, 0xE3, 0x90, 0x00}) + std::string(400, 'x'), true},
        {"empty", "", false},
        {"text", "hello, this is no audio at all", false},
        {"bitrate index 15", bytes({0xFF, 0xFB, 0xF0, 0x00}) + std::string(400, 'x'), false},
        {"bitrate index 0", bytes({0xFF, 0xFB, 0x00, 0x00}) + std::string(400, 'x'), false},
        {"sample-rate index 3", bytes({0xFF, 0xFB, 0x9C, 0x00}) + std::string(400, 'x'), false},
        {"reserved version", bytes({0xFF, 0xEB, 0x90, 0x00}) + std::string(400, 'x'), false},
        {"reserved layer", bytes({0xFF, 0xF9, 0x90, 0x00}) + std::string(400, 'x'), false},
        {"WAV", "RIFF" + std::string(300, '\0'), false},
        {"AIFF", "FORM" + std::string(300, '\0'), false},
        {"MIDI", "MThd" + std::string(300, '\0'), false},
        {"WMA", bytes({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11}) + std::string(300, '\0'), false},
        {"RealMedia", ".RMF" + std::string(300, '\0'), false},
        {"MP4", std::string(4, '\0') + "ftypM4A " + std::string(300, '\0'), false},
        {"ID3v2 then RIFF", id3 + "RIFF" + std::string(300, '\0'), false},
        {"ID3v2 then Ogg", id3 + "OggS" + std::string(300, '\0'), false},
        {"ID3v2 then FLAC", id3 + "fLaC" + std::string(300, '\0'), false},
        {"ID3v2 then MP4", id3 + std::string(4, '\0') + "ftypM4A " + std::string(300, '\0'), false},
        {"ID3v2 longer than the file", id3.substr(0, id3.size() - 4), false},
        {"ID3v2 reaching into the ID3v1 block", longTag.substr(0, longTag.size() - 78) + tagBlock, false},
        {"ID3v2, frames, ID3v1", id3 + audio(2) + tagBlock, true},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string p = dir.file("f.bin");
        testsupport::writeFile(p, c.bytes);
        EXPECT_EQ(tageditor::IsMp3ByContent(p), c.mp3);
    }
    EXPECT_FALSE(tageditor::IsMp3ByContent(dir.file("missing.mp3")));
    EXPECT_FALSE(tageditor::IsMp3ByContent(dir.path()));
}

}  // namespace
