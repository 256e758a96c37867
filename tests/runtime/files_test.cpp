#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>

#include "fs_test_support.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"
#include "testsupport/path_swaps.hpp"

using testsupport::errorOf;
using runtime::Access;
using runtime::Error;
using runtime::Files;
using runtime::Lock;
using runtime::OpenMode;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Every test leaves the program-wide table empty.
class FileTableTest : public ::testing::Test {
protected:
    void TearDown() override { runtime::CloseAll(); }
    TempDir dir;
};

}  // namespace

TEST_F(FileTableTest, ResolvesPathsWithoutRegardToCase) {
    std::filesystem::create_directories(dir.file("Music/Rock"));
    writeFile(dir.file("Music/Rock/New2.kmf"), "x");
    writeFile(dir.file("Music/Rock/song.MP3"), "y");
    writeFile(dir.file("Music/Rock/Ünïcode.mp3"), "z");
    writeFile(dir.file("Music/Both.txt"), "upper");
    writeFile(dir.file("Music/both.txt"), "lower");
    struct Case {
        const char* given;
        const char* resolved;
    };
    const Case cases[] = {
        {"Music/Rock/New2.kmf", "Music/Rock/New2.kmf"},    // exact
        {"Music/Rock/new2.kmf", "Music/Rock/New2.kmf"},    // last component
        {"music/ROCK/new2.KMF", "Music/Rock/New2.kmf"},    // every component
        {"MUSIC/rock/Song.mp3", "Music/Rock/song.MP3"},
        {"music/rock/üNÏCODE.MP3", "Music/Rock/Ünïcode.mp3"},  // beyond ASCII
        {"Music/both.txt", "Music/both.txt"},              // an exact match wins
        {"Music/BOTH.TXT", "Music/Both.txt"},              // else the first spelling in byte order
        {"music/rock/missing.mp3", "Music/Rock/missing.mp3"},  // folders resolved, new name kept
        {"music/nowhere/x.mp3", "Music/nowhere/x.mp3"},
        {"music/rock/", "Music/Rock/"},
        {"music/./rock/../rock/new2.kmf", "Music/./Rock/../Rock/New2.kmf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runtime::ResolvePath(dir.file(c.given)), dir.file(c.resolved)) << c.given;
    EXPECT_EQ(runtime::ResolvePath(""), "");

    // Relative paths resolve from the current folder.
    ScopedCwd cwd(dir.path());
    EXPECT_EQ(runtime::ResolvePath("music/rock/NEW2.kmf"), "Music/Rock/New2.kmf");
}

TEST_F(FileTableTest, OpenModesByExistence) {
    struct Case {
        OpenMode mode;
        Access access;
        bool exists;
        int error;     // 0 when the open succeeds
        bool created;  // the file exists afterwards
    };
    const Case cases[] = {
        {OpenMode::Input, Access::Default, true, 0, true},
        {OpenMode::Input, Access::Default, false, 53, false},
        {OpenMode::Output, Access::Default, true, 0, true},
        {OpenMode::Output, Access::Default, false, 0, true},
        {OpenMode::Append, Access::Default, false, 0, true},
        {OpenMode::Binary, Access::Read, true, 0, true},
        {OpenMode::Binary, Access::Read, false, 53, false},
        {OpenMode::Binary, Access::Write, false, 0, true},
        {OpenMode::Binary, Access::ReadWrite, false, 0, true},
        {OpenMode::Binary, Access::Default, false, 0, true},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string path = dir.file("f" + std::to_string(i++));
        if (c.exists) writeFile(path, "old");
        int number = runtime::FreeFile();
        EXPECT_EQ(errorOf([&] { Files().Open(path, c.mode, number, c.access); }), c.error) << path;
        EXPECT_EQ(testsupport::exists(path), c.created) << path;
        EXPECT_EQ(Files().IsOpen(number), c.error == 0) << path;
        runtime::Close(number);
    }
    // Output empties an existing file; Append and Binary keep it.
    writeFile(dir.file("keep"), "old");
    Files().Open(dir.file("keep"), OpenMode::Binary, 1);
    runtime::Close(1);
    EXPECT_EQ(readFile(dir.file("keep")), "old");
    Files().Open(dir.file("keep"), OpenMode::Output, 1);
    runtime::Close(1);
    EXPECT_EQ(readFile(dir.file("keep")), "");
}

TEST_F(FileTableTest, OpenFailures) {
    writeFile(dir.file("a.txt"), "a");
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("a.txt"), OpenMode::Input, 0); }), 52);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("a.txt"), OpenMode::Input, 512); }), 52);
    EXPECT_EQ(errorOf([&] { Files().Open("", OpenMode::Input, 1); }), 52);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("folder"), OpenMode::Binary, 1, Access::Read); }), 75);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("folder"), OpenMode::Output, 1); }), 75);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("none/new.txt"), OpenMode::Output, 1); }), 76);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("none/new.txt"), OpenMode::Input, 1); }), 53);

    Files().Open(dir.file("a.txt"), OpenMode::Input, 1);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("a.txt"), OpenMode::Input, 1); }), 55);
    EXPECT_EQ(Files().PathOf(1), dir.file("a.txt"));
    // Operations on a number that is not open.
    EXPECT_EQ(errorOf([&] { Files().LineInput(2); }), 52);
    EXPECT_EQ(errorOf([&] { Files().LOF(2); }), 52);
    EXPECT_EQ(Files().PathOf(2), "");
    EXPECT_NO_THROW(runtime::Close(2));
    EXPECT_NO_THROW(runtime::Close(9999));
}

// A named pipe among the music files opens without waiting for a writer (or a
// reader) and fails on reading, as any file that cannot be read does.
TEST_F(FileTableTest, ANamedPipeNeverHangsAnOpen) {
    const std::string pipe = dir.file("pipe.mp3");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Files().Open(pipe, OpenMode::Binary, 1, Access::Read);
    EXPECT_EQ(Files().LOF(1), 0);
    EXPECT_NE(errorOf([&] { Files().GetBytes(1, 1, 128); }), 0);
    Files().Open(pipe, OpenMode::Input, 2);
    EXPECT_NE(errorOf([&] { Files().LineInput(2); }), 0);
    runtime::CloseAll();
    // Writing with no reader at all fails at once.
    EXPECT_NE(errorOf([&] { Files().Open(pipe, OpenMode::Output, 1); }), 0);
    EXPECT_NE(errorOf([&] { Files().Open(pipe, OpenMode::Binary, 1, Access::Write); }), 0);
}

TEST_F(FileTableTest, OpenResolvesCaseAndCreatesNothingBesideAnExistingSpelling) {
    writeFile(dir.file("Path.m3u"), "x\r\n");
    Files().Open(dir.file("path.M3U"), OpenMode::Output, 1);
    Files().Print(1, "y");
    runtime::Close(1);
    EXPECT_FALSE(testsupport::exists(dir.file("path.M3U")));
    EXPECT_EQ(readFile(dir.file("Path.m3u")), "y\r\n");
}

TEST_F(FileTableTest, FreeFileGivesTheLowestFreeNumber) {
    writeFile(dir.file("a"), "");
    EXPECT_EQ(runtime::FreeFile(), 1);
    Files().Open(dir.file("a"), OpenMode::Input, 1);
    Files().Open(dir.file("a"), OpenMode::Input, 3);
    EXPECT_EQ(runtime::FreeFile(), 2);
    Files().Open(dir.file("a"), OpenMode::Input, 2);
    EXPECT_EQ(runtime::FreeFile(), 4);
    runtime::Close(2);
    EXPECT_EQ(runtime::FreeFile(), 2);
    runtime::CloseAll();
    EXPECT_FALSE(Files().IsOpen(1));
    EXPECT_FALSE(Files().IsOpen(3));
    EXPECT_EQ(runtime::FreeFile(), 1);
}

TEST_F(FileTableTest, LocksHoldBetweenOurOwnOpens) {
    struct Open {
        OpenMode mode;
        Access access;
        Lock lock;
    };
    const Open readShared{OpenMode::Binary, Access::Read, Lock::Shared};
    const Open readDenyWrite{OpenMode::Binary, Access::Read, Lock::Write};
    const Open rwDenyWrite{OpenMode::Binary, Access::ReadWrite, Lock::Write};
    const Open rwShared{OpenMode::Binary, Access::Default, Lock::Shared};
    const Open writeShared{OpenMode::Binary, Access::Write, Lock::Shared};
    const Open inputDenyRead{OpenMode::Input, Access::Default, Lock::Read};
    const Open output{OpenMode::Output, Access::Default, Lock::Shared};
    const Open appendDenyAll{OpenMode::Append, Access::Default, Lock::ReadWrite};
    struct Case {
        const char* name;
        Open first, second;
        int error;
    };
    const Case cases[] = {
        {"two readers", readShared, readShared, 0},
        {"reader beside a read-write file", rwShared, readShared, 0},
        {"two writers without locks", rwShared, writeShared, 0},
        {"deny writers while we write", rwShared, rwDenyWrite, 70},
        {"deny writers while we only read", readShared, readDenyWrite, 0},
        {"write while writers are denied", rwDenyWrite, writeShared, 70},
        {"output while writers are denied", readDenyWrite, output, 70},
        {"read while writers are denied", rwDenyWrite, readShared, 0},
        {"read while readers are denied", inputDenyRead, readShared, 70},
        {"write while readers are denied", inputDenyRead, writeShared, 0},
        {"deny readers while we read", readShared, inputDenyRead, 70},
        {"anything beside deny-all", appendDenyAll, readShared, 70},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("locked.bin");
        writeFile(path, "content");
        Files().Open(path, c.first.mode, 1, c.first.access, c.first.lock);
        EXPECT_EQ(errorOf([&] { Files().Open(path, c.second.mode, 2, c.second.access, c.second.lock); }),
                  c.error)
            << c.name;
        EXPECT_EQ(Files().IsOpen(2), c.error == 0) << c.name;
        runtime::CloseAll();
        // A refused Output open must not have emptied the file.
        EXPECT_FALSE(readFile(path).empty()) << c.name;
    }
    // Locks bind the file, not its spelling, and end with the close.
    writeFile(dir.file("Song.mp3"), "x");
    Files().Open(dir.file("Song.mp3"), OpenMode::Binary, 1, Access::ReadWrite, Lock::Write);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("SONG.MP3"), OpenMode::Binary, 2, Access::Write); }), 70);
    runtime::Close(1);
    EXPECT_EQ(errorOf([&] { Files().Open(dir.file("SONG.MP3"), OpenMode::Binary, 2, Access::Write); }), 0);
}

TEST_F(FileTableTest, BinaryGetAndPutAtOneBasedPositions) {
    std::string path = dir.file("data.bin");
    writeFile(path, "0123456789");
    Files().Open(path, OpenMode::Binary, 1);
    EXPECT_EQ(Files().LOF(1), 10);
    EXPECT_EQ(Files().GetBytes(1, 1, 3), "012");
    EXPECT_EQ(Files().Seek(1), 4);
    EXPECT_EQ(Files().GetBytes(1, runtime::FileTable::CurrentPosition, 2), "34");  // the original's omitted position
    EXPECT_EQ(Files().GetByte(1, 10), '9');
    EXPECT_FALSE(Files().Eof(1));
    // Past the end: the bytes there are, and EOF.
    EXPECT_EQ(Files().GetBytes(1, 8, 5), "789");
    EXPECT_TRUE(Files().Eof(1));
    EXPECT_EQ(Files().GetBytes(1, 20, 4), "");
    EXPECT_EQ(Files().GetByte(1, 20), 0);
    Files().Seek(1, 1);
    EXPECT_FALSE(Files().Eof(1));

    Files().PutBytes(1, 3, "ab");
    Files().PutBytes(1, runtime::FileTable::CurrentPosition, "c");
    Files().PutByte(1, 12, 'Z');  // beyond the end: the gap is zeros
    EXPECT_EQ(Files().LOF(1), 12);
    EXPECT_EQ(Files().Seek(1), 13);
    EXPECT_EQ(errorOf([&] { Files().GetBytes(1, -1, 1); }), 63);
    // A position worked out from the length of a short file (L - 127 for the
    // last 128 bytes of a 127-byte file) is 0: an error, not the current position.
    EXPECT_EQ(errorOf([&] { Files().GetBytes(1, 0, 128); }), 63);
    EXPECT_EQ(errorOf([&] { Files().GetByte(1, 0); }), 63);
    EXPECT_EQ(errorOf([&] { Files().PutBytes(1, 0, "x"); }), 63);
    EXPECT_EQ(errorOf([&] { Files().PutBytes(1, -5, "x"); }), 63);
    EXPECT_EQ(errorOf([&] { Files().Seek(1, 0); }), 63);
    runtime::Close(1);
    EXPECT_EQ(readFile(path), std::string("01abc56789\0Z", 12));

    // Descriptor gives the open file for pread.
    Files().Open(path, OpenMode::Binary, 1, Access::Read);
    char buf[2];
    ASSERT_EQ(pread(Files().Descriptor(1), buf, 2, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "ab");
    EXPECT_EQ(errorOf([&] { Files().PutBytes(1, 1, "x"); }), 75);
    runtime::Close(1);

    // Get and Put belong to Binary files; Line Input and Print to text files.
    Files().Open(path, OpenMode::Input, 1);
    EXPECT_EQ(errorOf([&] { Files().GetBytes(1, 1, 1); }), 54);
    EXPECT_EQ(errorOf([&] { Files().Print(1, "x"); }), 54);
    Files().Open(dir.file("w.bin"), OpenMode::Binary, 2, Access::Write);
    EXPECT_EQ(errorOf([&] { Files().GetBytes(2, 1, 1); }), 75);
    EXPECT_EQ(errorOf([&] { Files().Print(2, "x"); }), 54);
}

// A count taken from a size field in the file may be anything: the read gives
// the bytes there are and takes no more memory than they need.
TEST_F(FileTableTest, GetOfMoreThanTheFileHoldsGivesWhatIsThere) {
    std::string path = dir.file("short.bin");
    writeFile(path, "hello");
    Files().Open(path, OpenMode::Binary, 1, Access::Read);
    const std::size_t huge = std::size_t(1) << 46;
    EXPECT_EQ(Files().GetBytes(1, 2, huge), "ello");
    EXPECT_TRUE(Files().Eof(1));
    EXPECT_EQ(Files().GetText(1, 1, huge), "hello");
    EXPECT_EQ(Files().GetBytes(1, 9, huge), "");
}

TEST_F(FileTableTest, TextThroughGetAndPutIsOneBytePerCharacter) {
    std::string path = dir.file("v1.bin");
    Files().Open(path, OpenMode::Binary, 1);
    Files().PutText(1, 1, "It\u2019s \u20AC5 caf\u00E9 \u0101");
    EXPECT_EQ(Files().LOF(1), 14);
    EXPECT_EQ(Files().GetText(1, 1, 14), "It\u2019s \u20AC5 caf\u00E9 ?");
    runtime::Close(1);
    EXPECT_EQ(readFile(path), "It\x92s \x80" "5 caf\xE9 ?");
}

TEST_F(FileTableTest, PrintWritesUtf8WithCrLfAndAppendAddsAtTheEnd) {
    std::string path = dir.file("list.m3u");
    Files().Open(path, OpenMode::Output, 1);
    Files().Print(1, "/music/Caf\u00E9.mp3");
    Files().PrintNoNewline(1, "a");
    Files().Print(1, "b");
    Files().Print(1, "");
    EXPECT_TRUE(Files().Eof(1));
    runtime::Close(1);
    EXPECT_EQ(readFile(path), "/music/Caf\xC3\xA9.mp3\r\nab\r\n\r\n");

    Files().Open(path, OpenMode::Append, 1);
    EXPECT_EQ(Files().Seek(1), 25);
    Files().Print(1, "more");
    runtime::Close(1);
    EXPECT_EQ(readFile(path), "/music/Caf\xC3\xA9.mp3\r\nab\r\n\r\nmore\r\n");
}

TEST_F(FileTableTest, LineInputAcceptsEveryLineEndAndBothEncodings) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF alone", "a\nb\n", {"a", "b"}},
        {"CR alone", "a\rb\r", {"a", "b"}},
        {"no final line end", "a\r\nb", {"a", "b"}},
        {"empty lines", "\r\n\r\nx\r\n", {"", "", "x"}},
        {"commas and blanks stay", " a, b \r\n", {" a, b "}},
        {"UTF-8", "Caf\xC3\xA9\r\n", {"Caf\u00E9"}},
        {"Windows-1252 line by line", "Caf\xE9\r\nCaf\xC3\xA9\r\nIt\x92s\r\n",
         {"Caf\u00E9", "Caf\u00E9", "It\u2019s"}},
        {"byte-order mark dropped", "\xEF\xBB\xBFx\r\n", {"x"}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("lines.txt");
        writeFile(path, c.bytes);
        Files().Open(path, OpenMode::Input, 1);
        std::vector<std::string> got;
        while (!Files().Eof(1)) got.push_back(Files().LineInput(1));
        EXPECT_EQ(got, c.lines) << c.name;
        EXPECT_EQ(errorOf([&] { Files().LineInput(1); }), 62) << c.name;
        runtime::Close(1);
    }
}

TEST_F(FileTableTest, LineInputBytesKeepsEveryByteOfALine) {
    // Linux names are bytes: a line that is not UTF-8 comes back as it stands.
    std::string path = dir.file("paths.m3u");
    writeFile(path, "\xEF\xBB\xBF/m/caf\xE9\xFF.mp3\r\n/m/Caf\xC3\xA9.mp3\n\r\n/m/It\x92s\r/m/\x80\xC3");
    Files().Open(path, OpenMode::Input, 1);
    std::vector<std::string> got;
    while (!Files().Eof(1)) got.push_back(Files().LineInputBytes(1));
    EXPECT_EQ(got, (std::vector<std::string>{"/m/caf\xE9\xFF.mp3", "/m/Caf\xC3\xA9.mp3", "", "/m/It\x92s",
                                             "/m/\x80\xC3"}));
    EXPECT_EQ(errorOf([&] { Files().LineInputBytes(1); }), 62);
}

TEST_F(FileTableTest, LineInputReadsLongLinesAcrossBuffers) {
    std::string path = dir.file("long.txt");
    std::string longLine(100000, 'x');
    // A CR LF split across the read buffer's edge still ends one line.
    std::string edge(16 * 1024 - 1, 'y');
    writeFile(path, longLine + "\r\n" + edge + "\r\nlast");
    Files().Open(path, OpenMode::Input, 1);
    EXPECT_EQ(Files().LineInput(1), longLine);
    EXPECT_EQ(Files().LineInput(1), edge);
    EXPECT_EQ(Files().LineInput(1), "last");
    EXPECT_TRUE(Files().Eof(1));
}

TEST_F(FileTableTest, LineInputOnBinaryFileSetsEofAtTheEnd) {
    std::string path = dir.file("b.txt");
    writeFile(path, "one\r\ntwo\r\n");
    Files().Open(path, OpenMode::Binary, 1, Access::Read);
    EXPECT_EQ(Files().LineInput(1), "one");
    EXPECT_FALSE(Files().Eof(1));
    EXPECT_EQ(Files().LineInput(1), "two");
    EXPECT_TRUE(Files().Eof(1));
}

TEST_F(FileTableTest, InputReadsCommaSeparatedFields) {
    std::string path = dir.file("fields.txt");
    writeFile(path, "a, b ,\"c, d\",e\r\n  f\r\n\"g\" junk,h");
    Files().Open(path, OpenMode::Input, 1);
    std::vector<std::string> got;
    while (!Files().Eof(1)) got.push_back(Files().Input(1));
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c, d", "e", "f", "g", "h"}));
    EXPECT_EQ(errorOf([&] { Files().Input(1); }), 62);
}

TEST_F(FileTableTest, BinaryDefaultOpenFallsBackToReadingAReadOnlyFile) {
    std::string path = dir.file("ro.mp3");
    writeFile(path, "TAG");
    Unwritable guard(path);
    if (!guard.active()) GTEST_SKIP() << "cannot make a file unwritable here";
    Files().Open(path, OpenMode::Binary, 1);
    EXPECT_EQ(Files().GetBytes(1, 1, 3), "TAG");
    EXPECT_EQ(errorOf([&] { Files().PutBytes(1, 1, "x"); }), 75);
    EXPECT_EQ(errorOf([&] { Files().Open(path, OpenMode::Binary, 2, Access::ReadWrite); }), 70);
    runtime::CloseAll();
}

TEST_F(FileTableTest, ReadWholeFileResolvesCase) {
    writeFile(dir.file("Whole.txt"), std::string("a\0b", 3));
    EXPECT_EQ(runtime::ReadWholeFile(dir.file("whole.TXT")), std::string("a\0b", 3));
    EXPECT_EQ(errorOf([&] { runtime::ReadWholeFile(dir.file("none")); }), 53);
    EXPECT_EQ(errorOf([&] { runtime::ReadWholeFile(dir.path()); }), 75);
}

// ---------------------------------------------------------------------------
// Whole-file replacement

TEST(AtomicFile, ReplacesTheFileKeepingItsPermissionsAndAttributes) {
    TempDir dir;
    std::string path = dir.file("song.mp3");
    writeFile(path, "old");
    chmod(path.c_str(), 0640);
    bool xattrs = setxattr(path.c_str(), "user.dovetune.test", "v", 1, 0) == 0;
    runtime::WriteFileAtomically(path, "new content");
    EXPECT_EQ(readFile(path), "new content");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (xattrs) {
        char value[8];
        EXPECT_EQ(getxattr(path.c_str(), "user.dovetune.test", value, sizeof value), 1);
    }
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"song.mp3"}));  // no temporary left
}

namespace {

// Whether the folder's file system makes unnamed temporary files.
bool makesUnnamedFiles(const std::string& folder) {
    int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    close(fd);
    return true;
}

mode_t modeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Refuses unnamed temporary files for the lifetime of the object.
struct NamedTemporaryFiles {
    NamedTemporaryFiles() { runtime::detail::RefuseUnnamedTemporaryFiles(true); }
    ~NamedTemporaryFiles() { runtime::detail::RefuseUnnamedTemporaryFiles(false); }
};

}  // namespace

TEST(AtomicFile, TheTemporaryFileIsPrivateUntilTheCommitAndGoneWithoutIt) {
    // Unnamed where the file system allows it, else (and when a hook makes it
    // refuse) a hidden file of mode 0600; either way the old file's mode once
    // in place.
    for (bool refuse : {false, true}) {
        SCOPED_TRACE(refuse ? "named" : "unnamed");
        std::optional<NamedTemporaryFiles> named;
        if (refuse) named.emplace();
        TempDir dir;
        std::string path = dir.file("a.bin");
        writeFile(path, "old");
        chmod(path.c_str(), 0644);
        const bool unnamed = !refuse && makesUnnamedFiles(dir.path());
        for (bool commit : {false, true}) {
            {
                runtime::AtomicFile f(path);
                f.write("partial");
                struct stat st;
                ASSERT_EQ(fstat(f.descriptor(), &st), 0);
                EXPECT_EQ(st.st_mode & 07777, 0600u);
                std::vector<std::string> entries = onlyEntries(dir.path());
                if (unnamed) {
                    EXPECT_EQ(entries, (std::vector<std::string>{"a.bin"}));  // reachable by no name
                } else {
                    ASSERT_EQ(entries.size(), 2u);
                    EXPECT_EQ(entries[0].rfind(".a.bin.tmp-", 0), 0u) << entries[0];
                    EXPECT_EQ(modeOf(dir.file(entries[0])), 0600u);
                }
                if (commit) f.commit();
            }
            EXPECT_EQ(readFile(path), commit ? "partial" : "old");
            EXPECT_EQ(modeOf(path), 0644u);
            EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"a.bin"}));
        }
        // A new file gets what the umask leaves of 0666, a mode set for it wins.
        mode_t oldMask = umask(027);
        runtime::WriteFileAtomically(dir.file("new.bin"), "x");
        umask(oldMask);
        EXPECT_EQ(modeOf(dir.file("new.bin")), 0640u);
        runtime::AtomicFile f(dir.file("set.bin"));
        f.setMode(0604);
        f.commit();
        EXPECT_EQ(modeOf(dir.file("set.bin")), 0604u);
        // A failure before the rename leaves neither kind of temporary file.
        runtime::detail::FailNextReplace(ENOSPC);
        EXPECT_EQ(errorOf([&] { runtime::WriteFileAtomically(path, "new"); }), 61);
        EXPECT_EQ(readFile(path), "partial");
        EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"a.bin", "new.bin", "set.bin"}));
    }
}

TEST(AtomicFile, AFailureBeforeTheRenameLeavesTheOldFile) {
    TempDir dir;
    std::string path = dir.file("a.bin");
    writeFile(path, "old");
    runtime::detail::FailNextReplace(ENOSPC);
    EXPECT_EQ(errorOf([&] { runtime::WriteFileAtomically(path, "new"); }), 61);
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"a.bin"}));
}

TEST(AtomicFile, ALinkStaysALinkAndItsTargetIsReplaced) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("real"));
    writeFile(dir.file("real/song.mp3"), "old");
    ASSERT_EQ(symlink("real/song.mp3", dir.file("link.mp3").c_str()), 0);
    runtime::AtomicFile f(dir.file("link.mp3"));
    EXPECT_EQ(f.targetPath(), dir.file("real/song.mp3"));
    f.write("new");
    f.commit();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.mp3")));
    EXPECT_EQ(readFile(dir.file("real/song.mp3")), "new");
    EXPECT_EQ(onlyEntries(dir.file("real")), (std::vector<std::string>{"song.mp3"}));
}

TEST(FileIdentity, APathNamesTheFileItsOpenOpensAndANewOneAfterAReplace) {
    TempDir dir;
    writeFile(dir.file("Song.mp3"), "old");
    ASSERT_EQ(symlink("Song.mp3", dir.file("link.mp3").c_str()), 0);
    const std::optional<runtime::FileIdentity> song = runtime::IdentityOf(dir.file("Song.mp3"));
    ASSERT_TRUE(song);
    EXPECT_EQ(runtime::IdentityOf(dir.file("song.MP3")), song);  // resolved as Open resolves it
    EXPECT_EQ(runtime::IdentityOf(dir.file("link.mp3")), song);  // the link's file
    EXPECT_FALSE(runtime::IdentityOf(dir.file("missing.mp3")));
    const int n = Files().FreeFile();
    Files().Open(dir.file("link.mp3"), OpenMode::Binary, n, Access::Read);
    EXPECT_EQ(Files().Identity(n), *song);
    Files().Close(n);

    runtime::AtomicFile f(dir.file("link.mp3"));
    f.write("new");
    f.commit();
    EXPECT_NE(f.committedIdentity(), *song);
    EXPECT_EQ(runtime::IdentityOf(dir.file("Song.mp3")), f.committedIdentity());
}

// A replacement meant for the file that was read is not renamed over
// another file that took its path in the meantime, nor put where it has gone.
TEST(AtomicFile, ReplaceOnlyLeavesAnotherFileAtThePathAlone) {
    for (const testsupport::PathSwap& swap : testsupport::kPathSwaps) {
        SCOPED_TRACE(swap.name);
        TempDir dir;
        const std::string path = dir.file("t.mp3"), other = dir.file("other.mp3");
        writeFile(path, "read");
        writeFile(other, "other");
        runtime::AtomicFile f(path);
        f.replaceOnly(*runtime::IdentityOf(path));
        f.write("made from what was read");
        swap.apply(path, other);
        EXPECT_EQ(errorOf([&] { f.commit(); }), swap.leavesAFile ? 75 : 53);
        EXPECT_EQ(readFile(testsupport::movedTo(path)), "read");
        EXPECT_EQ(readFile(other), "other");
        EXPECT_EQ(testsupport::bytesAt(path), swap.leavesAFile ? std::optional<std::string>("other") : std::nullopt);
        std::vector<std::string> left = onlyEntries(dir.path());
        std::erase_if(left, [](const std::string& name) { return name.find(".tmp-") != std::string::npos; });
        EXPECT_EQ(left.size(), onlyEntries(dir.path()).size()) << "a temporary file was left behind";
    }
    // The file itself is replaced as ever.
    TempDir dir;
    writeFile(dir.file("t.mp3"), "read");
    runtime::AtomicFile f(dir.file("t.mp3"));
    f.replaceOnly(*runtime::IdentityOf(dir.file("t.mp3")));
    f.write("new");
    f.commit();
    EXPECT_EQ(readFile(dir.file("t.mp3")), "new");
}

TEST(AtomicFile, CreatesAMissingFileAndResolvesCase) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("Store"));
    runtime::WriteFileAtomically(dir.file("store/new.txt"), "x");
    EXPECT_EQ(readFile(dir.file("Store/new.txt")), "x");
    writeFile(dir.file("Store/Old.txt"), "old");
    runtime::WriteFileAtomically(dir.file("STORE/old.TXT"), "y");
    EXPECT_EQ(readFile(dir.file("Store/Old.txt")), "y");
    EXPECT_EQ(onlyEntries(dir.file("Store")), (std::vector<std::string>{"Old.txt", "new.txt"}));
    EXPECT_EQ(errorOf([&] { runtime::WriteFileAtomically(dir.file("missing/x"), "x"); }), 76);
    EXPECT_EQ(errorOf([&] { runtime::WriteFileAtomically(dir.file("Store"), "x"); }), 75);
}

TEST(AtomicFile, AFolderThatCannotBeWrittenIsError75) {
    TempDir dir;
    std::string path = dir.file("a.bin");
    writeFile(path, "old");
    Unwritable guard(dir.path());
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_EQ(errorOf([&] { runtime::AtomicFile f(path); }), 75);
    EXPECT_EQ(errorOf([&] { runtime::WriteFileAtomically(path, "new"); }), 75);
    EXPECT_EQ(readFile(path), "old");
}
