#include "document/open_table.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace sondrel {

OpenTable::OpenTable(fs::path path, PairAsRead read, const ObjectNameTable& objectNames,
                     bool includeNative, KnownFiles known)
    : path_(std::move(path)), table_(std::move(read.table)), names_(std::move(read.names)),
      known_(std::move(known)), includeNative_(includeNative) {
    list_ = ComputeSoundList(table_, names_, objectNames, includeNative_,
                             DisplayPath(SampleListPath(path_)));
    known_.remember(path_, read.tableStamp);
    known_.remember(SampleListPath(path_), read.namesStamp);
}

void OpenTable::includeNative(bool include, const ObjectNameTable& objectNames) {
    list_ =
        ComputeSoundList(table_, names_, objectNames, include, DisplayPath(SampleListPath(path_)));
    includeNative_ = include;
}

std::vector<int> OpenTable::positionsOf(const std::vector<std::size_t>& details,
                                        const std::vector<std::string>& texts) const {
    std::vector<int> positions;
    for (std::size_t position = 0; position < list_.size(); ++position) {
        const SoundListEntry& entry = list_[position];
        if (std::find(details.begin(), details.end(), entry.detail()) != details.end() ||
            std::find(texts.begin(), texts.end(), entry.Text) != texts.end()) {
            positions.push_back(static_cast<int>(position));
        }
    }
    return positions;
}

void OpenTable::apply(std::vector<DetailChange> changes) {
    std::vector<std::size_t> into;
    for (const DetailChange& change : changes) {
        into.push_back(change.detail);
    }
    apply(std::move(changes), std::move(into));
}

void OpenTable::apply(std::vector<DetailChange> changes, std::vector<std::size_t> into) {
    if (changes.empty()) {
        return;
    }
    for (const DetailChange& change : changes) {
        table_.Details[change.detail] = change.after;
    }
    history_.resize(done_);
    if (cleanAt_ && *cleanAt_ > done_) {
        cleanAt_.reset(); // the state saved was among the steps undone, now gone
    }
    history_.push_back({std::move(changes), std::move(into)});
    ++done_;
}

std::vector<std::size_t> OpenTable::put(SoundDetail DetailChange::*bytes, std::size_t step) {
    for (const DetailChange& change : history_[step].changes) {
        table_.Details[change.detail] = change.*bytes;
    }
    return history_[step].into;
}

std::vector<std::size_t> OpenTable::undo() {
    if (!canUndo()) {
        return {};
    }
    --done_;
    return put(&DetailChange::before, done_);
}

std::vector<std::size_t> OpenTable::redo() {
    if (!canRedo()) {
        return {};
    }
    ++done_;
    return put(&DetailChange::after, done_ - 1);
}

bool OpenTable::save(const fs::path& table, SaveAsker& asker) {
    const fs::path sampleList = SampleListPath(table);
    const SaveQuestions questions = QuestionsForSave(table, sampleList, known_);
    if (questions.sampleListIsTable) {
        asker.refuseSampleListAsTable(table);
        return false;
    }
    for (const SaveQuestions::Link& link : questions.linksOutside) {
        if (!asker.replaceThroughLink(link, link.file == table)) {
            return false;
        }
    }
    for (const fs::path& file : questions.changedByAnother) {
        if (!asker.replaceChanged(file)) {
            return false;
        }
    }
    if (questions.unknownSampleList && !asker.replaceUnknownSampleList(sampleList)) {
        return false;
    }
    // What the two files hold now that the designer has decided: a file another program
    // changes while the save goes on stops it before that file is replaced.
    const StampsWhenDecided decided{StampFile(table), StampFile(sampleList)};
    WriteTableAndSampleList(table, table_, names_, {}, &decided,
                            questions.linksOutside.empty() ? OutsideLinks::Refuse
                                                           : OutsideLinks::Follow);
    known_.remember(table);
    known_.remember(sampleList);
    cleanAt_ = done_;
    path_ = table;
    return true;
}

} // namespace sondrel
