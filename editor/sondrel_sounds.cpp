#include "editor/flag_label.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "logic/sound_list.h"
#include "player/sample_player.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

namespace sondrel {

QLineEdit* Sondrel::fieldOf(EditField field) const {
    QLineEdit* const fields[] = {SndRAD, SndVOL, SndPIT, SndCH};
    return fields[static_cast<std::size_t>(field)];
}

EditView Sondrel::editView() const {
    EditView view{{}, flagColours()};
    for (const FieldInfo& field : kEditFields) {
        view.Texts.*field.text = fieldOf(field.field)->text().toStdString();
    }
    return view;
}

FlagLabel* Sondrel::labelOf(const FlagInfo& flag) const {
    for (FlagLabel* label : {SndP, SndV, SndR, SndL, SndN}) {
        if (label->text() == QChar(flag.letter)) {
            return label;
        }
    }
    return nullptr; // every flag has its label
}

FlagColours Sondrel::flagColours() const {
    FlagColours colours;
    for (const FlagInfo& flag : kFlagLabels) {
        colours.*flag.colour = labelOf(flag)->colour();
    }
    return colours;
}

void Sondrel::setFlagColours(const FlagColours& colours) {
    for (const FlagInfo& flag : kFlagLabels) {
        labelOf(flag)->setColour(colours.*flag.colour);
    }
}

void Sondrel::SndLst_Click() {
    if (open_.path().empty() || moving_ || SndLst->staying()) {
        return;
    }
    const std::vector<int> rows = SndLst->selectedPositions();
    if (rows == view_.positions()) {
        return;
    }
    if (!mayLeaveShownSound()) {
        SndLst->stay(); // on the sounds with the edits, which stay in the fields
        return;
    }
    display(rows);
}

void Sondrel::selectRows(const std::vector<int>& rows) {
    moving_ = true;
    SndLst->selectPositions(rows);
    moving_ = false;
}

void Sondrel::showRows(const std::vector<int>& rows) {
    selectRows(rows);
    display(rows);
}

void Sondrel::showChanged(const std::vector<std::size_t>& details) {
    SndLst->sounds()->refresh();
    if (const std::vector<int> rows = open_.positionsOf(details); !rows.empty()) {
        showRows(rows);
    }
    showModified();
}

bool Sondrel::hasUnappliedEdits() const {
    return !view_.empty() && editView() != view_.shown();
}

bool Sondrel::mayLeaveShownSound() {
    if (!hasUnappliedEdits()) {
        return true;
    }
    const std::vector<int>& rows = view_.positions();
    const QString question =
        rows.size() == 1
            ? QStringLiteral("You changed %1 without pressing Update.\n\nApply the changes to it?")
                  .arg(NameText(SndLst->entry(rows.front()).Text))
            : QStringLiteral("You changed %1 sounds without pressing Update.\n\nApply the "
                             "changes to them?")
                  .arg(rows.size());
    switch (prompts_.ask(this, question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                         QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return ApplyEdits();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void Sondrel::display(const std::vector<int>& rows) {
    // The same sounds shown anew keep the sample chosen among theirs; others stop what plays.
    const bool same = rows == view_.positions();
    const int sample = same ? Samples->currentIndex() : 0;
    if (!same && player_ && player_->playing()) {
        stopSound();
        showStatus("Stopped " + playing_);
    }
    view_ = SoundsInView(open_, rows);
    Samples->clear();
    if (view_.empty()) {
        return;
    }
    for (const std::string_view name : view_.boxNames()) {
        Samples->addItem(NameText(name));
    }
    const EditView& shown = view_.shown();
    for (const FieldInfo& field : kEditFields) {
        fieldOf(field.field)->setText(QString::fromStdString(shown.Texts.*field.text));
    }
    if (Samples->count() > 0) {
        Samples->setCurrentIndex(std::clamp(sample, 0, Samples->count() - 1));
        Samples->lineEdit()->setCursorPosition(0); // show a long name from its start
    }
    setFlagColours(shown.Colours);
    showModified();
    layOut(); // the Samples box as wide as its names need, where the window has room
}

void Sondrel::switchFlags(void (*click)(FlagColours&)) {
    FlagColours colours = flagColours();
    click(colours);
    setFlagColours(colours);
    showModified();
}

void Sondrel::SndP_Click() {
    switchFlags([](FlagColours& c) { ClickFlag(c.P); });
}

void Sondrel::SndV_Click() {
    switchFlags([](FlagColours& c) { ClickFlag(c.V); });
}

void Sondrel::SndN_Click() {
    switchFlags([](FlagColours& c) { ClickFlag(c.N); });
}

void Sondrel::SndR_Click() {
    switchFlags([](FlagColours& c) { ClickLoopFlag(c.R, c.L); });
}

void Sondrel::SndL_Click() {
    switchFlags([](FlagColours& c) { ClickLoopFlag(c.L, c.R); });
}

void Sondrel::Update_Click() {
    ApplyEdits();
}

bool Sondrel::ApplyEdits() {
    UpdateOutcome outcome = view_.update(editView());
    if (const std::optional<EditField> failed = outcome.batch.failed) {
        const FieldInfo& field = InfoOf(*failed);
        prompts_.tell(this, QStringLiteral("The %1 must be a number from 0 to %2%3.\n\nThe %4 not "
                                           "changed.")
                                .arg(QString::fromLatin1(field.name))
                                .arg(field.max)
                                .arg(outcome.batch.decimalComma
                                         ? QStringLiteral(", and a fraction is written with a "
                                                          "point: 2.5, not 2,5")
                                         : QString())
                                .arg(view_.positions().size() == 1 ? "sound was" : "sounds were"));
        fieldOf(*failed)->setFocus();
        fieldOf(*failed)->selectAll();
        return false;
    }
    if (outcome.words.empty()) {
        return true; // nothing to store into, or nothing to store
    }
    if (!outcome.batch.changes.empty()) {
        open_.apply(std::move(outcome.batch.changes), view_.details());
        SndLst->sounds()->refresh();
    }
    showStatus(NameText(outcome.words));
    display(view_.positions()); // the fields show what was stored, as the display rule shows it
    return true;
}

void Sondrel::undoUpdate() {
    if (hasUnappliedEdits()) {
        display(view_.positions()); // the latest change is the one not yet stored: it goes first
    } else {
        showChanged(open_.undo());
    }
}

void Sondrel::redoUpdate() {
    if (!hasUnappliedEdits()) {
        showChanged(open_.redo());
    }
}

void Sondrel::storeChanges(std::vector<DetailChange> changes) {
    if (changes.empty()) {
        return;
    }
    open_.apply(std::move(changes));
    SndLst->sounds()->refresh();
    display(view_.positions());
    showModified();
}

} // namespace sondrel
