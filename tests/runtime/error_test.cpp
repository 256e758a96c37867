#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "runtime/error.hpp"

using runtime::Error;
using runtime::Steps;

TEST(Error, CarriesNumberStandardDescriptionAndSource) {
    Error e(53, "", "dovetune.cMP3ID3v1");
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), "File not found");
    EXPECT_EQ(e.source(), "dovetune.cMP3ID3v1");
    EXPECT_EQ(Error(380).description(), "Invalid property value");
    EXPECT_EQ(Error(9, "custom").description(), "custom");
}

TEST(Error, FileErrorsMapErrnoToTheOriginalNumbers) {
    struct Case { int errnum; int number; };
    for (auto c : {Case{ENOENT, 53}, Case{ENOTDIR, 53}, Case{EACCES, 70}, Case{EROFS, 70}, Case{EEXIST, 58},
                   Case{ENOSPC, 61}, Case{EMFILE, 67}, Case{ENAMETOOLONG, 64}, Case{EISDIR, 75}}) {
        Error e = runtime::fileError(c.errnum, "/x/y.mp3");
        EXPECT_EQ(e.number(), c.number) << c.errnum;
        EXPECT_NE(e.description().find("/x/y.mp3"), std::string::npos);
    }
}

// The description names the path and gives the reason once: the system's
// words follow only where they are not the description again.
TEST(Error, FileErrorsSayTheirReasonOnce) {
    struct Case {
        int errnum;
        const char* text;
    };
    for (auto c : {Case{EACCES, "Permission denied: /x/y.mp3"},
                   Case{EROFS, "Permission denied: /x/y.mp3 (Read-only file system)"},
                   Case{EPERM, "Permission denied: /x/y.mp3 (Operation not permitted)"},
                   Case{ENOSPC, "Disk full: /x/y.mp3 (No space left on device)"},
                   Case{ENOENT, "File not found: /x/y.mp3 (No such file or directory)"}})
        EXPECT_EQ(runtime::fileError(c.errnum, "/x/y.mp3").description(), c.text);
    EXPECT_EQ(runtime::fileError(EACCES, "").description(), "Permission denied");
}

TEST(Steps, SkipsAFailingStatementAndRunsTheNext) {
    Steps step;
    int ran = 0;
    EXPECT_TRUE(step([&] { ++ran; }));
    EXPECT_FALSE(step([&] { runtime::raise(380); }));
    EXPECT_TRUE(step([&] { ++ran; }));
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(step.lastNumber(), 380);
    EXPECT_EQ(step.failures(), 1);
}

TEST(Steps, DoesNotSwallowOtherExceptions) {
    Steps step;
    EXPECT_THROW(step([] { throw std::logic_error("defect"); }), std::logic_error);
}
