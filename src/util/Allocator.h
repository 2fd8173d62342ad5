#pragma once

namespace velmora {

// Hands the memory the program has freed back to the system. The
// allocator keeps freed pages a while for the next allocation, which is
// right inside a stage but not between stages that each peak on their own.
void ReturnFreedMemory();

// Whether memory allocated from now on may come in huge pages (2 MiB), where
// the system allows them: fewer page faults for a large run, more memory
// held for a small one.
void UseHugePages(bool use);

}  // namespace velmora
