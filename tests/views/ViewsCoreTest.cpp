#include <gtest/gtest.h>

#include "views/core/CurveModel.h"
#include "views/core/Gauges.h"

namespace lum {
namespace {

std::vector<GSensorSample> OnX(std::initializer_list<int> xs) {
    std::vector<GSensorSample> s;
    for (int x : xs) {
        s.push_back({static_cast<std::int8_t>(x), 0, 0});
    }
    return s;
}

TEST(CurveFilterTest, LargerChangeInTheDirectionOfTheStep) {
    struct Case {
        std::vector<GSensorSample> in;
        std::vector<int> want;
    } cases[] = {
        {OnX({10, 20, 25, 10}), {5, 10, 15, -15}},
        {OnX({0, 4, 3}), {2, 4, -1}},
        {OnX({-7, 9}), {8, 16}},
        {OnX({100, -100}), {-100, 56}},  // the one-step change wraps in 8 bits
        {OnX({42}), {0}},                // a single sample shows no change
    };
    for (const Case& c : cases) {
        const auto out = DifferenceFilter(c.in.data(), c.in.size());
        ASSERT_EQ(out.size(), c.want.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i][0], c.want[i]) << "entry " << i;
            EXPECT_EQ(out[i][1], 0);
        }
    }
}

TEST(CurveModelTest, EmptyCurveShowsTwentySecondsOfTicks) {
    CurveModel m;
    const PlotRect plot = CurveModel::PlotFor(406, 72);
    EXPECT_EQ(plot.left, 6);
    EXPECT_EQ(plot.top, 20);
    EXPECT_EQ(plot.right, 404);
    EXPECT_EQ(plot.bottom, 64);
    EXPECT_EQ(m.SpanMs(), 20000);
    const auto ticks = m.Ticks(plot);
    ASSERT_EQ(ticks.size(), 100u);
    EXPECT_EQ(ticks[0].length, 6);
    EXPECT_EQ(ticks[5].length, 4);
    EXPECT_EQ(ticks[7].length, 2);
    EXPECT_EQ(ticks[10].length, 6);
    EXPECT_EQ(ticks[1].x, 6 + 398 / 100);
    EXPECT_EQ(ticks[99].x, 6 + 99 * 398 / 100);
    for (const auto& curve : m.Curves(plot)) {
        EXPECT_TRUE(curve.empty());
    }
}

TEST(CurveModelTest, ColumnsCursorAndValues) {
    CurveModel m;
    m.SetScale(8.0, 2.0);
    std::vector<GSensorSample> s(1250, GSensorSample{0, 0, 0});
    s[501].x = 40;  // filtered: entry 501 = +40 (2.5 g), entry 502 = -40
    ASSERT_TRUE(m.LoadSamples(s.data(), s.size()));
    EXPECT_FALSE(m.LoadSamples(s.data(), 0));
    m.SetSampleRate(0.0625);                              // 1250 samples over 20 s
    const PlotRect plot = CurveModel::PlotFor(508, 108);  // 500 columns, 80 rows
    EXPECT_EQ(m.SpanMs(), 20000);
    const auto curves = m.Curves(plot);
    ASSERT_EQ(curves[0].size(), 1u + 500u);  // 2.5 samples a column: one drawn per column
    EXPECT_EQ(curves[0][0].x, plot.left);
    EXPECT_EQ(curves[0][0].y, plot.MidY());
    // Column 200 shows sample 500 and column 201 sample 502: the spike at 501
    // falls between, and 502's -2.5 g is clamped to the bottom edge.
    EXPECT_EQ(curves[0][1 + 200].y, plot.MidY());
    EXPECT_EQ(curves[0][1 + 201].y, plot.bottom);
    m.SetPosition(8016);                          // sample 501
    EXPECT_DOUBLE_EQ(m.CurrentValues()[0], 2.5);  // not clamped to the range
    m.SetPosition(25000);
    EXPECT_DOUBLE_EQ(m.Position(), 20000.0);  // clamped to the length
    EXPECT_EQ(m.CursorX(plot), plot.right);
    EXPECT_EQ(m.CurrentValues()[0], 0.0);  // past the last sample
    m.SetPosition(-5);
    EXPECT_EQ(m.CursorX(plot), plot.left);
    m.SetPosition(10000);
    EXPECT_EQ(m.CursorX(plot), plot.left + 250);

    m.hideCurves = true;
    EXPECT_TRUE(m.Curves(plot)[0].empty());
    m.hideCurves = false;
    m.axisVisible[1] = false;
    EXPECT_TRUE(m.Curves(plot)[1].empty());
    EXPECT_FALSE(m.Curves(plot)[2].empty());
}

TEST(CurveModelTest, ClampAndScale) {
    CurveModel m;
    m.SetScale(0.5, 0.2);  // integer part 0: the default 8 stands in
    EXPECT_EQ(m.FullScale(), 8.0);
    EXPECT_EQ(m.Range(), 8.0);
    m.SetScale(8.0, 2.0);
    const GSensorSample up[2] = {{0, 0, 0}, {100, 0, 0}};  // entry 1 = 100 units = 6.25 g
    m.LoadSamples(up, 2);
    m.SetSampleRate(0.001);
    const PlotRect plot = CurveModel::PlotFor(1006, 108);
    const auto curves = m.Curves(plot);
    ASSERT_GE(curves[0].size(), 3u);
    EXPECT_EQ(curves[0].back().y, plot.top);  // clamped to +range: the top edge
}

TEST(SpeedGaugeTest, TextsColoursAndNeedle) {
    SpeedGaugeModel g;
    EXPECT_EQ(g.SpeedText(), "  0");
    EXPECT_EQ(g.UnitText(), "Km/h");
    EXPECT_FALSE(g.SetSpeed(true, 0));  // unchanged: no repaint
    g.ToggleUnit();
    ASSERT_TRUE(g.SetSpeed(true, 100));
    EXPECT_EQ(g.SpeedText(), " 62");
    EXPECT_EQ(g.UnitText(), "MPH");
    EXPECT_EQ(g.TextColour(), SpeedGaugeModel::kFastColour);
    g.SetSpeed(true, 99);
    EXPECT_EQ(g.SpeedText(), " 61");
    EXPECT_EQ(g.TextColour(), SpeedGaugeModel::kNormalColour);
    g.SetSpeed(false, 0);
    EXPECT_EQ(g.SpeedText(), "?");

    // 0 km/h 17 degrees below the left horizontal, 130 straight up, 260 mirrored.
    const auto centre = SpeedGaugeModel::NeedleCentre(0, 0, 162, 100);
    EXPECT_EQ(centre.x, 81);
    EXPECT_EQ(centre.y, 72);
    const auto zero = g.NeedleEnd(0, 0, 162, 100);
    EXPECT_LT(zero.x, centre.x - 60);
    EXPECT_GT(zero.y, centre.y);
    g.SetSpeed(true, 130);
    const auto up = g.NeedleEnd(0, 0, 162, 100);
    EXPECT_NEAR(up.x, centre.x, 2);
    EXPECT_EQ(up.y, centre.y - 65);  // the short pi leaves sin just above -1, truncated
}

TEST(CompassTest, SectorsAroundTheRose) {
    const std::pair<int, unsigned> cases[] = {{0, 1},  {360, 1}, {-360, 1}, {90, 7},  {22, 1},
                                              {24, 8}, {337, 2}, {338, 1},  {180, 5}, {270, 3}};
    for (const auto& [degrees, picture] : cases) {
        EXPECT_EQ(CompassPictureFor(degrees, 8), picture) << degrees;
    }
    EXPECT_FALSE(CompassPictureFor(90, 0).has_value());
}

TEST(SmallDisplaysTest, LabelsBoardSliderColoursAndLooks) {
    EXPECT_EQ(FormatResolutionLabel(1920, 1080), "FHD");
    EXPECT_EQ(FormatResolutionLabel(2048, 1600), "QXGA");
    EXPECT_EQ(FormatResolutionLabel(1440, 1080), "1440x1080");
    EXPECT_EQ(FormatResolutionLabel(0, 720), "");
    EXPECT_EQ(DoneRight(10, 110, 100), 110);
    EXPECT_EQ(DoneRight(10, 110, 0), 10);
    EXPECT_EQ(PercentCaption(37), "37 %");
    EXPECT_EQ(FormatGValue(0.0), " 0.0000G");
    EXPECT_EQ(FormatGValue(-0.0625), "-0.0625G");
    EXPECT_EQ(SliderPositionFor(58, 0, 8, 108, 0, 100), 50);
    EXPECT_FALSE(SliderPositionFor(58, 0, 8, 8, 0, 100).has_value());
    EXPECT_EQ(FromColorRef(0x00FFFF), (Rgb{255, 255, 0}));  // yellow
    EXPECT_EQ(FromColorRef(0x0000FF), (Rgb{255, 0, 0}));    // red
    EXPECT_EQ(GreyLook({255, 0, 0, 128}), (Rgba{77, 77, 77, 128}));
    EXPECT_EQ(HotLook({0, 100, 255, 9}), (Rgba{13, 118, 255, 9}));
}

TEST(ButtonLookTest, ToggleHoverAndGrey) {
    ButtonState play;
    play.toggleMode = true;
    PressButton(play);
    EXPECT_EQ(ChooseButtonLook(play, true), ButtonLook::AlternatePressed);
    EXPECT_EQ(ChooseButtonLook(play, false), ButtonLook::Alternate);
    play.hover = true;
    EXPECT_EQ(ChooseButtonLook(play, false), ButtonLook::AlternateHot);
    PressButton(play);
    EXPECT_EQ(ChooseButtonLook(play, false), ButtonLook::NormalHot);
    play.greyed = true;
    PressButton(play);
    EXPECT_EQ(ChooseButtonLook(play, true), ButtonLook::Grey);
    EXPECT_FALSE(play.showAlternate);
    ButtonState stop;
    PressButton(stop);
    EXPECT_EQ(ChooseButtonLook(stop, true), ButtonLook::NormalPressed);
}

}  // namespace
}  // namespace lum
