#pragma once
// Test doubles for windows driven without a display: a backend that records
// what the window system was asked to do, and an environment that installs a
// manual scheduler, scripted dialogs and an in-memory clipboard for the
// lifetime of a test and drops every form afterwards.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/application.hpp"
#include "forms/backend.hpp"
#include "forms/clipboard.hpp"
#include "forms/dialogs.hpp"
#include "runtime/scheduler.hpp"

namespace forms {

// Records one line per window-system request: "Form2 visible 1",
// "Form2 opacity 128", "Form2 topmost 1", "Form2 region 12", "Form2 move",
// "Form2 popup mnupopup", "Form2 focus List2", "Form2 geometry 1000 1000 4215 8055".
class RecordingBackend : public Backend {
public:
    std::unique_ptr<FormPeer> createPeer(Form& form) override;
    ScreenSize screenSize() const override { return screen; }

    const std::vector<std::string>& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // Lines that start with the prefix.
    std::vector<std::string> lines(std::string_view prefix) const;
    // The popup menu's answer: the item to choose (nullptr: dismissed).
    std::function<Menu*(Menu&)> choosePopup;
    ScreenSize screen{1920, 1080};

private:
    friend class RecordingPeer;
    std::vector<std::string> log_;
};

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    runtime::ManualScheduler scheduler;
    ScriptedDialogs dialogs;
    MemoryClipboard clipboard;
    RecordingBackend backend;
};

}  // namespace forms
