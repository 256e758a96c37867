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

#include "runtime/settings.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// User plus system time of a process so far, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(stat.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    // Fields after the name: state is the 3rd field of the line; utime the 14th, stime the 15th.
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::atoll(field.c_str());
        if (i == 15) stime = std::atoll(field.c_str());
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

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
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("DOVETUNE_APP_PATH=" + app);
    env.push_back("XDG_CONFIG_HOME=" + config);
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("DOVETUNE_AUDIO_SINK=fakesink");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string arg0 = exe;
    char* argv[] = {arg0.data(), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int err = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (err != 0) {
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
    double before = cpuSeconds(pid);
    auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double after = cpuSeconds(pid);
    double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    if (before >= 0 && after >= 0) r.percent = 100.0 * (after - before) / wall;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return r;
}

void programFolder(const std::string& dir) {
    fs::create_directories(dir);
    fs::copy_file(DOVETUNE_BUILT_PROGRAM_DIR "/New2.kmf", dir + "/New2.kmf", fs::copy_options::overwrite_existing);
    fs::copy(DOVETUNE_BUILT_PROGRAM_DIR "/skin", dir + "/skin",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace

int main(int argc, char** argv) {
    (void)argc;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24", argv[0], static_cast<char*>(nullptr));
        std::printf("bench_idle_cpu: no display and no xvfb-run\n");
        return 1;
    }
    const bool brief = std::getenv("DOVETUNE_BENCH_BRIEF") && *std::getenv("DOVETUNE_BENCH_BRIEF") == '1';
    const double seconds = brief ? 3 : 10;
    std::string root = fs::temp_directory_path() / ("bench-idle-cpu-" + std::to_string(getpid()));
    const std::string app = root + "/player", config = root + "/config", refApp = root + "/ref";
    programFolder(app);
    fs::create_directories(refApp);
    // The Info Bar is shown at start: its menu tick, saved under the program folder.
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    runtime::SaveSetting(app, " setting", "mnumarquee", "True");

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::printf("bench_idle_cpu: no connection to the X server\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

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
