// cMP3ID3v2's frame store and named properties: what the store holds after
// AddTag, RemoveTag, RemoveFrame and the setters, and the errors they raise.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "id3v2_fixtures.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "testsupport/support.hpp"

namespace {

using namespace id3v2test;
using metadata::cMP3ID3v2;

std::string source() { return runtime::App::Title() + ".cMP3ID3v2"; }

class Id3v2Store : public ::testing::Test {
protected:
    // A file whose tag holds one TIT2 "Song" and one COMM.
    cMP3ID3v2 loadedWithComment() {
        return loaded(dir.file("a.mp3"), tag(3, frame23("TIT2", latin1("Song")) +
                                                     frame23("COMM", std::string("\0eng\0hi", 7)), 64) +
                                                 audio());
    }
    // Writes the store and returns the file.
    std::string written(cMP3ID3v2& t) {
        t.Update();
        return testsupport::readFile(t.MP3File());
    }

    testsupport::TempDir dir;
};

TEST_F(Id3v2Store, NewObjectHasNoStoreAndRaises91) {
    cMP3ID3v2 t;
    EXPECT_FALSE(t.HasID3v2Tag());
    EXPECT_EQ(t.TagVersion(), 0);
    EXPECT_EQ(t.Genre(), 0);
    EXPECT_EQ(t.TagsInFrame("TIT2"), 0);
    for (auto op : std::initializer_list<std::function<void()>>{
             [&] { t.FrameCount(); }, [&] { t.Frame(1); }, [&] { t.AddTag("TIT2", "x"); },
             [&] { t.RemoveFrame("TIT2"); }, [&] { t.RemoveTag("TIT2", 1); }, [&] { t.Update(); }}) {
        runtime::Error e = raised(op);
        EXPECT_EQ(e.number(), 91);
        EXPECT_EQ(e.source(), source());
    }
    // A setter stores its field before it fails.
    EXPECT_EQ(raised([&] { t.setTitle("kept"); }).number(), 91);
    EXPECT_EQ(t.Title(), "kept");
}

TEST_F(Id3v2Store, AddTagAppendsValuesUnderOneIdentifierWithoutRegardToCase) {
    cMP3ID3v2 t = loadedWithComment();
    ASSERT_EQ(t.FrameCount(), 2);
    t.AddTag("COMM", "x");
    EXPECT_EQ(t.TagsInFrame("COMM"), 2);
    t.AddTag("comm", "y");
    EXPECT_EQ(t.TagsInFrame("Comm"), 3);
    EXPECT_EQ(t.FrameCount(), 2);
    EXPECT_EQ(t.Frame(2), "COMM");
    // A new identifier keeps its first spelling and is written upper case.
    t.AddTag("tpe2", "Band");
    EXPECT_EQ(t.Frame(3), "tpe2");
    std::string file = written(t);
    EXPECT_EQ(frameIds(file), "TIT2 COMM COMM COMM TPE2");
    // An AddTag value for COMM is language, description, NUL, text: "x" is a
    // language of one letter.
    EXPECT_EQ(frameBody(file, "COMM", 2), std::string("\0x\0\0\0", 5));
    EXPECT_EQ(frameBody(file, "TPE2"), latin1("Band"));
}

TEST_F(Id3v2Store, SettersReplaceTheirFrameAndMoveItLast) {
    cMP3ID3v2 t = loadedWithComment();
    t.setTitle("One");
    t.setTitle("Two");
    EXPECT_EQ(t.Title(), "Two");
    EXPECT_EQ(t.TagsInFrame("TIT2"), 1);
    EXPECT_EQ(t.Frame(t.FrameCount()), "TIT2");
    // A missing frame is no error for a setter, though RemoveFrame raises 5.
    runtime::Error e = raised([&] { t.RemoveFrame("TCOM"); });
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.source(), source());
    t.setComposer("");
    EXPECT_EQ(t.TagsInFrame("TCOM"), 1);  // an empty text still makes a frame
    std::string file = written(t);
    EXPECT_EQ(frameIds(file), "COMM TIT2 TCOM");
    EXPECT_EQ(frameBody(file, "TIT2"), latin1("Two"));
    EXPECT_EQ(frameBody(file, "TCOM"), latin1(""));
}

TEST_F(Id3v2Store, GenreAndOtherGenreNameShareOneFrame) {
    struct Case {
        int genre;          // -1: not set
        const char* other;  // nullptr: not set
        bool otherFirst;
        std::string frame;
    };
    for (const Case& c : {Case{17, "Rock", false, "(17)Rock"}, Case{17, "Rock", true, "(17)Rock"},
                          Case{255, "", false, "(255)"}, Case{-1, "Pop", false, "(255)Pop"}}) {
        cMP3ID3v2 t = loadedWithComment();  // genre 255 after a load
        if (c.otherFirst && c.other) t.setOtherGenreName(c.other);
        if (c.genre >= 0) t.setGenre(static_cast<std::uint8_t>(c.genre));
        if (!c.otherFirst && c.other) t.setOtherGenreName(c.other);
        EXPECT_EQ(t.TagsInFrame("TCON"), 1);
        EXPECT_EQ(frameBody(written(t), "TCON"), latin1(c.frame)) << c.frame;
    }
}

// The Comment and Lyrics setters replace the one frame their property
// stands for (the first without a description), keeping its language, or add
// one in this program's form; an empty text removes that frame alone. Other
// frames of the kind come back byte for byte.
TEST_F(Id3v2Store, CommentAndLyricsSettersReplaceTheirOwnFrameOnly) {
    const auto lt = id3v2test::langText;
    const std::string nt("\0nt", 3);
    const std::string itunes = frame23("COMM", lt("eng", "iTunNORM", " 00000A2B"));
    struct Case {
        const char* name;
        std::string frames;
        std::function<void(cMP3ID3v2&)> set;
        std::vector<std::string> comm, uslt;  // the bodies written, in order
        std::string comment, lyrics;          // read back
    };
    const Case cases[] = {
        {"its language is kept", frame23("COMM", lt("deu", "", "alt")), [](auto& t) { t.setComment("abc"); },
         {lt("deu", "", "abc")}, {}, "abc", ""},
        {"a new one in this program's form", "", [](auto& t) { t.setComment("abc"); }, {lt(nt, "", "abc")}, {},
         "abc", ""},
        {"the iTunes frame stays", itunes + frame23("COMM", lt("eng", "", "old")),
         [](auto& t) { t.setComment("new"); }, {lt("eng", "iTunNORM", " 00000A2B"), lt("eng", "", "new")}, {},
         "new", ""},
        {"a new one after the frames of others", itunes, [](auto& t) { t.setComment("mine"); },
         {lt("eng", "iTunNORM", " 00000A2B"), lt(nt, "", "mine")}, {}, "mine", ""},
        {"set twice, still one", frame23("COMM", lt("eng", "", "old")) + frame23("COMM", lt("deu", "", "zwei")),
         [](auto& t) {
             t.setComment("one");
             t.setComment("two");
         },
         {lt("eng", "", "two"), lt("deu", "", "zwei")}, {}, "two", ""},
        {"an empty text removes that frame only", itunes + frame23("COMM", lt("eng", "", "old")),
         [](auto& t) { t.setComment(""); }, {lt("eng", "iTunNORM", " 00000A2B")}, {}, "", ""},
        {"an empty text and no frame of its own", itunes, [](auto& t) { t.setComment(""); },
         {lt("eng", "iTunNORM", " 00000A2B")}, {}, "", ""},
        {"lyrics: a new one in English", "", [](auto& t) { t.setLyrics("words"); }, {}, {lt("eng", "", "words")}, "",
         "words"},
        {"lyrics: the language kept, a described one stays",
         frame23("USLT", lt("eng", "Verse", "v")) + frame23("USLT", lt("fra", "", "mots")),
         [](auto& t) { t.setLyrics("paroles"); }, {}, {lt("eng", "Verse", "v"), lt("fra", "", "paroles")}, "",
         "paroles"},
        {"lyrics of the original program get a language",
         frame23("USLT", std::string("\0\0old", 5)), [](auto& t) { t.setLyrics("new"); }, {},
         {lt("eng", "", "new")}, "", "new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMP3ID3v2 t = loaded(dir.file("c.mp3"), tag(3, frame23("TIT2", latin1("Song")) + c.frames, 64) + audio());
        c.set(t);
        std::string file = written(t);
        for (const auto& [id, bodies] : {std::pair{"COMM", c.comm}, std::pair{"USLT", c.uslt}}) {
            std::vector<std::string> got;
            for (int i = 1; frameBody(file, id, i) != "<none>"; ++i) got.push_back(frameBody(file, id, i));
            EXPECT_EQ(got, bodies) << id;
        }
        cMP3ID3v2 again;
        again.setMP3File(t.MP3File());
        EXPECT_EQ(again.Comment(), c.comment);
        EXPECT_EQ(again.Lyrics(), c.lyrics);
    }
    // The getter returns what was set; the frame moves last, as every setter's.
    cMP3ID3v2 t = loadedWithComment();
    t.setTitle("Song");
    t.setComment("abc");
    EXPECT_EQ(t.Comment(), "abc");
    EXPECT_EQ(frameIds(written(t)), "TIT2 COMM");
}

TEST_F(Id3v2Store, RemoveTagRenumbersTheRestAndDropsAnEmptyIdentifier) {
    cMP3ID3v2 t = loadedWithComment();
    t.AddTag("COMM", std::string("eng\0two", 7));
    t.AddTag("COMM", std::string("eng\0three", 9));
    t.RemoveTag("COMM", 2);
    EXPECT_EQ(t.TagsInFrame("COMM"), 2);
    EXPECT_EQ(t.TagsInFrame("TIT2"), 1);
    std::string file = written(t);
    EXPECT_EQ(frameIds(file), "TIT2 COMM COMM");
    EXPECT_EQ(frameBody(file, "COMM", 1), std::string("\0eng\0hi", 7));
    EXPECT_EQ(frameBody(file, "COMM", 2), std::string("\0eng\0three", 10));

    t.RemoveTag("TIT2", 1);
    EXPECT_EQ(t.FrameCount(), 1);
    EXPECT_EQ(t.TagsInFrame("TIT2"), 0);

    for (const auto& bad : {std::pair{"COMM", 5}, std::pair{"COMM", 0}, std::pair{"TALB", 1}}) {
        runtime::Error e = raised([&] { t.RemoveTag(bad.first, bad.second); });
        EXPECT_EQ(e.number(), 5);
        EXPECT_EQ(e.source(), source());
    }
    EXPECT_EQ(t.TagsInFrame("COMM"), 2);
}

TEST_F(Id3v2Store, FrameIndexOutOfRangeRaises9) {
    cMP3ID3v2 t = loadedWithComment();
    EXPECT_EQ(t.Frame(1), "TIT2");
    for (int i : {0, 3, -1}) {
        runtime::Error e = raised([&] { t.Frame(i); });
        EXPECT_EQ(e.number(), 9);
        EXPECT_EQ(e.source(), source());
    }
}

TEST_F(Id3v2Store, GenreNamesComeFromTheGenreTable) {
    cMP3ID3v2 t;
    EXPECT_EQ(t.GenreName(17), "Rock");
    EXPECT_EQ(t.GenreName(0), "Blues");
    EXPECT_EQ(t.GenreName(123), "");
    EXPECT_EQ(t.GenreName(200), "");
}

TEST_F(Id3v2Store, EveryLoadReplacesTheWholeState) {
    cMP3ID3v2 t = loadedWithComment();
    t.AddTag("TXXX", "x");
    testsupport::writeFile(dir.file("none.mp3"), audio());
    t.setMP3File(dir.file("none.mp3"));
    EXPECT_FALSE(t.HasID3v2Tag());
    EXPECT_EQ(t.FrameCount(), 0);
    EXPECT_EQ(t.Title(), "");
    EXPECT_EQ(t.Genre(), 255);
}

}  // namespace
