// The side panels and the artist pictures: the cycle click by click, Add and
// Remove on the program's Artist folder, and the download against a scripted
// server on 127.0.0.1 (whole pictures only, the reason of a failure shown, the
// picture shown 100 ticks after the click); hostile artist texts never name a
// path outside the Artist folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "../runtime/fs_test_support.hpp"
#include "editor_fixture.hpp"
#include "nettest/scripted_server.hpp"
#include "runtime/app.hpp"
#include "runtime/filesystem.hpp"

namespace {

namespace fs = std::filesystem;
using editortest::Editor;

// Picture bytes: a small BMP of one colour with a mark, unlike the defaults.
std::string bmpBytes(forms::Colour colour, int width = 12) {
    return forms::encodeBmp(forms::Picture::solid(width, 9, colour).withPixel(0, 0, forms::RGB(1, 2, 3)));
}

// A JPEG made by ImageMagick from a BMP, once per test program ("" without it).
const std::string& jpegBytes() {
    static std::string bytes;
    if (bytes.empty() && testsupport::haveProgram("convert")) {
        testsupport::TempDir dir;
        testsupport::writeFile(dir.file("in.bmp"), bmpBytes(forms::RGB(20, 160, 220), 32));
        if (testsupport::runCommand("convert '" + dir.file("in.bmp") + "' '" + dir.file("out.jpg") + "'").status == 0)
            bytes = testsupport::readFile(dir.file("out.jpg"));
    }
    return bytes;
}

bool samePixels(const forms::Picture& a, const forms::Picture& b) {
    return !a.empty() && !b.empty() && a.width() == b.width() && a.height() == b.height() && a.rgba() == b.rgba();
}

// Every file under a folder, as paths relative to it.
std::set<std::string> tree(const std::string& root) {
    std::set<std::string> out;
    for (auto& e : fs::recursive_directory_iterator(root)) out.insert(fs::relative(e.path(), root).string());
    return out;
}

// The editor with the program folder's default pictures as the build draws
// them: "Add.gif" and "Artist/Add.gif".
struct Panels : Editor {
    Panels() {
        const std::string built = playertest::builtProgramDir();
        fs::create_directories(player.app.file("Artist"));
        fs::copy_file(built + "/Add.gif", player.app.file("Add.gif"));
        fs::copy_file(built + "/Artist/Add.gif", player.app.file("Artist/Add.gif"));
    }
    tageditor::Form1& f() { return form(); }
    std::string artistFile(const std::string& name) { return player.app.file("Artist/" + name); }
    forms::Picture firstDefault() { return forms::LoadPicture(player.app.file("Artist/Add.gif")); }
    forms::Picture secondDefault() { return forms::LoadPicture(player.app.file("Add.gif")); }
    bool shows(const std::string& path) { return samePixels(f().Image4.picture(), forms::LoadPicture(path)); }
    // The file dialog's answer: one chosen file, or Cancel.
    void choose(const std::string& path) {
        forms::FileDialogResult r;
        r.accepted = true;
        r.paths = {path};
        env().dialogs.answerFileDialog(r);
    }
    void cancel() { env().dialogs.answerFileDialog({}); }
    // A click on a button of the artist panel, with the panel in view.
    void press(forms::CommandButton& b) {
        f().Picture1.setVisible(true);
        b.click();
    }
};

// What each cycler click leads to: the caption then, and the one panel shown.
struct Step {
    const char* caption;
    forms::PictureBox* shown;
};

}  // namespace

TEST(EditorPanels, SixClicksGoRoundTheCycle) {
    Panels e;
    auto& f = e.f();
    const std::string song = e.mp3("song.mp3");
    f.txtpath.setText(song);
    ASSERT_EQ(f.Command16.caption(), "Artist Image");
    ASSERT_TRUE(f.Image4.picture().empty());
    const Step steps[] = {
        {"Lyrics", &f.Picture1}, {"Note", &f.Picture3}, {"Info", &f.Picture2},
        {"Tag 2", &f.Picture4},  {"Artist Image", nullptr}, {"Lyrics", &f.Picture1},
    };
    int click = 0;
    for (const Step& s : steps) {
        ++click;
        f.Command16.click();
        EXPECT_EQ(f.Command16.caption(), s.caption) << click;
        for (forms::PictureBox* p : {&f.Picture1, &f.Picture2, &f.Picture3, &f.Picture4, &f.Picture5})
            EXPECT_EQ(p->visible(), p == s.shown) << click << " " << p->name();
        if (click == 1) {
            // No picture of this artist: the Artist folder's default shows.
            EXPECT_TRUE(samePixels(f.Image4.picture(), e.firstDefault()));
            EXPECT_EQ(f.Text4.text(), e.artistFile(".jpg"));
        }
        if (click == 4) {
            EXPECT_EQ(f.Text12.caption(), std::to_string(fs::file_size(song)));  // LoadInfo ran
        }
        if (click == 5) {
            EXPECT_TRUE(samePixels(f.Image4.picture(), e.secondDefault()));
        }
    }
    EXPECT_FALSE(samePixels(e.firstDefault(), e.secondDefault()));  // two pictures, told apart above

    // Multi Tag shown between two clicks: the next click does the step the
    // caption names, and hides it.
    f.Picture1.setVisible(false);
    f.Picture5.setVisible(true);
    f.Command16.click();
    EXPECT_EQ(f.Command16.caption(), "Note");
    EXPECT_TRUE(f.Picture3.visible());
    EXPECT_FALSE(f.Picture5.visible());

    // Another caption does nothing.
    f.Command16.setCaption("lyrics");
    f.Command16.click();
    EXPECT_EQ(f.Command16.caption(), "lyrics");
    EXPECT_TRUE(f.Picture3.visible());
}

// A shown panel lies over the ID3v2 column: Tab round the window reaches the
// panel's own controls and none of the fields and buttons it covers, so
// what is typed after a Tab never lands in a field the user cannot see.
// Without a panel Tab reaches them all.
TEST(EditorPanels, TabPassesOverWhatTheShownPanelCovers) {
    Panels e;
    auto& f = e.open(e.mp3("song.mp3"));
    const std::vector<forms::Control*> covered = {&f.txtYearV2, &f.txtTrackV2, &f.txtTitleV2, &f.txtArtistV2, &f.txtAlbumV2,
                                                  &f.cboGenreV2, &f.Combo2,     &f.Text2,      &f.Command17};
    struct Case {
        const char* shown;
        std::function<void()> show;
        std::vector<forms::Control*> own;  // the panel's controls, in tab order
    };
    const Case cases[] = {
        {"artist picture", [&] { f.Command16.click(); }, {&f.Command13, &f.Command14, &f.Command15}},
        {"lyrics", [&] { f.Command16.click(); }, {&f.txtlyrics}},
        {"notes", [&] { f.Command16.click(); }, {&f.txtCommentV2}},
        {"information", [&] { f.Command16.click(); }, {&f.Read, &f.Hidden, &f.Archive}},
        {"Multi Tag", [&] { f.Command17.click(); }, {&f.Check1, &f.Command20, &f.Command19, &f.Command18, &f.List1}},
        {"no panel", [&] { f.Command16.click(); }, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.shown);
        k.show();
        f.txtartisturl.setFocus();
        std::vector<forms::Control*> seen;
        for (int i = 0; i < 80 && (seen.empty() || seen.back() != &f.txtartisturl); ++i) {
            f.tabToNext();
            seen.push_back(f.activeControl());
        }
        auto count = [&](forms::Control* c) { return std::count(seen.begin(), seen.end(), c); };
        const bool bare = k.own.empty();
        for (forms::Control* c : covered) EXPECT_EQ(count(c), bare ? 1 : 0) << c->name();
        std::vector<forms::Control*> own;
        for (forms::Control* c : seen)
            if (std::find(k.own.begin(), k.own.end(), c) != k.own.end()) own.push_back(c);
        EXPECT_EQ(own, k.own);
        // The Tab after the last field leads to a box or button in view; what
        // is typed next leaves the ID3v2 title as it was.
        if (bare) continue;
        f.txtartisturl.setFocus();
        f.tabToNext();
        EXPECT_EQ(f.activeControl(), &f.Command2) << f.activeControl()->name();
        f.typeText("ZZ");
        EXPECT_EQ(f.txtTitleV2.text(), "");
    }
}

TEST(EditorPanels, TheArtistsPictureShowsOverTheDefault) {
    Panels e;
    auto& f = e.f();
    testsupport::writeFile(e.artistFile("Queen.jpg"), bmpBytes(forms::RGB(200, 0, 0)));  // read by content
    f.txtartist.setText("Queen");
    f.Command16.click();
    EXPECT_TRUE(e.shows(e.artistFile("Queen.jpg")));
    EXPECT_EQ(f.Text4.text(), e.artistFile("Queen.jpg"));
    for (int i = 0; i < 4; ++i) f.Command16.click();  // to the "Tag 2" step: hidden, still loaded
    EXPECT_FALSE(f.Picture1.visible());
    EXPECT_TRUE(e.shows(e.artistFile("Queen.jpg")));
}

TEST(EditorPanels, AddCopiesThePictureChosenNow) {
    Panels e;
    auto& f = e.f();
    const std::string red = e.file("pics/red.bmp", bmpBytes(forms::RGB(200, 0, 0)));
    const std::string blue = e.file("pics/blue.png.bmp", bmpBytes(forms::RGB(0, 0, 200)));
    f.txtartist.setText("Queen");

    e.choose(red);
    e.press(f.Command13);
    ASSERT_EQ(e.env().dialogs.shown().size(), 1u);
    const forms::FileDialogRequest& asked = e.env().dialogs.shown().back().file;
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.fileName, "");
    EXPECT_FALSE(asked.multiSelect);
    EXPECT_TRUE(asked.fileMustExist);
    ASSERT_EQ(asked.filters.size(), 2u);
    EXPECT_EQ(asked.filters[0].description, "Pictures (*.jpg;*.jpeg;*.gif;*.bmp;*.png)");
    EXPECT_EQ(asked.filters[0].patterns, "*.jpg;*.jpeg;*.gif;*.bmp;*.png");
    EXPECT_EQ(asked.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(testsupport::readFile(e.artistFile("Queen.jpg")), testsupport::readFile(red));
    EXPECT_TRUE(e.shows(red));
    EXPECT_EQ(f.Text4.text(), "Text4");  // Add leaves the stored path alone

    // Over an existing picture, without asking; a read-only source gives a
    // stored picture that can be replaced again.
    ASSERT_EQ(chmod(blue.c_str(), 0444), 0);
    e.choose(blue);
    e.press(f.Command13);
    EXPECT_EQ(testsupport::readFile(e.artistFile("Queen.jpg")), testsupport::readFile(blue));
    EXPECT_TRUE(e.shows(blue));
    EXPECT_EQ(runtime::GetAttr(e.artistFile("Queen.jpg")) & runtime::vbReadOnly, 0);

    // Cancel after an earlier pick copies nothing, even after Multi Tag left
    // its own options in the dialog.
    f.Cd1.setFlags(forms::cdlOFNAllowMultiselect | forms::cdlOFNExplorer);
    f.Cd1.setFilter("MP3 Files (*.mp3)|*.mp3");
    const std::string newer = bmpBytes(forms::RGB(0, 200, 0));
    testsupport::writeFile(e.artistFile("Queen.jpg"), newer);
    e.cancel();
    e.press(f.Command13);
    EXPECT_EQ(e.env().dialogs.shown().back().file.fileName, "");
    EXPECT_FALSE(e.env().dialogs.shown().back().file.multiSelect);
    EXPECT_EQ(testsupport::readFile(e.artistFile("Queen.jpg")), newer);
    EXPECT_TRUE(e.shows(blue));
    EXPECT_EQ(e.env().dialogs.shown().size(), 3u);  // three dialogs, no message
    EXPECT_EQ(e.env().dialogs.pending(), 0u);
}

TEST(EditorPanels, AddReportsWhatStopsItAndKeepsTheOldPicture) {
    Panels e;
    auto& f = e.f();
    const std::string old = bmpBytes(forms::RGB(200, 0, 0));
    const std::string notPicture = e.file("pics/notes.jpg", "this is no picture");
    const std::string picture = e.file("pics/ok.bmp", bmpBytes(forms::RGB(0, 0, 200)));

    // No artist: the message, no dialog.
    e.env().dialogs.answerMessageBox(forms::vbOK);
    e.press(f.Command13);
    ASSERT_EQ(e.shownCount(), 1u);
    EXPECT_EQ(e.lastMessage().prompt, "Add Tag First No Tag Found");
    EXPECT_EQ(e.lastMessage().buttons, forms::vbInformation);
    EXPECT_EQ(e.lastMessage().title, runtime::App::Title());

    f.txtartist.setText("Queen");
    testsupport::writeFile(e.artistFile("Queen.jpg"), old);
    struct Case {
        const char* name;
        std::string chosen;
        const char* says;
    } cases[] = {
        {"no picture", notPicture, "no picture"},
        {"its own picture", e.artistFile("Queen.jpg"), "already the picture"},
        {"the same picture by another spelling", e.player.app.file("Artist/../Artist/Queen.jpg"),
         "already the picture"},
    };
    for (const Case& c : cases) {
        const std::size_t before = e.env().dialogs.shown().size();
        e.choose(c.chosen);
        e.env().dialogs.answerMessageBox(forms::vbOK);
        e.press(f.Command13);
        ASSERT_EQ(e.env().dialogs.shown().size(), before + 2) << c.name;
        EXPECT_NE(e.lastMessage().prompt.find(c.says), std::string::npos) << c.name << ": " << e.lastMessage().prompt;
        EXPECT_NE(e.lastMessage().prompt.find("Queen"), std::string::npos) << c.name;
        EXPECT_EQ(e.lastMessage().buttons, forms::vbInformation) << c.name;
        EXPECT_EQ(e.lastMessage().title, runtime::App::Title()) << c.name;
        EXPECT_EQ(testsupport::readFile(e.artistFile("Queen.jpg")), old) << c.name;
    }

    // A copy the Artist folder refuses.
    {
        Unwritable refuse(e.player.app.file("Artist"));
        if (refuse.active()) {
            e.choose(picture);
            e.env().dialogs.answerMessageBox(forms::vbOK);
            f.txtartist.setText("Newcomer");
            e.press(f.Command13);
            EXPECT_NE(e.lastMessage().prompt.find("could not be copied"), std::string::npos) << e.lastMessage().prompt;
            EXPECT_FALSE(fs::exists(e.artistFile("Newcomer.jpg")));
        }
    }

    // No Artist folder: reported, and never made.
    fs::remove_all(e.player.app.file("Artist"));
    f.txtartist.setText("Queen");
    e.choose(picture);
    e.env().dialogs.answerMessageBox(forms::vbOK);
    e.press(f.Command13);
    EXPECT_NE(e.lastMessage().prompt.find("Artist"), std::string::npos);
    EXPECT_NE(e.lastMessage().prompt.find("missing"), std::string::npos) << e.lastMessage().prompt;
    EXPECT_FALSE(fs::exists(e.player.app.file("Artist")));
    EXPECT_EQ(e.env().dialogs.pending(), 0u);
}

TEST(EditorPanels, RemoveDeletesOnlyTheStoredPicture) {
    Panels e;
    auto& f = e.f();
    const std::string question = "Are You Sure You Want to Remove ";

    // Before the cycle stored a path, Text4 holds its design text: a file of
    // that name in the current folder stays.
    testsupport::TempDir cwd;
    testsupport::writeFile(cwd.file("Text4"), "keep");
    {
        ScopedCwd here(cwd.path());
        e.env().dialogs.answerMessageBox(forms::vbYes);
        e.press(f.Command14);
    }
    EXPECT_EQ(e.lastMessage().prompt, question);
    EXPECT_EQ(e.lastMessage().buttons, forms::vbYesNo + forms::vbQuestion);
    EXPECT_TRUE(fs::exists(cwd.file("Text4")));
    EXPECT_TRUE(samePixels(f.Image4.picture(), e.secondDefault()));

    // The stored path, not the artist of the moment.
    for (const char* n : {"Queen.jpg", "Abba.jpg", "*.jpg", "a.jpg"})
        testsupport::writeFile(e.artistFile(n), bmpBytes(forms::RGB(200, 0, 0)));
    f.txtartist.setText("Queen");
    f.Command16.click();
    f.txtartist.setText("Abba");
    e.env().dialogs.answerMessageBox(forms::vbNo);
    e.press(f.Command14);
    EXPECT_TRUE(fs::exists(e.artistFile("Queen.jpg")));  // No: nothing happens
    EXPECT_TRUE(e.shows(e.artistFile("Queen.jpg")));
    e.env().dialogs.answerMessageBox(forms::vbYes);
    e.press(f.Command14);
    EXPECT_FALSE(fs::exists(e.artistFile("Queen.jpg")));
    EXPECT_TRUE(fs::exists(e.artistFile("Abba.jpg")));
    EXPECT_TRUE(samePixels(f.Image4.picture(), e.secondDefault()));

    // The same path again: the file is gone, nothing is said.
    f.Image4.setPicture({});
    const std::size_t before = e.shownCount();
    e.env().dialogs.answerMessageBox(forms::vbYes);
    e.press(f.Command14);
    EXPECT_EQ(e.shownCount(), before + 1);  // the question alone
    EXPECT_TRUE(samePixels(f.Image4.picture(), e.secondDefault()));

    // An artist "*" deletes its own file only.
    f.txtartist.setText("*");
    for (int i = 0; i < 5; ++i) f.Command16.click();
    ASSERT_EQ(f.Text4.text(), e.artistFile("*.jpg"));
    e.env().dialogs.answerMessageBox(forms::vbYes);
    e.press(f.Command14);
    EXPECT_EQ(onlyEntries(e.player.app.file("Artist")), (std::vector<std::string>{"Abba.jpg", "Add.gif", "a.jpg"}));

    // A delete refused for another reason than a missing file is reported.
    f.txtartist.setText("Abba");
    for (int i = 0; i < 5; ++i) f.Command16.click();
    ASSERT_EQ(f.Text4.text(), e.artistFile("Abba.jpg"));
    runtime::SetAttr(e.artistFile("Abba.jpg"), runtime::vbReadOnly);
    e.env().dialogs.answerMessageBox(forms::vbYes);
    e.env().dialogs.answerMessageBox(forms::vbOK);
    e.press(f.Command14);
    EXPECT_NE(e.lastMessage().prompt.find(e.artistFile("Abba.jpg")), std::string::npos) << e.lastMessage().prompt;
    EXPECT_TRUE(fs::exists(e.artistFile("Abba.jpg")));
    EXPECT_TRUE(samePixels(f.Image4.picture(), e.secondDefault()));
    runtime::SetAttr(e.artistFile("Abba.jpg"), 0);

    // A path outside the Artist folder put into Text4 is never deleted.
    const std::string outside = e.file("outside.jpg", "x");
    for (const std::string& p : {outside, e.player.app.file("Artist/../Add.gif"), e.player.app.file("Add.gif")}) {
        f.Text4.setText(p);
        e.env().dialogs.answerMessageBox(forms::vbYes);
        e.press(f.Command14);
    }
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(e.player.app.file("Add.gif")));
    EXPECT_EQ(e.env().dialogs.pending(), 0u);
}

// ---- the download ----

namespace {

std::string answer(const std::string& status, const std::string& body, const std::string& extra = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra +
           "Connection: close\r\n\r\n" + body;
}

// Ticks Timer5 n times.
void tick(Editor& e, int n) {
    for (int i = 0; i < n; ++i) e.env().scheduler.advance(100);
}

}  // namespace

TEST(EditorPanels, ADownloadedPictureShowsAfterHundredTicks) {
    const std::string jpeg = jpegBytes();
    if (jpeg.empty()) GTEST_SKIP() << "ImageMagick's convert is needed to make a JPEG";
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.send(answer("200 OK", jpeg, "Content-Type: image/jpeg\r\n"));
    });
    testsupport::ScopedEnv web("DOVETUNE_ARTIST_URL", server.url("/Artist/"));
    Panels e;
    auto& f = e.f();
    f.txtartist.setText("AC/DC & Friends");
    f.Command16.click();
    ASSERT_TRUE(samePixels(f.Image4.picture(), e.firstDefault()));
    e.press(f.Command15);
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string request = server.requests()[0];
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /Artist/AC%2FDC%20%26%20Friends.jpg HTTP/1.1");
    const std::string stored = e.artistFile("AC-DC & Friends.jpg");
    EXPECT_EQ(testsupport::readFile(stored), jpeg);
    EXPECT_EQ(f.LabelProgress.caption(), "Please Wait For Few Seconds Trying To Cennect..");
    EXPECT_EQ(f.ProgressBar1.value(), 0);
    EXPECT_TRUE(f.Timer5.enabled());
    tick(e, 99);
    EXPECT_EQ(f.ProgressBar1.value(), 99);
    EXPECT_TRUE(samePixels(f.Image4.picture(), e.firstDefault()));  // not yet
    tick(e, 1);
    EXPECT_EQ(f.ProgressBar1.value(), 100);
    EXPECT_FALSE(f.Timer5.enabled());
    EXPECT_TRUE(e.shows(stored));
    EXPECT_EQ(f.Image4.picture().width(), 32);
    EXPECT_EQ(f.LabelProgress.caption(), "Please Wait For Few Seconds Trying To Cennect..");  // kept
    EXPECT_EQ(e.shownCount(), 0u);
}

TEST(EditorPanels, AFailedDownloadKeepsTheOldPictureAndSaysWhy) {
    const std::string old = bmpBytes(forms::RGB(200, 0, 0));
    struct Case {
        const char* name;
        nettest::ScriptedServer::Script script;
        const char* reason;  // a part of LabelProgress's text
    } cases[] = {
        {"404",
         [](nettest::Connection& c) {
             c.readHead();
             c.send(answer("404 Not Found", "<html>no such picture</html>", "Content-Type: text/html\r\n"));
         },
         "404"},
        {"truncated",
         [&](nettest::Connection& c) {
             c.readHead();
             c.send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n");
             c.send(std::string(1000, 'x'));
         },
         ""},
        {"redirect to a file: address",
         [](nettest::Connection& c) {
             c.readHead();
             c.send(answer("302 Found", "", "Location: file:///etc/passwd\r\n"));
         },
         ""},
        {"a stalling server",
         [](nettest::Connection& c) {
             c.readHead();
             c.send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\nxx");
             c.waitForPeerClose(3000);
         },
         ""},
    };
    for (const Case& c : cases) {
        nettest::ScriptedServer server(c.script);
        testsupport::ScopedEnv web("DOVETUNE_ARTIST_URL", server.url("/Artist/"));
        Panels e;
        auto& f = e.f();
        f.pictureDownloadLimits.totalTimeoutMs = 400;
        f.txtartist.setText("Queen");
        testsupport::writeFile(e.artistFile("Queen.jpg"), old);
        f.ProgressBar1.setValue(50);
        e.press(f.Command15);
        EXPECT_EQ(testsupport::readFile(e.artistFile("Queen.jpg")), old) << c.name;
        EXPECT_EQ(onlyEntries(e.player.app.file("Artist")), (std::vector<std::string>{"Add.gif", "Queen.jpg"}))
            << c.name;  // no partial file left
        const std::string label = f.LabelProgress.caption();
        EXPECT_EQ(label.rfind("Download failed: ", 0), 0u) << c.name << ": " << label;
        EXPECT_GT(label.size(), 18u) << c.name;
        EXPECT_NE(label.find(c.reason), std::string::npos) << c.name << ": " << label;
        EXPECT_EQ(f.ProgressBar1.value(), 0) << c.name;
        tick(e, 100);
        EXPECT_TRUE(e.shows(e.artistFile("Queen.jpg"))) << c.name;  // the old picture, after the wait
        EXPECT_FALSE(f.Timer5.enabled()) << c.name;
        EXPECT_EQ(e.shownCount(), 0u) << c.name;
    }
}

TEST(EditorPanels, HostileArtistsStayInsideTheArtistFolder) {
    const std::string picture = bmpBytes(forms::RGB(0, 120, 0));
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.send(answer("200 OK", picture));
    });
    testsupport::ScopedEnv web("DOVETUNE_ARTIST_URL", server.url("/Artist/"));
    Panels e;
    auto& f = e.f();
    const std::string chosen = e.file("pics/chosen.bmp", picture);
    const std::set<std::string> appBefore = tree(e.player.app.path());
    const std::set<std::string> homeBefore = tree(e.player.home.path());
    struct Case {
        const char* artist;
        const char* stored;  // the picture's name in the Artist folder
        const char* requested;
    } cases[] = {
        {"../../x", "..-..-x.jpg", "/Artist/..%2F..%2Fx.jpg"},
        {"a/b", "a-b.jpg", "/Artist/a%2Fb.jpg"},
        {"a\\b", "a-b.jpg", "/Artist/a%5Cb.jpg"},
        {"..", "...jpg", "/Artist/...jpg"},
        {"*", "*.jpg", "/Artist/%2A.jpg"},
        {"Bj\xC3\xB6rk?x=1#y", "Bj\xC3\xB6rk?x=1#y.jpg", "/Artist/Bj%C3%B6rk%3Fx%3D1%23y.jpg"},  // UTF-8, query signs
    };
    std::size_t n = 0;
    for (const Case& c : cases) {
        f.txtartist.setText(c.artist);
        // The download.
        e.press(f.Command15);
        ASSERT_EQ(server.requests().size(), ++n) << c.artist;
        EXPECT_EQ(server.requests().back().substr(0, server.requests().back().find(' ', 4)),
                  std::string("GET ") + c.requested)
            << c.artist;
        EXPECT_EQ(testsupport::readFile(e.artistFile(c.stored)), picture) << c.artist;
        fs::remove(e.artistFile(c.stored));
        // Add.
        e.choose(chosen);
        e.press(f.Command13);
        EXPECT_EQ(testsupport::readFile(e.artistFile(c.stored)), picture) << c.artist;
        // The cycle stores the same name, and Remove deletes it.
        f.Command16.setCaption("Artist Image");
        f.Command16.click();
        EXPECT_EQ(f.Text4.text(), e.artistFile(c.stored)) << c.artist;
        e.env().dialogs.answerMessageBox(forms::vbYes);
        e.press(f.Command14);
        EXPECT_FALSE(fs::exists(e.artistFile(c.stored))) << c.artist;
    }
    tick(e, 100);
    EXPECT_EQ(tree(e.player.app.path()), appBefore);
    EXPECT_EQ(tree(e.player.home.path()), homeBefore);
    EXPECT_FALSE(fs::exists(fs::path(e.player.app.path()).parent_path() / "x.jpg"));
    EXPECT_EQ(e.env().dialogs.pending(), 0u);
}

TEST(EditorPanels, AnEmptyArtistFetchesDotJpg) {
    const std::string picture = bmpBytes(forms::RGB(0, 120, 0));
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.send(answer("200 OK", picture));
    });
    testsupport::ScopedEnv web("DOVETUNE_ARTIST_URL", server.url("/Artist"));  // no "/" at the end
    Panels e;
    auto& f = e.f();
    e.press(f.Command15);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].substr(0, 22), "GET /Artist/.jpg HTTP/");
    EXPECT_EQ(testsupport::readFile(e.artistFile(".jpg")), picture);
    // A second click during the wait starts it again.
    tick(e, 60);
    e.press(f.Command15);
    EXPECT_EQ(f.ProgressBar1.value(), 0);
    tick(e, 99);
    EXPECT_TRUE(f.Timer5.enabled());
    tick(e, 1);
    EXPECT_FALSE(f.Timer5.enabled());
    EXPECT_TRUE(e.shows(e.artistFile(".jpg")));
}
