#include "ViewMath.h"

namespace lum {

ViewRect FitView(int w, int h, ViewRect v) {
    if (w <= 0 || h <= 0) {
        return {};
    }
    v.bottom = v.top + h * (v.right - v.left) / w;  // keep the picture's aspect ratio
    if (v.right - v.left > w) {
        return {0, 0, w, h};
    }
    if (v.left < 0) {
        v.right -= v.left;
        v.left = 0;
    }
    if (v.top < 0) {
        v.bottom -= v.top;
        v.top = 0;
    }
    if (v.right > w) {
        v.left -= v.right - w;
        v.right = w;
    }
    if (v.bottom > h) {
        v.top -= v.bottom - h;
        v.bottom = h;
    }
    return v;
}

Crop CropFor(int w, int h, const ViewRect& v) {
    return {v.left, v.top, w - v.right, h - v.bottom};
}

std::optional<ViewRect> ZoomedView(const ViewRect& c, int sw, int sh, int delta, int x, int y) {
    if (sw <= 0 || sh <= 0) {
        return std::nullopt;
    }
    const int px = c.left + x * (c.right - c.left) / sw;
    const int py = c.top + y * (c.bottom - c.top) / sh;
    const int a = delta > 0 ? 10000 / 120 : 10000 / 80;
    ViewRect n;
    n.left = px + (c.left - px) * a / 100;
    n.right = px + a * (c.right - px) / 100;
    n.top = py + a * (c.top - py) / 100;
    if (n.right - n.left < sw) {
        // A picture pixel would grow larger than a screen pixel.
        if (c.right - c.left == sw) {
            return std::nullopt;
        }
        n.right = n.left + sw;
        n.bottom = n.top + sh;
    } else {
        n.bottom = py + (c.bottom - py) * a / 100;
    }
    return n;
}

ViewRect PannedView(const ViewRect& v, int sw, int sh, int ax, int ay, int x, int y) {
    const int dx = sw > 0 ? (x - ax) * (v.right - v.left) / sw : 0;
    const int dy = sh > 0 ? (y - ay) * (v.bottom - v.top) / sh : 0;
    return {v.left - dx, v.top - dy, v.right - dx, v.bottom - dy};
}

}  // namespace lum
