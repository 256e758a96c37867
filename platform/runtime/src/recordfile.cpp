#include "runtime/recordfile.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files_internal.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/strings.hpp"

namespace runtime {

namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(std::string_view s, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    std::size_t n;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Creates a folder and the folders above it (private to the user, as per-user
// configuration should be).
void makeFolders(const std::string& folder) {
    if (folder.empty()) return;
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return;
    makeFolders(detail::FolderOf(folder));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw fileError(errno, folder);
}

}  // namespace

RecordFile::RecordFile(std::string kind, std::string header, std::function<bool(const Record&)> valid)
    : kind_(std::move(kind)), header_(std::move(header)), valid_(std::move(valid)) {}

std::string RecordFile::escape(std::string_view field) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size();) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (std::size_t n = c >= 0x80 ? utf8Length(field, i) : 0) {
            out.append(field.substr(i, n));
            i += n;
            continue;
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        ++i;
    }
    return out;
}

bool RecordFile::unescape(std::string_view text, std::string& field) {
    field.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        if (c != '\\') {
            field += c;
            continue;
        }
        if (++i >= text.size()) return false;
        switch (text[i]) {
        case '\\': field += '\\'; break;
        case 't': field += '\t'; break;
        case 'n': field += '\n'; break;
        case 'r': field += '\r'; break;
        case 'x': {
            if (i + 2 >= text.size()) return false;
            int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return false;
            field += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

bool RecordFile::recordOf(std::string_view line, Record& record) const {
    record.clear();
    if (!IsValidUtf8(line)) return false;
    for (std::size_t f = 0;;) {
        std::size_t tab = line.find('\t', f);
        std::string_view raw = line.substr(f, tab == std::string_view::npos ? std::string_view::npos : tab - f);
        std::string field;
        if (!unescape(raw, field)) return false;
        record.push_back(std::move(field));
        if (tab == std::string_view::npos) break;
        f = tab + 1;
    }
    return valid_(record);
}

RecordFile::Parsed RecordFile::parse(std::string_view text, std::vector<Record>& records,
                                     std::string& problem) const {
    records.clear();
    problem.clear();
    std::size_t lineNo = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        const bool ended = end != std::string_view::npos;
        std::string_view line = text.substr(pos, ended ? end - pos : std::string_view::npos);
        pos = ended ? end + 1 : text.size();
        const bool last = pos >= text.size();
        ++lineNo;
        std::string why;
        Record record;
        if (lineNo == 1 && line != header_) {
            problem = "it does not begin with \"" + header_ + "\"";
            records.clear();
            return Parsed::Damaged;
        }
        if (!ended) {
            why = "has no line end";
        } else if (lineNo > 1 && !recordOf(line, record)) {
            why = "is not a record";
        }
        if (why.empty()) {
            if (lineNo > 1) records.push_back(std::move(record));
            continue;
        }
        if (!last) {
            // Damage before the last line is no cut: the file is no store.
            problem = "line " + std::to_string(lineNo) + " " + why;
            records.clear();
            return Parsed::Damaged;
        }
        // The last line alone is wrong: where a write or a copy stopped.
        problem = "its last line, line " + std::to_string(lineNo) + ", " + why + ", as if the store was cut short";
        return Parsed::Cut;
    }
    return Parsed::Whole;
}

std::vector<RecordFile::Record> RecordFile::load(const std::string& path) {
    std::lock_guard lock(mu_);
    return loadLocked(path);
}

const std::vector<RecordFile::Record>& RecordFile::loadLocked(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        int e = errno;
        cached_ = false;
        records_.clear();
        damaged_ = false;
        unreadable_.clear();
        cut_ = false;
        if (e == ENOENT || e == ENOTDIR) return records_;
        // The folder cannot be searched: as unreadable as a damaged file.
        damaged_ = true;
        unreadable_ = path + " could not be read (" + std::strerror(e) + ")";
        unreadableNumber_ = fileError(e, path).number();
        if (reportedPath_ != path || reportedId_ != Identity{}) {
            std::fprintf(stderr, "dovetune: the %s %s cannot be read (%s); it is read as empty\n", kind_.c_str(),
                         path.c_str(), std::strerror(e));
            reportedPath_ = path;
            reportedId_ = Identity{};
        }
        return records_;
    }
    Identity id{st.st_dev, st.st_ino, st.st_size,
                static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    if (cached_ && cachedPath_ == path && cachedId_ == id) return records_;

    std::vector<Record> records;
    std::string problem;
    std::string text;
    unreadable_.clear();
    try {
        text = ReadFileIfThere(path).value_or(std::string());  // gone since the stat: empty
    } catch (const Error& e) {
        problem = e.description();
        unreadable_ = problem;
        unreadableNumber_ = e.number();
    }
    Parsed parsed = Parsed::Damaged;
    if (problem.empty()) parsed = parse(text, records, problem);

    cached_ = true;
    cachedPath_ = path;
    cachedId_ = id;
    damaged_ = parsed != Parsed::Whole;
    cut_ = parsed == Parsed::Cut;
    if (damaged_) {
        if (!cut_) records.clear();
        if (reportedPath_ != path || reportedId_ != id) {
            if (cut_)
                std::fprintf(stderr,
                             "dovetune: the %s %s is damaged (%s); the %zu whole records before that line are read, "
                             "the line is dropped, and a copy of the store is kept before it is next written\n",
                             kind_.c_str(), path.c_str(), problem.c_str(), records.size());
            else
                std::fprintf(stderr,
                             "dovetune: the %s %s is damaged (%s); it is read as empty, and a copy of it is kept "
                             "before it is next written\n",
                             kind_.c_str(), path.c_str(), problem.c_str());
            reportedPath_ = path;
            reportedId_ = id;
        }
    }
    records_ = std::move(records);
    return records_;
}

void RecordFile::keepDamagedCopy(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        std::string backup = path + ".damaged" + (i ? "." + std::to_string(i) : "");
        // A hard link keeps the damaged file in place until it is replaced.
        if (link(path.c_str(), backup.c_str()) == 0) {
            std::fprintf(stderr, "dovetune: the damaged %s is kept as %s\n", kind_.c_str(), backup.c_str());
            return;
        }
        if (errno == EEXIST) continue;
        if (errno == ENOENT) return;  // gone already: nothing to keep
        // No hard links here: move the damaged file aside instead.
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0 ||
            ((errno == EINVAL || errno == ENOSYS) && rename(path.c_str(), backup.c_str()) == 0)) {
            std::fprintf(stderr, "dovetune: the damaged %s is kept as %s\n", kind_.c_str(), backup.c_str());
            return;
        }
        if (errno == EEXIST) continue;
        throw Error(err::PathFileAccessError, "The damaged " + kind_ + " " + path +
                                                  " could not be kept as a copy, so it is not overwritten (" +
                                                  std::strerror(errno) + ")");
    }
    throw Error(err::PathFileAccessError, "Too many damaged copies of " + path);
}

void RecordFile::update(const std::string& path, const std::function<bool(std::vector<Record>&)>& change) {
    std::lock_guard lock(mu_);
    const std::string folder = detail::FolderOf(path);
    makeFolders(folder);
    // Another program writing the same store waits here, so neither loses
    // the other's change.
    int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct Unlock {
        int fd;
        ~Unlock() {
            if (fd >= 0) close(fd);  // closing releases the lock
        }
    } unlock{folderFd};
    if (folderFd >= 0) {
        while (flock(folderFd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }

    std::vector<Record> records = loadLocked(path);
    // What could not be read would be lost by writing over it.
    if (!unreadable_.empty())
        throw Error(unreadableNumber_, "The " + kind_ + " " + unreadable_ + ", so it was not changed");
    // A cut store is written whole again even when nothing changes, so the
    // next read finds every line whole.
    if (!change(records) && !cut_) return;
    if (damaged_) keepDamagedCopy(path);

    std::string text = header_ + "\n";
    for (const Record& record : records) {
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i) text += '\t';
            text += escape(record[i]);
        }
        text += '\n';
    }
    WriteFileAtomically(path, text);

    records_ = std::move(records);
    damaged_ = false;
    cut_ = false;
    struct stat st;
    cached_ = stat(path.c_str(), &st) == 0;
    cachedPath_ = path;
    if (cached_)
        cachedId_ = {st.st_dev, st.st_ino, st.st_size,
                     static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

std::string UserFolder(const char* xdgVariable, const char* belowHome) {
    const char* xdg = std::getenv(xdgVariable);
    if (xdg && xdg[0] == '/') return xdg;
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    } else {
        home = "/";
    }
    return detail::JoinPath(home, belowHome);
}

}  // namespace runtime
