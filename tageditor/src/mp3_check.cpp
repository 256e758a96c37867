// The MP3 check by content.

#include "tageditor/mp3_check.hpp"

#include <cstdint>
#include <string>

#include "metadata/id3v2_extent.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"

namespace tageditor {

bool IsMpegFrameHeader(std::string_view b) {
    if (b.size() < 4) return false;
    const auto b0 = static_cast<std::uint8_t>(b[0]);
    const auto b1 = static_cast<std::uint8_t>(b[1]);
    const auto b2 = static_cast<std::uint8_t>(b[2]);
    if (b0 != 0xFF || (b1 & 0xE0) != 0xE0) return false;
    if (((b1 >> 3) & 0x03) == 1) return false;  // reserved version
    if (((b1 >> 1) & 0x03) == 0) return false;  // reserved layer
    const unsigned bitrate = b2 >> 4;
    if (bitrate < 1 || bitrate > 14) return false;
    return ((b2 >> 2) & 0x03) != 3;  // reserved sample rate
}

bool IsOtherContainer(std::string_view b) {
    static constexpr std::string_view kAsf("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8);
    for (std::string_view magic : {std::string_view("RIFF"), std::string_view("FORM"), std::string_view("MThd"),
                                   std::string_view(".RMF"), std::string_view("OggS"), std::string_view("fLaC"), kAsf})
        if (b.substr(0, magic.size()) == magic) return true;
    return b.size() >= 8 && b.substr(4, 4) == "ftyp";
}

bool IsMp3ByContent(std::string_view path) {
    runtime::FileTable& files = runtime::Files();
    int n = 0;
    try {
        n = files.FreeFile();
        files.Open(path, runtime::OpenMode::Binary, n, runtime::Access::Read);
    } catch (const runtime::Error&) {
        return false;
    }
    bool mp3 = false;
    try {
        const std::int64_t length = files.LOF(n);
        auto read = [&](std::int64_t offset, std::size_t count) {
            return offset >= length ? std::string() : files.GetBytes(n, offset + 1, count);
        };
        std::int64_t start = 0;
        auto tag = metadata::ReadId3v2Header(read, length);
        // A tag that claims more bytes than the file holds is broken: writing
        // it back would take in what follows (an ID3v1 block appended first).
        if (tag && tag->extent > length) return files.Close(n), false;
        // Nor may the tag reach into a trailing ID3v1 block: the two writes
        // would overwrite each other.
        if (tag && length >= 128 && tag->extent > length - 128 && read(length - 128, 3) == "TAG")
            return files.Close(n), false;
        if (tag) start = tag->extent;
        const std::string audio = read(start, 12);
        mp3 = IsMpegFrameHeader(audio) || (tag && !IsOtherContainer(audio));
    } catch (const runtime::Error&) {
        mp3 = false;
    }
    files.Close(n);
    return mp3;
}

}  // namespace tageditor
