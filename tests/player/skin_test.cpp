// The drawn skin: the length the start-up check wants, a picture of the
// client area's size, the same bytes from every run, and every visible
// control of the main window on kept (non-key) pixels.

#include <gtest/gtest.h>

#include <string>

#include "forms/picture.hpp"
#include "player_fixture.hpp"

namespace {

std::string skinPath() { return playertest::builtProgramDir() + "/New2.kmf"; }

TEST(Skin, IsAGifOfTheClientAreaAtTheCheckedLength) {
    std::string bytes = testsupport::readFile(skinPath());
    EXPECT_EQ(static_cast<long>(bytes.size()), player::kSkinLength);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    forms::Picture pic = forms::LoadPicture(skinPath());
    EXPECT_EQ(pic.width(), 272);
    EXPECT_EQ(pic.height(), 486);
    EXPECT_EQ(pic.pixel(0, 485), forms::RGB(255, 0, 255));  // the key, bottom left
}

TEST(Skin, EveryRunDrawsTheSameBytes) {
    testsupport::TempDir a, b;
    for (auto* d : {&a, &b}) {
        auto r = testsupport::runCommand(std::string(DOVETUNE_SKIN_TOOL) + " " + d->path());
        ASSERT_EQ(r.status, 0) << r.output;
    }
    EXPECT_EQ(testsupport::readFile(a.file("New2.kmf")), testsupport::readFile(b.file("New2.kmf")));
    EXPECT_EQ(testsupport::readFile(a.file("New2.kmf")), testsupport::readFile(skinPath()));
    EXPECT_EQ(testsupport::readFile(a.file("skin/close.png")), testsupport::readFile(b.file("skin/close.png")));
}

TEST(Skin, VisibleControlsLieOnKeptPixels) {
    playertest::Player p;
    auto& f = p.start();
    forms::Picture pic = forms::LoadPicture(skinPath());
    const forms::Colour key = pic.pixel(0, pic.height() - 1);
    int checked = 0;
    for (forms::Control* c : f.controls()) {
        if (c->kind() == forms::Kind::Timer || c->kind() == forms::Kind::CommonDialog) continue;
        forms::PixelRect r = c->clientRectPixels();
        if (r.left >= pic.width() || r.top >= pic.height()) continue;  // outside the face: never seen
        ++checked;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ASSERT_NE(pic.pixel(x, y), key) << c->name() << " at " << x << "," << y;
    }
    EXPECT_GE(checked, 40);
}

}  // namespace
