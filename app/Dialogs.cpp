// The main window's dialogs: open media, configuration, about.
#include "app/CAboutDlg.h"
#include "app/CLumDlg.h"
#include "catalogue/ui/CMediaOpenDialog.h"
#include "catalogue/ui/CTesConfigDlg.h"
#include "views/map/CHtmlMapDlg.h"

namespace lum {

void CLumDlg::OnOpen() {
    if (!BeginOpen()) {
        return;
    }
    CMediaOpenDialog dialog(MountedVolumes(), settings_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const MediaChoice& c = dialog.Choice();
    switch (c.choice) {
        case kChoiceDisk:
            LoadChosen(Source::Disk, QString::fromStdString(c.drive));
            break;
        case kChoiceFolder:
            LoadChosen(Source::Folder, QString::fromStdString(c.folderPath));
            break;
        default:
            LoadChosen(Source::File, QString::fromStdString(c.filePath));
            break;
    }
}

void CLumDlg::OnConfig() {
    CTesConfigDlg dialog(settings_, this);
    // Posted messages of the design: handled after the dialog's own step.
    connect(&dialog, &CTesConfigDlg::LanguageChanged, this, &CLumDlg::OnLanguageChanged,
            Qt::QueuedConnection);
    connect(&dialog, &CTesConfigDlg::MapKindChanged, this, &CLumDlg::OnMapKindChanged,
            Qt::QueuedConnection);
    if (dialog.exec() == QDialog::Accepted) {
        mapKind_ = dialog.MapChoice();
        map_->m_nMapType = mapKind_;
        map_->ReloadPage();
    }
}

void CLumDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace lum
