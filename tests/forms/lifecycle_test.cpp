// Life cycle of forms: load at first reference, Show, Hide, Unload, End, the
// program's end when no form is loaded, unloads held back during Form_Load,
// window handles, and errors caught at the dispatch.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "runtime/error.hpp"

namespace {

std::vector<std::string> g_log;

struct Second : forms::Form {
    forms::Label Label1{*this, "Label1"};
    Second() : Form("Second") {}
    void Form_Load() override { g_log.push_back("Second.Load"); }
    void Form_Unload(int&) override { g_log.push_back("Second.Unload"); }
};

struct First : forms::Form {
    forms::CommandButton Command1{*this, "Command1"};
    forms::Label Label1{*this, "Label1"};
    bool cancelUnload = false;
    bool unloadInLoad = false;
    First() : Form("First") {
        Label1.setCaption("design");
        Command1.Click = [] { g_log.push_back("Command1.Click"); };
    }
    void Form_Load() override {
        g_log.push_back("First.Load");
        if (unloadInLoad) {
            unload();
            g_log.push_back("First.Load continues");
        }
    }
    void Form_QueryUnload(int& Cancel, int UnloadMode) override {
        g_log.push_back("First.QueryUnload " + std::to_string(UnloadMode));
        if (cancelUnload) Cancel = 1;
    }
    void Form_Unload(int&) override { g_log.push_back("First.Unload"); }
    void Form_Resize() override { g_log.push_back("First.Resize"); }
};

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
    forms::TestEnvironment env;
};

TEST_F(Lifecycle, FirstReferenceLoadsWithoutShowing) {
    EXPECT_FALSE(forms::IsLoaded<Second>());
    EXPECT_EQ(forms::Get<Second>().Label1.caption(), "Label1");
    EXPECT_TRUE(forms::IsLoaded<Second>());
    EXPECT_FALSE(forms::Get<Second>().visible());
    EXPECT_EQ(g_log, (std::vector<std::string>{"Second.Load"}));
    EXPECT_NE(forms::Get<Second>().hWnd(), 0);
}

TEST_F(Lifecycle, ShowLoadsThenResizesAndShowingAgainBringsForward) {
    auto& f = forms::Get<First>();
    f.show();
    f.show();
    EXPECT_TRUE(f.visible());
    EXPECT_EQ(g_log, (std::vector<std::string>{"First.Load", "First.Resize"}));
    EXPECT_EQ(env.backend.lines("First front").size(), 1u);
}

TEST_F(Lifecycle, UnloadOfAFormNotLoadedDoesNothing) {
    forms::Unload<Second>();
    EXPECT_FALSE(forms::IsLoaded<Second>());
    EXPECT_TRUE(g_log.empty());
    EXPECT_FALSE(forms::Application::instance().ended());
}

TEST_F(Lifecycle, UnloadRunsQueryUnloadThenUnloadAndEndsTheProgramWhenNoneIsLeft) {
    forms::Get<First>().show();
    forms::Get<Second>();
    forms::Unload<First>();
    EXPECT_FALSE(forms::Application::instance().ended());
    forms::Unload<Second>();
    EXPECT_TRUE(forms::Application::instance().ended());
    EXPECT_EQ(g_log, (std::vector<std::string>{"First.Load", "First.Resize", "Second.Load", "First.QueryUnload 1",
                                               "First.Unload", "Second.Unload"}));
}

TEST_F(Lifecycle, CancelKeepsTheFormLoaded) {
    auto& f = forms::Get<First>();
    f.cancelUnload = true;
    EXPECT_FALSE(f.unload());
    EXPECT_TRUE(forms::IsLoaded<First>());
    f.cancelUnload = false;
    EXPECT_TRUE(f.userClose());
    EXPECT_EQ(g_log.back(), "First.Unload");
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "First.QueryUnload 0"), g_log.end());
}

TEST_F(Lifecycle, ReloadAfterUnloadStartsFromDesignValues) {
    forms::Get<First>().Label1.setCaption("changed");
    forms::Get<Second>();  // keeps the program alive
    forms::Unload<First>();
    env.scheduler.advance(1);  // the unloaded instance is released after the event
    EXPECT_EQ(forms::Get<First>().Label1.caption(), "design");
}

TEST_F(Lifecycle, UnloadDuringLoadIsHeldBackUntilLoadReturns) {
    First f;
    f.unloadInLoad = true;
    forms::Get<Second>();
    f.load();
    EXPECT_FALSE(f.isLoaded());
    EXPECT_EQ(g_log, (std::vector<std::string>{"Second.Load", "First.Load", "First.Load continues",
                                               "First.QueryUnload 1", "First.Unload"}));
}

TEST_F(Lifecycle, EndStopsTheHandlerAndEndsWithoutUnloadEvents) {
    auto& f = forms::Get<First>();
    f.Command1.Click = [] {
        g_log.push_back("before End");
        forms::End();
        g_log.push_back("after End");
    };
    f.show();
    f.Command1.click();
    EXPECT_TRUE(forms::Application::instance().ended());
    EXPECT_EQ(g_log.back(), "before End");
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "First.Unload"), 0);
}

TEST_F(Lifecycle, EndPassesThroughFailureIgnoringSteps) {
    auto& f = forms::Get<First>();
    f.Command1.Click = [] {
        runtime::Steps step;
        step([] { forms::End(); });
        g_log.push_back("after End");
    };
    f.show();
    f.Command1.click();
    EXPECT_TRUE(forms::Application::instance().ended());
    EXPECT_NE(g_log.back(), "after End");
}

TEST_F(Lifecycle, AnErrorEscapingAHandlerIsCaughtAtTheDispatch) {
    auto& f = forms::Get<First>();
    f.Command1.Click = [] { runtime::raise(runtime::err::FileNotFound); };
    f.show();
    f.Command1.click();
    EXPECT_EQ(forms::Application::instance().caughtErrors(), 1);
    EXPECT_EQ(forms::Application::instance().lastCaughtNumber(), 53);
    EXPECT_FALSE(forms::Application::instance().ended());
}

TEST_F(Lifecycle, HandlesAreStaleAfterUnload) {
    auto& f = forms::Get<First>();
    std::int32_t h = f.hWnd();
    EXPECT_EQ(forms::FromHwnd(h), &f);
    forms::Get<Second>();
    forms::Unload<First>();
    EXPECT_EQ(forms::FromHwnd(h), nullptr);
    EXPECT_EQ(forms::FromHwnd(12345), nullptr);
}

TEST_F(Lifecycle, DesignValuesRaiseNoEvents) {
    struct Designed : forms::Form {
        forms::CheckBox Check1{*this, "Check1"};
        int clicks = 0;
        Designed() : Form("Designed") {
            Check1.Click = [this] { ++clicks; };
            Check1.setValue(1);
        }
    } f;
    EXPECT_EQ(f.clicks, 0);
    f.load();
    f.Check1.setValue(0);
    EXPECT_EQ(f.clicks, 1);
}

}  // namespace
