#include "dialogs/CMediaOpenDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <algorithm>
#include <iterator>
#include <string_view>

#include "dialogs/DialogUnits.h"

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

// Whether a mount point lies where desktops and users mount removable media.
bool IsUnderMediaFolder(const QString& mountPoint) {
    static const QString kFolders[] = {QStringLiteral("/media"), QStringLiteral("/run/media"),
                                       QStringLiteral("/mnt"), QStringLiteral("/Volumes")};
    for (const QString& folder : kFolders) {
        if (mountPoint == folder || mountPoint.startsWith(folder + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

// The kernel writes space, tab, newline and backslash in mount points as \ooo.
QString UnescapeMountField(std::string_view field) {
    const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return QString::fromStdString(out);
}

#ifdef Q_OS_LINUX
// A partition's removable flag is its disk's: /sys/class/block/sdb1 lies inside .../sdb/.
bool IsRemovableDevice(const QByteArray& device) {
    if (!device.startsWith("/dev/")) {
        return false;
    }
    const QString node = QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath();
    if (node.isEmpty()) {
        return false;
    }
    const QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(node).fileName())
                            .canonicalFilePath();
    if (sys.isEmpty()) {
        return false;
    }
    for (const QString& folder : {sys, QFileInfo(sys).path()}) {
        QFile flag(folder + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly) && flag.read(8).trimmed() == "1") {
            return true;
        }
    }
    return false;
}
#endif

}  // namespace

std::vector<VolumeInfo> ParseMountInfo(std::string_view text) {
    std::vector<VolumeInfo> volumes;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        std::vector<std::string_view> fields;
        for (std::size_t at = 0; at < line.size();) {
            const std::size_t next = std::min(line.find(' ', at), line.size());
            if (next > at) {
                fields.push_back(line.substr(at, next - at));
            }
            at = next + 1;
        }
        // id, parent, major:minor, root, mount point, options, optional fields, "-",
        // file-system type, source, super options.
        const auto dash = std::find(fields.begin() + std::min<std::size_t>(fields.size(), 6),
                                    fields.end(), std::string_view("-"));
        if (fields.size() < 6 || dash == fields.end() || fields.end() - dash < 3) {
            continue;
        }
        VolumeInfo v;
        v.mountPoint = UnescapeMountField(fields[4]);
        v.fileSystemType = QByteArray(dash[1].data(), static_cast<qsizetype>(dash[1].size()));
        v.device = UnescapeMountField(dash[2]).toLocal8Bit();
        volumes.push_back(std::move(v));
    }
    return volumes;
}

std::vector<VolumeInfo> MountedVolumes() {
    std::vector<VolumeInfo> volumes;
#ifdef Q_OS_LINUX
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (table.open(QIODevice::ReadOnly)) {
        const QByteArray text = table.readAll();
        volumes = ParseMountInfo({text.constData(), static_cast<std::size_t>(text.size())});
    }
    for (VolumeInfo& v : volumes) {
        v.removable = IsRemovableDevice(v.device);
        // Only volumes that may be listed are asked for their state: asking a network
        // mount whose server has gone away would block the window.
        v.ready = false;
        VolumeInfo candidate = v;
        candidate.ready = true;
        if (IsListedVolume(candidate)) {
            const QStorageInfo storage(v.mountPoint);
            v.label = storage.name();
            v.ready = storage.isValid() && storage.isReady();
        }
    }
#else
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        volumes.push_back({storage.rootPath(), storage.fileSystemType(), storage.device(),
                           storage.name(), storage.isValid() && storage.isReady(), false});
    }
#endif
    return volumes;
}

bool IsListedVolume(const VolumeInfo& volume) {
    if (!volume.ready || volume.mountPoint.isEmpty() || IsNetworkFileSystem(TypeOf(volume)) ||
        IsPseudoFileSystem(TypeOf(volume))) {
        return false;
    }
#ifdef Q_OS_WIN
    // Every local drive letter: removable, fixed, optical and RAM drives alike.
    return true;
#else
    // The system's root holds the system, never a card, and walking it would visit
    // everything.
    if (volume.mountPoint == QLatin1String("/")) {
        return false;
    }
    return volume.removable || IsUnderMediaFolder(volume.mountPoint);
#endif
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
    for (auto v = volumes.begin(); v != volumes.end(); ++v) {
        // A later mount on the same folder hides the earlier one.
        const bool hidden = std::any_of(v + 1, volumes.end(), [&](const VolumeInfo& later) {
            return later.mountPoint == v->mountPoint;
        });
        if (!hidden && IsListedVolume(*v)) {
            entries.push_back({DriveEntryText(*v), v->mountPoint});
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

void CMediaOpenDialog::SystemWarning(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::warning(owner, caption, text);
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
    UseTemplateFont(this);
    setWindowTitle(text(104));

    auto* disk = new QRadioButton(text(111), this);
    place(disk, kIdRadioDisk, DialogRect(7, 29, 52, 10));
    // As wide as the path boxes below it: a mount point is a path, not a drive letter.
    place(drives_, kIdDriveCombo, DialogRect(61, 27, 264, 14));
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

    for (const DriveEntry& entry : DriveEntries(volumes)) {
        drives_->addItem(entry.text, entry.mountPoint);
    }
    // The last entry: on Windows the highest drive letter, usually the card reader.
    drives_->setCurrentIndex(drives_->count() - 1);
    folderEdit_->setText(QString::fromStdString(settings_.ReadLastFolder()));
    // With no card to offer, Disk cannot be chosen and the remembered folder is the answer.
    const bool haveDrive = drives_->count() > 0;
    disk->setEnabled(haveDrive);
    drives_->setEnabled(haveDrive);
    CheckRadio(haveDrive ? kChoiceDisk : kChoiceFolder);
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
    const QString folder = folderEdit_->text();
    if (choice_.choice == kChoiceFolder && !QFileInfo(folder).isDir()) {
        // The missing folder by name, as the window names it; with none chosen, the
        // plain sentence.
        const QString text =
            folder.isEmpty() ? QString::fromStdString(settings_.LoadUiString(132))
                             : QString::fromStdString(settings_.LoadUiString(201))
                                   .replace(QLatin1String("%s"), QDir::toNativeSeparators(folder));
        if (warning_) {
            warning_(this, QString::fromStdString(settings_.LoadUiString(131)), text);
        }
        return;
    }
    QDialog::accept();
}

}  // namespace lum
