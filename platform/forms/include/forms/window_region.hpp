#pragma once
// A window region: a set of pixels given as rectangles, in pixels from the
// window's top-left corner (the outer window, frame included, as the original
// platform measures window regions).

#include <vector>

namespace forms {

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool operator==(const PixelRect&) const = default;
};

class WindowRegion {
public:
    WindowRegion() = default;

    // Union with a rectangle (an empty rectangle adds nothing).
    void addRect(const PixelRect& r);
    void unite(const WindowRegion& other);
    void offset(int dx, int dy);
    bool contains(int x, int y) const;
    bool empty() const { return rects_.empty(); }
    PixelRect bounds() const;
    const std::vector<PixelRect>& rects() const { return rects_; }
    // The number of pixels covered (rectangles may overlap after unions).
    long long area() const;

private:
    std::vector<PixelRect> rects_;
};

}  // namespace forms
