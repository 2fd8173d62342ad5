#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace velmora {

// Which whole numbers the fields of a run hold, to hand out the smallest one
// that no field holds without scanning every set for every candidate. Values
// are counted per field, so a value stays in use until the last field holding
// it lets go. Only the plain decimal form of a positive number (7, not 07 or
// " 7") can equal a value handed out, so other texts are not counted.
class UsedNumbers {
  public:
    void Add(std::string_view text);
    void Remove(std::string_view text);

    // The decimal text of the smallest positive number that no field holds.
    std::string SmallestFree();

    // Counts a field's text in place of its old one.
    void Replace(std::string_view old, std::string_view text);

  private:
    std::unordered_map<std::int64_t, int> counts_;
    std::int64_t lowestCandidate_ = 1;  // every number below it is in use
};

}  // namespace velmora
