#include "support/InMemoryAddressBook.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/Error.h"

namespace velmora {

namespace {

struct Stored {
    bool isContact = true;
    InMemoryAddressBook::Fields fields;
    unsigned revision = 0;  // counts stores, to notice another writer's change
};

std::string FieldOf(const InMemoryAddressBook::Fields& fields, ContactField field) {
    const auto found = fields.find(field);
    return found == fields.end() ? std::string() : found->second;
}

}  // namespace

struct InMemoryAddressBook::State {
    std::vector<std::shared_ptr<Stored>> items;
    int saves = 0;
    int deletes = 0;

    const Stored& At(int index) const {
        if (index < 1 || index > static_cast<int>(items.size()))
            throw Error("No stored item " + std::to_string(index) + ".");
        return *items[static_cast<std::size_t>(index - 1)];
    }
};

namespace {

using State = InMemoryAddressBook::State;

// A card of an opened book; `stored` is null for a new card.
struct Card {
    std::shared_ptr<Stored> stored;
    unsigned readRevision = 0;
    bool isContact = true;
    InMemoryAddressBook::Fields fields;
    bool changed = false;
    bool deleted = false;
};

class FakeBook final : public AddressBook {
  public:
    explicit FakeBook(std::shared_ptr<State> state) : state_(std::move(state)) {
        for (const auto& item : state_->items)
            cards_.push_back({item, item->revision, item->isContact, item->fields});
    }

    int Count() const override { return static_cast<int>(cards_.size()); }
    bool IsContact(CardHandle card) const override {
        const Card& c = At(card);
        return c.isContact && !c.deleted;
    }
    std::string Get(CardHandle card, ContactField field) const override {
        return FieldOf(Contact(card).fields, field);
    }
    void Set(CardHandle card, ContactField field, std::string_view value) override {
        Card& c = const_cast<Card&>(Contact(card));
        if (FieldOf(c.fields, field) == value) return;
        if (value.empty())
            c.fields.erase(field);
        else
            c.fields[field] = std::string(value);
        c.changed = true;
    }
    CardHandle Create() override {
        cards_.push_back({nullptr, 0, true, {}, true, false});
        return Count();
    }
    void Delete(CardHandle card) override {
        Card& c = const_cast<Card&>(Contact(card));
        c.deleted = true;
        c.changed = true;
    }
    std::string Describe(CardHandle card) const override {
        return "card " + std::to_string(card) + " of the address book";
    }

    // Nothing here lives in a file.
    PendingCardFiles PendingFiles() const override { return {}; }
    std::optional<std::string> PendingFileOf(CardHandle) const override { return std::nullopt; }

    std::vector<CardFailure> SaveChanges() override {
        std::vector<CardFailure> failures;
        for (std::size_t i = 0; i < cards_.size(); ++i) {
            Card& card = cards_[i];
            if (!card.changed) continue;
            card.changed = false;
            const auto handle = static_cast<CardHandle>(i + 1);
            auto& items = state_->items;
            if (card.stored == nullptr) {
                if (card.deleted) continue;
                card.stored = std::make_shared<Stored>(Stored{true, card.fields, 0});
                card.readRevision = 0;
                items.push_back(card.stored);
                ++state_->saves;
                continue;
            }
            const auto place = std::find(items.begin(), items.end(), card.stored);
            if (place == items.end() || card.stored->revision != card.readRevision) {
                failures.push_back({handle, "The " + Describe(handle) +
                                                " was changed by another program; it was not "
                                                "overwritten."});
                continue;
            }
            if (card.deleted) {
                items.erase(place);
                ++state_->deletes;
                continue;
            }
            card.stored->fields = card.fields;
            card.readRevision = ++card.stored->revision;
            ++state_->saves;
        }
        return failures;
    }

  private:
    const Card& At(CardHandle card) const {
        if (card < 1 || card > Count()) throw Error("No card " + std::to_string(card) + ".");
        return cards_[static_cast<std::size_t>(card - 1)];
    }
    const Card& Contact(CardHandle card) const {
        const Card& c = At(card);
        if (!c.isContact || c.deleted)
            throw Error("The " + Describe(card) + " is deleted or no contact.");
        return c;
    }

    std::shared_ptr<State> state_;
    std::vector<Card> cards_;
};

}  // namespace

InMemoryAddressBook::InMemoryAddressBook() : state_(std::make_shared<State>()) {}

void InMemoryAddressBook::AddContact(Fields fields) {
    state_->items.push_back(std::make_shared<Stored>(Stored{true, std::move(fields), 0}));
}

void InMemoryAddressBook::AddDistributionList() {
    state_->items.push_back(std::make_shared<Stored>(Stored{false, {}, 0}));
}

void InMemoryAddressBook::ReplaceContact(int index, Fields fields) {
    auto& stored = const_cast<Stored&>(state_->At(index));
    stored.fields = std::move(fields);
    ++stored.revision;
}

std::unique_ptr<AddressBook> InMemoryAddressBook::Open() {
    return Opener()();
}

AddressBookOpener InMemoryAddressBook::Opener() {
    return [state = state_]() -> std::unique_ptr<AddressBook> {
        return std::make_unique<FakeBook>(state);
    };
}

std::string InMemoryAddressBook::Field(int index, ContactField field) const {
    return FieldOf(state_->At(index).fields, field);
}

int InMemoryAddressBook::Saves() const {
    return state_->saves;
}
int InMemoryAddressBook::Deletes() const {
    return state_->deletes;
}

}  // namespace velmora
