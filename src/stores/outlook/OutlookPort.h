#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
// The field of a name as filters write it, ignoring letter case ("Nickname"
// finds NickName); nullopt for a name that is no field.
std::optional<ContactField> FieldByName(std::string_view name);

// Type names of the folder's items.
inline constexpr std::string_view kContactItemType = "ContactItem";
inline constexpr std::string_view kDistListItemType = "DistListItem";

class ContactItem;

// An item of the contacts folder: a contact, or something else (a
// distribution list) that the program passes over.
class OutlookItem {
  public:
    virtual ~OutlookItem() = default;
    virtual std::string TypeName() const = 0;
    // This very item as a contact; nullptr when it is none.
    virtual ContactItem* AsContact() = 0;
};

// A contact. Fields read as "" when unset. Changes last only after Save.
class ContactItem : public OutlookItem {
  public:
    std::string TypeName() const final { return std::string(kContactItemType); }
    ContactItem* AsContact() final { return this; }

    virtual std::string Get(ContactField field) const = 0;
    virtual void Set(ContactField field, std::string_view value) = 0;
    virtual void Save() = 0;
    virtual void Delete() = 0;
};

// The item itself as a contact, owned; nullptr (the item released) when it is
// no contact.
std::unique_ptr<ContactItem> TakeContact(std::unique_ptr<OutlookItem> item);

// The folder's items as they stood when they were fetched.
class OutlookItems {
  public:
    virtual ~OutlookItems() = default;
    virtual int Count() const = 0;
    // The item at a 1-based position; a position outside 1..Count() throws.
    std::unique_ptr<OutlookItem> Item(int index);

    // The first contact in index order that matches the filter (such as
    // "[User3] ='12' and ([User2] = 'Y' or [User2]='YES')"), nullptr when
    // none does. A filter that does not parse throws, naming the filter.
    std::unique_ptr<ContactItem> Find(std::string_view filter);

  protected:
    // The item at a position within 1..Count().
    virtual std::unique_ptr<OutlookItem> ItemAt(int index) = 0;
};

// An item that is no contact (a distribution list), known by its type name.
class OtherItem final : public OutlookItem {
  public:
    explicit OtherItem(std::string_view typeName) : typeName_(typeName) {}
    std::string TypeName() const override { return typeName_; }
    ContactItem* AsContact() override { return nullptr; }

  private:
    std::string typeName_;
};

class OutlookFolder {
  public:
    virtual ~OutlookFolder() = default;
    // Fetches the items afresh.
    virtual std::unique_ptr<OutlookItems> Items() = 0;
};

// One session with the address book. Each procedure that needs the address
// book makes its own.
class OutlookApplication {
  public:
    virtual ~OutlookApplication() = default;
    virtual OutlookFolder& GetDefaultContactsFolder() = 0;
    // A new contact, not in the folder until it is saved.
    virtual std::unique_ptr<ContactItem> CreateContactItem() = 0;
    // Ends the session.
    virtual void Logoff() = 0;
};

using OutlookApplicationFactory = std::function<std::unique_ptr<OutlookApplication>()>;

}  // namespace velmora
