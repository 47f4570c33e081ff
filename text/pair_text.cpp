// export and import: a table and its sample list as one text, and back.
#include "formats/safe_save.h"
#include "formats/sample_list.h"
#include "logic/sound_list.h"
#include "logic/table_text.h"
#include "text/commands.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// Refuses, naming the line of the text that causes it, a pair the editor would not open: its
// start-up reads the table as the file written would hold it (one that ends early reads its
// missing bytes as zero), the sample list beside it, and lists the sounds; so does this.
void RequireOpens(const TableWithList& pair, const TextPlaces& places, const std::string& text,
                  const fs::path& sampleList) {
    const auto refuse = [&](std::size_t line, const std::string& why) {
        throw ToolError{text + ", line " + std::to_string(line) + ": " + why +
                        "; nothing was written"};
    };
    if (!pair.sampleList) {
        refuse(places.samples, "the text has no sample list, and Sondrel opens a table only "
                               "with the names its samples count asks for beside it");
    }
    // Cut short, the table is what its end makes of it: the end is what to mend.
    bool cut = false;
    try {
        const SoundTable table = ParseSFX(SerializeTableFile(pair.table));
        cut = table != pair.table.table;
        const SampleNames names = ViewSampleNames(*pair.sampleList, table.NumSamples, sampleList);
        ComputeSoundList(table, names, {}, true, DisplayPath(sampleList));
    } catch (const Failure& failure) {
        std::size_t line = places.samples;
        if (cut) {
            line = places.ends;
        } else if (failure.code() == FailureCode::SampleIndexOutOfRange && failure.at()) {
            line = places.details.at((*failure.at() - DetailOffset(0)) / 8);
        } else if (failure.code() != FailureCode::SampleListShort && failure.at()) {
            line = places.lineOfListByte(*failure.at());
        }
        refuse(line, std::string(cut ? "with the file ending there, " : "") +
                         "Sondrel would not open the pair: failure " +
                         std::to_string(failure.number()) + ": " + failure.what());
    }
}

// What a file or a stream gives when it cannot be read, in words.
std::string Unreadable(const std::string& name) {
    return name + " cannot be read" + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
}

} // namespace

TableFile ReadTableForTool(const fs::path& path) {
    try {
        return ReadTableFile(path);
    } catch (const Failure& failure) {
        throw ToolError{DisplayPath(path) + ": " + failure.what()};
    }
}

std::optional<std::string> ReadSampleListText(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    try {
        return ReadSampleListFile(path);
    } catch (const Failure&) {
        return std::nullopt; // a sample list that cannot be read names nothing
    }
}

int ExportTable(const fs::path& table, bool fromGit, std::ostream& out, std::ostream& err) {
    RequireTable(table); // a viewer creates nothing
    TableWithList pair{ReadTableForTool(table), std::nullopt};
    if (fromGit) {
        if (const std::optional<fs::path> list = SampleListInRepository(table)) {
            pair.sampleList = ReadSampleListText(*list);
        }
    } else {
        const fs::path beside = SampleListPath(table);
        std::error_code ec;
        if (fs::is_regular_file(beside, ec)) {
            pair.sampleList = ReadSampleListFile(beside);
        } else {
            err << "sondrel-text: there is no sample list " << DisplayPath(beside)
                << (fs::exists(beside, ec) ? " that is a file" : "")
                << " beside the table: the text holds the table alone, its sounds without names\n";
        }
    }
    WriteTableText(pair, out);
    return 0;
}

int ImportText(const fs::path& textFile, const fs::path& table) {
    const bool standardInput = textFile == "-";
    const std::string name = standardInput ? "the standard input" : DisplayPath(textFile);
    std::error_code ec;
    if (fs::is_directory(textFile, ec)) {
        throw ToolError{name + " is a folder, not a table's text"};
    }
    std::ifstream file;
    if (!standardInput) {
        errno = 0;
        file.open(textFile, std::ios::binary);
        if (!file) {
            throw ToolError{Unreadable(name)};
        }
    }
    std::istream& in = standardInput ? std::cin : file;
    TableWithList pair;
    TextPlaces places;
    try {
        errno = 0;
        pair = ReadTableText(in, &places);
    } catch (const TextError& error) {
        if (in.bad()) {
            throw ToolError{Unreadable(name) + "; nothing was written"};
        }
        throw ToolError{name + ", " + error.what() + "; nothing was written"};
    }
    if (in.bad()) {
        throw ToolError{Unreadable(name) + "; nothing was written"};
    }
    const fs::path sampleList = SampleListPath(table);
    RequireOpens(pair, places, name, sampleList);
    if (SameFile(table, sampleList)) {
        throw ToolError{"the sample list of " + DisplayPath(table) +
                        " would be that same file; nothing was written"};
    }
    try {
        const std::vector<std::uint8_t> tableBytes = SerializeTableFile(pair.table);
        const auto* list = reinterpret_cast<const std::uint8_t*>(pair.sampleList->data());
        SavePair(table, AllOf(tableBytes), sampleList,
                 AllOf(std::span(list, pair.sampleList->size())));
    } catch (const FileError& error) {
        throw ToolError{std::string(error.what()) + "; both files are as they were"};
    }
    return 0;
}

} // namespace sondrel
