// The scan's progress in the video area: the running count of files examined,
// the folder being scanned and a Cancel button. A native window raised above
// the video surface, so it shows over a recording that keeps playing while a
// new card is scanned.
#pragma once

#include <QPushButton>
#include <QString>
#include <QWidget>

namespace lum {

class CScanPanel : public QWidget {
    Q_OBJECT
  public:
    explicit CScanPanel(QWidget* parent = nullptr);
    void Start(const QString& folder);
    void SetCount(int count);
    int Count() const { return count_; }
    // Texts in the interface language: the title ("%s" stands for the
    // folder), the hint under it and the button's caption.
    void SetTexts(const QString& title, const QString& hint, const QString& cancel);
    QPushButton* CancelButton() const { return cancel_; }

  signals:
    void CancelPressed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QString folder_, title_, hint_;
    int count_ = 0;
    QPushButton* cancel_ = nullptr;
};

}  // namespace lum
