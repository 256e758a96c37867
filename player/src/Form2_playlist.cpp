// The playlist triple: the display builder (the lines of a slice of time per
// tick), the selection chain from a visible line to its path, and the Songs
// submenu.
//
// The builder's cursor is the number of lines List1 already holds: List1 is
// index-aligned with lstFiles, so the next entry without a line is always
// the one at List1's count. Whatever the current entry does meanwhile (a
// track stepping on, a selection), the build neither skips nor repeats an
// entry, and a starter only has to switch Timer3 on.

#include "player/Form2.hpp"
#include "player/playlist.hpp"

#include <sys/stat.h>

#include <limits>

#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/files.hpp"
#include "runtime/format.hpp"
#include "runtime/strings.hpp"

namespace player {

std::string FileNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(0, slash + 1);
}

std::string TitleOf(const std::string& path) {
    std::string name = FileNameOf(path);
    long n = runtime::Len(name);
    return n > 4 ? runtime::Left(name, n - 4) : name;
}

std::string SizeText(std::int64_t n) {
    auto scaled = [](double x) {
        std::string whole = runtime::Format(x, "###.");
        std::string two = runtime::Format(x, "###.##");
        return whole == two ? runtime::Format(x, "###") : two;
    };
    if (n < 1004) return runtime::Format(static_cast<double>(n), "###,###,###") + " Bytes";
    if (n < 1027604) return scaled(static_cast<double>(n) / 1024.0) + " KB";
    return scaled(static_cast<double>(n) / 1048576.0) + " MB";
}

std::string DisplayLine(const std::string& path) {
    std::string size;
    try {
        size = SizeText(runtime::FileLen(path));
    } catch (const runtime::Error&) {
        // A file that cannot be measured still gets its line, with no size.
    }
    return TitleOf(path) + " - " + size;
}

void Form2::Timer3_Timer() {
    runtime::Steps step;
    step([&] { List2.setEnabled(false); });
    // Lines are made while the slice lasts (one at least), then handed to
    // both lists at once: List1 appends them, List2 merges them into its
    // order in one pass, as adding them one by one would have placed them.
    std::vector<std::string> lines;
    const auto start = BuilderClock();
    for (long next = List1.listCount(); next < lstFiles.listCount(); ++next) {
        lines.push_back(DisplayLine(lstFiles.list(next)));
        if (BuilderClock() - start >= BuilderSlice) break;
    }
    if (!lines.empty()) {
        step([&] { List1.addItems(lines); });
        step([&] { List2.addItems(std::move(lines)); });
        // A selected line keeps its place among the new ones; a search typed
        // meanwhile selects among them too.
        FollowSearch();
    }
    if (List1.listCount() >= lstFiles.listCount()) {
        step([&] { List2.setEnabled(true); });
        step([&] { Timer3.setEnabled(false); });
        searchFollowed_.reset();
        // As the build walked the list, the last entry is current when it
        // ends, unless a line was selected meanwhile (by the search box):
        // its entry stays the one that plays.
        if (lstFiles.listCount() > 0 && List2.listIndex() < 0)
            step([&] { lstFiles.setListIndex(lstFiles.listCount() - 1); });
    }
}

void Form2::List2_Click() {
    runtime::Steps step;
    step([&] {
        std::string line = List2.text();
        for (long i = 0; i < List1.listCount(); ++i)
            if (List1.list(i) == line) {
                List1.setListIndex(i);
                break;
            }
    });
    step([&] { setKeyPreview(!Text1.visible()); });
    // The Songs submenu lists this folder when it opens next: a selection,
    // a search key or a play never waits for a folder of thousands of files.
    step([&] { SongsFolder = FolderOf(lstFiles.text()); });
}

namespace {
// A folder's modification time in nanoseconds; -1 when it cannot be read.
std::int64_t folderStamp(const std::string& folder) {
    struct stat st {};
    const std::string path = runtime::ResolvePath(folder.empty() ? "." : folder);
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}
}  // namespace

void Form2::mnusongs_AboutToShow() {
    if (!SongsFolder) return;  // no line selected yet: the design item stays
    const std::string folder = *SongsFolder;
    const std::int64_t stamp = folderStamp(folder);
    if (songsListed_ == folder && songsListedStamp_ == stamp && stamp != -1) return;
    songsListed_ = folder;
    songsListedStamp_ = stamp;

    runtime::Steps step;
    // Empty the Songs submenu down to its first item.
    step([&] {
        if (SongsMenuCount > 0) --SongsMenuCount;
        while (SongsMenuCount != 0) {
            mnuLevel1.unload(SongsMenuCount);
            --SongsMenuCount;
        }
    });
    SongsMenuCount = 0;

    // Fill it with the folder's MP3 files, as many as the 16-bit counter
    // holds (32,767): the next one would overflow it, and a counter gone
    // negative could empty the submenu no more.
    step([&] {
        for (std::string name = runtime::Dir(folder + "*.Mp3", runtime::vbDirectory);
             !name.empty() && SongsMenuCount < std::numeric_limits<std::int16_t>::max(); name = runtime::Dir()) {
            if (SongsMenuCount > 0) mnuLevel1.load(SongsMenuCount);
            forms::Menu& item = mnuLevel1(SongsMenuCount);
            item.setCaption(name);
            item.setVisible(true);
            ++SongsMenuCount;
        }
    });
    if (SongsMenuCount == 0) step([&] { mnuLevel1(0).setCaption("[No Files]"); });
}

void Form2::List1_Click() {
    runtime::Steps step;
    step([&] { lstFiles.setListIndex(List1.listIndex()); });
}

void Form2::ReplaceEntryPath(long Index, const std::string& NewPath) {
    if (Index < 0 || Index >= lstFiles.listCount()) runtime::raise(runtime::err::InvalidPropertyArrayIndex, "Form2");
    lstFiles.setList(Index, NewPath);
    if (Index >= List1.listCount()) return;  // the builder makes its line from the new path
    const std::string oldLine = List1.list(Index);
    const std::string newLine = DisplayLine(NewPath);
    List1.setList(Index, newLine);

    // List2 holds the same lines sorted: the selected one when it is the old
    // line, else the first equal to it (equal lines are interchangeable). A
    // line List2 does not show is left so.
    long at = -1;
    if (List2.listIndex() >= 0 && List2.text() == oldLine) {
        at = List2.listIndex();
    } else {
        for (long i = 0; i < List2.listCount() && at < 0; ++i)
            if (List2.list(i) == oldLine) at = i;
    }
    if (at < 0) return;
    const bool wasSelected = List2.listIndex() == at;
    List2.removeItem(at);
    List2.addItem(newLine);
    if (wasSelected) List2.setListIndex(List2.newIndex());
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    auto& files = runtime::Files();
    files.Open(path, runtime::OpenMode::Input, 1);
    try {
        while (!files.Eof(1)) lines.push_back(files.LineInputBytes(1));
    } catch (...) {
        files.Close(1);
        throw;
    }
    files.Close(1);
    return lines;
}

}  // namespace player
