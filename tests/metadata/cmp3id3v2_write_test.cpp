// Writing cMP3ID3v2 back into the file: the tag's layout and size, in-place
// and growing writes, frames kept whole or converted to 2.3, text encodings,
// and what Update refuses to do.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "../runtime/fs_test_support.hpp"
#include "id3v2_fixtures.hpp"
#include "metadata/cmp3id3v2.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "testsupport/path_swaps.hpp"
#include "testsupport/support.hpp"

namespace {

using namespace id3v2test;
using metadata::cMP3ID3v2;
using testsupport::readFile;
using testsupport::writeFile;

class Id3v2Write : public ::testing::Test {
protected:
    std::string path(const char* name = "t.mp3") { return dir.file(name); }
    // Loads `content`, lets `change` work on the object, writes, returns the file.
    template <typename F>
    std::string updated(std::string_view content, F&& change, const char* name = "t.mp3") {
        cMP3ID3v2 t = loaded(path(name), content);
        change(t);
        t.Update();
        return readFile(path(name));
    }
    testsupport::TempDir dir;
};

TEST_F(Id3v2Write, NewTagIsPaddedToTheNextMultipleOf2048) {
    std::string original(10000, 'a');
    std::string file = updated(original, [](cMP3ID3v2& t) { t.AddTag("TIT2", "Song"); });
    ASSERT_EQ(file.size(), 12048u);
    // Version 3, no flags, syncsafe size of the 2038 bytes after the header.
    EXPECT_EQ(file.substr(0, 10), "ID3" + bytes({3, 0, 0, 0, 0, 0x0F, 0x76}));
    EXPECT_EQ(file.substr(10, 15), "TIT2" + bytes({0, 0, 0, 5, 0, 0, 0}) + "Song");
    EXPECT_EQ(file.substr(25, 2048 - 25), std::string(2048 - 25, '\0'));
    EXPECT_EQ(file.substr(2048), original);

    // Again with a shorter title: in place, same length and size field, and
    // the old text zeroed rather than left in the padding.
    std::string again = updated(file, [](cMP3ID3v2& t) { t.setTitle("S"); });
    ASSERT_EQ(again.size(), 12048u);
    EXPECT_EQ(again.substr(0, 10), file.substr(0, 10));
    EXPECT_EQ(frameBody(again, "TIT2"), latin1("S"));
    EXPECT_EQ(again.find("Song"), std::string::npos);
    EXPECT_EQ(again.substr(2048), original);
}

TEST_F(Id3v2Write, BuiltLengthOfExactly2048GrowsTo4096) {
    // 10 header + 10 frame header + L + 4 end marker = 2048.
    std::string file = updated(audio(), [](cMP3ID3v2& t) { t.AddTag("TIT2", std::string(2023, 'x')); });
    EXPECT_EQ(tagSize(file) + 10, 4096u);
    EXPECT_EQ(file.substr(4096), audio());
}

TEST_F(Id3v2Write, GrowingAnOldTagKeepsTheAudioRightBehindTheNewOne) {
    std::string old = tag(3, frame23("TIT2", latin1("x")), 2038 - 12) + audio();
    ASSERT_EQ(tagSize(old), 2038u);
    std::string file = updated(old, [](cMP3ID3v2& t) { t.setAlbum(std::string(2100, 'b')); });
    EXPECT_EQ(tagSize(file) + 10, 4096u);
    EXPECT_EQ(file.substr(4096), audio());
    EXPECT_EQ(frameIds(file), "TIT2 TALB");
}

TEST_F(Id3v2Write, FramesAreWrittenInStoreOrderAndIdentifiersWithID3AreSkipped) {
    std::string file = updated(audio(), [](cMP3ID3v2& t) {
        t.AddTag("TIT2", "t");
        t.AddTag("COMM", std::string("eng\0one", 7));
        t.AddTag("XID3", "skipped");
        t.AddTag("COMM", std::string("eng\0two", 7));
    });
    EXPECT_EQ(frameIds(file), "TIT2 COMM COMM");
    EXPECT_EQ(frameBody(file, "COMM", 2), std::string("\0eng\0two", 8));
}

TEST_F(Id3v2Write, LongValueGetsAPlainFrameSize) {
    std::string file = updated(audio(), [](cMP3ID3v2& t) { t.setTitle(std::string(70000, 'l')); });
    EXPECT_EQ(file.substr(14, 4), bytes({0, 1, 17, 113}));  // 70001
}

TEST_F(Id3v2Write, IdentifiersThatCannotBeWrittenRaiseBeforeTheFileIsTouched) {
    writeFile(path(), audio());
    for (const char* id : {"TT", "TI 2", "T\xC3\xA9T2"}) {
        cMP3ID3v2 t;
        t.setMP3File(path());
        t.AddTag(id, "x");
        runtime::Error e = raised([&] { t.Update(); });
        EXPECT_EQ(e.number(), 5) << id;
        EXPECT_EQ(e.source(), runtime::App::Title() + ".cMP3ID3v2");
        EXPECT_EQ(readFile(path()), audio());
    }
    // A longer identifier is cut to four characters, lower case raised.
    std::string file = updated(audio(), [](cMP3ID3v2& t) { t.AddTag("tit2xyz", "x"); });
    EXPECT_EQ(frameIds(file), "TIT2");
}

TEST_F(Id3v2Write, EveryPropertyRoundTrips) {
    const std::string uni = "\xE6\x97\xA5\xE6\x9C\xAC \xE2\x82\xAC";  // CJK and the euro sign
    writeFile(path(), audio());
    cMP3ID3v2 t;
    t.setMP3File(path());
    t.setTitle("Title " + uni);
    t.setArtist("Art\xC3\xA9");
    t.setAlbum("Album");
    t.setYear("1999");
    t.setComment("5 nice " + uni);
    t.setTrack("3/12");
    t.setGenre(17);
    t.setOtherGenreName("Rock");
    t.setOriginalArtist("Orig");
    t.setComposer("Comp");
    t.setCopyright("(c) 1999");
    t.setEncodedBy("Enc");
    t.setLinkTo("http://link.example/" + uni);
    t.setLyrics("la la\r\n" + uni);
    t.setArtistURL("http://artist.example");
    t.setAudioURL("http://audio.example");
    t.setBuyURL("http://buy.example");
    t.setPlayCounter("1234567");
    t.Update();

    cMP3ID3v2 r;
    r.setMP3File(path());
    EXPECT_EQ(r.TagVersion(), 3);
    EXPECT_EQ(r.Title(), "Title " + uni);
    EXPECT_EQ(r.Artist(), "Art\xC3\xA9");
    EXPECT_EQ(r.Album(), "Album");
    EXPECT_EQ(r.Year(), "1999");
    EXPECT_EQ(r.Comment(), "5 nice " + uni);
    EXPECT_EQ(r.Track(), "3/12");
    EXPECT_EQ(r.Genre(), 17);
    EXPECT_EQ(r.OtherGenreName(), "Rock");
    EXPECT_EQ(r.OriginalArtist(), "Orig");
    EXPECT_EQ(r.Composer(), "Comp");
    EXPECT_EQ(r.Copyright(), "(c) 1999");
    EXPECT_EQ(r.EncodedBy(), "Enc");
    // A URL field is Latin-1: what it cannot hold is percent-encoded.
    EXPECT_EQ(r.LinkTo(), "http://link.example/%E6%97%A5%E6%9C%AC %E2%82%AC");
    EXPECT_EQ(r.Lyrics(), "la la\r\n" + uni);
    EXPECT_EQ(r.ArtistURL(), "http://artist.example");
    EXPECT_EQ(r.AudioURL(), "http://audio.example");
    EXPECT_EQ(r.BuyURL(), "http://buy.example");
    EXPECT_EQ(r.PlayCounter(), "1234567");
    EXPECT_EQ(readFile(path()).substr(2048), audio());
}

TEST_F(Id3v2Write, FrameLayouts) {
    const std::string euro = "\xE2\x82\xAC";
    std::string file = updated(audio(), [&](cMP3ID3v2& t) {
        t.setTitle("Caf\xC3\xA9");   // fits Latin-1: encoding 0
        t.setArtist("5 " + euro);    // the euro sign does not: UTF-16 with BOM
        t.setComment(euro);
        t.setLyrics("words");
        t.setLinkTo("http://l.example");
        t.setArtistURL("http://a.example");
        t.setBuyURL("");             // an empty URL frame is not written
        t.setPlayCounter("258");
    });
    EXPECT_EQ(frameBody(file, "TIT2"), bytes({0, 'C', 'a', 'f', 0xE9}));
    EXPECT_EQ(frameBody(file, "TPE1"), bytes({1, 0xFF, 0xFE, '5', 0, ' ', 0, 0xAC, 0x20}));
    EXPECT_EQ(frameBody(file, "COMM"), bytes({1, 0, 'n', 't', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 0xAC, 0x20}));
    EXPECT_EQ(frameBody(file, "USLT"), std::string("\0eng\0words", 10));
    EXPECT_EQ(frameBody(file, "WXXX"), std::string("\0\0http://l.example", 18));
    EXPECT_EQ(frameBody(file, "WOAR"), "http://a.example");
    EXPECT_EQ(frameBody(file, "WCOM"), "<none>");
    EXPECT_EQ(frameBody(file, "PCNT"), bytes({0, 0, 1, 2}));
}

TEST_F(Id3v2Write, UnchangedFramesAreWrittenBackByteForByte) {
    const std::string apic = std::string("\0image/png\0\x03" "cover\0", 19) + std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::string priv = std::string("owner@example\0\x00\xFF\x00\x01", 18);
    const std::string ufid = std::string("http://id.example\0\x01\x02\x03", 21);
    const std::string popm = std::string("rater@example\0\xFF\0\0\0\x07", 19);
    const std::string utf16 = bytes({1, 0xFE, 0xFF, 0, 'B', 0, 'E'});  // big-endian BOM, kept as it was
    const std::string compressed = be32(100) + "x\x9C compressed bytes";
    std::string frames = frame23("APIC", apic) + frame23("PRIV", priv) + frame23("UFID", ufid) + frame23("POPM", popm) +
                         frame23("PCNT", bytes({0, 0, 0, 9})) + frame23("TPE1", utf16) +
                         frame23("TIT3", compressed, 0x0080) + frame23("TIT2", latin1("old"), 0x2000) +
                         frame23("TXXX", std::string("\0key\0value", 10), 0x4000);
    std::string original = tag(3, frames, 100) + audio();
    std::string file = updated(original, [](cMP3ID3v2& t) { t.setTitle("new"); });
    EXPECT_EQ(frameIds(file), "APIC PRIV UFID POPM PCNT TPE1 TIT3 TXXX TIT2");
    // Everything before the changed frame is untouched, flags included.
    std::size_t before = frames.find("TIT2");
    EXPECT_EQ(file.substr(10, before), original.substr(10, before));
    EXPECT_EQ(file.find(frame23("TXXX", std::string("\0key\0value", 10), 0x4000)), 10 + before);
    EXPECT_EQ(file.substr(tagSize(file) + 10), audio());
}

// A frame of no bytes is invalid in every version, and TagLib stops reading a
// tag at one, so every frame after it would be lost to it. Such frames carry
// nothing; the load drops them, so they are not written back.
TEST_F(Id3v2Write, EmptyFramesOfOtherWritersAreLeftOut) {
    struct Case {
        const char* what;
        std::string tag;
    };
    for (const Case& c : {
             Case{"2.3", tag(3, frame23("TENC", "") + frame23("TIT2", latin1("t")) + frame23("WXXX", ""), 20)},
             Case{"2.4", tag(4, frame24("TENC", "") + frame24("TIT2", latin1("t")) + frame24("TCOP", ""), 20)},
             Case{"2.2", tag(2, frame22("TEN", "") + frame22("TT2", latin1("t")), 20)},
         }) {
        std::string file = updated(c.tag + audio(), [](cMP3ID3v2& t) { t.setAlbum("a"); });
        EXPECT_EQ(frameIds(file), "TIT2 TALB") << c.what;
        EXPECT_EQ(file.substr(tagSize(file) + 10), audio()) << c.what;
    }
}

TEST_F(Id3v2Write, VersionFourFramesAreConvertedTo23) {
    std::string utf8Title = bytes({3}) + "Gr\xC3\xBC\xC3\x9F " "\xE2\x82\xAC";
    std::string longText = latin1(std::string(300, 'z'));            // syncsafe 300 differs from plain
    std::string grouped = bytes({0x42}) + latin1("grouped");            // group byte in front
    std::string withLength = bytes({0, 0, 0, 5}) + latin1("four");      // data length indicator
    std::string compressed = bytes({0, 0, 1, 0}) + "zlib";               // 2.4: length, then the data
    std::string comm = bytes({3}) + "eng" + "d\xC3\xA9sc" + bytes({0}) + "\xE2\x82\xAC";
    std::string apic = bytes({3}) + "image/jpeg" + bytes({0, 3}) + "\xC3\xA9t\xC3\xA9" + bytes({0}) + "\xFF\xD8";
    std::string wxxx = bytes({3}) + "\xE2\x82\xAC" + bytes({0}) + "http://w.example";
    std::string frames = frame24("TIT2", utf8Title) + frame24("TALB", longText) + frame24("TPE2", grouped, 0x0040) +
                         frame24("TCOM", withLength, 0x0001) + frame24("TIT3", compressed, 0x0009) +
                         frame24("COMM", comm) + frame24("APIC", apic) + frame24("WXXX", wxxx) +
                         frame24("TPE4", latin1("ro"), 0x1000) + frame24("TDRC", latin1("2004"));
    std::string original = tag(4, frames, 50) + audio();
    std::string file = updated(original, [](cMP3ID3v2& t) { t.setArtist("a"); });

    EXPECT_EQ(file[3], 3);
    EXPECT_EQ(frameIds(file), "TIT2 TALB TPE2 TCOM TIT3 COMM APIC WXXX TPE4 TYER TPE1");
    EXPECT_EQ(frameBody(file, "TIT2"), bytes({1, 0xFF, 0xFE, 'G', 0, 'r', 0, 0xFC, 0, 0xDF, 0, ' ', 0, 0xAC, 0x20}));
    EXPECT_EQ(frameBody(file, "TALB"), longText);
    EXPECT_EQ(frameBody(file, "TPE2"), bytes({0x42}) + latin1("grouped"));
    EXPECT_EQ(file.substr(file.find("TPE2") + 8, 2), bytes({0, 0x20}));  // 2.3 grouping flag
    EXPECT_EQ(frameBody(file, "TCOM"), latin1("four"));                // length dropped: 2.3 has none
    EXPECT_EQ(file.substr(file.find("TCOM") + 8, 2), bytes({0, 0}));
    EXPECT_EQ(frameBody(file, "TIT3"), be32(128) + "zlib");            // 2.3 decompressed size (plain)
    EXPECT_EQ(file.substr(file.find("TIT3") + 8, 2), bytes({0, 0x80}));
    EXPECT_EQ(frameBody(file, "COMM"), bytes({1}) + "eng" + bytes({0xFF, 0xFE, 'd', 0, 0xE9, 0, 's', 0, 'c', 0, 0, 0,
                                                                   0xFF, 0xFE, 0xAC, 0x20}));
    EXPECT_EQ(frameBody(file, "APIC"), bytes({0}) + "image/jpeg" + bytes({0, 3, 0xE9, 't', 0xE9, 0, 0xFF, 0xD8}));
    EXPECT_EQ(frameBody(file, "WXXX"), bytes({1, 0xFF, 0xFE, 0xAC, 0x20, 0, 0}) + "http://w.example");
    EXPECT_EQ(file.substr(file.find("TPE4") + 8, 2), bytes({0x20, 0}));  // read-only status moved to 2.3's bit
    EXPECT_EQ(frameBody(file, "TYER"), latin1("2004"));  // 2.3 has no TDRC: its year frame takes it

    cMP3ID3v2 r;
    r.setMP3File(path());
    EXPECT_EQ(r.Title(), "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
    EXPECT_EQ(r.Comment(), "");  // a comment with a description is another program's, not the property's
    EXPECT_EQ(file.substr(tagSize(file) + 10), audio());
}

TEST_F(Id3v2Write, TheRecordingTimeOfA24TagIsTheYearAndBecomesOneYearFrame) {
    std::string utf16Time = bytes({1, 0xFF, 0xFE, '2', 0, '0', 0, '0', 0, '4', 0, '-', 0, '0', 0, '5', 0});
    // The rest of the timestamp goes into 2.3's date (DDMM) and time (HHMM) frames.
    struct Case { std::string body; const char* year; const char* ids; const char* date; const char* time; };
    for (const Case& c : {Case{latin1("2004-05-12T10:30"), "2004", "TYER TDAT TIME TIT2", "1205", "1030"},
                          Case{utf16Time, "2004", "TYER TIT2", "", ""},
                          Case{bytes({3}) + "2004-11-02", "2004", "TYER TDAT TIT2", "0211", ""},
                          Case{latin1("spring"), "spring", "TYER TIT2", "", ""}}) {
        std::string original = tag(4, frame24("TIT2", latin1("t")) + frame24("TDRC", c.body), 30) + audio();
        cMP3ID3v2 read = loaded(path(), original);
        EXPECT_EQ(read.Year(), c.year);

        // Left alone, the year is written as 2.3's year frame; changed, the
        // new year replaces it, so no reader keeps showing the old one.
        std::string kept = updated(original, [](cMP3ID3v2& t) { t.setTitle("u"); });
        EXPECT_EQ(frameIds(kept), c.ids);  // the title setter moved its frame to the end
        EXPECT_EQ(frameBody(kept, "TYER"), latin1(c.year));
        if (*c.date) {
            EXPECT_EQ(frameBody(kept, "TDAT"), latin1(c.date));
        }
        if (*c.time) {
            EXPECT_EQ(frameBody(kept, "TIME"), latin1(c.time));
        }
        std::string changed = updated(original, [](cMP3ID3v2& t) { t.setYear("1999"); });
        EXPECT_EQ(frameIds(changed), "TIT2 TYER");
        EXPECT_EQ(frameBody(changed, "TYER"), latin1("1999"));
        EXPECT_EQ(changed.substr(tagSize(changed) + 10), audio());
    }
}

TEST_F(Id3v2Write, VersionTwoFramesTakeTheir23Form) {
    std::string pic = bytes({0}) + "PNG" + bytes({3}) + "cover" + bytes({0}) + "\x89PNG";
    std::string jpg = bytes({0}) + "JPG" + bytes({4}) + bytes({0}) + "\xFF\xD8";
    std::string frames = frame22("TT2", latin1("Two")) + frame22("PIC", pic) + frame22("PIC", jpg) +
                         frame22("ULT", std::string("\0eng\0lyrics", 11)) + frame22("CNT", bytes({0, 0, 0, 7})) +
                         frame22("CRM", "secret") + frame22("LNK", "TT2http://x.example") + frame22("TXX", std::string("\0k\0v", 4));
    std::string file = updated(tag(2, frames, 20) + audio(), [](cMP3ID3v2& t) { t.setAlbum("new"); });
    EXPECT_EQ(frameIds(file), "TIT2 APIC APIC USLT PCNT TXXX TALB");
    EXPECT_EQ(frameBody(file, "APIC"), bytes({0}) + "image/png" + bytes({0, 3}) + "cover" + bytes({0}) + "\x89PNG");
    EXPECT_EQ(frameBody(file, "APIC", 2), bytes({0}) + "image/jpeg" + bytes({0, 4, 0}) + "\xFF\xD8");
    EXPECT_EQ(frameBody(file, "USLT"), std::string("\0eng\0lyrics", 11));
    EXPECT_EQ(frameBody(file, "PCNT"), bytes({0, 0, 0, 7}));
    cMP3ID3v2 r;
    r.setMP3File(path());
    EXPECT_EQ(r.Title(), "Two");
    EXPECT_EQ(r.Lyrics(), "lyrics");
    EXPECT_EQ(r.PlayCounter(), "7");
}

TEST_F(Id3v2Write, InPlaceWritesStoreTheRealExtentInSyncsafeForm) {
    // The old program's tag: plain size 2048 counting the header.
    std::string old = "ID3" + bytes({3, 0, 0}) + be32(2048) + frame23("TIT2", latin1("Old title"));
    old.resize(2048, '\0');
    std::string original = old + audio(24);
    std::string file = updated(original, [](cMP3ID3v2& t) { t.setTitle("New"); });
    ASSERT_EQ(file.size(), original.size());
    EXPECT_EQ(file.substr(6, 4), bytes({0, 0, 0x0F, 0x76}));
    EXPECT_EQ(file.substr(2048), original.substr(2048));
    EXPECT_EQ(file.find("Old title"), std::string::npos);

    // A 2.4 tag with a footer: its footer becomes padding of the 2.3 tag.
    std::string frames = frame24("TIT2", latin1("footer tag"));
    std::string v4 = "ID3" + bytes({4, 0, 0x10}) + syncsafe(static_cast<std::uint32_t>(frames.size() + 40)) + frames +
                     std::string(40, '\0') + "3DI" + bytes({4, 0, 0x10}) + syncsafe(static_cast<std::uint32_t>(frames.size() + 40));
    std::string f4 = updated(v4 + audio(), [](cMP3ID3v2& t) { t.setTitle("f"); }, "f.mp3");
    EXPECT_EQ(f4.size(), v4.size() + audio().size());
    EXPECT_EQ(tagSize(f4) + 10, v4.size());
    EXPECT_EQ(f4.find("3DI"), std::string::npos);
    EXPECT_EQ(f4.substr(v4.size()), audio());
}

TEST_F(Id3v2Write, InPlaceCostDoesNotTouchTheAudio) {
    std::string original = tag(3, frame23("TIT2", latin1("t")), 500) + audio(8);
    writeFile(path(), original);
    struct stat before;
    ASSERT_EQ(stat(path().c_str(), &before), 0);
    cMP3ID3v2 t;
    t.setMP3File(path());
    t.setTitle("u");
    t.Update();
    struct stat after;
    ASSERT_EQ(stat(path().c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);  // the same file, written where it stands
    // HasID3v2Tag and the version keep what the load found.
    cMP3ID3v2 fresh = loaded(path("n.mp3"), audio());
    fresh.setTitle("x");
    fresh.Update();
    EXPECT_FALSE(fresh.HasID3v2Tag());
    EXPECT_EQ(fresh.TagVersion(), 0);
}

TEST_F(Id3v2Write, GrowingReplacesTheFileAndKeepsItsPermissionsAttributesAndLinks) {
    writeFile(path("real.mp3"), tag(3, frame23("TIT2", latin1("t")), 10) + audio());
    ASSERT_EQ(chmod(path("real.mp3").c_str(), 0640), 0);
    bool xattrs = setxattr(path("real.mp3").c_str(), "user.test", "v", 1, 0) == 0;
    ASSERT_EQ(symlink("real.mp3", path("link.mp3").c_str()), 0);

    cMP3ID3v2 t;
    t.setMP3File(path("link.mp3"));
    t.setTitle(std::string(3000, 'g'));
    t.Update();

    struct stat st;
    ASSERT_EQ(lstat(path("link.mp3").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(path("real.mp3").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    if (xattrs) {
        char v[4] = {};
        EXPECT_EQ(getxattr(path("real.mp3").c_str(), "user.test", v, sizeof v), 1);
    }
    std::string file = readFile(path("real.mp3"));
    EXPECT_EQ(tagSize(file) + 10, 4096u);
    EXPECT_EQ(file.substr(4096), audio());
    // Nothing is left beside it.
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"link.mp3", "real.mp3"}));
}

TEST_F(Id3v2Write, AFileWithANameOfTheLongestLengthCanGrow) {
    // 254 bytes: the name of the file written beside it must not be longer
    // than the 255 bytes a name may have.
    std::string name = "xx";
    for (int i = 0; i < 124; ++i) name += "\xC3\xA9";
    name += ".mp3";
    ASSERT_EQ(name.size(), 254u);
    std::string file = updated(audio(), [](cMP3ID3v2& t) { t.setTitle("long name"); }, name.c_str());
    EXPECT_EQ(frameBody(file, "TIT2"), latin1("long name"));
    EXPECT_EQ(file.substr(2048), audio());
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{name}));
}

TEST_F(Id3v2Write, AFailedGrowLeavesTheOriginalUntouched) {
    const std::string original = tag(3, frame23("TIT2", latin1("t")), 10) + audio();
    // The rename fails (disk full, injected).
    writeFile(path(), original);
    cMP3ID3v2 t;
    t.setMP3File(path());
    t.setTitle(std::string(3000, 'g'));
    runtime::detail::FailNextReplace(ENOSPC);
    runtime::Error e = raised([&] { t.Update(); });
    EXPECT_EQ(e.number(), 61);
    EXPECT_EQ(e.source(), runtime::App::Title() + ".cMP3ID3v2");
    EXPECT_EQ(readFile(path()), original);
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"t.mp3"}));

    // A folder that cannot be written: 75, the file as it was.
    std::string sub = dir.file("ro");
    std::filesystem::create_directory(sub);
    writeFile(sub + "/t.mp3", original);
    cMP3ID3v2 r;
    r.setMP3File(sub + "/t.mp3");
    r.setTitle(std::string(3000, 'g'));
    Unwritable lock(sub);
    if (!lock.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_EQ(raised([&] { r.Update(); }).number(), 75);
    EXPECT_EQ(readFile(sub + "/t.mp3"), original);
}

// Update(ending): a tag that grows asks what its new file ends with, over a
// view of that file as it would be, and writes it there in place of the last
// bytes named; a tag written in place does not ask; an ending that fails
// leaves the file as it was.
TEST_F(Id3v2Write, AGrownTagsNewFileEndsAsTheEndingSays) {
    using Ending = metadata::FileEnding;
    struct Case {
        const char* name;
        std::string original;
        std::size_t padding;  // of the tag in `original`
        Ending ending;
        bool grows;
    };
    const std::string v1block = "TAG" + std::string(125, 'o');
    const std::string shortTail(40, 'x');  // less than a record behind the tag
    for (const Case& c : {
             Case{"appended", audio(), 0, Ending{0, "TAG" + std::string(125, 'n')}, true},
             Case{"over the old record", audio() + v1block, 0, Ending{125, std::string(125, 'n')}, true},
             Case{"nothing", audio(), 0, Ending{}, true},
             Case{"past the audio into the new tag", shortTail, 0, Ending{100, std::string(100, 'n')}, true},
             Case{"in place", audio() + v1block, 600, Ending{125, std::string(125, 'n')}, false},
         }) {
        SCOPED_TRACE(c.name);
        const std::string original =
            c.padding ? tag(3, frame23("TIT2", latin1("t")), c.padding) + c.original : c.original;
        cMP3ID3v2 t = loaded(path(), original);
        t.setTitle(std::string(100, 'g'));
        std::string view;
        bool asked = false;
        t.Update([&](std::int64_t length, const metadata::ReadAt& read) {
            asked = true;
            view = read(0, static_cast<std::size_t>(length) + 10);  // no more than there is
            EXPECT_EQ(static_cast<std::int64_t>(view.size()), length);
            return c.ending;
        });
        const std::string file = readFile(path());
        EXPECT_EQ(asked, c.grows);
        if (!c.grows) {
            EXPECT_EQ(file.size(), original.size());
            continue;
        }
        // The view is the file as it would be without the ending: the new
        // tag, then the old bytes after it.
        ASSERT_GE(view.size(), static_cast<std::size_t>(c.ending.replaced));
        EXPECT_EQ(tagSize(view), 2038u);
        EXPECT_TRUE(view.substr(2048) == c.original);
        EXPECT_TRUE(file == view.substr(0, view.size() - static_cast<std::size_t>(c.ending.replaced)) + c.ending.bytes);
    }

    // An ending that fails: nothing is written.
    const std::string original = audio() + v1block;
    cMP3ID3v2 t = loaded(path(), original);
    t.setTitle(std::string(100, 'g'));
    runtime::Error e = raised([&] {
        t.Update([](std::int64_t, const metadata::ReadAt&) -> Ending { throw runtime::Error(61); });
    });
    EXPECT_EQ(e.number(), 61);
    EXPECT_EQ(e.source(), runtime::App::Title() + ".cMP3ID3v2");
    EXPECT_EQ(readFile(path()), original);
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"t.mp3"}));
}

// Update writes only into the file the object read, whether the tag fits in
// place or grows: a path that names another file by then (or none) is refused
// and every file stays as it was.
TEST_F(Id3v2Write, UpdateWritesOnlyIntoTheFileItRead) {
    for (const testsupport::PathSwap& swap : testsupport::kPathSwaps) {
        for (bool grows : {false, true}) {
            SCOPED_TRACE(std::string(swap.name) + (grows ? ", a growing tag" : ", a tag written in place"));
            testsupport::TempDir folder;
            const std::string p = folder.file("t.mp3"), other = folder.file("other.mp3");
            const std::string loadedBytes = tag(3, frame23("TIT2", latin1("Loaded")), 500) + audio();
            const std::string otherBytes =
                tag(3, frame23("TIT2", latin1("Other")) + frame23("TALB", latin1("Kept")), 500) + audio(6);
            writeFile(other, otherBytes);
            cMP3ID3v2 t = loaded(p, loadedBytes);
            t.setTitle(grows ? std::string(3000, 'g') : "Edited");
            swap.apply(p, other);
            const auto atPath = testsupport::bytesAt(p);
            const runtime::Error e = raised([&] { t.Update(); });
            EXPECT_EQ(e.number(), swap.leavesAFile ? runtime::err::PathFileAccessError : runtime::err::FileNotFound);
            EXPECT_EQ(e.source(), runtime::App::Title() + ".cMP3ID3v2");
            EXPECT_TRUE(readFile(other) == otherBytes) << "the other file changed";
            EXPECT_TRUE(readFile(testsupport::movedTo(p)) == loadedBytes) << "the file that was read changed";
            EXPECT_TRUE(testsupport::bytesAt(p) == atPath) << "the file now at the path changed";
        }
    }
}

// A tag that grows puts a new file at the path; the object stands for that
// file from then on, so it can write again.
TEST_F(Id3v2Write, AfterAGrowingUpdateTheObjectStandsForTheNewFile) {
    cMP3ID3v2 t = loaded(path(), tag(3, frame23("TIT2", latin1("t")), 10) + audio());
    const auto before = t.fileIdentity();
    ASSERT_TRUE(before);
    t.setTitle(std::string(3000, 'g'));
    t.Update();
    ASSERT_TRUE(t.fileIdentity());
    EXPECT_NE(t.fileIdentity(), before);
    EXPECT_EQ(t.fileIdentity(), runtime::IdentityOf(path()));
    t.setTitle(std::string(5000, 'h'));  // grows again
    t.Update();
    t.setTitle("short");  // in place
    t.Update();
    EXPECT_EQ(frameBody(readFile(path()), "TIT2"), latin1("short"));
    EXPECT_EQ(t.fileIdentity(), runtime::IdentityOf(path()));
}

TEST_F(Id3v2Write, AKilledGrowingUpdateLeavesTheWholeOldFileOrTheWholeNewOne) {
    {
        int probe = open(dir.path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (probe < 0) GTEST_SKIP() << "the file system here makes no unnamed temporary files";
        close(probe);
    }
    // About 3 MB of audio, each update growing the tag by a 2048-byte step.
    const std::string sound = audio(7500);
    writeFile(path(), tag(3, frame23("TIT2", latin1("g")), 10) + sound);
    auto grow = [&] {
        cMP3ID3v2 t;
        t.setMP3File(path());
        t.setTitle(t.Title() + std::string(2048, 'g'));
        t.Update();
    };
    // A whole file: a tag whose title is all "g", then every audio byte.
    auto whole = [&](const std::string& file) {
        if (file.size() < 10 || file.compare(0, 3, "ID3") != 0) return false;
        const std::size_t extent = 10 + tagSize(file);
        const std::string title = frameBody(file, "TIT2");
        return file.size() == extent + sound.size() && file.compare(extent, std::string::npos, sound) == 0 &&
               title.size() >= 2 && title[0] == '\0' && title.find_first_not_of('g', 1) == std::string::npos;
    };
    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) grow();
    const auto oneUpdate = (std::chrono::steady_clock::now() - started) / 3;

    // Children that loop growing updates, killed at random points over a few
    // updates' time.
    std::mt19937 random(20261211);
    std::uniform_int_distribution<long long> delay(0, std::chrono::duration_cast<std::chrono::microseconds>(oneUpdate * 3).count());
    int changed = 0, leftTemporary = 0;
    std::string before = readFile(path());
    constexpr int kTrials = 36;
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;) grow();
            } catch (...) {
            }
            _exit(1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself";

        const std::string now = readFile(path());
        ASSERT_TRUE(whole(now));
        if (now != before) ++changed;
        before = now;
        for (const std::string& name : onlyEntries(dir.path())) {
            if (name == "t.mp3") continue;
            // Only a kill between the link and the rename leaves this: the
            // temporary file, whole.
            ASSERT_EQ(name.rfind(".t.mp3.tmp-", 0), 0u) << name;
            EXPECT_TRUE(whole(readFile(dir.file(name)))) << name;
            ++leftTemporary;
            std::filesystem::remove(dir.file(name));
        }
    }
    EXPECT_GT(changed, 0) << "no kill came after a finished update";
}

TEST_F(Id3v2Write, UpdateRefusesWhatItCannotWriteSafely) {
    // A missing path is not created.
    cMP3ID3v2 m;
    m.setMP3File(path("missing.mp3"));
    EXPECT_EQ(raised([&] { m.Update(); }).number(), 53);
    EXPECT_FALSE(testsupport::exists(path("missing.mp3")));

    // An empty file raises and stays empty.
    cMP3ID3v2 e = loaded(path("empty.mp3"), "");
    e.setTitle("x");
    EXPECT_EQ(raised([&] { e.Update(); }).source(), runtime::App::Title() + ".cMP3ID3v2");
    EXPECT_EQ(readFile(path("empty.mp3")), "");

    // A load that failed part-way: its own error again, the file unchanged.
    std::string broken = tag(3, frame23("TIT2", latin1("a")) + "TALB" + bytes({0x80, 0, 0, 0, 0, 0}), 10) + audio();
    writeFile(path("broken.mp3"), broken);
    cMP3ID3v2 b;
    EXPECT_THROW(b.setMP3File(path("broken.mp3")), runtime::Error);
    b.setTitle("x");
    EXPECT_EQ(raised([&] { b.Update(); }).number(), 5);
    EXPECT_EQ(readFile(path("broken.mp3")), broken);

    // A file another writer holds: the open's failure, the file unchanged.
    const std::string content = tag(3, frame23("TIT2", latin1("t")), 10) + audio();
    cMP3ID3v2 w = loaded(path("held.mp3"), content);
    w.setTitle("x");
    auto& files = runtime::Files();
    int n = files.FreeFile();
    files.Open(path("held.mp3"), runtime::OpenMode::Binary, n, runtime::Access::ReadWrite);
    EXPECT_EQ(raised([&] { w.Update(); }).number(), 70);
    files.Close(n);
    EXPECT_EQ(readFile(path("held.mp3")), content);

    // A load that could not open the file at all: that failure again.
    files.Open(path("held.mp3"), runtime::OpenMode::Binary, n, runtime::Access::ReadWrite);
    cMP3ID3v2 h;
    h.setMP3File(path("held.mp3"));
    files.Close(n);
    h.setTitle("x");
    EXPECT_EQ(raised([&] { h.Update(); }).number(), 70);
    EXPECT_EQ(readFile(path("held.mp3")), content);
}

}  // namespace
