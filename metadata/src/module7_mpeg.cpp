// GetMpegInfo: finds the first Layer III frame header (MPEG-1, 2 or 2.5) after
// a leading ID3v2 tag that the next frame follows, looks for a Xing, Info or
// VBRI header in that frame, and derives bitrate, frame length, frame count,
// play time and file size from the audio between the first frame (or the one
// after an Info frame) and the trailing ID3v1/Lyrics3 blocks, and from the
// frame count such a header tells.

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
constexpr std::size_t kFrameBytes = 64;    // header, side information and a Xing or VBRI header's first fields
// How far past the first FF FA / FF FB pair the search goes on for a frame that
// the next frame follows, before that pair is taken (a file that is no MPEG
// audio is not read to its end).
constexpr std::int64_t kChainReach = 1 << 20;

constexpr std::array<std::int16_t, 4> kVersionLayer = {0, 3, 2, 1};
constexpr std::array<const char*, 4> kChannelModes = {"stereo", "joint stereo", "dual channel",
                                                      "single channel"};
constexpr std::array<const char*, 4> kEmphasis = {"None", "50/15", "Reserved", "CCITT J 17"};
// By the header's version bits: 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1 (1 is reserved).
constexpr std::array<std::array<std::int32_t, 3>, 4> kSampleRates = {{
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}}};
// Layer III: ISO/IEC 11172-3 for MPEG-1, ISO/IEC 13818-3 for MPEG-2 and 2.5.
constexpr std::array<std::int32_t, 15> kBitratesMpeg1 = {0,   32,  40,  48,  56,  64,  80, 96,
                                                         112, 128, 160, 192, 224, 256, 320};
constexpr std::array<std::int32_t, 15> kBitratesMpeg2 = {0,  8,  16, 24,  32,  40,  48, 56,
                                                         64, 80, 96, 112, 128, 144, 160};

// The second byte of a Layer III header: FA/FB (MPEG-1), F2/F3 (MPEG-2) or
// E2/E3 (MPEG-2.5), the last bit telling whether a CRC follows.
bool layer3Sync(std::uint8_t b1) { return (b1 & 0xE6) == 0xE2 && ((b1 >> 3) & 0x03) != 1; }
bool isMpeg1(std::uint8_t b1) { return ((b1 >> 3) & 0x03) == 3; }
// Bytes per kbit/s of a frame at 1 Hz: 1152 samples a frame for MPEG-1, 576 for
// MPEG-2 and 2.5 (samples / 8 x 1000).
unsigned frameCoefficient(std::uint8_t b1) { return isMpeg1(b1) ? 144000u : 72000u; }
std::int32_t bitrateOf(std::uint8_t b1, unsigned index) {
    if (index >= kBitratesMpeg1.size()) return 0;
    return isMpeg1(b1) ? kBitratesMpeg1[index] : kBitratesMpeg2[index];
}

// Bytes of the frame whose header's second and third bytes are b1 and b2: the
// whole part of the product, one more with padding; 0 for a bad bitrate or
// sample rate.
std::int64_t frameSize(std::uint8_t b1, std::uint8_t b2) {
    const unsigned bitrateIndex = b2 >> 4, rateIndex = (b2 >> 2) & 0x03;
    if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return 0;
    const std::int32_t rate = kSampleRates[(b1 >> 3) & 0x03][rateIndex];
    if (rate == 0) return 0;
    return static_cast<std::int64_t>(frameCoefficient(b1)) * bitrateOf(b1, bitrateIndex) / rate + ((b2 >> 1) & 0x01);
}

// Whether the three bytes `n` begin a header of a frame that may follow one
// whose second and third header bytes are b1 and b2: the same version, layer
// and sample rate, a valid bitrate.
bool follows(std::string_view n, std::uint8_t b1, std::uint8_t b2) {
    if (n.size() < 3) return false;
    const auto n2 = static_cast<std::uint8_t>(n[2]);
    return static_cast<std::uint8_t>(n[0]) == 0xFF && (static_cast<std::uint8_t>(n[1]) & 0xFE) == (b1 & 0xFE) &&
           ((n2 >> 2) & 0x03) == ((b2 >> 2) & 0x03) && (n2 >> 4) != 0 && (n2 >> 4) != 15;
}

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

// Whether the header at `at` (its three first bytes in `h`) is a valid Layer III
// header that the next one, of the same version, layer and sample rate, follows
// where this frame ends, or whose frame reaches the end of the audio.
template <typename BytesAt>
bool chains(std::string_view h, std::int64_t at, std::int64_t audioEnd, BytesAt&& bytesAt) {
    const auto b1 = static_cast<std::uint8_t>(h[1]);
    const auto b2 = static_cast<std::uint8_t>(h[2]);
    const std::int64_t size = frameSize(b1, b2);
    if (size == 0 || at >= audioEnd) return false;
    const std::int64_t next = at + size;
    if (next >= audioEnd) return true;
    return follows(bytesAt(next, 3), b1, b2);
}

// 0-based position of the first frame header at or after `start` that the
// next frame follows (a stray pair of sync bytes in the audio is passed over),
// or else of the first FF FA / FF FB pair, or -1.
std::int64_t findSync(const NumberedFile& file, const Window& window, std::int64_t start, std::int64_t audioEnd) {
    const std::int64_t length = file.length();
    std::int64_t firstPair = -1;
    std::int64_t pos = start;
    std::size_t want = kFirstScan;
    std::string chunk;
    // Bytes at `at`, from the run in hand when it holds them.
    auto bytesAt = [&](std::int64_t at, std::size_t count) {
        if (at >= pos && at + static_cast<std::int64_t>(count) <= pos + static_cast<std::int64_t>(chunk.size()))
            return chunk.substr(static_cast<std::size_t>(at - pos), count);
        return file.read(at, count);
    };
    while (pos + 1 < length) {
        if (window.holds(pos, 2)) {
            chunk.assign(window.rest(pos));  // bytes already read
        } else {
            chunk = file.read(pos, want + 1);
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
            if (layer3Sync(next)) {
                const std::int64_t at = pos + static_cast<std::int64_t>(i);
                if (firstPair < 0 && (next == 0xFA || next == 0xFB)) firstPair = at;
                const std::string h = bytesAt(at, 3);
                if (h.size() == 3 && chains(h, at, audioEnd, bytesAt)) return at;
            }
            ++i;
        }
        pos += static_cast<std::int64_t>(chunk.size() - 1);
        if (firstPair >= 0 && pos - firstPair > kChainReach) break;
    }
    return firstPair;
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

        const std::int64_t end = audioEnd(file, window);
        const std::int64_t sync = findSync(file, window, start, end);
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

        // Xing header: after the side information, in MPEG-1 32 bytes in
        // stereo modes and 17 in mono, in MPEG-2 and 2.5 17 and 9; a CRC puts
        // it 2 bytes further on. Encoders write the same header as "Info" into
        // a CBR file: it tells the frame count too, but marks no VBR. A VBRI
        // header stands 32 bytes after the header, its frame count 14 bytes
        // into it.
        std::uint32_t countedFrames = 0;
        bool infoHeader = false;
        const bool mpeg1 = isMpeg1(b1);
        const std::size_t xingAt = mpeg1 ? (modeIndex == 3 ? 21 : 36) : (modeIndex == 3 ? 13 : 21);
        for (std::size_t at : {xingAt, xingAt + 2}) {
            if (at != xingAt && !hasCrc) break;
            const std::string_view mark = std::string_view(frame).substr(at, 4);
            if (mark != "Xing" && mark != "Info") continue;
            info.IsVbr = mark == "Xing";
            infoHeader = !info.IsVbr;
            const std::uint32_t flags = bigEndian32(std::string_view(frame).substr(at + 4, 4));
            if (flags & 0x01) countedFrames = bigEndian32(std::string_view(frame).substr(at + 8, 4));
            break;
        }
        if (!info.IsVbr && !infoHeader && std::string_view(frame).substr(36, 4) == "VBRI") {
            info.IsVbr = true;
            countedFrames = bigEndian32(std::string_view(frame).substr(36 + 14, 4));
        }
        // The audio runs from the first frame to the trailing tags. An Info
        // frame holds no sound, and where the header does not fit a frame of
        // the audio's bitrate it is written at a higher one: the audio of such
        // a file begins with the frame after it, whose bitrate is the file's.
        std::int64_t audioStart = sync;
        std::uint8_t bitrateByte = b2;
        if (infoHeader) {
            const std::int64_t next = sync + frameSize(b1, b2);
            if (next > sync && next < end) {
                const std::string_view n = window.get(file, next, 3, kFrameBytes);
                if (follows(n, b1, b2)) {
                    audioStart = next;
                    bitrateByte = static_cast<std::uint8_t>(n[2]);
                }
            }
        }
        std::int64_t audio = end - audioStart;
        if (audio < 0) audio = 0;
        file.close();

        info.MpegVersion = kVersionLayer[(b1 >> 3) & 0x03];
        info.Layer = kVersionLayer[(b1 >> 1) & 0x03];
        info.ChannelMode = kChannelModes[modeIndex];
        info.Emphasis = kEmphasis[b3 & 0x03];
        const unsigned rateIndex = (b2 >> 2) & 0x03;
        info.SampleRate = rateIndex < 3 ? kSampleRates[(b1 >> 3) & 0x03][rateIndex] : 44100;
        const unsigned coefficient = frameCoefficient(b1);

        if (info.IsVbr) {
            if (countedFrames != 0 &&
                countedFrames <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
                std::uint64_t kbps = divRoundHalfEven(
                    static_cast<unsigned __int128>(audio) * static_cast<unsigned>(info.SampleRate),
                    static_cast<unsigned __int128>(countedFrames) * coefficient);
                if (kbps <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
                    info.Bitrate = static_cast<std::int32_t>(kbps);
            }
        } else {
            info.Bitrate = bitrateOf(b1, bitrateByte >> 4);
        }

        const bool padding = (b2 >> 1) & 0x01;
        info.Original = yesNo((b3 >> 2) & 0x01);
        info.Copyrighted = yesNo((b3 >> 3) & 0x01);
        info.PrivateBit = yesNo(b2 & 0x01);
        info.Padding = yesNo(padding);
        info.Crc = yesNo(hasCrc);

        std::uint64_t frameLength =
            divRoundHalfEven(static_cast<unsigned __int128>(info.Bitrate) * coefficient,
                             static_cast<unsigned>(info.SampleRate));
        if (frameLength <= static_cast<std::uint64_t>(std::numeric_limits<std::int16_t>::max()))
            info.FrameLength = static_cast<std::int16_t>(frameLength);
        if (padding && info.FrameLength < std::numeric_limits<std::int16_t>::max()) ++info.FrameLength;

        if (info.FrameLength > 0) {
            std::int64_t frames = audio / info.FrameLength;
            if (frames <= std::numeric_limits<std::int32_t>::max()) info.Frames = static_cast<std::int32_t>(frames);
        }

        // The play time of a file whose header counts its frames is that
        // count's (a whole kbit/s average would put a low-bitrate VBR file
        // seconds off); the others' comes from the audio's bytes.
        std::int64_t seconds = 0;
        if (info.Bitrate > 0)
            seconds = countedFrames != 0
                          ? static_cast<std::int64_t>(countedFrames) * (coefficient / 125) / info.SampleRate
                          : audio * 8 / (static_cast<std::int64_t>(info.Bitrate) * 1000);
        info.LengthText = lengthText(seconds);
        info.SizeText = sizeText(length);
    } catch (const runtime::Error&) {
        // The record keeps what the analysis found before the failure.
    }
    return info;
}

}  // namespace metadata::Module7
