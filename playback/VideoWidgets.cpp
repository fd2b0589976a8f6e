#include "VideoWidgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "views/Skin.h"
#include "views/core/Gauges.h"

namespace lum {

CVideoStatic::CVideoStatic(QWidget* parent) : QWidget(parent) {
    // libvlc needs a real window of its own to draw into.
    setAttribute(Qt::WA_NativeWindow);
    setAutoFillBackground(false);
}

std::uintptr_t CVideoStatic::NativeId() {
    return static_cast<std::uintptr_t>(winId());
}

void CVideoStatic::ShowScanCount(int count) {
    shownCount_ = count;
    repaint();
}

void CVideoStatic::SetScanDisplay(bool on) {
    scanDisplay_ = on;
    repaint();
}

bool CVideoStatic::event(QEvent* event) {
    if (event->type() == QEvent::WinIdChange) {
        emit NativeWindowChanged();
    }
    return QWidget::event(event);
}

void CVideoStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(15, 15, 15));
    if (scanDisplay_) {
        const QString text = QString::number(shownCount_);
        p.setFont(DialFont(64));
        const QRect box =
            p.fontMetrics().boundingRect(text).translated(20, 10 + p.fontMetrics().ascent());
        p.fillRect(box.adjusted(-2, 0, 2, 0), Qt::black);
        p.setPen(QColor(0xC4, 0xA8, 0x00));  // the design's 0x00A8C4
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
    }
}

void CVideoStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit ToggleFullScreen();
    }
}

void CVideoStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit PanPressed(event->position().toPoint());
    }
}

void CVideoStatic::mouseMoveEvent(QMouseEvent* event) {
    emit PanMoved(event->position().toPoint(), (event->buttons() & Qt::LeftButton) != 0);
}

void CVideoStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit PanReleased();
    }
}

void CVideoStatic::wheelEvent(QWheelEvent* event) {
    emit WheelTurned(event->angleDelta().y(), event->position().toPoint());
    event->accept();
}

void CVideoStaticBg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit ToggleFullScreen();
    }
}

CVideoSlider::CVideoSlider(QWidget* parent) : CDragSlider(parent), thumb_(LoadSkin(199)) {
    setRange(0, 1000);
    setFocusPolicy(Qt::NoFocus);
    setOnRelease_ = true;
    connect(this, &CDragSlider::DragMoved, this, &CVideoSlider::SeekMoved);
}

void CVideoSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const int top = height() / 2 - 4;
    const int barHeight = height() / 2;
    const Rgb grey = FromColorRef(0x404040);
    const Rgb done = FromColorRef(0x14E0FF);
    p.fillRect(QRect(5, top, width() - 10, barHeight), QColor(grey.r, grey.g, grey.b));
    p.fillRect(QRect(5, top, ThumbLeft(), barHeight), QColor(done.r, done.g, done.b));
    if (!thumb_.isNull()) {
        p.drawImage(QPoint(ThumbLeft(), (height() - thumb_.height()) / 2), thumb_);
    }
}

}  // namespace lum
