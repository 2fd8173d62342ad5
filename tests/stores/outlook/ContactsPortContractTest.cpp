#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;
using test::FieldValues;

// What a test puts into an address book before it starts: a contact with
// fields, or (no fields and isList) a distribution list.
struct SeedItem {
    FieldValues fields;
    bool isList = false;
};

SeedItem List() {
    return {{}, true};
}

class FakeBackend {
  public:
    void Seed(const std::vector<SeedItem>& items) {
        for (const SeedItem& item : items) {
            if (item.isList) {
                book_.AddDistributionList();
            } else {
                book_.AddContact({item.fields.begin(), item.fields.end()});
            }
        }
    }
    std::unique_ptr<OutlookApplication> Open() { return book_.MakeApplication(); }

  private:
    InMemoryAddressBook book_;
};

class VCardBackend {
  public:
    VCardBackend() { std::filesystem::create_directories(Folder()); }

    // One file per item, named so that file-name order is seed order.
    void Seed(const std::vector<SeedItem>& items) {
        for (const SeedItem& item : items) {
            const std::string name = std::to_string(100 + seeded_++) + ".vcf";
            test::WriteCardFile(Folder(), name,
                                item.isList ? test::MakeCard({"FN:Team", "KIND:group"}, "4.0")
                                            : test::ContactCardText(item.fields));
        }
    }
    std::unique_ptr<OutlookApplication> Open() { return MakeVCardFolderApplication(Folder()); }

  private:
    std::filesystem::path Folder() const { return dir_ / "Contacts"; }
    test::TempDir dir_;
    int seeded_ = 0;
};

template <typename Backend>
class ContactsPortContract : public ::testing::Test {
  protected:
    std::unique_ptr<ContactItem> ContactAt(OutlookApplication& app, int index) {
        return TakeContact(app.GetDefaultContactsFolder().Items()->Item(index));
    }

    std::string FieldAt(int index, ContactField field) {
        auto app = backend.Open();
        return ContactAt(*app, index)->Get(field);
    }

    Backend backend;
};

using Backends = ::testing::Types<FakeBackend, VCardBackend>;
TYPED_TEST_SUITE(ContactsPortContract, Backends);

constexpr std::string_view kIncludedTail = "' and ([User2] = 'Y' or [User2]='YES')";

// An empty folder has no items, finds nothing, and a created contact stays
// out of it until it is saved.
TYPED_TEST(ContactsPortContract, EmptyFolder) {
    auto app = this->backend.Open();
    auto& folder = app->GetDefaultContactsFolder();
    EXPECT_EQ(folder.Items()->Count(), 0);
    EXPECT_EQ(folder.Items()->Find("[User3] ='1'"), nullptr);
    auto created = app->CreateContactItem();
    created->Set(F::FullName, "Not Saved");
    EXPECT_EQ(folder.Items()->Count(), 0);
    EXPECT_THROW(folder.Items()->Item(1), Error);
    app->Logoff();
}

// Items come in index order; a distribution list is an item but not a contact.
TYPED_TEST(ContactsPortContract, IndexOrderAndTypeNames) {
    this->backend.Seed({{{{F::FullName, "Ann"}}}, List(), {{{F::FullName, "Bob"}}}});
    auto app = this->backend.Open();
    auto items = app->GetDefaultContactsFolder().Items();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Item(1)->TypeName(), "ContactItem");
    EXPECT_EQ(items->Item(1)->AsContact()->Get(F::FullName), "Ann");
    EXPECT_NE(items->Item(2)->TypeName(), "ContactItem");
    EXPECT_EQ(items->Item(2)->AsContact(), nullptr);
    EXPECT_EQ(items->Item(3)->AsContact()->Get(F::FullName), "Bob");
    EXPECT_THROW(items->Item(0), Error);
    EXPECT_THROW(items->Item(4), Error);
}

// Every field of a contact saved without values reads as "".
TYPED_TEST(ContactsPortContract, UnsetFieldsReadEmpty) {
    {
        auto app = this->backend.Open();
        app->CreateContactItem()->Save();
    }
    auto app = this->backend.Open();
    auto contact = this->ContactAt(*app, 1);
    for (std::size_t f = 0; f < kContactFieldCount; ++f) {
        EXPECT_EQ(contact->Get(static_cast<ContactField>(f)), "")
            << FieldName(static_cast<ContactField>(f));
    }
}

// Every writable field keeps what was written, punctuation and all, across
// sessions.
TYPED_TEST(ContactsPortContract, WrittenFieldsReadBack) {
    const FieldValues values{
        {F::User1, "123*456#7"},
        {F::User2, "YES"},
        {F::User3, "42"},
        {F::User4, "W2:5,H:12,M:3"},
        {F::FileAs, "O'Brien, Seán"},
        {F::FullName, "Seán O'Brien; Jr. \\ the 2nd"},
        {F::FirstName, "Seán"},
        {F::LastName, "O'Brien"},
        {F::Business2TelephoneNumber, "(555) 000-0002"},
        {F::BusinessTelephoneNumber, "(555) 000-0001"},
        {F::HomeTelephoneNumber, "555.000.0003"},
        {F::MobileTelephoneNumber, "1 (555) 000-0004"},
        {F::BusinessFaxNumber, "555-000-0005"},
        {F::PagerNumber, "5550006"},
        {F::OtherTelephoneNumber, "+44 20 7946 0007"},
        {F::Email1Address, "sean@example.com"},
    };
    {
        auto app = this->backend.Open();
        auto contact = app->CreateContactItem();
        for (const auto& [field, value] : values)
            contact->Set(field, value);
        contact->Save();
    }
    auto app = this->backend.Open();
    auto contact = this->ContactAt(*app, 1);
    for (const auto& [field, value] : values)
        EXPECT_EQ(contact->Get(field), value) << FieldName(field);
}

// A change lasts only once saved: until then other readers see the old value.
TYPED_TEST(ContactsPortContract, ChangesLastOnlyAfterSave) {
    this->backend.Seed({{{{F::FullName, "Ann"}, {F::HomeTelephoneNumber, "555 0101"}}}});
    auto app = this->backend.Open();
    auto contact = this->ContactAt(*app, 1);
    contact->Set(F::HomeTelephoneNumber, "555 0202");
    EXPECT_EQ(contact->Get(F::HomeTelephoneNumber), "555 0202");
    EXPECT_EQ(this->ContactAt(*app, 1)->Get(F::HomeTelephoneNumber), "555 0101");
    EXPECT_EQ(this->FieldAt(1, F::HomeTelephoneNumber), "555 0101");
    EXPECT_EQ(app->GetDefaultContactsFolder().Items()->Find("[HomeTelephoneNumber] = '555 0202'"),
              nullptr);

    contact->Save();
    EXPECT_EQ(this->ContactAt(*app, 1)->Get(F::HomeTelephoneNumber), "555 0202");
    EXPECT_EQ(this->FieldAt(1, F::HomeTelephoneNumber), "555 0202");
    EXPECT_EQ(this->FieldAt(1, F::FullName), "Ann");
}

// Writing "" clears a field; a discarded item changes nothing.
TYPED_TEST(ContactsPortContract, EmptyTextClearsAField) {
    this->backend.Seed({{{{F::FullName, "Ann"},
                          {F::MobileTelephoneNumber, "555 0101"},
                          {F::User3, "7"},
                          {F::Email1Address, "ann@example.com"}}}});
    {
        auto app = this->backend.Open();
        auto contact = this->ContactAt(*app, 1);
        contact->Set(F::MobileTelephoneNumber, "");
        contact->Set(F::User3, "");
        contact->Set(F::Email1Address, "");
        contact->Save();
        this->ContactAt(*app, 1)->Set(F::FullName, "Discarded");
    }
    EXPECT_EQ(this->FieldAt(1, F::MobileTelephoneNumber), "");
    EXPECT_EQ(this->FieldAt(1, F::User3), "");
    EXPECT_EQ(this->FieldAt(1, F::Email1Address), "");
    EXPECT_EQ(this->FieldAt(1, F::FullName), "Ann");
}

// Find returns the first match in index order, compares ignoring case, reads
// doubled quotes, nests parentheses and passes over distribution lists.
TYPED_TEST(ContactsPortContract, FindByFilter) {
    this->backend.Seed({List(),
                        {{{F::FileAs, "Lee, Ann"}, {F::User2, "no"}, {F::User3, "1"}}},
                        {{{F::FileAs, "Lee, Ann"}, {F::User2, "yes"}, {F::User3, "2"}}},
                        {{{F::FileAs, "O'Brien, Seán"}, {F::User2, "Y"}, {F::User3, "3"}}},
                        {{{F::FileAs, "Lee, Ann"}, {F::User2, "YES"}, {F::User3, "4"}}}});
    auto app = this->backend.Open();
    auto& folder = app->GetDefaultContactsFolder();
    const auto find = [&](const std::string& filter) {
        auto found = folder.Items()->Find(filter);
        return found ? found->Get(F::User3) : std::string("none");
    };
    EXPECT_EQ(find("[FileAs] ='Lee, Ann" + std::string(kIncludedTail)), "2");
    EXPECT_EQ(find("[FileAs] ='LEE, ANN'"), "1");
    EXPECT_EQ(find("[fileas]='lee, ann' AND [User3] = '4'"), "4");
    EXPECT_EQ(find("[FileAs] ='O''Brien, Seán" + std::string(kIncludedTail)), "3");
    EXPECT_EQ(find("[FileAs] ='O''Brien'"), "none");
    EXPECT_EQ(find("([User3] = '9' or ([User3]='4' and ([User2] = 'YES')))"), "4");
    EXPECT_EQ(find("[User3] ='1" + std::string(kIncludedTail)), "none");
    EXPECT_EQ(find("[User3] =''"), "none");
    EXPECT_THROW(folder.Items()->Find("[FileAs] = 'Lee"), Error);
    EXPECT_THROW(folder.Items()->Find("[NoSuchField] = 'x'"), Error);
}

// A saved new contact joins the folder after the items it had.
TYPED_TEST(ContactsPortContract, CreatedContactJoinsTheFolder) {
    this->backend.Seed({{{{F::FullName, "Ann"}}}});
    auto app = this->backend.Open();
    auto& folder = app->GetDefaultContactsFolder();
    auto created = app->CreateContactItem();
    created->Set(F::FullName, "Bob");
    created->Set(F::User3, "12");
    created->Save();
    auto items = folder.Items();
    ASSERT_EQ(items->Count(), 2);
    EXPECT_EQ(items->Item(2)->AsContact()->Get(F::FullName), "Bob");
    ASSERT_NE(folder.Items()->Find("[User3] = '12'"), nullptr);

    created->Set(F::HomeTelephoneNumber, "555 0303");
    created->Save();
    auto reopened = this->backend.Open();
    EXPECT_EQ(reopened->GetDefaultContactsFolder().Items()->Count(), 2);
    auto found = reopened->GetDefaultContactsFolder().Items()->Find("[User3] = '12'");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Get(F::HomeTelephoneNumber), "555 0303");
}

// A deleted contact leaves the folder; items fetched before still count it.
TYPED_TEST(ContactsPortContract, DeleteRemovesTheContact) {
    this->backend.Seed(
        {{{{F::FullName, "Ann"}, {F::User3, "1"}}}, {{{F::FullName, "Bob"}, {F::User3, "2"}}}});
    auto app = this->backend.Open();
    auto& folder = app->GetDefaultContactsFolder();
    auto before = folder.Items();
    folder.Items()->Find("[User3] = '1'")->Delete();
    EXPECT_EQ(before->Count(), 2);
    EXPECT_EQ(folder.Items()->Count(), 1);
    EXPECT_EQ(folder.Items()->Find("[User3] = '1'"), nullptr);
    auto reopened = this->backend.Open();
    auto items = reopened->GetDefaultContactsFolder().Items();
    ASSERT_EQ(items->Count(), 1);
    EXPECT_EQ(items->Item(1)->AsContact()->Get(F::FullName), "Bob");
}

// The nickname is kept; the display name follows the address and writing it
// empty changes nothing else; "SMTP" is kept as the address type.
TYPED_TEST(ContactsPortContract, SpecialFields) {
    auto app = this->backend.Open();
    auto contact = app->CreateContactItem();
    contact->Set(F::NickName, "Annie");
    contact->Set(F::Email1Address, "ann@example.com");
    contact->Set(F::Email1AddressType, "SMTP");
    contact->Set(F::Email1DisplayName, "");
    contact->Save();
    auto saved = this->ContactAt(*this->backend.Open(), 1);
    EXPECT_EQ(saved->Get(F::Email1Address), "ann@example.com");
    EXPECT_EQ(saved->Get(F::Email1AddressType), "SMTP");
    EXPECT_EQ(saved->Get(F::NickName), "Annie");
}

}  // namespace
}  // namespace velmora
