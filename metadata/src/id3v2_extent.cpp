#include "metadata/id3v2_extent.hpp"

#include <cerrno>

#include <unistd.h>

namespace metadata {

namespace {

constexpr std::int64_t kHeaderSize = 10;
// How far past a tag's end the next thing may start and still count as
// following it (old writers left a few stray bytes).
constexpr std::int64_t kSlack = 10;

unsigned byteAt(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Whether something a tag is expected to end on (an audio frame, an ID3v1
// block or the end of the file) starts at `end` or up to kSlack bytes after it.
bool EndsPlausibly(const ReadAt& read, std::int64_t end, std::int64_t fileSize) {
    if (end < 0 || end > fileSize) return false;
    if (fileSize - end <= kSlack) return true;  // the end of the file is within reach
    std::string window = read(end, static_cast<std::size_t>(kSlack + 4));
    for (std::size_t k = 0; k <= static_cast<std::size_t>(kSlack) && k + 3 <= window.size(); ++k) {
        std::string_view at(window.data() + k, window.size() - k);
        if (at.substr(0, 3) == "TAG") return true;
        if (at.size() >= 4 && IsLayer3FrameHeader(at.substr(0, 4))) return true;
    }
    return false;
}

}  // namespace

bool IsLayer3FrameHeader(std::string_view h) {
    if (h.size() < 4) return false;
    if (byteAt(h, 0) != 0xFF || (byteAt(h, 1) & 0xE0) != 0xE0) return false;
    if (((byteAt(h, 1) >> 1) & 0x03) != 0x01) return false;  // layer bits 01 = Layer III
    unsigned bitrate = byteAt(h, 2) >> 4;
    unsigned rate = (byteAt(h, 2) >> 2) & 0x03;
    return bitrate >= 1 && bitrate <= 14 && rate <= 2;
}

std::optional<Id3v2Header> ReadId3v2Header(const ReadAt& read, std::int64_t fileSize) {
    if (fileSize < kHeaderSize) return std::nullopt;
    std::string h = read(0, static_cast<std::size_t>(kHeaderSize));
    if (h.size() < static_cast<std::size_t>(kHeaderSize) || h.compare(0, 3, "ID3") != 0)
        return std::nullopt;
    Id3v2Header out;
    out.major = static_cast<int>(byteAt(h, 3));
    out.revision = static_cast<int>(byteAt(h, 4));
    out.flags = static_cast<int>(byteAt(h, 5));
    if (out.major < 2 || out.major > 4 || out.revision == 0xFF) return std::nullopt;

    bool topBitSet = false;
    std::int64_t plain = 0, syncsafe = 0;
    for (std::size_t i = 6; i < 10; ++i) {
        unsigned b = byteAt(h, i);
        topBitSet = topBitSet || b >= 0x80;
        plain = (plain << 8) | b;
        syncsafe = (syncsafe << 7) | (b & 0x7F);
    }
    const bool plainCandidate = out.major == 3 && out.flags == 0 && plain > 0 && plain % 2048 == 0;

    bool usePlain = false;
    if (topBitSet) {
        if (!plainCandidate) return std::nullopt;  // neither a syncsafe nor the old plain size
        usePlain = true;
    } else if (plainCandidate) {
        usePlain = EndsPlausibly(read, plain, fileSize) &&
                   !EndsPlausibly(read, kHeaderSize + syncsafe, fileSize);
    }

    out.plainSize = usePlain;
    if (usePlain) {
        out.extent = plain;
        out.size = plain - kHeaderSize;
    } else {
        out.size = syncsafe;
        out.extent = kHeaderSize + syncsafe + ((out.major == 4 && (out.flags & 0x10)) ? kHeaderSize : 0);
    }
    return out;
}

ReadAt ReadAtDescriptor(int fd) {
    return [fd](std::int64_t offset, std::size_t count) {
        std::string out;
        if (offset < 0) return out;
        out.resize(count);
        std::size_t got = 0;
        while (got < count) {
            ssize_t n = ::pread(fd, out.data() + got, count - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
        return out;
    };
}

}  // namespace metadata
