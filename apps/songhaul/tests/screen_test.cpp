// Each downloader build on a real X server (Xvfb, platform xcb), driven by
// the keyboard alone: Tab visits every tab stop in order and comes round,
// through the multi-line header box too; and a whole download done with
// keys only (Tab to the catalogue, an arrow to a line, Tab to Download,
// Enter) against a local server; and the window's icon. One Qt session
// serves the three builds.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "downloader/Form1.hpp"
#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "nettest/scripted_server.hpp"
#include "runtime/app.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

namespace {

const auto* const kQtScreen = ::testing::AddGlobalTestEnvironment(new testsupport::QtScreen);
formsqt::Session& screen() { return testsupport::qtScreen(); }

std::string nameOf(forms::Control* c) { return c ? c->name() : "(none)"; }

void press(forms::Form& f, int keyCode, int shift = 0, const std::string& text = {}) {
    ASSERT_TRUE(screen().pressKey(f, keyCode, shift, text));
    screen().processEvents(10);
}

// Presses Tab until the focus is on c (at most once round the tab stops).
bool tabTo(forms::Form& f, forms::Control& c) {
    for (std::size_t i = 0; i <= f.tabOrder().size() && screen().focusedControl() != &c; ++i)
        press(f, forms::vbKeyTab, 0, "\t");
    return screen().focusedControl() == &c;
}

void keyboardRun(int build) {
    testsupport::TempDir dir;
    runtime::App::setForTest(dir.path(), {}, "Songhaul" + std::to_string(build));
    ::mkdir((dir.path() + "/Media").c_str(), 0755);
    ASSERT_EQ(::symlink(SONGHAUL_PICTURES, (dir.path() + "/songhaul").c_str()), 0);
    downloader::SetBuild(build);
    std::string body(50000, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 13 + i / 241 + build);
    nettest::ScriptedServer server([&](nettest::Connection& c) {
        c.readHead();
        c.send("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\n\r\n");
        c.sendInPieces(body, 10000, 10);
    });

    formsqt::Session& qt = screen();
    ASSERT_EQ(qt.platformName(), "xcb");
    auto& form = forms::Get<downloader::Form1>();
    form.txtFrom.setText(server.url("/Songhaul%20Sampler.mp3"));
    form.show();
    form.zOrder(0);

    // The window carries the form's icon, the program folder's icon.png.
    ASSERT_FALSE(form.icon().empty()) << "no songhaul/icon.png beside the program";
    ASSERT_TRUE(qt.waitUntil([&] { return qt.windowShown(form); }, 3000));
    forms::Picture icon = qt.windowIcon(form);
    ASSERT_FALSE(icon.empty());
    ASSERT_EQ(icon.width(), form.icon().width());
    ASSERT_EQ(icon.height(), form.icon().height());
    int differ = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) differ += icon.pixel(x, y) != form.icon().pixel(x, y);
    EXPECT_EQ(differ, 0);

    // The tab stops a user can reach, in tab order: Run waits for a
    // finished download, the two hidden boxes and the picture box below the
    // client area are passed over.
    std::vector<forms::Control*> stops;
    for (forms::Control* c : form.tabOrder())
        if (form.takesTab(*c)) stops.push_back(c);
    ASSERT_GE(stops.size(), 6u);
    // Songhaul2 starts on Download; the others on Stop (Run comes first but waits).
    forms::Control* first = build == 2 ? static_cast<forms::Control*>(&form.Command1) : &form.Command3;
    EXPECT_EQ(stops.front(), first);
    ASSERT_TRUE(qt.waitUntil([&] { return qt.focusedControl() == first; }, 3000)) << nameOf(qt.focusedControl());
    for (std::size_t i = 1; i <= stops.size(); ++i) {
        press(form, forms::vbKeyTab, 0, "\t");
        EXPECT_EQ(nameOf(qt.focusedControl()), nameOf(stops[i % stops.size()])) << "Tab number " << i;
    }
    EXPECT_EQ(form.txtHead.text(), "") << "Tab typed into the header box";
    press(form, forms::vbKeyTab, forms::vbShiftMask, "\t");
    EXPECT_EQ(nameOf(qt.focusedControl()), nameOf(stops.back()));

    // The download, by keys alone.
    ASSERT_TRUE(tabTo(form, form.List1)) << nameOf(qt.focusedControl());
    press(form, forms::vbKeyDown);
    press(form, forms::vbKeyDown);
    const long line = form.List1.listIndex();
    ASSERT_GE(line, 0) << "the arrows chose no line";
    ASSERT_TRUE(tabTo(form, form.Command1)) << nameOf(qt.focusedControl());
    EXPECT_EQ(form.List1.listIndex(), line);
    press(form, forms::vbKeyReturn, 0, "\r");
    ASSERT_TRUE(qt.waitUntil([&] { return form.lblStatus.caption() == "Download Completed"; }, 10000))
        << form.lblStatus.caption();
    EXPECT_EQ(testsupport::readFile(dir.path() + "/Media/" + form.List1.list(line) + ".mp3"), body);
    EXPECT_EQ(server.connections(), 1) << "Enter pressed Download once";
    form.unload();
    qt.processEvents(20);
}

TEST(SonghaulScreen, Songhaul1ByKeysAlone) { keyboardRun(1); }
TEST(SonghaulScreen, Songhaul2ByKeysAlone) { keyboardRun(2); }
TEST(SonghaulScreen, Songhaul3ByKeysAlone) { keyboardRun(3); }

}  // namespace
