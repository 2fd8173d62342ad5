#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// N texts in one buffer, with where each ends. A run holds hundreds of
// thousands of mostly short or empty texts (a card's fields, a record's
// numbers); kept this way, a holder takes one allocation and a few cache
// lines rather than a string each.
template <std::size_t N>
class PackedTexts {
  public:
    std::string_view operator[](std::size_t i) const {
        const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }

    // Replaces one text; it may be a view of this object's own buffer.
    void Set(std::size_t i, std::string_view text) {
        const std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
        const std::uint32_t oldSize = ends_[i] - begin;
        // Loaders set every text, most of them to nothing.
        if (oldSize == 0 && text.empty()) return;
        if (text_.size() - oldSize + text.size() > std::numeric_limits<std::uint32_t>::max()) {
            throw std::length_error("The texts are too long to keep together.");
        }
        text_.replace(begin, oldSize, text);
        const auto newSize = static_cast<std::uint32_t>(text.size());
        for (std::size_t later = i; later < N; ++later)
            ends_[later] = ends_[later] - oldSize + newSize;
    }

    // Every text at once, in their order; none may lie in this object's buffer.
    void Assign(const std::array<std::string_view, N>& texts) {
        std::size_t size = 0;
        for (const std::string_view text : texts)
            size += text.size();
        text_.clear();
        text_.reserve(size);
        for (std::size_t i = 0; i < N; ++i) {
            text_.append(texts[i]);
            ends_[i] = static_cast<std::uint32_t>(text_.size());
        }
    }

    // Bytes of all texts together.
    std::size_t TextSize() const { return text_.size(); }

    // Gives back the room a Set grew the buffer by (up to its size again),
    // for a holder kept long among thousands.
    void Fit() { text_.shrink_to_fit(); }

    bool operator==(const PackedTexts&) const = default;

  private:
    std::string text_;
    std::array<std::uint32_t, N> ends_{};  // where each text ends in text_
};

}  // namespace velmora
