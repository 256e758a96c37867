#pragma once
// Helpers shared by the tests: temporary folders, whole-file reads and writes,
// and the location of the shared test data beside the repository.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A fresh folder under $TMPDIR, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const;  // path() + "/" + name

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);
bool exists(const std::string& path);

// ../shared beside the repository, and its corpus of MP3 files. Only corpus
// tests (named "...Corpus...") read them, and they skip themselves when the
// folder is absent; DOVETUNE_TESTS_WITHOUT_SHARED=1 puts it out of reach.
std::string sharedDir();
std::string corpusDir();
std::vector<std::string> corpusFiles();  // full paths, sorted

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string old_;
    bool had_;
};

// A file of mode 0 for the lifetime of the object, its old mode given back
// at the end. Root reads it all the same: the code that must fail to read it
// runs through AsOrdinaryUser.
class Unreadable {
public:
    explicit Unreadable(std::string path);
    ~Unreadable();
    Unreadable(const Unreadable&) = delete;
    Unreadable& operator=(const Unreadable&) = delete;

private:
    std::string path_;
    unsigned mode_ = 0;
};

// Runs fn in a child process as an ordinary user: when this process is
// root, the child first gives up root for "nobody", and every folder under
// `tree` is opened to all users so that it may still write there. fn's text
// comes back; nullopt when fn threw or the child died.
std::optional<std::string> AsOrdinaryUser(const std::string& tree, const std::function<std::string()>& fn);

// Files of this process may not grow beyond `bytes` for the lifetime of the
// object: a write past that fails with EFBIG (SIGXFSZ is ignored meanwhile), as
// a full disk makes it fail, also for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t oldSoft_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// Runs a command through /bin/sh; returns its exit status and standard output.
struct CommandResult {
    int status;
    std::string output;
};
CommandResult runCommand(const std::string& command);
bool haveProgram(const std::string& name);  // found on PATH

}  // namespace testsupport
