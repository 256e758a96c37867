// The windows and programs the main window opens: the tag editor on the
// selected or the playing file, the options pages, the contact window, the
// downloaders beside the program, the home page, the mail link, the CD door.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "player_fixture.hpp"
#include "runtime/strings.hpp"

namespace {

using playertest::Player;
using Lines = std::vector<std::string>;

// Reads the file once it holds at least `lines` lines (a started program
// writes it), waiting up to five seconds.
Lines waitForLines(const std::string& path, std::size_t lines) {
    Lines got;
    for (int i = 0; i < 500; ++i) {
        got.clear();
        if (testsupport::exists(path)) {
            std::ifstream in(path);
            for (std::string l; std::getline(in, l);) got.push_back(l);
        }
        if (got.size() >= lines) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
}

// A program that appends its name and its argument count to `out`.
void recordingProgram(const std::string& path, const std::string& out) {
    testsupport::writeFile(path, "#!/bin/sh\necho \"$(basename \"$0\") $#\" >> '" + out + "'\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

TEST(TagEditor, OnTheSelectedEntryShowsFirstThenLoads) {
    Player p;
    auto& f = p.start();
    std::string a = p.track("a.mp3", 10), b = p.track("b.mp3", 20);
    p.fill({a, b});
    f.List2.setListIndex(1);
    p.windows.calls.clear();
    f.mnupopuptag.choose();
    EXPECT_EQ(p.windows.calls, (Lines{"Form1.Show", "Form1.txtpath=" + b, "Form1.Timer1.Enabled=True"}));
}

TEST(TagEditor, WithNoEntryOpensOnAnEmptyPath) {
    Player p;
    auto& f = p.start();
    p.windows.calls.clear();
    f.mnupopuptag.choose();
    EXPECT_EQ(p.windows.calls, (Lines{"Form1.Show", "Form1.txtpath=", "Form1.Timer1.Enabled=True"}));
}

TEST(TagEditor, OnThePlayingFileSetsThePathBeforeTheShow) {
    Player p;
    auto& f = p.start();
    std::string a = p.track("a.mp3", 10), b = p.track("b.mp3", 20);
    p.fill({a, b});
    f.List2.setListIndex(0);  // the selection is not what plays
    f.MediaPlayer1.setFileName(b);
    p.windows.calls.clear();
    f.mnuplayingtag.choose();
    EXPECT_EQ(p.windows.calls, (Lines{"Form1.txtpath=" + b, "Form1.Show", "Form1.Timer1.Enabled=True"}));
}

TEST(TagEditor, TheTagAndTrayLabels) {
    Player p;
    auto& f = p.start();
    p.windows.calls.clear();
    f.Label14.click();
    f.Label12_Click();  // "Tray" lies outside the face: run by code only
    f.Label15_Click();
    EXPECT_EQ(p.windows.calls, (Lines{"Form1.Show", "Form1.WindowState=1"}));
}

TEST(OptionsWindow, EachPageHidesEveryOtherPanel) {
    struct Case {
        forms::Menu player::Form2::*item;
        Lines calls;
    } cases[] = {
        {&player::Form2::mnusettings, {"frmTestControls.Show"}},
        {&player::Form2::mnumakedefault,
         {"frmTestControls.Picture2.Visible=True", "frmTestControls.Picture1.Visible=False",
          "frmTestControls.Picture3.Visible=False", "frmTestControls.Picture4.Visible=False",
          "frmTestControls.Picture5.Visible=False", "frmTestControls.Picture7.Visible=False",
          "frmTestControls.Show"}},
        {&player::Form2::mnupopupabout,
         {"frmTestControls.Picture4.Visible=True", "frmTestControls.Picture1.Visible=False",
          "frmTestControls.Picture2.Visible=False", "frmTestControls.Picture3.Visible=False",
          "frmTestControls.Picture5.Visible=False", "frmTestControls.Picture7.Visible=False",
          "frmTestControls.Label10.FontBold=True", "frmTestControls.Show"}},
        {&player::Form2::mnupopupreadme,
         {"frmTestControls.Picture5.Visible=True", "frmTestControls.Picture1.Visible=False",
          "frmTestControls.Picture2.Visible=False", "frmTestControls.Picture3.Visible=False",
          "frmTestControls.Picture4.Visible=False", "frmTestControls.Picture7.Visible=False",
          "frmTestControls.Label7.FontBold=True", "frmTestControls.Show",
          "frmTestControls.Label6.FontBold=False"}},
    };
    Player p;
    auto& f = p.start();
    for (const Case& c : cases) {
        p.windows.calls.clear();
        (f.*c.item).choose();
        EXPECT_EQ(p.windows.calls, c.calls) << (f.*c.item).name();
    }
}

TEST(ContactWindow, AllThreeItemsOpenIt) {
    Player p;
    auto& f = p.start();
    p.windows.calls.clear();
    f.mnucontactme.choose();
    f.mnubugreport.choose();
    f.mnusongrequest.choose();
    EXPECT_EQ(p.windows.calls, (Lines{"Contact.Show", "Contact.Show", "Contact.Show"}));
}

TEST(ShellLinks, TheHomePageAndTheMailLinkReachTheOpener) {
    Player p;
    std::string opener = p.home.file("opener.sh"), out = p.home.file("opened.txt");
    testsupport::writeFile(opener, "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" + out + "'\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    testsupport::ScopedEnv env("DOVETUNE_OPENER", opener);
    auto& f = p.start();
    f.mnuhomepage.choose();
    ASSERT_EQ(waitForLines(out, 1).size(), 1u);
    f.mnumail.choose();
    // One argument each; the subject percent-encoded, no stray quote.
    EXPECT_EQ(waitForLines(out, 2), (Lines{"1|http://www.dovetune.example/",
                                           "1|mailto:support@dovetune.example?subject=dovetune%20support"}));
}

TEST(Downloaders, EachStartsItsOwnProgramWithoutArguments) {
    Player p;
    std::string out = p.home.file("started.txt");
    for (const char* name : {"Songhaul1", "Songhaul2", "Songhaul3"}) recordingProgram(p.app.file(name), out);
    auto& f = p.start();
    f.mnusonghaul2.choose();
    ASSERT_EQ(waitForLines(out, 1), (Lines{"Songhaul2 0"}));
    f.mnusonghaul3.choose();
    ASSERT_EQ(waitForLines(out, 2).size(), 2u);
    f.mnusonghaul1.choose();
    EXPECT_EQ(waitForLines(out, 3), (Lines{"Songhaul2 0", "Songhaul3 0", "Songhaul1 0"}));
}

TEST(Downloaders, AMissingProgramIsIgnored) {
    Player p;
    auto& f = p.start();
    f.mnusonghaul1.choose();  // no message: an unexpected dialog would fail the test
    f.mnusonghaul3.choose();
    EXPECT_TRUE(p.form2Loaded());
    EXPECT_EQ(p.env.dialogs.shown().size(), 0u);
}

// The live children of this process whose command is `name`.
std::vector<pid_t> childrenNamed(const std::string& name) {
    std::vector<pid_t> found;
    for (auto& e : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(e.path() / "stat");
        std::string stat;
        if (!std::getline(in, stat)) continue;
        auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 2 > stat.size()) continue;
        std::istringstream rest(stat.substr(close + 2));
        char state = 0;
        long ppid = 0;
        rest >> state >> ppid;
        if (stat.substr(open + 1, close - open - 1) == name && ppid == getpid() && state != 'Z')
            found.push_back(std::stoi(e.path().filename()));
    }
    return found;
}

TEST(Downloaders, TheRealSonghaul1StartsAndRuns) {
    std::string real = playertest::builtProgramDir() + "/Songhaul1";
    if (!testsupport::exists(real)) GTEST_SKIP() << "Songhaul1 is not built";
    Player p;
    std::filesystem::create_symlink(real, p.app.file("Songhaul1"));
    testsupport::ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    auto& f = p.start();
    f.mnusonghaul1.choose();
    std::vector<pid_t> pids;
    for (int i = 0; i < 500 && pids.empty(); ++i) {
        pids = childrenNamed("Songhaul1");
        if (pids.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(pids.size(), 1u);
    // Still running a moment later: it did not stop at its start.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(childrenNamed("Songhaul1"), pids);
    ASSERT_EQ(kill(pids[0], SIGTERM), 0);
    for (int i = 0; i < 500 && !childrenNamed("Songhaul1").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!childrenNamed("Songhaul1").empty()) kill(pids[0], SIGKILL);
    EXPECT_TRUE(childrenNamed("Songhaul1").empty());
}

TEST(CdDoor, ADeviceThatIsNoDriveDoesNothing) {
    Player p;
    std::string notADrive = p.home.file("cdrom");
    testsupport::writeFile(notADrive, "");
    testsupport::ScopedEnv device("DOVETUNE_CDROM_DEVICE", notADrive);
    auto& f = p.start();
    f.mnupopupeject.choose();
    f.mnupopupclose.choose();
    EXPECT_TRUE(p.form2Loaded());
    EXPECT_EQ(p.env.dialogs.shown().size(), 0u);
    EXPECT_EQ(testsupport::readFile(notADrive), "");
}

}  // namespace
