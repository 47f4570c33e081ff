#include "tests/support/allocation_tracker.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);
} // namespace

namespace sondrel::testing {
std::size_t LiveBytes() {
    return gLive;
}
std::size_t PeakBytes() {
    return gPeak;
}
void ResetPeak() {
    gPeak = gLive.load();
}
} // namespace sondrel::testing

void* operator new(std::size_t size) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t live = gLive += size;
    for (std::size_t peak = gPeak; live > peak && !gPeak.compare_exchange_weak(peak, live);) {
    }
    return block + kHeader;
}
void operator delete(void* pointer) noexcept {
    if (pointer != nullptr) {
        auto* block = static_cast<unsigned char*>(pointer) - kHeader;
        gLive -= *reinterpret_cast<std::size_t*>(block);
        std::free(block);
    }
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* pointer) noexcept {
    operator delete(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    operator delete(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    operator delete(pointer);
}
