// The file commands of the main window on the rows selected in the list: delete,
// unlock and save copies (also the hidden DEL, LOCK and SAVE buttons), and KML.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "CLumDlg.h"
#include "app/Messages.h"
#include "catalogue/FileOperations.h"
#include "catalogue/KmlExport.h"

namespace lum {

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

// Every file command starts here: with an empty list there is nothing to work on.
bool ReportEmptyList(CLumDlg& dlg) {
    if (!dlg.Catalogue().Entries().empty()) {
        return false;
    }
    dlg.messageBox(QMessageBox::NoIcon, Ui(145), Ui(136), QMessageBox::Ok);
    return true;
}

// The recordings a file command works on: the rows selected in the list. Empty, after telling
// the user why, when the list is empty or nothing is selected.
std::vector<int> EntriesToWorkOn(CLumDlg& dlg) {
    if (ReportEmptyList(dlg)) {
        return {};
    }
    std::vector<int> entries = dlg.SelectedEntries();
    if (entries.empty()) {
        dlg.messageBox(QMessageBox::NoIcon, Ui(144), Ui(135), QMessageBox::Ok);
    }
    return entries;
}

// The engine holds the current recording open, which would keep it from being deleted or
// copied whole. A stopped engine must not leave the PLAY button showing pause.
void StopPlayback(VlcPlayer& player, QWidget* surface, CPlaybackController& playback) {
    if (player.Playing()) {
        player.Stop();
        playback.ShowPlayAsPause(false);
    }
    surface->update();
}

}  // namespace

void CLumDlg::ConnectFileCommands() {
    connect(Button(IDC_DEL), &QAbstractButton::clicked, this, &CLumDlg::OnDelete);
    connect(Button(IDC_LOCK), &QAbstractButton::clicked, this, &CLumDlg::OnUnlock);
    connect(Button(IDC_SAVE), &QAbstractButton::clicked, this, &CLumDlg::OnSaveAs);
    connect(Button(IDC_KML), &QAbstractButton::clicked, this, &CLumDlg::OnExportKml);
}

void CLumDlg::OnDelete() {
    const std::vector<int> entries = EntriesToWorkOn(*this);
    if (entries.empty()) {
        return;
    }
    StopPlayback(*player_, videoSurface_, *playback_);
    const QString question = Ui(238).arg(entries.size()).arg(SizeText(entries));
    if (messageBox(QMessageBox::Question, Ui(128), question,
                   QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok) {
        return;
    }
    std::vector<std::string> failed;
    const int deleted = DeleteEntries(catalogue_, entries, &failed);
    ReportFileCommand(Ui(128), Ui(239).arg(deleted).arg(entries.size()), failed);
}

void CLumDlg::OnUnlock() {
    const std::vector<int> entries = EntriesToWorkOn(*this);
    if (entries.empty()) {
        return;
    }
    // The recording being played is let go before its name changes.
    if (std::binary_search(entries.begin(), entries.end(), playback_->Current())) {
        StopPlayback(*player_, videoSurface_, *playback_);
    }
    std::vector<std::string> failed;
    const int unlocked = UnlockEntries(catalogue_, entries, &failed);
    ReportFileCommand(Ui(194), Ui(240).arg(unlocked).arg(entries.size()), failed);
}

void CLumDlg::OnSaveAs() {
    const std::vector<int> entries = EntriesToWorkOn(*this);
    if (entries.empty()) {
        return;
    }
    StopPlayback(*player_, videoSurface_, *playback_);
    const QString chosen = PickExistingFolder(Ui(130), Ui(131));
    if (chosen.isEmpty()) {
        return;  // cancelled, or no folder
    }
    const CopyOutcome outcome = CopyEntries(catalogue_, entries, chosen.toStdString());
    ReportFileCommand(
        Ui(181),
        Ui(241).arg(outcome.copied).arg(entries.size()).arg(QDir::toNativeSeparators(chosen)),
        outcome.failed);
}

void CLumDlg::OnExportKml() {
    if (ReportEmptyList(*this)) {
        return;
    }
    const QString documents =
        documentsFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
            : documentsFolder;
    std::optional<std::string> written;
    // Without a documents folder the track would land below the file system's root.
    if (!documents.isEmpty()) {
        const KmlFolder folder = GetKmlFolder(documents.toStdString());
        written = ExportKml(catalogue_, folder.path);
    }
    if (written) {
        const QString path = QDir::toNativeSeparators(QString::fromStdString(*written));
        messageBox(QMessageBox::NoIcon, Ui(127), Ui(125).replace("%s", path), QMessageBox::Ok);
    } else {
        messageBox(QMessageBox::NoIcon, Ui(127), Ui(126).replace("%s", QString()), QMessageBox::Ok);
    }
}

QString CLumDlg::PickFolder(const QString& title) {
    return pickFolder ? pickFolder(this, title) : QFileDialog::getExistingDirectory(this, title);
}

QString CLumDlg::PickExistingFolder(const QString& title, const QString& warningTitle) {
    const QString chosen = PickFolder(title);
    if (!chosen.isEmpty() && !QFileInfo(chosen).isDir()) {
        messageBox(QMessageBox::Warning, warningTitle, Ui(132), QMessageBox::Ok);
        return {};
    }
    return chosen;
}

}  // namespace lum
