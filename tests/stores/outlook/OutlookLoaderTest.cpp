#include <gtest/gtest.h>

#include "model/Error.h"
#include "run/RunState.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/OutlookLoader.h"
#include "stores/outlook/VCardFolder.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

class OutlookLoaderTest : public ::testing::Test {
  protected:
    void Load() { LoadOutlookContacts(state, book.Factory()); }

    // The names of the loaded records, in set order, joined by "|".
    std::string LoadedNames() const {
        std::string names;
        for (const SyncObject& record : state.OutlookSet)
            names += (names.empty() ? "" : "|") + record.ContactName;
        return names;
    }

    InMemoryAddressBook book;
    RunState state;
};

// "Y" and "YES" in any case include a contact; anything else excludes it, and
// an excluded contact loses its flag, contact ID and speed dials.
TEST_F(OutlookLoaderTest, InclusionAndUnmarking) {
    const std::vector<std::string> flags{"y", "", "Yes", "N", "YES", "No", " Y", "YES ", "yES"};
    for (std::size_t i = 0; i < flags.size(); ++i) {
        book.AddContact({{F::FileAs, "C" + std::to_string(i)},
                         {F::User2, flags[i]},
                         {F::User3, std::to_string(i)},
                         {F::User4, "M:" + std::to_string(i)}});
    }
    Load();
    EXPECT_EQ(LoadedNames(), "C0|C2|C4|C8");
    for (const int excluded : {2, 4, 6, 7, 8}) {
        EXPECT_EQ(book.Field(excluded, F::User2), "No") << excluded;
        EXPECT_EQ(book.Field(excluded, F::User3), "") << excluded;
        EXPECT_EQ(book.Field(excluded, F::User4), "") << excluded;
    }
    EXPECT_EQ(book.Field(1, F::User3), "0");
    EXPECT_EQ(book.Field(1, F::User4), "M:0");
    EXPECT_EQ(book.Saves(), 5);
    EXPECT_EQ(book.Logoffs(), 1);
}

// A contact already unmarked is not saved again; "NO" still becomes "No".
TEST_F(OutlookLoaderTest, AlreadyUnmarkedContactsAreNotSaved) {
    book.AddContact({{F::FileAs, "Done"}, {F::User2, "No"}});
    book.AddContact({{F::FileAs, "Upper"}, {F::User2, "NO"}});
    book.AddContact({{F::FileAs, "Id left"}, {F::User2, "No"}, {F::User3, "4"}});
    Load();
    EXPECT_EQ(book.Saves(), 2);
    EXPECT_EQ(book.Field(2, F::User2), "No");
    EXPECT_EQ(book.Field(3, F::User3), "");
    EXPECT_EQ(state.OutlookSet.Count(), 0);
}

// Distribution lists are neither loaded nor changed; an empty folder still logs off.
TEST_F(OutlookLoaderTest, ListsAndEmptyFolders) {
    Load();
    EXPECT_EQ(state.OutlookSet.Count(), 0);
    EXPECT_EQ(book.Logoffs(), 1);
    book.AddDistributionList();
    book.AddContact({{F::FileAs, "Ann"}, {F::User2, "Y"}});
    Load();
    EXPECT_EQ(LoadedNames(), "Ann");
    EXPECT_EQ(book.Saves(), 0);
    EXPECT_EQ(book.Logoffs(), 2);
}

// Phone numbers become digits, each in its kind; the direct connect number is
// kept as typed; the speed dials come from the tag; the flag is empty.
TEST_F(OutlookLoaderTest, NumbersAndSpeedDials) {
    book.AddContact({{F::FileAs, "Ann"},
                     {F::User2, "YES"},
                     {F::User3, "31"},
                     {F::User1, "123*45*6"},
                     {F::Business2TelephoneNumber, "(555) 000-0002"},
                     {F::HomeTelephoneNumber, "555 000 0003"},
                     {F::BusinessTelephoneNumber, "+1 555.000.0001 x7"},
                     {F::MobileTelephoneNumber, "555-0004"},
                     {F::BusinessFaxNumber, "555/0005"},
                     {F::PagerNumber, "(555) 0006"},
                     {F::OtherTelephoneNumber, "call 5550007"},
                     {F::User4, "W2:5,M:3"}});
    book.AddContact({{F::FileAs, "Bob"}, {F::User2, "Y"}});
    Load();
    ASSERT_EQ(state.OutlookSet.Count(), 2);
    SyncObject expected;
    expected.ContactID = "31";
    expected.ContactName = "Ann";
    expected.DCNumber = "123*45*6";
    expected.Work2Number = "5550000002";
    expected.HomeNumber = "5550000003";
    expected.Work1Number = "155500000017";
    expected.MobileNumber = "5550004";
    expected.FaxNumber = "5550005";
    expected.PagerNumber = "5550006";
    expected.OtherNumber = "5550007";
    expected.Work2Speed = "5";
    expected.MobileSpeed = "3";
    EXPECT_EQ(state.OutlookSet.Item(1), expected);
    SyncObject bob;
    bob.ContactName = "Bob";
    EXPECT_EQ(state.OutlookSet.Item(2), bob);
}

// A tag entry whose number the person removed gives no speed dial.
TEST_F(OutlookLoaderTest, TagEntriesWithoutNumbersAreDropped) {
    book.AddContact({{F::FileAs, "Ann"},
                     {F::User2, "YES"},
                     {F::MobileTelephoneNumber, "5550004"},
                     {F::User4, "H:3,M:4,E:0"}});
    Load();
    ASSERT_EQ(state.OutlookSet.Count(), 1);
    EXPECT_EQ(state.OutlookSet.Item(1).MobileSpeed, "4");
    EXPECT_EQ(state.OutlookSet.Item(1).HomeSpeed, "");
    EXPECT_EQ(state.OutlookSet.Item(1).EmailSpeed, "");
}

// The e-mail rule: lower case; a server-form address gives way to the display
// name, whose "(address)" is taken; a "(" without ")" keeps the text.
TEST_F(OutlookLoaderTest, EmailRule) {
    const auto email = [&](const std::string& address, const std::string& display) {
        SyncSet set;
        auto app = book.MakeApplication();
        auto contact = app->CreateContactItem();
        contact->Set(F::Email1Address, address);
        contact->Set(F::Email1DisplayName, display);
        return ImportOutlookData(set, *contact, "File As").EmailAddress;
    };
    EXPECT_EQ(email("Ann.Lee@Example.COM", ""), "ann.lee@example.com");
    EXPECT_EQ(email("/O=ORG/OU=SITE/CN=ANN", "Ann Lee (Ann.Lee@Example.com)"),
              "ann.lee@example.com");
    EXPECT_EQ(email("EX:cn=ann", "Ann Lee"), "ann lee");
    EXPECT_EQ(email("/o=org", "Ann (ann@example.com"), "ann (ann@example.com");
    EXPECT_EQ(email("/o=org", "Ann) (ann@example.com)"), "ann@example.com");
    EXPECT_EQ(email("/o=org", "ann) x (y"), "ann) x (y");
    EXPECT_EQ(email("Ann (ann@example.com)", "ignored"), "ann@example.com");
    EXPECT_EQ(email("", ""), "");
}

// The name comes from the field that NameField chooses, or stays empty.
TEST_F(OutlookLoaderTest, NameField) {
    book.AddContact({{F::FileAs, "Lee, Ann"},
                     {F::FullName, "Ann Lee"},
                     {F::NickName, "Annie"},
                     {F::User2, "Y"}});
    for (const auto& [setting, name] :
         std::vector<std::pair<std::string, std::string>>{{"File As", "Lee, Ann"},
                                                          {"Full Name", "Ann Lee"},
                                                          {"Nickname", "Annie"},
                                                          {"full name", ""},
                                                          {"Bogus", ""}}) {
        ClearSet(state.OutlookSet);
        state.settings.NameField = setting;
        Load();
        EXPECT_EQ(LoadedNames(), name) << setting;
    }
}

// An address book that cannot be reached stops the stage with its error.
TEST_F(OutlookLoaderTest, UnreachableAddressBook) {
    book.FailToOpen("The address book folder /nowhere does not exist.");
    EXPECT_THROW(Load(), Error);
}

// Over a vCard folder: an excluded card is unmarked in place, keeping its
// other lines; an included card's file is not touched.
TEST(OutlookLoaderVCardTest, UnmarksExcludedCardsInPlace) {
    test::TempDir dir;
    const auto folder = dir / "Contacts";
    const std::string included = test::MakeCard(
        {"FN:Ann", "X-VELMORA-SYNC:yes", "X-VELMORA-SPEED-DIALS:H:3", "TEL;HOME:555 0101"}, "2.1");
    test::WriteCardFile(folder, "a.vcf", included);
    test::WriteCardFile(folder, "b.vcf",
                        test::MakeCard({"FN:Bob", "X-VELMORA-SYNC:maybe", "NOTE:keep",
                                        "X-VELMORA-CONTACT-ID:9", "X-VELMORA-SPEED-DIALS:M:2"}));
    RunState state;
    LoadOutlookContacts(state, VCardFolderApplicationFactory(folder));
    ASSERT_EQ(state.OutlookSet.Count(), 1);
    EXPECT_EQ(state.OutlookSet.Item(1).HomeNumber, "5550101");
    EXPECT_EQ(state.OutlookSet.Item(1).HomeSpeed, "3");
    EXPECT_EQ(test::ReadFileBytes(folder / "a.vcf"), included);
    EXPECT_EQ(test::ReadFileBytes(folder / "b.vcf"),
              test::MakeCard({"FN:Bob", "X-VELMORA-SYNC:No", "NOTE:keep"}));
}

}  // namespace
}  // namespace velmora
