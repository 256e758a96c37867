// Saving the playlist to an .m3u file and loading one.
//
// A playlist file holds one path of lstFiles per line, CR LF after each, in
// the order the entries were added; it is read back one whole line per
// entry, so every line (a header or an empty line too) becomes an entry.

#include "player/Form2.hpp"
#include "player/playlist.hpp"

#include <string>
#include <vector>

#include "forms/dialogs.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"

namespace player {

namespace {

constexpr long kLongestName = 16384;

}  // namespace

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
    step([&] { CommonDialog1.setFilter("Play List *.m3u|*.m3u"); });
    step([&] { CommonDialog1.setMaxFileSize(kLongestName); });
    step([&] { CommonDialog1.showOpen(); });
    const std::string name = CommonDialog1.fileName();
    if (name.empty()) return;

    // The file is read before the playlist is touched: one that cannot be
    // read leaves the playlist as it was.
    std::vector<std::string> lines;
    try {
        lines = ReadLines(name);
    } catch (const runtime::Error& e) {
        forms::MsgBox("Could not load file '" + name + "'\r\n\r\n" + e.description(), forms::vbInformation,
                      runtime::App::Title());
        return;
    }
    step([&] { List1.clear(); });
    step([&] { List2.clear(); });
    step([&] { lstFiles.clear(); });
    const bool any = !lines.empty();
    step([&] { lstFiles.addItems(std::move(lines)); });
    // The builder makes the display lines, one entry per tick.
    if (any) step([&] { Timer3.setEnabled(true); });
}

}  // namespace player
