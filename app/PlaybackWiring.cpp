// How the window's controls, dialogs and command line reach the playback controller.
#include <QFileInfo>
#include <QStorageInfo>

#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "dialogs/CLumFileListCtrl.h"
#include "playback/ScanPanel.h"

namespace lum {

namespace {
QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}
}  // namespace

void CLumDlg::ConnectPlayback() {
    playback_ = std::make_unique<CPlaybackController>(*player_, catalogue_);
    CPlaybackController& p = *playback_;
    p.SetControls({seekBar_, timeText_, Button(IDC_PLAY), Button(IDC_VOL), curve_, volume_,
                   volumeEdit_, scanPanel_});
    p.gsensorEnabled = gsensorEnabled_;
    p.mapEnabled = mapEnabled_;
    p.fitVideo = [this] { FitVideo(); };
    p.fullScreen = [this] { return fullScreen_; };
    p.videoWindow = [this] { return videoSurface_->NativeId(); };
    p.tellUser = [this](const QString& text) { TellUser(text); };
    scanPanel_->SetTexts(Ui(205), Ui(206), Ui(108));

    connect(Button(IDC_PLAY), &QAbstractButton::clicked, &p, &CPlaybackController::OnPlay);
    connect(Button(IDC_STOP), &QAbstractButton::clicked, &p, &CPlaybackController::OnStop);
    connect(Button(IDC_NEXT), &QAbstractButton::clicked, &p, &CPlaybackController::OnNext);
    connect(Button(IDC_PREV), &QAbstractButton::clicked, &p, &CPlaybackController::OnPrev);
    connect(Button(IDC_FAST), &QAbstractButton::clicked, &p, &CPlaybackController::OnFaster);
    connect(Button(IDC_SLOW), &QAbstractButton::clicked, &p, &CPlaybackController::OnSlower);
    connect(Button(IDC_VOL), &QAbstractButton::clicked, &p, &CPlaybackController::OnMute);
    connect(Button(IDC_LOOP), &QAbstractButton::clicked, &p,
            [&p] { p.autoPlayNext = !p.autoPlayNext; });
    connect(seekBar_, &CVideoSlider::SeekMoved, &p, &CPlaybackController::OnSeekMoved);
    connect(seekBar_, &CVideoSlider::MarkClicked, &p, &CPlaybackController::OnMarkClicked);
    connect(volume_, &CMySliderControl::VolumeChanged, &p, &CPlaybackController::OnVolumeChanged);
    connect(volumeEdit_, &QLineEdit::textChanged, &p, &CPlaybackController::OnVolumeEdited);
    connect(fileList_, &CLumFileListCtrl::PlayItem, &p, &CPlaybackController::OnPlayItem);
    connect(fileList_, &CLumFileListCtrl::SortList, &p, &CPlaybackController::OnSortList);
    // A new catalogue may have another picture size: the surface is fitted again.
    connect(&p, &CPlaybackController::CatalogueReplaced, this, [this] {
        videoSurface_->SetHint(QString());
        FitVideo();
    });
    videoSurface_->SetHint(Ui(208));  // until a card is opened
    fileList_->rowToolTip = [this](int entryIndex) { return TripToolTip(entryIndex); };
    connect(&p, &CPlaybackController::ScanEnded, this, [this] { update(); });
}

QString CLumDlg::TripToolTip(int entryIndex) const {
    if (entryIndex < 0 || entryIndex >= static_cast<int>(catalogue_.Entries().size())) {
        return {};
    }
    const RecordingEntry& entry = catalogue_.Entries()[static_cast<std::size_t>(entryIndex)];
    // The current recording's figures are at hand; another's are read when asked for.
    const std::optional<TripSummary> trip = entryIndex == catalogue_.CurrentIndex()
                                                ? std::optional(catalogue_.CurrentTrip())
                                                : ReadTripSummary(entry);
    if (!trip) {
        return {};
    }
    const std::uint64_t seconds = trip->drivingMs / 1000;
    const QString driving = QStringLiteral("%1:%2:%3")
                                .arg(seconds / 3600)
                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QString::fromStdString(entry.fileName) + '\n' +
           Ui(269).arg(QString::number(trip->distanceMetres / 1000, 'f', 2), driving,
                       QString::number(trip->maxSpeedKmh, 'f', 0),
                       QString::number(trip->averageSpeedKmh, 'f', 0),
                       QString::number(trip->maxAccelerationG, 'f', 2));
}

void CLumDlg::TellUser(const QString& text) {
    messageBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok);
}

void CLumDlg::OpenSource(Source kind, const QString& path) {
    if (playback_->CanOpen()) {
        playback_->Open(kind, path);
    }
}

void CLumDlg::OpenPath(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        OpenSource(Source::File, info.absoluteFilePath());
        return;
    }
    // A card's mount point opens as a disk (the first recording plays at once),
    // any other folder as a folder; a missing path is told by the load itself.
    const QString folder = info.exists() ? info.absoluteFilePath() : path;
    const bool mountPoint = info.exists() && QStorageInfo(folder).rootPath() == folder;
    OpenSource(mountPoint ? Source::Disk : Source::Folder, folder);
}

}  // namespace lum
