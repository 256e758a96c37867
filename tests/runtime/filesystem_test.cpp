#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fs_test_support.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/filesystem.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
using namespace runtime;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> listing(const std::string& pattern, int attributes) {
    std::vector<std::string> names;
    for (std::string n = Dir(pattern, attributes); !n.empty(); n = Dir()) names.push_back(n);
    return names;
}

bool setDosAttrib(const std::string& path, const char* value) {
    return setxattr(path.c_str(), "user.DOSATTRIB", value, std::strlen(value) + 1, 0) == 0;
}

class FileSystemTest : public ::testing::Test {
protected:
    void TearDown() override { CloseAll(); }
    TempDir dir;
};

}  // namespace

TEST(MatchesPattern, WildcardsWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool match;
    };
    const Case cases[] = {
        {"song.mp3", "*.mp3", true},       {"SONG.MP3", "*.mp3", true},     {"song.mp3", "*.Mp3", true},
        {"song.mp3x", "*.mp3", false},     {"song.mp3", "s?ng.*", true},    {"sng.mp3", "s?ng.*", false},
        {"a", "*", true},                  {"", "*", true},                 {"readme", "*.*", true},
        {"a.b.c", "*.c", true},            {"abc", "a*b*c", true},          {"abcbc", "a*bc", true},
        {"ab", "a*b*c", false},            {"Ünï.mp3", "üN?.MP3", true},    {"x.mp3", "y.mp3", false},
        {"name", "name.*", true},          {"x", "??", false},              {"xy", "??", true},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
}

TEST_F(FileSystemTest, DirListsWithItsAttributeFilter) {
    for (const char* f : {"a.mp3", "B.MP3", "c.txt", ".hidden.mp3", "sys.mp3", "hid.mp3"}) writeFile(dir.file(f), "x");
    fs::create_directory(dir.file("Sub.mp3"));
    fs::create_directory(dir.file(".git"));
    fs::create_symlink(dir.file("Sub.mp3"), dir.file("link.mp3"));
    bool xattrs = setDosAttrib(dir.file("sys.mp3"), "0x4") && setDosAttrib(dir.file("hid.mp3"), "0x2");
    if (!xattrs) GTEST_SKIP() << "no user extended attributes here";
    struct Case {
        const char* pattern;
        int attributes;
        std::vector<std::string> names;
    };
    const std::string d = dir.path() + "/";
    const Case cases[] = {
        {"*.mp3", vbNormal, {"a.mp3", "B.MP3"}},
        {"*.MP3", vbNormal, {"a.mp3", "B.MP3"}},
        {"*.mp3", vbDirectory, {"a.mp3", "B.MP3", "link.mp3", "Sub.mp3"}},
        {"*.mp3", vbHidden, {".hidden.mp3", "a.mp3", "B.MP3", "hid.mp3"}},
        {"*.mp3", vbSystem, {"a.mp3", "B.MP3", "sys.mp3"}},
        {"*", vbDirectory | vbHidden,
         {".git", ".hidden.mp3", "a.mp3", "B.MP3", "c.txt", "hid.mp3", "link.mp3", "Sub.mp3"}},
        {"", vbNormal, {"a.mp3", "B.MP3", "c.txt"}},  // the folder itself: every file
        {"*.wma", vbNormal, {}},
        {"b.mp3", vbNormal, {"B.MP3"}},          // one name, found without regard to case
        {"sub.mp3", vbNormal, {}},               // a folder, not asked for
        {"sub.mp3", vbDirectory, {"Sub.mp3"}},
        {"hid.mp3", vbNormal, {}},
        {"hid.mp3", vbHidden, {"hid.mp3"}},
    };
    // The attributes read by name in the open folder, and by the whole path.
    for (bool byPath : {false, true}) {
        SCOPED_TRACE(byPath ? "by path" : "by name");
        detail::ReadAttributesByPath(byPath);
        for (const Case& c : cases) EXPECT_EQ(listing(d + c.pattern, c.attributes), c.names) << c.pattern;
        ScopedCwd here(dir.path());  // a pattern without a folder
        EXPECT_EQ(listing("*.mp3", vbNormal), (std::vector<std::string>{"a.mp3", "B.MP3"}));
        EXPECT_EQ(listing("*.mp3", vbHidden), (std::vector<std::string>{".hidden.mp3", "a.mp3", "B.MP3", "hid.mp3"}));
    }
    detail::ReadAttributesByPath(false);
    // Folders of the pattern are resolved too; a missing folder lists nothing.
    fs::create_directory(dir.file("Music"));
    writeFile(dir.file("Music/x.mp3"), "x");
    EXPECT_EQ(listing(dir.file("music/*.mp3"), vbNormal), std::vector<std::string>{"x.mp3"});
    EXPECT_EQ(listing(dir.file("nowhere/*.mp3"), vbNormal), std::vector<std::string>{});
    EXPECT_EQ(listing(dir.file("Music/"), vbNormal), std::vector<std::string>{"x.mp3"});
}

TEST_F(FileSystemTest, DirHasOneCursorForTheWholeProgram) {
    for (const char* f : {"1.mp3", "2.mp3", "3.mp3", "x.txt"}) writeFile(dir.file(f), "x");
    EXPECT_EQ(Dir(dir.file("*.mp3")), "1.mp3");
    EXPECT_EQ(Dir(), "2.mp3");
    // A new search ends the one before.
    EXPECT_EQ(Dir(dir.file("*.txt")), "x.txt");
    EXPECT_EQ(Dir(), "");
    EXPECT_EQ(Dir(), "");
    // Relative patterns start at the current folder.
    ScopedCwd cwd(dir.path());
    EXPECT_EQ(Dir("*.TXT"), "x.txt");
    EXPECT_EQ(CurDir(), fs::canonical(dir.path()).string());
}

TEST_F(FileSystemTest, FileLenAndFileDateTime) {
    writeFile(dir.file("Song.mp3"), std::string(1234, 'x'));
    EXPECT_EQ(FileLen(dir.file("song.MP3")), 1234);
    EXPECT_EQ(errorOf([&] { FileLen(dir.file("none.mp3")); }), 53);
    EXPECT_EQ(errorOf([&] { FileDateTime(dir.file("none.mp3")); }), 53);
    EXPECT_TRUE(FileExists(dir.file("SONG.mp3")));
    EXPECT_FALSE(FolderExists(dir.file("SONG.mp3")));
    EXPECT_TRUE(FolderExists(dir.path()));
    EXPECT_FALSE(FileExists(""));

    std::tm local{};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 14;
    local.tm_hour = 15;
    local.tm_min = 9;
    local.tm_sec = 26;
    local.tm_isdst = -1;
    struct timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 500000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.file("Song.mp3").c_str(), times, 0), 0);
    DateTime when = FileDateTime(dir.file("Song.mp3"));
    EXPECT_EQ(when, (DateTime{2021, 3, 14, 15, 9, 26}));
}

TEST_F(FileSystemTest, AttributesMapToPermissionsNamesAndDosAttrib) {
    std::string path = dir.file("song.mp3");
    writeFile(path, "x");
    EXPECT_EQ(GetAttr(path), vbNormal);
    SetAttr(path, vbReadOnly);
    struct stat st;
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(GetAttr(dir.file("SONG.MP3")), vbReadOnly);
    SetAttr(path, vbNormal);
    stat(path.c_str(), &st);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(GetAttr(path), vbNormal);

    writeFile(dir.file(".config"), "x");
    EXPECT_EQ(GetAttr(dir.file(".config")), vbHidden);
    EXPECT_EQ(GetAttr(dir.path()), vbDirectory);
    EXPECT_EQ(errorOf([&] { GetAttr(dir.file("none")); }), 53);
    EXPECT_EQ(errorOf([&] { SetAttr(dir.file("none"), 0); }), 53);
    EXPECT_EQ(errorOf([&] { SetAttr(path, vbDirectory); }), 5);

    if (!setDosAttrib(path, "0x0")) GTEST_SKIP() << "no user extended attributes here";
    // Each write replaces the whole set.
    struct Case {
        int set;
        int get;
    };
    for (Case c : {Case{vbArchive, vbArchive}, Case{vbHidden, vbHidden}, Case{vbSystem | vbArchive, 36},
                   Case{vbReadOnly | vbHidden | vbArchive, 35}, Case{vbReadOnly, vbReadOnly}, Case{0, 0}}) {
        SetAttr(path, c.set);
        EXPECT_EQ(GetAttr(path), c.get) << c.set;
    }
    // Samba's own spelling reads the same.
    setDosAttrib(path, "0x20");
    EXPECT_EQ(GetAttr(path), vbArchive);
}

// Clearing read-only gives a file back the write permissions that making it
// read-only took away, by the file's identity; a file that came read-only
// gets the owner's and those the umask allows to whoever may read it.
TEST_F(FileSystemTest, ClearingReadOnlyGivesTheWritePermissionsBack) {
    auto modeOf = [](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st), 0);
        return st.st_mode & 07777;
    };
    struct Case {
        mode_t start;
        mode_t mask;
        bool tick;  // made read-only here, or it came read-only
        mode_t cleared;
    } cases[] = {
        {0664, 022, true, 0664}, {0644, 002, true, 0644}, {0666, 022, true, 0666}, {0600, 000, true, 0600},
        {0620, 022, true, 0620}, {0464, 022, true, 0664},  // only the group could write: the owner may too
        {0444, 022, false, 0644}, {0444, 002, false, 0664}, {0444, 000, false, 0666}, {0444, 077, false, 0644},
        {0400, 002, false, 0600}, {0440, 000, false, 0660},  // none for whoever may not read it
    };
    const mode_t oldMask = umask(022);
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.file("f" + std::to_string(n++) + ".mp3");
        writeFile(path, "x");
        ASSERT_EQ(chmod(path.c_str(), c.start), 0);
        umask(c.mask);
        if (c.tick) {
            SetAttr(path, vbReadOnly);
            EXPECT_EQ(modeOf(path), c.start & ~mode_t(0222)) << std::oct << c.start;
            SetAttr(path, vbReadOnly);  // again: nothing more is taken, nothing forgotten
        }
        EXPECT_EQ(GetAttr(path), vbReadOnly) << std::oct << c.start;
        SetAttr(path, vbNormal);
        EXPECT_EQ(modeOf(path), c.cleared) << std::oct << c.start << " umask " << c.mask;
        SetAttr(path, vbNormal);  // clearing a writable file changes nothing
        EXPECT_EQ(modeOf(path), c.cleared) << std::oct << c.start;
    }
    umask(022);

    // Once given back, the permissions are not remembered: made read-only by
    // another program, the file counts as one that came read-only.
    const std::string again = dir.file("again.mp3");
    writeFile(again, "x");
    ASSERT_EQ(chmod(again.c_str(), 0666), 0);
    SetAttr(again, vbReadOnly);
    SetAttr(again, vbNormal);
    ASSERT_EQ(modeOf(again), 0666u);
    ASSERT_EQ(chmod(again.c_str(), 0444), 0);
    SetAttr(again, vbNormal);
    EXPECT_EQ(modeOf(again), 0644u);

    // Another file put at the path is not the one made read-only.
    const std::string replaced = dir.file("replaced.mp3");
    writeFile(replaced, "x");
    ASSERT_EQ(chmod(replaced.c_str(), 0666), 0);
    SetAttr(replaced, vbReadOnly);
    writeFile(dir.file("new.mp3"), "y");
    ASSERT_EQ(chmod(dir.file("new.mp3").c_str(), 0444), 0);
    ASSERT_EQ(rename(dir.file("new.mp3").c_str(), replaced.c_str()), 0);
    SetAttr(replaced, vbNormal);
    EXPECT_EQ(modeOf(replaced), 0644u);

    // The hidden and archive bits written in between keep what read-only took.
    const std::string dos = dir.file("dos.mp3");
    writeFile(dos, "x");
    if (setDosAttrib(dos, "0x0")) {
        ASSERT_EQ(chmod(dos.c_str(), 0664), 0);
        SetAttr(dos, vbReadOnly);
        SetAttr(dos, vbReadOnly | vbHidden);
        SetAttr(dos, vbReadOnly | vbArchive);
        SetAttr(dos, vbArchive);
        EXPECT_EQ(modeOf(dos), 0664u);
        EXPECT_EQ(GetAttr(dos), vbArchive);
    }
    umask(oldMask);
}

// The owner of a read-only file may still change its hidden and archive
// bits: the permission check on user.DOSATTRIB is met for the write, and the
// file ends read-only. Run as an ordinary user (a child that gives up root).
TEST_F(FileSystemTest, ReadOnlyFilesTakeDosBitsForTheirOwner) {
    std::string path = dir.file("song.mp3");
    writeFile(path, "x");
    if (!setDosAttrib(path, "0x0")) GTEST_SKIP() << "no user extended attributes here";
    const uid_t nobody = 65534;
    if (geteuid() == 0) {
        ASSERT_EQ(chown(dir.path().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(path.c_str(), nobody, nobody), 0);
    }
    // Each step: the set written and the set read back; exit status i + 1
    // names the first step that failed.
    const std::pair<int, int> steps[] = {
        {vbReadOnly, vbReadOnly},
        {vbReadOnly | vbHidden, vbReadOnly | vbHidden},
        {vbReadOnly | vbArchive, vbReadOnly | vbArchive},
        {vbArchive, vbArchive},
        {vbReadOnly, vbReadOnly},
        {vbNormal, vbNormal},
    };
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(100);
        for (std::size_t i = 0; i < std::size(steps); ++i) {
            try {
                SetAttr(path, steps[i].first);
                struct stat st;
                if (GetAttr(path) != steps[i].second || stat(path.c_str(), &st) != 0) _exit(static_cast<int>(i) + 1);
                // Read-only takes the write permission away again.
                if (((st.st_mode & S_IWUSR) == 0) != ((steps[i].second & vbReadOnly) != 0)) _exit(50 + static_cast<int>(i));
            } catch (const Error&) {
                _exit(static_cast<int>(i) + 1);
            }
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "step " << WEXITSTATUS(status) << " failed";
}

TEST_F(FileSystemTest, KillDeletesMatchingFilesOnly) {
    for (const char* f : {"a.mp3", "B.MP3", "keep.txt", ".hidden.mp3"}) writeFile(dir.file(f), "x");
    fs::create_directory(dir.file("folder.mp3"));
    Kill(dir.file("*.mp3"));
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{".hidden.mp3", "folder.mp3", "keep.txt"}));
    EXPECT_EQ(errorOf([&] { Kill(dir.file("*.mp3")); }), 53);
    EXPECT_EQ(errorOf([&] { Kill(dir.file("none.txt")); }), 53);
    EXPECT_EQ(errorOf([&] { Kill(dir.file("folder.mp3")); }), 75);
    Kill(dir.file("KEEP.TXT"));
    EXPECT_FALSE(testsupport::exists(dir.file("keep.txt")));

    // A file this program holds open, or a read-only one, is not deleted.
    writeFile(dir.file("open.mp3"), "x");
    Files().Open(dir.file("open.mp3"), OpenMode::Binary, 1, Access::Read);
    EXPECT_EQ(errorOf([&] { Kill(dir.file("open.mp3")); }), 55);
    Close(1);
    writeFile(dir.file("ro.mp3"), "x");
    SetAttr(dir.file("ro.mp3"), vbReadOnly);
    EXPECT_EQ(errorOf([&] { Kill(dir.file("ro.mp3")); }), 75);
    EXPECT_TRUE(testsupport::exists(dir.file("ro.mp3")));
}

TEST_F(FileSystemTest, NameRenamesAndNeverReplaces) {
    writeFile(dir.file("a.mp3"), "a");
    writeFile(dir.file("Other.mp3"), "o");
    fs::create_directory(dir.file("Sub"));
    Name(dir.file("A.MP3"), dir.file("b.mp3"));
    EXPECT_EQ(readFile(dir.file("b.mp3")), "a");
    EXPECT_FALSE(testsupport::exists(dir.file("a.mp3")));
    // A change of case only is a rename.
    Name(dir.file("b.mp3"), dir.file("B.mp3"));
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"B.mp3", "Other.mp3", "Sub"}));
    // Into another folder, whose name is resolved.
    Name(dir.file("B.mp3"), dir.file("sub/B.mp3"));
    EXPECT_EQ(readFile(dir.file("Sub/B.mp3")), "a");

    EXPECT_EQ(errorOf([&] { Name(dir.file("Sub/B.mp3"), dir.file("Other.mp3")); }), 58);
    EXPECT_EQ(errorOf([&] { Name(dir.file("Sub/B.mp3"), dir.file("OTHER.MP3")); }), 58);
    EXPECT_EQ(errorOf([&] { Name(dir.file("none.mp3"), dir.file("x.mp3")); }), 53);
    EXPECT_EQ(errorOf([&] { Name(dir.file("Sub/B.mp3"), dir.file("missing/x.mp3")); }), 76);
    EXPECT_EQ(readFile(dir.file("Other.mp3")), "o");

    Files().Open(dir.file("Other.mp3"), OpenMode::Input, 1);
    EXPECT_EQ(errorOf([&] { Name(dir.file("Other.mp3"), dir.file("x.mp3")); }), 75);
}

TEST_F(FileSystemTest, FileCopyCopiesAndRefusesToCopyOntoItself) {
    std::string src = dir.file("Song.mp3");
    writeFile(src, "audio");
    chmod(src.c_str(), 0640);
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    utimensat(AT_FDCWD, src.c_str(), times, 0);
    fs::create_directory(dir.file("Copies"));
    FileCopy(dir.file("song.mp3"), dir.file("copies/Song.mp3"));
    EXPECT_EQ(readFile(dir.file("Copies/Song.mp3")), "audio");
    struct stat st;
    stat(dir.file("Copies/Song.mp3").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    // An existing destination is replaced, found without regard to case.
    writeFile(src, "new audio");
    FileCopy(src, dir.file("Copies/SONG.MP3"));
    EXPECT_EQ(onlyEntries(dir.file("Copies")), std::vector<std::string>{"Song.mp3"});
    EXPECT_EQ(readFile(dir.file("Copies/Song.mp3")), "new audio");

    // The same file under another spelling, a hard link or a symbolic link.
    ASSERT_EQ(link(src.c_str(), dir.file("hard.mp3").c_str()), 0);
    ASSERT_EQ(symlink(src.c_str(), dir.file("soft.mp3").c_str()), 0);
    for (const char* onto : {"Song.mp3", "SONG.MP3", "hard.mp3", "soft.mp3"}) {
        EXPECT_EQ(errorOf([&] { FileCopy(src, dir.file(onto)); }), 70) << onto;
        EXPECT_EQ(readFile(src), "new audio") << onto;
    }
    EXPECT_EQ(errorOf([&] { FileCopy(dir.file("none.mp3"), dir.file("x.mp3")); }), 53);
    EXPECT_EQ(errorOf([&] { FileCopy(src, dir.file("missing/x.mp3")); }), 76);
    EXPECT_EQ(errorOf([&] { FileCopy(src, dir.file("Copies")); }), 75);
    // Only a file is copied: a named pipe neither makes the copy wait for a
    // writer nor leaves an empty copy behind, and a device is not read forever.
    ASSERT_EQ(mkfifo(dir.file("pipe.mp3").c_str(), 0600), 0);
    EXPECT_EQ(errorOf([&] { FileCopy(dir.file("pipe.mp3"), dir.file("x.mp3")); }), 75);
    EXPECT_EQ(errorOf([&] { FileCopy("/dev/zero", dir.file("x.mp3")); }), 75);
    EXPECT_FALSE(testsupport::exists(dir.file("x.mp3")));

    // A source being written by this program is not copied half-written.
    Files().Open(src, OpenMode::Append, 1);
    EXPECT_EQ(errorOf([&] { FileCopy(src, dir.file("x.mp3")); }), 70);
    Close(1);
    Files().Open(src, OpenMode::Input, 1);
    EXPECT_EQ(errorOf([&] { FileCopy(src, dir.file("x.mp3")); }), 0);
}

TEST_F(FileSystemTest, MkDirAndRmDir) {
    MkDir(dir.file("New"));
    EXPECT_TRUE(FolderExists(dir.file("New")));
    EXPECT_EQ(errorOf([&] { MkDir(dir.file("New")); }), 75);
    EXPECT_EQ(errorOf([&] { MkDir(dir.file("NEW")); }), 75);
    EXPECT_EQ(errorOf([&] { MkDir(dir.file("a/b")); }), 76);
    MkDir(dir.file("new/Inner"));
    EXPECT_TRUE(FolderExists(dir.file("New/Inner")));
    EXPECT_EQ(errorOf([&] { RmDir(dir.file("New")); }), 75);
    RmDir(dir.file("NEW/inner"));
    RmDir(dir.file("new"));
    EXPECT_FALSE(FolderExists(dir.file("New")));
    EXPECT_EQ(errorOf([&] { RmDir(dir.file("New")); }), 76);
}

TEST_F(FileSystemTest, WalkFoldersNeverFollowsLinksNorVisitsTwice) {
    for (const char* d : {"root/b", "root/A/deep", "root/c", "outside"}) fs::create_directories(dir.file(d));
    fs::create_directory_symlink(dir.file("root"), dir.file("root/A/deep/loop"));  // back up the tree
    fs::create_directory_symlink(dir.file("outside"), dir.file("root/b/out"));
    writeFile(dir.file("root/file.mp3"), "x");
    std::vector<std::string> visited;
    WalkFolders(dir.file("ROOT"), [&](const std::string& folder) { visited.push_back(folder); });
    EXPECT_EQ(visited, (std::vector<std::string>{dir.file("root"), dir.file("root/A"), dir.file("root/A/deep"),
                                                 dir.file("root/b"), dir.file("root/c")}));
    visited.clear();
    WalkFolders(dir.file("none"), [&](const std::string& folder) { visited.push_back(folder); });
    EXPECT_TRUE(visited.empty());
}

TEST_F(FileSystemTest, KillFileDeletesOneFileLiterally) {
    for (const char* f : {"Why?.mp3", "Whyz.mp3", "*", "a.mp3", ".hidden"}) writeFile(dir.file(f), "x");
    KillFile(dir.file("Why?.mp3"));
    KillFile(dir.file("*"));
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{".hidden", "Whyz.mp3", "a.mp3"}));
    EXPECT_EQ(errorOf([&] { KillFile(dir.file("*")); }), 53);       // no pattern: nothing named "*" is left
    EXPECT_EQ(errorOf([&] { KillFile(dir.file("?.mp3")); }), 53);
    KillFile(dir.file(".hidden"));                                    // a hidden file is one file like another
    KillFile(dir.file("A.MP3"));                                      // resolved without regard to case
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"Whyz.mp3"}));

    // Kill's refusals: a folder, a file open here, a read-only file, no name.
    fs::create_directory(dir.file("folder"));
    EXPECT_EQ(errorOf([&] { KillFile(dir.file("folder")); }), 75);
    writeFile(dir.file("open.mp3"), "x");
    Files().Open(dir.file("open.mp3"), OpenMode::Binary, 1, Access::Read);
    EXPECT_EQ(errorOf([&] { KillFile(dir.file("open.mp3")); }), 55);
    Close(1);
    writeFile(dir.file("ro.mp3"), "x");
    SetAttr(dir.file("ro.mp3"), vbReadOnly);
    EXPECT_EQ(errorOf([&] { KillFile(dir.file("ro.mp3")); }), 75);
    EXPECT_EQ(errorOf([] { KillFile(""); }), 52);
    EXPECT_EQ(onlyEntries(dir.path()), (std::vector<std::string>{"Whyz.mp3", "folder", "open.mp3", "ro.mp3"}));

    // A link goes, not the file it names.
    fs::create_symlink(dir.file("Whyz.mp3"), dir.file("link.mp3"));
    KillFile(dir.file("link.mp3"));
    EXPECT_TRUE(testsupport::exists(dir.file("Whyz.mp3")));
}

TEST_F(FileSystemTest, WalkFoldersSkipsWhatTheCallerRefuses) {
    for (const char* d : {"root/.hidden/inner", "root/A/skip/deep", "root/A/keep", "root/b"})
        fs::create_directories(dir.file(d));
    std::vector<std::string> visited, asked;
    WalkFolders(
        dir.file("root"), [&](const std::string& folder) { visited.push_back(folder); },
        [&](const std::string& folder) {
            asked.push_back(folder);
            std::string name = folder.substr(folder.rfind('/') + 1);
            return name[0] != '.' && name != "skip";
        });
    EXPECT_EQ(visited, (std::vector<std::string>{dir.file("root"), dir.file("root/A"), dir.file("root/A/keep"),
                                                 dir.file("root/b")}));
    // Asked once for each folder beneath a visited one, never for the root or
    // for what lies beneath a refused folder.
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{dir.file("root/.hidden"), dir.file("root/A"), dir.file("root/A/keep"),
                                               dir.file("root/A/skip"), dir.file("root/b")}));
}

TEST_F(FileSystemTest, WalkFoldersOfNothingIsTheRoot) {
    std::vector<std::string> visited, asked;
    auto refuse = [&](const std::string& folder) {
        asked.push_back(folder);
        return false;
    };
    WalkFolders("", [&](const std::string& folder) { visited.push_back(folder); }, refuse);
    EXPECT_EQ(visited, std::vector<std::string>{"/"});
    ASSERT_FALSE(asked.empty());
    EXPECT_NE(std::find(asked.begin(), asked.end(), "/tmp"), asked.end());  // "/" + name, no double slash
    visited.clear();
    WalkFolders("/", [&](const std::string& folder) { visited.push_back(folder); }, refuse);
    EXPECT_EQ(visited, std::vector<std::string>{"/"});
}

TEST_F(FileSystemTest, PathFromTextRewritesNoPathWhoseBytesNameAFile) {
    // Latin-1 and bytes that no encoding reads: names a Linux folder may hold.
    const std::string latin1 = "caf\xE9.mp3", invalid = "caf\xE9\xFF.mp3", both = "b\xE9.mp3";
    for (const std::string& name : {latin1, invalid, both, std::string("b\xC3\xA9.mp3"), std::string("\xC3\xA9t\xC3\xA9.mp3"),
                             std::string("Old.mp3")})
        writeFile(dir.file(name), "x");
    const std::string folder = dir.path() + "/";
    const std::string oddFolder = dir.file("d\xE9") + "/";
    fs::create_directory(oddFolder);
    writeFile(oddFolder + "\xC3\xA9t\xC3\xA9.mp3", "x");  // "été" in UTF-8
    struct Case {
        const char* what;
        std::string line, folder, path;
    } cases[] = {
        {"UTF-8 is kept", "/none/\xC3\xA9.mp3", "", "/none/\xC3\xA9.mp3"},
        {"Latin-1 bytes that name a file", folder + latin1, "", folder + latin1},
        {"invalid bytes that name a file", folder + invalid, "", folder + invalid},
        {"bytes naming a file while their reading names another", folder + both, "", folder + both},
        {"Windows-1252 that only its reading names", folder + "\xE9t\xE9.mp3", "",
         folder + "\xC3\xA9t\xC3\xA9.mp3"},
        {"bytes that name nothing either way", folder + "gone\xE9\xFF.mp3", "", folder + "gone\xE9\xFF.mp3"},
        {"a relative line in its folder", invalid, folder, folder + invalid},
        {"only the line is read as Windows-1252, not its folder", "\xE9t\xE9.mp3", oddFolder,
         oddFolder + "\xC3\xA9t\xC3\xA9.mp3"},
        {"names are found without regard to case", folder + "old.MP3", "", folder + "old.MP3"},
    };
    for (const Case& c : cases) EXPECT_EQ(PathFromText(c.line, c.folder), c.path) << c.what;
}

TEST(PathFromFileUri, DecodesTheBytesOfALocalPath) {
    struct Case {
        std::string uri;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///m/a%20b.mp3", "/m/a b.mp3"},
        {"file:///m/caf%C3%A9.mp3", "/m/caf\xC3\xA9.mp3"},
        {"file:///m/caf\xC3\xA9.mp3", "/m/caf\xC3\xA9.mp3"},
        {"file:///m/caf%e9%FF.mp3", "/m/caf\xE9\xFF.mp3"},
        {"FILE://localhost/m/x.mp3", "/m/x.mp3"},
        {"file:/m/x.mp3", "/m/x.mp3"},
        {"file:///m/100%.mp3", "/m/100%.mp3"},
        {"file:///m/%zz%4", "/m/%zz%4"},
        {"file:///m/b%23c%5C", "/m/b#c\\"},
        {"file:///m/sub%2F..%2F..%2Fother%2Fa.mp3", std::nullopt},
        {"file:///m/a%2fb", std::nullopt},
        {"file://server/share/x.mp3", std::nullopt},
        {"file:///m/a%00b.mp3", std::nullopt},
        {std::string("file:///m/a\0b.mp3", 17), std::nullopt},
        {"file:m/x.mp3", std::nullopt},
        {"file://", std::nullopt},
        {"http://host/x.mp3", std::nullopt},
        {"/m/x.mp3", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PathFromFileUri(c.uri), c.path) << c.uri;
}

// A path that holds a NUL byte names no file: every call refuses it, naming
// the path and the reason, and none acts on the file or folder that the part
// before the NUL names (a system call would see only that part).
TEST_F(FileSystemTest, APathHoldingANulNamesNoFileAndTouchesNone) {
    const std::string nul("\0", 1);
    writeFile(dir.file("a.mp3"), "abc");
    writeFile(dir.file("b.mp3"), "bbb");
    fs::create_directories(dir.file("sub/empty"));
    writeFile(dir.file("sub/c.mp3"), "c");
    const std::string file = dir.file("a.mp3") + nul + "junk";     // a file, then junk
    const std::string folder = dir.file("sub") + nul + nul;        // a folder, then NULs
    const std::string empty = dir.file("sub/empty") + nul + "x";   // an empty folder
    const std::string fresh = dir.file("new") + nul + "x";         // nothing yet
    auto tree = [&] {
        std::vector<std::string> out;
        for (auto& e : fs::recursive_directory_iterator(dir.path())) {
            std::string line = e.path().string() + " " + std::to_string(static_cast<int>(e.status().permissions()));
            if (e.is_regular_file()) line += " " + readFile(e.path().string());
            out.push_back(line);
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::vector<std::string> before = tree();

    struct Refusal {
        const char* what;
        std::function<void()> call;
    };
    const Refusal refusals[] = {
        {"FileLen", [&] { FileLen(file); }},
        {"FileLen of a folder", [&] { FileLen(folder); }},
        {"FileDateTime", [&] { FileDateTime(file); }},
        {"GetAttr", [&] { GetAttr(file); }},
        {"SetAttr", [&] { SetAttr(file, vbReadOnly); }},
        {"KillFile", [&] { KillFile(file); }},
        {"Kill", [&] { Kill(file); }},
        {"Kill of a pattern", [&] { Kill(dir.file("*.mp3") + nul); }},
        {"Name from", [&] { Name(file, dir.file("moved.mp3")); }},
        {"Name onto", [&] { Name(dir.file("b.mp3"), dir.file("moved.mp3") + nul + "x"); }},
        {"FileCopy from", [&] { FileCopy(file, dir.file("copy.mp3")); }},
        {"FileCopy onto", [&] { FileCopy(dir.file("b.mp3"), file); }},
        {"MkDir", [&] { MkDir(fresh); }},
        {"RmDir", [&] { RmDir(empty); }},
        {"ResolvePath", [&] { ResolvePath(file); }},
        {"Open for input", [&] { Files().Open(file, OpenMode::Input, 1); }},
        {"Open for output", [&] { Files().Open(file, OpenMode::Output, 1); }},
        {"Open binary", [&] { Files().Open(file, OpenMode::Binary, 1); }},
        {"ReadWholeFile", [&] { ReadWholeFile(file); }},
        {"ReadFileIfThere", [&] { ReadFileIfThere(file); }},
        {"WriteFileAtomically", [&] { WriteFileAtomically(file, "new"); }},
        {"AtomicFile", [&] { AtomicFile f(file); }},
    };
    for (const Refusal& r : refusals) {
        try {
            r.call();
            ADD_FAILURE() << r.what << " took the path";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), err::BadFileName) << r.what;
            EXPECT_NE(e.description().find(dir.path()), std::string::npos) << r.what << ": " << e.description();
            EXPECT_NE(e.description().find("NUL"), std::string::npos) << r.what << ": " << e.description();
            EXPECT_EQ(e.description().find('\0'), std::string::npos) << r.what << ": the NUL is shown as \\0";
        }
        CloseAll();
    }

    // The questions find nothing.
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_EQ(IdentityOf(file), std::nullopt);
    EXPECT_EQ(listing(dir.file("a.mp3") + nul, vbNormal), std::vector<std::string>{});
    EXPECT_EQ(listing(folder + "/*.mp3", vbDirectory), std::vector<std::string>{});
    EXPECT_EQ(listing(dir.file("sub") + nul + "/*", vbDirectory), std::vector<std::string>{});
    std::vector<std::string> visited;
    WalkFolders(folder, [&](const std::string& f) { visited.push_back(f); });
    EXPECT_EQ(visited, std::vector<std::string>{});
    // A line read back keeps its bytes: it is the missing file it names.
    EXPECT_EQ(PathFromText(file), file);

    EXPECT_EQ(tree(), before);
}
