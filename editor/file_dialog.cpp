#include "editor/file_dialog.h"

#include <QDir>
#include <QFileInfo>

namespace sondrel {

FileDialog::FileDialog(QWidget* owner) : QObject(owner), owner_(owner) {
    setObjectName("FM");
}

QString FileDialog::nameFilter() {
    const QString filter = QString::fromLatin1(kFilter);
    const QString description = filter.section('|', 0, 0);
    const QString pattern = filter.section('|', 1, 1);
    return description.contains("(" + pattern + ")") ? description
                                                     : description + " (" + pattern + ")";
}

bool FileDialog::ShowOpen() {
    return show(QFileDialog::AcceptOpen);
}

bool FileDialog::ShowSave() {
    return show(QFileDialog::AcceptSave);
}

bool FileDialog::show(QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(nameFilter());
    if (mode == QFileDialog::AcceptSave) {
        dialog.setDefaultSuffix(QString::fromLatin1(kDefaultSuffix));
    }
    if (fileName_.isEmpty()) {
        const QString initDir = QString::fromLatin1(kInitDir);
        dialog.setDirectory(QFileInfo(initDir).isDir() ? initDir : QDir::currentPath());
    } else {
        dialog.setDirectory(QFileInfo(fileName_).absolutePath());
        dialog.selectFile(fileName_);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    fileName_ = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return true;
}

} // namespace sondrel
