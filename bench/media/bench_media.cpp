// The media control against gst-play-1.0 on the same MP3 in the same run:
// how long from the FileName write to the playing state, and how much CPU
// time a whole play takes. Both play into "fakesink sync=true", so the file
// plays in real time as it would to a sound card. Each play runs in a fresh
// process (this program started again with --child), as the reference does;
// the median of three plays counts.
//
// The start of the reference is read from GStreamer's state log, which both
// processes write in the same way (GST_DEBUG=GST_STATES:4), so both bear the
// same logging cost.
//
// The control sends MP3 to mpg123, where stock GStreamer picks libav's decoder
// of the same rank; the reference is also run with mpg123 preferred, to show
// what the control itself costs over a bare playbin.
//
// DOVETUNE_BENCH_BRIEF=1 plays a 5 s file once.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "media/gst_media_player.hpp"
#include "runtime/scheduler.hpp"

extern char** environ;

namespace {

constexpr const char* Sink = "fakesink sync=true";

// ------------------------------------------------------------------ child

// Opens the file, reports the time to the playing state, plays it to its end.
int runChild(const char* file) {
    runtime::PollScheduler ui;
    runtime::Scheduler::setCurrent(&ui);
    media::GstMediaPlayer player(ui);
    int ends = 0;
    player.setEndOfStreamHandler([&](std::int32_t) { ++ends; });
    auto t0 = std::chrono::steady_clock::now();
    player.setFileName(file);
    if (!ui.runUntil([&] { return player.rolling(); }, 10000)) return 2;
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::printf("latency_ms=%.3f\n", ms);
    std::fflush(stdout);
    if (!ui.runUntil([&] { return ends > 0; }, 600000)) return 3;
    return 0;
}

// ----------------------------------------------------------------- parent

struct Run {
    double cpuSeconds = 0;   // user + system of the whole process
    double wallSeconds = 0;
    double startMs = -1;     // FileName write (or the reference's start) to PLAYING
    bool ok = false;
    int status = -1;     // as wait4 gave it
};

double seconds(const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; }

// Runs argv with stdout into outFile and the given extra environment; waits.
Run spawnAndMeasure(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                    const std::string& outFile) {
    Run run;
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e; ++e) {
        std::string s = *e;
        bool replaced = false;
        for (auto& x : env)
            if (s.substr(0, s.find('=') + 1) == x.substr(0, x.find('=') + 1)) replaced = true;
        if (!replaced) envStore.push_back(s);
    }
    for (auto& x : env) envStore.push_back(x);
    std::vector<char*> envp;
    for (auto& s : envStore) envp.push_back(const_cast<char*>(s.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0) return run;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) < 0) return run;
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run.cpuSeconds = seconds(ru.ru_utime) + seconds(ru.ru_stime);
    run.status = status;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// "0:00:00.038938586" at the start of a GStreamer log line, in milliseconds.
std::optional<double> logTimeMs(const std::string& line) {
    unsigned h = 0, m = 0;
    double s = 0;
    if (std::sscanf(line.c_str(), "%u:%u:%lf", &h, &m, &s) != 3) return std::nullopt;
    return (h * 3600.0 + m * 60.0 + s) * 1000.0;
}

// From the first state change of the top-level playbin to its completed
// change to PLAYING.
double startFromLog(const std::string& log) {
    std::istringstream in(log);
    std::string line;
    std::optional<double> first, playing;
    while (std::getline(in, line)) {
        auto at = line.find("<playbin");
        if (at == std::string::npos || line.find("> ", at) == std::string::npos) continue;
        // Only the top-level playbin, not its children's names.
        auto close = line.find('>', at);
        std::string name = line.substr(at + 1, close - at - 1);
        if (name.rfind("playbin", 0) != 0 || name.find(':') != std::string::npos) continue;
        auto t = logTimeMs(line);
        if (!t) continue;
        if (!first) first = t;
        if (line.find("completed state change to PLAYING") != std::string::npos) {
            playing = t;
            break;
        }
    }
    return first && playing ? *playing - *first : -1.0;
}

// A 16-bit stereo WAV holding a few drifting tones, then lame makes the MP3.
bool makeMp3(const std::string& dir, double secs, std::string& mp3) {
    const int rate = 44100;
    auto frames = static_cast<std::uint32_t>(secs * rate);
    std::string wav = dir + "/source.wav";
    std::ofstream out(wav, std::ios::binary);
    auto put16 = [&](std::uint16_t v) { out.put(static_cast<char>(v & 0xff)).put(static_cast<char>(v >> 8)); };
    auto put32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xff)); };
    out << "RIFF";
    put32(36 + frames * 4);
    out << "WAVEfmt ";
    put32(16); put16(1); put16(2); put32(rate); put32(rate * 4); put16(4); put16(16);
    out << "data";
    put32(frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / rate;
        double l = 0.3 * std::sin(2 * M_PI * (220 + 20 * std::sin(t)) * t) + 0.1 * std::sin(2 * M_PI * 1760 * t);
        double r = 0.3 * std::sin(2 * M_PI * (330 + 15 * std::cos(t)) * t) + 0.1 * std::sin(2 * M_PI * 2637 * t);
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(l * 32767))));
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(r * 32767))));
    }
    out.close();
    mp3 = dir + "/bench.mp3";
    std::string cmd = "lame --quiet -b 128 '" + wav + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
}

std::string selfPath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return runChild(argv[2]);

    const char* brief = std::getenv("DOVETUNE_BENCH_BRIEF");
    const bool isBrief = brief && std::strcmp(brief, "1") == 0;
    const double secs = isBrief ? 5.0 : 60.0;
    const int runs = isBrief ? 1 : 3;

    if (std::system("command -v gst-play-1.0 >/dev/null 2>&1") != 0 ||
        std::system("command -v lame >/dev/null 2>&1") != 0) {
        std::printf("bench_media: skipped (gst-play-1.0 or lame missing)\n");
        return 0;
    }
    char tmpl[] = "/tmp/dovetune-bench-media-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    std::string dir = tmpl;
    std::string mp3;
    if (!makeMp3(dir, secs, mp3)) {
        std::printf("bench_media: lame failed\n");
        return 1;
    }

    const std::vector<std::string> env = {
        std::string("DOVETUNE_AUDIO_SINK=") + Sink,
        "GST_DEBUG=GST_STATES:4",
        "GST_DEBUG_NO_COLOR=1",
    };
    std::vector<double> oursStart, oursCpu, refStart, refCpu, sameStart, sameCpu;
    auto reference = [&](const std::vector<std::string>& extra) {
        std::string log = dir + "/ref.log";
        std::vector<std::string> e = env;
        e.push_back("GST_DEBUG_FILE=" + log);
        for (auto& x : extra) e.push_back(x);
        Run ref = spawnAndMeasure({"gst-play-1.0", "-q", "--no-interactive", std::string("--audiosink=") + Sink, mp3},
                                  e, dir + "/ref.out");
        ref.startMs = startFromLog(slurp(log));
        return ref;
    };
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        std::string log = dir + "/ours.log", out = dir + "/ours.out";
        std::vector<std::string> e = env;
        e.push_back("GST_DEBUG_FILE=" + log);
        Run ours = spawnAndMeasure({selfPath(), "--child", mp3}, e, out);
        double ms = -1;
        std::sscanf(slurp(out).c_str(), "latency_ms=%lf", &ms);
        ours.startMs = ms;

        Run ref = reference({});
        Run same = reference({"GST_PLUGIN_FEATURE_RANK=mpg123audiodec:PRIMARY"});

        ok = ours.ok && ref.ok && same.ok && ours.startMs >= 0 && ref.startMs >= 0 && same.startMs >= 0;
        if (!ok) {
            std::printf("bench_media: run %d failed (wait status: ours %d, reference %d, reference with mpg123 %d)\n",
                        i + 1, ours.status, ref.status, same.status);
            break;
        }
        std::printf("run %d: ours start %.1f ms, cpu %.3f s, wall %.2f s | gst-play-1.0 start %.1f ms, cpu %.3f s, "
                    "wall %.2f s | with mpg123 start %.1f ms, cpu %.3f s\n",
                    i + 1, ours.startMs, ours.cpuSeconds, ours.wallSeconds, ref.startMs, ref.cpuSeconds,
                    ref.wallSeconds, same.startMs, same.cpuSeconds);
        std::fflush(stdout);
        oursStart.push_back(ours.startMs);
        oursCpu.push_back(ours.cpuSeconds);
        refStart.push_back(ref.startMs);
        refCpu.push_back(ref.cpuSeconds);
        sameStart.push_back(same.startMs);
        sameCpu.push_back(same.cpuSeconds);
    }
    std::filesystem::remove_all(dir);
    if (!ok) return 1;

    double s = median(oursStart), rs = median(refStart), ss = median(sameStart);
    double c = median(oursCpu), rc = median(refCpu), sc = median(sameCpu);
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("media control, %.0f s MP3, median of %d:\n", secs, runs);
    std::printf("  start: %.1f ms (aim: within 100 ms); gst-play-1.0 %.1f ms, ratio %.2f; "
                "gst-play-1.0 with mpg123 %.1f ms, ratio %.2f\n", s, rs, ratio(s, rs), ss, ratio(s, ss));
    std::printf("  cpu:   %.3f s; gst-play-1.0 %.3f s, ratio %.2f (aim: at most 1.10); "
                "gst-play-1.0 with mpg123 %.3f s, ratio %.2f\n", c, rc, ratio(c, rc), sc, ratio(c, sc));
    return 0;
}
