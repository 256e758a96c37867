#pragma once
// The skinned-window shape: cDIBSection copies a picture into a 24-bit
// bottom-up bitmap whose bytes the program reads in place; Region scans those
// bytes row by row, makes one rectangle per run of kept pixels, moves the
// result past the window's frame and hands it to the window.
//
// Every window that wears a skin does, inside its load event:
//
//     Region rgn;
//     std::int32_t key = 1;                   // 1: the key colour is the bottom-left pixel
//     rgn.ScanPicture(pic, key);
//     rgn.OffsetHeader(*this);
//     setPicture(pic);
//     rgn.ApplyRgn(hWnd());

#include <cstdint>
#include <memory>
#include <optional>

#include "forms/form.hpp"
#include "forms/picture.hpp"
#include "forms/window_region.hpp"

namespace player {

inline constexpr std::int32_t SRCCOPY = 0xCC0020;

// Device contexts of the drawing layer this class was written against: a
// memory context holds the one bitmap selected into it.
using HDC = std::intptr_t;

class cDIBSection {
public:
    cDIBSection() = default;
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;
    ~cDIBSection();

    // Fills the header for lWidth x lHeight at 24 bits and makes the pixel
    // memory; hDib receives its handle. False when no bitmap could be made
    // (a size of 0 or less, or no memory).
    bool CreateDIB(HDC lHDC, std::int32_t lWidth, std::int32_t lHeight, std::int32_t& hDib);
    // Copies a picture into a new bitmap of its size; copies nothing when
    // Create fails.
    void CreateFromPicture(const forms::Picture& picThis);
    // ClearUp, then a memory context and a bitmap selected into it.
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    // (width x 3 + 3) with the two lowest bits cleared; error 6 on overflow.
    std::int32_t BytesPerScanLine() const;
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // Copies a rectangle of a context's bitmap to the top-left corner; a
    // negative size means the bitmap's own.
    void LoadPictureBlt(HDC lHDC, std::int32_t lSrcLeft, std::int32_t lSrcTop, std::int32_t lSrcWidth,
                        std::int32_t lSrcHeight, std::int32_t eRop = SRCCOPY);
    // The first pixel byte (bottom row first, blue, green, red); nullptr when none.
    std::uint8_t* DIBSectionBitsPtr() const { return bits_; }
    void ClearUp();

    std::int32_t hDibSection() const { return hDibSection_; }
    HDC hMemDC() const { return hMemDC_; }

    // The memory contexts (tests use them to make Create fail).
    static HDC CreateCompatibleDC();
    static void DeleteDC(HDC dc);
    static void SelectPicture(HDC dc, const forms::Picture& picture);
    // While set, making a memory context fails (the system is out of them).
    static void FailMemoryContextsForTest(bool fail);

private:
    std::int32_t hDibSection_ = 0;
    std::int32_t hOldBitmap_ = 0;
    HDC hMemDC_ = 0;
    std::uint8_t* bits_ = nullptr;
    std::unique_ptr<std::uint8_t[]> memory_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

class Region {
public:
    Region() = default;
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;
    ~Region() = default;

    // Sets a copy of the region as the window region of hWnd (nothing for a
    // stale handle, or when no region was made).
    void ApplyRgn(std::int32_t hWnd) const;
    // Builds the region of every pixel that differs from the key colour.
    // transColor 1: the key is the picture's bottom-left pixel (blue in the low
    // byte), written back. No picture is error 91 and makes no region; a
    // bitmap that cannot be made gives an empty region and the key is not read.
    void ScanPicture(const forms::Picture& picture, std::int32_t& transColor);
    // Moves the region past the frame, title bar and menu bar of a form that
    // has a border, whose scale becomes pixels; a borderless form is left as it is.
    void OffsetHeader(forms::Form& tmpForm);

    // The region being built (nullopt: none made).
    const std::optional<forms::WindowRegion>& region() const { return hndRegion_; }
    bool hndRegion() const { return hndRegion_.has_value(); }

private:
    std::optional<forms::WindowRegion> hndRegion_;
    std::unique_ptr<cDIBSection> cDib_;
};

}  // namespace player
