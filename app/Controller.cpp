// The playback side of the main window: commands, engine events and timers.
#include <QCoreApplication>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QThread>
#include <QTimerEvent>

#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "catalogue/ui/CLumFileListCtrl.h"
#include "recordings/Paths.h"
#include "views/map/CHtmlMapDlg.h"

namespace lum {

namespace {
QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}
}  // namespace

void CLumDlg::OnPlayerEvent(const libvlc_event_t* event, void* self) {
    auto* dlg = static_cast<CLumDlg*>(self);
    switch (event->type) {
        case libvlc_MediaPlayerOpening:
            dlg->pendingSeekMs_ = 0;
            break;
        case libvlc_MediaPlayerPlaying:
            QMetaObject::invokeMethod(dlg, "OnPlayState", Qt::QueuedConnection, Q_ARG(int, 3));
            break;
        case libvlc_MediaPlayerPaused:
            dlg->pendingSeekMs_ = 0;
            QMetaObject::invokeMethod(dlg, "OnPlayState", Qt::QueuedConnection, Q_ARG(int, 4));
            break;
        case libvlc_MediaPlayerEndReached:
            QMetaObject::invokeMethod(dlg, "OnEndReached", Qt::QueuedConnection);
            dlg->pendingSeekMs_ = 0;
            break;
        case libvlc_MediaPlayerEncounteredError:
            QMetaObject::invokeMethod(dlg, "OnPlayerError", Qt::QueuedConnection, Q_ARG(int, 1));
            break;
        case libvlc_MediaPlayerTimeChanged:
            // While a seek waits, the thumb stays where the user left it.
            if (dlg->pendingSeekMs_.load() == 0) {
                const qint64 ms = event->u.media_player_time_changed.new_time;
                QMetaObject::invokeMethod(dlg, "OnPlayTime", Qt::QueuedConnection,
                                          Q_ARG(qint64, ms));
            }
            break;
        default:
            break;
    }
}

void CLumDlg::OnPlayTime(qint64 ms) {
    ++timeReports_;
    catalogue_.FeedGauges(static_cast<std::uint32_t>(ms), gsensorEnabled_, mapEnabled_);
    UpdateSeekBar();
    switchInProgress_ = false;
}

void CLumDlg::UpdateSeekBar() {
    const std::int64_t length = player_->GetLength();
    const std::int64_t time = player_->GetTime();
    if (!seekBar_->Dragging()) {
        seekBar_->setValue(SeekBarPosition(time, length));
    }
    if (!fullScreen_) {
        timeText_->setText(QString::fromStdString(PlayTimeText(time, length)));
    }
}

void CLumDlg::ShowPlayAsPause(bool pause) {
    CGdipButton* play = Button(IDC_PLAY);
    play->m_bShowAlternate = pause;
    play->m_bGreyed = false;
    play->update();
}

void CLumDlg::OnPlayState(int state) {
    if (state == 2 || state == 3) {
        ShowPlayAsPause(true);
    } else if (state == 1 || state == 4) {
        ShowPlayAsPause(false);
    }
}

void CLumDlg::OnPlayerError(int code) {
    QMessageBox::information(this, windowTitle(), code == 1 ? Ui(102) : QString());
}

void CLumDlg::ShowRateOverlay() {
    int vw = 0, vh = 0;
    const int size = catalogue_.VideoSize(vw, vh) && vh != 0 ? vh / 10 : 48;
    player_->ShowMarquee(kRateSteps[rateIndex_].label, size,
                         kRateSteps[rateIndex_].factor == 1.0 ? 0 : 1);
}

void CLumDlg::LoadRecording(int index) {
    if (index >= 0) {
        catalogue_.Select(index);
    }
    // A stale index must never reach the path of a recording that is not there.
    if (index < 0 || index >= static_cast<int>(catalogue_.entries.size())) {
        return;
    }
    catalogue_.LoadCurrentTelemetry(index);
    currentPath_ =
        QString::fromStdString(FullPath(catalogue_.entries[static_cast<std::size_t>(index)]));
    player_->Open(currentPath_.toStdString());
    FitVideo();
}

void CLumDlg::StartRecording(int index) {
    LoadRecording(index);
    player_->Play();
    ShowRateOverlay();
    marqueeRepeats_ = 10;
    overlayTimer_.start(300, this);
}

void CLumDlg::HoldFirstRecording() {
    player_->Stop();
    if (catalogue_.entries.empty()) {
        return;  // nothing to hold: the stop is all
    }
    LoadRecording(0);
    player_->Play();
    QThread::msleep(50);
    player_->Pause();
    seekBar_->setValue(0);
}

void CLumDlg::OnPlay() {
    const int i = catalogue_.CurrentIndex();
    pendingSeekMs_ = 0;
    curve_->m_bHideCurves = false;
    curve_->update();
    if (catalogue_.entries.empty()) {
        ShowPlayAsPause(false);
        return;
    }
    if (player_->Loaded() && player_->Playing()) {
        player_->Pause();
        return;
    }
    if (i < 0) {
        LoadRecording(0);
    }
    player_->Play();
    ShowRateOverlay();
    marqueeRepeats_ = 10;
    overlayTimer_.start(300, this);
}

void CLumDlg::OnStop() {
    pendingSeekMs_ = 0;
    ShowPlayAsPause(false);
    player_->Stop();
    rateIndex_ = 7;
    player_->SetRate(1.0f);
    seekBar_->setValue(0);
    curve_->m_bHideCurves = true;
    curve_->SetPosition(0);
}

void CLumDlg::OnFaster() {
    rateIndex_ = std::min(rateIndex_ + 1, 17);
    player_->SetRate(static_cast<float>(kRateSteps[rateIndex_].factor));
    ShowRateOverlay();
}

void CLumDlg::OnSlower() {
    rateIndex_ = std::max(rateIndex_ - 1, 0);
    player_->SetRate(static_cast<float>(kRateSteps[rateIndex_].factor));
    ShowRateOverlay();
}

void CLumDlg::OnNext() {
    const int i = catalogue_.CurrentIndex();
    if (i < 0 || i + 1 >= static_cast<int>(catalogue_.entries.size())) {
        HoldFirstRecording();
        return;
    }
    player_->Stop();
    StartRecording(i + 1);
}

void CLumDlg::OnPrev() {
    const int i = catalogue_.CurrentIndex();
    if (i > 0) {
        player_->Stop();
        StartRecording(i - 1);
    } else {
        HoldFirstRecording();
    }
}

void CLumDlg::OnEndReached() {
    if (autoPlayNext_) {
        const int i = catalogue_.CurrentIndex();
        if (i < 0 || i + 1 >= static_cast<int>(catalogue_.entries.size())) {
            HoldFirstRecording();
        } else {
            StartRecording(i + 1);
        }
        return;
    }
    player_->Stop();
    if (catalogue_.entries.empty()) {
        return;
    }
    player_->Play();
    QThread::msleep(50);
    player_->Pause();
    seekBar_->setValue(0);
    curve_->SetPosition(0);
}

void CLumDlg::StartSwitch() {
    switchInProgress_ = true;
    switchTimer_.start(switchTimeoutMs, this);
}

void CLumDlg::OnPlayItem(int entryIndex) {
    if (switchInProgress_) {
        return;
    }
    catalogue_.CurrentIndex();
    if (entryIndex == -1) {
        return;
    }
    player_->Stop();
    QThread::msleep(200);
    if (entryIndex >= 0 && catalogue_.Select(entryIndex)) {
        StartSwitch();
        StartRecording(entryIndex);
    }
}

void CLumDlg::OnPlayGroup(int group) {
    catalogue_.CurrentIndex();
    if (switchInProgress_ || group == -1) {
        return;
    }
    player_->Stop();
    QThread::msleep(200);
    catalogue_.SelectGroup(group);
    const int i = catalogue_.CurrentIndex();
    if (i != -1) {
        StartSwitch();
        StartRecording(i);
    }
}

void CLumDlg::OnSortList(int column, bool ascending) {
    if (switchInProgress_ || column < 0 || column > 2) {
        return;
    }
    OnStop();
    QThread::msleep(200);
    catalogue_.SortCatalogue(column, ascending);
    // The rows carry catalogue indices: refill them in the new order before the
    // list sorts itself, so a double-click still names the right recording.
    catalogue_.ClearListViews();
    catalogue_.FillList();
}

void CLumDlg::OnVolumeChanged() {
    const int p = volume_->value();
    player_->SetVolume(2 * p);
    const QSignalBlocker quiet(volumeEdit_);
    volumeEdit_->setText(QString::number(p));
}

void CLumDlg::OnVolumeEdited() {
    const int v = LeadingInteger(volumeEdit_->text().toStdString());
    if (v < 0 || v > 100) {
        // Out of range: the slider's value stands and the edit shows it again.
        player_->SetVolume(2 * volume_->value());
        const QSignalBlocker quiet(volumeEdit_);
        volumeEdit_->setText(QString::number(volume_->value()));
        return;
    }
    player_->SetVolume(2 * v);
    const QSignalBlocker quiet(volume_);
    volume_->setValue(v);
}

void CLumDlg::OnSeekMoved() {
    const std::int64_t length = player_->GetLength();
    pendingSeekMs_ = static_cast<std::int64_t>(seekBar_->value()) * (length / 1000);
    // The views jump at once; the engine follows with the seek timer.
    catalogue_.FeedGauges(static_cast<std::uint32_t>(pendingSeekMs_.load()), gsensorEnabled_,
                          mapEnabled_);
}

void CLumDlg::OnMute() {
    CGdipButton* vol = Button(IDC_VOL);
    player_->SetMute(vol->m_bShowAlternate);
}

void CLumDlg::OnMapKindChanged() {
    ReadMapKind();
    map_->m_nMapType = mapKind_;
    map_->ReloadPage();
}

void CLumDlg::OnLanguageChanged(int) {
    fileList_->ReLabel();
    RegisterTooltips();
    notice_->setText(Ui(156));
    notice_->repaint();
    update();
}

bool CLumDlg::BeginOpen() {
    if (!catalogue_.entries.empty() && switchInProgress_) {
        return false;
    }
    pendingSeekMs_ = 0;
    player_->Stop();
    rateIndex_ = 7;
    player_->SetRate(1.0f);
    return true;
}

void CLumDlg::OpenSource(Source kind, const QString& path) {
    if (BeginOpen()) {
        LoadChosen(kind, path);
    }
}

void CLumDlg::PlayFirstRecording() {
    catalogue_.Select(0);
    catalogue_.LoadCurrentTelemetry(0);
    currentPath_ = QString::fromStdString(FullPath(catalogue_.entries[0]));
    player_->Open(currentPath_.toStdString());
    ShowPlayAsPause(true);
    FitVideo();
    player_->Play();
}

void CLumDlg::LoadChosen(Source kind, const QString& path) {
    if (kind == Source::File) {
        catalogue_.Clear();
        const std::string full = path.toStdString();
        std::size_t cut = full.size();
        while (cut > 0 && !IsPathSeparator(full[cut - 1])) {
            --cut;
        }
        if (!catalogue_.Load(full.substr(0, cut), full.substr(cut)) || catalogue_.entries.empty()) {
            return;
        }
        player_->SetWindow(videoSurface_->NativeId());
        PlayFirstRecording();
        return;
    }
    StartSwitch();
    sourcePath_ = path;
    if (path.isEmpty()) {
        switchInProgress_ = false;
        return;
    }
    catalogue_.Clear();
    videoSurface_->SetScanDisplay(true);
    catalogue_.Load(path.toStdString(), "");
    videoSurface_->SetScanDisplay(false);
    if (catalogue_.entries.empty()) {
        switchInProgress_ = false;
        return;
    }
    if (kind == Source::Folder) {
        deferredPlayIndex_ = 0;
        deferredPlayTicks_ = 5;
        return;
    }
    PlayFirstRecording();
}

void CLumDlg::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    if (id == seekTimer_.timerId()) {
        const std::int64_t target = pendingSeekMs_.load();
        if (target != 0) {
            player_->SetTime(target);
            catalogue_.RedrawDrivenPath(static_cast<std::uint32_t>(target));
            pendingSeekMs_ = 0;
        }
    } else if (id == deferredTimer_.timerId()) {
        if (deferredPlayTicks_ != 0 && deferredPlayTicks_ != -1) {
            --deferredPlayTicks_;
            if (deferredPlayTicks_ == 0 && deferredPlayIndex_ != -1) {
                StartRecording(deferredPlayIndex_);
            }
        }
    } else if (id == overlayTimer_.timerId()) {
        ShowRateOverlay();
        if (marqueeRepeats_ > 0) {
            --marqueeRepeats_;
        } else {
            overlayTimer_.stop();
        }
    } else if (id == switchTimer_.timerId()) {
        switchInProgress_ = false;
        switchTimer_.stop();
    } else if (id == nudgeTimer_.timerId()) {
        nudgeTimer_.stop();  // only meaningful on Windows
    } else {
        QWidget::timerEvent(event);
    }
}

}  // namespace lum
