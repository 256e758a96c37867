// Draws the downloader's pictures: the banner (752 x 109), the backdrop
// (799 x 433) and the window icon (32 x 32), as 24-bit PNG files.
//
//     songhaul_artwork OUTPUT_FOLDER
//
// Everything is computed from fixed numbers, so every run writes the same
// bytes. Shapes are drawn at four times the size and averaged down, which
// smooths their edges.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <stb/stb_easy_font.h>

namespace {

struct Rgb {
    float r, g, b;
};

Rgb mix(Rgb a, Rgb b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb hex(unsigned v) {
    return {((v >> 16) & 255) / 255.0f, ((v >> 8) & 255) / 255.0f, (v & 255) / 255.0f};
}

constexpr int kSuper = 4;

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), W_(w * kSuper), H_(h * kSuper), px_(static_cast<std::size_t>(W_) * H_) {}

    int width() const { return w_; }
    int height() const { return h_; }

    // Calls f(x, y) with picture coordinates (fractions inside a pixel) and
    // blends what it gives: colour and coverage 0..1.
    template <class F>
    void paint(F f) {
        for (int y = 0; y < H_; ++y)
            for (int x = 0; x < W_; ++x) {
                float fx = (x + 0.5f) / kSuper, fy = (y + 0.5f) / kSuper;
                float alpha = 1.0f;
                Rgb c = f(fx, fy, alpha, px_[idx(x, y)]);
                if (alpha > 0) px_[idx(x, y)] = mix(px_[idx(x, y)], c, alpha);
            }
    }

    void fillRect(float x0, float y0, float x1, float y1, Rgb c, float alpha = 1.0f) {
        int X0 = std::max(0, static_cast<int>(std::floor(x0 * kSuper)));
        int Y0 = std::max(0, static_cast<int>(std::floor(y0 * kSuper)));
        int X1 = std::min(W_, static_cast<int>(std::ceil(x1 * kSuper)));
        int Y1 = std::min(H_, static_cast<int>(std::ceil(y1 * kSuper)));
        for (int y = Y0; y < Y1; ++y)
            for (int x = X0; x < X1; ++x) px_[idx(x, y)] = mix(px_[idx(x, y)], c, alpha);
    }

    void fillCircle(float cx, float cy, float r, Rgb c, float alpha = 1.0f) {
        ring(cx, cy, 0, r, c, alpha);
    }

    void ring(float cx, float cy, float r0, float r1, Rgb c, float alpha = 1.0f) {
        int X0 = std::max(0, static_cast<int>((cx - r1) * kSuper)), X1 = std::min(W_, static_cast<int>((cx + r1) * kSuper) + 1);
        int Y0 = std::max(0, static_cast<int>((cy - r1) * kSuper)), Y1 = std::min(H_, static_cast<int>((cy + r1) * kSuper) + 1);
        for (int y = Y0; y < Y1; ++y)
            for (int x = X0; x < X1; ++x) {
                float dx = (x + 0.5f) / kSuper - cx, dy = (y + 0.5f) / kSuper - cy;
                float d = std::sqrt(dx * dx + dy * dy);
                if (d >= r0 && d <= r1) px_[idx(x, y)] = mix(px_[idx(x, y)], c, alpha);
            }
    }

    // Text in the small bitmap font, each font pixel `scale` picture pixels.
    void text(float x, float y, const char* s, float scale, Rgb c, float alpha = 1.0f) {
        std::vector<char> buf(static_cast<std::size_t>(std::strlen(s)) * 300 + 1000);
        std::string copy(s);
        int quads = stb_easy_font_print(0, 0, copy.data(), nullptr, buf.data(), static_cast<int>(buf.size()));
        struct Vertex {
            float x, y, z;
            unsigned char rgba[4];
        };
        auto* v = reinterpret_cast<const Vertex*>(buf.data());
        for (int q = 0; q < quads; ++q) {
            const Vertex* quad = v + q * 4;
            fillRect(x + quad[0].x * scale, y + quad[0].y * scale, x + quad[2].x * scale, y + quad[2].y * scale, c, alpha);
        }
    }

    static float textWidth(const char* s, float scale) {
        std::string copy(s);
        return static_cast<float>(stb_easy_font_width(copy.data())) * scale;
    }

    bool save(const std::string& path) const {
        std::vector<unsigned char> out(static_cast<std::size_t>(w_) * h_ * 3);
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                Rgb sum{0, 0, 0};
                for (int sy = 0; sy < kSuper; ++sy)
                    for (int sx = 0; sx < kSuper; ++sx) {
                        const Rgb& p = px_[idx(x * kSuper + sx, y * kSuper + sy)];
                        sum.r += p.r, sum.g += p.g, sum.b += p.b;
                    }
                const float n = kSuper * kSuper;
                unsigned char* o = &out[(static_cast<std::size_t>(y) * w_ + x) * 3];
                o[0] = static_cast<unsigned char>(std::lround(std::clamp(sum.r / n, 0.0f, 1.0f) * 255));
                o[1] = static_cast<unsigned char>(std::lround(std::clamp(sum.g / n, 0.0f, 1.0f) * 255));
                o[2] = static_cast<unsigned char>(std::lround(std::clamp(sum.b / n, 0.0f, 1.0f) * 255));
            }
        return stbi_write_png(path.c_str(), w_, h_, 3, out.data(), w_ * 3) != 0;
    }

private:
    std::size_t idx(int x, int y) const { return static_cast<std::size_t>(y) * W_ + x; }
    int w_, h_, W_, H_;
    std::vector<Rgb> px_;
};

// A music note: a tilted head, a stem and a flag.
void note(Canvas& c, float x, float y, float size, Rgb colour) {
    float r = size * 0.22f;
    c.paint([&](float px, float py, float& alpha, const Rgb&) {
        float dx = (px - x) / (r * 1.3f), dy = (py - y) / r;
        float rx = dx * 0.94f + dy * 0.34f, ry = -dx * 0.34f + dy * 0.94f;  // tilted
        alpha = rx * rx + ry * ry <= 1.0f ? 1.0f : 0.0f;
        return colour;
    });
    float stemX = x + r * 1.15f;
    c.fillRect(stemX, y - size * 0.9f, stemX + size * 0.09f, y - r * 0.2f, colour);
    c.paint([&](float px, float py, float& alpha, const Rgb&) {
        // the flag: a curved band leaving the top of the stem
        float t = (py - (y - size * 0.9f)) / (size * 0.5f);
        float left = stemX + size * 0.05f;
        float edge = left + size * 0.32f * std::sin(std::clamp(t, 0.0f, 1.0f) * 3.1416f * 0.8f);
        alpha = (t >= 0 && t <= 1 && px >= left && px <= edge && px <= left + size * 0.32f) ? 1.0f : 0.0f;
        return colour;
    });
}

void banner(const std::string& folder) {
    Canvas c(752, 109);
    const Rgb deep = hex(0x123a4a), dusk = hex(0x2c2f6b), glow = hex(0xf2a541);
    c.paint([&](float x, float y, float&, const Rgb&) {
        Rgb base = mix(deep, dusk, x / 752.0f);
        // a soft light behind the title
        float d = std::hypot((x - 190) / 260.0f, (y - 50) / 70.0f);
        return mix(base, hex(0x3f6f80), std::max(0.0f, 0.55f - d * 0.55f));
    });
    // sound-wave bars on the right, in warm colours
    for (int i = 0; i < 46; ++i) {
        float x = 430 + i * 6.8f;
        float h = 10 + 34 * std::fabs(std::sin(i * 0.47f) * std::cos(i * 0.13f)) + 6 * std::sin(i * 1.7f);
        Rgb col = mix(glow, hex(0xe8505b), i / 45.0f);
        c.fillRect(x, 56 - h, x + 4.2f, 56 + h * 0.6f, col, 0.85f);
    }
    // a thin line under everything
    c.fillRect(0, 103, 752, 105, glow, 0.9f);
    const char* title = "Songhaul";
    c.text(34, 20, title, 6.0f, hex(0x081c24), 0.6f);  // shadow
    c.text(31, 17, title, 6.0f, hex(0xfff4dc));
    c.text(34, 84, "song catalogue downloader", 1.6f, hex(0xcfe3ea));
    note(c, 392, 70, 44, glow);
    c.save(folder + "/banner.png");
}

void backdrop(const std::string& folder) {
    Canvas c(799, 433);
    const Rgb top = hex(0xe7eef2), bottom = hex(0xcbd8e0);
    c.paint([&](float x, float y, float&, const Rgb&) {
        Rgb base = mix(top, bottom, y / 433.0f);
        // faint diagonal stripes
        float s = std::fmod(x + y * 0.6f, 28.0f);
        return s < 2.0f ? mix(base, hex(0xffffff), 0.35f) : base;
    });
    // a record in the lower right corner, mostly off the edge
    const float cx = 720, cy = 380;
    c.fillCircle(cx, cy, 170, hex(0x27323a), 0.16f);
    for (int i = 0; i < 14; ++i) c.ring(cx, cy, 62 + i * 7.5f, 63.2f + i * 7.5f, hex(0x10181d), 0.12f);
    c.fillCircle(cx, cy, 48, hex(0xf2a541), 0.35f);
    c.fillCircle(cx, cy, 6, top);
    c.save(folder + "/backdrop.png");
}

void icon(const std::string& folder) {
    Canvas c(32, 32);
    const Rgb edge = hex(0x123a4a);
    c.paint([&](float x, float y, float& alpha, const Rgb&) {
        // a rounded square in a gradient, on a neutral ground
        float dx = std::max(std::fabs(x - 16) - 11, 0.0f), dy = std::max(std::fabs(y - 16) - 11, 0.0f);
        bool inside = dx * dx + dy * dy <= 16.0f;
        if (!inside) return hex(0xc0c0c0);
        alpha = 1.0f;
        return mix(hex(0xf2a541), hex(0xe8505b), (x + y) / 64.0f);
    });
    note(c, 13.5f, 22.5f, 17.0f, edge);
    c.save(folder + "/icon.png");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    banner(folder);
    backdrop(folder);
    icon(folder);
    return 0;
}
