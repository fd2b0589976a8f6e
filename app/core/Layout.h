// Where every control of the main window goes for a client size, windowed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lum {

struct LayoutRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// The G-sensor curve's height: 44 dialog units of 1.625 px.
inline constexpr int kCurveHeight = 72;
// The volume slider never gets narrower than this, however narrow the window.
inline constexpr int kMinVolumeSliderWidth = 40;

struct MainLayout {
    // Title row.
    LayoutRect close, maximise, sizeM, sizeS, minimise, about, conf, snap, open;
    // Right-hand column.
    LayoutRect map, fileList;
    // Video, seek bar and curve.
    LayoutRect videoBackground, seekBar, timeText, curve;
    LayoutRect values[3];
    LayoutRect groupList, statusBoard;
    // Transport row.
    LayoutRect prev, slow, play, fast, next, vol, volumeSlider, volumeEdit;
    LayoutRect speedGauge, notice;
    // The G-sensor legend picture (162 x 100) the window paints itself.
    LayoutRect gsensorLegend;
};

// The layout of a client area of a x b pixels; volClientWidth is the Vol
// button's width (48), which places the volume slider after it.
MainLayout ComputeLayout(int a, int b, bool mapEnabled, bool gsensorEnabled,
                         int volClientWidth = 48);

// The window sizes of the S and M buttons on a monitor.
LayoutRect SmallWindowOn(const LayoutRect& monitor);
LayoutRect MediumWindowOn(const LayoutRect& monitor);

// The window's placement at start before the saved one applies: edges off the
// screen moved to 0, at least 800 x 560, at most the screen.
LayoutRect ClampStartRect(LayoutRect window, int screenWidth, int screenHeight);

}  // namespace lum

namespace lum {

// The video surface letterboxed inside area for a picture of vw x vh; the area
// itself when the size is unknown.
LayoutRect FitVideo(const LayoutRect& area, int vw, int vh);

// "%d:%02d / %d:%02d": the play time truncated, the length rounded up, in seconds.
std::string PlayTimeText(std::int64_t timeMs, std::int64_t lengthMs);

// The volume edit's text read as the profile functions read numbers: its leading
// digits (and sign); 0 when there are none.
int LeadingInteger(std::string_view text);

// The seek bar position 0..1000 for a play time.
int SeekBarPosition(std::int64_t timeMs, std::int64_t lengthMs);

}  // namespace lum
