// What set and take share: each table of a command line opened for editing, edited, and saved
// as the editor saves it, one table at a time; and the folders a sound's samples are found in.
#pragma once

#include "document/open_table.h"
#include "document/sound_loudness.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace sondrel {

// How the tables are opened and saved.
struct TableOptions {
    bool native = false; // the native sounds listed too, as "Include KV4 sounds?" answered Yes
    std::filesystem::path objects; // their names' database, the one beside the program if empty
    bool dryRun = false;           // say what would change, write nothing
};

// What one table's edit comes to: the sounds whose bytes change, the words that say what was
// done to them, and the sounds that could not be done (each named on the error output).
struct TableEdit {
    std::vector<DetailChange> changes;
    std::string words;
    bool incomplete = false;
};
using EditOfTable = std::function<TableEdit(const OpenTable& open, std::ostream& err)>;

// The object names the tables are listed with: none unless `options.native`.
ObjectNameTable ObjectNamesFor(const TableOptions& options);

// Opens each table, listed with `objects`, edits it and saves it where it changed, saying a
// line per table on `out` ("city.sfx: ...", a table that cannot be opened or saved on `err`)
// and a summary; the others are done all the same. Returns 0 where every table was done, else 1.
int EditEachTable(const std::vector<std::filesystem::path>& tables, const TableOptions& options,
                  const ObjectNameTable& objects, const EditOfTable& edit, std::ostream& out,
                  std::ostream& err);

// The folders a table's samples are looked for in, as Play looks: the table's own, then
// `samples` where given.
std::vector<std::filesystem::path> SampleFoldersOf(const std::filesystem::path& table,
                                                   const std::filesystem::path& samples);

} // namespace sondrel
