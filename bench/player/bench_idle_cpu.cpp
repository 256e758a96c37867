// The player's load while idle after its start: dovetune under Xvfb with its
// window and the Info Bar shown, nothing playing (the volume meter's Timer5
// and the Info Bar's Timer2 polling every millisecond); against Audacious and
// Qmmp idle with their windows (each one skipped, with a line saying so, when
// it is not installed), and against a reference program that runs two idle
// 1 ms timers through dovetune's own Qt start (the floor of the platform
// layer); and dovetune again with its skin damaged, its message box waiting
// for an answer while the meter's timer is held back. Qmmp's visualisation
// is off, as dovetune has none. Each program settles for 3 s and is then measured over 10 s (3 s in
// brief mode): its CPU from the time its threads ran, its wake-ups from their
// context switches. The runs are interleaved, five rounds (one in brief
// mode), and the medians count. Goals: at most 20 wake-ups a second and
// 0.3 % of a core. Without a display the benchmark runs itself again under
// xvfb-run.

#include <poll.h>
#include <unistd.h>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "benchsupport/bench.hpp"
#include "benchsupport/peers.hpp"
#include "benchsupport/process.hpp"
#include "benchsupport/xcb.hpp"
#include "runtime/settings.hpp"

namespace {

namespace fs = std::filesystem;
using benchsupport::times;

constexpr double GoalWakeups = 20;
constexpr double GoalCpu = 0.3;

// One run of a program; c hears the top-level windows it maps while it
// settles, their count is returned.
int measure(xcb_connection_t* c, benchsupport::Measured& p, double seconds) {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) std::free(ev);
    int windows = 0;
    auto count = [&] {
        while (xcb_generic_event_t* ev = xcb_poll_for_event(c)) {
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY) ++windows;
            std::free(ev);
        }
    };
    p.add(benchsupport::startAndMeasure(p.argv, p.env, 3, seconds, count));
    return windows;
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    if (!benchsupport::haveDisplay(argv[0], "bench_idle_cpu")) return 1;
    const bool brief = benchsupport::brief();
    const double seconds = brief ? 3 : 10;
    const int rounds = brief ? 1 : 5;
    std::string root = fs::temp_directory_path() / ("bench-idle-cpu-" + std::to_string(getpid()));
    const std::string app = root + "/player", config = root + "/config", refApp = root + "/ref";
    const std::string damaged = root + "/damaged";
    benchsupport::copyProgramFolder(app);
    benchsupport::copyProgramFolder(damaged);
    fs::resize_file(damaged + "/New2.kmf", 100);
    fs::create_directories(refApp);
    // The Info Bar is shown at start: its menu tick, saved under the program folder.
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    runtime::SaveSetting(app, " setting", "mnumarquee", "True");

    std::vector<benchsupport::Measured> programs;
    programs.push_back({"dovetune", {DOVETUNE_EXE}, benchsupport::playerEnv(app, config), {}, {}, false});
    programs.push_back({"two idle 1 ms timers on dovetune's platform", {DOVETUNE_REF_IDLE_EXE},
                        benchsupport::playerEnv(refApp, root + "/config-ref"), {}, {}, false});
    programs.push_back({"dovetune, its message box waiting", {DOVETUNE_EXE},
                        benchsupport::playerEnv(damaged, root + "/config-damaged"), {}, {}, false});
    std::vector<std::string> missing;
    for (const benchsupport::Peer& peer : {benchsupport::audacious(root + "/audacious"), benchsupport::qmmp(root + "/qmmp")}) {
        if (peer.ok())
            programs.push_back({peer.name, peer.argv, peer.env, {}, {}, false});
        else
            missing.push_back(peer.name + ": " + peer.missing);
    }

    xcb_connection_t* c = benchsupport::listenToTopLevels();
    if (!c) {
        std::printf("bench_idle_cpu: no connection to the X server\n");
        return 1;
    }
    int windows = 0;  // dovetune's, in its last run
    for (int round = 0; round < rounds; ++round)
        for (benchsupport::Measured& p : programs) {
            if (p.failed) continue;
            const int shown = measure(c, p, seconds);
            if (&p == &programs.front()) windows = shown;
        }
    xcb_disconnect(c);
    fs::remove_all(root);

    const benchsupport::Measured& ours = programs.front();
    if (ours.failed) {
        std::printf("bench_idle_cpu: dovetune could not be measured\n");
        return 1;
    }
    const double cpu = benchsupport::median(ours.cpu), wakeups = benchsupport::median(ours.wakeups);
    std::printf("bench_idle_cpu: idle after start, median of %d run(s) of %.0f s, interleaved:\n", rounds, seconds);
    for (const benchsupport::Measured& p : programs) {
        if (p.failed) {
            std::printf("  %-44s could not be measured\n", p.name.c_str());
            continue;
        }
        const double pc = benchsupport::median(p.cpu), pw = benchsupport::median(p.wakeups);
        std::printf("  %-44s %6.2f %% CPU %7.1f wake-ups/s", p.name.c_str(), pc, pw);
        if (&p != &ours)
            std::printf("   dovetune against it: CPU %s, wake-ups %s", times(cpu, pc).c_str(), times(wakeups, pw).c_str());
        else
            std::printf("   (%d windows shown)", windows);
        std::printf("\n");
    }
    for (const std::string& m : missing) std::printf("  peer skipped, %s\n", m.c_str());
    if (windows < 2) std::printf("bench_idle_cpu: the main window and the Info Bar were not both shown\n");
    const bool met = wakeups <= GoalWakeups && cpu <= GoalCpu;
    std::printf("bench_idle_cpu: goal at most %.0f wake-ups/s and %.2f %% CPU: %s (dovetune %.1f wake-ups/s, %.2f %%)\n",
                GoalWakeups, GoalCpu, met ? "met" : "MISSED", wakeups, cpu);
    return 0;
}
