// Saving without ever leaving a half-written file: a new file is written in full beside its
// target and put in its place in one step, alone or as one of a pair.
#pragma once

#include "formats/file_io.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

namespace sondrel {

// The bytes of a new file, handed piece by piece to the sink a writer gives: a large file need
// not be held whole in memory.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;
using ByteSource = std::function<void(const ByteSink&)>;

// A source of bytes already in memory; they must outlive it.
inline ByteSource AllOf(std::span<const std::uint8_t> bytes) {
    return [bytes](const ByteSink& sink) { sink(bytes); };
}

// Whether a save may write through a link that leads out of its folder (LinkLeadingOut): only
// once the designer has said so for that file.
enum class OutsideLinks { Refuse, Follow };

// A complete new file beside its target, flushed to the disk but not yet in its place. Where
// the target is a symbolic link, the file it points to is the target, unless it lies outside
// the link's folder and `outside` refuses it (throwing FileError). A target that is not a
// regular file (a folder, a device, a named pipe), or one this user may not write, is
// refused. The new file gets the old one's permissions and, where the system allows, its
// owner and group. Until it is put in place it is named ".sondrel-PID-RANDOM.tmp"; a program
// killed meanwhile leaves it, and the next save beside it removes those of programs that no
// longer run. Throws FileError, leaving nothing behind.
class StagedFile {
public:
    StagedFile(const std::filesystem::path& target, const ByteSource& bytes,
               OutsideLinks outside = OutsideLinks::Refuse);
    ~StagedFile(); // a file never put in place is removed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const std::filesystem::path& target() const { return target_; }
    bool replaces() const { return replaces_; } // there is an old file at the target
    // Puts the new file in the target's place in one step and, unless told not to, flushes the
    // folder so that the step survives a power cut. Throws FileError, the target then as it was.
    void replaceTarget(bool flushFolder = true);

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
struct StampsWhenDecided {
    std::optional<FileStamp> first;
    std::optional<FileStamp> second;
};

// Saves two files that belong together. Both new files are written and flushed first; a
// failure until then leaves both old files as they were. Then the second replaces its old
// file, then the first; should the first fail, the second's old file is put back. Only a
// program killed, or a power cut, between the two replacements leaves the new second file
// beside the old first one; nothing else is done in that instant. With `expected`, a target
// that holds something else right before the first replacement (another program changed it
// meanwhile) stops the save the same way. `outside` is each StagedFile's. Throws PairError.
void SavePair(const std::filesystem::path& first, const ByteSource& firstBytes,
              const std::filesystem::path& second, const ByteSource& secondBytes,
              const SaveStepHook& hook = {}, const StampsWhenDecided* expected = nullptr,
              OutsideLinks outside = OutsideLinks::Refuse);

} // namespace sondrel
