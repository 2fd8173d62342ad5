#pragma once

#include <random>

namespace velmora {

// This thread's generator for names that must not repeat (a new card's UID,
// a temporary file's name). Seeded from the system's entropy in full: one
// 32-bit seed would give only four billion sequences, so two runs could
// name their new cards alike.
std::mt19937_64& ThreadRandom();

}  // namespace velmora
