#include "editor/file_dialog.h"

#include "editor/prompts.h"

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

QByteArray PathBytes(const std::filesystem::path& path) {
#if defined(_WIN32)
    const std::u8string utf8 = path.u8string();
    return QByteArray(reinterpret_cast<const char*>(utf8.data()),
                      static_cast<qsizetype>(utf8.size()));
#else
    return QByteArray::fromStdString(path.native());
#endif
}

std::filesystem::path PathFromBytes(const QByteArray& bytes) {
#if defined(_WIN32)
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())));
#else
    return std::filesystem::path(bytes.toStdString());
#endif
}

void FileDialog::setPath(const std::filesystem::path& path) {
    path_ = path;
    fileName_ = QDir::toNativeSeparators(QStringFromPath(path));
}

FileDialog::FileDialog(QWidget* owner, Prompts& prompts)
    : QObject(owner), owner_(owner), prompts_(prompts) {
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
    return show(false);
}

bool FileDialog::ShowSave() {
    return show(true);
}

bool FileDialog::show(bool save) {
    FileRequest request;
    request.action = save ? FileRequest::Action::Save : FileRequest::Action::Open;
    request.filter = nameFilter();
    request.suffix = QString::fromLatin1(kDefaultSuffix);
    if (fileName_.isEmpty()) {
        const QString initDir = QString::fromLatin1(kInitDir);
        request.directory = QFileInfo(initDir).isDir() ? initDir : QDir::currentPath();
    } else {
        request.directory = QFileInfo(fileName_).absolutePath();
        request.offered = fileName_;
    }
    const std::optional<QString> answer = prompts_.chooseFile(owner_, request);
    if (!answer || answer->isEmpty()) {
        return false;
    }
    QString chosen = QDir::toNativeSeparators(*answer);
    // A name typed without an extension gets one; the table offered keeps the name it has.
    if (save && QFileInfo(chosen).suffix().isEmpty() && chosen != fileName_) {
        chosen += "." + request.suffix;
    }
    if (chosen != fileName_) {
        // Another file than the one offered; the offered one keeps its exact path.
        fileName_ = chosen;
        path_ = PathFromQString(chosen);
    }
    return true;
}

} // namespace sondrel
