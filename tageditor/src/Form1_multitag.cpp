// Multi Tag: the two file lists (names in List1, paths in lstFiles), their
// filling from the open dialog or a folder tree, the confirmation, and the
// batch writer that puts the editor's common fields into one file a second.
//
// Only MP3 files are written (an ID3v2 tag at byte 0 breaks a WAV or MIDI
// file), and only when both tags could be read first. While a run writes its
// list nothing may change the list or the boxes under it: loading a file into
// the window, "Add Files" and "Add Folder" wait for its end. The end of a run
// names every file it skipped or could not write.

#include "player/Form2.hpp"
#include "player/os_helpers.hpp"
#include "runtime/app.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/strings.hpp"
#include "tageditor/Form1.hpp"
#include "tageditor/mp3_check.hpp"
#include "tageditor/tag_write.hpp"

namespace tageditor {

namespace {

const std::string kCrLf = "\r\n";
constexpr long kListedFailures = 20;

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why the file cannot be opened for reading; empty when it can.
std::string unreadable(const std::string& path) {
    runtime::FileTable& files = runtime::Files();
    try {
        const int n = files.FreeFile();
        files.Open(path, runtime::OpenMode::Binary, n, runtime::Access::Read);
        files.Close(n);
        return {};
    } catch (const runtime::Error& e) {
        return e.description();
    }
}

}  // namespace

bool Form1::multiTagRunning() const { return Timer4.enabled(); }

bool Form1::refuseDuringRun(const std::string& what) {
    if (!multiTagRunning()) return false;
    forms::MsgBox("Multi Tag is writing its list of files. " + what + " when it has ended (\"100%\").",
                  forms::vbInformation, runtime::App::Title());
    return true;
}

void Form1::Command17_Click() {
    runtime::Steps step;
    step([&] { Picture5.setVisible(true); });
    for (forms::PictureBox* p : {&Picture1, &Picture2, &Picture3, &Picture4}) step([&] { p->setVisible(false); });
}

void Form1::Command19_Click() {
    runtime::Steps step;
    if (refuseDuringRun("Add the files")) return;
    step([&] { Cd1.setFlags(forms::cdlOFNExplorer | forms::cdlOFNAllowMultiselect); });
    step([&] { Cd1.setFilter("Music Files(*.Mp3 *.Wav *.Mid *.Wma *.rm) |*.Mp3; *.Wav; *.Mid; *.Wma; *.rm"); });
    // Cancel ends here with its error: without it FileName would still hold
    // the last pick, and Cancel would add it again.
    step([&] { Cd1.setCancelError(true); });
    step([&] { Cd1.setMaxFileSize(10000); });
    int number = 0;
    std::string description;
    try {
        Cd1.showOpen();
    } catch (const runtime::Error& e) {
        number = e.number();
        description = e.description();
    }
    if (number == forms::cdlCancel) return;
    if (number != 0) {
        step([&] {
            forms::MsgBox("Error " + runtime::CStr(number) + " selecting files." + kCrLf + description);
        });
        return;
    }
    const std::string picked = Cd1.fileName();
    if (picked.empty()) return;
    step([&] {
        List1.clear();
        listedFiles_.clear();
    });
    step([&] { lstFiles.clear(); });
    step([&] {
        const std::vector<std::string> parts = runtime::Split(picked, runtime::vbNullChar);
        if (parts.size() == 1) {
            lstFiles.addItem(parts[0]);
            return;
        }
        std::string folder = parts[0];
        if (folder.empty() || folder.back() != '/') folder += "/";
        for (std::size_t i = 1; i < parts.size(); ++i) lstFiles.addItem(folder + parts[i]);
    });
    step([&] { TimerFile.setEnabled(true); });
}

void Form1::Command20_Click() {
    runtime::Steps step;
    if (refuseDuringRun("Add the folder")) return;
    std::string folder;
    step([&] { folder = player::BrowseForFolder(hWnd(), "Select a folder."); });
    if (folder.empty()) return;
    step([&] { txtStartDir.setText(folder.back() == '/' ? folder : folder + "/"); });
    std::string start, pattern;
    step([&] {
        start = runtime::Trim(txtStartDir.text());
        if (!start.empty() && start.back() == '/') start.pop_back();  // "/" gives "", the root
    });
    step([&] { pattern = runtime::Trim(txtPattern.text()); });
    // The paths follow those already listed.
    step([&] { player::FindFiles(start, pattern, lstFiles); });
    step([&] { TimerFile.setEnabled(true); });
}

void Form1::mnuaddfolder_Click() {
    runtime::Steps step;
    step([&] { Command20_Click(); });
}

void Form1::TimerFile_Timer() {
    runtime::Steps step;
    const long next = List1.listCount();
    if (next < lstFiles.listCount()) {
        std::string path;
        step([&] {
            lstFiles.setListIndex(next);
            path = lstFiles.text();
        });
        step([&] {
            List1.addItem(fileNameOf(path));
            listedFiles_.resize(static_cast<std::size_t>(List1.listCount()));
            listedFiles_.back() = runtime::IdentityOf(path);
        });
    }
    if (List1.listCount() >= lstFiles.listCount()) step([&] { TimerFile.setEnabled(false); });
}

void Form1::List1_Click() {
    runtime::Steps step;
    step([&] { lstFiles.setListIndex(List1.listIndex()); });
}

void Form1::mnumultitag_Click() {
    runtime::Steps step;
    int answer = forms::vbNo;
    step([&] {
        answer = forms::MsgBox(
            "Are You Sure You Want to Add Info To All Tracks..! Title, Track No#, & Lyrics, Will Not Be Changed ",
            forms::vbYesNo + forms::vbQuestion);
    });
    if (answer != forms::vbYes || multiTagRunning()) return;  // a run going on goes on unchanged
    runNext_ = 0;
    runFailures_.clear();
    step([&] { Timer4.setEnabled(true); });
}

void Form1::Command18_Click() {
    runtime::Steps step;
    step([&] { mnumultitag_Click(); });
}

void Form1::writeRunFile(bool titleMode, long line) {
    runtime::Steps step;
    const std::string path = txtpath.text();
    if (titleMode) {
        step([&] { mnutitle_Click(); });
        // The whole title: txtTitle keeps only the 30 characters ID3v1 holds.
        step([&] { txtTitleV2.setText(TitleFromFileName(path)); });
    }
    auto skip = [&](const std::string& reason) { runFailures_.push_back(path + ": " + reason); };
    if (std::string why = unreadable(path); !why.empty()) return skip(why);
    // Only into the file that was listed: a path moved away and replaced by
    // another file, or by a link to one, keeps that file's tags.
    const std::optional<runtime::FileIdentity> listed =
        line >= 0 && static_cast<std::size_t>(line) < listedFiles_.size() ? listedFiles_[static_cast<std::size_t>(line)]
                                                                           : std::nullopt;
    auto notTheListedFile = [&] {
        skip(listed ? "no tag was written: it is no longer the file that was listed (it was moved, replaced or "
                      "linked to another file since); add it to the list again"
                    : "no tag was written: no file was there when it was listed; add it to the list again");
    };
    if (!listed || runtime::IdentityOf(path) != listed) return notTheListedFile();
    if (!IsMp3ByContent(path)) return skip("not an MP3 file, so no tag is written into it");

    // Both tags are read before anything is set: a file whose tag cannot be
    // read gets neither.
    metadata::cMP3ID3v1& v1 = tagV1();
    metadata::cMP3ID3v2& v2 = tagV2();
    try {
        v1.setMP3File(path);
        v2.setMP3File(path);
    } catch (const runtime::Error& e) {
        return skip("its tags could not be read (" + e.description() + ")");
    }
    if (v1.fileIdentity() != listed || v2.fileIdentity() != listed) return notTheListedFile();

    v1.setArtist(txtartist.text());
    if (titleMode) v1.setTitle(txtTitle.text());
    v1.setAlbum(txtalbum.text());
    v1.setYear(txtYear.text());
    v1.setComment(txtComments.text());
    auto notWritten = [&](const std::string& why) {
        skip("no tag was written: the ID3v2 tag could not be written (" + why + ")");
    };
    try {
        v2.setArtist(txtArtistV2.text());
        if (titleMode) v2.setTitle(txtTitleV2.text());
        v2.setAlbum(txtAlbumV2.text());
        v2.setYear(txtYearV2.text());
        v2.setComment(txtCommentV2.text());  // as the box holds it, no rating digit
        v2.setOriginalArtist(txtOriginalArtist.text());
        v2.setComposer(txtComposer.text());
        v2.setCopyright(txtCopyright.text());
        v2.setEncodedBy(txtEncodedBy.text());
        v2.setLinkTo(txtLinkTo.text());
        v2.setBuyURL(txtbuyurl.text());
        v2.setArtistURL(txtartisturl.text());
        v2.setAudioURL(txtaudiourl.text());
    } catch (const runtime::Error& e) {
        return notWritten(e.description());
    }
    // Each object writes only into the file it has just read: a path that
    // names another file by the time of the write keeps that file's tags.
    const TagWrite w = writeTags(v1, v2);
    if (!w.id3v2) return notWritten(w.failure);
    if (!w.id3v1) skip("the ID3v2 tag was written, but the ID3v1 tag was not (" + w.failure + ")");
}

void Form1::reportRun() {
    if (runFailures_.empty()) return;
    std::string text = "Multi Tag did not write every file of the list:" + kCrLf;
    const long n = static_cast<long>(runFailures_.size());
    for (long i = 0; i < n && i < kListedFailures; ++i) text += kCrLf + runFailures_[static_cast<std::size_t>(i)];
    if (n > kListedFailures) text += kCrLf + "... and " + runtime::CStr(n - kListedFailures) + " more.";
    runFailures_.clear();
    forms::MsgBox(text, forms::vbExclamation, runtime::App::Title());
}

void Form1::Timer4_Timer() {
    runtime::Steps step;
    bool titleMode = false;
    step([&] { titleMode = Check1.value() == 1; });
    step([&] { pr1.setValue(0); });
    step([&] { Timer2.setEnabled(true); });
    const long line = runNext_;
    if (line < List1.listCount()) {
        ++runNext_;
        step([&] { List1.setListIndex(line); });  // selects the same line of lstFiles
        step([&] { txtpath.setText(lstFiles.text()); });
        step([&] { writeRunFile(titleMode, line); });
    }
    if (line < List1.listCount() - 1) return;  // the next tick writes the next file
    step([&] { Timer2.setEnabled(false); });
    step([&] { pr1.setValue(100); });
    step([&] { Label2.setCaption("100%"); });
    step([&] { Timer4.setEnabled(false); });
    step([&] { reportRun(); });
}

}  // namespace tageditor
