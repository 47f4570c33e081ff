#include "formats/safe_save.h"

#include "formats/failure.h"
#include "formats/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// Our temporary files are named ".sondrel-PID-RANDOM.tmp" beside their target, whatever the
// target's name, so that no legal target name is made too long by them, and a later save can
// tell those of a program that no longer runs.
constexpr char kTemporaryPrefix[] = ".sondrel-";
constexpr char kTemporarySuffix[] = ".tmp";

fs::path TemporaryNameBeside(const fs::path& target) {
    static std::mt19937_64 generator{std::random_device{}()};
    char random[17];
    std::snprintf(random, sizeof random, "%016llx", static_cast<unsigned long long>(generator()));
    return target.parent_path() /
           (kTemporaryPrefix + std::to_string(sys::ProcessId()) + "-" + random + kTemporarySuffix);
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
        if (afterPid != nullptr && *afterPid == '-' && pid != sys::ProcessId() &&
            sys::ProcessIsGone(pid) && entry->is_regular_file(removeError) &&
            !entry->is_symlink(removeError) && sys::OwnFile(entry->path())) {
            fs::remove(entry->path(), removeError);
        }
    }
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes, int& error) {
    while (!bytes.empty()) {
        const long long written = sys::WriteSome(fd, bytes.data(), bytes.size());
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

} // namespace

StagedFile::StagedFile(const fs::path& requested, const ByteSource& bytes, OutsideLinks outside)
    : target_(sys::ResolveLinks(requested, sys::RefuseOthersLink)) {
    if (outside == OutsideLinks::Refuse) {
        if (const std::optional<fs::path> lands = LinkLeadingOut(requested)) {
            throw FileError("Cannot write through " + DisplayPath(requested) +
                            ": it is a link to " + DisplayPath(*lands) + ", outside its folder");
        }
    }
    std::error_code ec;
    const fs::file_status status = fs::status(target_, ec);
    replaces_ = fs::exists(status);
    if (replaces_ && fs::is_directory(status)) {
        sys::Fail("Cannot replace the folder", target_);
    }
    if (replaces_ && !fs::is_regular_file(status)) {
        sys::Fail("Cannot replace", target_, EINVAL); // a device, a named pipe: never replaced
    }
    const sys::OldFile old = sys::Replaceable(target_, replaces_);
    RemoveStaleTemporaries(target_);

    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryNameBeside(target_);
        fd_ = sys::CreateNew(temporary_);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            sys::Fail("Cannot create a new file beside", target_, error);
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        sys::Fail("Cannot create a new file beside", target_, EEXIST);
    }

    sys::PassOn(fd_, old);
    int error = 0;
    bool written = true;
    try {
        bytes([&](std::span<const std::uint8_t> piece) {
            written = written && WriteAll(fd_, piece, error); // after a failure, nothing more
        });
    } catch (...) {
        discard(); // out of memory making the bytes, say
        throw;
    }
    if (!written || !sys::Flush(fd_)) {
        error = error != 0 ? error : errno;
        discard();
        sys::Fail("Cannot write", target_, error);
    }
}

StagedFile::~StagedFile() {
    discard();
}

void StagedFile::discard() {
    if (fd_ >= 0) {
        sys::Close(fd_);
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
        const bool closed = sys::Close(fd_) == 0;
        fd_ = -1;
        if (!closed) {
            sys::Fail("Cannot write", target_, errno);
        }
    }
}

void StagedFile::replaceTarget(bool flushFolder) {
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
        sys::Fail("Cannot replace", target_, ec.value());
    }
    temporary_.clear();
    if (flushFolder) {
        sys::FlushFolder(target_.parent_path());
    }
}

void SaveSafely(const fs::path& target, std::span<const std::uint8_t> bytes) {
    StagedFile(target, AllOf(bytes)).replaceTarget();
}

void SavePair(const fs::path& first, const ByteSource& firstBytes, const fs::path& second,
              const ByteSource& secondBytes, const SaveStepHook& hook,
              const StampsWhenDecided* expected, OutsideLinks outside) {
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
    part(0, [&] { firstFile.emplace(first, firstBytes, outside); });
    step(SaveStep::FirstWritten);
    part(1, [&] { secondFile.emplace(second, secondBytes, outside); });
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
            sys::Fail("Cannot keep the old file", secondFile->target(), error);
        }
    });
    // Every check that reads a file comes before the first replacement, so that nothing but the
    // second lies between the two: the instant in which a kill leaves the new second file
    // beside the old first one is as short as it can be.
    try {
        step(SaveStep::OldSecondKept);
        part(1, [&] { requireUnchanged(*secondFile, false); });
        part(0, [&] { requireUnchanged(*firstFile, true); });
        part(1, [&] { secondFile->replaceTarget(false); });
    } catch (...) {
        if (!backup.empty()) {
            fs::remove(backup, ec);
        }
        throw;
    }
    try {
        step(SaveStep::SecondReplaced);
        part(0, [&] { firstFile->replaceTarget(false); });
    } catch (...) {
        // The pair as it was: the second's old file back in its place.
        if (!backup.empty()) {
            fs::rename(backup, secondFile->target(), ec);
        } else {
            fs::remove(secondFile->target(), ec);
        }
        throw;
    }
    sys::FlushFolder(secondFile->target().parent_path());
    if (firstFile->target().parent_path() != secondFile->target().parent_path()) {
        sys::FlushFolder(firstFile->target().parent_path());
    }
    if (!backup.empty()) {
        fs::remove(backup, ec);
    }
    step(SaveStep::Done);
}

} // namespace sondrel
