// The pace of short timers on the Qt loop (offscreen platform): a 1 ms timer
// whose ticks change nothing slows to about eleven ticks a second, one whose
// ticks change something keeps ticking every 10 ms, and any change made
// elsewhere brings a slowed timer back at once. The bounds hold on a loaded
// machine: load only makes the gaps between ticks longer, never shorter.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "runtime/scheduler.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

struct Meter : forms::Form {
    forms::Label Label1{*this, "Label1"};
    forms::TextBox Text1{*this, "Text1"};
    forms::Timer Timer1{*this, "Timer1"};  // 1 ms, the poller
    forms::Timer Timer2{*this, "Timer2"};  // 200 ms, off until a test starts it
    std::vector<Clock::time_point> ticks;  // of Timer1
    bool changing = false;                 // Timer1 writes a new caption each tick
    std::vector<Clock::time_point> longTicks;
    Meter() : Form("Meter") {
        setClientSize(3000, 2000);
        Label1.move(120, 120, 2000, 300);
        Text1.move(120, 600, 2000, 300);
        Timer1.setInterval(1);
        Timer1.Tick = [this] {
            ticks.push_back(Clock::now());
            Label1.setCaption(changing ? std::to_string(ticks.size()) : "same");
        };
        Timer2.setInterval(200);
        Timer2.setEnabled(false);
        Timer2.Tick = [this] { longTicks.push_back(Clock::now()); };
    }
    double gapMs(std::size_t i) const {  // between tick i - 1 and tick i
        return Ms(ticks[i] - ticks[i - 1]).count();
    }
};

// Waits until Timer1 has slowed down (two gaps in a row of 80 ms or more) and
// then for its next tick, so the caller acts right after a tick.
bool slowAndJustTicked(formsqt::Session& qt, Meter& f) {
    auto slow = [&] {
        const std::size_t n = f.ticks.size();
        return n >= 3 && f.gapMs(n - 1) >= 80 && f.gapMs(n - 2) >= 80;
    };
    if (!qt.waitUntil(slow, 5000)) return false;
    const std::size_t seen = f.ticks.size();
    return qt.waitUntil([&] { return f.ticks.size() > seen; }, 1000);
}

TEST(TimerPace, AOneMillisecondTimerThatChangesNothingSlowsToElevenTicksASecond) {
    formsqt::Session qt;
    auto& f = forms::Get<Meter>();
    f.show();
    ASSERT_TRUE(qt.waitUntil([&] { return f.ticks.size() >= 12; }, 5000));
    // The gaps grow 10, 20, 40, 80 ms and stay at 90 from then on.
    for (std::size_t i = 8; i < 12; ++i) {
        EXPECT_GE(f.gapMs(i), 80) << "gap before tick " << i;
        EXPECT_LE(f.gapMs(i), 400) << "gap before tick " << i;  // never stops
    }
}

TEST(TimerPace, AOneMillisecondTimerThatChangesSomethingKeepsTickingEveryTenMilliseconds) {
    formsqt::Session qt;
    auto& f = forms::Get<Meter>();
    f.changing = true;
    f.show();
    ASSERT_TRUE(qt.waitUntil([&] { return f.ticks.size() >= 31; }, 5000));
    std::vector<double> gaps;
    for (std::size_t i = 1; i < 31; ++i) gaps.push_back(f.gapMs(i));
    std::sort(gaps.begin(), gaps.end());
    EXPECT_LE(gaps[gaps.size() / 2], 30);  // slowed down it would be 90
}

// Whatever happens elsewhere, the slowed timer ticks within a beat of it
// instead of up to 90 ms later.
TEST(TimerPace, AChangeElsewhereBringsASlowedTimerBackAtOnce) {
    struct Poke {
        const char* what;
        std::function<void(formsqt::Session&, Meter&)> act;
    };
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::vector<Poke> pokes = {
        {"a key that does nothing pressed", [](formsqt::Session& qt, Meter& f) { qt.pressKey(f, 123 /* F12 */); }},
        {"a mouse click", [](formsqt::Session& qt, Meter& f) { qt.click(f.Label1); }},
        {"a call posted from another thread (a media event)",
         [](formsqt::Session&, Meter&) {
             std::thread([] { runtime::Scheduler::current().post([] {}); }).join();
         }},
        {"a descriptor ready (a socket's data)",
         [&](formsqt::Session&, Meter&) { ASSERT_EQ(write(fds[1], "x", 1), 1); }},
        {"a control written by other code", [](formsqt::Session&, Meter& f) { f.Text1.setText("typed"); }},
        {"a timer switched on", [](formsqt::Session&, Meter& f) { f.Timer2.setEnabled(true); }},
    };
    for (const Poke& p : pokes) {
        SCOPED_TRACE(p.what);
        formsqt::Session qt;
        auto& f = forms::Get<Meter>();
        f.show();
        char buf[8];
        auto watch = runtime::Scheduler::current().watchFd(fds[0], true, false, [&](bool readable, bool) {
            if (readable) [[maybe_unused]] auto n = read(fds[0], buf, sizeof buf);
        });
        ASSERT_TRUE(slowAndJustTicked(qt, f));
        const std::size_t seen = f.ticks.size();
        const auto poked = Clock::now();
        p.act(qt, f);
        ASSERT_TRUE(qt.waitUntil([&] { return f.ticks.size() > seen; }, 1000));
        EXPECT_LT(Ms(f.ticks[seen] - poked).count(), 50);
        runtime::Scheduler::current().unwatchFd(watch);
        f.unload();
    }
    close(fds[0]);
    close(fds[1]);
}

// A longer timer's ticks that change nothing take the slowed beat along, so
// the two wake the program together.
TEST(TimerPace, ASlowedTimerTicksTogetherWithALongerOne) {
    formsqt::Session qt;
    auto& f = forms::Get<Meter>();
    f.show();
    ASSERT_TRUE(slowAndJustTicked(qt, f));
    f.Timer2.setEnabled(true);  // the start brings the beat back for a while
    ASSERT_TRUE(qt.waitUntil([&] { return f.longTicks.size() >= 6; }, 5000));
    f.Timer2.setEnabled(false);
    int together = 0;
    for (std::size_t k = 2; k < f.longTicks.size(); ++k)
        for (const auto& t : f.ticks)
            if (t >= f.longTicks[k] && t - f.longTicks[k] < std::chrono::milliseconds(3)) {
                ++together;
                break;
            }
    EXPECT_EQ(together, static_cast<int>(f.longTicks.size()) - 2);
}

// A handler that waits in a loop of its own (a message box's) holds the
// ticks back until it returns; meanwhile the held ticks do not poll for its
// end (polling every 5 ms woke the loop 200 times a second), and they run
// within a slow beat of the return, within a few milliseconds when the
// user's answer ended the wait.
TEST(TimerPace, TicksHeldByAWaitingHandlerLeaveTheLoopAsleepAndRunWhenItReturns) {
    struct Ending {
        const char* what;
        bool byKey;
        double withinMs;
    };
    for (const Ending& e : {Ending{"the wait ends on its own", false, 100}, Ending{"a key ends the wait", true, 50}}) {
        SCOPED_TRACE(e.what);
        formsqt::Session qt;
        auto& f = forms::Get<Meter>();
        int wakeups = 0;
        Clock::time_point returned;
        f.Text1.Click = [&] {
            QEventLoop box;
            QTimer::singleShot(1000, &box, [&] {
                if (e.byKey) qt.pressKey(f, 13);
                box.quit();
            });
            QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &box,
                             [&] { ++wakeups; });
            box.exec();
            returned = Clock::now();
        };
        f.show();
        ASSERT_TRUE(qt.waitUntil([&] { return f.ticks.size() >= 2; }, 2000));
        ASSERT_TRUE(qt.click(f.Text1));  // returns when the handler does
        const std::size_t seen = f.ticks.size();
        EXPECT_LE(wakeups, 40);  // about a slow beat's worth
        ASSERT_TRUE(qt.waitUntil([&] { return f.ticks.size() > seen; }, 1000));
        EXPECT_LT(Ms(f.ticks[seen] - returned).count(), e.withinMs);
        f.unload();
    }
}

}  // namespace
