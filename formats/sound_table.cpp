#include "formats/sound_table.h"

#include "formats/file_io.h"
#include "formats/little_endian.h"

#include <algorithm>

namespace sondrel {
namespace {

constexpr std::size_t kSoundMapBytes = 2 * kSoundSlots;
constexpr std::size_t kDetailBytes = 8;
constexpr std::size_t kSampleIndexBytes = 4;
// The longest table the reader can need: both counts at their limit.
constexpr std::size_t kMaxTableBytes =
    kSoundMapBytes + 8 + (kDetailBytes + kSampleIndexBytes) * kMaxTableCount;

// Hands `decode` each of `count` records of `size` bytes from `offset` on. A record the
// bytes hold only in part is handed over zero-filled; records past the end are not handed
// over at all, so what the caller made of them (zero) stays.
template <class Decode>
void DecodeRecords(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t count, std::size_t size,
                   Decode decode) {
    const std::size_t available = offset < bytes.size() ? (bytes.size() - offset) / size : 0;
    const std::size_t whole = std::min(count, available);
    const std::uint8_t* at = bytes.data() + offset;
    for (std::size_t i = 0; i < whole; ++i, at += size) {
        decode(i, at);
    }
    if (whole < count && offset + whole * size < bytes.size()) {
        std::uint8_t partial[8] = {};
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(offset + whole * size), bytes.end(), partial);
        decode(whole, partial);
    }
}

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
    SoundTable table;
    std::size_t offset = 0;
    DecodeRecords(bytes, offset, table.SoundMap.size(), 2, [&](std::size_t i, const std::uint8_t* at) {
        table.SoundMap[i] = static_cast<std::int16_t>(Le16(at)); // detail index of the slot, -1 for none
    });
    offset += kSoundMapBytes;
    DecodeRecords(bytes, offset, 1, 4, [&](std::size_t, const std::uint8_t* at) {
        table.NumDetails = static_cast<std::int32_t>(Le32(at));
    });
    offset += 4;
    table.Details.resize(CheckedCount(table.NumDetails));
    DecodeRecords(bytes, offset, table.Details.size(), kDetailBytes, [&](std::size_t i, const std::uint8_t* at) {
        SoundDetail& detail = table.Details[i];
        detail.Sample = static_cast<std::int16_t>(Le16(at)); // first sample
        detail.Volume = at[2];
        detail.Radius = at[3];
        detail.Chance = at[4];
        detail.Pitch = at[5];
        detail.Flags = Le16(at + 6);
    });
    offset += kDetailBytes * table.Details.size();
    DecodeRecords(bytes, offset, 1, 4, [&](std::size_t, const std::uint8_t* at) {
        table.NumSamples = static_cast<std::int32_t>(Le32(at));
    });
    offset += 4;
    table.SampleIndices.resize(CheckedCount(table.NumSamples));
    DecodeRecords(bytes, offset, table.SampleIndices.size(), kSampleIndexBytes,
                  [&](std::size_t i, const std::uint8_t* at) {
                      table.SampleIndices[i] = static_cast<std::int32_t>(Le32(at)); // carried unchanged
                  });
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
