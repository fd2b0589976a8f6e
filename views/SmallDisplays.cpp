#include "SmallDisplays.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "views/Skin.h"
#include "views/core/Gauges.h"

namespace lum {

CPngCompassStatic::CPngCompassStatic(QWidget* parent) : QWidget(parent) {}

bool CPngCompassStatic::AddPicture(int skinNumber) {
    return AddPicture(LoadSkin(skinNumber));
}

bool CPngCompassStatic::AddPicture(const QImage& picture) {
    if (picture.isNull()) {
        return false;
    }
    pictures_.push_back(picture);
    return true;
}

bool CPngCompassStatic::SetIndex(unsigned index) {
    if (index > pictures_.size()) {
        return false;
    }
    index_ = index;
    update();
    return true;
}

bool CPngCompassStatic::SetHeading(int degrees) {
    const auto picture = CompassPictureFor(degrees, static_cast<unsigned>(pictures_.size()));
    if (!picture) {
        return false;
    }
    return SetIndex(*picture);
}

void CPngCompassStatic::paintEvent(QPaintEvent*) {
    if (pictures_.empty() || index_ > pictures_.size()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (index_ == 0) {
        p.drawImage(rect(), GreyImage(pictures_.front()));
    } else {
        p.drawImage(rect(), pictures_[index_ - 1]);
    }
}

CStatusBoardStatic::CStatusBoardStatic(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStatusBoardStatic::ShowPercent(int value) {
    percent = value;
    caption = QString::fromStdString(PercentCaption(value));
    repaint();
}

void CStatusBoardStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const int doneRight = DoneRight(r.left(), r.left() + r.width(), percent);
    const QRect done(r.left(), r.top(), doneRight - r.left(), r.height());
    const QRect remaining(doneRight, r.top(), r.left() + r.width() - doneRight, r.height());
    if (!pattern.isNull()) {
        p.fillRect(done, QBrush(pattern));
    } else {
        p.fillRect(done, doneColour);
    }
    p.fillRect(remaining, remainingColour);
    p.setPen(textColour);
    p.drawText(r, Qt::AlignCenter, caption);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = r;
    frame.lineWidth = 2;
    frame.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
}

CPngStatic::CPngStatic(QWidget* parent) : QWidget(parent) {}

void CPngStatic::paintEvent(QPaintEvent*) {
    if (image.isNull()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), active ? image : GreyImage(image));
}

}  // namespace lum
