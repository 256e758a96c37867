// The main window's life: start-up (skin check, settings, saved playlist or
// command line), the unload that saves everything, and the chrome.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "forms/dialogs.hpp"
#include "player/playlist.hpp"
#include "player_fixture.hpp"
#include "runtime/files.hpp"
#include "runtime/settings.hpp"

namespace {

using playertest::Player;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

std::string folderApp(Player& p) { return p.app.path(); }
void setFolder(Player& p, const std::string& key, const std::string& value) {
    runtime::SaveSetting(folderApp(p), " setting", key, value);
}
std::string getFolder(Player& p, const std::string& key) {
    return runtime::GetSetting(folderApp(p), " setting", key, "<none>");
}
std::string getTitle(const std::string& key) { return runtime::GetSetting("dovetune", "Settings", key, "<none>"); }

// Every file under a folder with its bytes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    if (!fs::exists(dir)) return files;
    for (auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files[e.path().string()] = testsupport::readFile(e.path().string());
    return files;
}

// ---- start-up ----

TEST(StartUp, FirstStartKeepsTheDesignValues) {
    Player p;
    auto& f = p.start();
    EXPECT_TRUE(f.isLoaded());
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(f.left(), 1000);
    EXPECT_EQ(f.top(), 1000);
    EXPECT_EQ(f.lstFiles.listCount(), 0);
    EXPECT_EQ(f.List1.listCount(), 0);
    EXPECT_EQ(f.List2.listCount(), 0);
    EXPECT_EQ(f.MediaPlayer1.volume(), -2500);
    EXPECT_EQ(f.Check1.value(), 0);
    EXPECT_EQ(f.Text2.text(), "Text2");
    EXPECT_EQ(f.mnu3.caption(), "3");
    EXPECT_FALSE(f.mnumarquee.checked());
    EXPECT_TRUE(f.Option2.value());
    // Shaped from the skin; measured in pixels from then on.
    ASSERT_TRUE(f.region().has_value());
    EXPECT_EQ(f.scaleMode(), forms::vbPixels);
    EXPECT_FALSE(f.picture().empty());
    // The Info Bar is loaded for its handle, hidden by the Info Bar tick.
    ASSERT_TRUE(forms::IsLoaded<player::Form4>());
    EXPECT_FALSE(forms::Get<player::Form4>().visible());
    EXPECT_EQ(p.windows.calls, Lines{"frmTestControls.Fade"});
    EXPECT_TRUE(f.Timer5.enabled());
}

TEST(StartUp, SettingsTable) {
    Player p;
    runtime::SaveSetting("dovetune", "Settings", "form2left", "2000");
    runtime::SaveSetting("dovetune", "Settings", "Form2Top", "oops");  // skipped
    setFolder(p, "MNUMARQUEE", "True");
    setFolder(p, "mnumainplayer", "maybe");  // skipped
    setFolder(p, "mnuscrollinfoontop", "True");
    setFolder(p, "Text2", p.home.path());
    setFolder(p, "mediaplayer1", "-1500");
    setFolder(p, "Check1", "1");
    setFolder(p, "mnu2", "/music/fav");
    setFolder(p, "mnu4", "");
    auto& f = p.start();
    EXPECT_EQ(f.left(), 2000);
    EXPECT_EQ(f.top(), 1000);
    EXPECT_TRUE(f.mnumarquee.checked());
    EXPECT_FALSE(f.mnumainplayer.checked());
    EXPECT_TRUE(f.mnuscrollinfoontop.checked());
    EXPECT_EQ(f.Text2.text(), p.home.path());
    EXPECT_EQ(f.File1.path(), p.home.path());
    EXPECT_EQ(f.MediaPlayer1.volume(), -1500);
    EXPECT_EQ(f.Check1.value(), 1);
    EXPECT_EQ(f.mnu1.caption(), "1");
    EXPECT_EQ(f.mnu2.caption(), "/music/fav");
    EXPECT_EQ(f.mnu4.caption(), "");
    EXPECT_TRUE(forms::Get<player::Form4>().visible());
    EXPECT_TRUE(forms::Get<player::Form4>().topmost());
    EXPECT_FALSE(f.topmost());
}

// A settings store cut partway through its last line: what its whole lines
// hold comes back (position, volume, favourites), only the cut line is lost,
// and the exit writes the store whole again, the cut one kept aside.
TEST(StartUp, ACutSettingsStoreKeepsWhatItsWholeLinesHold) {
    Player p;
    runtime::SaveSetting("dovetune", "Settings", "Form2Left", "2000");
    runtime::SaveSetting("dovetune", "Settings", "Form2Top", "2200");
    setFolder(p, "Mediaplayer1", "-1500");
    setFolder(p, "mnu1", "/music/one");
    setFolder(p, "mnu2", "/music/two");
    setFolder(p, "Check1", "1");
    setFolder(p, "mnu3", "/music/three");
    const std::string store = runtime::SettingsFilePath();
    std::string cut = testsupport::readFile(store);
    cut.resize(cut.size() - 5);  // partway through the mnu3 line
    testsupport::writeFile(store, cut);

    testing::internal::CaptureStderr();
    auto& f = p.start();
    EXPECT_EQ(f.left(), 2000);
    EXPECT_EQ(f.top(), 2200);
    EXPECT_EQ(f.MediaPlayer1.volume(), -1500);
    EXPECT_EQ(f.mnu1.caption(), "/music/one");
    EXPECT_EQ(f.mnu2.caption(), "/music/two");
    EXPECT_EQ(f.Check1.value(), 1);
    EXPECT_EQ(f.mnu3.caption(), "3");  // the cut line's value is not taken
    f.unload();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(store + " is damaged"), std::string::npos) << err;
    EXPECT_EQ(testsupport::readFile(store + ".damaged"), cut);
    const std::string now = testsupport::readFile(store);
    EXPECT_EQ(now.back(), '\n');
    EXPECT_EQ(now.rfind(cut.substr(0, cut.rfind('\n') + 1), 0), 0u);  // the whole lines, as they were
    EXPECT_EQ(getFolder(p, "mnu1"), "/music/one");
    EXPECT_EQ(getFolder(p, "mnu3"), "3");
    EXPECT_EQ(getTitle("Form2Top"), "2200");
}

TEST(StartUp, AFolderThatIsGoneLeavesTheFileListWhereItWas) {
    Player p;
    setFolder(p, "text2", "/no/such/folder");
    auto& f = p.start();
    EXPECT_EQ(f.Text2.text(), "/no/such/folder");
    EXPECT_NE(f.File1.path(), "/no/such/folder");
}

TEST(StartUp, APositionOffTheScreenComesBackToTheDefault) {
    Player p;
    runtime::SaveSetting("dovetune", "Settings", "Form2Left", "-90000");
    runtime::SaveSetting("dovetune", "Settings", "Form2Top", "500");
    auto& f = p.start();
    EXPECT_EQ(f.left(), 1000);
    EXPECT_EQ(f.top(), 1000);
}

TEST(StartUp, SavedPlaylistWithItsPositions) {
    Player p;
    std::string a = p.track("Abba.mp3", 1024), b = p.track("Hello, World.mp3", 2048), c = p.track("zz.mp3", 10);
    p.writeSavedPlaylist({c, b, a}, {"zz - 10 Bytes", "Hello, World - 2 KB", "Abba - 1 KB"});
    setFolder(p, "List2", "2");
    setFolder(p, "List1", "0");
    setFolder(p, "LstFiles", "0");
    auto& f = p.start();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{c, b, a}));
    EXPECT_EQ(Player::items(f.List1), (Lines{"zz - 10 Bytes", "Hello, World - 2 KB", "Abba - 1 KB"}));
    EXPECT_EQ(Player::items(f.List2), (Lines{"Abba - 1 KB", "Hello, World - 2 KB", "zz - 10 Bytes"}));
    EXPECT_EQ(f.List2.listIndex(), 2);
    EXPECT_EQ(f.List2.text(), "zz - 10 Bytes");
    EXPECT_EQ(f.lstFiles.text(), c);
    EXPECT_FALSE(f.Timer3.enabled());
}

TEST(StartUp, SavedPositionsPastTheEndAreIgnored) {
    Player p;
    std::string a = p.track("a.mp3", 1);
    p.writeSavedPlaylist({a}, {"a - 1 Bytes"});
    setFolder(p, "List2", "5");
    setFolder(p, "List1", "40000");  // read as a 32-bit number, then out of range
    setFolder(p, "LstFiles", "x");
    auto& f = p.start();
    EXPECT_EQ(f.List2.listIndex(), -1);
    EXPECT_EQ(f.List1.listIndex(), -1);
    EXPECT_EQ(f.lstFiles.listIndex(), -1);
    EXPECT_EQ(f.lstFiles.listCount(), 1);
}

TEST(StartUp, PositionsBeyond32767AreRead) {
    Player p;
    Lines paths, names;
    for (int i = 0; i < 33000; ++i) {
        paths.push_back("/m/" + std::to_string(i) + ".mp3");
        names.push_back(std::to_string(i) + " - ");
    }
    p.writeSavedPlaylist(paths, names);
    setFolder(p, "List2", "0");
    setFolder(p, "List1", "32800");
    setFolder(p, "LstFiles", "32900");
    auto& f = p.start();
    EXPECT_EQ(f.List1.listIndex(), 32800);
    EXPECT_EQ(f.lstFiles.listIndex(), 32900);
}

TEST(StartUp, DifferingFilesAreRebuiltFromThePaths) {
    struct Case {
        const char* what;
        Lines names;
    } cases[] = {
        {"one name short", {"a - 1 Bytes"}},
        {"an empty Name.m3u", {}},
    };
    for (const Case& c : cases) {
        Player p;
        std::string a = p.track("a.mp3", 1), b = p.track("b.mp3", 2);
        p.writeSavedPlaylist({a, b}, c.names);
        setFolder(p, "List2", "1");
        auto& f = p.start();
        EXPECT_TRUE(f.Timer3.enabled()) << c.what;
        p.runBuilder();
        EXPECT_EQ(Player::items(f.List1), (Lines{"a - 1 Bytes", "b - 2 Bytes"})) << c.what;
        EXPECT_EQ(Player::items(f.List2), (Lines{"a - 1 Bytes", "b - 2 Bytes"})) << c.what;
        EXPECT_EQ(f.List2.listIndex(), -1) << c.what;
    }
}

TEST(StartUp, EmptyFilesGiveAnEmptyPlaylist) {
    Player p;
    p.writeSavedPlaylist({}, {});
    auto& f = p.start();
    EXPECT_EQ(f.List2.listCount(), 0);
    EXPECT_EQ(f.lstFiles.listCount(), 0);
    EXPECT_FALSE(f.Timer3.enabled());
}

TEST(StartUp, FadeInWhenTheOptionsAskForIt) {
    Player p;
    p.windows.fade = 1;
    auto& f = p.start();
    EXPECT_TRUE(f.layered());
    EXPECT_EQ(f.alpha(), 254);
    EXPECT_TRUE(f.visible());
}

TEST(StartUp, CommandLine) {
    struct Case {
        const char* what;
        std::string arg;  // relative to the music folder unless it starts with a quote
        bool playlist;
    } cases[] = {
        {"an MP3 in mixed case is played as given", "Mixed/Some Song.MP3", false},
        {"an upper-case playlist", "LIST.M3U", true},
        {"m3u without a dot", "listm3u", true},
        {"a quoted path stays whole and is no playlist", "\"LIST.M3U\"", false},
        {"a playlist that is missing", "missing.m3u", true},
        {"a UTF-8 list as another player saves it", "Saved list.m3u8", true},
        {"a UTF-8 list in upper case", "SAVED.M3U8", true},
        {"m3u8 without a dot", "listm3u8", true},
    };
    for (const Case& c : cases) {
        Player p;
        std::string song = p.track("Mixed/Some Song.MP3", 1536);
        std::string one = p.track("one.mp3", 1), two = p.track("two.mp3", 2);
        std::string three = p.track("dr\xC3\xA9i.mp3", 3);
        testsupport::writeFile(p.home.file("music/LIST.M3U"), Player::lines({one, two}));
        testsupport::writeFile(p.home.file("music/listm3u"), Player::lines({two}));
        // Header and title lines, a relative UTF-8 name and a file URI.
        const std::string theirs = "#EXTM3U\n#EXTINF:3,Dr\xC3\xA9i\ndr\xC3\xA9i.mp3\n#EXTINF:1,One\nfile://" + one + "\n";
        testsupport::writeFile(p.home.file("music/Saved list.m3u8"), theirs);
        testsupport::writeFile(p.home.file("music/SAVED.M3U8"), theirs);
        testsupport::writeFile(p.home.file("music/listm3u8"), Player::lines({two}));
        std::string arg = c.arg[0] == '"' ? c.arg : p.home.file("music/" + c.arg);
        runtime::App::setForTest(p.app.path(), {arg});
        p.writeSavedPlaylist({one}, {"one - 1 Bytes"});
        auto& f = p.start();
        p.runBuilder();
        if (c.playlist) {
            EXPECT_TRUE(p.media->callsTo("FileName").empty()) << c.what;
            Lines expect = c.arg == "LIST.M3U"                                  ? Lines{one, two}
                           : c.arg == "listm3u" || c.arg == "listm3u8"             ? Lines{two}
                           : c.arg == "Saved list.m3u8" || c.arg == "SAVED.M3U8" ? Lines{three, one}
                                                                                   : Lines{};
            EXPECT_EQ(Player::items(f.lstFiles), expect) << c.what;
        } else {
            EXPECT_EQ(p.media->callsTo("FileName").at(0).substr(9, arg.size()), arg) << c.what;
            EXPECT_EQ(Player::items(f.lstFiles), Lines{arg}) << c.what;
            if (arg == song) {
                EXPECT_EQ(Player::items(f.List2), Lines{"Some Song - 1.5 KB"}) << c.what;
            }
        }
        EXPECT_EQ(f.List1.listCount(), f.lstFiles.listCount()) << c.what;
        EXPECT_EQ(p.windows.calls, Lines{}) << c.what;  // the options window is not read
        f.unload();
        EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), Player::lines(Player::items(f.lstFiles))) << c.what;
    }
}

TEST(StartUp, ACommandLinePlaylistAnotherPlayerWroteListsItsFiles) {
    // The list named relative to the current folder: its relative lines lie
    // in the list's folder, and the entries are full paths.
    Player p;
    const std::string one = p.track("one.mp3", 1), two = p.track("t w\xE9.mp3", 2);
    testsupport::writeFile(p.home.file("music/List.M3U"),
                           "#EXTM3U\r\n#EXTINF:1,Artist - One\r\none.mp3\r\n\r\n#EXTINF:2,Two\r\nfile://" +
                               p.home.file("music/t%20w%E9.mp3") + "\r\n");
    const fs::path before = fs::current_path();
    fs::current_path(p.home.path());
    runtime::App::setForTest(p.app.path(), {"music/List.M3U"});
    auto& f = p.start();
    p.runBuilder();
    fs::current_path(before);
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{one, two}));
    EXPECT_EQ(Player::items(f.List1), (Lines{player::DisplayLine(one), player::DisplayLine(two)}));
    EXPECT_TRUE(p.media->callsTo("FileName").empty());
}

TEST(StartUp, DamagedSkinEndsTheProgramWritingNothing) {
    for (long size : {17422L, 17424L, -1L}) {
        Player p({}, false);
        if (size >= 0) testsupport::writeFile(p.app.file("New2.kmf"), std::string(static_cast<std::size_t>(size), 'x'));
        p.writeSavedPlaylist({"/m/a.mp3"}, {"a - "});
        runtime::SaveSetting("dovetune", "Settings", "Form2Left", "1200");
        auto before = snapshot(p.app.path()), settingsBefore = snapshot(p.home.file("config"));
        p.env.dialogs.answerMessageBox(forms::vbOK);
        player::mMain::Main();
        ASSERT_EQ(p.env.dialogs.shown().size(), 1u) << size;
        const auto& box = p.env.dialogs.shown()[0].message;
        EXPECT_EQ(box.prompt, "Skin is Damaged or Changed Can Not Load");
        EXPECT_EQ(box.buttons, forms::vbCritical);
        EXPECT_EQ(box.title, "dovetune");
        EXPECT_FALSE(p.form2Loaded()) << size;
        EXPECT_FALSE(forms::IsLoaded<player::Form4>());
        EXPECT_TRUE(forms::Application::instance().ended()) << size;
        EXPECT_EQ(snapshot(p.app.path()), before) << size;
        EXPECT_EQ(snapshot(p.home.file("config")), settingsBefore) << size;
    }
}

// ---- unload ----

TEST(Unload, WritesThePlaylistFilesAndTheSettings) {
    Player p;
    auto& f = p.start();
    std::string a = p.track("b.mp3", 1024), b = p.track("a.mp3", 2048);
    p.fill({a, b});
    f.List2.setListIndex(1);  // "b - 1 KB"
    f.mnumarquee.setChecked(true);
    f.Text2.setText("/music");
    f.MediaPlayer1.setVolume(-500);
    f.Check1.setValue(1);
    f.mnu5.setCaption("/fav/five");
    f.move(1500, 1800);
    f.unload();
    EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), a + "\r\n" + b + "\r\n");
    EXPECT_EQ(testsupport::readFile(p.app.file("Name.m3u")), "b - 1 KB\r\na - 2 KB\r\n");
    EXPECT_EQ(getFolder(p, "mnumarquee"), "True");
    EXPECT_EQ(getFolder(p, "mnumainplayer"), "False");
    EXPECT_EQ(getFolder(p, "text2"), "/music");
    EXPECT_EQ(getFolder(p, "List2"), "1");
    EXPECT_EQ(getFolder(p, "List1"), "0");
    EXPECT_EQ(getFolder(p, "lstfiles"), "0");
    EXPECT_EQ(getFolder(p, "Mediaplayer1"), "-500");
    EXPECT_EQ(getFolder(p, "Check1"), "1");
    EXPECT_EQ(getFolder(p, "mnu1"), "1");
    EXPECT_EQ(getFolder(p, "mnu5"), "/fav/five");
    EXPECT_EQ(getTitle("Form2Left"), "1500");
    EXPECT_EQ(getTitle("Form2Top"), "1800");
    EXPECT_EQ(p.windows.calls, (Lines{"frmTestControls.Fade", "Unload Form1", "Unload Form5", "Unload frmTestControls"}));
    EXPECT_FALSE(forms::IsLoaded<player::Form4>());
    EXPECT_TRUE(forms::Application::instance().ended());
}

TEST(Unload, TheSavedPlaylistComesBackNextTime) {
    Player p;
    std::string a = p.track("x.mp3", 5), b = p.track("y.mp3", 6);
    {
        auto& f = p.start();
        p.fill({a, b});
        f.List2.setListIndex(1);
        f.unload();
    }
    forms::Application::instance().reset();
    auto& f = p.start();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{a, b}));
    EXPECT_EQ(f.List2.text(), "y - 6 Bytes");
    EXPECT_EQ(f.lstFiles.text(), b);
}

TEST(Unload, PathsThatAreNotUtf8KeepTheirBytesThroughRestarts) {
    struct Case {
        const char* what;
        std::string name;  // under the music folder
        bool fromCommandLine;
    } cases[] = {
        {"Latin-1 from the command line", "caf\xE9.mp3", true},
        {"invalid bytes from the command line", "caf\xE9\xFF.mp3", true},
        {"a stray continuation byte in the saved list", "\x80x\xC3.mp3", false},
        {"Latin-1 in the saved list", "Bj\xF6rk - J\xF3ga.mp3", false},
    };
    for (const Case& c : cases) {
        Player p;
        const std::string path = p.track(c.name, 1024);
        const std::string line = player::DisplayLine(path);
        if (c.fromCommandLine)
            runtime::App::setForTest(p.app.path(), {path});
        else
            p.writeSavedPlaylist({path}, {line});
        for (int start = 0; start < 3; ++start) {
            auto& f = p.start();
            p.runBuilder();
            ASSERT_EQ(Player::items(f.lstFiles), Lines{path}) << c.what << ", start " << start;
            EXPECT_EQ(Player::items(f.List2), Lines{line}) << c.what << ", start " << start;
            f.List2.doubleClickItem(0);
            EXPECT_EQ(p.media->fileName(), path) << c.what << ", start " << start;
            f.unload();
            EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), path + "\r\n") << c.what << ", start " << start;
            EXPECT_EQ(testsupport::readFile(p.app.file("Name.m3u")), line + "\r\n") << c.what << ", start " << start;
            forms::Application::instance().reset();
            runtime::App::setForTest(p.app.path(), {});
        }
    }
}

TEST(StartUp, ASavedListFromTheOriginalPlatformStillFindsItsFiles) {
    // Windows-1252 lines whose bytes name nothing, but whose reading does.
    Player p;
    const std::string song = p.track("Caf\xC3\xA9 \xE2\x80\x93 It\xE2\x80\x99s.mp3", 1024);
    const std::string folder = p.home.file("music/");
    p.writeSavedPlaylist({folder + "Caf\xE9 \x96 It\x92s.mp3", folder + "gone\xE9.mp3"},
                         {"Caf\xE9 \x96 It\x92s - 1 KB", "gone\xE9 - "});
    auto& f = p.start();
    EXPECT_EQ(Player::items(f.lstFiles), (Lines{song, folder + "gone\xE9.mp3"}));
    EXPECT_EQ(Player::items(f.List1), (Lines{"Caf\xC3\xA9 \xE2\x80\x93 It\xE2\x80\x99s - 1 KB", "gone\xE9 - "}));
    EXPECT_EQ(Player::items(f.List1)[0], player::DisplayLine(song));
}

TEST(Unload, AFailedReplaceKeepsTheOldPair) {
    Player p;
    p.writeSavedPlaylist({"/old/a.mp3"}, {"a - "});
    auto& f = p.start();
    p.fill({p.track("new.mp3", 1)});
    runtime::detail::FailNextReplace(EIO);
    f.unload();
    EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), "/old/a.mp3\r\n");
    EXPECT_EQ(testsupport::readFile(p.app.file("Name.m3u")), "a - \r\n");
    EXPECT_EQ(getFolder(p, "Check1"), "0");  // the settings are saved all the same
}

TEST(Unload, DuringABuildTheBuildFinishesFirst) {
    Player p;
    auto& f = p.start();
    Lines paths;
    for (int i = 0; i < 5; ++i) paths.push_back(p.track(std::to_string(i) + ".mp3", i));
    for (auto& s : paths) f.lstFiles.addItem(s);
    f.BuilderSlice = {};  // one line per tick: two of five built when the window unloads
    f.Timer3.setEnabled(true);
    p.env.scheduler.advance(2);
    ASSERT_EQ(f.List1.listCount(), 2);
    f.unload();
    EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), Player::lines(paths));
    Lines names;
    for (auto& s : paths) names.push_back(player::DisplayLine(s));
    EXPECT_EQ(testsupport::readFile(p.app.file("Name.m3u")), Player::lines(names));
}

TEST(Unload, AReadOnlyFolderLosesOnlyThePlaylist) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    Player p;
    auto& f = p.start();
    p.fill({p.track("a.mp3", 1)});
    fs::permissions(p.app.path(), fs::perms::owner_write, fs::perm_options::remove);
    f.Check1.setValue(1);
    f.unload();
    fs::permissions(p.app.path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_FALSE(fs::exists(p.app.file("Path.m3u")));
    EXPECT_EQ(getFolder(p, "Check1"), "1");
}

// ---- chrome ----

TEST(Chrome, CloseHidesThePictureWhilePressedThenEndsTheProgram) {
    Player p;
    auto& f = p.start();
    f.Image3.mouseDown(1, 0, 40, 430);
    EXPECT_FALSE(f.Image13.visible());
    f.Image3.mouseUp(1, 0, 40, 430);
    EXPECT_TRUE(f.Image13.visible());
    f.Image3.click();
    EXPECT_FALSE(p.form2Loaded());
    EXPECT_TRUE(forms::Application::instance().ended());
    EXPECT_TRUE(fs::exists(p.app.file("Path.m3u")));
}

TEST(Chrome, TheContactWindowKeepsTheProgramRunning) {
    struct ContactStandIn : forms::Form {
        ContactStandIn() : Form("Contact") {}
    };
    for (bool viaExit : {false, true}) {
        Player p;
        auto& f = p.start();
        forms::Get<ContactStandIn>().show();
        if (viaExit)
            f.mnuexit.choose();
        else
            f.Image3.click();
        EXPECT_FALSE(p.form2Loaded());
        EXPECT_FALSE(forms::Application::instance().ended()) << viaExit;
        EXPECT_TRUE(forms::IsLoaded<ContactStandIn>());
        forms::Get<ContactStandIn>().unload();
        EXPECT_TRUE(forms::Application::instance().ended());
    }
}

TEST(Chrome, ExitStopsPlaybackBeforeAnythingUnloads) {
    Player p;
    auto& f = p.start();
    f.MediaPlayer1.setFileName("/m/a.mp3");
    p.media->clearCalls();
    p.windows.calls.clear();
    f.keyDown(forms::vbKeyF(8), 0);
    EXPECT_EQ(p.media->calls().at(0), "Stop");
    EXPECT_EQ(p.windows.calls, (Lines{"Unload Form1", "Unload frmTestControls", "Unload Form5", "Unload Form1",
                                      "Unload Form5", "Unload frmTestControls"}));
    EXPECT_FALSE(p.form2Loaded());
}

TEST(Chrome, MinimiseResizeAndDoubleClick) {
    Player p;
    auto& f = p.start();
    f.userResized(3000, 3000);
    EXPECT_EQ(f.width(), player::kForm2OuterWidth);
    EXPECT_EQ(f.height(), player::kForm2OuterHeight);
    f.doubleClick();
    EXPECT_TRUE(f.Slider2.hasFocus());
    f.Image4.click();
    EXPECT_EQ(f.windowState(), forms::vbMinimized);
    f.userResized(100, 100);  // harmless while minimised
    EXPECT_TRUE(f.isLoaded());
}

TEST(Chrome, ACloseDuringTheFadeInWaitsForTheRestore) {
    Player p;
    std::string a = p.track("a.mp3", 1);
    p.writeSavedPlaylist({a}, {"a - 1 Bytes"});
    p.windows.fade = 1;
    bool clicked = false;
    // The first pass of the fade's event loop delivers the click.
    p.env.scheduler.post([&] {
        clicked = true;
        p.form2().Image3.click();
    });
    player::mMain::Main();
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(p.form2Loaded());
    EXPECT_EQ(testsupport::readFile(p.app.file("Path.m3u")), a + "\r\n");
}

}  // namespace
