#include <gtest/gtest.h>

#include "run/RunState.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "stores/outlook/OutlookLoader.h"
#include "support/EngineFixtures.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

// "Y" and "YES" in any case include a contact; anything else excludes it and
// unmarks it (flag "No", no contact ID, no speed dials), saving only a
// contact not yet unmarked; distribution lists are passed over.
TEST(OutlookLoader, InclusionAndUnmarking) {
    InMemoryAddressBook book;
    const std::vector<std::string> flags{"y", "", "Yes", "No", " Y", "YES ", "NO", "yES"};
    for (std::size_t i = 0; i < flags.size(); ++i) {
        const std::string n = std::to_string(i);
        test::AddContact(
            book, "User2=" + flags[i] + "; User3=" + n + "; User4=M:" + n + "; FileAs=C" + n);
    }
    book.AddDistributionList();
    test::AddContact(book, "User2=No; FileAs=Done");
    RunState state;
    LoadOutlookContacts(state, book.Factory());
    EXPECT_EQ(test::Render(state.OutlookSet), "0:C0:: | 2:C2:: | 7:C7::");
    EXPECT_EQ(test::RenderAddressBook(*book.MakeApplication()),
              "User2=y; User3=0; User4=M:0; FileAs=C0\nUser2=No; FileAs=C1\n"
              "User2=Yes; User3=2; User4=M:2; FileAs=C2\nUser2=No; FileAs=C3\n"
              "User2=No; FileAs=C4\nUser2=No; FileAs=C5\nUser2=No; FileAs=C6\n"
              "User2=yES; User3=7; User4=M:7; FileAs=C7\n(distribution list)\n"
              "User2=No; FileAs=Done\n");
    EXPECT_EQ(book.Saves(), 5);
    EXPECT_EQ(book.Logoffs(), 1);
}

// What an included contact loads as. Phone numbers become digits, each in
// its kind; the direct connect number is kept as typed; speed dials come from
// the tag, but not for a kind whose number the person removed. The name
// comes from the field NameField names exactly, or stays empty. The e-mail
// address is in lower case; a server-form address gives way to the display
// name, whose "(address)" is taken; a "(" without ")" keeps the text.
TEST(OutlookLoader, WhatAContactLoadsAs) {
    const std::string names = "FileAs=Lee, Ann; FullName=Ann Lee; NickName=Annie";
    const std::string cases[][3] = {
        {"File As",
         "User1=123*45*6; User3=31; User4=W2:5,M:3,O:; FileAs=Ann; "
         "Business2TelephoneNumber=(555) 000-0002; BusinessTelephoneNumber=+1 555.000.0001 x7; "
         "HomeTelephoneNumber=555 000 0003; MobileTelephoneNumber=555-0004; "
         "BusinessFaxNumber=555/0005; PagerNumber=(555) 0006; OtherTelephoneNumber=call 5550007",
         "31:Ann::W2=5550000002/5,DC=123*45*6/,H=5550000003/,W1=155500000017/,M=5550004/3,"
         "F=5550005/,P=5550006/,O=5550007/0"},
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
        RunState state;
        state.settings.NameField = nameField;
        LoadOutlookContacts(state, book.Factory());
        EXPECT_EQ(test::Render(state.OutlookSet), record) << fields;
    }
}

}  // namespace
}  // namespace velmora
