// The file layer's system calls on Linux and the other POSIX systems.
#include "formats/file_system.h"

#include "formats/failure.h"

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace sondrel::sys {
namespace {

// True when the folder holding `path` is sticky and anyone may write it, as the system's
// shared temporary folder: there, only a file's owner (or the folder's) may rename or remove
// it. `folder` receives the folder's status.
bool InSharedFolder(const fs::path& path, struct stat& folder) {
    const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    return ::stat(parent.c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
           (folder.st_mode & S_IWOTH) != 0;
}

} // namespace

int OpenToRead(const fs::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

bool RegularFileSize(int fd, std::uint64_t& size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

long long ReadSome(int fd, void* into, std::size_t bytes) {
    return ::read(fd, into, bytes);
}

long long WriteSome(int fd, const void* from, std::size_t bytes) {
    return ::write(fd, from, bytes);
}

int Close(int fd) {
    return ::close(fd);
}

bool Flush(int fd) {
    return ::fsync(fd) == 0;
}

int CreateNew(const fs::path& path) {
    return ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
}

bool CreateEmpty(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_NONBLOCK | O_CLOEXEC, 0666);
    return fd >= 0 && ::close(fd) == 0;
}

void FlushFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

long ProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessIsGone(long pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool OwnFile(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

bool SameName(const fs::path::string_type& a, const fs::path::string_type& b) {
    return a == b;
}

// Followed only when it is the saving user's or the folder owner's, as the kernel's protected
// symlinks do.
std::optional<fs::path> EntryNamed(const fs::path& folder, const fs::path& name) {
    fs::path entry = folder / name;
    std::error_code ec;
    if (fs::symlink_status(entry, ec).type() == fs::file_type::not_found || ec) {
        return std::nullopt;
    }
    return entry;
}

void RefuseOthersLink(const fs::path& link) {
    struct stat folder {};
    struct stat self {};
    if (InSharedFolder(link, folder) && ::lstat(link.c_str(), &self) == 0 &&
        self.st_uid != ::geteuid() && self.st_uid != folder.st_uid) {
        throw FileError("Cannot follow " + DisplayPath(link) +
                        ": it is a link another user made in a shared folder");
    }
}

OldFile Replaceable(const fs::path& target, bool exists) {
    OldFile old;
    if (!exists) {
        return old;
    }
    // Whether this user may write it, as the system decides (an owner's bit, a group, root).
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        Fail("Cannot write", target, errno);
    }
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return old;
    }
    // In a shared folder only the owner may replace a file.
    struct stat shared {};
    if (::geteuid() != 0 && info.st_uid != ::geteuid() && InSharedFolder(target, shared) &&
        shared.st_uid != ::geteuid()) {
        throw FileError("Cannot replace " + DisplayPath(target) +
                        ": in a shared folder only its owner may replace it");
    }
    return {true, info.st_uid, info.st_gid, static_cast<unsigned>(info.st_mode & 07777)};
}

void PassOn(int fd, const OldFile& old) {
    if (old.exists) {
        // The old file's owner and group where the system allows it, and its mode.
        (void)::fchown(fd, old.owner, old.group);
        (void)::fchmod(fd, old.mode);
    }
}

} // namespace sondrel::sys
