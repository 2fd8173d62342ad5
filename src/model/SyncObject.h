#pragma once

#include <string>

#include "model/RecordFlag.h"

namespace velmora {

// One contact as any of the three stores holds it, with what the run is to do
// with it (model/RecordFlag.h). Every value is text and an empty text means
// "absent": no number of that kind, no speed dial, no contact ID yet. The
// record checks and normalises nothing.
struct SyncObject {
    RecordFlag Flag = RecordFlag::None;
    std::string Work2Speed;
    std::string Work1Speed;
    std::string MobileSpeed;
    std::string OtherSpeed;
    std::string PagerSpeed;
    std::string HomeSpeed;
    std::string FaxSpeed;
    std::string EmailSpeed;
    std::string DCSpeed;
    std::string EmailAddress;
    std::string OtherNumber;
    std::string PagerNumber;
    std::string FaxNumber;
    std::string MobileNumber;
    std::string Work1Number;
    std::string HomeNumber;
    std::string DCNumber;
    std::string Work2Number;
    std::string ContactName;
    std::string ContactID;

    // The address-book card the record was loaded from (its handle, 1-based),
    // 0 for a record of another store or one not yet in the address book.
    // Every write of the contact goes to this card.
    int Card = 0;

    bool operator==(const SyncObject&) const = default;
};

}  // namespace velmora
