#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The contact item fields the program reads and writes, named as the desktop
// address book names them.
enum class ContactField {
    User1,  // direct connect number
    User2,  // inclusion flag
    User3,  // contact ID
    User4,  // speed-dial tag
    FileAs,
    FullName,
    FirstName,
    LastName,
    NickName,
    Business2TelephoneNumber,  // secondary work number
    BusinessTelephoneNumber,   // work number
    HomeTelephoneNumber,
    MobileTelephoneNumber,
    BusinessFaxNumber,
    PagerNumber,
    OtherTelephoneNumber,
    Email1Address,
    Email1DisplayName,  // written only as "" when the address is removed
    Email1AddressType,  // written only ("SMTP")
};
inline constexpr std::size_t kContactFieldCount = 19;

// "User1", "FileAs", ...
std::string_view FieldName(ContactField field);
// The field of that exact name; nullopt for a name that is no field.
std::optional<ContactField> FieldByName(std::string_view name);

// A card of the address book: its 1-based place among the items as loaded,
// then the cards created since. A loaded contact is written back through its
// handle only, never found again by its name or any other value, so two
// cards that look alike stay two contacts.
using CardHandle = int;

// A card that could not be stored, and why.
struct CardFailure {
    CardHandle card = 0;
    std::string reason;  // a sentence naming the file
};

// The files the next SaveChanges would store: those it would write over or
// delete, and those of the cards it would create, by their names in the
// book's folder (a first run names thousands: a path object each would cost
// more than their cards). A backend that keeps no files names none.
struct PendingCardFiles {
    std::vector<std::string> changed;
    std::vector<std::string> created;
};

// The address book of one run. Opening it reads every item once; changes are
// gathered in memory and stored by SaveChanges, so each card is written at
// most once per run, and only when its text changed.
class AddressBook {
  public:
    virtual ~AddressBook() = default;

    // Handles run from 1 to Count(): the loaded items in folder order, then
    // the created cards. A deleted card keeps its handle.
    virtual int Count() const = 0;
    // False for an item that is no contact (a distribution list) and for a
    // deleted card; such an item is neither read nor written.
    virtual bool IsContact(CardHandle card) const = 0;

    // A field as it now reads, with the changes made so far; "" when unset.
    virtual std::string Get(CardHandle card, ContactField field) const = 0;
    // Changes a field; setting the value it already reads changes nothing.
    virtual void Set(CardHandle card, ContactField field, std::string_view value) = 0;
    // A new, empty card, stored by the next SaveChanges.
    virtual CardHandle Create() = 0;
    virtual void Delete(CardHandle card) = 0;

    // Where the card is, for messages: its file (and place in it).
    virtual std::string Describe(CardHandle card) const = 0;

    // What the next SaveChanges would store, so it can be backed up first;
    // a created card keeps the file named here.
    virtual PendingCardFiles PendingFiles() const = 0;
    // The file of this card that PendingFiles names as changed, known from
    // the card's first change on, so that its backup can begin while others
    // are still being written; nullopt for a card unchanged or new.
    virtual std::optional<std::string> PendingFileOf(CardHandle card) const = 0;

    // Stores every card changed, created or deleted since the book was opened
    // or last saved. A card that cannot be stored is left as it is on disk
    // and reported; the others are stored all the same.
    virtual std::vector<CardFailure> SaveChanges() = 0;
};

// Opens (reads) the address book; throws velmora::Error when it cannot be
// read, naming the folder or file.
using AddressBookOpener = std::function<std::unique_ptr<AddressBook>()>;

}  // namespace velmora
