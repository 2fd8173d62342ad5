#pragma once

namespace velmora {

// Hands the memory the program has freed back to the system. The
// allocator keeps freed pages a while for the next allocation, which is
// right inside a stage but not between stages that each peak on their own.
void ReturnFreedMemory();

}  // namespace velmora
