// The media-open dialog offscreen: the drive list from a given mount table, the two
// browse buttons with pickers standing in for the file dialogs, the remembered folder,
// the warning that keeps the dialog open and what OK hands back.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "dialogs/CMediaOpenDialog.h"
#include "dialogs/DialogUnits.h"
#include "tests/support/TextFits.h"

using namespace lum;
using D = CMediaOpenDialog;

Q_DECLARE_METATYPE(std::vector<lum::VolumeInfo>)

namespace {

VolumeInfo Volume(const char* mountPoint, const char* label, const char* type,
                  bool removable = false, bool ready = true) {
    return {QString::fromUtf8(mountPoint), type,  "/dev/sdb1",
            QString::fromUtf8(label),      ready, removable};
}

struct Warned {
    QWidget* owner;
    QString caption;
    QString text;
};

template <class T>
T* Control(const QWidget& dialog, int id) {
    return qobject_cast<T*>(FindControl(&dialog, id));
}

QStringList Entries(const QWidget& dialog) {
    QStringList texts;
    const QComboBox* box = Control<QComboBox>(dialog, D::kIdDriveCombo);
    for (int i = 0; i < box->count(); ++i) {
        texts << box->itemText(i);
    }
    return texts;
}

void Click(const QWidget& dialog, int id) {
    Control<QPushButton>(dialog, id)->click();
}

}  // namespace

class MediaOpenDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<CLumSettings> settings_;

    QString Ini() const { return dir_.filePath("Lum.ini"); }
    // What another process would read from the settings file now.
    std::string StoredFolder() const {
        return CLumSettings(dir_.path().toStdString()).ReadTextSetting("UI", "Folder", "<none>");
    }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void init() {
        QFile::remove(Ini());
        settings_ = std::make_unique<CLumSettings>(dir_.path().toStdString());
    }

    void controlsAndTexts() {
        D dialog({Volume("/media/user/DVR", "DVR", "vfat")}, *settings_);
        QCOMPARE(dialog.size(), QSize(536, 190));
        QCOMPARE(dialog.windowTitle(), QString("Select a media"));
        const QList<std::pair<int, QString>> texts{
            {D::kIdRadioDisk, "Disk"},     {D::kIdRadioFile, "File"},
            {D::kIdRadioFolder, "Folder"}, {kIdOk, "OK"},
            {kIdCancel, "Cancel"},         {D::kIdFileBrowse, "..."},
            {D::kIdFolderBrowse, "..."}};
        for (const auto& [id, text] : texts) {
            const auto* button = Control<QAbstractButton>(dialog, id);
            QVERIFY2(button != nullptr, qPrintable(QString::number(id)));
            QCOMPARE(button->text(), text);
        }
        QCOMPARE(Control<QWidget>(dialog, D::kIdFileEdit)->geometry(), QRect(92, 78, 396, 23));
        QCOMPARE(Control<QWidget>(dialog, D::kIdFolderBrowse)->geometry(), QRect(488, 119, 38, 21));
        QVERIFY(Control<QLineEdit>(dialog, D::kIdFileEdit)->isReadOnly());
        QVERIFY(Control<QLineEdit>(dialog, D::kIdFolderEdit)->isReadOnly());
        QVERIFY(Control<QPushButton>(dialog, kIdOk)->isDefault());
        QVERIFY(Control<QRadioButton>(dialog, D::kIdRadioDisk)->isChecked());
        QCOMPARE(dialog.CheckedChoice(), kChoiceDisk);
    }

    void textsFitTheirControls_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << kLanguageEnglish;
        QTest::newRow("Japanese") << kLanguageJapanese;
    }
    void textsFitTheirControls() {
        QFETCH(int, language);
        settings_->SetLanguage(language);
        D dialog({Volume("/media/user/DVR", "DVR", "vfat")}, *settings_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList misfits = test::TextsThatDoNotFit(dialog);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join("; ")));
    }

    void textsInJapanese() {
        settings_->SetLanguage(kLanguageJapanese);
        D dialog({}, *settings_);
        QCOMPARE(dialog.windowTitle(), QString("メディアを選択"));
        QCOMPARE(Control<QRadioButton>(dialog, D::kIdRadioFolder)->text(), QString("フォルダー"));
        QCOMPARE(Control<QPushButton>(dialog, kIdCancel)->text(), QString("キャンセル"));
    }

    void driveList_data() {
        QTest::addColumn<std::vector<VolumeInfo>>("volumes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("drive");
        QTest::newRow("card reader after a stick, sorted; root and system folders left out")
            << std::vector{Volume("/", "", "ext4"), Volume("/media/user/DVR", "DVR", "vfat"),
                           Volume("/boot", "", "ext4"), Volume("/home", "", "ext4"),
                           Volume("/media/user/AUX", "", "exfat")}
            << QStringList{"/media/user/AUX", "/media/user/DVR    [DVR]"} << "/media/user/DVR";
        QTest::newRow("the usual mount folders, and a removable device mounted elsewhere")
            << std::vector{Volume("/run/media/user/CARD", "CARD", "vfat"),
                           Volume("/mnt", "", "exfat"),
                           Volume("/mnt/sd", "", "vfat"),
                           Volume("/srv/reader", "", "vfat", true),
                           Volume("/mnted", "", "vfat"),
                           Volume("/media2/x", "", "vfat")}
            << QStringList{"/mnt", "/mnt/sd", "/run/media/user/CARD    [CARD]", "/srv/reader"}
            << "/srv/reader";
        QTest::newRow("root is never a card, even on a removable device")
            << std::vector{Volume("/", "LIVE", "ext4", true)} << QStringList{} << "";
        QTest::newRow("pseudo, network and unready volumes are never listed")
            << std::vector{Volume("/proc", "", "proc"),
                           Volume("/sys", "", "sysfs"),
                           Volume("/dev", "", "devtmpfs"),
                           Volume("/media/user/RAM", "", "tmpfs"),
                           Volume("/mnt/ramfs", "", "ramfs"),
                           Volume("/mnt/cg", "", "cgroup2"),
                           Volume("/mnt/snap", "", "squashfs", true),
                           Volume("/mnt/ovl", "", "overlay"),
                           Volume("/mnt/auto", "", "autofs"),
                           Volume("/mnt/fmt", "", "binfmt_misc"),
                           Volume("/mnt/ns", "", "nsfs"),
                           Volume("/mnt/nas", "NAS", "nfs"),
                           Volume("/mnt/nas4", "NAS", "nfs4"),
                           Volume("/mnt/win", "", "cifs"),
                           Volume("/mnt/smb", "", "smb3"),
                           Volume("/mnt/ssh", "", "fuse.sshfs"),
                           Volume("/mnt/ssh2", "", "sshfs"),
                           Volume("/media/user/EMPTY", "CARD", "vfat", true, false),
                           Volume("/media/user/NTFS", "", "fuseblk")}
            << QStringList{"/media/user/NTFS"} << "/media/user/NTFS";
        QTest::newRow("a later mount on the same folder hides the earlier one")
            << std::vector{Volume("/media/user/DVR", "OLD", "vfat"),
                           Volume("/media/user/DVR", "NEW", "exfat")}
            << QStringList{"/media/user/DVR    [NEW]"} << "/media/user/DVR";
        QTest::newRow("a mount point with spaces and a Japanese label")
            << std::vector{Volume("/media/user/My Card", "ドラレコ", "exfat")}
            << QStringList{"/media/user/My Card    [ドラレコ]"} << "/media/user/My Card";
        QTest::newRow("sorted without regard to case")
            << std::vector{Volume("/media/b", "", "vfat"), Volume("/media/A", "", "vfat")}
            << QStringList{"/media/A", "/media/b"} << "/media/b";
    }
    void driveList() {
        QFETCH(std::vector<VolumeInfo>, volumes);
        QFETCH(QStringList, entries);
        QFETCH(QString, drive);
        D dialog(volumes, *settings_);
        QCOMPARE(Entries(dialog), entries);
        const auto* box = Control<QComboBox>(dialog, D::kIdDriveCombo);
        QCOMPARE(box->currentIndex(), int(entries.size()) - 1);
        const bool haveDrive = !entries.isEmpty();
        QCOMPARE(Control<QRadioButton>(dialog, D::kIdRadioDisk)->isEnabled(), haveDrive);
        QCOMPARE(dialog.CheckedChoice(), haveDrive ? kChoiceDisk : kChoiceFolder);
        if (!haveDrive) {
            return;
        }
        Click(dialog, kIdOk);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Choice().choice, kChoiceDisk);
        QCOMPARE(QString::fromStdString(dialog.Choice().drive), drive);
    }

    void mountTable_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("volumes");
        QTest::newRow("root, pseudo and a card with optional fields")
            << QByteArray(
                   "29 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                   "22 29 0:21 / /proc rw,nosuid - proc proc rw\n"
                   "91 29 8:17 / /media/user/DVR rw shared:40 master:3 - vfat /dev/sdb1 "
                   "rw,fmask=0022\n")
            << QStringList{"/|ext4|/dev/sda2", "/proc|proc|proc", "/media/user/DVR|vfat|/dev/sdb1"};
        QTest::newRow("escaped space, tab, backslash and a UTF-8 name")
            << QByteArray(
                   "91 29 8:17 / /media/u/My\\040Card\\011x\\134y rw - exfat /dev/sdb1 rw\n"
                   "92 29 8:18 / /media/u/\xe3\x83\x89 rw - vfat /dev/sdc1 rw")
            << QStringList{"/media/u/My Card\tx\\y|exfat|/dev/sdb1", "/media/u/ド|vfat|/dev/sdc1"};
        QTest::newRow("malformed lines are left out")
            << QByteArray(
                   "\n"
                   "garbage\n"
                   "1 2 3:4 / /a rw\n"
                   "1 2 3:4 / /b rw - vfat\n"
                   "1 2 3:4 / /c rw -\n"
                   "1 2 3:4 / - rw x\n"
                   "91 29 8:17 / /mnt/ok rw - vfat /dev/sdb1 rw")
            << QStringList{"/mnt/ok|vfat|/dev/sdb1"};
        QTest::newRow("a trailing escape that is cut short stays as it is")
            << QByteArray("91 29 8:17 / /mnt/a\\04 rw - vfat /dev/sdb1 rw")
            << QStringList{"/mnt/a\\04|vfat|/dev/sdb1"};
    }
    void mountTable() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, volumes);
        QStringList parsed;
        for (const VolumeInfo& v :
             ParseMountInfo({text.constData(), static_cast<std::size_t>(text.size())})) {
            parsed << v.mountPoint + "|" + v.fileSystemType + "|" +
                          QString::fromLocal8Bit(v.device);
        }
        QCOMPARE(parsed, volumes);
    }

    void noCardChecksFolderWithTheRememberedFolder() {
        QTemporaryDir remembered;
        settings_->WriteLastFolder(remembered.path().toStdString());
        D dialog({Volume("/", "", "ext4"), Volume("/proc", "", "proc")}, *settings_);
        QCOMPARE(dialog.CheckedChoice(), kChoiceFolder);
        QVERIFY(!Control<QComboBox>(dialog, D::kIdDriveCombo)->isEnabled());
        QCOMPARE(Control<QLineEdit>(dialog, D::kIdFolderEdit)->text(), remembered.path());
        Click(dialog, kIdOk);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Choice().choice, kChoiceFolder);
        QCOMPARE(QString::fromStdString(dialog.Choice().folderPath), remembered.path());
    }

    void okOnAMissingFolderWarnsAndStaysOpen_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("none");
        QTest::newRow("English") << kLanguageEnglish << "Warning"
                                 << "%1 does not exist."
                                 << "Folder is not exist.";
        QTest::newRow("Japanese") << kLanguageJapanese << "警告"
                                  << "%1 が見つかりません。"
                                  << "フォルダーが存在しません。";
    }
    void okOnAMissingFolderWarnsAndStaysOpen() {
        QFETCH(int, language);
        QFETCH(QString, caption);
        QFETCH(QString, missing);
        QFETCH(QString, none);
        settings_->SetLanguage(language);
        auto gone = std::make_unique<QTemporaryDir>();
        settings_->WriteLastFolder(gone->path().toStdString());
        D dialog({}, *settings_);
        QList<Warned> warned;
        dialog.SetWarning([&](QWidget* owner, const QString& c, const QString& t) {
            warned.append({owner, c, t});
        });
        const QString path = gone->path();
        QCOMPARE(Control<QLineEdit>(dialog, D::kIdFolderEdit)->text(), path);
        gone.reset();  // the folder disappears while the dialog is open
        dialog.open();
        Click(dialog, kIdOk);
        QCOMPARE(warned.size(), 1);
        QCOMPARE(warned[0].owner, &dialog);
        QCOMPARE(warned[0].caption, caption);
        QCOMPARE(warned[0].text, missing.arg(QDir::toNativeSeparators(path)));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        // An empty folder box is no folder either.
        dialog.SetFolderPicker([](QWidget*, const QString&, const QUrl&) { return QUrl(); });
        Control<QLineEdit>(dialog, D::kIdFolderEdit)->clear();
        Click(dialog, kIdOk);
        QCOMPARE(warned.size(), 2);
        QCOMPARE(warned[1].text, none);
        QVERIFY(dialog.isVisible());

        // A folder that exists closes it.
        QTemporaryDir here;
        dialog.SetFolderPicker([&](QWidget*, const QString&, const QUrl&) {
            return QUrl::fromLocalFile(here.path());
        });
        Click(dialog, D::kIdFolderBrowse);
        Click(dialog, kIdOk);
        QCOMPARE(warned.size(), 2);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Choice().folderPath, QDir::toNativeSeparators(here.path()).toStdString());
    }

    void fileBrowseSwitchesToFileAndDiskCanBeCheckedAgain() {
        D dialog({Volume("/media/user/DVR", "DVR", "vfat")}, *settings_);
        QString answer;
        int asked = 0;
        dialog.SetFilePicker([&](QWidget* owner) {
            ++asked;
            return owner == &dialog ? answer : QString();
        });
        // Cancelled: nothing changes.
        Click(dialog, D::kIdFileBrowse);
        QCOMPARE(asked, 1);
        QCOMPARE(dialog.CheckedChoice(), kChoiceDisk);
        QCOMPARE(Control<QLineEdit>(dialog, D::kIdFileEdit)->text(), QString());

        answer = "/media/user/DVR/DCIM/FILE140101-123456.MOV";
        Click(dialog, D::kIdFileBrowse);
        QCOMPARE(Control<QLineEdit>(dialog, D::kIdFileEdit)->text(), answer);
        QCOMPARE(dialog.CheckedChoice(), kChoiceFile);
        QVERIFY(Control<QRadioButton>(dialog, D::kIdRadioFile)->isChecked());
        QVERIFY(!Control<QRadioButton>(dialog, D::kIdRadioDisk)->isChecked());

        // The user goes back to Disk: the file stays filled in but Disk is the answer.
        Control<QRadioButton>(dialog, D::kIdRadioDisk)->click();
        Click(dialog, kIdOk);
        const MediaChoice& choice = dialog.Choice();
        QCOMPARE(choice.choice, kChoiceDisk);
        QCOMPARE(choice.drive, std::string("/media/user/DVR"));
        QCOMPARE(QString::fromStdString(choice.filePath), answer);
    }

    void fileChoiceComesBackAfterOk() {
        D dialog({}, *settings_);
        dialog.SetFilePicker([](QWidget*) { return QString("/card/ドラレコ/FILE1.MP4"); });
        Click(dialog, D::kIdFileBrowse);
        Click(dialog, kIdOk);
        QCOMPARE(dialog.Choice().choice, kChoiceFile);
        QCOMPARE(dialog.Choice().filePath, std::string("/card/ドラレコ/FILE1.MP4"));
        QCOMPARE(dialog.Choice().drive, std::string());
    }

    void folderBrowseIsRememberedAtOnce() {
        QTemporaryDir first;
        QTemporaryDir second;
        settings_->WriteLastFolder(first.path().toStdString());
        D dialog({Volume("/media/user/DVR", "DVR", "vfat")}, *settings_);
        auto* edit = Control<QLineEdit>(dialog, D::kIdFolderEdit);
        QCOMPARE(edit->text(), first.path());

        QString title;
        QUrl initial;
        QUrl answer = QUrl::fromLocalFile(second.path());
        dialog.SetFolderPicker([&](QWidget*, const QString& t, const QUrl& i) {
            title = t;
            initial = i;
            return answer;
        });
        Click(dialog, D::kIdFolderBrowse);
        QCOMPARE(title, QString("Select a folder"));
        QCOMPARE(initial, QUrl::fromLocalFile(first.path()));
        QCOMPARE(edit->text(), QDir::toNativeSeparators(second.path()));
        QCOMPARE(dialog.CheckedChoice(), kChoiceFolder);
        // Written before the dialog closes, so even a cancelled open remembers it.
        QCOMPARE(StoredFolder(), QDir::toNativeSeparators(second.path()).toStdString());
        Click(dialog, kIdCancel);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(StoredFolder(), QDir::toNativeSeparators(second.path()).toStdString());

        // The next opening shows it and starts the browser there.
        D again({Volume("/media/user/DVR", "DVR", "vfat")}, *settings_);
        QCOMPARE(Control<QLineEdit>(again, D::kIdFolderEdit)->text(),
                 QDir::toNativeSeparators(second.path()));
        QCOMPARE(again.CheckedChoice(), kChoiceDisk);
        again.SetFolderPicker([&](QWidget*, const QString&, const QUrl& i) {
            initial = i;
            return QUrl();
        });
        Click(again, D::kIdFolderBrowse);
        QCOMPARE(initial, QUrl::fromLocalFile(second.path()));
        Click(again, kIdOk);
        QCOMPARE(again.Choice().choice, kChoiceDisk);
        QCOMPARE(again.Choice().folderPath, QDir::toNativeSeparators(second.path()).toStdString());
    }

    void folderBrowseOutcomes_data() {
        QTest::addColumn<QUrl>("answer");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::newRow("cancelled") << QUrl() << false << "<kept>";
        QTest::newRow("not a file-system folder") << QUrl("sftp://host/DCIM") << false << "<kept>";
        QTest::newRow("a folder that does not exist")
            << QUrl::fromLocalFile("/nonexistent/lum/DCIM") << true << "";
    }
    void folderBrowseOutcomes() {
        QFETCH(QUrl, answer);
        QFETCH(bool, chosen);
        QFETCH(QString, stored);
        QTemporaryDir remembered;
        settings_->WriteLastFolder(remembered.path().toStdString());
        D dialog({Volume("/media/user/DVR", "DVR", "vfat")}, *settings_);
        dialog.SetFolderPicker([&](QWidget*, const QString&, const QUrl&) { return answer; });
        Click(dialog, D::kIdFolderBrowse);
        const QString shown = Control<QLineEdit>(dialog, D::kIdFolderEdit)->text();
        QCOMPARE(shown,
                 chosen ? QDir::toNativeSeparators(answer.toLocalFile()) : remembered.path());
        QCOMPARE(dialog.CheckedChoice(), chosen ? kChoiceFolder : kChoiceDisk);
        const std::string expected =
            stored == "<kept>" ? remembered.path().toStdString() : stored.toStdString();
        QCOMPARE(StoredFolder(), expected);
    }

    void machineVolumesAreFoldersAndNeverTheRoot() {
        const std::vector<VolumeInfo> volumes = MountedVolumes();
        // Every machine mounts its root; the mount table was read.
        QVERIFY(std::any_of(volumes.begin(), volumes.end(),
                            [](const VolumeInfo& v) { return v.mountPoint == "/"; }));
        for (const DriveEntry& entry : DriveEntries(volumes)) {
            QVERIFY2(QFileInfo(entry.mountPoint).isDir(), qPrintable(entry.mountPoint));
            QVERIFY(entry.text.startsWith(entry.mountPoint));
            QVERIFY(entry.mountPoint != "/");
        }
    }

    void vanishedRememberedFolderShowsEmpty() {
        settings_->WriteLastFolder("/nonexistent/lum/DCIM");
        D dialog({}, *settings_);
        QCOMPARE(Control<QLineEdit>(dialog, D::kIdFolderEdit)->text(), QString());
    }

    void folderDialogAnswers_data() {
        QTest::addColumn<QUrl>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("path");
        QTest::newRow("chosen") << QUrl::fromLocalFile("/media/user/DVR") << CFolderDialog::kOk
                                << QDir::toNativeSeparators("/media/user/DVR");
        QTest::newRow("cancelled") << QUrl() << CFolderDialog::kCancelled << QString();
        QTest::newRow("no file-system path")
            << QUrl("smb://nas/share") << CFolderDialog::kNoFileSystemPath << QString();
    }
    void folderDialogAnswers() {
        QFETCH(QUrl, answer);
        QFETCH(int, result);
        QFETCH(QString, path);
        QWidget owner;
        QWidget* seenOwner = nullptr;
        CFolderDialog browser(&owner, "Select a folder", "",
                              [&](QWidget* o, const QString&, const QUrl& initial) {
                                  seenOwner = o;
                                  return initial.isEmpty() ? answer : QUrl();
                              });
        QCOMPARE(browser.DoModal(), result);
        QCOMPARE(browser.Path(), path);
        QCOMPARE(seenOwner, &owner);
    }
};

QTEST_MAIN(MediaOpenDialogTest)
#include "MediaOpenDialogTest.moc"
