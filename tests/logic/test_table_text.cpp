#include "logic/table_merge.h"
#include "logic/table_text.h"

#include "formats/sample_list.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

using namespace sondrel;
using namespace sondrel::testing;

namespace {

// A pair from a table's bytes and, where given, its sample list's.
TableWithList PairOf(const Bytes& table, std::optional<std::string> sampleList) {
    return {ParseTableFile(table), std::move(sampleList)};
}

TableFile Example() {
    return ParseTableFile(SerializeSFX(TableOf({{45, 0}, {120, 1}, {12, 2}, {4, 2}},
                                               {{0, 250, 0xE5, 10, 126, 0x4000 | 4 | 2},
                                                {1, 255, 31, 255, 127, 0x3000 | 8 | 1},
                                                {2, 4, 3, 2, 5, 0x8F80 | 4 | 3}},
                                               3)));
}

const std::string kExampleList = "KV5 Sound 12.wav\r\nDoor.wav\r\nKV3 Sound 45.wav\r\n";

// Every byte value, every kind of line end, and what the reader of names meets in the wild.
std::string AwkwardList() {
    std::string list = "\xEF\xBB\xBF  \"KV5, Sound 1.wav\" x,\"open\r\n\\back\tslash\n";
    for (int byte = 0; byte < 256; ++byte) {
        list += static_cast<char>(byte);
    }
    return list + "\r\rlone\r\n\nno end\r";
}

} // namespace

TEST(TableText, aPairReadsBackByteForByteAndItsTextTheSame) {
    const Bytes example = SerializeTableFile(Example());
    Bytes longer = example;
    for (int byte = 0; byte < 40; ++byte) {
        longer.push_back(static_cast<std::uint8_t>(byte * 7));
    }
    Bytes negative(748, 0xFF); // every slot -1, both counts -1
    Bytes odd = example;
    odd[0] = 0x34; // slot 0 names detail 0x1234, past the table's end
    odd[1] = 0x12;
    const std::pair<const char*, TableWithList> cases[] = {
        {"the example", PairOf(example, kExampleList)},
        {"awkward sample list bytes", PairOf(example, AwkwardList())},
        {"an empty sample list", PairOf(example, "")},
        {"no sample list", PairOf(example, std::nullopt)},
        {"bytes after the table", PairOf(longer, kExampleList)},
        {"negative counts", PairOf(negative, kExampleList)},
        {"a slot past the details", PairOf(odd, kExampleList)},
        {"an empty file", PairOf({}, std::nullopt)},
        {"a file ending within a count", PairOf(Bytes(example.begin(), example.begin() + 742), "")},
        {"a file ending within a detail", PairOf(Bytes(example.begin(), example.end() - 15), "")},
    };
    for (const auto& [what, pair] : cases) {
        const std::string text = TableText(pair);
        const TableWithList read = ReadTableText(text);
        EXPECT_EQ(SerializeTableFile(read.table), SerializeTableFile(pair.table)) << what;
        EXPECT_EQ(read.sampleList, pair.sampleList) << what;
        EXPECT_EQ(TableText(read), text) << what;
    }
}

TEST(TableText, aTextThatIsNotATablesIsRefusedNamingTheLine) {
    const std::string good = TableText(PairOf(SerializeTableFile(Example()), kExampleList));
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const auto lineOf = [&](const std::string& part) {
        return 1 + static_cast<std::size_t>(
                       std::count(good.begin(), good.begin() + good.find(part), '\n'));
    };
    const struct {
        std::string text;
        std::size_t line;
        std::string says;
    } cases[] = {
        {"", 0, "begins with"},
        {with("volume 100, pitch", "volume 60, pitch"), lineOf("detail 0:"),
         "(range 5, volume 100, pitch 100, chance 4, flags VR): volume 60 is byte 96, so bytes "
         "00 00 96 E5 0A 7E 06 40 store the values written"},
        {with("flags VR", "flags V"), lineOf("detail 0:"), "do not say what"},
        {with("range 5,", "range 32,"), lineOf("detail 0:"), "from 0 to 31"},
        {with("FA E5", "FA"), lineOf("detail 0:"), "hexadecimal"},
        {with("details 3", "details 3 " + std::string(50, 'x')), lineOf("details 3"),
         "unexpected \"" + std::string(40, 'x') + "\""}, // what follows, up to 40 bytes
        {with("detail 1:", "detail 0:"), lineOf("detail 1:"), "twice (also on line"},
        {with("details 3", "detials 3"), lineOf("details 3"), "not a line of a table's text"},
        {with("slot 4:", std::string("\0slot 4:", 8)), lineOf("slot 4:"), "not a line of a"},
        {with("detail 2:", "detail 3:"), lineOf("detail 2:"), "from 0 to 2"},
        {with("slot 4: detail 2", "slot 370: detail 2"), lineOf("slot 4:"), "from 0 to 369"},
        {with("index 1: 1\n", ""), lineOf("samples 3"), "sample index 1 is missing"},
        {with("details 3", "details 4"), lineOf("details 3"), "detail 3 is missing"},
        {with("details 3", "details 2000000"), lineOf("details 3"), "to 1048576"},
        {with("line \"Door.wav\"", "line \"Door\xE2\x82\xAC.wav\""), lineOf("\"Door.wav\""),
         "up to U+00FF"},
        {with("line \"Door.wav\"", "line \"Door.wav"), lineOf("\"Door.wav\""),
         "closing double quote"},
        {with("line \"Door.wav\"", "line \"Door\\q.wav\""), lineOf("\"Door.wav\""),
         "unknown escape"},
        {with("sample list\n", ""), lineOf("sample list\n"), "before the line \"sample list\""},
        {good + "the file ends at byte 100000\n", lineOf("KV3 Sound 45.wav") + 1, "end early only"},
    };
    for (const auto& c : cases) {
        try {
            ReadTableText(c.text);
            ADD_FAILURE() << "read: " << c.says;
        } catch (const TextError& error) {
            if (c.line != 0) {
                EXPECT_EQ(error.line(), c.line) << c.says << ": " << error.what();
            }
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
        }
    }
    // What may vary: comments, blank lines, spacing, CR LF line ends, values left out.
    std::string loose = with("detail 0: \"KV5 Sound 12 - 45\", range 5, volume 100, pitch 100, "
                             "chance 4, flags VR; bytes",
                             "\n# mine\n  detail   0 :bytes");
    for (std::size_t at = loose.find('\n'); at != std::string::npos;
         at = loose.find('\n', at + 2)) {
        loose.insert(at, "\r");
    }
    EXPECT_EQ(ReadTableText(loose), ReadTableText(good));
}

TEST(TableMerge, changesToDifferentPartsMergeAndTheSamePartChangedTwiceConflicts) {
    const TableFile base = Example();
    const auto changed = [&](auto change) {
        TableFile file = base;
        change(file.table);
        return file;
    };
    const TableFile louder = changed([](SoundTable& t) { t.Details[0].Volume = 50; });
    const TableFile quieter = changed([](SoundTable& t) { t.Details[0].Volume = 20; });
    const TableFile farther = changed([](SoundTable& t) { t.Details[2].Radius = 9; });
    const TableFile moved = changed([](SoundTable& t) { t.SoundMap[45] = 2; });
    const TableFile silenced = changed([](SoundTable& t) { t.SoundMap[45] = -1; });
    const TableFile added = changed([](SoundTable& t) {
        t.Details.push_back({1, 2, 3, 4, 5, 6});
        t.NumDetails = 4;
    });
    const TableFile addedToo = changed([](SoundTable& t) {
        t.Details.push_back({9, 9, 9, 9, 9, 9});
        t.NumDetails = 4;
    });
    const TableFile reindexed = changed([](SoundTable& t) { t.SampleIndices[1] = 77; });
    const TableFile removed = changed([](SoundTable& t) {
        t.Details.pop_back();
        t.NumDetails = 2;
    });

    // Clean: each side's change is kept (two details' are test_git.sh's).
    EXPECT_EQ(MergeTables(base, moved, added).merged.table.SoundMap[45], 2);
    EXPECT_EQ(MergeTables(base, reindexed, added).merged.table.Details.size(), 4u);
    EXPECT_EQ(MergeTables(base, louder, louder).merged, louder);
    EXPECT_TRUE(MergeTables(base, louder, louder).conflicts.empty());
    const MergeResult shorter = MergeTables(base, louder, removed); // the last detail gone
    EXPECT_TRUE(shorter.conflicts.empty());
    EXPECT_EQ(shorter.merged.table.Details,
              (std::vector<SoundDetail>{louder.table.Details[0], base.table.Details[1]}));

    using Kind = MergeConflict::Kind;
    const struct {
        const char* what;
        TableFile ours;
        TableFile theirs;
        Kind kind;
        std::size_t index;
    } conflicts[] = {
        {"one detail, two volumes", louder, quieter, Kind::Detail, 0},
        {"one slot, two details", moved, silenced, Kind::Slot, 45},
        {"a detail added on both", added, addedToo, Kind::Detail, 3},
    };
    for (const auto& c : conflicts) {
        const MergeResult result = MergeTables(base, c.ours, c.theirs);
        ASSERT_EQ(result.conflicts.size(), 1u) << c.what;
        EXPECT_EQ(result.conflicts[0].kind, c.kind) << c.what;
        EXPECT_EQ(result.conflicts[0].index, c.index) << c.what;
    }
    // A detail changed on one side and removed on the other: that detail, then the count.
    const MergeResult gone = MergeTables(base, farther, removed);
    ASSERT_EQ(gone.conflicts.size(), 2u);
    EXPECT_EQ(gone.conflicts[0].kind, Kind::Detail);
    EXPECT_EQ(gone.conflicts[0].index, 2u);
}
