#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/outlook/VCardFolder.h"
#include "support/InMemoryAddressBook.h"
#include "support/StoreText.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

struct FakeBackend {
    static constexpr bool kNamesFiles = false;
    void Add(std::string_view fields) { test::AddContact(book, fields); }
    void AddList() { book.AddDistributionList(); }
    std::unique_ptr<AddressBook> Open() { return book.Open(); }
    void ReplaceElsewhere(int index, std::string_view fields) {
        const auto parsed = test::ParseFields(fields);
        book.ReplaceContact(index, {parsed.begin(), parsed.end()});
    }
    InMemoryAddressBook book;
};

struct VCardBackend {
    static constexpr bool kNamesFiles = true;
    void Add(std::string_view fields) { Write(test::ContactCardText(test::ParseFields(fields))); }
    void AddList() { Write(test::MakeCard({"FN:Team", "KIND:group"}, "4.0")); }
    void Write(const std::string& card) {
        test::WriteFileBytes(dir / "Contacts" / (std::to_string(100 + added++) + ".vcf"), card);
    }
    std::unique_ptr<AddressBook> Open() { return OpenVCardFolder(dir / "Contacts"); }
    void ReplaceElsewhere(int index, std::string_view fields) {
        test::WriteFileBytes(dir / "Contacts" / (std::to_string(99 + index) + ".vcf"),
                             test::ContactCardText(test::ParseFields(fields)));
    }
    test::TempDir dir;
    int added = 0;
};

// Each open first brings the index up to date, so cards come from the index.
struct IndexedVCardBackend : VCardBackend {
    std::unique_ptr<AddressBook> Open() {
        const auto index = dir / "cards.index";
        OpenVCardFolder(dir / "Contacts", index)->SaveChanges();
        return OpenVCardFolder(dir / "Contacts", index);
    }
};

template <typename Backend>
class ContactsPortContract : public ::testing::Test {
  protected:
    std::string Stored() { return test::RenderAddressBook(*backend.Open()); }
    Backend backend;
};

using Backends = ::testing::Types<FakeBackend, VCardBackend, IndexedVCardBackend>;
TYPED_TEST_SUITE(ContactsPortContract, Backends);

// Items in folder order, created ones after; only SaveChanges stores.
TYPED_TEST(ContactsPortContract, HandlesCreateDeleteAndSave) {
    this->backend.AddList();
    this->backend.Add("User3=1; FileAs=Ann");
    this->backend.Add("User3=2; FileAs=Ann");
    this->backend.Add("FileAs=Cy");
    auto book = this->backend.Open();
    ASSERT_EQ(book->Count(), 4);
    EXPECT_FALSE(book->IsContact(1));
    EXPECT_TRUE(book->IsContact(2));
    EXPECT_THROW(book->Get(0, F::FileAs), Error);
    EXPECT_THROW(book->Get(5, F::FileAs), Error);

    const CardHandle bob = book->Create();
    EXPECT_EQ(bob, 5);
    book->Set(bob, F::FileAs, "Bob");
    book->Set(3, F::User4, "M:3");
    book->Delete(4);
    EXPECT_FALSE(book->IsContact(4));
    EXPECT_THROW(book->Set(4, F::FileAs, "Gone"), Error);
    EXPECT_EQ(this->Stored(),
              "(distribution list)\nUser3=1; FileAs=Ann\nUser3=2; FileAs=Ann\nFileAs=Cy\n");

    EXPECT_TRUE(book->SaveChanges().empty());
    EXPECT_EQ(
        scenarios::RenderAddressBookSorted(*this->backend.Open()),
        "(distribution list)\nFileAs=Bob\nUser3=1; FileAs=Ann\nUser3=2; User4=M:3; FileAs=Ann\n");
    EXPECT_TRUE(book->SaveChanges().empty());  // nothing left to store
}

// Each changed card names, from its first change on, the file the save lists
// for it; a card unchanged, new or stored names none.
TYPED_TEST(ContactsPortContract, NamesTheFileOfEachChangedCard) {
    this->backend.Add("FileAs=Ann");
    this->backend.Add("FileAs=Bo");
    this->backend.Add("FileAs=Cy");
    auto book = this->backend.Open();
    book->Set(1, F::FileAs, "Ann");
    book->Set(2, F::User4, "M:3");
    book->Delete(3);
    const CardHandle dee = book->Create();
    book->Set(dee, F::FileAs, "Dee");

    std::vector<std::string> named;
    for (CardHandle card = 1; card <= book->Count(); ++card) {
        if (const auto file = book->PendingFileOf(card)) named.push_back(*file);
    }
    const auto expected = TypeParam::kNamesFiles ? std::vector<std::string>{"101.vcf", "102.vcf"}
                                                 : std::vector<std::string>{};
    EXPECT_EQ(named, expected);
    EXPECT_EQ(book->PendingFiles().changed, expected);
    ASSERT_TRUE(book->SaveChanges().empty());
    EXPECT_EQ(book->PendingFileOf(2), std::nullopt);
}

// Every field reads back once saved, not before; "" clears a field. Written
// again in the same session, the card keeps what the first save stored.
TYPED_TEST(ContactsPortContract, FieldsReadBackAsWritten) {
    const std::string before = "User3=7; FileAs=Ann; PagerNumber=555 0101";
    const std::string written =
        "User1=123*456#7; User2=YES; User3=42; User4=W2:5,H:12,M:3; FileAs=O'Brien, Seán; "
        "FullName=Seán O'Brien;Jr. \\ 2nd; FirstName=Seán; LastName=O'Brien; NickName=Shay; "
        "Business2TelephoneNumber=(555) 000-0002; BusinessTelephoneNumber=(555) 000-0001; "
        "HomeTelephoneNumber=555.000.0003; MobileTelephoneNumber=1 (555) 000-0004; "
        "BusinessFaxNumber=555-000-0005; OtherTelephoneNumber=+44 20 7946 0007; "
        "Email1Address=sean@example.com; Email1AddressType=SMTP";
    this->backend.Add(before);
    auto book = this->backend.Open();
    for (const auto& [field, value] :
         test::ParseFields(written + "; PagerNumber=; Email1DisplayName="))
        book->Set(1, field, value);
    EXPECT_EQ(book->Get(1, F::FileAs), "O'Brien, Seán");
    EXPECT_EQ(this->Stored(), before + "\n");
    EXPECT_TRUE(book->SaveChanges().empty());
    EXPECT_EQ(this->Stored(), written + "\n");
    EXPECT_EQ(test::RenderAddressBook(*book), written + "\n");
    book->Set(1, F::NickName, "Shaun");
    EXPECT_TRUE(book->SaveChanges().empty());
    std::string again = written;
    again.replace(again.find("Shay"), 4, "Shaun");
    EXPECT_EQ(this->Stored(), again + "\n");
}

// While a card is written, every field reads as it will be stored: after a
// field no other reads (the contact ID), and after a name the file-as text
// is made from.
TYPED_TEST(ContactsPortContract, FieldsReadAsTheyWillBeStored) {
    this->backend.Add("User3=7; FullName=Ann Lee; NickName=Annie");
    this->backend.Add("FullName=Bob Ray");
    auto book = this->backend.Open();
    book->Set(1, F::User3, "8");
    book->Set(1, F::NickName, "");
    book->Set(2, F::User4, "M:3");
    book->Set(2, F::LastName, "Ray");
    book->Set(2, F::User3, "9");
    EXPECT_EQ(book->Get(1, F::User3), "8");
    EXPECT_EQ(book->Get(1, F::NickName), "");
    EXPECT_EQ(book->Get(2, F::User3), "9");
    EXPECT_EQ(book->Get(2, F::User4), "M:3");
    const std::string reads = test::RenderAddressBook(*book);
    EXPECT_TRUE(book->SaveChanges().empty());
    EXPECT_EQ(this->Stored(), reads);
}

// A run writes card after card and may come back to one: each card keeps
// every change, whichever card was written last.
TYPED_TEST(ContactsPortContract, CardsWrittenInTurnsKeepEveryChange) {
    this->backend.Add("User3=1; FileAs=Ann");
    this->backend.Add("User3=2; FileAs=Bob");
    auto book = this->backend.Open();
    book->Set(1, F::PagerNumber, "555 0101");
    const CardHandle cy = book->Create();
    book->Set(cy, F::FileAs, "Cy");
    book->Set(2, F::NickName, "B");
    book->Set(1, F::NickName, "A");
    book->Set(cy, F::User3, "3");
    EXPECT_EQ(book->Get(1, F::PagerNumber), "555 0101");
    EXPECT_EQ(book->Get(cy, F::FileAs), "Cy");
    EXPECT_TRUE(book->SaveChanges().empty());
    EXPECT_EQ(scenarios::RenderAddressBookSorted(*this->backend.Open()),
              "User3=1; FileAs=Ann; NickName=A; PagerNumber=555 0101\n"
              "User3=2; FileAs=Bob; NickName=B\nUser3=3; FileAs=Cy\n");
}

// Another program's edit is reported and kept; the other cards are stored.
TYPED_TEST(ContactsPortContract, NeverOverwritesAnotherProgramsEdit) {
    this->backend.Add("User3=1; FileAs=Ann");
    this->backend.Add("User3=2; FileAs=Bob");
    auto book = this->backend.Open();
    book->Set(1, F::PagerNumber, "555 0101");
    book->Set(2, F::PagerNumber, "555 0202");
    this->backend.ReplaceElsewhere(1, "User3=1; FileAs=Ann Edited");
    const auto failures = book->SaveChanges();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures.front().card, 1);
    EXPECT_NE(failures.front().reason.find("another program"), std::string::npos);
    EXPECT_EQ(this->Stored(),
              "User3=1; FileAs=Ann Edited\nUser3=2; FileAs=Bob; PagerNumber=555 0202\n");
}

}  // namespace
}  // namespace velmora
