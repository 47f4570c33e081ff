#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "formats/table_pair.h"

#include <QUndoStack>

namespace sondrel {

void Sondrel::Save_Click() {
    saveAs();
}

bool Sondrel::saveInPlace() {
    return saveTo(tablePath_);
}

bool Sondrel::saveAs() {
    // The edits are stored first: a refused value is said before any dialog.
    if (!ApplyEdits()) {
        showStatus("Nothing was saved");
        return false;
    }
    if (!FM->ShowSave() || FM->FileName().isEmpty()) {
        return false;
    }
    return saveTo(FM->Path());
}

bool Sondrel::saveTo(const std::filesystem::path& table) {
    // Every way a save stops before it writes says so, beside the message or question.
    const auto nothingSaved = [this] {
        showStatus("Nothing was saved");
        return false;
    };
    // What the designer sees is what is saved: the fields' and flags' edits are stored first,
    // and a refused value stops the save before anything is written.
    if (!ApplyEdits()) {
        return nothingSaved();
    }
    const std::filesystem::path sampleList = SampleListPath(table);
    const SaveQuestions questions = QuestionsForSave(table, sampleList, known_);
    if (questions.sampleListIsTable) {
        // The sample list would overwrite the table just written.
        prompts_.tell(this, QStringLiteral("The table cannot be saved as %1: its sample list, the "
                                           "same name less its last three characters plus "
                                           "\"sam\", would be that same file and overwrite the "
                                           "table.\n\nNothing was written. Choose another name.")
                                .arg(QString::fromStdString(DisplayPath(table))));
        return nothingSaved();
    }
    // A link checked out or unpacked with the level may lead to any file of the designer's.
    for (const SaveQuestions::Link& link : questions.linksOutside) {
        const QString leadsTo = QString::fromStdString(DisplayPath(link.leadsTo));
        if (!prompts_.askYesNo(this,
                               QStringLiteral("The %1 %2 is a link to %3, outside the table's "
                                              "folder.\n\nReplace %3 with the %1 of this "
                                              "table?")
                                   .arg(link.file == table ? "table" : "sample list",
                                        QString::fromStdString(DisplayPath(link.file)), leadsTo),
                               false)) {
            return nothingSaved();
        }
    }
    for (const std::filesystem::path& file : questions.changedByAnother) {
        if (!prompts_.askYesNo(this,
                               QStringLiteral("The file %1 has been changed by another program "
                                              "since Sondrel last read or saved it.\n\nReplace "
                                              "it, losing those changes?")
                                   .arg(QString::fromStdString(DisplayPath(file))),
                               false)) {
            return nothingSaved();
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
        return nothingSaved();
    }
    // What the two files hold now that the designer has decided: a file another program
    // changes while the save goes on stops it before that file is replaced.
    const PairStamps decided{StampFile(table), StampFile(sampleList)};
    try {
        WriteTableAndSampleList(table, state_.Table, state_.SampleNames, {}, &decided,
                                questions.linksOutside.empty() ? OutsideLinks::Refuse
                                                               : OutsideLinks::Follow);
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
        return nothingSaved();
    }
    known_.remember(table);
    known_.remember(sampleList);
    undo_->setClean();
    tablePath_ = table;
    FM->setPath(table);
    showTableName();
    rememberRecent(table);
    showStatus(QStringLiteral("Saved %1 and %2")
                   .arg(QStringFromPath(table.filename()), QStringFromPath(sampleList.filename())));
    return true;
}

} // namespace sondrel
