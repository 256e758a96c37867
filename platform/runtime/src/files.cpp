#include "runtime/files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "files_internal.hpp"
#include "runtime/error.hpp"
#include "runtime/strings.hpp"

namespace runtime {

// ---------------------------------------------------------------------------
// Names and paths

namespace detail {

bool IsAscii(std::string_view s) {
    // Eight bytes at a time: lines and names are checked on every read.
    const char* p = s.data();
    std::size_t n = s.size();
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n > 0; ++p, --n) any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ull) == 0;
}

namespace {
// An ASCII name against an ASCII name already folded to lower case.
bool asciiEqualsFolded(std::string_view name, std::string_view folded) {
    if (name.size() != folded.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != folded[i]) return false;
    }
    return true;
}
}  // namespace

std::string FoldCase(std::string_view s) {
    if (!IsAscii(s)) return LCase(s);
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool NameLess(const std::string& a, const std::string& b) {
    std::string fa = FoldCase(a), fb = FoldCase(b);
    if (fa != fb) return fa < fb;
    return a < b;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out(folder);
    if (out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string FolderOf(std::string_view path) {
    auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return "";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string NameOf(std::string_view path) {
    auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void RefuseNul(std::string_view path) {
    if (!HoldsNul(path)) return;
    // The NUL is shown as "\0", so the message shows the whole path.
    std::string shown;
    for (char c : path) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    throw Error(err::BadFileName,
                errorDescription(err::BadFileName) + ": " + shown + " holds a NUL byte, which no file name holds");
}

std::string FindEntryNoCase(const std::string& folder, std::string_view name) {
    DIR* d = opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return "";
    const std::string folded = FoldCase(name);
    const bool asciiTarget = IsAscii(folded);
    std::string best;
    while (dirent* e = readdir(d)) {
        std::string_view entry(e->d_name);
        if (entry == name) {
            best = entry;
            break;
        }
        if (IsAscii(entry)) {
            // An ASCII name only folds to an ASCII name.
            if (!asciiTarget || !asciiEqualsFolded(entry, folded)) continue;
        } else if (FoldCase(entry) != folded) {
            continue;
        }
        // Several spellings of one name: take the first in byte order, so the
        // choice does not depend on the order of the folder's entries.
        if (best.empty() || std::string(entry) < best) best = entry;
    }
    closedir(d);
    return best;
}

}  // namespace detail

std::string ResolvePath(std::string_view path) {
    if (path.empty()) return "";
    detail::RefuseNul(path);
    std::string exact(path);
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) return exact;
    if (errno != ENOENT && errno != ENOTDIR) return exact;

    const bool absolute = path.front() == '/';
    const bool trailingSlash = path.size() > 1 && path.back() == '/';
    std::vector<std::string_view> parts;
    for (std::size_t i = 0; i < path.size();) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos) j = path.size();
        if (j > i) parts.push_back(path.substr(i, j - i));
        i = j + 1;
    }
    auto build = [&](std::size_t count) {
        std::string out = absolute ? "/" : "";
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0) out += '/';
            out += parts[i];
        }
        return out;
    };

    // The longest leading part that exists as it is written needs no search.
    std::size_t known = parts.size();
    while (known > 0) {
        --known;
        if (known == 0) break;
        std::string prefix = build(known);
        if (stat(prefix.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) break;
    }

    std::string current = build(known);
    std::size_t i = known;
    for (; i < parts.size(); ++i) {
        std::string_view part = parts[i];
        if (part == "." || part == "..") {
            current = detail::JoinPath(current, part);
            continue;
        }
        std::string found = detail::FindEntryNoCase(current, part);
        if (found.empty()) break;
        current = detail::JoinPath(current, found);
    }
    for (; i < parts.size(); ++i) current = detail::JoinPath(current, parts[i]);
    if (trailingSlash) current += '/';
    return current;
}

// ---------------------------------------------------------------------------
// Low-level helpers

namespace {

std::atomic<int> failNextReplace{0};
std::atomic<bool> refuseUnnamed{false};
std::mutex replaceWatcherMutex;
std::function<void(detail::ReplaceStep)> replaceWatcher;

int openRetry(const std::string& path, int flags, mode_t mode = 0) {
    int fd;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads up to count bytes at offset; returns the bytes read (fewer only at the
// end of the file) or -1 with errno set.
ssize_t preadFull(int fd, char* data, std::size_t count, std::int64_t offset) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd, data + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// Writes all bytes, at offset (or at the descriptor's position when offset is
// negative); false with errno set on failure.
bool writeFull(int fd, const char* data, std::size_t count, std::int64_t offset) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = offset < 0 ? ::write(fd, data + done, count - done)
                               : ::pwrite(fd, data + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void raiseFile(int errnum, std::string_view path) { throw fileError(errnum, path); }

// The error of an open that found no such file: 76 when the folder it would be
// created in is missing, else 53.
[[noreturn]] void raiseMissing(int errnum, const std::string& path, bool creating) {
    if (creating)
        throw Error(err::PathNotFound, errorDescription(err::PathNotFound) + ": " + path);
    raiseFile(errnum, path);
}

}  // namespace

namespace detail {
void FailNextReplace(int errnum) { failNextReplace.store(errnum); }
void RefuseUnnamedTemporaryFiles(bool refuse) { refuseUnnamed.store(refuse); }
void WatchNextReplace(std::function<void(ReplaceStep)> watcher) {
    std::lock_guard lock(replaceWatcherMutex);
    replaceWatcher = std::move(watcher);
}
}  // namespace detail

// ---------------------------------------------------------------------------
// The file-number table

namespace {

constexpr std::size_t kTextBuffer = 16 * 1024;

struct OpenFile {
    int fd = -1;
    OpenMode mode = OpenMode::Input;
    bool canRead = false;
    bool canWrite = false;
    Lock lock = Lock::Shared;
    std::string path;
    dev_t dev = 0;
    ino_t ino = 0;
    std::int64_t pos = 0;  // 0-based offset of the next byte
    bool eof = false;      // binary files: the last read came up short
    std::string buffer;    // text reading: file bytes from bufferStart on
    std::int64_t bufferStart = 0;

    bool deniesReaders() const { return lock == Lock::Read || lock == Lock::ReadWrite; }
    bool deniesWriters() const { return lock == Lock::Write || lock == Lock::ReadWrite; }
};

bool conflicts(const OpenFile& a, const OpenFile& b) {
    return (a.deniesWriters() && b.canWrite) || (a.deniesReaders() && b.canRead) ||
           (b.deniesWriters() && a.canWrite) || (b.deniesReaders() && a.canRead);
}

}  // namespace

struct FileTable::Impl {
    std::mutex mu;
    std::array<std::optional<OpenFile>, MaxNumber + 1> files;
    int openCount = 0;

    OpenFile& get(int number) {
        if (number < 1 || number > MaxNumber || !files[static_cast<std::size_t>(number)])
            raise(err::BadFileNameOrNumber);
        return *files[static_cast<std::size_t>(number)];
    }

    // The bytes buffered at the file's position, reading more when needed.
    std::string_view available(OpenFile& f) {
        std::int64_t end = f.bufferStart + static_cast<std::int64_t>(f.buffer.size());
        if (f.pos >= f.bufferStart && f.pos < end)
            return std::string_view(f.buffer).substr(static_cast<std::size_t>(f.pos - f.bufferStart));
        f.buffer.resize(kTextBuffer);
        ssize_t n = preadFull(f.fd, f.buffer.data(), kTextBuffer, f.pos);
        if (n < 0) {
            int e = errno;
            f.buffer.clear();
            raiseFile(e, f.path);
        }
        f.buffer.resize(static_cast<std::size_t>(n));
        f.bufferStart = f.pos;
        return f.buffer;
    }

    std::string readBytes(OpenFile& f, std::int64_t position, std::size_t count) {
        if (f.mode != OpenMode::Binary) raise(err::BadFileMode);
        if (position < 1 && position != FileTable::CurrentPosition) raise(err::BadRecordNumber);
        if (!f.canRead) raise(err::PathFileAccessError);
        std::int64_t offset = position == FileTable::CurrentPosition ? f.pos : position - 1;
        // A large count (a size field read from the file, say) takes no more
        // memory than the bytes the file holds from there.
        std::size_t want = count;
        if (want > kTextBuffer) {
            struct stat st;
            if (fstat(f.fd, &st) != 0) raiseFile(errno, f.path);
            const std::int64_t left = st.st_size > offset ? st.st_size - offset : 0;
            if (static_cast<std::uint64_t>(left) < want) want = static_cast<std::size_t>(left);
        }
        std::string out(want, '\0');
        ssize_t n = preadFull(f.fd, out.data(), want, offset);
        if (n < 0) raiseFile(errno, f.path);
        out.resize(static_cast<std::size_t>(n));
        f.pos = offset + n;
        f.eof = static_cast<std::size_t>(n) < count;
        return out;
    }

    void writeBytes(OpenFile& f, std::int64_t position, std::string_view bytes) {
        if (f.mode != OpenMode::Binary) raise(err::BadFileMode);
        if (position < 1 && position != FileTable::CurrentPosition) raise(err::BadRecordNumber);
        if (!f.canWrite) raise(err::PathFileAccessError);
        std::int64_t offset = position == FileTable::CurrentPosition ? f.pos : position - 1;
        f.buffer.clear();
        if (!writeFull(f.fd, bytes.data(), bytes.size(), offset)) raiseFile(errno, f.path);
        f.pos = offset + static_cast<std::int64_t>(bytes.size());
        f.eof = false;
    }

    void checkTextRead(const OpenFile& f) {
        if (f.mode != OpenMode::Input && f.mode != OpenMode::Binary) raise(err::BadFileMode);
        if (!f.canRead) raise(err::PathFileAccessError);
    }
};

FileTable& FileTable::instance() {
    static FileTable table;
    return table;
}

FileTable::FileTable() : impl_(std::make_unique<Impl>()) {}

FileTable::~FileTable() {
    for (auto& f : impl_->files)
        if (f && f->fd >= 0) ::close(f->fd);
}

int FileTable::FreeFile() const {
    std::lock_guard lock(impl_->mu);
    for (int n = 1; n <= MaxNumber; ++n)
        if (!impl_->files[static_cast<std::size_t>(n)]) return n;
    raise(err::TooManyFiles);
}

void FileTable::Open(std::string_view path, OpenMode mode, int number, Access access, Lock lock) {
    std::lock_guard guard(impl_->mu);
    if (number < 1 || number > MaxNumber) raise(err::BadFileNameOrNumber);
    if (impl_->files[static_cast<std::size_t>(number)]) raise(err::FileAlreadyOpen);
    if (path.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(path);

    // The ways to open, tried in order; a binary open without an access
    // clause falls back to reading, then to writing, as the original does for
    // a file it may not write.
    struct Way {
        int flags;
        bool read, write;
    };
    std::vector<Way> ways;
    bool creates = true;
    switch (mode) {
    case OpenMode::Input:
        ways = {{O_RDONLY, true, false}};
        creates = false;
        break;
    case OpenMode::Output: ways = {{O_WRONLY, false, true}}; break;
    case OpenMode::Append: ways = {{O_WRONLY | O_APPEND, false, true}}; break;
    case OpenMode::Binary:
        switch (access) {
        case Access::Read:
            ways = {{O_RDONLY, true, false}};
            creates = false;
            break;
        case Access::Write: ways = {{O_WRONLY, false, true}}; break;
        case Access::ReadWrite: ways = {{O_RDWR, true, true}}; break;
        case Access::Default:
            ways = {{O_RDWR, true, true}, {O_RDONLY, true, false}, {O_WRONLY, false, true}};
            break;
        }
        break;
    }

    // O_NONBLOCK: a named pipe opens without waiting for its other end (and
    // then fails on reading, which goes by pread); the flag changes nothing
    // for a regular file.
    std::size_t used = 0;
    auto openExisting = [&](const std::string& p) {
        for (used = 0; used < ways.size(); ++used) {
            int fd = openRetry(p, ways[used].flags | O_NONBLOCK);
            if (fd >= 0) return fd;
            if (errno != EACCES && errno != EPERM && errno != EROFS) return -1;
            if (used + 1 == ways.size()) return -1;
        }
        return -1;
    };

    std::string resolved(path);
    int fd = openExisting(resolved);
    if (fd < 0 && errno == ENOENT) {
        std::string other = ResolvePath(path);
        if (other != resolved) {
            resolved = std::move(other);
            fd = openExisting(resolved);
        }
    }
    if (fd < 0 && errno == ENOENT && creates) {
        used = 0;
        fd = openRetry(resolved, ways[0].flags | O_CREAT | O_NONBLOCK, 0666);
    }
    if (fd < 0) {
        int e = errno;
        if (e == ENOENT || e == ENOTDIR) raiseMissing(e, resolved, creates);
        if (e == EISDIR) throw Error(err::PathFileAccessError, errorDescription(err::PathFileAccessError) + ": " + resolved);
        raiseFile(e, resolved);
    }

    struct stat st;
    if (fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        raiseFile(e, resolved);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw Error(err::PathFileAccessError, errorDescription(err::PathFileAccessError) + ": " + resolved);
    }

    OpenFile f;
    f.fd = fd;
    f.mode = mode;
    f.canRead = ways[used].read;
    f.canWrite = ways[used].write;
    f.lock = lock;
    f.path = std::move(resolved);
    f.dev = st.st_dev;
    f.ino = st.st_ino;

    if (impl_->openCount > 0) {
        for (auto& other : impl_->files) {
            if (other && other->dev == f.dev && other->ino == f.ino && conflicts(*other, f)) {
                ::close(fd);
                throw Error(err::PermissionDenied,
                            errorDescription(err::PermissionDenied) + ": " + f.path + " (in use by this program)");
            }
        }
    }
    if (mode == OpenMode::Output && st.st_size > 0 && ftruncate(fd, 0) != 0) {
        int e = errno;
        ::close(fd);
        raiseFile(e, f.path);
    }
    if (mode == OpenMode::Append) f.pos = st.st_size;

    impl_->files[static_cast<std::size_t>(number)] = std::move(f);
    ++impl_->openCount;
}

void FileTable::Close(int number) {
    std::lock_guard lock(impl_->mu);
    if (number < 1 || number > MaxNumber) return;
    auto& slot = impl_->files[static_cast<std::size_t>(number)];
    if (!slot) return;
    int fd = slot->fd;
    std::string path = slot->path;
    slot.reset();
    --impl_->openCount;
    if (::close(fd) != 0 && errno != EINTR) raiseFile(errno, path);
}

void FileTable::CloseAll() {
    std::lock_guard lock(impl_->mu);
    int firstError = 0;
    std::string firstPath;
    for (auto& slot : impl_->files) {
        if (!slot) continue;
        if (::close(slot->fd) != 0 && errno != EINTR && firstError == 0) {
            firstError = errno;
            firstPath = slot->path;
        }
        slot.reset();
    }
    impl_->openCount = 0;
    if (firstError) raiseFile(firstError, firstPath);
}

bool FileTable::IsOpen(int number) const {
    std::lock_guard lock(impl_->mu);
    return number >= 1 && number <= MaxNumber && impl_->files[static_cast<std::size_t>(number)].has_value();
}

std::string FileTable::PathOf(int number) const {
    std::lock_guard lock(impl_->mu);
    if (number < 1 || number > MaxNumber || !impl_->files[static_cast<std::size_t>(number)]) return "";
    return impl_->files[static_cast<std::size_t>(number)]->path;
}

std::string FileTable::GetBytes(int number, std::int64_t position, std::size_t count) {
    std::lock_guard lock(impl_->mu);
    return impl_->readBytes(impl_->get(number), position, count);
}

void FileTable::PutBytes(int number, std::int64_t position, std::string_view bytes) {
    std::lock_guard lock(impl_->mu);
    impl_->writeBytes(impl_->get(number), position, bytes);
}

std::string FileTable::GetText(int number, std::int64_t position, std::size_t count) {
    std::lock_guard lock(impl_->mu);
    return cp1252::decode(impl_->readBytes(impl_->get(number), position, count));
}

void FileTable::PutText(int number, std::int64_t position, std::string_view utf8) {
    std::lock_guard lock(impl_->mu);
    OpenFile& f = impl_->get(number);
    impl_->writeBytes(f, position, cp1252::encode(utf8));
}

std::uint8_t FileTable::GetByte(int number, std::int64_t position) {
    std::lock_guard lock(impl_->mu);
    std::string b = impl_->readBytes(impl_->get(number), position, 1);
    return b.empty() ? 0 : static_cast<std::uint8_t>(b[0]);
}

void FileTable::PutByte(int number, std::int64_t position, std::uint8_t value) {
    std::lock_guard lock(impl_->mu);
    char c = static_cast<char>(value);
    impl_->writeBytes(impl_->get(number), position, std::string_view(&c, 1));
}

std::int64_t FileTable::LOF(int number) const {
    std::lock_guard lock(impl_->mu);
    OpenFile& f = impl_->get(number);
    struct stat st;
    if (fstat(f.fd, &st) != 0) raiseFile(errno, f.path);
    return st.st_size;
}

bool FileTable::Eof(int number) const {
    std::lock_guard lock(impl_->mu);
    OpenFile& f = impl_->get(number);
    switch (f.mode) {
    case OpenMode::Input: return impl_->available(f).empty();
    case OpenMode::Binary: return f.eof;
    default: return true;
    }
}

std::int64_t FileTable::Seek(int number) const {
    std::lock_guard lock(impl_->mu);
    return impl_->get(number).pos + 1;
}

void FileTable::Seek(int number, std::int64_t position) {
    std::lock_guard lock(impl_->mu);
    OpenFile& f = impl_->get(number);
    if (position < 1) raise(err::BadRecordNumber);
    f.pos = position - 1;
    f.eof = false;
}

namespace {

// A line or field read from a text file: UTF-8 as it is, anything else as
// Windows-1252 (files written by the original program).
std::string decodeText(std::string bytes) {
    if (detail::IsAscii(bytes) || IsValidUtf8(bytes)) return bytes;
    return cp1252::decode(bytes);
}

// The offset of the first CR or LF, or npos.
std::size_t lineEnd(std::string_view s) {
    const char* data = s.data();
    const void* lf = std::memchr(data, '\n', s.size());
    std::size_t limit = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : s.size();
    const void* cr = std::memchr(data, '\r', limit);
    if (cr) return static_cast<std::size_t>(static_cast<const char*>(cr) - data);
    return lf ? limit : std::string_view::npos;
}

}  // namespace

std::string FileTable::LineInput(int number) { return decodeText(LineInputBytes(number)); }

std::string FileTable::LineInputBytes(int number) {
    std::lock_guard lock(impl_->mu);
    OpenFile& f = impl_->get(number);
    impl_->checkTextRead(f);
    const std::int64_t start = f.pos;
    std::string_view chunk = impl_->available(f);
    if (chunk.empty()) {
        f.eof = true;
        raise(err::InputPastEndOfFile);
    }
    std::string line;
    for (;;) {
        std::size_t end = lineEnd(chunk);
        if (end == std::string_view::npos) {
            line.append(chunk);
            f.pos += static_cast<std::int64_t>(chunk.size());
            chunk = impl_->available(f);
            if (chunk.empty()) break;  // the last line has no line end
            continue;
        }
        line.append(chunk.data(), end);
        f.pos += static_cast<std::int64_t>(end) + 1;
        if (chunk[end] == '\r') {
            std::string_view next = impl_->available(f);
            if (!next.empty() && next[0] == '\n') ++f.pos;
        }
        break;
    }
    if (start == 0 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    if (f.mode == OpenMode::Binary) f.eof = impl_->available(f).empty();
    return line;
}

std::string FileTable::Input(int number) {
    std::lock_guard lock(impl_->mu);
    OpenFile& f = impl_->get(number);
    impl_->checkTextRead(f);
    auto peek = [&]() -> int {
        std::string_view c = impl_->available(f);
        return c.empty() ? -1 : static_cast<unsigned char>(c[0]);
    };
    // Leading blanks and line ends before a field are skipped.
    int c = peek();
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++f.pos;
        c = peek();
    }
    if (c < 0) {
        f.eof = true;
        raise(err::InputPastEndOfFile);
    }
    std::string field;
    bool quoted = c == '"';
    if (quoted) {
        ++f.pos;
        while ((c = peek()) >= 0 && c != '"') {
            field += static_cast<char>(c);
            ++f.pos;
        }
        if (c == '"') ++f.pos;
        // Whatever follows the closing quote up to the delimiter is dropped.
        while ((c = peek()) >= 0 && c != ',' && c != '\r' && c != '\n') ++f.pos;
    } else {
        while ((c = peek()) >= 0 && c != ',' && c != '\r' && c != '\n') {
            field += static_cast<char>(c);
            ++f.pos;
        }
        while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.pop_back();
    }
    if (c == ',') {
        ++f.pos;
    } else if (c == '\r') {
        ++f.pos;
        if (peek() == '\n') ++f.pos;
    } else if (c == '\n') {
        ++f.pos;
    }
    if (f.mode == OpenMode::Binary) f.eof = peek() < 0;
    return decodeText(std::move(field));
}

namespace {

void printTo(OpenFile& f, std::string_view text, bool newline) {
    if (f.mode != OpenMode::Output && f.mode != OpenMode::Append) raise(err::BadFileMode);
    std::string bytes(text);
    if (newline) bytes += "\r\n";
    // Append writes go to the end whatever the position; Output writes at it.
    std::int64_t offset = f.mode == OpenMode::Append ? -1 : f.pos;
    if (!writeFull(f.fd, bytes.data(), bytes.size(), offset)) raiseFile(errno, f.path);
    f.pos += static_cast<std::int64_t>(bytes.size());
}

}  // namespace

void FileTable::Print(int number, std::string_view text) {
    std::lock_guard lock(impl_->mu);
    printTo(impl_->get(number), text, true);
}

void FileTable::PrintNoNewline(int number, std::string_view text) {
    std::lock_guard lock(impl_->mu);
    printTo(impl_->get(number), text, false);
}

int FileTable::Descriptor(int number) const {
    std::lock_guard lock(impl_->mu);
    return impl_->get(number).fd;
}

FileIdentity FileTable::Identity(int number) const {
    std::lock_guard lock(impl_->mu);
    const OpenFile& f = impl_->get(number);
    return {static_cast<std::uint64_t>(f.dev), static_cast<std::uint64_t>(f.ino)};
}

std::optional<FileIdentity> IdentityOf(std::string_view path) {
    if (path.empty() || detail::HoldsNul(path)) return std::nullopt;
    struct stat st;
    std::string p(path);
    if (stat(p.c_str(), &st) != 0) {
        if (errno != ENOENT) return std::nullopt;
        std::string other = ResolvePath(path);
        if (other == p || stat(other.c_str(), &st) != 0) return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

struct FileTableAccess {
    static FileTable::Impl& impl(FileTable& table) { return *table.impl_; }
};

detail::OpenState detail::OpenStateOf(dev_t dev, ino_t ino) {
    auto& impl = FileTableAccess::impl(FileTable::instance());
    std::lock_guard lock(impl.mu);
    OpenState state;
    if (impl.openCount == 0) return state;
    for (auto& f : impl.files) {
        if (f && f->dev == dev && f->ino == ino) {
            state.open = true;
            state.writing = state.writing || f->canWrite;
        }
    }
    return state;
}

// ---------------------------------------------------------------------------
// Whole-file replacement

namespace {

// Follows symbolic links to the path they finally name (which may not exist
// yet), so that a replacement keeps the link and changes the file behind it.
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0) return path;
        target.resize(static_cast<std::size_t>(n));
        if (target.empty()) return path;
        if (target.front() != '/') target = detail::JoinPath(detail::FolderOf(path), target);
        path = std::move(target);
    }
    raiseFile(ELOOP, path);
}

std::string tempSuffix() {
    static std::atomic<unsigned> counter{0};
    auto ticks = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    unsigned long long mix = ticks ^ (static_cast<unsigned long long>(getpid()) << 32) ^
                             (static_cast<unsigned long long>(counter.fetch_add(1)) * 0x9E3779B97F4A7C15ull);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string out;
    for (int i = 0; i < 8; ++i) {
        out += digits[mix % 36];
        mix /= 36;
    }
    return out;
}

void copyExtendedAttributes(const std::string& from, int toFd) {
    ssize_t size = listxattr(from.c_str(), nullptr, 0);
    if (size <= 0) return;
    std::string names(static_cast<std::size_t>(size), '\0');
    size = listxattr(from.c_str(), names.data(), names.size());
    if (size <= 0) return;
    names.resize(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < names.size();) {
        std::string name(names.c_str() + i);
        i += name.size() + 1;
        if (name.empty()) continue;
        ssize_t len = getxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (len < 0) continue;
        std::string value(static_cast<std::size_t>(len), '\0');
        len = getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        if (len < 0) continue;
        // Attributes this user may not set (trusted.*, security.* without
        // privileges) are left behind; the file itself matters more.
        (void)fsetxattr(toFd, name.c_str(), value.data(), static_cast<std::size_t>(len), 0);
    }
}

}  // namespace

namespace {

// The permission bits a newly created file gets: 0666 less the umask, which
// /proc tells without changing it (umask() can only be read by setting it).
mode_t newFileMode() {
    int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char buf[4096];
        ssize_t n = preadFull(fd, buf, sizeof buf - 1, 0);
        ::close(fd);
        if (n > 0) {
            buf[n] = '\0';
            if (const char* line = std::strstr(buf, "\nUmask:")) {
                char* end = nullptr;
                unsigned long mask = std::strtoul(line + 7, &end, 8);
                if (end != line + 7) return 0666 & ~static_cast<mode_t>(mask);
            }
        }
    }
    static std::mutex mu;
    std::lock_guard lock(mu);
    mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// The name an unnamed file is given through /proc; without /proc an unnamed
// file could never be named, so it is not made.
bool canNameUnnamedFiles() {
    static const bool yes = ::access("/proc/self/fd", X_OK) == 0;
    return yes;
}

// The temporary name is "." + name + ".tmp-" + 8 characters; the target's
// name is cut (at a whole UTF-8 character) so that it stays within the 255
// bytes a file name may have.
std::string tempNameFor(const std::string& target) {
    std::string name = detail::NameOf(target);
    constexpr std::size_t kNameRoom = 255 - 1 - 5 - 8;
    if (name.size() > kNameRoom) {
        std::size_t n = kNameRoom;
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
        name.resize(n);
    }
    return detail::JoinPath(detail::FolderOf(target), "." + name + ".tmp-" + tempSuffix());
}

}  // namespace

AtomicFile::AtomicFile(std::string_view target) {
    if (target.empty()) raise(err::BadFileNameOrNumber);
    target_ = followLinks(ResolvePath(target));
    struct stat st;
    if (stat(target_.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw Error(err::PathFileAccessError, errorDescription(err::PathFileAccessError) + ": " + target_);
    const std::string folder = detail::FolderOf(target_);
    // An unnamed file in the target's folder, readable by nobody else and gone
    // with the process should it die before commit().
    if (!refuseUnnamed.load() && canNameUnnamedFiles()) {
        fd_ = openRetry(folder.empty() ? "." : folder, O_TMPFILE | O_WRONLY, 0600);
        if (fd_ >= 0) {
            unnamed_ = true;
            return;
        }
    }
    // Where the file system refuses it (or fails it for a reason the named
    // file reports as well), a hidden file of mode 0600 that no other file is.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = tempNameFor(target_);
        fd_ = openRetry(temp, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd_ >= 0) {
            temp_ = std::move(temp);
            return;
        }
        if (errno == EEXIST) continue;
        int e = errno;
        if (e == EACCES || e == EPERM || e == EROFS)
            throw Error(err::PathFileAccessError, errorDescription(err::PathFileAccessError) + ": " +
                                                      (folder.empty() ? "." : folder) + " cannot be written (" +
                                                      std::strerror(e) + ")");
        if (e == ENOENT || e == ENOTDIR)
            throw Error(err::PathNotFound, errorDescription(err::PathNotFound) + ": " + folder);
        raiseFile(e, target_);
    }
    raiseFile(EEXIST, target_);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void AtomicFile::write(std::string_view bytes) {
    if (fd_ < 0) raise(err::BadFileNameOrNumber);
    if (!writeFull(fd_, bytes.data(), bytes.size(), -1)) raiseFile(errno, target_);
}

void AtomicFile::commit() {
    if (fd_ < 0 || committed_) raise(err::BadFileNameOrNumber);
    // Any failure removes the temporary file and leaves the target as it was.
    auto discard = [&](int e) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (!temp_.empty()) ::unlink(temp_.c_str());
        temp_.clear();
        raiseFile(e, target_);
    };
    struct stat old;
    if (stat(target_.c_str(), &old) == 0) {
        // Owner first: changing it may clear the set-id bits the mode restores.
        // Only a privileged user can give the file away; others keep it as theirs.
        if (fchown(fd_, old.st_uid, old.st_gid) != 0 && errno != EPERM) discard(errno);
        if (fchmod(fd_, mode_ >= 0 ? static_cast<mode_t>(mode_) : old.st_mode & 07777) != 0) discard(errno);
        copyExtendedAttributes(target_, fd_);
    } else if (fchmod(fd_, mode_ >= 0 ? static_cast<mode_t>(mode_) : newFileMode()) != 0) {
        discard(errno);
    }
    if (fsync(fd_) != 0) discard(errno);
    std::function<void(detail::ReplaceStep)> watch;
    {
        std::lock_guard lock(replaceWatcherMutex);
        watch.swap(replaceWatcher);
    }
    if (watch) watch(detail::ReplaceStep::Complete);
    if (int injected = failNextReplace.exchange(0)) discard(injected);
    if (unnamed_) {
        // A name beside the target, through the descriptor's /proc entry
        // (which needs no privilege, unlike AT_EMPTY_PATH); the rename below
        // puts it in the target's place.
        const std::string proc = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; temp_.empty(); ++attempt) {
            std::string temp = tempNameFor(target_);
            if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temp_ = std::move(temp);
            } else if (errno != EEXIST || attempt >= 100) {
                discard(errno);
            }
        }
    }
    struct stat made;
    if (fstat(fd_, &made) != 0) discard(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) discard(errno);
    if (expected_) {
        // As late as can be: a file put at the target since the caller read
        // it is not overwritten with what the caller made of the old one.
        struct stat now;
        if (stat(target_.c_str(), &now) != 0) discard(errno);
        if (static_cast<std::uint64_t>(now.st_dev) != expected_->device ||
            static_cast<std::uint64_t>(now.st_ino) != expected_->inode) {
            if (!temp_.empty()) ::unlink(temp_.c_str());
            temp_.clear();
            throw Error(err::PathFileAccessError, errorDescription(err::PathFileAccessError) + ": " + target_ +
                                                      " is no longer the file that was read; it was not replaced");
        }
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) discard(errno);
    committed_ = true;
    if (watch) watch(detail::ReplaceStep::Renamed);
    committedId_ = {static_cast<std::uint64_t>(made.st_dev), static_cast<std::uint64_t>(made.st_ino)};
    // The rename itself is made durable with the folder.
    std::string folder = detail::FolderOf(target_);
    int dirFd = openRetry(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        (void)fsync(dirFd);
        ::close(dirFd);
    }
}

void WriteFileAtomically(std::string_view path, std::string_view bytes) {
    AtomicFile file(path);
    file.write(bytes);
    file.commit();
}

namespace {

// Reads the whole of the file open on fd into out and closes fd; 0, or the
// error number of the failure.
int readAllOf(int fd, std::string& out) {
    struct stat st;
    int e = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (!e) {
        out.resize(static_cast<std::size_t>(st.st_size));
        ssize_t n = preadFull(fd, out.data(), out.size(), 0);
        if (n < 0) e = errno;
        else out.resize(static_cast<std::size_t>(n));
    }
    // A file that grew since fstat (or reports no size, as /proc does) is read to its end.
    char more[65536];
    while (!e) {
        ssize_t m = preadFull(fd, more, sizeof more, static_cast<std::int64_t>(out.size()));
        if (m < 0) e = errno;
        if (m <= 0) break;
        out.append(more, static_cast<std::size_t>(m));
    }
    ::close(fd);
    return e;
}

}  // namespace

std::string ReadWholeFile(std::string_view path) {
    if (path.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(path);
    std::string p(path);
    int fd = openRetry(p, O_RDONLY);
    if (fd < 0 && errno == ENOENT) {
        std::string other = ResolvePath(path);
        if (other != p) {
            p = std::move(other);
            fd = openRetry(p, O_RDONLY);
        }
    }
    if (fd < 0) raiseFile(errno, p);
    std::string out;
    if (int e = readAllOf(fd, out)) raiseFile(e, p);
    return out;
}

std::optional<std::string> ReadFileIfThere(std::string_view path) {
    if (path.empty()) raise(err::BadFileNameOrNumber);
    detail::RefuseNul(path);
    std::string p(path);
    int fd = openRetry(p, O_RDONLY);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return std::nullopt;
    std::string out;
    int e = fd < 0 ? errno : readAllOf(fd, out);
    if (e) throw Error(fileError(e, p).number(), p + " could not be read (" + std::strerror(e) + ")");
    return out;
}

}  // namespace runtime
