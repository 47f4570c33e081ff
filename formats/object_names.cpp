#include "formats/object_names.h"

#include "formats/file_io.h"
#include "formats/little_endian.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace sondrel {
namespace {

constexpr std::int64_t kMaxPosition = std::numeric_limits<std::int32_t>::max();

class Parser {
public:
    Parser(std::span<const std::uint8_t> bytes, const fs::path& file) : in_(bytes), file_(file) {}

    // Where each slot's name lies in the bytes: as far as the file holds it.
    using Span = std::pair<std::uint32_t, std::uint32_t>;
    std::array<Span, kObjectNameCount> parse() {
        for (int section = 1; section <= 6; ++section) {
            const std::int32_t count = readCount();
            skipEntries(count, section <= 2 ? 0 : 4);
        }
        std::array<Span, kObjectNameCount> names{};
        const std::int32_t count = readCount();
        for (std::int32_t i = 0; i < count; ++i) {
            if (i >= kObjectNameCount) {
                throw Failure(FailureCode::ObjectDatabaseTooManyNames,
                              "the object name database " + DisplayPath(file_) + " holds " +
                                  std::to_string(count) + " names, more than the " +
                                  std::to_string(kObjectNameCount) + " it may have");
            }
            const std::int32_t length = readCount();
            if (length > kMaxObjectNameBytes) {
                throw Failure(FailureCode::ObjectNameTooLong,
                              "name " + std::to_string(i) + " of the object name database " +
                                  DisplayPath(file_) + " is " + std::to_string(length) +
                                  " bytes long, longer than the " +
                                  std::to_string(kMaxObjectNameBytes) + " any name can be");
            }
            if (length > 0) {
                const std::int64_t end = moved(in_.pos(), length);
                const std::size_t held = in_.held(static_cast<std::size_t>(length));
                if (held > 0) { // the position is within the file, below 2^31
                    names[static_cast<std::size_t>(i)] = {static_cast<std::uint32_t>(in_.pos()),
                                                          static_cast<std::uint32_t>(held)};
                }
                in_.moveTo(end);
            }
        }
        return names;
    }

private:
    std::int32_t readCount() {
        moved(in_.pos(), 4); // fails where the count would end past the largest position
        return in_.i32();
    }

    std::int64_t moved(std::int64_t pos, std::int64_t by) const {
        const std::int64_t next = pos + by;
        if (next < 0) {
            fail("a skip moves before the start of the file");
        }
        if (next > kMaxPosition) {
            fail("a skip moves past the largest position a 32-bit count can reach");
        }
        return next;
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw Failure(FailureCode::ObjectDatabasePosition,
                      "the object name database " + DisplayPath(file_) + " is damaged: " + what);
    }

    // One entry of a skipped section: its length, then a move past its bytes and `extra` more.
    void skipOne(int extra) {
        const std::int64_t skip = std::int64_t{readCount()} + extra;
        if (skip > kMaxPosition) {
            fail("an entry's length is out of range");
        }
        in_.moveTo(moved(in_.pos(), skip));
    }

    // Passes over entries while their lengths lie within the file's size, as in every database
    // the level editor writes: the position only moves forward, so no loop is possible and none
    // is looked for. Returns how many of `count` are left, from the first entry that is not so.
    // Each entry's length is where the next one lies, so this is a chain of loads; it is kept
    // to a load and an add each.
    std::int64_t skipForward(std::int64_t count, int extra) {
        const std::uint8_t* bytes = in_.data();
        const std::int64_t size = in_.size();
        std::int64_t pos = in_.pos();
        while (count > 0 && pos <= size - 4) {
            const std::uint32_t length = Le32(bytes + pos);
            const std::int64_t next = pos + 4 + extra + std::int64_t{length};
            if (length > static_cast<std::uint64_t>(size) || next > kMaxPosition) {
                break;
            }
            pos = next;
            --count;
        }
        in_.moveTo(pos);
        return count;
    }

    // Passes over `count` entries. A hostile file can make entries loop (a negative length
    // moving back to an earlier entry) or count up to 2^31 of them; the walk still ends in
    // time linear in the file's size: past the end every entry is alike, and a loop inside the
    // file is found by Brent's cycle detection and cut short.
    void skipEntries(std::int32_t count, int extra) {
        std::int64_t remaining = skipForward(std::max(count, 0), extra);
        std::int64_t tortoise = in_.pos();
        std::int64_t power = 1;
        std::int64_t steps = 0;
        while (remaining > 0) {
            if (in_.pos() >= in_.size()) {
                // Past the end each length reads as 0: every entry moves by 4 + extra.
                in_.moveTo(moved(in_.pos(), remaining * (4 + extra)));
                return;
            }
            skipOne(extra);
            --remaining;
            ++steps;
            if (in_.pos() == tortoise) {
                remaining %= steps; // the positions repeat every `steps` entries from here
            } else if (steps == power) {
                tortoise = in_.pos();
                power *= 2;
                steps = 0;
            }
        }
    }

    LittleEndianCursor in_;
    const fs::path& file_;
};

} // namespace

void ObjectNameTable::set(std::size_t slot, std::string_view name) {
    spans_[slot] = {static_cast<std::uint32_t>(bytes_.size()),
                    static_cast<std::uint32_t>(name.size())};
    bytes_.insert(bytes_.end(), name.begin(), name.end());
}

bool operator==(const ObjectNameTable& a, const ObjectNameTable& b) {
    for (std::size_t slot = 0; slot < ObjectNameTable::size(); ++slot) {
        if (a[slot] != b[slot]) {
            return false;
        }
    }
    return true;
}

ObjectNameTable ParseObjectNames(std::vector<std::uint8_t> bytes, const fs::path& file) {
    ObjectNameTable names;
    const auto spans = Parser(bytes, file).parse();
    for (std::size_t slot = 0; slot < spans.size(); ++slot) {
        names.spans_[slot] = {spans[slot].first, spans[slot].second};
    }
    names.bytes_ = std::move(bytes);
    return names;
}

ObjectNameTable ParseObjectNames(std::span<const std::uint8_t> bytes, const fs::path& file) {
    return ParseObjectNames(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), file);
}

ObjectNameTable LoadObjectNames(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileHead(path, kMaxObjectDatabaseBytes + 1);
    } catch (const FileError&) {
        std::error_code ec;
        if (!fs::exists(path, ec)) {
            return {}; // every name stays empty; nothing is created
        }
        throw Failure(FailureCode::ObjectDatabaseOpen,
                      "the object name database " + DisplayPath(path) + " cannot be opened");
    }
    if (bytes.size() > kMaxObjectDatabaseBytes) {
        throw Failure(FailureCode::ObjectDatabaseTooLarge,
                      "the object name database " + DisplayPath(path) + " is larger than " +
                          std::to_string(kMaxObjectDatabaseBytes >> 20) +
                          " MiB, far larger than any database of the level editor's objects");
    }
    return ParseObjectNames(std::move(bytes), path);
}

ObjectNameTable LoadObjectNames() {
    const fs::path found = FindObjectDatabase(ObjectDatabaseFolders());
    return found.empty() ? ObjectNameTable{} : LoadObjectNames(found);
}

std::vector<fs::path> ObjectDatabaseFolders() {
    std::vector<fs::path> folders{ProgramFolder()};
#if !defined(_WIN32)
    // The user's data folder, then the system's, as the desktop's base directories name them;
    // a relative folder in them is ignored.
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    const auto add = [&folders](const std::string& folder) {
        if (!folder.empty() && folder.front() == '/') {
            folders.push_back(fs::path(folder) / "sondrel");
        }
    };
    std::string dataHome = variable("XDG_DATA_HOME");
    if (dataHome.empty() && !variable("HOME").empty()) {
        dataHome = variable("HOME") + "/.local/share";
    }
    add(dataHome);
    std::string dataDirs = variable("XDG_DATA_DIRS");
    if (dataDirs.empty()) {
        dataDirs = "/usr/local/share/:/usr/share/";
    }
    for (std::size_t start = 0; start <= dataDirs.size();) {
        const std::size_t end = std::min(dataDirs.find(':', start), dataDirs.size());
        add(dataDirs.substr(start, end - start));
        start = end + 1;
    }
#endif
    return folders;
}

fs::path FindObjectDatabase(const std::vector<fs::path>& folders) {
    std::error_code ec;
    for (const fs::path& folder : folders) {
        // Only a file can be the database: a folder of its name does not hide a later one.
        if (fs::is_regular_file(folder / kObjectDatabaseName, ec)) {
            return folder / kObjectDatabaseName;
        }
    }
    return {};
}

fs::path ProgramFolder() {
#if defined(_WIN32)
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return fs::current_path();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return fs::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : executable.parent_path();
#endif
}

} // namespace sondrel
