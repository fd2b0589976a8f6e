#include "Skin.h"

#include <QFont>

#include "views/core/Gauges.h"

namespace lum {

QString SkinPath(int number) {
    return QStringLiteral(":/skin/%1.png").arg(number);
}

QImage LoadSkin(int number) {
    return QImage(SkinPath(number));
}

namespace {
template <class Look>
QImage Transform(const QImage& source, Look look) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const Rgba out = look(
                Rgba{static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                     static_cast<std::uint8_t>(qBlue(p)), static_cast<std::uint8_t>(qAlpha(p))});
            line[x] = qRgba(out.r, out.g, out.b, out.a);
        }
    }
    return image;
}
}  // namespace

QImage HotImage(const QImage& source) {
    return Transform(source, HotLook);
}
QImage GreyImage(const QImage& source) {
    return Transform(source, GreyLook);
}

QFont DialFont(int pixelSize) {
    QFont f;
    f.setFamilies(
        {"Arial Rounded MT Bold", "M PLUS Rounded 1c", "Nunito", "DejaVu Sans", "Noto Sans"});
    f.setPixelSize(pixelSize);
    f.setBold(true);
    return f;
}

QFont GothicFont(int pixelSize) {
    QFont f;
    f.setFamilies(
        {"MS Gothic", "Noto Sans CJK JP", "IPAGothic", "Noto Sans Mono CJK JP", "DejaVu Sans"});
    f.setPixelSize(pixelSize);
    return f;
}

}  // namespace lum
