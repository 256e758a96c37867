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

// The one palette of the player's windows, the main window's: slate greys
// with a teal accent (and amber for the rating stars).
namespace palette {
inline const Rgb kShadow = {12 / 255.f, 15 / 255.f, 19 / 255.f};      // outlines
inline const Rgb kDeep = {20 / 255.f, 25 / 255.f, 30 / 255.f};        // recessed wells
inline const Rgb kBody = {38 / 255.f, 45 / 255.f, 54 / 255.f};        // window body
inline const Rgb kPlate = {47 / 255.f, 56 / 255.f, 66 / 255.f};       // raised plates
inline const Rgb kEdge = {86 / 255.f, 99 / 255.f, 112 / 255.f};       // bevel highlights
inline const Rgb kFace = {66 / 255.f, 76 / 255.f, 88 / 255.f};        // button faces
inline const Rgb kMuted = {128 / 255.f, 142 / 255.f, 158 / 255.f};    // quiet text and marks
inline const Rgb kText = {214 / 255.f, 224 / 255.f, 238 / 255.f};     // bright text
inline const Rgb kAccent = {56 / 255.f, 214 / 255.f, 196 / 255.f};    // teal accent
inline const Rgb kAccentDim = {28 / 255.f, 128 / 255.f, 120 / 255.f};  // accent in shade
inline const Rgb kStar = {238 / 255.f, 170 / 255.f, 60 / 255.f};      // rating stars
inline const Rgb kLight = {228 / 255.f, 232 / 255.f, 238 / 255.f};    // light content areas
// The skins' key colour, as the main window's: every pixel of it lies outside the window.
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
    // Kept pixels next to one that is not kept, or on the picture's edge,
    // become the outline colour: a dark rim around the window's shape.
    void outline(const std::function<bool(int, int)>& keep);
};

// Whether pixel (x, y) lies inside a w x h rectangle with corners of radius r
// (judged at the pixel's centre): the usual outline of a skin.
bool insideRoundRect(int x, int y, int w, int h, float r);

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
