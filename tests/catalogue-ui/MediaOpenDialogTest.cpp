// The media-open dialog offscreen: the drive list from a given set of volumes, the two
// browse buttons with pickers standing in for the file dialogs, the remembered folder
// and what OK hands back.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "catalogue/ui/CMediaOpenDialog.h"
#include "catalogue/ui/DialogUnits.h"

using namespace lum;
using D = CMediaOpenDialog;

Q_DECLARE_METATYPE(std::vector<lum::VolumeInfo>)

namespace {

VolumeInfo Volume(const char* mountPoint, const char* label, const char* type, bool ready = true,
                  bool valid = true) {
    return {mountPoint, QString::fromUtf8(label), type, ready, valid};
}

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
        D dialog({}, *settings_);
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
        QTest::newRow("card reader E: after disk C:")
            << std::vector{Volume("E:", "DVR", "vfat"), Volume("C:", "OS", "ntfs")}
            << QStringList{"C:    [OS]", "E:    [DVR]"} << "E:";
        QTest::newRow("empty label: the mount point alone")
            << std::vector{Volume("D:", "", "exfat"), Volume("C:", "OS", "ntfs")}
            << QStringList{"C:    [OS]", "D:"} << "D:";
        QTest::newRow("mount points; network, pseudo, not ready and invalid skipped")
            << std::vector{Volume("/media/user/DVR", "DVR", "vfat"),
                           Volume("/", "", "ext4"),
                           Volume("/proc", "", "proc"),
                           Volume("/sys", "", "sysfs"),
                           Volume("/run", "", "tmpfs"),
                           Volume("/dev", "", "devtmpfs"),
                           Volume("/snap/core/1", "", "squashfs"),
                           Volume("/var/lib/docker/x", "", "overlay"),
                           Volume("/mnt/nas", "NAS", "nfs"),
                           Volume("/mnt/nas4", "NAS", "nfs4"),
                           Volume("/mnt/win", "", "cifs"),
                           Volume("/mnt/smb", "", "smb3"),
                           Volume("/mnt/ssh", "", "fuse.sshfs"),
                           Volume("/mnt/ssh2", "", "sshfs"),
                           Volume("/media/user/EMPTY", "CARD", "vfat", false),
                           Volume("/media/user/GONE", "CARD", "vfat", true, false)}
            << QStringList{"/", "/media/user/DVR    [DVR]"} << "/media/user/DVR";
        QTest::newRow("a mount point with spaces and a Japanese label")
            << std::vector{Volume("/media/user/My Card", "ドラレコ", "exfat"),
                           Volume("/boot", "", "ext4")}
            << QStringList{"/boot", "/media/user/My Card    [ドラレコ]"} << "/media/user/My Card";
        QTest::newRow("sorted without regard to case")
            << std::vector{Volume("/media/b", "", "vfat"), Volume("/media/A", "", "vfat")}
            << QStringList{"/media/A", "/media/b"} << "/media/b";
        QTest::newRow("no usable volume")
            << std::vector{Volume("/proc", "", "proc")} << QStringList{} << "";
    }
    void driveList() {
        QFETCH(std::vector<VolumeInfo>, volumes);
        QFETCH(QStringList, entries);
        QFETCH(QString, drive);
        D dialog(volumes, *settings_);
        QCOMPARE(Entries(dialog), entries);
        const auto* box = Control<QComboBox>(dialog, D::kIdDriveCombo);
        QCOMPARE(box->currentIndex(), int(entries.size()) - 1);
        Click(dialog, kIdOk);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Choice().choice, kChoiceDisk);
        QCOMPARE(QString::fromStdString(dialog.Choice().drive), drive);
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
        D dialog({Volume("C:", "OS", "ntfs")}, *settings_);
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
        D again({}, *settings_);
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
        D dialog({}, *settings_);
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

    void machineVolumesAreFolders() {
        for (const DriveEntry& entry : DriveEntries(MountedVolumes())) {
            QVERIFY2(QFileInfo(entry.mountPoint).isDir(), qPrintable(entry.mountPoint));
            QVERIFY(entry.text.startsWith(entry.mountPoint));
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
