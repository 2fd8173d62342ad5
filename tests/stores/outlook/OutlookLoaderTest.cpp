#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "run/RunState.h"
#include "stores/outlook/OutlookLoader.h"
#include "support/EngineFixtures.h"
#include "support/InMemoryAddressBook.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

// Stores what the loader changed, as the run's writer would.
SyncSet LoadAndSave(InMemoryAddressBook& book, const std::string& nameField = "File As") {
    RunState state;
    state.settings.NameField = nameField;
    const auto opened = book.Open();
    LoadOutlookContacts(state, *opened);
    EXPECT_TRUE(opened->SaveChanges().empty());
    return std::move(state.OutlookSet);
}

// "Y" and "YES" in any case include a contact; an excluded one loses ID and speed dials.
TEST(OutlookLoader, InclusionAndUnmarking) {
    InMemoryAddressBook book;
    const std::vector<std::string> flags{"y", "", "Yes", "No", " Y", "YES ", "NO", "yES"};
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        test::AddContact(
            book, "User2=" + flags[i] + "; User3=" + n + "; User4=M:" + n + "; FileAs=C" + n);
    }
    book.AddDistributionList();
    test::AddContact(book, "User2=No; FileAs=Done");
    test::AddContact(book, "FileAs=Never marked");
    EXPECT_EQ(test::Render(LoadAndSave(book)), "1:C1:: | 3:C3:: | 8:C8::");
    EXPECT_EQ(test::RenderAddressBook(*book.Open()),
              "User2=y; User3=1; User4=M:1; FileAs=C1\nFileAs=C2\n"
              "User2=Yes; User3=3; User4=M:3; FileAs=C3\nUser2=No; FileAs=C4\n"
              "User2= Y; FileAs=C5\nUser2=YES ; FileAs=C6\nUser2=NO; FileAs=C7\n"
              "User2=yES; User3=8; User4=M:8; FileAs=C8\n(distribution list)\n"
              "User2=No; FileAs=Done\nFileAs=Never marked\n");
    EXPECT_EQ(book.Saves(), 5);
}

// IDs load in plain form, set on the card; anything else stops the load by name.
TEST(OutlookLoader, ContactIdsInPlainForm) {
    InMemoryAddressBook book;
    for (const std::string id : {"07", " 8", "+9", "10.0", "11"})
        test::AddContact(book, "User2=Y; User3=" + id + "; FileAs=C" + id);
    EXPECT_EQ(test::Render(LoadAndSave(book)),
              "7:C07:: | 8:C 8:: | 9:C+9:: | 10:C10.0:: | 11:C11::");
    EXPECT_EQ(book.Field(1, ContactField::User3), "7");
    EXPECT_EQ(book.Field(4, ContactField::User3), "10");
    EXPECT_EQ(book.Saves(), 4);

    for (const std::string id : {"abc", "-1", "0", "5.5", "99999999999999999999"}) {
        SCOPED_TRACE(id);
        InMemoryAddressBook bad;
        test::AddContact(bad, "User2=Y; User3=" + id + "; FileAs=Lee, Ann");
        RunState state;
        const auto opened = bad.Open();
        EXPECT_THAT([&] { LoadOutlookContacts(state, *opened); },
                    ::testing::ThrowsMessage<Error>(::testing::AllOf(
                        ::testing::HasSubstr("Lee, Ann"), ::testing::HasSubstr("card 1"),
                        ::testing::HasSubstr("\"" + id + "\""))));
    }
}

// Numbers as the phone dials them, speed dials from the tag, name and address.
TEST(OutlookLoader, WhatAContactLoadsAs) {
    const std::string names = "FileAs=Lee, Ann; FullName=Ann Lee; NickName=Annie";
    const std::string cases[][3] = {
        {"File As",
         "User1=123*45*6; User3=31; User4=W2:5,M:3,O:; FileAs=Ann; "
         "Business2TelephoneNumber=(555) 000-0002; BusinessTelephoneNumber=+1 555.000.0001 x7; "
         "HomeTelephoneNumber=555 000 0003; MobileTelephoneNumber=555-0004; "
         "BusinessFaxNumber=555/0005; PagerNumber=(555) 0006; OtherTelephoneNumber=call 5550007",
         "31:Ann::W2=5550000002/5,DC=123*45*6/,H=5550000003/,W1=+155500000017/,M=5550004/3,"
         "F=5550005/,P=5550006/,O=22555550007/0"},
        {"File As", "User4=H:3,M:4,E:1; FileAs=Bob; MobileTelephoneNumber=5550004",
         ":Bob::M=5550004/4"},
        {"File As", names, ":Lee, Ann::"},
        {"Full Name", names, ":Ann Lee::"},
        {"Nickname", names, ":Annie::"},
        {"full name", names, ":::"},
        {"", "Email1Address=Ann.Lee@Example.COM", ":::E=ann.lee@example.com/"},
        {"", "Email1Address=/O=ORG/CN=ANN; Email1DisplayName=Ann Lee (Ann.Lee@Example.com)",
         ":::E=ann.lee@example.com/"},
        {"", "Email1Address=EX:cn=ann; Email1DisplayName=Ann Lee", ":::E=ann lee/"},
        {"", "Email1Address=/o=org; Email1DisplayName=Ann (ann@example.com",
         ":::E=ann (ann@example.com/"},
        {"", "Email1Address=/o=org; Email1DisplayName=Ann) (ann@example.com)",
         ":::E=ann@example.com/"},
        {"", "Email1Address=Ann (ann@example.com); Email1DisplayName=x", ":::E=ann@example.com/"},
    };
    for (const auto& [nameField, fields, record] : cases) {
        InMemoryAddressBook book;
        test::AddContact(book, "User2=Y; " + fields);
        EXPECT_EQ(test::Render(LoadAndSave(book, nameField)), record) << fields;
    }
}

}  // namespace
}  // namespace velmora
