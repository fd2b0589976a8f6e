// The volume slider: a white level bar up to a small thumb picture; it reports
// the level while dragged and when released.
#pragma once

#include <QImage>
#include <QSlider>

namespace lum {

class CMySliderControl : public QSlider {
    Q_OBJECT
  public:
    explicit CMySliderControl(QWidget* parent = nullptr);
    // The channel the thumb runs along, in client coordinates.
    int ChannelLeft() const;
    int ChannelRight() const;
    int ThumbLeft() const;
    bool Dragging() const { return dragging_; }

  signals:
    // The window message WM_VOLUME_CHANGED: the user moved the level.
    void VolumeChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void SetFromPointer(int x);
    QImage thumb_;
    bool dragging_ = false;
};

}  // namespace lum
