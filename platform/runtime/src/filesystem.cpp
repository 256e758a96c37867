#include "runtime/filesystem.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "files_internal.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/strings.hpp"

namespace runtime {

namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr int kDosBits = vbHidden | vbSystem | vbArchive;

[[noreturn]] void raiseWith(int number, std::string_view path) {
    throw Error(number, errorDescription(number) + ": " + std::string(path));
}

[[noreturn]] void raiseFileAt(int errnum, const std::string& path) { throw fileError(errnum, path); }

bool hasWildcards(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// A wildcard pattern ("*", "?") folded once, matched against many names
// without regard to case. ASCII names against an ASCII pattern are compared
// byte by byte, with no copy.
class NameMatcher {
public:
    explicit NameMatcher(std::string_view pattern) {
        // "x.*" also matches "x", as the original's "*.*" matches every name.
        for (;;) {
            std::string folded = detail::FoldCase(pattern);
            ascii_.push_back(detail::IsAscii(folded) ? folded : std::string());
            wide_.push_back(ToCodePoints(folded));
            if (pattern.size() < 2 || pattern.substr(pattern.size() - 2) != ".*") break;
            pattern.remove_suffix(2);
        }
        allAscii_ = true;
        for (std::size_t i = 0; i < wide_.size(); ++i)
            if (ascii_[i].size() != wide_[i].size()) allAscii_ = false;
    }

    bool matches(std::string_view name) const {
        if (allAscii_ && detail::IsAscii(name)) {
            auto at = [&](std::size_t i) {
                char c = name[i];
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            };
            for (const std::string& p : ascii_)
                if (glob(name.size(), at, p)) return true;
            return false;
        }
        std::vector<char32_t> n = ToCodePoints(detail::FoldCase(name));
        auto at = [&](std::size_t i) { return n[i]; };
        for (const std::vector<char32_t>& p : wide_)
            if (glob(n.size(), at, p)) return true;
        return false;
    }

private:
    // Greedy match with one backtrack point for the last "*".
    template <typename At, typename Pattern>
    static bool glob(std::size_t size, const At& at, const Pattern& p) {
        std::size_t i = 0, j = 0, star = std::string::npos, mark = 0;
        while (i < size) {
            if (j < p.size() && (p[j] == '?' || p[j] == at(i))) {
                ++i;
                ++j;
            } else if (j < p.size() && p[j] == '*') {
                star = j++;
                mark = i;
            } else if (star != std::string::npos) {
                j = star + 1;
                i = ++mark;
            } else {
                return false;
            }
        }
        while (j < p.size() && p[j] == '*') ++j;
        return j == p.size();
    }

    std::vector<std::string> ascii_;
    std::vector<std::vector<char32_t>> wide_;
    bool allAscii_ = true;
};

// The hidden, system and archive bits of a user.DOSATTRIB value, as Samba
// keeps them ("0x22"); 0 for a binary form we do not read.
int parseDosBits(char* buf, ssize_t n) {
    buf[n] = '\0';
    if (n < 3 || buf[0] != '0' || (buf[1] != 'x' && buf[1] != 'X')) return 0;
    char* end = nullptr;
    long value = std::strtol(buf + 2, &end, 16);
    if (end == buf + 2 || value < 0) return 0;
    return static_cast<int>(value) & kDosBits;
}

// The hidden, system and archive bits kept in user.DOSATTRIB; 0 when the file
// has none or its file system keeps no extended attributes. *unsupported is
// set when the file system has none.
int readDosBits(const std::string& path, bool* unsupported = nullptr) {
    char buf[64];
    ssize_t n = getxattr(path.c_str(), kDosAttrib, buf, sizeof buf - 1);
    if (n < 0) {
        if (unsupported) *unsupported = errno == ENOTSUP;
        return 0;
    }
    return parseDosBits(buf, n);
}

// The same for a name in an open folder: through getxattrat where the kernel
// has it (Linux 6.13), which looks up one name instead of the whole path, so
// a folder listing pays less for its files' attributes; through the path
// otherwise.
#ifndef SYS_getxattrat
#define SYS_getxattrat 464  // the same number on every architecture
#endif
std::atomic<bool> noGetxattrat{false};

int readDosBitsAt(int dirFd, const char* name, const std::string& folder, bool* unsupported) {
    char buf[64];
    if (!noGetxattrat.load(std::memory_order_relaxed)) {
        struct {
            std::uint64_t value;
            std::uint32_t size;
            std::uint32_t flags;
        } args{reinterpret_cast<std::uintptr_t>(buf), sizeof buf - 1, 0};
        long n = syscall(SYS_getxattrat, dirFd, name, 0, kDosAttrib, &args, sizeof args);
        if (n >= 0) return parseDosBits(buf, n);
        // An older kernel, or a sandbox that refuses system calls it does not know.
        if (errno != ENOSYS && errno != EPERM && errno != EINVAL) {
            if (unsupported) *unsupported = errno == ENOTSUP;
            return 0;
        }
        noGetxattrat.store(true, std::memory_order_relaxed);
    }
    return readDosBits(detail::JoinPath(folder, name), unsupported);
}

void writeDosBits(const std::string& path, int bits) {
    bits &= kDosBits;
    if (bits == 0) {
        if (removexattr(path.c_str(), kDosAttrib) != 0 && errno != ENODATA && errno != ENOTSUP)
            raiseFileAt(errno, path);
        return;
    }
    char text[16];
    int len = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(bits));
    // Samba stores the text with its terminating NUL.
    if (setxattr(path.c_str(), kDosAttrib, text, static_cast<std::size_t>(len) + 1, 0) != 0 && errno != ENOTSUP)
        raiseFileAt(errno, path);
}

int attributesOf(const std::string& path, const struct stat& st, bool* unsupported = nullptr) {
    int attrs = 0;
    if (!(st.st_mode & S_IWUSR)) attrs |= vbReadOnly;
    if (S_ISDIR(st.st_mode)) attrs |= vbDirectory;
    std::string name = detail::NameOf(path);
    if (!name.empty() && name[0] == '.') attrs |= vbHidden;
    attrs |= readDosBits(path, unsupported);
    return attrs;
}

// The write permissions that making a file read-only took away, by the
// file's identity, for as long as the program runs: clearing read-only gives
// them back.
class TakenWrites {
public:
    void remember(const struct stat& st, mode_t writes) {
        std::lock_guard lock(mu_);
        taken_[{st.st_dev, st.st_ino}] = writes;
    }
    std::optional<mode_t> taken(const struct stat& st) {
        std::lock_guard lock(mu_);
        auto it = taken_.find({st.st_dev, st.st_ino});
        if (it == taken_.end()) return std::nullopt;
        return it->second;
    }
    void forget(const struct stat& st) {
        std::lock_guard lock(mu_);
        taken_.erase({st.st_dev, st.st_ino});
    }

private:
    std::mutex mu_;
    std::map<std::pair<dev_t, ino_t>, mode_t> taken_;
};

TakenWrites& takenWrites() {
    static TakenWrites t;
    return t;
}

// The process's umask, read without changing it (umask(2) would leave it 0
// for a moment to the other threads' new files); 022 where /proc does not
// tell it.
mode_t currentUmask() {
    mode_t mask = 022;
    if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, "Umask:", 6) == 0) {
                mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8)) & 0777;
                break;
            }
        std::fclose(f);
    }
    return mask;
}

// The write permissions clearing read-only gives a file of mode `mode`: the
// owner's, and those it had before this program made it read-only; for a
// file that came read-only, those the umask allows to whoever may read it.
mode_t writesGivenBack(const struct stat& st, mode_t mode) {
    if (auto taken = takenWrites().taken(st)) return S_IWUSR | *taken;
    return S_IWUSR | (0222 & ~currentUmask() & ((mode & 0444) >> 1));
}

// The resolved path of an existing file or folder; 53 when there is none.
std::string existing(std::string_view path, struct stat& st) {
    if (path.empty()) raise(err::BadFileNameOrNumber);
    std::string resolved = ResolvePath(path);
    if (stat(resolved.c_str(), &st) != 0) raiseFileAt(errno, resolved);
    return resolved;
}

// A pattern's folder (resolved without regard to case) and its last component.
std::pair<std::string, std::string> splitPattern(std::string_view pattern) {
    std::string folder = detail::FolderOf(pattern);
    std::string name = detail::NameOf(pattern);
    if (!folder.empty()) folder = ResolvePath(folder);
    return {folder, name.empty() ? "*" : name};
}

// The names in `folder` that match `name` and pass the attribute filter,
// sorted. Folders only with vbDirectory; hidden and system entries only when
// asked for; "." and ".." never.
std::vector<std::string> listMatches(const std::string& folder, const std::string& name, int attributes,
                                     bool filesOnly) {
    DIR* d = opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return {};
    const NameMatcher matcher(name);
    const bool wantDirs = !filesOnly && (attributes & vbDirectory);
    const bool needDosBits = !(attributes & vbHidden) || !(attributes & vbSystem);
    bool noXattrs = false;
    // Each name with its folded form, the sort key.
    std::vector<std::pair<std::string, std::string>> found;
    while (dirent* e = readdir(d)) {
        std::string_view entry = e->d_name;
        if (entry == "." || entry == "..") continue;
        if (!matcher.matches(entry)) continue;
        bool hiddenByName = entry[0] == '.';
        if (hiddenByName && !(attributes & vbHidden)) continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st;
            // A dangling link is listed as a file, as the listing names it.
            isDir = fstatat(dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir && !wantDirs) continue;
        if (needDosBits && !noXattrs) {
            bool unsupported = false;
            int bits = readDosBitsAt(dirfd(d), e->d_name, folder.empty() ? "." : folder, &unsupported);
            noXattrs = unsupported;
            if ((bits & vbHidden) && !(attributes & vbHidden)) continue;
            if ((bits & vbSystem) && !(attributes & vbSystem)) continue;
        }
        found.emplace_back(detail::FoldCase(entry), std::string(entry));
    }
    closedir(d);
    // Name order without regard to case, then by bytes (detail::NameLess).
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    out.reserve(found.size());
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

// Deletes one file (a link itself, not what it names), with Kill's refusals.
void deleteOne(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) raiseFileAt(errno, path);
    if (S_ISDIR(st.st_mode)) raiseWith(err::PathFileAccessError, path);
    // A file this program holds open, or one marked read-only, stays.
    if (detail::OpenStateOf(st.st_dev, st.st_ino).open) raiseWith(err::FileAlreadyOpen, path);
    if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) raiseWith(err::PathFileAccessError, path);
    if (unlink(path.c_str()) != 0) raiseFileAt(errno, path);
}

struct DirCursor {
    std::mutex mu;
    bool started = false;
    std::vector<std::string> names;
    std::size_t next = 0;
};

DirCursor& dirCursor() {
    static DirCursor cursor;
    return cursor;
}

}  // namespace

// ---------------------------------------------------------------------------

void detail::ReadAttributesByPath(bool on) { noGetxattrat.store(on); }

bool MatchesPattern(std::string_view name, std::string_view pattern) { return NameMatcher(pattern).matches(name); }

namespace {

// The names a search of Dir finds, in its order.
std::vector<std::string> namesOfSearch(std::string_view pattern, int attributes) {
    // A pattern that holds a NUL names no folder: it lists nothing.
    if (detail::HoldsNul(pattern)) return {};
    auto [folder, name] = splitPattern(pattern);
    if (hasWildcards(name)) return listMatches(folder, name, attributes, false);
    // One name: look it up instead of reading the whole folder.
    std::vector<std::string> names;
    std::string path = ResolvePath(detail::JoinPath(folder, name));
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        int attrs = attributesOf(path, st);
        bool pass = (!(attrs & vbDirectory) || (attributes & vbDirectory)) &&
                    (!(attrs & vbHidden) || (attributes & vbHidden)) &&
                    (!(attrs & vbSystem) || (attributes & vbSystem));
        std::string found = detail::NameOf(path);
        if (pass && found != "." && found != "..") names.push_back(found);
    }
    return names;
}

}  // namespace

std::string Dir(std::string_view pattern, int attributes) {
    std::vector<std::string> names = namesOfSearch(pattern, attributes);
    DirCursor& c = dirCursor();
    std::lock_guard lock(c.mu);
    c.started = true;
    c.names = std::move(names);
    c.next = 0;
    return c.next < c.names.size() ? c.names[c.next++] : std::string();
}

std::string Dir() {
    DirCursor& c = dirCursor();
    std::lock_guard lock(c.mu);
    if (!c.started) raise(err::InvalidProcedureCall);
    return c.next < c.names.size() ? c.names[c.next++] : std::string();
}

bool FileExists(std::string_view path) {
    if (path.empty() || detail::HoldsNul(path)) return false;
    struct stat st;
    return stat(ResolvePath(path).c_str(), &st) == 0;
}

bool FolderExists(std::string_view path) {
    if (path.empty() || detail::HoldsNul(path)) return false;
    struct stat st;
    return stat(ResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t FileLen(std::string_view path) {
    struct stat st;
    existing(path, st);
    return st.st_size;
}

DateTime FileDateTime(std::string_view path) {
    struct stat st;
    existing(path, st);
    auto since = std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec);
    return DateTime::fromTimePoint(
        std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(since)));
}

int GetAttr(std::string_view path) {
    struct stat st;
    std::string resolved = existing(path, st);
    return attributesOf(resolved, st);
}

void SetAttr(std::string_view path, int attributes) {
    if (attributes < 0 || (attributes & ~(vbReadOnly | kDosBits))) raise(err::InvalidProcedureCall);
    struct stat st;
    std::string resolved = existing(path, st);
    mode_t mode = st.st_mode & 07777;
    // Read-only takes every write permission away; clearing it on a file
    // that is read-only gives write permissions back (writesGivenBack).
    const bool readOnly = attributes & vbReadOnly;
    mode_t wanted = readOnly ? (mode & ~mode_t(0222)) : (mode & S_IWUSR) ? mode : (mode | writesGivenBack(st, mode));
    // Only a user who may write the file may change its user.DOSATTRIB, so a
    // read-only file is made writable for that write and read-only again
    // after it (ticking hidden on a read-only file, as its owner, works).
    const bool dosChange = readDosBits(resolved) != (attributes & kDosBits);
    mode_t now = mode;
    if (dosChange && !(mode & S_IWUSR)) {
        if (chmod(resolved.c_str(), mode | S_IWUSR) != 0) raiseFileAt(errno, resolved);
        now = mode | S_IWUSR;
    }
    if (dosChange) {
        try {
            writeDosBits(resolved, attributes);
        } catch (...) {
            if (now != mode) chmod(resolved.c_str(), mode);
            throw;
        }
    }
    if (wanted != now && chmod(resolved.c_str(), wanted) != 0) raiseFileAt(errno, resolved);
    // Once read-only is cleared, what it took away has been given back.
    if (!readOnly)
        takenWrites().forget(st);
    else if (mode & 0222)
        takenWrites().remember(st, mode & 0222);
}

void Kill(std::string_view pattern) {
    if (pattern.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(pattern);
    auto [folder, name] = splitPattern(pattern);
    std::vector<std::string> paths;
    if (!hasWildcards(name)) {
        paths.push_back(ResolvePath(detail::JoinPath(folder, name)));
    } else {
        for (const std::string& n : listMatches(folder, name, vbNormal, true))
            paths.push_back(detail::JoinPath(folder, n));
        if (paths.empty()) raiseWith(err::FileNotFound, pattern);
    }
    for (const std::string& path : paths) deleteOne(path);
}

void KillFile(std::string_view path) {
    if (path.empty()) raise(err::BadFileNameOrNumber);
    deleteOne(ResolvePath(path));
}

void Name(std::string_view oldPath, std::string_view newPath) {
    if (oldPath.empty() || newPath.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(oldPath);
    detail::RefuseNul(newPath);
    std::string from = ResolvePath(oldPath);
    struct stat old;
    if (lstat(from.c_str(), &old) != 0) raiseFileAt(errno, from);
    if (detail::OpenStateOf(old.st_dev, old.st_ino).open) raiseWith(err::PathFileAccessError, from);

    // The new name is kept as written (a change of case is a rename too);
    // only its folder is resolved.
    std::string newFolder = detail::FolderOf(newPath);
    if (!newFolder.empty()) newFolder = ResolvePath(newFolder);
    std::string newName = detail::NameOf(newPath);
    if (newName.empty()) raise(err::BadFileNameOrNumber);
    std::string to = detail::JoinPath(newFolder, newName);

    auto isOld = [&](const std::string& p) {
        struct stat st;
        return lstat(p.c_str(), &st) == 0 && st.st_dev == old.st_dev && st.st_ino == old.st_ino;
    };
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) {
        if (to == from) return;  // the same name
        if (!isOld(to)) raiseWith(err::FileAlreadyExists, to);
    }
    std::string variant = detail::FindEntryNoCase(newFolder, newName);
    if (!variant.empty() && variant != newName && !isOld(detail::JoinPath(newFolder, variant)))
        raiseWith(err::FileAlreadyExists, to);

    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    int e = errno;
    if (e == EEXIST && isOld(to)) e = EINVAL;  // another name of the same file
    if (e == EINVAL || e == ENOSYS) {
        // A file system without the no-replace rename: the checks above stand.
        if (rename(from.c_str(), to.c_str()) == 0) return;
        e = errno;
    }
    if (e == EEXIST || e == ENOTEMPTY) raiseWith(err::FileAlreadyExists, to);
    if (e == ENOENT) raiseWith(err::PathNotFound, to);
    raiseFileAt(e, to);
}

void FileCopy(std::string_view source, std::string_view destination) {
    if (source.empty() || destination.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(source);
    detail::RefuseNul(destination);
    std::string from = ResolvePath(source);
    // O_NONBLOCK: a named pipe opens without waiting for a writer (and is then refused below).
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) raiseFileAt(errno, from);
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{in};
    struct stat src;
    if (fstat(in, &src) != 0) raiseFileAt(errno, from);
    // Only a file is copied: a pipe or a device (/dev/zero) has no end to copy to.
    if (!S_ISREG(src.st_mode)) raiseWith(err::PathFileAccessError, from);
    if (detail::OpenStateOf(src.st_dev, src.st_ino).writing) raiseWith(err::PermissionDenied, from);

    std::string to = ResolvePath(destination);
    struct stat dst;
    if (stat(to.c_str(), &dst) == 0) {
        if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
            throw Error(err::PermissionDenied,
                        errorDescription(err::PermissionDenied) + ": cannot copy " + from + " onto itself");
        if (S_ISDIR(dst.st_mode)) raiseWith(err::PathFileAccessError, to);
        if (detail::OpenStateOf(dst.st_dev, dst.st_ino).open || !(dst.st_mode & S_IWUSR))
            raiseWith(err::PermissionDenied, to);
    }

    // The copy is written beside the destination and renamed over it, so a
    // failed copy (a full disk) leaves an existing destination as it was.
    AtomicFile out(to);
    off_t offset = 0;
    bool plain = false;
    char buf[65536];
    for (;;) {
        ssize_t n;
        if (!plain) {
            n = copy_file_range(in, &offset, out.descriptor(), nullptr, 1 << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) &&
                offset == 0) {
                plain = true;
                continue;
            }
        } else {
            n = pread(in, buf, sizeof buf, offset);
            if (n > 0) {
                out.write(std::string_view(buf, static_cast<std::size_t>(n)));
                offset += n;
            }
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            raiseFileAt(errno, from);
        }
        if (n == 0) break;
    }
    // The copy carries the source's modification time and permissions (given
    // before it is named, so a private source is never copied readable).
    struct timespec times[2] = {src.st_atim, src.st_mtim};
    (void)futimens(out.descriptor(), times);
    out.setMode(src.st_mode & 0777);
    out.commit();
}

void MkDir(std::string_view path) {
    if (path.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(path);
    std::string folder = detail::FolderOf(path);
    if (!folder.empty()) folder = ResolvePath(folder);
    std::string name = detail::NameOf(path);
    std::string target = name.empty() ? ResolvePath(path) : detail::JoinPath(folder, name);
    if (!name.empty() && !detail::FindEntryNoCase(folder, name).empty()) raiseWith(err::PathFileAccessError, target);
    if (mkdir(target.c_str(), 0777) == 0) return;
    int e = errno;
    if (e == EEXIST || e == EACCES || e == EPERM || e == EROFS) raiseWith(err::PathFileAccessError, target);
    if (e == ENOENT || e == ENOTDIR) raiseWith(err::PathNotFound, target);
    raiseFileAt(e, target);
}

void RmDir(std::string_view path) {
    if (path.empty()) raise(err::BadFileNameOrNumber);
    std::string target = ResolvePath(path);
    if (rmdir(target.c_str()) == 0) return;
    int e = errno;
    if (e == ENOENT || e == ENOTDIR) raiseWith(err::PathNotFound, target);
    if (e == ENOTEMPTY || e == EEXIST || e == EACCES || e == EPERM || e == EBUSY || e == EROFS)
        raiseWith(err::PathFileAccessError, target);
    raiseFileAt(e, target);
}

std::string PathFromText(std::string_view line, std::string_view folder) {
    std::string bytes = std::string(folder) + std::string(line);
    if (IsValidUtf8(line) || FileExists(bytes)) return bytes;
    std::string decoded = std::string(folder) + cp1252::decode(line);
    return FileExists(decoded) ? decoded : bytes;
}

std::optional<std::string> PathFromFileUri(std::string_view uri) {
    constexpr std::string_view scheme = "file:";
    if (uri.size() <= scheme.size() || !EqualsNoCase(uri.substr(0, scheme.size()), scheme)) return std::nullopt;
    std::string_view rest = uri.substr(scheme.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsNoCase(host, "localhost")) return std::nullopt;
        rest.remove_prefix(slash);
    } else if (!rest.starts_with("/")) {
        return std::nullopt;
    }
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const int hi = rest[i] == '%' && i + 2 < rest.size() ? hex(rest[i + 1]) : -1;
        const int lo = hi >= 0 ? hex(rest[i + 2]) : -1;
        if (lo < 0) {
            path += rest[i];  // a "%" that starts no escape is itself
            continue;
        }
        const char byte = static_cast<char>(hi * 16 + lo);
        // An escaped "/" is a character of a name, which no Linux name holds,
        // not a separator: the URI names no file (as GLib reads it), and its
        // "..%2F" never climbs out of the folder it is written in.
        if (byte == '/') return std::nullopt;
        path += byte;
        i += 2;
    }
    if (path.find('\0') != std::string::npos) return std::nullopt;
    return path;
}

std::string CurDir() {
    std::string buf(4096, '\0');
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) raiseFileAt(errno, ".");
        buf.resize(buf.size() * 2);
    }
    buf.resize(std::strlen(buf.c_str()));
    return buf;
}

void WalkFolders(std::string_view root, const std::function<void(const std::string& folder)>& visit,
                 const std::function<bool(const std::string& folder)>& descend) {
    if (detail::HoldsNul(root)) return;  // names no folder
    std::string start = root.empty() ? std::string("/") : ResolvePath(root);
    while (start.size() > 1 && start.back() == '/') start.pop_back();
    struct stat st;
    if (stat(start.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;

    std::set<std::pair<dev_t, ino_t>> seen;
    // Depth first in name order, without recursion: a deep tree cannot
    // exhaust the stack.
    std::vector<std::pair<std::string, std::pair<dev_t, ino_t>>> pending{{start, {st.st_dev, st.st_ino}}};
    while (!pending.empty()) {
        auto [folder, id] = std::move(pending.back());
        pending.pop_back();
        if (!seen.insert(id).second) continue;
        visit(folder);
        std::vector<std::pair<std::string, std::pair<dev_t, ino_t>>> children;
        if (DIR* d = opendir(folder.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string name = e->d_name;
                if (name == "." || name == ".." || e->d_type == DT_LNK) continue;
                if (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN) continue;
                std::string path = detail::JoinPath(folder, name);
                struct stat cst;
                // lstat: a link to a folder is never followed.
                if (lstat(path.c_str(), &cst) != 0 || !S_ISDIR(cst.st_mode)) continue;
                children.push_back({std::move(name), {cst.st_dev, cst.st_ino}});
            }
            closedir(d);
        }
        std::sort(children.begin(), children.end(),
                  [](const auto& a, const auto& b) { return detail::NameLess(a.first, b.first); });
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            std::string path = detail::JoinPath(folder, it->first);
            if (descend && !descend(path)) continue;
            pending.push_back({std::move(path), it->second});
        }
    }
}

}  // namespace runtime
