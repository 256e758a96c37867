#pragma once
// Small helpers of the file and store tests: the current folder for a while,
// a folder's entries, and a file or folder that cannot be written.

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

// Changes the current folder until the end of the scope.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& folder) {
        char buf[4096];
        if (!getcwd(buf, sizeof buf)) throw std::runtime_error("getcwd");
        old_ = buf;
        if (chdir(folder.c_str()) != 0) throw std::runtime_error("chdir " + folder);
    }
    ~ScopedCwd() { (void)chdir(old_.c_str()); }

private:
    std::string old_;
};

// Every entry of a folder but "." and "..", hidden ones included, sorted.
inline std::vector<std::string> onlyEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Sets or clears the immutable flag of a file or folder (root only: then
// nobody can write, rename or remove it); false where that fails.
inline bool setImmutableFlag(const std::string& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

// A file made immutable, which even root cannot write, for the lifetime of
// the object; on() is false where the flag could not be set.
class Immutable {
public:
    explicit Immutable(std::string path) : path_(std::move(path)) { on_ = setImmutableFlag(path_, true); }
    ~Immutable() {
        if (on_) setImmutableFlag(path_, false);
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool on() const { return on_; }

private:
    std::string path_;
    bool on_ = false;
};

// Makes a file or folder refuse writes (a folder: new entries) for the
// lifetime of the object: by its permissions for an ordinary user, by the
// immutable flag for root (whom permissions do not stop). active() is false
// where neither works.
class Unwritable {
public:
    explicit Unwritable(std::string path) : path_(std::move(path)) {
        struct stat st;
        if (stat(path_.c_str(), &st) != 0) return;
        mode_ = st.st_mode & 07777;
        immutable_ = geteuid() == 0;
        active_ = immutable_ ? setImmutable(true) : chmod(path_.c_str(), mode_ & ~0222) == 0;
    }
    ~Unwritable() {
        if (!active_) return;
        if (immutable_)
            setImmutable(false);
        else
            chmod(path_.c_str(), mode_);
    }
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;
    bool active() const { return active_; }

private:
    bool setImmutable(bool on) { return setImmutableFlag(path_, on); }
    std::string path_;
    mode_t mode_ = 0;
    bool active_ = false;
    bool immutable_ = false;
};
