// The video surface the engine draws into, its dark background, and the seek bar.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <vector>

#include "catalogue/CatalogueViews.h"
#include "views/CDragSlider.h"

namespace lum {

class CVideoWindow;

// The picture area. The engine draws into an X window of our own, kept in a
// container that follows this widget's size. That window paints itself
// through its own raster backing store (dark fill, and during a scan the
// running count), so what it shows never depends on how Qt composes the main
// window: once the map's web view is in the window, Qt composes the main
// window through OpenGL and Qt 6.4 cannot flush a native child widget's
// raster painting that way, which left the last screen contents (a closed
// dialog, the previous layout) inside such a widget.
class CVideoStatic : public QWidget, public IVideoSurfaceView {
    Q_OBJECT
  public:
    explicit CVideoStatic(QWidget* parent = nullptr);
    // The window id libvlc draws into.
    std::uintptr_t NativeId();
    void ShowScanCount(int count) override;
    void SetScanDisplay(bool on);
    bool ScanDisplay() const { return scanDisplay_; }
    // Shows or hides the engine's window (widgets cannot cover it).
    void ShowPicture(bool shown);
    // A line shown in the middle of the empty surface (what to do first); empty for none.
    void SetHint(const QString& hint);
    const QString& Hint() const { return hint_; }
    int ShownCount() const { return shownCount_; }

  signals:
    void ToggleFullScreen();
    // The engine's window was made again: the engine must be given the new id.
    void NativeWindowChanged();
    // The pointer on the picture, for zoom and pan.
    void PanPressed(QPoint at);
    void PanMoved(QPoint at, bool buttonHeld);
    void PanReleased();
    void WheelTurned(int delta, QPoint at);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    CVideoWindow* window_;  // owned by container_
    QWidget* container_;
    bool scanDisplay_ = false;
    QString hint_;
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

// A driving event on the seek bar: where it lies, its colour, its tooltip, and
// the play time a click on it asks for.
struct SeekMark {
    double fraction = 0;  // of the recording's length, 0..1
    QColor colour;
    QString tip;
    qint64 seekMs = 0;
};

// The seek bar: 0..1000, a grey channel with a yellow bar up to the thumb, and
// a coloured mark per driving event of the recording.
class CVideoSlider : public CDragSlider {
    Q_OBJECT
  public:
    explicit CVideoSlider(QWidget* parent = nullptr);

    void SetMarks(std::vector<SeekMark> marks);
    const std::vector<SeekMark>& Marks() const { return marks_; }
    // The horizontal centre of a mark at the slider's current width.
    int MarkX(const SeekMark& mark) const;
    // The mark under a point, or -1.
    int MarkAt(QPoint point) const;

    static constexpr int kMarkWidth = 4;
    // How far from a mark's centre a click still takes it.
    static constexpr int kMarkReach = 4;

  signals:
    // The window message WM_SEEK_MOVED.
    void SeekMoved();
    // A click on a mark: the play time it asks for.
    void MarkClicked(qint64 ms);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QImage thumb_;
    std::vector<SeekMark> marks_;
};

}  // namespace lum
