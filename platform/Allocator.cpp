#include "platform/Allocator.h"

#ifdef QUORBEL_MIMALLOC
#include <mimalloc.h>
#endif

void ConfigureAllocator()
{
#ifdef QUORBEL_MIMALLOC
    // Transparent huge pages where the kernel has them (madvise), normal
    // pages otherwise; a failure is silent.
    mi_option_set(mi_option_large_os_pages, 1);
#endif
}

const char* AllocatorName()
{
#ifdef QUORBEL_MIMALLOC
    return "mimalloc";
#else
    return "libc";
#endif
}
