#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "model/Error.h"
#include "stores/database/SqliteDatabase.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "support/DatabaseFixtures.h"
#include "support/FileScenario.h"
#include "support/TempDir.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using F = ContactField;
using K = NumberKind;

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

// Runs `write`, which the decorators are to refuse.
std::vector<std::string> RefusedWriteFailures(const std::function<void()>& write) {
    return FailuresOf([&] { EXPECT_THROW(write(), Error); });
}

// Every kind of database write through the decorator fails the test, names
// what was tried and where, and leaves the table as it was.
TEST(QuietRunCheckTest, DatabaseWritesFailTheTest) {
    test::TempDir dir;
    const auto path = dir / "pb.db";
    test::CreatePhoneBookDatabase(path, {test::PhoneBookRow{1, "Ann", "5551234567", 4, 1, 6}});
    const std::string table = test::PhoneBookText(path);
    const auto engine = test::WriteRefusing(std::make_shared<SqliteDatabaseEngine>());
    const auto database = engine->OpenDatabase(path);
    const auto rows = database->OpenRecordset("tblContactList");
    rows->MoveFirst();
    EXPECT_EQ(TextOf(rows->Field("ContactName")), "Ann");  // reading is fine

    const std::vector<std::pair<std::string, std::function<void()>>> writes{
        {"AddNew on row 1 of table tblContactList", [&] { rows->AddNew(); }},
        {"Edit of row 1 of table tblContactList", [&] { rows->Edit(); }},
        {"Update of row 1 of table tblContactList", [&] { rows->Update(); }},
        {"Delete of row 1 of table tblContactList", [&] { rows->Delete(); }},
        {"CreateDatabase of " + (dir / "new.db").string(),
         [&] { engine->CreateDatabase(dir / "new.db", {}); }},
    };
    for (const auto& [attempt, write] : writes) {
        const auto failures = RefusedWriteFailures(write);
        ASSERT_EQ(failures.size(), 1u) << attempt;
        EXPECT_NE(failures[0].find(attempt), std::string::npos) << failures[0];
    }
    rows->Close();
    EXPECT_EQ(test::PhoneBookText(path), table);
    EXPECT_FALSE(std::filesystem::exists(dir / "new.db"));
}

// Saving or deleting a contact, or creating one, fails the test; changing a
// field without saving it does not, and stores nothing.
TEST(QuietRunCheckTest, AddressBookWritesFailTheTest) {
    InMemoryAddressBook book;
    book.AddContact({{F::FileAs, "Ann"}, {F::User2, "YES"}, {F::User3, "7"}});
    const auto application = test::WriteRefusing(book.Factory())();
    auto contact = TakeContact(application->GetDefaultContactsFolder().Items()->Item(1));
    ASSERT_NE(contact, nullptr);
    EXPECT_EQ(FailuresOf([&] { contact->Set(F::User4, "M:1"); }), std::vector<std::string>{});

    const std::vector<std::pair<std::string, std::function<void()>>> writes{
        {"Save of contact \"Ann\" (contact ID \"7\")", [&] { contact->Save(); }},
        {"Delete of contact \"Ann\" (contact ID \"7\")", [&] { contact->Delete(); }},
        {"CreateContactItem", [&] { application->CreateContactItem(); }},
    };
    for (const auto& [attempt, write] : writes) {
        const auto failures = RefusedWriteFailures(write);
        ASSERT_EQ(failures.size(), 1u) << attempt;
        EXPECT_NE(failures[0].find(attempt), std::string::npos) << failures[0];
    }
    EXPECT_EQ(book.Saves(), 0);
    EXPECT_EQ(book.Deletes(), 0);
    EXPECT_EQ(book.Field(1, F::User4), "");
    // Contacts found through a filter are refused the same way.
    auto found = application->GetDefaultContactsFolder().Items()->Find(
        "[User3] ='7' and ([User2] = 'Y' or [User2]='YES')");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(RefusedWriteFailures([&] { found->Save(); }).size(), 1u);
}

// The check of a second run fails when that run still has something to do,
// and the run it checks stores nothing.
TEST(QuietRunCheckTest, FailsWhenTheRunHasWorkLeft) {
    const test::ScenarioContact ann{1, "Ann Lee", {{K::Mobile, "5551234567", 1}}};
    test::FileScenario s;
    s.WriteAgreedStores({ann});
    EXPECT_EQ(FailuresOf([&] { test::ExpectQuietRun(s.session); }), std::vector<std::string>{});

    test::ExecuteSql(s.PhoneBookPath(), "UPDATE tblContactList SET Number = '5559999999'");
    const test::StoreTexts edited = s.Stores();
    const auto failures = FailuresOf([&] { test::ExpectQuietRun(s.session); });
    ASSERT_FALSE(failures.empty());
    EXPECT_NE(failures[0].find("tried to write: Save of contact \"Ann Lee\""), std::string::npos)
        << failures[0];
    EXPECT_EQ(s.Stores(), edited);
}

}  // namespace
}  // namespace velmora
