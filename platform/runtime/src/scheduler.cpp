#include "runtime/scheduler.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace runtime {

namespace {

Scheduler* g_current = nullptr;

// What both the manual and the poll scheduler keep: timers ordered by due time
// and start order, the queue of deferred calls, posted calls from other
// threads, and the watched descriptors.
struct Core {
    struct Timer {
        int interval;
        std::int64_t due;
        std::uint64_t seq;  // start order, breaks ties between equal due times
        Scheduler::Callback tick;
        bool running = false;
    };
    struct Watch {
        int fd;
        bool read, write;
        Scheduler::FdCallback ready;
    };

    std::map<Scheduler::Id, Timer> timers;
    std::map<Scheduler::Id, Watch> watches;
    std::deque<Scheduler::Callback> queue;
    std::mutex postedMutex;
    std::vector<Scheduler::Callback> posted;
    Scheduler::Id nextId = 1;
    std::uint64_t nextSeq = 1;
    bool quitting = false;

    Scheduler::Id addTimer(int intervalMs, Scheduler::Callback tick, std::int64_t now) {
        int interval = std::max(1, intervalMs);
        Scheduler::Id id = nextId++;
        timers.emplace(id, Timer{interval, now + interval, nextSeq++, std::move(tick)});
        return id;
    }

    // The timer due first (ties by start order) whose due time is <= limit.
    Scheduler::Id dueTimer(std::int64_t limit) const {
        Scheduler::Id best = 0;
        const Timer* bt = nullptr;
        for (auto& [id, t] : timers) {
            if (t.running || t.due > limit) continue;
            if (!bt || t.due < bt->due || (t.due == bt->due && t.seq < bt->seq)) {
                best = id;
                bt = &t;
            }
        }
        return best;
    }

    std::int64_t nextDue() const {
        std::int64_t d = INT64_MAX;
        for (auto& [id, t] : timers)
            if (!t.running) d = std::min(d, t.due);
        return d;
    }

    // Runs one timer tick; the timer may be stopped or restarted inside it.
    void runTimer(Scheduler::Id id) {
        auto it = timers.find(id);
        if (it == timers.end()) return;
        it->second.due += it->second.interval;
        it->second.running = true;
        auto tick = it->second.tick;  // a copy: the tick may stop its own timer
        std::uint64_t seq = it->second.seq;
        struct Reset {
            Core* core;
            Scheduler::Id id;
            std::uint64_t seq;
            ~Reset() {
                auto i = core->timers.find(id);
                if (i != core->timers.end() && i->second.seq == seq) i->second.running = false;
            }
        } reset{this, id, seq};
        tick();
    }

    void takePosted() {
        std::vector<Scheduler::Callback> p;
        {
            std::lock_guard<std::mutex> lock(postedMutex);
            p.swap(posted);
        }
        for (auto& f : p) queue.push_back(std::move(f));
    }

    // Runs every queued call, including calls queued while they run.
    void runQueued() {
        takePosted();
        while (!queue.empty()) {
            auto f = std::move(queue.front());
            queue.pop_front();
            f();
            takePosted();
        }
    }

    // Polls the watched descriptors (plus an optional wake descriptor) and
    // runs the callbacks of those that are ready. Returns true when any was.
    bool pollFds(int timeoutMs, int wakeFd = -1) {
        std::vector<pollfd> pfds;
        std::vector<Scheduler::Id> ids;
        for (auto& [id, w] : watches) {
            short ev = (w.read ? POLLIN : 0) | (w.write ? POLLOUT : 0);
            if (!ev) continue;
            pfds.push_back(pollfd{w.fd, ev, 0});
            ids.push_back(id);
        }
        if (wakeFd >= 0) pfds.push_back(pollfd{wakeFd, POLLIN, 0});
        if (pfds.empty()) {
            if (timeoutMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
            return false;
        }
        int n = ::poll(pfds.data(), pfds.size(), timeoutMs);
        if (n <= 0) return false;
        if (wakeFd >= 0 && (pfds.back().revents & POLLIN)) {
            std::uint64_t v;
            [[maybe_unused]] auto r = ::read(wakeFd, &v, sizeof v);
        }
        bool any = false;
        for (size_t i = 0; i < ids.size(); ++i) {
            short re = pfds[i].revents;
            if (!re) continue;
            auto it = watches.find(ids[i]);
            if (it == watches.end()) continue;  // removed by an earlier callback
            bool err = re & (POLLERR | POLLHUP | POLLNVAL);
            bool readable = (re & POLLIN) || err;
            bool writable = (re & POLLOUT) || err;
            auto cb = it->second.ready;
            any = true;
            cb(readable && it->second.read, writable && it->second.write);
            runQueued();
        }
        return any;
    }
};

}  // namespace

Scheduler& Scheduler::current() {
    if (!g_current) {
        static PollScheduler fallback;
        return fallback;
    }
    return *g_current;
}

void Scheduler::setCurrent(Scheduler* scheduler) { g_current = scheduler; }

// ---------------------------------------------------------------- manual

struct ManualScheduler::Impl {
    Core core;
    std::int64_t now = 0;
    std::chrono::system_clock::time_point wallStart = std::chrono::system_clock::now();
};

ManualScheduler::ManualScheduler() : impl_(std::make_unique<Impl>()) {}
ManualScheduler::~ManualScheduler() {
    if (g_current == this) g_current = nullptr;
}

Scheduler::Id ManualScheduler::startTimer(int intervalMs, Callback tick) {
    return impl_->core.addTimer(intervalMs, std::move(tick), impl_->now);
}
void ManualScheduler::stopTimer(Id id) { impl_->core.timers.erase(id); }
void ManualScheduler::defer(Callback fn) { impl_->core.queue.push_back(std::move(fn)); }
void ManualScheduler::post(Callback fn) {
    std::lock_guard<std::mutex> lock(impl_->core.postedMutex);
    impl_->core.posted.push_back(std::move(fn));
}
Scheduler::Id ManualScheduler::watchFd(int fd, bool read, bool write, FdCallback ready) {
    Id id = impl_->core.nextId++;
    impl_->core.watches.emplace(id, Core::Watch{fd, read, write, std::move(ready)});
    return id;
}
void ManualScheduler::updateFd(Id id, bool read, bool write) {
    auto it = impl_->core.watches.find(id);
    if (it != impl_->core.watches.end()) {
        it->second.read = read;
        it->second.write = write;
    }
}
void ManualScheduler::unwatchFd(Id id) { impl_->core.watches.erase(id); }
std::int64_t ManualScheduler::nowMs() const { return impl_->now; }
std::chrono::system_clock::time_point ManualScheduler::wallClock() const {
    return impl_->wallStart + std::chrono::milliseconds(impl_->now);
}
void ManualScheduler::setWallClock(std::chrono::system_clock::time_point start) {
    impl_->wallStart = start - std::chrono::milliseconds(impl_->now);
}
std::size_t ManualScheduler::activeTimers() const { return impl_->core.timers.size(); }

void ManualScheduler::doEvents() {
    auto& c = impl_->core;
    c.runQueued();
    c.pollFds(0);
    for (Id id; (id = c.dueTimer(impl_->now)) != 0;) {
        c.runTimer(id);
        c.runQueued();
    }
}

void ManualScheduler::advance(std::int64_t ms) {
    auto& c = impl_->core;
    std::int64_t target = impl_->now + std::max<std::int64_t>(0, ms);
    for (;;) {
        c.runQueued();
        c.pollFds(0);
        c.runQueued();
        Id id = c.dueTimer(target);
        if (!id) break;
        impl_->now = std::max(impl_->now, c.timers.at(id).due);
        c.runTimer(id);
    }
    impl_->now = target;
    c.runQueued();
}

bool ManualScheduler::runUntil(const std::function<bool()>& pred, int realTimeoutMs) {
    auto& c = impl_->core;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(realTimeoutMs);
    for (;;) {
        c.runQueued();
        if (pred()) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return pred();
        c.pollFds(static_cast<int>(std::min<long long>(left, 10)));
    }
}

void ManualScheduler::run() {
    auto& c = impl_->core;
    c.quitting = false;
    while (!c.quitting) {
        c.runQueued();
        if (c.quitting) break;
        if (!c.pollFds(0) && c.queue.empty()) {
            std::int64_t due = c.nextDue();
            if (due == INT64_MAX) break;  // nothing left that could ever run
            advance(due - impl_->now);
        }
    }
}

void ManualScheduler::quit() { impl_->core.quitting = true; }

// ---------------------------------------------------------------- poll

struct PollScheduler::Impl {
    Core core;
    int wakeFd = -1;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::int64_t now() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    }
    // One round: queued calls, descriptors (waiting at most maxWaitMs, less
    // when a timer falls due sooner), then the timers that are due.
    void round(int maxWaitMs) {
        core.runQueued();
        int wait = maxWaitMs;
        std::int64_t due = core.nextDue();
        if (due != INT64_MAX) wait = static_cast<int>(std::clamp<std::int64_t>(due - now(), 0, maxWaitMs));
        {
            std::lock_guard<std::mutex> lock(core.postedMutex);
            if (!core.posted.empty()) wait = 0;
        }
        if (!core.queue.empty()) wait = 0;
        core.pollFds(wait, wakeFd);
        core.runQueued();
        std::int64_t t = now();
        for (Id id; (id = core.dueTimer(t)) != 0;) {
            auto& timer = core.timers.at(id);
            // A timer that fell far behind skips the ticks it missed.
            if (timer.due + timer.interval < t) timer.due = t - timer.interval + 1;
            core.runTimer(id);
            core.runQueued();
        }
    }
};

PollScheduler::PollScheduler() : impl_(std::make_unique<Impl>()) {
    impl_->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}
PollScheduler::~PollScheduler() {
    if (g_current == this) g_current = nullptr;
    if (impl_->wakeFd >= 0) ::close(impl_->wakeFd);
}

Scheduler::Id PollScheduler::startTimer(int intervalMs, Callback tick) {
    return impl_->core.addTimer(intervalMs, std::move(tick), impl_->now());
}
void PollScheduler::stopTimer(Id id) { impl_->core.timers.erase(id); }
void PollScheduler::defer(Callback fn) { impl_->core.queue.push_back(std::move(fn)); }
void PollScheduler::post(Callback fn) {
    {
        std::lock_guard<std::mutex> lock(impl_->core.postedMutex);
        impl_->core.posted.push_back(std::move(fn));
    }
    std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(impl_->wakeFd, &one, sizeof one);
}
Scheduler::Id PollScheduler::watchFd(int fd, bool read, bool write, FdCallback ready) {
    Id id = impl_->core.nextId++;
    impl_->core.watches.emplace(id, Core::Watch{fd, read, write, std::move(ready)});
    return id;
}
void PollScheduler::updateFd(Id id, bool read, bool write) {
    auto it = impl_->core.watches.find(id);
    if (it != impl_->core.watches.end()) {
        it->second.read = read;
        it->second.write = write;
    }
}
void PollScheduler::unwatchFd(Id id) { impl_->core.watches.erase(id); }
std::int64_t PollScheduler::nowMs() const { return impl_->now(); }
std::chrono::system_clock::time_point PollScheduler::wallClock() const { return std::chrono::system_clock::now(); }
void PollScheduler::doEvents() { impl_->round(0); }

void PollScheduler::run() {
    impl_->core.quitting = false;
    while (!impl_->core.quitting) impl_->round(1000);
}

void PollScheduler::quit() {
    impl_->core.quitting = true;
    std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(impl_->wakeFd, &one, sizeof one);
}

bool PollScheduler::runUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto deadline = impl_->now() + timeoutMs;
    impl_->core.quitting = false;
    while (!pred() && !impl_->core.quitting) {
        std::int64_t left = deadline - impl_->now();
        if (left <= 0) break;
        impl_->round(static_cast<int>(std::min<std::int64_t>(left, 50)));
    }
    return pred();
}

}  // namespace runtime
