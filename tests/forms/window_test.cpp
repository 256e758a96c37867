// Geometry in twips and the pixel scale, the fixed frame metrics, window
// effects (opacity, stay on top, region, system move), key routing, focus
// order and timers on the virtual clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "runtime/error.hpp"

namespace {

std::vector<std::string> g_log;

struct Framed : forms::Form {
    forms::Menu mnupopup{*this, "mnupopup", "mnupopup"};
    forms::Menu mnuadd{mnupopup, "mnuadd", "Add"};
    forms::Menu mnuexit{mnupopup, "mnuexit", "Exit"};
    forms::Menu mnuhome{mnupopup, "mnuhome", "Home Page"};
    forms::Label Label1{*this, "Label1"};
    forms::TextBox Text1{*this, "Text1"};
    forms::CommandButton Command2{*this, "Command2"};
    forms::CommandButton Command9{*this, "Command9"};
    forms::CheckBox Check1{*this, "Check1"};
    forms::Timer Timer1{*this, "Timer1"};
    forms::Timer Timer2{*this, "Timer2"};
    Framed() : Form("Framed") {
        setClientSize(4080, 7290);
        mnuadd.setShortcut(forms::fKey(5));
        mnuexit.setShortcut(forms::fKey(8));
        mnuhome.setShortcut({forms::vbKeyBack, forms::vbAltMask});
        mnuadd.Click = [] { g_log.push_back("mnuadd"); };
        mnuexit.Click = [] { g_log.push_back("mnuexit"); };
        mnuhome.Click = [] { g_log.push_back("mnuhome"); };
        Label1.setCaption("&Volume");
        Command2.setCaption("Pl&ay");
        Command2.Click = [] { g_log.push_back("Command2.Click"); };
        Command9.setCaption("&Mute");
        Command9.move(9000, 9000);  // outside the visible area, still reachable by its key
        Command9.Click = [] { g_log.push_back("Command9.Click"); };
        Check1.setCaption("&Repeat");
        Text1.GotFocus = [] { g_log.push_back("Text1.GotFocus"); };
        Text1.LostFocus = [] { g_log.push_back("Text1.LostFocus"); };
        Text1.KeyPress = [](int& k) { g_log.push_back("Text1.KeyPress " + std::to_string(k)); };
        Command2.GotFocus = [] { g_log.push_back("Command2.GotFocus"); };
        Timer1.setInterval(10);
        Timer1.Tick = [] { g_log.push_back("Timer1"); };
        Timer2.setInterval(25);
        Timer2.Tick = [] { g_log.push_back("Timer2"); };
    }
    bool eatPlus = false;
    void Form_KeyPress(int& KeyAscii) override {
        g_log.push_back("Form_KeyPress " + std::to_string(KeyAscii));
        if (eatPlus && KeyAscii == '+') KeyAscii = 0;
    }
};

struct Borderless : forms::Form {
    Borderless() : Form("Borderless") {
        setBorderStyle(forms::BorderStyle::None);
        setClientSize(8070, 7305);
    }
};

struct Downloader : forms::Form {
    forms::Label Label3{*this, "Label3"};
    forms::CommandButton cmdRun{*this, "cmdRun"};
    forms::CommandButton Command3{*this, "Command3"};
    forms::TextBox txtHead{*this, "txtHead"};
    forms::CommandButton Command1{*this, "Command1"};
    int resizes = 0;
    Downloader() : Form("Downloader") {
        setClientSize(11280, 8055);
        setMaxButton(false);
        // Side by side, so that none covers another.
        float left = 120;
        for (forms::Control* c : std::initializer_list<forms::Control*>{&Label3, &cmdRun, &Command3, &txtHead, &Command1}) {
            c->setLeft(left);
            left += 1500;
        }
        cmdRun.setTabIndex(0);
        Command3.setTabIndex(1);
        txtHead.setTabIndex(2);
        Command1.setTabIndex(3);
        cmdRun.setEnabled(false);
    }
    void Form_Resize() override {
        ++resizes;
        runtime::Steps step;
        step([&] { setHeight(8505); });
        step([&] { setWidth(11385); });
    }
};

class Window : public ::testing::Test {
protected:
    void SetUp() override { g_log.clear(); }
    forms::TestEnvironment env;
};

TEST_F(Window, OuterAndClientSizesFollowTheFrameMetrics) {
    auto& f = forms::Get<Framed>();
    EXPECT_EQ(f.width(), 4215);   // sizable frame
    EXPECT_EQ(f.height(), 8055);  // frame, title bar and menu bar
    EXPECT_EQ(f.scaleWidth(), 4080);
    EXPECT_EQ(f.scaleHeight(), 7290);
    f.setWidth(5000);
    EXPECT_EQ(f.clientWidthTwips(), 5000 - 135);
    auto& b = forms::Get<Borderless>();
    EXPECT_EQ(b.width(), 8070);
    EXPECT_EQ(b.height(), 7305);
    EXPECT_EQ(b.clientOffsetX(), 0);
}

TEST_F(Window, PixelScaleChangesWhatPositionsRead) {
    auto& f = forms::Get<Framed>();
    f.Label1.move(1500, 300, 750, 150);
    f.setScaleMode(forms::vbPixels);
    EXPECT_EQ(f.Label1.left(), 100);
    EXPECT_EQ(f.Label1.top(), 20);
    EXPECT_EQ(f.scaleWidth(), 272);
    EXPECT_EQ(f.scaleX(f.width(), forms::vbTwips, forms::vbPixels), 281);
    f.Label1.setLeft(10);
    EXPECT_EQ(f.Label1.leftTwips(), 150);
    EXPECT_EQ(f.width(), 4215);  // the form's own Width stays in twips
}

TEST_F(Window, SizeLockSnapsBackAndFailsHarmlesslyWhileMinimised) {
    auto& f = forms::Get<Downloader>();
    f.show();
    EXPECT_EQ(f.width(), 11385);
    EXPECT_EQ(f.height(), 8505);
    f.userResized(5000, 5000);
    EXPECT_EQ(f.width(), 11385);
    EXPECT_EQ(f.height(), 8505);
    f.setWindowState(forms::vbMinimized);
    EXPECT_EQ(f.width(), 11385);
    try {
        f.setWidth(100);
        FAIL() << "sizing a minimised form must fail";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 384);
    }
    f.setWindowState(forms::vbNormal);
    EXPECT_EQ(f.height(), 8505);
}

TEST_F(Window, FocusStartsOnTheFirstEnabledControlInTabOrder) {
    auto& f = forms::Get<Downloader>();
    EXPECT_EQ(f.cmdRun.tabIndex(), 0);
    EXPECT_EQ(f.Label3.tabIndex(), 4);
    f.show();
    EXPECT_EQ(f.activeControl(), &f.Command3);
    f.tabToNext();
    EXPECT_EQ(f.activeControl(), &f.txtHead);
    f.tabToNext();
    f.tabToNext();  // Label3 cannot hold the focus, cmdRun is disabled
    EXPECT_EQ(f.activeControl(), &f.Command3);
    f.tabToNext(true);
    EXPECT_EQ(f.activeControl(), &f.Command1);
}

// Tab passes over a control placed beyond the client area, also one inside a
// picture box that lies beyond it; a control partly inside still takes it.
struct Offside : forms::Form {
    forms::CommandButton Inside{*this, "Inside"};
    forms::CommandButton Below{*this, "Below"};
    forms::CommandButton Partly{*this, "Partly"};
    forms::PictureBox Box{*this, "Box"};
    forms::CommandButton InBox{Box, "InBox"};
    Offside() : Form("Offside") {
        setClientSize(4000, 3000);
        Inside.move(120, 120, 1200, 375);
        Below.move(120, 3120, 1200, 375);
        Partly.move(3500, 2800, 1200, 375);
        Box.move(4200, 120, 1500, 1500);
        Box.setTabStop(false);
        InBox.move(60, 60, 900, 375);
    }
};

TEST_F(Window, TabPassesOverControlsBeyondTheClientArea) {
    auto& f = forms::Get<Offside>();
    f.show();
    EXPECT_TRUE(f.takesTab(f.Inside));
    EXPECT_TRUE(f.takesTab(f.Partly));
    EXPECT_FALSE(f.takesTab(f.Below));
    EXPECT_FALSE(f.takesTab(f.InBox));
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        f.tabToNext();
        seen.push_back(f.activeControl() ? f.activeControl()->name() : "");
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Partly", "Inside", "Partly", "Inside"}));
    f.Below.setFocus();  // code may still focus it
    EXPECT_EQ(f.activeControl(), &f.Below);
}

// A panel shown over a column of boxes, as the tag editor's side panels lie
// over its ID3v2 fields: Tab and the first focus pass over what it covers
// wholly, also inside a container it covers, and over what lies beyond the
// client area or beyond its own container.
struct Panels : forms::Form {
    forms::PictureBox Back{*this, "Back"};  // the whole client area, drawn beneath the rest
    forms::CommandButton Beyond{*this, "Beyond"};
    forms::TextBox Under{*this, "Under"};
    forms::TextBox Edge{*this, "Edge"};
    forms::PictureBox Holder{*this, "Holder"};
    forms::TextBox Inner{Holder, "Inner"};
    forms::TextBox OutOfHolder{Holder, "OutOfHolder"};
    forms::CommandButton Plain{*this, "Plain"};
    forms::Label LabelOver{*this, "LabelOver"};  // drawn on the surface, beneath every box
    forms::PictureBox Panel{*this, "Panel"};
    forms::CommandButton InPanel{Panel, "InPanel"};
    Panels() : Form("Panels") {
        setClientSize(4000, 3000);
        Back.move(0, 0, 4000, 3000);
        Beyond.move(4200, 100, 900, 375);
        Panel.move(2000, 200, 1800, 2400);
        Under.move(2100, 300, 1200, 285);      // wholly under the panel
        Edge.move(1500, 700, 1000, 285);       // half under it
        Holder.move(2100, 1200, 1500, 800);    // under it, with what it holds
        Inner.move(60, 60, 900, 285);
        OutOfHolder.move(1600, 60, 600, 285);  // beyond the holder's right edge
        Plain.move(100, 2000, 900, 375);
        LabelOver.move(50, 1950, 1200, 500);
        InPanel.move(100, 100, 900, 375);
        for (forms::PictureBox* p : {&Back, &Holder, &Panel}) p->setTabStop(false);
    }
};

TEST_F(Window, TabAndTheFirstFocusPassOverWhatIsCoveredOrBeyond) {
    struct Case {
        const char* control;
        bool panelHidden, panelShown;
    };
    const Case cases[] = {
        {"Beyond", false, false}, {"Under", true, false},       {"Edge", true, true},   {"Inner", true, false},
        {"OutOfHolder", false, false}, {"Plain", true, true}, {"InPanel", false, true},
    };
    for (bool shown : {false, true}) {
        auto& f = forms::Get<Panels>();
        f.Panel.setVisible(shown);
        f.show();
        for (const Case& k : cases)
            for (forms::Control* c : f.controls()) {
                if (c->name() != k.control) continue;
                EXPECT_EQ(f.takesTab(*c), shown ? k.panelShown : k.panelHidden) << k.control << (shown ? " under the panel" : "");
            }
        // The first stop takes the focus when the form shows; Tab goes round the others.
        std::vector<std::string> seen{f.activeControl() ? f.activeControl()->name() : ""};
        for (int i = 0; i < 5; ++i) {
            f.tabToNext();
            seen.push_back(f.activeControl()->name());
        }
        const std::vector<std::string> want =
            shown ? std::vector<std::string>{"Edge", "Plain", "InPanel", "Edge", "Plain", "InPanel"}
                  : std::vector<std::string>{"Under", "Edge", "Inner", "Plain", "Under", "Edge"};
        EXPECT_EQ(seen, want) << (shown ? "under the panel" : "bare");
        f.unload();
    }
    // Brought above the shown panel, a box takes Tab again.
    auto& f = forms::Get<Panels>();
    f.show();
    ASSERT_FALSE(f.takesTab(f.Under));
    f.Under.zOrder(0);
    EXPECT_TRUE(f.takesTab(f.Under));
}

TEST_F(Window, SetFocusOnAHiddenFormOrControlIsError5) {
    auto& f = forms::Get<Framed>();
    try {
        f.Text1.setFocus();
        FAIL();
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), 5);
    }
    f.show();
    f.Text1.setFocus();
    g_log.clear();
    f.Text1.setVisible(false);  // the focus moves on
    EXPECT_NE(f.activeControl(), &f.Text1);
    EXPECT_EQ(g_log.front(), "Text1.LostFocus");
}

TEST_F(Window, AButtonClickMovesTheFocusBeforeItsClick) {
    auto& f = forms::Get<Framed>();
    f.show();
    f.Text1.setFocus();
    g_log.clear();
    f.Command2.click();
    EXPECT_EQ(g_log, (std::vector<std::string>{"Text1.LostFocus", "Command2.GotFocus", "Command2.Click"}));
}

TEST_F(Window, KeysGoToAcceleratorsThenAccessKeysThenPreviewThenTheControl) {
    auto& f = forms::Get<Framed>();
    f.show();
    f.Text1.setFocus();
    f.setKeyPreview(true);
    g_log.clear();
    struct Case {
        int code, shift, ascii;
        std::vector<std::string> expect;
    };
    std::vector<Case> cases = {
        {forms::vbKeyF(5), 0, 0, {"mnuadd"}},
        {forms::vbKeyBack, forms::vbAltMask, 0, {"mnuhome"}},
        {'A', forms::vbAltMask, 0, {"Text1.LostFocus", "Command2.GotFocus", "Command2.Click"}},
        {'M', forms::vbAltMask, 0, {"Command9.Click"}},
        {'4', 0, '4', {"Form_KeyPress 52"}},
    };
    for (auto& c : cases) {
        g_log.clear();
        f.typeKey(c.code, c.shift, c.ascii);
        EXPECT_EQ(g_log, c.expect) << c.code;
    }
    // Alt+V on the label moves the focus to the control after it; Alt+R ticks the box.
    f.typeKey('V', forms::vbAltMask);
    EXPECT_EQ(f.activeControl(), &f.Text1);
    f.typeKey('R', forms::vbAltMask);
    EXPECT_EQ(f.Check1.value(), 1);
    // With the preview on, the form sees a character before the box, and can drop it.
    f.Text1.setFocus();
    f.Text1.setText("");
    g_log.clear();
    f.typeKey('X', 0, 'x');
    EXPECT_EQ(g_log, (std::vector<std::string>{"Form_KeyPress 120", "Text1.KeyPress 120"}));
    EXPECT_EQ(f.Text1.text(), "x");
    f.eatPlus = true;
    f.typeKey(107, 0, '+');
    EXPECT_EQ(f.Text1.text(), "x");
    // Preview off: the box alone.
    f.setKeyPreview(false);
    g_log.clear();
    f.typeKey('Y', 0, 'y');
    EXPECT_EQ(g_log, (std::vector<std::string>{"Text1.KeyPress 121"}));
}

TEST_F(Window, DisabledMenuItemsIgnoreTheirShortcut) {
    auto& f = forms::Get<Framed>();
    f.show();
    f.mnuexit.setEnabled(false);
    g_log.clear();
    EXPECT_EQ(f.findShortcut(forms::vbKeyF(8), 0), nullptr);
    f.typeKey(forms::vbKeyF(8));
    EXPECT_TRUE(g_log.empty());
}

TEST_F(Window, TimersTickInOrderOnTheVirtualClock) {
    auto& f = forms::Get<Framed>();
    env.scheduler.advance(50);
    EXPECT_EQ(g_log, (std::vector<std::string>{"Timer1", "Timer1", "Timer2", "Timer1", "Timer1", "Timer1", "Timer2"}));
    g_log.clear();
    f.Timer1.setEnabled(false);
    env.scheduler.advance(100);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "Timer1"), 0);
    g_log.clear();
    f.Timer2.setEnabled(false);
    env.scheduler.advance(5);
    f.Timer1.setEnabled(true);  // switching on starts the count again
    env.scheduler.advance(9);
    EXPECT_TRUE(g_log.empty());
    env.scheduler.advance(1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"Timer1"}));
}

TEST_F(Window, TimersStopWhenTheirFormUnloads) {
    auto& f = forms::Get<Framed>();
    forms::Get<Borderless>();
    f.unload();
    env.scheduler.advance(100);
    EXPECT_TRUE(g_log.empty());
}

TEST_F(Window, EffectsGoToTheWindowSystem) {
    auto& f = forms::Get<Framed>();
    EXPECT_FALSE(f.setLayeredAlpha(128));  // not layered: no effect
    f.setLayered(true);
    EXPECT_TRUE(f.setLayeredAlpha(128));
    EXPECT_EQ(f.alpha(), 128);
    f.setTopmost(true);
    EXPECT_FALSE(f.visible());  // stay on top never shows a hidden window
    forms::WindowRegion r;
    r.addRect({4, 47, 276, 533});
    f.setRegion(r);
    f.beginSystemMove();
    // Made layered, the window shows nothing until its alpha is set.
    EXPECT_EQ(env.backend.lines("Framed opacity"), (std::vector<std::string>{"Framed opacity 0", "Framed opacity 128"}));
    EXPECT_EQ(env.backend.lines("Framed topmost"), (std::vector<std::string>{"Framed topmost 1"}));
    EXPECT_EQ(env.backend.lines("Framed region"), (std::vector<std::string>{"Framed region 1"}));
    EXPECT_EQ(env.backend.lines("Framed move").size(), 1u);
    EXPECT_TRUE(env.backend.lines("Framed visible").empty());
}

TEST_F(Window, PopupMenuRunsTheChosenItemBeforeReturning) {
    auto& f = forms::Get<Framed>();
    f.show();
    env.backend.choosePopup = [&](forms::Menu& m) { return m.items()[1]; };
    g_log.clear();
    f.popupMenu(f.mnupopup);
    g_log.push_back("after PopupMenu");
    EXPECT_EQ(g_log, (std::vector<std::string>{"mnuexit", "after PopupMenu"}));
    env.backend.choosePopup = nullptr;
    f.popupMenu(f.mnupopup);  // dismissed
    EXPECT_EQ(f.popupCount(), 2);
    EXPECT_EQ(f.lastPopupMenu(), &f.mnupopup);
}

TEST_F(Window, DroppedFilesReachTheHandlerWithTheirEffect) {
    struct Dropper : forms::Form {
        forms::ListBox List2{*this, "List2"};
        std::vector<std::string> got;
        Dropper() : Form("Dropper") {
            setOleDropMode(1);
            List2.setOleDropMode(1);
            List2.OLEDragDrop = [this](forms::DataObject& Data, int& Effect, int, int, float, float) {
                got.push_back(Data.file(1));
                Effect = forms::vbDropEffectNone;
            };
        }
        void Form_OLEDragDrop(forms::DataObject& Data, int& Effect, int, int, float, float) override {
            got.push_back("form " + std::to_string(Data.filesCount()));
            Effect = forms::vbDropEffectCopy;
        }
    } f;
    f.load();
    EXPECT_EQ(f.dropFiles({"/a.mp3", "/b.mp3"}), forms::vbDropEffectCopy);
    EXPECT_EQ(f.List2.dropFiles({"/c.mp3"}), forms::vbDropEffectNone);
    EXPECT_EQ(f.got, (std::vector<std::string>{"form 2", "/c.mp3"}));
}

}  // namespace
