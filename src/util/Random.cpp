#include "util/Random.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

namespace velmora {

std::mt19937_64& ThreadRandom() {
    thread_local std::mt19937_64 random = [] {
        std::random_device entropy;
        std::array<std::uint32_t, 8> seed{};
        std::generate(seed.begin(), seed.end(), std::ref(entropy));
        std::seed_seq sequence(seed.begin(), seed.end());
        return std::mt19937_64(sequence);
    }();
    return random;
}

}  // namespace velmora
