#include "formats/sound_table.h"

#include "formats/file_io.h"
#include "formats/little_endian.h"
#include "formats/safe_save.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

constexpr std::size_t kSoundMapBytes = 2 * kSoundSlots;
constexpr std::size_t kDetailBytes = 8;
constexpr std::size_t kSampleIndexBytes = 4;

// The records in memory are the records in the file, byte for byte (the machine is
// little-endian, formats/little_endian.h): the arrays are read and written whole.
static_assert(sizeof(SoundDetail) == kDetailBytes && std::is_trivially_copyable_v<SoundDetail> &&
              std::is_standard_layout_v<SoundDetail> && offsetof(SoundDetail, Volume) == 2 &&
              offsetof(SoundDetail, Radius) == 3 && offsetof(SoundDetail, Chance) == 4 &&
              offsetof(SoundDetail, Pitch) == 5 && offsetof(SoundDetail, Flags) == 6);

std::size_t CheckedCount(std::int32_t count) {
    if (count > kMaxTableCount) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    }
    return EntriesFor(count);
}

template <class Record>
void AppendRecords(std::vector<std::uint8_t>& out, const std::vector<Record>& records) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(records.data());
    out.insert(out.end(), first, first + records.size() * sizeof(Record));
}

} // namespace

std::uint16_t SoundDetail::word(int index) const {
    switch (index) {
    case 0:
        return static_cast<std::uint16_t>(Sample);
    case 1:
        return static_cast<std::uint16_t>(Volume | (Radius << 8));
    case 2:
        return static_cast<std::uint16_t>(Chance | (Pitch << 8));
    default:
        return Flags;
    }
}

namespace {

// Reads a table field by field in file order from `in`: a cursor over bytes in memory, or a
// file read straight into the table's arrays. Every destination starts at zero, and what the
// source does not hold stays zero.
template <class Source> SoundTable ReadFields(Source& in) {
    SoundTable table;
    in.read(table.SoundMap.data(), kSoundMapBytes); // detail index of each slot, -1 for none
    table.NumDetails = in.i32();
    table.Details.resize(CheckedCount(table.NumDetails));
    in.read(table.Details.data(), kDetailBytes * table.Details.size());
    table.NumSamples = in.i32();
    table.SampleIndices.resize(CheckedCount(table.NumSamples));
    in.read(table.SampleIndices.data(),
            kSampleIndexBytes * table.SampleIndices.size()); // carried unchanged
    return table;
}

// A file read in order, as LittleEndianCursor reads bytes in memory: past its end, nothing.
class FileSource {
public:
    explicit FileSource(const fs::path& path) : file_(path) {}
    void read(void* out, std::size_t count) { file_.read(out, count); }
    std::int32_t i32() {
        std::uint8_t at[4] = {};
        read(at, 4);
        return static_cast<std::int32_t>(Le32(at));
    }

private:
    InputFile file_;
};

} // namespace

SoundTable ParseSFX(std::span<const std::uint8_t> bytes) {
    LittleEndianCursor in(bytes);
    return ReadFields(in);
}

std::vector<std::uint8_t> SerializeSFX(const SoundTable& table) {
    std::vector<std::uint8_t> out;
    out.reserve(kSoundMapBytes + 8 + kDetailBytes * table.Details.size() +
                kSampleIndexBytes * table.SampleIndices.size());
    for (const std::int16_t slot : table.SoundMap) {
        PutU16(out, static_cast<std::uint16_t>(slot));
    }
    PutI32(out, table.NumDetails);
    AppendRecords(out, table.Details);
    PutI32(out, table.NumSamples);
    AppendRecords(out, table.SampleIndices);
    return out;
}

std::uintmax_t TableBytes(const SoundTable& table) {
    return kSoundMapBytes + 4 + kDetailBytes * table.Details.size() + 4 +
           kSampleIndexBytes * table.SampleIndices.size();
}

void RequireTable(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        throw Failure(FailureCode::TableNotFound, "there is no sound table " + DisplayPath(path));
    }
    if (!fs::is_regular_file(status)) {
        const char* kind = fs::is_directory(status) ? "a folder"
                           : fs::is_fifo(status)    ? "a named pipe"
                                                    : "not a regular file";
        throw Failure(FailureCode::TableNotFound,
                      DisplayPath(path) + " is " + kind + ", not a sound table file");
    }
}

SoundTable ReadSFX(const std::filesystem::path& path) {
    try {
        if (!CreateIfMissing(path)) {
            throw Failure(FailureCode::TableRead, kReadSFXFailed);
        }
        // Straight into the arrays, and never more than the counts say: bytes after the table
        // are not read.
        FileSource in(path);
        return ReadFields(in);
    } catch (const FileError&) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    } catch (const std::bad_alloc&) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    }
}

TableFile ParseTableFile(std::span<const std::uint8_t> bytes) {
    TableFile file{ParseSFX(bytes), std::nullopt, {}};
    const std::uintmax_t full = TableBytes(file.table);
    if (bytes.size() < full) {
        file.endsAt = bytes.size();
    } else if (bytes.size() - full > kMaxBytesAfterTable) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    } else {
        file.after.assign(bytes.begin() + static_cast<std::ptrdiff_t>(full), bytes.end());
    }
    return file;
}

std::vector<std::uint8_t> SerializeTableFile(const TableFile& file) {
    std::vector<std::uint8_t> bytes = SerializeSFX(file.table);
    if (file.endsAt && *file.endsAt < bytes.size()) {
        bytes.resize(static_cast<std::size_t>(*file.endsAt));
    }
    bytes.insert(bytes.end(), file.after.begin(), file.after.end());
    return bytes;
}

TableFile ReadTableFile(const std::filesystem::path& path) {
    try {
        return ParseTableFile(ReadFileHead(path, kSoundMapBytes + 8 +
                                                     (kDetailBytes + kSampleIndexBytes) *
                                                         std::size_t{kMaxTableCount} +
                                                     kMaxBytesAfterTable + 1));
    } catch (const FileError&) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    } catch (const std::bad_alloc&) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    }
}

Failure TableWriteFailure(const std::string& why) {
    return Failure(FailureCode::TableWrite, std::string(kWriteSFXFailed) + "\n\n" + why + ".");
}

void WriteSFX(const std::filesystem::path& path, const SoundTable& table) {
    try {
        SaveSafely(path, SerializeSFX(table));
    } catch (const FileError& error) {
        throw TableWriteFailure(error.what());
    } catch (const std::bad_alloc&) {
        throw TableWriteFailure("There is not enough memory to write " + DisplayPath(path));
    }
}

} // namespace sondrel
