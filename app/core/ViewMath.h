// Zoom and pan of the engine's picture through its crop geometry.
#pragma once

#include <optional>

namespace lum {

// The part of the decoded picture that is shown, in picture pixels; all zero
// means not zoomed.
struct ViewRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    friend bool operator==(const ViewRect&, const ViewRect&) = default;
};

// The borders the engine cuts off each side: left, top, right, bottom.
struct Crop {
    int left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const Crop&, const Crop&) = default;
};

// A requested view kept to the picture's aspect ratio and inside the picture.
ViewRect FitView(int pictureWidth, int pictureHeight, ViewRect requested);
Crop CropFor(int pictureWidth, int pictureHeight, const ViewRect& view);

// One wheel step at (x, y) of a surface of surfaceWidth x surfaceHeight; the
// view to apply, or nullopt when the zoom is at its limit.
std::optional<ViewRect> ZoomedView(const ViewRect& current, int surfaceWidth, int surfaceHeight,
                                   int delta, int x, int y);

// The view requested by a pan from anchor to (x, y), before fitting.
ViewRect PannedView(const ViewRect& anchorView, int surfaceWidth, int surfaceHeight, int anchorX,
                    int anchorY, int x, int y);

}  // namespace lum
