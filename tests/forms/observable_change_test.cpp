// What the scheduler hears of as an observable change of a window: every
// change the model sends to the window system, and never a property written
// again with the value it holds (a clock or a meter rewritten on every tick).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "runtime/scheduler.hpp"

namespace {

// A manual scheduler that counts what it is told.
struct HearingScheduler : runtime::ManualScheduler {
    int changes = 0;
    void noteChange() override { ++changes; }
};

struct Panel : forms::Form {
    forms::Label Label1{*this, "Label1"};
    forms::ProgressBar pr1{*this, "pr1"};
    forms::Image Image1{*this, "Image1"};
    forms::CommandButton Command1{*this, "Command1"};
    forms::TextBox Text1{*this, "Text1"};
    forms::Menu mnuFile{*this, "mnuFile", "File"};
    Panel() : Form("Panel") {
        Label1.setCaption(" Remain 3 : 5");
        pr1.setValue(40);
    }
};

struct Case {
    const char* what;
    std::function<void(Panel&)> write;
    bool heard;
};

TEST(ObservableChange, TheSchedulerHearsOfWhatReachesTheScreenAndOfNoRewriteOfAValue) {
    const std::vector<Case> cases = {
        {"a caption rewritten", [](Panel& f) { f.Label1.setCaption(" Remain 3 : 5"); }, false},
        {"a new caption", [](Panel& f) { f.Label1.setCaption(" Remain 3 : 4"); }, true},
        {"a bar's value rewritten", [](Panel& f) { f.pr1.setValue(40); }, false},
        {"a bar's maximum rewritten", [](Panel& f) { f.pr1.setMax(100); }, false},
        {"a bar's minimum rewritten", [](Panel& f) { f.pr1.setMin(0); }, false},
        {"a bar's new value", [](Panel& f) { f.pr1.setValue(41); }, true},
        {"a bar's new maximum", [](Panel& f) { f.pr1.setMax(127); }, true},
        {"a picture shown again", [](Panel& f) { f.Image1.setVisible(true); }, false},
        {"a picture hidden", [](Panel& f) { f.Image1.setVisible(false); }, true},
        {"a button disabled", [](Panel& f) { f.Command1.setEnabled(false); }, true},
        {"the window's caption", [](Panel& f) { f.setCaption("Panel 2"); }, true},
        {"a menu item's caption", [](Panel& f) { f.mnuFile.setCaption("&File"); }, true},
        {"the focus moved", [](Panel& f) { f.Text1.setFocus(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forms::TestEnvironment env;
        HearingScheduler scheduler;
        runtime::Scheduler::setCurrent(&scheduler);
        auto& f = forms::Get<Panel>();
        f.show();
        scheduler.changes = 0;
        c.write(f);
        EXPECT_EQ(scheduler.changes > 0, c.heard);
        forms::Application::instance().reset();
    }
}

}  // namespace
