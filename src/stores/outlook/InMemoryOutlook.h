#pragma once

#include <map>
#include <memory>
#include <string>

#include "stores/outlook/OutlookPort.h"

namespace velmora {

// An address book held in memory that keeps the promises of the contacts
// port, for tests: a test sets up its items, runs code against applications
// made over it, and looks at what was stored.
class InMemoryAddressBook {
  public:
    using Fields = std::map<ContactField, std::string>;

    InMemoryAddressBook();

    // Stores an item at the end, as if it had been saved.
    void AddContact(Fields fields);
    void AddDistributionList();

    std::unique_ptr<OutlookApplication> MakeApplication();
    OutlookApplicationFactory Factory();

    // From now on, making an application throws velmora::Error(message), as
    // an address book that cannot be reached does.
    void FailToOpen(std::string message);

    // A field of what is stored, by 1-based position.
    std::string Field(int index, ContactField field) const;

    int Saves() const;
    int Deletes() const;
    int Logoffs() const;

    struct State;

  private:
    std::shared_ptr<State> state_;
};

}  // namespace velmora
