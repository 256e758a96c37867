// A shaped window on a real X server (Xvfb, platform xcb): the screen shows
// exactly the skin's kept pixels, with no frame, title bar or menu bar, and
// nothing where the key colour was. Qt's offscreen platform applies no window
// masks, so this runs under xvfb-run and grabs the screen.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "forms/forms.hpp"
#include "formsqt/run.hpp"
#include "player/Region.hpp"
#include "testsupport/support.hpp"

namespace {

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
    formsqt::Session qt;
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
}

}  // namespace
