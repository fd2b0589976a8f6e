#include "catalogue/ui/CMediaOpenDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "catalogue/ui/DialogUnits.h"

namespace lum {

namespace {

// File systems reached over a network: a card reader is never one of them.
bool IsNetworkFileSystem(std::string_view type) {
    static constexpr std::string_view kNetwork[] = {"nfs", "nfs4", "cifs", "sshfs", "fuse.sshfs"};
    return type.starts_with("smb") || std::ranges::find(kNetwork, type) != std::end(kNetwork);
}

// Kernel, memory and desktop-session file systems that hold no recordings.
bool IsPseudoFileSystem(std::string_view type) {
    static constexpr std::string_view kPseudo[] = {
        "proc",      "sysfs",       "tmpfs",       "devtmpfs",       "devpts",     "overlay",
        "squashfs",  "cgroup",      "cgroup2",     "debugfs",        "securityfs", "pstore",
        "bpf",       "tracefs",     "configfs",    "fusectl",        "mqueue",     "hugetlbfs",
        "autofs",    "binfmt_misc", "efivarfs",    "ramfs",          "nsfs",       "rpc_pipefs",
        "selinuxfs", "rootfs",      "fuse.portal", "fuse.gvfsd-fuse"};
    return std::ranges::find(kPseudo, type) != std::end(kPseudo);
}

std::string_view TypeOf(const VolumeInfo& volume) {
    return {volume.fileSystemType.constData(),
            static_cast<std::size_t>(volume.fileSystemType.size())};
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

std::vector<VolumeInfo> MountedVolumes() {
    std::vector<VolumeInfo> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        volumes.push_back({storage.rootPath(), storage.name(), storage.fileSystemType(),
                           storage.isReady(), storage.isValid()});
    }
    return volumes;
}

bool IsListedVolume(const VolumeInfo& volume) {
    return volume.ready && volume.valid && !volume.mountPoint.isEmpty() &&
           !IsNetworkFileSystem(TypeOf(volume)) && !IsPseudoFileSystem(TypeOf(volume));
}

QString DriveEntryText(const VolumeInfo& volume) {
#ifdef Q_OS_WIN
    // A drive shows as its letter and colon.
    const QString root = volume.mountPoint.left(2);
#else
    const QString root = volume.mountPoint;
#endif
    if (volume.label.isEmpty()) {
        return root;
    }
    return root + QStringLiteral("    [") + volume.label + QLatin1Char(']');
}

std::vector<DriveEntry> DriveEntries(const std::vector<VolumeInfo>& volumes) {
    std::vector<DriveEntry> entries;
    for (const VolumeInfo& v : volumes) {
        if (IsListedVolume(v)) {
            entries.push_back({DriveEntryText(v), v.mountPoint});
        }
    }
    // A sorted drop-down list: without regard to case, ties broken by case so the
    // order does not depend on the order of mounting.
    std::stable_sort(entries.begin(), entries.end(), [](const DriveEntry& a, const DriveEntry& b) {
        const int folded = a.text.compare(b.text, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.text.compare(b.text, Qt::CaseSensitive) < 0;
    });
    return entries;
}

QString CMediaOpenDialog::SystemFilePicker(QWidget* owner) {
    return QFileDialog::getOpenFileName(owner);
}

CMediaOpenDialog::CMediaOpenDialog(QWidget* parent)
    : CMediaOpenDialog(MountedVolumes(), CLumSettings::Instance(), parent) {}

CMediaOpenDialog::CMediaOpenDialog(const std::vector<VolumeInfo>& volumes, CLumSettings& settings,
                                   QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      radios_(new QButtonGroup(this)),
      drives_(new QComboBox(this)),
      fileEdit_(new QLineEdit(this)),
      folderEdit_(new QLineEdit(this)) {
    const auto text = [this](int id) { return QString::fromStdString(settings_.LoadUiString(id)); };
    const auto place = [](QWidget* control, int id, QRect rect) {
        SetControlId(control, id);
        control->setGeometry(rect);
    };
    setFixedSize(DialogUnitsToPixelsX(kWidthUnits), DialogUnitsToPixelsY(kHeightUnits));
    setWindowTitle(text(104));

    auto* disk = new QRadioButton(text(111), this);
    place(disk, kIdRadioDisk, DialogRect(7, 29, 52, 10));
    place(drives_, kIdDriveCombo, DialogRect(61, 27, 92, 14));
    auto* file = new QRadioButton(text(113), this);
    place(file, kIdRadioFile, DialogRect(8, 52, 51, 10));
    place(fileEdit_, kIdFileEdit, DialogRect(61, 48, 264, 14));
    auto* fileBrowse = new QPushButton(QStringLiteral("..."), this);
    place(fileBrowse, kIdFileBrowse, DialogRect(326, 48, 24, 13));
    auto* folder = new QRadioButton(text(112), this);
    place(folder, kIdRadioFolder, DialogRect(7, 77, 53, 10));
    place(folderEdit_, kIdFolderEdit, DialogRect(61, 73, 264, 14));
    auto* folderBrowse = new QPushButton(QStringLiteral("..."), this);
    place(folderBrowse, kIdFolderBrowse, DialogRect(325, 73, 25, 13));
    auto* ok = new QPushButton(text(107), this);
    place(ok, kIdOk, DialogRect(246, 96, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(text(108), this);
    place(cancel, kIdCancel, DialogRect(300, 96, 50, 14));

    radios_->addButton(disk, kChoiceDisk);
    radios_->addButton(file, kChoiceFile);
    radios_->addButton(folder, kChoiceFolder);
    fileEdit_->setReadOnly(true);
    folderEdit_->setReadOnly(true);

    connect(fileBrowse, &QPushButton::clicked, this, &CMediaOpenDialog::OnBrowseFile);
    connect(folderBrowse, &QPushButton::clicked, this, &CMediaOpenDialog::OnBrowseFolder);
    connect(ok, &QPushButton::clicked, this, &CMediaOpenDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CMediaOpenDialog::reject);

    CheckRadio(kChoiceDisk);
    for (const DriveEntry& entry : DriveEntries(volumes)) {
        drives_->addItem(entry.text, entry.mountPoint);
    }
    // The drive with the highest letter: usually the card reader.
    drives_->setCurrentIndex(drives_->count() - 1);
    folderEdit_->setText(QString::fromStdString(settings_.ReadLastFolder()));
}

int CMediaOpenDialog::CheckedChoice() const {
    return radios_->checkedId();
}

void CMediaOpenDialog::CheckRadio(int choice) {
    radios_->button(choice)->setChecked(true);
    choice_.choice = choice;
}

void CMediaOpenDialog::OnBrowseFile() {
    const QString path = filePicker_ ? filePicker_(this) : QString();
    if (path.isEmpty()) {
        return;
    }
    choice_.filePath = ToUtf8(path);
    fileEdit_->setText(path);
    CheckRadio(kChoiceFile);
}

void CMediaOpenDialog::OnBrowseFolder() {
    CFolderDialog browser(this, QString::fromStdString(settings_.LoadUiString(130)),
                          QString::fromStdString(settings_.ReadLastFolder()), folderPicker_);
    if (browser.DoModal() != CFolderDialog::kOk) {
        // Cancelled: nothing chosen, and the remembered folder stays as it is.
        return;
    }
    choice_.folderPath = ToUtf8(browser.Path());
    folderEdit_->setText(browser.Path());
    CheckRadio(kChoiceFolder);
    // Remembered at once, so a cancelled open still brings the folder back next time.
    settings_.WriteLastFolder(QFileInfo::exists(browser.Path()) ? choice_.folderPath
                                                                : std::string());
}

void CMediaOpenDialog::accept() {
    choice_.choice = radios_->checkedId();
    const int selected = drives_->currentIndex();
#ifdef Q_OS_WIN
    choice_.drive = selected >= 0 ? ToUtf8(drives_->itemText(selected).left(2)) : std::string();
#else
    choice_.drive = selected >= 0 ? ToUtf8(drives_->itemData(selected).toString()) : std::string();
#endif
    choice_.folderPath = ToUtf8(folderEdit_->text());
    QDialog::accept();
}

}  // namespace lum
