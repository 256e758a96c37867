// Windows on a real X server (Xvfb, platform xcb). A shaped window: the
// screen shows exactly the skin's kept pixels, with no frame, title bar or
// menu bar, and nothing where the key colour was (Qt's offscreen platform
// applies no window masks, so this grabs the screen). And what a keyboard
// user sees and does: the focus mark, underlined access keys, the window's
// icon, the boxes' face, Tab, Enter and Escape. One Qt session serves all.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Region.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

// The one Qt application of this process, made before the first test.
const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);
formsqt::Session& screen() { return testsupport::qtScreen(); }

constexpr forms::Colour kKey = forms::RGB(255, 0, 255);

// 120 x 90: a disc of skin with a square hole, the rest magenta.
forms::Picture skin() {
    const int w = 120, h = 90;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            int dx = x - 60, dy = y - 45;
            bool disc = dx * dx + dy * dy <= 42 * 42;
            bool hole = x >= 50 && x < 70 && y >= 35 && y < 55;
            if (disc && !hole) {
                p[0] = static_cast<std::uint8_t>(40 + x);
                p[1] = static_cast<std::uint8_t>(160 + y / 2);
                p[2] = 60;
            } else {
                p[0] = 255, p[1] = 0, p[2] = 255;
            }
            p[3] = 255;
        }
    return forms::Picture::fromRgba(w, h, std::move(px));
}

struct Skinned : forms::Form {
    forms::Menu mnupopup{*this, "mnupopup", "mnupopup"};
    forms::Menu mnuexit{mnupopup, "mnuexit", "Exit"};
    Skinned() : Form("Skinned") {
        setCaption("Skinned window");
        setClientSize(120 * 15, 90 * 15);
        move(100 * 15, 80 * 15);
        setBackColor(forms::RGB(0, 0, 255));
    }
    void Form_Load() override {
        forms::Picture pic = skin();
        player::Region rgn;
        std::int32_t key = 1;
        rgn.ScanPicture(pic, key);
        rgn.OffsetHeader(*this);
        setPicture(pic);
        rgn.ApplyRgn(hWnd());
    }
};

TEST(Screen, AShapedWindowShowsOnlyItsRegion) {
    formsqt::Session& qt = screen();
    ASSERT_EQ(qt.platformName(), "xcb");
    auto& f = forms::Get<Skinned>();
    f.show();
    qt.processEvents(500);
    int wx = 0, wy = 0;
    ASSERT_TRUE(qt.windowPosition(f, wx, wy));
    testsupport::TempDir dir;
    const char* keep = std::getenv("DOVETUNE_SCREENSHOT");
    std::string shot = keep && *keep ? std::string(keep) : dir.file("screen.png");
    forms::Picture pic = skin();
    // The client area sits where the frame would have put it.
    EXPECT_EQ(wx, 100 + f.clientOffsetX());
    EXPECT_EQ(wy, 80 + f.clientOffsetY());
    auto check = [&](const char* when) {
        ASSERT_TRUE(qt.grabScreen(shot)) << when;
        forms::Picture screen = forms::LoadPicture(shot);
        int kept = 0, cut = 0, wrong = 0;
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < pic.width(); ++x) {
                forms::Colour want = pic.pixel(x, y);
                forms::Colour got = screen.pixel(wx + x, wy + y);
                if (want == kKey) {
                    ++cut;
                    if (got == kKey || got == forms::RGB(0, 0, 255)) ++wrong;  // neither the key nor the window shows
                } else {
                    ++kept;
                    if (got != want) ++wrong;
                }
            }
        EXPECT_GT(kept, 4000) << when;
        EXPECT_GT(cut, 2000) << when;
        EXPECT_EQ(wrong, 0) << when;
        // Above and left of the client area: no title bar, no menu bar, no frame.
        for (int y = wy - f.clientOffsetY(); y < wy; ++y)
            for (int x = wx - f.clientOffsetX(); x < wx + pic.width(); ++x)
                ASSERT_EQ(screen.pixel(x, y), screen.pixel(5, 5)) << when << ": " << x << "," << y;
    };
    check("first shown");
    // A shaped window repaints as often as its skin's pictures change: every
    // repaint must show the skin again, not an empty window.
    f.setPicture(f.picture());
    qt.processEvents(300);
    check("repainted");
    // A change of window flags makes Qt a new native window: it is shaped again.
    f.setTopmost(true);
    qt.processEvents(300);
    ASSERT_TRUE(qt.windowPosition(f, wx, wy));
    check("after a change of flags");
    f.unload();
}

// ---- the keyboard user's window ----

// A 16 x 16 icon of two colours.
forms::Picture twoColourIcon() {
    std::vector<std::uint8_t> px(16 * 16 * 4);
    for (int i = 0; i < 256; ++i) {
        bool corner = i % 16 < 8 && i / 16 < 8;
        px[i * 4 + 0] = corner ? 200 : 20;
        px[i * 4 + 1] = 40;
        px[i * 4 + 2] = corner ? 30 : 220;
        px[i * 4 + 3] = 255;
    }
    return forms::Picture::fromRgba(16, 16, std::move(px));
}

struct Keys : forms::Form {
    forms::TextBox Text1{*this, "Text1"};  // multi-line
    forms::TextBox Text2{*this, "Text2"};
    forms::ListBox List1{*this, "List1"};
    forms::CommandButton cmdRun{*this, "cmdRun"};
    forms::CommandButton cmdOK{*this, "cmdOK"};          // Default
    forms::CommandButton cmdCancel{*this, "cmdCancel"};  // Cancel
    forms::CommandButton cmdPlain{*this, "cmdPlain"};    // not a tab stop
    forms::Label Label1{*this, "Label1"};
    forms::Label Label2{*this, "Label2"};
    forms::CheckBox Check1{*this, "Check1"};
    forms::CheckBox Check2{*this, "Check2"};
    std::map<std::string, int> clicks;

    Keys() : Form("Keys") {
        setCaption("Keys");
        setClientSize(420 * 15, 260 * 15);
        move(20 * 15, 20 * 15);
        setIcon(twoColourIcon());  // while the window is being built
        Text1.setMultiLine(true);
        Text1.setText("");
        Text2.setText("");
        Text1.setRectTwips(10 * 15, 10 * 15, 150 * 15, 60 * 15);
        Text2.setRectTwips(10 * 15, 80 * 15, 150 * 15, 21 * 15);
        List1.setRectTwips(170 * 15, 10 * 15, 120 * 15, 90 * 15);
        cmdRun.setCaption("&Run");
        cmdOK.setCaption("OK");
        cmdOK.setDefault(true);
        cmdCancel.setCaption("Cancel");
        cmdCancel.setCancel(true);
        cmdPlain.setCaption("Run");
        cmdPlain.setTabStop(false);
        int x = 10;
        for (forms::CommandButton* b : {&cmdRun, &cmdOK, &cmdCancel, &cmdPlain}) {
            b->setRectTwips(x * 15.0f, 120 * 15, 80 * 15, 25 * 15);
            x += 90;
            b->Click = [this, b] { ++clicks[b->name()]; };
        }
        Label1.setCaption("&Name:");
        Label2.setCaption("Name:");
        Check1.setCaption("&Loop");
        Check2.setCaption("Loop");
        x = 10;
        for (forms::Control* c : std::initializer_list<forms::Control*>{&Label1, &Label2, &Check1, &Check2}) {
            c->setRectTwips(x * 15.0f, 160 * 15, 80 * 15, 20 * 15);
            x += 90;
        }
        int tab = 0;
        for (forms::Control* c : std::initializer_list<forms::Control*>{&Text1, &Text2, &List1, &cmdRun, &cmdOK, &cmdCancel,
                                                                       &cmdPlain, &Label1, &Label2, &Check1, &Check2})
            c->setTabIndex(tab++);
        Check1.setTabStop(false);
        Check2.setTabStop(false);
    }
    void Form_Load() override {
        for (const char* line : {"one", "two", "three"}) List1.addItem(line);
    }
};

// Shows the form with the keyboard focus in its window.
Keys& showKeys() {
    auto& f = forms::Get<Keys>();
    f.show();
    f.zOrder(0);
    screen().waitUntil([&] { return screen().focusedControl() == &f.Text1; }, 3000);
    return f;
}

void focusOn(forms::Control& c) {
    c.setFocus();
    screen().waitUntil([&] { return screen().focusedControl() == &c; }, 1000);
}

// KEYTESTS
int differingPixels(const forms::Picture& a, const forms::Picture& b, int* firstRow = nullptr) {
    if (a.width() != b.width() || a.height() != b.height()) return -1;
    int n = 0;
    if (firstRow) *firstRow = a.height();
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++n;
                if (firstRow && y < *firstRow) *firstRow = y;
            }
    return n;
}

TEST(ScreenKeys, TheFocusedButtonAndListLineShowTheFocusMark) {
    Keys& f = showKeys();
    f.List1.setListIndex(1);
    screen().processEvents(50);
    forms::Picture button = screen().grabControl(f.cmdRun);
    forms::Picture list = screen().grabControl(f.List1);
    focusOn(f.cmdRun);
    screen().processEvents(50);
    forms::Picture focusedButton = screen().grabControl(f.cmdRun);
    focusOn(f.List1);
    screen().processEvents(50);
    forms::Picture focusedList = screen().grabControl(f.List1);
    ASSERT_FALSE(button.empty());
    EXPECT_GT(differingPixels(button, focusedButton), 20);
    EXPECT_GT(differingPixels(list, focusedList), 20);
    // Focused again and left: the mark goes with the focus.
    focusOn(f.Text1);
    screen().processEvents(50);
    EXPECT_EQ(differingPixels(button, screen().grabControl(f.cmdRun)), 0);
    f.unload();
}

// A text box shows the focus on its frame, of one line or many, read-only
// too (where no caret shows it).
TEST(ScreenKeys, TextBoxesOfOneLineOrManyShowTheFocusMark) {
    Keys& f = showKeys();
    struct Case {
        const char* what;
        forms::TextBox& box;
        bool locked;
    };
    const Case cases[] = {
        {"one line", f.Text2, false}, {"many lines", f.Text1, false}, {"many lines, read-only", f.Text1, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        k.box.setLocked(k.locked);
        focusOn(f.cmdRun);
        screen().processEvents(50);
        forms::Picture plain = screen().grabControl(k.box);
        focusOn(k.box);
        screen().processEvents(600);  // past a caret's blink: compare the frames, not the caret
        forms::Picture focused = screen().grabControl(k.box);
        ASSERT_FALSE(plain.empty());
        // The frame changes all round the box, not only where a caret is.
        int rows = 0, first = 0;
        for (int y = 0; y < plain.height(); ++y) {
            int n = 0;
            for (int x = 0; x < plain.width(); ++x) n += plain.pixel(x, y) != focused.pixel(x, y);
            if (n > plain.width() / 2) ++rows;
        }
        EXPECT_GE(rows, 2) << differingPixels(plain, focused, &first) << " pixels changed";
        k.box.setLocked(false);
    }
    f.unload();
}

// Check boxes and option buttons, one too narrow to show its caption (a
// label beside it names it, as the options window's file types are named).
struct Ticks : forms::Form {
    forms::CheckBox Check1{*this, "Check1"};
    forms::CheckBox Bare{*this, "Bare"};
    forms::OptionButton Option1{*this, "Option1"};
    forms::CommandButton cmdOK{*this, "cmdOK"};
    Ticks() : Form("Ticks") {
        setCaption("Ticks");
        setClientSize(260 * 15, 130 * 15);
        move(60 * 15, 60 * 15);
        Check1.setCaption("Loop");
        Check1.setRectTwips(10 * 15, 10 * 15, 100 * 15, 20 * 15);
        Bare.setRectTwips(10 * 15, 40 * 15, 17 * 15, 17 * 15);
        Option1.setCaption("Left");
        Option1.setRectTwips(10 * 15, 70 * 15, 100 * 15, 20 * 15);
        cmdOK.setCaption("OK");
        cmdOK.setRectTwips(150 * 15, 90 * 15, 80 * 15, 25 * 15);
    }
};

// The focus mark shows however the focus came: by Tab, by code, or when the
// window opened with the focus there.
TEST(ScreenKeys, CheckBoxesAndOptionButtonsShowTheFocusMark) {
    auto& f = forms::Get<Ticks>();
    f.show();
    f.zOrder(0);
    ASSERT_TRUE(screen().waitUntil([&] { return screen().focusedControl() == &f.Check1; }, 3000));
    for (forms::Control* c : std::initializer_list<forms::Control*>{&f.Check1, &f.Bare, &f.Option1}) {
        SCOPED_TRACE(c->name());
        focusOn(f.cmdOK);
        screen().processEvents(50);
        forms::Picture plain = screen().grabControl(*c);
        focusOn(*c);
        screen().processEvents(50);
        forms::Picture focused = screen().grabControl(*c);
        ASSERT_FALSE(plain.empty());
        EXPECT_GT(differingPixels(plain, focused), 10);
    }
    f.unload();
}

TEST(ScreenKeys, AccessKeysAreUnderlined) {
    Keys& f = showKeys();
    screen().processEvents(50);
    struct Pair {
        forms::Control& marked;
        forms::Control& plain;
    };
    const Pair pairs[] = {{f.cmdRun, f.cmdPlain}, {f.Label1, f.Label2}, {f.Check1, f.Check2}};
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.marked.name());
        forms::Picture marked = screen().grabControl(p.marked), plain = screen().grabControl(p.plain);
        ASSERT_FALSE(marked.empty());
        int firstRow = 0;
        int n = differingPixels(marked, plain, &firstRow);
        // A short line under the first letter, nothing else.
        EXPECT_GT(n, 2);
        EXPECT_LT(n, 40);
        EXPECT_GT(firstRow, marked.height() / 3) << "below the letter, not through it";
    }
    // Alt and the letter still press the button once.
    f.clicks.clear();
    f.typeKey('R', forms::vbAltMask);
    EXPECT_EQ(f.clicks, (std::map<std::string, int>{{"cmdRun", 1}}));
    f.unload();
}

TEST(ScreenKeys, TheWindowCarriesTheFormsIcon) {
    Keys& f = showKeys();
    forms::Picture shown = screen().windowIcon(f);
    ASSERT_FALSE(shown.empty()) << "the icon set while the form was built";
    ASSERT_EQ(shown.width(), 16);
    ASSERT_EQ(shown.height(), 16);
    EXPECT_EQ(shown.pixel(2, 2), forms::RGB(200, 40, 30));
    EXPECT_EQ(shown.pixel(12, 12), forms::RGB(20, 40, 220));
    forms::Picture other = forms::Picture::fromRgba(16, 16, std::vector<std::uint8_t>(16 * 16 * 4, 255));
    f.setIcon(other);
    screen().processEvents(20);
    EXPECT_EQ(screen().windowIcon(f).pixel(2, 2), forms::RGB(255, 255, 255));
    f.unload();
}

TEST(ScreenKeys, MessageAndInputBoxesUseTheWindowsStandInFace) {
    Keys& f = showKeys();
    screen().answerNextMessageBox(forms::vbOK);
    EXPECT_EQ(forms::MsgBox("Choose a song.", forms::vbInformation, "Keys"), forms::vbOK);
    auto box = screen().lastBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Choose a song.");
    EXPECT_EQ(box->fontFamily, "Liberation Sans");
    EXPECT_NEAR(box->pointSize, 8.25 * 10 / 11, 0.3);
    screen().answerNextInputBox(std::string("x"));
    EXPECT_EQ(forms::InputBox("Name?", "Keys"), "x");
    box = screen().lastBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Name?");
    EXPECT_EQ(box->fontFamily, "Liberation Sans");
    f.unload();
}

// Presses a key through Qt, into the window's focused widget.
void press(forms::Form& f, int keyCode, int shift = 0, const std::string& text = {}) {
    ASSERT_TRUE(screen().pressKey(f, keyCode, shift, text));
    screen().processEvents(10);
}

TEST(ScreenKeys, TabLeavesEveryTextBoxAndComesRound) {
    Keys& f = showKeys();
    ASSERT_EQ(screen().focusedControl(), &f.Text1);
    // Every tab stop in order, the multi-line box first; the button that is
    // no tab stop, the labels and the check boxes are passed over.
    const std::vector<forms::Control*> order = {&f.Text2, &f.List1, &f.cmdRun, &f.cmdOK, &f.cmdCancel, &f.Text1, &f.Text2};
    for (forms::Control* want : order) {
        press(f, forms::vbKeyTab, 0, "\t");
        EXPECT_EQ(screen().focusedControl(), want) << "after Tab, want " << want->name();
        EXPECT_EQ(f.activeControl(), want);
    }
    EXPECT_EQ(f.Text1.text(), "") << "Tab typed into the multi-line box";
    EXPECT_EQ(f.Text2.text(), "");
    // Shift+Tab goes back, out of the multi-line box too.
    press(f, forms::vbKeyTab, forms::vbShiftMask, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.Text1);
    press(f, forms::vbKeyTab, forms::vbShiftMask, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.cmdCancel);
    // Ctrl+Tab types the tab into a multi-line box and leaves the focus there.
    focusOn(f.Text1);
    int keyDowns = 0;
    f.Text1.KeyDown = [&](int& code, int) { keyDowns += code == forms::vbKeyTab; };
    press(f, forms::vbKeyTab, forms::vbCtrlMask, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.Text1);
    EXPECT_EQ(f.Text1.text(), "\t");
    EXPECT_EQ(keyDowns, 1);
    // A Tab that moves the focus raises no KeyDown.
    press(f, forms::vbKeyTab, 0, "\t");
    EXPECT_EQ(keyDowns, 1);
    f.Text1.KeyDown = nullptr;
    f.unload();
}

// A multi-line box that no other control can take the focus from.
struct Lone : forms::Form {
    forms::TextBox Text1{*this, "Text1"};
    forms::CommandButton cmdOff{*this, "cmdOff"};
    forms::Label Label1{*this, "Label1"};
    Lone() : Form("Lone") {
        setCaption("Lone");
        setClientSize(300 * 15, 120 * 15);
        move(40 * 15, 40 * 15);
        Text1.setMultiLine(true);
        Text1.setText("");
        Text1.setRectTwips(10 * 15, 30 * 15, 200 * 15, 60 * 15);
        Label1.setCaption("Notes:");
        Label1.setRectTwips(10 * 15, 8 * 15, 200 * 15, 18 * 15);
        cmdOff.setCaption("Off");
        cmdOff.setRectTwips(220 * 15, 30 * 15, 70 * 15, 25 * 15);
        cmdOff.setEnabled(false);
    }
};

TEST(ScreenKeys, ABoxNoOtherControlCanTakeTheFocusFromTakesTab) {
    auto& f = forms::Get<Lone>();
    f.show();
    f.zOrder(0);
    ASSERT_TRUE(screen().waitUntil([&] { return screen().focusedControl() == &f.Text1; }, 3000));
    press(f, forms::vbKeyTab, 0, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.Text1);
    EXPECT_EQ(f.Text1.text(), "\t");
    // Once the button can take it, Tab moves the focus there.
    f.cmdOff.setEnabled(true);
    press(f, forms::vbKeyTab, 0, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.cmdOff);
    EXPECT_EQ(f.Text1.text(), "\t");
    f.unload();
}

// A button under a panel drawn above it, beside a box of one line.
struct Covered : forms::Form {
    forms::TextBox Text1{*this, "Text1"};
    forms::CommandButton cmdUnder{*this, "cmdUnder"};
    forms::CommandButton cmdBeside{*this, "cmdBeside"};
    forms::PictureBox Panel{*this, "Panel"};
    forms::Label Label1{Panel, "Label1"};
    Covered() : Form("Covered") {
        setCaption("Covered");
        setClientSize(320 * 15, 120 * 15);
        move(40 * 15, 40 * 15);
        Text1.setText("");
        Text1.setRectTwips(10 * 15, 10 * 15, 140 * 15, 21 * 15);
        cmdUnder.setCaption("Under");
        cmdUnder.setRectTwips(180 * 15, 20 * 15, 80 * 15, 25 * 15);
        cmdBeside.setCaption("Beside");
        cmdBeside.setRectTwips(10 * 15, 60 * 15, 80 * 15, 25 * 15);
        cmdBeside.setEnabled(false);
        Panel.setRectTwips(170 * 15, 10 * 15, 140 * 15, 100 * 15);
        Panel.setTabStop(false);
        Label1.setCaption("A panel over the button");
        Label1.setRectTwips(5 * 15, 5 * 15, 130 * 15, 40 * 15);
    }
};

TEST(ScreenKeys, TabPassesOverAButtonACoveringPanelHides) {
    auto& f = forms::Get<Covered>();
    f.show();
    f.zOrder(0);
    ASSERT_TRUE(screen().waitUntil([&] { return screen().focusedControl() == &f.Text1; }, 3000));
    // No other control in view: the focus stays in the box, Tab typed nothing.
    press(f, forms::vbKeyTab, 0, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.Text1);
    press(f, forms::vbKeyTab, forms::vbShiftMask, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.Text1);
    EXPECT_EQ(f.Text1.text(), "");
    // With a button in view, Tab goes there and back, past the covered one.
    f.cmdBeside.setEnabled(true);
    for (forms::Control* want : std::initializer_list<forms::Control*>{&f.cmdBeside, &f.Text1, &f.cmdBeside}) {
        press(f, forms::vbKeyTab, 0, "\t");
        EXPECT_EQ(screen().focusedControl(), want) << "after Tab, want " << want->name();
    }
    // The panel hidden, the button is a stop again.
    f.Panel.setVisible(false);
    press(f, forms::vbKeyTab, forms::vbShiftMask, "\t");
    EXPECT_EQ(screen().focusedControl(), &f.cmdUnder);
    f.unload();
}

TEST(ScreenKeys, EnterPressesTheFocusedButtonOnceOrTheDefaultEscapeTheCancel) {
    Keys& f = showKeys();
    int boxKeys = 0;
    f.Text2.KeyDown = [&](int& code, int) { boxKeys += code == forms::vbKeyReturn || code == forms::vbKeyEscape; };
    f.Text2.KeyPress = [&](int& ascii) { boxKeys += ascii == 13 || ascii == 27; };
    struct Case {
        const char* name;
        forms::Control* focus;
        int key;
        std::map<std::string, int> clicks;
    };
    const Case cases[] = {
        {"Enter on a button", &f.cmdRun, forms::vbKeyReturn, {{"cmdRun", 1}}},
        {"Enter on the Cancel button", &f.cmdCancel, forms::vbKeyReturn, {{"cmdCancel", 1}}},
        {"Enter on the Default button", &f.cmdOK, forms::vbKeyReturn, {{"cmdOK", 1}}},
        {"Enter in a box", &f.Text2, forms::vbKeyReturn, {{"cmdOK", 1}}},
        {"Enter in a multi-line box", &f.Text1, forms::vbKeyReturn, {{"cmdOK", 1}}},
        {"Enter on a list", &f.List1, forms::vbKeyReturn, {{"cmdOK", 1}}},
        {"Escape in a box", &f.Text2, forms::vbKeyEscape, {{"cmdCancel", 1}}},
        {"Escape on a button", &f.cmdRun, forms::vbKeyEscape, {{"cmdCancel", 1}}},
        {"Space on a button", &f.cmdRun, forms::vbKeySpace, {{"cmdRun", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        focusOn(*c.focus);
        f.clicks.clear();
        std::string text = c.key == forms::vbKeyReturn ? "\r" : c.key == forms::vbKeyEscape ? "\x1b" : " ";
        press(f, c.key, 0, text);
        EXPECT_EQ(f.clicks, c.clicks);
        EXPECT_EQ(screen().focusedControl(), c.focus) << "the focus stays";
    }
    EXPECT_EQ(f.Text1.text(), "") << "Enter pressed the Default button, it typed no line break";
    EXPECT_EQ(boxKeys, 0) << "the keys that press Default and Cancel raise no key events";
    // A disabled Default or Cancel button leaves the keys to the box.
    f.cmdOK.setEnabled(false);
    f.cmdCancel.setEnabled(false);
    focusOn(f.Text2);
    f.clicks.clear();
    press(f, forms::vbKeyReturn, 0, "\r");
    press(f, forms::vbKeyEscape, 0, "\x1b");
    EXPECT_TRUE(f.clicks.empty());
    EXPECT_EQ(boxKeys, 4);
    f.Text2.KeyDown = nullptr;
    f.Text2.KeyPress = nullptr;
    f.unload();
}

}  // namespace
