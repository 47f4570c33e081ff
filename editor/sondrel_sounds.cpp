#include "editor/flag_label.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "logic/sound_list.h"
#include "player/sample_player.h"

#include <QComboBox>
#include <QLineEdit>
#include <QUndoStack>

#include <algorithm>

namespace sondrel {

// One Update, of one sound or several: each detail's eight bytes before and after. Undoing or
// redoing it puts them back and shows those sounds.
class Sondrel::UpdateCommand : public QUndoCommand {
public:
    UpdateCommand(Sondrel* window, std::vector<DetailChange> changes)
        : window_(window), changes_(std::move(changes)) {}

    void undo() override { put(&DetailChange::before); }
    void redo() override {
        if (done_) {
            put(&DetailChange::after);
        }
        done_ = true; // the first redo is the Update itself, which stored and shows it already
    }

private:
    void put(SoundDetail DetailChange::*bytes) {
        std::vector<int> details;
        for (const DetailChange& change : changes_) {
            window_->state_.Table.Details[change.detail] = change.*bytes;
            details.push_back(static_cast<int>(change.detail));
        }
        window_->SndLst->sounds()->refresh();
        if (const std::vector<int> rows = window_->rowsOf(details); !rows.empty()) {
            window_->showRows(rows);
        }
    }

    Sondrel* window_;
    std::vector<DetailChange> changes_;
    bool done_ = false;
};

namespace {

// What an Update stores, in words: "the volume", "the range, the pitch and the flags".
QString WhatChanged(const EditView& shown, const EditView& now) {
    QStringList parts;
    const std::pair<std::string EditTexts::*, const char*> fields[] = {
        {&EditTexts::Range, "the range"},
        {&EditTexts::Volume, "the volume"},
        {&EditTexts::Pitch, "the pitch"},
        {&EditTexts::Chance, "the chance"}};
    for (const auto& [text, name] : fields) {
        if (shown.Texts.*text != now.Texts.*text) {
            parts << name;
        }
    }
    if (shown.Colours != now.Colours) {
        parts << "the flags";
    }
    const QString last = parts.isEmpty() ? QString() : parts.takeLast();
    return parts.isEmpty() ? last : parts.join(", ") + " and " + last;
}

} // namespace

int Sondrel::detailAt(int listIndex) const {
    if (listIndex < 0 || static_cast<std::size_t>(listIndex) >= state_.ListToDetail.size()) {
        return -1;
    }
    const std::int32_t detail = state_.ListToDetail[static_cast<std::size_t>(listIndex)] - 1;
    return detail >= 0 && static_cast<std::size_t>(detail) < state_.Table.Details.size() ? detail
                                                                                         : -1;
}

EditView Sondrel::editView() const {
    return {{SndRAD->text().toStdString(), SndVOL->text().toStdString(),
             SndPIT->text().toStdString(), SndCH->text().toStdString()},
            flagColours()};
}

FlagColours Sondrel::flagColours() const {
    return {SndV->colour(), SndP->colour(), SndN->colour(), SndL->colour(), SndR->colour()};
}

void Sondrel::setFlagColours(const FlagColours& colours) {
    SndV->setColour(colours.V);
    SndP->setColour(colours.P);
    SndN->setColour(colours.N);
    SndL->setColour(colours.L);
    SndR->setColour(colours.R);
}

void Sondrel::SndLst_Click() {
    if (!state_.ListLoaded || moving_ || SndLst->staying()) {
        return;
    }
    const std::vector<int> rows = SndLst->selectedPositions();
    if (rows == shownRows_) {
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

std::vector<int> Sondrel::rowsOf(const std::vector<int>& details, const QStringList& texts) const {
    std::vector<int> rows;
    for (int row = 0; row < state_.ListEntryCount; ++row) {
        if (std::find(details.begin(), details.end(), detailAt(row)) != details.end() ||
            texts.contains(NameText(SndLst->entry(row).Text))) {
            rows.push_back(row);
        }
    }
    return rows;
}

bool Sondrel::hasUnappliedEdits() const {
    return !shownRows_.empty() && editView() != shown_;
}

bool Sondrel::mayLeaveShownSound() {
    if (!hasUnappliedEdits()) {
        return true;
    }
    const QString question =
        shownRows_.size() == 1
            ? QStringLiteral("You changed %1 without pressing Update.\n\nApply the changes to it?")
                  .arg(NameText(SndLst->entry(shownRows_.front()).Text))
            : QStringLiteral("You changed %1 sounds without pressing Update.\n\nApply the "
                             "changes to them?")
                  .arg(shownRows_.size());
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

void Sondrel::display(std::vector<int> rows) {
    // The same sounds shown anew keep the sample chosen among theirs; others stop what plays.
    const int sample = rows == shownRows_ ? Samples->currentIndex() : 0;
    if (rows != shownRows_ && player_ && player_->playing()) {
        stopSound();
        showStatus("Stopped " + playing_);
    }
    Samples->clear();
    shownRows_.clear();
    std::vector<const SoundDetail*> details;
    std::vector<EditView> views;
    std::erase_if(rows, [this](int row) { return detailAt(row) < 0; });
    for (const int row : rows) {
        details.push_back(&state_.Table.Details[static_cast<std::size_t>(detailAt(row))]);
        views.push_back(ViewOfDetail(*details.back()));
    }
    if (details.empty()) {
        return;
    }
    // The samples, where the sounds all play the same ones.
    const SoundDetail& first = *details.front();
    const bool sameSamples = std::all_of(details.begin(), details.end(), [&](const auto* detail) {
        return detail->Sample == first.Sample && detail->sampleCount() == first.sampleCount();
    });
    if (sameSamples) {
        for (const DetailSample& sample : SamplesOfDetail(first, state_.SampleNames)) {
            if (sample.Name) { // a damaged table shows what there is
                Samples->addItem(NameText(*sample.Name));
            }
        }
    }
    const EditView shared = SharedView(views);
    SndRAD->setText(QString::fromStdString(shared.Texts.Range));
    SndVOL->setText(QString::fromStdString(shared.Texts.Volume));
    SndPIT->setText(QString::fromStdString(shared.Texts.Pitch));
    SndCH->setText(QString::fromStdString(shared.Texts.Chance));
    if (Samples->count() > 0) {
        Samples->setCurrentIndex(std::clamp(sample, 0, Samples->count() - 1));
        Samples->lineEdit()->setCursorPosition(0); // show a long name from its start
    }
    setFlagColours(shared.Colours);
    shown_ = editView();
    shownRows_ = std::move(rows);
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
    const EditView now = editView();
    if (shownRows_.empty() || now == shown_) {
        shown_ = now; // nothing to store into, or nothing to store
        return true;
    }
    std::vector<std::size_t> details;
    for (const int row : shownRows_) {
        details.push_back(static_cast<std::size_t>(detailAt(row)));
    }
    BatchResult batch = StoreIntoAll(state_.Table.Details, details, shown_, now);
    if (batch.failed) {
        const FieldLimits limits = LimitsOf(*batch.failed);
        QLineEdit* fields[] = {SndRAD, SndVOL, SndPIT, SndCH};
        QLineEdit* field = fields[static_cast<int>(*batch.failed)];
        prompts_.tell(this, QStringLiteral("The %1 must be a number from 0 to %2%3.\n\nThe %4 not "
                                           "changed.")
                                .arg(QString::fromLatin1(limits.name))
                                .arg(limits.max)
                                .arg(batch.decimalComma
                                         ? QStringLiteral(", and a fraction is written with a "
                                                          "point: 2.5, not 2,5")
                                         : QString())
                                .arg(shownRows_.size() == 1 ? "sound was" : "sounds were"));
        field->setFocus();
        field->selectAll();
        return false;
    }
    const QString stored = WhatChanged(shown_, now);
    if (!batch.changes.empty()) {
        for (const DetailChange& change : batch.changes) {
            state_.Table.Details[change.detail] = change.after;
        }
        undo_->push(new UpdateCommand(this, std::move(batch.changes)));
        SndLst->sounds()->refresh();
    }
    showStatus(shownRows_.size() == 1
                   ? QStringLiteral("Stored %1 into %2")
                         .arg(stored, NameText(SndLst->entry(shownRows_.front()).Text))
                   : QStringLiteral("Stored %1 into %2 sounds").arg(stored).arg(shownRows_.size()));
    display(shownRows_); // the fields show what was stored, as the display rule shows it
    return true;
}

void Sondrel::undoUpdate() {
    if (hasUnappliedEdits()) {
        display(shownRows_); // the latest change is the one not yet stored: it goes first
    } else {
        undo_->undo();
    }
}

void Sondrel::redoUpdate() {
    if (!hasUnappliedEdits()) {
        undo_->redo();
    }
}

} // namespace sondrel
