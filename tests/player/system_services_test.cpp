// Program start by argument vector, opening through the desktop's handler,
// and the CD door failing silently where there is no drive.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "runtime/error.hpp"
#include "system/cddoor.hpp"
#include "system/shell.hpp"
#include "testsupport/errors.hpp"
#include "testsupport/support.hpp"

namespace {

bool waitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        if (testsupport::exists(path) && !testsupport::readFile(path).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(Shell, StartsAProgramByArgumentVectorWithoutAShell) {
    testsupport::TempDir dir;
    std::string out = dir.file("out.txt");
    // A blank and a quote stay inside their argument: no shell splits them.
    long pid = sys::StartProgram({"/bin/sh", "-c", "printf '%s' \"$1\" > \"$2\"", "sh", "it's a 'test'; ls", out});
    EXPECT_GT(pid, 0);
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(testsupport::readFile(out), "it's a 'test'; ls");
}

TEST(Shell, AMissingProgramIsError53) {
    try {
        sys::Shell("/no/such/Songhaul1", 2);
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 53);
    }
    try {
        sys::Shell("/bin/true", 5);
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_GT(sys::Shell("/bin/true", 2), 0);
    EXPECT_EQ(testsupport::errorOf([] { sys::StartProgram({"/bin/true", std::string("/tmp\0x", 6)}); }), 5);
}

TEST(Shell, ShellOpenHandsTheTargetToTheOpener) {
    testsupport::TempDir dir;
    std::string script = dir.file("opener.sh"), out = dir.file("opened.txt");
    testsupport::writeFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > '" + out + "'\n");
    testsupport::runCommand("chmod +x '" + script + "'");
    testsupport::ScopedEnv opener("DOVETUNE_OPENER", script);
    EXPECT_TRUE(sys::ShellOpen("mailto:support@dovetune.example?subject=a b"));
    ASSERT_TRUE(waitForFile(out));
    EXPECT_EQ(testsupport::readFile(out), "mailto:support@dovetune.example?subject=a b");
    // A target holding a NUL names no file: the opener would get only the
    // part before it, a file that exists, so it is not started at all.
    EXPECT_FALSE(sys::ShellOpen(script + std::string(1, '\0') + "junk"));
    testsupport::ScopedEnv missing("DOVETUNE_OPENER", dir.file("none"));
    EXPECT_FALSE(sys::ShellOpen("/tmp"));
}

TEST(CdDoor, FailsSilentlyWithoutADrive) {
    testsupport::TempDir dir;
    {
        testsupport::ScopedEnv dev("DOVETUNE_CDROM_DEVICE", dir.file("cdrom"));
        EXPECT_FALSE(sys::OpenCdDoor());
        EXPECT_FALSE(sys::CloseCdDoor());
    }
    testsupport::writeFile(dir.file("plain"), "not a drive");
    testsupport::ScopedEnv dev("DOVETUNE_CDROM_DEVICE", dir.file("plain"));
    EXPECT_FALSE(sys::OpenCdDoor());
    EXPECT_FALSE(sys::CloseCdDoor());
}

}  // namespace
