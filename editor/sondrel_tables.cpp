#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/sample_names.h"
#include "logic/sound_list.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QUndoStack>

#include <algorithm>

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

} // namespace

EarlyRead ReadEarly(const StartOptions& options) {
    try {
        return std::async(std::launch::async, ReadStartUpFiles, options.objectDatabase,
                          options.table);
    } catch (const std::system_error&) {
        return {};
    }
}

Sondrel::LoadResult Sondrel::Form_Load() {
    try {
        StartUpFiles files = early_.valid()
                                 ? early_.get()
                                 : ReadStartUpFiles(options_.objectDatabase, options_.table);
        state_.ObjectNames = std::move(files.objectNames);

        if (files.named) {
            FM->setPath(files.table);
        } else if (!FM->ShowOpen() || FM->FileName().isEmpty()) {
            return LoadResult::Cancelled;
        } else {
            files.named = ReadTablePair(FM->Path());
        }

        const std::filesystem::path table = FM->Path();
        holdRead(table, std::move(*files.named));

        state_.IncludeNative = prompts_.askYesNo(this, "Include KV4 sounds?");
        NativeSwitch->setChecked(state_.IncludeNative);
        BuildSoundList(state_.IncludeNative);
        tablePath_ = table;
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

void Sondrel::holdRead(const std::filesystem::path& path, TablePairRead read) {
    state_.Table = std::move(read.table);
    state_.SampleNames = std::move(read.names);
    known_.remember(path, read.tableStamp);
    known_.remember(SampleListPath(path), read.namesStamp);
}

void Sondrel::BuildSoundList(bool IncludeNative) {
    state_.ListLoaded = false;
    std::vector<SoundListEntry> entries =
        ComputeSoundList(state_.Table, state_.SampleNames, state_.ObjectNames, IncludeNative,
                         DisplayPath(SampleListPath(FM->Path())));
    shownRows_.clear();
    state_.ListToDetail.clear();
    state_.ListToDetail.reserve(entries.size());
    for (const SoundListEntry& entry : entries) {
        state_.ListToDetail.push_back(entry.ListToDetail);
    }
    state_.ListEntryCount = static_cast<std::int32_t>(entries.size());
    SndLst->setEntries(std::move(entries));
    state_.ListLoaded = true;
}

void Sondrel::showTableName() {
    QString name = QStringFromPath(tablePath_.filename());
    name.replace("[*]", "[*][*]"); // the caption's unsaved mark stands for the first "[*]"
    setWindowTitle(name + "[*] - OBEL Sondrel");
    showModified();
}

void Sondrel::showModified() {
    setWindowModified(!undo_->isClean() || hasUnappliedEdits());
}

bool Sondrel::mayPutTableAside(const QString& when) {
    if (!state_.ListLoaded || (undo_->isClean() && !hasUnappliedEdits())) {
        return true;
    }
    const QMessageBox::StandardButton answer = prompts_.ask(
        this,
        QStringLiteral("The changes to %1 are not saved.\n\nSave them %2?")
            .arg(QStringFromPath(tablePath_.filename()), when),
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
        takeTable(tablePath_, Keep::SameDetail);
    }
}

void Sondrel::switchNative() {
    // The table stays as it is; only the sounds' unapplied edits are at stake.
    if (!mayLeaveShownSound()) {
        NativeSwitch->setChecked(state_.IncludeNative);
        return;
    }
    const std::vector<int> details = shownDetails();
    state_.IncludeNative = NativeSwitch->isChecked();
    BuildSoundList(state_.IncludeNative);
    reselect(details, {});
}

std::vector<int> Sondrel::shownDetails() const {
    std::vector<int> details;
    for (const int row : shownRows_) {
        details.push_back(detailAt(row));
    }
    return details;
}

bool Sondrel::takeTable(const std::filesystem::path& table, Keep keep) {
    const std::vector<int> details = shownDetails();
    QStringList texts;
    for (const int row : shownRows_) {
        texts << NameText(SndLst->entry(row).Text);
    }
    try {
        RequireTable(table); // read, never created
        TablePairRead read = ReadTablePair(table);
        ComputeSoundList(read.table, read.names, state_.ObjectNames, state_.IncludeNative,
                         DisplayPath(SampleListPath(table))); // refuses before anything changes
        holdRead(table, std::move(read));
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
        return false;
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::WhileATableIsOpen);
        return false;
    }
    undo_->setClean();
    const bool again = table == tablePath_;
    tablePath_ = table;
    FM->setPath(table);
    undo_->clear(); // the history was the other table's
    undo_->setClean();
    shownRows_.clear();
    BuildSoundList(state_.IncludeNative);
    showTableName();
    reselect(keep == Keep::SameDetail ? details : std::vector<int>{},
             keep == Keep::SameText ? texts : QStringList{});
    rememberRecent(table);
    showStatus(QStringLiteral("Read %1 and %2%3")
                   .arg(QStringFromPath(table.filename()),
                        QStringFromPath(SampleListPath(table).filename()),
                        again ? QStringLiteral(" again") : QString()));
    return true;
}

void Sondrel::reselect(const std::vector<int>& details, const QStringList& texts) {
    if (const std::vector<int> rows = rowsOf(details, texts); !rows.empty()) {
        showRows(rows);
        SndLst->scrollTo(SndLst->currentIndex());
        return;
    }
    // The sounds are not listed any more: nothing is shown, as after start-up.
    for (QLineEdit* field : {SndRAD, SndVOL, SndPIT, SndCH}) {
        field->clear();
    }
    Samples->clear();
    shownRows_.clear();
}

} // namespace sondrel
