// The options window on a real X server (Xvfb, platform xcb): each of the six
// pages in turn shows the page background wherever no control covers it, in
// the pages' one place (Left 2880, Top 480; the opacity page at Top 600),
// and the client area outside the pages shows the window's background. The
// contact window opens beside it with the main window's icon.
//
// While a Send waits for a silent server, the contact window goes on
// painting and taking keys, with Send greyed; the outcome comes back to it.
//
// DOVETUNE_SCREENSHOT_DIR keeps the screen grabs (page-1.png ... contact.png,
// contact-sending.png).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "nettest/smtp_sink.hpp"
#include "options/Contact.hpp"
#include "options/frmTestControls.hpp"
#include "runtime/app.hpp"
#include "runtime/settings.hpp"
#include "system/mail.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

#ifndef DOVETUNE_BUILT_PROGRAM_DIR
#error "DOVETUNE_BUILT_PROGRAM_DIR must name the build's program folder"
#endif

namespace {

namespace fs = std::filesystem;

// The one Qt application of this process, made before the first test.
const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);

struct Program {
    testsupport::TempDir app, home;
    testsupport::ScopedEnv config{"XDG_CONFIG_HOME", home.file("config")};
    testsupport::ScopedEnv data{"XDG_DATA_HOME", home.file("data")};
    Program() {
        const std::string built = DOVETUNE_BUILT_PROGRAM_DIR;
        for (const char* folder : {"options", "skin"}) {
            if (!fs::exists(built + "/" + folder)) continue;
            fs::create_directories(app.file(folder));
            for (auto& e : fs::directory_iterator(built + "/" + folder))
                fs::copy_file(e.path(), app.file(std::string(folder) + "/" + e.path().filename().string()));
        }
        if (fs::exists(built + "/New2.kmf")) fs::copy_file(built + "/New2.kmf", app.file("New2.kmf"));
        runtime::App::setForTest(app.path(), {});
    }
    ~Program() {
        // The contact window loads the main window for its icon.
        forms::Application::instance().reset();
        testsupport::qtScreen().processEvents(100);
        runtime::App::setForTest("", {});
    }
    std::string shot(const std::string& name, testsupport::TempDir& dir) {
        const char* keep = std::getenv("DOVETUNE_SCREENSHOT_DIR");
        return keep && *keep ? std::string(keep) + "/" + name : dir.file(name);
    }
};

TEST(OptionsScreen, EachPageShowsThePageBackgroundAndTheRestTheWindowsBackground) {
    Program p;
    const forms::Picture background = forms::LoadPicture(p.app.file("options/background.png"));
    const forms::Picture page = forms::LoadPicture(p.app.file("options/page.png"));
    ASSERT_EQ(background.width(), 668);
    ASSERT_EQ(page.width(), 377);

    formsqt::Session& qt = testsupport::qtScreen();
    ASSERT_EQ(qt.platformName(), "xcb");
    auto& o = forms::Get<options::frmTestControls>();
    o.move(30 * 15, 20 * 15);
    o.show();
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(o); }, 3000));
    qt.processEvents(400);

    struct Step {
        forms::Label* entry;
        forms::PictureBox* page;
    };
    const Step steps[] = {{&o.Label6, &o.Picture1}, {&o.Label4, &o.Picture2}, {&o.Label11, &o.Picture3},
                          {&o.Label10, &o.Picture4}, {&o.Label7, &o.Picture5}, {&o.Label3, &o.Picture7}};
    testsupport::TempDir dir;
    int n = 0;
    for (const Step& s : steps) {
        ++n;
        ASSERT_TRUE(qt.click(*s.entry)) << s.page->name();
        ASSERT_TRUE(qt.waitUntil([&] { return s.page->visible(); }, 2000)) << s.page->name();
        qt.processEvents(300);
        EXPECT_EQ(s.page->leftTwips(), 2880);
        EXPECT_EQ(s.page->topTwips(), s.page == &o.Picture7 ? 600 : 480);

        const int W = static_cast<int>(o.clientWidthTwips() / 15), H = static_cast<int>(o.clientHeightTwips() / 15);
        // Pixels under a visible control (with a pixel round it) show the control.
        std::vector<bool> covered(static_cast<std::size_t>(W * H), false);
        for (forms::Control* c : o.controls()) {
            if (!c->effectivelyVisible() || c == &o.Image1 || c->kind() == forms::Kind::Timer ||
                c->kind() == forms::Kind::PictureBox)
                continue;
            const forms::PixelRect r = c->clientRectPixels();
            for (int y = std::max(0, r.top - 1); y < std::min(H, r.bottom + 1); ++y)
                for (int x = std::max(0, r.left - 1); x < std::min(W, r.right + 1); ++x)
                    covered[static_cast<std::size_t>(y * W + x)] = true;
        }
        const std::string path = p.shot("page-" + std::to_string(n) + ".png", dir);
        ASSERT_TRUE(qt.grabScreen(path));
        const forms::Picture screen = forms::LoadPicture(path);
        int wx = 0, wy = 0;
        ASSERT_TRUE(qt.windowPosition(o, wx, wy));
        const forms::PixelRect pr = s.page->clientRectPixels();
        int onPage = 0, pageWrong = 0, outside = 0, outsideWrong = 0;
        for (int y = 0; y < std::min(H, background.height()); ++y)
            for (int x = 0; x < std::min(W, background.width()); ++x) {
                if (covered[static_cast<std::size_t>(y * W + x)]) continue;
                const forms::Colour got = screen.pixel(wx + x, wy + y);
                if (x >= pr.left && x < pr.right && y >= pr.top && y < pr.bottom) {
                    ++onPage;
                    if (got != page.pixel(x - pr.left, y - pr.top)) ++pageWrong;
                } else {
                    ++outside;
                    if (got != background.pixel(x, y)) ++outsideWrong;
                }
            }
        EXPECT_GT(onPage, 20000) << s.page->name();
        EXPECT_EQ(pageWrong, 0) << s.page->name();
        EXPECT_GT(outside, 100000) << s.page->name();
        EXPECT_EQ(outsideWrong, 0) << s.page->name();
    }

    // The contact line opens the contact window, carrying the main window's icon.
    ASSERT_TRUE(qt.click(o.Label11));
    qt.processEvents(100);
    ASSERT_TRUE(qt.click(o.Label23));
    auto* c = forms::IfLoaded<options::Contact>();
    ASSERT_NE(c, nullptr);
    c->move(740 * 15, 20 * 15);
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(*c); }, 3000));
    qt.processEvents(400);
    ASSERT_TRUE(qt.grabScreen(p.shot("contact.png", dir)));
    EXPECT_FALSE(qt.windowIcon(*c).empty());
    c->unload();
    o.unload();
}

TEST(OptionsScreen, BothWindowsWithTheKeyboardAlone) {
    Program p;
    formsqt::Session& qt = testsupport::qtScreen();
    auto& o = forms::Get<options::frmTestControls>();
    o.show();
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(o); }, 3000));
    o.zOrder(0);  // the window in front and active, as without a window manager nothing makes it so
    qt.processEvents(300);
    EXPECT_EQ(qt.focusedControl(), &o.Fade) << (qt.focusedControl() ? qt.focusedControl()->name() : "none");
    // Ctrl+PageDown walks the side bar: main player, opacity, file types.
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(qt.pressKey(o, forms::vbKeyPageDown, forms::vbCtrlMask));
    ASSERT_TRUE(qt.waitUntil([&] { return o.Picture2.visible(); }, 2000))
        << o.Picture1.visible() << o.Picture7.visible() << " focus " << (o.activeControl() ? o.activeControl()->name() : "none");
    EXPECT_TRUE(o.Label4.font().bold);
    for (int i = 0; i < 10 && qt.focusedControl() != &o.Wav; ++i) {
        qt.pressKey(o, forms::vbKeyTab);
        qt.processEvents(30);
    }
    ASSERT_EQ(qt.focusedControl(), &o.Wav);
    qt.pressKey(o, forms::vbKeySpace, 0, " ");
    ASSERT_TRUE(qt.waitUntil([&] { return o.Wav.value() == 1; }, 2000));
    for (int i = 0; i < 12 && qt.focusedControl() != &o.Command3; ++i) {
        qt.pressKey(o, forms::vbKeyTab);
        qt.processEvents(30);
    }
    ASSERT_EQ(qt.focusedControl(), &o.Command3);
    qt.pressKey(o, forms::vbKeySpace, 0, " ");
    ASSERT_TRUE(qt.waitUntil([&] { return !o.isLoaded(); }, 5000));  // Done's progress, then closed
    EXPECT_EQ(runtime::GetSetting(p.app.path(), " setting", "Wav"), "1");

    // Escape is Cancel.
    auto& again = forms::Get<options::frmTestControls>();
    again.show();
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(again); }, 3000));
    again.zOrder(0);
    qt.processEvents(200);
    qt.pressKey(again, forms::vbKeyEscape);
    ASSERT_TRUE(qt.waitUntil([&] { return !again.isLoaded(); }, 2000));

    // The contact window: Tab runs through the fields in reading order, past
    // the body box nobody sees.
    auto& c = forms::Get<options::Contact>();
    c.show();
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(c); }, 3000));
    c.zOrder(0);
    qt.processEvents(300);
    std::vector<forms::Control*> seen;
    for (int i = 0; i < 9; ++i) {
        seen.push_back(qt.focusedControl());
        qt.pressKey(c, forms::vbKeyTab);
        qt.processEvents(30);
    }
    const std::vector<forms::Control*> want = {&c.Combo1, &c.Name1, &c.Text1, &c.Text2, &c.Text3,
                                               &c.Text4,  &c.Command1, &c.Command2, &c.Combo1};
    EXPECT_EQ(seen, want);
    c.unload();
}

TEST(OptionsScreen, TheContactWindowGoesOnWhileASendWaits) {
    Program p;
    testsupport::TempDir dir;
    formsqt::Session& qt = testsupport::qtScreen();
    nettest::SmtpSink sink({"250 OK", nettest::SmtpSink::Stall::AfterData});
    testsupport::ScopedEnv url("DOVETUNE_SMTP_URL", sink.url());
    sys::MailLimits saved = sys::DefaultMailLimits();
    sys::DefaultMailLimits().totalTimeoutMs = 1500;
    auto& c = forms::Get<options::Contact>();
    c.show();
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(c); }, 3000));
    c.zOrder(0);
    c.Text1.setText("jo@home.example");
    qt.processEvents(200);
    ASSERT_TRUE(qt.click(c.Command1));
    sys::DefaultMailLimits() = saved;
    qt.processEvents(200);
    EXPECT_FALSE(c.Command1.enabled());
    ASSERT_TRUE(qt.click(c.Text2));
    qt.pressKey(c, 'X', forms::vbShiftMask, "X");
    ASSERT_TRUE(qt.waitUntil([&] { return c.Text2.text() == "X"; }, 500)) << c.Text2.text();
    EXPECT_FALSE(c.Command1.enabled());  // still waiting while the key was taken
    qt.processEvents(200);
    EXPECT_TRUE(qt.grabScreen(p.shot("contact-sending.png", dir)));
    qt.answerNextMessageBox(forms::vbOK);
    ASSERT_TRUE(qt.waitUntil([&] { return c.Command1.enabled(); }, 5000));
    ASSERT_TRUE(qt.lastBox().has_value());
    EXPECT_NE(qt.lastBox()->text.find("may still deliver it"), std::string::npos) << qt.lastBox()->text;
    c.unload();
}

}  // namespace
