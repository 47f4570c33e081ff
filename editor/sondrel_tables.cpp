#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/sample_list.h"
#include "logic/sound_list.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sched.h>
#endif

namespace sondrel {

namespace {

StartUpFiles ReadStartUpFiles(const std::filesystem::path& objectDatabase,
                              const std::filesystem::path& table) {
    StartUpFiles files;
    files.objectNames =
        objectDatabase.empty() ? LoadObjectNames() : LoadObjectNames(objectDatabase);
    if (!table.empty()) {
        std::error_code ec;
        files.table = std::filesystem::absolute(table, ec);
        RequireTable(files.table); // read, never created
        files.named = ReadTablePair(files.table);
    }
    return files;
}

// The processor this thread runs on, or -1 where the system does not say.
int CurrentProcessor() {
#if defined(_WIN32)
    return static_cast<int>(GetCurrentProcessorNumber());
#else
    return sched_getcpu();
#endif
}

// Keeps this thread off `processor` where another one may take it. A thread started while
// the window is made tends to begin on the window's processor, and the two then take turns
// there while another processor waits: on a machine of two, that made the largest table's
// start-up a quarter slower (docs/performance.md).
void KeepOffProcessor(int processor) {
#if defined(_WIN32)
    DWORD_PTR allowed = 0;
    DWORD_PTR system = 0;
    if (processor >= 0 && processor < 64 &&
        GetProcessAffinityMask(GetCurrentProcess(), &allowed, &system) != 0) {
        const DWORD_PTR others = allowed & ~(DWORD_PTR{1} << processor);
        if (others != 0) {
            SetThreadAffinityMask(GetCurrentThread(), others);
        }
    }
#else
    cpu_set_t allowed;
    if (processor >= 0 && processor < CPU_SETSIZE &&
        sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_ISSET(processor, &allowed) &&
        CPU_COUNT(&allowed) > 1) {
        CPU_CLR(processor, &allowed);
        sched_setaffinity(0, sizeof allowed, &allowed);
    }
#endif
}

} // namespace

EarlyRead ReadEarly(const StartOptions& options) {
    const int window = CurrentProcessor();
    try {
        return std::async(std::launch::async,
                          [window, objects = options.objectDatabase, table = options.table] {
                              KeepOffProcessor(window);
                              return ReadStartUpFiles(objects, table);
                          });
    } catch (const std::system_error&) {
        return {};
    }
}

Sondrel::LoadResult Sondrel::Form_Load() {
    try {
        StartUpFiles files = early_.valid()
                                 ? early_.get()
                                 : ReadStartUpFiles(options_.objectDatabase, options_.table);
        objectNames_ = std::move(files.objectNames);

        if (files.named) {
            FM->setPath(files.table);
        } else if (!FM->ShowOpen() || FM->FileName().isEmpty()) {
            return LoadResult::Cancelled;
        } else {
            files.named = ReadTablePair(FM->Path());
        }

        const std::filesystem::path table = FM->Path();
        const bool includeNative = prompts_.askYesNo(this, "Include KV4 sounds?");
        open_ = OpenTable(table, std::move(*files.named), objectNames_, includeNative);
        NativeSwitch->setChecked(includeNative);
        BuildSoundList();
        showTableName();
        rememberRecent(table);
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::AtStartUp);
        return LoadResult::Failed;
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::AtStartUp);
        return LoadResult::Failed;
    }
    restoreLayout();
    SndLst->setFocus();
    return LoadResult::Ready;
}

void Sondrel::BuildSoundList() {
    view_ = {}; // so the selection the list loses shows nothing anew
    SndLst->setEntries();
    measureLoudness();
}

void Sondrel::showTableName() {
    QString name = QStringFromPath(open_.path().filename());
    name.replace("[*]", "[*][*]"); // the caption's unsaved mark stands for the first "[*]"
    setWindowTitle(name + "[*] - OBEL Sondrel");
    showModified();
}

void Sondrel::showModified() {
    setWindowModified(!open_.isClean() || hasUnappliedEdits());
}

bool Sondrel::mayPutTableAside(const QString& when) {
    if (open_.path().empty() || (open_.isClean() && !hasUnappliedEdits())) {
        return true;
    }
    const QMessageBox::StandardButton answer = prompts_.ask(
        this,
        QStringLiteral("The changes to %1 are not saved.\n\nSave them %2?")
            .arg(QStringFromPath(open_.path().filename()), when),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    return answer == QMessageBox::Discard || (answer == QMessageBox::Save && saveInPlace());
}

void Sondrel::closeEvent(QCloseEvent* event) {
    if (mayPutTableAside("before closing")) {
        stopSound();
        keepForNextRun();
        event->accept();
    } else {
        event->ignore();
    }
}

void Sondrel::openAnother() {
    if (!mayPutTableAside("first")) {
        return;
    }
    const std::filesystem::path before = FM->Path();
    if (!FM->ShowOpen() || FM->FileName().isEmpty()) {
        return;
    }
    if (!takeTable(FM->Path(), Keep::SameText)) {
        FM->setPath(before);
    }
}

void Sondrel::openTable(const std::filesystem::path& table) {
    if (mayPutTableAside("first")) {
        takeTable(table, Keep::SameText);
    }
}

void Sondrel::readAgain() {
    if (mayPutTableAside("first")) {
        takeTable(open_.path(), Keep::SameDetail);
    }
}

void Sondrel::switchNative() {
    // The table stays as it is; only the sounds' unapplied edits are at stake.
    if (!mayLeaveShownSound()) {
        NativeSwitch->setChecked(open_.includesNative());
        return;
    }
    const std::vector<std::size_t> details = view_.details();
    open_.includeNative(NativeSwitch->isChecked(), objectNames_);
    BuildSoundList();
    reselect(open_.positionsOf(details));
}

bool Sondrel::takeTable(const std::filesystem::path& table, Keep keep) {
    const std::vector<std::size_t> details = view_.details();
    const std::vector<std::string> texts = view_.texts();
    try {
        RequireTable(table); // read, never created
        // Listed before it replaces anything: a pair that cannot be listed is refused.
        OpenTable read(table, ReadTablePair(table), objectNames_, open_.includesNative(),
                       open_.knownFiles());
        const bool again = table == open_.path();
        view_ = {};
        open_ = std::move(read);
        FM->setPath(table);
        BuildSoundList();
        showTableName();
        reselect(keep == Keep::SameDetail ? open_.positionsOf(details)
                                          : open_.positionsOf({}, texts));
        rememberRecent(table);
        showStatus(QStringLiteral("Read %1 and %2%3")
                       .arg(QStringFromPath(table.filename()),
                            QStringFromPath(SampleListPath(table).filename()),
                            again ? QStringLiteral(" again") : QString()));
        return true;
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::WhileATableIsOpen);
    }
    return false;
}

void Sondrel::reselect(const std::vector<int>& rows) {
    if (!rows.empty()) {
        showRows(rows);
        SndLst->scrollTo(SndLst->currentIndex());
        return;
    }
    // The sounds are not listed any more: nothing is shown, as after start-up.
    for (const FieldInfo& field : kEditFields) {
        fieldOf(field.field)->clear();
    }
    Samples->clear();
    view_ = {};
}

} // namespace sondrel
