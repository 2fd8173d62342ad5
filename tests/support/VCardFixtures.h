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

// Helpers for tests over a vCard folder.
//
//   WriteFileBytes(folder / "01.vcf", MakeCard({"FN:Ann Lee", "TEL;TYPE=cell:555 0101"}));
//   WriteFileBytes(folder / "02.vcf", ContactCardText({{ContactField::FullName, "Bob"},
//                                                    {ContactField::User2, "YES"}}));
//   ... run the code under test ...
//   EXPECT_EQ(RenderAddressBook(*OpenVCardFolder(folder)),
//             "FileAs=Ann Lee; FullName=Ann Lee; MobileTelephoneNumber=555 0101\n"
//             "User2=YES; FileAs=Bob; FullName=Bob\n");

using FieldValues = std::vector<std::pair<ContactField, std::string>>;

// A card: BEGIN:VCARD, VERSION:<version>, the lines as given, END:VCARD, each
// ended by CR LF.
std::string MakeCard(const std::vector<std::string>& lines, std::string_view version = "3.0");

// A contact card holding the fields, written the way the program writes a new
// card (version 3.0).
std::string ContactCardText(const FieldValues& fields);

// The address book as one string, one line per item in item order, each
// ended by "\n". A contact's line lists its non-empty fields in the order of
// ContactField as "Field=value", joined by "; " (Email1DisplayName, which a
// vCard reads as the address, is left out); a contact without any reads
// "(empty contact)". Any other item reads "(distribution list)".
std::string RenderAddressBook(const AddressBook& book);

// The reverse of a contact's line, so tests state contacts in the same form:
// "User2=YES; FileAs=Lee, Ann; HomeTelephoneNumber=". A value cannot hold
// "; ". Throws std::invalid_argument on text that does not follow it.
FieldValues ParseFields(std::string_view text);
void AddContact(InMemoryAddressBook& book, std::string_view fields);

}  // namespace velmora::test
