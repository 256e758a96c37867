// The raw ID3v1 record reader and the genre lookups of CSPlaymodul.

#include <gtest/gtest.h>

#include "id3v1_mpeg_fixtures.hpp"
#include "metadata/csplaymodul.hpp"
#include "runtime/files.hpp"

namespace {

using metadata::Id3v1Record;
using metadata::CSPlaymodul::GenreCharToName;
using metadata::CSPlaymodul::GenreNameToChar;
using metadata::CSPlaymodul::ReadId3v1Record;

TEST(ReadId3v1Record, ReadsTheLastBlockWhole) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    testsupport::writeFile(path, std::string(500, 'x') +
                                     fixtures::id3v1Block("Song", "Band  ", "Disc", "1999",
                                                          "Nice" + std::string(24, '\0') + std::string("\0\x07", 2), 17));
    Id3v1Record rec;
    ASSERT_TRUE(ReadId3v1Record(path, rec));
    EXPECT_EQ(rec.Tag, "TAG");
    EXPECT_EQ(rec.Title, "Song" + std::string(26, '\0'));  // nothing trimmed
    EXPECT_EQ(rec.Artist, "Band  " + std::string(24, '\0'));
    EXPECT_EQ(rec.Album.size(), 30u);
    EXPECT_EQ(rec.Year, "1999");
    EXPECT_EQ(rec.Comment, "Nice" + std::string(25, '\0') + "\x07");
    EXPECT_EQ(rec.Genre, "\x11");
}

TEST(ReadId3v1Record, BytesAreWindows1252) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    testsupport::writeFile(path, fixtures::id3v1Block("Caf\xE9 \x92" "80s"));
    Id3v1Record rec;
    ASSERT_TRUE(ReadId3v1Record(path, rec));
    EXPECT_EQ(rec.Title.substr(0, 12), "Caf\xC3\xA9 \xE2\x80\x99" "80s");
}

TEST(ReadId3v1Record, FalseWithoutAValidBlock) {
    testsupport::TempDir dir;
    struct Case {
        const char* what;
        std::string content;
    } cases[] = {
        {"exactly 128 bytes", fixtures::id3v1Block("x")},
        {"127 bytes", fixtures::id3v1Block("x").substr(1)},
        {"lower-case marker", std::string(10, 'a') + fixtures::id3v1Block("x", {}, {}, {}, {}, 0, "tag")},
        {"no marker", std::string(300, 'a')},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        testsupport::writeFile(dir.file("f"), c.content);
        Id3v1Record rec;
        EXPECT_EQ(ReadId3v1Record(dir.file("f"), rec), c.content.size() == 128) << c.what;
    }
    Id3v1Record rec;
    EXPECT_FALSE(ReadId3v1Record(dir.file("missing.mp3"), rec));
    EXPECT_FALSE(testsupport::exists(dir.file("missing.mp3")));
    EXPECT_FALSE(ReadId3v1Record(dir.path(), rec));  // a folder
}

// The tag editor's loader keeps the file open as number 1; other code may hold
// number 1 on a different file.
TEST(ReadId3v1Record, ReadsItsOwnFileWhateverNumberOneHolds) {
    testsupport::TempDir dir;
    const std::string mine = dir.file("mine.mp3"), other = dir.file("other.mp3");
    testsupport::writeFile(mine, std::string(200, 'm') + fixtures::id3v1Block("Mine"));
    testsupport::writeFile(other, std::string(5000, 'o') + fixtures::id3v1Block("Other"));
    auto& files = runtime::Files();
    for (const std::string& held : {other, mine}) {
        files.Open(held, runtime::OpenMode::Binary, 1);
        Id3v1Record rec;
        EXPECT_TRUE(ReadId3v1Record(mine, rec)) << held;
        EXPECT_EQ(rec.Title.substr(0, 4), "Mine") << held;
        EXPECT_TRUE(files.IsOpen(1));
        EXPECT_EQ(files.FreeFile(), 2) << "the reader closed the number it took";
        files.Close(1);
    }
}

TEST(GenreLookups, TheEmptyTableAnswersAsIfNoGenreHadAName) {
    struct Case {
        std::string code;
        const char* name;
    } cases[] = {
        {std::string(1, '\0'), ""}, {"\x11", ""}, {"?", ""}, {"@", "Other"},  // '@' is 64
        {"", "Other"},              {"\xC3\xBF", "Other"},                    // U+00FF, code 255
    };
    for (const auto& c : cases) EXPECT_EQ(GenreCharToName(c.code), c.name) << c.code;
    EXPECT_EQ(GenreNameToChar("Rock"), "");
    EXPECT_EQ(GenreNameToChar(""), std::string(1, '\0'));
}

TEST(GenreLookups, ConsultOnlyEntriesUpTo63) {
    auto& table = metadata::CSPlaymodul::GenreTable;
    table[17] = "Rock";
    table[64] = "Native";
    EXPECT_EQ(GenreCharToName("\x11"), "Rock");
    EXPECT_EQ(GenreNameToChar("Rock"), "\x11");
    EXPECT_EQ(GenreNameToChar("Native"), "");
    EXPECT_EQ(GenreCharToName("@"), "Other");
    table[17].clear();
    table[64].clear();
}

}  // namespace
