#include <gtest/gtest.h>

#include "app/core/Layout.h"

namespace lum {
namespace {

TEST(LayoutTest, SmallWindowWithMapAndCurve) {
    const MainLayout l = ComputeLayout(1024, 576, true, true);
    EXPECT_EQ(l.map, (LayoutRect{619, 48, 400, 220}));
    EXPECT_EQ(l.fileList, (LayoutRect{619, 273, 400, 157}));
    EXPECT_EQ(l.play, (LayoutRect{120, 518, 40, 40}));
    EXPECT_EQ(l.next, (LayoutRect{220, 518, 40, 40}));
    EXPECT_EQ(l.close, (LayoutRect{977, 10, 40, 28}));
    EXPECT_EQ(l.open, (LayoutRect{522, 10, 28, 28}));
    // V = 576 - 94 - 72 = 410: seek bar, curve and video above it.
    EXPECT_EQ(l.seekBar, (LayoutRect{5, 410, 549, 20}));
    EXPECT_EQ(l.timeText, (LayoutRect{554, 414, 60, 16}));
    EXPECT_EQ(l.curve, (LayoutRect{5, 435, 545, 72}));
    EXPECT_EQ(l.values[2], (LayoutRect{560, 487, 64, 16}));
    EXPECT_EQ(l.videoBackground, (LayoutRect{5, 48, 609, 362}));
    EXPECT_EQ(l.volumeSlider, (LayoutRect{340, 532, 140, 20}));
    EXPECT_EQ(l.volumeEdit, (LayoutRect{482, 532, 26, 20}));
    EXPECT_EQ(l.speedGauge, (LayoutRect{824, 446, 162, 100}));
}

TEST(LayoutTest, SwitchesMoveTheListAndTheVideo) {
    const MainLayout noMap = ComputeLayout(1024, 576, false, true);
    EXPECT_EQ(noMap.map, (LayoutRect{619, 0, 400, 0}));
    EXPECT_EQ(noMap.fileList, (LayoutRect{619, 48, 400, 377}));
    const MainLayout noCurve = ComputeLayout(1024, 576, true, false);
    EXPECT_EQ(noCurve.seekBar.y, 482);
    EXPECT_EQ(noCurve.videoBackground.height, 434);
    EXPECT_EQ(noCurve.groupList.y, 507);
}

bool Intersect(const LayoutRect& a, const LayoutRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(LayoutTest, VolumeSliderClearsTheLegend) {
    struct Case {
        int a, b;
        LayoutRect slider;
    };
    const Case cases[] = {
        // The smallest window: the slider ends 2 pixels before the legend.
        {800, 560, {340, 516, 58, 20}},
        {881, 560, {340, 516, 139, 20}},
        // The default size and wider keep the full 140 pixels.
        {930, 673, {340, 629, 140, 20}},
        {1024, 576, {340, 532, 140, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " x " << c.b);
        const MainLayout l = ComputeLayout(c.a, c.b, true, true);
        EXPECT_EQ(l.gsensorLegend, (LayoutRect{c.a - 400, c.b - 130, 162, 100}));
        EXPECT_FALSE(Intersect(l.volumeSlider, l.gsensorLegend));
        EXPECT_EQ(l.volumeSlider, c.slider);
        // The rest of the bottom row stays where it was.
        EXPECT_EQ(l.volumeEdit, (LayoutRect{482, c.b - 44, 26, 20}));
        EXPECT_EQ(l.vol, (LayoutRect{290, c.b - 62, 48, 48}));
        EXPECT_EQ(l.speedGauge, (LayoutRect{c.a - 200, c.b - 130, 162, 100}));
    }
    // However narrow the window, the slider stays usable.
    EXPECT_EQ(ComputeLayout(600, 560, true, true).volumeSlider.width, kMinVolumeSliderWidth);
}

TEST(LayoutTest, WindowSizesAndStartPlacement) {
    const LayoutRect monitor{0, 0, 1920, 1080};
    EXPECT_EQ(SmallWindowOn(monitor), (LayoutRect{448, 252, 1024, 576}));
    EXPECT_EQ(MediumWindowOn(monitor), (LayoutRect{240, 135, 1440, 810}));
    EXPECT_EQ(MediumWindowOn({0, 0, 1280, 720}), (LayoutRect{160, 90, 1024, 576}));
    EXPECT_EQ(ClampStartRect({-50, -20, 600, 400}, 1920, 1080), (LayoutRect{0, 0, 800, 560}));
    EXPECT_EQ(ClampStartRect({100, 2000, 930, 621}, 1920, 1080), (LayoutRect{100, 0, 930, 621}));
    EXPECT_EQ(ClampStartRect({0, 0, 930, 621}, 640, 480), (LayoutRect{0, 0, 640, 480}));
}

}  // namespace
}  // namespace lum

namespace lum {
namespace {

TEST(VideoFitTest, LetterboxAndTimeTexts) {
    EXPECT_EQ(FitVideo({0, 0, 640, 480}, 1920, 1080), (LayoutRect{0, 60, 640, 360}));
    EXPECT_EQ(FitVideo({0, 0, 1280, 480}, 640, 480), (LayoutRect{320, 0, 640, 480}));
    EXPECT_EQ(FitVideo({7, 50, 600, 400}, 0, 0), (LayoutRect{7, 50, 600, 400}));
    EXPECT_EQ(PlayTimeText(59999, 61500), "0:59 / 1:02");
    EXPECT_EQ(PlayTimeText(0, 0), "0:00 / 0:00");
    EXPECT_EQ(SeekBarPosition(30000, 60000), 500);
    EXPECT_EQ(SeekBarPosition(5, 0), 0);
    EXPECT_EQ(LeadingInteger("75"), 75);
    EXPECT_EQ(LeadingInteger("150"), 150);
    EXPECT_EQ(LeadingInteger("-3"), -3);
    EXPECT_EQ(LeadingInteger("42abc"), 42);
    EXPECT_EQ(LeadingInteger("abc"), 0);
}

}  // namespace
}  // namespace lum
