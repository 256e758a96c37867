// The desktop side of a file-type association: the desktop entry, the
// defaults in mimeapps.list (other lines kept byte for byte), and what the
// desktop's own tool answers.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "../runtime/fs_test_support.hpp"
#include "runtime/error.hpp"
#include "system/desktop_association.hpp"
#include "testsupport/support.hpp"

namespace {

using testsupport::readFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

class DesktopTest : public ::testing::Test {
protected:
    TempDir home;
    ScopedEnv data{"XDG_DATA_HOME", home.file("data")};
    ScopedEnv config{"XDG_CONFIG_HOME", home.file("config")};
    const std::string program = "/opt/dove tune/dovetune";
    const std::string icon = "/opt/dove tune/skin/icon.png";
};

TEST_F(DesktopTest, TheEntryListsEveryTypeAndTheListNamesItTheDefault) {
    EXPECT_EQ(sys::DesktopEntryPath(), home.file("data/applications/dovetune.desktop"));
    EXPECT_EQ(sys::MimeAppsListPath(), home.file("config/mimeapps.list"));
    for (int round = 0; round < 2; ++round) {  // twice is as once
        sys::MakeDesktopDefault(program, icon, ".mp3");
        sys::MakeDesktopDefault(program, icon, ".WAV");
        sys::MakeDesktopDefault(program, icon, ".txt");  // no types: nothing
    }
    EXPECT_EQ(readFile(sys::DesktopEntryPath()),
              "[Desktop Entry]\nType=Application\nName=dovetune\nExec=\"/opt/dove tune/dovetune\" %f\n"
              "Icon=/opt/dove tune/skin/icon.png\nTerminal=false\nMimeType=audio/mpeg;audio/x-wav;audio/wav;\n");
    EXPECT_EQ(readFile(sys::MimeAppsListPath()),
              "[Default Applications]\naudio/mpeg=dovetune.desktop;\naudio/x-wav=dovetune.desktop;\n"
              "audio/wav=dovetune.desktop;\n\n[Added Associations]\naudio/mpeg=dovetune.desktop;\n"
              "audio/x-wav=dovetune.desktop;\naudio/wav=dovetune.desktop;\n");
    if (testsupport::haveProgram("desktop-file-validate")) {
        auto r = testsupport::runCommand("desktop-file-validate '" + sys::DesktopEntryPath() + "' 2>&1");
        EXPECT_EQ(r.status, 0) << r.output;
    }
    if (testsupport::haveProgram("update-desktop-database")) {
        std::string cache = readFile(home.file("data/applications/mimeinfo.cache"));
        EXPECT_NE(cache.find("audio/mpeg=dovetune.desktop;"), std::string::npos) << cache;
    }
    if (!testsupport::haveProgram("xdg-mime")) GTEST_SKIP() << "xdg-mime is not installed";
    for (const char* type : {"audio/mpeg", "audio/x-wav"}) {
        auto r = testsupport::runCommand(std::string("xdg-mime query default ") + type);
        EXPECT_EQ(r.output, "dovetune.desktop\n") << type;
    }
}

TEST_F(DesktopTest, OtherProgramsLinesStayByteForByte) {
    struct Case {
        const char* what;
        std::string before, after;
    };
    const Case cases[] = {
        {"empty", "",
         "[Default Applications]\naudio/mpeg=dovetune.desktop;\n\n[Added Associations]\naudio/mpeg=dovetune.desktop;\n"},
        {"another default and association",
         "# mine\r\n[Added Associations]\r\naudio/mpeg=vlc.desktop;mpv.desktop\r\ntext/plain=gedit.desktop;\r\n\r\n"
         "[Default Applications]\r\naudio/mpeg = vlc.desktop\r\nimage/png=eog.desktop;\r\n",
         "# mine\r\n[Added Associations]\r\naudio/mpeg=dovetune.desktop;vlc.desktop;mpv.desktop;\r\n"
         "text/plain=gedit.desktop;\r\n\r\n"
         "[Default Applications]\r\naudio/mpeg=dovetune.desktop;vlc.desktop;\r\nimage/png=eog.desktop;\r\n"},
        {"a section without the type, no final line end",
         "[Default Applications]\nimage/png=eog.desktop;\n\n[Removed Associations]\naudio/wav=x.desktop;",
         "[Default Applications]\nimage/png=eog.desktop;\naudio/mpeg=dovetune.desktop;\n\n"
         "[Removed Associations]\naudio/wav=x.desktop;\n\n[Added Associations]\naudio/mpeg=dovetune.desktop;\n"},
        {"ours already first", "[Default Applications]\naudio/mpeg=dovetune.desktop;vlc.desktop;\n",
         "[Default Applications]\naudio/mpeg=dovetune.desktop;vlc.desktop;\n\n"
         "[Added Associations]\naudio/mpeg=dovetune.desktop;\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(sys::WithDefaults(c.before, {"audio/mpeg"}), c.after) << c.what;
    // Through the file.
    std::filesystem::create_directories(home.file("config"));
    testsupport::writeFile(sys::MimeAppsListPath(), cases[1].before);
    sys::MakeDesktopDefault(program, icon, ".mp3");
    EXPECT_EQ(readFile(sys::MimeAppsListPath()), cases[1].after);
}

// mimeapps.list or the entry there but unreadable (left by a tool run as
// root, say): neither file is replaced and the failure names the file.
TEST_F(DesktopTest, AFileThatCannotBeReadIsNeverReplaced) {
    const std::string theirs = "[Default Applications]\ntext/plain=editor.desktop\n";
    const std::string entry = "[Desktop Entry]\nType=Application\nName=dovetune\nMimeType=audio/x-wav;\n";
    for (bool listUnreadable : {true, false}) {
        SCOPED_TRACE(listUnreadable ? "mimeapps.list" : "the desktop entry");
        std::filesystem::create_directories(home.file("config"));
        std::filesystem::create_directories(home.file("data/applications"));
        testsupport::writeFile(sys::MimeAppsListPath(), theirs);
        testsupport::writeFile(sys::DesktopEntryPath(), entry);
        const std::string unreadable = listUnreadable ? sys::MimeAppsListPath() : sys::DesktopEntryPath();
        std::optional<std::string> said;
        {
            testsupport::Unreadable guard(unreadable);
            said = testsupport::AsOrdinaryUser(home.path(), [&] {
                try {
                    sys::MakeDesktopDefault(program, icon, ".mp3");
                    return std::string("made");
                } catch (const runtime::Error& e) {
                    return e.description();
                }
            });
        }
        ASSERT_TRUE(said.has_value());
        EXPECT_NE(said->find(unreadable), std::string::npos) << *said;
        EXPECT_NE(said->find("could not be read"), std::string::npos) << *said;
        EXPECT_EQ(readFile(sys::MimeAppsListPath()), theirs);
        EXPECT_EQ(readFile(sys::DesktopEntryPath()), entry);
    }
}

// A registration is one step: where mimeapps.list cannot be written (its
// folder read-only, or the list itself not replaceable), the desktop entry
// is not left behind; one of ours that was there stays byte for byte.
TEST_F(DesktopTest, WithoutTheDefaultsListNoDesktopEntryIsLeftBehind) {
    const std::string theirs = "[Default Applications]\ntext/plain=editor.desktop\n";
    for (bool folderReadOnly : {true, false}) {
        for (bool entryBefore : {false, true}) {
            SCOPED_TRACE(std::string(folderReadOnly ? "the list's folder is read-only" : "the list is immutable") +
                         (entryBefore ? ", an entry of ours before" : ", no entry before"));
            std::filesystem::remove_all(home.path() + "/data");
            std::filesystem::remove_all(home.path() + "/config");
            std::filesystem::create_directories(home.file("config"));
            testsupport::writeFile(sys::MimeAppsListPath(), theirs);
            std::string before;
            if (entryBefore) {
                sys::MakeDesktopDefault(program, icon, ".mp3");
                testsupport::writeFile(sys::MimeAppsListPath(), theirs);
                before = readFile(sys::DesktopEntryPath());
            }
            const auto applications = onlyEntries(home.file("data/applications"));
            {
                std::optional<Unwritable> folder;
                std::optional<Immutable> list;
                bool active = false;
                if (folderReadOnly) {
                    active = folder.emplace(home.file("config")).active();
                } else {
                    active = list.emplace(sys::MimeAppsListPath()).on();
                }
                if (!active) GTEST_SKIP() << "cannot make the list unwritable here";
                try {
                    sys::MakeDesktopDefault(program, icon, ".wav");
                    ADD_FAILURE() << "the registration went through";
                } catch (const runtime::Error& e) {
                    EXPECT_NE(e.description().find(home.file("config")), std::string::npos) << e.description();
                    EXPECT_EQ(e.description().find("could not be put back"), std::string::npos) << e.description();
                }
            }
            EXPECT_EQ(readFile(sys::MimeAppsListPath()), theirs);
            if (entryBefore)
                EXPECT_EQ(readFile(sys::DesktopEntryPath()), before);
            else
                EXPECT_FALSE(testsupport::exists(sys::DesktopEntryPath()));
            EXPECT_EQ(onlyEntries(home.file("data/applications")), applications);  // no temporary file either
            EXPECT_EQ(onlyEntries(home.file("config")), std::vector<std::string>{"mimeapps.list"});
        }
    }
}

TEST_F(DesktopTest, TheExecLineQuotesWhatTheDesktopWouldSplit) {
    struct Case {
        const char* program;
        const char* exec;
    };
    const Case cases[] = {
        {"/usr/bin/dovetune", "/usr/bin/dovetune %f"},
        {"/a b/dovetune", "\"/a b/dovetune\" %f"},
        {"/a$b/\"q\"/dovetune", "\"/a\\\\$b/\\\\\"q\\\\\"/dovetune\" %f"},
        {"/100%/dovetune", "/100%%/dovetune %f"},
        {"/back\\slash/dovetune", "\"/back\\\\\\\\slash/dovetune\" %f"},
    };
    for (const Case& c : cases) EXPECT_EQ(sys::DesktopExec(c.program), c.exec) << c.program;
    EXPECT_EQ(sys::MimeTypesOfExtension(".Mid"), (std::vector<std::string>{"audio/midi", "audio/x-midi"}));
    EXPECT_EQ(sys::MimeTypesOfExtension(".rm"),
              (std::vector<std::string>{"application/vnd.rn-realmedia", "audio/x-pn-realaudio"}));
    EXPECT_EQ(sys::MimeTypesOfExtension(".m3u"), (std::vector<std::string>{"audio/x-mpegurl", "audio/mpegurl"}));
    EXPECT_EQ(sys::MimeTypesOfExtension(".wma"), std::vector<std::string>{"audio/x-ms-wma"});
    EXPECT_EQ(sys::MimeTypesOfExtension("mp3"), std::vector<std::string>{});
}

TEST_F(DesktopTest, WithoutTheDatabaseToolAndWithAnUnwritableFolder) {
    {
        TempDir emptyBin;
        ScopedEnv path("PATH", emptyBin.path());
        sys::MakeDesktopDefault(program, icon, ".mp3");  // no update-desktop-database: no failure
        EXPECT_TRUE(testsupport::exists(sys::DesktopEntryPath()));
        EXPECT_FALSE(testsupport::exists(home.file("data/applications/mimeinfo.cache")));
    }
    std::string entry = readFile(sys::DesktopEntryPath());
    std::string list = readFile(sys::MimeAppsListPath());
    Unwritable guard(home.file("config"));
    if (!guard.active()) GTEST_SKIP() << "cannot make a folder unwritable here";
    EXPECT_THROW(sys::MakeDesktopDefault(program, icon, ".wav"), runtime::Error);
    EXPECT_EQ(readFile(sys::MimeAppsListPath()), list);
}

}  // namespace
