#pragma once

namespace velmora {

// Hands the memory the program has freed back to the system. The
// allocator keeps freed pages a while for the next allocation, which is
// right inside a stage but not between stages that each peak on their own.
void ReturnFreedMemory();

// Whether memory freed from now on goes back to the system at once, rather
// than after a short delay in case it is wanted again soon. The delay pays
// while a stage makes and frees many small strings; once the run only
// writes, each freed page kept a while is resident memory nothing reuses.
void ReturnFreedMemoryAtOnce(bool atOnce);

// Whether memory allocated from now on may come in huge pages (2 MiB), where
// the system allows them: fewer page faults for a large run, more memory
// held for a small one.
void UseHugePages(bool use);

}  // namespace velmora
