// The main window: owns the engine, the catalogue, the views and the skinned
// controls, lays them out for any size, and turns commands and engine events
// into playback.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "app/KeyCommands.h"
#include "app/PlaybackController.h"
#include "app/core/Layout.h"
#include "catalogue/RecordingCatalogue.h"
#include "catalogue/TrackExport.h"
#include "playback/VideoWidgets.h"
#include "playback/VlcPlayer.h"
#include "settings/CLumSettings.h"
#include "views/CGSensorCtrl.h"
#include "views/CGdipButton.h"
#include "views/CMySliderControl.h"
#include "views/CSpeedLabelStatic.h"
#include "views/CTesToolTipCtrl.h"
#include "views/SmallDisplays.h"

class QProgressDialog;

namespace lum {

class CHtmlMapDlg;
class CLumFileListCtrl;
class CScanPanel;

class CLumDlg : public QWidget, public IGaugesView, public ICatalogueHost {
    Q_OBJECT
  public:
    static constexpr int kVersion[3] = {1, 0, 33};

    // The engine is made first, so whether it is usable is known before the window exists.
    CLumDlg(CLumSettings& settings, std::unique_ptr<VlcPlayer> player, QWidget* parent = nullptr);
    ~CLumDlg() override;

    // Creates and sets up every control in its fixed order; warns once when
    // the engine is missing (unless quiet, for tests).
    void InitDialog(bool quiet = false);

    // Opening what the media-open dialog returns: a disk or folder tree, or one
    // file. The load runs on a worker thread; the result shows when it is done.
    using Source = CPlaybackController::Source;
    void OpenSource(Source kind, const QString& path);
    // Opens a path given on the command line as OPEN would: a recording as File,
    // a mount point of a volume as Disk, any other folder as Folder.
    void OpenPath(const QString& path);

    // Window modes.
    void Relayout(int width, int height);
    void ToggleFullScreen();
    void ToggleMaximise();
    void SetSmallSize();
    void SetMediumSize();
    void ShowPlaybackControls(bool show);

    void FitVideo();
    // Reloads the map page and draws the current recording on it again.
    void ReloadMap();

  public slots:
    void OnLanguageChanged(int index);
    void OnMapKindChanged();

  public:
    // For tests and the owner.
    VlcPlayer& Player() { return *player_; }
    CPlaybackController& Playback() { return *playback_; }
    RecordingCatalogue& Catalogue() { return catalogue_; }
    CLumSettings& Settings() { return settings_; }
    QWidget* Control(int id) const;
    CGdipButton* Button(int id) const;
    CVideoStatic* VideoSurface() const { return videoSurface_; }
    CGSensorCtrl* Curve() const { return curve_; }
    CSpeedLabelStatic* Speed() const { return speed_; }
    CHtmlMapDlg* MapPanel() const { return map_; }
    CLumFileListCtrl* FileList() const { return fileList_; }
    CVideoSlider* SeekBar() const { return seekBar_; }
    QLabel* TimeText() const { return timeText_; }
    CScanPanel* ScanPanel() const { return scanPanel_; }
    QLineEdit* VolumeEdit() const { return volumeEdit_; }
    CMySliderControl* VolumeSlider() const { return volume_; }
    const QString& VersionText() const { return versionText_; }
    bool FullScreen() const { return fullScreen_; }
    bool Maximised() const { return maximised_; }
    bool MapEnabled() const { return mapEnabled_; }
    bool GsensorEnabled() const { return gsensorEnabled_; }
    const MainLayout& LastLayout() const { return layout_; }

    // The hidden file commands (DEL, LOCK, SAVE, KML) and what they need from the window.
    void OnDelete();
    void OnUnlock();
    void OnSaveAs();
    void OnExportKml();
    void ShowProgress(int percent, const std::string& text) override;
    void HideProgress() override;
    bool AskOverwrite(const std::string& targetPath) override;
    // The rows selected in the list, as catalogue indices in catalogue order: the
    // recordings the file commands act on.
    std::vector<int> SelectedEntries() const;
    // The list's context menu, made afresh each time from the selection.
    std::unique_ptr<QMenu> MakeListMenu();
    void OnPlaySelected();
    void OnExportTracks(TrackFormat format);
    void OnShowInFileManager();
    // Writes an evidence folder for every selected recording into a folder the user
    // picks off the card, with a snapshot of the picture for the one being played.
    void OnExportEvidence();
    // Shown the progress window of the evidence export before its work starts; a seam
    // for tests.
    std::function<void(QProgressDialog&)> onEvidenceProgress;
    // What a file command did, with every file it could not handle.
    void ReportFileCommand(const QString& caption, const QString& done,
                           const std::vector<std::string>& failed);
    // Opens a folder in the desktop's file manager; a seam for tests.
    std::function<bool(const QUrl&)> openUrl;
    // Seams for tests: the message box (returns the button pressed), the folder
    // picker of SAVE and the documents folder of KML.
    std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString& caption,
                                              const QString& text,
                                              QMessageBox::StandardButtons buttons)>
        messageBox;
    std::function<QString(QWidget* owner, const QString& title)> pickFolder;
    QString documentsFolder;

    // Zoom, pan, snapshot and FLIP on the engine's picture.
    void ZoomAt(int delta, int x, int y);
    void PanStart(int x, int y);
    void PanMove(int x, int y, bool buttonHeld);
    void PanEnd();
    void OnSnapshot();
    void OnFlip();
    std::function<QString(QWidget* owner)> pickSnapshotFile;
    // The engine's picture as a PNG at path, with the play time, the clock, the speed
    // and the position written under it. False when the engine gave no picture.
    bool WriteEvidenceSnapshot(const QString& path);
    LayoutRect CurrentView() const { return viewRect_; }
    bool Flipped() const { return flipped_; }

    // What the play time drives.
    void SetHeading(int degrees) override { compass_->SetHeading(degrees); }
    void SetCompassBlank() override { compass_->SetIndex(0); }
    void SetSpeed(bool valid, std::uint16_t kmh) override { speed_->SetSpeed(valid, kmh); }
    bool SpeedShown(bool& valid, std::uint16_t& kmh) const override {
        valid = speed_->Model().Valid();
        kmh = speed_->Model().Speed();
        return true;
    }
    void RefreshValueTexts() override;
    CPngCompassStatic* Compass() const { return compass_; }

    // What a key of the window does (Keys.cpp); tests call it for the key's command.
    void RunKeyCommand(KeyCommand command);

  protected:
    // Every key pressed in this window, whichever child has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // The folder a file command writes into: the test hook when set, else the desktop's picker.
    QString PickFolder(const QString& title);
    // The same, for a command that writes into a folder that must already exist: a chosen
    // path that is no folder is told in a warning titled warningTitle. Empty when cancelled
    // or told.
    QString PickExistingFolder(const QString& title, const QString& warningTitle);
    CGdipButton* MakeButton(int id, int picture, int alternate = 0);
    void Place(QWidget* w, const LayoutRect& r);
    void RegisterTooltips();
    void ReadMapKind();
    void PlaceAtStart();
    void SavePlacement();
    void OnOpen();
    void OnConfig();
    void OnAbout();
    void ConnectFileCommands();
    void ConnectKeys();
    void ConnectListCommands();
    // Drags over the window and drops on it (Drops.cpp); true when the event was handled.
    bool HandleDrag(QEvent* event);
    QString SizeText(const std::vector<int>& entries) const;
    void ConnectPlayback();
    // A dead end or an engine error, in a message box.
    void TellUser(const QString& text);
    // The list's tooltip of a recording: its name and trip figures.
    QString TripToolTip(int entryIndex) const;
    QRect MonitorRect() const;
    QRect WorkArea() const;

    CLumSettings& settings_;
    std::unique_ptr<VlcPlayer> player_;
    RecordingCatalogue catalogue_;
    std::unique_ptr<CPlaybackController> playback_;
    CTesToolTipCtrl tooltips_;

    CVideoStaticBg* videoBackground_ = nullptr;
    CVideoStatic* videoSurface_ = nullptr;
    CScanPanel* scanPanel_ = nullptr;
    CGSensorCtrl* curve_ = nullptr;
    CHtmlMapDlg* map_ = nullptr;
    CLumFileListCtrl* fileList_ = nullptr;
    CVideoSlider* seekBar_ = nullptr;
    CMySliderControl* volume_ = nullptr;
    QLineEdit* volumeEdit_ = nullptr;
    CSpeedLabelStatic* speed_ = nullptr;
    CPngCompassStatic* compass_ = nullptr;
    CStatusBoardStatic* statusBoard_ = nullptr;
    CPngStatic* gpsIcon_ = nullptr;
    CPngStatic* logo_ = nullptr;
    CPngStatic* banner_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* timeText_ = nullptr;
    QLabel* values_[3] = {};
    std::map<int, CGdipButton*> buttons_;

    QString versionText_;
    MainLayout layout_;
    QSize lastLayoutSize_;
    QRect restoreRect_;
    bool maximised_ = false;
    bool fullScreen_ = false;
    bool minimisedByButton_ = false;
    bool aboutShown_ = false;
    bool mapEnabled_ = true;
    bool gsensorEnabled_ = true;
    int mapKind_ = 0;
    LayoutRect viewRect_;
    bool panning_ = false;
    QPoint panAnchor_;
    LayoutRect panAnchorView_;
    bool flipped_ = false;
};

}  // namespace lum
