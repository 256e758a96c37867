#include "system/shell.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "runtime/error.hpp"
#include "runtime/files.hpp"

extern char** environ;

namespace sys {

namespace {

// Spawns the program and reaps it in the background, so it never lingers as a
// zombie. Returns the process id, or -errno.
long spawn(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty()) return -ENOENT;
    std::vector<char*> args;
    for (auto& a : argv) {
        // The program would get the argument only up to a NUL byte: a path
        // that holds one names no file, and the shorter one is not opened.
        if (a.find('\0') != std::string::npos) return -EINVAL;
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (rc != 0) return -rc;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return pid;
}

}  // namespace

long StartProgram(const std::vector<std::string>& argv) {
    long pid = spawn(argv);
    if (pid == -ENOENT || pid == -ENOTDIR) runtime::raise(runtime::err::FileNotFound, "Shell");
    if (pid < 0) runtime::raise(runtime::err::InvalidProcedureCall, "Shell");
    return pid;
}

long Shell(std::string_view program, int windowStyle) {
    switch (windowStyle) {
        case 0: case 1: case 2: case 3: case 4: case 6: break;
        default: runtime::raise(runtime::err::InvalidProcedureCall, "Shell");
    }
    std::string path(program);
    // A path names a file of this program's case-insensitive file system.
    if (path.find('/') != std::string::npos) path = runtime::ResolvePath(path);
    return StartProgram({path});
}

bool ShellOpen(std::string_view target) {
    const char* opener = std::getenv("DOVETUNE_OPENER");
    std::string program = opener && *opener ? opener : "xdg-open";
    return spawn({program, std::string(target)}) > 0;
}

}  // namespace sys
