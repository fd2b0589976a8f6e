// The main window's dialogs: open media, configuration, about.
#include <algorithm>

#include "app/CAboutDlg.h"
#include "app/CLumDlg.h"
#include "dialogs/CLumFileListCtrl.h"
#include "dialogs/CMediaOpenDialog.h"
#include "dialogs/CTesConfigDlg.h"
#include "dialogs/QtTranslations.h"
#include "playback/ScanPanel.h"
#include "views/map/CHtmlMapDlg.h"

namespace lum {

void CLumDlg::OnOpen() {
    if (!playback_->CanOpen()) {
        return;
    }
    CMediaOpenDialog dialog(MountedVolumes(), settings_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const MediaChoice& c = dialog.Choice();
    switch (c.choice) {
        case kChoiceDisk:
            OpenSource(Source::Disk, QString::fromStdString(c.drive));
            break;
        case kChoiceFolder:
            OpenSource(Source::Folder, QString::fromStdString(c.folderPath));
            break;
        default:
            OpenSource(Source::File, QString::fromStdString(c.filePath));
            break;
    }
}

void CLumDlg::OnConfig() {
    CTesConfigDlg dialog(settings_, this);
    // Handled after the dialog's own step, as posted messages.
    connect(&dialog, &CTesConfigDlg::LanguageChanged, this, &CLumDlg::OnLanguageChanged,
            Qt::QueuedConnection);
    connect(&dialog, &CTesConfigDlg::MapKindChanged, this, &CLumDlg::OnMapKindChanged,
            Qt::QueuedConnection);
    if (dialog.exec() == QDialog::Accepted) {
        mapKind_ = dialog.MapChoice();
        map_->m_nMapType = mapKind_;
        ReloadMap();
    }
}

void CLumDlg::OnMapKindChanged() {
    mapKind_ = settings_.ReadMapOption();
    map_->m_nMapType = mapKind_;
    ReloadMap();
}

void CLumDlg::ReloadMap() {
    map_->ReloadPage();
    // The new page starts blank: the track, the driven part and the car are drawn
    // again (queued until the page has loaded).
    if (playback_->Current() < 0) {
        return;
    }
    const auto t = static_cast<std::uint32_t>(std::max<std::int64_t>(0, player_->GetTime()));
    catalogue_.PlotTrack();
    playback_->ShowEventMarks();
    catalogue_.RedrawDrivenPath(t);
    catalogue_.SetLastGpsIndex(-1);
    catalogue_.FeedGauges(t, gsensorEnabled_, mapEnabled_);
}

void CLumDlg::OnLanguageChanged(int) {
    ApplyQtTranslations(settings_.LangId());
    fileList_->ReLabel();
    RegisterTooltips();
    notice_->setText(QString::fromStdString(LoadUiString(156)));
    notice_->repaint();
    if (catalogue_.Entries().empty()) {
        videoSurface_->SetHint(QString::fromStdString(LoadUiString(208)));
    }
    scanPanel_->SetTexts(QString::fromStdString(LoadUiString(205)),
                         QString::fromStdString(LoadUiString(206)),
                         QString::fromStdString(LoadUiString(108)));
    update();
}

void CLumDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace lum
