// The player's start, from the spawn to its window mapped on the X server,
// against a reference program that shows one form shaped from the same skin
// through the same Qt start; then the same start with a saved playlist of
// 10,000 entries against the empty one (time and resident memory). Both are
// spawned and detected the same way in one run (the MapNotify of a new
// top-level window, seen through XCB), median of 5 runs (3 in brief mode).
// Without a display the program runs itself again under xvfb-run.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include "benchsupport/bench.hpp"
#include "benchsupport/process.hpp"
#include "benchsupport/xcb.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using benchsupport::median;
using Clock = std::chrono::steady_clock;

struct Sample {
    double ms = -1;
    long rssKb = 0;
};

long rssOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// Spawns exe with the program folder and settings folder given, and waits
// for the first top-level window it maps.
// c: a connection that listens to the root window's children (one for the
// whole run: an X server resets when its last client goes).
Sample measure(xcb_connection_t* c, const std::string& exe, const std::string& app, const std::string& config) {
    Sample s;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) std::free(ev);

    auto t0 = Clock::now();
    int err = 0;
    pid_t pid = benchsupport::spawnQuiet({exe}, benchsupport::playerEnv(app, config), &err);
    if (pid < 0) {
        std::printf("bench_player_start: cannot start %s (%s)\n", exe.c_str(), std::strerror(err));
        return s;
    }
    const auto deadline = t0 + std::chrono::seconds(20);
    while (Clock::now() < deadline && s.ms < 0) {
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&p, 1, 50);
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY && s.ms < 0) {
                s.ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                s.rssKb = rssOf(pid);
            }
            std::free(ev);
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return s;
}

void programFolder(const std::string& dir, bool withPlaylist) {
    benchsupport::copyProgramFolder(dir);
    if (!withPlaylist) return;
    std::ofstream paths(dir + "/Path.m3u", std::ios::binary), names(dir + "/Name.m3u", std::ios::binary);
    for (int i = 0; i < 10000; ++i) {
        paths << "/music/Artist " << i % 97 << "/Album " << i % 13 << "/Track " << i << ".mp3\r\n";
        names << "Track " << i << " - " << (3 + i % 5) << "." << i % 100 << " MB\r\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    if (!benchsupport::haveDisplay(argv[0], "bench_player_start")) return 1;
    const bool brief = benchsupport::brief();
    const int runs = brief ? 3 : 5;
    std::string root = fs::temp_directory_path() / ("bench-player-start-" + std::to_string(getpid()));
    programFolder(root + "/empty", false);
    programFolder(root + "/full", true);
    programFolder(root + "/ref", false);

    xcb_connection_t* c = benchsupport::listenToTopLevels();
    if (!c) {
        std::printf("bench_player_start: no connection to the X server\n");
        return 1;
    }

    std::vector<double> ref, empty, full;
    std::vector<double> rssEmpty, rssFull;
    for (int i = 0; i < runs; ++i) {
        Sample r = measure(c, DOVETUNE_REF_EXE, root + "/ref", root + "/config-ref");
        Sample e = measure(c, DOVETUNE_EXE, root + "/empty", root + "/config-empty");
        Sample f = measure(c, DOVETUNE_EXE, root + "/full", root + "/config-full");
        if (r.ms < 0 || e.ms < 0 || f.ms < 0) {
            std::printf("bench_player_start: a window did not appear (reference %.0f, empty %.0f, full %.0f)\n", r.ms,
                        e.ms, f.ms);
            fs::remove_all(root);
            return 1;
        }
        ref.push_back(r.ms);
        empty.push_back(e.ms);
        full.push_back(f.ms);
        rssEmpty.push_back(static_cast<double>(e.rssKb));
        rssFull.push_back(static_cast<double>(f.rssKb));
    }
    std::printf("bench_player_start: start to mapped window, median of %d: dovetune %.0f ms, reference %.0f ms, "
                "ratio %.2f (aim 1.5, under 300 ms)\n",
                runs, median(empty), median(ref), median(empty) / median(ref));
    std::printf("bench_player_start: with a saved 10,000-entry playlist %.0f ms against %.0f ms empty, ratio %.2f "
                "(aim 2), extra RSS %.1f MiB\n",
                median(full), median(empty), median(full) / median(empty),
                (median(rssFull) - median(rssEmpty)) / 1024.0);
    xcb_disconnect(c);
    fs::remove_all(root);
    return 0;
}
