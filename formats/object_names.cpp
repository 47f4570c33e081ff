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

// Random access to the database's bytes: what lies past the end reads as zeros.
class Source {
public:
    virtual ~Source() = default;
    virtual std::int64_t size() const = 0;
    // Copies the bytes at [pos, pos + count) that exist into `out`; returns how many.
    virtual std::size_t copy(std::int64_t pos, std::uint8_t* out, std::size_t count) = 0;

    std::int32_t i32(std::int64_t pos) {
        std::uint8_t b[4] = {};
        copy(pos, b, 4);
        return static_cast<std::int32_t>(Le32(b));
    }
};

class MemorySource final : public Source {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::int64_t size() const override { return static_cast<std::int64_t>(bytes_.size()); }
    std::size_t copy(std::int64_t pos, std::uint8_t* out, std::size_t count) override {
        if (pos >= size()) {
            return 0;
        }
        const auto start = static_cast<std::size_t>(pos);
        const std::size_t taken = std::min(count, bytes_.size() - start);
        std::copy_n(bytes_.data() + start, taken, out);
        return taken;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// Reads the file through a window of its bytes, so that skipping around costs no more than
// the bytes the names need.
class FileSource final : public Source {
public:
    FileSource(InputFile& in, std::int64_t size) : in_(in), size_(size) {}
    std::int64_t size() const override { return size_; }
    std::size_t copy(std::int64_t pos, std::uint8_t* out, std::size_t count) override {
        std::size_t done = 0;
        while (done < count && pos < size_) {
            if (pos < windowStart_ ||
                pos >= windowStart_ + static_cast<std::int64_t>(window_.size())) {
                load(pos);
            }
            const auto offset = static_cast<std::size_t>(pos - windowStart_);
            const std::size_t taken = std::min(count - done, window_.size() - offset);
            std::copy_n(window_.data() + offset, taken, out + done);
            done += taken;
            pos += static_cast<std::int64_t>(taken);
        }
        return done;
    }

private:
    void load(std::int64_t pos) {
        constexpr std::int64_t kWindow = 1 << 16;
        windowStart_ = pos;
        window_.resize(static_cast<std::size_t>(std::min(kWindow, size_ - pos)));
        in_.seek(static_cast<std::uint64_t>(pos));
        const std::size_t got = in_.read(window_.data(), window_.size());
        // A file that shrank under us reads as zeros, like any other missing byte.
        std::fill(window_.begin() + static_cast<std::ptrdiff_t>(got), window_.end(),
                  std::uint8_t{0});
    }

    InputFile& in_;
    std::int64_t size_;
    std::int64_t windowStart_ = 0;
    std::vector<std::uint8_t> window_;
};

class Parser {
public:
    Parser(Source& source, const fs::path& file) : source_(source), file_(file) {}

    ObjectNameTable parse() {
        for (int section = 1; section <= 6; ++section) {
            const std::int32_t count = readCount();
            skipEntries(count, section <= 2 ? 0 : 4);
        }
        ObjectNameTable names;
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
                const std::int64_t available =
                    std::clamp<std::int64_t>(source_.size() - pos_, 0, length);
                std::string& name = names[static_cast<std::size_t>(i)];
                name.resize(static_cast<std::size_t>(available));
                source_.copy(pos_, reinterpret_cast<std::uint8_t*>(name.data()), name.size());
                pos_ = moved(pos_, length);
            }
        }
        return names;
    }

private:
    std::int32_t readCount() {
        const std::int32_t value = source_.i32(pos_);
        pos_ = moved(pos_, 4);
        return value;
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

    // One entry of a skipped section, from the position `pos`: its length, then a move past
    // its bytes and `extra` more.
    std::int64_t skipOne(std::int64_t pos, int extra) const {
        const std::int64_t afterLength = moved(pos, 4);
        const std::int64_t skip = std::int64_t{source_.i32(pos)} + extra;
        if (skip > kMaxPosition) {
            fail("an entry's length is out of range");
        }
        return moved(afterLength, skip);
    }

    // Passes over `count` entries. A hostile file can make entries loop (a negative length
    // moving back to an earlier entry) or count up to 2^31 of them; the walk still ends in
    // time linear in the file's size: past the end every entry is alike, and a loop inside the
    // file is found by Brent's cycle detection and cut short.
    void skipEntries(std::int32_t count, int extra) {
        std::int64_t remaining = std::max(count, 0);
        std::int64_t tortoise = pos_;
        std::int64_t power = 1;
        std::int64_t steps = 0;
        while (remaining > 0) {
            if (pos_ >= source_.size()) {
                // Past the end each length reads as 0: every entry moves by 4 + extra.
                pos_ = moved(pos_, remaining * (4 + extra));
                return;
            }
            pos_ = skipOne(pos_, extra);
            --remaining;
            ++steps;
            if (pos_ == tortoise) {
                remaining %= steps; // the positions repeat every `steps` entries from here
            } else if (steps == power) {
                tortoise = pos_;
                power *= 2;
                steps = 0;
            }
        }
    }

    Source& source_;
    const fs::path& file_;
    std::int64_t pos_ = 0;
};

} // namespace

ObjectNameTable ParseObjectNames(std::span<const std::uint8_t> bytes, const fs::path& file) {
    MemorySource source(bytes);
    return Parser(source, file).parse();
}

ObjectNameTable LoadObjectNames(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return {}; // every name stays empty; nothing is created
    }
    const std::string unopenable =
        "the object name database " + DisplayPath(path) + " cannot be opened";
    try {
        InputFile in(path);
        const auto size = static_cast<std::int64_t>(in.size());
        // A usual database is read at once; a large one is read only where its names are.
        constexpr std::int64_t kReadAtOnce = 16 << 20;
        if (size <= kReadAtOnce) {
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
            bytes.resize(in.read(bytes.data(), bytes.size()));
            return ParseObjectNames(bytes, path);
        }
        FileSource source(in, size);
        return Parser(source, path).parse();
    } catch (const FileError&) {
        throw Failure(FailureCode::ObjectDatabaseOpen, unopenable);
    }
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
        if (fs::exists(folder / kObjectDatabaseName, ec)) {
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
