#include "stores/outlook/InMemoryOutlook.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/Error.h"

namespace velmora {

namespace {

struct Entry {
    bool isContact = true;
    InMemoryAddressBook::Fields fields;
    bool stored = false;
    bool deleted = false;
};

}  // namespace

struct InMemoryAddressBook::State {
    std::vector<std::shared_ptr<Entry>> entries;
    std::string openFailure;
    int saves = 0;
    int deletes = 0;
    int logoffs = 0;

    const Entry& At(int index) const {
        if (index < 1 || index > static_cast<int>(entries.size())) {
            throw Error("No stored item " + std::to_string(index) + ".");
        }
        return *entries[static_cast<std::size_t>(index - 1)];
    }
};

namespace {

using State = InMemoryAddressBook::State;

std::string FieldOf(const InMemoryAddressBook::Fields& fields, ContactField field) {
    const auto found = fields.find(field);
    return found == fields.end() ? std::string() : found->second;
}

class FakeContact final : public ContactItem {
  public:
    FakeContact(std::shared_ptr<State> state, std::shared_ptr<Entry> entry)
        : state_(std::move(state)), entry_(std::move(entry)) {}

    std::string Get(ContactField field) const override {
        const auto pending = pending_.find(field);
        if (pending != pending_.end()) return pending->second;
        return FieldOf(entry_->fields, field);
    }

    void Set(ContactField field, std::string_view value) override {
        pending_[field] = std::string(value);
    }

    void Save() override {
        if (entry_->deleted) throw Error("The contact has been deleted and cannot be saved.");
        for (auto& [field, value] : pending_)
            entry_->fields[field] = std::move(value);
        pending_.clear();
        if (!entry_->stored) state_->entries.push_back(entry_);
        entry_->stored = true;
        ++state_->saves;
    }

    void Delete() override {
        if (entry_->stored && !entry_->deleted) {
            auto& entries = state_->entries;
            entries.erase(std::find(entries.begin(), entries.end(), entry_));
            ++state_->deletes;
        }
        entry_->deleted = true;
        pending_.clear();
    }

  private:
    std::shared_ptr<State> state_;
    std::shared_ptr<Entry> entry_;
    InMemoryAddressBook::Fields pending_;
};

class FakeItems final : public OutlookItems {
  public:
    explicit FakeItems(std::shared_ptr<State> state)
        : state_(std::move(state)), entries_(state_->entries) {}

    int Count() const override { return static_cast<int>(entries_.size()); }

  protected:
    std::unique_ptr<OutlookItem> ItemAt(int index) override {
        const auto& entry = entries_[static_cast<std::size_t>(index - 1)];
        if (!entry->isContact) return std::make_unique<OtherItem>(kDistListItemType);
        return std::make_unique<FakeContact>(state_, entry);
    }

  private:
    std::shared_ptr<State> state_;
    std::vector<std::shared_ptr<Entry>> entries_;
};

class FakeFolder final : public OutlookFolder {
  public:
    explicit FakeFolder(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::unique_ptr<OutlookItems> Items() override { return std::make_unique<FakeItems>(state_); }

  private:
    std::shared_ptr<State> state_;
};

class FakeApplication final : public OutlookApplication {
  public:
    explicit FakeApplication(std::shared_ptr<State> state)
        : state_(std::move(state)), folder_(state_) {}

    OutlookFolder& GetDefaultContactsFolder() override { return folder_; }
    std::unique_ptr<ContactItem> CreateContactItem() override {
        return std::make_unique<FakeContact>(state_, std::make_shared<Entry>());
    }
    void Logoff() override { ++state_->logoffs; }

  private:
    std::shared_ptr<State> state_;
    FakeFolder folder_;
};

}  // namespace

InMemoryAddressBook::InMemoryAddressBook() : state_(std::make_shared<State>()) {}

void InMemoryAddressBook::AddContact(Fields fields) {
    state_->entries.push_back(std::make_shared<Entry>(Entry{true, std::move(fields), true}));
}

void InMemoryAddressBook::AddDistributionList() {
    state_->entries.push_back(std::make_shared<Entry>(Entry{false, {}, true}));
}

std::unique_ptr<OutlookApplication> InMemoryAddressBook::MakeApplication() {
    if (!state_->openFailure.empty()) throw Error(state_->openFailure);
    return std::make_unique<FakeApplication>(state_);
}

OutlookApplicationFactory InMemoryAddressBook::Factory() {
    return [this] { return MakeApplication(); };
}

void InMemoryAddressBook::FailToOpen(std::string message) {
    state_->openFailure = std::move(message);
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
int InMemoryAddressBook::Logoffs() const {
    return state_->logoffs;
}

}  // namespace velmora
