#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QMessageBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QWheelEvent>
#include <QWindow>
#include <QIcon>
#include <QPointer>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "formsqt/run.hpp"
#include "forms/application.hpp"
#include "forms/form.hpp"
#include "qt_internal.hpp"

namespace formsqt {

namespace {

// Everything the forms need of Qt, installed for as long as it lives.
struct Installation {
    QtScheduler scheduler;
    QtBackend backend;
    QtDialogs dialogs;
    QtClipboard clipboard;

    Installation() {
        runtime::Scheduler::setCurrent(&scheduler);
        forms::Application::instance().setBackend(&backend);
        forms::setDialogs(&dialogs);
        forms::setClipboard(&clipboard);
        forms::Application::instance().setOnEnd([] { QCoreApplication::quit(); });
    }
    ~Installation() {
        forms::Application::instance().reset();
        forms::Application::instance().setBackend(nullptr);
        forms::setClipboard(nullptr);
        forms::setDialogs(nullptr);
        runtime::Scheduler::setCurrent(nullptr);
        deleteRetiredWidgets();
    }

    // An unloaded form's window and a removed control's widget go by
    // deleteLater. Qt deletes such an object only in an event loop entered
    // after the call, never in processEvents at the level where it was made,
    // and the QApplication's end drops the pending deletions without deleting
    // their objects: so the retired widgets are deleted here, before the
    // application goes.
    static void deleteRetiredWidgets() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// SIGTERM (a logout, a shutdown) and SIGINT (Ctrl+C) close the program's
// windows as the user would, first loaded first, so each saves what it keeps;
// a window that stays open after that does not hold the program up. The
// handler only writes a byte to a pipe; the closing runs in the event loop.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

class TerminationSignals {
public:
    TerminationSignals() {
        if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
            char buf[16];
            while (::read(signalPipe[0], buf, sizeof buf) > 0) {
            }
            closeEverything();
        });
        struct sigaction sa {};
        sa.sa_handler = onSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &sa, &oldTerm_);
        ::sigaction(SIGINT, &sa, &oldInt_);
    }
    ~TerminationSignals() {
        if (!notifier_) return;
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
        ::sigaction(SIGINT, &oldInt_, nullptr);
        notifier_.reset();
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }

private:
    static void closeEverything() {
        auto& app = forms::Application::instance();
        guarded([&] {
            forms::Dispatch(nullptr, [&] {
                for (forms::Form* f : app.loadedForms())
                    if (f->isLoaded()) f->userClose();
                if (!app.ended()) forms::End();
            });
        });
        if (app.ended() || app.loadedForms().empty()) QCoreApplication::quit();
    }
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction oldTerm_ {};
    struct sigaction oldInt_ {};
};

}  // namespace

int run(int& argc, char** argv, const std::function<void()>& start) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    int rc = 0;
    {
        Installation inst;
        TerminationSignals termination;
        QTimer::singleShot(0, [&] {
            guarded([&] { forms::Dispatch(nullptr, start); });
            auto& a = forms::Application::instance();
            if (a.ended() || a.loadedForms().empty()) QCoreApplication::quit();
        });
        rc = app.exec();
    }
    return rc;
}

// ---- sessions for smoke tests ----

struct Session::Impl {
    int argc = 1;
    char arg0[16] = "dovetune";
    char* argv[2] = {arg0, nullptr};
    std::unique_ptr<QApplication> app;
    std::unique_ptr<Installation> inst;
    std::optional<ShownBox> lastBox;
};

Session::Session() : impl_(new Impl) {
    impl_->app = std::make_unique<QApplication>(impl_->argc, impl_->argv);
    impl_->app->setQuitOnLastWindowClosed(false);
    impl_->inst = std::make_unique<Installation>();
    forms::Application::instance().setOnEnd(nullptr);
}

Session::~Session() {
    impl_->inst.reset();
    QCoreApplication::processEvents();
    impl_->app.reset();
    delete impl_;
}

void Session::processEvents(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < end);
}

bool Session::waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end) return pred();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

namespace {
Qt::MouseButton qtButtonOf(int button) {
    return button == forms::vbRightButton ? Qt::RightButton
           : button == forms::vbMiddleButton ? Qt::MiddleButton : Qt::LeftButton;
}
Qt::MouseButtons qtButtonsOf(int bits) {
    Qt::MouseButtons b;
    if (bits & forms::vbLeftButton) b |= Qt::LeftButton;
    if (bits & forms::vbRightButton) b |= Qt::RightButton;
    if (bits & forms::vbMiddleButton) b |= Qt::MiddleButton;
    return b;
}
void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton b, Qt::MouseButtons buttons) {
    QPointF local(at);
    QPointF global(w->mapToGlobal(at));
    QMouseEvent e(type, local, global, b, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void sendClick(QWidget* w, QPoint at, int button, int held = 0, bool twice = false) {
    QPointer<QWidget> target(w);
    Qt::MouseButton b = qtButtonOf(button);
    Qt::MouseButtons before = qtButtonsOf(held);
    sendMouse(w, QEvent::MouseButtonPress, at, b, before | b);
    if (target) sendMouse(w, QEvent::MouseButtonRelease, at, b, before);
    if (!twice) return;
    if (target) sendMouse(w, QEvent::MouseButtonDblClick, at, b, before | b);
    if (target) sendMouse(w, QEvent::MouseButtonRelease, at, b, before);
}
QWidget* mouseTarget(QWidget* w) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
    return w;
}
}  // namespace

bool Session::click(forms::Control& c, int button, int held) {
    QWidget* w = QtBackend::widgetOf(c);
    if (!w) return false;
    QWidget* target = mouseTarget(w);
    sendClick(target, target->rect().center(), button, held);
    return true;
}

bool Session::clickForm(forms::Form& f, int x, int y, int button, int held) {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return false;
    QCursor::setPos(w->screen(), w->mapToGlobal(QPoint(x, y)));
    sendClick(w, QPoint(x, y), button, held);
    return true;
}

bool Session::doubleClick(forms::Control& c) {
    QWidget* w = QtBackend::widgetOf(c);
    if (!w) return false;
    QWidget* target = mouseTarget(w);
    sendClick(target, target->rect().center(), forms::vbLeftButton, 0, true);
    return true;
}

bool Session::doubleClickForm(forms::Form& f, int x, int y) {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return false;
    sendClick(w, QPoint(x, y), forms::vbLeftButton, 0, true);
    return true;
}

bool Session::clickLine(forms::Control& list, long i, bool twice, int button) {
    auto* lw = qobject_cast<QListWidget*>(QtBackend::widgetOf(list));
    if (!lw || i < 0 || i >= lw->count()) return false;
    QRect r = lw->visualItemRect(lw->item(static_cast<int>(i)));
    if (r.isEmpty()) return false;
    sendClick(lw->viewport(), r.center(), button, 0, twice);
    return true;
}

namespace {
// Enter, move and drop on the window at a point of its client area.
int sendDrop(QWidget* window, QPoint at, const std::vector<std::string>& paths) {
    // A file manager's text/uri-list: each name's bytes percent-encoded.
    QMimeData data;
    std::string list;
    for (const std::string& p : paths) list += (p.find("://") != std::string::npos ? p : forms::fileUri(p)) + "\r\n";
    if (!list.empty()) data.setData("text/uri-list", QByteArray::fromStdString(list));
    Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QPointF point(at);
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(window, &leave);
        return 0;
    }
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    QDropEvent drop(point, offered, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QApplication::sendEvent(window, &drop);
    if (!drop.isAccepted()) return 0;
    return drop.dropAction() == Qt::MoveAction ? 2 : 1;
}
}  // namespace

int Session::dropFiles(forms::Control& c, const std::vector<std::string>& paths) {
    QWidget* w = QtBackend::widgetOf(c);
    if (!w || !w->window()) return -1;
    QWidget* window = w->window();
    return sendDrop(window, w->mapTo(window, w->rect().center()), paths);
}

int Session::dropFiles(forms::Form& f, const std::vector<std::string>& paths) {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return -1;
    return sendDrop(w, w->rect().center(), paths);
}

bool Session::wheel(forms::Form& f, int x, int y, int notches) {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return false;
    QWidget* target = w->childAt(x, y);
    if (!target) target = w;
    QPoint local = target->mapFrom(w, QPoint(x, y));
    QWheelEvent e(QPointF(local), QPointF(target->mapToGlobal(local)), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
    return true;
}

namespace {
int qtKeyOf(int code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return code;
    if (code >= forms::vbKeyF1 && code < forms::vbKeyF1 + 12) return Qt::Key_F1 + (code - forms::vbKeyF1);
    switch (code) {
        case forms::vbKeyBack: return Qt::Key_Backspace;
        case forms::vbKeyTab: return Qt::Key_Tab;
        case forms::vbKeyReturn: return Qt::Key_Return;
        case forms::vbKeyEscape: return Qt::Key_Escape;
        case forms::vbKeySpace: return Qt::Key_Space;
        case forms::vbKeyDelete: return Qt::Key_Delete;
        case forms::vbKeyLeft: return Qt::Key_Left;
        case forms::vbKeyRight: return Qt::Key_Right;
        case forms::vbKeyUp: return Qt::Key_Up;
        case forms::vbKeyDown: return Qt::Key_Down;
        case forms::vbKeyPageUp: return Qt::Key_PageUp;
        case forms::vbKeyPageDown: return Qt::Key_PageDown;
        case forms::vbKeyHome: return Qt::Key_Home;
        case forms::vbKeyEnd: return Qt::Key_End;
        default: return 0;
    }
}
}  // namespace

bool Session::pressKey(forms::Form& f, int keyCode, int shift, const std::string& text) {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return false;
    QWidget* target = w->focusWidget() ? w->focusWidget() : w;
    Qt::KeyboardModifiers mods;
    if (shift & forms::vbShiftMask) mods |= Qt::ShiftModifier;
    if (shift & forms::vbCtrlMask) mods |= Qt::ControlModifier;
    if (shift & forms::vbAltMask) mods |= Qt::AltModifier;
    int key = qtKeyOf(keyCode);
    if (key == Qt::Key_Tab && (mods & Qt::ShiftModifier)) key = Qt::Key_Backtab;  // as X11 delivers Shift+Tab
    QKeyEvent press(QEvent::KeyPress, key, mods, toQ(text));
    QApplication::sendEvent(target, &press);
    QPointer<QWidget> still(target);
    if (still) {
        QKeyEvent release(QEvent::KeyRelease, key, mods, toQ(text));
        QApplication::sendEvent(still, &release);
    }
    return true;
}

namespace {
Session::ShownBox shownBox(QWidget* box, const QString& text) {
    QFontInfo face(box->font());
    return {fromQ(box->windowTitle()), fromQ(text), fromQ(face.family()), face.pointSizeF()};
}
}  // namespace

forms::Control* Session::focusedControl() const {
    QWidget* now = QApplication::focusWidget();
    if (!now) return nullptr;
    // The innermost control whose widget holds the focus widget (a text box
    // inside a picture box is the text box).
    forms::Control* found = nullptr;
    QWidget* foundWidget = nullptr;
    for (forms::Form* f : forms::Application::instance().loadedForms())
        for (forms::Control* c : f->controls()) {
            QWidget* w = QtBackend::widgetOf(*c);
            if (!w || (w != now && !w->isAncestorOf(now))) continue;
            if (!foundWidget || foundWidget->isAncestorOf(w)) {
                found = c;
                foundWidget = w;
            }
        }
    return found;
}

forms::Picture Session::windowIcon(forms::Form& f) const {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return {};
    QWindow* h = w->windowHandle();
    QIcon icon = h ? h->icon() : w->windowIcon();
    QList<QSize> sizes = icon.availableSizes();
    if (icon.isNull() || sizes.isEmpty()) return {};
    QImage img = icon.pixmap(sizes.front()).toImage().convertToFormat(QImage::Format_RGBA8888);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(img.width()) * img.height() * 4);
    for (int y = 0; y < img.height(); ++y)
        std::copy_n(img.constScanLine(y), img.width() * 4, rgba.begin() + static_cast<std::ptrdiff_t>(y) * img.width() * 4);
    return forms::Picture::fromRgba(img.width(), img.height(), std::move(rgba));
}

std::optional<Session::ShownBox> Session::lastBox() const { return impl_->lastBox; }

void Session::answerNextMessageBox(int answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [this, timer, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        impl_->lastBox = shownBox(box, box->text());
        QMessageBox::StandardButton want = answer == forms::vbYes ? QMessageBox::Yes
                                           : answer == forms::vbNo ? QMessageBox::No
                                           : answer == forms::vbCancel ? QMessageBox::Cancel
                                           : answer == forms::vbRetry ? QMessageBox::Retry
                                           : answer == forms::vbAbort ? QMessageBox::Abort
                                           : answer == forms::vbIgnore ? QMessageBox::Ignore : QMessageBox::Ok;
        if (QAbstractButton* b = box->button(want)) b->click();
        timer->stop();
        timer->deleteLater();
    });
    timer->start();
}

void Session::answerNextInputBox(std::optional<std::string> text) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [this, timer, text] {
        auto* dlg = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dlg) return;
        impl_->lastBox = shownBox(dlg, dlg->labelText());
        if (text) {
            dlg->setTextValue(toQ(*text));
            dlg->accept();
        } else {
            dlg->reject();
        }
        timer->stop();
        timer->deleteLater();
    });
    timer->start();
}

bool Session::grabScreen(const std::string& pngPath) {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return false;
    QPixmap shot = s->grabWindow(0);
    return !shot.isNull() && shot.save(toQ(pngPath), "PNG");
}

forms::Picture Session::grabControl(forms::Control& c) {
    QWidget* w = QtBackend::widgetOf(c);
    if (!w) return {};
    QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGBA8888);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(img.width()) * img.height() * 4);
    for (int y = 0; y < img.height(); ++y)
        std::copy_n(img.constScanLine(y), img.width() * 4, rgba.begin() + static_cast<std::ptrdiff_t>(y) * img.width() * 4);
    return forms::Picture::fromRgba(img.width(), img.height(), std::move(rgba));
}

int Session::textWidth(forms::Control& c, const std::string& text) const {
    QWidget* w = QtBackend::widgetOf(c);
    if (!w) return -1;
    return QFontMetrics(w->font()).horizontalAdvance(toQ(text));
}

bool Session::scrollBarsShown(forms::Control& c, bool& horizontal, bool& vertical) const {
    auto* area = qobject_cast<QAbstractScrollArea*>(QtBackend::widgetOf(c));
    horizontal = vertical = false;
    if (!area) return false;
    horizontal = area->horizontalScrollBar()->isVisible();
    vertical = area->verticalScrollBar()->isVisible();
    return true;
}

std::vector<std::string> Session::listLines(forms::Control& list) const {
    std::vector<std::string> lines;
    if (auto* l = qobject_cast<QListWidget*>(QtBackend::widgetOf(list)))
        for (int i = 0; i < l->count(); ++i) lines.push_back(fromQ(l->item(i)->text()));
    return lines;
}

std::vector<long> Session::linesInView(forms::Control& list) const {
    std::vector<long> rows;
    auto* l = qobject_cast<QListWidget*>(QtBackend::widgetOf(list));
    if (!l) return rows;
    const QRect view = l->viewport()->rect();
    for (int i = 0; i < l->count(); ++i)
        if (view.intersects(l->visualItemRect(l->item(i)))) rows.push_back(i);
    return rows;
}

long Session::listCurrentRow(forms::Control& list) const {
    auto* l = qobject_cast<QListWidget*>(QtBackend::widgetOf(list));
    return l ? l->currentRow() : -1;
}

std::string Session::platformName() const { return fromQ(QGuiApplication::platformName()); }

bool Session::windowShown(forms::Form& f) const {
    QWidget* w = QtBackend::windowOf(f);
    return w && w->isVisible();
}

unsigned long Session::nativeWindow(forms::Form& f) const {
    QWidget* w = QtBackend::windowOf(f);
    QWindow* shown = w ? w->windowHandle() : nullptr;
    return shown ? static_cast<unsigned long>(shown->winId()) : 0;
}

void Session::onNextPopup(std::function<std::string()> fn) { QtBackend::setNextPopupHook(std::move(fn)); }

bool Session::windowPosition(forms::Form& f, int& x, int& y) const {
    QWidget* w = QtBackend::windowOf(f);
    if (!w) return false;
    QPoint p = w->mapToGlobal(QPoint(0, 0));
    x = p.x();
    y = p.y();
    return true;
}

}  // namespace formsqt
