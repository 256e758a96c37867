#pragma once
// Small ID3v2 tags and MP3 files built in code for the cMP3ID3v2 tests.

#include <cstdint>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "metadata/cmp3id3v2.hpp"
#include "runtime/error.hpp"
#include "testsupport/support.hpp"

namespace id3v2test {

inline std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

inline std::string be32(std::uint32_t v) {
    return bytes({static_cast<int>(v >> 24), static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>(v & 0xFF)});
}

inline std::string syncsafe(std::uint32_t v) {
    return bytes({static_cast<int>((v >> 21) & 0x7F), static_cast<int>((v >> 14) & 0x7F),
                  static_cast<int>((v >> 7) & 0x7F), static_cast<int>(v & 0x7F)});
}

// A 2.3 frame (plain size), a 2.4 frame (syncsafe size), a 2.2 frame.
inline std::string frame23(std::string_view id, std::string_view body, int flags = 0) {
    return std::string(id) + be32(static_cast<std::uint32_t>(body.size())) + bytes({flags >> 8, flags & 0xFF}) +
           std::string(body);
}
inline std::string frame24(std::string_view id, std::string_view body, int flags = 0) {
    return std::string(id) + syncsafe(static_cast<std::uint32_t>(body.size())) +
           bytes({flags >> 8, flags & 0xFF}) + std::string(body);
}
inline std::string frame22(std::string_view id, std::string_view body) {
    auto n = static_cast<std::uint32_t>(body.size());
    return std::string(id) + bytes({static_cast<int>(n >> 16), static_cast<int>((n >> 8) & 0xFF),
                                    static_cast<int>(n & 0xFF)}) +
           std::string(body);
}

// A tag with a syncsafe size, its frames and `padding` zero bytes.
inline std::string tag(int version, std::string_view frames, std::size_t padding = 0, int flags = 0) {
    auto size = static_cast<std::uint32_t>(frames.size() + padding);
    return "ID3" + bytes({version, 0, flags}) + syncsafe(size) + std::string(frames) + std::string(padding, '\0');
}

// Encoding byte 0 then the text.
inline std::string latin1(std::string_view text) { return std::string(1, '\0') + std::string(text); }

// The body of a COMM or USLT frame in encoding 0: language, description,
// its terminator, text.
inline std::string langText(std::string_view lang, std::string_view desc, std::string_view text) {
    return latin1(std::string(lang) + std::string(desc) + '\0' + std::string(text));
}

// `count` MPEG-1 Layer III frames of 128 kbit/s at 44.1 kHz (417 bytes each),
// each filled with a different byte so that moved audio shows.
inline std::string audio(std::size_t count = 4) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string f = bytes({0xFF, 0xFB, 0x90, 0x00});
        f.resize(417, static_cast<char>(0x11 + i % 200));
        out += f;
    }
    return out;
}

// The error that `f` raises (a test failure when it raises none).
template <typename F>
runtime::Error raised(F&& f) {
    try {
        f();
    } catch (const runtime::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return runtime::Error(0);
}

// Writes `content` into the folder and loads it.
inline metadata::cMP3ID3v2 loaded(const std::string& path, std::string_view content) {
    testsupport::writeFile(path, content);
    metadata::cMP3ID3v2 t;
    t.setMP3File(path);
    return t;
}

// The size field of the tag at the start of `file`, read as syncsafe.
inline std::uint32_t tagSize(std::string_view file) {
    auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(file[i])); };
    return b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9);
}

// The body of the first frame `id` of a 2.3 tag at the start of `file`, or
// "<none>". Walks plain frame sizes.
inline std::string frameBody(std::string_view file, std::string_view id, int occurrence = 1) {
    std::size_t end = 10 + tagSize(file);
    std::size_t pos = 10;
    while (pos + 10 <= end && file[pos] != '\0') {
        auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(file[i])); };
        std::uint32_t n = b(pos + 4) << 24 | b(pos + 5) << 16 | b(pos + 6) << 8 | b(pos + 7);
        if (file.substr(pos, 4) == id && --occurrence == 0) return std::string(file.substr(pos + 10, n));
        pos += 10 + n;
    }
    return "<none>";
}

// The frame identifiers of a 2.3 tag, in order, joined by blanks.
inline std::string frameIds(std::string_view file) {
    std::string out;
    std::size_t end = 10 + tagSize(file);
    std::size_t pos = 10;
    while (pos + 10 <= end && file[pos] != '\0') {
        auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(file[i])); };
        std::uint32_t n = b(pos + 4) << 24 | b(pos + 5) << 16 | b(pos + 6) << 8 | b(pos + 7);
        if (!out.empty()) out += ' ';
        out += std::string(file.substr(pos, 4));
        pos += 10 + n;
    }
    return out;
}

}  // namespace id3v2test
