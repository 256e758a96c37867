// GetMpegInfo: the first Layer III frame header (MPEG-1, 2 and 2.5) that the
// next frame follows, its Xing or VBRI header, and the figures derived from
// the audio's length.

#include <gtest/gtest.h>

#include "id3v1_mpeg_fixtures.hpp"
#include "metadata/module7.hpp"
#include "runtime/error.hpp"

namespace {

using fixtures::bytes;
using fixtures::frame;
using metadata::MpegInfo;
using metadata::Module7::GetMpegInfo;

const std::string kCbr128 = bytes({0xFF, 0xFB, 0x90, 0x00});  // 128 kbit/s, 44100 Hz, stereo

struct Files {
    testsupport::TempDir dir;
    std::string write(const std::string& content, std::uintmax_t length = 0, const std::string& tail = {}) {
        std::string path = dir.file("f" + std::to_string(++count) + ".mp3");
        fixtures::writeSparse(path, content, length, tail);
        return path;
    }
    int count = 0;
};

TEST(GetMpegInfo, DecodesTheFirstHeader) {
    Files f;
    MpegInfo a = GetMpegInfo(f.write(frame(kCbr128, 256)));
    EXPECT_EQ(a.MpegVersion, 1);
    EXPECT_EQ(a.Layer, 3);
    EXPECT_EQ(a.Bitrate, 128);
    EXPECT_EQ(a.SampleRate, 44100);
    EXPECT_EQ(a.ChannelMode, "stereo");
    EXPECT_EQ(a.Emphasis, "None");
    EXPECT_EQ(a.Crc, "No");
    EXPECT_EQ(a.Padding, "No");
    EXPECT_EQ(a.Original, "No");
    EXPECT_EQ(a.Copyrighted, "No");
    EXPECT_EQ(a.PrivateBit, "No");
    EXPECT_EQ(a.FrameLength, 418);
    EXPECT_EQ(a.HeaderPosition, 1);
    EXPECT_FALSE(a.IsVbr);
    EXPECT_EQ(a.Frames, 0);  // 256 bytes of audio hold no whole frame
    EXPECT_EQ(a.LengthText, "0:00");
    EXPECT_EQ(a.SizeText, "0 MB");

    MpegInfo b = GetMpegInfo(f.write(frame(bytes({0xFF, 0xFA, 0x92, 0xC4}), 1000)));
    EXPECT_EQ(b.Crc, "Yes");
    EXPECT_EQ(b.Padding, "Yes");
    EXPECT_EQ(b.ChannelMode, "single channel");
    EXPECT_EQ(b.Original, "Yes");
    EXPECT_EQ(b.FrameLength, 419);
    EXPECT_EQ(b.Frames, 2);

    MpegInfo c = GetMpegInfo(f.write(frame(bytes({0xFF, 0xFB, 0x55, 0x6B}), 1000)));
    EXPECT_EQ(c.Bitrate, 64);
    EXPECT_EQ(c.SampleRate, 48000);
    EXPECT_EQ(c.PrivateBit, "Yes");
    EXPECT_EQ(c.ChannelMode, "joint stereo");
    EXPECT_EQ(c.Copyrighted, "Yes");
    EXPECT_EQ(c.Emphasis, "CCITT J 17");
    EXPECT_EQ(c.FrameLength, 192);

    MpegInfo d = GetMpegInfo(f.write(frame(bytes({0xFF, 0xFB, 0x18, 0x81}), 1000)));
    EXPECT_EQ(d.Bitrate, 32);
    EXPECT_EQ(d.SampleRate, 32000);
    EXPECT_EQ(d.ChannelMode, "dual channel");
    EXPECT_EQ(d.Emphasis, "50/15");
    EXPECT_EQ(d.FrameLength, 144);

    MpegInfo e = GetMpegInfo(f.write(frame(bytes({0xFF, 0xFB, 0x9C, 0x02}), 1000)));
    EXPECT_EQ(e.SampleRate, 44100) << "the reserved rate reads as 44100";
    EXPECT_EQ(e.Emphasis, "Reserved");
}

TEST(GetMpegInfo, EmptyRecordWhenThereIsNothingToAnalyse) {
    Files f;
    const MpegInfo empty;
    EXPECT_EQ(GetMpegInfo(f.write(frame(kCbr128, 255))), empty);
    EXPECT_EQ(GetMpegInfo(f.write(std::string(5000, '\xFF'))), empty) << "FF FF is no header";
    EXPECT_EQ(GetMpegInfo(f.write(frame(bytes({0xFF, 0xFD, 0x90, 0x00}), 5000))), empty) << "Layer II";
    EXPECT_EQ(GetMpegInfo(f.dir.file("missing.mp3")), empty);
    EXPECT_FALSE(testsupport::exists(f.dir.file("missing.mp3")));
    EXPECT_EQ(GetMpegInfo(f.dir.path()), empty);
}

TEST(GetMpegInfo, BadBitrateStillFillsTheOtherFields) {
    Files f;
    for (int index : {0x00, 0xF0}) {
        MpegInfo i = GetMpegInfo(f.write(frame(bytes({0xFF, 0xFB, index | 0x02, 0x00}), 1000)));
        EXPECT_EQ(i.Bitrate, 0) << index;
        EXPECT_EQ(i.FrameLength, 1) << "0, plus 1 for the padding";
        EXPECT_EQ(i.Frames, 1000) << "the audio bytes, one per frame of length 1";
        EXPECT_EQ(i.LengthText, "0:00");
        EXPECT_EQ(i.SampleRate, 44100);
        EXPECT_EQ(i.Padding, "Yes");
        EXPECT_EQ(i.SizeText, "0 MB");
    }
}

TEST(GetMpegInfo, HeaderPositionAbove32767IsZero) {
    Files f;
    MpegInfo i = GetMpegInfo(f.write(std::string(39999, '\0') + frame(kCbr128, 1000)));
    EXPECT_EQ(i.HeaderPosition, 0);
    EXPECT_EQ(i.Bitrate, 128);
    EXPECT_EQ(i.FrameLength, 418);

    MpegInfo j = GetMpegInfo(f.write(std::string(32766, '\xFF') + frame(kCbr128, 1000)));
    EXPECT_EQ(j.HeaderPosition, 32767);
}

// A pair of sync bytes inside a leading ID3v2 tag (in cover art, say) is not a frame.
TEST(GetMpegInfo, SkipsALeadingId3v2Tag) {
    Files f;
    const std::string art = "APIC" + std::string(50, '\x01') + bytes({0xFF, 0xFB, 0x10, 0x00}) + "jpeg";
    const std::string tag = fixtures::id3v2Tag(2000, art);
    MpegInfo i = GetMpegInfo(f.write(tag + frame(kCbr128, 4180)));
    EXPECT_EQ(i.HeaderPosition, 2001);
    EXPECT_EQ(i.Bitrate, 128);
    EXPECT_EQ(i.Frames, 10);

    EXPECT_EQ(GetMpegInfo(f.write(tag + std::string(3000, '\0'))), MpegInfo()) << "only a pair inside the tag";

    // A tag whose stated extent lies past the end of the file is no guide: search from byte 1.
    std::string claimsTooMuch = fixtures::id3v2Tag(100000, art).substr(0, 1000);
    MpegInfo k = GetMpegInfo(f.write(claimsTooMuch));
    EXPECT_EQ(k.HeaderPosition, 10 + 4 + 50 + 1);
    EXPECT_EQ(k.Bitrate, 32);

    // A tag this program wrote in the past states its size plainly (4096,
    // header included); read as syncsafe it would end at 2058, inside its art.
    std::string plain = "ID3" + bytes({3, 0, 0, 0, 0, 0x10, 0x00}) + std::string(2100, '\x01') +
                        bytes({0xFF, 0xFB, 0x10, 0x00});
    plain.resize(4096, '\0');
    MpegInfo p = GetMpegInfo(f.write(plain + frame(kCbr128, 4180)));
    EXPECT_EQ(p.HeaderPosition, 4097);
    EXPECT_EQ(p.Bitrate, 128);
}

TEST(GetMpegInfo, XingHeaderWhereTheChannelModeAndCrcPutIt) {
    Files f;
    struct Case {
        const char* what;
        std::string header;
        std::size_t xingAt;
        bool vbr;
    } cases[] = {
        {"stereo", bytes({0xFF, 0xFB, 0x90, 0x00}), 36, true},
        {"joint stereo", bytes({0xFF, 0xFB, 0x90, 0x40}), 36, true},
        {"dual channel", bytes({0xFF, 0xFB, 0x90, 0x80}), 36, true},
        {"mono", bytes({0xFF, 0xFB, 0x90, 0xC0}), 21, true},
        {"stereo with CRC", bytes({0xFF, 0xFA, 0x90, 0x00}), 38, true},
        {"stereo with CRC, at the plain offset", bytes({0xFF, 0xFA, 0x90, 0x00}), 36, true},
        {"mono with CRC", bytes({0xFF, 0xFA, 0x90, 0xC0}), 23, true},
        {"mono at the stereo offset", bytes({0xFF, 0xFB, 0x90, 0xC0}), 36, false},
        {"stereo at the mono offset", bytes({0xFF, 0xFB, 0x90, 0x00}), 21, false},
        {"stereo without CRC, 2 bytes on", bytes({0xFF, 0xFB, 0x90, 0x00}), 38, false},
    };
    for (const auto& c : cases) {
        // 1000 frames in 418000 bytes of audio is 128 kbit/s at 44100 Hz.
        std::string audio = frame(c.header, 418, c.xingAt, fixtures::xing(1000));
        MpegInfo i = GetMpegInfo(f.write(audio, 418000));
        EXPECT_EQ(i.IsVbr, c.vbr) << c.what;
        EXPECT_EQ(i.Bitrate, 128) << c.what;
        EXPECT_EQ(i.LengthText, "0:26") << c.what;
    }
}

TEST(GetMpegInfo, XingFrameCountOnlyWhenItsFlagIsSet) {
    Files f;
    // A count of 0, or no count at all, leaves the average bitrate unknown.
    for (std::uint32_t flags : {0x0Fu, 0x0Eu}) {
        std::uint32_t count = flags & 1 ? 0 : 1000;
        MpegInfo i = GetMpegInfo(f.write(frame(kCbr128, 418, 36, fixtures::xing(count, flags)), 418000));
        EXPECT_TRUE(i.IsVbr) << flags;
        EXPECT_EQ(i.Bitrate, 0) << flags;
        EXPECT_EQ(i.FrameLength, 0) << flags;
        EXPECT_EQ(i.Frames, 0) << flags;
        EXPECT_EQ(i.LengthText, "0:00") << flags;
    }
}

// Average bitrate = audio bytes x sample rate / frames / 144000, halves to even.
TEST(GetMpegInfo, VbrBitrateRoundsHalfToEven) {
    Files f;
    struct Case {
        std::string header;
        std::uintmax_t length;
        std::uint32_t frames;
        int bitrate;
    } cases[] = {
        {kCbr128, 4000000, 10000, 122},                       // 122.5
        {bytes({0xFF, 0xFB, 0x94, 0x00}), 3705000, 10000, 124},  // 48000 Hz: 123.5
        {bytes({0xFF, 0xFB, 0x94, 0x00}), 3675000, 10000, 122},  // 122.5
        {kCbr128, 4000001, 10000, 123},                       // just above the half
    };
    for (const auto& c : cases) {
        MpegInfo i = GetMpegInfo(f.write(frame(c.header, 418, 36, fixtures::xing(c.frames)), c.length));
        EXPECT_TRUE(i.IsVbr);
        EXPECT_EQ(i.Bitrate, c.bitrate) << c.length;
    }
}

// FrameLength = bitrate x 144000 / sample rate, an exact half to the even
// neighbour: a VBR average of 121 kbit/s at 32000 Hz gives 544.5, so 544.
TEST(GetMpegInfo, FrameLengthRoundsHalfToEven) {
    Files f;
    const std::string header32k = bytes({0xFF, 0xFB, 0x98, 0x00});
    MpegInfo i = GetMpegInfo(f.write(frame(header32k, 418, 36, fixtures::xing(1000)), 544500));
    EXPECT_EQ(i.SampleRate, 32000);
    EXPECT_EQ(i.Bitrate, 121);
    EXPECT_EQ(i.FrameLength, 544);
    EXPECT_EQ(i.Frames, 1000);
    MpegInfo j = GetMpegInfo(f.write(frame(header32k, 418, 36, fixtures::xing(1000)), 553500));
    EXPECT_EQ(j.Bitrate, 123);
    EXPECT_EQ(j.FrameLength, 554);  // 553.5
}

// Only the bytes from the first frame to the trailing tags are audio.
TEST(GetMpegInfo, TagBytesAreNotCountedAsAudio) {
    Files f;
    const std::string tag = fixtures::id3v2Tag(500000, "APIC");
    const std::string tail = fixtures::lyrics3({{"IND", "01"}, {"LYR", std::string(3000, 'l')}}) +
                             fixtures::id3v1Block("Title");
    // 1,600,000 bytes at 128 kbit/s: 100 s, 3827 frames of 418 bytes.
    const std::string cbr = f.write(tag + frame(kCbr128), 500000 + 1600000, tail);
    MpegInfo c = GetMpegInfo(cbr);
    EXPECT_EQ(c.LengthText, "1:40");
    EXPECT_EQ(c.Frames, 1600000 / 418);
    EXPECT_EQ(c.HeaderPosition, 0);

    // The VBR average of 4,000,000 audio bytes stays 122, whatever the tags add.
    const std::string vbr = f.write(tag + frame(kCbr128, 418, 36, fixtures::xing(10000)), 500000 + 4000000, tail);
    MpegInfo v = GetMpegInfo(vbr);
    EXPECT_EQ(v.Bitrate, 122);
    EXPECT_EQ(v.LengthText, "4:21");  // 10000 frames of 1152 samples at 44100 Hz = 261.2 s

    // A Lyrics3 block at the very end, without an ID3v1 block.
    MpegInfo l = GetMpegInfo(f.write(frame(kCbr128), 1600000, fixtures::lyrics3({{"LYR", std::string(9000, 'x')}})));
    EXPECT_EQ(l.LengthText, "1:40");
    // A "LYRICS200" whose size points at no start marker is audio.
    MpegInfo n = GetMpegInfo(f.write(frame(kCbr128), 1600000 - 15, "000100LYRICS200"));
    EXPECT_EQ(n.Frames, 1600000 / 418);
}

TEST(GetMpegInfo, LengthAndSizeTexts) {
    Files f;
    struct Case {
        std::uintmax_t length;
        int bitrateIndex;  // of the header's third byte
        const char* lengthText;
        const char* sizeText;
    } cases[] = {
        {2000000, 0x90, "2:05", "1.91 MB"},     // 125 s at 128 kbit/s
        {14900000, 0x10, "1:2:05", "14.21 MB"},  // 3725 s at 32 kbit/s
        {1048576, 0x90, "1:05", "1 MB"},
        {3670016, 0x90, "3:49", "3.5 MB"},
        {4194304, 0x90, "4:22", "4 MB"},
        {131072, 0x90, "0:08", "0.12 MB"},  // 12.5 hundredths: halves to even
        {393216, 0x90, "0:24", "0.38 MB"},  // 37.5
    };
    for (const auto& c : cases) {
        MpegInfo i = GetMpegInfo(f.write(frame(bytes({0xFF, 0xFB, c.bitrateIndex, 0x00})), c.length));
        EXPECT_EQ(i.LengthText, c.lengthText) << c.length;
        EXPECT_EQ(i.SizeText, c.sizeText) << c.length;
    }
}

// `count` frames of `size` bytes one after the other, each the header and
// zeros; the first holds `inside` at `at`.
std::string chained(const std::string& header, std::size_t size, std::size_t count, std::size_t at = 0,
                    std::string_view inside = {}) {
    std::string out = frame(header, size, at, inside);
    for (std::size_t i = 1; i < count; ++i) out += frame(header, size);
    return out;
}

TEST(GetMpegInfo, Mpeg2And25FramesReadWithTheirOwnTables) {
    Files f;
    struct Case {
        const char* what;
        std::string header;
        std::size_t size;  // the frame's true size: 72000 (MPEG-1: 144000) x bitrate / rate, whole part
        std::size_t count;
        int version, rate, bitrate, frameLength;
        const char* length;
    } cases[] = {
        {"MPEG-2 16 kHz 32 kbit/s mono", bytes({0xFF, 0xF3, 0x48, 0xC0}), 144, 2500, 2, 16000, 32, 144, "1:30"},
        {"MPEG-2 22.05 kHz 64 kbit/s", bytes({0xFF, 0xF3, 0x80, 0x00}), 208, 1000, 2, 22050, 64, 209, "0:26"},
        {"MPEG-2 24 kHz 160 kbit/s with CRC", bytes({0xFF, 0xF2, 0xE4, 0x40}), 480, 1000, 2, 24000, 160, 480, "0:24"},
        {"MPEG-2.5 8 kHz 8 kbit/s", bytes({0xFF, 0xE3, 0x18, 0xC0}), 72, 5000, 0, 8000, 8, 72, "6:00"},
        {"MPEG-2.5 11.025 kHz 32 kbit/s", bytes({0xFF, 0xE3, 0x40, 0x00}), 208, 1000, 0, 11025, 32, 209, "0:52"},
        {"MPEG-2.5 12 kHz 144 kbit/s", bytes({0xFF, 0xE3, 0xD4, 0x00}), 864, 1000, 0, 12000, 144, 864, "0:48"},
        {"MPEG-1 48 kHz 320 kbit/s", bytes({0xFF, 0xFB, 0xE4, 0x00}), 960, 1000, 1, 48000, 320, 960, "0:24"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t count = c.count;
        MpegInfo i = GetMpegInfo(f.write(chained(c.header, c.size, count)));
        EXPECT_EQ(i.MpegVersion, c.version);
        EXPECT_EQ(i.Layer, 3);
        EXPECT_EQ(i.SampleRate, c.rate);
        EXPECT_EQ(i.Bitrate, c.bitrate);
        EXPECT_EQ(i.FrameLength, c.frameLength);
        EXPECT_EQ(i.Frames, static_cast<int>(c.size * count / c.frameLength));
        EXPECT_EQ(i.LengthText, c.length);
        EXPECT_EQ(i.HeaderPosition, 1);
        EXPECT_FALSE(i.IsVbr);
    }
}

// Sync pairs that begin no chain of frames (as MPEG-2 audio holds by chance)
// are passed over; a header counts when the next one, of the same version,
// layer and sample rate, begins where its frame ends, or its frame reaches the
// end of the audio.
TEST(GetMpegInfo, TheFirstHeaderThatTheNextFrameFollowsWins) {
    Files f;
    const std::string mpeg2 = bytes({0xFF, 0xF3, 0x48, 0xC0});  // 16 kHz, 32 kbit/s: 144 bytes
    const std::string audio = chained(mpeg2, 144, 2500);
    // 300 bytes before the audio: an MPEG-1 header whose next frame would lie
    // inside the audio's first frame, an MPEG-2 one followed by zeros, one of
    // a bad bitrate, one of the reserved rate, and two whose next frame would
    // be the audio's first header but of another version or sample rate.
    std::string strays = "junk" + kCbr128 + std::string(20, '\0') + mpeg2 + std::string(20, '\0') +
                         bytes({0xFF, 0xF3, 0xF8, 0xC0}) + bytes({0xFF, 0xF3, 0x4C, 0xC0});
    strays.resize(300, '\0');
    strays.replace(300 - 144, 4, bytes({0xFF, 0xFB, 0x18, 0x00}));  // MPEG-1 32 kHz 32 kbit/s: 144 bytes
    strays.replace(300 - 104, 4, bytes({0xFF, 0xF3, 0x40, 0x00}));  // MPEG-2 22.05 kHz 32 kbit/s: 104 bytes
    MpegInfo i = GetMpegInfo(f.write(strays + audio));
    EXPECT_EQ(i.HeaderPosition, 301);
    EXPECT_EQ(i.MpegVersion, 2);
    EXPECT_EQ(i.SampleRate, 16000);
    EXPECT_EQ(i.Bitrate, 32);
    EXPECT_EQ(i.LengthText, "1:30");

    // A stray FF FB in the audio after the first frame changes nothing.
    std::string planted = audio;
    planted.replace(144 + 40, 4, kCbr128);
    EXPECT_EQ(GetMpegInfo(f.write(planted)), GetMpegInfo(f.write(audio)));

    // A frame that reaches past the end of the audio (the last, cut short)
    // counts; the trailing ID3v1 block is not audio.
    MpegInfo last = GetMpegInfo(f.write(std::string(200, '\0') + frame(mpeg2, 100), 0, fixtures::id3v1Block("t")));
    EXPECT_EQ(last.HeaderPosition, 201);
    EXPECT_EQ(last.SampleRate, 16000);
    EXPECT_EQ(last.Frames, 0);

    // No header chains: the first FF FA / FF FB pair, as a lone header reads.
    MpegInfo lone = GetMpegInfo(f.write(std::string(10, '\0') + mpeg2 + std::string(200, '\0') + frame(kCbr128, 1000)));
    EXPECT_EQ(lone.HeaderPosition, 10 + 4 + 200 + 1);
    EXPECT_EQ(lone.MpegVersion, 1);
    EXPECT_EQ(lone.Bitrate, 128);
    // With only MPEG-2 headers that chain nowhere there is nothing to read.
    EXPECT_EQ(GetMpegInfo(f.write(frame(mpeg2, 1000))), MpegInfo());
}

TEST(GetMpegInfo, Mpeg2XingHeaderAndVbriHeader) {
    Files f;
    struct Case {
        const char* what;
        std::string header;
        std::size_t size, at;
        std::string inside;
        bool vbr;
        int bitrate;
        const char* length;
    } cases[] = {
        // 1000 frames of 144 bytes told as 500: 64 kbit/s on average, 18 s.
        {"MPEG-2 mono, Xing at 13", bytes({0xFF, 0xF3, 0x48, 0xC0}), 144, 13, fixtures::xing(500), true, 64, "0:18"},
        {"MPEG-2 stereo, Xing at 21", bytes({0xFF, 0xF3, 0x48, 0x00}), 144, 21, fixtures::xing(500), true, 64, "0:18"},
        {"MPEG-2 mono with CRC, Xing at 15", bytes({0xFF, 0xF2, 0x48, 0xC0}), 144, 15, fixtures::xing(500), true, 64, "0:18"},
        {"MPEG-2 mono, Xing at the MPEG-1 offset", bytes({0xFF, 0xF3, 0x48, 0xC0}), 144, 21, fixtures::xing(500), false, 32, "0:36"},
        // VBRI: 32 bytes after the header, the frame count 14 bytes into it.
        {"MPEG-1 VBRI", kCbr128, 417, 36, "VBRI" + bytes({0, 1, 0, 0, 0, 50}) + fixtures::bigEndian32(417000) + fixtures::bigEndian32(500), true, 255, "0:13"},
        {"MPEG-2 VBRI", bytes({0xFF, 0xF3, 0x48, 0xC0}), 144, 36, "VBRI" + bytes({0, 1, 0, 0, 0, 50}) + fixtures::bigEndian32(144000) + fixtures::bigEndian32(500), true, 64, "0:18"},
        {"VBRI with no frames", kCbr128, 417, 36, "VBRI" + bytes({0, 1, 0, 0, 0, 50}) + fixtures::bigEndian32(417000) + fixtures::bigEndian32(0), true, 0, "0:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MpegInfo i = GetMpegInfo(f.write(chained(c.header, c.size, 1000, c.at, c.inside)));
        EXPECT_EQ(i.IsVbr, c.vbr);
        EXPECT_EQ(i.Bitrate, c.bitrate);
        EXPECT_EQ(i.LengthText, c.length);
    }
}

// Encoders write the Xing header as "Info" into CBR files, and where it does
// not fit a frame of the audio's bitrate they put it in a first frame of a
// higher one. The file stays CBR; its bitrate is that of the frames after the
// Info frame, and its play time that of the frame count the header tells.
TEST(GetMpegInfo, InfoHeaderOfACbrFile) {
    Files f;
    struct Case {
        const char* what;
        std::string infoHeader;  // of the Info frame
        std::size_t infoSize, at;
        std::string audioHeader;  // of the frames after it
        std::size_t audioSize, count;
        std::uint32_t flags;
        int bitrate, frameLength;
        const char* length;
    } cases[] = {
        // 2500 frames of 576 samples at 16 kHz: 90 s.
        {"MPEG-2 16 kHz mono 16 kbit/s, Info frame at 40", bytes({0xFF, 0xF3, 0x58, 0xC0}), 180, 13,
         bytes({0xFF, 0xF3, 0x28, 0xC0}), 72, 2500, 0x0F, 16, 72, "1:30"},
        {"MPEG-2.5 8 kHz mono 8 kbit/s, Info frame at 24", bytes({0xFF, 0xE3, 0x38, 0xC0}), 216, 13,
         bytes({0xFF, 0xE3, 0x18, 0xC0}), 72, 5000, 0x0F, 8, 72, "6:00"},
        {"MPEG-2 22.05 kHz stereo 24 kbit/s, Info frame at 56", bytes({0xFF, 0xF3, 0x70, 0x00}), 182, 21,
         bytes({0xFF, 0xF3, 0x30, 0x00}), 78, 2000, 0x0F, 24, 78, "0:52"},
        {"MPEG-1 32 kHz stereo 32 kbit/s, Info frame at 48", bytes({0xFF, 0xFB, 0x38, 0x00}), 216, 36,
         bytes({0xFF, 0xFB, 0x18, 0x00}), 144, 1000, 0x0F, 32, 144, "0:36"},
        {"MPEG-1 48 kHz 128 kbit/s, Info frame at the same bitrate", bytes({0xFF, 0xFB, 0x94, 0x00}), 384, 36,
         bytes({0xFF, 0xFB, 0x94, 0x00}), 384, 1000, 0x0F, 128, 384, "0:24"},
        {"MPEG-1 mono with CRC, Info 2 bytes on", bytes({0xFF, 0xFA, 0x98, 0xC0}), 576, 23,
         bytes({0xFF, 0xFB, 0x58, 0xC0}), 288, 1000, 0x0F, 64, 288, "0:36"},
        // Without its frame count the play time comes from the audio's bytes.
        {"no frame count", bytes({0xFF, 0xF3, 0x58, 0xC0}), 180, 13, bytes({0xFF, 0xF3, 0x28, 0xC0}), 72, 2500,
         0x0E, 16, 72, "1:30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string info = frame(c.infoHeader, c.infoSize, c.at, fixtures::xing(c.count, c.flags, "Info"));
        MpegInfo i = GetMpegInfo(f.write(info + chained(c.audioHeader, c.audioSize, c.count)));
        EXPECT_FALSE(i.IsVbr);
        EXPECT_EQ(i.Bitrate, c.bitrate);
        EXPECT_EQ(i.FrameLength, c.frameLength);
        EXPECT_EQ(i.Frames, static_cast<int>(c.count));
        EXPECT_EQ(i.LengthText, c.length);
        EXPECT_EQ(i.HeaderPosition, 1);
        EXPECT_EQ(i.Padding, "No");
    }

    // An hour and more at 8 kbit/s: 51,737 frames at 8 kHz are 3725.2 s.
    const std::string hourInfo = frame(bytes({0xFF, 0xE3, 0x38, 0xC0}), 216, 13, fixtures::xing(51737, 0x0F, "Info"));
    MpegInfo h = GetMpegInfo(f.write(hourInfo + chained(bytes({0xFF, 0xE3, 0x18, 0xC0}), 72, 2), 216 + 51737 * 72));
    EXPECT_EQ(h.Bitrate, 8);
    EXPECT_EQ(h.LengthText, "1:2:05");
    EXPECT_FALSE(h.IsVbr);

    // An Info frame that no frame follows keeps its own bitrate.
    MpegInfo alone = GetMpegInfo(f.write(frame(kCbr128, 418, 36, fixtures::xing(100, 0x0F, "Info")) +
                                         std::string(1000, '\0')));
    EXPECT_FALSE(alone.IsVbr);
    EXPECT_EQ(alone.Bitrate, 128);
    EXPECT_EQ(alone.LengthText, "0:02");  // 100 frames of 1152 samples at 44.1 kHz
}

// The play time of a VBR file is its frame count's: the whole kbit/s of the
// average would put a low-bitrate file seconds off.
TEST(GetMpegInfo, VbrPlayTimeIsTheFrameCounts) {
    Files f;
    const std::string mpeg25 = bytes({0xFF, 0xE3, 0x18, 0xC0});  // 8 kHz mono, 72-byte frames
    // 1000 frames of 576 samples at 8 kHz are 72 s; 77,400 bytes average 8.6 kbit/s.
    MpegInfo i = GetMpegInfo(f.write(chained(mpeg25, 72, 2, 13, fixtures::xing(1000)), 77400));
    EXPECT_TRUE(i.IsVbr);
    EXPECT_EQ(i.Bitrate, 9);
    EXPECT_EQ(i.LengthText, "1:12");
    // VBRI likewise: 500 frames at 44.1 kHz are 13.06 s.
    const std::string vbri = "VBRI" + bytes({0, 1, 0, 0, 0, 50}) + fixtures::bigEndian32(0) + fixtures::bigEndian32(500);
    MpegInfo v = GetMpegInfo(f.write(chained(kCbr128, 418, 2, 36, vbri), 500 * 418 + 2000));
    EXPECT_TRUE(v.IsVbr);
    EXPECT_EQ(v.LengthText, "0:13");
}

TEST(Module7Bits, BytesToBitsAndBack) {
    using metadata::Module7::BitsToLong;
    using metadata::Module7::BytesToBits;
    EXPECT_EQ(BytesToBits({0xFF, 0xFB, 0x90, 0x00}), "11111111111110111001000000000000");
    EXPECT_EQ(BytesToBits({0, 0, 1, 2}), "100000010");
    EXPECT_EQ(BytesToBits({0, 0, 0, 0}), "");
    EXPECT_EQ(BitsToLong("100000010"), 258);
    EXPECT_EQ(BitsToLong(""), 0);
    EXPECT_EQ(BitsToLong("1111111111111111111111111111111"), 2147483647);
    EXPECT_THROW(BitsToLong("10000000000000000000000000000000"), runtime::Error);
}

}  // namespace
