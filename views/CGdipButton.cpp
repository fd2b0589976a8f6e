#include "CGdipButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "views/Skin.h"

namespace lum {

CGdipButton::CGdipButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

bool CGdipButton::SetNormalImage(int skinNumber) {
    return SetNormalImage(LoadSkin(skinNumber));
}

bool CGdipButton::SetNormalImage(const QImage& picture) {
    normal_ = picture;
    builtFor_ = QSize();
    update();
    return !picture.isNull();
}

bool CGdipButton::SetAlternateImage(int skinNumber) {
    return SetAlternateImage(LoadSkin(skinNumber));
}

bool CGdipButton::SetAlternateImage(const QImage& picture) {
    hasAlternate_ = true;
    alternate_ = picture;
    builtFor_ = QSize();
    update();
    return !picture.isNull();
}

void CGdipButton::BuildLooks() {
    builtFor_ = size();
    const QSize s = size();
    // The parent paints beneath a child in Qt, so the background look is a clear one.
    auto blank = [&] {
        QPixmap pm(s);
        pm.fill(Qt::transparent);
        return pm;
    };
    auto drawn = [&](const QImage& picture, QPoint offset) {
        QPixmap pm = blank();
        if (!picture.isNull()) {
            QPainter p(&pm);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRect(offset, s), picture);
        }
        return pm;
    };
    looks_[static_cast<std::size_t>(ButtonLook::Background)] = blank();
    looks_[static_cast<std::size_t>(ButtonLook::Normal)] = drawn(normal_, {0, 0});
    looks_[static_cast<std::size_t>(ButtonLook::NormalPressed)] = drawn(normal_, {1, 1});
    looks_[static_cast<std::size_t>(ButtonLook::NormalHot)] =
        drawn(normal_.isNull() ? normal_ : HotImage(normal_), {0, 0});
    looks_[static_cast<std::size_t>(ButtonLook::Grey)] =
        drawn(normal_.isNull() ? normal_ : GreyImage(normal_), {0, 0});
    looks_[static_cast<std::size_t>(ButtonLook::Alternate)] = drawn(alternate_, {0, 0});
    looks_[static_cast<std::size_t>(ButtonLook::AlternatePressed)] = drawn(alternate_, {1, 1});
    looks_[static_cast<std::size_t>(ButtonLook::AlternateHot)] =
        drawn(alternate_.isNull() ? alternate_ : HotImage(alternate_), {0, 0});
}

void CGdipButton::paintEvent(QPaintEvent*) {
    if (normal_.isNull()) {
        return;  // without its picture the button is blank
    }
    if (builtFor_ != size()) {
        BuildLooks();
    }
    state_.greyed = m_bGreyed;
    state_.toggleMode = m_bToggleMode;
    state_.showAlternate = m_bShowAlternate && hasAlternate_;
    current_ = ChooseButtonLook(state_, isDown());
    QPainter p(this);
    p.drawPixmap(0, 0, Look(current_));
}

void CGdipButton::enterEvent(QEnterEvent* event) {
    state_.hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CGdipButton::leaveEvent(QEvent* event) {
    state_.hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CGdipButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        state_.greyed = m_bGreyed;
        state_.toggleMode = m_bToggleMode;
        state_.showAlternate = m_bShowAlternate;
        PressButton(state_);
        m_bShowAlternate = state_.showAlternate;
    }
    QAbstractButton::mousePressEvent(event);
}

void CGdipButton::resizeEvent(QResizeEvent* event) {
    builtFor_ = QSize();
    QAbstractButton::resizeEvent(event);
}

}  // namespace lum
