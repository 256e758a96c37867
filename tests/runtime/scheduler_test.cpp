#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "runtime/scheduler.hpp"

using runtime::ManualScheduler;
using runtime::PollScheduler;

TEST(ManualScheduler, TicksRunInTimeOrderWithTiesInStartOrder) {
    ManualScheduler s;
    std::vector<std::string> log;
    s.startTimer(1000, [&] { log.push_back("slow@" + std::to_string(s.nowMs())); });
    s.startTimer(500, [&] { log.push_back("fast@" + std::to_string(s.nowMs())); });
    s.startTimer(1000, [&] { log.push_back("slow2@" + std::to_string(s.nowMs())); });
    s.advance(2000);
    EXPECT_EQ(log, (std::vector<std::string>{"fast@500", "slow@1000", "fast@1000", "slow2@1000", "fast@1500",
                                             "slow@2000", "fast@2000", "slow2@2000"}));
    EXPECT_EQ(s.nowMs(), 2000);
}

TEST(ManualScheduler, TimerStoppedInsideItsTickDoesNotTickAgain) {
    ManualScheduler s;
    int ticks = 0;
    runtime::Scheduler::Id id = 0;
    id = s.startTimer(1, [&] {
        if (++ticks == 3) s.stopTimer(id);
    });
    s.advance(100);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(s.activeTimers(), 0u);
}

TEST(ManualScheduler, DoEventsRunsQueuedAndDueWithoutMovingTimeOrReenteringATick) {
    ManualScheduler s;
    int outer = 0, other = 0, deferred = 0;
    s.startTimer(10, [&] {
        ++outer;
        s.defer([&] { ++deferred; });
        s.doEvents();  // runs the deferred call and the other due timer, not this one again
        EXPECT_EQ(deferred, outer);
    });
    s.startTimer(10, [&] { ++other; });
    s.advance(10);
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(other, 1);
    EXPECT_EQ(s.nowMs(), 10);
}

TEST(ManualScheduler, PostedCallsFromOtherThreadsRunOnTheCallingThread) {
    ManualScheduler s;
    std::thread::id ranOn;
    std::thread t([&] { s.post([&] { ranOn = std::this_thread::get_id(); }); });
    t.join();
    EXPECT_EQ(ranOn, std::thread::id());
    s.doEvents();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(ManualScheduler, WatchedDescriptorIsPolledAtEachStep) {
    ManualScheduler s;
    int sv[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
    std::string got;
    auto id = s.watchFd(sv[0], true, false, [&](bool readable, bool) {
        if (!readable) return;
        char buf[16];
        auto n = ::read(sv[0], buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<size_t>(n));
    });
    ASSERT_EQ(::write(sv[1], "hi", 2), 2);
    EXPECT_TRUE(s.runUntil([&] { return got == "hi"; }, 2000));
    s.unwatchFd(id);
    ::close(sv[0]);
    ::close(sv[1]);
}

TEST(PollScheduler, TimersTickOnTheRealClockUntilQuit) {
    PollScheduler s;
    int ticks = 0;
    auto start = s.nowMs();  // before the start: a late tick is never early
    s.startTimer(5, [&] {
        if (++ticks == 4) s.quit();
    });
    s.run();
    EXPECT_EQ(ticks, 4);
    EXPECT_GE(s.nowMs() - start, 20);
}

TEST(PollScheduler, PostWakesTheLoop) {
    PollScheduler s;
    bool done = false;
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        s.post([&] { done = true; });
    });
    EXPECT_TRUE(s.runUntil([&] { return done; }, 2000));
    t.join();
}
