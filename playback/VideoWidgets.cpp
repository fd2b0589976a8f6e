#include "VideoWidgets.h"

#include <QBackingStore>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

#include "views/Skin.h"
#include "views/core/Gauges.h"

namespace lum {

// The X window the engine draws into, painted through a backing store of its own.
class CVideoWindow : public QWindow {
  public:
    explicit CVideoWindow(CVideoStatic& owner) : owner_(owner), store_(this) {
        setSurfaceType(QSurface::RasterSurface);
        // Keys stay with the main window (Space and Enter reach PLAY).
        setFlag(Qt::WindowDoesNotAcceptFocus);
    }

    // Paints and puts the result on the screen at once, also while the event
    // loop is not running.
    void Render() {
        if (!isExposed()) {
            return;
        }
        const QRect area(QPoint(0, 0), size());
        store_.resize(area.size());
        store_.beginPaint(area);
        {
            QPainter p(store_.paintDevice());
            p.fillRect(area, QColor(15, 15, 15));
            if (!owner_.Hint().isEmpty()) {
                p.setFont(GothicFont(13));
                p.setPen(QColor(160, 160, 160));
                p.drawText(area.adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap,
                           owner_.Hint());
            }
            if (owner_.ScanDisplay()) {
                const QString text = QString::number(owner_.ShownCount());
                p.setFont(DialFont(64));
                const QRect box = p.fontMetrics().boundingRect(text).translated(
                    20, 10 + p.fontMetrics().ascent());
                p.fillRect(box.adjusted(-2, 0, 2, 0), Qt::black);
                p.setPen(QColor(0xC4, 0xA8, 0x00));  // COLORREF 0x00A8C4
                p.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
            }
        }
        store_.endPaint();
        store_.flush(area);
    }

  protected:
    bool event(QEvent* event) override {
        switch (event->type()) {
            case QEvent::UpdateRequest:
                Render();
                return true;
            case QEvent::PlatformSurface:
                if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                    QPlatformSurfaceEvent::SurfaceCreated) {
                    if (created_) {
                        emit owner_.NativeWindowChanged();
                    }
                    created_ = true;
                }
                break;
            default:
                break;
        }
        return QWindow::event(event);
    }
    void exposeEvent(QExposeEvent*) override { Render(); }
    void resizeEvent(QResizeEvent*) override { Render(); }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            emit owner_.ToggleFullScreen();
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            emit owner_.PanPressed(event->position().toPoint());
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        // A window sees every move; a drag is a move with a button held.
        if (event->buttons() != Qt::NoButton) {
            emit owner_.PanMoved(event->position().toPoint(),
                                 (event->buttons() & Qt::LeftButton) != 0);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            emit owner_.PanReleased();
        }
    }
    void wheelEvent(QWheelEvent* event) override {
        emit owner_.WheelTurned(event->angleDelta().y(), event->position().toPoint());
        event->accept();
    }

  private:
    CVideoStatic& owner_;
    QBackingStore store_;
    bool created_ = false;
};

CVideoStatic::CVideoStatic(QWidget* parent)
    : QWidget(parent),
      window_(new CVideoWindow(*this)),
      container_(QWidget::createWindowContainer(window_, this)) {
    container_->setFocusPolicy(Qt::NoFocus);
}

std::uintptr_t CVideoStatic::NativeId() {
    return static_cast<std::uintptr_t>(window_->winId());
}

void CVideoStatic::ShowScanCount(int count) {
    shownCount_ = count;
    window_->Render();
}

void CVideoStatic::SetScanDisplay(bool on) {
    scanDisplay_ = on;
    window_->Render();
}

void CVideoStatic::SetHint(const QString& hint) {
    if (hint != hint_) {
        hint_ = hint;
        window_->Render();
    }
}

void CVideoStatic::ShowPicture(bool shown) {
    container_->setVisible(shown);
}

void CVideoStatic::paintEvent(QPaintEvent*) {
    // Covered by the engine's window, which paints itself; an update of this
    // widget asks it to.
    window_->requestUpdate();
}

void CVideoStatic::resizeEvent(QResizeEvent*) {
    container_->setGeometry(rect());
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
    // From the top edge to the bar's foot, so a mark shows beside the thumb too.
    for (const SeekMark& m : marks_) {
        p.fillRect(QRect(MarkX(m) - kMarkWidth / 2, 0, kMarkWidth, top + barHeight), m.colour);
    }
    if (!thumb_.isNull()) {
        p.drawImage(QPoint(ThumbLeft(), (height() - thumb_.height()) / 2), thumb_);
    }
}

void CVideoSlider::SetMarks(std::vector<SeekMark> marks) {
    marks_ = std::move(marks);
    update();
}

int CVideoSlider::MarkX(const SeekMark& mark) const {
    const double f = std::clamp(mark.fraction, 0.0, 1.0);
    return ChannelLeft() + static_cast<int>(f * (ChannelRight() - ChannelLeft()) + 0.5);
}

int CVideoSlider::MarkAt(QPoint point) const {
    int best = -1, bestDistance = kMarkReach + 1;
    for (std::size_t i = 0; i < marks_.size(); ++i) {
        const int distance = std::abs(point.x() - MarkX(marks_[i]));
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

void CVideoSlider::mousePressEvent(QMouseEvent* event) {
    const int mark = event->button() == Qt::LeftButton ? MarkAt(event->position().toPoint()) : -1;
    if (mark < 0) {
        CDragSlider::mousePressEvent(event);
        return;
    }
    emit MarkClicked(marks_[static_cast<std::size_t>(mark)].seekMs);
}

bool CVideoSlider::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(e);
        const int mark = MarkAt(help->pos());
        if (mark >= 0) {
            QToolTip::showText(help->globalPos(), marks_[static_cast<std::size_t>(mark)].tip, this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return CDragSlider::event(e);
}

}  // namespace lum
