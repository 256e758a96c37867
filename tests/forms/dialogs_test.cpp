// The scripted dialogs, MsgBox and InputBox, the common dialog control and
// the clipboard's file-list formats.

#include <gtest/gtest.h>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "runtime/app.hpp"
#include "runtime/error.hpp"

namespace {

struct Owner : forms::Form {
    forms::CommonDialog CD1{*this, "CD1"};
    Owner() : Form("Owner") {}
};

class Dialogs : public ::testing::Test {
protected:
    forms::TestEnvironment env;
};

TEST_F(Dialogs, ScriptedAnswersReachTheCaller) {
    runtime::App::setForTest("/tmp", {}, "dovetune");
    env.dialogs.answerMessageBox(forms::vbNo);
    env.dialogs.answerInputBox(std::string("http://x"));
    env.dialogs.answerInputBox(std::nullopt);
    EXPECT_EQ(forms::MsgBox("Sure?", forms::vbYesNo + forms::vbQuestion), forms::vbNo);
    EXPECT_EQ(forms::InputBox(" Enter URL Address Include http://"), "http://x");
    EXPECT_EQ(forms::InputBox("again"), "");  // Cancel
    ASSERT_EQ(env.dialogs.shown().size(), 3u);
    EXPECT_EQ(env.dialogs.shown()[0].message.title, runtime::App::Title());
    EXPECT_EQ(env.dialogs.shown()[0].message.buttons, forms::vbYesNo + forms::vbQuestion);
}

TEST_F(Dialogs, AnUnexpectedDialogFailsInsteadOfHanging) {
    EXPECT_THROW(forms::MsgBox("nobody answers"), forms::UnexpectedDialog);
    env.dialogs.answerFolder(std::string("/music"));
    EXPECT_THROW(forms::MsgBox("wrong kind"), forms::UnexpectedDialog);
}

TEST_F(Dialogs, CommonDialogMultiSelectGivesFolderThenNames) {
    auto& f = forms::Get<Owner>();
    f.CD1.setFlags(forms::cdlOFNExplorer | forms::cdlOFNAllowMultiselect);
    f.CD1.setMaxFileSize(10000);
    f.CD1.setFilter("Music Files(*.Mp3 *.Wav) |*.Mp3; *.Wav");
    forms::FileDialogResult many{true, {"/music/a.mp3", "/music/b.mp3"}, 1, false};
    env.dialogs.answerFileDialog(many);
    f.CD1.showOpen();
    EXPECT_EQ(f.CD1.fileName(), std::string("/music\0a.mp3\0b.mp3", 18));
    ASSERT_EQ(env.dialogs.shown().back().file.filters.size(), 1u);
    EXPECT_EQ(env.dialogs.shown().back().file.filters[0].patterns, "*.Mp3; *.Wav");
    EXPECT_TRUE(env.dialogs.shown().back().file.multiSelect);

    env.dialogs.answerFileDialog({true, {"/music/only one.mp3"}, 1, false});
    f.CD1.showOpen();
    EXPECT_EQ(f.CD1.fileName(), "/music/only one.mp3");
    EXPECT_EQ(f.CD1.fileTitle(), "only one.mp3");
}

TEST_F(Dialogs, CommonDialogCancelAndBufferTooSmall) {
    auto& f = forms::Get<Owner>();
    f.CD1.setFileName("kept");
    env.dialogs.answerFileDialog({});
    f.CD1.showOpen();
    EXPECT_EQ(f.CD1.fileName(), "kept");
    f.CD1.setCancelError(true);
    env.dialogs.answerFileDialog({});
    try {
        f.CD1.showOpen();
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), forms::cdlCancel);
    }
    f.CD1.setMaxFileSize(10);
    env.dialogs.answerFileDialog({true, {"/a/very/long/name.mp3"}, 1, false});
    try {
        f.CD1.showOpen();
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), forms::cdlBufferTooSmall);
    }
}

TEST_F(Dialogs, ClipboardFileListInTheFileManagersFormats) {
    ASSERT_TRUE(forms::clipboard().setFiles({"/music/a b.mp3", "/music/\xc3\xa9t\xc3\xa9.mp3"}));
    EXPECT_EQ(env.clipboard.uriList(), "file:///music/a%20b.mp3\r\nfile:///music/%C3%A9t%C3%A9.mp3\r\n");
    EXPECT_EQ(env.clipboard.gnomeCopiedFiles(), "copy\nfile:///music/a%20b.mp3\nfile:///music/%C3%A9t%C3%A9.mp3");
    EXPECT_EQ(forms::pathsFromUriList(env.clipboard.uriList()),
              (std::vector<std::string>{"/music/a b.mp3", "/music/\xc3\xa9t\xc3\xa9.mp3"}));
    EXPECT_EQ(forms::pathsFromUriList("# comment\r\nhttp://x/y\r\nfile://localhost/tmp/z\r\n"),
              (std::vector<std::string>{"/tmp/z"}));
    // An escaped "/" or NUL names no file: such a name is no file of the list.
    EXPECT_EQ(forms::pathsFromUriList("file:///m/sub%2F..%2F..%2Fetc%2Fx.mp3\r\nfile:///m/a%00.mp3\r\nfile:///m/ok.mp3\r\n"),
              (std::vector<std::string>{"/m/ok.mp3"}));
}

}  // namespace
