#include "formats/sample_search.h"

#include "formats/failure.h"
#include "formats/file_io.h"
#include "formats/file_system.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

namespace sondrel {
namespace {

namespace fs = std::filesystem;

// A character as Windows compares names: capitals as small letters, in the Latin-1 range the
// sample list's names are written in (and Ÿ, the capital of ÿ, which lies beyond it).
char32_t Folded(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    return c == 0x178 ? 0xFF : c;
}

// The sample list's bytes, one character each.
std::u32string FoldedLatin1(std::string_view bytes) {
    std::u32string folded;
    for (const char byte : bytes) {
        folded += Folded(static_cast<unsigned char>(byte));
    }
    return folded;
}

// A file name in UTF-8, as the system gives it; nothing where it is not UTF-8.
std::optional<std::u32string> FoldedUtf8(std::u8string_view bytes) {
    std::u32string folded;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned lead = bytes[i];
        // How many bytes follow the first: none for ASCII, else as many as its high bits say.
        const int more = lead < 0x80    ? 0
                         : lead >= 0xF0 ? 3
                         : lead >= 0xE0 ? 2
                         : lead >= 0xC2 ? 1
                                        : -1;
        if (more < 0 || lead > 0xF4 || bytes.size() - i <= static_cast<std::size_t>(more)) {
            return std::nullopt;
        }
        char32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            const unsigned next = bytes[i + static_cast<std::size_t>(k)];
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = (c << 6) | (next & 0x3F);
        }
        folded += Folded(c);
        i += static_cast<std::size_t>(more) + 1;
    }
    return folded;
}

// The entry of `folder` that `part` names: the one spelt exactly so, else the first that
// differs only in capitals.
std::optional<fs::path> FindEntry(const fs::path& folder, std::string_view part) {
    std::error_code ec;
    // Asked of the system first, so that a level's 1,200 samples are not each a walk through
    // a folder of 1,200: a name of plain ASCII, no wildcard in it, reads the same in every
    // system's encoding of file names. Taken where the entry's spelling differs at most in
    // capitals, as the walk would take it.
    const auto plain = [](char c) {
        return static_cast<unsigned char>(c) < 0x80 &&
               std::string_view("*?<>\"|").find(c) == std::string_view::npos;
    };
    if (std::all_of(part.begin(), part.end(), plain)) {
        if (std::optional<fs::path> entry = sys::EntryNamed(folder, std::string(part))) {
            const std::u8string spelt = entry->filename().u8string();
            if (std::equal(spelt.begin(), spelt.end(), part.begin(), part.end(),
                           [](char8_t a, char b) {
                               return Folded(a) == Folded(static_cast<unsigned char>(b));
                           })) {
                return entry;
            }
        }
    }
    const std::u32string wanted = FoldedLatin1(part);
    std::optional<fs::path> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path name = it->path().filename();
        const std::u8string spelt = name.u8string();
        if (std::string_view(reinterpret_cast<const char*>(spelt.data()), spelt.size()) == part) {
            return it->path();
        }
        if (found) {
            continue; // only an exact spelling can still win
        }
        const std::optional<std::u32string> utf8 = FoldedUtf8(spelt);
        const std::u32string folded =
            utf8 ? *utf8
                 : FoldedLatin1(
                       std::string_view(reinterpret_cast<const char*>(spelt.data()), spelt.size()));
        if (folded == wanted) {
            found = it->path();
        }
    }
    return found;
}

// Why the file found at `at` in `folder` may not be read where it may not: reached through a
// link another user planted in a shared folder, or leading out of the folder.
std::optional<std::string> LinkRefusal(const fs::path& folder, const fs::path& at) {
    std::error_code ec;
    bool linked = false;
    for (fs::path step = at; step != folder && step.has_relative_path();
         step = step.parent_path()) {
        if (fs::is_symlink(step, ec)) {
            linked = true;
            try {
                sys::RefuseOthersLink(step);
            } catch (const FileError& error) {
                return error.what();
            }
        }
    }
    // Entries of the folder and of folders in it, no link among them: inside it, as named.
    if (linked && !LiesWithin(at, folder)) {
        return "it is a link to " + DisplayPath(fs::weakly_canonical(at, ec)) +
               ", outside the folder it was found in";
    }
    return std::nullopt;
}

} // namespace

SampleFile FindSampleFile(std::string_view name, const std::vector<fs::path>& folders) {
    // The parts of the name, or a refusal where it would leave the folder it is looked for in.
    std::vector<std::string_view> parts;
    const SampleFile leaves{SampleFile::Search::Refused,
                            {},
                            "the name leads out of the folders samples are looked for in"};
    if (name.find('\0') != std::string_view::npos) {
        return {
            SampleFile::Search::Refused, {}, "its name holds a NUL byte, which no file name may"};
    }
    if (name.empty()) {
        return {SampleFile::Search::Missing, {}, {}};
    }
    if (name.front() == '/' || name.front() == '\\' || name.find(':') != std::string_view::npos) {
        return leaves;
    }
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
        const std::string_view part = name.substr(start, end - start);
        if (part == "..") {
            return leaves;
        }
        if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    for (const fs::path& folder : folders) {
        std::optional<fs::path> at = folder;
        for (std::size_t i = 0; at && i < parts.size(); ++i) {
            at = FindEntry(*at, parts[i]);
        }
        std::error_code ec;
        if (at && !parts.empty() && fs::is_regular_file(*at, ec)) {
            if (std::optional<std::string> why = LinkRefusal(folder, *at)) {
                return {SampleFile::Search::Refused, *at, std::move(*why)};
            }
            return {SampleFile::Search::Found, *at, {}};
        }
    }
    return {SampleFile::Search::Missing, {}, {}};
}

std::u32string SampleNameKey(std::string_view name) {
    std::u32string key = FoldedLatin1(name);
    std::replace(key.begin(), key.end(), U'/', U'\\');
    return key;
}

} // namespace sondrel
