#pragma once

#include "run/RunState.h"

namespace velmora {

// Marks "D" every sync record whose contact is missing on at least one side,
// and the record that survives on the other side. A sync record without any
// number whose contact only the address book has is marked alone: the phone
// book never held it, so nothing was deleted there.
void FlagDeletedItems(RunState& state);

// Copies, with the flag "N", every contact that one side or the sync data
// does not know yet into the set that lacks it: first from the address book,
// then from the phone book. An address book contact without any number or
// e-mail address, which the phone book cannot hold, is copied nowhere until
// it has one.
void FlagNewItems(RunState& state);

// Compares each side with the sync record and marks "M", where the flag is
// still empty, the sync record and the side that has to receive the change.
void FlagModifiedItems(RunState& state);

}  // namespace velmora
