#include "stores/outlook/ContactFilter.h"

#include <cctype>
#include <utility>

#include "model/Error.h"
#include "model/Text.h"

namespace velmora {

struct ContactFilter::Node {
    enum class Kind { Equals, And, Or };
    Kind kind = Kind::Equals;
    ContactField field = ContactField::User1;  // Equals
    std::string value;                         // Equals
    std::unique_ptr<Node> left;                // And, Or
    std::unique_ptr<Node> right;               // And, Or
};

namespace {

using Node = ContactFilter::Node;

// A recursive-descent reader of one filter text.
class FilterParser {
  public:
    explicit FilterParser(std::string_view text) : text_(text) {}

    std::unique_ptr<Node> ParseAll() {
        auto root = ParseOr();
        SkipBlanks();
        if (at_ < text_.size()) Fail("unexpected text");
        return root;
    }

  private:
    std::unique_ptr<Node> ParseOr() {
        auto node = ParseAnd();
        while (TakeWord("or"))
            node = Join(Node::Kind::Or, std::move(node), ParseAnd());
        return node;
    }

    std::unique_ptr<Node> ParseAnd() {
        auto node = ParseTerm();
        while (TakeWord("and"))
            node = Join(Node::Kind::And, std::move(node), ParseTerm());
        return node;
    }

    std::unique_ptr<Node> ParseTerm() {
        if (Take('(')) {
            auto inner = ParseOr();
            if (!Take(')')) Fail("a ')' is missing");
            return inner;
        }
        auto node = std::make_unique<Node>();
        node->field = ParseField();
        if (!Take('=')) Fail("'=' is missing");
        node->value = ParseValue();
        return node;
    }

    ContactField ParseField() {
        if (!Take('[')) Fail("a field in brackets is missing");
        const std::size_t close = text_.find(']', at_);
        if (close == std::string_view::npos) Fail("a ']' is missing");
        const std::string_view name = text_.substr(at_, close - at_);
        const auto field = FieldByName(name);
        if (!field) Fail("there is no field '" + std::string(name) + "'");
        at_ = close + 1;
        return *field;
    }

    // A value in single or double quotes; the quote itself is written doubled.
    std::string ParseValue() {
        SkipBlanks();
        if (at_ >= text_.size() || (text_[at_] != '\'' && text_[at_] != '"')) {
            Fail("a quoted value is missing");
        }
        const char quote = text_[at_++];
        std::string value;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c != quote) {
                value += c;
            } else if (at_ < text_.size() && text_[at_] == quote) {
                value += quote;
                ++at_;
            } else {
                return value;
            }
        }
        Fail("a value is not closed by its quote");
    }

    static std::unique_ptr<Node> Join(Node::Kind kind, std::unique_ptr<Node> left,
                                      std::unique_ptr<Node> right) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    void SkipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }

    bool Take(char c) {
        SkipBlanks();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

    // A keyword standing alone (followed by a blank, a bracket or a parenthesis).
    bool TakeWord(std::string_view word) {
        SkipBlanks();
        if (text_.size() - at_ <= word.size()) return false;
        if (!EqualsIgnoringCase(text_.substr(at_, word.size()), word)) return false;
        const char next = text_[at_ + word.size()];
        if (!std::isspace(static_cast<unsigned char>(next)) && next != '[' && next != '(') {
            return false;
        }
        at_ += word.size();
        return true;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw Error("The search filter " + std::string(text_) + " cannot be read: " + what +
                    " at character " + std::to_string(at_ + 1) + ".");
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

bool Evaluate(const Node& node, const ContactItem& contact) {
    switch (node.kind) {
        case Node::Kind::And:
            return Evaluate(*node.left, contact) && Evaluate(*node.right, contact);
        case Node::Kind::Or:
            return Evaluate(*node.left, contact) || Evaluate(*node.right, contact);
        case Node::Kind::Equals:
            break;
    }
    return EqualsIgnoringCase(contact.Get(node.field), node.value);
}

}  // namespace

ContactFilter::ContactFilter(std::unique_ptr<Node> root) : root_(std::move(root)) {}
ContactFilter::ContactFilter(ContactFilter&&) noexcept = default;
ContactFilter& ContactFilter::operator=(ContactFilter&&) noexcept = default;
ContactFilter::~ContactFilter() = default;

ContactFilter ContactFilter::Parse(std::string_view text) {
    return ContactFilter(FilterParser(text).ParseAll());
}

bool ContactFilter::Matches(const ContactItem& contact) const {
    return Evaluate(*root_, contact);
}

std::string QuoteFilterValue(std::string_view value) {
    std::string quoted;
    for (const char c : value) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted;
}

}  // namespace velmora
