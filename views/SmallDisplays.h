// The compass, the progress board and the picture control.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <vector>

namespace lum {

class CPngCompassStatic : public QWidget {
    Q_OBJECT
  public:
    explicit CPngCompassStatic(QWidget* parent = nullptr);
    // Appends a picture; false (nothing appended) when it cannot be loaded.
    bool AddPicture(int skinNumber);
    bool AddPicture(const QImage& picture);
    // 0 shows the first picture in grey; false for an index past the pictures.
    bool SetIndex(unsigned index);
    // Picks the sector's picture for a heading; does nothing without pictures.
    bool SetHeading(int degrees);
    unsigned Index() const { return index_; }
    std::size_t PictureCount() const { return pictures_.size(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<QImage> pictures_;
    unsigned index_ = 0;
};

class CStatusBoardStatic : public QWidget {
    Q_OBJECT
  public:
    explicit CStatusBoardStatic(QWidget* parent = nullptr);
    // Sets the share done and the caption "N %", and repaints at once.
    void ShowPercent(int percent);

    int percent = 0;
    QString caption;
    QColor remainingColour{15, 15, 15};
    QColor textColour{15, 15, 15};
    QColor doneColour{15, 15, 15};
    QImage pattern;  // tiles the done part when set

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class CPngStatic : public QWidget {
    Q_OBJECT
  public:
    explicit CPngStatic(QWidget* parent = nullptr);
    QImage image;
    bool active = false;  // colour when active, grey otherwise

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lum
