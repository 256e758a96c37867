// Saving the tags ("Update"): every box into its property, the rating digit,
// the rule that only changed ID3v2 boxes are written, the genre cases, every
// refusal (the file left byte for byte), the save while playing, and drops.

#include <gtest/gtest.h>

#include <filesystem>

#include "editor_fixture.hpp"
#include "runtime/app.hpp"
#include "runtime/files.hpp"
#include "testsupport/path_swaps.hpp"

namespace {

using editortest::Editor;
using editortest::kCrLf;
using editortest::ReadBack;
using id3v2test::frame23;
using id3v2test::frame24;
using id3v2test::frameBody;
using id3v2test::latin1;
using id3v2test::tag;

std::string comm(std::string_view lang, std::string_view desc, std::string_view text) {
    return latin1(std::string(lang) + std::string(desc) + std::string(1, '\0') + std::string(text));
}

TEST(EditorSave, EveryBoxReachesItsProperty) {
    Editor e;
    auto p = e.lameMp3("a.mp3");
    auto& f = e.open(p);
    f.txtTitle.setText("T1");
    f.txtartist.setText("A1");
    f.txtalbum.setText("B1");
    f.txtYear.setText("1999");
    f.txtComments.setText("C1");
    f.txtTrack.setText("7");
    f.Combo1.setText("Jazz");
    f.txtTitleV2.setText("T2");
    f.txtArtistV2.setText("A2");
    f.txtAlbumV2.setText("B2");
    f.txtYearV2.setText("2001");
    f.txtCommentV2.setText("C2");
    f.txtTrackV2.setText("9");
    f.txtOriginalArtist.setText("OA");
    f.txtComposer.setText("CO");
    f.txtCopyright.setText("CR");
    f.txtEncodedBy.setText("EB");
    f.txtLinkTo.setText("http://l.example/");
    f.txtlyrics.setText("la la");
    f.txtbuyurl.setText("http://b.example/");
    f.txtaudiourl.setText("http://a.example/");
    f.txtartisturl.setText("http://r.example/");
    f.Command2.click();
    EXPECT_EQ(e.shownCount(), 0u);
    ReadBack r(p);
    EXPECT_EQ(r.v1.Title(), "T1");
    EXPECT_EQ(r.v1.Artist(), "A1");
    EXPECT_EQ(r.v1.Album(), "B1");
    EXPECT_EQ(r.v1.Year(), "1999");
    EXPECT_EQ(r.v1.Comment(), "C1");
    EXPECT_EQ(r.v1.Track(), 7);
    EXPECT_EQ(r.v1.Genre(), 8);
    EXPECT_EQ(r.v2.Title(), "T2");
    EXPECT_EQ(r.v2.Artist(), "A2");
    EXPECT_EQ(r.v2.Album(), "B2");
    EXPECT_EQ(r.v2.Year(), "2001");
    EXPECT_EQ(r.v2.Comment(), "C2");
    EXPECT_EQ(r.v2.Track(), "9");
    EXPECT_EQ(r.v2.OriginalArtist(), "OA");
    EXPECT_EQ(r.v2.Composer(), "CO");
    EXPECT_EQ(r.v2.Copyright(), "CR");
    EXPECT_EQ(r.v2.EncodedBy(), "EB");
    EXPECT_EQ(r.v2.LinkTo(), "http://l.example/");
    EXPECT_EQ(r.v2.Lyrics(), "la la");
    EXPECT_EQ(r.v2.BuyURL(), "http://b.example/");
    EXPECT_EQ(r.v2.AudioURL(), "http://a.example/");
    EXPECT_EQ(r.v2.ArtistURL(), "http://r.example/");
    // The tidy run starts after the save.
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_EQ(f.pr1.value(), 0);

    // Loading the saved file shows every box as it was typed.
    e.reload(p);
    EXPECT_EQ(f.txtCommentV2.text(), "C2");
    EXPECT_EQ(f.txtlyrics.text(), "la la");
    EXPECT_EQ(f.Combo1.text(), "Jazz");
    EXPECT_EQ(f.cboGenreV2.text(), "Jazz");
}

TEST(EditorSave, AFileWithoutId3v1GetsOneWithEmptyFieldsAndAnEmptyTrackIsZero) {
    Editor e;
    auto p = e.lameMp3("a.mp3");
    auto& f = e.open(p);
    ASSERT_EQ(f.Idtag.value(), 0);
    f.txtTrack.setText("");
    f.Command2.click();
    EXPECT_EQ(e.shownCount(), 0u);
    ReadBack r(p);
    EXPECT_TRUE(r.v1.HasID3v1Tag());
    EXPECT_EQ(r.v1.Title(), "");
    EXPECT_EQ(r.v1.Track(), 0);
    EXPECT_EQ(r.v1.Genre(), 255);
}

TEST(EditorSave, ANamelessId3v1GenreSelectsTheEmptyEntryAndSavesAs255) {
    Editor e;
    auto p = e.lameMp3("a.mp3");
    Editor::writeId3v1(p, "x", "", 200);
    auto& f = e.open(p);
    EXPECT_EQ(f.Combo1.listIndex(), 0);
    f.Command2.click();
    EXPECT_EQ(ReadBack(p).v1.Genre(), 255);
}

TEST(EditorSave, TheRatingDigitStandsInFrontOfTheStoredCommentOnce) {
    Editor e;
    // Stored by this program as "nt" + "5Great": the rating Poor, the text Great.
    metadata::cMP3ID3v2 w;
    auto p = e.mp3("a.mp3", tag(3, frame23("TIT2", latin1("x"))));
    w.setMP3File(p);
    w.setComment("5Great");
    w.Update();
    auto& f = e.open(p);
    EXPECT_EQ(f.Combo2.text(), "Poor");
    EXPECT_EQ(f.txtCommentV2.text(), "Great");

    // "3nice" loaded into the open window and saved twice stays "3nice".
    w.setComment("3nice");
    w.Update();
    e.reload(p);
    EXPECT_EQ(f.Combo2.text(), "Good");
    EXPECT_EQ(f.txtCommentV2.text(), "nice");
    f.txtTitleV2.setText("edited");
    f.Command2.click();
    f.txtComments.setText("v1 only");
    f.Command2.click();
    EXPECT_EQ(ReadBack(p).v2.Comment(), "3nice");
    EXPECT_EQ(f.txtCommentV2.text(), "nice");

    // A chosen rating and an edit: the digit in front of the box's text.
    f.Combo2.setListIndex(1);
    f.txtCommentV2.setText("great");
    f.Command2.click();
    EXPECT_EQ(ReadBack(p).v2.Comment(), "1great");
    f.Combo2.setListIndex(-1);
    f.Command2.click();
    EXPECT_EQ(ReadBack(p).v2.Comment(), "great");

    // A comment that begins with another digit is no rating.
    w.setMP3File(p);
    w.setComment("80s hits");
    w.Update();
    e.reload(p);
    EXPECT_EQ(f.Combo2.listIndex(), -1);
    EXPECT_EQ(f.txtCommentV2.text(), "80s hits");
    f.txtCommentV2.setText("80s hits!");
    f.Command2.click();
    EXPECT_EQ(ReadBack(p).v2.Comment(), "80s hits!");

    // Another program's "eng" comment shows its text alone, and an earlier
    // file's rating is not written into this one.
    f.Combo2.setListIndex(4);
    auto q = e.mp3("b.mp3", tag(3, frame23("COMM", comm("eng", "", "plain"))));
    e.reload(q);
    EXPECT_EQ(f.Combo2.listIndex(), -1);
    EXPECT_EQ(f.txtCommentV2.text(), "plain");
    f.txtTitleV2.setText("t");
    f.Command2.click();
    EXPECT_EQ(frameBody(testsupport::readFile(q), "COMM"), comm("eng", "", "plain"));
}

TEST(EditorSave, OnlyChangedId3v2BoxesAreWritten) {
    Editor e;
    const std::string frames = frame24("TRCK", latin1("10/12")) + frame24("TDRC", latin1("2004-05-12T10:30")) +
                               frame24("COMM", comm("eng", "", "first")) +
                               frame24("COMM", comm("deu", "d", "zweite")) + frame24("TCON", latin1("Chillwave")) +
                               frame24("TIT2", latin1("Title"));
    auto original = tag(4, frames, 64);
    auto p = e.mp3("a.mp3", original);
    auto& f = e.open(p);
    EXPECT_EQ(f.txtTrackV2.text(), "10/1");  // the box's typing limit cuts what it shows
    f.txtTitleV2.setText("Another");
    f.Command2.click();
    ASSERT_EQ(e.shownCount(), 0u);
    std::string after = testsupport::readFile(p);
    EXPECT_EQ(frameBody(after, "TRCK"), latin1("10/12"));
    // The recording time, written as 2.3 writes it: year, day and month, time.
    EXPECT_EQ(frameBody(after, "TYER"), latin1("2004"));
    EXPECT_EQ(frameBody(after, "TDAT"), latin1("1205"));
    EXPECT_EQ(frameBody(after, "TIME"), latin1("1030"));
    EXPECT_EQ(frameBody(after, "COMM", 1), comm("eng", "", "first"));
    EXPECT_EQ(frameBody(after, "COMM", 2), comm("deu", "d", "zweite"));
    EXPECT_EQ(frameBody(after, "TCON"), latin1("Chillwave"));
    EXPECT_EQ(ReadBack(p).v2.Title(), "Another");

    // Each box edited alone is written.
    struct Edit {
        const char* name;
        std::function<void(tageditor::Form1&)> edit;
        std::function<void(const metadata::cMP3ID3v2&)> check;
    };
    const Edit edits[] = {
        {"track", [](auto& f) { f.txtTrackV2.setText("11"); },
         [](const auto& t) { EXPECT_EQ(t.Track(), "11"); }},
        {"year", [](auto& f) { f.txtYearV2.setText("2005"); }, [](const auto& t) { EXPECT_EQ(t.Year(), "2005"); }},
        {"comment", [](auto& f) { f.txtCommentV2.setText("one"); },
         [](const auto& t) { EXPECT_EQ(t.Comment(), "one"); }},
        {"renewed lyrics", [](auto& f) { f.txtlyrics.setText("words"); },
         [](const auto& t) { EXPECT_EQ(t.Lyrics(), "words"); }},
    };
    for (const Edit& ed : edits) {
        SCOPED_TRACE(ed.name);
        testsupport::writeFile(p, original + id3v2test::audio(8));
        e.reload(p);
        ed.edit(f);
        f.Command2.click();
        ASSERT_EQ(e.shownCount(), 0u);
        ed.check(ReadBack(p).v2);
    }
}

TEST(EditorSave, GenreCases) {
    Editor e;
    auto original = tag(3, frame23("TCON", latin1("(17)Rock")) + frame23("TIT2", latin1("x")), 64);
    auto p = e.mp3("a.mp3", original);
    Editor::writeId3v1(p, "x", "", 8);  // Jazz in ID3v1
    auto& f = e.open(p);
    EXPECT_EQ(f.cboGenreV2.text(), "Jazz");  // the box starts from the ID3v1 genre

    // Untouched: the ID3v2 genre keeps what it held.
    f.Command2.click();
    EXPECT_EQ(frameBody(testsupport::readFile(p), "TCON"), latin1("(17)Rock"));

    // A chosen entry: its code and its own name.
    f.cboGenreV2.chooseItem(f.cboGenreV2.listCount() - 1);
    const std::string last = f.cboGenreV2.list(f.cboGenreV2.listCount() - 1);
    const int code = f.cboGenreV2.itemData(f.cboGenreV2.listCount() - 1);
    f.Command2.click();
    EXPECT_EQ(frameBody(testsupport::readFile(p), "TCON"), latin1("(" + std::to_string(code) + ")" + last));

    // Typed text naming no entry: the genre text alone.
    e.reload(p);
    f.cboGenreV2.userEdited("Chillwave");
    f.Command2.click();
    EXPECT_EQ(frameBody(testsupport::readFile(p), "TCON"), latin1("Chillwave"));
    EXPECT_EQ(ReadBack(p).v1.Genre(), 8);
}

struct Refusal {
    const char* name;
    std::function<std::string(Editor&)> make;           // the file to load
    std::function<void(Editor&, tageditor::Form1&)> edit;  // after the load
    int style;
    const char* reason;
};

std::string riff() { return "RIFF" + std::string("\x24\0\0\0WAVEfmt ", 12) + std::string(200, '\x01'); }

TEST(EditorSave, RefusalsLeaveTheFileByteForByte) {
    auto title = [](Editor&, tageditor::Form1& f) { f.txtTitleV2.setText("changed"); };
    const Refusal cases[] = {
        {"WAV", [](Editor& e) { return e.file("a.wav", riff()); }, title, forms::vbInformation, "not an MP3"},
        {"MIDI", [](Editor& e) { return e.file("a.mid", "MThd" + std::string(300, '\x02')); }, title,
         forms::vbInformation, "not an MP3"},
        {"WMA",
         [](Editor& e) { return e.file("a.wma", std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8) + std::string(300, 'w')); },
         title, forms::vbInformation, "not an MP3"},
        {"RealMedia", [](Editor& e) { return e.file("a.rm", ".RMF" + std::string(300, '\x03')); }, title,
         forms::vbInformation, "not an MP3"},
        {"empty", [](Editor& e) { return e.file("empty.mp3", ""); }, title, forms::vbInformation, "not an MP3"},
        {"RIFF behind an ID3v2 tag",
         [](Editor& e) { return e.file("tagged.wav", tag(3, frame23("TIT2", latin1("x")), 32) + riff()); }, title,
         forms::vbInformation, "not an MP3"},
        {"track 300", [](Editor& e) { return e.lameMp3("a.mp3"); },
         [](Editor&, tageditor::Form1& f) { f.txtTrack.setText("300"); }, forms::vbCritical, "track number"},
        {"track abc", [](Editor& e) { return e.lameMp3("a.mp3"); },
         [](Editor&, tageditor::Form1& f) { f.txtTrack.setText("abc"); }, forms::vbCritical, "track number"},
        {"another txtpath", [](Editor& e) { return e.lameMp3("a.mp3"); },
         [](Editor& e, tageditor::Form1& f) { f.txtpath.setText(e.lameMp3("other.mp3")); }, forms::vbCritical,
         "another file"},
        {"failed load", [](Editor& e) { return e.player.home.file("gone.mp3"); },
         [](Editor& e, tageditor::Form1&) { e.lameMp3("gone.mp3"); }, forms::vbCritical, "could not be read"},
        {"tag objects on another file", [](Editor& e) { return e.lameMp3("a.mp3"); },
         [](Editor& e, tageditor::Form1& f) { f.tagV1().setMP3File(e.lameMp3("batch.mp3")); }, forms::vbCritical,
         "another file"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        const std::string path = c.make(e);
        auto& f = e.open(path);
        c.edit(e, f);
        const std::string target = f.txtpath.text();
        const std::string before = testsupport::readFile(target);
        const std::string otherBefore = testsupport::readFile(path);
        f.Label2.setCaption("42%");
        e.env().dialogs.answerMessageBox(forms::vbOK);
        f.Command2.click();
        EXPECT_EQ(testsupport::readFile(target), before);
        EXPECT_EQ(testsupport::readFile(path), otherBefore);
        ASSERT_EQ(e.shownCount(), 1u);
        const auto& m = e.lastMessage();
        EXPECT_EQ(m.buttons, c.style);
        EXPECT_EQ(m.title, runtime::App::Title());
        EXPECT_NE(m.prompt.find("'" + target + "'"), std::string::npos) << m.prompt;
        EXPECT_NE(m.prompt.find(c.reason), std::string::npos) << m.prompt;
        EXPECT_EQ(f.Label2.caption(), "");
        EXPECT_FALSE(f.Timer2.enabled());
    }
}

// Update writes into the file that was loaded and into no other: when the
// path names another file by then (or none), the save is refused with the
// path in the message, whether the tag would have fitted in place or grown.
TEST(EditorSave, AnotherFileAtTheLoadedPathIsNotWritten) {
    for (const testsupport::PathSwap& swap : testsupport::kPathSwaps) {
        for (bool grows : {false, true}) {
            SCOPED_TRACE(std::string(swap.name) + (grows ? ", a growing tag" : ", a tag written in place"));
            Editor e;
            const std::string p = e.mp3("music/t.mp3", tag(3, frame23("TIT2", latin1("Loaded")), 512));
            Editor::writeId3v1(p, "Loaded");
            const std::string other =
                e.mp3("music/other.mp3", tag(3, frame23("TIT2", latin1("Other")) + frame23("TALB", latin1("Kept")), 512));
            Editor::writeId3v1(other, "Other", "Them");
            const std::string loadedBytes = testsupport::readFile(p), otherBytes = testsupport::readFile(other);
            auto& f = e.open(p);
            f.txtTitleV2.setText("Edited");
            f.txtTitle.setText("Edited");
            if (grows) f.txtlyrics.setText(std::string(3000, 'l'));
            swap.apply(p, other);
            const auto atPath = testsupport::bytesAt(p);
            e.env().dialogs.answerMessageBox(forms::vbOK);
            f.Command2.click();
            EXPECT_TRUE(testsupport::readFile(other) == otherBytes) << "the other file changed";
            EXPECT_TRUE(testsupport::readFile(testsupport::movedTo(p)) == loadedBytes) << "the file that was read changed";
            EXPECT_TRUE(testsupport::bytesAt(p) == atPath) << "the file now at the path changed";
            ASSERT_EQ(e.shownCount(), 1u);
            const auto& m = e.lastMessage();
            EXPECT_EQ(m.buttons, forms::vbCritical);
            EXPECT_EQ(m.prompt.rfind("The tags of '" + p + "' were not saved." + kCrLf + kCrLf, 0), 0u) << m.prompt;
            EXPECT_NE(m.prompt.find(swap.leavesAFile ? "no longer the file that was loaded" : "No file is there"),
                      std::string::npos)
                << m.prompt;
            EXPECT_FALSE(f.Timer2.enabled());
        }
    }
}

// A tag that grows is written through a new file renamed over the old one;
// the editor takes that file as the loaded one, so Update goes on working.
TEST(EditorSave, UpdateAgainAfterAGrowingSaveWritesTheSameFile) {
    Editor e;
    const std::string p = e.mp3("a.mp3");
    auto& f = e.open(p);
    const auto loaded = runtime::IdentityOf(p);
    for (const char* title : {"First", "Second"}) {
        f.txtTitleV2.setText(title);
        f.txtlyrics.setText(std::string(title) + std::string(2500, '.'));
        f.Command2.click();
        EXPECT_EQ(e.shownCount(), 0u) << e.lastMessage().prompt;
        EXPECT_EQ(ReadBack(p).v2.Title(), title);
    }
    EXPECT_NE(runtime::IdentityOf(p), loaded);
}

// A kill of the program at each step of a save whose ID3v2 tag grows into a
// new file: the new file gets its ID3v1 record before it is renamed into
// place, so the file is wholly old (both tags) or wholly new (both tags),
// never the new ID3v2 tag with the old ID3v1 record.
TEST(EditorSave, AKillAtEachStepOfAGrowingSaveLeavesTheFileWhollyOldOrWhollyNew) {
    using runtime::detail::ReplaceStep;
    struct Case {
        const char* name;
        std::optional<ReplaceStep> kill;
        bool saved;
    };
    const std::string composer(400, 'c');
    for (const Case& c : {Case{"the new file complete, not yet named", ReplaceStep::Complete, false},
                          Case{"the moment it is renamed into place", ReplaceStep::Renamed, true},
                          Case{"no kill", std::nullopt, true}}) {
        SCOPED_TRACE(c.name);
        Editor e;
        const std::string p = e.mp3("a.mp3", tag(3, frame23("TIT2", latin1("Old V2")), 16));
        Editor::writeId3v1(p, "Old V1");
        const std::string before = testsupport::readFile(p);
        auto& f = e.open(p);
        f.txtTitle.setText("New V1");
        f.txtComposer.setText(composer);
        EXPECT_EQ(editortest::killedAt(c.kill, [&] { f.Command2.click(); }), c.kill.has_value());
        ReadBack r(p);
        if (c.saved) {
            EXPECT_EQ(r.v1.Title(), "New V1");
            EXPECT_EQ(r.v2.Composer(), composer);
            EXPECT_EQ(r.v2.Title(), "Old V2");
            EXPECT_EQ(editortest::audioBetweenTags(testsupport::readFile(p)), editortest::audioBetweenTags(before));
        } else {
            EXPECT_TRUE(testsupport::readFile(p) == before) << "the file changed";
        }
    }
}

// A disk that fills up during a save. A tag that grows is written with the
// ID3v1 record into a new file, so when either does not fit the file is as
// it was; a tag written in place goes first, so when only the ID3v1 record
// after it fails, the message says which tag was saved.
TEST(EditorSave, AFullDiskLeavesTheFileAsItWasOrSaysWhichTagWasSaved) {
    struct Case {
        const char* name;
        std::size_t padding;  // of the file's ID3v2 tag; 0: none, the tag grows
        std::int64_t room;    // bytes the file may grow by
        bool id3v2Saved;
    };
    for (const Case& c : {Case{"a growing tag, no room for it", 0, 1000, false},
                          Case{"a growing tag, room for it but not for the ID3v1 record", 0, 2048, false},
                          Case{"a tag in place, no room for the ID3v1 record", 512, 0, true}}) {
        SCOPED_TRACE(c.name);
        Editor e;
        const std::string p =
            c.padding ? e.mp3("a.mp3", tag(3, frame23("TIT2", latin1("Old")), c.padding)) : e.mp3("a.mp3");
        const std::string before = testsupport::readFile(p);
        auto& f = e.open(p);
        f.txtTitle.setText("New V1");
        f.txtTitleV2.setText("New V2");
        e.env().dialogs.answerMessageBox(forms::vbOK);
        {
            testsupport::FileSizeLimit limit(before.size() + static_cast<std::uint64_t>(c.room));
            f.Command2.click();
        }
        const std::string after = testsupport::readFile(p);
        ASSERT_EQ(e.shownCount(), 1u);
        const std::string& prompt = e.lastMessage().prompt;
        if (!c.id3v2Saved) {
            EXPECT_TRUE(after == before) << "the file changed: " << before.size() << " -> " << after.size() << " bytes";
            EXPECT_EQ(prompt.rfind("The tags of '" + p + "' were not saved." + kCrLf + kCrLf +
                                       "The ID3v2 tag could not be written: ",
                                   0),
                      0u)
                << prompt;
        } else {
            EXPECT_EQ(after.size(), before.size());
            EXPECT_EQ(editortest::audioBetweenTags(after), editortest::audioBetweenTags(before));
            ReadBack r(p);
            EXPECT_EQ(r.v2.Title(), "New V2");
            EXPECT_FALSE(r.v1.HasID3v1Tag());
            EXPECT_EQ(prompt.rfind("The ID3v2 tag of '" + p + "' was saved, but its ID3v1 tag was not." + kCrLf +
                                       kCrLf + "The ID3v1 tag could not be written: ",
                                   0),
                      0u)
                << prompt;
        }
        EXPECT_FALSE(f.Timer2.enabled());

        // With room again, Update saves both.
        f.Command2.click();
        EXPECT_EQ(e.shownCount(), 1u);
        ReadBack r(p);
        EXPECT_EQ(r.v1.Title(), "New V1");
        EXPECT_EQ(r.v2.Title(), "New V2");
    }
}

// A file the user may not write: the message names the file and says why
// once, as the system says it.
TEST(EditorSave, AFileThatMayNotBeWrittenIsNamedWithItsReasonOnce) {
    Editor e;
    const std::string p = e.lameMp3("read only.mp3");
    const std::string before = testsupport::readFile(p);
    auto& f = e.open(p);
    f.txtTitleV2.setText("New");
    std::filesystem::permissions(p, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                        std::filesystem::perms::others_read);
    const std::optional<std::string> prompt = testsupport::AsOrdinaryUser(e.player.home.path(), [&] {
        e.env().dialogs.answerMessageBox(forms::vbOK);
        f.Command2.click();
        return e.shownCount() == 1 ? e.lastMessage().prompt : std::string("no message");
    });
    ASSERT_TRUE(prompt);
    EXPECT_EQ(*prompt, "The tags of '" + p + "' were not saved." + kCrLf + kCrLf +
                           "The ID3v2 tag could not be written: Permission denied: " + p);
    EXPECT_TRUE(testsupport::readFile(p) == before);
}

TEST(EditorSave, NoFileLoadedRefusesToo) {
    Editor e;
    auto& f = e.form();
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Command2.click();
    ASSERT_EQ(e.shownCount(), 1u);
    EXPECT_EQ(e.lastMessage().buttons, forms::vbCritical);
    EXPECT_NE(e.lastMessage().prompt.find("No file"), std::string::npos);
}

TEST(EditorSave, WhilePlayingTheControlLetsGoAndGetsItsFileBack) {
    Editor e;
    auto p = e.lameMp3("a.mp3");
    e.media->setFileName(p);
    e.media->scriptDuration(60);
    e.media->setCurrentPosition(12.25);
    e.media->setMute(true);
    auto& f = e.open(p);
    f.txtTitleV2.setText("while playing");
    e.media->clearCalls();
    f.Command2.click();
    EXPECT_EQ(e.media->calls(), (std::vector<std::string>{"FileName=d:\\me", "FileName=" + p,
                                                          "CurrentPosition=12.25", "Mute=False"}));
    EXPECT_EQ(f.Label4.caption(), "12.25");
    EXPECT_EQ(f.Label5.caption(), p);
    EXPECT_EQ(ReadBack(p).v2.Title(), "while playing");
    EXPECT_EQ(e.shownCount(), 0u);

    // Another file: the control is not touched.
    auto q = e.lameMp3("b.mp3");
    e.reload(q);
    e.media->clearCalls();
    f.Command2.click();
    EXPECT_TRUE(e.media->calls().empty());
}

// Records what the media control holds when a message box comes.
struct WatchingDialogs : forms::ScriptedDialogs {
    media::ScriptedMediaPlayer* media = nullptr;
    std::vector<std::string> fileAtMessage;
    int messageBox(const forms::MessageBoxRequest& r) override {
        fileAtMessage.push_back(media->fileName());
        return ScriptedDialogs::messageBox(r);
    }
};

TEST(EditorSave, AFailedSaveWhilePlayingRestoresTheControlBeforeTheMessage) {
    Editor e;
    WatchingDialogs d;
    d.media = e.media;
    forms::setDialogs(&d);
    auto p = e.lameMp3("a.mp3");
    e.media->setFileName(p);
    auto& f = e.open(p);
    f.txtTrack.setText("999");
    d.answerMessageBox(forms::vbOK);
    e.media->clearCalls();
    f.Command2.click();
    forms::setDialogs(&e.env().dialogs);
    EXPECT_EQ(d.fileAtMessage, (std::vector<std::string>{p}));
    EXPECT_EQ(e.media->callsTo("FileName"), (std::vector<std::string>{"FileName=d:\\me", "FileName=" + p}));
    EXPECT_EQ(e.media->callsTo("Mute"), (std::vector<std::string>{"Mute=False"}));
}

TEST(EditorDrop, OpensTheFirstOfSeveralFilesThroughTheWholeLoader) {
    Editor e;
    auto tagged = e.lameMp3("tagged.mp3");
    Editor::writeId3v1(tagged, "Tagged");
    auto& f = e.open(tagged);
    ASSERT_EQ(f.Idtag.value(), 1);
    auto first = e.lameMp3("first.mp3");
    auto second = e.lameMp3("second.mp3");
    EXPECT_EQ(f.dragOver({first, second, tagged}, 0), 1);
    EXPECT_EQ(f.dropFiles({first, second, tagged}), 1);
    EXPECT_EQ(f.txtpath.text(), first);
    EXPECT_EQ(f.Idtag.value(), 0);
    EXPECT_FALSE(f.txtTitle.enabled());
    EXPECT_EQ(f.txtTitle.text(), "");
    EXPECT_FALSE(runtime::Files().IsOpen(1));
    // The dropped file is the one saved into.
    f.txtTitleV2.setText("dropped");
    f.Command2.click();
    EXPECT_EQ(ReadBack(first).v2.Title(), "dropped");
    EXPECT_EQ(ReadBack(tagged).v2.Title(), "");
}

TEST(EditorDrop, TextIsNoDrop) {
    Editor e;
    auto p = e.lameMp3("a.mp3");
    auto& f = e.open(p);
    forms::DataObject text;
    text.setText("just words");
    int effect = 1;
    f.Form_OLEDragOver(text, effect, 1, 0, 0, 0, 0);
    EXPECT_EQ(effect, 0);
    effect = 0;
    f.Form_OLEDragDrop(text, effect, 1, 0, 0, 0);
    EXPECT_EQ(effect, 0);
    EXPECT_EQ(f.txtpath.text(), p);
    EXPECT_EQ(e.shownCount(), 0u);
}

TEST(EditorDrop, AFileThatCannotBeReadGivesTheMessageAndTheWindowStaysOnItsFile) {
    Editor e;
    auto p = e.lameMp3("a.mp3");
    Editor::writeId3v1(p, "Kept");
    auto& f = e.open(p);
    auto folder = e.player.home.file("folder.mp3");
    std::filesystem::create_directories(folder);
    std::string reason;
    try {
        runtime::Files().Open(folder, runtime::OpenMode::Binary, 7, runtime::Access::Read);
    } catch (const runtime::Error& err) {
        reason = err.description();
    }
    ASSERT_FALSE(reason.empty());
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.dropFiles({folder});
    ASSERT_EQ(e.shownCount(), 1u);
    EXPECT_EQ(e.lastMessage().prompt, "Could not load file '" + folder + "'\r\n\r\n" + reason);
    EXPECT_EQ(e.lastMessage().buttons, forms::vbInformation);
    EXPECT_EQ(f.txtpath.text(), p);
    EXPECT_EQ(f.txtTitle.text(), "Kept");
    EXPECT_EQ(f.Idtag.value(), 1);
}

TEST(EditorPick, TheDialogOpensTheChosenFile) {
    Editor e;
    auto& f = e.form();
    auto p = e.lameMp3("picked.mp3");
    Editor::writeId3v1(p, "Picked");
    forms::FileDialogResult chosen;
    chosen.accepted = true;
    chosen.paths = {p};
    e.env().dialogs.answerFileDialog(chosen);
    f.cmdPick_Click();
    const auto& shown = e.env().dialogs.shown().back().file;
    EXPECT_EQ(shown.defaultExt, "MP3");
    ASSERT_EQ(shown.filters.size(), 2u);
    EXPECT_EQ(shown.filters[0].description, "MP3 Files (*.MP3)");
    EXPECT_TRUE(shown.fileMustExist);
    EXPECT_FALSE(shown.multiSelect);
    EXPECT_EQ(f.txtpath.text(), p);
    EXPECT_EQ(f.txtTitle.text(), "Picked");
    EXPECT_EQ(f.Idtag.value(), 1);

    e.env().dialogs.answerFileDialog(forms::FileDialogResult{});
    f.cmdPick_Click();
    EXPECT_EQ(f.txtpath.text(), p);
}

}  // namespace
