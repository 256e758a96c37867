#include "forms/application.hpp"

#include <algorithm>

#include "forms/backend.hpp"
#include "forms/control_array.hpp"
#include "runtime/error.hpp"
#include "runtime/scheduler.hpp"

namespace forms {

Application& Application::instance() {
    // Never destroyed: forms may still be alive while static objects go.
    static Application* app = new Application;
    return *app;
}

Form* Application::find(std::type_index t) const {
    auto it = instances_.find(t);
    return it == instances_.end() ? nullptr : it->second.get();
}

void Application::adopt(std::type_index t, std::unique_ptr<Form> f) { instances_[t] = std::move(f); }

Form* Application::fromHwnd(std::int32_t hwnd) const {
    auto it = handles_.find(hwnd);
    return it == handles_.end() ? nullptr : it->second;
}

std::vector<Form*> Application::loadedForms() const { return loaded_; }

std::int32_t Application::newHandle(Form* f) {
    std::int32_t h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = f;
    return h;
}

void Application::releaseHandle(std::int32_t h) { handles_.erase(h); }

void Application::formLoaded(Form* f) {
    if (std::find(loaded_.begin(), loaded_.end(), f) == loaded_.end()) loaded_.push_back(f);
}

namespace {
void takeOut(std::vector<Form*>& v, Form* f) { v.erase(std::remove(v.begin(), v.end(), f), v.end()); }
}  // namespace

void Application::keepRetired(Form* f, bool destroying) {
    for (auto it = instances_.begin(); it != instances_.end(); ++it) {
        if (it->second.get() != f) continue;
        if (destroying)
            it->second.release();  // the form is being destroyed by its owner
        else
            retiredForms_.push_back(std::move(it->second));
        instances_.erase(it);
        return;
    }
}

void Application::formUnloaded(Form* f) {
    takeOut(loaded_, f);
    keepRetired(f, false);
    if (loaded_.empty()) endProgram();
}

void Application::formDiscarded(Form* f, bool destroying) {
    takeOut(loaded_, f);
    keepRetired(f, destroying);
}

void Application::endProgram() {
    if (ended_) return;
    ended_ = true;
    std::vector<Form*> forms = loaded_;
    for (Form* f : forms) f->discard();
    loaded_.clear();
    if (onEnd_) onEnd_();
    runtime::Scheduler::current().quit();
}

void Application::dispatch(Form* form, const std::function<void()>& fn) {
    ++depth_;
    if (form) ++form->busy_;
    struct Leave {
        Application& app;
        Form* form;
        ~Leave() {
            if (form) --form->busy_;
            if (--app.depth_ == 0 && !app.retired_.empty() && !app.flushQueued_) {
                app.flushQueued_ = true;
                runtime::Scheduler::current().defer([a = &app] {
                    a->flushQueued_ = false;
                    a->flushRetired();
                });
            }
        }
    } leave{*this, form};
    try {
        fn();
    } catch (const runtime::Error& e) {
        ++caught_;
        lastCaught_ = e.number();
    } catch (const ProgramEnd&) {
        if (depth_ > 1) throw;
        endProgram();
    }
}

Menu* Application::choosePopup(Form& f, Menu& m) {
    (void)f;
    return chooser_ ? chooser_(m) : nullptr;
}

void Application::retire(std::function<void()> release) {
    retired_.push_back(std::move(release));
    if (depth_ == 0 && !flushQueued_) {
        flushQueued_ = true;
        runtime::Scheduler::current().defer([this] {
            flushQueued_ = false;
            flushRetired();
        });
    }
}

void Application::flushRetired() {
    if (depth_ > 0) return;
    while (!retired_.empty()) {
        auto batch = std::move(retired_);
        retired_.clear();
        for (auto& release : batch) release();
    }
}

void Application::reset() {
    std::vector<std::unique_ptr<Form>> forms;
    for (auto& [t, f] : instances_) forms.push_back(std::move(f));
    instances_.clear();
    for (auto& f : forms) f->discard();
    forms.clear();
    std::vector<Form*> rest = loaded_;
    for (Form* f : rest) f->discard();
    loaded_.clear();
    auto retiredForms = std::move(retiredForms_);
    retiredForms_.clear();
    retiredForms.clear();
    handles_.clear();
    depth_ = 0;
    while (!retired_.empty()) {
        auto batch = std::move(retired_);
        retired_.clear();
        for (auto& release : batch) release();
    }
    flushQueued_ = false;
    ended_ = false;
    caught_ = 0;
    lastCaught_ = 0;
    chooser_ = nullptr;
    onEnd_ = nullptr;
}

void retireLater(std::function<void()> release) { Application::instance().retire(std::move(release)); }

Form* FromHwnd(std::int32_t hwnd) { return Application::instance().fromHwnd(hwnd); }

void End() {
    auto& app = Application::instance();
    if (app.handlerDepth() == 0) app.endProgram();
    throw ProgramEnd{};
}

void Dispatch(Form* form, const std::function<void()>& fn) { Application::instance().dispatch(form, fn); }

namespace Screen {
float Width() {
    Backend* b = Application::instance().backend();
    return static_cast<float>((b ? b->screenSize().width : ScreenSize{}.width) * TwipsPerPixel);
}
float Height() {
    Backend* b = Application::instance().backend();
    return static_cast<float>((b ? b->screenSize().height : ScreenSize{}.height) * TwipsPerPixel);
}
}  // namespace Screen

}  // namespace forms
