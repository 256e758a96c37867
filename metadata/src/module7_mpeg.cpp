// GetMpegInfo: finds the first MPEG-1 Layer III frame header after a leading
// ID3v2 tag, looks for a Xing header in that frame, and derives bitrate, frame
// length, frame count, play time and file size from the audio between the
// first frame and the trailing ID3v1/Lyrics3 blocks.

#include <cstring>
#include <limits>

#include "metadata/id3v2_extent.hpp"
#include "metadata/module7.hpp"
#include "numbered_file.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"

namespace metadata::Module7 {

namespace {

using detail::NumberedFile;

constexpr std::int64_t kMinLength = 256;
constexpr std::size_t kHeadBytes = 4096;   // the first read: an ID3v2 header and often the first frame
constexpr std::int64_t kWholeFile = 16384;  // a file this small is read at once
// The sync search reads a small run first (the frame usually follows the tag
// at once), then larger runs.
constexpr std::size_t kFirstScan = 4096;
constexpr std::size_t kScanChunk = 65536;
constexpr std::size_t kFrameBytes = 64;    // header, side information and a Xing header's first fields

constexpr std::array<std::int16_t, 4> kVersionLayer = {0, 3, 2, 1};
constexpr std::array<const char*, 4> kChannelModes = {"stereo", "joint stereo", "dual channel",
                                                      "single channel"};
constexpr std::array<const char*, 4> kEmphasis = {"None", "50/15", "Reserved", "CCITT J 17"};
constexpr std::array<std::int32_t, 3> kSampleRates = {44100, 48000, 32000};
constexpr std::array<std::int32_t, 15> kBitrates = {0,   32,  40,  48,  56,  64,  80, 96,
                                                    112, 128, 160, 192, 224, 256, 320};

const char* yesNo(bool yes) { return yes ? "Yes" : "No"; }

// num / den rounded to the nearest whole number, an exact half to the even one.
std::uint64_t divRoundHalfEven(unsigned __int128 num, unsigned __int128 den) {
    unsigned __int128 q = num / den, r = num % den;
    if (2 * r > den || (2 * r == den && (q & 1))) ++q;
    return q > std::numeric_limits<std::uint64_t>::max() ? std::numeric_limits<std::uint64_t>::max()
                                                         : static_cast<std::uint64_t>(q);
}

std::uint32_t bigEndian32(std::string_view b) {
    return (std::uint32_t(std::uint8_t(b[0])) << 24) | (std::uint32_t(std::uint8_t(b[1])) << 16) |
           (std::uint32_t(std::uint8_t(b[2])) << 8) | std::uint32_t(std::uint8_t(b[3]));
}

// A run of the file's bytes kept from one read, so the steps that look at the
// same bytes do not read them again.
struct Window {
    std::int64_t offset = 0;
    std::string data;

    bool holds(std::int64_t at, std::size_t count) const {
        return at >= offset && at + static_cast<std::int64_t>(count) <= offset + static_cast<std::int64_t>(data.size());
    }
    // The bytes held from `at` on (`at` must be held).
    std::string_view rest(std::int64_t at) const {
        return std::string_view(data).substr(static_cast<std::size_t>(at - offset));
    }
    // `count` bytes at `at`, fewer at the end of the file.
    std::string_view get(const NumberedFile& file, std::int64_t at, std::size_t count, std::size_t readAhead = 0) {
        if (!holds(at, count)) {
            offset = at;
            data = file.read(at, count > readAhead ? count : readAhead);
        }
        std::string_view v(data);
        std::size_t from = static_cast<std::size_t>(at - offset);
        return from >= v.size() ? std::string_view() : v.substr(from, count);
    }
};

// 0-based position of the first FF FA / FF FB pair at or after `start`, or -1.
std::int64_t findSync(const NumberedFile& file, Window& window, std::int64_t start) {
    const std::int64_t length = file.length();
    std::int64_t pos = start;
    std::size_t want = kFirstScan;
    while (pos + 1 < length) {
        std::string_view chunk;
        if (window.holds(pos, 2)) {
            chunk = window.rest(pos);  // bytes already read
        } else {
            chunk = window.get(file, pos, want + 1);
            want = kScanChunk;
        }
        if (chunk.size() < 2) break;
        const char* base = chunk.data();
        std::size_t i = 0;
        while (i + 1 < chunk.size()) {
            const void* hit = std::memchr(base + i, 0xFF, chunk.size() - 1 - i);
            if (!hit) break;
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
            const auto next = static_cast<std::uint8_t>(base[i + 1]);
            if (next == 0xFA || next == 0xFB) return pos + static_cast<std::int64_t>(i);
            ++i;
        }
        pos += static_cast<std::int64_t>(chunk.size() - 1);
    }
    return -1;
}

// Where the audio ends: before a trailing ID3v1 block and a Lyrics3 v2 block
// in front of it (or at the very end when there is no ID3v1 block).
// The bytes already held in `window` serve when they reach the end of the file.
std::int64_t audioEnd(const NumberedFile& file, const Window& window) {
    std::int64_t end = file.length();
    constexpr std::int64_t kId3v1 = 128, kLyricsTail = 15;  // 6 size digits + "LYRICS200"
    const std::int64_t tailStart = end - kId3v1 - kLyricsTail < 0 ? 0 : end - kId3v1 - kLyricsTail;
    std::string tail = window.holds(tailStart, static_cast<std::size_t>(end - tailStart))
                           ? std::string(window.rest(tailStart).substr(0, static_cast<std::size_t>(end - tailStart)))
                           : file.read(tailStart, static_cast<std::size_t>(end - tailStart));
    const std::int64_t tailOffset = end - static_cast<std::int64_t>(tail.size());
    auto at = [&](std::int64_t pos, std::size_t n) -> std::string_view {
        if (pos < tailOffset || pos + static_cast<std::int64_t>(n) > end) return {};
        return std::string_view(tail).substr(static_cast<std::size_t>(pos - tailOffset), n);
    };
    if (end >= kId3v1 && at(end - kId3v1, 3) == "TAG") end -= kId3v1;
    if (end >= kLyricsTail && at(end - 9, 9) == "LYRICS200") {
        std::int64_t size = detail::LeadingDigits(at(end - kLyricsTail, 6));
        std::int64_t begin = end - kLyricsTail - size;
        if (begin >= 0 && file.read(begin, 11) == "LYRICSBEGIN") end = begin;
    }
    return end;
}

std::string lengthText(std::int64_t seconds) {
    std::int64_t h = seconds / 3600, m = (seconds / 60) % 60, s = seconds % 60;
    std::string out;
    if (h > 0) out = std::to_string(h) + ":";
    out += std::to_string(m) + ":";
    if (s < 10) out += "0";
    out += std::to_string(s);
    return out;
}

// Bytes as MiB rounded to hundredths (halves to even), without trailing zeros.
std::string sizeText(std::int64_t bytes) {
    std::uint64_t hundredths = divRoundHalfEven(static_cast<unsigned __int128>(bytes) * 100, 1048576);
    std::string out = std::to_string(hundredths / 100);
    unsigned frac = static_cast<unsigned>(hundredths % 100);
    if (frac != 0) {
        out += '.';
        out += static_cast<char>('0' + frac / 10);
        if (frac % 10 != 0) out += static_cast<char>('0' + frac % 10);
    }
    return out + " MB";
}

}  // namespace

std::string BytesToBits(const std::array<std::uint8_t, 4>& bytes) {
    std::string out;
    for (std::uint8_t b : bytes)
        for (int bit = 7; bit >= 0; --bit) {
            bool one = (b >> bit) & 1;
            if (one || !out.empty()) out += one ? '1' : '0';
        }
    return out;
}

std::int32_t BitsToLong(std::string_view bits) {
    std::int64_t value = 0;
    for (char c : bits) {
        value = value * 2 + (c == '1' ? 1 : 0);
        if (value > std::numeric_limits<std::int32_t>::max()) runtime::raise(runtime::err::Overflow);
    }
    return static_cast<std::int32_t>(value);
}

MpegInfo GetMpegInfo(std::string_view Path) {
    MpegInfo info;
    try {
        NumberedFile file(Path, runtime::Access::Read, runtime::Lock::Shared);
        const std::int64_t length = file.length();
        if (length < kMinLength) return info;

        // The search starts after a leading ID3v2 tag, so that cover art or other
        // frame data is never taken for an audio frame.
        Window window;
        window.get(file, 0, length <= kWholeFile ? static_cast<std::size_t>(length) : kHeadBytes);
        std::int64_t start = 0;
        auto readAt = [&](std::int64_t offset, std::size_t count) {
            return std::string(window.get(file, offset, count));
        };
        if (auto tag = ReadId3v2Header(readAt, length); tag && tag->extent <= length) start = tag->extent;

        const std::int64_t sync = findSync(file, window, start);
        if (sync < 0) return info;
        const std::int64_t position = sync + 1;
        if (position <= std::numeric_limits<std::int16_t>::max())
            info.HeaderPosition = static_cast<std::int16_t>(position);

        std::string frame(window.get(file, sync, kFrameBytes, kFrameBytes));
        frame.resize(kFrameBytes, '\0');  // a frame cut off by the end of the file reads as zeros
        const auto b1 = static_cast<std::uint8_t>(frame[1]);
        const auto b2 = static_cast<std::uint8_t>(frame[2]);
        const auto b3 = static_cast<std::uint8_t>(frame[3]);
        const unsigned modeIndex = b3 >> 6;
        const bool hasCrc = (b1 & 0x01) == 0;

        // Xing header: after the side information, 32 bytes in stereo modes and
        // 17 in mono; a CRC puts it 2 bytes further on.
        std::uint32_t xingFrames = 0;
        const std::size_t xingAt = modeIndex == 3 ? 21 : 36;
        for (std::size_t at : {xingAt, xingAt + 2}) {
            if (at != xingAt && !hasCrc) break;
            if (std::string_view(frame).substr(at, 4) != "Xing") continue;
            info.IsVbr = true;
            const std::uint32_t flags = bigEndian32(std::string_view(frame).substr(at + 4, 4));
            if (flags & 0x01) xingFrames = bigEndian32(std::string_view(frame).substr(at + 8, 4));
            break;
        }
        // The audio runs from the first frame to the trailing tags.
        std::int64_t audio = audioEnd(file, window) - sync;
        if (audio < 0) audio = 0;
        file.close();

        info.MpegVersion = kVersionLayer[(b1 >> 3) & 0x03];
        info.Layer = kVersionLayer[(b1 >> 1) & 0x03];
        info.ChannelMode = kChannelModes[modeIndex];
        info.Emphasis = kEmphasis[b3 & 0x03];
        const unsigned rateIndex = (b2 >> 2) & 0x03;
        info.SampleRate = rateIndex < kSampleRates.size() ? kSampleRates[rateIndex] : 44100;

        if (info.IsVbr) {
            if (xingFrames != 0 && xingFrames <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
                std::uint64_t kbps = divRoundHalfEven(
                    static_cast<unsigned __int128>(audio) * static_cast<unsigned>(info.SampleRate),
                    static_cast<unsigned __int128>(xingFrames) * 144000u);
                if (kbps <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
                    info.Bitrate = static_cast<std::int32_t>(kbps);
            }
        } else {
            const unsigned bitrateIndex = b2 >> 4;
            if (bitrateIndex < kBitrates.size()) info.Bitrate = kBitrates[bitrateIndex];
        }

        const bool padding = (b2 >> 1) & 0x01;
        info.Original = yesNo((b3 >> 2) & 0x01);
        info.Copyrighted = yesNo((b3 >> 3) & 0x01);
        info.PrivateBit = yesNo(b2 & 0x01);
        info.Padding = yesNo(padding);
        info.Crc = yesNo(hasCrc);

        std::uint64_t frameLength =
            divRoundHalfEven(static_cast<unsigned __int128>(info.Bitrate) * 144000u,
                             static_cast<unsigned>(info.SampleRate));
        if (frameLength <= static_cast<std::uint64_t>(std::numeric_limits<std::int16_t>::max()))
            info.FrameLength = static_cast<std::int16_t>(frameLength);
        if (padding && info.FrameLength < std::numeric_limits<std::int16_t>::max()) ++info.FrameLength;

        if (info.FrameLength > 0) {
            std::int64_t frames = audio / info.FrameLength;
            if (frames <= std::numeric_limits<std::int32_t>::max()) info.Frames = static_cast<std::int32_t>(frames);
        }

        std::int64_t seconds = info.Bitrate > 0 ? audio * 8 / (static_cast<std::int64_t>(info.Bitrate) * 1000) : 0;
        info.LengthText = lengthText(seconds);
        info.SizeText = sizeText(length);
    } catch (const runtime::Error&) {
        // The record keeps what the analysis found before the failure.
    }
    return info;
}

}  // namespace metadata::Module7
