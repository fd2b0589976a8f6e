#include "playback/ScanPanel.h"

#include <QFontMetrics>
#include <QPainter>

#include "playback/VideoWidgets.h"
#include "views/Skin.h"

namespace lum {

namespace {
constexpr int kMargin = 12;

// The engine's window lies above every widget: it steps aside while the panel shows.
void ShowPictureBeside(QWidget* panel, bool shown) {
    if (panel->parentWidget() == nullptr) {
        return;
    }
    for (CVideoStatic* surface :
         panel->parentWidget()->findChildren<CVideoStatic*>(Qt::FindDirectChildrenOnly)) {
        surface->ShowPicture(shown);
    }
}
}  // namespace

CScanPanel::CScanPanel(QWidget* parent) : QWidget(parent) {
    // Not a native window: beside the map's web view Qt composes the main
    // window through OpenGL and cannot put a native child widget's painting
    // on the screen.
    setAttribute(Qt::WA_OpaquePaintEvent);
    cancel_ = new QPushButton(this);
    cancel_->setFocusPolicy(Qt::NoFocus);
    connect(cancel_, &QPushButton::clicked, this, &CScanPanel::CancelPressed);
    hide();
}

void CScanPanel::SetTexts(const QString& title, const QString& hint, const QString& cancel) {
    title_ = title;
    hint_ = hint;
    cancel_->setText(cancel);
    cancel_->adjustSize();
    update();
}

void CScanPanel::Start(const QString& folder) {
    folder_ = folder;
    count_ = 0;
    show();
    raise();
    repaint();
}

void CScanPanel::SetCount(int count) {
    if (count != count_) {
        count_ = count;
        update();
    }
}

void CScanPanel::showEvent(QShowEvent*) {
    ShowPictureBeside(this, false);
}

void CScanPanel::hideEvent(QHideEvent*) {
    ShowPictureBeside(this, true);
}

void CScanPanel::resizeEvent(QResizeEvent*) {
    cancel_->adjustSize();
    cancel_->move(width() - cancel_->width() - kMargin, height() - cancel_->height() - kMargin);
}

void CScanPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(15, 15, 15));
    p.setPen(QColor(64, 64, 64));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    // The running count, in the speed dial's colour and font.
    p.setFont(DialFont(48));
    const QFontMetrics big = p.fontMetrics();
    p.setPen(QColor(0xC4, 0xA8, 0x00));
    p.drawText(kMargin, kMargin + big.ascent(), QString::number(count_));

    p.setFont(GothicFont(12));
    const QFontMetrics small = p.fontMetrics();
    const int textWidth = width() - 2 * kMargin;
    int y = kMargin + big.height() + 4 + small.ascent();
    p.setPen(Qt::white);
    QString title = title_;
    title.replace("%s", folder_);
    p.drawText(kMargin, y, small.elidedText(title, Qt::ElideMiddle, textWidth));
    y += small.lineSpacing();
    p.setPen(QColor(160, 160, 160));
    p.drawText(kMargin, y,
               small.elidedText(hint_, Qt::ElideRight, textWidth - cancel_->width() - kMargin));
}

}  // namespace lum
