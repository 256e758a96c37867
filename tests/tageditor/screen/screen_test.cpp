// The tag editor on a real X server (Xvfb, platform xcb), with a file loaded:
// where its skin "3.kmf" has the key colour the screen shows what lies
// behind the window, and where the skin keeps a pixel that no control covers
// the screen shows that pixel; again after a repaint and after a second load.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../../metadata/id3v2_fixtures.hpp"
#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "metadata/cmp3id3v1.hpp"
#include "runtime/app.hpp"
#include "tageditor/Form1.hpp"
#include "testsupport/screen.hpp"
#include "testsupport/support.hpp"

#ifndef DOVETUNE_BUILT_PROGRAM_DIR
#error "DOVETUNE_BUILT_PROGRAM_DIR must name the build's program folder"
#endif

namespace {

TEST(EditorScreen, TheSkinShowsAndTheKeyColourLetsTheDesktopThrough) {
    namespace fs = std::filesystem;
    testsupport::TempDir app, home;
    const std::string built = DOVETUNE_BUILT_PROGRAM_DIR;
    ASSERT_TRUE(fs::exists(built + "/3.kmf"));
    testsupport::copyBuilt(app, {"3.kmf", "tageditor"});
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", home.file("config"));
    runtime::App::setForTest(app.path(), {});

    const std::string first = home.file("first.mp3"), second = home.file("second.mp3");
    testsupport::writeFile(first, id3v2test::audio(40));
    testsupport::writeFile(second, id3v2test::audio(60));
    for (const std::string& p : {first, second}) {
        metadata::cMP3ID3v1 t;
        t.setMP3File(p);
        t.setTitle(p == first ? "First" : "Second");
        t.Update();
    }

    formsqt::Session qt;
    ASSERT_EQ(qt.platformName(), "xcb");
    auto& f = forms::Get<tageditor::Form1>();
    f.move(40 * 15, 30 * 15);
    f.show();
    f.txtpath.setText(first);
    f.Timer1.setEnabled(true);
    ASSERT_TRUE(qt.waitUntil([&] { return f.txtTitle.text() == "First"; }, 3000));
    qt.processEvents(500);

    const forms::Picture skin = forms::LoadPicture(app.file("3.kmf"));
    const forms::Colour key = skin.pixel(0, skin.height() - 1);
    testsupport::TempDir dir;
    const char* keep = std::getenv("DOVETUNE_SCREENSHOT");
    const std::string shot = keep && *keep ? std::string(keep) : dir.file("screen.png");

    auto check = [&](const char* when) {
        int wx = 0, wy = 0;
        ASSERT_TRUE(qt.windowPosition(f, wx, wy)) << when;
        // Pixels under a visible control show the control, not the skin.
        std::vector<bool> covered(static_cast<std::size_t>(skin.width() * skin.height()), false);
        for (forms::Control* c : f.controls()) {
            if (!c->effectivelyVisible() || c->kind() == forms::Kind::Timer ||
                c->kind() == forms::Kind::CommonDialog)
                continue;
            const forms::PixelRect r = c->clientRectPixels();
            for (int y = std::max(0, r.top - 1); y < std::min(skin.height(), r.bottom + 1); ++y)
                for (int x = std::max(0, r.left - 1); x < std::min(skin.width(), r.right + 1); ++x)
                    covered[static_cast<std::size_t>(y * skin.width() + x)] = true;
        }
        ASSERT_TRUE(qt.grabScreen(shot)) << when;
        const forms::Picture screen = forms::LoadPicture(shot);
        const forms::Colour behind = screen.pixel(2, 2);  // the desktop, away from the window
        int kept = 0, cut = 0, wrong = 0;
        for (int y = 0; y < skin.height(); ++y)
            for (int x = 0; x < skin.width(); ++x) {
                const forms::Colour want = skin.pixel(x, y);
                const forms::Colour got = screen.pixel(wx + x, wy + y);
                if (want == key) {
                    ++cut;
                    if (got != behind) ++wrong;
                } else if (!covered[static_cast<std::size_t>(y * skin.width() + x)]) {
                    ++kept;
                    if (got != want) ++wrong;
                }
            }
        EXPECT_GT(kept, 20000) << when;
        EXPECT_GT(cut, 500) << when;
        EXPECT_EQ(wrong, 0) << when;
    };
    check("loaded");
    f.setPicture(f.picture());
    qt.processEvents(300);
    check("repainted");
    f.txtpath.setText(second);
    f.Timer1.setEnabled(true);
    ASSERT_TRUE(qt.waitUntil([&] { return f.txtTitle.text() == "Second"; }, 3000));
    qt.processEvents(300);
    check("second load");
    f.unload();
    runtime::App::setForTest("", {});
}

}  // namespace
