// What is left of a form after it is unloaded: the instance stays allocated
// and inert until the program ends, never loads again, and a reference kept
// to it can still be touched safely; forms::Get makes a fresh instance.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"

namespace {

std::vector<std::string> g_log;

int count(const std::string& line) { return static_cast<int>(std::count(g_log.begin(), g_log.end(), line)); }

// The main window's start-up when its skin cannot be read: a box, then it
// unloads itself from Form_Load.
struct Damaged : forms::Form {
    Damaged() : Form("Damaged") {}
    void Form_Load() override {
        g_log.push_back("Damaged.Load");
        forms::MsgBox("Skin is Damaged or Changed Can Not Load");
        unload();
    }
    void Form_Unload(int&) override { g_log.push_back("Damaged.Unload"); }
};

// Keeps the program running while another form unloads.
struct Keeper : forms::Form {
    forms::Timer Timer1{*this, "Timer1"};
    Keeper() : Form("Keeper") {}
};

struct Child : forms::Form {
    forms::CommandButton Command1{*this, "Command1"};
    forms::Label Label1{*this, "Label1"};
    forms::Timer Timer1{*this, "Timer1"};
    bool unloadOnTick = false;
    Child() : Form("Child") {
        Label1.setCaption("design");
        Timer1.setInterval(100);
        Command1.Click = [this] {
            g_log.push_back("Command1.Click");
            unload();
        };
        Label1.Click = [] { g_log.push_back("Label1.Click"); };
        Timer1.Tick = [this] {
            g_log.push_back("Timer1.Tick");
            Label1.setCaption("ticked");
            if (unloadOnTick) unload();
            // The rest of the handler still runs on the unloaded instance.
            Label1.setCaption("after unload");
        };
    }
    void Form_Load() override { g_log.push_back("Child.Load"); }
    void Form_Resize() override { g_log.push_back("Child.Resize"); }
    void Form_Activate() override { g_log.push_back("Child.Activate"); }
    void Form_Unload(int&) override { g_log.push_back("Child.Unload"); }
};

class UnloadedForm : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
    forms::Application& app() { return forms::Application::instance(); }
    forms::TestEnvironment env;
};

TEST_F(UnloadedForm, AFormUnloadingItselfInLoadShowsOneBoxAndEndsTheProgramOnce) {
    env.dialogs.answerMessageBox(forms::vbOK);
    int ends = 0;
    app().setOnEnd([&] { ++ends; });
    EXPECT_NO_THROW(forms::Get<Damaged>().show());
    ASSERT_EQ(env.dialogs.shown().size(), 1u);
    EXPECT_EQ(env.dialogs.shown()[0].message.prompt, "Skin is Damaged or Changed Can Not Load");
    EXPECT_EQ(g_log, (std::vector<std::string>{"Damaged.Load", "Damaged.Unload"}));
    EXPECT_TRUE(app().ended());
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(app().loadedForms().empty());
    EXPECT_FALSE(forms::IsLoaded<Damaged>());
    EXPECT_TRUE(env.backend.lines("Damaged visible").empty());
}

TEST_F(UnloadedForm, ARetiredInstanceNeverLoadsAndIgnoresShowHideAndWrites) {
    struct Case {
        const char* what;
        std::function<void(Child&)> touch;
    };
    const std::vector<Case> cases = {
        {"show", [](Child& f) { f.show(); }},
        {"hide", [](Child& f) { f.hide(); }},
        {"setVisible", [](Child& f) { f.setVisible(true); }},
        {"load", [](Child& f) { f.load(); }},
        {"caption", [](Child& f) { f.setCaption("x"); }},
        {"move", [](Child& f) { f.move(10, 20, 3000, 2000); }},
        {"windowState", [](Child& f) { f.setWindowState(forms::vbMaximized); }},
        {"topmost", [](Child& f) { f.setTopmost(true); }},
        {"zOrder", [](Child& f) { f.zOrder(0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forms::Application::instance().reset();
        forms::Application::instance().setBackend(&env.backend);
        env.backend.clearLog();
        g_log.clear();
        forms::Get<Keeper>();
        Child& f = forms::Get<Child>();
        f.show();
        const std::string caption = f.caption();
        const float left = f.left(), width = f.width();
        f.unload();
        ASSERT_FALSE(f.isLoaded());
        env.backend.clearLog();
        g_log.clear();
        c.touch(f);
        EXPECT_TRUE(g_log.empty());
        EXPECT_FALSE(f.isLoaded());
        EXPECT_FALSE(f.visible());
        EXPECT_FALSE(forms::IsLoaded<Child>());
        EXPECT_TRUE(env.backend.lines("Child").empty());
        EXPECT_EQ(f.caption(), caption);
        EXPECT_EQ(f.left(), left);
        EXPECT_EQ(f.width(), width);
        EXPECT_EQ(f.windowState(), forms::vbNormal);
        EXPECT_FALSE(f.topmost());
        EXPECT_FALSE(app().ended());
    }
}

// Run under the asan preset: the kept references are touched after the event
// that unloaded the form has ended and its retired objects were released.
TEST_F(UnloadedForm, AReferenceKeptAcrossAnUnloadIsSafeAndHasNoEffect) {
    Child& kept = forms::Get<Child>();
    Keeper& keeper = forms::Get<Keeper>();
    // Another window's timer holds the form too, as the player's windows do.
    keeper.Timer1.setInterval(50);
    keeper.Timer1.Tick = [&kept] {
        kept.Label1.setCaption("from Keeper");
        kept.Command1.click();
        kept.show();
    };
    kept.show();
    kept.Command1.click();  // unloads the form from its own event
    EXPECT_FALSE(forms::IsLoaded<Child>());
    env.scheduler.advance(1);  // the event is over; retired objects released
    g_log.clear();
    env.backend.clearLog();

    kept.Command1.click();
    kept.Label1.click();
    kept.Label1.setCaption("touched");
    kept.show();
    kept.hide();
    kept.typeKey(forms::vbKeyReturn, 0, 13);
    EXPECT_EQ(kept.hWnd(), 0);
    env.scheduler.advance(200);  // Keeper's timer touches it as well
    EXPECT_TRUE(g_log.empty());
    EXPECT_TRUE(env.backend.lines("Child").empty());
    EXPECT_FALSE(kept.isLoaded());
    EXPECT_FALSE(forms::IsLoaded<Child>());
    EXPECT_FALSE(app().ended());

    // The next reference makes a fresh instance; the kept one stays inert.
    Child& fresh = forms::Get<Child>();
    EXPECT_NE(&fresh, &kept);
    EXPECT_TRUE(fresh.isLoaded());
    EXPECT_EQ(fresh.Label1.caption(), "design");
    EXPECT_FALSE(kept.isLoaded());
}

TEST_F(UnloadedForm, UnloadedFromItsOwnTimerThenShownAgainThroughGet) {
    forms::Get<Keeper>();
    Child& first = forms::Get<Child>();
    first.unloadOnTick = true;
    first.show();
    env.scheduler.advance(100);
    EXPECT_FALSE(forms::IsLoaded<Child>());
    EXPECT_FALSE(first.Timer1.running());
    env.scheduler.advance(500);
    EXPECT_EQ(count("Timer1.Tick"), 1);
    EXPECT_EQ(count("Child.Unload"), 1);

    g_log.clear();
    Child& again = forms::Get<Child>();
    again.show();
    EXPECT_TRUE(again.isLoaded());
    EXPECT_TRUE(again.visible());
    EXPECT_EQ(again.Label1.caption(), "design");
    EXPECT_FALSE(again.unloadOnTick);
    EXPECT_EQ(g_log, (std::vector<std::string>{"Child.Load", "Child.Resize", "Child.Activate"}));
    env.scheduler.advance(250);
    EXPECT_EQ(count("Timer1.Tick"), 2);
    EXPECT_TRUE(again.isLoaded());
    EXPECT_FALSE(first.isLoaded());
}

}  // namespace
