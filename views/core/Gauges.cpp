#include "Gauges.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lum {

bool SpeedGaugeModel::SetSpeed(bool valid, std::uint16_t kmh) {
    if (valid == valid_ && kmh == speed_) {
        return false;
    }
    valid_ = valid;
    speed_ = kmh;
    Rebuild();
    return true;
}

void SpeedGaugeModel::ToggleUnit() {
    kph = !kph;
    Rebuild();
}

void SpeedGaugeModel::Rebuild() {
    unitText_ = kph ? "Km/h" : "MPH";
    const int shown = kph ? speed_ : speed_ * 10 / 16;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d", shown);
    speedText_ = valid_ ? buf : "?";
}

Rgb SpeedGaugeModel::TextColour() const {
    // The threshold is in km/h whatever unit is shown.
    return valid_ && speed_ >= 100 ? kFastColour : kNormalColour;
}

SpeedGaugeModel::Point SpeedGaugeModel::NeedleCentre(int left, int, int right, int bottom) {
    return {left + (right - left) / 2, bottom - 28};
}

SpeedGaugeModel::Point SpeedGaugeModel::NeedleEnd(int left, int top, int right, int bottom) const {
    const double theta = (speed_ * 214 / 260 + 163) * 3.141592 / 180;
    const int radius = (right - left) / 2 - 15;
    const Point c = NeedleCentre(left, top, right, bottom);
    return {c.x + static_cast<int>(std::trunc(std::cos(theta) * radius)),
            c.y + static_cast<int>(std::trunc(std::sin(theta) * radius))};
}

std::string FormatGValue(double g) {
    char buf[64];
    std::snprintf(buf, sizeof buf, g >= 0 ? " %.4fG" : "%.4fG", g);
    return buf;
}

std::optional<unsigned> CompassPictureFor(int degrees, unsigned count) {
    if (count == 0) {
        return std::nullopt;
    }
    const int a = ((360 - degrees) % 360 + 360) % 360;
    int sector = a / 45;
    if (a - 45 * sector > 22) {
        ++sector;
    }
    return static_cast<unsigned>(sector) % count + 1;
}

int DoneRight(int left, int right, int percent) {
    return left + (right - left) * percent / 100;
}

std::string PercentCaption(int percent) {
    return std::to_string(percent) + " %";
}

std::string FormatResolutionLabel(int width, int height) {
    struct Row {
        int w, h;
        const char* label;
    };
    static constexpr Row kTable[] = {
        {2048, 1600, "QXGA"}, {2048, 1536, "QXGA"}, {1920, 1080, "FHD"}, {1600, 1200, "UXGA"},
        {1280, 1024, "SXGA"}, {1280, 720, "HD"},    {1152, 870, "MAC"},  {1024, 768, "XGA"},
        {800, 600, "SVGA"},   {720, 480, "480P"},   {640, 480, "VGA"},   {320, 240, "CIF"}};
    if (width == 0 || height == 0) {
        return {};
    }
    for (const Row& r : kTable) {
        if (r.w == width && r.h == height) {
            return r.label;
        }
    }
    return std::to_string(width) + "x" + std::to_string(height);
}

std::optional<int> SliderPositionFor(int x, int clientLeft, int channelLeft, int channelRight,
                                     int rangeMin, int rangeMax) {
    if (channelRight == channelLeft) {
        return std::nullopt;
    }
    return (x - channelLeft - clientLeft) * (rangeMax - rangeMin) / (channelRight - channelLeft);
}

namespace {
std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}
}  // namespace

Rgba HotLook(Rgba p) {
    auto hot = [](std::uint8_t v) { return Channel((1.05 * v / 255.0 + 0.05) * 255.0); };
    return {hot(p.r), hot(p.g), hot(p.b), p.a};
}

Rgba GreyLook(Rgba p) {
    const std::uint8_t l = Channel(0.3 * p.r + 0.59 * p.g + 0.11 * p.b);
    return {l, l, l, p.a};
}

void PressButton(ButtonState& s) {
    if (!s.greyed && s.toggleMode) {
        s.showAlternate = !s.showAlternate;
    }
}

ButtonLook ChooseButtonLook(const ButtonState& s, bool pressed) {
    if (s.greyed) {
        return ButtonLook::Grey;
    }
    if (pressed) {
        return s.showAlternate ? ButtonLook::AlternatePressed : ButtonLook::NormalPressed;
    }
    if (s.hover) {
        return s.showAlternate ? ButtonLook::AlternateHot : ButtonLook::NormalHot;
    }
    return s.showAlternate ? ButtonLook::Alternate : ButtonLook::Normal;
}

}  // namespace lum
