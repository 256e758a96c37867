// Where a leading ID3v2 tag ends: the standard's syncsafe size, and the plain
// size that this program's older tags carry, told apart by what follows.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "metadata/id3v2_extent.hpp"
#include "testsupport/support.hpp"

namespace {

using metadata::Id3v2Header;
using metadata::ReadId3v2Header;

const std::string kFrame = std::string("\xFF\xFB\x90\x00", 4);  // MPEG-1 Layer III, 128 kbit/s

std::string header(int major, int flags, unsigned char s0, unsigned char s1, unsigned char s2,
                   unsigned char s3, int revision = 0) {
    std::string h = "ID3";
    h += static_cast<char>(major);
    h += static_cast<char>(revision);
    h += static_cast<char>(flags);
    h += static_cast<char>(s0);
    h += static_cast<char>(s1);
    h += static_cast<char>(s2);
    h += static_cast<char>(s3);
    return h;
}

// `bytes` padded with zeros to `length`, then `tail`.
std::string at(std::string bytes, std::size_t length, const std::string& tail) {
    bytes.resize(length, '\0');
    return bytes + tail;
}

std::optional<Id3v2Header> parse(const std::string& file) {
    auto read = [&](std::int64_t offset, std::size_t count) {
        if (offset < 0 || static_cast<std::size_t>(offset) >= file.size()) return std::string();
        return file.substr(static_cast<std::size_t>(offset), count);
    };
    return ReadId3v2Header(read, static_cast<std::int64_t>(file.size()));
}

std::string audio(std::size_t frames = 4) {
    std::string out;
    for (std::size_t i = 0; i < frames; ++i) out += at(kFrame, 418, "");
    return out;
}

TEST(Id3v2Extent, SyncsafeSizeAndFooter) {
    // 00 00 02 01 syncsafe = 257 bytes after the header.
    auto h = parse(at(header(3, 0, 0, 0, 2, 1), 267, audio()));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->major, 3);
    EXPECT_FALSE(h->plainSize);
    EXPECT_EQ(h->size, 257);
    EXPECT_EQ(h->extent, 267);

    auto f = parse(at(header(4, 0x10, 0, 0, 1, 0), 148, audio()));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size, 128);
    EXPECT_EQ(f->extent, 148);  // the footer adds 10
    EXPECT_EQ(f->flags, 0x10);

    // The footer flag means nothing before version 4.
    auto g = parse(at(header(3, 0x10, 0, 0, 1, 0), 138, audio()));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->extent, 138);
}

TEST(Id3v2Extent, InvalidHeadersAreNoTag) {
    const std::string tail = audio();
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"lower-case marker", "id3" + header(3, 0, 0, 0, 1, 0).substr(3) + tail},
        {"version 1", header(1, 0, 0, 0, 1, 0) + tail},
        {"version 5", header(5, 0, 0, 0, 1, 0) + tail},
        {"revision 0xFF", header(3, 0, 0, 0, 1, 0, 0xFF) + tail},
        {"top bit set, version 4", header(4, 0, 0, 0, 0x80, 0) + tail},
        {"top bit set, flags set", header(3, 0x40, 0, 0, 0x80, 0) + tail},
        {"top bit set, not a multiple of 2048", header(3, 0, 0, 0, 0x80, 1) + tail},
        {"shorter than a header", std::string("ID3\x03\x00\x00\x00\x00", 8)},
        {"empty", ""},
    };
    for (const auto& c : cases) EXPECT_FALSE(parse(c.file)) << c.what;
}

// The old plain form: "ID3" 3 0 0 and 00 00 10 00 = 4096 bytes including the
// header; the same bytes read as syncsafe give 2048 + 10.
TEST(Id3v2Extent, PlainSizeTakenOnlyWhenItsEndIsPlausible) {
    const std::string h = header(3, 0, 0, 0, 0x10, 0);
    struct Case {
        const char* what;
        std::string file;
        bool plain;
        std::int64_t extent;
    } cases[] = {
        {"audio at the plain end", at(h, 4096, audio()), true, 4096},
        {"audio a few bytes after the plain end", at(h, 4096 + 7, audio()), true, 4096},
        {"audio too far after the plain end", at(h, 4096 + 11, audio()), false, 2058},
        {"ID3v1 block at the plain end", at(h, 4096, "TAG" + std::string(125, ' ')), true, 4096},
        {"end of the file at the plain end", at(h, 4096, ""), true, 4096},
        {"audio at both ends", at(at(h, 2058, audio(2)), 4096, audio()), false, 2058},
        {"audio only at the syncsafe end", at(h, 2058, audio(12)), false, 2058},
        {"plain end past the end of the file", at(h, 3000, ""), false, 2058},
        {"nothing plausible at either end", at(h, 5000, audio()), false, 2058},
    };
    for (const auto& c : cases) {
        auto r = parse(c.file);
        ASSERT_TRUE(r) << c.what;
        EXPECT_EQ(r->plainSize, c.plain) << c.what;
        EXPECT_EQ(r->extent, c.extent) << c.what;
        EXPECT_EQ(r->size, c.extent - 10) << c.what;
    }
}

TEST(Id3v2Extent, PlainFormNeedsVersion3FlagsZeroAndA2048Multiple) {
    struct Case {
        const char* what;
        std::string head;
        std::int64_t syncsafeExtent;
    } cases[] = {
        {"version 4", header(4, 0, 0, 0, 0x10, 0), 2058},
        {"version 2", header(2, 0, 0, 0, 0x10, 0), 2058},
        {"flags set", header(3, 0x40, 0, 0, 0x10, 0), 2058},
    };
    for (const auto& c : cases) {
        auto r = parse(at(c.head, 4096, audio()));
        ASSERT_TRUE(r) << c.what;
        EXPECT_FALSE(r->plainSize) << c.what;
        EXPECT_EQ(r->extent, c.syncsafeExtent) << c.what;
    }
    // 00 00 0F 76 plain is 3958, not a multiple of 2048: always syncsafe.
    auto r = parse(at(header(3, 0, 0, 0, 0x0F, 0x76), 3958, audio()));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->plainSize);
    EXPECT_EQ(r->extent, 10 + 0x0F * 128 + 0x76);
}

TEST(Id3v2Extent, TopBitMeansPlainWhateverFollows) {
    // 00 00 80 00 = 32768: cannot be syncsafe.
    auto r = parse(at(header(3, 0, 0, 0, 0x80, 0), 40000, audio()));
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->plainSize);
    EXPECT_EQ(r->extent, 32768);
    EXPECT_EQ(r->size, 32758);
}

TEST(Id3v2Extent, FrameHeaderCheck) {
    using metadata::IsLayer3FrameHeader;
    EXPECT_TRUE(IsLayer3FrameHeader(std::string("\xFF\xFB\x90\x00", 4)));
    EXPECT_TRUE(IsLayer3FrameHeader(std::string("\xFF\xF3\x48\xC4", 4)));   // MPEG-2
    EXPECT_FALSE(IsLayer3FrameHeader(std::string("\xFF\xFD\x90\x00", 4)));  // Layer II
    EXPECT_FALSE(IsLayer3FrameHeader(std::string("\xFF\xFB\x00\x00", 4)));  // free format
    EXPECT_FALSE(IsLayer3FrameHeader(std::string("\xFF\xFB\xF0\x00", 4)));  // bad bitrate
    EXPECT_FALSE(IsLayer3FrameHeader(std::string("\xFF\xFB\x9C\x00", 4)));  // reserved rate
    EXPECT_FALSE(IsLayer3FrameHeader(std::string("\xFF\xDB\x90\x00", 4)));  // no sync
    EXPECT_FALSE(IsLayer3FrameHeader(std::string("\xFF\xFB\x90", 3)));
}

// Corpus files whose size bytes could be read either way; the extents are the
// tag sizes that mutagen reports for them.
TEST(Id3v2Extent, CorpusFilesAgreeWithMutagen) {
    struct Case {
        const char* name;
        std::int64_t extent;
    } cases[] = {{"vbri.mp3", 1007}, {"id3v23_unsynch.id3", 186}, {"issue_21.id3", 256}};
    for (const auto& c : cases) {
        std::string path = testsupport::corpusDir() + "/" + c.name;
        if (!testsupport::exists(path)) GTEST_SKIP() << "no corpus at " << testsupport::corpusDir();
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0) << path;
        off_t size = ::lseek(fd, 0, SEEK_END);
        auto r = ReadId3v2Header(metadata::ReadAtDescriptor(fd), size);
        ::close(fd);
        ASSERT_TRUE(r) << c.name;
        EXPECT_FALSE(r->plainSize) << c.name;
        EXPECT_EQ(r->extent, c.extent) << c.name;
    }
}

}  // namespace
