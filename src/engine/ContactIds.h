#pragma once

#include "run/RunState.h"

namespace velmora {

// Gives every address-book record without a contact ID one: the ID of the
// phone book entry with the same name when no address-book record carries it
// yet, otherwise the smallest number that no record of the three sets uses
// as its ID. A record whose flag was empty is marked "I" so that its new ID
// is stored.
void AssignContactIDs(RunState& state);

}  // namespace velmora
