#include <gtest/gtest.h>

#include "run/RunState.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/OutlookLoader.h"
#include "stores/outlook/VCardFolder.h"
#include "support/EngineFixtures.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

using F = ContactField;

class OutlookLoaderTest : public ::testing::Test {
  protected:
    // Loads the address book and renders the records loaded.
    std::string Load() {
        LoadOutlookContacts(state, book.Factory());
        return test::Render(state.OutlookSet);
    }

    InMemoryAddressBook book;
    RunState state;
};

// "Y" and "YES" in any case include a contact; anything else excludes it and
// unmarks it (flag "No", no contact ID, no speed dials), saving only a
// contact not yet unmarked; distribution lists are passed over.
TEST_F(OutlookLoaderTest, InclusionAndUnmarking) {
    const std::vector<std::string> flags{"y", "", "Yes", "No", " Y", "YES ", "NO", "yES"};
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const std::string n = std::to_string(i);
        book.AddContact(
            {{F::FileAs, "C" + n}, {F::User2, flags[i]}, {F::User3, n}, {F::User4, "M:" + n}});
    }
    book.AddDistributionList();
    book.AddContact({{F::FileAs, "Done"}, {F::User2, "No"}});
    EXPECT_EQ(Load(), "0:C0:: | 2:C2:: | 7:C7::");
    EXPECT_EQ(test::RenderAddressBook(*book.MakeApplication()),
              "User2=y; User3=0; User4=M:0; FileAs=C0\nUser2=No; FileAs=C1\n"
              "User2=Yes; User3=2; User4=M:2; FileAs=C2\nUser2=No; FileAs=C3\n"
              "User2=No; FileAs=C4\nUser2=No; FileAs=C5\nUser2=No; FileAs=C6\n"
              "User2=yES; User3=7; User4=M:7; FileAs=C7\n(distribution list)\n"
              "User2=No; FileAs=Done\n");
    EXPECT_EQ(book.Saves(), 5);
    EXPECT_EQ(book.Logoffs(), 1);
}

// Phone numbers become digits, each in its kind; the direct connect number is
// kept as typed; speed dials come from the tag, but not for a kind whose
// number the person removed.
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
                     {F::User4, "W2:5,M:3,O:"}});
    book.AddContact({{F::FileAs, "Bob"},
                     {F::User2, "Y"},
                     {F::MobileTelephoneNumber, "5550004"},
                     {F::User4, "H:3,M:4,E:1"}});
    EXPECT_EQ(Load(),
              "31:Ann::W2=5550000002/5,DC=123*45*6/,H=5550000003/,W1=155500000017/,"
              "M=5550004/3,F=5550005/,P=5550006/,O=5550007/0 | :Bob::M=5550004/4");
}

// The e-mail rule: lower case; a server-form address gives way to the display
// name, whose "(address)" is taken; a "(" without ")" keeps the text.
TEST_F(OutlookLoaderTest, EmailRule) {
    const std::string cases[][3] = {
        {"Ann.Lee@Example.COM", "", "ann.lee@example.com"},
        {"/O=ORG/OU=SITE/CN=ANN", "Ann Lee (Ann.Lee@Example.com)", "ann.lee@example.com"},
        {"EX:cn=ann", "Ann Lee", "ann lee"},
        {"/o=org", "Ann (ann@example.com", "ann (ann@example.com"},
        {"/o=org", "Ann) (ann@example.com)", "ann@example.com"},
        {"/o=org", "ann) x (y", "ann) x (y"},
        {"Ann (ann@example.com)", "ignored", "ann@example.com"},
    };
    for (const auto& [address, display, expected] : cases) {
        auto contact = book.MakeApplication()->CreateContactItem();
        contact->Set(F::Email1Address, address);
        contact->Set(F::Email1DisplayName, display);
        SyncSet set;
        EXPECT_EQ(ImportOutlookData(set, *contact, "File As").EmailAddress, expected) << address;
    }
}

// The name comes from the field that NameField chooses, or stays empty.
TEST_F(OutlookLoaderTest, NameField) {
    book.AddContact({{F::FileAs, "Lee, Ann"},
                     {F::FullName, "Ann Lee"},
                     {F::NickName, "Annie"},
                     {F::User2, "Y"}});
    const std::pair<std::string, std::string> cases[] = {{"File As", "Lee, Ann"},
                                                         {"Full Name", "Ann Lee"},
                                                         {"Nickname", "Annie"},
                                                         {"full name", ""},
                                                         {"Bogus", ""}};
    for (const auto& [setting, name] : cases) {
        ClearSet(state.OutlookSet);
        state.settings.NameField = setting;
        EXPECT_EQ(Load(), ":" + name + "::") << setting;
    }
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
    EXPECT_EQ(test::Render(state.OutlookSet), ":Ann::H=5550101/3");
    EXPECT_EQ(test::ReadFileBytes(folder / "a.vcf"), included);
    EXPECT_EQ(test::ReadFileBytes(folder / "b.vcf"),
              test::MakeCard({"FN:Bob", "X-VELMORA-SYNC:No", "NOTE:keep"}));
}

}  // namespace
}  // namespace velmora
