// "Export evidence...": the selected recordings, each into a folder of its own that
// holds the recording, its track, its events, a report and the SHA-256 of every
// file, written off the UI thread while a progress window offers to cancel.
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

#include "CLumDlg.h"
#include "catalogue/EvidenceExport.h"
#include "recordings/Paths.h"

namespace lum {

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

int ErrorStringId(EvidenceError error) {
    switch (error) {
        case EvidenceError::None:
            break;
        case EvidenceError::OnTheCard:
            return 277;
        case EvidenceError::CannotCreateFolder:
            return 282;
        case EvidenceError::CannotReadSource:
            return 283;
        case EvidenceError::CopyDiffers:
            return 284;
        case EvidenceError::CannotWrite:
            return 285;
        case EvidenceError::CannotFinish:
            return 286;
    }
    return 283;
}

// True when folder is root itself or lies below it, links resolved.
bool Inside(const QString& folder, const QString& root) {
    const QString f = QFileInfo(folder).canonicalFilePath();
    const QString r = QFileInfo(root).canonicalFilePath();
    if (f.isEmpty() || r.isEmpty()) {
        return false;
    }
    return f == r || f.startsWith(r.endsWith('/') ? r : r + '/');
}

// What one recording's export needs, copied so that the worker shares nothing with
// the window.
struct EvidenceJob {
    RecordingEntry entry;
    std::vector<std::filesystem::path> extraFiles;
};

struct EvidenceOutcome {
    int written = 0;
    bool cancelled = false;
    QString failedName;  // the recording whose export failed; empty when none did
    EvidenceError error = EvidenceError::None;
};

}  // namespace

// The picture on the screen with the moment written under it: the camera's clock,
// the speed and the position of the record last shown on the gauges.
bool CLumDlg::WriteEvidenceSnapshot(const QString& path) {
    const QString raw = path + QStringLiteral(".raw.png");
    player_->TakeSnapshot(raw.toStdString());
    QImage picture(raw);
    QFile::remove(raw);
    if (picture.isNull()) {
        return false;
    }
    QString caption = Ui(287).arg(
        QStringLiteral("%1").arg(static_cast<double>(player_->GetTime()) / 1000.0, 0, 'f', 1));
    const int index = catalogue_.LastGpsIndex();
    if (index >= 0 && index < static_cast<int>(catalogue_.GpsSamples().size())) {
        const GpsSample& s = catalogue_.GpsSamples()[static_cast<std::size_t>(index)];
        if (s.year != 0) {
            caption += QStringLiteral("   %1-%2-%3 %4:%5:%6")
                           .arg(2000 + s.year)
                           .arg(s.month, 2, 10, QLatin1Char('0'))
                           .arg(s.day, 2, 10, QLatin1Char('0'))
                           .arg(s.hour, 2, 10, QLatin1Char('0'))
                           .arg(s.minute, 2, 10, QLatin1Char('0'))
                           .arg(s.second, 2, 10, QLatin1Char('0'));
        }
        caption += QStringLiteral("   ") + Ui(288).arg(s.speedKmh);
        if (IsPlottable(s)) {
            caption += QStringLiteral("   %1, %2")
                           .arg(NmeaToDegrees(s.latitude / 100.0), 0, 'f', 6)
                           .arg(NmeaToDegrees(s.longitude / 100.0), 0, 'f', 6);
        }
    }
    QFont font = this->font();
    font.setPixelSize(std::max(12, picture.height() / 30));
    const QFontMetrics metrics(font);
    const int band = metrics.height() * 2;
    QImage out(picture.width(), picture.height() + band, QImage::Format_RGB32);
    out.fill(Qt::black);
    {
        QPainter p(&out);
        p.drawImage(0, 0, picture);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(
            QRect(metrics.height() / 2, picture.height(), out.width() - metrics.height(), band),
            Qt::AlignVCenter | Qt::AlignLeft, caption);
    }
    return out.save(path, "PNG");
}

void CLumDlg::OnExportEvidence() {
    const std::vector<int> entries = SelectedEntries();
    if (entries.empty()) {
        return;
    }
    const QString chosen = PickExistingFolder(Ui(276), Ui(289));
    if (chosen.isEmpty()) {
        return;  // cancelled, or no folder
    }
    // The evidence must not sit beside what it is evidence of: a card is wiped and
    // reused by the camera.
    for (const int i : entries) {
        const QString root =
            QString::fromStdString(catalogue_.Entries()[static_cast<std::size_t>(i)].rootFolder);
        if (!root.isEmpty() && Inside(chosen, root)) {
            messageBox(QMessageBox::Warning, Ui(289),
                       Ui(277).arg(QDir::toNativeSeparators(QDir::cleanPath(root))),
                       QMessageBox::Ok);
            return;
        }
    }

    QTemporaryDir scratch;
    std::vector<EvidenceJob> jobs;
    for (const int i : entries) {
        EvidenceJob job{catalogue_.Entries()[static_cast<std::size_t>(i)], {}};
        // The picture on the screen belongs to the recording being played.
        if (i == playback_->Current() && player_->Loaded() && scratch.isValid()) {
            const QString snapshot = scratch.filePath(QStringLiteral("snapshot.png"));
            if (WriteEvidenceSnapshot(snapshot)) {
                job.extraFiles.push_back(ToFsPath(snapshot.toStdString()));
            }
        }
        jobs.push_back(std::move(job));
    }

    QProgressDialog progress(Ui(278), Ui(290), 0, static_cast<int>(jobs.size()), this);
    progress.setObjectName("evidenceProgress");
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);

    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto outcome = std::make_shared<EvidenceOutcome>();
    const EventThresholds thresholds = catalogue_.Thresholds();
    const std::filesystem::path outDir = ToFsPath(chosen.toStdString());
    QPointer<QProgressDialog> shown(&progress);
    QThread* worker =
        QThread::create([jobs = std::move(jobs), cancel, outcome, thresholds, outDir, shown] {
            int done = 0;
            for (const EvidenceJob& job : jobs) {
                if (cancel->load()) {
                    outcome->cancelled = true;
                    break;
                }
                const std::optional<DecodedTelemetry> telemetry = ReadTelemetry(job.entry);
                const std::vector<GpsSample> none;
                const std::vector<GSensorSample> noReadings;
                const std::vector<GpsSample>& gps = telemetry ? telemetry->gps : none;
                const DriveAnalysis analysis = AnalyseDrive(
                    {gps, telemetry ? telemetry->gsensor : noReadings,
                     telemetry ? telemetry->gsensorFullScale : 8.0,
                     telemetry && telemetry->rateKnown ? telemetry->recordsPerSecond : 1.0,
                     job.entry.telemetry.durationMs, KindOf(job.entry)},
                    thresholds);
                const EvidenceRequest request{job.entry,     gps,         analysis.events,
                                              analysis.trip, LUM_VERSION, job.extraFiles};
                const EvidenceResult result = ExportEvidence(request, outDir);
                if (!result.ok()) {
                    outcome->failedName = QString::fromStdString(job.entry.fileName);
                    outcome->error = result.error;
                    break;
                }
                outcome->written = ++done;
                QMetaObject::invokeMethod(
                    qApp,
                    [shown, done] {
                        if (shown) {
                            shown->setValue(done);
                        }
                    },
                    Qt::QueuedConnection);
            }
        });
    connect(&progress, &QProgressDialog::canceled, worker, [cancel] { cancel->store(true); });
    if (onEvidenceProgress) {
        onEvidenceProgress(progress);
    }
    // The window keeps drawing and answering while the files are written.
    QEventLoop wait;
    connect(worker, &QThread::finished, &wait, &QEventLoop::quit);
    worker->start();
    wait.exec();
    worker->wait();
    delete worker;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    progress.reset();

    const QString where = QDir::toNativeSeparators(chosen);
    const int total = static_cast<int>(entries.size());
    if (!outcome->failedName.isEmpty()) {
        messageBox(QMessageBox::Warning, Ui(289),
                   Ui(281).arg(outcome->failedName, Ui(ErrorStringId(outcome->error))) +
                       QStringLiteral("\n\n") + Ui(279).arg(outcome->written).arg(total).arg(where),
                   QMessageBox::Ok);
    } else if (outcome->cancelled) {
        messageBox(QMessageBox::Information, Ui(289),
                   Ui(280).arg(outcome->written).arg(total).arg(where), QMessageBox::Ok);
    } else {
        messageBox(QMessageBox::Information, Ui(289),
                   Ui(279).arg(outcome->written).arg(total).arg(where), QMessageBox::Ok);
    }
}

}  // namespace lum
