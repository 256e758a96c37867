// Helpers of the benchmarks that start the built programs: a quiet spawn,
// a process's CPU time, the program folder, and a display to run under.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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

// Starts argv (argv[0] searched on PATH when it has no slash) with this
// environment plus extraEnv, standard input, output and error on /dev/null.
// The child's id, or -1 with *error set to the spawn's error number.
inline pid_t spawnQuiet(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
                        int* error = nullptr) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
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
#endif

}  // namespace benchsupport
