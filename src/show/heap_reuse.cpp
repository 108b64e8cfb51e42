#include "show/heap_reuse.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace zibo {

void KeepFreedMemoryForReuse() {
#ifdef __GLIBC__
  // Blocks under 64 MB come from the heap, and the heap keeps up to 128 MB
  // of free memory at its top instead of trimming it.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

}  // namespace zibo
