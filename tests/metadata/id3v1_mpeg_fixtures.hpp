#pragma once
// Byte fixtures for the ID3v1, MPEG header and Lyrics3 tests: blocks and frames
// built in code, so each test shows exactly the bytes it is about.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "testsupport/support.hpp"

namespace fixtures {

// `bytes` cut or padded (with `pad`) to `width`.
inline std::string fit(std::string_view bytes, std::size_t width, char pad = '\0') {
    std::string out(bytes.substr(0, width));
    out.resize(width, pad);
    return out;
}

// A raw 128-byte ID3v1 block; each field is given as its raw bytes and padded with NULs.
inline std::string id3v1Block(std::string_view title, std::string_view artist = {},
                              std::string_view album = {}, std::string_view year = {},
                              std::string_view comment30 = {}, unsigned char genre = 0xFF,
                              std::string_view marker = "TAG") {
    return fit(marker, 3) + fit(title, 30) + fit(artist, 30) + fit(album, 30) + fit(year, 4) +
           fit(comment30, 30) + std::string(1, static_cast<char>(genre));
}

inline std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

// A leading ID3v2.3 tag of `extent` bytes (syncsafe size), its frame area
// holding `content` and then zeros.
inline std::string id3v2Tag(std::size_t extent, std::string_view content = {}) {
    std::size_t size = extent - 10;
    std::string out = "ID3";
    out += bytes({3, 0, 0, static_cast<int>((size >> 21) & 0x7F), static_cast<int>((size >> 14) & 0x7F),
                  static_cast<int>((size >> 7) & 0x7F), static_cast<int>(size & 0x7F)});
    out += fit(content, size);
    return out;
}

// An MPEG frame of `length` bytes: the four header bytes, then zeros, with
// `inside` placed at `at` bytes from the sync byte.
inline std::string frame(std::string_view header4, std::size_t length = 418, std::size_t at = 0,
                         std::string_view inside = {}) {
    std::string out = fit(header4, length);
    if (!inside.empty()) out.replace(at, inside.size(), inside);
    return out;
}

inline std::string bigEndian32(std::uint32_t v) {
    return bytes({static_cast<int>(v >> 24), static_cast<int>((v >> 16) & 0xFF),
                  static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)});
}

// "Xing" (or `mark`: "Info", as encoders write it into CBR files), flags, and
// the frame count when the flags say it is there.
inline std::string xing(std::uint32_t frames, std::uint32_t flags = 0x0F, std::string_view mark = "Xing") {
    return std::string(mark) + bigEndian32(flags) + bigEndian32(frames) + bigEndian32(0);
}

// A Lyrics3 v2 block from its fields (ID, data), size field and end marker included.
inline std::string lyrics3(std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
    std::string body = "LYRICSBEGIN";
    for (auto& [id, data] : fields) {
        std::string n = std::to_string(data.size());
        body += std::string(id) + std::string(5 - n.size(), '0') + n + std::string(data);
    }
    std::string size = std::to_string(body.size());
    return body + std::string(6 - size.size(), '0') + size + "LYRICS200";
}

// Writes `content` to `path`, then grows it to `length` bytes (a sparse hole of
// zeros) when that is longer, and appends `tail`.
inline void writeSparse(const std::string& path, std::string_view content, std::uintmax_t length,
                        std::string_view tail = {}) {
    testsupport::writeFile(path, content);
    if (length > content.size()) std::filesystem::resize_file(path, length);
    if (!tail.empty()) {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
    }
}

}  // namespace fixtures
