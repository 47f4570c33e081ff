#include "text/many_tables.h"

#include "formats/failure.h"
#include "formats/table_pair.h"
#include "text/commands.h"

#include <system_error>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// The tool asks nobody: a save the editor would ask about is not made, and why is kept.
class RefusingAsker : public SaveAsker {
public:
    void refuseSampleListAsTable(const fs::path&) override {
        why = "its sample list would be the table itself";
    }
    bool replaceThroughLink(const SaveQuestions::Link& link, bool isTable) override {
        why = std::string(isTable ? "it" : "its sample list") + " is a link to " +
              DisplayPath(link.leadsTo) + ", outside the table's folder";
        return false;
    }
    bool replaceChanged(const fs::path& file) override {
        why = DisplayPath(file) + " was changed by another program while it was being edited";
        return false;
    }
    bool replaceUnknownSampleList(const fs::path& sampleList) override {
        why = "the sample list " + DisplayPath(sampleList) + " was not the one read";
        return false;
    }
    std::string why;
};

// "1 table", "3 tables".
std::string Tables(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " table" : " tables");
}

} // namespace

ObjectNameTable ObjectNamesFor(const TableOptions& options) {
    if (!options.native) {
        return {};
    }
    std::error_code ec;
    if (!options.objects.empty() && !fs::exists(options.objects, ec)) {
        throw ToolError{"there is no object name database " + DisplayPath(options.objects)};
    }
    return options.objects.empty() ? LoadObjectNames() : LoadObjectNames(options.objects);
}

int EditEachTable(const std::vector<fs::path>& tables, const TableOptions& options,
                  const ObjectNameTable& objects, const EditOfTable& edit, std::ostream& out,
                  std::ostream& err) {
    std::size_t changed = 0;
    std::size_t failed = 0;
    for (const fs::path& path : tables) {
        const std::string name = DisplayPath(path);
        try {
            RequireTable(path); // an edit creates nothing
            OpenTable open(path, ReadTablePair(path), objects, options.native);
            const TableEdit done = edit(open, err);
            failed += done.incomplete ? 1 : 0;
            if (done.changes.empty()) {
                out << name << ": nothing to change; " << done.words << "\n";
                continue;
            }
            if (!options.dryRun) {
                open.apply(done.changes);
                RefusingAsker asker;
                if (!open.save(path, asker)) {
                    err << "sondrel-text: " << name << " was not saved: " << asker.why << "\n";
                    failed += done.incomplete ? 0 : 1;
                    continue;
                }
            }
            ++changed;
            out << name << ": " << (options.dryRun ? "would change " : "changed ")
                << done.changes.size() << (done.changes.size() == 1 ? " sound; " : " sounds; ")
                << done.words << "\n";
        } catch (const Failure& failure) {
            ++failed;
            err << "sondrel-text: " << name << ": failure " << failure.number() << ": "
                << failure.what() << "\n";
        }
    }
    out << Tables(tables.size()) << ": " << changed
        << (options.dryRun ? " would change, " : " changed, ") << failed
        << (failed == 1 ? " was" : " were") << " not done in full"
        << (options.dryRun ? "; nothing was written" : "") << "\n";
    return failed == 0 ? 0 : 1;
}

std::vector<fs::path> SampleFoldersOf(const fs::path& table, const fs::path& samples) {
    std::vector<fs::path> folders{fs::absolute(table).parent_path()};
    if (!samples.empty()) {
        folders.push_back(samples);
    }
    return folders;
}

} // namespace sondrel
