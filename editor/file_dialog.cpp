#include "editor/file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sondrel {

std::filesystem::path PathFromQString(const QString& path) {
#if defined(_WIN32)
    return std::filesystem::path(path.toStdWString());
#else
    const QByteArray encoded = QFile::encodeName(path);
    return std::filesystem::path(
        std::string(encoded.constData(), static_cast<std::size_t>(encoded.size())));
#endif
}

QString QStringFromPath(const std::filesystem::path& path) {
#if defined(_WIN32)
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

void FileDialog::setPath(const std::filesystem::path& path) {
    path_ = path;
    fileName_ = QDir::toNativeSeparators(QStringFromPath(path));
}

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
    // Over the window where it is shown, else centred on the screen.
    QFileDialog dialog(owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr);
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
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    if (chosen != fileName_) {
        // Another file than the one offered; the offered one keeps its exact path.
        fileName_ = chosen;
        path_ = PathFromQString(chosen);
    }
    return true;
}

} // namespace sondrel
