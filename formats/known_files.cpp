#include "formats/known_files.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace sondrel {

std::vector<KnownFiles::Known>::const_iterator KnownFiles::find(const fs::path& path) const {
    return std::find_if(files_.begin(), files_.end(),
                        [&](const Known& file) { return SameFile(file.path, path); });
}

void KnownFiles::remember(const fs::path& path) {
    remember(path, StampFile(path));
}

void KnownFiles::remember(const fs::path& path, std::optional<FileStamp> stamp) {
    if (const auto known = find(path); known != files_.end()) {
        files_.erase(known);
    }
    files_.push_back({path, stamp});
}

bool KnownFiles::knows(const fs::path& path) const {
    return find(path) != files_.end();
}

bool KnownFiles::changedSince(const fs::path& path) const {
    const auto known = find(path);
    if (known == files_.end()) {
        return false;
    }
    const std::optional<FileStamp> now = StampFile(path);
    return now.has_value() && now != known->stamp;
}

SaveQuestions QuestionsForSave(const fs::path& table, const fs::path& sampleList,
                               const KnownFiles& known) {
    SaveQuestions questions;
    questions.sampleListIsTable = SameFile(table, sampleList);
    for (const fs::path& file : {table, sampleList}) {
        if (known.changedSince(file)) {
            questions.changedByAnother.push_back(file);
        }
        if (const std::optional<fs::path> lands = LinkLeadingOut(file)) {
            questions.linksOutside.push_back({file, *lands});
        }
    }
    std::error_code ec;
    questions.unknownSampleList = fs::is_regular_file(sampleList, ec) && !known.knows(sampleList);
    return questions;
}

} // namespace sondrel
