// Long playlists on screen (Xvfb, the Qt backend, real MP3 files): a
// 10,000-entry ".m3u" given on the command line, from the start until the
// display builder has listed every entry and List2 is enabled again, against
// the start that restores the same 10,000 entries from "Path.m3u" and
// "Name.m3u" in the same run; the CPU time of that load; a 50,000-entry list
// the same way, while a probe timer of 10 ms on another form measures the
// longest time the window leaves its events waiting. Median of 3 runs (one
// in brief mode). Without a display the program runs itself again under
// xvfb-run.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "benchsupport/bench.hpp"
#include "benchsupport/process.hpp"
#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Form2.hpp"
#include "player/mMain.hpp"
#include "player/playlist.hpp"
#include "runtime/app.hpp"

namespace {

namespace fs = std::filesystem;
using benchsupport::median;
using Clock = std::chrono::steady_clock;

// A form of its own whose 10 ms timer notes the longest gap between two of
// its ticks that both fell while the display builder ran (not the start's
// own work before it).
struct Probe : forms::Form {
    forms::Timer Timer1{*this, "Timer1"};
    Clock::time_point last{};
    bool lastBuilding = false;
    double longestMs = 0;
    Probe() : Form("Probe") {
        Timer1.setInterval(10);
        Timer1.Tick = [this] {
            const auto now = Clock::now();
            auto* f = forms::IfLoaded<player::Form2>();
            const bool building = f && f->Timer3.enabled();
            if (building && lastBuilding)
                longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            lastBuilding = building;
        };
    }
};

double cpuSecondsOfSelf() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double seconds = -1;
    double cpuSeconds = 0;
    double longestGapMs = 0;
};

// Starts the player with these arguments and waits until it lists `entries`
// lines with the builder stopped and List2 enabled, the widget brought up to
// date; with a probe timer running when asked.
Run start(formsqt::Session& qt, const std::string& app, const std::vector<std::string>& args, long entries,
          bool probe) {
    Run r;
    runtime::App::setForTest(app, args);
    Probe* p = nullptr;
    if (probe) {
        p = &forms::Get<Probe>();
        p->Timer1.setEnabled(true);
        qt.processEvents(30);
    }
    const double cpu0 = cpuSecondsOfSelf();
    const auto t0 = Clock::now();
    player::mMain::Main();
    auto& f = forms::Get<player::Form2>();
    const bool done = qt.waitUntil(
        [&] { return !f.Timer3.enabled() && f.List2.enabled() && f.List2.listCount() == entries; }, 120000);
    qt.processEvents(0);
    if (done) {
        r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        r.cpuSeconds = cpuSecondsOfSelf() - cpu0;
    }
    if (p) r.longestGapMs = p->longestMs;
    forms::Application::instance().reset();
    runtime::App::setForTest("", {});
    return r;
}

void writeLines(const std::string& path, const std::vector<std::string>& lines, std::size_t count) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < count; ++i) out << lines[i] << "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    if (!benchsupport::haveDisplay(argv[0], "bench_builder")) return 1;
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("DOVETUNE_AUDIO_SINK", "fakesink", 1);
    const bool brief = benchsupport::brief();
    const int runs = brief ? 1 : 3;
    const std::size_t small = 10000, large = 50000;

    const std::string root = benchsupport::makeProgramRoot("bench_builder", "bench-builder");
    if (root.empty()) return 1;
    const std::string app = root + "/app";

    // One second of a lame tone, under 50,000 names in 97 folders (hard
    // links: every entry is a real MP3 file, measured as a user's would be).
    // The names sort in another order than the list's, so each line goes
    // into the middle of the sorted list.
    const std::string tone = root + "/tone.mp3";
    {
        std::ofstream(tone, std::ios::binary) << benchsupport::encodedAudio(root, 1);
    }
    std::vector<std::string> paths;
    paths.reserve(large);
    for (std::size_t i = 0; i < large; ++i) {
        const std::string folder = root + "/music/Artist " + std::to_string(i % 97);
        if (i < 97) fs::create_directories(folder);
        paths.push_back(folder + "/" + std::to_string((i * 7919) % large) + " Track " + std::to_string(i) + ".mp3");
        fs::create_hard_link(tone, paths.back());
    }
    writeLines(root + "/small.m3u", paths, small);
    writeLines(root + "/large.m3u", paths, large);
    {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < small; ++i) names.push_back(player::DisplayLine(paths[i]));
        writeLines(app + "/Path.m3u", paths, small);
        writeLines(app + "/Name.m3u", names, small);
    }

    formsqt::Session qt;
    std::vector<double> load, restore, cpu, loadLarge, gap;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        Run rs = start(qt, app, {}, static_cast<long>(small), false);
        Run ls = start(qt, app, {root + "/small.m3u"}, static_cast<long>(small), false);
        Run ll = start(qt, app, {root + "/large.m3u"}, static_cast<long>(large), true);
        ok = rs.seconds >= 0 && ls.seconds >= 0 && ll.seconds >= 0;
        restore.push_back(rs.seconds);
        load.push_back(ls.seconds);
        cpu.push_back(ls.cpuSeconds);
        loadLarge.push_back(ll.seconds);
        gap.push_back(ll.longestGapMs);
    }
    fs::remove_all(root);
    if (!ok) {
        std::printf("bench_builder: a playlist was not listed in full within two minutes\n");
        return 1;
    }
    std::printf("bench_builder: 10,000 entries of an .m3u listed in %.2f s (aim 1 s), CPU %.2f s (aim 1 s); "
                "restored at start in %.2f s, ratio %.2f (aim 3); median of %d\n",
                median(load), median(cpu), median(restore), median(load) / median(restore), runs);
    std::printf("bench_builder: 50,000 entries listed in %.2f s (aim 5 s); the longest wait of a 10 ms probe timer "
                "meanwhile %.0f ms (aim 100 ms)\n",
                median(loadLarge), median(gap));
    return 0;
}
