#include "platform/system/memory.h"

#include <cstdlib>  // defines __GLIBC__ on the GNU C library
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void settle_heap_policy() {
#if defined(__GLIBC__)
    static const bool settled = [] {
        // Setting either threshold switches the allocator's own adjustment off for both.
        mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargeBlockBytes));
        mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kLargeBlockBytes));
        return true;
    }();
    (void)settled;
#endif
}

void* aligned_block_alloc(size_t alignment, size_t bytes) {
    void* block = nullptr;
    return posix_memalign(&block, alignment, bytes) == 0 ? block : nullptr;
}

void aligned_block_free(void* block) { std::free(block); }
