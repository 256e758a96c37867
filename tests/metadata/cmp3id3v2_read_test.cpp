// Reading an ID3v2 tag into cMP3ID3v2: where a tag is found, its size, the
// frame walk over versions 2.2 to 2.4, text encodings, and which malformed
// input raises from the MP3File setter and which only ends the walk.

#include <gtest/gtest.h>

#include "id3v2_fixtures.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "testsupport/support.hpp"

namespace {

using namespace id3v2test;
using metadata::cMP3ID3v2;

class Id3v2Read : public ::testing::Test {
protected:
    cMP3ID3v2 load(std::string_view content) { return loaded(dir.file("t.mp3"), content); }
    testsupport::TempDir dir;
};

TEST_F(Id3v2Read, VersionThreeTextFrame) {
    cMP3ID3v2 t = load(tag(3, frame23("TIT2", latin1("Song")), 20) + audio());
    EXPECT_TRUE(t.HasID3v2Tag());
    EXPECT_EQ(t.TagVersion(), 3);
    EXPECT_EQ(t.ID3v2TagVersion(), 3);
    EXPECT_EQ(t.Title(), "Song");
    EXPECT_EQ(t.FrameCount(), 1);
    EXPECT_EQ(t.TagsInFrame("TIT2"), 1);
    EXPECT_EQ(t.Genre(), 255);
}

TEST_F(Id3v2Read, FilesWithoutATag) {
    // Short files, a missing file, audio only, and headers that are not a
    // tag's: a wrong version or revision, or a size that is neither syncsafe
    // nor the old plain form.
    const std::string body = frame23("TIT2", latin1("x"));
    std::string badSize = tag(3, body, 10);
    badSize[8] = static_cast<char>(0x81);
    for (const std::string& content :
         {std::string(), std::string("I"), std::string("ID"), std::string("ID3"), audio(),
          "ID3" + bytes({1, 0, 0}) + syncsafe(20) + body, "ID3" + bytes({5, 0, 0}) + syncsafe(20) + body,
          "ID3" + bytes({3, 0xFF, 0}) + syncsafe(20) + body, badSize}) {
        cMP3ID3v2 t = load(content);
        EXPECT_FALSE(t.HasID3v2Tag()) << content.size();
        EXPECT_EQ(t.TagVersion(), 0);
        EXPECT_EQ(t.FrameCount(), 0);
    }
    cMP3ID3v2 missing;
    missing.setMP3File(dir.file("missing.mp3"));  // no error
    EXPECT_FALSE(missing.HasID3v2Tag());
    EXPECT_EQ(missing.FrameCount(), 0);
}

TEST_F(Id3v2Read, OnlyATagAtTheStartOfTheFileCounts) {
    // "ID3" further into the file, straddling the first 4096-byte block or
    // inside audio, is never taken for a tag.
    std::string straddling(4094, 'x');
    straddling += tag(3, frame23("TIT2", latin1("Late")), 10);
    straddling.resize(9000, 'y');
    std::string inAudio = audio(2) + tag(3, frame23("TIT2", latin1("Late")), 10) + audio(2);
    for (const std::string& content : {straddling, inAudio}) {
        cMP3ID3v2 t = load(content);
        EXPECT_FALSE(t.HasID3v2Tag());
        EXPECT_EQ(t.Title(), "");
    }
}

TEST_F(Id3v2Read, SyncsafeSizeKeepsTheWalkInsideTheTag) {
    // 300 bytes of frames: as a plain number the size bytes would say 556.
    std::string frames = frame23("TIT2", latin1(std::string(280, 'a')));
    std::string file = tag(3, frames, 10) + frame23("TALB", latin1("audio?")) + audio();
    cMP3ID3v2 t = load(file);
    EXPECT_EQ(t.Title(), std::string(280, 'a'));
    EXPECT_EQ(t.Album(), "");
    EXPECT_EQ(t.FrameCount(), 1);
}

TEST_F(Id3v2Read, OldPlainSizeIsReadWhenAudioFollowsIt) {
    // The form this program used to write: version 3, no flags, a plain size
    // counting the header, a multiple of 2048, audio right behind it.
    std::string old = "ID3" + bytes({3, 0, 0}) + be32(2048) + frame23("TIT2", latin1("Old")) +
                      frame23("COMM", std::string("\0\0nt\0note", 9));
    old.resize(2048, '\0');
    cMP3ID3v2 t = load(old + audio());
    EXPECT_TRUE(t.HasID3v2Tag());
    EXPECT_EQ(t.Title(), "Old");
    EXPECT_EQ(t.Comment(), "note");
}

TEST_F(Id3v2Read, VersionTwoFramesAreStoredUnderTheirVersionThreeNames) {
    std::string pic = bytes({0}) + "JPG" + bytes({3}) + "cover" + bytes({0}) + "\xFF\xD8\xFF\xE0";
    std::string frames = frame22("TT2", latin1("Two")) + frame22("TP1", latin1("Artist")) + frame22("PIC", pic) +
                         frame22("ULT", std::string("\0eng\0words", 10)) + frame22("WAR", "http://a.example") +
                         frame22("CRM", "secret") + frame22("XYZ", "unknown") + frame22("COM", std::string("\0eng\0c", 6));
    cMP3ID3v2 t = load(tag(2, frames, 20) + audio());
    EXPECT_EQ(t.TagVersion(), 2);
    EXPECT_EQ(t.Title(), "Two");
    EXPECT_EQ(t.Artist(), "Artist");
    EXPECT_EQ(t.Lyrics(), "words");
    EXPECT_EQ(t.ArtistURL(), "http://a.example");
    EXPECT_EQ(t.Comment(), "c");
    // CRM and frames outside the standard have no 2.3 counterpart.
    ASSERT_EQ(t.FrameCount(), 6);
    const char* ids[] = {"TIT2", "TPE1", "APIC", "USLT", "WOAR", "COMM"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(t.Frame(i + 1), ids[i]);
}

// Comment and Lyrics stand for the first frame of their kind that has no
// description, whatever its language, and give its text alone; the store
// keeps every frame.
TEST_F(Id3v2Read, CommentAndLyricsAreTheTextOfTheFirstFrameWithoutADescription) {
    const auto lt = id3v2test::langText;
    const std::string nt("\0nt", 3), nuls(3, '\0');
    struct Case {
        const char* name;
        std::string frames;
        std::string comment, lyrics;
    };
    const Case cases[] = {
        {"two languages", frame23("COMM", lt("eng", "", "a")) + frame23("COMM", lt(nt, "", "b")), "a", ""},
        {"iTunes data first",
         frame23("COMM", lt("eng", "iTunNORM", " 00000A2B")) + frame23("COMM", lt("eng", "", "Real comment")) +
             frame23("COMM", lt("eng", "iTunPGAP", "0")),
         "Real comment", ""},
        {"only frames with a description",
         frame23("COMM", lt("eng", "iTunNORM", " 1")) + frame23("USLT", lt("eng", "Verse", "la")), "", ""},
        {"languages of NULs, XXX and this program's",
         frame23("COMM", lt(nuls, "", "english notes")) + frame23("USLT", lt("XXX", "", "ntfs lyrics")),
         "english notes", "ntfs lyrics"},
        {"this program's comment beginning with nt", frame23("COMM", lt(nt, "", "nt notes")), "nt notes", ""},
        {"UTF-16 text without a description",
         frame23("COMM", bytes({1}) + "deu" + bytes({0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'H', 0, 0xE9, 0})), "H\xC3\xA9",
         ""},
        {"the original program's lyrics: two zero bytes, then the text",
         frame23("USLT", std::string("\0\0lyrics", 8)), "", "lyrics"},
        {"UTF-16 without the end of a description is all text, whatever the language",
         frame23("COMM", bytes({1, 0, 'x', 'y', 0xFF, 0xFE, 'H', 0})), "H", ""},
        {"a compressed frame cannot be the one",
         frame23("COMM", bytes({0, 0, 0, 9}) + "xxxx", 0x0080) + frame23("COMM", lt("eng", "", "readable")),
         "readable", ""},
        {"an empty text is still the frame's",
         frame23("COMM", lt("eng", "", "")) + frame23("COMM", lt("deu", "", "second")), "", ""},
    };
    for (const Case& c : cases) {
        cMP3ID3v2 t = load(tag(3, c.frames, 10) + audio());
        EXPECT_EQ(t.Comment(), c.comment) << c.name;
        EXPECT_EQ(t.Lyrics(), c.lyrics) << c.name;
    }
    cMP3ID3v2 t = load(tag(3, cases[1].frames, 10) + audio());
    EXPECT_EQ(t.TagsInFrame("COMM"), 3);
}

TEST_F(Id3v2Read, GenreFrame) {
    struct Case {
        std::string data;
        int genre;
        std::string other;
    };
    for (const Case& c : {Case{"(17)Rock", 17, "Rock"}, Case{"(17)", 17, "Rock"}, Case{"(7)X", 7, "X"},
                          Case{"Rock", 255, "Rock"}, Case{"(RX)", 255, "(RX)"}, Case{"(300)", 255, "(300)"},
                          Case{")1(", 255, ")1("},
                          // A bare number, as ID3v2.4 writes a code, reads as the code in brackets.
                          Case{"13", 13, "Pop"}, Case{"(13)", 13, "Pop"}, Case{"13 Pop", 255, "13 Pop"},
                          Case{"255", 255, ""}, Case{"256", 255, "256"}, Case{"Pop", 255, "Pop"}}) {
        for (int version : {3, 4}) {
            std::string frame = version == 3 ? frame23("TCON", latin1(c.data)) : frame24("TCON", latin1(c.data));
            cMP3ID3v2 t = load(tag(version, frame, 10) + audio());
            EXPECT_EQ(t.Genre(), c.genre) << c.data << " in 2." << version;
            EXPECT_EQ(t.OtherGenreName(), c.other) << c.data << " in 2." << version;
        }
    }
}

TEST_F(Id3v2Read, TextEncodings) {
    struct Case {
        std::string data;
        std::string text;
    };
    const std::string le = bytes({1, 0xFF, 0xFE, 'H', 0, 0xE9, 0, 0xAC, 0x20});
    for (const Case& c : {
             Case{bytes({0, 'C', 'a', 'f', 0xE9, 0x80}), "Caf\xC3\xA9\xE2\x82\xAC"},  // Windows-1252
             Case{le, "H\xC3\xA9\xE2\x82\xAC"},
             Case{bytes({1, 0xFE, 0xFF, 0, 'H', 0, 0xE9}), "H\xC3\xA9"},
             Case{bytes({1, 0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), "\xF0\x9F\x98\x80"},  // a surrogate pair
             Case{bytes({2, 0, 'H', 0, 0xE9}), "H\xC3\xA9"},
             Case{bytes({3, 'H', 0xC3, 0xA9}), "H\xC3\xA9"},
             Case{bytes({0, 'T', 0, 'x'}), "Tx"},  // NULs are dropped, nothing else is trimmed
             Case{bytes({1, 0xFF, 0xFE, 'a', 0, 0, 0, 0xFF, 0xFE, 'b', 0}), "ab"},
         }) {
        cMP3ID3v2 t = load(tag(3, frame23("TIT2", c.data), 10) + audio());
        EXPECT_EQ(t.Title(), c.text);
    }
}

TEST_F(Id3v2Read, CommentLyricsAndLinksGiveTheirTextAlone) {
    std::string comm = bytes({1}) + "eng" + bytes({0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 'c', 0});
    std::string uslt = std::string("\0eng\0line one\r\nline two", 24);
    std::string wxxx = std::string("\0Homepage\0http://h.example", 26);
    std::string frames = frame23("COMM", comm) + frame23("USLT", uslt) + frame23("WXXX", wxxx) +
                         frame23("WOAF", "http://f.example") + frame23("WCOM", std::string("\0http://c.example", 17)) +
                         frame23("TRCK", latin1("3/11")) + frame23("TYER", latin1("2004")) +
                         frame23("TENC", latin1("enc")) + frame23("TCOP", latin1("(c)")) + frame23("TOPE", latin1("orig")) +
                         frame23("TCOM", latin1("comp")) + frame23("TALB", latin1("alb"));
    cMP3ID3v2 t = load(tag(3, frames, 10) + audio());
    EXPECT_EQ(t.Comment(), "c");
    EXPECT_EQ(t.Lyrics(), "line one\r\nline two");
    EXPECT_EQ(t.LinkTo(), "http://h.example");  // the URL, not the description
    EXPECT_EQ(t.AudioURL(), "http://f.example");
    EXPECT_EQ(t.BuyURL(), "http://c.example");  // the old writer's leading zero byte dropped
    EXPECT_EQ(t.Track(), "3/11");
    EXPECT_EQ(t.Year(), "2004");
    EXPECT_EQ(t.EncodedBy(), "enc");
    EXPECT_EQ(t.Copyright(), "(c)");
    EXPECT_EQ(t.OriginalArtist(), "orig");
    EXPECT_EQ(t.Composer(), "comp");
    EXPECT_EQ(t.Album(), "alb");
}

TEST_F(Id3v2Read, PlayCounterIsTheCountInDecimal) {
    for (auto [body, text] : {std::pair{bytes({0, 0, 1, 2}), "258"}, std::pair{bytes({1, 0, 0, 0, 0}), "4294967296"},
                              std::pair{std::string("\0" "42", 3), "42"},
                              // Leading zero bytes do not count towards the length.
                              std::pair{std::string(500, '\0') + bytes({1, 2}), "258"},
                              // A counter of hundreds of digits is no count anyone kept: not
                              // converted, so a crafted frame cannot make the load take minutes.
                              std::pair{std::string(65, '\x01'), ""}}) {
        cMP3ID3v2 t = load(tag(3, frame23("PCNT", body), 10) + audio());
        EXPECT_EQ(t.PlayCounter(), text);
    }
}

TEST_F(Id3v2Read, LastFrameOfAnIdentifierWinsAndEveryValueIsStored) {
    std::string frames = frame23("TIT2", latin1("first")) + frame23("TIT2", latin1("second"));
    cMP3ID3v2 t = load(tag(3, frames, 10) + audio());
    EXPECT_EQ(t.Title(), "second");
    EXPECT_EQ(t.TagsInFrame("TIT2"), 2);
    EXPECT_EQ(t.FrameCount(), 1);
}

// A frame of no bytes is invalid and holds nothing: it is no frame, as mutagen
// reads it, and it does not hide an earlier frame of its identifier.
TEST_F(Id3v2Read, FramesOfNoBytesAreNotStored) {
    for (int version : {2, 3, 4}) {
        auto frame = [&](std::string_view id23, std::string_view id22, std::string_view body) {
            return version == 2 ? frame22(id22, body) : version == 3 ? frame23(id23, body) : frame24(id23, body);
        };
        std::string frames = frame("TOPE", "TOA", latin1("orig")) + frame("TOPE", "TOA", "") +
                             frame("TENC", "TEN", "") + frame("TIT2", "TT2", latin1("t"));
        cMP3ID3v2 t = load(tag(version, frames, 10) + audio());
        EXPECT_EQ(t.OriginalArtist(), "orig") << version;
        EXPECT_EQ(t.TagsInFrame("TOPE"), 1) << version;
        EXPECT_EQ(t.TagsInFrame("TENC"), 0) << version;
        EXPECT_EQ(t.Title(), "t") << version;
    }
}

TEST_F(Id3v2Read, VersionFourSizesFlagsAndUnsynchronisation) {
    // A syncsafe frame size above 127, a frame with its own unsynchronisation
    // flag (0x0002) and data length indicator (0x0001), and a footer.
    std::string longTitle = latin1(std::string(200, 't'));
    std::string unsynced = bytes({0, 0, 0, 4}) + bytes({0, 'a', 0xFF, 0x00, 'b'});
    std::string frames = frame24("TIT2", longTitle) + frame24("TPE1", unsynced, 0x0003);
    std::string t4 = "ID3" + bytes({4, 0, 0x10}) + syncsafe(static_cast<std::uint32_t>(frames.size() + 10)) + frames +
                     std::string(10, '\0') + "3DI" + bytes({4, 0, 0x10}) + syncsafe(static_cast<std::uint32_t>(frames.size() + 10));
    cMP3ID3v2 t = load(t4 + audio());
    EXPECT_EQ(t.TagVersion(), 4);
    EXPECT_EQ(t.Title(), std::string(200, 't'));
    EXPECT_EQ(t.Artist(), "a\xC3\xBF" "b");
    // A plain (non-syncsafe) frame size, as some writers stored it.
    std::string plainSized = std::string("TALB") + be32(201) + bytes({0, 0}) + latin1(std::string(200, 'p')) +
                             frame24("TYER", latin1("1999"));
    cMP3ID3v2 p = load(tag(4, plainSized, 10) + audio());
    EXPECT_EQ(p.Album(), std::string(200, 'p'));
    EXPECT_EQ(p.Year(), "1999");
}

TEST_F(Id3v2Read, WholeTagUnsynchronisationAndExtendedHeadersAreUndone) {
    std::string frames = frame23("TIT2", bytes({0, 'x', 0xFF, 0xFF, 'y'}));
    std::string stored;  // unsynchronised: every 0xFF gets a 0x00 behind it
    for (char c : frames) {
        stored += c;
        if (static_cast<unsigned char>(c) == 0xFF) stored += '\0';
    }
    cMP3ID3v2 u = load(tag(3, stored, 10, 0x80) + audio());
    EXPECT_EQ(u.Title(), "x\xC3\xBF\xC3\xBFy");

    std::string ext3 = be32(6) + bytes({0, 0, 0, 0, 0, 0});
    cMP3ID3v2 e3 = load(tag(3, ext3 + frame23("TIT2", latin1("e3")), 10, 0x40) + audio());
    EXPECT_EQ(e3.Title(), "e3");
    std::string ext4 = syncsafe(6) + bytes({1, 0});
    cMP3ID3v2 e4 = load(tag(4, ext4 + frame24("TIT2", latin1("e4")), 10, 0x40) + audio());
    EXPECT_EQ(e4.Title(), "e4");
}

TEST_F(Id3v2Read, CompressedAndEncryptedFramesAreKeptButNotRead) {
    std::string frames = frame23("TIT2", be32(5) + "zlib-bytes", 0x0080) + frame23("TPE1", bytes({0x80}) + "cipher", 0x0040) +
                         frame23("TALB", latin1("plain"));
    cMP3ID3v2 t = load(tag(3, frames, 10) + audio());
    EXPECT_EQ(t.Title(), "");
    EXPECT_EQ(t.Artist(), "");
    EXPECT_EQ(t.Album(), "plain");
    EXPECT_EQ(t.FrameCount(), 3);
}

// Malformed input. Only a frame size with its top bit set, which cannot be a
// length, raises from the MP3File setter (error 5, the frames before it kept);
// everything else ends the walk quietly with the frames read so far.
TEST_F(Id3v2Read, MalformedInputThatRaisesFromTheSetter) {
    for (int version : {3, 4}) {
        std::string bad = std::string("TALB") + bytes({0x80, 0, 0, 1, 0, 0}) + "x";
        std::string frames = frame23("TIT2", latin1("kept")) + bad + frame23("TPE1", latin1("lost"));
        testsupport::writeFile(dir.file("bad.mp3"), tag(version, frames, 10) + audio());
        cMP3ID3v2 t;
        try {
            t.setMP3File(dir.file("bad.mp3"));
            ADD_FAILURE() << "no error";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), 5);
            EXPECT_EQ(e.source(), runtime::App::Title() + ".cMP3ID3v2");
        }
        EXPECT_EQ(t.Title(), "kept");
        EXPECT_EQ(t.Artist(), "");
        EXPECT_EQ(t.FrameCount(), 1);
        EXPECT_FALSE(runtime::Files().IsOpen(1));
    }
}

TEST_F(Id3v2Read, MalformedInputThatOnlyEndsTheWalk) {
    const std::string first = frame23("TIT2", latin1("kept"));
    const std::string after = frame23("TPE1", latin1("after"));
    std::string cut = tag(3, first + after, 0);
    cut[9] = static_cast<char>(cut[9] - 3);  // the tag ends inside the second frame
    struct Case {
        const char* what;
        std::string file;
        int frames;
    };
    for (const Case& c : {
             Case{"size beyond the tag", cut + audio(), 1},
             Case{"frame larger than the bytes left", tag(3, first + std::string("TPE1") + be32(5000) + bytes({0, 0}) + "x", 10), 1},
             Case{"tag larger than the file", tag(3, first, 100000).substr(0, 60), 1},
             Case{"lower-case identifier", tag(3, first + frame23("tpe1", latin1("x")) + after, 10) + audio(), 1},
             Case{"identifier with a blank", tag(3, first + frame23("TP 1", latin1("x")) + after, 10) + audio(), 1},
             Case{"padding", tag(3, first, 30) + after + audio(), 1},
             Case{"garbage padding", tag(3, first + std::string(20, '\xFF'), 0) + audio(), 1},
             Case{"extended header too large", tag(3, be32(9999) + first, 10, 0x40) + audio(), 0},
             Case{"compressed 2.2 tag", tag(2, frame22("TT2", latin1("x")), 10, 0x40) + audio(), 0},
             Case{"2.2 frame beyond the tag", tag(2, frame22("TT2", latin1("ok")) + "TP1" + bytes({0xFF, 0xFF, 0xFF}), 0) + audio(), 1},
         }) {
        cMP3ID3v2 t = load(c.file);
        EXPECT_TRUE(t.HasID3v2Tag()) << c.what;
        EXPECT_EQ(t.FrameCount(), c.frames) << c.what;
    }
}

TEST_F(Id3v2Read, AFileLockedByAWriterReadsAsWithoutATag) {
    testsupport::writeFile(dir.file("w.mp3"), tag(3, frame23("TIT2", latin1("x")), 10) + audio());
    auto& files = runtime::Files();
    int n = files.FreeFile();
    files.Open(dir.file("w.mp3"), runtime::OpenMode::Binary, n, runtime::Access::ReadWrite, runtime::Lock::ReadWrite);
    cMP3ID3v2 t;
    t.setMP3File(dir.file("w.mp3"));
    EXPECT_FALSE(t.HasID3v2Tag());
    EXPECT_EQ(t.FrameCount(), 0);
    files.Close(n);
}

// Files of an independent library's test suite where a plain and a syncsafe
// reading of a size could both look plausible.
TEST_F(Id3v2Read, CorpusFilesReadWithTheStandardSizes) {
    std::string corpus = testsupport::corpusDir();
    if (!testsupport::exists(corpus)) GTEST_SKIP() << "no corpus";
    cMP3ID3v2 v;
    v.setMP3File(corpus + "/vbri.mp3");
    EXPECT_EQ(v.Title(), "I Can Walk On Water I Can Fly");
    EXPECT_EQ(v.Artist(), "Basshunter");
    EXPECT_EQ(v.Track(), "01");
    EXPECT_EQ(v.Year(), "2007");
    EXPECT_EQ(v.Genre(), 3);
    EXPECT_EQ(v.OtherGenreName(), "Dance");

    cMP3ID3v2 u;
    u.setMP3File(corpus + "/id3v23_unsynch.id3");
    EXPECT_EQ(u.Title(), "My babe just cares for me");
    EXPECT_EQ(u.Artist(), "Nina Simone");
    EXPECT_EQ(u.Album(), "100% Jazz");
    EXPECT_EQ(u.Track(), "03");

    cMP3ID3v2 i;
    i.setMP3File(corpus + "/issue_21.id3");
    EXPECT_EQ(i.TagVersion(), 4);
    EXPECT_EQ(i.Title(), "Punk To Funk");
    EXPECT_EQ(i.Artist(), "FatBoy Slim");
    EXPECT_EQ(i.Track(), "9");
    EXPECT_EQ(i.TagsInFrame("PRIV"), 2);

    cMP3ID3v2 x;
    x.setMP3File(corpus + "/id3v24_extended_header.id3");
    EXPECT_EQ(x.Title(), "One Second of Silence");
    EXPECT_EQ(x.Artist(), "Snild Dolkow");
    EXPECT_EQ(x.Comment(), "This is a comment!");
    EXPECT_EQ(x.OtherGenreName(), "Relaxation..? :)");
}

}  // namespace
