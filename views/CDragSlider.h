// A slider that follows the pointer while its left button is down and reports
// each move and the release; the volume slider and the seek bar are two of them.
#pragma once

#include <QSlider>

namespace lum {

class CDragSlider : public QSlider {
    Q_OBJECT
  public:
    explicit CDragSlider(QWidget* parent = nullptr);
    bool Dragging() const { return dragging_; }
    // The channel the thumb runs along, in client coordinates.
    virtual int ChannelLeft() const { return kThumbWidth / 2; }
    virtual int ChannelRight() const { return width() - kThumbWidth / 2; }
    int ThumbLeft() const;

    static constexpr int kThumbWidth = 10;

  signals:
    // While dragging and on release, never on the press alone.
    void DragMoved();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Whether the release sets the position once more before reporting.
    bool setOnRelease_ = false;

  private:
    void SetFromPointer(int x);
    bool dragging_ = false;
};

}  // namespace lum
