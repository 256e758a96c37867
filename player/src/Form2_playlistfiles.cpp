// Saving the playlist to an .m3u file and loading one (.m3u or .m3u8).
//
// A playlist file holds one path of lstFiles per line, CR LF after each, in
// the order the entries were added, which every player reads. Loading reads
// the lists other players write as they mean them: their header, title and
// other comment lines and blank lines are no entries, a relative path lies in
// the list's folder and a "file:" URI names a path. A path's bytes go in and
// come out unchanged, UTF-8 or not.

#include "player/Form2.hpp"
#include "player/playlist.hpp"

#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/dialogs.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/strings.hpp"

namespace player {

namespace {

constexpr long kLongestName = 16384;

bool isBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// A stream address ("http://host/a.mp3", "mms://..."): a scheme of a letter,
// then letters, digits, "+", "-" or ".", then "://".
bool hasScheme(std::string_view line) {
    const std::size_t end = line.find("://");
    if (end == std::string_view::npos || end == 0 || !isLetter(line[0])) return false;
    for (std::size_t i = 1; i < end; ++i) {
        const char c = line[i];
        if (!isLetter(c) && !std::isdigit(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// A line that names its file without regard to the list's folder: a full
// path, a stream address, or a full path of the original platform ("C:\x",
// "\\server\x"), which is taken as written.
bool isWhole(std::string_view line) {
    if (line[0] == '/' || line[0] == '\\' || hasScheme(line)) return true;
    return line.size() >= 3 && isLetter(line[0]) && line[1] == ':' && (line[2] == '\\' || line[2] == '/');
}

// The full folder of a list file, with its "/".
std::string folderOfList(const std::string& listFile) {
    std::string path = runtime::ResolvePath(listFile);
    if (path.empty() || path[0] != '/') path = runtime::CurDir() + "/" + path;
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

bool IsPlaylistName(const std::string& path) {
    const std::string lower = runtime::LCase(path);
    return runtime::Right(lower, 3) == "m3u" || runtime::Right(lower, 4) == "m3u8";
}

std::vector<std::string> PlaylistEntries(const std::vector<std::string>& lines, const std::string& listFile) {
    std::vector<std::string> entries;
    entries.reserve(lines.size());
    std::string folder;  // found at the first relative line
    for (const std::string& line : lines) {
        if (line.starts_with('#') || isBlank(line)) continue;
        if (std::optional<std::string> path = runtime::PathFromFileUri(line)) {
            entries.push_back(std::move(*path));
        } else if (isWhole(line)) {
            entries.push_back(runtime::PathFromText(line));
        } else {
            if (folder.empty()) folder = folderOfList(listFile);
            entries.push_back(runtime::PathFromText(line, folder));
        }
    }
    return entries;
}

void Form2::mnusaveplaylist_Click() {
    runtime::Steps step;
    step([&] { CommonDialog1.setDialogTitle("Save Play list."); });
    step([&] { CommonDialog1.setFileName(""); });
    step([&] { CommonDialog1.setFilter("Korvane Media Player Play List *.m3u|*.m3u"); });
    step([&] { CommonDialog1.setDefaultExt(".m3u"); });
    step([&] { CommonDialog1.setMaxFileSize(kLongestName); });
    step([&] { CommonDialog1.showSave(); });
    const std::string name = CommonDialog1.fileName();
    if (name.empty()) return;

    std::string text;
    for (long i = 0; i < lstFiles.listCount(); ++i) text += lstFiles.list(i) + "\r\n";
    // The file is replaced whole: a save that fails leaves the old file as it was.
    try {
        runtime::WriteFileAtomically(name, text);
    } catch (const runtime::Error& e) {
        forms::MsgBox("Could not save file '" + name + "'\r\n\r\n" + e.description(), forms::vbCritical,
                      runtime::App::Title());
    }
}

void Form2::mnuplaylistload_Click() {
    runtime::Steps step;
    step([&] { CommonDialog1.setDialogTitle("Load Play list."); });
    step([&] { CommonDialog1.setFileName(""); });
    // Both kinds of list: ".m3u8" is how other players save theirs.
    step([&] { CommonDialog1.setFilter("Play List *.m3u;*.m3u8|*.m3u;*.m3u8"); });
    step([&] { CommonDialog1.setMaxFileSize(kLongestName); });
    step([&] { CommonDialog1.showOpen(); });
    const std::string name = CommonDialog1.fileName();
    if (name.empty()) return;

    // The file is read before the playlist is touched: one that cannot be
    // read leaves the playlist as it was.
    std::vector<std::string> entries;
    try {
        entries = PlaylistEntries(ReadLines(name), name);
    } catch (const runtime::Error& e) {
        forms::MsgBox("Could not load file '" + name + "'\r\n\r\n" + e.description(), forms::vbInformation,
                      runtime::App::Title());
        return;
    }
    step([&] { List1.clear(); });
    step([&] { List2.clear(); });
    step([&] { lstFiles.clear(); });
    const bool any = !entries.empty();
    step([&] { lstFiles.addItems(std::move(entries)); });
    // The builder makes the display lines, one entry per tick.
    if (any) step([&] { Timer3.setEnabled(true); });
}

}  // namespace player
