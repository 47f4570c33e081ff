#include "formats/failure.h"

namespace sondrel {

Failure OutOfMemoryFailure() {
    return Failure(FailureCode::OutOfMemory, "there is not enough memory to open the table");
}

std::string DisplayPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace sondrel
