#include <gtest/gtest.h>

#include <filesystem>

#include "../runtime/fs_test_support.hpp"
#include "system/registry.hpp"
#include "testsupport/support.hpp"

using namespace sys;
using testsupport::readFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

// Every test has a registry of its own.
class RegistryTest : public ::testing::Test {
protected:
    TempDir home;
    ScopedEnv data{"XDG_DATA_HOME", home.file("data")};

    // What the file-type association does for one extension.
    void associate(const std::string& ext, const std::string& type, const std::string& command) {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ext, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, "", 0, REG_SZ, type + std::string(1, '\0')), ERROR_SUCCESS);
        ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, type + "\\Shell\\Open\\Command", &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key, "", 0, REG_SZ, command), ERROR_SUCCESS);
        ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
};

}  // namespace

TEST_F(RegistryTest, CreatesKeysOnTheWayAndKeepsDefaultValues) {
    EXPECT_EQ(RegistryFilePath(), home.file("data/dovetune/registry"));
    associate(".mp3", "dovetune.mp3", "/opt/dovetune/dovetune %1");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mp3"), "dovetune.mp3");  // the NUL is dropped
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, "dovetune.mp3\\Shell\\Open\\Command"), "/opt/dovetune/dovetune %1");
    // The keys on the way exist, without a default value.
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, "dovetune.mp3\\Shell"), std::nullopt);
    HKEY shell = 0;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "dovetune.mp3\\Shell", &shell), ERROR_SUCCESS);
    RegCloseKey(shell);
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".wma"), std::nullopt);
    // Associating again replaces the value.
    associate(".mp3", "other.mp3", "x");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mp3"), "other.mp3");
    std::string text = readFile(RegistryFilePath());
    EXPECT_EQ(text.rfind("dovetune registry 1\n", 0), 0u);
    EXPECT_EQ(text.find(".mp3\t\tdovetune.mp3"), std::string::npos);
}

TEST_F(RegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirCase) {
    associate(".MP3", "Dovetune.File", "cmd");
    struct Case {
        const char* subKey;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {".MP3", "Dovetune.File"},
        {".mp3", "Dovetune.File"},
        {"dovetune.file\\shell\\open\\command", "cmd"},
        {"DOVETUNE.FILE\\SHELL\\OPEN\\COMMAND", "cmd"},
        {"Dovetune.File\\Shell\\Open", std::nullopt},
        {"Dovetune.File\\Shell\\Run\\Command", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, c.subKey), c.value) << c.subKey;
    // Another spelling opens the same key; the stored one keeps its case.
    HKEY key = 0;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "dovetune.FILE\\shell", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "", 0, REG_SZ, "shell default"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, "Dovetune.File\\Shell"), "shell default");
    std::string text = readFile(RegistryFilePath());
    EXPECT_EQ(text.find("dovetune.FILE"), std::string::npos);
    EXPECT_NE(text.find("Dovetune.File\\\\Shell\\\\Open\\\\Command"), std::string::npos);
}

TEST_F(RegistryTest, HandlesStayValidUntilClosed) {
    HKEY parent = 0, child = 0;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "Type", &parent), ERROR_SUCCESS);
    // An open key serves as the root of another.
    ASSERT_EQ(RegCreateKey(parent, "Shell\\Open", &child), ERROR_SUCCESS);
    EXPECT_NE(parent, child);
    EXPECT_EQ(RegSetValueEx(child, "", 0, REG_SZ, "open"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(parent, "Named", 0, REG_SZ, "named value"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, "Type\\Shell\\Open"), "open");
    EXPECT_EQ(RegQueryDefault(parent, "shell\\open"), "open");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, "Type"), std::nullopt);  // a named value is not the default
    EXPECT_EQ(RegSetValueEx(parent, "", 0, 4 /* REG_DWORD */, "\x01\0\0\0"), ERROR_INVALID_PARAMETER);

    EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(parent), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueEx(parent, "", 0, REG_SZ, "x"), ERROR_INVALID_HANDLE);
    HKEY other = 0;
    EXPECT_EQ(RegCreateKey(parent, "x", &other), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKey(0x1234567, "x", &other), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "x", nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueEx(child, "", 0, REG_SZ, "still open"), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenIsReportedAndKept) {
    associate(".mp3", "dovetune.mp3", "cmd");
    std::string before = readFile(RegistryFilePath());
    Unwritable guard(home.file("data/dovetune"));
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    HKEY key = 0;
    EXPECT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ".wav", &key), ERROR_CANTWRITE);
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ".mp3", &key), ERROR_SUCCESS);  // exists: nothing to write
    EXPECT_EQ(RegSetValueEx(key, "", 0, REG_SZ, "changed"), ERROR_CANTWRITE);
    RegCloseKey(key);
    EXPECT_EQ(readFile(RegistryFilePath()), before);
}

TEST_F(RegistryTest, AStoreThatCannotBeReadIsNotReplacedAndTheFailureNamesIt) {
    // Written by another program: this one has never read it.
    std::filesystem::create_directories(home.file("data/dovetune"));
    const std::string before = "dovetune registry 1\n.txt\n.txt\t\ttxtfile\n";
    testsupport::writeFile(RegistryFilePath(), before);
    std::optional<std::string> said;
    {
        testsupport::Unreadable guard(RegistryFilePath());
        said = testsupport::AsOrdinaryUser(home.path(), [] {
            HKEY key = 0;
            long rc = RegCreateKey(HKEY_CLASSES_ROOT, ".mp3", &key);
            return std::to_string(rc) + "|" + RegLastFailure();
        });
    }
    ASSERT_TRUE(said.has_value());
    EXPECT_EQ(said->substr(0, said->find('|')), std::to_string(ERROR_CANTWRITE)) << *said;
    EXPECT_NE(said->find(RegistryFilePath()), std::string::npos) << *said;
    EXPECT_NE(said->find("could not be read"), std::string::npos) << *said;
    EXPECT_EQ(readFile(RegistryFilePath()), before);
}

TEST_F(RegistryTest, ADamagedStoreIsKeptBeforeItIsRewritten) {
    std::filesystem::create_directories(home.file("data/dovetune"));
    testsupport::writeFile(RegistryFilePath(), "not a registry");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mp3"), std::nullopt);
    associate(".mp3", "dovetune.mp3", "cmd");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_EQ(readFile(RegistryFilePath() + ".damaged"), "not a registry");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mp3"), "dovetune.mp3");
}

// The registry is read as the settings store is: cut short in its last
// line, it keeps its whole lines and is written whole at the next change.
TEST_F(RegistryTest, ACutStoreKeepsItsWholeKeys) {
    associate(".mp3", "dovetune.mp3", "/opt/dovetune/dovetune %1");
    const std::string whole = readFile(RegistryFilePath());
    const std::string cut = whole + ".wav\t\tdove";  // a value without its line end
    testsupport::writeFile(RegistryFilePath(), cut);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mp3"), "dovetune.mp3");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, "dovetune.mp3\\Shell\\Open\\Command"), "/opt/dovetune/dovetune %1");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".wav"), std::nullopt);
    associate(".mid", "dovetune.mp3", "/opt/dovetune/dovetune %1");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_EQ(readFile(RegistryFilePath() + ".damaged"), cut);
    EXPECT_EQ(readFile(RegistryFilePath()).rfind(whole, 0), 0u);  // the whole lines, then the new key
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mp3"), "dovetune.mp3");
    EXPECT_EQ(RegQueryDefault(HKEY_CLASSES_ROOT, ".mid"), "dovetune.mp3");
}

TEST_F(RegistryTest, NamedValuesAndTheKeysBelowAKey) {
    HKEY key = 0;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ".mp3", &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "Content Type", 0, REG_SZ, "audio/mpeg"), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, ".mp3\\OpenWithList\\player", &key), ERROR_SUCCESS);
    RegCloseKey(key);
    associate(".mp3", "Other.File", "other %1");
    associate(".wav", "Other.File", "other %1");

    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".mp3", "content type"), "audio/mpeg");
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".MP3", ""), "Other.File");
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".mp3", "Missing"), std::nullopt);
    EXPECT_EQ(RegQueryValue(HKEY_CLASSES_ROOT, ".wma", ""), std::nullopt);

    struct Case {
        const char* subKey;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"", {".mp3", "Other.File", ".wav"}},
        {".mp3", {"OpenWithList"}},
        {".MP3\\openwithlist", {"player"}},
        {"Other.File\\Shell", {"Open"}},
        {".wav", {}},
        {".wma", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(RegEnumKeys(HKEY_CLASSES_ROOT, c.subKey), c.keys) << c.subKey;
    ASSERT_EQ(RegCreateKey(HKEY_CLASSES_ROOT, "Other.File", &key), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumKeys(key, ""), std::vector<std::string>{"Shell"});
    RegCloseKey(key);
    EXPECT_EQ(RegEnumKeys(key, ""), std::vector<std::string>{});  // a closed handle
}
