// loudness: each listed sound's loudness as it plays at its volume, a line each, so that
// `sort -n` orders them.
#include "formats/failure.h"
#include "formats/table_pair.h"
#include "logic/units.h"
#include "text/commands.h"
#include "text/many_tables.h"

#include <cstdio>

namespace fs = std::filesystem;

namespace sondrel {

int ListLoudness(const std::vector<std::string>& arguments, std::ostream& out) {
    fs::path table;
    fs::path samples;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--samples" && i + 1 < arguments.size()) {
            samples = PathFromUtf8(arguments[++i]);
        } else if (arguments[i].starts_with("-") || !table.empty()) {
            throw ToolError{"loudness takes [--samples DIR] TABLE.sfx, not " + arguments[i], 2};
        } else {
            table = PathFromUtf8(arguments[i]);
        }
    }
    if (table.empty()) {
        throw ToolError{"loudness needs a table", 2};
    }
    RequireTable(table);
    const PairAsRead read = ReadTablePair(table);
    const std::vector<SoundListEntry> list =
        ComputeSoundList(read.table, read.names, {}, false, DisplayPath(SampleListPath(table)));
    const std::vector<fs::path> folders = SampleFoldersOf(table, samples);
    LoudnessCache cache;
    for (const SoundListEntry& entry : list) {
        const SoundDetail& detail = read.table.Details[entry.detail()];
        const SampleLoudness sample = FirstSampleLoudness(detail, read.names, folders, cache);
        const std::optional<double> heard =
            sample.lufs ? LoudnessAtVolume(*sample.lufs, ShowDetail(detail).Volume) : std::nullopt;
        const std::string file = FirstSampleName(detail, read.names).value_or("");
        char lufs[32] = "-";
        if (heard) {
            std::snprintf(lufs, sizeof lufs, "%.1f", *heard);
        }
        out << lufs << '\t' << entry.Text << '\t' << file;
        if (!heard) {
            out << '\t' << (sample.lufs ? "volume 0" : sample.why);
        }
        out << '\n';
    }
    return 0;
}

} // namespace sondrel
