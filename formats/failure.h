// Failures of the file formats and of the editor's start-up.
//
// Every failure is one type, `Failure`, carrying a stable number and a description in plain
// words that names the file concerned. The formats raise it at their I/O edge and never show
// anything; the editor window catches it once and shows it. The numbers are listed in
// docs/failures.md and never change meaning.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace sondrel {

enum class FailureCode : int {
    // The table reader and writer: the window shows their fixed texts.
    TableRead = 1,     // "ReadSFX -> Can't read SFX"
    TableWrite = 2,    // "WriteSFX -> Can't write SFX"
    TableNotFound = 4, // the table named on the command line does not exist
    // The sample list beside the table.
    SampleListWrite = 3,        // the sample list cannot be written, so neither file was saved
    NoSamples = 10,             // the table's sample count is 0 or less
    SampleListOpen = 11,        // the sample list is missing or cannot be opened
    SampleListShort = 12,       // it ends before the table's sample count of names
    SampleListLineTooLong = 13, // one of its lines is longer than any file name can be
    SampleNameTooLong = 14,     // one of its names is longer than any file name can be
    SampleListTooLarge = 15,    // its names add up to more than any table can use
    // The object name database beside the program.
    ObjectDatabaseOpen = 20,         // it exists but cannot be opened
    ObjectDatabasePosition = 21,     // a skip leaves the file or the 32-bit position range
    ObjectDatabaseTooManyNames = 22, // more than 541 names
    ObjectNameTooLong = 23,          // a name longer than any object name can be
    ObjectDatabaseTooLarge = 24,     // larger than any database of objects can be
    // The sound list.
    SampleIndexOutOfRange = 30, // a listed sound names a sample the sample list lacks
    // Anywhere.
    OutOfMemory = 40,

    SampleNotPlayed = 50, // a sample's file is not a WAV file Sondrel plays, or cannot be read
};

class Failure : public std::runtime_error {
public:
    Failure(FailureCode code, const std::string& description,
            std::optional<std::uint64_t> at = std::nullopt)
        : std::runtime_error(description), code_(code), at_(at) {}

    FailureCode code() const { return code_; }
    int number() const { return static_cast<int>(code_); }
    // Where in its file the failure lies, as the offset of a byte, where the reader knows it.
    std::optional<std::uint64_t> at() const { return at_; }

private:
    FailureCode code_;
    std::optional<std::uint64_t> at_;
};

// Running out of memory while opening a table, its sample list or the object name database.
Failure OutOfMemoryFailure();

// A path as UTF-8 text for a failure's description, whatever the platform's own encoding.
std::string DisplayPath(const std::filesystem::path& path);

// A path from UTF-8 text (a command line's argument, say), whatever the platform's encoding.
std::filesystem::path PathFromUtf8(const std::string& text);

} // namespace sondrel
