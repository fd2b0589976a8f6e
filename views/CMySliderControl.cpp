#include "CMySliderControl.h"

#include <QMouseEvent>
#include <QPainter>

#include "views/Skin.h"
#include "views/core/Gauges.h"

namespace lum {

namespace {
constexpr int kThumbWidth = 10;
}

CMySliderControl::CMySliderControl(QWidget* parent)
    : QSlider(Qt::Horizontal, parent), thumb_(LoadSkin(199)) {
    setRange(0, 100);
    setValue(60);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CMySliderControl::ChannelLeft() const {
    return kThumbWidth / 2;
}
int CMySliderControl::ChannelRight() const {
    return width() - kThumbWidth / 2;
}

int CMySliderControl::ThumbLeft() const {
    const int span = ChannelRight() - ChannelLeft();
    const int range = maximum() - minimum();
    const int offset = range == 0 ? 0 : (value() - minimum()) * span / range;
    return ChannelLeft() + offset - kThumbWidth / 2;
}

void CMySliderControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect client = rect();
    p.fillRect(client, Qt::black);
    const int barHeight = client.height() - 12;
    p.fillRect(QRect(ChannelLeft(), client.top() + 4, ChannelRight() - 5, barHeight),
               QColor(64, 64, 64));
    p.fillRect(QRect(ChannelLeft(), client.top() + 4, ThumbLeft(), barHeight), Qt::white);
    if (!thumb_.isNull()) {
        p.drawImage(QPoint(ThumbLeft(), client.top()), thumb_);
    }
}

void CMySliderControl::SetFromPointer(int x) {
    const auto position =
        SliderPositionFor(x, 0, ChannelLeft(), ChannelRight(), minimum(), maximum());
    if (position) {
        setValue(*position);  // the slider keeps it inside its range
    }
}

void CMySliderControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    SetFromPointer(event->position().toPoint().x());
    dragging_ = true;
    grabMouse();
}

void CMySliderControl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    SetFromPointer(event->position().toPoint().x());
    emit VolumeChanged();
}

void CMySliderControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        return;
    }
    dragging_ = false;
    releaseMouse();
    emit VolumeChanged();
}

}  // namespace lum
