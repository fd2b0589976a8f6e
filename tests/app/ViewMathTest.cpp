#include <gtest/gtest.h>

#include "app/core/ViewMath.h"

namespace lum {
namespace {

TEST(ViewMathTest, WheelInAndOutOverTheCentre) {
    const ViewRect whole{0, 0, 1920, 1080};
    const auto in = ZoomedView(whole, 960, 540, 120, 480, 270);
    ASSERT_TRUE(in.has_value());
    const ViewRect shown = FitView(1920, 1080, *in);
    EXPECT_EQ(shown, (ViewRect{164, 92, 1756, 987}));  // the middle 83 %
    EXPECT_EQ(CropFor(1920, 1080, shown), (Crop{164, 92, 164, 93}));
    const auto out = ZoomedView(shown, 960, 540, -120, 480, 270);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(FitView(1920, 1080, *out), whole);  // one step back restores the whole picture
}

TEST(ViewMathTest, ZoomStopsAtOnePicturePixelPerScreenPixel) {
    ViewRect v{0, 0, 1920, 1080};
    int steps = 0;
    while (auto next = ZoomedView(v, 960, 540, 120, 480, 270)) {
        v = FitView(1920, 1080, *next);
        ASSERT_LT(++steps, 20);
    }
    EXPECT_EQ(v.right - v.left, 960);
    EXPECT_GT(steps, 1);
}

TEST(ViewMathTest, PanningStopsAtTheEdges) {
    const ViewRect zoomed{164, 92, 1756, 987};
    // Dragging far to the right shows the left edge of the picture.
    const ViewRect left = FitView(1920, 1080, PannedView(zoomed, 960, 540, 100, 100, 900, 100));
    EXPECT_EQ(left.left, 0);
    EXPECT_EQ(left.right, 1592);
    const ViewRect up = FitView(1920, 1080, PannedView(zoomed, 960, 540, 100, 100, 100, -900));
    EXPECT_EQ(up.bottom, 1080);
    // The whole picture cannot move.
    const ViewRect whole{0, 0, 1920, 1080};
    EXPECT_EQ(FitView(1920, 1080, PannedView(whole, 960, 540, 0, 0, 300, 200)), whole);
    EXPECT_EQ(FitView(0, 0, whole), ViewRect{});
}

}  // namespace
}  // namespace lum
