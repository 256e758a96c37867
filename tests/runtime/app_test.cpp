#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "runtime/app.hpp"
#include "runtime/scheduler.hpp"
#include "testsupport/support.hpp"

using namespace runtime;

namespace {

class AppTest : public ::testing::Test {
protected:
    void TearDown() override { App::setForTest("", {}, ""); }
};

}  // namespace

TEST_F(AppTest, PathIsTheExecutablesFolderUnlessPointedElsewhere) {
    App::setForTest("", {}, "");
    std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    {
        testsupport::ScopedEnv unset("DOVETUNE_APP_PATH", "");
        EXPECT_EQ(App::Path(), std::filesystem::path(exe).parent_path().string());
        EXPECT_EQ(App::EXEName(), std::filesystem::path(exe).filename().string());
        EXPECT_EQ(App::Title(), App::EXEName());
    }
    {
        testsupport::ScopedEnv env("DOVETUNE_APP_PATH", "/opt/dovetune/");
        EXPECT_EQ(App::Path(), "/opt/dovetune");
    }
    App::setForTest("/srv/player/", {"a"}, "dovetune");
    EXPECT_EQ(App::Path(), "/srv/player");
    EXPECT_EQ(App::Title(), "dovetune");
    App::setTitle("My Player");
    EXPECT_EQ(App::Title(), "My Player");
}

TEST_F(AppTest, CommandJoinsTheArgumentsWithOneBlank) {
    struct Case {
        std::vector<std::string> args;
        std::string command;
    };
    const Case cases[] = {
        {{}, ""},
        {{"/music/a.mp3"}, "/music/a.mp3"},
        {{"/music/My", "Song.mp3"}, "/music/My Song.mp3"},
        {{"a", "", "b"}, "a  b"},
    };
    for (const Case& c : cases) {
        App::setForTest("/x", c.args);
        EXPECT_EQ(Command(), c.command);
    }
    char arg0[] = "/usr/bin/dovetune", arg1[] = "/music/Track 1.mp3", arg2[] = "x";
    char* argv[] = {arg0, arg1, arg2, nullptr};
    App::init(3, argv);
    EXPECT_EQ(Command(), "/music/Track 1.mp3 x");
}

TEST(Timer, SecondsSinceLocalMidnightFromTheSchedulersClock) {
    std::tm local{};
    local.tm_year = 2022 - 1900;
    local.tm_mon = 5;
    local.tm_mday = 1;
    local.tm_hour = 13;
    local.tm_min = 45;
    local.tm_sec = 30;
    local.tm_isdst = -1;
    auto start = std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(250);
    ManualScheduler scheduler;
    scheduler.setWallClock(start);
    Scheduler::setCurrent(&scheduler);
    EXPECT_DOUBLE_EQ(Timer(), 13 * 3600 + 45 * 60 + 30.25);
    scheduler.advance(1500);
    EXPECT_DOUBLE_EQ(Timer(), 13 * 3600 + 45 * 60 + 31.75);
    Scheduler::setCurrent(nullptr);
}
