#include <functional>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;

// The messages of the test failures that `check` reports, caught so that
// they do not fail this test.
std::vector<std::string> FailuresOf(const std::function<void()>& check) {
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        check();
    }
    std::vector<std::string> messages;
    for (int i = 0; i < results.size(); ++i)
        messages.emplace_back(results.GetTestPartResult(i).message());
    return messages;
}

// Every kind of write through the decorators, also to a contact found
// through a filter, fails the test, names what was tried where, and stores
// nothing; reading, and changing a field that is never saved, pass.
TEST(QuietRunCheck, EveryWriteFailsTheTest) {
    test::FileScenario s;
    s.Agree({{7, "Ann", {{NumberKind::Mobile, "5551234567", 1}}}});
    const test::StoreTexts stores = s.Stores();
    const StoreBackends refusing = test::WriteRefusing(s.session.Backends());
    const auto rows =
        refusing.databases->OpenDatabase(s.settings.PhoneBookPath)->OpenRecordset("tblContactList");
    rows->MoveFirst();
    const auto book = refusing.addressBook(s.settings.ContactsPath)();
    auto contact = TakeContact(book->GetDefaultContactsFolder().Items()->Item(1));
    auto found = book->GetDefaultContactsFolder().Items()->Find("[User3] = '7'");
    EXPECT_EQ(FailuresOf([&] { contact->Set(F::User4, "M:2"); }), std::vector<std::string>{});

    const std::string row = "row 1 of table tblContactList in " + s.settings.PhoneBookPath.string();
    const std::pair<std::string, std::function<void()>> writes[] = {
        {"AddNew on " + row, [&] { rows->AddNew(); }},
        {"Edit of " + row, [&] { rows->Edit(); }},
        {"Update of " + row, [&] { rows->Update(); }},
        {"Delete of " + row, [&] { rows->Delete(); }},
        {"CreateDatabase of " + (s.dir / "new.db").string(),
         [&] { refusing.databases->CreateDatabase(s.dir / "new.db", {}); }},
        {"Save of contact \"Ann\" (contact ID \"7\")", [&] { contact->Save(); }},
        {"Delete of contact \"Ann\" (contact ID \"7\")", [&] { contact->Delete(); }},
        {"Save of contact \"Ann\" (contact ID \"7\")", [&] { found->Save(); }},
        {"CreateContactItem", [&] { book->CreateContactItem(); }},
    };
    for (const auto& [attempt, write] : writes) {
        const auto failures = FailuresOf([&] { EXPECT_THROW(write(), Error); });
        ASSERT_EQ(failures.size(), 1u) << attempt;
        EXPECT_NE(failures[0].find(attempt), std::string::npos) << failures[0];
    }
    rows->Close();
    book->Logoff();
    EXPECT_EQ(s.Stores(), stores);
    EXPECT_FALSE(std::filesystem::exists(s.dir / "new.db"));
}

// The check of a second run fails when that run still has something to do,
// and the run it checks stores nothing.
TEST(QuietRunCheck, FailsWhenTheRunHasWorkLeft) {
    test::FileScenario s;
    s.Agree({{1, "Ann Lee", {{NumberKind::Mobile, "5551234567", 1}}}});
    EXPECT_EQ(FailuresOf([&] { test::ExpectQuietRun(s.session); }), std::vector<std::string>{});
    s.ChangePhoneBook("UPDATE tblContactList SET Number = '5559999999'");
    const test::StoreTexts edited = s.Stores();
    const auto failures = FailuresOf([&] { test::ExpectQuietRun(s.session); });
    ASSERT_FALSE(failures.empty());
    EXPECT_NE(failures[0].find("tried to write: Save of contact \"Ann Lee\""), std::string::npos)
        << failures[0];
    EXPECT_EQ(s.Stores(), edited);
}

}  // namespace
}  // namespace velmora
