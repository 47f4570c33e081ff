// The file layer's system calls on Windows, through the C runtime and the Win32 API. Paths are
// wide, as Windows names files.
#include "formats/file_system.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace fs = std::filesystem;

namespace sondrel::sys {
namespace {

// The C runtime takes a byte count of at most 2^31 - 1 a call.
unsigned Chunk(std::size_t bytes) {
    return static_cast<unsigned>(std::min<std::size_t>(bytes, 1u << 30));
}

} // namespace

int OpenToRead(const fs::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}

bool RegularFileSize(int fd, std::uint64_t& size) {
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        return false;
    }
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

long long ReadSome(int fd, void* into, std::size_t bytes) {
    return _read(fd, into, Chunk(bytes));
}

long long WriteSome(int fd, const void* from, std::size_t bytes) {
    return _write(fd, from, Chunk(bytes));
}

int Close(int fd) {
    return _close(fd);
}

bool Flush(int fd) {
    return _commit(fd) == 0;
}

int CreateNew(const fs::path& path) {
    return _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool CreateEmpty(const fs::path& path) {
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    return fd >= 0 && _close(fd) == 0;
}

void FlushFolder(const fs::path&) {
    // Windows has no flush of a folder.
}

long ProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool ProcessIsGone(long pid) {
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return !running;
}

bool OwnFile(const fs::path&) {
    return true; // no owner to compare: every file counts as this user's
}

// Without regard to case, as Windows compares names.
bool SameName(const fs::path::string_type& a, const fs::path::string_type& b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::optional<fs::path> EntryNamed(const fs::path& folder, const fs::path& name) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder / name).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FindClose(search);
    return folder / found.cFileName;
}

void RefuseOthersLink(const fs::path&) {
    // Links are an administrator's tool on Windows; there is no folder everyone writes links to.
}

OldFile Replaceable(const fs::path& target, bool exists) {
    std::error_code ec;
    if (exists &&
        (fs::status(target, ec).permissions() & fs::perms::owner_write) == fs::perms::none) {
        Fail("Cannot write the read-only file", target);
    }
    return {exists, 0, 0, 0};
}

void PassOn(int, const OldFile&) {
    // Windows keeps no owner or mode a new file could take over: its one permission,
    // read-only, refuses the save (Replaceable).
}

} // namespace sondrel::sys
