#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CardRoundTrip.h"

namespace velmora::fuzz {
namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Every input of the fuzz target's seed corpus (one per fault the codec had,
// typical cards of each version, refused files) passes the fuzz target's
// checks. Files named "bad-*" must be refused, all others must read, so that
// a card the codec stops reading cannot pass as a clean refusal.
TEST(FuzzCorpus, EveryInputKeepsItsCards) {
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(VELMORA_FUZZ_CORPUS))
        inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), 20U);
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const CardCheck check = CheckCardFile(ReadBytes(input));
        EXPECT_EQ(check.failure, "");
        EXPECT_EQ(check.readable, input.filename().string().rfind("bad-", 0) != 0);
    }
}

}  // namespace
}  // namespace velmora::fuzz
