#pragma once
// The one UI thread's event sources: timers, deferred calls, descriptor
// readiness, and calls posted from other threads. Three implementations: the
// manual scheduler (a virtual clock, for tests), the poll(2) loop (headless
// programs) and the Qt event loop (platform/qt).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace runtime {

class Scheduler {
public:
    using Id = std::uint64_t;
    using Callback = std::function<void()>;
    // readable, writable (an error or hang-up reports both)
    using FdCallback = std::function<void(bool readable, bool writable)>;

    virtual ~Scheduler() = default;

    // A repeating timer: first tick intervalMs after the start, then every
    // intervalMs. A tick never runs while another callback runs, except inside
    // doEvents(); a timer's own tick is never re-entered.
    virtual Id startTimer(int intervalMs, Callback tick) = 0;
    virtual void stopTimer(Id id) = 0;  // unknown ids are ignored
    // Runs fn on the UI thread after the current callback returns.
    virtual void defer(Callback fn) = 0;
    // Thread-safe: queues fn to run on the UI thread.
    virtual void post(Callback fn) = 0;
    // Watches a descriptor; the callback runs on the UI thread while the
    // descriptor is ready for what was asked.
    virtual Id watchFd(int fd, bool read, bool write, FdCallback ready) = 0;
    virtual void updateFd(Id id, bool read, bool write) = 0;
    virtual void unwatchFd(Id id) = 0;

    // Something observable changed: a control or a window took a new value,
    // so the window system draws it anew. The Qt scheduler lets its short
    // timers tick less often while their ticks change nothing, and comes back
    // to their pace at once when it hears of a change made elsewhere, as it
    // does on its own at any input, descriptor or posted event and at any
    // timer started. A call out (to the media control, files, sockets) is
    // made by a handler an event started, or shows itself by the events it
    // brings (the media control's state and end of stream, socket readiness).
    // The others ignore it: the manual scheduler counts every tick exactly.
    virtual void noteChange() {}

    // Monotonic milliseconds, and the wall clock (Timer, dates).
    virtual std::int64_t nowMs() const = 0;
    virtual std::chrono::system_clock::time_point wallClock() const = 0;

    // Runs what is queued and due now, without moving time.
    virtual void doEvents() = 0;
    // Runs until quit() (the program's message loop).
    virtual void run() = 0;
    virtual void quit() = 0;

    // The scheduler of the running program (a PollScheduler until one is set).
    static Scheduler& current();
    static void setCurrent(Scheduler* scheduler);  // nullptr restores the default
};

// A virtual clock for tests. advance(ms) moves time forward and runs every
// timer tick that falls due, in time order (ties in the order the timers were
// started), with deferred and posted calls run before each tick and after the
// last. Descriptor watches are polled without waiting at each step.
class ManualScheduler : public Scheduler {
public:
    ManualScheduler();
    ~ManualScheduler() override;

    Id startTimer(int intervalMs, Callback tick) override;
    void stopTimer(Id id) override;
    void defer(Callback fn) override;
    void post(Callback fn) override;
    Id watchFd(int fd, bool read, bool write, FdCallback ready) override;
    void updateFd(Id id, bool read, bool write) override;
    void unwatchFd(Id id) override;
    std::int64_t nowMs() const override;
    std::chrono::system_clock::time_point wallClock() const override;
    void doEvents() override;
    void run() override;   // runs pending work until quit() or nothing is left to do
    void quit() override;

    void advance(std::int64_t ms);
    // Runs queued calls and ready descriptors (waiting up to realWaitMs of real
    // time for a descriptor) until pred() holds or realTimeoutMs of real time
    // pass; virtual time does not move. Returns pred().
    bool runUntil(const std::function<bool()>& pred, int realTimeoutMs = 5000);
    // The wall clock's value at virtual time 0.
    void setWallClock(std::chrono::system_clock::time_point start);
    std::size_t activeTimers() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The poll(2) loop for headless programs and tests that talk to real sockets.
class PollScheduler : public Scheduler {
public:
    PollScheduler();
    ~PollScheduler() override;

    Id startTimer(int intervalMs, Callback tick) override;
    void stopTimer(Id id) override;
    void defer(Callback fn) override;
    void post(Callback fn) override;
    Id watchFd(int fd, bool read, bool write, FdCallback ready) override;
    void updateFd(Id id, bool read, bool write) override;
    void unwatchFd(Id id) override;
    std::int64_t nowMs() const override;
    std::chrono::system_clock::time_point wallClock() const override;
    void doEvents() override;
    void run() override;
    void quit() override;

    // Runs the loop until pred() holds or timeoutMs pass; returns pred().
    bool runUntil(const std::function<bool()>& pred, int timeoutMs);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The original's DoEvents on the current scheduler.
inline void DoEvents() { Scheduler::current().doEvents(); }

}  // namespace runtime
