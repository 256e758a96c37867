// The skin shape: the run-length scan of small pictures made in code, the key
// colour from the bottom-left pixel, the move past the frame, and applying
// the region to a window.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/forms.hpp"
#include "forms/testing.hpp"
#include "player/Region.hpp"
#include "runtime/error.hpp"

namespace {

using forms::Picture;
using forms::PixelRect;
using player::Region;

constexpr forms::Colour kMagenta = forms::RGB(255, 0, 255);
constexpr forms::Colour kSkin = forms::RGB(10, 20, 30);

// A picture from rows of characters: '#' kept (skin colour), '.' magenta.
Picture picture(const std::vector<std::string>& rows) {
    int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    Picture p = Picture::solid(w, h, kSkin);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (rows[y][x] == '.') p = p.withPixel(x, y, kMagenta);
    return p;
}

// The region drawn back as rows of characters.
std::vector<std::string> drawn(const forms::WindowRegion& r, int w, int h) {
    std::vector<std::string> rows(h, std::string(w, '.'));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (r.contains(x, y)) rows[y][x] = '#';
    return rows;
}

struct Skinned : forms::Form {
    Skinned() : Form("Skinned") {
        setClientSize(4080, 7290);  // sizable, with a menu bar: outer 4215 x 8055
    }
    forms::Menu mnupopup{*this, "mnupopup", "mnupopup"};
};

struct Plain : forms::Form {
    Plain() : Form("Plain") {
        setBorderStyle(forms::BorderStyle::None);
        setClientSize(8070, 7305);
    }
};

class Shape : public ::testing::Test {
protected:
    forms::TestEnvironment env;
};

TEST_F(Shape, ScanKeepsExactlyThePixelsThatDifferFromTheKey) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        std::size_t rects;
    };
    std::vector<Case> cases = {
        {"corners cut", {".##.", "####", "####", ".##."}, 4},
        {"a kept pixel in the last column", {"...#", "#..#", "....", ".###"}, 4},
        {"a row of key pixels adds nothing", {"####", "....", "####", ".##."}, 3},
        {"a row without key pixels is one rectangle", {"####", "####", "####", ".###"}, 4},
        {"two runs in one row", {"#..#", "#.#.", "....", "...."}, 4},
    };
    for (auto& c : cases) {
        Region rgn;
        std::int32_t key = 1;
        rgn.ScanPicture(picture(c.rows), key);
        ASSERT_TRUE(rgn.hndRegion()) << c.what;
        EXPECT_EQ(drawn(*rgn.region(), 4, 4), c.rows) << c.what;
        EXPECT_EQ(rgn.region()->rects().size(), c.rects) << c.what;
    }
}

TEST_F(Shape, KeyComesFromTheBottomLeftPixelInMemoryOrder) {
    Region rgn;
    std::int32_t key = 1;
    Picture p = picture({"##", ".#"}).withPixel(0, 1, forms::RGB(0x11, 0x22, 0x33));
    rgn.ScanPicture(p, key);
    EXPECT_EQ(key, 0x33 + 256 * 0x22 + 65536 * 0x11);  // blue in the low byte
    EXPECT_EQ(rgn.region()->area(), 3);
    // A key given by the caller is in the same form: magenta is the same either way round.
    Region other;
    std::int32_t given = 0x33 + 256 * 0x22 + 65536 * 0x11;
    other.ScanPicture(p, given);
    EXPECT_EQ(other.region()->area(), 3);
    Region rgbOrder;
    std::int32_t wrong = static_cast<std::int32_t>(forms::RGB(0x11, 0x22, 0x33));  // red low: does not match
    rgbOrder.ScanPicture(p, wrong);
    EXPECT_EQ(rgbOrder.region()->area(), 4);
}

TEST_F(Shape, AllKeyPixelsGiveAnEmptyRegion) {
    Region rgn;
    std::int32_t key = 1;
    rgn.ScanPicture(picture({"...", "..."}), key);
    ASSERT_TRUE(rgn.hndRegion());
    EXPECT_TRUE(rgn.region()->empty());
}

TEST_F(Shape, NoPictureIsError91AndNoRegionIsApplied) {
    auto& f = forms::Get<Plain>();
    Region rgn;
    std::int32_t key = 1;
    runtime::Steps step;  // the load event ignores the failing steps
    step([&] { rgn.ScanPicture(Picture(), key); });
    step([&] { rgn.OffsetHeader(f); });
    step([&] { rgn.ApplyRgn(f.hWnd()); });
    EXPECT_EQ(step.failures(), 1);
    EXPECT_EQ(step.lastNumber(), 91);
    EXPECT_EQ(key, 1);
    EXPECT_FALSE(f.region().has_value());
}

TEST_F(Shape, ABitmapThatCannotBeMadeGivesAnEmptyRegionWithoutReadingTheKey) {
    Region rgn;
    std::int32_t key = 1;
    player::cDIBSection::FailMemoryContextsForTest(true);
    rgn.ScanPicture(picture({"##", "##"}), key);
    player::cDIBSection::FailMemoryContextsForTest(false);
    EXPECT_EQ(key, 1);
    ASSERT_TRUE(rgn.hndRegion());
    EXPECT_TRUE(rgn.region()->empty());
    Region zero;
    zero.ScanPicture(Picture::fromRgba(0, 0, {}), key);  // a picture without pixels
    EXPECT_EQ(key, 1);
    EXPECT_TRUE(zero.region()->empty());
}

TEST_F(Shape, OffsetHeaderMovesPastFrameTitleAndMenuBar) {
    auto& f = forms::Get<Skinned>();
    Region rgn;
    std::int32_t key = 1;
    rgn.ScanPicture(picture({"##", ".#"}), key);
    rgn.OffsetHeader(f);
    EXPECT_EQ(f.scaleMode(), forms::vbPixels);
    // dx = (281 - 272) / 2 = 4.5 -> 4 (halves to even), dy = 537 - 486 - 4 = 47
    EXPECT_EQ(rgn.region()->bounds(), (PixelRect{4, 47, 6, 49}));
    EXPECT_EQ(f.clientOffsetX(), 4);
    EXPECT_EQ(f.clientOffsetY(), 47);
}

TEST_F(Shape, OffsetHeaderLeavesABorderlessFormAlone) {
    auto& f = forms::Get<Plain>();
    Region rgn;
    std::int32_t key = 1;
    rgn.ScanPicture(picture({".#"}), key);
    rgn.OffsetHeader(f);
    EXPECT_EQ(f.scaleMode(), forms::vbTwips);
    EXPECT_EQ(rgn.region()->bounds(), (PixelRect{1, 0, 2, 1}));
}

TEST_F(Shape, ApplyRgnGivesTheWindowACopy) {
    auto& f = forms::Get<Plain>();
    std::int32_t key = 1;
    {
        Region rgn;
        rgn.ScanPicture(picture({"####", ".##."}), key);
        rgn.ApplyRgn(f.hWnd());
        rgn.ApplyRgn(0x7fff0000);  // a stale handle: nothing
    }
    ASSERT_TRUE(f.region().has_value());
    EXPECT_EQ(f.region()->area(), 6);
}

TEST_F(Shape, DibLayoutIsBottomUpBlueGreenRed) {
    player::cDIBSection dib;
    dib.CreateFromPicture(picture({"#.", "##", "##"}));
    ASSERT_NE(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(dib.BytesPerScanLine(), 8);  // 6 rounded up to 8
    const std::uint8_t* top = dib.DIBSectionBitsPtr() + 2 * 8;  // the picture's top row is stored last
    EXPECT_EQ(top[3], 255);  // magenta: blue
    EXPECT_EQ(top[4], 0);
    EXPECT_EQ(top[5], 255);
    EXPECT_EQ(dib.DIBSectionBitsPtr()[0], 30);  // skin: blue 30, green 20, red 10
    EXPECT_EQ(dib.DIBSectionBitsPtr()[2], 10);
    dib.ClearUp();
    dib.ClearUp();
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.hDibSection(), 0);
    EXPECT_EQ(dib.hMemDC(), 0);
    player::cDIBSection fresh;
    fresh.ClearUp();
    EXPECT_EQ(fresh.hMemDC(), 0);
}

}  // namespace
