// What the window keeps between runs (its size and place, the list's columns, the tables
// opened last), a table dropped onto it, the list's context menu, and the help.
#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "logic/kept_layout.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace sondrel {
namespace {

// A settings file larger than this is no settings file of Sondrel's.
constexpr std::uintmax_t kMostSettingsBytes = std::uintmax_t{16} << 20;
// What is kept, each in a form checked before it is used (Qt's own blobs of a window's place
// and a header's state are not: damaged, they crashed the start or took all memory).
constexpr char kRecentKey[] = "recent";
constexpr char kPlaceKey[] = "place";
constexpr char kMaximisedKey[] = "maximised";
constexpr char kColumnsKey[] = "list";
// No screen's place or size reaches this, in pixels.
constexpr int kMostPlace = 1 << 20;

// The table a drag brings, where it brings one: the first file, a .sfx on this machine.
std::optional<std::filesystem::path> DraggedTable(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    const QUrl& url = urls.front();
    // A URL of another machine's file would be tried as a network path on Windows.
    if (!url.host().isEmpty() && url.host().compare("localhost", Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
#if defined(_WIN32)
    // In the system's own spelling: a URL's path has forward slashes also on Windows.
    const std::filesystem::path path = PathFromQString(QDir::toNativeSeparators(url.toLocalFile()));
#else
    // The path's own bytes, also where they are no UTF-8 (a folder named on another system).
    const std::filesystem::path path =
        PathFromBytes(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
#endif
    const std::u8string extension = path.extension().u8string();
    if (extension.size() != 4 ||
        QString::fromUtf8(reinterpret_cast<const char*>(extension.data()), 4)
                .compare(".sfx", Qt::CaseInsensitive) != 0) {
        return std::nullopt;
    }
    return path;
}

// The recent tables as kept: each a path's bytes (or, as kept by earlier versions, its text).
std::vector<std::string> KeptTables(const QVariant& kept) {
    std::vector<std::string> tables;
    for (const QVariant& table : kept.toList()) {
        const QByteArray bytes = table.typeId() == QMetaType::QByteArray
                                     ? table.toByteArray()
                                     : PathBytes(PathFromQString(table.toString()));
        tables.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return tables;
}

constexpr char kHelp[] =
    "Sondrel edits the sound table of an OBEL level (.sfx) and the sample list beside it "
    "(.sam).\n\n"
    "Keys: the arrow keys move through the list, Shift with them picks several sounds and "
    "Ctrl+A all those listed; Tab moves through the fields. Ctrl+Return stores the fields and "
    "the flags into the sounds picked (Update). Ctrl+S saves the table and its sample list "
    "where they are, Ctrl+Shift+S (the Save button) under a name you choose; both store the "
    "fields first. Ctrl+Z undoes an Update, Ctrl+Y redoes it. Ctrl+F finds a sound, Escape "
    "puts the filter away. Ctrl+O opens another table, F5 reads it again from the disk, "
    "Ctrl+I lists the level editor's own sounds, or no more. Ctrl+T takes values from another "
    "table: each sound takes those of the sound there whose first sample has the same name, "
    "after a dialog says how many match and would change. The Loudness column says how loud "
    "each sound plays at its volume (EBU R128, in LUFS, measured from its first sample); "
    "Ctrl+M gives the sounds picked the volume at which each plays as loud as the sound under "
    "the cursor, or as a loudness you type. Ctrl+P plays the sound's sample "
    "(found beside the table or in the samples folder) at the volume the field shows, "
    "looping where L or R is set; Ctrl+P again or Escape stops it. Alt+P, Alt+V, Alt+R, Alt+L and "
    "Alt+N switch the flags. A right click on the list offers the same, and the tables opened "
    "last.\n\n"
    "The fields: RAD is the range, VOL the volume, PIT the pitch and CH the chance. In that "
    "order, they take %1."
    "\n\nThe table keeps them in fewer bits, so a fraction is stored as near as those "
    "allow; a whole number reads back as typed, and a sound that shows it already keeps its "
    "bytes. A change of each sound's own value (80%, 10+, 10-) suits several sounds at once: "
    "each keeps its relation to the others, and the status line says how many were held at "
    "an end.\n\n"
    "The flags, red when set and black when clear, are bits of the sound's flags in the "
    "table: P is bit 13, V bit 14 and N bit 12; L and R are its loop mode, R mode 2 and L "
    "mode 3 (a mode 1 read from the table shows as L too). The table does not say what P, V "
    "and N do in the level editor, nor how the loop modes differ: that is the level "
    "editor's.";

} // namespace

QSettings* Sondrel::settings() {
    if (settingsChecked_) {
        return settings_.get();
    }
    settingsChecked_ = true;
    settingsFile_ = options_.settingsFile;
#if !defined(_WIN32) // on Windows, the registry
    if (settingsFile_.empty()) {
        settingsFile_ = PathFromQString(QStandardPaths::writableLocation(
                            QStandardPaths::GenericConfigLocation)) /
                        "Sondrel" / "Sondrel.conf";
    }
#endif
    if (!settingsFile_.empty() && !IsOwnPlainFile(settingsFile_, kMostSettingsBytes)) {
        showStatus(QStringLiteral("%1 is not a settings file of yours: Sondrel starts as it does "
                                  "the first time and keeps nothing for the next run")
                       .arg(QDir::toNativeSeparators(QStringFromPath(settingsFile_))));
        return nullptr;
    }
    settings_ = settingsFile_.empty() ? std::make_unique<QSettings>("Sondrel", "Sondrel")
                                      : std::make_unique<QSettings>(QStringFromPath(settingsFile_),
                                                                    QSettings::IniFormat);
    return settings_.get();
}

QSettings* Sondrel::settingsToWrite() {
    // Checked again: a link or a device put in its place since would be written through.
    QSettings* kept = settings();
    return kept != nullptr &&
                   (settingsFile_.empty() || IsOwnPlainFile(settingsFile_, kMostSettingsBytes))
               ? kept
               : nullptr;
}

void Sondrel::rememberRecent(const std::filesystem::path& table) {
    // The newest first, each once, as the recent list takes them.
    openedThisRun_ =
        RecentTables({PathBytes(std::filesystem::absolute(table)).toStdString()}, openedThisRun_);
}

std::vector<std::filesystem::path> Sondrel::recentTables() {
    QSettings* kept = settings();
    std::vector<std::filesystem::path> recent;
    for (const std::string& table :
         RecentTables(openedThisRun_,
                      kept ? KeptTables(kept->value(kRecentKey)) : std::vector<std::string>())) {
        recent.push_back(PathFromBytes(QByteArray::fromStdString(table)));
    }
    return recent;
}

void Sondrel::keepForNextRun() {
    QSettings* kept = settingsToWrite();
    if (kept == nullptr) {
        return;
    }
    QVariantList recent;
    for (const std::filesystem::path& table : recentTables()) {
        recent << PathBytes(table);
    }
    kept->setValue(kRecentKey, recent);
    const QRect place = isMaximized() ? normalGeometry() : geometry();
    kept->setValue(kPlaceKey, QStringLiteral("%1 %2 %3 %4")
                                  .arg(place.x())
                                  .arg(place.y())
                                  .arg(place.width())
                                  .arg(place.height()));
    kept->setValue(kMaximisedKey, isMaximized());
    const QHeaderView* headings = SndLst->horizontalHeader();
    ColumnLayout columns;
    for (int place = 0; place < headings->count(); ++place) {
        columns.order.push_back(headings->logicalIndex(place));
        columns.widths.push_back(
            std::clamp(headings->sectionSize(place), kMinColumnWidth, kMaxColumnWidth));
    }
    if (const std::optional<SoundColumn> sorted = SndLst->sounds()->sortColumn()) {
        columns.sortColumn = static_cast<int>(*sorted);
        columns.descending = SndLst->sounds()->descending();
    }
    kept->setValue(kColumnsKey, QString::fromStdString(ColumnLayoutText(columns)));
    kept->remove("window"); // the blobs of earlier versions, no longer read
    kept->remove("columns");
}

void Sondrel::restoreLayout() {
    QSettings* kept = settings();
    if (kept == nullptr) {
        return;
    }
    // Only a place on a screen there is, within its size and no smaller than the window's
    // first. Kept as four numbers, read within bounds before any rectangle is made of them.
    const QStringList numbers = kept->value(kPlaceKey).toString().split(' ');
    std::array<int, 4> values{};
    bool read = numbers.size() == 4;
    for (qsizetype i = 0; read && i < 4; ++i) {
        values[static_cast<std::size_t>(i)] = numbers[i].toInt(&read);
        read = read && std::abs(values[static_cast<std::size_t>(i)]) <= kMostPlace;
    }
    const QRect place = read ? QRect(values[0], values[1], values[2], values[3]) : QRect();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (place.width() >= minimumWidth() && place.height() >= minimumHeight() &&
        std::any_of(screens.begin(), screens.end(), [&place](const QScreen* screen) {
            return screen->availableGeometry().contains(place);
        })) {
        setGeometry(place);
        if (kept->value(kMaximisedKey).toBool()) {
            setWindowState(windowState() | Qt::WindowMaximized);
        }
    }
    const std::string keptColumns = kept->value(kColumnsKey).toString().toStdString();
    std::optional<ColumnLayout> columns = ParseColumnLayout(keptColumns, kSoundColumns);
    QHeaderView* headings = SndLst->horizontalHeader();
    const int loudness = static_cast<int>(SoundColumn::Loudness);
    if (!columns) {
        // Kept before the Loudness column came: that one goes after the volume, as it starts.
        columns = ParseColumnLayout(keptColumns, loudness);
        if (!columns) {
            return;
        }
        const auto volume = std::find(columns->order.begin(), columns->order.end(),
                                      static_cast<int>(SoundColumn::Volume));
        columns->order.insert(volume + 1, loudness);
        columns->widths.push_back(headings->sectionSize(loudness));
    }
    for (int place = 0; place < kSoundColumns; ++place) {
        headings->moveSection(
            headings->visualIndex(columns->order[static_cast<std::size_t>(place)]), place);
        headings->resizeSection(place, columns->widths[static_cast<std::size_t>(place)]);
    }
    if (columns->sortColumn >= 0) {
        SndLst->sortBy(static_cast<SoundColumn>(columns->sortColumn), columns->descending);
    }
}

void Sondrel::showContextMenu(const QPoint& at) {
    if (contextMenu_ == nullptr) {
        contextMenu_ = new QMenu(this);
        const QList<QAction*> commands = actions();
        for (QAction* command : commands) {
            contextMenu_->addAction(command);
            if (command->text() == "Open another table...") {
                recentMenu_ = contextMenu_->addMenu("Open recent");
            }
        }
        connect(recentMenu_, &QMenu::aboutToShow, this, [this] {
            recentMenu_->clear();
            for (const std::filesystem::path& table : recentTables()) {
                recentMenu_->addAction(QDir::toNativeSeparators(QStringFromPath(table)), this,
                                       [this, table] { openTable(table); });
            }
        });
    }
    contextMenu_->popup(SndLst->viewport()->mapToGlobal(at));
}

void Sondrel::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedTable(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void Sondrel::dropEvent(QDropEvent* event) {
    if (const std::optional<std::filesystem::path> table = DraggedTable(event->mimeData())) {
        event->acceptProposedAction();
        openTable(*table);
    }
}

void Sondrel::showHelp() {
    QStringList fields;
    for (const FieldInfo& field : kEditFields) {
        fields << QString::fromStdString(WhatFieldTakes(field));
    }
    prompts_.tell(this, QString::fromLatin1(kHelp).arg(fields.join("; ")));
}

void Sondrel::showAbout() {
    prompts_.tell(this,
                  QStringLiteral("Sondrel %1, the sound table editor of the OBEL level editor.\n\n"
                                 "Sondrel is free software: you may share and change it under "
                                 "the GNU General Public License, version 3 or later. It comes "
                                 "with no warranty. It contains Qt, used under the GNU Lesser "
                                 "General Public License, version 3, and libebur128, under the "
                                 "MIT licence.")
                      .arg(QStringLiteral(SONDREL_VERSION)));
}

} // namespace sondrel
