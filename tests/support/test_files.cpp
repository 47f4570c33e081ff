#include "tests/support/test_files.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace sondrel::testing {

TempDir::TempDir() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("sondrel-test-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only files and folders behind; make them removable first.
    for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::vector<std::string> TempDir::entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void WriteText(const fs::path& path, const std::string& text) {
    WriteAll(path, Bytes(text.begin(), text.end()));
}

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

SoundTable TableOf(const std::vector<std::pair<int, std::int16_t>>& slots,
                   std::vector<SoundDetail> details, std::int32_t samples) {
    SoundTable table;
    table.SoundMap.fill(-1);
    for (const auto& [slot, detail] : slots) {
        table.SoundMap.at(static_cast<std::size_t>(slot)) = detail;
    }
    table.NumDetails = static_cast<std::int32_t>(details.size());
    table.Details = std::move(details);
    table.NumSamples = samples;
    for (std::int32_t k = 0; k < samples; ++k) {
        table.SampleIndices.push_back(k);
    }
    return table;
}

} // namespace sondrel::testing
