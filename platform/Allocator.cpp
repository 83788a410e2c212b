#include "platform/Allocator.h"

#ifdef QUORBEL_MIMALLOC
#include <QtGlobal>
#include <mimalloc.h>
#endif

void ConfigureAllocator()
{
#ifdef QUORBEL_MIMALLOC
    // Transparent huge pages where the kernel has them (madvise), normal
    // pages otherwise; a failure is silent.
    // MIMALLOC_LARGE_OS_PAGES in the environment has the last word.
    if (qEnvironmentVariableIsEmpty("MIMALLOC_LARGE_OS_PAGES"))
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
