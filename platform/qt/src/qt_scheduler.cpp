#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <algorithm>

#include "forms/application.hpp"
#include "qt_internal.hpp"

namespace formsqt {

QtScheduler::QtScheduler() : ctx_(std::make_unique<QObject>()), start_(std::chrono::steady_clock::now()) {}

QtScheduler::~QtScheduler() {
    for (auto& [id, t] : timers_) delete t.timer;
    delete beat_;
    for (auto& [id, w] : watches_) {
        delete w.rn;
        delete w.wn;
    }
}

bool QtScheduler::mustWait() const {
    return forms::Application::instance().handlerDepth() > 0 && doEventsDepth_ == 0;
}

runtime::Scheduler::Id QtScheduler::startTimer(int intervalMs, Callback tick) {
    Id id = next_++;
    auto& e = timers_[id];
    e.tick = std::move(tick);
    if (intervalMs <= kShortestInterval) {
        beatIds_.push_back(id);
        if (!beat_) {
            beat_ = new QTimer;
            beat_->setTimerType(Qt::PreciseTimer);
            beat_->setInterval(kShortestInterval);
            QObject::connect(beat_, &QTimer::timeout, [this] { fireBeat(); });
        }
        if (!beat_->isActive()) beat_->start();
        return id;
    }
    e.timer = new QTimer;
    e.timer->setTimerType(Qt::PreciseTimer);
    e.timer->setInterval(std::max(1, intervalMs));
    QObject::connect(e.timer, &QTimer::timeout, [this, id] { fireTimer(id); });
    e.timer->start();
    return id;
}

void QtScheduler::stopTimer(Id id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    if (it->second.timer) {
        it->second.timer->stop();
        it->second.timer->deleteLater();
    } else {
        beatIds_.erase(std::remove(beatIds_.begin(), beatIds_.end(), id), beatIds_.end());
        if (beatIds_.empty() && beat_) beat_->stop();
    }
    timers_.erase(it);
}

void QtScheduler::fireBeat() {
    // A tick may stop or start timers: the ones due now are those that ran
    // when the beat came.
    const std::vector<Id> due = beatIds_;
    for (Id id : due) fireTimer(id);
}

void QtScheduler::fireTimer(Id id) {
    auto it = timers_.find(id);
    if (it == timers_.end() || it->second.running) return;
    if (mustWait()) {
        it->second.pending = true;
        retryLater();
        return;
    }
    it->second.pending = false;
    it->second.running = true;
    Callback tick = it->second.tick;
    guarded(tick);
    auto again = timers_.find(id);
    if (again != timers_.end()) again->second.running = false;
}

void QtScheduler::retryLater() {
    if (retryQueued_) return;
    retryQueued_ = true;
    QTimer::singleShot(5, ctx_.get(), [this] {
        retryQueued_ = false;
        retryHeld();
    });
}

void QtScheduler::retryHeld() {
    if (mustWait()) {
        retryLater();
        return;
    }
    std::vector<Id> ids;
    for (auto& [id, t] : timers_)
        if (t.pending) ids.push_back(id);
    for (Id id : ids) fireTimer(id);
    for (auto& [id, w] : watches_)
        if (w.held) {
            w.held = false;
            applyWatch(w);
        }
}

void QtScheduler::defer(Callback fn) {
    QMetaObject::invokeMethod(ctx_.get(), [fn = std::move(fn)] { guarded(fn); }, Qt::QueuedConnection);
}

void QtScheduler::post(Callback fn) {
    // invokeMethod with a queued connection is safe from any thread.
    QMetaObject::invokeMethod(ctx_.get(), [fn = std::move(fn)] { guarded(fn); }, Qt::QueuedConnection);
}

void QtScheduler::applyWatch(Watch& w) {
    if (w.rn) w.rn->setEnabled(w.read && !w.held);
    if (w.wn) w.wn->setEnabled(w.write && !w.held);
}

runtime::Scheduler::Id QtScheduler::watchFd(int fd, bool read, bool write, FdCallback ready) {
    Id id = next_++;
    auto& w = watches_[id];
    w.fd = fd;
    w.read = read;
    w.write = write;
    w.ready = std::move(ready);
    w.rn = new QSocketNotifier(fd, QSocketNotifier::Read);
    w.wn = new QSocketNotifier(fd, QSocketNotifier::Write);
    QObject::connect(w.rn, &QSocketNotifier::activated, [this, id] { fireFd(id, true, false); });
    QObject::connect(w.wn, &QSocketNotifier::activated, [this, id] { fireFd(id, false, true); });
    applyWatch(w);
    return id;
}

void QtScheduler::updateFd(Id id, bool read, bool write) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    it->second.read = read;
    it->second.write = write;
    applyWatch(it->second);
}

void QtScheduler::unwatchFd(Id id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    it->second.rn->setEnabled(false);
    it->second.wn->setEnabled(false);
    it->second.rn->deleteLater();
    it->second.wn->deleteLater();
    watches_.erase(it);
}

void QtScheduler::fireFd(Id id, bool readable, bool writable) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    if (mustWait()) {
        it->second.held = true;
        applyWatch(it->second);
        retryLater();
        return;
    }
    FdCallback ready = it->second.ready;
    guarded([&] { ready(readable, writable); });
}

std::int64_t QtScheduler::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
}

std::chrono::system_clock::time_point QtScheduler::wallClock() const { return std::chrono::system_clock::now(); }

void QtScheduler::doEvents() {
    ++doEventsDepth_;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --doEventsDepth_;
}

void QtScheduler::run() { QCoreApplication::exec(); }

void QtScheduler::quit() { QCoreApplication::quit(); }

}  // namespace formsqt
