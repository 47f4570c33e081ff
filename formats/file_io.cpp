#include "formats/file_io.h"

#include "formats/failure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace sondrel {
namespace {

[[noreturn]] void Fail(const std::string& what, const fs::path& path, int error = 0) {
    std::string text = what + " " + DisplayPath(path);
    if (error != 0) {
        text += ": " + std::generic_category().message(error);
    }
    throw FileError(text);
}

// Follows a chain of symbolic links to the file that is finally written.
fs::path ResolveLinks(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            Fail("Cannot follow the link", path, ec.value());
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// A raw file descriptor for the new file, so that it can be created exclusively and flushed
// to the disk, which the standard streams cannot do.
class NewFile {
public:
    explicit NewFile(const fs::path& path) {
#if defined(_WIN32)
        fd_ =
            _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
        fd_ = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
        error_ = fd_ < 0 ? errno : 0;
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        close();
    }

    bool isOpen() const {
        return fd_ >= 0;
    }
    int error() const {
        return error_;
    }

    bool writeAll(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
#if defined(_WIN32)
            const unsigned chunk =
                static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
            const int written = _write(fd_, bytes.data(), chunk);
#else
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
#endif
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error_ = written < 0 ? errno : ENOSPC;
                return false;
            }
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
        return true;
    }

    bool flushAndClose() {
#if defined(_WIN32)
        const bool synced = _commit(fd_) == 0;
#else
        const bool synced = ::fsync(fd_) == 0;
#endif
        if (!synced) {
            error_ = errno;
        }
        return close() && synced;
    }

    bool close() {
        if (fd_ < 0) {
            return true;
        }
#if defined(_WIN32)
        const bool closed = _close(fd_) == 0;
#else
        const bool closed = ::close(fd_) == 0;
#endif
        if (!closed && error_ == 0) {
            error_ = errno;
        }
        fd_ = -1;
        return closed;
    }

private:
    int fd_ = -1;
    int error_ = 0;
};

fs::path TemporaryNameBeside(const fs::path& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    const std::string suffix = std::to_string(generator() % 1000000000u);
    fs::path name = target;
    name.replace_filename(fs::path("." + target.filename().string() + ".sondrel-" + suffix));
    return name;
}

// Makes a completed rename survive a power cut on file systems that need it.
void FlushFolder([[maybe_unused]] const fs::path& folder) {
#if !defined(_WIN32)
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

std::vector<std::uint8_t> ReadFileHead(const fs::path& path, std::size_t limit) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        Fail("Cannot read", path, EISDIR);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail("Cannot open", path, errno);
    }
    // One read of the whole file where its size is known, pieces where it is not (a pipe).
    std::error_code sizeError;
    const std::uintmax_t fileSize = fs::file_size(path, sizeError);
    const std::size_t chunk =
        sizeError ? std::size_t{1} << 16
                  : static_cast<std::size_t>(std::min<std::uintmax_t>(fileSize, limit) + 1);
    std::vector<std::uint8_t> bytes;
    std::size_t size = 0;
    while (size < limit) {
        const std::size_t want = std::min(chunk, limit - size);
        bytes.resize(size + want);
        in.read(reinterpret_cast<char*>(bytes.data() + size), static_cast<std::streamsize>(want));
        size += static_cast<std::size_t>(in.gcount());
        if (!in) {
            break;
        }
    }
    if (in.bad()) {
        Fail("Cannot read", path, errno);
    }
    bytes.resize(size);
    return bytes;
}

bool CreateIfMissing(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path, ec)) {
        return true;
    }
    std::ofstream created(path, std::ios::binary | std::ios::app);
    return created.good();
}

std::optional<FileStamp> StampFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.hash = 0xcbf29ce484222325u;
    std::vector<char> piece(1u << 16);
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i) {
            stamp.hash = (stamp.hash ^ static_cast<std::uint8_t>(piece[i])) * 0x100000001b3u;
        }
        stamp.size += got;
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return stamp;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        const bool same = fs::equivalent(a, b, ec);
        if (!ec) {
            return same;
        }
    }
    const fs::path::string_type left = fs::absolute(a, ec).lexically_normal().native();
    const fs::path::string_type right = fs::absolute(b, ec).lexically_normal().native();
#if defined(_WIN32)
    return left.size() == right.size() &&
           CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
#else
    return left == right;
#endif
}

void SaveSafely(const fs::path& requested, std::span<const std::uint8_t> bytes) {
    const fs::path target = ResolveLinks(requested);
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && fs::is_directory(status)) {
        Fail("Cannot replace the folder", target);
    }
    if (exists && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        Fail("Cannot write the read-only file", target);
    }

    fs::path temporary;
    bool created = false;
    for (int attempt = 0; attempt < 16 && !created; ++attempt) {
        temporary = TemporaryNameBeside(target);
        NewFile file(temporary);
        if (!file.isOpen()) {
            if (file.error() == EEXIST) {
                continue;
            }
            Fail("Cannot create a new file beside", target, file.error());
        }
        if (!file.writeAll(bytes) || !file.flushAndClose()) {
            const int error = file.error();
            file.close();
            fs::remove(temporary, ec);
            Fail("Cannot write", target, error);
        }
        created = true;
    }
    if (!created) {
        Fail("Cannot create a new file beside", target, EEXIST);
    }

    if (exists) {
        fs::permissions(temporary, status.permissions(), ec);
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        const int error = ec.value();
        fs::remove(temporary, ec);
        Fail("Cannot replace", target, error);
    }
    FlushFolder(target.parent_path());
}

} // namespace sondrel
