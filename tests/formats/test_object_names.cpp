#include "formats/object_names.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

ObjectNameTable Parse(const Bytes& bytes) {
    return ParseObjectNames(bytes, "KV4Objects.dat");
}
std::string ParseFailure(const Bytes& bytes) {
    return FailureNumberOf([&] { Parse(bytes); });
}

// 32-bit numbers, then `tail`.
Bytes I32s(std::initializer_list<std::int32_t> values, const std::string& tail = "") {
    Bytes bytes;
    for (const std::int32_t value : values) {
        AppendI32(bytes, value);
    }
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}
// Six empty sections, then section 7 as numbers and `tail`.
Bytes Names(std::initializer_list<std::int32_t> values, const std::string& tail = "") {
    Bytes bytes = I32s({0, 0, 0, 0, 0, 0});
    const Bytes names = I32s(values, tail);
    bytes.insert(bytes.end(), names.begin(), names.end());
    return bytes;
}

std::vector<std::string> Numbered(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("Object " + std::to_string(i));
    }
    return names;
}

} // namespace

TEST(ObjectNames, readsTheLastSectionsNamesPastTheOthers) {
    ObjectDatabase database;
    database.skipped = {{{"a", "bc"}, {""}, {"three", "3"}, {"x"}, {}, {"last skipped"}}};
    database.names = {"Waterfall", "", std::string("Bell\0tower", 10)};
    ObjectNameTable expected;
    for (std::size_t i = 0; i < database.names.size(); ++i) {
        expected.set(i, database.names[i]);
    }
    EXPECT_EQ(Parse(database.bytes()), expected);

    EXPECT_EQ(Parse(I32s({-5, -5, -5, -5, -5, -5, -5})), ObjectNameTable{}); // negative counts
    const ObjectNameTable lengths = Parse(Names({3, 0, -5, 2}, "ok"));       // 0 or less: empty
    EXPECT_EQ(lengths[0], "");
    EXPECT_EQ(lengths[2], "ok");
}

TEST(ObjectNames, holdsUpTo541NamesOfUpTo4096Bytes) {
    ObjectDatabase database;
    database.names = Numbered(541);
    EXPECT_EQ(Parse(database.bytes())[540], "Object 540");
    database.names.push_back("one more");
    EXPECT_EQ(ParseFailure(database.bytes()), "failure 22");

    const std::string longest(kMaxObjectNameBytes + 1, 'n');
    EXPECT_EQ(Parse(Names({1, kMaxObjectNameBytes}, longest))[0], longest.substr(1));
    EXPECT_EQ(ParseFailure(Names({1, kMaxObjectNameBytes + 1}, longest)), "failure 23");
    EXPECT_EQ(ParseFailure(Names({1, 2147483000}, longest)), "failure 23");
}

TEST(ObjectNames, hostilePositionsFailAndLoopsEndQuickly) {
    EXPECT_EQ(ParseFailure(I32s({1, -100})), "failure 21");          // before the start
    EXPECT_NE(ParseFailure(I32s({1, -8})), "failure 21");            // back to the start
    EXPECT_EQ(ParseFailure(I32s({1, 2147483647})), "failure 21");    // past the 32-bit range
    EXPECT_EQ(ParseFailure(I32s({0, 0, 2147483647})), "failure 21"); // 2^31 - 1 entries of 8
    // Section 1 holds 2^31 - 1 entries whose lengths lead back to themselves: one of length
    // -4 stays in place; two jump back and forth (A at 4 to 12, B at 12 back to A), an odd
    // count ending on the far side; and a loop entered from outside it (4 skips to 16, which
    // jumps back into a loop of 8 and 12). The walk ends where the entries would one by one.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Parse(I32s({2147483647, -4})), ObjectNameTable{});
    EXPECT_EQ(Parse(I32s({2147483647, 4, 0, -12})), ObjectNameTable{});
    EXPECT_EQ(Parse(I32s({2147483647, 8, 0, -8, -12})), ObjectNameTable{});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

TEST(ObjectNames, loadsAFileUpToItsLimitAndNoneWhereThereIsNone) {
    TempDir dir;
    EXPECT_EQ(LoadObjectNames(dir / kObjectDatabaseName), ObjectNameTable{});
    EXPECT_TRUE(dir.entries().empty()); // nothing created
    ObjectDatabase database;
    database.skipped[4] = {std::string(100000, 's')};
    database.names = Numbered(200);
    Bytes bytes = database.bytes();
    bytes.resize(kMaxObjectDatabaseBytes); // the largest database read, nothing after its names
    WriteAll(dir / kObjectDatabaseName, bytes);
    EXPECT_EQ(LoadObjectNames(dir / kObjectDatabaseName), Parse(database.bytes()));
    fs::resize_file(dir / kObjectDatabaseName, kMaxObjectDatabaseBytes + 1);
    EXPECT_TRUE(FailureOf([&] { LoadObjectNames(dir / kObjectDatabaseName); })
                    .starts_with("failure 24: the object name database " +
                                 DisplayPath(dir / kObjectDatabaseName) +
                                 " is larger than 64 MiB"));
    fs::create_directory(dir / "folder.dat");
    EXPECT_EQ(FailureNumberOf([&] { LoadObjectNames(dir / "folder.dat"); }), "failure 20");
}

#if !defined(_WIN32) // the desktop's data folders
TEST(ObjectNames, theDatabaseIsLookedForBesideTheProgramThenInTheDataFolders) {
    TempDir dir;
    const fs::path user = dir / "user";
    const fs::path system1 = dir / "system1";
    const fs::path system2 = dir / "system2";
    const std::pair<const char*, std::string> environment[] = {
        {"XDG_DATA_HOME", user.string()},
        {"XDG_DATA_DIRS", "relative:" + system1.string() + ":" + system2.string()}};
    std::vector<std::optional<std::string>> before;
    for (const auto& [name, value] : environment) {
        const char* was = std::getenv(name);
        before.push_back(was != nullptr ? std::optional<std::string>(was) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    std::vector<fs::path> folders = ObjectDatabaseFolders();
    EXPECT_EQ(folders, (std::vector<fs::path>{ProgramFolder(), user / "sondrel",
                                              system1 / "sondrel", system2 / "sondrel"}));
    // The first folder, absolute; an empty one and a relative one last.
    setenv("XDG_DATA_DIRS", (system1.string() + "::" + system2.string() + ":relative").c_str(), 1);
    EXPECT_EQ(ObjectDatabaseFolders(), folders);
    EXPECT_TRUE(fs::exists(ProgramFolder() / "test_object_names"));
    folders.erase(folders.begin()); // this program's folder holds the example database
    EXPECT_EQ(FindObjectDatabase(folders), fs::path());
    fs::create_directories(system1 / "sondrel" / kObjectDatabaseName); // a folder, no database
    for (const fs::path& folder : {system2, user}) {
        fs::create_directories(folder / "sondrel");
        WriteAll(folder / "sondrel" / kObjectDatabaseName, {});
        EXPECT_EQ(FindObjectDatabase(folders), folder / "sondrel" / kObjectDatabaseName);
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i]) {
            setenv(environment[i].first, before[i]->c_str(), 1);
        } else {
            unsetenv(environment[i].first);
        }
    }
}
#endif
