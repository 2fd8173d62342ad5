#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stores/outlook/OutlookPort.h"
#include "support/InMemoryAddressBook.h"
#include "support/TempDir.h"

namespace velmora::test {

using FieldValues = std::vector<std::pair<ContactField, std::string>>;

// The lines between BEGIN:VCARD, VERSION and END:VCARD, each ended by CR LF.
std::string MakeCard(const std::vector<std::string>& lines, std::string_view version = "3.0");

// A new card holding the fields, as the program writes one.
std::string ContactCardText(const FieldValues& fields);

// One line per item: a contact's non-empty fields as "Field=value; ..."
// (without Email1DisplayName, which a vCard reads as the address).
std::string RenderAddressBook(const AddressBook& book);

// The reverse of a contact's line; a value cannot hold "; ".
FieldValues ParseFields(std::string_view text);
void AddContact(InMemoryAddressBook& book, std::string_view fields);

}  // namespace velmora::test
