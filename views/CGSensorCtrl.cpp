#include "CGSensorCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPen>

namespace lum {

namespace {
const char* const kAxisNames[3] = {"L/R", "U/D", "F/B"};
}

CGSensorCtrl::CGSensorCtrl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted, nothing to erase
}

void CGSensorCtrl::SetScale(double fullScale, double range) {
    model_.SetScale(fullScale, range);
}

bool CGSensorCtrl::ClearSamples() {
    model_.ClearSamples();
    update();
    return true;
}

bool CGSensorCtrl::LoadSamples(const GSensorSample* samples, std::size_t count) {
    return model_.LoadSamples(samples, count);
}

bool CGSensorCtrl::SetSampleRate(double samplesPerMs) {
    model_.SetSampleRate(samplesPerMs);
    return true;
}

bool CGSensorCtrl::SetPosition(int ms) {
    model_.SetPosition(ms);
    model_.hideCurves = m_bHideCurves;
    update();
    return true;
}

void CGSensorCtrl::GetCurrentValues(double& first, double& second, double& third) const {
    const auto v = model_.CurrentValues();
    first = v[0];
    second = v[1];
    third = v[2];
}

QRect CGSensorCtrl::AxisHitArea(int k) const {
    return QRect(8 + k * 34, 3, 30, 14);
}

void CGSensorCtrl::paintEvent(QPaintEvent*) {
    model_.hideCurves = m_bHideCurves;
    QPainter p(this);
    const QRect client = rect();
    p.fillRect(client, QColor(64, 64, 64));
    p.fillRect(client.adjusted(2, 2, -2, -2), Qt::black);

    const PlotRect plot = CurveModel::PlotFor(width(), height());
    const int midY = plot.MidY();
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(plot.left, midY, plot.right, midY);

    p.setPen(QPen(QColor(102, 102, 102), 1));
    p.drawLine(plot.left, plot.top, plot.left, plot.bottom);
    for (const CurveTick& t : model_.Ticks(plot)) {
        p.drawLine(t.x, plot.top - t.length, t.x, plot.top);
        p.drawLine(t.x, midY - t.length, t.x, midY);
        p.drawLine(t.x, plot.bottom - t.length, t.x, plot.bottom);
    }

    const auto curves = model_.Curves(plot);
    for (int k = 0; k < 3; ++k) {
        const auto& points = curves[static_cast<std::size_t>(k)];
        p.setPen(QPen(QColor::fromRgb(kAxisColours[k]), 1));
        for (std::size_t i = 1; i < points.size(); ++i) {
            p.drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
        }
    }

    // The legend doubles as the place where a click shows or hides an axis.
    QFont small = font();
    small.setPixelSize(10);
    p.setFont(small);
    for (int k = 0; k < 3; ++k) {
        const QColor c = QColor::fromRgb(kAxisColours[k]);
        p.setPen(AxisVisible(k) ? c : c.darker(300));
        p.drawText(AxisHitArea(k), Qt::AlignLeft | Qt::AlignVCenter, kAxisNames[k]);
    }

    const int x = model_.CursorX(plot);
    p.setPen(QPen(QColor(0, 0, 255), 2));
    p.drawLine(x, plot.top - 4, x, plot.bottom);
}

void CGSensorCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        grabMouse();
    }
}

void CGSensorCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        update();
    }
}

void CGSensorCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    releaseMouse();
    for (int k = 0; k < 3; ++k) {
        if (AxisHitArea(k).contains(event->position().toPoint())) {
            model_.axisVisible[static_cast<std::size_t>(k)] =
                !model_.axisVisible[static_cast<std::size_t>(k)];
            break;
        }
    }
    update();
}

void CGSensorCtrl::mouseDoubleClickEvent(QMouseEvent*) {}

}  // namespace lum
