#include "player/Region.hpp"

#include <cstring>
#include <limits>
#include <map>
#include <new>

#include "forms/application.hpp"
#include "runtime/convert.hpp"
#include "runtime/error.hpp"

namespace player {

namespace {

// Memory contexts: each holds the picture selected into it.
struct Contexts {
    std::map<HDC, forms::Picture> selected;
    HDC next = 0x2000;
    bool fail = false;
};
Contexts& contexts() {
    static Contexts c;
    return c;
}
std::int32_t g_nextBitmap = 0x5000;

}  // namespace

HDC cDIBSection::CreateCompatibleDC() {
    auto& c = contexts();
    if (c.fail) return 0;
    HDC dc = c.next;
    c.next += 4;
    c.selected[dc] = forms::Picture();
    return dc;
}

void cDIBSection::DeleteDC(HDC dc) { contexts().selected.erase(dc); }

void cDIBSection::SelectPicture(HDC dc, const forms::Picture& picture) {
    auto it = contexts().selected.find(dc);
    if (it != contexts().selected.end()) it->second = picture;
}

void cDIBSection::FailMemoryContextsForTest(bool fail) { contexts().fail = fail; }

cDIBSection::~cDIBSection() { ClearUp(); }

std::int32_t cDIBSection::BytesPerScanLine() const {
    std::int64_t bytes = static_cast<std::int64_t>(width_) * 3;
    if (bytes > std::numeric_limits<std::int32_t>::max() - 3) runtime::raise(runtime::err::Overflow, "cDIBSection");
    return static_cast<std::int32_t>((bytes + 3) & ~std::int64_t{3});
}

bool cDIBSection::CreateDIB(HDC lHDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t& hDib) {
    if (lHDC == 0 || lWidth <= 0 || lHeight <= 0) return false;
    std::int64_t stride = (static_cast<std::int64_t>(lWidth) * 3 + 3) & ~std::int64_t{3};
    std::int64_t size = stride * lHeight;
    if (size > std::numeric_limits<std::int32_t>::max()) return false;
    std::unique_ptr<std::uint8_t[]> mem(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]());
    if (!mem) return false;
    memory_ = std::move(mem);
    bits_ = memory_.get();
    width_ = lWidth;
    height_ = lHeight;
    hDib = g_nextBitmap;
    g_nextBitmap += 4;
    return true;
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
    hMemDC_ = CreateCompatibleDC();
    if (hMemDC_ == 0) return false;
    if (!CreateDIB(hMemDC_, lWidth, lHeight, hDibSection_)) {
        DeleteDC(hMemDC_);
        hMemDC_ = 0;
        return false;
    }
    hOldBitmap_ = 1;  // the context's stock bitmap, put back by ClearUp
    return true;
}

void cDIBSection::CreateFromPicture(const forms::Picture& picThis) {
    if (!Create(picThis.width(), picThis.height())) return;
    HDC dc = CreateCompatibleDC();
    if (dc == 0) return;
    SelectPicture(dc, picThis);
    LoadPictureBlt(dc, 0, 0, -1, -1, SRCCOPY);
    DeleteDC(dc);
}

void cDIBSection::LoadPictureBlt(HDC lHDC, std::int32_t lSrcLeft, std::int32_t lSrcTop, std::int32_t lSrcWidth,
                                 std::int32_t lSrcHeight, std::int32_t eRop) {
    (void)eRop;  // the class copies with SRCCOPY only
    if (!bits_) return;
    auto it = contexts().selected.find(lHDC);
    if (it == contexts().selected.end() || it->second.empty()) return;
    const forms::Picture& src = it->second;
    if (lSrcWidth < 0) lSrcWidth = width_;
    if (lSrcHeight < 0) lSrcHeight = height_;
    std::int32_t stride = BytesPerScanLine();
    const std::uint8_t* px = src.rgba().data();
    int srcW = src.width(), srcH = src.height();
    for (std::int32_t y = 0; y < lSrcHeight && y < height_; ++y) {
        int sy = lSrcTop + y;
        if (sy < 0 || sy >= srcH) continue;
        // Rows are stored bottom-up: picture row y lands in DIB row height - 1 - y.
        std::uint8_t* row = bits_ + static_cast<std::size_t>(height_ - 1 - y) * static_cast<std::size_t>(stride);
        const std::uint8_t* srow = px + static_cast<std::size_t>(sy) * static_cast<std::size_t>(srcW) * 4;
        for (std::int32_t x = 0; x < lSrcWidth && x < width_; ++x) {
            int sx = lSrcLeft + x;
            if (sx < 0 || sx >= srcW) continue;
            const std::uint8_t* s = srow + static_cast<std::size_t>(sx) * 4;
            std::uint8_t* d = row + static_cast<std::size_t>(x) * 3;
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
}

void cDIBSection::ClearUp() {
    if (hMemDC_ != 0) {
        memory_.reset();
        DeleteDC(hMemDC_);
    }
    memory_.reset();
    hMemDC_ = 0;
    hDibSection_ = 0;
    hOldBitmap_ = 0;
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
}

// ---- Region ----

void Region::ApplyRgn(std::int32_t hWnd) const {
    if (!hndRegion_) return;
    forms::Form* f = forms::FromHwnd(hWnd);
    if (!f) return;
    f->setRegion(*hndRegion_);
}

void Region::ScanPicture(const forms::Picture& picture, std::int32_t& transColor) {
    if (picture.empty()) runtime::raise(runtime::err::ObjectVariableNotSet, "Region");
    hndRegion_ = forms::WindowRegion();
    if (!cDib_) cDib_ = std::make_unique<cDIBSection>();
    cDib_->CreateFromPicture(picture);
    const std::uint8_t* bits = cDib_->DIBSectionBitsPtr();
    if (!bits) return;  // no bitmap: no pixels, and no key to read
    const std::int32_t w = cDib_->Width();
    const std::int32_t h = cDib_->Height();
    const std::size_t stride = static_cast<std::size_t>(cDib_->BytesPerScanLine());
    if (transColor == 1) transColor = bits[0] + 256 * bits[1] + 65536 * bits[2];
    const std::uint8_t k0 = static_cast<std::uint8_t>(transColor & 0xFF);
    const std::uint8_t k1 = static_cast<std::uint8_t>((transColor >> 8) & 0xFF);
    const std::uint8_t k2 = static_cast<std::uint8_t>((transColor >> 16) & 0xFF);
    const bool keyFits = (transColor & ~0xFFFFFF) == 0;
    auto isKey = [&](const std::uint8_t* p) { return keyFits && p[0] == k0 && p[1] == k1 && p[2] == k2; };
    forms::WindowRegion& rgn = *hndRegion_;
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* row = bits + static_cast<std::size_t>(y) * stride;
        std::int32_t x = 0;
        while (x < w) {
            while (x < w && isKey(row + static_cast<std::size_t>(x) * 3)) ++x;
            std::int32_t start = x;
            while (x < w && !isKey(row + static_cast<std::size_t>(x) * 3)) ++x;
            if (x > start) rgn.addRect({start, h - 1 - y, x, h - y});
        }
    }
}

void Region::OffsetHeader(forms::Form& tmpForm) {
    if (tmpForm.borderStyle() == forms::BorderStyle::None) return;
    tmpForm.setScaleMode(forms::vbPixels);
    double dx = runtime::RoundHalfEven(
        (tmpForm.scaleX(tmpForm.width(), forms::vbTwips, forms::vbPixels) - tmpForm.scaleWidth()) / 2.0);
    double dy = runtime::RoundHalfEven(tmpForm.scaleY(tmpForm.height(), forms::vbTwips, forms::vbPixels) -
                                       tmpForm.scaleHeight() - dx);
    if (hndRegion_) hndRegion_->offset(static_cast<int>(dx), static_cast<int>(dy));
}

}  // namespace player
