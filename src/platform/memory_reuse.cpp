#include "platform/memory_reuse.h"

#include <cstddef>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tw {

namespace {

// Well above the largest screen image a 640 x 480 game needs (2.3 MB), below
// what a picture at the largest accepted size would keep for good.
constexpr std::size_t kKeptBytes = std::size_t{16} << 20;

}  // namespace

void keep_freed_memory_for_reuse() {
#if defined(__GLIBC__)
  // A fixed threshold also stops the allocator from moving it on its own.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kKeptBytes));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(kKeptBytes));
#endif
}

}  // namespace tw
