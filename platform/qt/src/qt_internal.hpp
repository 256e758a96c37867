#pragma once
// The Qt side of the forms: the scheduler on the Qt event loop, the backend
// and its peers, the dialogs and the clipboard.

#include <QFont>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "forms/backend.hpp"
#include "forms/clipboard.hpp"
#include "forms/dialogs.hpp"
#include "runtime/scheduler.hpp"

namespace formsqt {

// Timers, deferred and posted calls and descriptor readiness on the Qt loop.
// A timer tick or a descriptor callback that falls due while an event handler
// runs (a modal dialog's loop) waits until the handler has returned, unless
// the handler called DoEvents; it runs within a slow beat of the return, and
// within a few milliseconds when the user's answer ended the wait.
//
// Short timers (an Interval of 10 ms or less) tick together on one beat.
// While the beat's ticks change something on screen it keeps 10 ms; after a
// beat that changed nothing the next one comes twice as late, up to 90 ms
// apart, so clocks and meters that poll with nothing to show stop waking the
// machine, and each beat that changes something halves the wait again. Any change made elsewhere (the user's input, a descriptor ready, a
// posted call such as a media event, a timer started, a control written by
// other code) brings the beat back to 10 ms at once: what a short timer shows
// follows an event within one beat of it, and follows time within 100 ms.
// Longer timers keep their own intervals; a slow beat runs early with their
// ticks, so they wake the loop together.
class QtScheduler : public runtime::Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

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
    void noteChange() override;

private:
    // As on the original platform, no timer ticks more often than every
    // 10 ms: a shorter Interval is taken as 10.
    static constexpr int kShortestInterval = 10;
    // The longest wait between two beats while nothing changes: what a short
    // timer shows as time passes is then at most 100 ms late, its own work and
    // the system's timer slack included.
    static constexpr int kSlowestBeat = 90;
    struct TimerEntry {
        QTimer* timer = nullptr;  // nullptr: a short timer on the shared beat
        Callback tick;
        bool running = false;
        bool pending = false;
    };
    struct Watch {
        int fd = -1;
        bool read = false, write = false;
        QSocketNotifier* rn = nullptr;
        QSocketNotifier* wn = nullptr;
        FdCallback ready;
        bool held = false;
    };
    bool mustWait() const;
    void fireTimer(Id id);
    void fireFd(Id id, bool readable, bool writable);
    void retryLater();
    void retryHeld();
    void applyWatch(Watch& w);
    void fireBeat();
    void joinBeat();
    void queue(Callback fn);  // defer and post: a call on the UI thread's loop

    std::unique_ptr<QObject> ctx_;  // the context of queued calls (the UI thread)
    std::unique_ptr<QObject> inputWatch_;  // hears the user's input for noteChange
    std::map<Id, TimerEntry> timers_;
    // The short timers, in the order they started: one wake-up of the loop
    // per beat for all of them.
    QTimer* beat_ = nullptr;
    std::vector<Id> beatIds_;
    int pace_ = kShortestInterval;  // the beat's interval now
    bool inBeat_ = false;
    std::chrono::steady_clock::time_point lastBeat_;
    std::uint64_t changes_ = 0;     // changes heard so far
    std::map<Id, Watch> watches_;
    Id next_ = 1;
    int doEventsDepth_ = 0;
    // Held ticks and descriptors are tried again after retryWait_ ms.
    static constexpr int kFirstRetry = 5;
    std::unique_ptr<QTimer> retry_;
    int retryWait_ = kFirstRetry;
    std::chrono::steady_clock::time_point start_;
};

class QtBackend : public forms::Backend {
public:
    QtBackend();
    ~QtBackend() override;
    std::unique_ptr<forms::FormPeer> createPeer(forms::Form& form) override;
    forms::ScreenSize screenSize() const override;
    // The widget that shows a control, or nullptr.
    static QWidget* widgetOf(forms::Control& c);
    static QWidget* windowOf(forms::Form& f);
    // Runs once, for the next popup menu, while it is on screen: returns the
    // name of the item to choose, "" to dismiss the menu (Session::onNextPopup).
    static void setNextPopupHook(std::function<std::string()> fn);

private:
    std::unique_ptr<QObject> filter_;
};

class QtDialogs : public forms::Dialogs {
public:
    int messageBox(const forms::MessageBoxRequest& r) override;
    std::optional<std::string> inputBox(const forms::InputBoxRequest& r) override;
    forms::FileDialogResult fileDialog(const forms::FileDialogRequest& r) override;
    std::optional<std::string> browseForFolder(const forms::FolderRequest& r) override;
};

class QtClipboard : public forms::Clipboard {
public:
    void clear() override;
    void setText(const std::string& text) override;
    std::string text() override;
    bool setFiles(const std::vector<std::string>& paths) override;
    std::vector<std::string> files() override;
};

// Runs model code from a Qt event: a program end quits the loop, and any other
// escaping exception is reported on standard error instead of crossing Qt.
void guarded(const std::function<void()>& fn);

QString toQ(const std::string& s);
// The Qt font that shows a control's font (a stand-in for a missing face).
QFont fontOf(const forms::Font& f);
// The face of message and input boxes.
QFont dialogFont();
std::string fromQ(const QString& s);

// The local files a drag or the clipboard carries, each as its name's bytes.
std::vector<std::string> filesOf(const QMimeData* m);

}  // namespace formsqt
