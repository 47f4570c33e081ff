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
// Makes operator new throw std::bad_alloc rather than hold more than `bytes` (0: no limit).
void SetAllocationLimit(std::size_t bytes);

} // namespace sondrel::testing
