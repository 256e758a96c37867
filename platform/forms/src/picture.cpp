#include "forms/picture.hpp"

#include <climits>
#include <cstring>

#include "runtime/error.hpp"
#include "runtime/files.hpp"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace forms {

Picture Picture::fromRgba(int width, int height, std::vector<std::uint8_t> rgba) {
    if (width < 0 || height < 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        runtime::raise(runtime::err::InvalidPropertyValue, "Picture", "Invalid picture");
    auto d = std::make_shared<Data>();
    d->width = width;
    d->height = height;
    d->rgba = std::move(rgba);
    for (std::size_t i = 3; i < d->rgba.size(); i += 4)
        if (d->rgba[i] != 255) {
            d->transparency = true;
            break;
        }
    Picture p;
    p.d_ = std::move(d);
    return p;
}

Picture Picture::solid(int width, int height, Colour colour) {
    std::vector<std::uint8_t> px(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < px.size(); i += 4) {
        px[i] = static_cast<std::uint8_t>(redOf(colour));
        px[i + 1] = static_cast<std::uint8_t>(greenOf(colour));
        px[i + 2] = static_cast<std::uint8_t>(blueOf(colour));
        px[i + 3] = 255;
    }
    return fromRgba(width, height, std::move(px));
}

int Picture::width() const { return d_ ? d_->width : 0; }
int Picture::height() const { return d_ ? d_->height : 0; }

Colour Picture::pixel(int x, int y) const {
    if (!d_ || x < 0 || y < 0 || x >= d_->width || y >= d_->height) return 0;
    const std::uint8_t* p = &d_->rgba[(static_cast<std::size_t>(y) * d_->width + x) * 4];
    return RGB(p[0], p[1], p[2]);
}

std::uint8_t Picture::alpha(int x, int y) const {
    if (!d_ || x < 0 || y < 0 || x >= d_->width || y >= d_->height) return 0;
    return d_->rgba[(static_cast<std::size_t>(y) * d_->width + x) * 4 + 3];
}

bool Picture::hasTransparency() const { return d_ && d_->transparency; }

const std::vector<std::uint8_t>& Picture::rgba() const {
    static const std::vector<std::uint8_t> none;
    return d_ ? d_->rgba : none;
}

Picture Picture::withPixel(int x, int y, Colour colour) const {
    if (!d_ || x < 0 || y < 0 || x >= d_->width || y >= d_->height) return *this;
    std::vector<std::uint8_t> px = d_->rgba;
    std::uint8_t* p = &px[(static_cast<std::size_t>(y) * d_->width + x) * 4];
    p[0] = static_cast<std::uint8_t>(redOf(colour));
    p[1] = static_cast<std::uint8_t>(greenOf(colour));
    p[2] = static_cast<std::uint8_t>(blueOf(colour));
    p[3] = 255;
    return fromRgba(d_->width, d_->height, std::move(px));
}

Picture decodePicture(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX))
        runtime::raise(481, "LoadPicture", "Invalid picture");
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                                static_cast<int>(bytes.size()), &w, &h, &channels, 4);
    if (!data || w <= 0 || h <= 0) {
        if (data) stbi_image_free(data);
        runtime::raise(481, "LoadPicture", "Invalid picture");
    }
    std::vector<std::uint8_t> px(data, data + static_cast<std::size_t>(w) * h * 4);
    stbi_image_free(data);
    return Picture::fromRgba(w, h, std::move(px));
}

Picture LoadPicture(std::string_view path) {
    if (path.empty()) return {};
    std::string bytes = runtime::ReadWholeFile(path);  // 53 when missing
    return decodePicture(bytes);
}

namespace {
void put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& s, unsigned v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
}  // namespace

std::string encodeBmp(const Picture& picture) {
    int w = picture.width(), h = picture.height();
    unsigned stride = (static_cast<unsigned>(w) * 3 + 3) & ~3u;
    unsigned imageSize = stride * static_cast<unsigned>(h);
    std::string s;
    s += "BM";
    put32(s, 54 + imageSize);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, static_cast<unsigned>(w));
    put32(s, static_cast<unsigned>(h));
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, imageSize);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    const auto& px = picture.rgba();
    for (int y = h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
            row.push_back(static_cast<char>(p[2]));
            row.push_back(static_cast<char>(p[1]));
            row.push_back(static_cast<char>(p[0]));
        }
        row.resize(stride, '\0');
        s += row;
    }
    return s;
}

}  // namespace forms
