// Keys, the mouse and the controls' looks on a real X server (Xvfb, platform
// xcb): each key and each mouse event reaches the model once, at the control
// that first receives it, wherever Qt would pass it on to the parents of a
// widget that leaves it alone; controls draw as the original's. Mouse moves
// are real pointer moves made with xdotool (skipped with a message where it
// is missing).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);
formsqt::Session& screen() { return testsupport::qtScreen(); }

// Every handler a key or a mouse move can raise, counted by name.
struct Counting : forms::Form {
    forms::Slider Slider1{*this, "Slider1"};
    forms::ListBox List1{*this, "List1"};
    forms::PictureBox Picture1{*this, "Picture1"};
    forms::TextBox Text1{Picture1, "Text1"};
    forms::CheckBox Check1{Picture1, "Check1"};
    forms::CheckBox Check2{*this, "Check2"};
    forms::CommandButton Command1{*this, "Command1"};
    std::map<std::string, int> count;

    Counting() : Form("Counting") {
        setCaption("Counting");
        setClientSize(400 * 15, 240 * 15);
        move(40 * 15, 40 * 15);
        Slider1.setRectTwips(10 * 15, 10 * 15, 150 * 15, 30 * 15);
        List1.setRectTwips(10 * 15, 50 * 15, 150 * 15, 80 * 15);
        Picture1.setRectTwips(180 * 15, 10 * 15, 200 * 15, 120 * 15);
        Text1.setRectTwips(10 * 15, 10 * 15, 150 * 15, 21 * 15);
        Check1.setRectTwips(10 * 15, 50 * 15, 150 * 15, 20 * 15);
        Check1.setCaption("Inside");
        Check2.setRectTwips(10 * 15, 150 * 15, 150 * 15, 20 * 15);
        Check2.setCaption("Loop");
        Command1.setRectTwips(180 * 15, 150 * 15, 100 * 15, 25 * 15);
        Command1.setCaption("Go");
        Text1.setText("");
        for (forms::Control* c : std::initializer_list<forms::Control*>{&Slider1, &List1, &Text1, &Check1, &Check2,
                                                                       &Command1, &Picture1}) {
            std::string n = c->name();
            c->KeyDown = [this, n](int&, int) { ++count[n + ".KeyDown"]; };
            c->KeyPress = [this, n](int&) { ++count[n + ".KeyPress"]; };
            c->KeyUp = [this, n](int&, int) { ++count[n + ".KeyUp"]; };
            c->MouseMove = [this, n](int, int, float, float) { ++count[n + ".MouseMove"]; };
        }
    }
    void Form_Load() override {
        for (const char* line : {"one", "two", "three"}) List1.addItem(line);
    }
    void Form_KeyDown(int&, int) override { ++count["Form_KeyDown"]; }
    void Form_KeyPress(int&) override { ++count["Form_KeyPress"]; }
    void Form_KeyUp(int&, int) override { ++count["Form_KeyUp"]; }
    void Form_MouseMove(int, int, float, float) override { ++count["Form_MouseMove"]; }
};

Counting& showCounting() {
    auto& f = forms::Get<Counting>();
    f.show();
    f.zOrder(0);
    screen().waitUntil([&] { return screen().windowShown(f); }, 3000);
    screen().processEvents(100);
    return f;
}

void focusOn(forms::Control& c) {
    c.setFocus();
    screen().waitUntil([&] { return screen().focusedControl() == &c; }, 1000);
}

TEST(ScreenInput, AKeyRaisesEachHandlerOnceWhereverTheFocusIs) {
    Counting& f = showCounting();
    struct Case {
        forms::Control& focus;
        bool preview;
    };
    const Case cases[] = {{f.Slider1, false}, {f.Slider1, true}, {f.List1, false},
                          {f.List1, true},    {f.Text1, false},  {f.Text1, true}};
    for (const Case& k : cases) {
        const std::string n = k.focus.name();
        SCOPED_TRACE(n + (k.preview ? " with KeyPreview" : " without KeyPreview"));
        f.setKeyPreview(k.preview);
        focusOn(k.focus);
        ASSERT_EQ(screen().focusedControl(), &k.focus);
        // "m" and Space (the player's mute and pause) and a key no widget uses.
        struct Key {
            int code;
            const char* text;
        };
        for (Key key : {Key{'M', "m"}, Key{forms::vbKeySpace, " "}, Key{forms::vbKeyF1 + 4, ""}}) {
            SCOPED_TRACE(key.code);
            f.count.clear();
            ASSERT_TRUE(screen().pressKey(f, key.code, 0, key.text));
            screen().processEvents(10);
            const int formCount = k.preview ? 1 : 0;
            const int press = *key.text ? 1 : 0;
            std::map<std::string, int> want{{n + ".KeyDown", 1}, {n + ".KeyUp", 1}};
            if (press) want[n + ".KeyPress"] = 1;
            if (formCount) {
                want["Form_KeyDown"] = 1;
                want["Form_KeyUp"] = 1;
                if (press) want["Form_KeyPress"] = 1;
            }
            EXPECT_EQ(f.count, want);
        }
        // Alt and Ctrl combinations reach the handlers once too.
        for (int shift : {forms::vbCtrlMask, forms::vbAltMask}) {
            f.count.clear();
            ASSERT_TRUE(screen().pressKey(f, 'Q', shift));
            screen().processEvents(10);
            EXPECT_EQ(f.count[n + ".KeyDown"], 1) << shift;
            EXPECT_EQ(f.count["Form_KeyDown"], k.preview ? 1 : 0) << shift;
        }
    }
    // The text box took each character it was typed once.
    EXPECT_EQ(f.Text1.text(), "m m ");
    f.unload();
}

bool haveXdotool() { return testsupport::haveProgram("xdotool"); }

// Moves the real pointer to a point of the form's client area.
void pointerTo(forms::Form& f, int x, int y) {
    int wx = 0, wy = 0;
    ASSERT_TRUE(screen().windowPosition(f, wx, wy));
    auto r = testsupport::runCommand("xdotool mousemove " + std::to_string(wx + x) + " " + std::to_string(wy + y));
    ASSERT_EQ(r.status, 0);
}

TEST(ScreenInput, AMouseMoveOverAControlRaisesItsMouseMoveAlone) {
    if (!haveXdotool()) GTEST_SKIP() << "xdotool is not installed (scripts/setup installs it)";
    Counting& f = showCounting();
    struct Case {
        forms::Control& control;
        int x, y;  // a point of the form's client area over the control
    };
    const Case cases[] = {
        {f.Check2, 20 + 60, 160},   // a check box on the form
        {f.Check1, 190 + 120, 70},  // a check box in a picture box
        {f.Slider1, 85, 25},
        {f.Command1, 230, 162},
    };
    pointerTo(f, 300, 220);  // the free surface
    screen().processEvents(50);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.control.name());
        pointerTo(f, k.x, k.y);
        screen().processEvents(50);
        f.count.clear();
        pointerTo(f, k.x + 3, k.y + 1);
        screen().waitUntil([&] { return !f.count.empty(); }, 1000);
        screen().processEvents(50);
        EXPECT_EQ(f.count, (std::map<std::string, int>{{k.control.name() + ".MouseMove", 1}}));
    }
    // The free surface is the form's.
    f.count.clear();
    pointerTo(f, 300, 220);
    screen().waitUntil([&] { return !f.count.empty(); }, 1000);
    screen().processEvents(50);
    EXPECT_EQ(f.count, (std::map<std::string, int>{{"Form_MouseMove", 1}}));
    f.unload();
}

// Without a window manager a skinned window follows the pointer itself: a
// drag of 40 pixels moves it by 40 and raises no MouseUp or Click; a plain
// click leaves it in place and clicks.
struct Dragged : forms::Form {
    int clicks = 0, ups = 0;
    explicit Dragged(const char* name = "Dragged") : Form(name) {
        setBorderStyle(forms::BorderStyle::None);
        setClientSize(120 * 15, 90 * 15);
        move(500 * 15, 300 * 15);
    }
    void Form_MouseDown(int Button, int, float, float) override {
        if (Button == forms::vbLeftButton) beginSystemMove();
    }
    void Form_MouseUp(int, int, float, float) override { ++ups; }
    void Form_Click() override { ++clicks; }
};

TEST(ScreenInput, WithoutAWindowManagerADraggedWindowFollowsThePointer) {
    if (!haveXdotool()) GTEST_SKIP() << "xdotool is not installed (scripts/setup installs it)";
    auto& f = forms::Get<Dragged>();
    f.show();
    screen().waitUntil([&] { return screen().windowShown(f); }, 3000);
    screen().processEvents(200);
    int x0 = 0, y0 = 0;
    ASSERT_TRUE(screen().windowPosition(f, x0, y0));
    auto xdo = [](const std::string& args) { ASSERT_EQ(testsupport::runCommand("xdotool " + args).status, 0) << args; };
    pointerTo(f, 60, 45);
    screen().processEvents(50);
    xdo("click 1");
    screen().waitUntil([&] { return f.clicks > 0; }, 1000);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(f.ups, 1);
    f.clicks = f.ups = 0;
    screen().processEvents(600);  // past the double-click time: the next press is a press
    xdo("mousedown 1");
    screen().processEvents(50);
    for (int step = 1; step <= 8; ++step) {
        xdo("mousemove " + std::to_string(x0 + 60 + 5 * step) + " " + std::to_string(y0 + 45 - 5 * step));
        screen().processEvents(30);
    }
    xdo("mouseup 1");
    screen().processEvents(200);
    int x = 0, y = 0;
    ASSERT_TRUE(screen().windowPosition(f, x, y));
    EXPECT_EQ(x, x0 + 40);
    EXPECT_EQ(y, y0 - 40);
    EXPECT_EQ(f.clicks, 0);
    EXPECT_EQ(f.ups, 0);
    EXPECT_EQ(f.left(), (x0 + 40) * 15.0f);
    f.unload();
}

// The same with the window's flags changed (always on top makes its native
// window anew), for a plain window and for a shaped one, also when it went
// on top while it loaded, before it was first shown.
struct ShapedDragged : Dragged {
    explicit ShapedDragged(const char* name = "ShapedDragged") : Dragged(name) {}
    void Form_Load() override {
        forms::WindowRegion r;
        for (int y = 0; y < 90; ++y) r.addRect({y < 10 ? 10 - y : 0, y, 120, y + 1});
        setRegion(r);
    }
};
struct ShapedOnTop : ShapedDragged {
    ShapedOnTop() : ShapedDragged("ShapedOnTop") {}
    void Form_Load() override {
        ShapedDragged::Form_Load();
        setTopmost(true);
    }
};

TEST(ScreenInput, WithoutAWindowManagerTheDragFollowsThePointerAfterTheWindowGoesOnTop) {
    if (!haveXdotool()) GTEST_SKIP() << "xdotool is not installed (scripts/setup installs it)";
    struct Case {
        const char* what;
        std::function<Dragged&()> show;
    };
    auto shown = [](Dragged& f, int changes) -> Dragged& {
        f.show();
        screen().waitUntil([&] { return screen().windowShown(f); }, 3000);
        screen().processEvents(200);
        for (int i = 0; i < changes; ++i) {
            f.setTopmost(i % 2 == 0);
            screen().processEvents(300);
        }
        return f;
    };
    const Case cases[] = {
        {"on top", [&]() -> Dragged& { return shown(forms::Get<Dragged>(), 1); }},
        {"on top and back", [&]() -> Dragged& { return shown(forms::Get<Dragged>(), 2); }},
        {"shaped, on top", [&]() -> Dragged& { return shown(forms::Get<ShapedDragged>(), 1); }},
        {"shaped, on top from its load", [&]() -> Dragged& { return shown(forms::Get<ShapedOnTop>(), 0); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Dragged& f = k.show();
        testsupport::expectClickStaysAndDragMoves(screen(), f, 60, 45);
        f.unload();
    }
}

// ---- looks ----

// Saves a control's picture for a look at it when DOVETUNE_SCREENSHOT_DIR names a folder.
void keep(const forms::Picture& p, const std::string& name) {
    const char* dir = std::getenv("DOVETUNE_SCREENSHOT_DIR");
    if (dir && *dir) testsupport::writeFile(std::string(dir) + "/" + name + ".bmp", forms::encodeBmp(p));
}

struct Counts {
    int back = 0, white = 0, black = 0, fore = 0;
};
bool dark(forms::Colour c) { return std::max({forms::redOf(c), forms::greenOf(c), forms::blueOf(c)}) < 90; }
bool whiteish(forms::Colour c) { return std::min({forms::redOf(c), forms::greenOf(c), forms::blueOf(c)}) > 235; }
Counts countColours(const forms::Picture& p, forms::Colour back) {
    Counts n;
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x) {
            forms::Colour c = p.pixel(x, y);
            if (c == back) ++n.back;
            if (whiteish(c)) ++n.white;
            if (dark(c)) ++n.black;
            // the caption's pixels, blended with the back colour at their edges
            if (forms::blueOf(c) > 150 && forms::redOf(c) < 100 && forms::greenOf(c) < 100) ++n.fore;
        }
    return n;
}

constexpr forms::Colour kBack = forms::RGB(200, 180, 40);
constexpr forms::Colour kFore = forms::RGB(0, 0, 255);

struct Looks : forms::Form {
    forms::CheckBox Check1{*this, "Check1"};
    forms::OptionButton Option1{*this, "Option1"};
    forms::ComboBox Combo1{*this, "Combo1"};
    forms::Slider Slider1{*this, "Slider1"};  // vertical, no ticks
    forms::Slider Slider2{*this, "Slider2"};  // vertical, ticks on the right
    forms::CommandButton Command1{*this, "Command1"};  // graphical
    forms::ListBox List1{*this, "List1"};
    forms::PictureBox Picture1{*this, "Picture1"};  // with its sunken edge
    forms::Label Label1{Picture1, "Label1"};
    int clicks = 0;
    Looks() : Form("Looks") {
        setCaption("Looks");
        setClientSize(300 * 15, 200 * 15);
        move(300 * 15, 40 * 15);
        setBackColor(forms::RGB(20, 120, 60));
        Check1.setRectTwips(10 * 15, 10 * 15, 120 * 15, 24 * 15);
        Check1.setCaption("Loop");
        Option1.setRectTwips(10 * 15, 40 * 15, 120 * 15, 24 * 15);
        Option1.setCaption("Shuffle");
        for (forms::Control* c : std::initializer_list<forms::Control*>{&Check1, &Option1}) {
            c->setBackColor(kBack);
            c->setForeColor(kFore);
        }
        Check1.setValue(1);
        Option1.setValue(true);
        Combo1.setStyle(2);  // a drop-down list
        Combo1.setRectTwips(150 * 15, 10 * 15, 120 * 15, 21 * 15);
        int x = 10;
        for (forms::Slider* s : {&Slider1, &Slider2}) {
            s->setOrientation(1);
            s->setMin(0);
            s->setMax(10);
            s->setRectTwips(x * 15.0f, 80 * 15, 40 * 15, 110 * 15);
            x += 50;
        }
        Slider1.setTickStyle(3);
        Command1.setRectTwips(150 * 15, 80 * 15, 60 * 15, 30 * 15);
        Command1.setStyle(1);
        Command1.setCaption("");
        Command1.setBackColor(forms::RGB(192, 192, 192));
        Command1.setPicture(buttonPicture());
        Command1.Click = [this] { ++clicks; };
        List1.setRectTwips(220 * 15, 80 * 15, 70 * 15, 60 * 15);
        Picture1.setRectTwips(220 * 15, 150 * 15, 70 * 15, 40 * 15);
        Picture1.setBackColor(forms::RGB(255, 255, 255));
        Label1.setRectTwips(0, 0, 20 * 15, 10 * 15);
        Label1.setBackStyle(1);
        Label1.setBackColor(forms::RGB(0, 160, 0));
        Label1.setCaption("");
    }
    // 20 x 12: red with a blue column at x = 4.
    static forms::Picture buttonPicture() {
        std::vector<std::uint8_t> px(20 * 12 * 4);
        for (int i = 0; i < 20 * 12; ++i) {
            bool column = i % 20 == 4;
            px[i * 4 + 0] = column ? 0 : 220;
            px[i * 4 + 1] = 0;
            px[i * 4 + 2] = column ? 220 : 0;
            px[i * 4 + 3] = 255;
        }
        return forms::Picture::fromRgba(20, 12, std::move(px));
    }
    void Form_Load() override {
        for (const char* line : {"Rock", "Jazz", "Blues"}) {
            Combo1.addItem(line);
            List1.addItem(line);
        }
        Combo1.setListIndex(0);
    }
};

Looks& showLooks() {
    auto& f = forms::Get<Looks>();
    f.show();
    screen().waitUntil([&] { return screen().windowShown(f); }, 3000);
    screen().processEvents(100);
    return f;
}

TEST(ScreenLooks, ACheckBoxAndAnOptionButtonFillTheirRectangleWithTheBackColour) {
    Looks& f = showLooks();
    for (forms::Control* c : std::initializer_list<forms::Control*>{&f.Check1, &f.Option1}) {
        SCOPED_TRACE(c->name());
        forms::Picture p = screen().grabControl(*c);
        keep(p, c->name());
        ASSERT_EQ(p.width(), 120);
        // The corners and the space right of the caption are the back colour.
        for (auto [x, y] : {std::pair{0, 0}, {119, 0}, {0, 23}, {119, 23}, {110, 12}})
            EXPECT_EQ(p.pixel(x, y), kBack) << x << "," << y;
        Counts n = countColours(p, kBack);
        EXPECT_GT(n.back, 120 * 24 / 2);
        EXPECT_GT(n.white, 20) << "a white tick box";
        EXPECT_GT(n.black, 3) << "a dark tick";
        EXPECT_GT(n.fore, 10) << "the caption in the fore colour";
        // The tick box is white, not the back colour: left of the caption, in the middle row.
        int whiteInBox = 0;
        for (int x = 0; x < 20; ++x) whiteInBox += whiteish(p.pixel(x, 12)) || dark(p.pixel(x, 12));
        EXPECT_GT(whiteInBox, 5);
    }
    f.unload();
}

bool grab(forms::Picture& shot) {
    testsupport::TempDir dir;
    if (!screen().grabScreen(dir.file("s.png"))) return false;
    shot = forms::LoadPicture(dir.file("s.png"));
    return !shot.empty();
}

TEST(ScreenLooks, ADropDownListOpensBelowItsFieldWithLinesOfTheFontsHeight) {
    Looks& f = showLooks();
    int wx = 0, wy = 0;
    ASSERT_TRUE(screen().windowPosition(f, wx, wy));
    const int left = wx + 150, top = wy + 10, width = 120, height = 21;
    forms::Picture before, open;
    ASSERT_TRUE(grab(before));
    ASSERT_TRUE(screen().click(f.Combo1));
    screen().processEvents(400);
    ASSERT_TRUE(grab(open));
    keep(open, "combo-open");
    // The current line is marked in the list below the field, not over it.
    auto marked = [&](int y) {
        int n = 0;
        for (int x = left + 2; x < left + width - 2; ++x) {
            forms::Colour c = open.pixel(x, y);
            n += forms::blueOf(c) > 150 && forms::redOf(c) < 110 && forms::blueOf(c) > forms::greenOf(c) + 30;
        }
        return n > width / 2;
    };
    int firstMarked = -1;
    for (int y = top - 40; y < top + height + 100 && firstMarked < 0; ++y)
        if (marked(y)) firstMarked = y;
    EXPECT_GE(firstMarked, top + height) << "the list opened over the field";
    EXPECT_LT(firstMarked, top + height + 6);
    // Below the field: the list, three lines of about the font's height.
    int lastChanged = -1;
    for (int y = top + height; y < top + height + 200; ++y)
        if (before.pixel(left + width / 2, y) != open.pixel(left + width / 2, y)) lastChanged = y;
    ASSERT_GT(lastChanged, top + height + 20) << "no list below the field";
    EXPECT_LT(lastChanged - (top + height), 3 * 18 + 8) << "lines taller than the font's";
    screen().pressKey(f, forms::vbKeyEscape);
    screen().processEvents(100);
    f.unload();
}

// The rows of a vertical slider's picture where something wider than its
// groove is drawn across the middle: the thumb.
std::pair<int, int> thumbRows(const forms::Picture& p) {
    forms::Colour back = p.pixel(0, 0);
    int first = -1, last = -1;
    for (int y = 0; y < p.height(); ++y) {
        int ink = 0;
        for (int x = 0; x < p.width(); ++x) ink += p.pixel(x, y) != back;
        if (ink >= p.width() / 4) {
            if (first < 0) first = y;
            last = y;
        }
    }
    return {first, last};
}

TEST(ScreenLooks, AVerticalSliderHasMinAtTheTopAndItsTicks) {
    Looks& f = showLooks();
    forms::Picture atMin = screen().grabControl(f.Slider1);
    keep(atMin, "slider-min");
    auto [top, bottom] = thumbRows(atMin);
    ASSERT_GE(top, 0) << "no thumb";
    EXPECT_LT(bottom, atMin.height() / 2) << "the thumb at Min is at the top";
    f.Slider1.setValue(10);
    screen().processEvents(50);
    auto [top2, bottom2] = thumbRows(screen().grabControl(f.Slider1));
    EXPECT_GT(top2, atMin.height() / 2) << "the thumb at Max is at the bottom";
    (void)bottom2;
    // The same slider with ticks: eleven marks right of the groove (one for
    // each position), none without.
    f.Slider1.setValue(0);
    screen().processEvents(50);
    forms::Picture plain = screen().grabControl(f.Slider1), ticked = screen().grabControl(f.Slider2);
    keep(ticked, "slider-ticks");
    auto marks = [](const forms::Picture& p) {
        forms::Colour back = p.pixel(0, 0);
        int runs = 0;
        bool was = false;
        for (int y = 0; y < p.height(); ++y) {
            bool ink = false;
            for (int x = p.width() * 3 / 4; x < p.width(); ++x) ink = ink || p.pixel(x, y) != back;
            runs += ink && !was;
            was = ink;
        }
        return runs;
    };
    EXPECT_EQ(marks(plain), 0);
    EXPECT_EQ(marks(ticked), 11);
    f.unload();
}

TEST(ScreenLooks, AGraphicalButtonDrawsItsEdgeAndItsPictureUpPressedAndDisabled) {
    Looks& f = showLooks();
    const forms::Colour red = forms::RGB(220, 0, 0), blue = forms::RGB(0, 0, 220);
    const forms::Colour white = forms::RGB(255, 255, 255), black = forms::RGB(0, 0, 0);
    // 60 x 30: the picture's left edge at (60 - 4 - 20) / 2 + 2 = 20, top at 9.
    forms::Picture up = screen().grabControl(f.Command1);
    keep(up, "button-up");
    ASSERT_EQ(up.width(), 60);
    EXPECT_EQ(up.pixel(0, 0), white);
    EXPECT_EQ(up.pixel(59, 29), black);
    EXPECT_EQ(up.pixel(30, 1), forms::RGB(223, 223, 223));
    EXPECT_EQ(up.pixel(30, 28), forms::RGB(128, 128, 128));
    EXPECT_EQ(up.pixel(20, 9), red);
    EXPECT_EQ(up.pixel(24, 9), blue);
    EXPECT_EQ(up.pixel(19, 9), forms::RGB(192, 192, 192)) << "the face in the back colour";

    if (testsupport::haveProgram("xdotool")) {
        // Held down with the real pointer: a sunken edge, the picture one pixel down and right.
        pointerTo(f, 150 + 30, 80 + 15);
        screen().processEvents(50);
        ASSERT_EQ(testsupport::runCommand("xdotool mousedown 1").status, 0);
        screen().processEvents(150);
        int wx = 0, wy = 0;
        ASSERT_TRUE(screen().windowPosition(f, wx, wy));
        forms::Picture shot;
        ASSERT_TRUE(grab(shot));
        ASSERT_EQ(testsupport::runCommand("xdotool mouseup 1").status, 0);
        screen().processEvents(150);
        auto at = [&](int x, int y) { return shot.pixel(wx + 150 + x, wy + 80 + y); };
        EXPECT_EQ(at(0, 0), black);
        EXPECT_EQ(at(59, 29), black);
        EXPECT_EQ(at(1, 1), forms::RGB(128, 128, 128));
        EXPECT_EQ(at(25, 10), blue) << "the picture one pixel down and right";
        EXPECT_EQ(at(21, 10), red);
        EXPECT_EQ(at(20, 10), forms::RGB(192, 192, 192));
        EXPECT_EQ(f.clicks, 1);
    }

    // Disabled: the picture greyed.
    f.Command1.setEnabled(false);
    screen().processEvents(50);
    forms::Picture off = screen().grabControl(f.Command1);
    keep(off, "button-disabled");
    forms::Colour c = off.pixel(22, 12);
    EXPECT_NE(c, red);
    EXPECT_LT(std::abs(forms::redOf(c) - forms::blueOf(c)), 40) << "grey, not coloured";
    f.Command1.setEnabled(true);
    f.unload();
}

TEST(ScreenLooks, AListMarksItsLineInTheSystemsHighlightWithOrWithoutTheFocus) {
    Looks& f = showLooks();
    f.List1.setListIndex(1);
    const forms::Colour highlight = forms::resolveColour(forms::vbHighlight);
    auto marked = [&] {
        forms::Picture p = screen().grabControl(f.List1);
        int n = 0;
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x) n += p.pixel(x, y) == highlight;
        return n;
    };
    f.Combo1.setFocus();
    screen().processEvents(50);
    EXPECT_GT(marked(), 200) << "without the focus";
    f.List1.setFocus();
    screen().processEvents(50);
    EXPECT_GT(marked(), 200) << "with the focus";
    f.unload();
}

TEST(ScreenLooks, APictureBoxWithABorderHasASunkenEdgeAndItsChildrenInsideIt) {
    Looks& f = showLooks();
    forms::Picture p = screen().grabControl(f.Picture1);
    keep(p, "picture-box");
    ASSERT_EQ(p.width(), 70);
    EXPECT_EQ(p.pixel(0, 0), forms::RGB(128, 128, 128));
    EXPECT_EQ(p.pixel(1, 1), forms::RGB(0, 0, 0));
    EXPECT_EQ(p.pixel(69, 39), forms::RGB(255, 255, 255));
    EXPECT_EQ(p.pixel(68, 38), forms::RGB(223, 223, 223));
    // The label at 0, 0 of the picture box begins inside the edge.
    EXPECT_EQ(p.pixel(2, 2), forms::RGB(0, 160, 0));
    EXPECT_EQ(p.pixel(21, 11), forms::RGB(0, 160, 0));
    EXPECT_EQ(p.pixel(22, 12), forms::RGB(255, 255, 255));
    f.unload();
}

}  // namespace
