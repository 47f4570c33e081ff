#include "formats/file_io.h"

#include "formats/failure.h"
#include "formats/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

namespace sondrel {

namespace sys {

void Fail(const std::string& what, const fs::path& path, int error) {
    std::string text = what + " " + DisplayPath(path);
    if (error != 0) {
        text += ": " + std::generic_category().message(error);
    }
    throw FileError(text);
}

} // namespace sys

InputFile::InputFile(const fs::path& path) : path_(path) {
    // Opened first and looked at after: a file read is one open and one look at what was
    // opened. Opening never waits for a writer, should the file be a named pipe; only a
    // regular file is read.
    fd_ = sys::OpenToRead(path);
    const int openError = errno;
    if (fd_ >= 0 && sys::RegularFileSize(fd_, size_)) {
        return;
    }
    const bool opened = fd_ >= 0;
    if (opened) {
        sys::Close(fd_);
        fd_ = -1;
    }
    // Why not, in the words the path's kind gives.
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        sys::Fail("Cannot open", path, ENOENT);
    }
    if (!fs::is_regular_file(status)) {
        sys::Fail("Cannot read", path, fs::is_directory(status) ? EISDIR : EINVAL);
    }
    if (opened) {
        sys::Fail("Cannot read", path, EINVAL); // it was no regular file when opened
    }
    sys::Fail("Cannot open", path, openError);
}

InputFile::~InputFile() {
    if (fd_ >= 0) {
        sys::Close(fd_);
    }
}

std::size_t InputFile::read(void* into, std::size_t bytes) {
    auto* out = static_cast<std::uint8_t*>(into);
    std::size_t done = 0;
    while (done < bytes) {
        const long long got = sys::ReadSome(fd_, out + done, bytes - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            sys::Fail("Cannot read", path_, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::vector<std::uint8_t> ReadFileHead(const fs::path& path, std::size_t limit) {
    InputFile in(path);
    // The size may change under us: read what is there, up to the limit.
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(in.size(), limit)));
    bytes.resize(in.read(bytes.data(), bytes.size()));
    return bytes;
}

bool CreateIfMissing(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec) || sys::CreateEmpty(path);
}

namespace {

// FNV-1a over eight bytes at a time: each step is a bijection of the hash, so a file that
// differs in any one word always differs in its stamp. Pieces other than the last are a
// whole number of words, so that a file hashed piece by piece hashes as its bytes at once.
void AddToStamp(FileStamp& stamp, const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + i, std::min<std::size_t>(8, size - i));
        stamp.hash = (stamp.hash ^ word) * 0x100000001b3u;
    }
    stamp.size += size;
}

constexpr std::uint64_t kStampSeed = 0xcbf29ce484222325u;

} // namespace

std::optional<FileStamp> StampFile(const fs::path& path) {
    try {
        InputFile in(path);
        FileStamp stamp{0, kStampSeed};
        std::vector<std::uint8_t> piece(1u << 16);
        for (std::size_t got = in.read(piece.data(), piece.size()); got > 0;
             got = in.read(piece.data(), piece.size())) {
            AddToStamp(stamp, piece.data(), got);
        }
        return stamp;
    } catch (const FileError&) {
        return std::nullopt;
    }
}

FileStamp StampOfBytes(std::string_view bytes) {
    FileStamp stamp{0, kStampSeed};
    AddToStamp(stamp, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
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
    // Where one does not exist: where a write to each would land, through links that point
    // nowhere yet and through the folders' links.
    const auto landing = [](const fs::path& path) {
        std::error_code error;
        fs::path resolved = path;
        try {
            resolved = sys::ResolveLinks(path, [](const fs::path&) {});
        } catch (const FileError&) {
        }
        const fs::path canonical = fs::weakly_canonical(fs::absolute(resolved, error), error);
        return (error ? fs::absolute(resolved, error) : canonical).lexically_normal().native();
    };
    return sys::SameName(landing(a), landing(b));
}

bool IsOwnPlainFile(const fs::path& path, std::uintmax_t limit) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        return true;
    }
    return !ec && status.type() == fs::file_type::regular && sys::OwnFile(path) &&
           fs::file_size(path, ec) <= limit && !ec;
}

bool LiesWithin(const fs::path& path, const fs::path& folder) {
    std::error_code pathError;
    std::error_code folderError;
    const fs::path inside = fs::weakly_canonical(fs::absolute(folder, folderError), folderError);
    const fs::path below =
        fs::weakly_canonical(fs::absolute(path, pathError), pathError).lexically_relative(inside);
    return !pathError && !folderError && !below.empty() && below != "." && *below.begin() != "..";
}

std::optional<fs::path> LinkLeadingOut(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) {
        return std::nullopt;
    }
    // Followed link by link: a chain that ends nowhere yet still says where a write lands.
    fs::path resolved = path;
    try {
        resolved = sys::ResolveLinks(path, [](const fs::path&) {});
    } catch (const FileError&) {
    }
    if (LiesWithin(resolved, fs::absolute(path, ec).parent_path())) {
        return std::nullopt;
    }
    return fs::weakly_canonical(fs::absolute(resolved, ec), ec);
}

} // namespace sondrel
