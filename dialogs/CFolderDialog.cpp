#include "dialogs/CFolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <utility>

namespace lum {

QUrl CFolderDialog::SystemPicker(QWidget* owner, const QString& title, const QUrl& initialFolder) {
    return QFileDialog::getExistingDirectoryUrl(owner, title, initialFolder,
                                                QFileDialog::ShowDirsOnly);
}

CFolderDialog::CFolderDialog(QWidget* owner, QString title, QString initialFolder, Picker picker)
    : owner_(owner),
      title_(std::move(title)),
      initialFolder_(std::move(initialFolder)),
      picker_(std::move(picker)) {}

int CFolderDialog::DoModal() {
    const QUrl initial = initialFolder_.isEmpty()
                             ? QUrl()
                             : QUrl::fromLocalFile(QDir::fromNativeSeparators(initialFolder_));
    const QUrl chosen = picker_ ? picker_(owner_, title_, initial) : QUrl();
    if (chosen.isEmpty()) {
        return kCancelled;
    }
    if (!chosen.isLocalFile()) {
        return kNoFileSystemPath;
    }
    path_ = QDir::toNativeSeparators(chosen.toLocalFile());
    return kOk;
}

}  // namespace lum
