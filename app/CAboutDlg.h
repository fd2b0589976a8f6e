// The about box: the version of the program.
#pragma once

#include <QDialog>

namespace lum {

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QString VersionLine() const;
};

}  // namespace lum
