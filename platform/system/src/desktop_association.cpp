#include "system/desktop_association.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>

#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/recordfile.hpp"
#include "runtime/strings.hpp"

extern char** environ;

namespace sys {

namespace {

// The text of a file about to be rewritten; none when it is not there. One
// that is there but cannot be read raises, so that its lines (another
// program's defaults) are never replaced by ours alone.
std::optional<std::string> readForRewrite(const std::string& path) {
    try {
        return runtime::ReadFileIfThere(path);
    } catch (const runtime::Error& e) {
        throw runtime::Error(e.number(), "The file " + e.description() + ", so it was not changed");
    }
}

std::string trim(std::string_view s) {
    std::size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string_view::npos) return {};
    std::size_t b = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(a, b - a + 1));
}

std::vector<std::string> splitList(std::string_view value) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string_view::npos) end = value.size();
        std::string item = trim(value.substr(start, end - start));
        if (!item.empty()) items.push_back(item);
        start = end + 1;
    }
    return items;
}

// A desktop entry's string value: backslash and control characters escaped.
std::string escapeString(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

// The lines of a text, each with its own line end (the last may have none).
std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

bool isHeader(const std::string& line) { return trim(line).rfind('[', 0) == 0; }

std::string keyOf(const std::string& line) {
    std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : trim(std::string_view(line).substr(0, eq));
}

// Sets type=entry;others... in one section of mimeapps.list, the entry first.
void setInSection(std::vector<std::string>& lines, std::string_view section, const std::vector<std::string>& types,
                  std::string_view entry) {
    std::size_t header = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (trim(lines[i]) == section) {
            header = i;
            break;
        }
    if (header == lines.size()) {
        if (!lines.empty() && !lines.back().empty() && lines.back().back() != '\n') lines.back() += '\n';
        if (!lines.empty() && !trim(lines.back()).empty()) lines.push_back("\n");
        lines.push_back(std::string(section) + "\n");
        header = lines.size() - 1;
    }
    for (const std::string& type : types) {
        std::size_t end = header + 1;
        while (end < lines.size() && !isHeader(lines[end])) ++end;
        std::size_t found = lines.size();
        for (std::size_t i = header + 1; i < end; ++i)
            if (keyOf(lines[i]) == type) {
                found = i;
                break;
            }
        std::string value = std::string(entry) + ";";
        if (found != lines.size()) {
            const std::string& old = lines[found];
            for (const std::string& item : splitList(std::string_view(old).substr(old.find('=') + 1)))
                if (item != entry) value += item + ";";
            std::string ending = old.size() >= 2 && old.compare(old.size() - 2, 2, "\r\n") == 0 ? "\r\n" : "\n";
            lines[found] = type + "=" + value + ending;
        } else {
            std::size_t at = end;
            while (at > header + 1 && trim(lines[at - 1]).empty()) --at;
            if (at > 0 && !lines[at - 1].empty() && lines[at - 1].back() != '\n') lines[at - 1] += '\n';
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), type + "=" + value + "\n");
        }
    }
}

// A file's new text, written to a temporary file in its folder (made when
// missing) and put in its place by commit().
std::unique_ptr<runtime::AtomicFile> prepare(const std::string& path, const std::string& text) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    auto file = std::make_unique<runtime::AtomicFile>(path);
    file->write(text);
    return file;
}

// Puts the desktop entry back as it was before `ours` was put in its place:
// the old text, or no file. "" when done, else what went wrong, for the
// message. A file someone else put there since is left alone.
std::string putBack(const std::string& path, const std::optional<std::string>& old,
                    const runtime::FileIdentity& ours) {
    try {
        if (old) {
            runtime::AtomicFile file(path);
            file.replaceOnly(ours);
            file.write(*old);
            file.commit();
        } else if (runtime::IdentityOf(path) == ours && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
            throw runtime::fileError(errno, path);
        }
        return {};
    } catch (const runtime::Error& e) {
        return "; the desktop entry " + path + " could not be put back as it was (" + e.description() + ")";
    }
}

// Refreshes the desktop's cache of the applications folder; a missing tool
// or a failing run is no failure of the association.
void updateDesktopDatabase(const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string tool = "update-desktop-database";
    char* argv[] = {tool.data(), const_cast<char*>(folder.c_str()), nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::vector<std::string> MimeTypesOfExtension(std::string_view ext) {
    struct Entry {
        const char* ext;
        std::vector<std::string> types;
    };
    static const Entry table[] = {
        {".mp3", {"audio/mpeg"}},
        {".wma", {"audio/x-ms-wma"}},
        {".wav", {"audio/x-wav", "audio/wav"}},
        {".mid", {"audio/midi", "audio/x-midi"}},
        {".rm", {"application/vnd.rn-realmedia", "audio/x-pn-realaudio"}},
        {".m3u", {"audio/x-mpegurl", "audio/mpegurl"}},
    };
    for (const Entry& e : table)
        if (runtime::EqualsNoCase(ext, e.ext)) return e.types;
    return {};
}

std::string DesktopEntryPath() {
    return runtime::UserFolder("XDG_DATA_HOME", ".local/share") + "/applications/" + std::string(DesktopEntryName);
}

std::string MimeAppsListPath() { return runtime::UserFolder("XDG_CONFIG_HOME", ".config") + "/mimeapps.list"; }

std::string DesktopExec(std::string_view program) {
    static const std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string arg;
    if (program.find_first_of(reserved) == std::string_view::npos) {
        arg = program;
    } else {
        arg = "\"";
        for (char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
            arg += c;
        }
        arg += "\"";
    }
    std::string out;
    for (char c : arg) out += c == '%' ? std::string("%%") : std::string(1, c);
    return escapeString(out) + " %f";
}

std::string WithDefaults(std::string_view mimeApps, const std::vector<std::string>& types, std::string_view entry) {
    std::vector<std::string> lines = linesOf(mimeApps);
    setInSection(lines, "[Default Applications]", types, entry);
    setInSection(lines, "[Added Associations]", types, entry);
    std::string out;
    for (const std::string& l : lines) out += l;
    return out;
}

void MakeDesktopDefault(std::string_view program, std::string_view icon, std::string_view ext) {
    std::vector<std::string> types = MimeTypesOfExtension(ext);
    if (types.empty()) return;

    // Both files are read before either is written: one that cannot be
    // read leaves both as they were.
    std::string listPath = MimeAppsListPath();
    const std::optional<std::string> oldList = readForRewrite(listPath);
    const std::string old = oldList.value_or(std::string());

    // The entry lists every type made ours so far, then the new ones.
    std::string entryPath = DesktopEntryPath();
    const std::optional<std::string> oldEntry = readForRewrite(entryPath);
    std::vector<std::string> listed;
    for (const std::string& line : linesOf(oldEntry.value_or(std::string())))
        if (keyOf(line) == "MimeType") listed = splitList(std::string_view(line).substr(line.find('=') + 1));
    for (const std::string& t : types)
        if (std::find(listed.begin(), listed.end(), t) == listed.end()) listed.push_back(t);
    std::string entry = "[Desktop Entry]\nType=Application\nName=dovetune\n";
    entry += "Exec=" + DesktopExec(program) + "\n";
    if (!icon.empty()) entry += "Icon=" + escapeString(icon) + "\n";
    entry += "Terminal=false\nMimeType=";
    for (const std::string& t : listed) entry += t + ";";
    entry += "\n";
    std::string updated = WithDefaults(old, types);

    // The registration is one step: the desktop holds both files or neither.
    // Both are written out before either is put in place, so a folder that
    // cannot be written, or a full disk, changes nothing; when the list
    // cannot follow the entry into place, the entry is put back as it was.
    std::unique_ptr<runtime::AtomicFile> entryFile = prepare(entryPath, entry);
    std::unique_ptr<runtime::AtomicFile> listFile;
    if (updated != old || !oldList) listFile = prepare(listPath, updated);
    entryFile->commit();
    if (listFile) {
        try {
            listFile->commit();
        } catch (const runtime::Error& e) {
            throw runtime::Error(e.number(),
                                 e.description() + putBack(entryPath, oldEntry, entryFile->committedIdentity()));
        }
    }

    updateDesktopDatabase(std::filesystem::path(entryPath).parent_path().string());
}

}  // namespace sys
