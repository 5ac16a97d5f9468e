// The process heap's policy for large blocks.
#pragma once
#include <cstddef>

// Makes every heap block of kLargeBlockBytes or more a mapping of its own, returned to the system
// when freed, and fixes the allocator's thresholds so that they stop moving. The C library
// otherwise raises its mapping threshold each time such a block is freed, after which the game's
// full-screen pictures (about 1.9 MB each, made and freed at every scene change, display-mode
// switch and device reset) are carved out of the main heap, leaving holes that keep resident
// memory creeping up over a long session. Idempotent; call before the first large block.
void settle_heap_policy();

inline constexpr long kLargeBlockBytes = 512 * 1024;

// A heap block whose address is a multiple of alignment (a power of two, at least the size of a
// pointer); null when the memory cannot be had. Free it with aligned_block_free only.
void* aligned_block_alloc(size_t alignment, size_t bytes);
void aligned_block_free(void* block);
