#pragma once
// Forms on screen through Qt 6 Widgets. A program's main() calls run() with
// the code that shows its first form:
//
//     int main(int argc, char** argv) {
//         runtime::App::init(argc, argv);
//         return formsqt::run(argc, argv, [] { forms::Get<Form1>().show(); });
//     }
//
// run() makes the Qt application and installs the Qt scheduler (timers and
// socket readiness on the Qt event loop), the backend (each form a top-level
// window, each control a widget at its twips position, 15 twips to a pixel),
// the Qt dialogs and the system clipboard; it returns when the program ends
// (no form loaded any more, or End).
//
// No Qt header is needed to use this one.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/picture.hpp"

namespace forms {
class Control;
class Form;
}  // namespace forms

namespace formsqt {

int run(int& argc, char** argv, const std::function<void()>& start);

// The same installation for smoke tests and tools, without entering the loop
// for good: the loop runs in slices.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs the Qt event loop for about ms milliseconds.
    void processEvents(int ms);
    // Runs the loop until pred() holds or timeoutMs pass; returns pred().
    bool waitUntil(const std::function<bool()>& pred, int timeoutMs);
    // A real mouse click (press and release of the left button, or of the
    // given button bit) at the middle of the control's widget, delivered
    // through Qt's event path; held: the button bits already held down
    // meanwhile. False when the control has no widget.
    bool click(forms::Control& c, int button = 1, int held = 0);
    // A press and release at a point of the form's client area (pixels); the
    // pointer is first moved there, as for a user's click (a popup menu opens
    // at the pointer).
    bool clickForm(forms::Form& f, int x, int y, int button = 1, int held = 0);
    // A double click of the left button (press, release, the second press
    // as a double click, release), at the middle of the control's widget or
    // at a point of the form's client area.
    bool doubleClick(forms::Control& c);
    bool doubleClickForm(forms::Form& f, int x, int y);
    // A click (twice: a double click) on line i of a list box, with the left
    // button or the given one.
    bool clickLine(forms::Control& list, long i, bool twice = false, int button = 1);
    // Drops files on the control (at the middle of its widget) or on the
    // form (at the middle of its client area) as a file manager does, through
    // Qt's drag-and-drop events: enter, move, then the drop when the enter was
    // accepted. Each entry is a local path, or a URL when it holds "://"
    // (which a drop delivers as no file). Returns the effect the window
    // answered (0 none, 1 copy, 2 move), or -1 when there is no widget.
    int dropFiles(forms::Control& c, const std::vector<std::string>& paths);
    int dropFiles(forms::Form& f, const std::vector<std::string>& paths);
    // Turns the mouse wheel over a point of the form's client area by a
    // number of notches (above 0: away from the user).
    bool wheel(forms::Form& f, int x, int y, int notches);
    // A key press and release sent to the form's focused widget (or its
    // window): the key code as the original numbers keys, the shift bits, and
    // the character it types ("" for none).
    bool pressKey(forms::Form& f, int keyCode, int shift = 0, const std::string& text = {});
    // The control whose widget holds the keyboard focus of the application,
    // or nullptr (no control's widget has it).
    forms::Control* focusedControl() const;
    // The icon the form's window carries (no picture when it has none).
    forms::Picture windowIcon(forms::Form& f) const;
    // A message or input box as the session answered it.
    struct ShownBox {
        std::string title;
        std::string text;
        std::string fontFamily;  // the face its text is set in
        double pointSize = 0;
    };
    // The last box answered through answerNextMessageBox or answerNextInputBox.
    std::optional<ShownBox> lastBox() const;
    // The next message box shown is answered with this vbYes/vbNo/vbOK... answer.
    void answerNextMessageBox(int answer);
    // The next input box shown is answered with this text (nullopt: Cancel).
    void answerNextInputBox(std::optional<std::string> text);
    // The whole screen as a PNG file; false when it cannot be grabbed.
    bool grabScreen(const std::string& pngPath);
    // The control's widget as it draws itself (no picture when it has none).
    forms::Picture grabControl(forms::Control& c);
    // The width in pixels of text set in the font the control's widget shows
    // (-1 when the control has no widget).
    int textWidth(forms::Control& c, const std::string& text) const;
    // Whether the control's widget shows its horizontal and vertical scroll
    // bars; false when it has none or no widget.
    bool scrollBarsShown(forms::Control& c, bool& horizontal, bool& vertical) const;
    // The lines a list box's widget shows, top to bottom (none without a
    // widget).
    std::vector<std::string> listLines(forms::Control& list) const;
    // The lines of a list box's widget that show in its viewport, wholly or
    // in part (their indexes, top to bottom), and the line its widget holds
    // as current (-1 for none or no widget).
    std::vector<long> linesInView(forms::Control& list) const;
    long listCurrentRow(forms::Control& list) const;
    // The platform plugin in use ("offscreen", "xcb" ...).
    std::string platformName() const;
    // Whether the form's window is shown on screen (not only in the model).
    bool windowShown(forms::Form& f) const;
    // The native window that shows the form now (its X window id under xcb);
    // 0 when it has none.
    unsigned long nativeWindow(forms::Form& f) const;
    // The outer window's position on the screen, in pixels (for screen grabs).
    bool windowPosition(forms::Form& f, int& x, int& y) const;
    // The next popup menu a form shows (Form::popupMenu, whose QMenu::exec
    // blocks inside the handler) runs fn once it is on screen and painted: fn
    // may grab the screen, and returns the name of the item to choose (the
    // item's Click runs after the menu has closed, as a user's choice) or ""
    // to dismiss the menu with Escape. A name the menu does not hold dismisses
    // it too.
    void onNextPopup(std::function<std::string()> fn);

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace formsqt
