#include "model/SyncObject.h"

#include <limits>
#include <stdexcept>

namespace velmora {

void SyncObject::SetSlot(std::size_t slot, std::string_view text) {
    const std::uint32_t begin = slot == 0 ? 0 : ends_[slot - 1];
    const std::uint32_t oldSize = ends_[slot] - begin;
    // The loaders set every slot, most of them to nothing.
    if (oldSize == 0 && text.empty()) return;
    const std::size_t size = texts_.size() - oldSize + text.size();
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("A contact's numbers are too long to keep.");
    }
    texts_.replace(begin, oldSize, text);  // the text may be a view of texts_ itself
    const auto newSize = static_cast<std::uint32_t>(text.size());
    for (std::size_t later = slot; later < ends_.size(); ++later)
        ends_[later] = ends_[later] - oldSize + newSize;
}

}  // namespace velmora
