#include <gtest/gtest.h>

#include "app/DemoData.h"
#include "app/ManagerLauncher.h"
#include "app/RunDriver.h"
#include "app/SyncStages.h"
#include "model/Error.h"
#include "stores/database/SqliteDatabase.h"
#include "support/DatabaseFixtures.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora {
namespace {

struct NoManager : ManagerLauncher {
    void StartAndWait(const std::filesystem::path&) override {}
};

class DemoDataTest : public ::testing::Test {
  protected:
    DemoDataTest() {
        store.Save("PMBefore", "False");
        store.Save("PMAfter", "False");
    }
    Settings Loaded() const { return LoadSettings(store, dir.Path()); }

    test::TempDir dir;
    InMemorySettingsStore store;
    SqliteDatabaseEngine engine;
};

// The sample is the same for the same seed, differs for another, keeps the
// manager's own columns, and synchronizes cleanly: a first run links and
// copies contacts, and a second run finds nothing to do.
TEST_F(DemoDataTest, SampleSynchronizesCleanly) {
    const DemoSummary summary = CreateDemoData(Loaded(), 30, 7, engine);
    EXPECT_EQ(summary.sharedContacts, 12);
    EXPECT_EQ(summary.phoneBookOnly, 9);
    EXPECT_EQ(summary.addressBookMarked + summary.addressBookUnmarked, 9);
    EXPECT_NE(
        test::TableText(Loaded().PhoneBookPath, "tblContactList", {"Category"}).find("Business"),
        std::string::npos);
    const std::string phoneBook = test::PhoneBookText(Loaded().PhoneBookPath);
    const std::string cards = test::RenderContactsFolder(Loaded().ContactsPath);
    EXPECT_NE(cards.find("(distribution list)"), std::string::npos);

    test::TempDir again;
    InMemorySettingsStore sameStore;
    CreateDemoData(LoadSettings(sameStore, again.Path()), 30, 7, engine);
    EXPECT_EQ(test::PhoneBookText(LoadSettings(sameStore, again.Path()).PhoneBookPath), phoneBook);
    test::TempDir other;
    CreateDemoData(LoadSettings(sameStore, other.Path()), 30, 8, engine);
    EXPECT_NE(test::PhoneBookText(LoadSettings(sameStore, other.Path()).PhoneBookPath), phoneBook);

    RunState state;
    test::ScriptedRunUi ui;
    NoManager manager;
    RunDriver first(state, store, dir.Path(), ui, manager, MakeSyncStages(ui));
    ASSERT_EQ(first.Start().outcome, RunOutcome::Complete) << ::testing::PrintToString(ui.messages);
    const std::string log = test::ReadFileBytes(Loaded().LogPath);
    EXPECT_NE(log.find("in Outlook has been matched with"), std::string::npos);
    EXPECT_NE(log.find("is new to Outlook."), std::string::npos);
    EXPECT_NE(log.find("is new to the PhoneBook."), std::string::npos);
    EXPECT_EQ(log.find("Conflict"), std::string::npos);

    const std::string afterFirst = test::PhoneBookText(Loaded().PhoneBookPath) +
                                   test::RenderContactsFolder(Loaded().ContactsPath);
    RunDriver second(state, store, dir.Path(), ui, manager, MakeSyncStages(ui));
    ASSERT_EQ(second.Start().outcome, RunOutcome::Complete);
    EXPECT_EQ(test::PhoneBookText(Loaded().PhoneBookPath) +
                  test::RenderContactsFolder(Loaded().ContactsPath),
              afterFirst);
    EXPECT_EQ(test::ReadFileBytes(Loaded().LogPath).find("... "), std::string::npos);
}

// Existing data is never touched: each of the three paths refuses on its own.
TEST_F(DemoDataTest, RefusesExistingData) {
    const Settings settings = Loaded();
    test::WriteFileBytes(settings.ContactsPath / "mine.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    EXPECT_THROW(CreateDemoData(settings, 10, 1, engine), Error);
    EXPECT_EQ(test::ReadFileBytes(settings.ContactsPath / "mine.vcf"),
              "BEGIN:VCARD\r\nEND:VCARD\r\n");
    EXPECT_FALSE(std::filesystem::exists(settings.PhoneBookPath));

    std::filesystem::remove(settings.ContactsPath / "mine.vcf");
    test::WriteFileBytes(settings.SyncPath, "");
    try {
        CreateDemoData(settings, 10, 1, engine);
        FAIL() << "expected a refusal";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(settings.SyncPath.string()), std::string::npos);
    }
    std::filesystem::remove(settings.SyncPath);
    test::WriteFileBytes(settings.PhoneBookPath, "mine");
    EXPECT_THROW(CreateDemoData(settings, 10, 1, engine), Error);
    EXPECT_EQ(test::ReadFileBytes(settings.PhoneBookPath), "mine");
}

}  // namespace
}  // namespace velmora
