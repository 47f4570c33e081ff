// What the window keeps between runs (its size and place, the list's columns, the tables
// opened last), a table dropped onto it, the list's context menu, and the help.
#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QSettings>

namespace sondrel {
namespace {

constexpr int kRecentTables = 5;

// The table a drag brings, where it brings one: the first file, a .sfx on this machine.
std::optional<std::filesystem::path> DraggedTable(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile() ||
        !urls.front().toLocalFile().endsWith(".sfx", Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    // In the system's own spelling: a URL's path has forward slashes also on Windows.
    return PathFromQString(QDir::toNativeSeparators(urls.front().toLocalFile()));
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
    "Ctrl+I lists the level editor's own sounds, or no more. Ctrl+P plays the sound's sample "
    "(found beside the table or in the samples folder) at the volume the field shows, "
    "looping where L or R is set; Ctrl+P again or Escape stops it. Alt+P, Alt+V, Alt+R, Alt+L and "
    "Alt+N switch the flags. A right click on the list offers the same, and the tables opened "
    "last.\n\n"
    "The fields: RAD is the range, 0 to 31; VOL the volume and CH the chance, 0 to 101; PIT "
    "the pitch, 0 to 100. The table keeps them in fewer bits, so a fraction is stored as near "
    "as those allow; a whole number reads back as typed.\n\n"
    "The flags, red when set and black when clear, are bits of the sound's flags in the "
    "table: P is bit 13, V bit 14 and N bit 12; L and R are its loop mode, R mode 2 and L "
    "mode 3 (a mode 1 read from the table shows as L too). The table does not say what P, V "
    "and N do in the level editor, nor how the loop modes differ: that is the level "
    "editor's.";

} // namespace

QSettings& Sondrel::settings() {
    if (!settings_) {
        settings_ = options_.settingsFile.empty()
                        ? std::make_unique<QSettings>("Sondrel", "Sondrel")
                        : std::make_unique<QSettings>(QStringFromPath(options_.settingsFile),
                                                      QSettings::IniFormat);
    }
    return *settings_;
}

void Sondrel::rememberRecent(const std::filesystem::path& table) {
    const QString name = QStringFromPath(std::filesystem::absolute(table));
    openedThisRun_.removeAll(name);
    openedThisRun_.prepend(name);
}

QStringList Sondrel::recentTables() {
    QStringList recent = openedThisRun_;
    for (const QString& table : settings().value("recent").toStringList()) {
        if (!recent.contains(table)) {
            recent << table;
        }
    }
    return recent.mid(0, kRecentTables);
}

void Sondrel::keepForNextRun() {
    settings().setValue("recent", recentTables());
    settings().setValue("window", saveGeometry());
    settings().setValue("columns", SndLst->horizontalHeader()->saveState());
}

void Sondrel::restoreLayout() {
    restoreGeometry(settings().value("window").toByteArray());
    SndLst->horizontalHeader()->restoreState(settings().value("columns").toByteArray());
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
            for (const QString& table : recentTables()) {
                recentMenu_->addAction(QDir::toNativeSeparators(table), this,
                                       [this, table] { openTable(PathFromQString(table)); });
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
    prompts_.tell(this, QString::fromLatin1(kHelp));
}

void Sondrel::showAbout() {
    prompts_.tell(this,
                  QStringLiteral("Sondrel %1, the sound table editor of the OBEL level editor.\n\n"
                                 "Sondrel is free software: you may share and change it under "
                                 "the GNU General Public License, version 3 or later. It comes "
                                 "with no warranty. It contains Qt, used under the GNU Lesser "
                                 "General Public License, version 3.")
                      .arg(QStringLiteral(SONDREL_VERSION)));
}

} // namespace sondrel
