// Zoom, pan, snapshot and FLIP: the commands that act on the engine's picture.
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QThread>
#include <filesystem>
#include <system_error>

#include "app/CLumDlg.h"
#include "app/Messages.h"
#include "app/core/ViewMath.h"
#include "files/SafeFiles.h"
#include "recordings/Paths.h"

namespace lum {

namespace {

QString Ui(int id) {
    return QString::fromStdString(LoadUiString(id));
}

ViewRect ToView(const LayoutRect& r) {
    return {r.x, r.y, r.width, r.height};
}
LayoutRect FromView(const ViewRect& v) {
    return {v.left, v.top, v.right, v.bottom};
}

// The engine writes PNG data whatever the name says; a ".jpg" must hold a JPEG.
void MakeContentMatchName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != "jpg" && suffix != "jpeg") {
        return;
    }
    QImageReader reader(path);
    if (reader.format() == "jpeg" || reader.format() == "jpg") {
        return;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        return;
    }
    // Through a temporary file beside it, so that a failed write never leaves the picture
    // half converted or gone.
    const std::filesystem::path target = ToFsPath(path.toStdString());
    const std::filesystem::path temp = TemporaryIn(target.parent_path());
    if (image.save(QString::fromStdString(FromFsPath(temp)), "JPEG", 92)) {
        ReplaceDurably(temp, target);
    } else {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
    }
}

}  // namespace

void CLumDlg::ZoomAt(int delta, int x, int y) {
    int w = 0, h = 0;
    player_->GetVideoSize(w, h);
    if (w == 0 || h == 0) {
        viewRect_ = {};
        return;
    }
    ViewRect view = ToView(viewRect_);
    if (view.Empty()) {
        view = {0, 0, w, h};
        player_->SetCrop(0, 0, 0, 0);
    }
    const auto next =
        ZoomedView(view, videoSurface_->width(), videoSurface_->height(), delta, x, y);
    if (!next) {
        viewRect_ = FromView(view);
        return;  // at the limit
    }
    const ViewRect shown = FitView(w, h, *next);
    const Crop crop = CropFor(w, h, shown);
    player_->SetCrop(crop.left, crop.top, crop.right, crop.bottom);
    viewRect_ = FromView(shown);
}

void CLumDlg::PanStart(int x, int y) {
    panAnchor_ = QPoint(x, y);
    panAnchorView_ = viewRect_;
    panning_ = true;
    videoSurface_->setFocus();
}

void CLumDlg::PanMove(int x, int y, bool buttonHeld) {
    if (!buttonHeld) {
        panning_ = false;
        return;
    }
    if (!panning_) {
        return;
    }
    int w = 0, h = 0;
    player_->GetVideoSize(w, h);
    if (w == 0 || h == 0) {
        viewRect_ = {};
        return;
    }
    if (ToView(viewRect_).Empty()) {
        viewRect_ = panAnchorView_ = {0, 0, w, h};
        player_->SetCrop(0, 0, 0, 0);
    }
    const ViewRect requested =
        PannedView(ToView(panAnchorView_), videoSurface_->width(), videoSurface_->height(),
                   panAnchor_.x(), panAnchor_.y(), x, y);
    const ViewRect shown = FitView(w, h, requested);
    const Crop crop = CropFor(w, h, shown);
    player_->SetCrop(crop.left, crop.top, crop.right, crop.bottom);
    viewRect_ = FromView(shown);
}

void CLumDlg::PanEnd() {
    panning_ = false;
}

void CLumDlg::OnSnapshot() {
    if (catalogue_.Entries().empty()) {
        messageBox(QMessageBox::NoIcon, Ui(145), Ui(136), QMessageBox::Ok);
        return;
    }
    const bool resume = player_->Loaded() && player_->Playing();
    if (resume) {
        player_->Pause();
    }
    const QString path = pickSnapshotFile
                             ? pickSnapshotFile(this)
                             : QFileDialog::getSaveFileName(this, QString(), QString(),
                                                            "Jpeg File(*.jpg);;Png File(*.png)");
    if (!path.isEmpty()) {
        QString target = path;
        if (QFileInfo(target).suffix().isEmpty()) {
            target += ".JPG";  // the dialog's default extension
        }
        player_->TakeSnapshot(target.toStdString());
        MakeContentMatchName(target);
    }
    if (resume) {
        player_->Play();
    }
}

void CLumDlg::OnFlip() {
    flipped_ = !flipped_;
    const int state = player_->Loaded() && player_->Playing()
                          ? 1
                          : (player_->Loaded() && player_->Paused() ? 2 : 3);
    const std::int64_t time = player_->GetTime();
    player_->Stop();
    player_->Recreate(flipped_ ? 1 : 0);
    if (player_->Loaded()) {
        player_->SetWindow(videoSurface_->NativeId());
    }
    if (catalogue_.Entries().empty()) {
        return;
    }
    playback_->ReopenCurrent();
    switch (state) {
        case 1:
            playback_->ShowPlayAsPause(true);
            player_->Play();
            player_->SetTime(time);
            break;
        case 2:
            player_->Pause();
            playback_->ShowPlayAsPause(false);
            player_->SetTime(time);
            player_->Pause();
            break;
        default:
            player_->Stop();
            playback_->ShowPlayAsPause(false);
            break;
    }
}

}  // namespace lum
