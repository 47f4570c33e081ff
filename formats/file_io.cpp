#include "formats/file_io.h"

#include "formats/failure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include <signal.h>
#include <sys/stat.h>
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

// Follows a chain of symbolic links to the file that is finally written, also where it does
// not exist yet. `check` sees each link before it is followed.
template <class Check> fs::path ResolveLinks(fs::path path, Check check) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
        check(path);
        fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            Fail("Cannot follow the link", path, ec.value());
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

int CloseFile(int fd) {
#if defined(_WIN32)
    return _close(fd);
#else
    return ::close(fd);
#endif
}

// Our temporary files are named ".sondrel-PID-RANDOM.tmp" beside their target, whatever the
// target's name, so that no legal target name is made too long by them, and a later save can
// tell those of a program that no longer runs.
constexpr char kTemporaryPrefix[] = ".sondrel-";
constexpr char kTemporarySuffix[] = ".tmp";

long ProcessId() {
#if defined(_WIN32)
    return static_cast<long>(GetCurrentProcessId());
#else
    return static_cast<long>(getpid());
#endif
}

bool ProcessIsGone(long pid) {
#if defined(_WIN32)
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return !running;
#else
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
#endif
}

fs::path TemporaryNameBeside(const fs::path& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    char random[17];
    std::snprintf(random, sizeof random, "%016llx", static_cast<unsigned long long>(generator()));
    return target.parent_path() /
           (kTemporaryPrefix + std::to_string(ProcessId()) + "-" + random + kTemporarySuffix);
}

#if !defined(_WIN32)
// True when the folder holding `path` is sticky and anyone may write it, as the system's
// shared temporary folder: there, only a file's owner (or the folder's) may rename or remove
// it. `folder` receives the folder's status.
bool InSharedFolder(const fs::path& path, struct stat& folder) {
    const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    return ::stat(parent.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
           (folder.st_mode & S_IWOTH) != 0;
}
#endif

// In a shared folder, a link is followed only when it is the saving user's or the folder
// owner's, as the kernel's protected symlinks do: another user may have planted it there to
// turn a save against a file of their choosing.
void RefuseOthersLinkInSharedFolder([[maybe_unused]] const fs::path& link) {
#if !defined(_WIN32)
    struct stat folder {};
    struct stat self {};
    if (InSharedFolder(link, folder) && ::lstat(link.c_str(), &self) == 0 &&
        self.st_uid != ::geteuid() && self.st_uid != folder.st_uid) {
        throw FileError("Cannot follow " + DisplayPath(link) +
                        ": it is a link another user made in a shared folder");
    }
#endif
}

// True when the file at `path` belongs to the user running Sondrel (always on Windows).
bool OwnFile([[maybe_unused]] const fs::path& path) {
#if defined(_WIN32)
    return true;
#else
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && info.st_uid == ::geteuid();
#endif
}

// Removes the temporary files beside `target` that a save killed half way left behind: only
// this user's, never another's that merely carries the same kind of name.
void RemoveStaleTemporaries(const fs::path& target) {
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    for (fs::directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec)) {
        const std::u8string utf8 = entry->path().filename().u8string();
        const std::string name(utf8.begin(), utf8.end());
        const std::size_t prefix = std::strlen(kTemporaryPrefix);
        const std::size_t suffix = std::strlen(kTemporarySuffix);
        if (name.size() <= prefix + suffix || name.compare(0, prefix, kTemporaryPrefix) != 0 ||
            name.compare(name.size() - suffix, suffix, kTemporarySuffix) != 0) {
            continue;
        }
        char* afterPid = nullptr;
        const long pid = std::strtol(name.c_str() + prefix, &afterPid, 10);
        std::error_code removeError;
        if (afterPid != nullptr && *afterPid == '-' && pid != ProcessId() && ProcessIsGone(pid) &&
            entry->is_regular_file(removeError) && !entry->is_symlink(removeError) &&
            OwnFile(entry->path())) {
            fs::remove(entry->path(), removeError);
        }
    }
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

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, int& error) {
    while (!bytes.empty()) {
#if defined(_WIN32)
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30));
        const int written = _write(fd, bytes.data(), chunk);
#else
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
#endif
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

bool FlushToDisk(int fd) {
#if defined(_WIN32)
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

} // namespace

InputFile::InputFile(const fs::path& path) : path_(path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        Fail("Cannot open", path, ENOENT);
    }
    if (!fs::is_regular_file(status)) {
        Fail("Cannot read", path, fs::is_directory(status) ? EISDIR : EINVAL);
    }
#if defined(_WIN32)
    fd_ = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    // Never waits for a writer, should the file have become a named pipe since.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
    if (fd_ < 0) {
        Fail("Cannot open", path, errno);
    }
#if defined(_WIN32)
    struct _stat64 info {};
    const bool regular = _fstat64(fd_, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat info {};
    const bool regular = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
#endif
    if (!regular) {
        CloseFile(fd_);
        fd_ = -1;
        Fail("Cannot read", path, EINVAL);
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

InputFile::~InputFile() {
    if (fd_ >= 0) {
        CloseFile(fd_);
    }
}

std::size_t InputFile::read(void* into, std::size_t bytes) {
    auto* out = static_cast<std::uint8_t*>(into);
    std::size_t done = 0;
    while (done < bytes) {
#if defined(_WIN32)
        const int got = _read(fd_, out + done,
                              static_cast<unsigned>(std::min<std::size_t>(bytes - done, 1u << 30)));
#else
        const ssize_t got = ::read(fd_, out + done, bytes - done);
#endif
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Fail("Cannot read", path_, errno);
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
    if (fs::exists(path, ec)) {
        return true;
    }
#if defined(_WIN32)
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_NONBLOCK | O_CLOEXEC, 0666);
#endif
    return fd >= 0 && CloseFile(fd) == 0;
}

std::optional<FileStamp> StampFile(const fs::path& path) {
    try {
        InputFile in(path);
        FileStamp stamp;
        stamp.hash = 0xcbf29ce484222325u;
        std::vector<std::uint8_t> piece(1u << 16);
        for (std::size_t got = in.read(piece.data(), piece.size()); got > 0;
             got = in.read(piece.data(), piece.size())) {
            for (std::size_t i = 0; i < got; ++i) {
                stamp.hash = (stamp.hash ^ piece[i]) * 0x100000001b3u;
            }
            stamp.size += got;
        }
        return stamp;
    } catch (const FileError&) {
        return std::nullopt;
    }
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
            resolved = ResolveLinks(path, [](const fs::path&) {});
        } catch (const FileError&) {
        }
        const fs::path canonical = fs::weakly_canonical(fs::absolute(resolved, error), error);
        return (error ? fs::absolute(resolved, error) : canonical).lexically_normal().native();
    };
    const fs::path::string_type left = landing(a);
    const fs::path::string_type right = landing(b);
#if defined(_WIN32)
    return left.size() == right.size() &&
           CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
#else
    return left == right;
#endif
}

StagedFile::StagedFile(const fs::path& requested, const ByteSource& bytes)
    : target_(ResolveLinks(requested, RefuseOthersLinkInSharedFolder)) {
    std::error_code ec;
    const fs::file_status status = fs::status(target_, ec);
    replaces_ = fs::exists(status);
    if (replaces_ && fs::is_directory(status)) {
        Fail("Cannot replace the folder", target_);
    }
    if (replaces_ && !fs::is_regular_file(status)) {
        Fail("Cannot replace", target_, EINVAL); // a device, a named pipe: never replaced
    }
#if defined(_WIN32)
    if (replaces_ && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        Fail("Cannot write the read-only file", target_);
    }
#else
    // Whether this user may write it, as the system decides (an owner's bit, a group, root).
    if (replaces_ && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        Fail("Cannot write", target_, errno);
    }
    struct stat old {};
    const bool knowsOld = replaces_ && ::stat(target_.c_str(), &old) == 0;
    // In a shared folder only the owner may replace a file: found out now, before anything is
    // made beside it that this user could then not remove.
    struct stat shared {};
    if (knowsOld && ::geteuid() != 0 && old.st_uid != ::geteuid() &&
        InSharedFolder(target_, shared) && shared.st_uid != ::geteuid()) {
        throw FileError("Cannot replace " + DisplayPath(target_) +
                        ": in a shared folder only its owner may replace it");
    }
#endif
    RemoveStaleTemporaries(target_);

    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryNameBeside(target_);
#if defined(_WIN32)
        fd_ = _wopen(temporary_.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                     _S_IREAD | _S_IWRITE);
#else
        fd_ = ::open(temporary_.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            Fail("Cannot create a new file beside", target_, error);
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        Fail("Cannot create a new file beside", target_, EEXIST);
    }

    int error = 0;
#if !defined(_WIN32)
    if (knowsOld) {
        // The old file's owner and group where the system allows it, and its mode.
        (void)::fchown(fd_, old.st_uid, old.st_gid);
        (void)::fchmod(fd_, old.st_mode & 07777);
    }
#endif
    bool written = true;
    try {
        bytes([&](std::span<const std::uint8_t> piece) {
            written = written && WriteAll(fd_, piece, error); // after a failure, nothing more
        });
    } catch (...) {
        discard(); // out of memory making the bytes, say
        throw;
    }
    if (!written || !FlushToDisk(fd_)) {
        error = error != 0 ? error : errno;
        discard();
        Fail("Cannot write", target_, error);
    }
#if defined(_WIN32)
    if (replaces_) {
        CloseFile(fd_);
        fd_ = -1;
        fs::permissions(temporary_, status.permissions(), ec);
    }
#endif
}

StagedFile::~StagedFile() {
    discard();
}

void StagedFile::discard() {
    if (fd_ >= 0) {
        CloseFile(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::error_code ec;
        fs::remove(temporary_, ec);
        temporary_.clear();
    }
}

void StagedFile::close() {
    if (fd_ >= 0) {
        const bool closed = CloseFile(fd_) == 0;
        fd_ = -1;
        if (!closed) {
            Fail("Cannot write", target_, errno);
        }
    }
}

void StagedFile::replaceTarget() {
    try {
        close();
    } catch (const FileError&) {
        discard();
        throw;
    }
    std::error_code ec;
    fs::rename(temporary_, target_, ec);
    if (ec) {
        discard();
        Fail("Cannot replace", target_, ec.value());
    }
    temporary_.clear();
    FlushFolder(target_.parent_path());
}

void SaveSafely(const fs::path& target, std::span<const std::uint8_t> bytes) {
    StagedFile(target, AllOf(bytes)).replaceTarget();
}

void SavePair(const fs::path& first, const ByteSource& firstBytes, const fs::path& second,
              const ByteSource& secondBytes, const SaveStepHook& hook, const PairStamps* expected) {
    const auto step = [&hook](SaveStep reached) {
        if (hook) {
            hook(reached);
        }
    };
    // A target another program changed since the save was decided on is not replaced. One
    // that cannot be read now may be unchanged: replacing it finds out whether it may be.
    const auto requireUnchanged = [expected](const StagedFile& file, bool isFirst) {
        if (expected == nullptr) {
            return;
        }
        const std::optional<FileStamp> now = StampFile(file.target());
        if (now && now != (isFirst ? expected->first : expected->second)) {
            throw FileError("Another program changed " + DisplayPath(file.target()) +
                            " during the save");
        }
    };
    // Runs one part of the save, naming the file a failure concerns.
    const auto part = [](int which, const auto& action) {
        try {
            action();
        } catch (const FileError& error) {
            throw PairError(error, which);
        }
    };
    std::optional<StagedFile> firstFile;
    std::optional<StagedFile> secondFile;
    part(0, [&] { firstFile.emplace(first, firstBytes); });
    step(SaveStep::FirstWritten);
    part(1, [&] { secondFile.emplace(second, secondBytes); });
    step(SaveStep::BothWritten);

    // The second's old file stays reachable under a name of ours until the first is in place.
    std::error_code ec;
    fs::path backup;
    part(1, [&] {
        if (!secondFile->replaces()) {
            return;
        }
        backup = TemporaryNameBeside(secondFile->target());
        fs::create_hard_link(secondFile->target(), backup, ec);
        if (ec) {
            ec.clear();
            fs::copy_file(secondFile->target(), backup, ec);
        }
        if (ec) {
            const int error = ec.value();
            fs::remove(backup, ec);
            Fail("Cannot keep the old file", secondFile->target(), error);
        }
    });
    try {
        step(SaveStep::OldSecondKept);
        part(1, [&] {
            requireUnchanged(*secondFile, false);
            secondFile->replaceTarget();
        });
    } catch (...) {
        if (!backup.empty()) {
            fs::remove(backup, ec);
        }
        throw;
    }
    try {
        step(SaveStep::SecondReplaced);
        part(0, [&] {
            requireUnchanged(*firstFile, true);
            firstFile->replaceTarget();
        });
    } catch (...) {
        // The pair as it was: the second's old file back in its place.
        if (!backup.empty()) {
            fs::rename(backup, secondFile->target(), ec);
        } else {
            fs::remove(secondFile->target(), ec);
        }
        throw;
    }
    if (!backup.empty()) {
        fs::remove(backup, ec);
    }
    step(SaveStep::Done);
}

} // namespace sondrel
