#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "stores/outlook/CardIndex.h"
#include "stores/outlook/OutlookPort.h"
#include "stores/outlook/VCard.h"

namespace velmora {

// Contact item fields over the lines of a card: the one table that maps the
// address book's fields to vCard properties (docs/vcard-mapping.md).

// The field's text, "" when the card lacks it.
std::string ReadContactField(const VCard& card, ContactField field);

// Sets the field: changes the value of its line in place (keeping the line's
// parameters), adds a line when the card lacks one, removes it for "". Writing
// the value the field already reads changes nothing.
void WriteContactField(VCard& card, ContactField field, std::string_view value);

// Whether writing the field leaves every other field reading as before: a
// text of a property that no other field reads.
bool WritesOnlyItself(ContactField field);

// Whether writing `value` into a field that now reads `current` leaves the
// card as it is; `ownFileAs`: the card has a file-as line of its own.
bool WriteKeepsCard(ContactField field, std::string_view current, bool ownFileAs,
                    std::string_view value);

// Every field of the card as it reads now, for the card index.
IndexedCard SummaryOf(const VCard& card);

// KIND:group, X-ADDRESSBOOKSERVER-KIND:group or X-EVOLUTION-LIST:TRUE.
bool IsDistributionList(const VCard& card);

// Throws velmora::Error naming the file and line of the first mapped value
// that cannot be decoded, so that a card is never half read.
void CheckMappedValues(const VCard& card, const std::filesystem::path& path);

// A new card as the program writes one: version 3.0 with empty FN and N.
VCard NewContactCard();

std::string CardUid(const VCard& card);
void SetCardUid(VCard& card, std::string_view uid);

}  // namespace velmora
