// Draws the player's pictures: the main window's skin "New2.kmf" (a GIF89a
// of 272 x 486 pixels, padded with a GIF comment to exactly the length the
// start-up check wants), the window icon and the small pictures of the skin
// controls (pressed buttons, lights, mute and repeat pairs, picture buttons).
//
//     player_skin OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER/New2.kmf and OUTPUT_FOLDER/skin/*.png. Everything is
// drawn from fixed numbers in one palette, so every run writes the same bytes,
// and the skin's large flat areas keep the compressed picture small. Exits
// with 1 when the skin does not fit the length.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gif_lib.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <stb/stb_easy_font.h>

namespace {

constexpr long kSkinLength = 17423;
constexpr int kSkinWidth = 272, kSkinHeight = 486;

struct Rgb {
    std::uint8_t r, g, b;
};

// One palette for every picture.
enum Ink : std::uint8_t {
    Key,          // cut away from the window
    Outline,      // the outer edge
    Body,         // the case
    BodyLight,    // upper face of the case
    Bevel,        // light edge of raised parts
    Recess,       // sunk panels
    ListFace,     // behind the playlist
    Lcd,          // the display strip
    LcdDim,       // unlit display marks
    Teal,         // lit marks and accents
    TealDark,
    Text,         // light print
    Face,         // button faces
    FaceLight,
    Shadow,
    Glyph,
    Red,
    RedDark,
    Amber,
    BandFirst,    // the title strip's gradient, BandFirst .. BandFirst + 7
    InkCount = BandFirst + 8,
    // The Info Bar's own inks (the skin leaves these entries black).
    BarFirst = InkCount,  // the track strip's gradient, BarFirst .. BarFirst + 7
    BarEdge = BarFirst + 8,
    BarInkCount,
};

std::vector<Rgb> palette() {
    std::vector<Rgb> p(256, Rgb{0, 0, 0});
    p[Key] = {255, 0, 255};
    p[Outline] = {12, 15, 19};
    p[Body] = {38, 45, 54};
    p[BodyLight] = {47, 56, 66};
    p[Bevel] = {86, 99, 112};
    p[Recess] = {20, 25, 30};
    p[ListFace] = {163, 165, 172};
    p[Lcd] = {14, 36, 38};
    p[LcdDim] = {30, 70, 72};
    p[Teal] = {56, 214, 196};
    p[TealDark] = {28, 128, 120};
    p[Text] = {214, 224, 238};
    p[Face] = {66, 76, 88};
    p[FaceLight] = {92, 104, 118};
    p[Shadow] = {24, 28, 34};
    p[Glyph] = {232, 238, 246};
    p[Red] = {206, 72, 60};
    p[RedDark] = {132, 42, 36};
    p[Amber] = {238, 170, 60};
    for (int i = 0; i < 8; ++i) {
        int v = 30 + i * 4;
        p[BandFirst + i] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v + 8),
                            static_cast<std::uint8_t>(v + 16)};
    }
    return p;
}

// The Info Bar's palette: the skin's, with a teal gradient behind the track
// line, light where its dark print stands and deeper where the white name
// below it stands, and the strip's edge.
std::vector<Rgb> barPalette() {
    std::vector<Rgb> p = palette();
    for (int i = 0; i < 8; ++i) {
        p[BarFirst + i] = {static_cast<std::uint8_t>(150 - i * 15), static_cast<std::uint8_t>(205 - i * 13),
                           static_cast<std::uint8_t>(206 - i * 13)};
    }
    p[BarEdge] = {176, 222, 222};
    return p;
}

class Canvas {
public:
    Canvas(int w, int h, Ink fill) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h, fill) {}
    int width() const { return w_; }
    int height() const { return h_; }
    const std::vector<std::uint8_t>& pixels() const { return px_; }

    void set(int x, int y, Ink c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<std::size_t>(y) * w_ + x] = c;
    }
    Ink at(int x, int y) const { return static_cast<Ink>(px_[static_cast<std::size_t>(y) * w_ + x]); }

    void rect(int x, int y, int w, int h, Ink c) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) set(i, j, c);
    }
    // A rounded rectangle, filled; corners of radius r.
    void round(int x, int y, int w, int h, int r, Ink c) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (inRound(i - x, j - y, w, h, r)) set(i, j, c);
    }
    // A raised part: outline, light upper-left edge, face.
    void raised(int x, int y, int w, int h, int r, Ink face, Ink light) {
        round(x, y, w, h, r, Outline);
        round(x + 1, y + 1, w - 2, h - 2, std::max(0, r - 1), light);
        round(x + 2, y + 2, w - 3, h - 3, std::max(0, r - 1), face);
    }
    // A sunk part: dark upper-left edge, light lower-right edge.
    void sunk(int x, int y, int w, int h, int r, Ink face) {
        round(x, y, w, h, r, Bevel);
        round(x, y, w - 1, h - 1, r, Outline);
        round(x + 1, y + 1, w - 2, h - 2, std::max(0, r - 1), face);
    }
    void disc(float cx, float cy, float r, Ink c) {
        for (int j = static_cast<int>(cy - r - 1); j <= static_cast<int>(cy + r + 1); ++j)
            for (int i = static_cast<int>(cx - r - 1); i <= static_cast<int>(cx + r + 1); ++i) {
                float dx = i + 0.5f - cx, dy = j + 0.5f - cy;
                if (dx * dx + dy * dy <= r * r) set(i, j, c);
            }
    }
    void triangle(float ax, float ay, float bx, float by, float cx, float cy, Ink c) {
        int x0 = static_cast<int>(std::floor(std::min({ax, bx, cx}))), x1 = static_cast<int>(std::ceil(std::max({ax, bx, cx})));
        int y0 = static_cast<int>(std::floor(std::min({ay, by, cy}))), y1 = static_cast<int>(std::ceil(std::max({ay, by, cy})));
        auto edge = [](float px, float py, float qx, float qy, float x, float y) {
            return (qx - px) * (y - py) - (qy - py) * (x - px);
        };
        for (int j = y0; j <= y1; ++j)
            for (int i = x0; i <= x1; ++i) {
                float x = i + 0.5f, y = j + 0.5f;
                float e1 = edge(ax, ay, bx, by, x, y), e2 = edge(bx, by, cx, cy, x, y), e3 = edge(cx, cy, ax, ay, x, y);
                if ((e1 >= 0 && e2 >= 0 && e3 >= 0) || (e1 <= 0 && e2 <= 0 && e3 <= 0)) set(i, j, c);
            }
    }
    // Text in stb's small bitmap font (about 7 pixels high at scale 1).
    void text(int x, int y, const char* s, Ink c, int scale = 1) {
        std::vector<char> buf(64 * 1024);
        std::string copy(s);
        int quads = stb_easy_font_print(0, 0, copy.data(), nullptr, buf.data(), static_cast<int>(buf.size()));
        const float* v = reinterpret_cast<const float*>(buf.data());
        for (int q = 0; q < quads; ++q) {
            const float* p = v + q * 16;  // four vertices of x, y, z, colour
            int qx0 = static_cast<int>(p[0]), qy0 = static_cast<int>(p[1]);
            int qx1 = static_cast<int>(p[8]), qy1 = static_cast<int>(p[9]);
            rect(x + qx0 * scale, y + qy0 * scale, (qx1 - qx0) * scale, (qy1 - qy0) * scale, c);
        }
    }
    static int textWidth(const char* s) {
        std::string copy(s);
        return stb_easy_font_width(copy.data());
    }

private:
    static bool inRound(int i, int j, int w, int h, int r) {
        if (r <= 0) return true;
        int cx = i < r ? r : (i >= w - r ? w - r - 1 : i);
        int cy = j < r ? r : (j >= h - r ? h - r - 1 : j);
        float dx = i - cx, dy = j - cy;
        return dx * dx + dy * dy <= (r + 0.25f) * (r + 0.25f);
    }
    int w_, h_;
    std::vector<std::uint8_t> px_;
};

// ---- glyphs of the transport buttons, centred in a w x h box at x, y ----
enum class Glyphs { Prev, Play, Next, Pause, Open, Folder, Stop };

void glyph(Canvas& c, Glyphs g, int x, int y, int w, int h, Ink ink) {
    float cx = x + w / 2.0f, cy = y + h / 2.0f;
    switch (g) {
        case Glyphs::Prev:
            c.rect(static_cast<int>(cx - 7), static_cast<int>(cy - 5), 2, 10, ink);
            c.triangle(cx - 5, cy, cx + 1, cy - 5, cx + 1, cy + 5, ink);
            c.triangle(cx + 1, cy, cx + 7, cy - 5, cx + 7, cy + 5, ink);
            break;
        case Glyphs::Play:
            c.triangle(cx - 4, cy - 6, cx - 4, cy + 6, cx + 6, cy, ink);
            break;
        case Glyphs::Next:
            c.triangle(cx - 7, cy - 5, cx - 7, cy + 5, cx - 1, cy, ink);
            c.triangle(cx - 1, cy - 5, cx - 1, cy + 5, cx + 5, cy, ink);
            c.rect(static_cast<int>(cx + 5), static_cast<int>(cy - 5), 2, 10, ink);
            break;
        case Glyphs::Pause:
            c.rect(static_cast<int>(cx - 5), static_cast<int>(cy - 6), 4, 12, ink);
            c.rect(static_cast<int>(cx + 1), static_cast<int>(cy - 6), 4, 12, ink);
            break;
        case Glyphs::Open:
            c.triangle(cx - 6, cy + 1, cx + 6, cy + 1, cx, cy - 6, ink);
            c.rect(static_cast<int>(cx - 6), static_cast<int>(cy + 3), 12, 3, ink);
            break;
        case Glyphs::Folder:
            c.rect(static_cast<int>(cx - 7), static_cast<int>(cy - 5), 6, 2, ink);
            c.rect(static_cast<int>(cx - 7), static_cast<int>(cy - 3), 14, 9, ink);
            break;
        case Glyphs::Stop:
            c.rect(static_cast<int>(cx - 5), static_cast<int>(cy - 5), 10, 10, ink);
            break;
    }
}

// A transport button: raised at rest, sunk and lit when pressed.
void button(Canvas& c, int x, int y, Glyphs g, bool pressed) {
    if (pressed) {
        c.sunk(x, y, 30, 29, 6, Shadow);
        glyph(c, g, x + 1, y + 1, 30, 29, Teal);
    } else {
        c.raised(x, y, 30, 29, 6, Face, FaceLight);
        glyph(c, g, x, y, 30, 29, Glyph);
    }
}

// ---- the skin ----
// Positions in pixels of the client area, as the window places its controls.
constexpr int kTransportY = 368;
constexpr int kTransportX[6] = {32, 64, 96, 128, 160, 192};
constexpr Glyphs kTransport[6] = {Glyphs::Prev, Glyphs::Play, Glyphs::Next, Glyphs::Pause, Glyphs::Open, Glyphs::Folder};

void closeButton(Canvas& c, int x, int y, bool pressed) {
    float cx = x + 18, cy = y + 17;
    c.disc(cx, cy, 16.5f, Outline);
    c.disc(cx, cy, 15.5f, pressed ? RedDark : Red);
    c.disc(cx + (pressed ? 0.5f : -0.5f), cy + (pressed ? 0.5f : -0.5f), 13.0f, pressed ? Shadow : RedDark);
    c.disc(cx, cy, 12.5f, pressed ? RedDark : Red);
    for (int d = -5; d <= 5; ++d)
        for (int t = -1; t <= 1; ++t) {
            c.set(static_cast<int>(cx) + d + t, static_cast<int>(cy) + d, Glyph);
            c.set(static_cast<int>(cx) + d + t, static_cast<int>(cy) - d, Glyph);
        }
}

Canvas skin() {
    Canvas c(kSkinWidth, kSkinHeight, Key);
    // The case: one rounded slab, its outline, a lighter upper face.
    c.round(0, 0, kSkinWidth, kSkinHeight, 16, Outline);
    c.round(1, 1, kSkinWidth - 2, kSkinHeight - 2, 15, Bevel);
    c.round(2, 2, kSkinWidth - 3, kSkinHeight - 3, 14, Body);
    // Title strip in bands.
    for (int y = 2; y < 30; ++y) {
        int band = std::min(7, (29 - y) / 4);
        for (int x = 2; x < kSkinWidth - 2; ++x)
            if (c.at(x, y) == Body) c.set(x, y, static_cast<Ink>(BandFirst + band));
    }
    c.rect(2, 30, kSkinWidth - 4, 1, Outline);
    // A small emblem left of the title, and the minimise bump at the right.
    c.disc(9, 14, 3.5f, Teal);
    c.raised(232, 0, 17, 25, 4, Face, FaceLight);
    c.rect(232, 0, 17, 2, Outline);
    c.rect(236, 15, 9, 2, Glyph);

    // Playlist and search box in one sunk panel, split by a line.
    c.sunk(10, 32, 252, 284, 4, Recess);
    c.rect(14, 36, 244, 250, ListFace);
    c.rect(11, 288, 250, 1, Bevel);
    c.rect(14, 292, 244, 20, ListFace);

    // The display strip: repeat, mute, volume meter and balance lights.
    c.sunk(4, 322, 170, 40, 5, Lcd);
    // Names of the meter and the lights, each beside its row.
    c.text(99, 348, "VOL", LcdDim);
    c.text(138, 331, "BAL", LcdDim);
    // A still spectrum beside the display.
    c.sunk(178, 322, 88, 40, 5, Lcd);
    const int bars[] = {12, 20, 26, 18, 24, 30, 22, 14, 19, 27, 16, 9, 13};
    for (int i = 0; i < 13; ++i) {
        int h = bars[i];
        for (int y = 0; y < h; y += 3) c.rect(184 + i * 6, 356 - y, 4, 2, y > 21 ? Teal : TealDark);
    }

    // Transport buttons at rest.
    c.rect(20, 364, 214, 1, Shadow);
    for (int i = 0; i < 6; ++i) button(c, kTransportX[i], kTransportY, kTransport[i], false);
    c.rect(20, 402, 214, 1, Bevel);

    // The close button, as it looks pressed (its picture covers it at rest).
    closeButton(c, 31, 421, true);
    // Pills behind the three menu labels.
    c.sunk(84, 430, 52, 22, 10, Recess);
    c.sunk(140, 430, 64, 22, 10, Recess);
    c.sunk(208, 430, 48, 22, 10, Recess);
    // The maker's mark along the bottom.
    c.text(272 - 16 - Canvas::textWidth("dovetune") * 2, 462, "dovetune", TealDark, 2);
    return c;
}

// ---- writing ----

bool writePng(const std::string& path, const Canvas& c) {
    std::vector<Rgb> pal = palette();
    std::vector<std::uint8_t> rgb;
    rgb.reserve(c.pixels().size() * 3);
    for (std::uint8_t i : c.pixels()) {
        rgb.push_back(pal[i].r);
        rgb.push_back(pal[i].g);
        rgb.push_back(pal[i].b);
    }
    return stbi_write_png(path.c_str(), c.width(), c.height(), 3, rgb.data(), c.width() * 3) != 0;
}

int toMemory(GifFileType* gif, const GifByteType* data, int len) {
    auto* out = static_cast<std::string*>(gif->UserData);
    out->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(len));
    return len;
}

// The GIF, with a comment of `blocks` sub-blocks holding `payload` bytes in
// all before the image (none when blocks is 0).
bool encodeGif(const Canvas& c, int payload, int blocks, std::string& out,
               const std::vector<Rgb>& pal = palette()) {
    int err = 0;
    out.clear();
    GifFileType* gif = EGifOpen(&out, toMemory, &err);
    if (!gif) return false;
    EGifSetGifVersion(gif, true);
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = {pal[i].r, pal[i].g, pal[i].b};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    bool ok = EGifPutScreenDesc(gif, c.width(), c.height(), 8, 0, map) == GIF_OK;
    if (ok && blocks > 0) {
        static const char kText[] = "dovetune skin. ";
        ok = EGifPutExtensionLeader(gif, COMMENT_EXT_FUNC_CODE) == GIF_OK;
        int left = payload;
        for (int b = 0; ok && b < blocks; ++b) {
            int len = left / (blocks - b);
            std::vector<GifByteType> block(static_cast<std::size_t>(len));
            for (int i = 0; i < len; ++i) block[i] = static_cast<GifByteType>(kText[(payload - left + i) % (sizeof kText - 1)]);
            ok = EGifPutExtensionBlock(gif, len, block.data()) == GIF_OK;
            left -= len;
        }
        if (ok) ok = EGifPutExtensionTrailer(gif) == GIF_OK;
    }
    if (ok) ok = EGifPutImageDesc(gif, 0, 0, c.width(), c.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < c.height(); ++y) {
        std::vector<GifPixelType> row(c.pixels().begin() + static_cast<std::ptrdiff_t>(y) * c.width(),
                                      c.pixels().begin() + static_cast<std::ptrdiff_t>(y + 1) * c.width());
        ok = EGifPutLine(gif, row.data(), c.width()) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &err) != GIF_OK) ok = false;
    return ok;
}

bool writeSkin(const std::string& path, const Canvas& c) {
    std::string bare;
    if (!encodeGif(c, 0, 0, bare)) return false;
    // A comment costs 3 bytes (introducer, label, terminator) plus one length
    // byte per sub-block of at most 255 bytes.
    long extra = kSkinLength - static_cast<long>(bare.size());
    std::string padded = bare;
    if (extra != 0) {
        if (extra < 5) {
            std::fprintf(stderr, "New2.kmf: the skin takes %zu bytes, which leaves no room for the %ld-byte length\n",
                         bare.size(), kSkinLength);
            return false;
        }
        int blocks = static_cast<int>((extra - 3 + 255) / 256);
        int payload = static_cast<int>(extra - 3 - blocks);
        if (!encodeGif(c, payload, blocks, padded)) return false;
    }
    if (static_cast<long>(padded.size()) != kSkinLength) {
        std::fprintf(stderr, "New2.kmf: came out at %zu bytes, not %ld\n", padded.size(), kSkinLength);
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(padded.data(), 1, padded.size(), f) == padded.size();
    return std::fclose(f) == 0 && ok;
}

// ---- the Info Bar ----
// 310 x 53 pixels; the window shows 52 rows. The track line (bold dark print,
// 8..305 x 6..23) and the white "Korvane Media Player" (80..257 x 15..32)
// stand on a light teal strip that darkens downwards; the white time and
// bitrate labels (row 37..54) on a dark display well.
constexpr int kBarWidth = 310, kBarHeight = 53;

Canvas infoBar() {
    Canvas c(kBarWidth, kBarHeight, Outline);
    c.rect(1, 1, kBarWidth - 2, kBarHeight - 3, Body);
    c.rect(1, 1, kBarWidth - 2, 1, Bevel);
    // The track strip: light at the top, in eight bands down to row 32.
    c.round(3, 3, kBarWidth - 6, 31, 4, Outline);
    c.round(4, 4, kBarWidth - 8, 29, 3, BarFirst);
    for (int y = 4; y < 33; ++y) {
        int band = std::min(7, (y - 4) * 8 / 29);
        for (int x = 4; x < kBarWidth - 4; ++x)
            if (c.at(x, y) == BarFirst) c.set(x, y, static_cast<Ink>(BarFirst + band));
    }
    c.rect(6, 4, kBarWidth - 12, 1, BarEdge);
    // The display well under the times and the bitrate, open at the bottom
    // edge the window cuts off.
    c.sunk(3, 35, kBarWidth - 6, 17, 3, Lcd);
    // Small marks at the right end of the strip and the well.
    c.disc(kBarWidth - 12, 43.5f, 2.5f, TealDark);
    c.rect(kBarWidth - 2, 1, 1, kBarHeight - 3, Shadow);
    c.rect(0, kBarHeight - 2, kBarWidth, 2, Outline);
    return c;
}

bool writeGif(const std::string& path, const Canvas& c, const std::vector<Rgb>& pal) {
    std::string bytes;
    if (!encodeGif(c, 0, 0, bytes, pal)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// ---- the small pictures ----

Canvas pressed(Glyphs g) {
    Canvas c(30, 29, Body);
    button(c, 0, 0, g, true);
    // Corners outside the rounded button show the case.
    return c;
}

Canvas closePicture() {
    Canvas c(36, 34, Body);
    closeButton(c, 0, 0, false);
    return c;
}

Canvas light(bool lit) {
    Canvas c(13, 14, Lcd);
    c.round(1, 2, 11, 10, 2, lit ? Teal : LcdDim);
    if (lit) c.rect(3, 4, 3, 1, Glyph);
    return c;
}

Canvas lcdWord(int w, const char* word, bool lit, Ink litInk) {
    Canvas c(w, 14, Lcd);
    int tw = Canvas::textWidth(word);
    c.text((w - tw) / 2, 4, word, lit ? litInk : LcdDim);
    return c;
}

Canvas speaker(bool muted) {
    Canvas c(48, 14, Lcd);
    Ink ink = muted ? Amber : Teal;
    c.rect(3, 5, 3, 4, ink);
    c.triangle(5, 7, 10, 2, 10, 12, ink);
    c.text(15, 4, muted ? "MUTE" : "ON", ink);
    return c;
}

Canvas smallButton(Glyphs g) {
    Canvas c(24, 24, Face);
    c.raised(0, 0, 24, 24, 3, Face, FaceLight);
    glyph(c, g, 0, 0, 24, 24, Glyph);
    return c;
}

Canvas icon() {
    Canvas c(32, 32, Key);
    c.disc(16, 16, 15.5f, Outline);
    c.disc(16, 16, 14.5f, TealDark);
    c.disc(16, 16, 12.5f, Teal);
    c.triangle(12, 9, 12, 23, 24, 16, Glyph);
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    std::string out = argv[1];
    std::string dir = out + "/skin/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool ok = writeSkin(out + "/New2.kmf", skin());
    ok = writePng(dir + "icon.png", icon()) && ok;
    ok = writePng(dir + "pressed_prev.png", pressed(Glyphs::Prev)) && ok;
    ok = writePng(dir + "pressed_play.png", pressed(Glyphs::Play)) && ok;
    ok = writePng(dir + "pressed_next.png", pressed(Glyphs::Next)) && ok;
    ok = writePng(dir + "pressed_open.png", pressed(Glyphs::Open)) && ok;
    ok = writePng(dir + "pressed_folder.png", pressed(Glyphs::Folder)) && ok;
    ok = writePng(dir + "paused.png", pressed(Glyphs::Play)) && ok;
    ok = writePng(dir + "close.png", closePicture()) && ok;
    ok = writePng(dir + "repeat_off.png", lcdWord(64, "REPEAT", false, Teal)) && ok;
    ok = writePng(dir + "repeat_on.png", lcdWord(64, "REPEAT", true, Teal)) && ok;
    ok = writePng(dir + "light_off.png", light(false)) && ok;
    ok = writePng(dir + "light_on.png", light(true)) && ok;
    ok = writePng(dir + "mute_off.png", speaker(false)) && ok;
    ok = writePng(dir + "mute_on.png", speaker(true)) && ok;
    ok = writePng(dir + "cmd_next.png", smallButton(Glyphs::Next)) && ok;
    ok = writePng(dir + "cmd_prev.png", smallButton(Glyphs::Prev)) && ok;
    ok = writePng(dir + "cmd_play.png", smallButton(Glyphs::Play)) && ok;
    ok = writePng(dir + "cmd_pause.png", smallButton(Glyphs::Pause)) && ok;
    ok = writePng(dir + "cmd_stop.png", smallButton(Glyphs::Stop)) && ok;
    ok = writePng(dir + "cmd_open.png", smallButton(Glyphs::Open)) && ok;
    ok = writeGif(dir + "infobar.gif", infoBar(), barPalette()) && ok;
    if (!ok) std::fprintf(stderr, "%s: could not write every picture\n", argv[0]);
    return ok ? 0 : 1;
}
