#include "artwork.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include <gif_lib.h>
#include <png.h>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

#ifndef ARTWORK_FONT_DIR
#define ARTWORK_FONT_DIR "/usr/share/fonts/truetype/liberation2"
#endif

namespace artwork {

Rgb hex(unsigned v) {
    return {((v >> 16) & 255) / 255.0f, ((v >> 8) & 255) / 255.0f, (v & 255) / 255.0f};
}

Rgb mix(Rgb a, Rgb b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// ---- Image -------------------------------------------------------------

Image Image::crop(int x, int y, int w, int h) const {
    Image out{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 4)};
    for (int row = 0; row < h; ++row)
        std::copy_n(at(x, y + row), static_cast<std::size_t>(w) * 4, out.at(0, row));
    return out;
}

void Image::applyKey(const std::function<bool(int, int)>& keep) {
    using namespace palette;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = at(x, y);
            if (!keep(x, y)) {
                p[0] = kKeyR, p[1] = kKeyG, p[2] = kKeyB, p[3] = 255;
            } else if (p[0] == kKeyR && p[1] == kKeyG && p[2] == kKeyB) {
                p[1] = 1;
            }
        }
}

void Image::outline(const std::function<bool(int, int)>& keep) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!keep(x, y)) continue;
            const bool edge = x == 0 || y == 0 || x == width - 1 || y == height - 1 || !keep(x - 1, y) ||
                              !keep(x + 1, y) || !keep(x, y - 1) || !keep(x, y + 1);
            if (edge) {
                std::uint8_t* p = at(x, y);
                p[0] = 12, p[1] = 15, p[2] = 19;  // the palette's shadow
            }
        }
}

bool insideRoundRect(int x, int y, int w, int h, float r) {
    const float fx = x + 0.5f, fy = y + 0.5f;
    const float dx = std::max({r - fx, 0.0f, fx - (w - r)});
    const float dy = std::max({r - fy, 0.0f, fy - (h - r)});
    return x >= 0 && y >= 0 && x < w && y < h && dx * dx + dy * dy <= r * r;
}

// ---- Fonts -------------------------------------------------------------

Font::Font(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the font " + path);
    data_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    auto* info = new stbtt_fontinfo;
    if (!stbtt_InitFont(info, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0))) {
        delete info;
        throw std::runtime_error("not a TrueType font: " + path);
    }
    info_ = info;
}

Font::~Font() { delete static_cast<stbtt_fontinfo*>(info_); }

float Font::width(const std::string& text, float px) const {
    auto* info = static_cast<const stbtt_fontinfo*>(info_);
    float scale = stbtt_ScaleForPixelHeight(info, px);
    float w = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int advance, lsb;
        stbtt_GetCodepointHMetrics(info, static_cast<unsigned char>(text[i]), &advance, &lsb);
        w += advance * scale;
        if (i + 1 < text.size())
            w += scale * stbtt_GetCodepointKernAdvance(info, static_cast<unsigned char>(text[i]),
                                                       static_cast<unsigned char>(text[i + 1]));
    }
    return w;
}

float Font::ascent(float px) const {
    auto* info = static_cast<const stbtt_fontinfo*>(info_);
    int ascent, descent, gap;
    stbtt_GetFontVMetrics(info, &ascent, &descent, &gap);
    return ascent * stbtt_ScaleForPixelHeight(info, px);
}

const Font& sans() {
    static const Font font(std::string(ARTWORK_FONT_DIR) + "/LiberationSans-Regular.ttf");
    return font;
}

const Font& sansBold() {
    static const Font font(std::string(ARTWORK_FONT_DIR) + "/LiberationSans-Bold.ttf");
    return font;
}

// ---- Canvas ------------------------------------------------------------

Canvas::Canvas(int w, int h, Rgb fill, bool opaque)
    : w_(w), h_(h), W_(w * kSuper), H_(h * kSuper),
      px_(static_cast<std::size_t>(W_) * H_, opaque ? Px{fill.r, fill.g, fill.b, 1.0f} : Px{0, 0, 0, 0}) {}

void Canvas::blend(int X, int Y, Rgb c, float alpha) {
    Px& p = px_[static_cast<std::size_t>(Y) * W_ + X];
    float k = 1.0f - alpha;
    p = {c.r * alpha + p.r * k, c.g * alpha + p.g * k, c.b * alpha + p.b * k, alpha + p.a * k};
}

void Canvas::shade(float x0, float y0, float x1, float y1, const std::function<float(float, float, Rgb&)>& f) {
    int X0 = std::max(0, static_cast<int>(std::floor(x0 * kSuper)));
    int Y0 = std::max(0, static_cast<int>(std::floor(y0 * kSuper)));
    int X1 = std::min(W_, static_cast<int>(std::ceil(x1 * kSuper)));
    int Y1 = std::min(H_, static_cast<int>(std::ceil(y1 * kSuper)));
    for (int Y = Y0; Y < Y1; ++Y)
        for (int X = X0; X < X1; ++X) {
            float x = (X + 0.5f) / kSuper, y = (Y + 0.5f) / kSuper;
            Rgb c{0, 0, 0};
            float a = f(x, y, c);
            if (a > 0) blend(X, Y, c, std::min(a, 1.0f));
        }
}

void Canvas::rect(float x0, float y0, float x1, float y1, Rgb c, float alpha) {
    shade(x0, y0, x1, y1, [&](float x, float y, Rgb& out) {
        out = c;
        return (x >= x0 && x < x1 && y >= y0 && y < y1) ? alpha : 0.0f;
    });
}

namespace {
bool inRound(float x, float y, float x0, float y0, float x1, float y1, float r) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    float dx = std::max({x0 + r - x, 0.0f, x - (x1 - r)});
    float dy = std::max({y0 + r - y, 0.0f, y - (y1 - r)});
    return dx * dx + dy * dy <= r * r;
}
}  // namespace

void Canvas::roundRect(float x0, float y0, float x1, float y1, float r, Rgb c, float alpha) {
    shade(x0, y0, x1, y1, [&](float x, float y, Rgb& out) {
        out = c;
        return inRound(x, y, x0, y0, x1, y1, r) ? alpha : 0.0f;
    });
}

void Canvas::roundFrame(float x0, float y0, float x1, float y1, float r, float w, Rgb c, float alpha) {
    shade(x0, y0, x1, y1, [&](float x, float y, Rgb& out) {
        out = c;
        bool outer = inRound(x, y, x0, y0, x1, y1, r);
        bool inner = inRound(x, y, x0 + w, y0 + w, x1 - w, y1 - w, std::max(0.0f, r - w));
        return outer && !inner ? alpha : 0.0f;
    });
}

void Canvas::vgradient(float x0, float y0, float x1, float y1, Rgb top, Rgb bottom) {
    shade(x0, y0, x1, y1, [&](float, float y, Rgb& out) {
        out = mix(top, bottom, (y - y0) / std::max(1.0f, y1 - y0));
        return 1.0f;
    });
}

void Canvas::circle(float cx, float cy, float r, Rgb c, float alpha) { ring(cx, cy, -1.0f, r, c, alpha); }

void Canvas::ring(float cx, float cy, float r0, float r1, Rgb c, float alpha) {
    shade(cx - r1, cy - r1, cx + r1, cy + r1, [&](float x, float y, Rgb& out) {
        out = c;
        float d = std::hypot(x - cx, y - cy);
        return d > r0 && d <= r1 ? alpha : 0.0f;
    });
}

void Canvas::polygon(const std::vector<float>& xy, Rgb c, float alpha) {
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
        x0 = std::min(x0, xy[i]), x1 = std::max(x1, xy[i]);
        y0 = std::min(y0, xy[i + 1]), y1 = std::max(y1, xy[i + 1]);
    }
    const std::size_t n = xy.size() / 2;
    shade(x0, y0, x1, y1, [&](float x, float y, Rgb& out) {
        out = c;
        bool inside = false;  // even-odd rule
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside ? alpha : 0.0f;
    });
}

void Canvas::line(float x0, float y0, float x1, float y1, float w, Rgb c, float alpha) {
    const float h = w / 2;
    shade(std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h,
          [&](float x, float y, Rgb& out) {
              out = c;
              float dx = x1 - x0, dy = y1 - y0;
              float len2 = dx * dx + dy * dy;
              float t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
              float d = std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
              return d <= h ? alpha : 0.0f;
          });
}

float Canvas::text(const Font& font, float x, float y, float px, const std::string& s, Rgb c, float alpha) {
    auto* info = static_cast<const stbtt_fontinfo*>(font.info());
    const float scale = stbtt_ScaleForPixelHeight(info, px * kSuper);
    float pen = x * kSuper;
    const float base = y * kSuper;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int cp = static_cast<unsigned char>(s[i]);
        int advance, lsb;
        stbtt_GetCodepointHMetrics(info, cp, &advance, &lsb);
        const float fx = pen - std::floor(pen);
        int gx0, gy0, gx1, gy1;
        stbtt_GetCodepointBitmapBoxSubpixel(info, cp, scale, scale, fx, 0, &gx0, &gy0, &gx1, &gy1);
        const int gw = gx1 - gx0, gh = gy1 - gy0;
        if (gw > 0 && gh > 0) {
            std::vector<unsigned char> bits(static_cast<std::size_t>(gw) * gh);
            stbtt_MakeCodepointBitmapSubpixel(info, bits.data(), gw, gh, gw, scale, scale, fx, 0, cp);
            const int ox = static_cast<int>(std::floor(pen)) + gx0, oy = static_cast<int>(std::lround(base)) + gy0;
            for (int gy = 0; gy < gh; ++gy)
                for (int gx = 0; gx < gw; ++gx) {
                    const int X = ox + gx, Y = oy + gy;
                    const unsigned char v = bits[static_cast<std::size_t>(gy) * gw + gx];
                    if (v && X >= 0 && Y >= 0 && X < W_ && Y < H_) blend(X, Y, c, alpha * v / 255.0f);
                }
        }
        pen += advance * scale;
        if (i + 1 < s.size())
            pen += scale * stbtt_GetCodepointKernAdvance(info, cp, static_cast<unsigned char>(s[i + 1]));
    }
    return pen / kSuper - x;
}

void Canvas::plate(float x0, float y0, float x1, float y1, float r, Rgb body) {
    using namespace palette;
    roundRect(x0, y0, x1, y1, r, kShadow);
    roundRect(x0, y0, x1 - 1, y1 - 1, r, kEdge);
    roundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(0.0f, r - 1), mix(body, kShadow, 0.35f));
    roundRect(x0 + 1, y0 + 1, x1 - 2, y1 - 2, std::max(0.0f, r - 1), body);
}

void Canvas::well(float x0, float y0, float x1, float y1, float r, Rgb body) {
    using namespace palette;
    roundRect(x0, y0, x1, y1, r, kEdge, 0.7f);
    roundRect(x0, y0, x1 - 1, y1 - 1, r, kShadow);
    roundRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(0.0f, r - 1), body);
}

Image Canvas::image() const {
    Image out{w_, h_, std::vector<std::uint8_t>(static_cast<std::size_t>(w_) * h_ * 4)};
    const float n = kSuper * kSuper;
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            Px sum{0, 0, 0, 0};
            for (int sy = 0; sy < kSuper; ++sy)
                for (int sx = 0; sx < kSuper; ++sx) {
                    const Px& p = px_[static_cast<std::size_t>(y * kSuper + sy) * W_ + x * kSuper + sx];
                    sum.r += p.r, sum.g += p.g, sum.b += p.b, sum.a += p.a;
                }
            std::uint8_t* o = out.at(x, y);
            const float a = sum.a / n;
            auto channel = [&](float premultiplied) {
                float v = a > 0 ? premultiplied / n / a : 0.0f;
                return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
            };
            o[0] = channel(sum.r), o[1] = channel(sum.g), o[2] = channel(sum.b);
            o[3] = static_cast<std::uint8_t>(std::lround(std::clamp(a, 0.0f, 1.0f) * 255));
            if (o[3] == 0) o[0] = o[1] = o[2] = 0;
        }
    return out;
}

// ---- Files -------------------------------------------------------------

void writePng(const Image& image, const std::string& path) {
    bool alpha = false;
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) alpha = alpha || image.rgba[i] != 255;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) throw std::runtime_error("libpng could not start for " + path);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng failed writing " + path);
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.width, image.height, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const int channels = alpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<std::size_t>(image.width) * channels);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x)
            std::copy_n(image.at(x, y), channels, &row[static_cast<std::size_t>(x) * channels]);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

namespace {
int writeToFile(GifFileType* gif, const GifByteType* bytes, int n) {
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<std::size_t>(n), static_cast<FILE*>(gif->UserData)));
}
}  // namespace

void writeGif(const Image& image, const std::string& path) {
    const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
    std::vector<GifByteType> r(n), g(n), b(n), indexed(n);
    for (std::size_t i = 0; i < n; ++i)
        r[i] = image.rgba[i * 4], g[i] = image.rgba[i * 4 + 1], b[i] = image.rgba[i * 4 + 2];
    int colours = 256;
    std::vector<GifColorType> map(256);
    if (GifQuantizeBuffer(image.width, image.height, &colours, r.data(), g.data(), b.data(), indexed.data(),
                          map.data()) == GIF_ERROR)
        throw std::runtime_error("cannot reduce the colours of " + path);
    ColorMapObject* cmap = GifMakeMapObject(256, map.data());
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    int error = 0;
    GifFileType* gif = file ? EGifOpen(file.get(), &writeToFile, &error) : nullptr;
    if (!gif) {
        GifFreeMapObject(cmap);
        throw std::runtime_error("cannot write " + path);
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, image.width, image.height, 8, 0, cmap) != GIF_ERROR &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < image.height; ++y)
        ok = EGifPutLine(gif, &indexed[static_cast<std::size_t>(y) * image.width], image.width) != GIF_ERROR;
    ok = EGifCloseFile(gif, &error) != GIF_ERROR && ok;
    GifFreeMapObject(cmap);
    if (!ok || std::fflush(file.get()) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace artwork
