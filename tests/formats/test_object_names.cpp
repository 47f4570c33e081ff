#include "formats/object_names.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include <chrono>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

ObjectNameTable Parse(const Bytes& bytes) {
    return ParseObjectNames(bytes, "KV4Objects.dat");
}

FailureCode ParseFailure(const Bytes& bytes) {
    try {
        Parse(bytes);
    } catch (const Failure& failure) {
        return failure.code();
    }
    ADD_FAILURE() << "no failure";
    return FailureCode::TableRead;
}

std::vector<std::string> Numbered(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("Object " + std::to_string(i));
    }
    return names;
}

// Six empty sections, then the raw bytes of section 7.
Bytes EmptySectionsThen(const Bytes& rest) {
    Bytes bytes;
    for (int section = 0; section < 6; ++section) {
        AppendI32(bytes, 0);
    }
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

} // namespace

TEST(ObjectNames, skippedSectionsAreNotReadAsNames) {
    ObjectDatabase database;
    database.skipped = {{{"a", "bc"}, {""}, {"three", "3"}, {"x"}, {}, {"last skipped"}}};
    database.names = {"Waterfall", "", std::string("Bell\0tower", 10)};
    const ObjectNameTable names = Parse(database.bytes());
    EXPECT_EQ(names[0], "Waterfall");
    EXPECT_EQ(names[1], "");
    EXPECT_EQ(names[2], std::string("Bell\0tower", 10));
    EXPECT_EQ(names[3], "");
}

TEST(ObjectNames, emptyDatabaseGivesEmptyNames) {
    EXPECT_EQ(Parse({}), ObjectNameTable{});
    ObjectDatabase database;
    EXPECT_EQ(database.bytes().size(), 28u); // seven counts of 0
    EXPECT_EQ(Parse(database.bytes()), ObjectNameTable{});
    Bytes negativeCounts; // every section, the names too
    for (int section = 0; section < 7; ++section) {
        AppendI32(negativeCounts, -5);
    }
    EXPECT_EQ(Parse(negativeCounts), ObjectNameTable{});
}

TEST(ObjectNames, namesLongerThanAnyObjectNameAreDamage) {
    for (const std::int32_t length : {kMaxObjectNameBytes, kMaxObjectNameBytes + 1, 2147483000}) {
        Bytes section7;
        AppendI32(section7, 1);
        AppendI32(section7, length);
        section7.resize(section7.size() + static_cast<std::size_t>(kMaxObjectNameBytes) + 1, 'n');
        const Bytes bytes = EmptySectionsThen(section7);
        if (length <= kMaxObjectNameBytes) {
            EXPECT_EQ(Parse(bytes)[0], std::string(static_cast<std::size_t>(length), 'n'));
        } else {
            EXPECT_EQ(ParseFailure(bytes), FailureCode::ObjectNameTooLong) << length;
        }
    }
}

TEST(ObjectNames, holdsUpTo541Names) {
    for (const int count : {370, 541}) {
        ObjectDatabase database;
        database.names = Numbered(count);
        const ObjectNameTable names = Parse(database.bytes());
        EXPECT_EQ(names[static_cast<std::size_t>(count - 1)],
                  "Object " + std::to_string(count - 1));
        if (count < kObjectNameCount) {
            EXPECT_EQ(names[static_cast<std::size_t>(count)], "");
        }
    }
    ObjectDatabase tooMany;
    tooMany.names = Numbered(542);
    EXPECT_EQ(ParseFailure(tooMany.bytes()), FailureCode::ObjectDatabaseTooManyNames);
}

TEST(ObjectNames, lengthsOfZeroOrLessAreEmptyNames) {
    Bytes section7;
    AppendI32(section7, 3);
    AppendI32(section7, 0);
    AppendI32(section7, -5);
    AppendI32(section7, 2);
    section7.insert(section7.end(), {'o', 'k'});
    const ObjectNameTable names = Parse(EmptySectionsThen(section7));
    EXPECT_EQ(names[0], "");
    EXPECT_EQ(names[1], "");
    EXPECT_EQ(names[2], "ok");
}

TEST(ObjectNames, fileEndingEarlyReadsAsZeros) {
    ObjectDatabase database;
    database.skipped[0] = {"abc"};
    database.names = {"First", "Second"};
    const Bytes complete = database.bytes();
    for (std::size_t cut = 0; cut < complete.size(); ++cut) {
        const ObjectNameTable names =
            Parse(Bytes(complete.begin(), complete.begin() + static_cast<std::ptrdiff_t>(cut)));
        // A name is either whole, cut short at the end of the file, or not there.
        EXPECT_EQ(names[0], std::string("First").substr(0, names[0].size())) << cut;
        EXPECT_EQ(names[1], std::string("Second").substr(0, names[1].size())) << cut;
    }
    // A count read past the end is 0; a count cut in half keeps the bytes it has.
    Bytes section7;
    AppendI32(section7, 1);
    AppendI32(section7, 1000);
    section7.insert(section7.end(), {'a', 'b'});
    EXPECT_EQ(Parse(EmptySectionsThen(section7))[0], "ab");
}

TEST(ObjectNames, hostilePositionsFail) {
    Bytes backwards;
    AppendI32(backwards, 1);
    AppendI32(backwards, -100); // moves before the start of the file
    EXPECT_EQ(ParseFailure(backwards), FailureCode::ObjectDatabasePosition);

    Bytes huge;
    AppendI32(huge, 1);
    AppendI32(huge, 2147483647); // past the 32-bit position range
    EXPECT_EQ(ParseFailure(huge), FailureCode::ObjectDatabasePosition);

    // Past the end every entry of section 3 moves 8 bytes: 2^31 - 1 of them overflow.
    Bytes manyEntries;
    AppendI32(manyEntries, 0);
    AppendI32(manyEntries, 0);
    AppendI32(manyEntries, 2147483647);
    EXPECT_EQ(ParseFailure(manyEntries), FailureCode::ObjectDatabasePosition);
}

TEST(ObjectNames, entriesThatLoopEndQuickly) {
    // Section 1 holds 2^31 - 1 entries whose lengths lead back to themselves: one entry of
    // length -4 stays in place, two entries jump back and forth. The walk must still end,
    // at the position the entries would reach one by one, and the next counts are read there.
    Bytes stayInPlace;
    AppendI32(stayInPlace, 2147483647);
    AppendI32(stayInPlace, -4);
    Bytes pingPong;
    AppendI32(pingPong, 2147483647); // an odd count ends on the second entry's far side
    AppendI32(pingPong, 4);          // entry A at 4: skip to 12
    AppendI32(pingPong, 0);
    AppendI32(pingPong, -12); // entry B at 12: back to A at 4
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Parse(stayInPlace), ObjectNameTable{});
    EXPECT_EQ(Parse(pingPong), ObjectNameTable{});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST(ObjectNames, missingDatabaseGivesEmptyNamesAndCreatesNothing) {
    TempDir dir;
    EXPECT_EQ(LoadObjectNames(dir / kObjectDatabaseName), ObjectNameTable{});
    EXPECT_TRUE(dir.entries().empty());
}

#if !defined(_WIN32) // the desktop's data folders
TEST(ObjectNames, theDatabaseIsLookedForBesideTheProgramThenInTheDataFolders) {
    TempDir dir;
    const fs::path user = dir / "user";
    const fs::path system1 = dir / "system1";
    const fs::path system2 = dir / "system2";
    struct Environment {
        const char* name;
        std::string value;
        std::optional<std::string> before;
    };
    std::vector<Environment> environment = {
        {"XDG_DATA_HOME", user.string(), {}},
        {"XDG_DATA_DIRS", "relative:" + system1.string() + ":" + system2.string(), {}}};
    for (Environment& variable : environment) {
        if (const char* before = std::getenv(variable.name)) {
            variable.before = before;
        }
        setenv(variable.name, variable.value.c_str(), 1);
    }
    std::vector<fs::path> folders = ObjectDatabaseFolders();
    EXPECT_EQ(folders, (std::vector<fs::path>{ProgramFolder(), user / "sondrel",
                                              system1 / "sondrel", system2 / "sondrel"}));
    folders.erase(folders.begin()); // this program's folder holds the example database
    EXPECT_EQ(FindObjectDatabase(folders), fs::path());

    ObjectDatabase database;
    for (const fs::path& folder : {system2, system1, user}) {
        database.names = {folder.filename().string()};
        fs::create_directories(folder / "sondrel");
        WriteAll(folder / "sondrel" / kObjectDatabaseName, database.bytes());
        EXPECT_EQ(FindObjectDatabase(folders), folder / "sondrel" / kObjectDatabaseName);
    }
    for (const Environment& variable : environment) {
        if (variable.before) {
            setenv(variable.name, variable.before->c_str(), 1);
        } else {
            unsetenv(variable.name);
        }
    }
}
#endif

TEST(ObjectNames, loadsFromFileUpToItsLimit) {
    TempDir dir;
    ObjectDatabase database;
    database.skipped[4] = {std::string(100000, 's')};
    database.names = Numbered(200);
    Bytes bytes = database.bytes();
    bytes.resize(kMaxObjectDatabaseBytes); // the largest database read, nothing after its names
    WriteAll(dir / kObjectDatabaseName, bytes);
    EXPECT_EQ(LoadObjectNames(dir / kObjectDatabaseName), Parse(database.bytes()));
    fs::resize_file(dir / kObjectDatabaseName, kMaxObjectDatabaseBytes + 1);
    fs::create_directory(dir / "folder.dat");
    for (const auto& [file, code] :
         {std::pair{dir / kObjectDatabaseName, FailureCode::ObjectDatabaseTooLarge},
          std::pair{dir / "folder.dat", FailureCode::ObjectDatabaseOpen}}) {
        try {
            LoadObjectNames(file);
            ADD_FAILURE() << file;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.code(), code) << file;
        }
    }
}

TEST(ObjectNames, theProgramsFolderHoldsThisProgram) {
    const fs::path folder = ProgramFolder();
    EXPECT_TRUE(fs::exists(folder / "test_object_names") ||
                fs::exists(folder / "test_object_names.exe"))
        << folder;
}
