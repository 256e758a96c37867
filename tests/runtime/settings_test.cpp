#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "fs_test_support.hpp"
#include "runtime/error.hpp"
#include "runtime/files.hpp"
#include "runtime/recordfile.hpp"
#include "runtime/settings.hpp"
#include "runtime/strings.hpp"
#include "testsupport/support.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
using namespace runtime;
using testsupport::readFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Every test has a store of its own.
class SettingsTest : public ::testing::Test {
protected:
    TempDir home;
    ScopedEnv config{"XDG_CONFIG_HOME", home.file("config")};
    std::string store() const { return home.file("config/dovetune/settings"); }
    std::string folder() const { return home.file("config/dovetune"); }
};

}  // namespace

TEST_F(SettingsTest, LivesInOneFileUnderTheConfigFolder) {
    EXPECT_EQ(SettingsFilePath(), store());
    EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Left", "1000"), "1000");
    EXPECT_FALSE(testsupport::exists(store()));  // reading creates nothing
    SaveSetting("dovetune", "Settings", "Form2Left", "1500");
    EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Left", "1000"), "1500");
    EXPECT_EQ(readFile(store()), "dovetune settings 1\ndovetune\tSettings\tForm2Left\t1500\n");
    EXPECT_EQ(onlyEntries(folder()), std::vector<std::string>{"settings"});
    {
        // Without XDG_CONFIG_HOME (or with a relative one) it is under ~/.config.
        ScopedEnv unset("XDG_CONFIG_HOME", "");
        ScopedEnv homeEnv("HOME", home.path());
        EXPECT_EQ(SettingsFilePath(), home.file(".config/dovetune/settings"));
        ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(SettingsFilePath(), home.file(".config/dovetune/settings"));
    }
}

TEST_F(SettingsTest, CaseRules) {
    const std::string folderApp = "/home/user/My Music/Dovetune";
    SaveSetting("dovetune", "Settings", "MainLeft", "1");
    SaveSetting("dovetune", " setting", "Volume", "2");
    SaveSetting(folderApp, " setting", "Fade", "3");
    struct Case {
        std::string app, section, key;
        std::string value;  // "-" for the default
    };
    const Case cases[] = {
        {"dovetune", "Settings", "MainLeft", "1"},
        {"DOVETUNE", "Settings", "mainleft", "1"},  // application and key without regard to case
        {"dovetune", "settings", "MainLeft", "-"},  // the section exactly
        {"dovetune", " setting", "VOLUME", "2"},
        {"dovetune", "setting", "Volume", "-"},     // " setting" begins with a blank
        {"dovetune", " Setting", "Volume", "-"},
        {"dovetune", " setting ", "Volume", "-"},
        {folderApp, " setting", "fade", "3"},
        {"/HOME/USER/MY MUSIC/DOVETUNE", " setting", "Fade", "3"},
        {"/home/user/My Music", " setting", "Fade", "-"},  // a folder path is data, not a place
        {"dovetune", " setting", "Fade", "-"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetSetting(c.app, c.section, c.key, "-"), c.value) << c.app << "|" << c.section << "|" << c.key;

    // Saving under another spelling changes the one key, keeping its spelling.
    SaveSetting("DoveTune", "Settings", "MAINLEFT", "9");
    EXPECT_EQ(GetAllSettings("dovetune", "Settings"),
              (std::vector<std::pair<std::string, std::string>>{{"MainLeft", "9"}}));
    SaveSetting("DOVETUNE", "Settings", "MainTop", "4");
    EXPECT_NE(readFile(store()).find("dovetune\tSettings\tMainTop\t4\n"), std::string::npos);
}

TEST_F(SettingsTest, ValuesKeepEveryCharacter) {
    const std::string values[] = {
        "",
        "two\r\nlines\nand\ttab",
        "C:\\Music\\new\\",
        "Caf\u00E9 \u00FC\u00DF \u266B \U0001F3B5",
        std::string("nul\0inside", 10),
        "not UTF-8: \xE9\xFF\x80",
        "\\t is not a tab",
        "  blanks kept  ",
    };
    int i = 0;
    for (const std::string& v : values) SaveSetting("app", "sec", "key" + std::to_string(i++), v);
    i = 0;
    for (const std::string& v : values) EXPECT_EQ(GetSetting("app", "sec", "key" + std::to_string(i++)), v);
    // Key, section and application names keep every character too.
    SaveSetting("a\tb", "s\nt", "k\\ey", "v");
    EXPECT_EQ(GetSetting("A\tB", "s\nt", "K\\EY"), "v");
    // The file stays one line per record, and UTF-8.
    std::string text = readFile(store());
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 8 + 1);
}

TEST_F(SettingsTest, DeleteSettingAndGetAllSettings) {
    SaveSetting("app", "sec", "b", "2");
    SaveSetting("app", "sec", "a", "1");
    SaveSetting("app", "other", "c", "3");
    EXPECT_EQ(GetAllSettings("APP", "sec"), (std::vector<std::pair<std::string, std::string>>{{"b", "2"}, {"a", "1"}}));
    DeleteSetting("app", "sec", "B");
    EXPECT_EQ(GetSetting("app", "sec", "b", "-"), "-");
    EXPECT_EQ(errorOf([] { DeleteSetting("app", "sec", "b"); }), 5);
    DeleteSetting("app", "sec");
    EXPECT_TRUE(GetAllSettings("app", "sec").empty());
    EXPECT_EQ(GetSetting("app", "other", "c"), "3");
    EXPECT_EQ(errorOf([] { DeleteSetting("app", "sec"); }), 5);
    EXPECT_EQ(errorOf([] { SaveSetting("", "sec", "k", "v"); }), 5);
    EXPECT_EQ(errorOf([] { SaveSetting("app", "sec", "", "v"); }), 5);
}

TEST_F(SettingsTest, ACrashBeforeTheRenameLeavesTheOldStore) {
    SaveSetting("dovetune", "Settings", "Form2Left", "1500");
    const std::string before = readFile(store());
    // The write fails after its temporary file is complete, as a crash there would.
    detail::FailNextReplace(EIO);
    EXPECT_NE(errorOf([] { SaveSetting("dovetune", "Settings", "Form2Left", "2000"); }), 0);
    EXPECT_EQ(readFile(store()), before);
    EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Left"), "1500");
    // A temporary file that a real crash left behind changes nothing either.
    writeFile(folder() + "/.settings.tmp-crashed", "dovetune settings 1\nhalf");
    EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Left"), "1500");
    SaveSetting("dovetune", "Settings", "Form2Left", "2000");
    EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Left"), "2000");
}

TEST_F(SettingsTest, AChangeByAnotherProgramIsSeen) {
    SaveSetting("app", "sec", "key", "ours");
    EXPECT_EQ(GetSetting("app", "sec", "key"), "ours");
    writeFile(store(), "dovetune settings 1\napp\tsec\tkey\ttheirs\napp\tsec\tnew\tx\n");
    EXPECT_EQ(GetSetting("app", "sec", "key"), "theirs");
    SaveSetting("app", "sec", "more", "y");
    EXPECT_EQ(GetSetting("app", "sec", "new"), "x");
}

TEST_F(SettingsTest, ADamagedStoreIsReportedOnceReadAsEmptyAndKept) {
    std::filesystem::create_directories(folder());
    const char* damaged[] = {
        "garbage without a header\n",
        "dovetune settings 1\napp\tsec\tkey\n",            // a record without its value
        "dovetune settings 1\napp\tsec\tkey\tbad\\q\n",    // an unknown escape
        "dovetune settings 1\napp\tsec\tkey\t\xE9t\xE9\n",  // not UTF-8
        // Damage before the last line is no cut: the whole lines after it are no help.
        "dovetune settings 1\napp\tsec\tkey\tv\nbad\\q\napp\tsec\tother\tw\n",
    };
    int round = 0;
    for (const char* bytes : damaged) {
        writeFile(store(), bytes);
        testing::internal::CaptureStderr();
        EXPECT_EQ(GetSetting("app", "sec", "key", "default"), "default") << bytes;
        EXPECT_EQ(GetSetting("app", "sec", "key", "default"), "default") << bytes;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("damaged"), std::string::npos) << bytes;
        EXPECT_EQ(err.find("damaged"), err.rfind("damaged")) << "reported once: " << err;

        testing::internal::CaptureStderr();
        SaveSetting("app", "sec", "key", "fresh");
        testing::internal::GetCapturedStderr();
        std::string backup = store() + ".damaged" + (round ? "." + std::to_string(round) : "");
        EXPECT_EQ(readFile(backup), bytes);
        EXPECT_EQ(GetSetting("app", "sec", "key"), "fresh");
        ++round;
    }
}

// A store cut short partway through its last line (a copy or a write that
// stopped there, a tail of NULs after a crash) keeps its whole lines: only
// the cut line is dropped. It is reported, kept aside before it is written,
// and the next save writes it whole again, even one that changes nothing.
TEST_F(SettingsTest, ACutStoreKeepsItsWholeLinesAndIsWrittenWholeAgain) {
    std::filesystem::create_directories(folder());
    const std::string whole =
        "dovetune settings 1\n"
        "dovetune\tSettings\tForm2Left\t1500\n"
        "dovetune\tSettings\tForm2Top\t2500\n"
        "/opt/dt\t setting\tMediaplayer1\t-1200\n"
        "/opt/dt\t setting\tmnu1\t/music/one\n"
        "/opt/dt\t setting\tmnu2\t/music/caf\xC3\xA9\n"
        "/opt/dt\t setting\tCheck1\t1\n";
    const std::string cuts[] = {
        "/opt/dt\t setting\tmnu3\t/music/thr",  // a value without its line end
        "/opt/dt\t setting\tmn",                // a record without its value
        "/opt/dt\t setting\tmnu3\t\\x4",      // inside an escape
        "/opt/dt\t setting\tmnu3\tcaf\xC3",     // inside a UTF-8 character
        std::string(12, '\0'),                   // the NULs a crash leaves
        "/opt/dt\t setting\n",                   // a line end added after the cut
    };
    int round = 0;
    for (const std::string& cut : cuts) {
        SCOPED_TRACE(testing::PrintToString(cut));
        writeFile(store(), whole + cut);
        testing::internal::CaptureStderr();
        EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Left"), "1500");
        EXPECT_EQ(GetSetting("dovetune", "Settings", "Form2Top"), "2500");
        EXPECT_EQ(GetSetting("/opt/dt", " setting", "MediaPlayer1"), "-1200");
        EXPECT_EQ(GetSetting("/opt/dt", " setting", "mnu1"), "/music/one");
        EXPECT_EQ(GetSetting("/opt/dt", " setting", "mnu2"), "/music/caf\xC3\xA9");
        EXPECT_EQ(GetSetting("/opt/dt", " setting", "mnu3", "3"), "3");  // the cut line names nothing
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(store()), std::string::npos) << err;
        EXPECT_NE(err.find("line 8"), std::string::npos) << err;
        EXPECT_EQ(err.find("damaged"), err.rfind("damaged")) << "reported once: " << err;

        // A save that changes nothing still writes the store whole, after
        // keeping the cut one aside.
        testing::internal::CaptureStderr();
        SaveSetting("/opt/dt", " setting", "Check1", "1");
        testing::internal::GetCapturedStderr();
        const std::string backup = store() + ".damaged" + (round ? "." + std::to_string(round) : "");
        EXPECT_EQ(readFile(backup), whole + cut);
        EXPECT_EQ(readFile(store()), whole);
        ++round;
    }
}

TEST_F(SettingsTest, AFolderInThePlaceOfTheStoreIsLeftAlone) {
    std::filesystem::create_directories(store());  // a folder where the file should be
    testing::internal::CaptureStderr();
    EXPECT_EQ(GetSetting("app", "sec", "key", "d"), "d");
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(errorOf([] { SaveSetting("app", "sec", "key", "v"); }), 75);
    EXPECT_TRUE(std::filesystem::is_directory(store()));
    EXPECT_FALSE(testsupport::exists(store() + ".damaged"));
    EXPECT_EQ(GetSetting("app", "sec", "key", "d"), "d");
}

TEST_F(SettingsTest, AStoreFolderThatCannotBeWrittenFailsAndKeepsTheStore) {
    SaveSetting("app", "sec", "key", "old");
    Unwritable guard(folder());
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_EQ(errorOf([] { SaveSetting("app", "sec", "key", "new"); }), 75);
    EXPECT_EQ(GetSetting("app", "sec", "key"), "old");
}

TEST(RecordFile, EscapingRoundTripsAndRejectsBadEscapes) {
    const std::string fields[] = {"", "plain", "a\\b\tc\nd\re", std::string("\0\x01\x7F", 3), "\xC3\xA9\xC3", "\xED\xA0\x80"};
    for (const std::string& f : fields) {
        std::string escaped = RecordFile::escape(f);
        EXPECT_EQ(escaped.find_first_of("\t\n\r"), std::string::npos);
        EXPECT_TRUE(IsValidUtf8(escaped));
        std::string back;
        ASSERT_TRUE(RecordFile::unescape(escaped, back));
        EXPECT_EQ(back, f);
    }
    std::string out;
    for (const char* bad : {"\\", "\\q", "\\x4", "\\xZZ", "a\x01"}) EXPECT_FALSE(RecordFile::unescape(bad, out)) << bad;
}

namespace {

// A store that is there but cannot be read is never written over: the save
// fails and names the file, the file stays byte for byte, and reads give
// the defaults.
TEST_F(SettingsTest, AStoreThatCannotBeReadIsNotReplaced) {
    // Written by another program: this one has never read it.
    std::filesystem::create_directories(folder());
    const std::string before = "dovetune settings 1\ndovetune\tSettings\tForm2Left\t1000\nother\ts\tk\tkept\n";
    writeFile(store(), before);
    std::optional<std::string> said;
    {
        testsupport::Unreadable guard(store());
        said = testsupport::AsOrdinaryUser(home.path(), [&] {
            std::string got = GetSetting("other", "s", "k", "default");
            try {
                SaveSetting("dovetune", "Settings", "Form2Left", "2000");
                return got + "|saved";
            } catch (const Error& e) {
                return got + "|" + std::to_string(e.number()) + "|" + e.description();
            }
        });
    }
    ASSERT_TRUE(said.has_value());
    EXPECT_EQ(said->substr(0, said->find('|')), "default");
    EXPECT_NE(said->find("|70|"), std::string::npos) << *said;
    EXPECT_NE(said->find(store()), std::string::npos) << *said;
    EXPECT_EQ(testsupport::readFile(store()), before);
    EXPECT_FALSE(testsupport::exists(store() + ".damaged"));
}

}  // namespace
