// GetId3v1Info, its genre list, and the Lyrics3 v2 reader.

#include <gtest/gtest.h>

#include "id3v1_mpeg_fixtures.hpp"
#include "metadata/module7.hpp"
#include "runtime/files.hpp"

namespace {

using fixtures::id3v1Block;
using fixtures::lyrics3;
using metadata::Id3v1Info;
using metadata::Module7::GetId3v1Info;

struct Files {
    testsupport::TempDir dir;
    std::string write(const std::string& content) {
        std::string path = dir.file("f" + std::to_string(++count) + ".mp3");
        testsupport::writeFile(path, content);
        return path;
    }
    int count = 0;
};

const std::string kAudio(2000, '\x55');

TEST(GetId3v1Info, CleansTheFields) {
    Files f;
    Id3v1Info i = GetId3v1Info(f.write(
        kAudio + id3v1Block("  Four" + std::string(24, '\0'), "Four  " + std::string(24, '\0'), "Album", " 99 ",
                            "Four" + std::string(24, '\0') + std::string("\0\x05", 2), 140)));
    EXPECT_TRUE(i.HasTag);
    EXPECT_EQ(i.Title, "Four");
    EXPECT_EQ(i.Artist, "Four  ") << "blanks before NULs stay";
    EXPECT_EQ(i.Album, "Album");
    EXPECT_EQ(i.Year, "99");
    EXPECT_EQ(i.Comment, "Four\x05") << "all 30 bytes: the track byte stays";
    ASSERT_TRUE(i.Genre);
    EXPECT_EQ(*i.Genre, 140);
    EXPECT_EQ(i.GenreName, "Contemporary Christian");
    EXPECT_FALSE(i.HasLyrics3);
    EXPECT_EQ(metadata::Module7::GenreString, "");

    Id3v1Info c = GetId3v1Info(f.write(kAudio + id3v1Block("T", {}, {}, {}, "Two  " + std::string(25, '\0'))));
    EXPECT_EQ(c.Comment, "Two") << "the comment is trimmed again after the NULs go";
}

TEST(GetId3v1Info, OwnGenreList) {
    Files f;
    struct Case {
        int code;
        const char* name;
    } cases[] = {{141, "Christian Rock"}, {123, "Acapella"}, {7, "Hip-Hop"},
                 {12, "Other"},          {147, "Synthpop"}, {148, "Other"}, {200, "Other"}};
    for (const auto& c : cases) {
        Id3v1Info i = GetId3v1Info(f.write(kAudio + id3v1Block("T", {}, {}, {}, {}, static_cast<unsigned char>(c.code))));
        EXPECT_EQ(i.GenreName, c.name) << c.code;
        EXPECT_EQ(*i.Genre, c.code);
    }

    metadata::Module7::BuildGenreString();
    metadata::Module7::BuildGenreString();  // assigns, never appends
    const std::string& list = metadata::Module7::GenreString;
    ASSERT_EQ(list.size(), 148u * 22u);
    EXPECT_EQ(list.substr(140 * 22, 22), "Contemporary Christian");
    EXPECT_EQ(list.substr(0, 22), "Blues" + std::string(17, ' '));
    metadata::Module7::GenreString.clear();
}

TEST(GetId3v1Info, WithoutATag) {
    Files f;
    Id3v1Info i = GetId3v1Info(f.write(kAudio));
    EXPECT_FALSE(i.HasTag);
    EXPECT_FALSE(i.Genre);
    EXPECT_EQ(i.GenreName, "");
    EXPECT_EQ(i.Title, "");

    for (const std::string& content : {std::string(), std::string(127, 'T')}) {
        Id3v1Info s = GetId3v1Info(f.write(content));
        EXPECT_FALSE(s.HasTag);
        EXPECT_FALSE(s.HasLyrics3);
    }
    EXPECT_FALSE(GetId3v1Info(f.dir.file("missing.mp3")).HasTag);
    EXPECT_FALSE(testsupport::exists(f.dir.file("missing.mp3")));
}

TEST(GetId3v1Info, Lyrics3BeforeTheId3v1BlockOrAtTheEnd) {
    Files f;
    const std::string block = lyrics3({{"IND", "11"}, {"LYR", "  First line\r\nSecond line  "}, {"AUT", "Someone"}});
    Id3v1Info both = GetId3v1Info(f.write(kAudio + block + id3v1Block("T")));
    EXPECT_TRUE(both.HasTag);
    EXPECT_TRUE(both.HasLyrics3);
    EXPECT_EQ(both.Lyrics, "First line\r\nSecond line");

    Id3v1Info end = GetId3v1Info(f.write(kAudio + block));
    EXPECT_FALSE(end.HasTag);
    EXPECT_TRUE(end.HasLyrics3);
    EXPECT_EQ(end.Lyrics, "First line\r\nSecond line");
    EXPECT_TRUE(metadata::Module7::HasLyrics3);

    // A block without "LYR" is still walked; lyrics read before do not linger.
    Id3v1Info none = GetId3v1Info(f.write(kAudio + lyrics3({{"INF", "info"}}) + id3v1Block("T")));
    EXPECT_TRUE(none.HasLyrics3);
    EXPECT_EQ(none.Lyrics, "");
    EXPECT_EQ(metadata::Module7::Lyrics3Text, "");

    // The last "LYR" field wins; Windows-1252 text is decoded.
    Id3v1Info two = GetId3v1Info(f.write(kAudio + lyrics3({{"LYR", "one"}, {"LYR", "caf\xE9"}})));
    EXPECT_EQ(two.Lyrics, "caf\xC3\xA9");
}

TEST(GetId3v1Info, MalformedLyrics3Blocks) {
    Files f;
    std::string good = lyrics3({{"LYR", "words"}});
    struct Case {
        const char* what;
        std::string content;
        bool walked;
    } cases[] = {
        {"size pointing elsewhere", kAudio + "LYRICSBEGIN" + "LYR00005words" + "000099LYRICS200", false},
        {"size before the start of the file", "LYRICSBEGIN" + std::string("999999LYRICS200"), false},
        {"no digits in the size", kAudio + "LYRICSBEGIN" + "xxxxxxLYRICS200", false},
        {"field length past the end", kAudio + "LYRICSBEGINLYR99999" + std::string("000019LYRICS200"), true},
        {"only the end marker", std::string("LYRICS200"), false},
        {"LYRICS without 200", kAudio + good.substr(0, good.size() - 3) + "100", false},
    };
    for (const auto& c : cases) {
        Id3v1Info i = GetId3v1Info(f.write(c.content));
        EXPECT_EQ(i.HasLyrics3, c.walked) << c.what;
    }
}

// Both procedures close only the file they opened; a file the tag editor holds
// open (as number 1) stays open.
TEST(GetId3v1Info, LeavesOtherOpenFilesAlone) {
    Files f;
    const std::string path = f.write(kAudio + lyrics3({{"LYR", "words"}}) + id3v1Block("T"));
    const std::string bad = f.write(kAudio + "LYRICSBEGIN000099LYRICS200" + id3v1Block("T"));
    auto& files = runtime::Files();
    files.Open(path, runtime::OpenMode::Binary, 1);
    EXPECT_TRUE(GetId3v1Info(path).HasLyrics3);
    EXPECT_FALSE(GetId3v1Info(bad).HasLyrics3);
    GetId3v1Info(f.dir.file("missing.mp3"));
    metadata::Module7::HasId3v1 = true;
    EXPECT_TRUE(metadata::Module7::ReadLyrics3(path));
    EXPECT_TRUE(files.IsOpen(1));
    EXPECT_EQ(files.FreeFile(), 2);
    files.Close(1);
}

}  // namespace
