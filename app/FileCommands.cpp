// The hidden file commands of the main window: DEL, LOCK, SAVE and KML.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

#include "CLumDlg.h"
#include "app/Messages.h"
#include "catalogue/FileOperations.h"
#include "catalogue/KmlExport.h"

namespace lum {

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

// A failed copy must not pass for a done one; a long list is cut so the box fits on screen.
QString NotCopiedText(const std::vector<std::string>& failed) {
    constexpr std::size_t kListed = 20;
    QString text = QStringLiteral("These files could not be copied:");
    for (std::size_t i = 0; i < failed.size() && i < kListed; ++i) {
        text += QLatin1Char('\n') + QDir::toNativeSeparators(QString::fromStdString(failed[i]));
    }
    if (failed.size() > kListed) {
        text += QStringLiteral("\n... and %1 more.").arg(failed.size() - kListed);
    }
    return text;
}

// Every file command starts here: with an empty list there is nothing to work on.
bool ReportEmptyList(CLumDlg& dlg) {
    if (!dlg.Catalogue().entries.empty()) {
        return false;
    }
    dlg.messageBox(QMessageBox::NoIcon, Ui(145), Ui(136), QMessageBox::Ok);
    return true;
}

void ReportNothingSelected(CLumDlg& dlg) {
    dlg.messageBox(QMessageBox::NoIcon, Ui(144), Ui(135), QMessageBox::Ok);
}

// The engine holds the current recording open, which would keep it from being deleted or
// copied whole. True when playback was stopped.
bool StopPlayback(VlcPlayer& player, QWidget* surface) {
    const bool playing = player.Playing();
    if (playing) {
        player.Stop();
    }
    surface->update();
    return playing;
}

}  // namespace

void CLumDlg::ConnectFileCommands() {
    connect(Button(IDC_DEL), &QAbstractButton::clicked, this, &CLumDlg::OnDelete);
    connect(Button(IDC_LOCK), &QAbstractButton::clicked, this, &CLumDlg::OnUnlock);
    connect(Button(IDC_SAVE), &QAbstractButton::clicked, this, &CLumDlg::OnSaveAs);
    connect(Button(IDC_KML), &QAbstractButton::clicked, this, &CLumDlg::OnExportKml);
}

void CLumDlg::OnDelete() {
    if (ReportEmptyList(*this)) {
        return;
    }
    if (StopPlayback(*player_, videoSurface_)) {
        playback_->ShowPlayAsPause(
            false);  // a stopped engine must not leave the PLAY button showing pause
    }
    if (messageBox(QMessageBox::NoIcon, Ui(128), Ui(129), QMessageBox::Ok | QMessageBox::Cancel) !=
        QMessageBox::Ok) {
        return;
    }
    if (!DeleteSelected(catalogue_, groupSelection)) {
        ReportNothingSelected(*this);
    }
}

void CLumDlg::OnUnlock() {
    if (ReportEmptyList(*this)) {
        return;
    }
    if (!UnlockSelected(catalogue_, groupSelection)) {
        ReportNothingSelected(*this);
    }
}

void CLumDlg::OnSaveAs() {
    if (ReportEmptyList(*this)) {
        return;
    }
    if (StopPlayback(*player_, videoSurface_)) {
        playback_->ShowPlayAsPause(
            false);  // a stopped engine must not leave the PLAY button showing pause
    }
    if (!pickFolder) {
        pickFolder = [](QWidget* owner, const QString& title) {
            return QFileDialog::getExistingDirectory(owner, title);
        };
    }
    const QString chosen = pickFolder(this, Ui(130));
    if (chosen.isEmpty()) {
        return;  // cancelled
    }
    if (!QFileInfo(chosen).isDir()) {
        messageBox(QMessageBox::Warning, Ui(131), Ui(132), QMessageBox::Ok);
        return;
    }
    const CopyOutcome outcome = CopySelected(catalogue_, groupSelection, chosen.toStdString());
    if (!outcome.anySelected) {
        ReportNothingSelected(*this);
    } else if (!outcome.failed.empty()) {
        messageBox(QMessageBox::Warning, Ui(131), NotCopiedText(outcome.failed), QMessageBox::Ok);
    }
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

}  // namespace lum
