#include "SkinResources.h"

namespace lum {

QString SkinPicturePath(int number) {
    return QStringLiteral(":/skin/%1.png").arg(number);
}

}  // namespace lum
