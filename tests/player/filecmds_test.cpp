// The File submenu's commands on the selected entry: copy to the clipboard
// or into a folder, the path as text, removal from the playlist, deletion
// from the disk, rename, and opening the file or its folder.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "player/playlist.hpp"
#include "player_fixture.hpp"

namespace {

using playertest::Player;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// A started window holding c, a, b (in that order of adding, so List2's
// sorted order differs from List1's), builder done.
struct Three {
    Player p;
    player::Form2& f = p.start();
    std::string c = p.track("c.mp3", 3), a = p.track("a.mp3", 1), b = p.track("b.mp3", 2);
    Three() { p.fill({c, a, b}); }
    // Selects the visible line of a path, as a click does.
    void select(const std::string& path) {
        std::string line = player::DisplayLine(path);
        for (long i = 0; i < f.List2.listCount(); ++i)
            if (f.List2.list(i) == line) return f.List2.setListIndex(i);
        FAIL() << "no line for " << path;
    }
    void expectInStep(const Lines& paths) {
        EXPECT_EQ(Player::items(f.lstFiles), paths);
        Lines lines;
        for (auto& s : paths) lines.push_back(player::DisplayLine(s));
        EXPECT_EQ(Player::items(f.List1), lines);
        std::sort(lines.begin(), lines.end());
        EXPECT_EQ(Player::items(f.List2), lines);
    }
};

Lines waitForLines(const std::string& path, std::size_t lines) {
    Lines got;
    for (int i = 0; i < 500; ++i) {
        got.clear();
        std::ifstream in(path);
        for (std::string l; std::getline(in, l);) got.push_back(l);
        if (got.size() >= lines) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
}

TEST(CopyTrack, PutsTheSelectedFileOnTheClipboard) {
    Three t;
    t.select(t.a);
    t.f.mnuclipboard.choose();
    EXPECT_EQ(t.p.env.clipboard.files(), (Lines{t.a}));
    EXPECT_EQ(t.f.activeControl(), &t.f.List2);
}

TEST(CopyTrack, ARefusingClipboardShowsTheMessage) {
    Three t;
    t.select(t.a);
    t.p.env.clipboard.setRefuse(true);
    t.p.env.dialogs.answerMessageBox(forms::vbOK);
    t.f.mnuclipboard.choose();
    ASSERT_EQ(t.p.env.dialogs.shown().size(), 1u);
    const auto& box = t.p.env.dialogs.shown()[0].message;
    EXPECT_EQ(box.prompt, "Can Not Copy Error ");
    EXPECT_EQ(box.buttons, forms::vbCritical + forms::vbOKOnly);
    EXPECT_EQ(box.title, runtime::App::Title());
}

TEST(CopyTrackAndTrackPath, WithNothingSelectedLeaveTheClipboardAlone) {
    Three t;
    t.f.List2.setListIndex(-1);
    t.p.env.clipboard.setText("kept");
    t.f.mnuclipboard.choose();
    t.f.mnutrackpath.choose();
    EXPECT_EQ(t.p.env.clipboard.text(), "kept");
    EXPECT_TRUE(t.p.env.clipboard.files().empty());
}

TEST(TrackPath, PutsThePathAsText) {
    Three t;
    t.select(t.b);
    t.f.mnutrackpath.choose();
    EXPECT_EQ(t.p.env.clipboard.text(), t.b);
}

TEST(ToFolder, ReplacesAFileOfTheSameName) {
    Three t;
    std::string folder = t.p.home.file("copies");
    fs::create_directories(folder);
    testsupport::writeFile(folder + "/a.mp3", "older and longer");
    t.select(t.a);
    t.p.env.dialogs.answerFolder(folder);
    t.f.mnufolder.choose();
    EXPECT_EQ(testsupport::readFile(folder + "/a.mp3"), testsupport::readFile(t.a));
    t.expectInStep({t.c, t.a, t.b});
}

TEST(ToFolder, CancelAndTheFilesOwnFolderDoNothing) {
    Three t;
    t.select(t.a);
    t.p.env.dialogs.answerFolder(std::nullopt);
    t.f.mnufolder.choose();
    t.p.env.dialogs.answerFolder(player::FolderOf(t.a));
    t.f.mnufolder.choose();
    EXPECT_EQ(t.p.env.dialogs.shown().size(), 2u);  // the two browsers, no message
    EXPECT_EQ(testsupport::readFile(t.a), std::string(1, '\0'));
}

TEST(ToFolder, AFailureNamesTheFileAndTheReason) {
    Three t;
    t.select(t.b);
    t.p.env.dialogs.answerFolder(t.p.home.file("no such folder"));
    t.p.env.dialogs.answerMessageBox(forms::vbOK);
    t.f.mnufolder.choose();
    ASSERT_EQ(t.p.env.dialogs.shown().size(), 2u);
    const std::string& prompt = t.p.env.dialogs.shown()[1].message.prompt;
    EXPECT_EQ(prompt.rfind("Could not copy file '" + t.b + "'\r\n\r\n", 0), 0u) << prompt;
    EXPECT_GT(prompt.size(), ("Could not copy file '" + t.b + "'\r\n\r\n").size());
}

TEST(Delete, TakesTheSelectedEntryOffAllThreeLists) {
    Three t;
    t.select(t.a);  // List2 line 0, entry 1
    t.f.mnudelete.choose();
    t.expectInStep({t.c, t.b});
    EXPECT_TRUE(testsupport::exists(t.a));  // the file stays
}

TEST(Delete, WithNoLineSelectedDoesNothing) {
    Three t;
    t.f.List2.setListIndex(-1);
    t.f.mnudelete.choose();
    t.f.mnudeletetrack.choose();  // no question either
    t.expectInStep({t.c, t.a, t.b});
    EXPECT_TRUE(t.p.env.dialogs.shown().empty());
}

TEST(DeleteTrack, AskedNoKeepsEverything) {
    Three t;
    t.select(t.b);
    t.p.env.dialogs.answerMessageBox(forms::vbNo);
    t.f.mnudeletetrack.choose();
    const auto& box = t.p.env.dialogs.shown().at(0).message;
    EXPECT_EQ(box.prompt, "Are You Sure You Want to Delete b - 2 Bytes From The Computer ");
    EXPECT_EQ(box.buttons, forms::vbYesNo + forms::vbQuestion);
    EXPECT_TRUE(testsupport::exists(t.b));
    t.expectInStep({t.c, t.a, t.b});
}

TEST(DeleteTrack, DeletesExactlyTheNamedFile) {
    Player p;
    auto& f = p.start();
    // "?" is a character of the name, not a pattern that would take "Whyz" too.
    std::string why = p.track("Why?.mp3", 4), whyz = p.track("Whyz.mp3", 4), other = p.track("x.mp3", 9);
    p.fill({whyz, other, why});
    f.List2.setListIndex(0);  // "Why? - 4 Bytes" sorts first
    ASSERT_EQ(f.List2.text(), "Why? - 4 Bytes");
    p.env.dialogs.answerMessageBox(forms::vbYes);
    f.mnudeletetrack.choose();
    EXPECT_FALSE(testsupport::exists(why));
    EXPECT_TRUE(testsupport::exists(whyz));
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{whyz, other}));
    EXPECT_EQ(Player::items(f.List2), (Lines{"Whyz - 4 Bytes", "x - 9 Bytes"}));
}

TEST(DeleteTrack, AFileThatCannotBeDeletedKeepsItsEntry) {
    Three t;
    fs::permissions(t.a, fs::perms::owner_read);  // read-only: refused
    t.select(t.a);
    t.p.env.dialogs.answerMessageBox(forms::vbYes);
    t.p.env.dialogs.answerMessageBox(forms::vbOK);
    t.f.mnudeletetrack.choose();
    ASSERT_EQ(t.p.env.dialogs.shown().size(), 2u);
    const auto& box = t.p.env.dialogs.shown()[1].message;
    EXPECT_EQ(box.prompt.rfind("Could not delete file '" + t.a + "'\r\n\r\n", 0), 0u) << box.prompt;
    EXPECT_EQ(box.buttons, forms::vbCritical);
    EXPECT_TRUE(testsupport::exists(t.a));
    t.expectInStep({t.c, t.a, t.b});
}

TEST(DeleteTrack, DuringABuildTheBuilderGoesOnInStep) {
    Player p;
    auto& f = p.start();
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) paths.push_back(p.track("t" + std::to_string(i) + ".mp3", 10 + i));
    p.fill({paths[0], paths[1], paths[2]});
    f.List2.setListIndex(1);  // t1
    for (int i = 3; i < 6; ++i) f.lstFiles.addItem(paths[i]);
    f.BuilderSlice = {};  // one line per tick
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(1);  // t3 built, t4 and t5 still to come
    p.env.dialogs.answerMessageBox(forms::vbYes);
    f.mnudeletetrack.choose();
    p.runBuilder();
    EXPECT_FALSE(testsupport::exists(paths[1]));
    Lines left = {paths[0], paths[2], paths[3], paths[4], paths[5]};
    EXPECT_EQ(Player::items(f.lstFiles), left);
    Lines lines;
    for (auto& s : left) lines.push_back(player::DisplayLine(s));
    EXPECT_EQ(Player::items(f.List1), lines);
    EXPECT_EQ(Player::items(f.List2), lines);  // already in sorted order
}

TEST(Rename, OpensTheRenameWindowOnTheSelectedEntry) {
    Three t;
    t.select(t.b);
    t.p.windows.calls.clear();
    t.f.mnurename.choose();
    EXPECT_EQ(t.p.windows.calls, (Lines{"Form5.Show"}));
    EXPECT_EQ(t.f.lstFiles.text(), t.b);  // what Form5 takes when it loads
}

TEST(RunTrackAndContainingFolder, WhatReachesTheOpener) {
    Player p;
    std::string opener = p.home.file("opener.sh"), out = p.home.file("opened.txt");
    testsupport::writeFile(opener, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + out + "'\n");
    fs::permissions(opener, fs::perms::owner_all);
    testsupport::ScopedEnv env("DOVETUNE_OPENER", opener);
    auto& f = p.start();
    std::string live = p.track("a (live).mp3", 5);
    p.fill({live});
    f.List2.setListIndex(0);
    f.mnuruntrack.choose();
    ASSERT_EQ(waitForLines(out, 1).size(), 1u);
    f.mnucontain.choose();
    // The whole path (no cut at " ("), then the folder with its trailing "/".
    EXPECT_EQ(waitForLines(out, 2), (Lines{live, player::FolderOf(live)}));
    EXPECT_EQ(f.Text4.text(), player::FolderOf(live));
    EXPECT_EQ(f.Text4.maxLength(), static_cast<long>(player::FolderOf(live).size()));
}

}  // namespace
