// The few file operations the formats need, kept apart so that parsing and serializing
// stay on bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace sondrel {

// Why a file operation failed, in plain words naming the file. Callers turn it into the
// `Failure` of their format.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads at most `limit` bytes from the start of an existing file. Throws FileError when the
// file cannot be opened or read (a folder, no permission, an I/O error).
std::vector<std::uint8_t> ReadFileHead(const std::filesystem::path& path, std::size_t limit);

// Creates an empty file when none exists at `path`. Returns false when it could not be
// created; an existing file is left as it is.
bool CreateIfMissing(const std::filesystem::path& path);

// What a file held when it was last read or written: enough to tell whether another program
// has changed it since, whatever the resolution of the file system's clock.
struct FileStamp {
    std::uintmax_t size = 0;
    std::uint64_t hash = 0; // FNV-1a of the content

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `path`; nothing where no file can be read there.
std::optional<FileStamp> StampFile(const std::filesystem::path& path);

// True when the two paths name one file: by identity where both exist (a link, another
// spelling of the same folder), otherwise by their names as the system compares them (without
// regard to case on Windows).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Writes `bytes` as the whole new content of `target` without ever leaving a half-written
// file: the bytes go to a new file beside the target, which is flushed to the disk and only
// then moved over the target. The target's permissions are kept; where the target is a
// symbolic link, the file it points to is replaced and the link stays. On any failure the
// old file is exactly as it was, the new one is removed, and FileError says why. A target
// that is a folder, or a file without write permission, is refused.
void SaveSafely(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

} // namespace sondrel
