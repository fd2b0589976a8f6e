// The folder browser of the media-open dialog and of "save as": a thin wrapper around
// the platform's folder dialog that answers like a modal dialog.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace lum {

class CFolderDialog {
  public:
    static constexpr int kOk = 1;
    static constexpr int kCancelled = 2;
    // A place was chosen that is not a folder of the file system.
    static constexpr int kNoFileSystemPath = -1;

    // Shows a folder browser; an empty URL means the user cancelled.
    using Picker =
        std::function<QUrl(QWidget* owner, const QString& title, const QUrl& initialFolder)>;
    // QFileDialog::getExistingDirectoryUrl, folders only.
    static QUrl SystemPicker(QWidget* owner, const QString& title, const QUrl& initialFolder);

    // An empty initialFolder lets the browser start where it likes.
    CFolderDialog(QWidget* owner, QString title, QString initialFolder,
                  Picker picker = SystemPicker);

    int DoModal();
    // The chosen folder after kOk, in the platform's separators.
    const QString& Path() const { return path_; }
    const QString& Title() const { return title_; }
    const QString& InitialFolder() const { return initialFolder_; }

  private:
    QWidget* owner_;
    QString title_;
    QString initialFolder_;
    Picker picker_;
    QString path_;
};

}  // namespace lum
