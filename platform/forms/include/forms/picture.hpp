#pragma once
// Pictures: decoded pixels shared between the controls that show them. JPEG
// files are decoded by libjpeg-turbo, PNG files by libpng, BMP and GIF files
// by stb_image; every picture keeps 8-bit red, green, blue and alpha per
// pixel, top row first. Region scans and device-independent bitmaps read its
// 24-bit colour.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forms/types.hpp"

namespace forms {

class Picture {
public:
    Picture() = default;  // no picture (the original's Nothing)

    // rgba: width * height * 4 bytes, top row first.
    static Picture fromRgba(int width, int height, std::vector<std::uint8_t> rgba);
    static Picture solid(int width, int height, Colour colour);

    bool empty() const { return !d_; }
    explicit operator bool() const { return !empty(); }
    int width() const;   // pixels; 0 when empty
    int height() const;
    // The colour of a pixel (x from the left, y from the top) as a colour value.
    Colour pixel(int x, int y) const;
    std::uint8_t alpha(int x, int y) const;
    bool hasTransparency() const;  // some pixel is not fully opaque
    const std::vector<std::uint8_t>& rgba() const;
    // Identity of the decoded pixels (pictures copied from one another share it).
    std::uintptr_t id() const { return reinterpret_cast<std::uintptr_t>(d_.get()); }
    bool operator==(const Picture& o) const { return d_ == o.d_; }

    // A copy with one pixel changed (for pictures made in code).
    Picture withPixel(int x, int y, Colour colour) const;
    // A mouse pointer's hot spot, in pixels from the top-left corner; -1, -1
    // (the default) is the picture's middle.
    int hotSpotX() const { return d_ ? d_->hotX : -1; }
    int hotSpotY() const { return d_ ? d_->hotY : -1; }
    // A copy whose hot spot is (x, y), for a picture used as a MouseIcon.
    Picture withHotSpot(int x, int y) const;

private:
    struct Data {
        int width = 0, height = 0;
        std::vector<std::uint8_t> rgba;
        bool transparency = false;
        int hotX = -1, hotY = -1;
    };
    std::shared_ptr<const Data> d_;
};

// The original's LoadPicture: "" gives no picture; a missing file is error 53,
// a file that is no readable picture error 481. The path is resolved without
// regard to case, as every path of the program.
Picture LoadPicture(std::string_view path);
// Decodes picture bytes (BMP, GIF, JPEG, PNG); 481 when they are no picture,
// or when the picture they describe is larger than 16384 pixels a side or
// 16 million pixels (a few damaged bytes may claim gigabytes).
Picture decodePicture(std::string_view bytes);
// Encodes a picture as a 24-bit BMP file (for pictures made by tests and tools).
std::string encodeBmp(const Picture& picture);

}  // namespace forms
