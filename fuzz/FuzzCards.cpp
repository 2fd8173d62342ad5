// libFuzzer target: any input is read as a card file and the codec's round
// trip is checked (CardRoundTrip.h). A failed check aborts, so libFuzzer
// keeps the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "CardRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto check = velmora::fuzz::CheckCardFile({reinterpret_cast<const char*>(data), size});
    if (!check.failure.empty()) {
        std::fprintf(stderr, "Card check failed: %s\n", check.failure.c_str());
        std::abort();
    }
    return 0;
}
