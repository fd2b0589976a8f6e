#include "CSpeedLabelStatic.h"

#include <QMouseEvent>
#include <QPainter>

#include "views/Skin.h"

namespace lum {

CSpeedLabelStatic::CSpeedLabelStatic(QWidget* parent) : QWidget(parent), dial_(LoadSkin(202)) {
    setFixedSize(162, 100);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool CSpeedLabelStatic::SetSpeed(bool valid, std::uint16_t kmh) {
    if (model_.SetSpeed(valid, kmh)) {
        ++repaintRequests_;
        update();
    }
    return true;
}

void CSpeedLabelStatic::ToggleUnit() {
    model_.ToggleUnit();
    ++repaintRequests_;
    update();
}

void CSpeedLabelStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!dial_.isNull()) {
        p.drawImage(QPoint(0, 0), dial_);
    }
    const int l = 0, t = 0, r = width(), b = height();
    const Rgb c = model_.TextColour();
    const QColor text(c.r, c.g, c.b);
    // Right-aligned, top at the given y, on an opaque black background.
    auto write = [&](const QString& s, const QFont& f, int right, int top) {
        p.setFont(f);
        const QFontMetrics m(f);
        const QRect box(right - m.horizontalAdvance(s), top, m.horizontalAdvance(s), m.height());
        p.fillRect(box, Qt::black);
        p.setPen(text);
        p.drawText(box, Qt::AlignRight | Qt::AlignTop, s);
    };
    write(QString::fromStdString(model_.SpeedText()), DialFont(16), l + (r - l) / 2, b - 20);
    write(QString::fromStdString(model_.UnitText()), DialFont(10), l + (r - l) / 2 + 30, b - 16);

    const auto centre = SpeedGaugeModel::NeedleCentre(l, t, r, b);
    const auto end = model_.NeedleEnd(l, t, r, b);
    const Rgb n = SpeedGaugeModel::kNeedleColour;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(n.r, n.g, n.b), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre.x, centre.y, end.x, end.y);
}

void CSpeedLabelStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ToggleUnit();
    }
}

}  // namespace lum
