#include "system/file_info.hpp"

#include <fcntl.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "../runtime/file_times_support.hpp"
#include "runtime/filesystem.hpp"
#include "testsupport/errors.hpp"
#include "testsupport/support.hpp"

using sys::FileTypeDescription;
using sys::GetFile;
using testsupport::errorOf;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// A frame header of MPEG-1 layer III, 128 kbit/s, 44.1 kHz, and silence.
std::string mpegBytes() {
    std::string frame("\xFF\xFB\x90\x64", 4);
    frame.resize(417, '\0');
    return frame + frame + frame;
}

}  // namespace

TEST(FileInfo, RowsAreWhatStatxReports) {
    TempDir dir;
    std::string path = dir.file("Song.mp3");
    writeFile(path, mpegBytes());
    setTimes(path, 1'600'000'000, 1'500'000'000);  // accessed 2020, modified 2017
    runtime::SetAttr(path, runtime::vbReadOnly | runtime::vbArchive);

    sys::FileInfo info = GetFile(path);
    struct statx sx = statxOf(path);
    EXPECT_EQ(info.path, path);
    EXPECT_EQ(info.modified, asLocal(sx.stx_mtime));
    EXPECT_EQ(info.accessed, asLocal(sx.stx_atime));
    EXPECT_EQ(info.modified, runtime::FileDateTime(path));
    EXPECT_EQ(info.modified.year, 2017);
    EXPECT_EQ(info.accessed.year, 2020);
    if (sx.stx_mask & STATX_BTIME) {
        ASSERT_TRUE(info.created.has_value());
        EXPECT_EQ(*info.created, asLocal(sx.stx_btime));
    } else {
        EXPECT_FALSE(info.created.has_value());  // the file system keeps no creation time
    }
    EXPECT_EQ(info.size, 3 * 417);
    EXPECT_EQ(info.attributes, runtime::GetAttr(path));
    EXPECT_TRUE(info.attributes & runtime::vbReadOnly);
    EXPECT_EQ(info.type, "MP3 audio");
    runtime::SetAttr(path, runtime::vbNormal);
}

TEST(FileInfo, LookingDoesNotChangeTheAccessTime) {
    TempDir dir;
    std::string path = dir.file("a.mp3");
    writeFile(path, mpegBytes());
    setTimes(path, 1'000'000'000, 1'100'000'000);  // accessed before modified: relatime would update it
    runtime::DateTime first = GetFile(path).accessed;
    EXPECT_EQ(GetFile(path).accessed, first);
    EXPECT_EQ(asLocal(statxOf(path).stx_atime), first);
}

TEST(FileInfo, PathInAnotherCaseIsFound) {
    TempDir dir;
    writeFile(dir.file("Track.MP3"), mpegBytes());
    EXPECT_EQ(GetFile(dir.file("track.mp3")).path, dir.file("Track.MP3"));
}

TEST(FileInfo, MissingFileIs53) {
    TempDir dir;
    EXPECT_EQ(errorOf([&] { GetFile(dir.file("gone.mp3")); }), 53);
    EXPECT_EQ(errorOf([&] { GetFile(""); }), 53);
    EXPECT_EQ(errorOf([&] { GetFile(dir.path()); }), 53);  // a folder is no file
}

TEST(FileInfo, TypeDescriptions) {
    const std::string binary("\x01\x02\x03\x00\xFE\xFF", 6);
    struct Case {
        const char* name;
        std::string bytes;
        const char* type;
    } cases[] = {
        {"Song.mp3", mpegBytes(), "MP3 audio"},
        {"SONG.MP3", mpegBytes(), "MP3 audio"},     // an extension in capitals
        {"Song.mp3", "", "MP3 audio"},              // an empty file goes by its name
        {"x.zzq", binary, "ZZQ File"},              // a type the database does not know
        {"x.Zzq", "", "ZZQ File"},
        {"noextension", binary, "File"},
        {"trailingdot.", binary, "File"},
        {"/some/folder/x.zzq", binary, "ZZQ File"}, // a path: its name counts
        {"cover.jpg", "\xFF\xD8\xFF\xE0", "JPEG image"},
    };
    for (const Case& c : cases) EXPECT_EQ(FileTypeDescription(c.name, c.bytes), c.type) << c.name;
}

TEST(FileInfo, TypeIsEnglishWhateverTheLocale) {
    ScopedEnv language("LANGUAGE", "de");
    ScopedEnv all("LC_ALL", "de_DE.UTF-8");
    ScopedEnv messages("LC_MESSAGES", "de_DE.UTF-8");
    EXPECT_EQ(FileTypeDescription("Song.mp3", mpegBytes()), "MP3 audio");
    // GIO's own answer would be German here, which is what the English read avoids.
    gchar* german = g_content_type_get_description("audio/mpeg");
    EXPECT_STRNE(german, "MP3 audio");
    g_free(german);
}
