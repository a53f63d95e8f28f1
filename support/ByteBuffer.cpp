#include "support/ByteBuffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace klv {

namespace {

constexpr std::uintptr_t kHugePage = 2u << 20;

// Marks the whole huge pages inside [begin, end), if any; pages already touched keep their
// size.
void AdviseHugePages(char* begin, char* end) {
    const std::uintptr_t first =
        (reinterpret_cast<std::uintptr_t>(begin) + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(end) & ~(kHugePage - 1);
    // A hint only: a failure (no THP support) leaves ordinary pages, which work as well.
    if (first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace

void ReserveBytes(std::string& bytes, std::size_t capacity) {
    if (capacity <= bytes.capacity()) return;
    bytes.reserve(capacity);
    AdviseHugePages(bytes.data() + bytes.size(), bytes.data() + bytes.capacity());
}

}  // namespace klv
