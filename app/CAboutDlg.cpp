#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/CLumDlg.h"
#include "settings/CLumSettings.h"
#include "views/Skin.h"

namespace lum {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(LoadUiString(101)).remove('&'));
    auto* layout = new QVBoxLayout(this);
    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap::fromImage(LoadSkin(157)));
    layout->addWidget(logo);
    auto* version = new QLabel(VersionLine(), this);
    version->setObjectName("version");
    layout->addWidget(version);
    layout->addWidget(
        new QLabel(tr("A viewer for dash-camera recordings and their telemetry."), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString CAboutDlg::VersionLine() const {
    return QString("Version %1.%2.%3")
        .arg(CLumDlg::kVersion[0])
        .arg(CLumDlg::kVersion[1])
        .arg(CLumDlg::kVersion[2]);
}

}  // namespace lum
