#include "util/Allocator.h"

#include <cstddef>  // says whether the C library is glibc
#ifdef __GLIBC__
#include <malloc.h>
#endif

// mimalloc, when the program links it (the tests do not): its functions are
// declared weak, so that a program without it still links.
#if defined(__ELF__) && __has_include(<mimalloc.h>)
#include <mimalloc.h>
#pragma weak mi_collect
#pragma weak mi_option_set
#pragma weak mi_option_get
#define VELMORA_MIMALLOC 1
#endif

namespace velmora {

void ReturnFreedMemory() {
#ifdef VELMORA_MIMALLOC
    if (&mi_collect != nullptr) {
        mi_collect(true);
        return;
    }
#endif
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void ReturnFreedMemoryAtOnce(bool atOnce) {
#ifdef VELMORA_MIMALLOC
    if (&mi_option_set == nullptr || &mi_option_get == nullptr) return;
    // The delay the allocator started with (its own, or the environment's).
    static const long delay = mi_option_get(mi_option_decommit_delay);
    mi_option_set(mi_option_decommit_delay, atOnce ? 0 : delay);
#else
    (void)atOnce;
#endif
}

void UseHugePages(bool use) {
#ifdef VELMORA_MIMALLOC
    if (&mi_option_set == nullptr) return;
    mi_option_set(mi_option_large_os_pages, use ? 1 : 0);
    mi_option_set(mi_option_eager_commit_delay, use ? 0 : 1);
#else
    (void)use;
#endif
}

}  // namespace velmora
