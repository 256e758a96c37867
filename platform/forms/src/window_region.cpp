#include "forms/window_region.hpp"

#include <algorithm>
#include <climits>
#include <set>
#include <utility>

namespace forms {

void WindowRegion::addRect(const PixelRect& r) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    rects_.push_back(r);
}

void WindowRegion::unite(const WindowRegion& other) {
    rects_.insert(rects_.end(), other.rects_.begin(), other.rects_.end());
}

void WindowRegion::offset(int dx, int dy) {
    for (auto& r : rects_) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    }
}

bool WindowRegion::contains(int x, int y) const {
    for (auto& r : rects_)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

PixelRect WindowRegion::bounds() const {
    if (rects_.empty()) return {};
    PixelRect b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (auto& r : rects_) {
        b.left = std::min(b.left, r.left);
        b.top = std::min(b.top, r.top);
        b.right = std::max(b.right, r.right);
        b.bottom = std::max(b.bottom, r.bottom);
    }
    return b;
}

long long WindowRegion::area() const {
    // Row by row: merge the spans of every rectangle covering the row.
    std::set<int> edges;
    for (auto& r : rects_) {
        edges.insert(r.top);
        edges.insert(r.bottom);
    }
    long long total = 0;
    for (auto it = edges.begin(); it != edges.end(); ++it) {
        auto next = std::next(it);
        if (next == edges.end()) break;
        int y = *it;
        std::vector<std::pair<int, int>> spans;
        for (auto& r : rects_)
            if (r.top <= y && y < r.bottom) spans.emplace_back(r.left, r.right);
        std::sort(spans.begin(), spans.end());
        long long width = 0;
        int curL = 0, curR = INT_MIN;
        for (auto& [l, rr] : spans) {
            if (l > curR) {
                if (curR > curL) width += curR - curL;
                curL = l;
                curR = rr;
            } else {
                curR = std::max(curR, rr);
            }
        }
        if (curR > curL) width += curR - curL;
        total += width * (*next - y);
    }
    return total;
}

}  // namespace forms
