// The arithmetic of the small displays: speed dial, compass, progress board,
// resolution label, volume slider, colours and the picture looks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lum {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Colours are kept as Windows COLORREF values, 0x00BBGGRR (red is the low byte), the form
// the skin's colour tables were written in.
constexpr Rgb FromColorRef(std::uint32_t colorref) {
    return {static_cast<std::uint8_t>(colorref & 0xFF),
            static_cast<std::uint8_t>((colorref >> 8) & 0xFF),
            static_cast<std::uint8_t>((colorref >> 16) & 0xFF)};
}

// ---- Speed dial ----

class SpeedGaugeModel {
  public:
    static constexpr Rgb kNormalColour{196, 168, 0};
    static constexpr Rgb kFastColour{255, 0, 0};
    static constexpr Rgb kNeedleColour{200, 196, 0};

    SpeedGaugeModel() { Rebuild(); }
    // True when something changed (and the dial must repaint).
    bool SetSpeed(bool valid, std::uint16_t kmh);
    void ToggleUnit();

    const std::string& SpeedText() const { return speedText_; }  // "%3d" or "?"
    const std::string& UnitText() const { return unitText_; }    // "Km/h" or "MPH"
    Rgb TextColour() const;
    // The needle's end for a dial whose client rectangle is given; it starts at NeedleCentre.
    struct Point {
        int x, y;
    };
    static Point NeedleCentre(int left, int top, int right, int bottom);
    Point NeedleEnd(int left, int top, int right, int bottom) const;

    bool kph = true;  // unit: km/h, else mph
    bool Valid() const { return valid_; }
    std::uint16_t Speed() const { return speed_; }

  private:
    void Rebuild();
    bool valid_ = true;
    std::uint16_t speed_ = 0;
    std::string speedText_;
    std::string unitText_;
};

// The value texts beside the curve: " %.4fG" for 0 and up, "%.4fG" below.
std::string FormatGValue(double g);

// ---- Compass ----

// The picture (1-based) for a heading, among count pictures (N, NW, W, SW, S, SE, E, NE);
// nullopt when there are no pictures.
std::optional<unsigned> CompassPictureFor(int degrees, unsigned count);

// ---- Progress board ----

// Right edge of the done part of a board from left to right.
int DoneRight(int left, int right, int percent);
std::string PercentCaption(int percent);

// ---- Resolution label ----

// "FHD" for 1920 x 1080 and so on; "WxH" when not in the table; empty for a zero size.
std::string FormatResolutionLabel(int width, int height);

// ---- Volume slider ----

// The position for a pointer at x; nullopt (leave it) when the channel has no width.
std::optional<int> SliderPositionFor(int x, int clientLeft, int channelLeft, int channelRight,
                                     int rangeMin, int rangeMax);

// ---- Picture looks ----

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Rgba&, const Rgba&) = default;
};
// Each colour channel becomes 1.05 x value + 0.05; alpha unchanged.
Rgba HotLook(Rgba pixel);
// Each colour channel becomes the luminance 0.3 R + 0.59 G + 0.11 B; alpha unchanged.
Rgba GreyLook(Rgba pixel);

// The eight looks of a skinned button and the choice among them.
enum class ButtonLook {
    Background,
    Normal,
    NormalPressed,
    NormalHot,
    Alternate,
    AlternatePressed,
    AlternateHot,
    Grey
};

struct ButtonState {
    bool greyed = false;
    bool toggleMode = false;
    bool hover = false;
    bool showAlternate = false;
};
// A press of a toggle button (not greyed) flips its picture once.
void PressButton(ButtonState& state);
// The look to show for the state, pressed or not.
ButtonLook ChooseButtonLook(const ButtonState& state, bool pressed);

}  // namespace lum
