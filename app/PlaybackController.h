// Playback: turns the transport commands, the engine's events and the timers
// into calls on the engine and the catalogue, and loads a card on a worker
// thread. The main window owns it and wires it to its controls.
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "catalogue/RecordingCatalogue.h"
#include "playback/EngineEvents.h"

class QLabel;
class QLineEdit;

namespace lum {

class VlcPlayer;
class CVideoSlider;
class CGdipButton;
class CGSensorCtrl;
class CMySliderControl;
class CScanPanel;

// The rate table: factor and overlay label of each of the 18 steps.
struct RateStep {
    double factor;
    const char* label;
};
extern const RateStep kRateSteps[18];
inline constexpr int kNormalRate = 7;

// The window's controls the controller drives.
struct PlaybackControls {
    CVideoSlider* seekBar = nullptr;
    QLabel* timeText = nullptr;
    CGdipButton* play = nullptr;
    CGdipButton* mute = nullptr;
    CGSensorCtrl* curve = nullptr;
    CMySliderControl* volume = nullptr;
    QLineEdit* volumeEdit = nullptr;
    CScanPanel* scanPanel = nullptr;
};

class CPlaybackController : public QObject {
    Q_OBJECT
  public:
    enum class Source { Disk, Folder, File };

    CPlaybackController(VlcPlayer& player, RecordingCatalogue& catalogue,
                        QObject* parent = nullptr);
    // Cancels a running scan and waits for its thread.
    ~CPlaybackController() override;

    void SetControls(const PlaybackControls& controls);
    // Marks the current recording's events on the seek bar and as dots on the map.
    void ShowEventMarks();
    CEngineEvents& Events() { return events_; }

    // What the window provides.
    std::function<void()> fitVideo;
    std::function<bool()> fullScreen;
    std::function<std::uintptr_t()> videoWindow;
    // A message for the user (a dead end, an engine error).
    std::function<void(const QString& text)> tellUser;
    bool gsensorEnabled = true;
    bool mapEnabled = true;
    bool autoPlayNext = true;
    // How long a recording switch may wait for the engine's first report; tests shorten it.
    int switchTimeoutMs = 100000;

    // OPEN once the dialog is confirmed: the card, folder or file is loaded on a
    // worker thread; the previous recording plays on until the new catalogue is
    // ready, and a cancelled or failed load leaves everything as it was.
    void Open(Source kind, const QString& path);
    // Whether OPEN may start: not while a scan runs or a switch waits for the engine.
    bool CanOpen() const;
    bool Scanning() const { return scan_ != nullptr; }
    void CancelScan();

    void OnPlay();
    void OnStop();
    void OnNext();
    void OnPrev();
    void OnFaster();
    void OnSlower();
    // Moves the play time by deltaMs (negative: back), kept inside the recording; the
    // views jump at once and the engine follows with the seek timer, so presses in a row
    // add up.
    void SeekBy(std::int64_t deltaMs);
    // Selects recording index and opens it: its telemetry, its event marks and its
    // video. Every way to a recording comes here: the list's double-click, a group,
    // NEXT and PREV, the automatic advance and the first recording of an opened path.
    void LoadRecording(int index);
    void StartRecording(int index);
    void HoldFirstRecording();
    void ShowRateOverlay();
    // The PLAY button's picture: pause while playing, play otherwise.
    void ShowPlayAsPause(bool pause);
    // After the engine was re-created (FLIP): the recording is opened again.
    void ReopenCurrent();

    int RateIndex() const { return rateIndex_; }
    int TimeReports() const { return timeReports_; }
    bool SwitchInProgress() const { return switchInProgress_.load(); }
    const QString& CurrentPath() const { return currentPath_; }
    const QString& SourcePath() const { return sourcePath_; }
    // The recording playing or held, -1 when none.
    int Current() const;

  public slots:
    void OnPlayTime(qint64 ms);
    void OnPlayState(int state);
    void OnEndReached();
    void OnPlayerError();
    void OnPlayItem(int entryIndex);
    void OnPlayGroup(int group);
    void OnSortList(int column, bool ascending);
    void OnVolumeChanged();
    void OnVolumeEdited();
    void OnSeekMoved();
    // A click on an event's mark: the play time it asks for.
    void OnMarkClicked(qint64 ms);
    void OnMute();

  signals:
    // The engine reported a play time and the views were moved to it.
    void PlayTimeShown(qint64 ms);
    // A new catalogue replaced the old one (the lists were refilled).
    void CatalogueReplaced();
    // The scan ended, whatever its outcome.
    void ScanEnded();

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    struct ScanJob;
    void FinishScan();
    void UpdateSeekBar();
    void PlayFirstRecording();
    // Opens recording index without selecting it; an index outside the catalogue
    // opens no video.
    void OpenAt(int index);
    void StartSwitch();
    // A double-click on a recording or a group: stops, waits the pause that follows
    // a stop, then starts the recording pick selects (-1: none, the switch ends).
    void SwitchTo(std::function<int()> pick);
    void ResetRate();
    // After a stop the engine gets 200 ms before the next recording is opened.
    void AfterStopPause(std::function<void()> then);

    VlcPlayer& player_;
    RecordingCatalogue& catalogue_;
    PlaybackControls c_;
    CEngineEvents events_;

    int rateIndex_ = kNormalRate;
    QString currentPath_;
    QString sourcePath_;
    int deferredPlayIndex_ = -1;
    int deferredPlayTicks_ = 0;
    int marqueeRepeats_ = 10;
    int timeReports_ = 0;
    bool errorShown_ = false;
    std::atomic<bool> switchInProgress_{false};
    QBasicTimer overlayTimer_, seekTimer_, deferredTimer_, switchTimer_, holdTimer_, pauseTimer_,
        scanTimer_;
    std::function<void()> afterPause_;
    std::unique_ptr<ScanJob> scan_;
};

}  // namespace lum
