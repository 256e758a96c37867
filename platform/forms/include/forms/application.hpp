#pragma once
// The program-wide side of the forms: one global instance per window class,
// loaded at the first reference; the window handles; the end of the program
// when no form is loaded (or at End); and the dispatch that runs every event
// handler, catching a runtime::Error that escapes it.
//
//     forms::Get<Form4>().hWnd();      // loads Form4 (not shown) at the first reference
//     forms::Get<Form2>().show();
//     forms::Unload<Form1>();          // nothing when Form1 is not loaded
//     forms::End();                    // ends the program at once
//
// Lifetime: an instance made by forms::Get stays allocated until the program
// ends (until reset() between tests), also after it is unloaded, so a Form&
// kept anywhere (a member, a lambda capture, a timer's handler) never dangles.
// An unloaded instance is retired: it never loads again, raises no events,
// and show(), hide() and its property writes do nothing. The next
// forms::Get<T>() after an unload makes a fresh instance from the design
// values. So keep a reference to reach a window only while it is loaded
// (check isLoaded() when it may have been unloaded since), and go through
// forms::Get<T>() at each use where the window must be loaded anew.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeindex>
#include <vector>

#include "forms/form.hpp"

namespace forms {

class Backend;

// Thrown by End(): unwinds every running handler to the outermost dispatch,
// which ends the program. Not a runtime::Error, so failure-ignoring steps let
// it pass.
class ProgramEnd {
public:
    int exitCode = 0;
};

class Application {
public:
    static Application& instance();

    // The backend that puts forms on screen (nullptr: none, headless).
    void setBackend(Backend* b) { backend_ = b; }
    Backend* backend() const { return backend_; }

    // The global instance of a window class, made and loaded at first use
    // (and made anew at the first use after an unload).
    template <class T>
    T& get() {
        if (Form* f = find(typeid(T))) return static_cast<T&>(*f);
        auto p = std::make_unique<T>();
        T& ref = *p;
        adopt(typeid(T), std::move(p));
        ref.load();
        return ref;
    }
    // The instance when it exists and is loaded; nullptr otherwise (no load).
    template <class T>
    T* ifLoaded() {
        Form* f = find(typeid(T));
        return f && f->isLoaded() ? static_cast<T*>(f) : nullptr;
    }

    Form* fromHwnd(std::int32_t hwnd) const;
    std::vector<Form*> loadedForms() const;

    // The program has ended (no form loaded any more, or End).
    bool ended() const { return ended_; }
    // Called when the program ends (the Qt backend quits its loop); the
    // current scheduler is told to quit as well.
    void setOnEnd(std::function<void()> fn) { onEnd_ = std::move(fn); }

    // Runs a handler: a runtime::Error escaping it is caught (and counted),
    // End() ends the program at the outermost dispatch.
    void dispatch(Form* form, const std::function<void()>& fn);
    int handlerDepth() const { return depth_; }
    int caughtErrors() const { return caught_; }
    int lastCaughtNumber() const { return lastCaught_; }
    // Popup menus without a backend: the test's chooser picks the item.
    void setPopupChooser(std::function<Menu*(Menu&)> fn) { chooser_ = std::move(fn); }

    // Releases an object after the current event (unloaded control-array
    // elements).
    void retire(std::function<void()> release);
    void flushRetired();

    // Drops every form without running its events and forgets the end of the
    // program (between tests).
    void reset();

    // ---- used by Form ----
    std::int32_t newHandle(Form* f);
    void releaseHandle(std::int32_t h);
    void formLoaded(Form* f);
    void formUnloaded(Form* f);   // may end the program
    // Dropped without events (End, or the form's destructor when destroying);
    // never ends the program.
    void formDiscarded(Form* f, bool destroying);
    void endProgram();
    Menu* choosePopup(Form& f, Menu& m);

private:
    Application() = default;
    Form* find(std::type_index t) const;
    void adopt(std::type_index t, std::unique_ptr<Form> f);
    // Moves an unloaded instance out of the live ones; it is kept (inert)
    // until the program ends, unless its owner is destroying it.
    void keepRetired(Form* f, bool destroying);

    Backend* backend_ = nullptr;
    std::map<std::type_index, std::unique_ptr<Form>> instances_;
    std::vector<std::unique_ptr<Form>> retiredForms_;  // unloaded, kept until reset()
    std::map<std::int32_t, Form*> handles_;
    std::vector<Form*> loaded_;
    std::vector<std::function<void()>> retired_;
    bool flushQueued_ = false;
    std::int32_t nextHandle_ = 0x10010;
    bool ended_ = false;
    int depth_ = 0;
    int caught_ = 0;
    int lastCaught_ = 0;
    std::function<void()> onEnd_;
    std::function<Menu*(Menu&)> chooser_;
};

template <class T>
T& Get() {
    return Application::instance().get<T>();
}
template <class T>
T* IfLoaded() {
    return Application::instance().ifLoaded<T>();
}
template <class T>
bool IsLoaded() {
    return IfLoaded<T>() != nullptr;
}
// Unload of a window class: nothing when it is not loaded (it is not loaded first).
template <class T>
void Unload() {
    if (T* f = IfLoaded<T>()) f->unload();
}
// The form with this window handle, or nullptr (a stale or invalid handle).
Form* FromHwnd(std::int32_t hwnd);
// End: the program ends at once, without unload events.
[[noreturn]] void End();
// Runs fn as an event handler of form (nullptr: of no form), with the dispatch's
// error handling: for events of other libraries (media, sockets) raised on a form.
void Dispatch(Form* form, const std::function<void()>& fn);

// The Screen object: twips per pixel and the screen's size in twips.
namespace Screen {
inline constexpr float TwipsPerPixelX = TwipsPerPixel;
inline constexpr float TwipsPerPixelY = TwipsPerPixel;
float Width();
float Height();
}  // namespace Screen

}  // namespace forms
