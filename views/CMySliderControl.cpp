#include "CMySliderControl.h"

#include <QPainter>

#include "views/Skin.h"

namespace lum {

CMySliderControl::CMySliderControl(QWidget* parent) : CDragSlider(parent), thumb_(LoadSkin(199)) {
    setRange(0, 100);
    setValue(60);
    connect(this, &CDragSlider::DragMoved, this, &CMySliderControl::VolumeChanged);
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

}  // namespace lum
