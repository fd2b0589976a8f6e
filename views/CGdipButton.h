// A push button drawn from pictures: normal and alternate, each plain, pressed
// and hot, and a grey look; composed once per size, then only copied.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>
#include <array>

#include "views/core/Gauges.h"

namespace lum {

class CGdipButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit CGdipButton(QWidget* parent = nullptr);

    // False when the picture is missing; the button then draws nothing but still clicks.
    bool SetNormalImage(int skinNumber);
    bool SetNormalImage(const QImage& picture);
    bool SetAlternateImage(int skinNumber);
    bool SetAlternateImage(const QImage& picture);

    bool m_bGreyed = false;
    bool m_bToggleMode = false;
    bool m_bShowAlternate = false;
    bool Hover() const { return state_.hover; }

    // The look the last paint showed.
    ButtonLook CurrentLook() const { return current_; }
    QSize sizeHint() const override { return {32, 32}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildLooks();
    const QPixmap& Look(ButtonLook look) const { return looks_[static_cast<std::size_t>(look)]; }

    QImage normal_;
    QImage alternate_;
    bool hasAlternate_ = false;
    ButtonState state_;
    std::array<QPixmap, 8> looks_;
    QSize builtFor_;
    ButtonLook current_ = ButtonLook::Normal;
};

}  // namespace lum
