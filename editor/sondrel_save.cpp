#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "formats/table_pair.h"

namespace sondrel {
namespace {

QString Shown(const std::filesystem::path& path) {
    return QString::fromStdString(DisplayPath(path));
}

// A save's questions, asked with the window's dialogs; No is the default of each.
class WindowSaveAsker : public SaveAsker {
public:
    WindowSaveAsker(QWidget* window, Prompts& prompts) : window_(window), prompts_(prompts) {}

    void refuseSampleListAsTable(const std::filesystem::path& table) override {
        // The sample list would overwrite the table just written.
        prompts_.tell(window_, QStringLiteral("The table cannot be saved as %1: its sample list, "
                                              "the same name less its last three characters "
                                              "plus \"sam\", would be that same file and "
                                              "overwrite the table.\n\nNothing was written. "
                                              "Choose another name.")
                                   .arg(Shown(table)));
    }
    // A link checked out or unpacked with the level may lead to any file of the designer's.
    bool replaceThroughLink(const SaveQuestions::Link& link, bool isTable) override {
        return prompts_.askYesNo(
            window_,
            QStringLiteral("The %1 %2 is a link to %3, outside the table's "
                           "folder.\n\nReplace %3 with the %1 of this "
                           "table?")
                .arg(isTable ? "table" : "sample list", Shown(link.file), Shown(link.leadsTo)),
            false);
    }
    bool replaceChanged(const std::filesystem::path& file) override {
        return prompts_.askYesNo(window_,
                                 QStringLiteral("The file %1 has been changed by another program "
                                                "since Sondrel last read or saved it.\n\nReplace "
                                                "it, losing those changes?")
                                     .arg(Shown(file)),
                                 false);
    }
    // A sample list Sondrel never read or wrote may be the only copy of another level's.
    bool replaceUnknownSampleList(const std::filesystem::path& sampleList) override {
        return prompts_.askYesNo(
            window_,
            QStringLiteral("The sample list %1 already exists, and Sondrel has not read it: it "
                           "may belong to another table.\n\nReplace it with the sample list "
                           "of this table?")
                .arg(Shown(sampleList)),
            false);
    }

private:
    QWidget* window_;
    Prompts& prompts_;
};

} // namespace

void Sondrel::Save_Click() {
    saveAs();
}

bool Sondrel::saveInPlace() {
    return saveTo(open_.path());
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
    // What the designer sees is what is saved: the fields' and flags' edits are stored first,
    // and a refused value stops the save before anything is written. Every way a save stops
    // before it writes says so, beside the message or question.
    bool saved = false;
    const std::filesystem::path sampleList = SampleListPath(table);
    try {
        WindowSaveAsker asker(this, prompts_);
        saved = ApplyEdits() && open_.save(table, asker);
    } catch (const Failure& failure) {
        // Both old files are as they were, and the edits stay, so the designer can save
        // somewhere else.
        if (failure.code() == FailureCode::SampleListWrite) {
            prompts_.tell(
                this, QStringLiteral("The table %1 was not saved: its sample list %2 "
                                     "cannot be written.\n\n%3.\n\nBoth files are as "
                                     "they were.")
                          .arg(Shown(table), Shown(sampleList), QString::fromUtf8(failure.what())));
        } else {
            prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
        }
    }
    if (!saved) {
        showStatus("Nothing was saved");
        return false;
    }
    FM->setPath(table);
    showTableName();
    rememberRecent(table);
    showStatus(QStringLiteral("Saved %1 and %2")
                   .arg(QStringFromPath(table.filename()), QStringFromPath(sampleList.filename())));
    return true;
}

} // namespace sondrel
