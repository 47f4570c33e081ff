#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/table_pair.h"
#include "logic/sound_list.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QUndoStack>

#include <algorithm>

namespace sondrel {

Sondrel::LoadResult Sondrel::Form_Load() {
    try {
        state_.ObjectNames = options_.objectDatabase.empty()
                                 ? LoadObjectNames()
                                 : LoadObjectNames(options_.objectDatabase);

        if (!options_.table.empty()) {
            std::error_code ec;
            const std::filesystem::path named = std::filesystem::absolute(options_.table, ec);
            RequireTable(named);
            FM->setPath(named);
        } else if (!FM->ShowOpen() || FM->FileName().isEmpty()) {
            return LoadResult::Cancelled;
        }

        const std::filesystem::path table = FM->Path();
        state_.Table = ReadSFX(table);
        state_.SampleNames = ReadSampleNames(SampleListPath(table), state_.Table.NumSamples);
        known_.remember(table);
        known_.remember(SampleListPath(table));

        state_.IncludeNative = prompts_.askYesNo(this, "Include KV4 sounds?");
        NativeSwitch->setChecked(state_.IncludeNative);
        BuildSoundList(state_.IncludeNative);
        tablePath_ = table;
        showTableName();
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::AtStartUp);
        return LoadResult::Failed;
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::AtStartUp);
        return LoadResult::Failed;
    }
    SndLst->setFocus();
    return LoadResult::Ready;
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
    // The list ends on its last entries, as if each had been brought into view as it came.
    SndLst->scrollToBottom();
    state_.ListLoaded = true;
}

void Sondrel::showTableName() {
    QString name = QStringFromPath(tablePath_.filename());
    name.replace("[*]", "[*][*]"); // the caption's unsaved mark stands for the first "[*]"
    setWindowTitle(name + "[*] - OBEL Sondrel");
    setWindowModified(!undo_->isClean());
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
    return answer == QMessageBox::Discard ||
           (answer == QMessageBox::Save && ApplyEdits() && saveTable());
}

void Sondrel::closeEvent(QCloseEvent* event) {
    if (mayPutTableAside("before closing")) {
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
        SoundTable read = ReadSFX(table);
        SampleNames names = ReadSampleNames(SampleListPath(table), read.NumSamples);
        ComputeSoundList(read, names, state_.ObjectNames, state_.IncludeNative,
                         DisplayPath(SampleListPath(table))); // refuses before anything changes
        state_.Table = std::move(read);
        state_.SampleNames = std::move(names);
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
        return false;
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::WhileATableIsOpen);
        return false;
    }
    known_.remember(table);
    known_.remember(SampleListPath(table));
    tablePath_ = table;
    FM->setPath(table);
    undo_->clear(); // the history was the other table's
    undo_->setClean();
    shownRows_.clear();
    BuildSoundList(state_.IncludeNative);
    showTableName();
    reselect(keep == Keep::SameDetail ? details : std::vector<int>{},
             keep == Keep::SameText ? texts : QStringList{});
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

void Sondrel::Save_Click() {
    saveTable();
}

bool Sondrel::saveTable() {
    if (!FM->ShowSave() || FM->FileName().isEmpty()) {
        return false;
    }
    const std::filesystem::path table = FM->Path();
    const std::filesystem::path sampleList = SampleListPath(table);
    const SaveQuestions questions = QuestionsForSave(table, sampleList, known_);
    if (questions.sampleListIsTable) {
        // The sample list would overwrite the table just written.
        prompts_.tell(this, QStringLiteral("The table cannot be saved as %1: its sample list, the "
                                           "same name less its last three characters plus "
                                           "\"sam\", would be that same file and overwrite the "
                                           "table.\n\nNothing was written. Choose another name.")
                                .arg(QString::fromStdString(DisplayPath(table))));
        return false;
    }
    for (const std::filesystem::path& file : questions.changedByAnother) {
        if (!prompts_.askYesNo(this,
                               QStringLiteral("The file %1 has been changed by another program "
                                              "since Sondrel last read or saved it.\n\nReplace "
                                              "it, losing those changes?")
                                   .arg(QString::fromStdString(DisplayPath(file))),
                               false)) {
            return false;
        }
    }
    // A sample list Sondrel never read or wrote may be the only copy of another level's.
    if (questions.unknownSampleList &&
        !prompts_.askYesNo(
            this,
            QStringLiteral("The sample list %1 already exists, and Sondrel has not read "
                           "it: it may belong to another table.\n\nReplace it with the "
                           "sample list of this table?")
                .arg(QString::fromStdString(DisplayPath(sampleList))),
            false)) {
        return false;
    }
    // What the two files hold now that the designer has decided: a file another program
    // changes while the save goes on stops it before that file is replaced.
    const PairStamps decided{StampFile(table), StampFile(sampleList)};
    try {
        WriteTableAndSampleList(table, state_.Table, state_.SampleNames, {}, &decided);
    } catch (const Failure& failure) {
        // Both old files are as they were, and the edits stay, so the designer can save
        // somewhere else.
        if (failure.code() == FailureCode::SampleListWrite) {
            prompts_.tell(this, QStringLiteral("The table %1 was not saved: its sample list %2 "
                                               "cannot be written.\n\n%3.\n\nBoth files are as "
                                               "they were.")
                                    .arg(QString::fromStdString(DisplayPath(table)),
                                         QString::fromStdString(DisplayPath(sampleList)),
                                         QString::fromUtf8(failure.what())));
        } else {
            prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
        }
        return false;
    }
    known_.remember(table);
    known_.remember(sampleList);
    undo_->setClean();
    tablePath_ = table;
    showTableName();
    return true;
}

} // namespace sondrel
