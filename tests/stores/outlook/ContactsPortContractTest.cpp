#include <string>

#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

struct FakeBackend {
    void Add(std::string_view fields) { test::AddContact(book, fields); }
    void AddList() { book.AddDistributionList(); }
    std::unique_ptr<OutlookApplication> Open() { return book.MakeApplication(); }
    InMemoryAddressBook book;
};

// One file per item, named so that file-name order is the order of adding.
struct VCardBackend {
    void Add(std::string_view fields) { Write(test::ContactCardText(test::ParseFields(fields))); }
    void AddList() { Write(test::MakeCard({"FN:Team", "KIND:group"}, "4.0")); }
    void Write(const std::string& card) {
        test::WriteCardFile(dir / "Contacts", std::to_string(100 + added++) + ".vcf", card);
    }
    std::unique_ptr<OutlookApplication> Open() {
        return MakeVCardFolderApplication(dir / "Contacts");
    }
    test::TempDir dir;
    int added = 0;
};

template <typename Backend>
class ContactsPortContract : public ::testing::Test {
  protected:
    // The address book as a new session reads it.
    std::string Stored() { return test::RenderAddressBook(*backend.Open()); }
    Backend backend;
};

using Backends = ::testing::Types<FakeBackend, VCardBackend>;
TYPED_TEST_SUITE(ContactsPortContract, Backends);

// Items come in index order, a distribution list among them as no contact;
// positions outside 1..Count() throw; a saved new contact joins after the
// items and saves again in place, an unsaved one stays out. Find returns the
// first contact matching, or nullptr. A deleted contact leaves the folder,
// though items fetched before still count it.
TYPED_TEST(ContactsPortContract, ItemsFindCreateAndDelete) {
    this->backend.AddList();
    this->backend.Add("User3=1; FileAs=Ann");
    this->backend.Add("User3=2; FileAs=ann");
    auto app = this->backend.Open();
    auto& folder = app->GetDefaultContactsFolder();
    app->CreateContactItem()->Set(F::FileAs, "Not Saved");
    auto created = app->CreateContactItem();
    created->Set(F::FileAs, "Bob");
    created->Save();
    created->Set(F::User3, "3");
    created->Save();
    const auto items = folder.Items();
    EXPECT_NE(items->Item(1)->TypeName(), "ContactItem");
    EXPECT_EQ(items->Item(2)->TypeName(), "ContactItem");
    EXPECT_THROW(items->Item(0), Error);
    EXPECT_THROW(items->Item(5), Error);
    EXPECT_EQ(
        test::RenderAddressBook(*app),
        "(distribution list)\nUser3=1; FileAs=Ann\nUser3=2; FileAs=ann\nUser3=3; FileAs=Bob\n");
    EXPECT_EQ(items->Find("[FileAs] = 'ANN'")->Get(F::User3), "1");
    EXPECT_EQ(items->Find("[FileAs] = 'Cy'"), nullptr);
    items->Find("[User3] = '3'")->Delete();
    EXPECT_EQ(items->Count(), 4);
    EXPECT_EQ(this->Stored(), "(distribution list)\nUser3=1; FileAs=Ann\nUser3=2; FileAs=ann\n");
    EXPECT_EQ(test::RenderAddressBook(*app), this->Stored());
}

// A change lasts only once saved: until then neither the folder nor another
// session sees it. Saved, every field reads back in a new session,
// punctuation and all; "" clears a field; writing the display name "" leaves
// the address; a contact saved without values reads "" in every field.
TYPED_TEST(ContactsPortContract, ChangesLastOnceSaved) {
    const std::string before = "User3=7; FileAs=Ann; PagerNumber=555 0101";
    const std::string written =
        "User1=123*456#7; User2=YES; User3=42; User4=W2:5,H:12,M:3; FileAs=O'Brien, Seán; "
        "FullName=Seán O'Brien;Jr. \\ 2nd; FirstName=Seán; LastName=O'Brien; NickName=Shay; "
        "Business2TelephoneNumber=(555) 000-0002; BusinessTelephoneNumber=(555) 000-0001; "
        "HomeTelephoneNumber=555.000.0003; MobileTelephoneNumber=1 (555) 000-0004; "
        "BusinessFaxNumber=555-000-0005; OtherTelephoneNumber=+44 20 7946 0007; "
        "Email1Address=sean@example.com; Email1AddressType=SMTP";
    this->backend.Add(before);
    auto app = this->backend.Open();
    auto& folder = app->GetDefaultContactsFolder();
    auto contact = TakeContact(folder.Items()->Item(1));
    for (const auto& [field, value] :
         test::ParseFields(written + "; PagerNumber=; Email1DisplayName="))
        contact->Set(field, value);
    EXPECT_EQ(contact->Get(F::FileAs), "O'Brien, Seán");
    EXPECT_EQ(test::RenderAddressBook(*app), before + "\n");
    EXPECT_EQ(this->Stored(), before + "\n");

    contact->Save();
    TakeContact(folder.Items()->Item(1))->Set(F::FileAs, "Discarded");
    EXPECT_EQ(test::RenderAddressBook(*app), written + "\n");
    app->CreateContactItem()->Save();
    const std::string stored = this->Stored();
    // A new card's file name is random, so the two may come in either order.
    EXPECT_TRUE(stored == "(empty contact)\n" + written + "\n" ||
                stored == written + "\n(empty contact)\n")
        << stored;
}

}  // namespace
}  // namespace velmora
