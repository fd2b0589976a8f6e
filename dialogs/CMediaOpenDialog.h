// The media-open dialog: a drive, a single recording file or a folder, chosen with
// radio buttons; the remembered folder comes back.
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialogs/CFolderDialog.h"
#include "settings/CLumSettings.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;

namespace lum {

// One mounted file system as the mount table gives it.
struct VolumeInfo {
    QString mountPoint;
    QByteArray fileSystemType;
    // The block device behind it ("/dev/sdb1"), or the source a pseudo file system names.
    QByteArray device;
    QString label;
    // Mounted, readable and with media in it.
    bool ready = true;
    // The device says its medium can be taken out (a card reader, a USB stick).
    bool removable = false;
};

// The lines of /proc/self/mountinfo as volumes: mount point, file-system type and source;
// a line not of that form is left out.
std::vector<VolumeInfo> ParseMountInfo(std::string_view text);
// The machine's mounted file systems, unfiltered, each with its device's removable flag.
std::vector<VolumeInfo> MountedVolumes();
// A volume that can hold a camera's card: ready, local, a real file system, never the
// system's root, and removable or mounted where desktops mount media (/media, /run/media,
// /mnt).
bool IsListedVolume(const VolumeInfo& volume);
// "<mount point>    [<label>]", or the mount point alone when there is no label.
QString DriveEntryText(const VolumeInfo& volume);

struct DriveEntry {
    QString text;
    QString mountPoint;
};
// The listed volumes as drive entries, sorted as the drive box shows them.
std::vector<DriveEntry> DriveEntries(const std::vector<VolumeInfo>& volumes);

inline constexpr int kChoiceDisk = 0;
inline constexpr int kChoiceFile = 1;
inline constexpr int kChoiceFolder = 2;

// What the dialog hands back after OK; paths and the drive in UTF-8.
struct MediaChoice {
    int choice = kChoiceDisk;
    // The mount point of the chosen drive entry (on Windows its two-character drive).
    std::string drive;
    std::string filePath;
    std::string folderPath;
};

class CMediaOpenDialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 146;
    static constexpr int kIdRadioDisk = 1029;
    static constexpr int kIdRadioFile = 1030;
    static constexpr int kIdRadioFolder = 1031;
    static constexpr int kIdDriveCombo = 1033;
    static constexpr int kIdFileEdit = 1034;
    static constexpr int kIdFolderEdit = 1035;
    static constexpr int kIdFileBrowse = 1036;
    static constexpr int kIdFolderBrowse = 1037;
    static constexpr int kWidthUnits = 357;
    static constexpr int kHeightUnits = 117;

    // Shows a file-open dialog; an empty text means the user cancelled.
    using FilePicker = std::function<QString(QWidget* owner)>;
    // QFileDialog::getOpenFileName with no filter.
    static QString SystemFilePicker(QWidget* owner);
    // Tells the user why OK did not close the dialog.
    using Warning =
        std::function<void(QWidget* owner, const QString& caption, const QString& text)>;
    // A modal QMessageBox with the warning icon and an OK button.
    static void SystemWarning(QWidget* owner, const QString& caption, const QString& text);

    // Disk is checked when a volume is listed, otherwise Folder with the remembered folder.
    // The machine's volumes and the process-wide settings object.
    explicit CMediaOpenDialog(QWidget* parent = nullptr);
    CMediaOpenDialog(const std::vector<VolumeInfo>& volumes, CLumSettings& settings,
                     QWidget* parent = nullptr);

    // The browsers behind the two "..." buttons; tests give their own.
    void SetFilePicker(FilePicker picker) { filePicker_ = std::move(picker); }
    void SetFolderPicker(CFolderDialog::Picker picker) { folderPicker_ = std::move(picker); }
    void SetWarning(Warning warning) { warning_ = std::move(warning); }

    // Valid after the dialog was closed with OK.
    const MediaChoice& Choice() const { return choice_; }
    // The radio button checked now.
    int CheckedChoice() const;

    // Closes the dialog unless Folder is checked and its folder does not exist; then the
    // user is told so and the dialog stays open.
    void accept() override;

  private:
    void CheckRadio(int choice);
    void OnBrowseFile();
    void OnBrowseFolder();

    CLumSettings& settings_;
    FilePicker filePicker_ = SystemFilePicker;
    CFolderDialog::Picker folderPicker_ = CFolderDialog::SystemPicker;
    Warning warning_ = SystemWarning;
    QButtonGroup* radios_;
    QComboBox* drives_;
    QLineEdit* fileEdit_;
    QLineEdit* folderEdit_;
    MediaChoice choice_;
};

}  // namespace lum
