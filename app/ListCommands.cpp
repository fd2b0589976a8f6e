// The recording list's context menu and the commands on the rows selected in it:
// play, export the tracks or the evidence, save copies, unlock, delete, show in the file manager.
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QUrl>
#include <algorithm>

#include "app/CLumDlg.h"
#include "catalogue/TrackExport.h"
#include "dialogs/CLumFileListCtrl.h"
#include "recordings/Paths.h"

namespace lum {

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

struct TrackMenuItem {
    const char* name;
    const char* label;
    TrackFormat format;
};
constexpr TrackMenuItem kTrackItems[] = {
    {"export-gpx", "GPX...", TrackFormat::kGpx},
    {"export-kml", "KML...", TrackFormat::kKml},
    {"export-csv", "CSV...", TrackFormat::kCsv},
    {"export-geojson", "GeoJSON...", TrackFormat::kGeoJson},
};

}  // namespace

std::vector<int> CLumDlg::SelectedEntries() const {
    std::vector<int> entries;
    const int count = static_cast<int>(catalogue_.Entries().size());
    for (const QModelIndex& row : fileList_->selectionModel()->selectedRows()) {
        const int entry = fileList_->ItemDataOf(row.row());
        if (entry >= 0 && entry < count) {
            entries.push_back(entry);
        }
    }
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    return entries;
}

void CLumDlg::ConnectListCommands() {
    fileList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fileList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const std::unique_ptr<QMenu> menu = MakeListMenu();
        menu->exec(fileList_->viewport()->mapToGlobal(at));
    });
}

// Every command of the menu is made here, in the order shown; each action is named so
// that tests and later commands find it.
std::unique_ptr<QMenu> CLumDlg::MakeListMenu() {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName("listMenu");
    const bool any = !SelectedEntries().empty();
    const auto add = [&](QMenu* into, const char* name, const QString& text, auto handler) {
        QAction* action = into->addAction(text);
        action->setObjectName(name);
        action->setEnabled(any);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add(menu.get(), "play", Ui(232), [this] { OnPlaySelected(); });
    QMenu* tracks = menu->addMenu(Ui(233));
    tracks->setObjectName("export");
    tracks->setEnabled(any);
    for (const TrackMenuItem& item : kTrackItems) {
        add(tracks, item.name, QString::fromLatin1(item.label),
            [this, format = item.format] { OnExportTracks(format); });
    }
    add(menu.get(), "evidence", Ui(275), [this] { OnExportEvidence(); });
    menu->addSeparator();
    add(menu.get(), "save", Ui(234), [this] { OnSaveAs(); });
    add(menu.get(), "unlock", Ui(235), [this] { OnUnlock(); });
    add(menu.get(), "delete", Ui(236), [this] { OnDelete(); });
    menu->addSeparator();
    add(menu.get(), "show", Ui(237), [this] { OnShowInFileManager(); });
    return menu;
}

void CLumDlg::OnPlaySelected() {
    const std::vector<int> entries = SelectedEntries();
    if (!entries.empty()) {
        playback_->OnPlayItem(entries.front());  // as a double-click on its row
    }
}

void CLumDlg::OnExportTracks(TrackFormat format) {
    const std::vector<int> entries = SelectedEntries();
    if (entries.empty()) {
        return;
    }
    const QString chosen = PickFolder(Ui(245));
    if (chosen.isEmpty()) {
        return;  // cancelled
    }
    const TrackExportOutcome outcome =
        ExportTracks(catalogue_, entries, format, chosen.toStdString());
    ReportFileCommand(
        Ui(233),
        Ui(242).arg(outcome.written).arg(entries.size()).arg(QDir::toNativeSeparators(chosen)),
        outcome.failed);
}

void CLumDlg::OnShowInFileManager() {
    const std::vector<int> entries = SelectedEntries();
    if (entries.empty()) {
        return;
    }
    // The folder of the first selected recording, in the desktop's own file manager.
    const QString path = QString::fromStdString(
        FullPath(catalogue_.Entries()[static_cast<std::size_t>(entries.front())]));
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
    if (!openUrl) {
        openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    }
    if (!openUrl(folder)) {
        messageBox(QMessageBox::Warning, Ui(237),
                   Ui(246).arg(QDir::toNativeSeparators(folder.toLocalFile())), QMessageBox::Ok);
    }
}

void CLumDlg::ReportFileCommand(const QString& caption, const QString& done,
                                const std::vector<std::string>& failed) {
    QString text = done;
    // A file that could not be handled must not pass for a handled one; a long list is
    // cut so the box fits on the screen.
    constexpr std::size_t kListed = 20;
    if (!failed.empty()) {
        text += QStringLiteral("\n\n") + Ui(243);
        for (std::size_t i = 0; i < failed.size() && i < kListed; ++i) {
            text += QLatin1Char('\n') + QDir::toNativeSeparators(QString::fromStdString(failed[i]));
        }
        if (failed.size() > kListed) {
            text += QLatin1Char('\n') + Ui(244).arg(failed.size() - kListed);
        }
    }
    messageBox(failed.empty() ? QMessageBox::Information : QMessageBox::Warning, caption, text,
               QMessageBox::Ok);
}

QString CLumDlg::SizeText(const std::vector<int>& entries) const {
    std::uint64_t total = 0;
    for (const int i : entries) {
        total += catalogue_.Entries()[static_cast<std::size_t>(i)].telemetry.fileSize;
    }
    return QLocale().formattedDataSize(static_cast<qint64>(total), 1,
                                       QLocale::DataSizeTraditionalFormat);
}

}  // namespace lum
