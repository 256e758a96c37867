#pragma once
// Where a leading ID3v2 tag ends. The MPEG analyser skips the tag before it
// looks for the first audio frame, and the ID3v2 reader walks its frames up to
// the same end, so both decide the extent here, in one way.
//
// The size field is read in the standard's syncsafe form (7 bits per byte,
// counting the bytes after the 10-byte header). Tags that this program wrote in
// the past store a plain big-endian size that counts the header too (always
// version 3, flags 0, a multiple of 2048). That plain reading is taken when a
// size byte has its top bit set (it cannot be syncsafe then), or when the plain
// end of the tag is followed by audio, "TAG" or the end of the file and the
// syncsafe end is not.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace metadata {

// Reads `count` bytes at 0-based `offset`; returns fewer at the end of the file.
using ReadAt = std::function<std::string(std::int64_t offset, std::size_t count)>;

// What a file ends with once written: `bytes` in place of its last
// `replaced` bytes (0: after its last byte).
struct FileEnding {
    std::int64_t replaced = 0;
    std::string bytes;
};

struct Id3v2Header {
    int major = 0, revision = 0, flags = 0;
    bool plainSize = false;   // the size is the original program's plain big-endian form
    std::int64_t size = 0;    // bytes after the 10-byte header, not counting a footer
    std::int64_t extent = 0;  // the whole tag: 10 + size, plus 10 with the 2.4 footer flag
};

// The ID3v2 tag at the very start of the file, or nullopt when the file does not start
// with a valid header ("ID3", version 2/3/4, revision below 0xFF, size as described).
std::optional<Id3v2Header> ReadId3v2Header(const ReadAt& read, std::int64_t fileSize);

// True when the four bytes at `p` are a plausible MPEG audio frame header:
// sync, Layer III, bitrate index 1 to 14, sample-rate index 0 to 2.
bool IsLayer3FrameHeader(std::string_view fourBytes);

// A ReadAt over an open descriptor (pread); short reads at the end of the file.
ReadAt ReadAtDescriptor(int fd);

}  // namespace metadata
