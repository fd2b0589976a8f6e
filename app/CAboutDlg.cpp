#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/CLumDlg.h"
#include "app/KeyCommands.h"
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
    // The keys, as the window answers them.
    auto* keysTitle = new QLabel(QString::fromStdString(LoadUiString(220)), this);
    QFont bold = keysTitle->font();
    bold.setBold(true);
    keysTitle->setFont(bold);
    layout->addWidget(keysTitle);
    auto* keys = new QGridLayout;
    keys->setHorizontalSpacing(16);
    int row = 0;
    for (const KeyHelpRow& k : KeyHelp()) {
        keys->addWidget(new QLabel(k.keys, this), row, 0);
        keys->addWidget(new QLabel(QString::fromStdString(LoadUiString(k.textId)), this), row, 1);
        ++row;
    }
    layout->addLayout(keys);
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
