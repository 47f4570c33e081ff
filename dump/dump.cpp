#include "dump/dump.h"

#include "formats/object_names.h"
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "logic/sound_columns.h"
#include "logic/sound_list.h"
#include "logic/units.h"

#include <cstdio>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

constexpr char kUsage[] =
    "usage: sondrel-dump [--native] [--objects FILE] TABLE.sfx\n"
    "       sondrel-dump --raw TABLE.sfx\n"
    "\n"
    "Prints the sound list Sondrel shows for TABLE.sfx and the sample list beside it, one line\n"
    "per entry: the entry, the detail, range, volume, pitch and chance as the editor shows them,\n"
    "the detail's 8 bytes, its flags (P V R L N) and its samples; then the counts and the details\n"
    "the list leaves out.\n"
    "\n"
    "  --native        list the native sounds too, under the names of the object name database\n"
    "                  beside the program (as answering Yes to \"Include KV4 sounds?\")\n"
    "  --objects FILE  read the object names from FILE (implies --native)\n"
    "  --raw           print every slot and detail of the table alone, without the sample list:\n"
    "                  for git diff, which hands over the table without its sample list\n"
    "  --help          print this and end\n"
    "  --version       print the version and end\n"
    "\n"
    "Exit status: 0 when the view is printed; 1 when the table cannot be shown, as Sondrel\n"
    "would report it; 2 for a command line it does not understand; 3 when the table is\n"
    "shorter than its counts say (the view is printed all the same, with what is missing\n"
    "read as zero, as Sondrel reads it).\n";

struct Options {
    bool help = false;
    bool version = false;
    bool native = false;
    bool raw = false;
    fs::path objects;
    fs::path table;
};

std::optional<Options> ParseArguments(const std::vector<std::string>& arguments,
                                      std::ostream& err) {
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--native") {
            options.native = true;
        } else if (argument == "--raw") {
            options.raw = true;
        } else if (argument == "--objects" && i + 1 < arguments.size()) {
            options.native = true;
            options.objects = PathFromUtf8(arguments[++i]);
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        } else if (argument == "--version") {
            options.version = true;
            return options;
        } else if (argument.starts_with("-") || !options.table.empty()) {
            err << "sondrel-dump: unexpected argument '" << argument << "'\n";
            return std::nullopt;
        } else {
            options.table = PathFromUtf8(argument);
        }
    }
    if (options.table.empty()) {
        err << "sondrel-dump: name a sound table\n";
        return std::nullopt;
    }
    return options;
}

std::string Hex(const SoundDetail& detail) {
    std::string text;
    for (int word = 0; word < 4; ++word) {
        const std::uint16_t value = detail.word(word);
        char bytes[8];
        std::snprintf(bytes, sizeof bytes, "%s%02X %02X", word == 0 ? "" : " ", value & 0xFF,
                      value >> 8);
        text += bytes;
    }
    return text;
}

std::string Parameters(std::size_t index, const SoundDetail& detail) {
    const ShownValues shown = ShowDetail(detail);
    return "detail " + std::to_string(index) + "\tRAD " + std::to_string(shown.Range) + "\tVOL " +
           std::to_string(shown.Volume) + "\tPIT " + std::to_string(shown.Pitch) + "\tCH " +
           std::to_string(shown.Chance) + "\tbytes " + Hex(detail) + "\tflags " +
           FlagLetters(detail.Flags, '-'); // left to right as the labels: P V R L N
}

std::string SampleList(const SoundDetail& detail, const std::vector<std::string>& names) {
    std::string text = "\tsamples";
    for (const DetailSample& sample : SamplesOfDetail(detail, names)) {
        text += sample.Name != nullptr ? " \"" + *sample.Name + "\""
                                       : " #" + std::to_string(sample.Index) + "?";
    }
    return text;
}

void DumpRaw(const SoundTable& table, std::ostream& out) {
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        const std::int16_t detail = table.SoundMap[static_cast<std::size_t>(slot)];
        if (detail != -1) {
            out << "slot " << slot << "\tdetail " << detail << '\n';
        }
    }
    for (std::size_t d = 0; d < table.Details.size(); ++d) {
        const SoundDetail& detail = table.Details[d];
        out << Parameters(d, detail) << "\tsamples " << detail.Sample << " to "
            << detail.Sample + detail.sampleCount() - 1 << '\n';
    }
    out << "details " << table.NumDetails << ", samples " << table.NumSamples << '\n';
    for (std::size_t k = 0; k < table.SampleIndices.size(); ++k) {
        out << "sample " << k << "\tindex " << table.SampleIndices[k] << '\n';
    }
}

void DumpList(const SoundTable& table, const std::vector<std::string>& names,
              const ObjectNameTable& objects, bool native, const fs::path& sampleList,
              std::ostream& out) {
    const std::vector<SoundListEntry> entries =
        ComputeSoundList(table, names, objects, native, DisplayPath(sampleList));
    std::vector<bool> listed(table.Details.size(), false);
    for (const SoundListEntry& entry : entries) {
        const auto d = static_cast<std::size_t>(entry.ListToDetail - 1);
        listed[d] = true;
        out << entry.Text << '\t' << Parameters(d, table.Details[d])
            << SampleList(table.Details[d], names) << '\n';
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
                << SampleList(table.Details[d], names) << '\t' << (used[d] ? "native" : "no slot")
                << '\n';
        }
    }
}

// Says why a table has no view; the exit status for it.
int Report(const fs::path& table, const Failure& failure, std::ostream& err) {
    err << "sondrel-dump: " << DisplayPath(table) << ": failure " << failure.number() << ": "
        << failure.what() << '\n';
    return 1;
}

} // namespace

int RunDump(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::optional<Options> options = ParseArguments(arguments, err);
    if (!options) {
        err << kUsage;
        return 2;
    }
    if (options->help || options->version) {
        out << (options->help ? kUsage : "sondrel-dump " SONDREL_VERSION "\n");
        out.flush();
        return out ? 0 : 1;
    }
    std::error_code ec;
    int status = 0;
    try {
        RequireTable(options->table); // a viewer creates nothing
        const SoundTable table = ReadSFX(options->table);
        const std::uintmax_t size = fs::file_size(options->table, ec);
        const std::uintmax_t needed = TableBytes(table);
        if (!ec && size < needed) {
            err << "sondrel-dump: " << DisplayPath(options->table) << " is shorter than its counts "
                << "say: " << size << " of " << needed << " bytes; what is missing reads as zero\n";
            status = 3;
        }
        if (options->raw) {
            DumpRaw(table, out);
        } else {
            // The object name database is only read: where there is none, the names stay empty.
            ObjectNameTable objects;
            if (!options->objects.empty() && !fs::exists(options->objects, ec)) {
                err << "sondrel-dump: there is no object name database "
                    << DisplayPath(options->objects) << '\n';
                return 1;
            }
            if (options->native) {
                objects = options->objects.empty() ? LoadObjectNames()
                                                   : LoadObjectNames(options->objects);
            }
            const fs::path sampleList = SampleListPath(options->table);
            const std::vector<std::string> names = ReadSampleNames(sampleList, table.NumSamples);
            DumpList(table, names, objects, options->native, sampleList, out);
        }
    } catch (const std::bad_alloc&) {
        return Report(options->table, OutOfMemoryFailure(), err);
    } catch (const Failure& failure) {
        return Report(options->table, failure, err);
    }
    // A view that did not reach its reader (a full disk, a closed pipe) is no success.
    out.flush();
    if (!out) {
        err << "sondrel-dump: the view of " << DisplayPath(options->table)
            << " could not be written out\n";
        return 1;
    }
    return status;
}

} // namespace sondrel
