// Makes the fuzz targets' starting corpora: small valid inputs and the awkward ones a designer's
// disk may hold, all made here from the formats' own writers.
//
//   make_seeds FOLDER   ->   FOLDER/<target>/<seed>
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "tests/support/test_files.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace sondrel;
using sondrel::testing::Bytes;
namespace fs = std::filesystem;

namespace {

void Seed(const fs::path& folder, const std::string& target, const std::string& name,
          const Bytes& bytes) {
    fs::create_directories(folder / target);
    sondrel::testing::WriteAll(folder / target / name, bytes);
}
void Seed(const fs::path& folder, const std::string& target, const std::string& name,
          const std::string& text) {
    Seed(folder, target, name, Bytes(text.begin(), text.end()));
}

SoundTable SmallTable() {
    SoundTable table = sondrel::testing::TableOf(
        {{0, 1}, {45, 0}, {46, 0}},
        {{.Sample = 0, .Volume = 250, .Radius = 12, .Chance = 10, .Pitch = 126, .Flags = 0x6006},
         {.Sample = 1, .Volume = 4, .Radius = 31, .Chance = 0, .Pitch = 63, .Flags = 0x1009}},
        3);
    table.SampleIndices = {7, 8, 9};
    return table;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];

    const Bytes table = SerializeSFX(SmallTable());
    for (const std::string& target : {"table", "table_round_trip"}) {
        Seed(folder, target, "small", table);
        Seed(folder, target, "empty", Bytes{});
        Seed(folder, target, "cut", Bytes(table.begin(), table.begin() + 750));
        SoundTable negative = SmallTable();
        negative.NumDetails = -1;
        negative.Details.clear();
        Seed(folder, target, "negative", SerializeSFX(negative));
    }

    // The sample list target takes a 16-bit count (plus 2) and the pieces' size (less 1)
    // before the text.
    auto list = [](int count, const std::string& text) {
        return std::string{char(count + 2), '\0', '\2'} + text;
    };
    Seed(folder, "sample_names", "plain",
         list(3, "KV5 Sound 12.wav\r\nDoor.wav\r\nKV3 Sound 4-bell.wav\r\n"));
    Seed(folder, "sample_names", "fields", list(5, "a,\"b,c\" x,  d\r\n\r\ne\n"));
    Seed(folder, "sample_names", "open quote", list(2, "\"a,b\rc"));

    sondrel::testing::ObjectDatabase database;
    database.skipped = {{{"a", "bc"}, {}, {"d"}, {}, {"efg"}, {}}};
    database.names = {"Waterfall", "", "Bell"};
    Seed(folder, "object_names", "small", database.bytes());
    Bytes looping;
    sondrel::testing::AppendI32(looping, 1000);
    sondrel::testing::AppendI32(looping, -4);
    Seed(folder, "object_names", "looping", looping);

    for (const char* name : {"KV5 Sound 123.wav", "KV3 Sound 45-bell.wav", "KV5 Sound 7 .wav",
                             "KV5 Sound 1E3.wav", "KV2 Sound ab.wav", "KV5 Sound-12.wav"}) {
        Seed(folder, "sample_number", name, std::string(name));
    }
    for (const char* text : {"12", "1 2", "-2.5E1", "&H1F", "&O17", "2,5",
                             "1E300\x1f"
                             "3\x1f"
                             "50\x1f"
                             "4"}) {
        Seed(folder, "number_text", std::to_string(std::hash<std::string>{}(text)),
             std::string(text));
    }
    return 0;
}
