// Multi Tag headless: "Add Files" and "Add Folder" into the two lists, the
// filler, the confirmation, and the writer over a table of files (what each
// holds afterwards, read back by the tag objects), with every refusal.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../runtime/fs_test_support.hpp"
#include "editor_fixture.hpp"
#include "runtime/app.hpp"
#include "runtime/files.hpp"
#include "testsupport/path_swaps.hpp"
#include "testsupport/peer_tools.hpp"

namespace {

namespace fs = std::filesystem;
using editortest::Editor;
using editortest::ReadBack;
using id3v2test::frame23;
using id3v2test::latin1;
using id3v2test::tag;

const char* kConfirm =
    "Are You Sure You Want to Add Info To All Tracks..! Title, Track No#, & Lyrics, Will Not Be Changed ";

std::vector<std::string> items(const forms::ListBox& l) { return playertest::Player::items(l); }

// The audio of an MP3 file: without a leading ID3v2 tag and a trailing ID3v1 block.
std::string audioOf(const std::string& bytes) {
    std::size_t start = 0, end = bytes.size();
    if (bytes.size() >= 10 && bytes.compare(0, 3, "ID3") == 0) {
        auto b = [&](int i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
        start = 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
    }
    if (end >= 128 && bytes.compare(end - 128, 3, "TAG") == 0) end -= 128;
    return bytes.substr(start, end - start);
}

// The lists filled by "Add Files" with these paths, the filler run to its end.
void addFiles(Editor& e, const std::vector<std::string>& paths) {
    auto& f = e.form();
    if (!f.Picture5.visible()) f.Command17.click();  // the Multi Tag panel
    forms::FileDialogResult r;
    r.accepted = true;
    r.paths = paths;
    e.env().dialogs.answerFileDialog(r);
    f.Command19.click();
    for (int i = 0; i < 10000 && f.TimerFile.enabled(); ++i) e.env().scheduler.advance(1);
}

// "Update" on the panel, answered Yes.
void confirm(Editor& e, int answer = forms::vbYes) {
    if (!e.form().Picture5.visible()) e.form().Command17.click();
    e.env().dialogs.answerMessageBox(answer);
    e.form().Command18.click();
}

TEST(MultiTagLists, AddFilesListsOneOrSeveralAndReplacesTheLists) {
    Editor e;
    auto& f = e.form();
    const std::string dir = e.player.home.file("m");
    addFiles(e, {dir + "/one.mp3"});
    const forms::FileDialogRequest& req = e.env().dialogs.shown().back().file;
    EXPECT_TRUE(req.multiSelect);
    ASSERT_EQ(req.filters.size(), 1u);
    EXPECT_EQ(req.filters[0].description, "Music Files(*.Mp3 *.Wav *.Mid *.Wma *.rm) ");
    EXPECT_EQ(f.Cd1.flags(), 0x80200);
    EXPECT_EQ(f.Cd1.maxFileSize(), 10000);
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{dir + "/one.mp3"}));
    EXPECT_EQ(items(f.List1), (std::vector<std::string>{"one.mp3"}));

    addFiles(e, {dir + "/a.mp3", dir + "/b.wav", dir + "/c.mid"});
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{dir + "/a.mp3", dir + "/b.wav", dir + "/c.mid"}));
    EXPECT_EQ(items(f.List1), (std::vector<std::string>{"a.mp3", "b.wav", "c.mid"}));
    EXPECT_EQ(f.lstFiles.listIndex(), 2);  // the filler leaves the last path selected
    EXPECT_FALSE(f.TimerFile.enabled());

    addFiles(e, {"/x.mp3", "/y.mp3"});  // in the root the names follow its "/"
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{"/x.mp3", "/y.mp3"}));
}

TEST(MultiTagLists, ACancelledOrFailedDialogChangesNothing) {
    Editor e;
    auto& f = e.form();
    addFiles(e, {"/m/a.mp3", "/m/b.mp3"});
    e.env().dialogs.answerFileDialog({});  // Cancel
    f.Command19.click();
    e.env().scheduler.advance(10);
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));
    EXPECT_EQ(e.shownCount(), 2u);  // the two dialogs, no message

    // Names that do not fit the 10000 characters.
    forms::FileDialogResult many;
    many.accepted = true;
    for (int i = 0; i < 300; ++i) many.paths.push_back("/m/" + std::string(40, 'a') + std::to_string(i) + ".mp3");
    e.env().dialogs.answerFileDialog(many);
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Command19.click();
    EXPECT_EQ(e.lastMessage().prompt,
              "Error 20476 selecting files.\r\nThe buffer at which the member lpstrFile points is too small.");
    EXPECT_EQ(e.lastMessage().buttons, forms::vbOKOnly);
    EXPECT_EQ(e.lastMessage().title, runtime::App::Title());  // the default caption
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));
}

TEST(MultiTagLists, AddFolderAppendsTheTreeInPreOrder) {
    Editor e;
    auto& f = e.form();
    const std::string root = e.player.home.file("tree");
    for (const char* p : {"b.mp3", "A.MP3", "x.txt", ".h.mp3", "sub1/c.mp3", "sub1/deep/d.mp3", "sub2/e.Mp3",
                          ".hidden/h.mp3", "sub1/deep/z.wav"}) {
        fs::create_directories(fs::path(root + "/" + p).parent_path());
        testsupport::writeFile(root + "/" + p, "x");
    }
    fs::create_directory_symlink(root, root + "/sub2/loop");

    f.Command17.click();
    e.env().dialogs.answerFolder(std::nullopt);  // cancelled
    f.Command20.click();
    EXPECT_EQ(f.lstFiles.listCount(), 0);

    addFiles(e, {"/earlier.mp3"});
    f.List1.clickItem(0);  // a selection does not repeat a name
    e.env().dialogs.answerFolder(root);
    f.mnuaddfolder.choose();
    EXPECT_EQ(e.env().dialogs.shown().back().folder.title, "Select a folder.");
    EXPECT_EQ(f.txtStartDir.text(), root + "/");
    for (int i = 0; i < 100 && f.TimerFile.enabled(); ++i) e.env().scheduler.advance(1);
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{"/earlier.mp3", root + "/A.MP3", root + "/b.mp3",
                                                           root + "/sub1/c.mp3", root + "/sub1/deep/d.mp3",
                                                           root + "/sub2/e.Mp3"}));
    EXPECT_EQ(items(f.List1), (std::vector<std::string>{"earlier.mp3", "A.MP3", "b.mp3", "c.mp3", "d.mp3", "e.Mp3"}));
    EXPECT_EQ(f.lstFiles.listIndex(), 5);
    EXPECT_FALSE(f.TimerFile.enabled());
}

TEST(MultiTagRun, TheConfirmationStartsARunOnceAndNoDoesNothing) {
    Editor e;
    auto& f = e.form();
    const std::string a = e.mp3("a.mp3"), b = e.mp3("b.mp3"), c = e.mp3("c.mp3");
    addFiles(e, {a, b, c});
    confirm(e, forms::vbNo);
    EXPECT_EQ(e.lastMessage().prompt, kConfirm);
    EXPECT_EQ(e.lastMessage().buttons, forms::vbYesNo + forms::vbQuestion);
    EXPECT_FALSE(f.Timer4.enabled());

    f.List1.clickItem(1);  // the run still starts with line 0
    f.txtartist.setText("Common");
    confirm(e);
    EXPECT_TRUE(f.Timer4.enabled());
    e.env().scheduler.advance(999);
    EXPECT_EQ(ReadBack(a).v1.Artist(), "");
    e.env().scheduler.advance(1);
    EXPECT_EQ(f.List1.listIndex(), 0);
    EXPECT_EQ(f.txtpath.text(), a);
    EXPECT_EQ(ReadBack(a).v1.Artist(), "Common");
    confirm(e);  // again during the run: it goes on at line 1
    e.env().scheduler.advance(1000);
    EXPECT_EQ(f.txtpath.text(), b);
    e.env().scheduler.advance(1000);
    EXPECT_EQ(f.txtpath.text(), c);
    EXPECT_FALSE(f.Timer4.enabled());
    EXPECT_FALSE(f.Timer2.enabled());
    EXPECT_EQ(f.Label2.caption(), "100%");
    EXPECT_EQ(f.pr1.value(), 100);
    for (const std::string& p : {a, b, c}) EXPECT_EQ(ReadBack(p).v1.Artist(), "Common");

    // An empty list ends at the first tick.
    f.List1.clear();
    f.lstFiles.clear();
    confirm(e);
    e.env().scheduler.advance(1000);
    EXPECT_FALSE(f.Timer4.enabled());
    EXPECT_EQ(f.Label2.caption(), "100%");
}

// The writer over a table of files, in plain and in title mode.
TEST(MultiTagRun, TheWriterSetsTheCommonFieldsOfMp3FilesAndNamesWhatItSkipped) {
    for (bool titleMode : {false, true}) {
        Editor e;
        auto& f = e.form();
        const std::string frames =
            frame23("TIT2", latin1("Own Title")) + frame23("TRCK", latin1("7")) + frame23("TCON", latin1("(8)Jazz")) +
            frame23("USLT", latin1(std::string("eng") + '\0' + "own lyrics"));
        const std::string tagged = e.mp3("Track 01.mp3", tag(3, frames, 512));
        Editor::writeId3v1(tagged, "Own V1 Title", "someone", 8, 5);
        const std::string plain = e.mp3(std::string(40, 'L') + ".mp3");
        const std::string locked = e.mp3("locked.mp3");
        const std::string missing = e.player.home.file("missing.mp3");
        const std::string wav = e.file("sound.wav", peer::wav(0.1, 8000, 1));
        const std::string mid = e.file("tune.mid", std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14) +
                                                       std::string("MTrk\0\0\0\x04\0\xff\x2f\0", 12));
        std::vector<std::string> paths = {tagged, plain, locked, missing, wav, mid};
        std::map<std::string, std::string> before;
        for (const std::string& p : paths)
            if (fs::exists(p)) before[p] = testsupport::readFile(p);
        Immutable lock(locked);

        f.Check1.setValue(titleMode ? 1 : 0);
        f.txtTitle.setText("Not Written");
        f.txtTitleV2.setText("Not Written Either");
        f.txtartist.setText("V1 Artist");
        f.txtalbum.setText("V1 Album");
        f.txtYear.setText("1999");
        f.txtComments.setText("v1 note");
        f.txtArtistV2.setText("V2 Artist");
        f.txtAlbumV2.setText("V2 Album");
        f.txtYearV2.setText("2001");
        f.txtCommentV2.setText("80s hits");
        f.txtOriginalArtist.setText("Orig");
        f.txtComposer.setText("Comp");
        f.txtCopyright.setText("\u00a9 Label");
        f.txtEncodedBy.setText("Enc");
        f.txtLinkTo.setText("http://link.example/");
        f.txtbuyurl.setText("http://buy.example/");
        f.txtartisturl.setText("http://artist.example/");
        f.txtaudiourl.setText("http://audio.example/");
        addFiles(e, paths);
        confirm(e);
        e.env().dialogs.answerMessageBox(forms::vbOK);  // the summary
        for (std::size_t i = 0; i < paths.size(); ++i) {
            e.env().scheduler.advance(1000);
            EXPECT_EQ(f.txtpath.text(), paths[i]);
            EXPECT_EQ(f.txtCommentV2.text(), "80s hits") << "the comment stays the same for every file";
        }
        EXPECT_FALSE(f.Timer4.enabled());
        EXPECT_EQ(f.Label2.caption(), "100%");

        // The summary names the files not written, with their reasons.
        const forms::MessageBoxRequest& m = e.lastMessage();
        EXPECT_EQ(m.buttons, forms::vbExclamation);
        EXPECT_EQ(m.title, runtime::App::Title());
        EXPECT_NE(m.prompt.find(missing + ": "), std::string::npos) << m.prompt;
        EXPECT_NE(m.prompt.find(wav + ": not an MP3 file"), std::string::npos) << m.prompt;
        EXPECT_NE(m.prompt.find(mid + ": not an MP3 file"), std::string::npos) << m.prompt;
        if (lock.on()) {
            EXPECT_NE(m.prompt.find(locked + ": "), std::string::npos) << m.prompt;
        }
        EXPECT_EQ(m.prompt.find(tagged), std::string::npos);
        EXPECT_EQ(m.prompt.find(plain), std::string::npos);

        // What each file holds.
        EXPECT_EQ(testsupport::readFile(wav), before[wav]);
        EXPECT_EQ(testsupport::readFile(mid), before[mid]);
        if (lock.on()) {
            EXPECT_EQ(testsupport::readFile(locked), before[locked]);
        }
        EXPECT_FALSE(fs::exists(missing));
        for (const std::string& p : {tagged, plain}) {
            EXPECT_EQ(audioOf(testsupport::readFile(p)), audioOf(before[p])) << p;
            ReadBack r(p);
            EXPECT_EQ(r.v1.Artist(), "V1 Artist");
            EXPECT_EQ(r.v1.Album(), "V1 Album");
            EXPECT_EQ(r.v1.Year(), "1999");
            EXPECT_EQ(r.v1.Comment(), "v1 note");
            EXPECT_EQ(r.v2.Artist(), "V2 Artist");
            EXPECT_EQ(r.v2.Album(), "V2 Album");
            EXPECT_EQ(r.v2.Year(), "2001");
            EXPECT_EQ(r.v2.Comment(), "80s hits");  // as the box holds it, no rating digit
            EXPECT_EQ(r.v2.OriginalArtist(), "Orig");
            EXPECT_EQ(r.v2.Composer(), "Comp");
            EXPECT_EQ(r.v2.Copyright(), "\u00a9 Label");
            EXPECT_EQ(r.v2.EncodedBy(), "Enc");
            EXPECT_EQ(r.v2.LinkTo(), "http://link.example/");
            EXPECT_EQ(r.v2.BuyURL(), "http://buy.example/");
            EXPECT_EQ(r.v2.ArtistURL(), "http://artist.example/");
            EXPECT_EQ(r.v2.AudioURL(), "http://audio.example/");
        }
        ReadBack t(tagged), l(plain);
        // Kept in both modes: tracks, lyrics, genres.
        EXPECT_EQ(t.v1.Track(), 5);
        EXPECT_EQ(t.v1.Genre(), 8);
        EXPECT_EQ(t.v2.Track(), "7");
        EXPECT_EQ(t.v2.Lyrics(), "own lyrics");
        if (titleMode) {
            EXPECT_EQ(t.v1.Title(), "Track 01");
            EXPECT_EQ(t.v2.Title(), "Track 01");
            EXPECT_EQ(l.v1.Title(), std::string(30, 'L'));
            EXPECT_EQ(l.v2.Title(), std::string(40, 'L'));  // whole in ID3v2
        } else {
            EXPECT_EQ(t.v1.Title(), "Own V1 Title");
            EXPECT_EQ(t.v2.Title(), "Own Title");
            EXPECT_EQ(l.v1.Title(), "");
            EXPECT_EQ(l.v2.Title(), "");
        }
        // The window shows the list's last file, and Update refuses until a
        // file is loaded.
        EXPECT_EQ(f.txtpath.text(), mid);
        const std::size_t shown = e.shownCount();
        e.env().dialogs.answerMessageBox(forms::vbOK);
        f.Command2.click();
        ASSERT_EQ(e.shownCount(), shown + 1);
        EXPECT_NE(e.lastMessage().prompt.find("were not saved"), std::string::npos);
        EXPECT_EQ(testsupport::readFile(mid), before[mid]);
    }
}

// The comment box goes into each file's own comment frame (the first without
// a description, whatever its language), or a new one; the other comment and
// lyrics frames of each file come back byte for byte. An empty box removes
// each file's own frame only.
TEST(MultiTagRun, TheCommentReplacesEachFilesOwnCommentFrameOnly) {
    const auto lt = id3v2test::langText;
    const std::string nt("\0nt", 3);
    const std::string norm = lt("eng", "iTunNORM", " 00000A2B 00000A2B"), gap = lt("eng", "iTunPGAP", "0");
    const std::string lyrics = lt("fra", "", "paroles");
    struct File {
        std::string frames;
        std::vector<std::string> withNote, withoutNote;  // COMM bodies after each run
    };
    const File files[] = {
        {frame23("COMM", norm) + frame23("COMM", lt("deu", "", "alt")) + frame23("USLT", lyrics),
         {norm, lt("deu", "", "common note")}, {norm}},
        {"", {lt(nt, "", "common note")}, {}},
        {frame23("COMM", gap), {gap, lt(nt, "", "common note")}, {gap}},
    };
    Editor e;
    auto& f = e.form();
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < std::size(files); ++i)
        paths.push_back(e.mp3("c" + std::to_string(i) + ".mp3",
                              tag(3, frame23("TIT2", latin1("t")) + files[i].frames, 64)));
    addFiles(e, paths);
    for (const char* note : {"common note", ""}) {
        SCOPED_TRACE(std::string("the box holds \"") + note + "\"");
        f.txtCommentV2.setText(note);
        confirm(e);
        e.env().scheduler.advance(1000 * static_cast<int>(paths.size()));
        ASSERT_FALSE(f.Timer4.enabled());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const std::string bytes = testsupport::readFile(paths[i]);
            std::vector<std::string> comm;
            for (int n = 1; id3v2test::frameBody(bytes, "COMM", n) != "<none>"; ++n)
                comm.push_back(id3v2test::frameBody(bytes, "COMM", n));
            EXPECT_EQ(comm, *note ? files[i].withNote : files[i].withoutNote) << paths[i];
            EXPECT_EQ(ReadBack(paths[i]).v2.Comment(), note) << paths[i];
        }
        EXPECT_EQ(id3v2test::frameBody(testsupport::readFile(paths[0]), "USLT"), lyrics);
    }
}

// A kill of the program while a run grows a file's ID3v2 tag into a new file:
// the file is wholly old or wholly new, both tags, at every step.
TEST(MultiTagRun, AKillWhileATagGrowsLeavesTheFileWhollyOldOrWhollyNew) {
    using runtime::detail::ReplaceStep;
    for (std::optional<ReplaceStep> kill : {std::optional(ReplaceStep::Complete), std::optional(ReplaceStep::Renamed),
                                            std::optional<ReplaceStep>()}) {
        const bool saved = kill != ReplaceStep::Complete;
        SCOPED_TRACE(!kill ? "no kill" : saved ? "killed as it is renamed into place" : "killed before it is named");
        Editor e;
        const std::string p = e.mp3("a.mp3", tag(3, frame23("TIT2", latin1("Own")), 16));
        Editor::writeId3v1(p, "Own", "Old Artist");
        const std::string before = testsupport::readFile(p);
        addFiles(e, {p});
        e.form().txtartist.setText("New Artist");
        e.form().txtComposer.setText(std::string(400, 'c'));
        EXPECT_EQ(editortest::killedAt(kill,
                                       [&] {
                                           confirm(e);
                                           e.env().scheduler.advance(1000);
                                       }),
                  kill.has_value());
        ReadBack r(p);
        if (saved) {
            EXPECT_EQ(r.v1.Artist(), "New Artist");
            EXPECT_EQ(r.v2.Composer(), std::string(400, 'c'));
            EXPECT_EQ(audioOf(testsupport::readFile(p)), audioOf(before));
        } else {
            EXPECT_TRUE(testsupport::readFile(p) == before) << "the file changed";
        }
    }
}

// A disk that fills up during a run: a file whose ID3v2 tag grows is written
// with its ID3v1 record into a new file and stays as it was when they do not
// fit; a file whose tag fits in place and whose ID3v1 record then fails is
// named with what was written.
TEST(MultiTagRun, AFullDiskLeavesAFileAsItWasOrNamesTheTagThatWasWritten) {
    Editor e;
    // 2000 bytes of padding make the first file 26 bytes shorter than the
    // second will be with its grown tag.
    const std::string inPlace = e.mp3("in place.mp3", tag(3, frame23("TIT2", latin1("t")), 2000), 8);
    const std::string grows = e.mp3("grows.mp3", {}, 8);
    const std::string inPlaceBefore = testsupport::readFile(inPlace), growsBefore = testsupport::readFile(grows);
    addFiles(e, {inPlace, grows});
    e.form().txtartist.setText("V1 Artist");
    e.form().txtArtistV2.setText("V2 Artist");
    confirm(e);
    e.env().dialogs.answerMessageBox(forms::vbOK);  // the summary
    {
        // Room for the grown ID3v2 tag of the second file, not for its ID3v1
        // record, and none for the first file's record.
        testsupport::FileSizeLimit limit(growsBefore.size() + 2048);
        ASSERT_GE(growsBefore.size() + 2048, inPlaceBefore.size());
        ASSERT_LT(growsBefore.size() + 2048, inPlaceBefore.size() + 128);
        e.env().scheduler.advance(2000);
    }
    ASSERT_FALSE(e.form().Timer4.enabled());
    EXPECT_TRUE(testsupport::readFile(grows) == growsBefore);
    const std::string inPlaceAfter = testsupport::readFile(inPlace);
    EXPECT_EQ(inPlaceAfter.size(), inPlaceBefore.size());
    EXPECT_EQ(audioOf(inPlaceAfter), audioOf(inPlaceBefore));
    EXPECT_EQ(ReadBack(inPlace).v2.Artist(), "V2 Artist");
    EXPECT_FALSE(ReadBack(inPlace).v1.HasID3v1Tag());

    const std::string& text = e.lastMessage().prompt;
    EXPECT_NE(text.find(inPlace + ": the ID3v2 tag was written, but the ID3v1 tag was not ("), std::string::npos)
        << text;
    EXPECT_NE(text.find(grows + ": no tag was written: the ID3v2 tag could not be written ("), std::string::npos)
        << text;
}

// A run writes a line's tags only into the file that was listed: when its
// path names another file by then (or none), that file keeps its tags, the
// summary names the path, and the run goes on with the next line.
TEST(MultiTagRun, AnotherFileAtAListedPathIsNotWritten) {
    for (const testsupport::PathSwap& swap : testsupport::kPathSwaps) {
        SCOPED_TRACE(swap.name);
        Editor e;
        const std::string p = e.mp3("music/t.mp3", tag(3, frame23("TIT2", latin1("Listed")), 512));
        const std::string next = e.mp3("music/next.mp3");
        const std::string other =
            e.mp3("music/other.mp3", tag(3, frame23("TIT2", latin1("Other")) + frame23("TALB", latin1("Kept")), 512));
        Editor::writeId3v1(other, "Other", "Them");
        const std::string listedBytes = testsupport::readFile(p), otherBytes = testsupport::readFile(other);
        addFiles(e, {p, next});
        e.form().txtartist.setText("Common");
        e.form().txtArtistV2.setText("Common");
        swap.apply(p, other);
        const auto atPath = testsupport::bytesAt(p);
        confirm(e);
        e.env().dialogs.answerMessageBox(forms::vbOK);  // the summary
        e.env().scheduler.advance(2000);
        ASSERT_FALSE(e.form().Timer4.enabled());
        EXPECT_TRUE(testsupport::readFile(other) == otherBytes) << "the other file changed";
        EXPECT_TRUE(testsupport::readFile(testsupport::movedTo(p)) == listedBytes) << "the listed file changed";
        EXPECT_TRUE(testsupport::bytesAt(p) == atPath) << "the file now at the path changed";
        EXPECT_EQ(ReadBack(next).v2.Artist(), "Common");
        const std::string& text = e.lastMessage().prompt;
        EXPECT_NE(text.find(p + ": "), std::string::npos) << text;
        if (swap.leavesAFile) {
            EXPECT_NE(text.find(p + ": no tag was written: it is no longer the file that was listed"),
                      std::string::npos)
                << text;
        }
        EXPECT_EQ(text.find(next), std::string::npos) << text;
    }
}

// A tag that grows puts a new file at the path, through a run or through
// Update; the lines listed for the file stand for the new one, so the same
// file listed twice, a second run and a run after Update all write it.
TEST(MultiTagRun, AFileThisWindowReplacedIsStillTheListedOne) {
    Editor e;
    auto& f = e.form();
    const std::string a = e.mp3("a.mp3");
    const auto listed = runtime::IdentityOf(a);
    addFiles(e, {a, a});
    f.txtCommentV2.setText(std::string(3000, 'c'));  // grows the tag at the first line
    f.txtartist.setText("First");
    confirm(e);
    e.env().scheduler.advance(2000);
    ASSERT_FALSE(f.Timer4.enabled());
    EXPECT_NE(runtime::IdentityOf(a), listed);
    EXPECT_EQ(ReadBack(a).v1.Artist(), "First");

    const std::size_t shown = e.shownCount();
    e.reload(a);
    f.txtlyrics.setText(std::string(5000, 'l'));  // grows it again
    f.Command2.click();
    ASSERT_EQ(e.shownCount(), shown) << e.lastMessage().prompt;

    f.txtartist.setText("Second");
    confirm(e);
    e.env().scheduler.advance(2000);
    ASSERT_FALSE(f.Timer4.enabled());
    EXPECT_EQ(e.shownCount(), shown + 1) << e.lastMessage().prompt;  // the confirmation only
    EXPECT_EQ(ReadBack(a).v1.Artist(), "Second");
    EXPECT_EQ(ReadBack(a).v2.Lyrics(), std::string(5000, 'l'));
}

TEST(MultiTagRun, TheSummaryListsTwentyFilesThenCountsTheRest) {
    Editor e;
    std::vector<std::string> gone;
    for (int i = 0; i < 25; ++i) gone.push_back(e.player.home.file("gone" + std::to_string(i) + ".mp3"));
    addFiles(e, gone);
    confirm(e);
    e.env().dialogs.answerMessageBox(forms::vbOK);
    e.env().scheduler.advance(25 * 1000);
    ASSERT_FALSE(e.form().Timer4.enabled());
    const std::string& text = e.lastMessage().prompt;
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(text.find(gone[static_cast<std::size_t>(i)] + ": ") != std::string::npos, i < 20) << i;
    EXPECT_NE(text.find("... and 5 more."), std::string::npos) << text;
}

TEST(MultiTagRun, NothingLoadsOrChangesTheListDuringARun) {
    Editor e;
    auto& f = e.form();
    const std::string a = e.mp3("a.mp3"), b = e.mp3("b.mp3"), other = e.mp3("other.mp3");
    Editor::writeId3v1(other, "Other Title", "Other Artist");
    addFiles(e, {a, b});
    f.txtartist.setText("Common");
    confirm(e);
    e.env().scheduler.advance(1000);  // a written

    // The main window's "Tag Info", a drop, the picker, Add Files, Add Folder.
    const std::size_t shown = e.shownCount();
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.txtpath.setText(other);
    f.Timer1.setEnabled(true);
    e.env().scheduler.advance(1);
    EXPECT_FALSE(f.Timer1.enabled());
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.dropFiles({other});
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Command19.click();
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Command20.click();
    ASSERT_EQ(e.shownCount(), shown + 4);
    for (std::size_t i = shown; i < shown + 4; ++i) {
        EXPECT_EQ(e.env().dialogs.shown()[i].kind, forms::ScriptedDialogs::Kind::MessageBox);
        EXPECT_NE(e.env().dialogs.shown()[i].message.prompt.find("Multi Tag is writing"), std::string::npos);
    }
    EXPECT_EQ(f.txtartist.text(), "Common");
    EXPECT_EQ(items(f.lstFiles), (std::vector<std::string>{a, b}));

    e.env().scheduler.advance(1000);
    EXPECT_FALSE(f.Timer4.enabled());
    EXPECT_EQ(ReadBack(b).v1.Artist(), "Common");
    EXPECT_EQ(ReadBack(other).v1.Artist(), "Other Artist");
    // After the run a load goes through again.
    e.reload(other);
    EXPECT_EQ(f.txtartist.text(), "Other Artist");
}

TEST(MultiTagRun, TheMultiTagButtonShowsThePanel) {
    Editor e;
    auto& f = e.form();
    f.Picture2.setVisible(true);
    f.Command17.click();
    EXPECT_TRUE(f.Picture5.visible());
    for (forms::PictureBox* p : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4}) EXPECT_FALSE(p->visible());
}

}  // namespace
