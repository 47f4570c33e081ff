// Why a file operation failed, in plain words naming the file. Callers turn it into the
// `Failure` of their format.
#pragma once

#include <stdexcept>

namespace sondrel {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace sondrel
