#include "ui/Memory.h"

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepFreedMemoryShort()
{
#if defined(__GLIBC__)
    static std::once_flag set;
    std::call_once(set, [] {
        mallopt(M_MMAP_THRESHOLD, 16 << 20);
        mallopt(M_TRIM_THRESHOLD, 32 << 20);
    });
#endif
}

void ReturnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);  // every thread's pool, not only the main one
#endif
}
