// The speed dial: the number in km/h or mph, "?" without a fix, and a needle.
#pragma once

#include <QImage>
#include <QWidget>

#include "views/core/Gauges.h"

namespace lum {

class CSpeedLabelStatic : public QWidget {
    Q_OBJECT
  public:
    explicit CSpeedLabelStatic(QWidget* parent = nullptr);
    // Repaints only when the value or the validity changed.
    bool SetSpeed(bool valid, std::uint16_t kmh);
    void ToggleUnit();
    bool Kph() const { return model_.kph; }
    const SpeedGaugeModel& Model() const { return model_; }
    int RepaintRequests() const { return repaintRequests_; }
    void SetDial(const QImage& dial) { dial_ = dial; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    SpeedGaugeModel model_;
    QImage dial_;
    int repaintRequests_ = 0;
};

}  // namespace lum
