// The OS helper procedures on the scripted dialogs and the in-memory
// clipboard, and the window effects by handle: opacity, stay on top, fade-in.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "player/fade.hpp"
#include "player/os_helpers.hpp"
#include "runtime/error.hpp"
#include "runtime/scheduler.hpp"
#include "testsupport/support.hpp"

namespace {

using namespace std::string_literals;

struct Main : forms::Form {
    Main() : Form("Main") {}
};

class Helpers : public ::testing::Test {
protected:
    forms::TestEnvironment env;
};

TEST(Helpers_, TrimAtNull) {
    EXPECT_EQ(player::TrimAtNull("abc"), "abc");
    EXPECT_EQ(player::TrimAtNull("\0abc"s), "");
    EXPECT_EQ(player::TrimAtNull("ab\0c\0"s), "ab");
}

TEST(Helpers_, GetFilterItemWalksThePairs) {
    const std::string filter = "MP3 Files (*.MP3)\0*.MP3\0All Files (*.*)\0*.*\0\0"s;
    struct Case {
        std::int32_t index;
        std::string item;
    };
    std::vector<Case> cases = {
        {1, "MP3 Files (*.MP3)\0*.MP3"s},
        {2, "All Files (*.*)\0*.*"s},
        {3, "\0"s},  // pairs + 1: the lone closing NUL
        {4, "MP3 Files (*.MP3)\0*.MP3"s},  // counting on from the first pair
        {0, ""},
        {-5, ""},
        {2000000000, "All Files (*.*)\0*.*"s},  // reduced, not walked
    };
    for (auto& c : cases) EXPECT_EQ(player::GetFilterItem(filter, c.index), c.item) << c.index;
    EXPECT_EQ(player::GetFilterItem("", 1), "");
    EXPECT_EQ(player::GetFilterItem("no separator", 1), "");
}

TEST_F(Helpers, ShowOpenFileDialogKeepingTheFirstPair) {
    env.dialogs.answerFileDialog({true, {"/music/song.mp3"}, 1, false});
    std::string fileName, fileTitle, filter = "MP3 Files (*.MP3)|*.MP3|All Files (*.*)|*.*";
    bool readOnly = false;
    std::int32_t filterIndex = 1, flags = 0;
    EXPECT_TRUE(player::ShowOpenFileDialog(fileName, fileTitle, true, false, readOnly, false, filter, filterIndex, "",
                                           "", "MP3", 0x10010, flags));
    EXPECT_EQ(fileName, "/music/song.mp3");
    EXPECT_EQ(fileTitle, "song.mp3");
    EXPECT_EQ(filter, "MP3 Files (*.MP3)\0*.MP3"s);
    EXPECT_EQ(filterIndex, 1);
    EXPECT_EQ(flags, player::OFN_FILEMUSTEXIST);
    const auto& req = env.dialogs.shown().back().file;
    ASSERT_EQ(req.filters.size(), 2u);
    EXPECT_EQ(req.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(req.filters[1].patterns, "*.*");
    EXPECT_EQ(req.defaultExt, "MP3");
    EXPECT_TRUE(req.fileMustExist);
    EXPECT_FALSE(req.multiSelect);
}

TEST_F(Helpers, AColonInADescriptionSplitsLikeABar) {
    env.dialogs.answerFileDialog({true, {"/a.mp3"}, 2, false});
    std::string fileName, fileTitle, filter = "Songs: MP3|*.mp3|All|*.*";
    bool readOnly = false;
    std::int32_t filterIndex = 1, flags = 0;
    player::ShowOpenFileDialog(fileName, fileTitle, false, false, readOnly, false, filter, filterIndex, "", "", "", -1,
                               flags);
    EXPECT_EQ(filter, "*.mp3\0All"s);  // every later pair shifts by one
    const auto& req = env.dialogs.shown().back().file;
    ASSERT_GE(req.filters.size(), 2u);
    EXPECT_EQ(req.filters[0].description, "Songs");
    EXPECT_EQ(req.filters[0].patterns, " MP3");
    EXPECT_EQ(req.owner, 0);  // -1: no owner
}

TEST_F(Helpers, CancelClearsTheOutputsAndKeepsReadOnly) {
    env.dialogs.answerFileDialog({});
    std::string fileName = "x.mp3", fileTitle = "x", filter = "A|*.a";
    bool readOnly = true;
    std::int32_t filterIndex = 1, flags = 0x80000;
    EXPECT_FALSE(player::ShowOpenFileDialog(fileName, fileTitle, false, false, readOnly, false, filter, filterIndex,
                                            "", "", "", 0, flags));
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(fileTitle, "");
    EXPECT_EQ(filter, "");
    EXPECT_EQ(filterIndex, -1);
    EXPECT_EQ(flags, 0);
    EXPECT_TRUE(readOnly);
}

TEST_F(Helpers, ReadOnlyStaysTrueWhenTheUserClearsTheBox) {
    env.dialogs.answerFileDialog({true, {"/a.mp3"}, 1, false});
    std::string fileName, fileTitle, filter = "A|*.a";
    bool readOnly = true;
    std::int32_t filterIndex = 1, flags = 0;
    player::ShowOpenFileDialog(fileName, fileTitle, false, false, readOnly, false, filter, filterIndex, "", "", "", 0,
                               flags);
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(env.dialogs.shown().back().file.readOnlyChecked);
    EXPECT_EQ(flags & player::OFN_READONLY, 0);
}

TEST_F(Helpers, MultiSelectResults) {
    std::string fileName, fileTitle, filter = "A|*.a";
    bool readOnly = false;
    std::int32_t filterIndex = 1, flags = player::OFN_EXPLORER;
    std::string longName(300, 'n');
    env.dialogs.answerFileDialog({true, {"/music/a.mp3", "/music/" + longName}, 1, false});
    EXPECT_TRUE(player::ShowOpenFileDialog(fileName, fileTitle, false, true, readOnly, false, filter, filterIndex, "",
                                           "", "", 0, flags));
    EXPECT_EQ(fileName, "/music\0a.mp3\0"s + longName);  // whole, no 260-character cut
    EXPECT_EQ(fileTitle, "");
    flags = player::OFN_EXPLORER;
    env.dialogs.answerFileDialog({true, {"/music/one.mp3"}, 1, false});
    player::ShowOpenFileDialog(fileName, fileTitle, false, true, readOnly, false, filter, filterIndex, "", "", "", 0,
                               flags);
    EXPECT_EQ(fileName, "/music/one.mp3");  // one file: its full path alone
    flags = 0;  // without the Explorer style the names are separated by blanks
    env.dialogs.answerFileDialog({true, {"/m/a.mp3", "/m/b.mp3"}, 1, false});
    player::ShowOpenFileDialog(fileName, fileTitle, false, true, readOnly, false, filter, filterIndex, "", "", "", 0,
                               flags);
    EXPECT_EQ(fileName, "/m a.mp3 b.mp3");
}

TEST_F(Helpers, OversizedArgumentsAreErrors) {
    std::string fileName(261, 'x'), fileTitle, filter = "A|*.a";
    bool readOnly = false;
    std::int32_t filterIndex = 1, flags = 0;
    try {
        player::ShowOpenFileDialog(fileName, fileTitle, false, false, readOnly, false, filter, filterIndex, "", "",
                                   "", 0, flags);
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 5);
    }
    std::string hugeFilter(32768, 'f'), empty;
    try {
        player::ShowOpenFileDialog(empty, fileTitle, false, false, readOnly, false, hugeFilter, filterIndex, "", "",
                                   "", 0, flags);
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_TRUE(env.dialogs.shown().empty());
}

TEST_F(Helpers, BrowseForFolder) {
    env.dialogs.answerFolder("/music/rock/"s);
    env.dialogs.answerFolder("/"s);
    env.dialogs.answerFolder(std::nullopt);
    EXPECT_EQ(player::BrowseForFolder(0, "Select a folder."), "/music/rock");
    EXPECT_EQ(player::BrowseForFolder(0, "Select a folder."), "/");  // the root keeps its "/"
    EXPECT_EQ(player::BrowseForFolder(0, "Select a folder."), "");
    EXPECT_EQ(env.dialogs.shown()[0].folder.title, "Select a folder.");
}

TEST_F(Helpers, CopyFilesToClipboard) {
    forms::clipboard().setText("old contents");
    EXPECT_FALSE(player::CopyFilesToClipboard({}));
    EXPECT_EQ(forms::clipboard().text(), "old contents");
    env.clipboard.setRefuse(true);
    EXPECT_FALSE(player::CopyFilesToClipboard({"/music/a.mp3"}));
    EXPECT_EQ(forms::clipboard().text(), "old contents");
    env.clipboard.setRefuse(false);
    EXPECT_TRUE(player::CopyFilesToClipboard({"/music/a.mp3"}));
    EXPECT_EQ(forms::clipboard().files(), (std::vector<std::string>{"/music/a.mp3"}));
    EXPECT_EQ(env.clipboard.uriList(), "file:///music/a.mp3\r\n");
    // A name holding a NUL names no file: the copy fails and the clipboard keeps what it held.
    EXPECT_FALSE(player::CopyFilesToClipboard({std::string("/music/a.mp3\0junk", 17)}));
    EXPECT_EQ(forms::clipboard().files(), (std::vector<std::string>{"/music/a.mp3"}));
}

TEST_F(Helpers, CopyFilesToClipboardNamesTheFilesAsTheFileManagersFindThem) {
    // A path taken from the command line may be relative and lower-cased:
    // the clipboard names the file itself, absolute and as it is spelled.
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("Song One.mp3"), "x");
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    bool ok = player::CopyFilesToClipboard({"song one.mp3"});
    std::filesystem::current_path(before);
    EXPECT_TRUE(ok);
    EXPECT_EQ(forms::clipboard().files(), (std::vector<std::string>{dir.file("Song One.mp3")}));
    EXPECT_EQ(env.clipboard.uriList(), forms::fileUri(dir.file("Song One.mp3")) + "\r\n");
}

TEST_F(Helpers, WindowAlphaAndTopmostByHandle) {
    auto& f = forms::Get<Main>();
    player::SetWindowAlpha(f.hWnd(), 128);
    EXPECT_TRUE(f.layered());
    EXPECT_EQ(f.alpha(), 128);
    player::SetWindowAlpha(f.hWnd(), 255);  // works again on a layered window
    EXPECT_EQ(f.alpha(), 255);
    player::SetTopmost(f.hWnd(), true);
    EXPECT_TRUE(f.topmost());
    EXPECT_FALSE(f.visible());
    player::SetTopmost(f.hWnd(), false);
    EXPECT_FALSE(f.topmost());
    player::SetWindowAlpha(0x7fff0000, 10);  // a stale handle: no effect, no error
    player::SetTopmost(0, true);
}

TEST_F(Helpers, FadeInStepsFromZeroBelow255) {
    auto& f = forms::Get<Main>();
    struct Case {
        std::int16_t step;
        std::size_t calls;
        int last;
    };
    for (Case c : {Case{2, 128, 254}, Case{100, 3, 200}, Case{255, 1, 0}}) {
        f.setLayered(true);
        env.backend.clearLog();
        player::lwa_FadeIn(f.hWnd(), c.step);
        auto lines = env.backend.lines("Main opacity");
        EXPECT_EQ(lines.size(), c.calls) << c.step;
        EXPECT_EQ(f.alpha(), c.last) << c.step;
        if (!lines.empty()) {
            EXPECT_EQ(lines.front(), "Main opacity 0");
        }
    }
}

TEST_F(Helpers, AWindowMadeLayeredShowsNothingUntilTheFadeSetsItsAlpha) {
    // The main window's start with the fade on: layered style, show, pending
    // events, then the fade from 0. The window never flashes up opaque first.
    auto& f = forms::Get<Main>();
    f.setLayered(true);
    f.show();
    runtime::DoEvents();
    EXPECT_EQ(f.alpha(), 0);
    player::lwa_FadeIn(f.hWnd(), 2);
    auto lines = env.backend.lines("Main opacity");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Main opacity 255"), 0);
    EXPECT_EQ(lines.back(), "Main opacity 254");
}

TEST_F(Helpers, FadeInLetsEventsRunAndStopsAtOnceForABadStep) {
    auto& f = forms::Get<Main>();
    f.setLayered(true);
    int deferred = 0;
    env.scheduler.defer([&] { ++deferred; });
    player::lwa_FadeIn(f.hWnd(), 100);
    EXPECT_EQ(deferred, 1);
    env.backend.clearLog();
    player::lwa_FadeIn(f.hWnd(), 0);
    player::lwa_FadeIn(f.hWnd(), -3);
    EXPECT_TRUE(env.backend.lines("Main opacity").empty());
    struct Unlayered : forms::Form {
        Unlayered() : Form("Unlayered") {}
    };
    auto& u = forms::Get<Unlayered>();
    player::lwa_FadeIn(u.hWnd(), 2);  // not layered: the fade has no effect
    EXPECT_EQ(u.alpha(), 255);
}

}  // namespace
