// cMP3ID3v1: reading the ID3v1.1 tag into fields and writing it back.

#include <gtest/gtest.h>

#include "id3v1_mpeg_fixtures.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "testsupport/path_swaps.hpp"

namespace {

using metadata::cMP3ID3v1;
using testsupport::readFile;
using testsupport::writeFile;

std::string lastBlock(const std::string& path) {
    std::string all = readFile(path);
    return all.substr(all.size() - 128);
}

cMP3ID3v1 load(const std::string& path) {
    cMP3ID3v1 tag;
    tag.setMP3File(path);
    return tag;
}

TEST(cMP3ID3v1, StartsEmpty) {
    cMP3ID3v1 tag;
    EXPECT_EQ(tag.MP3File(), "");
    EXPECT_FALSE(tag.HasID3v1Tag());
    EXPECT_EQ(tag.Title(), "");
    EXPECT_EQ(tag.Genre(), 0);
    EXPECT_EQ(tag.Track(), 0);
}

TEST(cMP3ID3v1, ReadsAnId3v11Tag) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    writeFile(path, std::string(1000, '\xAA') +
                        fixtures::id3v1Block("  Title  ", "Artist", "Album", "2001",
                                             fixtures::fit("Comment", 28) + std::string("\0\x05", 2), 17));
    cMP3ID3v1 tag = load(path);
    EXPECT_EQ(tag.MP3File(), path);
    EXPECT_TRUE(tag.HasID3v1Tag());
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.Year(), "2001");
    EXPECT_EQ(tag.Comment(), "Comment");
    EXPECT_EQ(tag.Track(), 5);
    EXPECT_EQ(tag.Genre(), 17);
}

// A field ends at its first NUL: what follows is what an older, longer text left behind.
TEST(cMP3ID3v1, FieldEndsAtItsFirstNul) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    writeFile(path, std::string(200, '\0') +
                        fixtures::id3v1Block(std::string("New\0ld title", 12), "A", "B", "1",
                                             std::string("x\0y", 3)));
    cMP3ID3v1 tag = load(path);
    EXPECT_EQ(tag.Title(), "New");
    EXPECT_EQ(tag.Comment(), "x");
}

// The comment's last two bytes are a track number only in ID3v1.1 form: a zero
// byte and then a byte that is not zero.
TEST(cMP3ID3v1, Id3v10CommentKeepsAll30Bytes) {
    testsupport::TempDir dir;
    struct Case {
        const char* what;
        std::string comment30;
        const char* comment;
        int track;
    } cases[] = {
        {"ID3v1.0, 30 letters", std::string(28, 'c') + "yz", "ccccccccccccccccccccccccccccyz", 0},
        {"ID3v1.0, ends in blanks", "Short" + std::string(25, ' '), "Short", 0},
        {"ID3v1.1", fixtures::fit("Short", 28) + std::string("\0\x0C", 2), "Short", 12},
        {"zero track byte", fixtures::fit("Short", 30), "Short", 0},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file("a.mp3");
        writeFile(path, std::string(200, '\0') + fixtures::id3v1Block("T", {}, {}, {}, c.comment30));
        cMP3ID3v1 tag = load(path);
        EXPECT_EQ(tag.Comment(), c.comment) << c.what;
        EXPECT_EQ(tag.Track(), c.track) << c.what;
    }
}

TEST(cMP3ID3v1, UpdateOfAnId3v10TagMakesNoTrackNumber) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    writeFile(path, std::string(200, '\0') + fixtures::id3v1Block("T", {}, {}, {}, std::string(28, 'c') + "yz"));
    cMP3ID3v1 tag = load(path);
    tag.Update();
    std::string block = lastBlock(path);
    EXPECT_EQ(block.substr(97, 28), std::string(28, 'c'));  // the comment is cut to 28 on writing
    EXPECT_EQ(block[125], '\0');
    EXPECT_EQ(block[126], '\0');
    EXPECT_EQ(load(path).Track(), 0);
}

TEST(cMP3ID3v1, NoTagReadsAsResetState) {
    testsupport::TempDir dir;
    cMP3ID3v1 tag;
    writeFile(dir.file("tagged.mp3"), std::string(300, 'a') + fixtures::id3v1Block("T", "A", {}, {}, {}, 3));
    tag.setMP3File(dir.file("tagged.mp3"));
    ASSERT_TRUE(tag.HasID3v1Tag());

    writeFile(dir.file("128.mp3"), fixtures::id3v1Block("T"));  // 128 bytes or less: no tag
    writeFile(dir.file("notag.mp3"), std::string(300, 'a'));
    writeFile(dir.file("lower.mp3"), std::string(300, 'a') + fixtures::id3v1Block("T", {}, {}, {}, {}, 1, "tag"));
    for (const char* name : {"128.mp3", "notag.mp3", "lower.mp3", "missing.mp3"}) {
        tag.setMP3File(dir.file(name));
        EXPECT_FALSE(tag.HasID3v1Tag()) << name;
        EXPECT_EQ(tag.Title(), "") << name;
        EXPECT_EQ(tag.Artist(), "") << name;
        EXPECT_EQ(tag.Genre(), 255) << name;
        EXPECT_EQ(tag.Track(), 0) << name;
        EXPECT_EQ(tag.MP3File(), dir.file(name));
    }
    EXPECT_FALSE(testsupport::exists(dir.file("missing.mp3")));
}

// Reading denies writers, so a file this program has open for writing reads as untagged.
TEST(cMP3ID3v1, FileOpenForWritingReadsAsUntagged) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    writeFile(path, std::string(300, 'a') + fixtures::id3v1Block("T"));
    auto& files = runtime::Files();
    int n = files.FreeFile();
    files.Open(path, runtime::OpenMode::Binary, n, runtime::Access::ReadWrite);
    cMP3ID3v1 tag = load(path);
    EXPECT_FALSE(tag.HasID3v1Tag());
    files.Close(n);
    EXPECT_TRUE(load(path).HasID3v1Tag());
}

TEST(cMP3ID3v1, UpdateAppendsANewBlock) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    const std::string audio(1000, '\x5A');
    writeFile(path, audio);
    cMP3ID3v1 tag = load(path);
    tag.setTitle("A title that is longer than thirty characters");
    tag.setArtist("Art");
    tag.setAlbum("Alb");
    tag.setYear("19999");
    tag.setComment("A comment that runs past twenty-eight");
    tag.setTrack(7);
    tag.setGenre(140);
    tag.Update();
    EXPECT_FALSE(tag.HasID3v1Tag()) << "Update changes no field";

    std::string all = readFile(path);
    ASSERT_EQ(all.size(), 1128u);
    EXPECT_EQ(all.substr(0, 1000), audio);
    EXPECT_EQ(all.substr(1000), "TAG" + std::string("A title that is longer than th") + fixtures::fit("Art", 30, ' ') +
                                    fixtures::fit("Alb", 30, ' ') + "1999" + "A comment that runs past twe" +
                                    std::string("\0\x07\x8C", 3));

    cMP3ID3v1 back = load(path);
    EXPECT_EQ(back.Title(), "A title that is longer than th");
    EXPECT_EQ(back.Artist(), "Art");
    EXPECT_EQ(back.Year(), "1999");
    EXPECT_EQ(back.Comment(), "A comment that runs past twe");
    EXPECT_EQ(back.Track(), 7);
    EXPECT_EQ(back.Genre(), 140);
}

TEST(cMP3ID3v1, UpdateOverwritesTheOldBlockInPlace) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    const std::string audio(700, '\x33');
    writeFile(path, audio + fixtures::id3v1Block("Old title", "Old artist", "Old", "1980", "Old", 1));
    cMP3ID3v1 tag = load(path);
    tag.setTitle("Caf\xC3\xA9 \xE2\x80\x99 \xE2\x98\x83");  // é and ’ are in Windows-1252, the snowman is not
    tag.Update();
    std::string all = readFile(path);
    ASSERT_EQ(all.size(), 828u);
    EXPECT_EQ(all.substr(0, 703), audio + "TAG");
    EXPECT_EQ(all.substr(703, 30), fixtures::fit("Caf\xE9 \x92 ?", 30, ' '));
    EXPECT_EQ(all.substr(733, 30), fixtures::fit("Old artist", 30, ' '));
    EXPECT_EQ(load(path).Title(), "Caf\xC3\xA9 \xE2\x80\x99 ?");
}

TEST(cMP3ID3v1, UpdateFailures) {
    testsupport::TempDir dir;
    const std::string source = runtime::App::Title() + ".cMP3ID3v1";

    // A missing file is not created.
    cMP3ID3v1 missing;
    missing.setMP3File(dir.file("missing.mp3"));
    missing.setTitle("x");
    try {
        missing.Update();
        ADD_FAILURE() << "no error";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), runtime::err::FileNotFound);
        EXPECT_EQ(e.source(), source);
    }
    EXPECT_FALSE(testsupport::exists(dir.file("missing.mp3")));

    // An empty file stays empty.
    writeFile(dir.file("empty.mp3"), "");
    cMP3ID3v1 empty = load(dir.file("empty.mp3"));
    try {
        empty.Update();
        ADD_FAILURE() << "no error";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), -2147217407);
        EXPECT_EQ(e.description(), dir.file("empty.mp3") + " is not a valid MP3 file.");
        EXPECT_EQ(e.source(), source);
    }
    EXPECT_EQ(readFile(dir.file("empty.mp3")), "");

    // Files of 1 to 128 bytes are left alone, without an error.
    for (std::size_t size : {1u, 100u, 128u}) {
        const std::string content(size, 'q');
        writeFile(dir.file("small.mp3"), content);
        cMP3ID3v1 small = load(dir.file("small.mp3"));
        small.setTitle("x");
        EXPECT_NO_THROW(small.Update()) << size;
        EXPECT_EQ(readFile(dir.file("small.mp3")), content) << size;
    }

    // An open that fails is raised with its own number and the class's source.
    const std::string busy = dir.file("busy.mp3");
    writeFile(busy, std::string(300, 'b'));
    auto& files = runtime::Files();
    int n = files.FreeFile();
    files.Open(busy, runtime::OpenMode::Binary, n, runtime::Access::Read, runtime::Lock::Write);
    cMP3ID3v1 held;
    held.setMP3File(busy);
    try {
        held.Update();
        ADD_FAILURE() << "no error";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), runtime::err::PermissionDenied);
        EXPECT_EQ(e.source(), source);
    }
    files.Close(n);
    EXPECT_EQ(readFile(busy), std::string(300, 'b'));
}

// A disk that fills up in the middle of the new block leaves the file as it was.
TEST(cMP3ID3v1, AnAppendThatFailsLeavesTheFileAsItWas) {
    testsupport::TempDir dir;
    const std::string path = dir.file("a.mp3");
    const std::string audio(1000, '\x5A');
    writeFile(path, audio);
    cMP3ID3v1 tag = load(path);
    tag.setTitle("Title");
    // The file-size limit lets the block's first 50 bytes through and then fails.
    {
        testsupport::FileSizeLimit limit(1050);
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), runtime::err::DiskFull);
            EXPECT_EQ(e.source(), cMP3ID3v1::ErrorSource());
        }
    }
    const std::string after = readFile(path);
    EXPECT_EQ(after.size(), audio.size());
    EXPECT_TRUE(after == audio);
    tag.Update();
    EXPECT_EQ(readFile(path).size(), 1128u);
}

// Update writes only into the file the object read: a path that names
// another file by then (or none) is refused and every file stays as it was.
TEST(cMP3ID3v1, UpdateWritesOnlyIntoTheFileItRead) {
    for (const testsupport::PathSwap& swap : testsupport::kPathSwaps) {
        SCOPED_TRACE(swap.name);
        testsupport::TempDir dir;
        const std::string path = dir.file("t.mp3"), other = dir.file("other.mp3");
        const std::string loadedBytes = std::string(1000, 'a') + fixtures::id3v1Block("Loaded", "Me");
        const std::string otherBytes = std::string(1000, 'b') + fixtures::id3v1Block("Other", "Them", "Kept");
        writeFile(path, loadedBytes);
        writeFile(other, otherBytes);
        cMP3ID3v1 tag = load(path);
        ASSERT_TRUE(tag.fileIdentity());
        tag.setTitle("Edited");
        swap.apply(path, other);
        const auto atPath = testsupport::bytesAt(path);
        try {
            tag.Update();
            ADD_FAILURE() << "no error";
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), swap.leavesAFile ? runtime::err::PathFileAccessError : runtime::err::FileNotFound);
            EXPECT_EQ(e.source(), cMP3ID3v1::ErrorSource());
            if (swap.leavesAFile) {
                EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
            }
        }
        EXPECT_TRUE(readFile(other) == otherBytes) << "the other file changed";
        EXPECT_TRUE(readFile(testsupport::movedTo(path)) == loadedBytes) << "the file that was read changed";
        EXPECT_TRUE(testsupport::bytesAt(path) == atPath) << "the file now at the path changed";
    }
}

TEST(cMP3ID3v1, GenreNames) {
    cMP3ID3v1 tag;
    EXPECT_EQ(tag.GenreName(12), "Other");
    EXPECT_EQ(tag.GenreName(140), "Contemporary Christian");
    EXPECT_EQ(tag.GenreName(123), "");
    EXPECT_EQ(tag.GenreName(200), "");
}

}  // namespace
