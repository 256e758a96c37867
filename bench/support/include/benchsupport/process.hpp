// Helpers of the benchmarks that start the built programs: a quiet spawn,
// a process's CPU time and wake-ups, the program folder, and a display to
// run under.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "benchsupport/bench.hpp"

extern char** environ;

namespace benchsupport {

// User plus system time of a running process so far, in seconds; -1 when
// it cannot be read.
inline double cpuSeconds(pid_t pid) {
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

// What each thread of a running process has used so far: its time on a CPU
// (nanoseconds, from schedstat) and its context switches, voluntary or not
// (from status): each switch is one wake-up of that thread, or one time the
// kernel took the CPU from it.
struct ThreadUse {
    long long cpuNs = 0;
    long long switches = 0;
};
inline std::map<int, ThreadUse> threadUse(pid_t pid) {
    std::map<int, ThreadUse> use;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return use;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        const std::string task = dir + "/" + e->d_name;
        ThreadUse u;
        std::ifstream sched(task + "/schedstat");
        if (!(sched >> u.cpuNs)) continue;  // gone meanwhile
        std::ifstream status(task + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos) u.switches += std::atoll(line.c_str() + line.find(':') + 1);
        use[std::atoi(e->d_name)] = u;
    }
    closedir(d);
    return use;
}

// A running process measured over a stretch of time: its CPU as a share of
// one core and its wake-ups per second, summed over its threads (a thread
// born meanwhile counts from nothing; one that ended meanwhile is lost).
struct Load {
    double cpuPercent = -1;
    double wakeupsPerSecond = -1;
};
inline Load measureLoad(pid_t pid, double seconds) {
    Load load;
    const auto before = threadUse(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const auto after = threadUse(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (before.empty() || after.empty()) return load;
    long long ns = 0, switches = 0;
    for (const auto& [tid, u] : after) {
        auto b = before.find(tid);
        ns += u.cpuNs - (b == before.end() ? 0 : b->second.cpuNs);
        switches += u.switches - (b == before.end() ? 0 : b->second.switches);
    }
    load.cpuPercent = 100.0 * static_cast<double>(ns) / 1e9 / wall;
    load.wakeupsPerSecond = static_cast<double>(switches) / wall;
    return load;
}

// Starts argv (argv[0] searched on PATH when it has no slash) with this
// environment, where extraEnv's NAME=value entries replace or add to it,
// standard input, output and error on /dev/null.
// The child's id, or -1 with *error set to the spawn's error number.
inline pid_t spawnQuiet(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                        int* error = nullptr) {
    std::vector<std::string> env;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=') + 1); };
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (auto& x : extraEnv) replaced = replaced || nameOf(x) == nameOf(entry);
        if (!replaced) env.push_back(entry);
    }
    for (auto& x : extraEnv) env.push_back(x);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> a;
    for (auto& s : args) a.push_back(s.data());
    a.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int err = posix_spawnp(&pid, a[0], &fa, nullptr, a.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (error) *error = err;
    return err == 0 ? pid : -1;
}

// A program a load benchmark runs again and again, and the loads measured.
struct Measured {
    std::string name;
    std::vector<std::string> argv, env;
    std::vector<double> cpu, wakeups;
    bool failed = false;  // a run could not be measured
    void add(const Load& load) {
        if (load.cpuPercent < 0) {
            failed = true;
            return;
        }
        cpu.push_back(load.cpuPercent);
        wakeups.push_back(load.wakeupsPerSecond);
    }
};

// Ends a child: SIGTERM (a player closes its windows as at a logout), then
// SIGKILL when it is still there after two seconds.
inline void endChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Starts argv, lets it settle (calling meanwhile() every 50 ms or so while it
// does), measures its load over `seconds`, then ends it. cpuPercent < 0 when
// it could not be started or was gone before the measure ended.
inline Load startAndMeasure(const std::vector<std::string>& argv, const std::vector<std::string>& env, double settle,
                            double seconds, const std::function<void()>& meanwhile = {}) {
    pid_t pid = spawnQuiet(argv, env);
    if (pid < 0) return {};
    const auto settled = std::chrono::steady_clock::now() + std::chrono::duration<double>(settle);
    while (std::chrono::steady_clock::now() < settled) {
        if (meanwhile) meanwhile();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    Load load = measureLoad(pid, seconds);
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return {};  // it ended early
    endChild(pid);
    return load;
}

// The environment a player benchmark gives dovetune: its program folder,
// its settings folder, the X backend and an audio sink.
inline std::vector<std::string> playerEnv(const std::string& app, const std::string& config,
                                          const std::string& sink = "fakesink") {
    return {"DOVETUNE_APP_PATH=" + app, "XDG_CONFIG_HOME=" + config, "QT_QPA_PLATFORM=xcb",
            "DOVETUNE_AUDIO_SINK=" + sink};
}

// True when there is a display. Without one the program runs itself again
// under xvfb-run; false (with a line saying so) when that cannot be done.
inline bool haveDisplay(char* argv0, const char* name) {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) return true;
    execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24", argv0, static_cast<char*>(nullptr));
    std::printf("%s: no display and no xvfb-run\n", name);
    return false;
}

#ifdef DOVETUNE_BUILT_PROGRAM_DIR
// A program folder for dovetune at dir: the built New2.kmf and skin.
inline void copyProgramFolder(const std::string& dir) {
    namespace fs = std::filesystem;
    fs::create_directories(dir);
    fs::copy_file(DOVETUNE_BUILT_PROGRAM_DIR "/New2.kmf", dir + "/New2.kmf", fs::copy_options::overwrite_existing);
    fs::copy(DOVETUNE_BUILT_PROGRAM_DIR "/skin", dir + "/skin",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// A temporary folder for a benchmark of the player on screen: settings of its
// own under root/config and a program folder at root/app. Returns root, or ""
// (after saying so) when no folder could be made.
inline std::string makeProgramRoot(const char* bench, const char* name) {
    const std::string root = makeTempFolder(std::filesystem::temp_directory_path().string(), name);
    if (root.empty()) {
        std::printf("%s: cannot make a temporary folder\n", bench);
        return root;
    }
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    copyProgramFolder(root + "/app");
    return root;
}
#endif

}  // namespace benchsupport
