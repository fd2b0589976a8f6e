// Skin pictures by number, from the program's resources, and the picture looks.
#pragma once

#include <QImage>
#include <QString>

namespace lum {

// ":/skin/<number>.png"
QString SkinPath(int number);
// The picture, or a null image when it is missing or cannot be decoded.
QImage LoadSkin(int number);

// The per-pixel colour matrices of the skin, on an ARGB image.
QImage HotImage(const QImage& source);
QImage GreyImage(const QImage& source);

// The skin's own fonts, asked for first, then the nearest on this machine.
QFont DialFont(int pixelSize);
QFont GothicFont(int pixelSize);

}  // namespace lum
