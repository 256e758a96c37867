#pragma once
// Helpers for the checks against independent tools, shared by the test
// folders: PCM made in code and encoded by lame, figures read by ffprobe,
// scripts run by Debian's python3 with mutagen.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/support.hpp"

namespace peer {

// Single-quoted for /bin/sh.
inline std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A 16-bit PCM WAV of a few tones with a little noise, so VBR has work to do.
inline std::string wav(double seconds, int rate, int channels) {
    const std::uint32_t frames = static_cast<std::uint32_t>(seconds * rate);
    const std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
    std::string out;
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF); };
    auto u16 = [&](std::uint16_t v) { out += static_cast<char>(v & 0xFF); out += static_cast<char>(v >> 8); };
    out += "RIFF";
    u32(36 + dataBytes);
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate * channels * 2));
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    out += "data";
    u32(dataBytes);
    std::uint32_t noise = 12345;
    for (std::uint32_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1103515245u + 12345u;
            double v = 0.3 * std::sin(2 * M_PI * (440 + 110 * c) * t) + 0.2 * std::sin(2 * M_PI * 1234 * t * (1 + t / 8)) +
                       0.05 * (static_cast<double>((noise >> 16) & 0x7FFF) / 16384.0 - 1.0);
            u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767 * 0.8)));
        }
    }
    return out;
}

// Encodes `seconds` of PCM with lame and the given options into `mp3`.
inline void lame(const std::string& mp3, const std::string& options, double seconds, int rate, int channels) {
    std::string in = mp3 + ".wav";
    testsupport::writeFile(in, wav(seconds, rate, channels));
    auto r = testsupport::runCommand("lame -S " + options + " " + quote(in) + " " + quote(mp3) + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
}

// Runs a Python script with Debian's python3 (which has mutagen); its arguments follow.
inline testsupport::CommandResult python(const testsupport::TempDir& dir, const std::string& script,
                                         const std::vector<std::string>& args = {}) {
    std::string path = dir.file("peer.py");
    testsupport::writeFile(path, script);
    std::string cmd = "/usr/bin/python3 " + quote(path);
    for (const auto& a : args) cmd += " " + quote(a);
    return testsupport::runCommand(cmd + " 2>&1");
}

// "key=value" lines as a map.
inline std::map<std::string, std::string> keyValues(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        auto eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

// ffprobe's view of the first audio stream, frames counted by decoding.
inline std::map<std::string, std::string> ffprobe(const std::string& path) {
    auto r = testsupport::runCommand(
        "ffprobe -v error -count_frames -select_streams a:0 "
        "-show_entries stream=sample_rate,channels,bit_rate,nb_read_frames,duration -of default=nw=1 " +
        quote(path));
    EXPECT_EQ(r.status, 0) << r.output;
    return keyValues(r.output);
}

inline bool havePeers() {
    return testsupport::haveProgram("lame") && testsupport::haveProgram("ffprobe") &&
           testsupport::exists("/usr/bin/python3");
}

}  // namespace peer
