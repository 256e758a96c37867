#pragma once
// Helpers of the screen tests (a real X server under xvfb-run, platform
// xcb): a program folder filled from the build's, screen grabs, and one Qt
// session for a whole test program (with or without a window manager), and
// the real pointer driven through xdotool.
//
//     const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);
//     ... testsupport::qtScreen().processEvents(100);

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <thread>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "testsupport/support.hpp"

namespace testsupport {

// Copies each named file or folder (a folder whole) of the build's program
// folder to the same place under app; throws where one is missing.
inline void copyBuilt(const TempDir& app, std::initializer_list<std::string> names) {
    namespace fs = std::filesystem;
    const std::string built = DOVETUNE_PROGRAM_DIR;
    for (const std::string& name : names) {
        const fs::path to = app.file(name);
        if (to.has_parent_path()) fs::create_directories(to.parent_path());
        if (fs::is_directory(built + "/" + name))
            fs::copy(built + "/" + name, to, fs::copy_options::recursive);
        else
            fs::copy_file(built + "/" + name, to);
    }
}

// The whole screen as a picture, saved as dir/name on the way; empty when
// the grab fails.
inline forms::Picture grabScreen(formsqt::Session& qt, const TempDir& dir, const std::string& name) {
    std::string path = dir.file(name);
    if (!qt.grabScreen(path)) return {};
    return forms::LoadPicture(path);
}

// The one Qt application of a test program, made before its first test and
// ended after its last: registered with
// ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen).
inline formsqt::Session* g_qtScreen = nullptr;
struct QtScreen : ::testing::Environment {
    void SetUp() override { g_qtScreen = new formsqt::Session; }
    void TearDown() override {
        delete g_qtScreen;
        g_qtScreen = nullptr;
    }
};
inline formsqt::Session& qtScreen() { return *g_qtScreen; }

// Whether the tools of the tests under a window manager are installed
// (scripts/setup installs both).
inline bool haveDesktopTools() { return haveProgram("openbox") && haveProgram("xdotool"); }

// The window manager of a test program and its one Qt session: openbox is
// started on the program's X server (where it and xdotool are installed),
// then the session, made after it so that Qt sees what the manager offers.
// Registered with ::testing::AddGlobalTestEnvironment(new testsupport::Desktop);
// the session is qtScreen().
struct Desktop : ::testing::Environment {
    int wm = 0;
    TempDir dir;
    void SetUp() override {
        if (haveDesktopTools()) {
            std::string ready = dir.file("ready");
            auto r = runCommand("openbox --sm-disable --startup 'touch " + ready + "' >/dev/null 2>&1 & echo $!");
            wm = std::atoi(r.output.c_str());
            for (int i = 0; i < 100 && !exists(ready); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        g_qtScreen = new formsqt::Session;
    }
    void TearDown() override {
        delete g_qtScreen;
        g_qtScreen = nullptr;
        if (wm > 0) ::kill(wm, SIGTERM);
    }
};

// Runs xdotool with these arguments; a failure fails the test.
inline void xdo(const std::string& args) {
    auto r = runCommand("xdotool " + args);
    ASSERT_EQ(r.status, 0) << args;
}

// The X window that holds the keyboard focus (0 when none or xdotool fails).
inline unsigned long keyboardWindow() {
    auto r = runCommand("xdotool getwindowfocus 2>/dev/null");
    return r.status == 0 ? std::strtoul(r.output.c_str(), nullptr, 10) : 0;
}

// Whether the window manager gave the form's window the keyboard focus.
inline bool hasKeyboard(formsqt::Session& qt, forms::Form& f) {
    unsigned long w = qt.nativeWindow(f);
    return w != 0 && keyboardWindow() == w;
}

// A control's name with its form's ("Form1.txtpath"), "none" for nullptr.
inline std::string nameOf(const forms::Control* c) { return c ? c->form().name() + "." + c->name() : "none"; }

// The form's window shows, holds the window manager's focus, and its
// control `first` holds the keyboard, in the model and on screen.
inline void expectKeyboardIn(formsqt::Session& qt, forms::Form& w, forms::Control& first) {
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(w); }, 3000));
    qt.waitUntil([&] { return qt.focusedControl() == &first; }, 3000);
    qt.processEvents(200);
    EXPECT_TRUE(hasKeyboard(qt, w)) << "the window manager's focus is elsewhere";
    EXPECT_EQ(nameOf(qt.focusedControl()), nameOf(&first));
    EXPECT_EQ(nameOf(w.activeControl()), nameOf(&first));
}

// A right click with the real pointer on the middle of the control opens
// its form's popup menu; the item of this name is chosen from it.
inline void chooseFromPopup(formsqt::Session& qt, forms::Control& c, const std::string& item) {
    int x = 0, y = 0;
    ASSERT_TRUE(qt.windowPosition(c.form(), x, y));
    const forms::PixelRect r = c.clientRectPixels();
    xdo("mousemove " + std::to_string(x + (r.left + r.right) / 2) + " " + std::to_string(y + (r.top + r.bottom) / 2));
    qt.processEvents(100);
    qt.onNextPopup([item] { return item; });
    xdo("click 3");
}

// The screen as a picture named name.png in DOVETUNE_SCREENSHOT_DIR, where
// that is set (for a look at a window as a test left it).
inline void keepScreen(formsqt::Session& qt, const std::string& name) {
    if (const char* dir = std::getenv("DOVETUNE_SCREENSHOT_DIR"); dir && *dir) qt.grabScreen(std::string(dir) + "/" + name + ".png");
}

// A drag with the real pointer's left button: pressed at (x, y) on the
// screen, moved in eight steps by (dx, dy), and let go.
inline void pointerDrag(formsqt::Session& qt, int x, int y, int dx, int dy) {
    xdo("mousemove " + std::to_string(x) + " " + std::to_string(y));
    qt.processEvents(200);
    xdo("mousedown 1");
    qt.processEvents(100);
    for (int step = 1; step <= 8; ++step) {
        xdo("mousemove " + std::to_string(x + dx * step / 8) + " " + std::to_string(y + dy * step / 8));
        qt.processEvents(40);
    }
    xdo("mouseup 1");
    qt.processEvents(400);
}

// A window dragged by its surface, as a user drags a skinned window: a
// plain click at (x, y) of its client area leaves it in place; a drag from
// there by 40 pixels right and down then moves it by 40, and the form knows
// its new place. Where clicks and ups are given (the form's counts of its
// Click and MouseUp events), the click raises one Click and the drag neither.
inline void expectClickStaysAndDragMoves(formsqt::Session& qt, forms::Form& f, int x, int y, int* clicks = nullptr,
                                         int* ups = nullptr) {
    int x0 = 0, y0 = 0;
    ASSERT_TRUE(qt.windowPosition(f, x0, y0));
    auto reset = [&] {
        if (clicks) *clicks = 0;
        if (ups) *ups = 0;
    };
    reset();
    xdo("mousemove " + std::to_string(x0 + x) + " " + std::to_string(y0 + y));
    qt.processEvents(100);
    xdo("click 1");
    if (clicks) qt.waitUntil([&] { return *clicks > 0; }, 1000);
    qt.processEvents(clicks ? 200 : 400);
    if (clicks) {
        EXPECT_EQ(*clicks, 1);
    }
    int x1 = 0, y1 = 0;
    ASSERT_TRUE(qt.windowPosition(f, x1, y1));
    EXPECT_EQ(x1, x0) << "a click moved the window";
    EXPECT_EQ(y1, y0) << "a click moved the window";
    qt.processEvents(600);  // past the double-click time: the next press is a press
    reset();
    pointerDrag(qt, x0 + x, y0 + y, 40, 40);
    ASSERT_TRUE(qt.windowPosition(f, x1, y1));
    EXPECT_EQ(x1, x0 + 40);
    EXPECT_EQ(y1, y0 + 40);
    if (ups) {
        EXPECT_EQ(*ups, 0);
    }
    if (clicks) {
        EXPECT_EQ(*clicks, 0);
    }
    EXPECT_EQ(f.left(), (x0 + 40 - f.clientOffsetX()) * 15.0f);
}

// The same for a form that counts its Click and MouseUp events in `clicks`
// and `ups`.
template <class F>
void expectClickStaysAndDragMoves(formsqt::Session& qt, F& f, int x, int y) {
    expectClickStaysAndDragMoves(qt, static_cast<forms::Form&>(f), x, y, &f.clicks, &f.ups);
}

}  // namespace testsupport
