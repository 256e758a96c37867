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
// the handler called DoEvents.
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

private:
    struct TimerEntry {
        QTimer* timer = nullptr;  // nullptr: a 1 ms timer on the shared beat
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

    std::unique_ptr<QObject> ctx_;  // the context of queued calls (the UI thread)
    std::map<Id, TimerEntry> timers_;
    // As on the original platform, no timer ticks more often than every
    // 10 ms: a shorter Interval is taken as 10. Those timers tick together on
    // one beat, in the order they started: one wake-up of the loop instead of
    // one per timer (a window with two 1 ms clocks stays idle between beats).
    static constexpr int kShortestInterval = 10;
    QTimer* beat_ = nullptr;
    std::vector<Id> beatIds_;
    void fireBeat();
    std::map<Id, Watch> watches_;
    Id next_ = 1;
    int doEventsDepth_ = 0;
    bool retryQueued_ = false;
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
