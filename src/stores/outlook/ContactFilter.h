#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "stores/outlook/OutlookPort.h"

namespace velmora {

// A search filter over contact fields: terms `[Field] = 'value'` joined by
// `and` and `or` (and binds closer), with parentheses. Inside a value a quote
// is written doubled ('O''Brien'). Field names and the words and/or ignore
// letter case, and so does the comparison of a field with its value.
class ContactFilter {
  public:
    // Throws velmora::Error naming the filter when it does not parse.
    static ContactFilter Parse(std::string_view text);

    ContactFilter(ContactFilter&&) noexcept;
    ContactFilter& operator=(ContactFilter&&) noexcept;
    ~ContactFilter();

    bool Matches(const ContactItem& contact) const;

    struct Node;

  private:
    explicit ContactFilter(std::unique_ptr<Node> root);
    std::unique_ptr<Node> root_;
};

// A value between single quotes in a filter: its quotes doubled.
std::string QuoteFilterValue(std::string_view value);

}  // namespace velmora
