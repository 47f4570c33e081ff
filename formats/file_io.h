// The few file operations the formats need to read, kept apart so that parsing stays on bytes
// in memory: reading a file, its stamp, and whether two paths name one file. Saving is
// safe_save.h's.
#pragma once

#include "formats/file_error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace sondrel {

// An existing regular file (after following links), open for reading. A folder, a named pipe
// or a device is refused with FileError, and opening never waits.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to `bytes` bytes; fewer only at the end of the file. Throws FileError.
    std::size_t read(void* into, std::size_t bytes);
    // The size when it was opened.
    std::uint64_t size() const { return size_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Reads at most `limit` bytes from the start of an existing regular file. Throws FileError
// when the file cannot be opened or read (missing, a folder, a pipe, no permission, an I/O
// error).
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
// The stamp of a file that holds `bytes`, as StampFile gives it: for the bytes a reader took.
FileStamp StampOfBytes(std::string_view bytes);

// True when the two paths name one file: by identity where both exist (a link, another
// spelling of the same folder), otherwise by where a write to each would land, links that
// point to no file yet followed, compared as the system compares names (without regard to
// case on Windows).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether a file a program keeps for itself (its settings) may be read and later replaced:
// there is none yet, or it is a regular file of this user's (no link, device or named pipe,
// which a read could wait on for ever and a save replace) of at most `limit` bytes.
bool IsOwnPlainFile(const std::filesystem::path& path, std::uintmax_t limit);

// True when `path`, its links followed, names something in `folder` or a folder below it (not
// the folder itself); false also where either cannot be made absolute.
bool LiesWithin(const std::filesystem::path& path, const std::filesystem::path& folder);

// Where a write to `path` would land when `path` is a symbolic link (or a chain of them) that
// leads out of its own folder: a level checked out or unpacked may carry a link to any file of
// the designer's. Nothing for a path that is no link, or one whose file lies in its folder or
// a folder below it.
std::optional<std::filesystem::path> LinkLeadingOut(const std::filesystem::path& path);

} // namespace sondrel
