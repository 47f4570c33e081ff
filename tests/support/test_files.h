// Helpers of the tests: temporary folders, whole-file reads and writes, tables made to order;
// and the object name database writer of the example generator.
#pragma once

#include "formats/failure.h"
#include "formats/sound_table.h"
#include "tools/object_database.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sondrel::testing {

using sondrel::Bytes;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The names of the entries in the folder, or in another, sorted.
    std::vector<std::string> entries() const { return entriesOf(path_); }
    static std::vector<std::string> entriesOf(const std::filesystem::path& folder);

private:
    std::filesystem::path path_;
};

Bytes ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);

// A table whose slots use the given details, every other slot silent, with `samples` samples
// whose indices count up from 0.
SoundTable TableOf(const std::vector<std::pair<int, std::int16_t>>& slots,
                   std::vector<SoundDetail> details, std::int32_t samples);

// The failure `action` throws, as "failure N: its text"; "no failure" when it throws none.
template <class Action> std::string FailureOf(Action&& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return "failure " + std::to_string(failure.number()) + ": " + failure.what();
    }
    return "no failure";
}
// Just the number: "failure N".
template <class Action> std::string FailureNumberOf(Action&& action) {
    const std::string failure = FailureOf(action);
    return failure.substr(0, failure.find(':'));
}

using sondrel::AppendI32;
using sondrel::ObjectDatabase;

} // namespace sondrel::testing
