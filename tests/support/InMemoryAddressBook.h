#pragma once

#include <map>
#include <memory>
#include <string>

#include "stores/outlook/OutlookPort.h"

namespace velmora {

// An address book in memory that keeps the promises of the contacts port.
class InMemoryAddressBook {
  public:
    using Fields = std::map<ContactField, std::string>;

    InMemoryAddressBook();

    // As another program would.
    void AddContact(Fields fields);
    void AddDistributionList();
    void ReplaceContact(int index, Fields fields);

    std::unique_ptr<AddressBook> Open();
    AddressBookOpener Opener();

    std::string Field(int index, ContactField field) const;

    int Saves() const;
    int Deletes() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace velmora
