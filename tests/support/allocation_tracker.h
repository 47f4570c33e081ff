// Counts the bytes held through operator new, for tests and benchmarks that bound memory. A
// program that calls these functions replaces the global operator new and delete with
// counting ones.
#pragma once

#include <cstddef>

namespace sondrel::testing {

// The bytes held now.
std::size_t LiveBytes();
// The most bytes held at once since the last ResetPeak().
std::size_t PeakBytes();
void ResetPeak();

} // namespace sondrel::testing
