#include "forms/picture.hpp"

#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <png.h>

#include "runtime/error.hpp"
#include "runtime/files.hpp"

// JPEG and PNG go through libjpeg-turbo and libpng; BMP and GIF through
// stb_image, whose JPEG decoder writes past its tables on damaged Huffman
// tables and is therefore not used.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
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

namespace {
// The largest picture decoded: far above every skin, icon and artist
// picture, far below what would exhaust the memory.
constexpr int kMaxPictureSide = 16384;
constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;

bool sizeAllowed(long long w, long long h) {
    return w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide && w * h <= kMaxPicturePixels;
}

bool startsWith(std::string_view bytes, std::string_view magic) { return bytes.substr(0, magic.size()) == magic; }

// libjpeg reports a fatal error by longjmp. Everything the decoder changes
// lives on the heap behind a pointer that stays as it is, so nothing of the
// calling frame is left undefined by the jump.
struct JpegState {
    jpeg_decompress_struct info{};
    jpeg_error_mgr err{};
    std::jmp_buf jump{};
    bool created = false;
    std::vector<std::uint8_t> px;
    ~JpegState() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

void jpegFail(j_common_ptr info) { std::longjmp(static_cast<JpegState*>(info->client_data)->jump, 1); }
void jpegQuiet(j_common_ptr) {}

// An empty picture when the bytes are no readable JPEG.
Picture decodeJpeg(std::string_view bytes) {
    auto st = std::make_unique<JpegState>();
    st->info.err = jpeg_std_error(&st->err);
    st->err.error_exit = jpegFail;
    st->err.output_message = jpegQuiet;  // warnings about damaged data are not printed
    st->info.client_data = st.get();
    if (setjmp(st->jump)) return {};
    jpeg_create_decompress(&st->info);
    st->created = true;
    jpeg_mem_src(&st->info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&st->info, TRUE) != JPEG_HEADER_OK) return {};
    if (!sizeAllowed(st->info.image_width, st->info.image_height)) return {};
    st->info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&st->info);
    if (st->info.output_components != 4 || !sizeAllowed(st->info.output_width, st->info.output_height)) return {};
    const std::size_t stride = static_cast<std::size_t>(st->info.output_width) * 4;
    st->px.assign(stride * st->info.output_height, 0);
    while (st->info.output_scanline < st->info.output_height) {
        JSAMPROW row = st->px.data() + st->info.output_scanline * stride;
        if (jpeg_read_scanlines(&st->info, &row, 1) != 1) return {};
    }
    jpeg_finish_decompress(&st->info);
    return Picture::fromRgba(static_cast<int>(st->info.output_width), static_cast<int>(st->info.output_height),
                             std::move(st->px));
}

// An empty picture when the bytes are no readable PNG.
Picture decodePng(std::string_view bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    struct Release {
        png_image* image;
        ~Release() { png_image_free(image); }
    } release{&image};
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
    if (!sizeAllowed(image.width, image.height)) return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> px(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) return {};
    return Picture::fromRgba(static_cast<int>(image.width), static_cast<int>(image.height), std::move(px));
}
}  // namespace

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

Picture Picture::withHotSpot(int x, int y) const {
    if (!d_) return *this;
    auto d = std::make_shared<Data>(*d_);
    d->hotX = x;
    d->hotY = y;
    Picture p;
    p.d_ = std::move(d);
    return p;
}

Picture decodePicture(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX))
        runtime::raise(481, "LoadPicture", "Invalid picture");
    Picture p;
    if (startsWith(bytes, "\xFF\xD8\xFF")) {
        p = decodeJpeg(bytes);
    } else if (startsWith(bytes, "\x89PNG\r\n\x1A\n")) {
        p = decodePng(bytes);
    } else {
        // The size stated in the header is checked before anything is decoded:
        // a few bytes of a damaged or hostile file may claim a picture of
        // gigabytes.
        int w = 0, h = 0, channels = 0;
        const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
        const int size = static_cast<int>(bytes.size());
        if (stbi_info_from_memory(data, size, &w, &h, &channels) && sizeAllowed(w, h)) {
            unsigned char* px = stbi_load_from_memory(data, size, &w, &h, &channels, 4);
            if (px && sizeAllowed(w, h))
                p = Picture::fromRgba(w, h, std::vector<std::uint8_t>(px, px + static_cast<std::size_t>(w) * h * 4));
            if (px) stbi_image_free(px);
        }
    }
    if (p.empty()) runtime::raise(481, "LoadPicture", "Invalid picture");
    return p;
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
