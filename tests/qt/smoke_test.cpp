// The Qt backend on Qt's offscreen platform: a real click on a widget reaches
// the model's handler, a timer ticks on the Qt loop, a dialog's answer reaches
// the caller, and property writes reach the widgets.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include <thread>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "runtime/scheduler.hpp"
#include "testsupport/support.hpp"

namespace {

struct Smoke : forms::Form {
    forms::CommandButton Command1{*this, "Command1"};
    forms::Label Label1{*this, "Label1"};
    forms::ListBox List1{*this, "List1"};
    forms::TextBox Text1{*this, "Text1"};
    forms::Timer Timer1{*this, "Timer1"};
    std::vector<std::string> log;
    int ticks = 0;
    void Form_MouseDown(int Button, int, float, float) override { log.push_back("Form_MouseDown " + std::to_string(Button)); }
    int answer = 0;
    std::string typed;
    Smoke() : Form("Smoke") {
        setClientSize(4800, 3600);
        move(1500, 1500);
        Command1.move(120, 120, 1500, 495);
        Command1.setCaption("&Go");
        Command1.Click = [this] { log.push_back("Command1.Click"); };
        Label1.move(120, 800, 1500, 300);
        Label1.Click = [this] { log.push_back("Label1.Click"); };
        Label1.MouseDown = [this](int Button, int, float, float) { log.push_back("Label1.MouseDown " + std::to_string(Button)); };
        List1.move(1800, 120, 2000, 1500);
        Text1.move(120, 1300, 1500, 300);
        Text1.LostFocus = [this] { log.push_back("Text1.LostFocus"); };
        Timer1.setInterval(10);
        Timer1.setEnabled(false);
        Timer1.Tick = [this] { ++ticks; };
    }
};

TEST(QtSmoke, AClickOnAWidgetReachesTheModelsHandler) {
    formsqt::Session qt;
    auto& f = forms::Get<Smoke>();
    f.show();
    qt.processEvents(50);
    f.Text1.setFocus();
    qt.processEvents(20);
    ASSERT_TRUE(qt.click(f.Command1));
    EXPECT_TRUE(qt.waitUntil([&] { return !f.log.empty(); }, 2000));
    ASSERT_FALSE(f.log.empty());
    EXPECT_EQ(f.log.back(), "Command1.Click");
    f.log.clear();
    ASSERT_TRUE(qt.click(f.Label1, forms::vbRightButton));
    ASSERT_TRUE(qt.click(f.Label1));
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Label1.MouseDown 2", "Label1.MouseDown 1", "Label1.Click"}));
    f.log.clear();
    ASSERT_TRUE(qt.clickForm(f, 300, 200, forms::vbRightButton));  // the free surface
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Form_MouseDown 2"}));
}

TEST(QtSmoke, ATimerTicksOnTheQtLoop) {
    formsqt::Session qt;
    auto& f = forms::Get<Smoke>();
    f.Timer1.setEnabled(true);
    EXPECT_TRUE(qt.waitUntil([&] { return f.ticks >= 3; }, 3000));
    f.Timer1.setEnabled(false);
    int seen = f.ticks;
    qt.processEvents(100);
    EXPECT_EQ(f.ticks, seen);
}

// As on the original platform, a timer ticks at most every 10 ms whatever
// shorter Interval it is given (the bounds leave room for a loaded machine).
// Its ticks show something new each time, so it keeps that pace.
TEST(QtSmoke, AOneMillisecondTimerTicksAtMostEveryTenMilliseconds) {
    formsqt::Session qt;
    auto& f = forms::Get<Smoke>();
    f.Timer1.Tick = [&f] { f.Label1.setCaption(std::to_string(++f.ticks)); };
    f.Timer1.setInterval(1);
    f.Timer1.setEnabled(true);
    const auto start = std::chrono::steady_clock::now();
    qt.processEvents(300);
    f.Timer1.setEnabled(false);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(f.ticks, 5);
    EXPECT_LE(f.ticks, ms / 10 + 1);
}

TEST(QtSmoke, ADialogsAnswerReachesTheCaller) {
    formsqt::Session qt;
    auto& f = forms::Get<Smoke>();
    f.Command1.Click = [&f] {
        f.answer = forms::MsgBox("Really?", forms::vbYesNo + forms::vbQuestion, "Smoke");
        f.typed = forms::InputBox("Name:", "Smoke");
    };
    f.show();
    qt.processEvents(50);
    qt.answerNextMessageBox(forms::vbNo);
    qt.answerNextInputBox(std::string("typed text"));
    ASSERT_TRUE(qt.click(f.Command1));
    EXPECT_TRUE(qt.waitUntil([&] { return !f.typed.empty(); }, 3000));
    EXPECT_EQ(f.answer, forms::vbNo);
    EXPECT_EQ(f.typed, "typed text");
}

TEST(QtSmoke, DescriptorReadinessAndPostedCallsRunOnTheQtLoop) {
    formsqt::Session qt;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    auto& sched = runtime::Scheduler::current();
    std::string got;
    auto id = sched.watchFd(fds[0], true, false, [&](bool readable, bool) {
        char buf[16];
        if (!readable) return;
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    });
    ASSERT_EQ(write(fds[1], "ping", 4), 4);
    EXPECT_TRUE(qt.waitUntil([&] { return got == "ping"; }, 2000));
    sched.unwatchFd(id);
    bool posted = false;
    std::thread([&] { sched.post([&] { posted = true; }); }).join();
    EXPECT_TRUE(qt.waitUntil([&] { return posted; }, 2000));
    close(fds[0]);
    close(fds[1]);
}

TEST(QtSmoke, KeysGoThroughTheModelsRouting) {
    formsqt::Session qt;
    auto& f = forms::Get<Smoke>();
    f.show();
    qt.processEvents(50);
    f.Text1.setText("");
    f.Text1.setFocus();
    qt.processEvents(20);
    f.log.clear();
    ASSERT_TRUE(qt.pressKey(f, 'G', forms::vbAltMask));  // the button's access key
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Text1.LostFocus", "Command1.Click"}));
    f.Text1.setFocus();
    qt.processEvents(20);
    qt.pressKey(f, 'A', 0, "a");
    qt.pressKey(f, 'B', 0, "b");
    qt.processEvents(20);
    EXPECT_EQ(f.Text1.text(), "ab");
}

TEST(QtSmoke, StayOnTopNeverShowsAHiddenWindowAndKeepsAShownOneShown) {
    formsqt::Session qt;
    auto& f = forms::Get<Smoke>();
    f.setTopmost(true);  // loaded, not shown
    qt.processEvents(30);
    EXPECT_FALSE(qt.windowShown(f));
    f.show();
    qt.processEvents(30);
    EXPECT_TRUE(qt.windowShown(f));
    f.setTopmost(false);  // Qt hides a window whose flags change: the backend shows it again
    qt.processEvents(30);
    EXPECT_TRUE(qt.windowShown(f));
    forms::WindowRegion r;
    r.addRect({0, 0, 50, 50});
    f.setRegion(r);  // frameless from now on
    qt.processEvents(30);
    EXPECT_TRUE(qt.windowShown(f));
    f.hide();
    qt.processEvents(30);
    EXPECT_FALSE(qt.windowShown(f));
}

struct Keeper : forms::Form {
    Keeper() : Form("Keeper") {}
};

TEST(QtSmoke, AFormUnloadsItselfFromItsOwnHandlers) {
    formsqt::Session qt;
    forms::Get<Keeper>();  // keeps the program alive
    auto& f = forms::Get<Smoke>();
    f.Command1.Click = [&f] {
        for (int i = 0; i < 50; ++i) f.List1.addItem("item " + std::to_string(i));  // a refill is queued
        f.unload();
    };
    f.show();
    qt.processEvents(30);
    ASSERT_TRUE(qt.click(f.Command1));
    qt.processEvents(50);
    EXPECT_FALSE(forms::IsLoaded<Smoke>());
    EXPECT_FALSE(forms::Application::instance().ended());
    auto& again = forms::Get<Smoke>();  // a fresh instance, with its design values
    EXPECT_EQ(again.List1.listCount(), 0);
    again.show();
    qt.processEvents(30);
    EXPECT_TRUE(qt.windowShown(again));
}

// Controls whose events the player's windows depend on, driven by real Qt input.
struct Inputs : forms::Form {
    forms::Label Label1{*this, "Label1"};
    forms::ListBox List1{*this, "List1"};
    forms::ComboBox Combo1{*this, "Combo1"};
    forms::Slider Slider1{*this, "Slider1"};
    forms::TextBox Text2{*this, "Text2"};
    std::vector<std::string> log;
    Inputs() : Form("Inputs") {
        Text2.move(2400, 1400, 2400, 900);
        Text2.setMultiLine(true);
        Text2.setText("");
        Text2.setMaxLength(5);
        setClientSize(6000, 4500);
        Label1.move(120, 120, 1500, 300);
        Label1.MouseDown = [this](int Button, int, float, float) { log.push_back("Label1.MouseDown " + std::to_string(Button)); };
        Label1.Click = [this] { log.push_back("Label1.Click"); };
        Label1.DblClick = [this] { log.push_back("Label1.DblClick"); };
        List1.move(120, 600, 2000, 1500);
        for (const char* line : {"one", "two", "three"}) List1.addItem(line);
        List1.Click = [this] { log.push_back("List1.Click " + std::to_string(List1.listIndex())); };
        List1.DblClick = [this] { log.push_back("List1.DblClick"); };
        Combo1.move(2400, 120, 2000, 315);
        for (const char* item : {" - ", " + ", " _ "}) Combo1.addItem(item);
        Combo1.Click = [this] { log.push_back("Combo1.Click " + Combo1.text()); };
        Combo1.Change = [this] { log.push_back("Combo1.Change " + Combo1.text()); };
        // A rocker: three positions, at rest on 2, springing back after each step.
        Slider1.move(2400, 600, 2400, 630);
        Slider1.setMin(1);
        Slider1.setMax(3);
        Slider1.setValue(2);
        Slider1.Change = [this] {
            if (Slider1.value() == 2) return;
            log.push_back("Slider1 " + std::to_string(Slider1.value()));
            Slider1.setValue(2);
        };
    }
    void Form_MouseDown(int Button, int, float, float) override { log.push_back("Form_MouseDown " + std::to_string(Button)); }
    void Form_Click() override { log.push_back("Form_Click"); }
    void Form_DblClick() override { log.push_back("Form_DblClick"); }
};

TEST(QtSmoke, MouseDownNamesThePressedButtonAndADoubleClickClicksOnce) {
    formsqt::Session qt;
    auto& f = forms::Get<Inputs>();
    f.show();
    qt.processEvents(50);
    ASSERT_TRUE(qt.click(f.Label1, forms::vbRightButton, forms::vbLeftButton));  // right pressed while left is held
    ASSERT_TRUE(qt.clickForm(f, 300, 250, forms::vbMiddleButton, forms::vbLeftButton));
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Label1.MouseDown 2", "Form_MouseDown 4"}));
    f.log.clear();
    ASSERT_TRUE(qt.doubleClick(f.Label1));
    ASSERT_TRUE(qt.doubleClickForm(f, 300, 250));
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Label1.MouseDown 1", "Label1.Click", "Label1.DblClick",
                                               "Form_MouseDown 1", "Form_Click", "Form_DblClick"}));
}

TEST(QtSmoke, AClickOnAListLineRaisesClickOnceAlsoWhenTheLineIsSelected) {
    formsqt::Session qt;
    auto& f = forms::Get<Inputs>();
    f.show();  // the list is first in the tab order: it takes the focus without choosing a line
    qt.processEvents(50);
    EXPECT_EQ(f.activeControl(), &f.List1);
    EXPECT_EQ(f.List1.listIndex(), -1);
    EXPECT_TRUE(f.log.empty());
    f.List1.setListIndex(1);
    qt.processEvents(20);
    f.log.clear();
    ASSERT_TRUE(qt.clickLine(f.List1, 1));  // the selected line again: its entry is taken up again
    ASSERT_TRUE(qt.clickLine(f.List1, 2));
    ASSERT_TRUE(qt.clickLine(f.List1, 0, true));
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"List1.Click 1", "List1.Click 2", "List1.Click 0", "List1.DblClick"}));
    f.log.clear();
    ASSERT_TRUE(qt.clickLine(f.List1, 2, false, forms::vbRightButton));  // a right click leaves the selection
    qt.processEvents(20);
    EXPECT_EQ(f.List1.listIndex(), 0);
    EXPECT_TRUE(f.log.empty());
}

TEST(QtSmoke, ChoosingFromAComboListRaisesClickAndTypingRaisesChange) {
    formsqt::Session qt;
    auto& f = forms::Get<Inputs>();
    f.show();
    qt.processEvents(50);
    f.Combo1.setListIndex(0);
    f.Combo1.setFocus();
    qt.processEvents(20);
    f.log.clear();
    ASSERT_TRUE(qt.pressKey(f, forms::vbKeyDown));  // the next line of the list
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Combo1.Click  + "}));
    f.log.clear();
    ASSERT_TRUE(qt.pressKey(f, 'X', forms::vbShiftMask, "X"));
    qt.processEvents(20);
    ASSERT_EQ(f.log.size(), 1u);
    EXPECT_EQ(f.log[0].rfind("Combo1.Change ", 0), 0u) << f.log[0];
}

TEST(QtSmoke, KeysAndTheWheelMoveTheFocusedRockerAsTheOriginalsSliderDoes) {
    formsqt::Session qt;
    auto& f = forms::Get<Inputs>();
    f.show();
    qt.processEvents(50);
    f.Slider1.setFocus();
    qt.processEvents(20);
    f.log.clear();
    // Up, Page Up, Left and the wheel turned away from the user move it
    // towards Min; Down, Page Down, Right and the wheel turned back towards Max.
    for (int key : {forms::vbKeyUp, forms::vbKeyPageUp, forms::vbKeyLeft, forms::vbKeyDown, forms::vbKeyPageDown,
                    forms::vbKeyRight}) {
        ASSERT_TRUE(qt.pressKey(f, key));
        qt.processEvents(10);
    }
    // The wheel over the window's surface reaches the rocker that holds the focus.
    ASSERT_TRUE(qt.wheel(f, 300, 250, 1));
    ASSERT_TRUE(qt.wheel(f, 300, 250, -1));
    qt.processEvents(20);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Slider1 1", "Slider1 1", "Slider1 1", "Slider1 3", "Slider1 3",
                                               "Slider1 3", "Slider1 1", "Slider1 3"}));
    EXPECT_EQ(f.Slider1.value(), 2);
}

TEST(QtSmoke, AMultiLineBoxTakesNoMoreThanMaxLength) {
    formsqt::Session qt;
    auto& f = forms::Get<Inputs>();
    f.show();
    qt.processEvents(50);
    f.Text2.setFocus();
    qt.processEvents(20);
    for (char ch : std::string("abcdefg")) qt.pressKey(f, ch - 'a' + 'A', 0, std::string(1, ch));
    qt.processEvents(20);
    EXPECT_EQ(f.Text2.text(), "abcde");
    qt.pressKey(f, forms::vbKeyBack, 0, "\b");
    qt.pressKey(f, 'Z', forms::vbShiftMask, "Z");
    qt.processEvents(20);
    EXPECT_EQ(f.Text2.text(), "abcdZ");  // the caret stayed at the end
}

// How controls look: the pixels their widgets draw.
struct Looks : forms::Form {
    forms::CommandButton Command1{*this, "Command1"};
    forms::CommandButton cmdRun{*this, "cmdRun"};
    Looks() : Form("Looks") {
        setClientSize(6000, 4500);
        Command1.move(360, 120, 1095, 375);
        Command1.setCaption("Download");
        cmdRun.move(1560, 120, 1215, 375);
        cmdRun.setCaption("&Run");
        cmdRun.setEnabled(false);
    }
};

// Pixels of a picture that are dark (text in black) and that are mid-grey
// (greyed text), away from a border of two pixels.
struct Ink {
    int dark = 0, grey = 0;
};
Ink inkOf(const forms::Picture& p) {
    Ink ink;
    for (int y = 2; y < p.height() - 2; ++y)
        for (int x = 2; x < p.width() - 2; ++x) {
            forms::Colour c = p.pixel(x, y);
            int r = forms::redOf(c), g = forms::greenOf(c), b = forms::blueOf(c);
            int hi = std::max({r, g, b}), lo = std::min({r, g, b});
            if (hi < 80) ++ink.dark;
            else if (lo >= 100 && hi <= 170 && hi - lo < 24) ++ink.grey;
        }
    return ink;
}

TEST(QtLooks, ADisabledButtonGreysItsTextAndAnEnabledOneDrawsItBlack) {
    formsqt::Session qt;
    auto& f = forms::Get<Looks>();
    f.show();
    qt.processEvents(50);
    Ink enabled = inkOf(qt.grabControl(f.Command1));
    Ink disabled = inkOf(qt.grabControl(f.cmdRun));
    EXPECT_GT(enabled.dark, 20);
    EXPECT_EQ(disabled.dark, 0);
    EXPECT_GT(disabled.grey, 10);
    f.cmdRun.setEnabled(true);  // a download completed
    qt.processEvents(20);
    EXPECT_GT(inkOf(qt.grabControl(f.cmdRun)).dark, 10);
    f.cmdRun.setEnabled(false);
    f.cmdRun.setForeColor(forms::RGB(0, 0, 128));  // a colour of its own greys too
    qt.processEvents(20);
    EXPECT_EQ(inkOf(qt.grabControl(f.cmdRun)).dark, 0);
}

// A status frame as the downloader's: caption labels of 1170 x 195 twips in
// Tahoma 8.25 pt, which is not installed here, beside a label of the
// default face.
struct Captions : forms::Form {
    forms::Frame Frame1{*this, "Frame1"};
    forms::Label Label11{Frame1, "Label11"};
    forms::Label Label13{Frame1, "Label13"};
    forms::Label Label12{Frame1, "Label12"};
    forms::Label Label3{Frame1, "Label3"};
    forms::Label Long1{*this, "Long1"};
    forms::Label Tall1{*this, "Tall1"};
    forms::CommandButton Command1{*this, "Command1"};
    Captions() : Form("Captions") {
        setClientSize(9000, 6000);
        Frame1.move(120, 120, 3255, 4575);
        Frame1.setBackColor(forms::RGB(255, 255, 255));
        forms::Font tahoma;
        tahoma.name = "Tahoma";
        tahoma.size = 8.25f;
        struct Row {
            forms::Label& l;
            const char* caption;
            float top, width;
        } rows[] = {{Label11, "Recieved Size:", 1200, 1170},
                    {Label13, "Time Remaining:", 1560, 1170},
                    {Label12, "Elapsed Time:", 1920, 1170},
                    {Label3, "Percent:", 2280, 615}};
        for (Row& r : rows) {
            r.l.setCaption(r.caption);
            r.l.move(120, r.top, r.width, 195);
            r.l.setBackColor(forms::RGB(255, 255, 255));
            r.l.setFont(tahoma);
        }
        Long1.move(3600, 120, 1170, 195);
        Long1.setCaption("You Have Downloaded 3 From 1012 Songs");
        Tall1.move(3600, 600, 1500, 900);
        Tall1.setCaption("A caption too long for one line of its label");
        Command1.move(3600, 1800, 1095, 375);
        Command1.setCaption("Download");
    }
};

// The columns and rows of a picture that hold dark pixels (text).
struct InkBox {
    int right = -1, bottom = -1;
};
InkBox inkBoxOf(const forms::Picture& p) {
    InkBox box;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            forms::Colour c = p.pixel(x, y);
            if (std::max({forms::redOf(c), forms::greenOf(c), forms::blueOf(c)}) < 110) {
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
    return box;
}

TEST(QtLooks, CaptionsFitTheirLabelsOnOneLineWhereTheWindowsFacesAreMissing) {
    formsqt::Session qt;
    auto& f = forms::Get<Captions>();
    f.show();
    qt.processEvents(50);
    for (forms::Label* l : {&f.Label11, &f.Label13, &f.Label12, &f.Label3}) {
        int room = static_cast<int>(l->widthTwips() / forms::TwipsPerPixel);
        int wide = qt.textWidth(*l, l->caption());
        EXPECT_GT(wide, room / 2) << l->caption();
        EXPECT_LE(wide, room) << l->caption();
        // The whole caption is drawn on the label's one line: its last
        // character lies near the caption's full width, not after a first word.
        InkBox ink = inkBoxOf(qt.grabControl(*l));
        EXPECT_GE(ink.right, wide - 8) << l->caption();
        EXPECT_LT(ink.right, room) << l->caption();
    }
    EXPECT_LE(qt.textWidth(f.Command1, "Download"), 1095 / 15 - 8);
    // A caption longer than its one-line label is cut at the right edge;
    // a label with room for several lines breaks its caption between words.
    InkBox cut = inkBoxOf(qt.grabControl(f.Long1));
    EXPECT_GE(cut.right, 1170 / 15 - 6);
    InkBox tall = inkBoxOf(qt.grabControl(f.Tall1));
    EXPECT_LT(tall.right, 1500 / 15);
    EXPECT_GT(tall.bottom, 16);  // a second line
}

TEST(QtLooks, AFrameIsItsBackColourInsideAnEtchedLineThatRunsThroughItsCaption) {
    formsqt::Session qt;
    auto& f = forms::Get<Captions>();
    f.Frame1.setCaption("File Status");
    f.show();
    qt.processEvents(50);
    forms::Picture frame = qt.grabControl(f.Frame1);
    ASSERT_EQ(frame.width(), 3255 / 15);
    const forms::Colour white = forms::RGB(255, 255, 255), line = forms::RGB(128, 128, 128);
    // Inside, away from the labels: the frame's own colour, untinted.
    for (int y = 180; y < frame.height() - 4; y += 7)
        for (int x = 4; x < frame.width() - 4; x += 5) ASSERT_EQ(frame.pixel(x, y), white) << x << "," << y;
    // The top line lies within the caption's height, right of the caption;
    // above it the frame is its own colour too.
    int top = -1;
    for (int y = 0; y < 12 && top < 0; ++y)
        if (frame.pixel(frame.width() - 20, y) == line) top = y;
    ASSERT_GT(top, 2);
    EXPECT_EQ(frame.pixel(frame.width() - 20, 0), white);
    EXPECT_EQ(frame.pixel(2, frame.height() - 2), line);  // the bottom line, etched
    EXPECT_EQ(frame.pixel(2, frame.height() - 1), white);
    int ink = 0;  // the caption, near the left, on the line
    for (int y = 0; y < 13; ++y)
        for (int x = 6; x < 80; ++x) ink += std::max({forms::redOf(frame.pixel(x, y)), forms::greenOf(frame.pixel(x, y)),
                                                       forms::blueOf(frame.pixel(x, y))}) < 110;
    EXPECT_GT(ink, 20);
}

struct Lists : forms::Form {
    forms::ListBox List1{*this, "List1"};
    forms::ListBox List2{*this, "List2"};
    forms::FileListBox File1{*this, "File1"};
    forms::TextBox Text1{*this, "Text1"};  // multi-line, without scroll bars
    forms::TextBox Text2{*this, "Text2"};  // multi-line, with the vertical bar
    Lists() : Form("Lists") {
        setClientSize(12000, 8000);
        List1.move(240, 240, 3735, 4515);
        List2.move(4080, 240, 3735, 4515);
        File1.move(7920, 240, 3735, 4515);
        for (forms::TextBox* t : {&Text1, &Text2}) {
            t->setMultiLine(true);
            std::string header;
            for (int i = 0; i < 30; ++i) header += "Header-" + std::to_string(i) + ": a value\r\n";
            t->setText(header);
        }
        Text1.move(240, 4900, 2775, 1815);
        Text2.move(4080, 4900, 2775, 1815);
        Text2.setScrollBars(2);
    }
};

// A list box scrolls up and down only, its bar shown when the lines do not
// fit; a multi-line text box shows the bars its ScrollBars names, and no others.
TEST(QtLooks, ListsAndBoxesShowTheScrollBarsOfTheOriginal) {
    formsqt::Session qt;
    testsupport::TempDir dir;
    auto& f = forms::Get<Lists>();
    for (int i = 0; i < 100; ++i) f.List1.addItem(i % 10 ? "line " + std::to_string(i) : std::string(74, '-'));
    f.List2.addItem(std::string(74, '-'));  // wider than the list, and alone
    for (int i = 0; i < 60; ++i) testsupport::writeFile(dir.file("a long file name that does not fit the list " + std::to_string(i) + ".Mp3"), "");
    f.File1.setPath(dir.path());
    f.show();
    qt.processEvents(50);
    struct Case {
        forms::Control& list;
        bool vertical;
    } cases[] = {{f.List1, true}, {f.List2, false}, {f.File1, true}, {f.Text1, false}, {f.Text2, true}};
    for (Case& c : cases) {
        bool h = true, v = !c.vertical;
        ASSERT_TRUE(qt.scrollBarsShown(c.list, h, v)) << c.list.name();
        EXPECT_FALSE(h) << c.list.name();
        EXPECT_EQ(v, c.vertical) << c.list.name();
    }
}

TEST(QtSmoke, ThePlatformIsOffscreenAndFormsEndTheProgram) {
    formsqt::Session qt;
    EXPECT_EQ(qt.platformName(), "offscreen");
    auto& f = forms::Get<Smoke>();
    for (int i = 0; i < 1200; ++i) f.List1.addItem("line " + std::to_string(i));
    f.List1.setListIndex(1199);
    f.show();
    qt.processEvents(50);
    f.unload();
    EXPECT_TRUE(forms::Application::instance().ended());
}

// The widget follows the list through every kind of change, whether the lines
// were added at the head, the tail or the middle, removed, replaced or cleared.
TEST(QtSmoke, AListWidgetShowsTheModelsLinesAfterEveryKindOfChange) {
    formsqt::Session qt;
    auto& f = forms::Get<Lists>();
    f.List1.setSorted(true);
    f.show();
    auto modelLines = [](forms::ListBox& l) {
        std::vector<std::string> lines;
        for (long i = 0; i < l.listCount(); ++i) lines.push_back(l.list(i));
        return lines;
    };
    struct Step {
        const char* what;
        std::function<void()> change;
    } steps[] = {
        {"sorted adds", [&] { for (const char* t : {"m", "c", "x", "a", "c"}) f.List1.addItem(t); }},
        {"one add in the middle", [&] { f.List1.addItem("d"); }},
        {"an add at the head", [&] { f.List1.addItem("0"); }},
        {"an add at the tail", [&] { f.List1.addItem("z"); }},
        {"a removal in the middle", [&] { f.List1.removeItem(3); }},
        {"a line replaced", [&] { f.List1.setList(2, "c2"); }},
        {"the head and the tail removed", [&] { f.List1.removeItem(0); f.List1.removeItem(f.List1.listCount() - 1); }},
        {"a run of equal lines", [&] { f.List1.addItems({"c", "c", "c"}); }},
        {"lines merged at once into the head, the middle and the tail",
         [&] { f.List1.addItems({"zz", "b", "00", "n", "e"}); }},
        {"more changes than lines", [&] {
             for (int i = 0; i < 200; ++i) f.List1.addItem("r" + std::to_string(i % 7));
             for (int i = 0; i < 150; ++i) f.List1.removeItem(i % f.List1.listCount());
         }},
        {"cleared", [&] { f.List1.clear(); }},
        {"filled at once", [&] { f.List1.addItems({"q", "b", "k"}); }},
    };
    for (Step& step : steps) {
        step.change();
        qt.processEvents(20);
        EXPECT_EQ(qt.listLines(f.List1), modelLines(f.List1)) << step.what;
    }
    f.unload();
}

}  // namespace

namespace {

// The selected line of a long sorted list stays in view while lines merge
// in above and below it, as a playlist is listed while the search box
// selects in it, also while the list is disabled.
TEST(QtSmoke, ASelectedLineInViewStaysInViewAsLinesGoInAboveIt) {
    formsqt::Session qt;
    auto& f = forms::Get<Lists>();
    f.List1.setSorted(true);
    f.show();
    std::vector<std::string> first;
    for (int i = 0; i < 400; ++i) first.push_back("line " + std::to_string(1000 + 2 * i));
    f.List1.addItems(first);
    f.List1.setEnabled(false);
    f.List1.setListIndex(300);  // "line 1600", scrolled into view
    qt.processEvents(20);
    auto inView = [&] {
        std::vector<long> rows = qt.linesInView(f.List1);
        return std::find(rows.begin(), rows.end(), f.List1.listIndex()) != rows.end();
    };
    ASSERT_TRUE(inView());
    for (int burst = 0; burst < 5; ++burst) {
        std::vector<std::string> more;  // most of them above the selected line, some below
        for (int i = 0; i < 150; ++i) more.push_back("line 0" + std::to_string(burst) + "-" + std::to_string(i));
        for (int i = 0; i < 50; ++i) more.push_back("line 9" + std::to_string(burst) + "-" + std::to_string(i));
        f.List1.addItems(more);
        qt.processEvents(20);
        EXPECT_EQ(f.List1.text(), "line 1600") << burst;
        EXPECT_EQ(qt.listCurrentRow(f.List1), f.List1.listIndex()) << burst;
        EXPECT_TRUE(inView()) << burst;
    }
    f.unload();
}

// A disabled list (the playlist while it is listed) shows its selected line
// in the highlight colours, as an enabled one does, not in a grey the list's
// own grey back colour swallows.
TEST(QtLooks, ADisabledListShowsItsSelectedLineHighlighted) {
    formsqt::Session qt;
    auto& f = forms::Get<Lists>();
    for (const char* line : {"one", "two", "three"}) f.List2.addItem(line);
    f.List2.setBackColor(forms::RGB(163, 165, 172));
    f.List2.setListIndex(1);
    f.show();
    auto highlighted = [&] {
        qt.processEvents(20);
        forms::Picture p = qt.grabControl(f.List2);
        int n = 0;
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x) {
                forms::Colour c = p.pixel(x, y);
                n += forms::blueOf(c) > forms::redOf(c) + 60;  // the system's blue highlight
            }
        return n;
    };
    const int enabled = highlighted();
    EXPECT_GT(enabled, 200);
    f.List2.setEnabled(false);
    EXPECT_GT(highlighted(), enabled / 2);
    f.unload();
}

}  // namespace
