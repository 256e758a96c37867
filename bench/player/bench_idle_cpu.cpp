// The player's CPU while idle: dovetune under Xvfb with its window and the
// Info Bar shown, nothing playing, the volume meter's Timer5 and the Info
// Bar's Timer2 ticking every millisecond; against a reference program that
// runs two idle 1 ms timers through the same Qt start, in the same run. Each
// program settles for 2 s and is then measured over 10 s (3 s in brief mode)
// from its user and system time in /proc. Without a display the benchmark
// runs itself again under xvfb-run.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <chrono>
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
#include "benchsupport/xcb.hpp"
#include "runtime/settings.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Result {
    double percent = -1;  // of one core
    int windows = 0;      // top-level windows mapped
};

// Starts exe with the program and settings folders given, lets it settle,
// and measures its CPU over seconds; c listens to the root window's children.
Result measure(xcb_connection_t* c, const std::string& exe, const std::string& app, const std::string& config,
               double seconds) {
    Result r;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) std::free(ev);
    int err = 0;
    pid_t pid = benchsupport::spawnQuiet({exe}, benchsupport::playerEnv(app, config), &err);
    if (pid < 0) {
        std::printf("bench_idle_cpu: cannot start %s (%s)\n", exe.c_str(), std::strerror(err));
        return r;
    }
    auto settle = Clock::now() + std::chrono::seconds(2);
    while (Clock::now() < settle) {
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&p, 1, 50);
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY) ++r.windows;
            std::free(ev);
        }
    }
    double before = benchsupport::cpuSeconds(pid);
    auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double after = benchsupport::cpuSeconds(pid);
    double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    if (before >= 0 && after >= 0) r.percent = 100.0 * (after - before) / wall;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    if (!benchsupport::haveDisplay(argv[0], "bench_idle_cpu")) return 1;
    const bool brief = benchsupport::brief();
    const double seconds = brief ? 3 : 10;
    std::string root = fs::temp_directory_path() / ("bench-idle-cpu-" + std::to_string(getpid()));
    const std::string app = root + "/player", config = root + "/config", refApp = root + "/ref";
    benchsupport::copyProgramFolder(app);
    fs::create_directories(refApp);
    // The Info Bar is shown at start: its menu tick, saved under the program folder.
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    runtime::SaveSetting(app, " setting", "mnumarquee", "True");

    xcb_connection_t* c = benchsupport::listenToTopLevels();
    if (!c) {
        std::printf("bench_idle_cpu: no connection to the X server\n");
        return 1;
    }

    Result ref = measure(c, DOVETUNE_REF_IDLE_EXE, refApp, root + "/config-ref", seconds);
    Result player = measure(c, DOVETUNE_EXE, app, config, seconds);
    xcb_disconnect(c);
    fs::remove_all(root);
    if (ref.percent < 0 || player.percent < 0) {
        std::printf("bench_idle_cpu: a program could not be measured\n");
        return 1;
    }
    std::printf("bench_idle_cpu: idle CPU over %.0f s: dovetune %.1f%% (%d windows shown), reference two 1 ms timers "
                "%.1f%%, ratio %.2f (aim 1.5)\n",
                seconds, player.percent, player.windows, ref.percent,
                ref.percent > 0 ? player.percent / ref.percent : 0.0);
    if (player.windows < 2) std::printf("bench_idle_cpu: the main window and the Info Bar were not both shown\n");
    return 0;
}
