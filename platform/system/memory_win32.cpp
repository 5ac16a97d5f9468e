// The heap on Windows: its allocator returns large blocks to the system by itself, so there is
// no policy to settle; aligned blocks come from the C runtime's aligned heap.
#include "platform/system/memory.h"

#include <malloc.h>

void settle_heap_policy() {}

void* aligned_block_alloc(size_t alignment, size_t bytes) { return _aligned_malloc(bytes, alignment); }

void aligned_block_free(void* block) { _aligned_free(block); }
