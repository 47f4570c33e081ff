// The system's side of the file layer, below file_io.cpp and safe_save.cpp: POSIX in
// file_system_posix.cpp, Windows in file_system_windows.cpp. Files are the C runtime's
// descriptors; a call that fails returns -1 (or false) with errno set, unless it says
// otherwise.
#pragma once

#include "formats/file_error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sondrel::sys {

// Throws FileError: "`what` PATH", and the system's words for `error` where it is not 0.
[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error = 0);

// Follows a chain of symbolic links to the file that is finally written, also where it does
// not exist yet. `check` sees each link before it is followed.
template <class Check> std::filesystem::path ResolveLinks(std::filesystem::path path, Check check) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, ec); ++hops) {
        check(path);
        std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) {
            Fail("Cannot follow the link", path, ec.value());
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// Opens an existing file for reading without ever waiting for a writer (a named pipe).
int OpenToRead(const std::filesystem::path& path);
// True, with its size, when the open file is a regular file.
bool RegularFileSize(int fd, std::uint64_t& size);
// Reads or writes up to `bytes` bytes: how many, 0 at the end, or -1.
long long ReadSome(int fd, void* into, std::size_t bytes);
long long WriteSome(int fd, const void* from, std::size_t bytes);
int Close(int fd);
// Flushes an open file's bytes to the disk.
bool Flush(int fd);
// Creates a new file for writing; fails (EEXIST) where there is one.
int CreateNew(const std::filesystem::path& path);
// Creates an empty file where there is none; an existing one is left as it is.
bool CreateEmpty(const std::filesystem::path& path);
// Makes a completed rename in the folder survive a power cut, on file systems that need it.
void FlushFolder(const std::filesystem::path& folder);

// This process, and whether another has ended.
long ProcessId();
bool ProcessIsGone(long pid);
// True when the file (not what a link names) belongs to the user running Sondrel.
bool OwnFile(const std::filesystem::path& path);
// Two paths in the system's own form name one file, compared as the system compares names.
bool SameName(const std::filesystem::path::string_type& a,
              const std::filesystem::path::string_type& b);

// The entry of `folder` the system finds by `name` (on Windows, regardless of capitals), as the
// folder spells it; nothing where it finds none. `name` holds no wildcard.
std::optional<std::filesystem::path> EntryNamed(const std::filesystem::path& folder,
                                                const std::filesystem::path& name);

// Throws FileError for a link another user made in a folder everyone may write: followed, it
// would turn a save against a file of their choosing.
void RefuseOthersLink(const std::filesystem::path& link);

// What a new file takes over from the regular file it replaces.
struct OldFile {
    bool exists = false;
    unsigned owner = 0;
    unsigned group = 0;
    unsigned mode = 0; // the permissions, as the system keeps them
};
// The file at `target`, when there is one, once it is certain that this user may replace it:
// throws FileError where the system would refuse, found out before anything is made beside it.
OldFile Replaceable(const std::filesystem::path& target, bool exists);
// Gives the new file, open at `fd`, what it keeps of the old one, where the system allows it.
void PassOn(int fd, const OldFile& old);

} // namespace sondrel::sys
