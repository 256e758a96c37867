// The player's CPU while it plays: dovetune under Xvfb playing an MP3 given
// on its command line, with the Info Bar shown (its 1 ms Timer2 and the main
// window's 1 ms Timer5 ticking), against gst-play-1.0 playing the same file
// into the same sink ("fakesink sync=true", real time without a sound card)
// in the same run. The reference is timed from its start to its exit; the
// player is measured over the same wall time from its start (its own start
// included, as the reference's is) and then ended. The median of three
// pairs counts; DOVETUNE_BENCH_BRIEF=1 plays a 5 s file once. Without a
// display the benchmark runs itself again under xvfb-run.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "benchsupport/bench.hpp"
#include "benchsupport/process.hpp"
#include "runtime/settings.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using benchsupport::median;
using Clock = std::chrono::steady_clock;
constexpr const char* Sink = "fakesink sync=true";

struct Run {
    double cpu = -1;   // seconds of user and system time
    double wall = -1;  // seconds
};

// The reference plays the file to its end and exits.
Run reference(const std::string& mp3) {
    Run r;
    auto t0 = Clock::now();
    pid_t pid = benchsupport::spawnQuiet({"gst-play-1.0", "-q", "--no-interactive", std::string("--audiosink=") + Sink, mp3}, {});
    if (pid < 0) return r;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return r;
    r.wall = std::chrono::duration<double>(Clock::now() - t0).count();
    r.cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
            static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    return r;
}

// dovetune plays the file from its command line for `wall` seconds.
Run player(const std::string& exe, const std::string& app, const std::string& config, const std::string& mp3,
           double wall) {
    Run r;
    auto t0 = Clock::now();
    pid_t pid = benchsupport::spawnQuiet({exe, mp3}, benchsupport::playerEnv(app, config, Sink));
    if (pid < 0) return r;
    std::this_thread::sleep_until(t0 + std::chrono::duration<double>(wall));
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {  // still running, as it should be
        r.cpu = benchsupport::cpuSeconds(pid);
        r.wall = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return r;
}

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
    if (std::system("command -v gst-play-1.0 >/dev/null 2>&1") != 0 ||
        std::system("command -v lame >/dev/null 2>&1") != 0) {
        std::printf("bench_play_cpu: skipped (gst-play-1.0 or lame missing)\n");
        return 0;
    }
    const bool brief = benchsupport::brief();
    const double secs = brief ? 5 : 60;
    const int runs = brief ? 1 : 3;

    std::string root = fs::temp_directory_path() / ("bench-play-cpu-" + std::to_string(getpid()));
    const std::string app = root + "/player", config = root + "/config";
    benchsupport::copyProgramFolder(app);
    // The Info Bar is shown at start: its menu tick, saved under the program folder.
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    runtime::SaveSetting(app, " setting", "mnumarquee", "True");
    std::string mp3;
    if (!makeMp3(root, secs, mp3)) {
        std::printf("bench_play_cpu: lame failed\n");
        fs::remove_all(root);
        return 1;
    }

    std::vector<double> ours, refs;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        Run ref = reference(mp3);
        Run run = ref.wall > 0 ? player(DOVETUNE_EXE, app, config, mp3, ref.wall) : Run{};
        ok = ref.cpu >= 0 && run.cpu >= 0;
        if (!ok) {
            std::printf("bench_play_cpu: run %d failed (%s)\n", i + 1, ref.cpu < 0 ? "gst-play-1.0" : "dovetune");
            break;
        }
        std::printf("run %d: dovetune cpu %.3f s over %.2f s | gst-play-1.0 cpu %.3f s over %.2f s\n", i + 1, run.cpu,
                    run.wall, ref.cpu, ref.wall);
        std::fflush(stdout);
        ours.push_back(run.cpu);
        refs.push_back(ref.cpu);
    }
    fs::remove_all(root);
    if (!ok) return 1;
    const double c = median(ours), rc = median(refs);
    std::printf("bench_play_cpu: playing a %.0f s MP3 with the Info Bar shown, median of %d: dovetune %.3f s, "
                "gst-play-1.0 %.3f s, ratio %.2f (aim: at most 1.5)\n",
                secs, runs, c, rc, rc > 0 ? c / rc : 0.0);
    return 0;
}
