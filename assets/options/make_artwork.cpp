// Draws the options window's pictures:
//
//     options_artwork OUTPUT_FOLDER
//
// writes:
//   icon.png         the window's icon, 32 x 32 with a transparent ground
//   background.png   the window's background Image1, 668 x 400
//   page.png         the pages' light striped background, 377 x 285
//   done.png         the face of the Done button, 81 x 25
//   pointer.png      the pointer over the side bar and the links, 32 x 32 with
//                    a transparent ground; its hot spot is the fingertip at 12, 1
//
// The background's frames, icons and page seat follow the control table of
// options_layout.hpp.

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "artwork.hpp"
#include "options_layout.hpp"

namespace {

using namespace artwork;
using namespace artwork::palette;

constexpr int kW = 668, kH = 400;
constexpr float kHeader = 32;  // the pages start at 480 twips

// ---- side-bar icons, 18 x 18 with their top-left corner at (x, y) ------

void iconNote(Canvas& c, float x, float y) {
    c.circle(x + 6, y + 14, 3.6f, kBody);
    c.rect(x + 8.6f, y + 2, x + 10.4f, y + 14, kBody);
    c.polygon({x + 10, y + 2, x + 16, y + 5, x + 16, y + 8, x + 10, y + 5.5f}, kAccent);
}

void iconOpacity(Canvas& c, float x, float y) {
    c.ring(x + 9, y + 9, 6.5f, 8, kBody);
    c.shade(x, y, x + 18, y + 18, [&](float px_, float py, Rgb& out) {
        out = kAccent;
        return (std::hypot(px_ - x - 9, py - y - 9) <= 6.5f && px_ < x + 9) ? 1.0f : 0.0f;
    });
}

void iconFiles(Canvas& c, float x, float y) {
    c.polygon({x + 3, y + 1, x + 11, y + 1, x + 15, y + 5, x + 15, y + 17, x + 3, y + 17}, kBody);
    c.polygon({x + 4.5f, y + 2.5f, x + 10.3f, y + 2.5f, x + 13.5f, y + 5.7f, x + 13.5f, y + 15.5f, x + 4.5f,
               y + 15.5f},
              kLight);
    c.polygon({x + 10.5f, y + 1, x + 15, y + 5.5f, x + 10.5f, y + 5.5f}, kBody);
    c.circle(x + 8, y + 12.5f, 1.8f, kAccent);
    c.rect(x + 9.2f, y + 7, x + 10.4f, y + 12.5f, kAccent);
}

void iconRestore(Canvas& c, float x, float y) {
    c.shade(x, y, x + 18, y + 18, [&](float px_, float py, Rgb& out) {
        out = kBody;
        float d = std::hypot(px_ - x - 9, py - y - 9.5f);
        bool gap = px_ > x + 9 && py < y + 9.5f;  // the ring opens at its upper right
        return (d > 5 && d <= 7 && !gap) ? 1.0f : 0.0f;
    });
    c.polygon({x + 9, y + 0.5f, x + 14, y + 3.5f, x + 9, y + 6.5f}, kAccent);
}

void iconHelp(Canvas& c, float x, float y) {
    c.circle(x + 9, y + 9, 8, kAccent);
    c.text(sansBold(), x + 5.4f, y + 14, 13, "?", kShadow);
}

void iconAbout(Canvas& c, float x, float y) {
    c.circle(x + 9, y + 9, 8, kBody);
    c.circle(x + 9, y + 5, 1.5f, kAccent);
    c.rect(x + 7.8f, y + 7.5f, x + 10.2f, y + 14, kAccent);
}

void iconMail(Canvas& c, float x, float y) {
    c.rect(x + 1, y + 4, x + 17, y + 15, kBody);
    c.rect(x + 2.2f, y + 5.2f, x + 15.8f, y + 13.8f, kLight);
    c.line(x + 2.5f, y + 5.5f, x + 9, y + 10.5f, 1.4f, kAccent);
    c.line(x + 15.5f, y + 5.5f, x + 9, y + 10.5f, 1.4f, kAccent);
}

// A side-bar frame: a dark title bar with its caption over a light inside.
void sideFrame(Canvas& c, float y0, float y1, const char* title) {
    c.plate(8, y0, 184, y1, 5, kPlate);
    c.roundRect(10, y0 + 21, 182, y1 - 3, 3, kLight);
    c.rect(10, y0 + 21, 182, y0 + 22, kShadow, 0.5f);
    c.rect(14, y0 + 8, 17, y0 + 16, kAccent);
    c.text(sansBold(), 22, y0 + 15.5f, 11, title, kText);
}

Image background() {
    Canvas c(kW, kH);
    c.vgradient(0, 0, kW, kH, hex(0x2c3440), hex(0x1e252d));
    // the header strip
    c.vgradient(0, 0, kW, kHeader, hex(0x38424e), hex(0x28303a));
    c.rect(0, kHeader - 2, kW, kHeader - 1, kShadow);
    c.rect(0, kHeader - 1, kW, kHeader, kAccent, 0.85f);
    // a small slider mark before the word
    for (int i = 0; i < 3; ++i) {
        float yy = 9 + i * 6.5f;
        c.rect(14, yy, 30, yy + 1.6f, kMuted);
        c.circle(i == 1 ? 25 : 19, yy + 0.8f, 2.4f, kAccent);
    }
    c.text(sansBold(), 38, 22.5f, 17, "Setting", kText);
    const char* brand = "dovetune";
    c.text(sansBold(), kW - 16 - sansBold().width(brand, 11), 20.5f, 11, brand, kAccent);

    // the side bar
    sideFrame(c, 40, 172, "Main Functions");
    sideFrame(c, 182, 332, "Help");
    c.rect(22, px(2160) - 6, 172, px(2160) - 5, kMuted, 0.45f);  // Restore Default apart
    c.rect(22, (px(3170 + 285) + px(4220)) / 2, 172, (px(3170 + 285) + px(4220)) / 2 + 1, kMuted, 0.45f);
    void (*icons[])(Canvas&, float, float) = {iconNote, iconOpacity, iconFiles, iconRestore,
                                              iconHelp, iconAbout,   iconMail};
    int i = 0;
    for (const auto& e : options_art::kSideBar) {
        const float y = px(e.top) + (px(e.height) - 18) / 2;
        icons[i++](c, px(e.left) - 24, y);
    }

    // the pages' seat
    c.well(px(2880) - 3, kHeader + 2, px(2880 + 5655) + 3, px(600 + 4275) + 3, 4, kDeep);
    // a quiet mark in the strip right of the pages
    c.ring(620, 100, 22, 24, kEdge);
    c.circle(620, 100, 9, kAccentDim);
    c.circle(620, 100, 3, kDeep);
    c.text(sans(), 620 - sans().width("options", 10) / 2, 140, 10, "options", kMuted);

    // the footer: a groove under the buttons and the progress bar
    const float fy = px(5520);
    c.rect(0, 340, kW, 341, kShadow, 0.8f);
    c.rect(0, 341, kW, 342, kEdge, 0.4f);
    c.well(px(4440) - 3, fy - 3, px(4440 + 4095) + 3, fy + px(375) + 3, 4, kDeep);
    c.text(sansBold(), 16, 379, 12, "dovetune", kMuted);
    c.text(sans(), 16, 393, 9, "player options", kMuted, 0.8f);
    return c.image();
}

Image page() {
    Canvas c(377, 285);
    c.vgradient(0, 0, 377, 285, hex(0xf1f3f6), hex(0xe4e8ee));
    c.shade(0, 0, 377, 285, [](float x, float y, Rgb& out) {
        out = hex(0xd6dce4);
        float s = std::fmod(x + y, 14.0f);
        return s < 4.0f ? 0.45f : 0.0f;
    });
    c.rect(0, 0, 377, 1, hex(0xffffff));
    c.rect(0, 284, 377, 285, hex(0xc4cbd4));
    return c.image();
}

Image doneFace() {
    Canvas c(81, 25, kBody);
    c.plate(0, 0, 81, 25, 4, hex(0x38424e));
    c.polygon({10, 10, 17, 10, 17, 6, 24, 12.5f, 17, 19, 17, 15, 10, 15}, kAccent);
    c.text(sansBold(), 31, 17, 13, "Done", kText);
    return c.image();
}

Image windowIcon() {
    Canvas c(32, 32, {0, 0, 0}, false);
    c.roundRect(1, 1, 31, 31, 7, kShadow);
    c.roundRect(2, 2, 30, 30, 6, hex(0x38424e));
    c.roundRect(3, 3, 29, 29, 5, hex(0x28303a));
    for (int i = 0; i < 3; ++i) {
        float y = 9.5f + i * 6.5f;
        c.rect(7, y - 1, 25, y + 1, kMuted);
        c.circle(i == 1 ? 20 : (i == 0 ? 12 : 16), y, 3.2f, kAccent);
    }
    return c.image();
}

// A pointing hand, white with a dark outline.
Image pointer() {
    Canvas c(32, 32, {0, 0, 0}, false);
    auto hand = [&](float grow, Rgb colour) {
        c.roundRect(9 - grow, 1 - grow, 15 + grow, 18 + grow, 3 + grow, colour);    // index finger
        c.roundRect(14 - grow, 9 - grow, 19 + grow, 17 + grow, 2.5f + grow, colour);  // folded fingers
        c.roundRect(18 - grow, 10 - grow, 23 + grow, 17 + grow, 2.5f + grow, colour);
        c.roundRect(6 - grow, 13 - grow, 24 + grow, 27 + grow, 5 + grow, colour);   // palm
        c.line(7.5f, 21, 3.5f, 14.5f, 5 + grow * 2, colour);                        // thumb
    };
    hand(1.2f, kShadow);
    hand(0, hex(0xffffff));
    c.line(14, 11, 14, 16, 0.9f, hex(0x8a96a4));
    c.line(18.5f, 12, 18.5f, 16, 0.9f, hex(0x8a96a4));
    c.rect(8, 27.5f, 22, 31, kAccent);
    c.rect(8, 27.5f, 22, 28.3f, kShadow, 0.7f);
    return c.image();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path out = argv[1];
        std::filesystem::create_directories(out);
        writePng(windowIcon(), (out / "icon.png").string());
        writePng(background(), (out / "background.png").string());
        writePng(page(), (out / "page.png").string());
        writePng(doneFace(), (out / "done.png").string());
        writePng(pointer(), (out / "pointer.png").string());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "options_artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
