#include "Layout.h"

#include <algorithm>
#include <cstdio>

namespace lum {

MainLayout ComputeLayout(int a, int b, bool mapEnabled, bool gsensorEnabled, int volClientWidth) {
    MainLayout l;
    const int w = a;
    const int m = a - 405;  // left edge of the right-hand column
    const int gh = gsensorEnabled ? kCurveHeight : 0;

    l.close = {w - 47, 10, 40, 28};
    l.maximise = {w - 92, 10, 40, 28};
    l.sizeM = {w - 137, 10, 40, 28};
    l.sizeS = {w - 182, 10, 40, 28};
    l.minimise = {w - 227, 10, 40, 28};
    l.about = {w - 307, 10, 28, 28};
    l.conf = {w - 372, 10, 28, 28};
    l.snap = {w - 437, 10, 28, 28};
    l.open = {w - 502, 10, 28, 28};

    if (mapEnabled) {
        l.map = {m, 48, 400, 220};
        l.fileList = {m, 273, 400, b - 419};
    } else {
        l.map = {m, 0, 400, 0};
        l.fileList = {m, 48, 400, b - 199};
    }

    const int v = b - 94 - gh;
    l.seekBar = {5, v, m - 70, 20};
    l.timeText = {m - 65, v + 4, 60, 16};
    l.curve = {5, v + 25, m - 74, gh};
    for (int k = 0; k < 3; ++k) {
        l.values[k] = {m - 59, v + 29 + 24 * k, 64, 16};
    }
    const int t = gsensorEnabled ? v + 25 + gh + 5 : v + 25;
    l.groupList = {5, t, m - 10, b - 64 - t};
    l.statusBoard = {5, v - 30, m - 10, 30};

    LayoutRect* row[] = {&l.prev, &l.slow, &l.play, &l.fast, &l.next};
    for (int i = 0; i < 5; ++i) {
        *row[i] = {20 + 50 * i, b - 58, 40, 40};
    }
    l.vol = {290, b - 62, 48, 48};
    l.speedGauge = {a - 200, b - 130, 162, 100};
    l.notice = {a - 380, b - 24, 340, 12};
    l.gsensorLegend = {a - 400, b - 130, 162, 100};
    // The slider is 140 wide; in a narrow window (below 882 pixels) it would
    // reach under the legend's bottom arrow, so there it ends 2 pixels before it.
    const int x1 = 292 + volClientWidth;
    const int sliderWidth = std::clamp(l.gsensorLegend.x - 2 - x1, kMinVolumeSliderWidth, 140);
    l.volumeSlider = {x1, b - 44, sliderWidth, 20};
    l.volumeEdit = {x1 + 142, b - 44, 26, 20};
    l.videoBackground = {5, 48, m - 10, v - 48};
    return l;
}

LayoutRect SmallWindowOn(const LayoutRect& mon) {
    return {mon.x + (mon.width - 1024) / 2, mon.y + (mon.height - 576) / 2, 1024, 576};
}

LayoutRect MediumWindowOn(const LayoutRect& mon) {
    return {mon.x + mon.width / 8, mon.y + mon.height / 8, std::max(mon.width * 3 / 4, 1024),
            std::max(mon.height * 3 / 4, 576)};
}

LayoutRect ClampStartRect(LayoutRect r, int screenWidth, int screenHeight) {
    if (r.y < 0 || r.y > screenHeight) {
        r.y = 0;
    }
    if (r.x < 0 || r.x > screenWidth) {
        r.x = 0;
    }
    r.width = std::max(r.width, 800);
    r.height = std::max(r.height, 560);
    if (r.width > screenWidth || r.height > screenHeight) {
        r = {0, 0, screenWidth, screenHeight};
    }
    return r;
}

}  // namespace lum

namespace lum {

LayoutRect FitVideo(const LayoutRect& area, int vw, int vh) {
    if (vw <= 0 || vh <= 0) {
        return area;
    }
    LayoutRect r = area;
    const long long w = area.width, h = area.height;
    if (h * vw > w * vh) {  // the area is taller than the picture
        r.height = static_cast<int>(w * vh / vw);
        r.y += (area.height - r.height) / 2;
    } else if (h * vw < w * vh) {
        r.width = static_cast<int>(h * vw / vh);
        r.x += (area.width - r.width) / 2;
    }
    return r;
}

std::string PlayTimeText(std::int64_t timeMs, std::int64_t lengthMs) {
    const long long t = timeMs / 1000;
    const long long total = (lengthMs + 999) / 1000;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%lld:%02lld / %lld:%02lld", t / 60, t % 60, total / 60,
                  total % 60);
    return buf;
}

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 100000000; ++i) {
        v = v * 10 + (text[i] - '0');
    }
    return static_cast<int>(negative ? -v : v);
}

int SeekBarPosition(std::int64_t timeMs, std::int64_t lengthMs) {
    if (lengthMs == 0) {
        return 0;
    }
    return static_cast<int>(static_cast<double>(timeMs) / static_cast<double>(lengthMs) * 1000.0);
}

}  // namespace lum
