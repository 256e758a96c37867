#include "testsupport/support.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
    std::string base = fs::temp_directory_path().string() + "/dovetune-test-XXXXXX";
    std::vector<char> buf(base.begin(), base.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    // Folders may have been made read-only by a test; give them back first.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    oldSoft_ = lim.rlim_cur;
    lim.rlim_cur = static_cast<rlim_t>(bytes);
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) throw std::runtime_error("setrlimit RLIMIT_FSIZE failed");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = static_cast<rlim_t>(oldSoft_);
    setrlimit(RLIMIT_FSIZE, &lim);
    std::signal(SIGXFSZ, oldHandler_);
}

Unreadable::Unreadable(std::string path) : path_(std::move(path)) {
    struct stat st;
    if (stat(path_.c_str(), &st) != 0 || chmod(path_.c_str(), 0) != 0)
        throw std::runtime_error("cannot take the permissions of " + path_);
    mode_ = st.st_mode & 07777;
}

Unreadable::~Unreadable() { chmod(path_.c_str(), static_cast<mode_t>(mode_)); }

std::optional<std::string> AsOrdinaryUser(const std::string& tree, const std::function<std::string()>& fn) {
    const bool root = geteuid() == 0;
    if (root) {
        std::error_code ec;
        fs::permissions(tree, fs::perms::all, ec);
        for (auto it = fs::recursive_directory_iterator(tree, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::all, ec);
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return std::nullopt;
    std::fflush(nullptr);
    pid_t child = fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        close(pipeFds[0]);
        const uid_t nobody = 65534;
        if (root && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(100);
        std::string text;
        try {
            text = fn();
        } catch (...) {
            _exit(101);
        }
        for (std::size_t done = 0; done < text.size();) {
            ssize_t n = write(pipeFds[1], text.data() + done, text.size() - done);
            if (n <= 0) _exit(102);
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(pipeFds[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

std::string TempDir::file(std::string_view name) const { return path_ + "/" + std::string(name); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec)) && !ec;
}

// With DOVETUNE_TESTS_WITHOUT_SHARED=1 the shared folder is out of reach, as
// on a machine where the repository stands alone. A corpus test (one whose
// name holds "Corpus", which also gives it the label "corpus") then gets a
// folder that does not exist and skips itself; any other test that asks for
// the folder fails here, because on such a machine it would fail anyway.
std::string sharedDir() {
    const char* without = std::getenv("DOVETUNE_TESTS_WITHOUT_SHARED");
    if (!without || std::string_view(without) != "1") return DOVETUNE_SHARED_DIR;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "";
    if (name.find("Corpus") == std::string::npos)
        ADD_FAILURE() << "the test " << (name.empty() ? "set-up" : name)
                      << " reads the shared folder beside the repository, which a clone alone does not have; "
                         "make its files in the test, or name it a corpus test (\"Corpus\" in its name) "
                         "that skips without the folder";
    return "/nonexistent/dovetune-shared-folder-out-of-reach";
}
std::string corpusDir() { return sharedDir() + "/corpus/mp3"; }

std::vector<std::string> corpusFiles() {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(corpusDir(), ec))
        if (e.is_regular_file()) out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

CommandResult runCommand(const std::string& command) {
    CommandResult r{-1, {}};
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

bool haveProgram(const std::string& name) {
    return runCommand("command -v '" + name + "' >/dev/null 2>&1").status == 0;
}

}  // namespace testsupport
