#include "formats/table_pair.h"

namespace fs = std::filesystem;

namespace sondrel {

PairAsRead ReadTablePair(const fs::path& path) {
    // The table is stamped before it is read (but after a read creates it), so that a change
    // another program makes meanwhile is asked about at the save rather than replaced unseen;
    // the sample list is stamped from the very bytes its names were read from.
    PairAsRead read;
    read.tableStamp = StampFile(path);
    read.table = ReadSFX(path);
    if (!read.tableStamp) {
        read.tableStamp = StampFile(path);
    }
    read.names = ReadSampleNames(SampleListPath(path), read.table.NumSamples);
    read.namesStamp = StampOfBytes(read.names.text());
    return read;
}

void WriteTableAndSampleList(const fs::path& path, const SoundTable& table,
                             const SampleNames& names, const SaveStepHook& hook,
                             const StampsWhenDecided* expected, OutsideLinks outside) {
    try {
        const std::vector<std::uint8_t> tableBytes = SerializeSFX(table);
        SavePair(path, AllOf(tableBytes), SampleListPath(path),
                 SampleNamesText(names, table.NumSamples), hook, expected, outside);
    } catch (const PairError& error) {
        if (error.which() == 0) {
            throw TableWriteFailure(error.what());
        }
        throw Failure(FailureCode::SampleListWrite, error.what());
    } catch (const std::bad_alloc&) {
        throw TableWriteFailure("There is not enough memory to write " + DisplayPath(path));
    }
}

} // namespace sondrel
