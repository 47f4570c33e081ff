#include "formats/sound_table.h"

#include "formats/file_io.h"
#include "formats/little_endian.h"

namespace sondrel {
namespace {

constexpr std::size_t kSoundMapBytes = 2 * kSoundSlots;
constexpr std::size_t kDetailBytes = 8;
constexpr std::size_t kSampleIndexBytes = 4;
// The longest table the reader can need: both counts at their limit.
constexpr std::size_t kMaxTableBytes =
    kSoundMapBytes + 8 + (kDetailBytes + kSampleIndexBytes) * kMaxTableCount;

std::size_t CheckedCount(std::int32_t count) {
    if (count > kMaxTableCount) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
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

void SoundDetail::setWord(int index, std::uint16_t value) {
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    const auto high = static_cast<std::uint8_t>(value >> 8);
    switch (index) {
    case 0:
        Sample = static_cast<std::int16_t>(value);
        break;
    case 1:
        Volume = low;
        Radius = high;
        break;
    case 2:
        Chance = low;
        Pitch = high;
        break;
    default:
        Flags = value;
        break;
    }
}

SoundTable ParseSFX(std::span<const std::uint8_t> bytes) {
    LeReader in(bytes);
    SoundTable table;
    for (std::int16_t& slot : table.SoundMap) {
        slot = in.i16(); // detail index of the slot, -1 for none
    }
    table.NumDetails = in.i32();
    table.Details.resize(CheckedCount(table.NumDetails));
    for (SoundDetail& detail : table.Details) {
        for (int word = 0; word < 4; ++word) {
            detail.setWord(word, in.u16()); // Sample; Volume, Radius; Chance, Pitch; Flags
        }
    }
    table.NumSamples = in.i32();
    table.SampleIndices.resize(CheckedCount(table.NumSamples));
    for (std::int32_t& index : table.SampleIndices) {
        index = in.i32(); // carried unchanged
    }
    return table;
}

std::vector<std::uint8_t> SerializeSFX(const SoundTable& table) {
    std::vector<std::uint8_t> out;
    out.reserve(kSoundMapBytes + 8 + kDetailBytes * table.Details.size() +
                kSampleIndexBytes * table.SampleIndices.size());
    for (const std::int16_t slot : table.SoundMap) {
        PutU16(out, static_cast<std::uint16_t>(slot));
    }
    PutI32(out, table.NumDetails);
    for (const SoundDetail& detail : table.Details) {
        for (int word = 0; word < 4; ++word) {
            PutU16(out, detail.word(word));
        }
    }
    PutI32(out, table.NumSamples);
    for (const std::int32_t index : table.SampleIndices) {
        PutI32(out, index);
    }
    return out;
}

SoundTable ReadSFX(const std::filesystem::path& path) {
    try {
        if (!CreateIfMissing(path)) {
            throw Failure(FailureCode::TableRead, kReadSFXFailed);
        }
        return ParseSFX(ReadFileHead(path, kMaxTableBytes));
    } catch (const FileError&) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    } catch (const std::bad_alloc&) {
        throw Failure(FailureCode::TableRead, kReadSFXFailed);
    }
}

void WriteSFX(const std::filesystem::path& path, const SoundTable& table) {
    try {
        SaveSafely(path, SerializeSFX(table));
    } catch (const FileError&) {
        throw Failure(FailureCode::TableWrite, kWriteSFXFailed);
    } catch (const std::bad_alloc&) {
        throw Failure(FailureCode::TableWrite, kWriteSFXFailed);
    }
}

} // namespace sondrel
