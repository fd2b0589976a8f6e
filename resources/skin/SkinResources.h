#pragma once

// The skin pictures are Qt resources compiled into the lum_skin library. Link lum_skin and load
// them by number, for example QImage(lum::SkinPicturePath(129)) or QImage(":/skin/129.png");
// no initialisation call is needed.

#include <QString>

namespace lum {

// ":/skin/<number>.png", the resource path of skin picture `number`.
QString SkinPicturePath(int number);

}  // namespace lum
