#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>

#include <algorithm>

#include "forms/application.hpp"
#include "qt_internal.hpp"

namespace formsqt {

namespace {

// The user's input anywhere in the program: keys, the mouse, the wheel,
// drags, the pointer entering or leaving a window, a window activated or
// closed. Every event of the application passes here first; the filter
// only looks at the type and lets each one go on.
class InputWatch : public QObject {
public:
    explicit InputWatch(QtScheduler& s) : s_(s) {}
    bool eventFilter(QObject* target, QEvent* e) override {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Close:
            s_.noteChange();
            break;
        default:
            break;
        }
        return QObject::eventFilter(target, e);
    }

private:
    QtScheduler& s_;
};

}  // namespace

QtScheduler::QtScheduler()
    : ctx_(std::make_unique<QObject>()), inputWatch_(std::make_unique<InputWatch>(*this)),
      start_(std::chrono::steady_clock::now()) {
    // The filter installed last sees an event first, and the backend's input
    // routing, installed after the scheduler, keeps the mouse on a label for
    // that label alone: so the watch goes in at the loop's first pass, when
    // the installation is complete, and hears every input event.
    QTimer::singleShot(0, ctx_.get(), [this] {
        if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(inputWatch_.get());
    });
}

QtScheduler::~QtScheduler() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(inputWatch_.get());
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
            QObject::connect(beat_, &QTimer::timeout, [this] { fireBeat(); });
        }
        if (!beat_->isActive()) {
            pace_ = kShortestInterval;
            beat_->start(pace_);
        }
    } else {
        e.timer = new QTimer;
        e.timer->setTimerType(Qt::PreciseTimer);
        e.timer->setInterval(std::max(1, intervalMs));
        QObject::connect(e.timer, &QTimer::timeout, [this, id] {
            fireTimer(id);
            joinBeat();
        });
        e.timer->start();
    }
    noteChange();  // a timer switched on: the beat comes back to its pace
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

void QtScheduler::noteChange() {
    ++changes_;
    if (retry_ && retry_->isActive() && retryWait_ > kFirstRetry) {
        retryWait_ = kFirstRetry;
        retry_->start(retryWait_);
    }
    // Inside a beat the beat itself sees the change when its ticks are done.
    if (inBeat_ || pace_ == kShortestInterval) return;
    pace_ = kShortestInterval;
    if (!beat_ || !beat_->isActive()) return;
    // The next beat as soon as the shortest interval since the last allows
    // (once the current event is handled), then every 10 ms.
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - lastBeat_);
    beat_->start(std::clamp<int>(kShortestInterval - static_cast<int>(since.count()), 0, kShortestInterval));
}

void QtScheduler::fireBeat() {
    if (mustWait()) {
        // A handler waits (a message box): the beat rests, and the retry runs
        // the ticks once the handler has returned.
        for (Id id : beatIds_) timers_.at(id).pending = true;
        beat_->stop();
        retryLater();
        return;
    }
    // A tick may stop or start timers: the ones due now are those that ran
    // when the beat came.
    const std::vector<Id> due = beatIds_;
    const std::uint64_t before = changes_;
    lastBeat_ = std::chrono::steady_clock::now();
    inBeat_ = true;
    for (Id id : due) fireTimer(id);  // each tick is guarded: nothing escapes
    inBeat_ = false;
    // A beat that changed something comes back half way to the shortest
    // interval (a beat that keeps changing things is at it within a few
    // beats, and a clock that changes once a second costs one beat more);
    // one that changed nothing waits twice as long for the next.
    const int pace = changes_ != before ? std::max(kShortestInterval, pace_ / 2) : std::min(2 * pace_, kSlowestBeat);
    pace_ = pace;
    if (beat_->isActive() && beat_->interval() != pace_) beat_->start(pace_);
}

void QtScheduler::joinBeat() {
    // A longer timer woke the loop and changed nothing: a slow beat runs now
    // too, early, and goes on from here, so the two share their wake-ups (a
    // 500 ms clock adds none to a slow beat). Never sooner than the shortest
    // interval after the last beat.
    if (inBeat_ || pace_ == kShortestInterval || !beat_ || !beat_->isActive()) return;
    if (std::chrono::steady_clock::now() - lastBeat_ < std::chrono::milliseconds(kShortestInterval)) return;
    fireBeat();
    if (beat_->isActive()) beat_->start(pace_);
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

// Ticks and descriptors held back by a handler that waits (a message box)
// are tried again when it may have returned: soon at first, then twice as
// late each time it still runs, up to a slow beat; any change or input (the
// box answered) makes it soon again.
void QtScheduler::retryLater() {
    if (!retry_) {
        retry_ = std::make_unique<QTimer>();
        retry_->setSingleShot(true);
        retry_->setTimerType(Qt::PreciseTimer);
        QObject::connect(retry_.get(), &QTimer::timeout, [this] { retryHeld(); });
    }
    if (!retry_->isActive()) retry_->start(retryWait_);
}

void QtScheduler::retryHeld() {
    if (mustWait()) {
        retryWait_ = std::min(2 * retryWait_, kSlowestBeat);
        retry_->start(retryWait_);
        return;
    }
    retryWait_ = kFirstRetry;
    std::vector<Id> ids;
    for (auto& [id, t] : timers_)
        if (t.pending) ids.push_back(id);
    for (Id id : ids) fireTimer(id);
    for (auto& [id, w] : watches_)
        if (w.held) {
            w.held = false;
            applyWatch(w);
        }
    if (!beatIds_.empty() && beat_ && !beat_->isActive()) {
        pace_ = kShortestInterval;
        beat_->start(pace_);
    }
}

void QtScheduler::defer(Callback fn) { queue(std::move(fn)); }

void QtScheduler::post(Callback fn) { queue(std::move(fn)); }

void QtScheduler::queue(Callback fn) {
    // invokeMethod with a queued connection is safe from any thread; the call
    // (a deferred step, a media event, a thread's result) runs on the UI
    // thread, as an event of its own.
    QMetaObject::invokeMethod(
        ctx_.get(),
        [this, fn = std::move(fn)] {
            noteChange();
            guarded(fn);
        },
        Qt::QueuedConnection);
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
    noteChange();
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
