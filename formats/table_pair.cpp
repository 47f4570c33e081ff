#include "formats/table_pair.h"

namespace fs = std::filesystem;

namespace sondrel {

PairAsRead ReadTablePair(const fs::path& path) {
    PairAsRead read;
    read.table = ReadSFX(path);
    read.names = ReadSampleNames(SampleListPath(path), read.table.NumSamples);
    read.tableStamp = StampFile(path);
    read.namesStamp = StampFile(SampleListPath(path));
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
