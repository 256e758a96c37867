// The options window headless: the boxes from the program folder's settings
// (damaged values taken as defaults), Done with the registry and the desktop,
// the side bar, Start Fade, the opacity, the progress, the help columns and
// the links.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "../runtime/fs_test_support.hpp"
#include "options/Contact.hpp"
#include "options/frmTestControls.hpp"
#include "options/windows.hpp"
#include "player_fixture.hpp"
#include "runtime/settings.hpp"
#include "system/desktop_association.hpp"
#include "system/registry.hpp"

namespace {

using options::frmTestControls;
using testsupport::ScopedEnv;

constexpr const char* kSection = " setting";
const char* const kKeys[] = {"Fade", "Mp3", "Wma", "Wav", "Mid", "RM", "M3u"};

// The main window's test program folder, with a registry and desktop folders of its own.
struct Options : playertest::Player {
    ScopedEnv data{"XDG_DATA_HOME", home.file("data")};
    options::OptionsWindows real;
    Options() {
        player::SetOptionsWindows(&real);
        // The window's pictures beside the program.
        std::filesystem::copy(playertest::builtProgramDir() + "/options", app.file("options"));
    }

    frmTestControls& window() { return forms::Get<frmTestControls>(); }
    forms::CheckBox* box(frmTestControls& o, const std::string& key) {
        forms::CheckBox* boxes[] = {&o.Fade, &o.Mp3, &o.Wma, &o.Wav, &o.Mid, &o.RM, &o.M3u};
        for (int i = 0; i < 7; ++i)
            if (key == kKeys[i]) return boxes[i];
        return nullptr;
    }
    std::vector<std::pair<std::string, std::string>> stored() { return runtime::GetAllSettings(app.path(), kSection); }
    std::string registryText() {
        return testsupport::exists(sys::RegistryFilePath()) ? testsupport::readFile(sys::RegistryFilePath()) : "";
    }
};

std::optional<std::string> registered(const std::string& key) { return sys::RegQueryDefault(sys::HKEY_CLASSES_ROOT, key); }

TEST(OptionsSettings, AFirstRunStartsUncheckedAndDoneWritesTheSevenKeys) {
    Options p;
    auto& o = p.window();
    for (const char* key : kKeys) EXPECT_EQ(p.box(o, key)->value(), 0) << key;
    EXPECT_TRUE(o.Picture1.visible());
    EXPECT_TRUE(o.Label6.font().bold);
    EXPECT_EQ(o.Opacitytext.text(), "10");
    o.show();
    o.Label12.click();  // "Start Fade"
    o.Label4.click();   // the file types' page
    o.Mid.click();
    o.Command3.click();
    std::vector<std::pair<std::string, std::string>> want = {{"Fade", "1"}, {"Mp3", "0"}, {"Wma", "0"}, {"Wav", "0"},
                                                             {"Mid", "1"},  {"RM", "0"},  {"M3u", "0"}};
    EXPECT_EQ(p.stored(), want);
    EXPECT_EQ(registered(".mid"), "Korvane Media Files");
    EXPECT_EQ(registered(".mp3"), std::nullopt);
    EXPECT_TRUE(p.env.dialogs.shown().empty());
}

TEST(OptionsSettings, StoredValuesDamagedValuesAndAnotherProgramFolder) {
    struct Case {
        const char* mp3;  // nullptr: no key
        int value;
    };
    const Case cases[] = {{"1", 1}, {"2", 2}, {"0", 0}, {nullptr, 0}, {"x", 0}, {"7", 0}, {"-1", 0}, {"", 0}, {"70000", 0}};
    for (const Case& c : cases) {
        Options p;
        runtime::SaveSetting(p.app.path(), kSection, "Wav", "1");
        runtime::SaveSetting(p.app.path(), kSection, "Fade", "1");
        if (c.mp3) runtime::SaveSetting(p.app.path(), kSection, "Mp3", c.mp3);
        auto& o = p.window();
        std::string what = c.mp3 ? c.mp3 : "(none)";
        EXPECT_EQ(o.Mp3.value(), c.value) << what;
        EXPECT_EQ(o.Wav.value(), 1) << what;  // the keys after a damaged one load
        EXPECT_EQ(o.Fade.value(), 1) << what;
        EXPECT_EQ(o.M3u.value(), 0) << what;
        EXPECT_EQ(o.Picture7.left(), 2880) << what;  // the load went on
        EXPECT_FALSE(o.Label31.caption().empty()) << what;
    }
    // The main window's start reads Fade past a damaged key and fades in.
    {
        Options p;
        runtime::SaveSetting(p.app.path(), kSection, "Fade", "1");
        runtime::SaveSetting(p.app.path(), kSection, "Mp3", "junk");
        auto& f = p.start();
        EXPECT_TRUE(f.layered());
    }
    // Another program folder has settings of its own.
    Options p;
    runtime::SaveSetting(p.app.path(), kSection, "Mp3", "1");
    testsupport::TempDir other;
    runtime::App::setForTest(other.path(), {});
    auto& o = p.window();
    EXPECT_EQ(o.Mp3.value(), 0);
}

TEST(OptionsSettings, CancelAndTheCloseBoxDiscardTheChanges) {
    for (bool closeBox : {false, true}) {
        Options p;
        auto& o = p.window();
        o.show();
        o.Fade.click();
        o.Label4.click();
        o.Mp3.click();
        if (closeBox)
            o.userClose();
        else
            o.Command2.click();
        EXPECT_FALSE(forms::IsLoaded<frmTestControls>());
        EXPECT_TRUE(p.stored().empty());
        EXPECT_EQ(registered(".mp3"), std::nullopt);
        EXPECT_EQ(p.window().Mp3.value(), 0);
    }
}

TEST(OptionsDone, TheRegistryAsTheBoxesSayIt) {
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, int>> boxes;
        std::vector<std::string> registeredExts;
    };
    const Case cases[] = {
        {"only boxes at 1", {{"Mp3", 1}, {"Wma", 2}, {"Wav", 0}, {"M3u", 1}}, {".mp3", ".m3u"}},
        {"all six", {{"Mp3", 1}, {"Wma", 1}, {"Wav", 1}, {"Mid", 1}, {"RM", 1}, {"M3u", 1}},
         {".mp3", ".wma", ".wav", ".mid", ".rm", ".m3u"}},
        {"none", {}, {}},
    };
    for (const Case& c : cases) {
        Options p;
        auto& o = p.window();
        for (auto& [key, value] : c.boxes) p.box(o, key)->setValue(value);
        o.Command3.click();
        for (const char* ext : {".mp3", ".wma", ".wav", ".mid", ".rm", ".m3u"}) {
            bool want = std::find(c.registeredExts.begin(), c.registeredExts.end(), ext) != c.registeredExts.end();
            EXPECT_EQ(registered(ext), want ? std::optional<std::string>("Korvane Media Files") : std::nullopt)
                << c.what << " " << ext;
        }
        std::vector<std::string> keys = sys::RegEnumKeys(sys::HKEY_CLASSES_ROOT, "");
        EXPECT_EQ(keys.size(), c.registeredExts.size() + (c.registeredExts.empty() ? 0 : 1)) << c.what;
        if (c.registeredExts.empty()) continue;
        EXPECT_EQ(sys::RegEnumKeys(sys::HKEY_CLASSES_ROOT, "Korvane Media Files"), std::vector<std::string>{"Shell"});
        EXPECT_EQ(sys::RegEnumKeys(sys::HKEY_CLASSES_ROOT, "Korvane Media Files\\Shell"), std::vector<std::string>{"Open"});
        std::string real = std::filesystem::canonical(p.app.path()).string();
        EXPECT_EQ(registered("Korvane Media Files\\Shell\\Open\\Command"), real + "/dovetune %1") << c.what;
        EXPECT_TRUE(p.env.dialogs.shown().empty()) << c.what;
    }
}

TEST(OptionsDone, AnotherTypesExtensionTwiceAndUnticking) {
    Options p;
    sys::HKEY key = 0;
    ASSERT_EQ(sys::RegCreateKey(sys::HKEY_CLASSES_ROOT, ".mp3\\OpenWithList\\other", &key), sys::ERROR_SUCCESS);
    sys::RegCloseKey(key);
    ASSERT_EQ(sys::RegCreateKey(sys::HKEY_CLASSES_ROOT, ".mp3", &key), sys::ERROR_SUCCESS);
    sys::RegSetValueEx(key, "", 0, sys::REG_SZ, "Other.File");
    sys::RegSetValueEx(key, "Content Type", 0, sys::REG_SZ, "audio/mpeg");
    sys::RegCloseKey(key);

    auto& o = p.window();
    o.show();
    o.Label4.click();
    o.Mp3.click();
    o.Wav.click();
    o.Command3.click();
    EXPECT_EQ(registered(".mp3"), "Korvane Media Files");
    EXPECT_EQ(sys::RegQueryValue(sys::HKEY_CLASSES_ROOT, ".mp3", "Content Type"), "audio/mpeg");
    EXPECT_EQ(sys::RegEnumKeys(sys::HKEY_CLASSES_ROOT, ".mp3"), std::vector<std::string>{"OpenWithList"});
    const std::string once = p.registryText();
    const std::string entry = testsupport::readFile(sys::DesktopEntryPath());
    const std::string list = testsupport::readFile(sys::MimeAppsListPath());
    EXPECT_NE(entry.find("MimeType=audio/mpeg;audio/x-wav;audio/wav;"), std::string::npos) << entry;

    o.Command3.click();  // again, during the progress
    EXPECT_EQ(p.registryText(), once);
    EXPECT_EQ(testsupport::readFile(sys::DesktopEntryPath()), entry);
    EXPECT_EQ(testsupport::readFile(sys::MimeAppsListPath()), list);

    o.Mp3.click();  // unticked: the registration stays
    o.Command3.click();
    EXPECT_EQ(registered(".mp3"), "Korvane Media Files");
    EXPECT_EQ(runtime::GetSetting(p.app.path(), kSection, "Mp3"), "0");
    if (testsupport::haveProgram("xdg-mime")) {
        auto r = testsupport::runCommand("xdg-mime query default audio/mpeg");
        EXPECT_EQ(r.output, "dovetune.desktop\n");
    }
}

TEST(OptionsDone, AStoreThatCannotBeWrittenIsNamedAndTheRestGoesOn) {
    Options p;
    // The registry's folder exists and is read-only.
    sys::HKEY key = 0;
    ASSERT_EQ(sys::RegCreateKey(sys::HKEY_CLASSES_ROOT, ".txt", &key), sys::ERROR_SUCCESS);
    sys::RegCloseKey(key);
    const std::string before = p.registryText();
    Unwritable guard(p.home.file("data/dovetune"));
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    auto& o = p.window();
    o.show();
    o.Label4.click();
    o.Mp3.click();
    o.RM.click();
    p.env.dialogs.answerMessageBox(forms::vbOK);
    o.Command3.click();
    ASSERT_EQ(p.env.dialogs.shown().size(), 1u);
    const auto& box = p.env.dialogs.shown()[0].message;
    EXPECT_EQ(box.buttons, forms::vbExclamation);
    EXPECT_NE(box.prompt.find(".mp3"), std::string::npos) << box.prompt;
    EXPECT_NE(box.prompt.find(".rm"), std::string::npos) << box.prompt;
    EXPECT_EQ(box.prompt.find(".wav"), std::string::npos) << box.prompt;
    EXPECT_EQ(p.registryText(), before);
    EXPECT_EQ(runtime::GetSetting(p.app.path(), kSection, "Mp3"), "1");  // the settings were saved
    EXPECT_TRUE(o.Timer1.running());
    p.env.scheduler.advance(1000);
    EXPECT_FALSE(forms::IsLoaded<frmTestControls>());
}

TEST(OptionsDone, ADesktopThatCannotBeToldIsAFailedRegistration) {
    Options p;
    std::filesystem::create_directories(p.home.file("data/applications"));
    Unwritable guard(p.home.file("data/applications"));
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    auto& o = p.window();
    o.Wma.setValue(1);
    p.env.dialogs.answerMessageBox(forms::vbOK);
    o.Command3.click();
    EXPECT_EQ(registered(".wma"), "Korvane Media Files");  // the registry took it
    ASSERT_EQ(p.env.dialogs.shown().size(), 1u);
    EXPECT_NE(p.env.dialogs.shown()[0].message.prompt.find(".wma"), std::string::npos);
}

// With ~/.config read-only, mimeapps.list cannot name the program: the
// message says so, and the desktop is told nothing, no desktop entry included.
TEST(OptionsDone, WithoutTheDefaultsListTheDesktopEntryIsNotLeftBehind) {
    Options p;
    runtime::SaveSetting(p.app.path(), kSection, "Fade", "0");  // the store's own folder is there
    Unwritable guard(p.home.file("config"));
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    auto& o = p.window();
    o.Mp3.setValue(1);
    o.Wav.setValue(1);
    p.env.dialogs.answerMessageBox(forms::vbOK);
    o.Command3.click();
    ASSERT_EQ(p.env.dialogs.shown().size(), 1u);
    const std::string& prompt = p.env.dialogs.shown()[0].message.prompt;
    EXPECT_NE(prompt.find("the file type .mp3"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find("the file type .wav"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find(p.home.file("config")), std::string::npos) << prompt;
    EXPECT_FALSE(testsupport::exists(sys::DesktopEntryPath()));
    EXPECT_FALSE(testsupport::exists(sys::MimeAppsListPath()));
    EXPECT_EQ(runtime::GetSetting(p.app.path(), kSection, "Mp3"), "1");  // the settings were saved
}

TEST(OptionsDone, AnUnreadableDefaultsListIsNamedWithItsReasonAndKept) {
    Options p;
    ScopedEnv config{"XDG_CONFIG_HOME", p.home.file("config")};
    std::filesystem::create_directories(p.home.file("config"));
    const std::string theirs = "[Default Applications]\ntext/plain=editor.desktop\n";
    testsupport::writeFile(sys::MimeAppsListPath(), theirs);
    std::optional<std::string> said;
    {
        testsupport::Unreadable guard(sys::MimeAppsListPath());
        said = testsupport::AsOrdinaryUser(p.home.path(), [&] {
            auto& o = p.window();
            o.Mp3.setValue(1);
            o.Wav.setValue(1);
            p.env.dialogs.answerMessageBox(forms::vbOK);
            o.Command3.click();
            return p.env.dialogs.shown().size() == 1 ? p.env.dialogs.shown()[0].message.prompt : std::string();
        });
    }
    ASSERT_TRUE(said.has_value());
    EXPECT_NE(said->find("the file type .mp3"), std::string::npos) << *said;
    EXPECT_NE(said->find("the file type .wav"), std::string::npos) << *said;
    EXPECT_NE(said->find(sys::MimeAppsListPath()), std::string::npos) << *said;
    EXPECT_NE(said->find("Permission denied"), std::string::npos) << *said;
    EXPECT_EQ(testsupport::readFile(sys::MimeAppsListPath()), theirs);
}

TEST(OptionsDone, ASettingThatCannotBeSavedIsNamed) {
    Options p;
    runtime::SaveSetting(p.app.path(), kSection, "Mp3", "0");
    Unwritable guard(p.home.file("config/dovetune"));
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    auto& o = p.window();
    o.show();
    o.Fade.click();
    p.env.dialogs.answerMessageBox(forms::vbOK);
    o.Command3.click();
    ASSERT_EQ(p.env.dialogs.shown().size(), 1u);
    const std::string& prompt = p.env.dialogs.shown()[0].message.prompt;
    EXPECT_NE(prompt.find("\"Fade\""), std::string::npos) << prompt;
    EXPECT_EQ(prompt.find("\"Mp3\""), std::string::npos) << prompt;  // unchanged: nothing to write
    EXPECT_TRUE(o.Timer1.running());
}

TEST(OptionsProgress, HundredTicksOfTenMillisecondsThenTheWindowCloses) {
    Options p;
    auto& o = p.window();
    o.show();
    o.Command3.click();
    EXPECT_EQ(o.p1.value(), 0);  // the ticks begin after Done
    p.env.scheduler.advance(500);
    EXPECT_EQ(o.p1.value(), 50);
    o.Command3.click();  // again: the progress goes on
    p.env.scheduler.advance(490);
    EXPECT_EQ(o.p1.value(), 99);
    EXPECT_TRUE(o.isLoaded());
    p.env.scheduler.advance(10);
    EXPECT_FALSE(o.isLoaded());
    EXPECT_EQ(p.window().p1.value(), 0);  // a new load starts from the design state
}

TEST(OptionsSideBar, EachEntryShowsItsPageAndMarksItself) {
    Options p;
    auto& o = p.window();
    forms::Label* entries[] = {&o.Label6, &o.Label3, &o.Label4, &o.Label5, &o.Label7, &o.Label10, &o.Label11};
    forms::PictureBox* pages[] = {&o.Picture1, &o.Picture7, &o.Picture2, nullptr, &o.Picture5, &o.Picture4, &o.Picture3};
    forms::PictureBox* shown = &o.Picture1;
    for (int i = 0; i < 7; ++i) {
        entries[i]->click();
        if (pages[i]) shown = pages[i];
        for (int j = 0; j < 7; ++j) EXPECT_EQ(entries[j]->font().bold, i == j) << i << " " << j;
        for (forms::PictureBox* page : {&o.Picture1, &o.Picture2, &o.Picture3, &o.Picture4, &o.Picture5, &o.Picture7})
            EXPECT_EQ(page->visible(), page == shown) << entries[i]->caption() << " " << page->name();
    }
    // The entries and the links carry the pointing hand, its fingertip the hot spot.
    for (forms::Label* l : {&o.Label6, &o.Label11, &o.Label20, &o.Label21, &o.Label22, &o.Label23}) {
        EXPECT_EQ(l->mousePointer(), 99) << l->name();
        EXPECT_EQ(l->mouseIcon().width(), 32) << l->name();
        EXPECT_EQ(l->mouseIcon().hotSpotX(), 12) << l->name();
        EXPECT_EQ(l->mouseIcon().hotSpotY(), 1) << l->name();
    }
    // The keyboard walks the pages: Ctrl+PageDown forward, Ctrl+PageUp back.
    o.show();
    o.Label6.click();
    forms::PictureBox* order[] = {&o.Picture1, &o.Picture7, &o.Picture2, &o.Picture5, &o.Picture4, &o.Picture3, &o.Picture1};
    for (int i = 1; i < 7; ++i) {
        o.typeKey(forms::vbKeyPageDown, forms::vbCtrlMask);
        EXPECT_TRUE(order[i]->visible()) << i;
    }
    o.typeKey(forms::vbKeyPageUp, forms::vbCtrlMask);
    EXPECT_TRUE(o.Picture3.visible());
    EXPECT_TRUE(o.Label11.font().bold);
}

TEST(OptionsStartFade, TogglesZeroAndOneAndLeavesGreyAlone) {
    Options p;
    auto& o = p.window();
    for (auto [from, to] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{2, 2}}) {
        o.Fade.setValue(from);
        o.Label12.click();
        EXPECT_EQ(o.Fade.value(), to) << from;
    }
    o.Label30.click();  // "Smooth Play" does nothing
    EXPECT_EQ(o.smooth.value(), 0);
    EXPECT_TRUE(p.stored().empty());  // saved only by Done
}

TEST(OptionsOpacity, TheMainWindowsAlphaFromTheNumber) {
    Options p;
    auto& f = p.start();
    auto& o = p.window();
    o.show();
    o.Label3.click();  // the opacity page
    struct Case {
        const char* text;
        int alpha;  // -1: unchanged
    };
    const Case cases[] = {{"1", 255}, {"2", 128}, {"6", 42}, {"10", 26}, {"99", 3}, {"5", 51},
                          {"0", -1},  {"", -1},   {"x", -1}, {".5", -1}, {"-1", -1}};
    int last = f.alpha();
    for (const Case& c : cases) {
        o.Opacitytext.setText(c.text);
        o.Command5.click();
        int want = c.alpha < 0 ? last : c.alpha;
        EXPECT_EQ(f.alpha(), want) << c.text;
        last = f.alpha();
    }
    EXPECT_EQ(forms::Get<player::Form4>().alpha(), 255);  // the Info Bar keeps its own
    EXPECT_TRUE(p.stored().empty());
    o.Command2.click();
    EXPECT_EQ(p.window().Opacitytext.text(), "10");
    EXPECT_EQ(f.alpha(), last);
    auto& again = p.window();
    again.Opacitytext.setText("");
    again.Opacitytext.typeChar("1");
    again.Opacitytext.typeChar("2");
    again.Opacitytext.typeChar("3");
    EXPECT_EQ(again.Opacitytext.text(), "12");  // two characters at most
}

TEST(OptionsHelp, TheTwoColumnsByteForByte) {
    Options p;
    auto& o = p.window();
    const std::string blanks(21, ' ');
    EXPECT_EQ(o.Label31.caption(),
              "Key:    \r\n" + blanks +
                  "\r\nF1:\r\nF2:\r\nF3:\r\nF4:\r\nF5:\r\nF6:\r\nF7:\r\nF8:\r\nCtrl+N:\r\nCtrl+P:\r\nCtrl+R:\r\n"
                  "Ctrl+C:\r\nShift+Ctrl+F1:\r\nShift+Ctrl+F2:\r\nKeypad +:\r\nKeypad-:\r\nKeypad 6:\r\nKeypad 4:\r\n"
                  "Keypad 2:\r\nKeypad 8:\r\nEnter:\r\nM:\r\nSpace:");
    EXPECT_EQ(o.Label33.caption(),
              "   Action\r\n" + blanks +
                  "\r\nHelp:\r\nAbout:\r\nSearch:\r\nTag Info:\r\nAdd Folder:\r\nOpen:\r\nShow Info:\r\nExit:\r\n"
                  "Next:\r\nPrevious:\r\nRename:\r\nCopy Track:\r\nOpen Cd Gate:\r\nClose Cd Gate:\r\n"
                  "Increase Volume:\r\nDecrease Volume:\r\nSeek Forward 10 Seconds:\r\nSeek Back 10 Seconds:\r\n"
                  "Next:\r\nPrevious:\r\nPlay:\r\nMute:\r\nPause:");
}

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 200; ++i) {
        if (testsupport::exists(path) && !testsupport::readFile(path).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(OptionsLinks, MailAndWebThroughTheOpenerAndTheContactLine) {
    Options p;
    auto& o = p.window();
    o.show();
    o.Label11.click();  // the contact page
    testsupport::TempDir dir;
    std::string script = dir.file("opener.sh");
    testsupport::writeFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"$OPENED\"\n");
    testsupport::runCommand("chmod +x '" + script + "'");
    ScopedEnv opener("DOVETUNE_OPENER", script);
    struct Case {
        forms::Label* link;
        const char* caption;
        const char* opened;
    };
    const Case cases[] = {
        {&o.Label21, "E-Mail: support@dovetune.example", "mailto:support@dovetune.example?subject=dovetune%20support"},
        {&o.Label20, "E-Mail: help@dovetune.example", "mailto:help@dovetune.example?subject=dovetune%20support"},
        {&o.Label22, "www: http://www.dovetune.example/", "http://www.dovetune.example/"},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string out = dir.file("opened" + std::to_string(n++));
        ScopedEnv opened("OPENED", out);
        EXPECT_EQ(c.link->caption(), c.caption);
        c.link->click();
        ASSERT_TRUE(waitForFile(out)) << c.caption;
        EXPECT_EQ(testsupport::readFile(out), c.opened);
    }
    EXPECT_EQ(o.Label23.foreColor(), forms::RGB(128, 0, 0));
    o.Label23.click();
    auto* c = forms::IfLoaded<options::Contact>();
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->visible());
    EXPECT_EQ(c->Combo1.listIndex(), -1);
}

}  // namespace
