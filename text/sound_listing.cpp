// list: the sound list the editor shows for a table, as text.
#include "formats/object_names.h"
#include "formats/sample_list.h"
#include "logic/sound_columns.h"
#include "logic/sound_list.h"
#include "logic/table_text.h"
#include "logic/units.h"
#include "text/commands.h"

namespace fs = std::filesystem;

namespace sondrel {
namespace {

std::string Parameters(std::size_t index, const SoundDetail& detail) {
    const ShownValues shown = ShowDetail(detail);
    return "detail " + std::to_string(index) + "\tRAD " + std::to_string(shown.Range) + "\tVOL " +
           std::to_string(shown.Volume) + "\tPIT " + std::to_string(shown.Pitch) + "\tCH " +
           std::to_string(shown.Chance) + "\tbytes " + DetailBytes(detail) + "\tflags " +
           FlagLetters(detail.Flags, '-'); // left to right as the labels: P V R L N
}

std::string Samples(const SoundDetail& detail, const SampleNames& names) {
    std::string text = "\tsamples";
    for (const DetailSample& sample : SamplesOfDetail(detail, names)) {
        text += sample.Name ? " \"" + std::string(*sample.Name) + "\""
                            : " #" + std::to_string(sample.Index) + "?";
    }
    return text;
}

} // namespace

int ListSounds(const ListRequest& request, std::ostream& out, std::ostream& err) {
    RequireTable(request.table); // a viewer creates nothing
    const SoundTable table = ReadSFX(request.table);
    int status = 0;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(request.table, ec);
    if (!ec && size < TableBytes(table)) {
        err << "sondrel-text: " << DisplayPath(request.table) << " is shorter than its counts "
            << "say: " << size << " of " << TableBytes(table)
            << " bytes; what is missing reads as zero\n";
        status = 3;
    }
    // The object name database is only read: where there is none, the names stay empty.
    if (!request.objects.empty() && !fs::exists(request.objects, ec)) {
        throw ToolError{"there is no object name database " + DisplayPath(request.objects)};
    }
    ObjectNameTable objects;
    if (request.native) {
        objects = request.objects.empty() ? LoadObjectNames() : LoadObjectNames(request.objects);
    }
    const fs::path sampleList = SampleListPath(request.table);
    const SampleNames names = ReadSampleNames(sampleList, table.NumSamples);
    const std::vector<SoundListEntry> entries =
        ComputeSoundList(table, names, objects, request.native, DisplayPath(sampleList));

    std::vector<bool> listed(table.Details.size(), false);
    for (const SoundListEntry& entry : entries) {
        listed[entry.detail()] = true;
        out << entry.Text << '\t' << Parameters(entry.detail(), table.Details[entry.detail()])
            << Samples(table.Details[entry.detail()], names) << '\n';
    }
    out << "details " << table.NumDetails << ", samples " << table.NumSamples << ", listed "
        << entries.size() << '\n';
    std::vector<bool> used(table.Details.size(), false);
    for (const std::int16_t detail : table.SoundMap) {
        if (detail >= 0 && static_cast<std::size_t>(detail) < used.size()) {
            used[static_cast<std::size_t>(detail)] = true;
        }
    }
    for (std::size_t d = 0; d < table.Details.size(); ++d) {
        if (!listed[d]) {
            out << "unlisted\t" << Parameters(d, table.Details[d])
                << Samples(table.Details[d], names) << '\t' << (used[d] ? "native" : "no slot")
                << '\n';
        }
    }
    return status;
}

} // namespace sondrel
