#pragma once

#include "run/RunState.h"

namespace velmora {

// Gives every address-book record without a contact ID one: the ID of the
// phone book entry with the same name (as the phone keeps it) when no
// address-book record carries it yet, otherwise the smallest number that no
// record of the three sets uses as its ID. A record whose flag was empty is
// marked "I" so that its new ID is stored. Before that, of several cards with
// one ID only one keeps it, and a card that holds nothing the phone can keep
// gets no ID (and gives up one it has, unless its numbers were cleared since
// the previous run).
void AssignContactIDs(RunState& state);

// After reconciling: a contact that ends this run without any number leaves
// the phone book (its rows are deleted) and the sync database, and its card
// gives up its contact ID, so the run after this one has nothing to do.
void ReleaseContactsLeavingThePhone(RunState& state);

}  // namespace velmora
