// The few file operations the formats need, kept apart so that parsing and serializing
// stay on bytes in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
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

// True when the two paths name one file: by identity where both exist (a link, another
// spelling of the same folder), otherwise by where a write to each would land, links that
// point to no file yet followed, compared as the system compares names (without regard to
// case on Windows).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The bytes of a new file, handed piece by piece to the sink a writer gives: a large file need
// not be held whole in memory.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;
using ByteSource = std::function<void(const ByteSink&)>;

// A source of bytes already in memory; they must outlive it.
inline ByteSource AllOf(std::span<const std::uint8_t> bytes) {
    return [bytes](const ByteSink& sink) { sink(bytes); };
}

// A complete new file beside its target, flushed to the disk but not yet in its place. Where
// the target is a symbolic link, the file it points to is the target. A target that is not a
// regular file (a folder, a device, a named pipe), or one this user may not write, is
// refused. The new file gets the old one's permissions and, where the system allows, its
// owner and group. Until it is put in place it is named ".sondrel-PID-RANDOM.tmp"; a program
// killed meanwhile leaves it, and the next save beside it removes those of programs that no
// longer run. Throws FileError, leaving nothing behind.
class StagedFile {
public:
    StagedFile(const std::filesystem::path& target, const ByteSource& bytes);
    ~StagedFile(); // a file never put in place is removed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const std::filesystem::path& target() const { return target_; }
    bool replaces() const { return replaces_; } // there is an old file at the target
    // Puts the new file in the target's place in one step and flushes the folder. Throws
    // FileError, the target then as it was.
    void replaceTarget();

private:
    void close();
    void discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_; // the new file's name, until it is put in place
    int fd_ = -1;
    bool replaces_ = false;
};

// Writes `bytes` as the whole new content of `target` without ever leaving a half-written
// file, through a StagedFile. On any failure the old file is exactly as it was and FileError
// says why.
void SaveSafely(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// The points SavePair passes, for tests that stop a save there.
enum class SaveStep { FirstWritten, BothWritten, OldSecondKept, SecondReplaced, Done };
using SaveStepHook = std::function<void(SaveStep)>;

// A failure of SavePair, and which of its two files it concerns (0 the first, 1 the second).
class PairError : public FileError {
public:
    PairError(const FileError& error, int which) : FileError(error), which_(which) {}
    int which() const { return which_; }

private:
    int which_;
};

// What the two targets of SavePair held when the designer decided to save: StampFile of
// each, nothing where there was no file.
struct PairStamps {
    std::optional<FileStamp> first;
    std::optional<FileStamp> second;
};

// Saves two files that belong together. Both new files are written and flushed first; a
// failure until then leaves both old files as they were. Then the second replaces its old
// file, then the first; should the first fail, the second's old file is put back. Only a
// program killed, or a power cut, between the two replacements leaves the new second file
// beside the old first one. With `expected`, a target that holds something else right before
// its turn (another program changed it meanwhile) stops the save the same way. Throws
// PairError.
void SavePair(const std::filesystem::path& first, const ByteSource& firstBytes,
              const std::filesystem::path& second, const ByteSource& secondBytes,
              const SaveStepHook& hook = {}, const PairStamps* expected = nullptr);

} // namespace sondrel
