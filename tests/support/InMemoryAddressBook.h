#pragma once

#include <map>
#include <memory>
#include <string>

#include "stores/outlook/OutlookPort.h"

namespace velmora {

// An address book held in memory that keeps the promises of the contacts
// port, for tests: a test sets up its items, runs code against books opened
// over it, and looks at what was stored.
class InMemoryAddressBook {
  public:
    using Fields = std::map<ContactField, std::string>;

    InMemoryAddressBook();

    // Stores an item at the end, as if another program had saved it.
    void AddContact(Fields fields);
    void AddDistributionList();
    // Replaces a stored contact's fields, as another program would.
    void ReplaceContact(int index, Fields fields);

    std::unique_ptr<AddressBook> Open();
    AddressBookOpener Opener();

    // A stored item's field, by 1-based position.
    std::string Field(int index, ContactField field) const;

    // Cards stored (created or changed) and deleted by SaveChanges so far.
    int Saves() const;
    int Deletes() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace velmora
