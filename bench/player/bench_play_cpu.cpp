// The player's load while it plays: dovetune under Xvfb playing an MP3 given
// on its command line, with the Info Bar shown (its 1 ms Timer2 and the main
// window's 1 ms Timer5 polling), visualisers off; against gst-play-1.0,
// Audacious and Qmmp playing the same file into silent sinks that keep real
// time (each peer skipped, with a line saying so, when it is not installed).
// Each program settles for 3 s and is then measured over 10 s (3 s in brief
// mode): its CPU from the time its threads ran, its wake-ups from their
// context switches. The runs are interleaved, five rounds (one in brief
// mode), and the medians count. Goals: CPU at most gst-play-1.0's plus 0.3
// percentage points, at most 100 wake-ups a second. Without a display the
// benchmark runs itself again under xvfb-run.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "benchsupport/bench.hpp"
#include "benchsupport/peers.hpp"
#include "benchsupport/process.hpp"
#include "runtime/settings.hpp"

namespace {

namespace fs = std::filesystem;
using benchsupport::times;
constexpr const char* Sink = "fakesink sync=true";
constexpr double GoalWakeups = 100;
constexpr double GoalCpuAboveGstPlay = 0.3;

// A 16-bit stereo WAV of a few drifting tones, made into an MP3 by lame.
bool makeMp3(const std::string& dir, double secs, std::string& mp3) {
    const int rate = 44100;
    auto frames = static_cast<std::uint32_t>(secs * rate);
    std::string wav = dir + "/source.wav";
    std::ofstream out(wav, std::ios::binary);
    auto put16 = [&](std::uint16_t v) { out.put(static_cast<char>(v & 0xff)).put(static_cast<char>(v >> 8)); };
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xff));
    };
    out << "RIFF";
    put32(36 + frames * 4);
    out << "WAVEfmt ";
    put32(16), put16(1), put16(2), put32(rate), put32(rate * 4), put16(4), put16(16);
    out << "data";
    put32(frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double l = 0.3 * std::sin(2 * M_PI * (220 + 20 * std::sin(t)) * t);
        double rr = 0.3 * std::sin(2 * M_PI * (330 + 15 * std::cos(t)) * t);
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(l * 32767))));
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(rr * 32767))));
    }
    out.close();
    mp3 = dir + "/bench.mp3";
    return std::system(("lame --quiet -b 128 '" + wav + "' '" + mp3 + "'").c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    if (!benchsupport::haveDisplay(argv[0], "bench_play_cpu")) return 1;
    if (!benchsupport::onPath("lame")) {
        std::printf("bench_play_cpu: skipped (lame missing)\n");
        return 0;
    }
    const bool brief = benchsupport::brief();
    const double seconds = brief ? 3 : 10;
    const int rounds = brief ? 1 : 5;

    std::string root = fs::temp_directory_path() / ("bench-play-cpu-" + std::to_string(getpid()));
    const std::string app = root + "/player", config = root + "/config";
    benchsupport::copyProgramFolder(app);
    // The Info Bar is shown at start: its menu tick, saved under the program folder.
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    runtime::SaveSetting(app, " setting", "mnumarquee", "True");
    std::string mp3;
    // Long enough to play on past the end of the measure.
    if (!makeMp3(root, 3 + seconds + 5, mp3)) {
        std::printf("bench_play_cpu: lame failed\n");
        fs::remove_all(root);
        return 1;
    }

    std::vector<benchsupport::Measured> programs;
    programs.push_back({"dovetune", {DOVETUNE_EXE, mp3}, benchsupport::playerEnv(app, config, Sink), {}, {}, false});
    std::vector<std::string> missing;
    for (const benchsupport::Peer& peer : {benchsupport::gstPlay(mp3), benchsupport::audacious(root + "/audacious", mp3),
                                           benchsupport::qmmp(root + "/qmmp", mp3)}) {
        if (peer.ok())
            programs.push_back({peer.name, peer.argv, peer.env, {}, {}, false});
        else
            missing.push_back(peer.name + ": " + peer.missing);
    }
    for (int round = 0; round < rounds; ++round)
        for (benchsupport::Measured& p : programs)
            if (!p.failed) p.add(benchsupport::startAndMeasure(p.argv, p.env, 3, seconds));
    fs::remove_all(root);

    const benchsupport::Measured& ours = programs.front();
    if (ours.failed) {
        std::printf("bench_play_cpu: dovetune could not be measured (it did not start, or stopped playing)\n");
        return 1;
    }
    const double cpu = benchsupport::median(ours.cpu), wakeups = benchsupport::median(ours.wakeups);
    std::printf("bench_play_cpu: playing a 128 kbit/s MP3, median of %d run(s) of %.0f s, interleaved:\n", rounds,
                seconds);
    double gstCpu = -1;
    for (const benchsupport::Measured& p : programs) {
        if (p.failed) {
            std::printf("  %-14s could not be measured\n", p.name.c_str());
            continue;
        }
        const double pc = benchsupport::median(p.cpu), pw = benchsupport::median(p.wakeups);
        if (p.name == "gst-play-1.0") gstCpu = pc;
        std::printf("  %-14s %6.2f %% CPU %7.1f wake-ups/s", p.name.c_str(), pc, pw);
        if (&p != &ours)
            std::printf("   dovetune against it: CPU %s (%+.2f points), wake-ups %s", times(cpu, pc).c_str(), cpu - pc,
                        times(wakeups, pw).c_str());
        std::printf("\n");
    }
    for (const std::string& m : missing) std::printf("  peer skipped, %s\n", m.c_str());
    const bool wakeMet = wakeups <= GoalWakeups;
    if (gstCpu < 0) {
        std::printf("bench_play_cpu: goal at most %.0f wake-ups/s: %s (dovetune %.1f); the CPU goal needs gst-play-1.0\n",
                    GoalWakeups, wakeMet ? "met" : "MISSED", wakeups);
        return 0;
    }
    const bool met = wakeMet && cpu <= gstCpu + GoalCpuAboveGstPlay;
    std::printf("bench_play_cpu: goal at most gst-play-1.0's CPU + %.1f points and %.0f wake-ups/s: %s (dovetune "
                "%.2f %% against %.2f %%, %.1f wake-ups/s)\n",
                GoalCpuAboveGstPlay, GoalWakeups, met ? "met" : "MISSED", cpu, gstCpu, wakeups);
    return 0;
}
