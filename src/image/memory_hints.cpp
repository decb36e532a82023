#include "image/memory_hints.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {
// Below this a buffer spans too few large pages to be worth a system call.
constexpr size_t kMinimumAdvisedBytes = size_t{4} << 20;
}  // namespace

void AdviseLargeSequentialWrite(void* buffer, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (buffer == nullptr || bytes < kMinimumAdvisedBytes) {
        return;
    }
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) {
        return;
    }
    // madvise wants page-aligned ranges: advise the whole pages inside the buffer.
    const auto page = static_cast<uintptr_t>(pageSize);
    const uintptr_t start = (reinterpret_cast<uintptr_t>(buffer) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(buffer) + bytes) & ~(page - 1);
    if (end <= start) {
        return;
    }
    // A refusal (no huge page support) only costs the hint.
    madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)buffer;
    (void)bytes;
#endif
}
