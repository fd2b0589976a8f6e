#include "CDragSlider.h"

#include <QMouseEvent>

#include "views/core/Gauges.h"

namespace lum {

CDragSlider::CDragSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CDragSlider::ThumbLeft() const {
    const int span = ChannelRight() - ChannelLeft();
    const int range = maximum() - minimum();
    const int offset = range == 0 ? 0 : (value() - minimum()) * span / range;
    return ChannelLeft() + offset - kThumbWidth / 2;
}

void CDragSlider::SetFromPointer(int x) {
    if (const auto position =
            SliderPositionFor(x, 0, ChannelLeft(), ChannelRight(), minimum(), maximum())) {
        setValue(*position);  // the slider keeps it inside its range
    }
}

void CDragSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    SetFromPointer(event->position().toPoint().x());
    dragging_ = true;
    grabMouse();
}

void CDragSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    SetFromPointer(event->position().toPoint().x());
    emit DragMoved();
}

void CDragSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        return;
    }
    dragging_ = false;
    releaseMouse();
    if (setOnRelease_) {
        SetFromPointer(event->position().toPoint().x());
    }
    emit DragMoved();
}

}  // namespace lum
