// The table open for editing: a table and the sample list beside it as read, what their files
// held then, the answer to "Include KV4 sounds?" and the list built from it, and the edits
// since, with their history and the state last saved.
#pragma once

#include "formats/known_files.h"
#include "formats/object_names.h"
#include "formats/sample_list.h"
#include "formats/sound_table.h"
#include "formats/table_pair.h"
#include "logic/sound_list.h"
#include "logic/units.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sondrel {

// What a save asks before it writes: the window answers with its dialogs, a command-line tool
// with its flags. Each question's true goes on with the save; false stops it, nothing written.
class SaveAsker {
public:
    virtual ~SaveAsker() = default;
    // The sample list's name would be the table's own: the save is refused, and said so.
    virtual void refuseSampleListAsTable(const std::filesystem::path& table) = 0;
    // The table (`isTable`) or its sample list is a link leading out of the table's folder.
    virtual bool replaceThroughLink(const SaveQuestions::Link& link, bool isTable) = 0;
    // Another program changed the file since it was read or saved here.
    virtual bool replaceChanged(const std::filesystem::path& file) = 0;
    // A sample list is there that was never read or saved here.
    virtual bool replaceUnknownSampleList(const std::filesystem::path& sampleList) = 0;
};

class OpenTable {
public:
    OpenTable() = default;
    // The pair read from `path`, listed as ComputeSoundList lists it. `known` holds the files
    // read or saved before, this pair's two added. Throws Failure as ComputeSoundList does.
    OpenTable(std::filesystem::path path, PairAsRead read, const ObjectNameTable& objectNames,
              bool includeNative, KnownFiles known = {});

    const std::filesystem::path& path() const { return path_; } // opened, or last saved
    const SoundTable& table() const { return table_; }
    const SampleNames& sampleNames() const { return names_; }
    const KnownFiles& knownFiles() const { return known_; }
    bool includesNative() const { return includeNative_; }
    const std::vector<SoundListEntry>& list() const { return list_; }

    // Lists the native sounds or not; the table stays as it is.
    void includeNative(bool include, const ObjectNameTable& objectNames);

    // The list entries of these details, and of those whose texts are among `texts`.
    std::vector<int> positionsOf(const std::vector<std::size_t>& details,
                                 const std::vector<std::string>& texts = {}) const;

    // An edit into the details `into`: each changed detail's bytes become `after`. One edit
    // is one step of the history; a new one lets the steps undone go.
    void apply(std::vector<DetailChange> changes, std::vector<std::size_t> into);
    // The same, into the details it changes.
    void apply(std::vector<DetailChange> changes);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < history_.size(); }
    // Undoes or redoes the last step, giving the details it was into: none where there is none.
    std::vector<std::size_t> undo();
    std::vector<std::size_t> redo();
    // True while the table holds what was last read or saved.
    bool isClean() const { return cleanAt_ == done_; }

    // Saves the table and its sample list as `table` and the list beside it, first asking what
    // QuestionsForSave says must be asked. True once both are written; false where a question
    // stopped it. Throws Failure(TableWrite or SampleListWrite), both files then as they were.
    bool save(const std::filesystem::path& table, SaveAsker& asker);

private:
    std::vector<std::size_t> put(SoundDetail DetailChange::*bytes, std::size_t step);

    std::filesystem::path path_;
    SoundTable table_;
    SampleNames names_;
    KnownFiles known_;
    bool includeNative_ = false;
    std::vector<SoundListEntry> list_;
    struct Step {
        std::vector<DetailChange> changes;
        std::vector<std::size_t> into;
    };
    std::vector<Step> history_;
    std::size_t done_ = 0; // the steps of the history done, the others undone
    // The steps done when it was last read or saved; nothing once those steps are gone.
    std::optional<std::size_t> cleanAt_ = 0;
};

} // namespace sondrel
