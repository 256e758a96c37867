// The file information panel: LoadInfo's rows against statx, the file's type,
// and the three attribute boxes as a table of files and clicks (what the file
// holds afterwards, read from its mode and user.DOSATTRIB directly, and what
// the boxes show), with the writes that fail.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "../runtime/file_times_support.hpp"
#include "../runtime/fs_test_support.hpp"
#include "editor_fixture.hpp"
#include "runtime/filesystem.hpp"
#include "runtime/format.hpp"

namespace {

using editortest::Editor;

// What the file holds, read without the runtime: read-only from the owner's
// write permission, the other bits from user.DOSATTRIB (hidden also from a
// leading "." of the name).
int heldBits(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    int bits = (st.st_mode & S_IWUSR) ? 0 : runtime::vbReadOnly;
    char buf[32] = "";
    ssize_t n = getxattr(path.c_str(), "user.DOSATTRIB", buf, sizeof buf - 1);
    if (n > 0) bits |= static_cast<int>(std::strtol(buf, nullptr, 16));
    if (std::filesystem::path(path).filename().string()[0] == '.') bits |= runtime::vbHidden;
    return bits;
}

// The bits the three boxes show.
int shownBits(tageditor::Form1& f) {
    return (f.Read.value() ? runtime::vbReadOnly : 0) | (f.Hidden.value() ? runtime::vbHidden : 0) |
           (f.Archive.value() ? runtime::vbArchive : 0);
}
constexpr int kBoxBits = runtime::vbReadOnly | runtime::vbHidden | runtime::vbArchive;

bool haveUserXattrs(const std::string& folder) {
    const std::string probe = folder + "/xattr-probe";
    testsupport::writeFile(probe, "");
    bool ok = setxattr(probe.c_str(), "user.DOSATTRIB", "0x0", 4, 0) == 0;
    std::filesystem::remove(probe);
    return ok;
}

// A frame header of MPEG-1 layer III, 128 kbit/s, 44.1 kHz, and silence.
std::string mpegBytes() {
    std::string frame("\xFF\xFB\x90\x64", 4);
    frame.resize(417, '\0');
    return frame + frame + frame;
}

const char* const kDesign = "Type :";

// The panel cycle's step that shows the information panel and runs LoadInfo
// (under the window's skip-on-error rule).
void showInfo(tageditor::Form1& f) {
    f.Command16.setCaption("Info");
    f.Command16.click();
    EXPECT_TRUE(f.Picture4.visible());
    EXPECT_EQ(f.Command16.caption(), "Tag 2");
}

}  // namespace

TEST(EditorInfo, RowsAreWhatStatxReports) {
    Editor e;
    auto& f = e.form();
    const std::string song = e.file("Song.mp3", mpegBytes());
    const std::string odd = e.file("notes.zzq", std::string("\x01\x02\x03\x00\xFE\xFF", 6));
    struct Case {
        std::string path;
        const char* type;
        std::int64_t size;
    } cases[] = {{song, "MP3 audio", 3 * 417}, {odd, "ZZQ File", 6}};
    for (const Case& c : cases) {
        e.reload(c.path);
        setTimes(c.path, 1'600'000'000, 1'500'000'000);  // accessed 2020, modified 2017
        f.LoadInfo();
        const struct statx sx = statxOf(c.path);
        EXPECT_EQ(f.Text6.caption(), runtime::GeneralDate(asLocal(sx.stx_mtime))) << c.path;
        EXPECT_EQ(f.Text8.caption(), runtime::GeneralDate(asLocal(sx.stx_atime))) << c.path;
        EXPECT_NE(f.Text6.caption().find("2017"), std::string::npos);
        EXPECT_NE(f.Text8.caption().find("2020"), std::string::npos);  // looking did not touch it
        if (sx.stx_mask & STATX_BTIME)
            EXPECT_EQ(f.Text7.caption(), runtime::GeneralDate(asLocal(sx.stx_btime))) << c.path;
        else
            EXPECT_EQ(f.Text7.caption(), "") << c.path;  // no creation time kept: an empty row
        EXPECT_EQ(f.Text9.caption(), c.type);
        EXPECT_EQ(f.Text12.caption(), std::to_string(c.size));
    }
    // The loader's rows are not LoadInfo's.
    EXPECT_NE(f.Label11.caption(), kDesign);
}

TEST(EditorInfo, NoFileOrAMissingOneLeavesTheRowsAndBoxes) {
    Editor e;
    auto& f = e.form();
    showInfo(f);  // nothing loaded yet
    for (forms::Label* l : {&f.Text6, &f.Text7, &f.Text8, &f.Text9, &f.Text12}) EXPECT_EQ(l->caption(), kDesign);

    const std::string song = e.file(".Song.mp3", mpegBytes());
    e.reload(song);
    showInfo(f);
    EXPECT_EQ(shownBits(f), runtime::vbHidden);
    const std::string filled = f.Text12.caption();
    EXPECT_EQ(filled, "1251");
    std::filesystem::remove(song);
    e.env().backend.clearLog();
    showInfo(f);
    EXPECT_EQ(f.Text12.caption(), filled);
    EXPECT_EQ(shownBits(f), runtime::vbHidden);  // as they were
    f.txtpath.setText("");
    showInfo(f);
    EXPECT_EQ(f.Text12.caption(), filled);
    EXPECT_EQ(shownBits(f), runtime::vbHidden);
    EXPECT_EQ(e.shownCount(), 0u);  // nothing reported
}

// Each box sets or clears its own bit and keeps the others; the boxes show
// the file's bits after each LoadInfo and each click, never an earlier file's.
TEST(EditorInfo, EachBoxChangesItsOwnBit) {
    Editor e;
    if (!haveUserXattrs(e.player.home.path())) GTEST_SKIP() << "no user extended attributes here";
    auto& f = e.form();
    f.Picture4.setVisible(true);  // the boxes take clicks where they are seen
    const std::string other = e.file("other.mp3", mpegBytes());
    struct Box {
        forms::CheckBox& box;
        int bit;
    } boxes[] = {{f.Read, runtime::vbReadOnly}, {f.Hidden, runtime::vbHidden}, {f.Archive, runtime::vbArchive}};
    int n = 0;
    for (int start : {0, 1, 2, 3, 32, 33, 34, 35, 36}) {
        for (const Box& b : boxes) {
            const std::string path = e.file("f" + std::to_string(n++) + ".mp3", mpegBytes());
            runtime::SetAttr(path, start);
            ASSERT_EQ(heldBits(path), start);
            // An earlier file with the opposite bits.
            runtime::SetAttr(other, ~start & kBoxBits);
            f.txtpath.setText(other);
            f.LoadInfo();
            ASSERT_EQ(shownBits(f), ~start & kBoxBits);

            f.txtpath.setText(path);
            const struct statx before = statxOf(path);
            f.LoadInfo();
            const struct statx after = statxOf(path);
            EXPECT_EQ(shownBits(f), start & kBoxBits) << start;
            // Showing the panel never writes the file.
            EXPECT_EQ(heldBits(path), start) << start;
            EXPECT_EQ(after.stx_ctime.tv_sec, before.stx_ctime.tv_sec);
            EXPECT_EQ(after.stx_ctime.tv_nsec, before.stx_ctime.tv_nsec) << start;

            b.box.click();
            const int want = start ^ b.bit;
            EXPECT_EQ(heldBits(path), want) << start << " " << b.box.name();
            EXPECT_EQ(runtime::GetAttr(path), want) << start << " " << b.box.name();
            EXPECT_EQ(shownBits(f), want & kBoxBits) << start << " " << b.box.name();
            EXPECT_EQ(e.shownCount(), 0u) << start << " " << b.box.name();
            runtime::SetAttr(path, 0);
        }
    }
    runtime::SetAttr(other, 0);
}

TEST(EditorInfo, AFileInAReadOnlyFolderTakesItsBits) {
    Editor e;
    if (!haveUserXattrs(e.player.home.path())) GTEST_SKIP() << "no user extended attributes here";
    auto& f = e.form();
    f.Picture4.setVisible(true);
    const std::string path = e.file("locked/song.mp3", mpegBytes());
    const std::string folder = e.player.home.file("locked");
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    f.txtpath.setText(path);
    f.LoadInfo();
    f.Hidden.click();
    f.Read.click();
    EXPECT_EQ(heldBits(path), runtime::vbReadOnly | runtime::vbHidden);
    EXPECT_EQ(shownBits(f), runtime::vbReadOnly | runtime::vbHidden);
    EXPECT_TRUE(std::filesystem::exists(path));  // the same name, not a new file
    EXPECT_EQ(e.shownCount(), 0u);
    runtime::SetAttr(path, 0);
    chmod(folder.c_str(), 0755);
}

TEST(EditorInfo, ADotFileStaysHiddenAndSaysSo) {
    Editor e;
    auto& f = e.form();
    f.Picture4.setVisible(true);
    const std::string path = e.file(".secret.mp3", mpegBytes());
    f.txtpath.setText(path);
    f.LoadInfo();
    EXPECT_EQ(f.Hidden.value(), 1);
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Hidden.click();
    ASSERT_EQ(e.shownCount(), 1u);
    EXPECT_NE(e.lastMessage().prompt.find(path), std::string::npos) << e.lastMessage().prompt;
    EXPECT_NE(e.lastMessage().prompt.find("Hidden"), std::string::npos);
    EXPECT_EQ(e.lastMessage().title, runtime::App::Title());
    EXPECT_EQ(f.Hidden.value(), 1);  // what the file holds
    EXPECT_EQ(heldBits(path) & ~runtime::vbHidden, 0);
}

TEST(EditorInfo, AFailedWriteIsReportedAndTheBoxesShowTheFile) {
    Editor e;
    auto& f = e.form();
    f.Picture4.setVisible(true);
    // No file loaded.
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Read.click();
    ASSERT_EQ(e.shownCount(), 1u);
    EXPECT_NE(e.lastMessage().prompt.find("No file is loaded"), std::string::npos);
    EXPECT_EQ(f.Read.value(), 0);

    // The file gone after the panel showed it.
    const std::string gone = e.file("gone.mp3", mpegBytes());
    f.txtpath.setText(gone);
    f.LoadInfo();
    std::filesystem::remove(gone);
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Archive.click();
    ASSERT_EQ(e.shownCount(), 2u);
    EXPECT_NE(e.lastMessage().prompt.find(gone), std::string::npos);
    EXPECT_EQ(f.Archive.value(), 0);
    EXPECT_FALSE(std::filesystem::exists(gone));

    // A file that refuses the change.
    const std::string locked = e.file("locked.mp3", mpegBytes());
    f.txtpath.setText(locked);
    f.LoadInfo();
    Unwritable refuse(locked);
    if (!refuse.active()) GTEST_SKIP() << "no way to make a file refuse changes here";
    e.env().dialogs.answerMessageBox(forms::vbOK);
    f.Read.click();
    ASSERT_EQ(e.shownCount(), 3u);
    EXPECT_NE(e.lastMessage().prompt.find(locked), std::string::npos);
    EXPECT_EQ(heldBits(locked), 0);
    EXPECT_EQ(shownBits(f), 0);
}

// While the panel is shown, a file loaded into the window (by the main
// window's loader or by a drop) brings its own rows and boxes; setting the
// boxes from the file writes neither file.
TEST(EditorInfo, AFileLoadedWhileThePanelIsShownBringsItsRowsAndBoxes) {
    Editor e;
    auto& f = e.form();
    struct Way {
        const char* what;
        std::function<void(const std::string&)> load;
    } ways[] = {
        {"the main window's loader", [&](const std::string& p) { e.reload(p); }},
        {"a drop", [&](const std::string& p) { f.dropFiles({p}); }},
    };
    int n = 0;
    for (const Way& w : ways) {
        SCOPED_TRACE(w.what);
        const std::string shown = e.file("shown" + std::to_string(n) + ".mp3", mpegBytes());
        const std::string next = e.file(".next" + std::to_string(n++) + ".mp3", mpegBytes() + "tail");
        ASSERT_EQ(chmod(shown.c_str(), 0644), 0);
        ASSERT_EQ(chmod(next.c_str(), 0444), 0);
        setTimes(next, 1'600'000'000, 1'500'000'000);  // modified in 2017
        e.open(shown);
        showInfo(f);
        ASSERT_EQ(shownBits(f), 0);
        ASSERT_EQ(f.Text12.caption(), "1251");
        const struct statx before = statxOf(next);

        w.load(next);
        EXPECT_EQ(f.txtpath.text(), next);
        EXPECT_EQ(f.Text12.caption(), "1255");
        EXPECT_NE(f.Text6.caption().find("2017"), std::string::npos) << f.Text6.caption();
        EXPECT_EQ(f.Text9.caption(), "MP3 audio");
        EXPECT_EQ(f.Label11.caption(), "128");
        EXPECT_EQ(shownBits(f), runtime::vbReadOnly | runtime::vbHidden);
        const struct statx after = statxOf(next);
        EXPECT_EQ(after.stx_mode & 07777, 0444);
        EXPECT_EQ(after.stx_ctime.tv_sec, before.stx_ctime.tv_sec);
        EXPECT_EQ(after.stx_ctime.tv_nsec, before.stx_ctime.tv_nsec);
        EXPECT_EQ(statxOf(shown).stx_mode & 07777, 0644);
        EXPECT_EQ(e.shownCount(), 0u);
        ASSERT_EQ(chmod(next.c_str(), 0644), 0);
    }

    // A path that names no file leaves nothing of the file shown before.
    e.reload(e.player.home.file("gone.mp3"));
    for (forms::Label* l : {&f.Text6, &f.Text7, &f.Text8, &f.Text9, &f.Text12}) EXPECT_EQ(l->caption(), "");
    EXPECT_EQ(shownBits(f), 0);
}

// Unticking Read Only gives the file back the write permissions it had
// before the tick; a file that came read-only gets the owner's and those the
// umask allows.
TEST(EditorInfo, UntickingReadOnlyGivesTheWritePermissionsBack) {
    Editor e;
    auto& f = e.form();
    f.Picture4.setVisible(true);
    struct Case {
        mode_t start, mask, untick;
    } cases[] = {{0664, 022, 0664}, {0666, 077, 0666}, {0640, 002, 0640}, {0444, 002, 0664}, {0444, 022, 0644}};
    const mode_t oldMask = umask(022);
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = e.file("ro" + std::to_string(n++) + ".mp3", mpegBytes());
        ASSERT_EQ(chmod(path.c_str(), c.start), 0);
        umask(c.mask);
        f.txtpath.setText(path);
        f.LoadInfo();
        if (c.start & S_IWUSR) {
            ASSERT_EQ(f.Read.value(), 0);
            f.Read.click();
            EXPECT_EQ(statxOf(path).stx_mode & 07777, c.start & ~mode_t(0222)) << std::oct << c.start;
        }
        ASSERT_EQ(f.Read.value(), 1);
        f.Read.click();
        EXPECT_EQ(f.Read.value(), 0);
        EXPECT_EQ(statxOf(path).stx_mode & 07777, c.untick) << std::oct << c.start << " umask " << c.mask;
    }
    umask(oldMask);
    EXPECT_EQ(e.shownCount(), 0u);
}
