#include "util/FreedMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#ifdef __ELF__
// mimalloc, when the program links it (the tests do not); weak, so that a
// program without it still links.
extern "C" void mi_collect(bool force) __attribute__((weak));
#endif

namespace velmora {

void ReturnFreedMemory() {
#ifdef __ELF__
    if (mi_collect != nullptr) {
        mi_collect(true);
        return;
    }
#endif
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace velmora
