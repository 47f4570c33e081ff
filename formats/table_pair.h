// A sound table and, beside it, its sample list, saved as the pair they are.
#pragma once

#include "formats/file_io.h"
#include "formats/safe_save.h"
#include "formats/sample_list.h"
#include "formats/sound_table.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sondrel {

// A table and the sample list beside it as read, with what each file held then.
struct PairAsRead {
    SoundTable table;
    SampleNames names;
    std::optional<FileStamp> tableStamp;
    std::optional<FileStamp> namesStamp;
};

// Reads the table at `path` as ReadSFX does and the sample list beside it, and stamps both
// files. Throws as those readers do.
PairAsRead ReadTablePair(const std::filesystem::path& path);

// Saves a table and, beside it, its sample list as a pair (SavePair): both are written in
// full first, then the sample list replaces its old file, then the table; a failure leaves
// both old files as they were. Throws Failure(TableWrite), whose text begins with the fixed
// "WriteSFX -> Can't write SFX", or Failure(SampleListWrite). `hook` is for tests that stop a
// save half way; `expected`, where given, stops it before a file another program changed
// since is replaced (see SavePair; first the table, second its sample list); `outside` says
// whether a link leading out of the table's folder may be written through.
void WriteTableAndSampleList(const std::filesystem::path& path, const SoundTable& table,
                             const SampleNames& names, const SaveStepHook& hook = {},
                             const StampsWhenDecided* expected = nullptr,
                             OutsideLinks outside = OutsideLinks::Refuse);

} // namespace sondrel
