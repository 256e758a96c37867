#include "runtime/app.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "runtime/filesystem.hpp"
#include "runtime/scheduler.hpp"
#include "runtime/strings.hpp"

namespace runtime {

namespace {

struct AppState {
    std::mutex mu;
    bool fixedPath = false;  // set by setForTest
    std::string path;
    std::vector<std::string> args;
    std::string exeName;
    std::string title;
    bool titleSet = false;
};

AppState& state() {
    static AppState s;
    return s;
}

// The running executable, without the " (deleted)" the kernel adds once the
// file has been replaced on disk.
std::string executable() {
    std::string buf(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0) return "";
    buf.resize(static_cast<std::size_t>(n));
    const std::string deleted = " (deleted)";
    if (buf.size() > deleted.size() && buf.compare(buf.size() - deleted.size(), deleted.size(), deleted) == 0)
        buf.resize(buf.size() - deleted.size());
    return buf;
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

namespace App {

void init(int argc, char** argv) {
    AppState& s = state();
    std::lock_guard lock(s.mu);
    s.args.clear();
    for (int i = 1; i < argc; ++i) s.args.emplace_back(argv[i]);
    std::string exe = executable();
    if (exe.empty() && argc > 0 && argv[0]) exe = argv[0];
    s.exeName = baseName(exe);
}

void setTitle(std::string title) {
    AppState& s = state();
    std::lock_guard lock(s.mu);
    s.title = std::move(title);
    s.titleSet = true;
}

std::string Path() {
    AppState& s = state();
    {
        std::lock_guard lock(s.mu);
        if (s.fixedPath) return s.path;
    }
    if (const char* env = std::getenv("DOVETUNE_APP_PATH"); env && *env) return withoutTrailingSlash(env);
    std::string exe = executable();
    auto slash = exe.rfind('/');
    if (slash == std::string::npos) return CurDir();
    return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string Title() {
    AppState& s = state();
    {
        std::lock_guard lock(s.mu);
        if (s.titleSet) return s.title;
    }
    return EXEName();
}

std::string EXEName() {
    AppState& s = state();
    std::lock_guard lock(s.mu);
    if (s.exeName.empty()) s.exeName = baseName(executable());
    return s.exeName;
}

void setForTest(std::string path, std::vector<std::string> args, std::string exeName) {
    AppState& s = state();
    std::lock_guard lock(s.mu);
    s.fixedPath = !path.empty();
    s.path = withoutTrailingSlash(std::move(path));
    s.args = std::move(args);
    s.exeName = std::move(exeName);
    s.title.clear();
    s.titleSet = false;
}

}  // namespace App

std::string Command() {
    AppState& s = state();
    std::lock_guard lock(s.mu);
    return Join(s.args, " ");
}

double Timer() {
    auto now = Scheduler::current().wallClock();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    // to_time_t may round; take the whole second at or below the instant.
    auto whole = std::chrono::system_clock::from_time_t(seconds);
    if (whole > now) {
        --seconds;
        whole = std::chrono::system_clock::from_time_t(seconds);
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    double fraction = std::chrono::duration<double>(now - whole).count();
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

}  // namespace runtime
