// Drag and drop: a folder, a card or a recording dropped anywhere on the window opens
// as OPEN (and "lum PATH") would open it.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/CLumDlg.h"

namespace lum {

namespace {

// The local path a drag carries when it names something that exists; the first one
// only, since the window shows one card at a time.
QString DroppedPath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) {
        return {};
    }
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile()) {
        return {};
    }
    const QString path = url.toLocalFile();
    return QFileInfo::exists(path) ? path : QString();
}

}  // namespace

bool CLumDlg::HandleDrag(QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            // Refused while a scan runs or a recording switch waits, as OPEN is.
            if (!DroppedPath(drag->mimeData()).isEmpty() && playback_->CanOpen()) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = DroppedPath(drop->mimeData());
            if (path.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // Opened once the drag has ended, so the application it came from is free at once.
            QMetaObject::invokeMethod(
                this, [this, path] { OpenPath(path); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace lum
