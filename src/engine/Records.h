#pragma once

#include <string_view>

#include "model/SyncSet.h"

namespace velmora {

// True when the name, the nine numbers and the nine speed dials of the two
// records are equal as the phone keeps them: names by their first 22
// characters, e-mail addresses without regard to letter case, everything
// else text for text. ContactID and Flag are not compared.
bool RecordsEqual(const SyncObject& a, const SyncObject& b);

// The phone book holds a contact as the rows of its numbers: a contact
// without any number or e-mail address cannot be there.
bool HasNumbers(const SyncObject& record);

// Copies the name, the nine numbers and the nine speed dials (not ContactID,
// not Flag) from source to target.
void CopyValues(SyncObject& target, const SyncObject& source);

// Copies ContactID and the values from source to target; the target's flag is
// kept, and an empty one becomes "M" so that the target is written.
void CopyRecord(SyncObject& target, const SyncObject& source);

// An empty flag becomes "M"; any letter already set stays.
void MarkModified(SyncObject& record);

// The last record of the set with that contact ID, nullptr when there is none.
SyncObject* RecordWithID(SyncSet& set, std::string_view contactId);

}  // namespace velmora
