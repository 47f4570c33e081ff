// FM: one file dialog object for opening and saving. It keeps the full path last chosen
// (empty at first) and offers it to the next dialog, so the save dialog starts with the table
// that was opened. It keeps that path exactly as the system names the file, also where the
// name is not valid in the system's encoding and Qt can only show it approximately.
#pragma once

#include <QObject>
#include <QString>

#include <filesystem>

namespace sondrel {

class Prompts;

class FileDialog : public QObject {
    Q_OBJECT

public:
    // The filter as description|pattern; the dialogs offer one file type.
    static constexpr char kFilter[] = "OBEL Sound Files (*.sfx)|*.sfx";
    // Where the level editor keeps its sound files; where it does not exist, the dialogs
    // start in the current folder.
    // What the save dialog adds to a name typed without an extension.
    static constexpr char kDefaultSuffix[] = "sfx";
    static constexpr char kInitDir[] = "C:\\Program Files\\Pellucid\\obel\\graphics\\wads";

    // The dialogs are asked for through `prompts`, over `owner`.
    FileDialog(QWidget* owner, Prompts& prompts);

    // Show the open or save dialog. False when the user cancelled: FileName() is then as it
    // was. The open dialog accepts only existing files; a name chosen for saving without an
    // extension gets ".sfx".
    bool ShowOpen();
    bool ShowSave();

    // The path as the dialogs show it, and as the file functions take it.
    QString FileName() const { return fileName_; }
    const std::filesystem::path& Path() const { return path_; }
    void setPath(const std::filesystem::path& path);

    // The filter in the form Qt's dialogs take: "OBEL Sound Files (*.sfx)".
    static QString nameFilter();

private:
    bool show(bool save);

    QWidget* owner_;
    Prompts& prompts_;
    QString fileName_;
    std::filesystem::path path_;
};

// A path a dialog or Qt gives, in the form the file functions take on this platform.
std::filesystem::path PathFromQString(const QString& path);

// A path as Qt shows it.
QString QStringFromPath(const std::filesystem::path& path);

// A path's bytes as kept in the settings, and back: on POSIX its own bytes, which need be no
// UTF-8 (and so no QString); on Windows UTF-8.
QByteArray PathBytes(const std::filesystem::path& path);
std::filesystem::path PathFromBytes(const QByteArray& bytes);

} // namespace sondrel
