// Helpers every benchmark program uses: the brief mode, medians, whole-file
// reads, a temporary folder and a short MP3 to measure on.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace benchsupport {

// DOVETUNE_BENCH_BRIEF set to anything but "0" asks for a short run (CI).
inline bool brief() {
    const char* b = std::getenv("DOVETUNE_BENCH_BRIEF");
    return b && *b && std::string(b) != "0";
}

// The middle value; -1 for no values.
inline double median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// "x1.25": ours as a multiple of theirs; "n/a" against nothing.
inline std::string times(double ours, double theirs) {
    if (theirs <= 0) return "n/a";
    char buf[32];
    std::snprintf(buf, sizeof buf, "x%.2f", ours / theirs);
    return buf;
}

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A new folder base/name-XXXXXX; empty when it cannot be made.
inline std::string makeTempFolder(const std::string& base, const std::string& name) {
    std::string tmpl = base + "/" + name + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) return {};
    return buf.data();
}

// `seconds` of a tone encoded by lame at 128 kbit/s (made in folder); MPEG
// frames of about the same size written here when lame is missing.
inline std::string encodedAudio(const std::string& folder, int seconds) {
    const std::string wav = folder + "/tone.wav", mp3 = folder + "/tone.mp3";
    const int rate = 44100;
    {
        std::ofstream out(wav, std::ios::binary);
        auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF)); };
        auto u16 = [&](std::uint16_t v) { out.put(static_cast<char>(v & 0xFF)); out.put(static_cast<char>(v >> 8)); };
        const std::uint32_t bytes = rate * seconds * 4;
        out << "RIFF";
        u32(36 + bytes);
        out << "WAVEfmt ";
        u32(16), u16(1), u16(2), u32(rate), u32(rate * 4), u16(4), u16(16);
        out << "data";
        u32(bytes);
        for (int i = 0; i < rate * seconds; ++i) {
            auto v = static_cast<std::int16_t>(8000 * ((i / 50) % 2 ? 1 : -1));
            u16(static_cast<std::uint16_t>(v)), u16(static_cast<std::uint16_t>(v));
        }
    }
    const std::string cmd = "lame -S --cbr -b 128 '" + wav + "' '" + mp3 + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return readAll(mp3);
    std::string one = std::string("\xFF\xFB\x90\x00", 4) + std::string(413, '\x55');
    std::string out;
    const std::size_t size = static_cast<std::size_t>(seconds) * 16000;
    while (out.size() < size) out += one;
    return out;
}

}  // namespace benchsupport
