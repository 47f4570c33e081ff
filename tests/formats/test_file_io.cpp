#include "formats/file_system.h"
#include "formats/known_files.h"
#include "formats/object_names.h"
#include "formats/safe_save.h"
#include "formats/sample_list.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

} // namespace

TEST(SaveSafely, replacesTheOldFileKeepingItsModeAndLinks) {
    TempDir dir;
    const fs::path folder = dir / "Kl\xC3\xA4nge \xE2\x99\xAA"; // beyond ASCII
    fs::create_directory(folder);
    SaveSafely(folder / "a.sfx", Pattern(100, 1));
    EXPECT_EQ(ReadAll(folder / "a.sfx"), Pattern(100, 1));
#if !defined(_WIN32) // POSIX modes and links
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    fs::permissions(folder / "a.sfx", mode);
    fs::create_symlink(folder / "a.sfx", dir / "link.sfx");
    SaveSafely(dir / "link.sfx", Pattern(7, 11));
    EXPECT_TRUE(fs::is_symlink(dir / "link.sfx"));
    EXPECT_EQ(ReadAll(folder / "a.sfx"), Pattern(7, 11));
    EXPECT_EQ(fs::status(folder / "a.sfx").permissions(), mode);
#endif
}

#if !defined(_WIN32) // links
TEST(SaveSafely, writesThroughALinkOutOfItsFolderOnlyWhenAllowed) {
    TempDir dir;
    const fs::path level = dir / "level";
    fs::create_directories(level / "sub");
    fs::create_directories(dir / "home");
    fs::create_directory_symlink("../home", level / "folder");
    fs::create_symlink("next.sam", level / "chain.sam");
    fs::create_symlink("../home/chained", level / "next.sam");
    struct Row {
        const char* link;
        fs::path to;    // as the link spells it
        fs::path lands; // the file written, from dir
        bool leadsOut;
    } rows[] = {
        {"beside.sam", "beside.target", "level/beside.target", false},
        {"below.sam", "sub/below.target", "level/sub/below.target", false},
        {"back.sam", "sub/../back.target", "level/back.target", false},
        {"up.sam", "../home/profile", "home/profile", true},
        {"absolute.sam", dir / "home" / "rc", "home/rc", true},
        {"through.sam", "folder/x", "home/x", true}, // a folder's link leading out
        {"chain.sam", "", "home/chained", true},     // in, then out
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        if (!row.to.empty()) {
            fs::create_symlink(row.to, level / row.link);
        }
        WriteAll(dir / row.lands.string(), Pattern(6, 1));
        const std::optional<fs::path> out = LinkLeadingOut(level / row.link);
        EXPECT_EQ(out.has_value(), row.leadsOut);
        if (out) {
            EXPECT_EQ(*out, fs::weakly_canonical(dir / row.lands.string()));
        }
        if (row.leadsOut) {
            EXPECT_THROW(SaveSafely(level / row.link, Pattern(6, 2)), FileError);
            EXPECT_EQ(ReadAll(dir / row.lands.string()), Pattern(6, 1));
            StagedFile(level / row.link, AllOf(Pattern(6, 2)), OutsideLinks::Follow)
                .replaceTarget();
        } else {
            SaveSafely(level / row.link, Pattern(6, 2));
        }
        EXPECT_EQ(ReadAll(dir / row.lands.string()), Pattern(6, 2));
        EXPECT_TRUE(fs::is_symlink(level / row.link));
    }
    EXPECT_EQ(LinkLeadingOut(level / "sub"), std::nullopt); // no link
    // A save of the pair asks about each of its files that leads out, naming where.
    const SaveQuestions q = QuestionsForSave(level / "up.sam", level / "through.sam", {});
    ASSERT_EQ(q.linksOutside.size(), 2u);
    EXPECT_EQ(q.linksOutside[0].file, level / "up.sam");
    EXPECT_EQ(q.linksOutside[1].leadsTo, fs::weakly_canonical(dir / "home" / "x"));
}
#endif

TEST(SaveSafely, refusesTargetsItMustNotReplace) {
    TempDir dir;
    fs::create_directory(dir / "folder.sfx");
    WriteAll(dir / "file", Pattern(5, 6));
    std::vector<fs::path> targets = {dir / "folder.sfx", dir / "missing" / "x.sfx",
                                     dir / "file" / "x.sfx"};
#if !defined(_WIN32)
    // A named pipe, and a link to a device: neither is ever replaced by a regular file.
    ASSERT_EQ(mkfifo((dir / "pipe.sam").c_str(), 0666), 0);
    fs::create_symlink("/dev/null", dir / "device.sam");
    targets.insert(targets.end(), {dir / "pipe.sam", dir / "device.sam"});
#endif
    for (const fs::path& target : targets) {
        EXPECT_THROW(SaveSafely(target, Pattern(5, 7)), FileError) << target;
    }
    EXPECT_TRUE(fs::is_empty(dir / "folder.sfx"));
#if !defined(_WIN32)
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.sam"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"device.sam", "file", "folder.sfx", "pipe.sam"}));
#endif
}

#if defined(_WIN32)
TEST(SaveSafely, aTargetAnotherProgramHoldsOpenFailsAndStaysIntact) {
    TempDir dir;
    const fs::path target = dir / "held.sfx";
    WriteAll(target, Pattern(10, 16));
    // Another program's handle that shares nothing, as an editor holding the file may have.
    const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(SaveSafely(target, Pattern(20, 17)), FileError);
    CloseHandle(held);
    EXPECT_EQ(ReadAll(target), Pattern(10, 16));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"held.sfx"});
}
#endif

// Whose stale temporary files a save may remove: only those of a process no longer running.
TEST(ProcessIsGone, onlyWhereNoProcessHasTheNumber) {
    errno = ESRCH; // as an earlier stale file leaves it: this process still runs
    EXPECT_FALSE(sys::ProcessIsGone(sys::ProcessId()));
    EXPECT_TRUE(sys::ProcessIsGone(999999999));
}

TEST(SameFile, tellsOneFileFromTwo) {
    TempDir dir;
    WriteAll(dir / "a.sfx", Pattern(5, 7));
    WriteAll(dir / "b.sfx", Pattern(5, 7));
    fs::create_directory(dir / "sub");
    const std::tuple<fs::path, fs::path, bool> cases[] = {
        {dir / "a.sfx", dir / "a.sfx", true},
        {dir / "a.sfx", dir / "sub" / ".." / "a.sfx", true},
        {dir / "a.sfx", dir / "b.sfx", false},    // equal bytes, two files
        {dir / "new.sam", dir / "new.sam", true}, // neither exists yet
        {dir / "new.sam", dir / "sub" / ".." / "new.sam", true},
        {dir / "new.sfx", dir / "new.sam", false},
#if defined(_WIN32)
        {dir / "new.SAM", dir / "new.sam", true}, // names differ only in case
        {dir / "A.SFX", dir / "a.sfx", true},
#endif
    };
    for (const auto& [a, b, same] : cases) {
        EXPECT_EQ(SameFile(a, b), same) << a << " " << b;
    }
#if !defined(_WIN32)
    fs::create_symlink(dir / "a.sfx", dir / "link.sam");
    EXPECT_TRUE(SameFile(dir / "link.sam", dir / "a.sfx"));
    // A link to a file not there yet is where a write through it lands.
    fs::create_symlink("n.sfx", dir / "n.sam");
    EXPECT_TRUE(SameFile(dir / "n.sfx", dir / "n.sam"));
    EXPECT_FALSE(SameFile(dir / "n.sam", dir / "other.sfx"));
#endif
}

TEST(StampFile, changesWithAnyOneByte) {
    TempDir dir;
    const Bytes bytes = Pattern(40, 3);
    WriteAll(dir / "t.sfx", bytes);
    const auto before = StampFile(dir / "t.sfx");
    for (std::size_t at = 0; at < bytes.size(); ++at) { // in and across eight-byte words
        Bytes changed = bytes;
        changed[at] ^= 1;
        WriteAll(dir / "t.sfx", changed);
        EXPECT_NE(StampFile(dir / "t.sfx"), before) << at;
    }
    // The stamp of the bytes a reader took is the file's, across the pieces it is read in.
    for (const std::size_t size : {std::size_t{0}, std::size_t{13}, std::size_t{65536 + 3}}) {
        const Bytes some = Pattern(size, 9);
        WriteAll(dir / "s.sam", some);
        EXPECT_EQ(StampFile(dir / "s.sam"),
                  StampOfBytes({reinterpret_cast<const char*>(some.data()), some.size()}))
            << size;
    }
}

TEST(KnownFiles, aSaveAsksAboutFilesChangedByAnotherProgramOrNeverRead) {
    TempDir dir;
    WriteAll(dir / "city.sfx", Pattern(5, 1));
    WriteAll(dir / "city.sam", Pattern(5, 2));
    WriteAll(dir / "other.sam", Pattern(5, 3));
    KnownFiles known;
    known.remember(dir / "city.sfx");
    known.remember(dir / "city.sam");
    known.remember(dir / "gone.sfx"); // read once, gone since: nothing to lose
    const auto asked = [&](const std::string& table, const std::string& list) {
        const SaveQuestions q = QuestionsForSave(dir / table, dir / list, known);
        std::string seen;
        for (const fs::path& changed : q.changedByAnother) {
            seen += " changed " + changed.filename().string();
        }
        return seen + (q.unknownSampleList ? " unknown" : "");
    };
    EXPECT_EQ(asked("city.sfx", "city.sam"), "");
    EXPECT_EQ(asked("other.sfx", "other.sam"), " unknown"); // another level's, maybe
    EXPECT_EQ(asked("new.sfx", "new.sam"), "");
    EXPECT_EQ(asked("gone.sfx", "gone.sam"), "");
    WriteAll(dir / "city.sam", Pattern(5, 4)); // the level editor rewrites both, same sizes
    WriteAll(dir / "city.sfx", Pattern(5, 5));
    EXPECT_EQ(asked("city.sfx", "city.sam"), " changed city.sfx changed city.sam");
    known.remember(dir / "city.sfx"); // read again, or saved
    EXPECT_EQ(asked("city.sfx", "city.sam"), " changed city.sam");
}

#if !defined(_WIN32) // named pipes
TEST(InputFile, namedPipesAreRefusedWithoutWaiting) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "t.sfx").c_str(), 0666), 0);
    ASSERT_EQ(mkfifo((dir / "t.sam").c_str(), 0666), 0);
    fs::create_symlink(dir / "t.sam", dir / "link.sam"); // links are followed
    EXPECT_EQ(FailureNumberOf([&] { ReadSFX(dir / "t.sfx"); }), "failure 1");
    EXPECT_EQ(FailureNumberOf([&] { ReadSampleNames(dir / "t.sam", 1); }), "failure 11");
    EXPECT_EQ(FailureNumberOf([&] { ReadSampleNames(dir / "link.sam", 1); }), "failure 11");
    EXPECT_EQ(FailureNumberOf([&] { LoadObjectNames(dir / "t.sam"); }), "failure 20");
    EXPECT_EQ(StampFile(dir / "t.sam"), std::nullopt);
    EXPECT_THROW(ReadFileHead(dir / "t.sam", 10), FileError);
}
#endif
