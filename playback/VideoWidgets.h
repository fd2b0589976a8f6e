// The video surface the engine draws into, its dark background, and the seek bar.
#pragma once

#include <QImage>
#include <QWidget>

#include "recordings/CatalogueViews.h"
#include "views/CDragSlider.h"

namespace lum {

// A native child window handed to libvlc; between recordings and during a
// scan it paints itself (the running count of files examined).
class CVideoStatic : public QWidget, public IVideoSurfaceView {
    Q_OBJECT
  public:
    explicit CVideoStatic(QWidget* parent = nullptr);
    // The window id libvlc draws into.
    std::uintptr_t NativeId();
    void ShowScanCount(int count) override;
    void SetScanDisplay(bool on);
    bool ScanDisplay() const { return scanDisplay_; }
    int ShownCount() const { return shownCount_; }

  signals:
    void ToggleFullScreen();
    // Qt made a new native window: the engine must be given the new id.
    void NativeWindowChanged();
    // The pointer on the picture, for zoom and pan.
    void PanPressed(QPoint at);
    void PanMoved(QPoint at, bool buttonHeld);
    void PanReleased();
    void WheelTurned(int delta, QPoint at);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool scanDisplay_ = false;
    int shownCount_ = 0;
};

class CVideoStaticBg : public QWidget {
    Q_OBJECT
  public:
    explicit CVideoStaticBg(QWidget* parent = nullptr) : QWidget(parent) {}

  signals:
    void ToggleFullScreen();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The seek bar: 0..1000, a grey channel with a yellow bar up to the thumb.
class CVideoSlider : public CDragSlider {
    Q_OBJECT
  public:
    explicit CVideoSlider(QWidget* parent = nullptr);

  signals:
    // The window message WM_SEEK_MOVED.
    void SeekMoved();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage thumb_;
};

}  // namespace lum
