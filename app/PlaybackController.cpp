#include "app/PlaybackController.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <thread>

#include "app/core/Layout.h"
#include "catalogue/TrackFormats.h"
#include "playback/ScanPanel.h"
#include "playback/VideoWidgets.h"
#include "playback/VlcPlayer.h"
#include "recordings/Paths.h"
#include "settings/CLumSettings.h"
#include "views/CGSensorCtrl.h"
#include "views/CGdipButton.h"
#include "views/CMySliderControl.h"

namespace lum {

const RateStep kRateSteps[18] = {
    {0.3, "0.3 X"}, {0.4, "0.4 X"}, {0.5, "0.5 X"}, {0.6, "0.6 X"}, {0.7, "0.7 X"}, {0.8, "0.8 X"},
    {0.9, "0.9 X"}, {1.0, "1.0 X"}, {1.2, "1.2 X"}, {1.4, "1.4 X"}, {1.6, "1.6 X"}, {1.8, "1.8 X"},
    {2.0, "2.0 X"}, {2.4, "2.4 X"}, {2.8, "2.8 X"}, {3.2, "3.2 X"}, {3.6, "3.6 X"}, {4.0, "4.0 X"}};

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

// The engine is given this long after a stop before the next recording opens.
constexpr int kAfterStopMs = 200;
// A paused first picture needs the engine to have started: play, then pause 50 ms later.
constexpr int kHoldMs = 50;
// The scan's count is shown this often.
constexpr int kScanProgressMs = 50;

}  // namespace

// One load of a card, a folder or a file on a worker thread. The worker writes
// the count (an atomic) and the result; the UI thread reads the result only
// after the worker has posted that it is done and has been joined.
struct CPlaybackController::ScanJob : public IVideoSurfaceView {
    Source kind = Source::Folder;
    QString path;
    std::atomic<bool> cancel{false};
    std::atomic<int> count{0};
    RecordingCatalogue result;
    LoadStatus status = LoadStatus::Missing;
    std::thread thread;

    void ShowScanCount(int n) override { count.store(n, std::memory_order_relaxed); }
};

CPlaybackController::CPlaybackController(VlcPlayer& player, RecordingCatalogue& catalogue,
                                         QObject* parent)
    : QObject(parent), player_(player), catalogue_(catalogue) {
    connect(&events_, &CEngineEvents::TimeChanged, this, &CPlaybackController::OnPlayTime,
            Qt::QueuedConnection);
    connect(&events_, &CEngineEvents::StateChanged, this, &CPlaybackController::OnPlayState,
            Qt::QueuedConnection);
    connect(&events_, &CEngineEvents::EndReached, this, &CPlaybackController::OnEndReached,
            Qt::QueuedConnection);
    connect(&events_, &CEngineEvents::EncounteredError, this, &CPlaybackController::OnPlayerError,
            Qt::QueuedConnection);
    if (player_.Loaded()) {
        events_.Attach(player_);
        player_.SetRate(1.0f);
    }
    seekTimer_.start(500, this);
    deferredTimer_.start(100, this);
}

CPlaybackController::~CPlaybackController() {
    if (scan_ != nullptr) {
        scan_->cancel = true;
        if (scan_->thread.joinable()) {
            scan_->thread.join();
        }
    }
}

void CPlaybackController::SetControls(const PlaybackControls& controls) {
    c_ = controls;
    if (c_.scanPanel != nullptr) {
        connect(c_.scanPanel, &CScanPanel::CancelPressed, this, &CPlaybackController::CancelScan);
    }
}

int CPlaybackController::Current() const {
    const int i = catalogue_.CurrentIndex();
    return i >= 0 && i < static_cast<int>(catalogue_.Entries().size()) ? i : -1;
}

// ---- Engine events -------------------------------------------------------------------------

void CPlaybackController::OnPlayTime(qint64 ms) {
    ++timeReports_;
    catalogue_.FeedGauges(static_cast<std::uint32_t>(ms), gsensorEnabled, mapEnabled);
    UpdateSeekBar();
    switchInProgress_ = false;
    emit PlayTimeShown(ms);
}

void CPlaybackController::UpdateSeekBar() {
    const std::int64_t length = player_.GetLength();
    const std::int64_t time = player_.GetTime();
    if (c_.seekBar != nullptr && !c_.seekBar->Dragging()) {
        c_.seekBar->setValue(SeekBarPosition(time, length));
    }
    if (c_.timeText != nullptr && !(fullScreen && fullScreen())) {
        c_.timeText->setText(QString::fromStdString(PlayTimeText(time, length)));
    }
}

void CPlaybackController::ShowPlayAsPause(bool pause) {
    if (c_.play == nullptr) {
        return;
    }
    c_.play->m_bShowAlternate = pause;
    c_.play->m_bGreyed = false;
    c_.play->update();
}

void CPlaybackController::OnPlayState(int state) {
    if (state == CEngineEvents::Playing) {
        ShowPlayAsPause(true);
    } else if (state == CEngineEvents::Paused) {
        ShowPlayAsPause(false);
    }
}

void CPlaybackController::OnPlayerError() {
    // One message for a burst of errors from the same recording.
    if (errorShown_ || !tellUser) {
        return;
    }
    errorShown_ = true;
    const QString name = QDir::toNativeSeparators(currentPath_);
    tellUser(Ui(102) + "\n" + Ui(204).replace("%s", name));
}

// ---- Transport -----------------------------------------------------------------------------

void CPlaybackController::ShowRateOverlay() {
    int vw = 0, vh = 0;
    const int size = catalogue_.VideoSize(vw, vh) && vh != 0 ? vh / 10 : 48;
    player_.ShowMarquee(kRateSteps[rateIndex_].label, size,
                        kRateSteps[rateIndex_].factor == 1.0 ? 0 : 1);
}

void CPlaybackController::ResetRate() {
    rateIndex_ = kNormalRate;
    player_.SetRate(1.0f);
    overlayTimer_.stop();
    ShowRateOverlay();  // switches the overlay off
}

void CPlaybackController::LoadRecording(int index) {
    if (index >= 0) {
        catalogue_.Select(index);
    }
    // A stale index must never reach the path of a recording that is not there.
    if (index < 0 || index >= static_cast<int>(catalogue_.Entries().size())) {
        return;
    }
    holdTimer_.stop();
    errorShown_ = false;
    OpenAt(index);
}

void CPlaybackController::OpenAt(int index) {
    catalogue_.LoadCurrentTelemetry(index);
    ShowEventMarks();
    if (index >= 0 && index < static_cast<int>(catalogue_.Entries().size())) {
        currentPath_ =
            QString::fromStdString(FullPath(catalogue_.Entries()[static_cast<std::size_t>(index)]));
        player_.Open(currentPath_.toStdString());
    }
    if (fitVideo) {
        fitVideo();
    }
}

void CPlaybackController::ReopenCurrent() {
    OpenAt(catalogue_.CurrentIndex());
}

void CPlaybackController::StartRecording(int index) {
    LoadRecording(index);
    player_.Play();
    ShowRateOverlay();
    marqueeRepeats_ = 10;
    overlayTimer_.start(300, this);
}

void CPlaybackController::HoldFirstRecording() {
    player_.Stop();
    if (catalogue_.Entries().empty()) {
        return;  // nothing to hold: the stop is all
    }
    LoadRecording(0);
    player_.Play();
    holdTimer_.start(kHoldMs, this);  // then pause on the first picture
    if (c_.seekBar != nullptr) {
        c_.seekBar->setValue(0);
    }
}

void CPlaybackController::OnPlay() {
    const int i = catalogue_.CurrentIndex();
    events_.pendingSeekMs = 0;
    if (c_.curve != nullptr) {
        c_.curve->m_bHideCurves = false;
        c_.curve->update();
    }
    if (catalogue_.Entries().empty()) {
        ShowPlayAsPause(false);
        return;
    }
    holdTimer_.stop();
    if (player_.Loaded() && player_.Playing()) {
        player_.Pause();
        return;
    }
    if (i < 0) {
        LoadRecording(0);
    }
    player_.Play();
    ShowRateOverlay();
    marqueeRepeats_ = 10;
    overlayTimer_.start(300, this);
}

void CPlaybackController::OnStop() {
    events_.pendingSeekMs = 0;
    holdTimer_.stop();
    ShowPlayAsPause(false);
    player_.Stop();
    ResetRate();
    if (c_.seekBar != nullptr) {
        c_.seekBar->setValue(0);
    }
    if (c_.curve != nullptr) {
        c_.curve->m_bHideCurves = true;
        c_.curve->SetPosition(0);
    }
}

void CPlaybackController::OnFaster() {
    if (catalogue_.Entries().empty()) {
        return;  // nothing loaded: the transport does nothing
    }
    rateIndex_ = std::min(rateIndex_ + 1, 17);
    player_.SetRate(static_cast<float>(kRateSteps[rateIndex_].factor));
    ShowRateOverlay();
}

void CPlaybackController::OnSlower() {
    if (catalogue_.Entries().empty()) {
        return;
    }
    rateIndex_ = std::max(rateIndex_ - 1, 0);
    player_.SetRate(static_cast<float>(kRateSteps[rateIndex_].factor));
    ShowRateOverlay();
}

void CPlaybackController::OnNext() {
    const int i = catalogue_.CurrentIndex();
    if (i < 0 || i + 1 >= static_cast<int>(catalogue_.Entries().size())) {
        HoldFirstRecording();
        return;
    }
    player_.Stop();
    StartRecording(i + 1);
}

void CPlaybackController::OnPrev() {
    const int i = catalogue_.CurrentIndex();
    if (i > 0) {
        player_.Stop();
        StartRecording(i - 1);
    } else {
        HoldFirstRecording();
    }
}

void CPlaybackController::OnEndReached() {
    if (autoPlayNext) {
        const int i = catalogue_.CurrentIndex();
        if (i < 0 || i + 1 >= static_cast<int>(catalogue_.Entries().size())) {
            HoldFirstRecording();
        } else {
            StartRecording(i + 1);
        }
        return;
    }
    player_.Stop();
    if (catalogue_.Entries().empty()) {
        return;
    }
    player_.Play();
    holdTimer_.start(kHoldMs, this);
    if (c_.seekBar != nullptr) {
        c_.seekBar->setValue(0);
    }
    if (c_.curve != nullptr) {
        c_.curve->SetPosition(0);
    }
}

void CPlaybackController::StartSwitch() {
    switchInProgress_ = true;
    switchTimer_.start(switchTimeoutMs, this);
}

void CPlaybackController::AfterStopPause(std::function<void()> then) {
    afterPause_ = std::move(then);
    pauseTimer_.start(kAfterStopMs, this);
}

void CPlaybackController::SwitchTo(std::function<int()> pick) {
    player_.Stop();
    holdTimer_.stop();
    // The guard holds from the stop on, so a second double-click in the pause is ignored too.
    StartSwitch();
    AfterStopPause([this, pick = std::move(pick)] {
        const int i = pick();
        if (i != -1) {
            StartSwitch();
            StartRecording(i);
        } else {
            switchInProgress_ = false;
            switchTimer_.stop();
        }
    });
}

void CPlaybackController::OnPlayItem(int entryIndex) {
    if (switchInProgress_ || entryIndex == -1) {
        return;
    }
    SwitchTo([this, entryIndex] {
        return entryIndex >= 0 && catalogue_.Select(entryIndex) ? entryIndex : -1;
    });
}

void CPlaybackController::OnPlayGroup(int group) {
    if (switchInProgress_ || group == -1) {
        return;
    }
    SwitchTo([this, group] {
        catalogue_.SelectGroup(group);
        return catalogue_.CurrentIndex();
    });
}

void CPlaybackController::OnSortList(int column, bool ascending) {
    if (switchInProgress_ || column < 0 || column > 2) {
        return;
    }
    OnStop();
    // The list sorts its own rows right after this returns: the catalogue must be
    // in the new order and the rows refilled by then, so a double-click still
    // names the right recording. Nothing is opened after a sort, so no pause.
    catalogue_.SortCatalogue(column, ascending);
    catalogue_.ClearListViews();
    catalogue_.FillList();
}

void CPlaybackController::OnVolumeChanged() {
    const int p = c_.volume->value();
    player_.SetVolume(2 * p);
    const QSignalBlocker quiet(c_.volumeEdit);
    c_.volumeEdit->setText(QString::number(p));
}

void CPlaybackController::OnVolumeEdited() {
    const int v = LeadingInteger(c_.volumeEdit->text().toStdString());
    if (v < 0 || v > 100) {
        // Out of range: the slider's value stands and the edit shows it again.
        player_.SetVolume(2 * c_.volume->value());
        const QSignalBlocker quiet(c_.volumeEdit);
        c_.volumeEdit->setText(QString::number(c_.volume->value()));
        return;
    }
    player_.SetVolume(2 * v);
    const QSignalBlocker quiet(c_.volume);
    c_.volume->setValue(v);
}

void CPlaybackController::OnSeekMoved() {
    if (Current() < 0) {
        c_.seekBar->setValue(0);  // nothing loaded: nothing to seek in
        return;
    }
    const std::int64_t length = player_.GetLength();
    events_.pendingSeekMs = static_cast<std::int64_t>(c_.seekBar->value()) * (length / 1000);
    // The views jump at once; the engine follows with the seek timer.
    catalogue_.FeedGauges(static_cast<std::uint32_t>(events_.pendingSeekMs.load()), gsensorEnabled,
                          mapEnabled);
}

void CPlaybackController::SeekBy(std::int64_t deltaMs) {
    const std::int64_t length = player_.GetLength();
    if (Current() < 0 || length <= 1) {
        return;
    }
    const std::int64_t pending = events_.pendingSeekMs.load();
    const std::int64_t from = pending != 0 ? pending : player_.GetTime();
    // A pending time of 0 means "no seek": the start is asked for as 1 ms. The end is
    // left out so that a seek never ends the recording by itself.
    const std::int64_t target = std::clamp<std::int64_t>(from + deltaMs, 1, length - 1);
    events_.pendingSeekMs = target;
    {
        const QSignalBlocker quiet(c_.seekBar);
        c_.seekBar->setValue(static_cast<int>(target * 1000 / length));
    }
    catalogue_.FeedGauges(static_cast<std::uint32_t>(target), gsensorEnabled, mapEnabled);
}

// Where a mark sends the play: 3 s before the event, so the run-up is seen too.
// A pending seek of 0 means none, so the start of the recording is asked as 1 ms.
constexpr qint64 kMarkLeadMs = 3000;

void CPlaybackController::OnMarkClicked(qint64 ms) {
    if (Current() < 0 || c_.seekBar == nullptr) {
        return;
    }
    events_.pendingSeekMs = std::max<std::int64_t>(ms, 1);
    catalogue_.FeedGauges(static_cast<std::uint32_t>(ms), gsensorEnabled, mapEnabled);
    c_.seekBar->setValue(SeekBarPosition(ms, player_.GetLength()));
}

namespace {

// "0:27" from the recording's start.
QString Offset(std::uint32_t ms) {
    return QStringLiteral("%1:%2").arg(ms / 60000).arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

void CPlaybackController::ShowEventMarks() {
    if (c_.seekBar == nullptr) {
        return;
    }
    std::vector<SeekMark> marks;
    // The events that have a position are also dots on the map.
    std::vector<MapEventDot> dots;
    const int i = catalogue_.CurrentIndex();
    if (i >= 0 && i < static_cast<int>(catalogue_.Entries().size())) {
        const RecordingEntry& entry = catalogue_.Entries()[static_cast<std::size_t>(i)];
        const double length = entry.telemetry.durationMs;
        for (const DrivingEvent& e : catalogue_.CurrentEvents()) {
            SeekMark m;
            m.fraction = length > 0 ? e.startMs / length : 0;
            m.colour = QColor::fromRgb(EventKindColour(e.kind));
            m.seekMs = std::max<qint64>(qint64{e.startMs} - kMarkLeadMs, 0);
            const QString clock =
                entry.telemetry.startTime == 0
                    ? QStringLiteral("-")
                    : QString::fromStdString(
                          LocalTimeText(entry.telemetry.startTime + e.startMs / 1000))
                          .section(QLatin1Char(' '), 1);
            const std::string_view unit = EventPeakUnit(e.kind);
            const QString name = Ui(EventKindStringId(e.kind));
            const QString what =
                unit.empty()
                    ? Ui(273).arg(name, Offset(e.startMs), clock)
                    : Ui(267).arg(name,
                                  QString::number(e.peak, 'f', unit == "g" ? 2 : 0) + ' ' +
                                      QString::fromUtf8(unit.data(), static_cast<int>(unit.size())),
                                  Offset(e.startMs), clock);
            // The kind's colour in front of its name tells what each colour means.
            m.tip = QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2<br>%3")
                        .arg(m.colour.name(), what.toHtmlEscaped(), Ui(268).toHtmlEscaped());
            if (e.hasPosition && std::isfinite(e.latitude) && std::isfinite(e.longitude)) {
                dots.push_back({{e.latitude, e.longitude},
                                static_cast<std::uint32_t>(m.colour.rgb() & 0xFFFFFFu),
                                what.toStdString()});
            }
            marks.push_back(m);
        }
    }
    c_.seekBar->SetMarks(std::move(marks));
    if (IMapView* map = catalogue_.Map()) {
        map->ShowEvents(dots);
    }
}

void CPlaybackController::OnMute() {
    player_.SetMute(c_.mute->m_bShowAlternate);
}

// ---- Opening a card, a folder or a file -----------------------------------------------------

bool CPlaybackController::CanOpen() const {
    return !Scanning() && !(!catalogue_.Entries().empty() && switchInProgress_);
}

void CPlaybackController::Open(Source kind, const QString& path) {
    if (Scanning() || path.isEmpty()) {
        return;
    }
    std::string folder = path.toStdString();
    std::string name;
    if (kind == Source::File) {
        std::size_t cut = folder.size();
        while (cut > 0 && !IsPathSeparator(folder[cut - 1])) {
            --cut;
        }
        name = folder.substr(cut);
        folder.resize(cut);
    } else {
        StartSwitch();
    }
    scan_ = std::make_unique<ScanJob>();
    scan_->kind = kind;
    scan_->path = path;
    if (kind != Source::File && c_.scanPanel != nullptr) {
        c_.scanPanel->Start(QDir::toNativeSeparators(path));
    }
    scanTimer_.start(kScanProgressMs, this);
    ScanJob* job = scan_.get();
    job->thread = std::thread([this, job, folder = std::move(folder), name = std::move(name)] {
        job->result.BindVideoSurface(job);
        WalkOptions options;
        options.cancel = &job->cancel;
        job->status = job->result.LoadWithStatus(folder, name, options);
        QMetaObject::invokeMethod(this, &CPlaybackController::FinishScan, Qt::QueuedConnection);
    });
}

void CPlaybackController::CancelScan() {
    if (scan_ != nullptr) {
        scan_->cancel = true;
    }
}

void CPlaybackController::FinishScan() {
    if (scan_ == nullptr) {
        return;
    }
    if (scan_->thread.joinable()) {
        scan_->thread.join();
    }
    const std::unique_ptr<ScanJob> job = std::move(scan_);
    scanTimer_.stop();
    if (c_.scanPanel != nullptr) {
        c_.scanPanel->hide();
    }
    emit ScanEnded();

    const auto deadEnd = [&](int id) {
        switchInProgress_ = false;
        switchTimer_.stop();
        if (id != 0 && tellUser) {
            tellUser(Ui(id).replace("%s", QDir::toNativeSeparators(job->path)));
        }
    };
    switch (job->status) {
        case LoadStatus::Cancelled:
            deadEnd(0);  // the catalogue stays as it was before OPEN
            return;
        case LoadStatus::Missing:
            deadEnd(201);
            return;
        case LoadStatus::Unreadable:
            deadEnd(203);
            return;
        case LoadStatus::Loaded:
            break;
    }
    if (job->result.Entries().empty()) {
        deadEnd(job->kind == Source::File ? 207 : 202);
        return;
    }

    // The new catalogue is ready: only now does the previous recording stop.
    events_.pendingSeekMs = 0;
    player_.Stop();
    holdTimer_.stop();
    pauseTimer_.stop();
    afterPause_ = nullptr;
    deferredPlayTicks_ = 0;
    ResetRate();
    catalogue_.TakeRecordings(std::move(job->result));
    sourcePath_ = job->path;
    emit CatalogueReplaced();
    switch (job->kind) {
        case Source::Folder:
            // The first recording starts about half a second later.
            StartSwitch();
            deferredPlayIndex_ = 0;
            deferredPlayTicks_ = 5;
            break;
        case Source::Disk:
            StartSwitch();
            PlayFirstRecording();
            break;
        case Source::File:
            if (videoWindow) {
                player_.SetWindow(videoWindow());
            }
            PlayFirstRecording();
            break;
    }
}

void CPlaybackController::PlayFirstRecording() {
    LoadRecording(0);
    ShowPlayAsPause(true);
    player_.Play();
}

void CPlaybackController::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    if (id == seekTimer_.timerId()) {
        const std::int64_t target = events_.pendingSeekMs.load();
        if (target != 0) {
            player_.SetTime(target);
            catalogue_.RedrawDrivenPath(static_cast<std::uint32_t>(target));
            events_.pendingSeekMs = 0;
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
    } else if (id == holdTimer_.timerId()) {
        holdTimer_.stop();
        player_.Pause();
    } else if (id == pauseTimer_.timerId()) {
        pauseTimer_.stop();
        if (auto then = std::move(afterPause_)) {
            afterPause_ = nullptr;
            then();
        }
    } else if (id == scanTimer_.timerId()) {
        if (scan_ != nullptr && c_.scanPanel != nullptr) {
            c_.scanPanel->SetCount(scan_->count.load(std::memory_order_relaxed));
        }
    } else {
        QObject::timerEvent(event);
    }
}

}  // namespace lum
