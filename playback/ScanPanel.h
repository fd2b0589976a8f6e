// The scan's progress in the video area: the running count of files examined,
// the folder being scanned and a Cancel button. It covers the video area; the
// engine's window, which no widget can be stacked above, is hidden while the
// panel shows, and a recording that keeps playing meanwhile is heard only.
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
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QString folder_, title_, hint_;
    int count_ = 0;
    QPushButton* cancel_ = nullptr;
};

}  // namespace lum
