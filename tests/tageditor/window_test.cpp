// The tag editor window: its load, the one-shot loader as a table of files,
// both opening orders, the mouse, and the ID3v1 switch.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "editor_fixture.hpp"
#include "metadata/module7.hpp"
#include "runtime/convert.hpp"
#include "runtime/app.hpp"
#include "runtime/files.hpp"
#include "tageditor/windows.hpp"

namespace {

using editortest::Editor;
using editortest::kCrLf;

std::vector<forms::Control*> id3v1Boxes(tageditor::Form1& f) {
    return {&f.txtTitle, &f.txtartist, &f.txtalbum, &f.Combo1, &f.txtYear, &f.txtComments};
}

std::string expectedText2(const std::string& path) {
    const metadata::MpegInfo m = metadata::Module7::GetMpegInfo(path);
    return "# Size: " + m.SizeText + kCrLf + "# Length: " + m.LengthText + kCrLf + "# Header found at: " +
           runtime::CStr(m.HeaderPosition) + " Bytes" + kCrLf + "# MPEG " + runtime::CStr(m.MpegVersion) +
           " Layer " + runtime::CStr(m.Layer) + kCrLf + "# " + runtime::CStr(m.Bitrate) + " Kbps, " +
           runtime::CStr(m.Frames) + " Frames" + kCrLf + "# " + runtime::CStr(m.SampleRate) + " Hz  " +
           m.ChannelMode + kCrLf + "# CRCs: " + m.Crc + kCrLf + "# Copyrighted: " + m.Copyrighted + kCrLf +
           "# Original: " + m.Original + kCrLf + "# Emphasis: " + m.Emphasis;
}

TEST(EditorWindow, LoadFillsTheGenreListsAndTheRatingList) {
    Editor e;
    auto& f = e.form();
    EXPECT_TRUE(f.visible());
    metadata::cMP3ID3v1 names;
    std::vector<std::pair<std::string, int>> expected{{"", 255}};
    for (int code = 0; code <= 255; ++code)
        if (auto n = names.GenreName(static_cast<std::uint8_t>(code)); !n.empty()) expected.emplace_back(n, code);
    for (forms::ComboBox* list : {&f.Combo1, &f.cboGenreV2}) {
        ASSERT_EQ(list->listCount(), static_cast<long>(expected.size())) << list->name();
        for (long i = 0; i < list->listCount(); ++i) {
            EXPECT_EQ(list->list(i), expected[static_cast<std::size_t>(i)].first);
            EXPECT_EQ(list->itemData(i), expected[static_cast<std::size_t>(i)].second);
        }
        EXPECT_EQ(list->text(), "");
    }
    EXPECT_EQ(f.Combo1.style(), 2);
    EXPECT_EQ(f.cboGenreV2.style(), 0);
    ASSERT_EQ(f.Combo2.listCount(), 7);
    EXPECT_EQ(f.Combo2.list(0), "Unrated");
    EXPECT_EQ(f.Combo2.list(6), "Bad Taste");
    EXPECT_EQ(f.Combo2.listIndex(), -1);
    for (forms::PictureBox* p : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4, &f.Picture5}) {
        EXPECT_EQ(p->left(), 4200);
        EXPECT_FALSE(p->visible());
    }
    EXPECT_TRUE(f.Timer2.enabled());
    EXPECT_TRUE(f.Timer3.enabled());
    EXPECT_FALSE(f.Timer1.enabled());
    EXPECT_EQ(f.clientWidthTwips(), 8070);
    EXPECT_EQ(f.clientHeightTwips(), 7305);
    EXPECT_EQ(f.borderStyle(), forms::BorderStyle::None);
    EXPECT_EQ(f.oleDropMode(), 1);
    EXPECT_EQ(f.Shape1.borderColor(), forms::RGB(127, 157, 185));
    EXPECT_EQ(f.Label1.foreColor(), forms::RGB(14, 42, 74));
    EXPECT_EQ(f.Picture4.backColor(), forms::RGB(237, 237, 237));
    for (int i = 0; i <= 27; ++i) EXPECT_TRUE(f.lblInfo.exists(i)) << i;
    EXPECT_EQ(f.lblInfo(24).caption(), "Menu");
    EXPECT_EQ(&f.lblInfo(10).container(), static_cast<forms::Container*>(&f.Picture2));
    EXPECT_EQ(&f.txtCommentV2.container(), static_cast<forms::Container*>(&f.Picture2));
    EXPECT_EQ(f.txtTitle.maxLength(), 30);
    EXPECT_EQ(f.txtTrack.maxLength(), 4);
    EXPECT_EQ(f.txtYearV2.maxLength(), 4);
    EXPECT_FALSE(f.mnutag.visible());
    EXPECT_FALSE(f.hasMenuBar());
    ASSERT_FALSE(f.icon().empty());
    EXPECT_EQ(f.icon().width(), e.player.form2().icon().width());
}

TEST(EditorWindow, WithoutItsSkinTheWindowIsPlainGrey) {
    Editor e(false);
    auto& f = e.form();
    EXPECT_FALSE(f.region().has_value());
    EXPECT_TRUE(f.picture().empty());
    EXPECT_EQ(f.backColor(), forms::RGB(64, 64, 64));
}

// Every control a user sees (at design, or shown later: the stars, heads and
// the side panels at their place) stands on kept pixels of the skin.
TEST(EditorWindow, NoVisibleControlTouchesTheKeyColour) {
    Editor e;
    auto& f = e.form();
    ASSERT_TRUE(f.region().has_value()) << "3.kmf missing from the program folder";
    const forms::Picture skin = forms::LoadPicture(runtime::App::Path() + "/3.kmf");
    ASSERT_EQ(skin.width(), 538);
    ASSERT_EQ(skin.height(), 487);
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    std::set<const forms::Control*> neverShown = {&f.Label5, &f.Command1, &f.Command4, &f.cmdPick, &f.Image1, &f.Text3};
    int checked = 0;
    for (forms::Control* c : f.controls()) {
        if (c->kind() == forms::Kind::Timer || c->kind() == forms::Kind::CommonDialog) continue;
        if (&c->container() != static_cast<forms::Container*>(&f)) continue;  // inside a panel: the panel counts
        if (neverShown.count(c)) continue;
        if (c->topTwips() >= 7305 || c->leftTwips() >= 8070) continue;  // below or right of the skin: hidden storage
        ++checked;
        const forms::PixelRect r = c->clientRectPixels();
        int bad = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (x < 0 || y < 0 || x >= skin.width() || y >= skin.height() || skin.pixel(x, y) == key) ++bad;
        EXPECT_EQ(bad, 0) << c->name() << (c->index() >= 0 ? "(" + std::to_string(c->index()) + ")" : "");
    }
    EXPECT_GT(checked, 70);
}

struct LoaderCase {
    const char* name;
    std::function<std::string(Editor&)> make;
    bool tagged;
};

TEST(EditorLoader, TableOfFiles) {
    const LoaderCase cases[] = {
        {"TAG",
         [](Editor& e) {
             auto p = e.lameMp3("tag.mp3");
             Editor::writeId3v1(p, "Song", "Band", 17, 3);
             return p;
         },
         true},
        {"none", [](Editor& e) { return e.lameMp3("none.mp3"); }, false},
        {"tag in lower case",
         [](Editor& e) {
             std::string block = "tag" + std::string(125, ' ');
             return e.file("lower.mp3", Editor::lameAudio() + block);
         },
         false},
        {"100 bytes", [](Editor& e) { return e.file("short.mp3", std::string(100, '\x55')); }, false},
        {"missing", [](Editor& e) { return e.player.home.file("gone.mp3"); }, false},
        {"folder",
         [](Editor& e) {
             auto p = e.player.home.file("folder.mp3");
             std::filesystem::create_directories(p);
             return p;
         },
         false},
    };
    for (const LoaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        // Each case follows a tagged file, so nothing may come from the earlier load.
        auto before = e.lameMp3("before.mp3");
        Editor::writeId3v1(before, "Earlier", "Someone", 20);
        auto& f = e.open(before);
        ASSERT_EQ(f.Idtag.value(), 1);
        ASSERT_EQ(f.txtTitle.text(), "Earlier");

        const std::string path = c.make(e);
        const bool existed = std::filesystem::exists(path);
        e.reload(path);
        EXPECT_EQ(std::filesystem::exists(path), existed) << "the loader made a file";
        EXPECT_FALSE(runtime::Files().IsOpen(1));
        EXPECT_FALSE(f.Timer1.enabled());
        EXPECT_EQ(f.Idtag.value(), c.tagged ? 1 : 0);
        for (forms::Control* b : id3v1Boxes(f)) EXPECT_EQ(b->enabled(), c.tagged) << b->name();
        EXPECT_TRUE(f.txtTrack.enabled());
        EXPECT_EQ(f.Text2.text(), expectedText2(path));
        if (c.tagged) {
            EXPECT_EQ(f.txtTitle.text(), "Song");
            EXPECT_EQ(f.txtartist.text(), "Band");
            EXPECT_EQ(f.Combo1.text(), "Rock");
            EXPECT_EQ(f.txtTrack.text(), "3");
        } else {
            EXPECT_EQ(f.txtTitle.text(), "");
            EXPECT_EQ(f.txtartist.text(), "");
            EXPECT_EQ(f.Combo1.text(), "");
            EXPECT_EQ(f.Combo1.listIndex(), 0);
            EXPECT_EQ(f.txtTrack.text(), "0");
        }
    }
}

TEST(EditorLoader, AFileAfterAnUnreadableOneReadsAsItself) {
    Editor e;
    auto folder = e.player.home.file("folder.mp3");
    std::filesystem::create_directories(folder);
    auto& f = e.open(folder);
    EXPECT_EQ(f.Idtag.value(), 0);
    auto tagged = e.lameMp3("tagged.mp3");
    Editor::writeId3v1(tagged, "Tagged");
    e.reload(tagged);
    EXPECT_EQ(f.Idtag.value(), 1);
    EXPECT_TRUE(f.txtTitle.enabled());
    EXPECT_EQ(f.txtTitle.text(), "Tagged");
    e.reload(e.player.home.file("gone.mp3"));
    e.reload(e.lameMp3("plain.mp3"));
    EXPECT_EQ(f.Idtag.value(), 0);
    EXPECT_EQ(f.txtTitle.text(), "");
    EXPECT_FALSE(std::filesystem::exists(e.player.home.file("gone.mp3")));
    EXPECT_FALSE(runtime::Files().IsOpen(1));
}

TEST(EditorLoader, ShowsTheMpegInformationOfALameFile) {
    Editor e;
    auto& f = e.open(e.lameMp3("a.mp3"));
    const std::string t = f.Text2.text();
    EXPECT_NE(t.find("# MPEG 1 Layer 3" + kCrLf), std::string::npos) << t;
    EXPECT_NE(t.find("# 128 Kbps, "), std::string::npos) << t;
    EXPECT_NE(t.find("# 44100 Hz  "), std::string::npos) << t;
    EXPECT_NE(t.back(), '\n');
    EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 9);
    EXPECT_EQ(f.Label11.caption(), "128");
    EXPECT_EQ(f.Label14.caption(), metadata::Module7::GetMpegInfo(f.txtpath.text()).LengthText);
}

TEST(EditorLoader, BothOpeningOrdersLoadAfterTheWindowsLoad) {
    for (int order : {1, 2}) {
        SCOPED_TRACE(order);
        Editor e;
        auto p = e.lameMp3("a.mp3");
        Editor::writeId3v1(p, "Title", "Artist");
        forms::Unload<tageditor::Form1>();
        if (order == 1) {
            // For the playing track: the path first (loading the window), then Show.
            forms::Get<tageditor::Form1>().txtpath.setText(p);
            forms::Get<tageditor::Form1>().show();
        } else {
            forms::Get<tageditor::Form1>().show();
            forms::Get<tageditor::Form1>().txtpath.setText(p);
        }
        auto& f = e.form();
        EXPECT_EQ(f.txtTitle.text(), "");
        f.Timer1.setEnabled(true);
        e.env().scheduler.advance(1);
        EXPECT_EQ(f.txtpath.text(), p);
        EXPECT_EQ(f.txtTitle.text(), "Title");
        EXPECT_EQ(f.Combo1.listCount(), f.cboGenreV2.listCount());
        EXPECT_FALSE(f.Timer1.enabled());
        e.env().scheduler.advance(10);
        EXPECT_EQ(f.txtTitle.text(), "Title");  // one load per switch-on
    }
}

// What the main window's "Tag Info" commands call, in their two orders.
TEST(EditorLoader, TheMainWindowsInterfaceOpensTheEditorOnTheFile) {
    for (bool playing : {true, false}) {
        SCOPED_TRACE(playing ? "Playing" : "Selected");
        Editor e;
        auto p = e.lameMp3("a.mp3");
        Editor::writeId3v1(p, "Via the interface");
        forms::Unload<tageditor::Form1>();
        tageditor::TagEditorWindows w;
        if (playing) {
            w.setTagEditorPath(p);
            w.showTagEditor();
        } else {
            w.showTagEditor();
            w.setTagEditorPath(p);
        }
        w.startTagEditorTimer();
        e.env().scheduler.advance(1);
        auto* f = forms::IfLoaded<tageditor::Form1>();
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->visible());
        EXPECT_EQ(f->txtTitle.text(), "Via the interface");
        w.setTagEditorWindowState(1);
        EXPECT_EQ(f->windowState(), 1);
        w.unloadTagEditor();
        EXPECT_FALSE(forms::IsLoaded<tageditor::Form1>());
    }
}

TEST(EditorWindow, MouseDragsAndPopsUpTheTagMenu) {
    Editor e;
    auto& f = e.form();
    std::vector<std::string> popped;
    e.env().backend.choosePopup = [&](forms::Menu& m) {
        popped.push_back(m.name());
        return nullptr;
    };
    f.mouseDown(1, 0, 100, 100);
    EXPECT_EQ(f.systemMoveRequests(), 1);
    EXPECT_EQ(f.popupCount(), 0);
    f.Image2.mouseDown(1, 0, 10, 10);
    EXPECT_EQ(f.systemMoveRequests(), 2);
    f.mouseDown(2, 0, 100, 100);
    EXPECT_EQ(f.popupCount(), 1);
    EXPECT_EQ(f.lastPopupMenu(), &f.mnutag);
    EXPECT_EQ(f.systemMoveRequests(), 2);
    f.Image2.mouseDown(2, 0, 10, 10);
    EXPECT_EQ(f.popupCount(), 1);
    EXPECT_EQ(f.systemMoveRequests(), 2);
}

// Tab goes through the fields in their columns and never into the storage
// below the skin.
TEST(EditorWindow, TabStopsOnlyAtWhatAUserSees) {
    Editor e;
    auto& f = e.form();
    std::vector<std::string> order;
    for (forms::Control* c : f.tabOrder())
        if (c->canFocus() && c->tabStop()) order.push_back(c->name());
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), "txtpath");
    for (const char* hidden : {"Command5", "Text1", "lstFiles", "txtStartDir", "txtPattern"})
        EXPECT_EQ(std::count(order.begin(), order.end(), hidden), 0) << hidden;
    auto at = [&](const char* n) { return std::find(order.begin(), order.end(), n) - order.begin(); };
    EXPECT_LT(at("txtTitle"), at("txtartist"));
    EXPECT_LT(at("txtComments"), at("txtTitleV2"));
    EXPECT_LT(at("txtartisturl"), at("Command2"));
    // The left column whole, top to bottom, then the right one: the ID3v2
    // fields set under the ID3v1 ones follow them, before the right column.
    const std::vector<std::string> reading = {
        "txtpath",     "Idtag",        "txtTrack",    "txtTitle",    "txtartist",   "txtalbum",
        "Combo1",      "txtYear",      "txtComments", "txtOriginalArtist", "txtComposer", "txtCopyright",
        "txtEncodedBy", "txtLinkTo",   "txtbuyurl",   "txtaudiourl", "txtartisturl", "txtYearV2",
        "txtTrackV2",  "txtTitleV2",   "txtArtistV2", "txtAlbumV2",  "cboGenreV2",  "Combo2",
        "Text2"};
    ASSERT_GE(order.size(), reading.size());
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + static_cast<long>(reading.size())), reading);
}

TEST(EditorWindow, IdtagByHandSwitchesTheSixId3v1Controls) {
    Editor e;
    auto& f = e.open(e.lameMp3("none.mp3"));
    ASSERT_EQ(f.Idtag.value(), 0);
    f.Idtag.click();
    EXPECT_EQ(f.Idtag.value(), 1);
    for (forms::Control* b : id3v1Boxes(f)) EXPECT_TRUE(b->enabled()) << b->name();
    f.Idtag.click();
    for (forms::Control* b : id3v1Boxes(f)) EXPECT_FALSE(b->enabled()) << b->name();
    EXPECT_TRUE(f.txtTrack.enabled());
}

TEST(EditorWindow, XUnloadsAndTheNextUseLoadsAfresh) {
    Editor e;
    auto& f = e.open(e.lameMp3("a.mp3"));
    f.txtTitleV2.setText("typed");
    f.Label1.click();
    EXPECT_FALSE(forms::IsLoaded<tageditor::Form1>());
    EXPECT_FALSE(f.isLoaded());
    auto& again = e.form();
    EXPECT_NE(&again, &f);
    EXPECT_EQ(again.txtTitleV2.text(), "");
    EXPECT_EQ(again.txtpath.text(), "");
}

// Escape closes the window as the X does; with a modifier it does nothing.
TEST(EditorWindow, EscapeClosesTheWindowAsTheXDoes) {
    const struct {
        int shift;
        bool closes;
    } cases[] = {{0, true}, {forms::vbShiftMask, false}, {forms::vbCtrlMask, false}};
    for (const auto& c : cases) {
        Editor e;
        auto& f = e.open(e.lameMp3("a.mp3"));
        f.txtTitleV2.setFocus();
        f.keyDown(forms::vbKeyEscape, c.shift);
        EXPECT_EQ(forms::IsLoaded<tageditor::Form1>(), !c.closes) << c.shift;
        if (forms::IsLoaded<tageditor::Form1>()) f.unload();
    }
}

TEST(EditorWindow, Label4TakesThePlayingPosition) {
    Editor e;
    auto& f = e.form();
    e.media->setFileName(e.lameMp3("a.mp3"));
    e.media->scriptPosition(12.5);
    f.Label4.click();
    EXPECT_EQ(f.Label4.caption(), "12.5");
}

}  // namespace
