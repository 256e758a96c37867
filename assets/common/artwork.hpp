#pragma once
// The drawing kit of the picture generators: a canvas drawn at four times its
// size and averaged down (smooth edges), text through stb_truetype with the
// Liberation fonts, and lossless output (PNG through libpng, GIF through
// giflib). Every result is computed from fixed numbers, so two runs write the
// same bytes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace artwork {

struct Rgb {
    float r, g, b;
};

Rgb hex(unsigned v);
Rgb mix(Rgb a, Rgb b, float t);

// The one palette of the player's windows: graphite greys with an amber accent.
namespace palette {
inline const Rgb kShadow = {0x12 / 255.f, 0x13 / 255.f, 0x16 / 255.f};     // outlines, deep wells
inline const Rgb kDeep = {0x1c / 255.f, 0x1e / 255.f, 0x22 / 255.f};       // recessed areas
inline const Rgb kBody = {0x2a / 255.f, 0x2d / 255.f, 0x32 / 255.f};       // window body
inline const Rgb kPlate = {0x34 / 255.f, 0x38 / 255.f, 0x3e / 255.f};      // raised plates
inline const Rgb kEdge = {0x4a / 255.f, 0x4f / 255.f, 0x57 / 255.f};       // bevel highlights
inline const Rgb kMuted = {0x8d / 255.f, 0x94 / 255.f, 0x9e / 255.f};      // quiet text and marks
inline const Rgb kText = {0xe2 / 255.f, 0xe4 / 255.f, 0xe8 / 255.f};       // bright text
inline const Rgb kAccent = {0xe8 / 255.f, 0xa3 / 255.f, 0x3d / 255.f};     // amber accent
inline const Rgb kAccentDim = {0x9c / 255.f, 0x6a / 255.f, 0x22 / 255.f};  // accent in shade
inline const Rgb kLight = {0xec / 255.f, 0xee / 255.f, 0xf1 / 255.f};      // light content areas
// The skins' key colour: every pixel of it lies outside the window.
constexpr std::uint8_t kKeyR = 255, kKeyG = 0, kKeyB = 255;
}  // namespace palette

// 8-bit pixels, top row first, red, green, blue, alpha.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;

    std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    Image crop(int x, int y, int w, int h) const;
    // Pixels where keep(x, y) is false become the key colour; a kept pixel
    // that happens to have the key colour is moved off it by one step of green.
    void applyKey(const std::function<bool(int, int)>& keep);
};

// A TrueType font (the file is read once and kept).
class Font {
public:
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    // Width in pixels of ASCII text at a pixel height (the font's ascent to descent).
    float width(const std::string& text, float px) const;
    const void* info() const { return info_; }
    float ascent(float px) const;

private:
    std::vector<unsigned char> data_;
    void* info_ = nullptr;
};

// The two faces every picture uses, from the fonts-liberation2 package.
const Font& sans();
const Font& sansBold();

constexpr int kSuper = 4;

class Canvas {
public:
    // A canvas filled with one colour; transparent when opaque is false.
    Canvas(int w, int h, Rgb fill = {0, 0, 0}, bool opaque = true);

    int width() const { return w_; }
    int height() const { return h_; }

    // Paints every sample of the box [x0, x1) x [y0, y1) for which f gives a
    // coverage above 0: f(x, y, colour) fills the colour and returns 0..1.
    void shade(float x0, float y0, float x1, float y1, const std::function<float(float, float, Rgb&)>& f);
    // Shapes; alpha is the paint's opacity.
    void rect(float x0, float y0, float x1, float y1, Rgb c, float alpha = 1.0f);
    void roundRect(float x0, float y0, float x1, float y1, float r, Rgb c, float alpha = 1.0f);
    // A frame of width w inside the given rounded rectangle.
    void roundFrame(float x0, float y0, float x1, float y1, float r, float w, Rgb c, float alpha = 1.0f);
    // A vertical gradient from top colour to bottom colour over the box.
    void vgradient(float x0, float y0, float x1, float y1, Rgb top, Rgb bottom);
    void circle(float cx, float cy, float r, Rgb c, float alpha = 1.0f);
    void ring(float cx, float cy, float r0, float r1, Rgb c, float alpha = 1.0f);
    void polygon(const std::vector<float>& xy, Rgb c, float alpha = 1.0f);  // x0, y0, x1, y1, ...
    void line(float x0, float y0, float x1, float y1, float w, Rgb c, float alpha = 1.0f);
    // ASCII text with its baseline at y; returns the advance in pixels.
    float text(const Font& font, float x, float y, float px, const std::string& s, Rgb c, float alpha = 1.0f);
    // A raised plate: body colour, a highlight along the top and left, a shadow
    // along the bottom and right.
    void plate(float x0, float y0, float x1, float y1, float r, Rgb body);
    // A recessed well: the reverse of a plate.
    void well(float x0, float y0, float x1, float y1, float r, Rgb body);

    Image image() const;

private:
    struct Px {
        float r, g, b, a;  // premultiplied
    };
    void blend(int X, int Y, Rgb c, float alpha);
    int w_, h_, W_, H_;
    std::vector<Px> px_;
};

// Lossless files. Both throw std::runtime_error when the file cannot be written.
// PNG: 24-bit unless the image has a pixel that is not fully opaque.
void writePng(const Image& image, const std::string& path);
// GIF89a of at most 256 colours chosen from the picture's own.
void writeGif(const Image& image, const std::string& path);

// Twips to pixels (15 twips a pixel) for the control tables.
constexpr float px(int twips) { return static_cast<float>(twips) / 15.0f; }

}  // namespace artwork
