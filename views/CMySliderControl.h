// The volume slider: a white level bar up to a small thumb picture; it reports
// the level while dragged and when released.
#pragma once

#include <QImage>

#include "views/CDragSlider.h"

namespace lum {

class CMySliderControl : public CDragSlider {
    Q_OBJECT
  public:
    explicit CMySliderControl(QWidget* parent = nullptr);

  signals:
    // The window message WM_VOLUME_CHANGED: the user moved the level.
    void VolumeChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage thumb_;
};

}  // namespace lum
