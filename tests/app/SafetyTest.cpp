#include <gmock/gmock.h>
#include <sys/stat.h>

#include "app/Backups.h"
#include "app/Preview.h"
#include "app/RetiredBackups.h"
#include "support/DatabaseFixtures.h"
#include "support/FileScenario.h"
#include "support/WriteRefusingStores.h"

namespace velmora::test {
namespace {

using K = NumberKind;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// Six agreed contacts; runs back up into the program folder as the front ends do.
class SafetyTest : public ::testing::Test {
  protected:
    SafetyTest() {
        std::vector<ScenarioContact> contacts;
        for (int id = 1; id <= 6; ++id) {
            contacts.push_back({id,
                                "Contact " + std::to_string(id),
                                {{K::Mobile, "555000000" + std::to_string(id), id}}});
        }
        s.Agree(contacts);
    }

    RunResult Run() { return s.session.Run(s.ui, {{}, Backups()}); }
    std::filesystem::path Backups() const { return BackupsFolder(s.session.ProgramFolder()); }
    std::vector<std::string> Log() const { return ReadLogLines(s.settings.LogPath); }

    // On each side one contact added, one changed and one deleted.
    void ChangeBothSides() {
        s.WriteCard("nia.vcf", "User2=YES; FileAs=Nia Ross; MobileTelephoneNumber=555-777-8888");
        s.EditCard("Contact 1", ContactField::MobileTelephoneNumber, "555-111-2222");
        std::filesystem::remove(s.settings.ContactsPath / "2.vcf");
        s.ChangePhoneBook(
            "INSERT INTO tblContactList VALUES (9, 'Ivy Chen', '5556667777', 4, 20, 6);"
            "UPDATE tblContactList SET Number = '5554440000' WHERE ContactID = 4;"
            "DELETE FROM tblContactList WHERE ContactID = 5;");
    }

    FileScenario s;
};

// An emptied address book asks first: Stop writes nothing, Continue backs up and deletes.
TEST_F(SafetyTest, AnEmptiedAddressBookAsksBeforeThePhoneBookIsWiped) {
    std::filesystem::remove(s.settings.ContactsPath / "6.vcf");
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Shown("mass deletion: This run would delete 1 of 6 contacts from the PhoneBook."),
              0);

    for (int id = 1; id <= 5; ++id)
        std::filesystem::remove(s.settings.ContactsPath / (std::to_string(id) + ".vcf"));
    const StoreTexts before = s.Stores();
    const auto backups = ListBackups(Backups()).size();
    s.ui.continueMassDeletions = false;
    const RunResult stopped = Run();
    EXPECT_EQ(stopped.outcome, RunOutcome::DeletionsRefused);
    EXPECT_EQ(s.Shown("mass deletion: This run would delete 5 of 5 contacts from the PhoneBook."),
              1);
    EXPECT_EQ(s.ui.events.back(), "caption: Status: Synchronization stopped. Nothing was written.");
    EXPECT_EQ(s.Stores(), before);
    EXPECT_EQ(ListBackups(Backups()).size(), backups);
    const Lines log = Log();
    EXPECT_EQ(Lines(log.end() - 3, log.end()),
              (Lines{"Synchronization cannot continue.",
                     "... This run would delete 5 of 5 contacts from the PhoneBook.",
                     "... The deletions were not confirmed, so nothing was written."}));

    s.ui.continueMassDeletions = true;
    const RunResult wiped = Run();
    ASSERT_EQ(wiped.outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Stores().phoneBook, "");
    EXPECT_EQ(wiped.backup, ListBackups(Backups()).back().folder);
    ExpectQuietRun(s.session);
}

// Losing five of six phone contacts asks, unless the share is raised.
TEST_F(SafetyTest, APhoneBookLosingMostOfItsContactsAsksAboutOutlook) {
    s.ChangePhoneBook("DELETE FROM tblContactList WHERE ContactID > 1");
    const StoreTexts before = s.Stores();
    s.ui.continueMassDeletions = false;
    EXPECT_EQ(Run().outcome, RunOutcome::DeletionsRefused);
    EXPECT_EQ(s.Shown("mass deletion: This run would delete 5 of 6 contacts from Outlook."), 1);
    EXPECT_EQ(s.Stores(), before);

    s.session.SettingsStore().Save(SettingKey::MassDeleteShare, "90");
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(s.Shown("mass deletion: This run would delete 5 of 6 contacts from Outlook."), 1);
    EXPECT_THAT(FilesBelow(s.settings.ContactsPath), SizeIs(1));
    ExpectQuietRun(s.session);
}

// A preview writes nothing, and its lines are those of the real run.
TEST_F(SafetyTest, APreviewWritesNothingAndShowsTheLinesOfTheRun) {
    s.EditCard("Contact 6", ContactField::MobileTelephoneNumber, "555-666-0000");
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);  // a log and a backup to leave alone
    ASSERT_THAT(ListBackups(Backups()), SizeIs(1));
    ChangeBothSides();
    const auto before = FilesBelow(s.dir.Path());

    const PreviewReport preview = PreviewRun(s.session.SettingsStore(), s.dir.Path(), {});
    EXPECT_EQ(FilesBelow(s.dir.Path()), before);
    EXPECT_EQ(preview.result.outcome, RunOutcome::Complete);
    EXPECT_EQ(preview.result.plan.phoneBook, (StoreChanges{1, 1, 1}));
    EXPECT_EQ(preview.result.plan.outlook.deleted, 1);
    EXPECT_THAT(preview.Text(),
                ::testing::HasSubstr("PhoneBook:      1 added, 1 changed, 1 deleted"));
    EXPECT_THAT(preview.logLines,
                Contains("Loaded PhoneBook records from " + s.settings.PhoneBookPath.string()));

    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    EXPECT_EQ(preview.logLines, Log());
    ExpectQuietRun(s.session);
}

// A preview shows a card the run cannot write as the run does, and leaves
// the card folder as it is.
TEST_F(SafetyTest, APreviewShowsACardTheRunCannotWrite) {
    s.ChangePhoneBook("UPDATE tblContactList SET Number = '5554440000' WHERE ContactID = 3;");
    const std::filesystem::path card = s.settings.ContactsPath / "3.vcf";
    using std::filesystem::perm_options;
    using std::filesystem::perms;
    std::filesystem::permissions(card, perms::owner_write, perm_options::remove);
    const auto before = FilesBelow(s.dir.Path());

    const PreviewReport preview = PreviewRun(s.session.SettingsStore(), s.dir.Path(), {});
    EXPECT_EQ(FilesBelow(s.dir.Path()), before);
    EXPECT_EQ(preview.result.outcome, RunOutcome::CompletedWithErrors);
    ASSERT_EQ(Run().outcome, RunOutcome::CompletedWithErrors);
    EXPECT_EQ(preview.logLines, Log());
    EXPECT_THAT(Log(), Contains(::testing::HasSubstr(card.string() + " was not written")));

    std::filesystem::permissions(card, perms::owner_write, perm_options::add);
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    ExpectQuietRun(s.session);
}

// A restore brings every store back and can itself be undone; quiet runs back up nothing.
TEST_F(SafetyTest, ARestoreUndoesARunAndCanItselfBeUndone) {
    s.session.SettingsStore().Save(SettingKey::KeepBackups, "2");
    ChangeBothSides();
    const auto cardsBefore = FilesBelow(s.settings.ContactsPath);
    const StoreTexts before = s.Stores();
    const RunResult run = Run();
    ASSERT_EQ(run.outcome, RunOutcome::Complete);
    const StoreTexts after = s.Stores();
    ASSERT_NE(after, before);
    const BackupInfo backup = FindBackup(Backups(), run.backup.filename().string());
    EXPECT_THAT(backup.created, SizeIs(1));  // Ivy's card
    EXPECT_THAT(backup.cards, Contains("5.vcf"));

    const RestoreReport restored = RestoreBackup(Backups(), backup.name, {}, s.settings.LogPath, 2);
    EXPECT_EQ(FilesBelow(s.settings.ContactsPath), cardsBefore);
    EXPECT_EQ(s.Stores(), before);
    EXPECT_THAT(Log(), Contains(::testing::StartsWith("Restored the stores as they were before "
                                                      "the synchronization on ")));

    RestoreBackup(Backups(), restored.undoBackup.filename().string(), {}, s.settings.LogPath, 2);
    EXPECT_EQ(s.Stores(), after);
    EXPECT_THAT(ListBackups(Backups()), SizeIs(2));
    EXPECT_THAT([&] { FindBackup(Backups(), "yesterday"); }, ErrorNaming({"'yesterday'"}));

    const auto backups = FilesBelow(Backups());
    EXPECT_THAT(Run().backup.string(), IsEmpty());
    EXPECT_EQ(FilesBelow(Backups()), backups);
    ExpectQuietRun(s.session);
}

// A run whose only write removes a phone row held twice backs the phone book up first.
TEST_F(SafetyTest, RemovingADuplicatedPhoneRowIsBackedUp) {
    s.ChangePhoneBook("INSERT INTO tblContactList VALUES (3, 'Contact 3', '5550000003', 4, 3, 6);");
    const StoreTexts before = s.Stores();
    const RunResult run = Run();
    ASSERT_EQ(run.outcome, RunOutcome::Complete);
    ASSERT_NE(s.Stores().phoneBook, before.phoneBook);
    ASSERT_FALSE(run.backup.empty());
    RestoreBackup(Backups(), run.backup.filename().string(), {}, s.settings.LogPath, 2);
    EXPECT_EQ(s.Stores(), before);
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    ExpectQuietRun(s.session);
}

// A card that is a link to a file elsewhere is written through the link,
// backed up as the text it held, not as the link, and put back through it.
TEST_F(SafetyTest, ALinkedCardIsBackedUpAsTheTextItHeld) {
    const std::filesystem::path card = s.settings.ContactsPath / "3.vcf";
    const std::filesystem::path elsewhere = s.dir.Path() / "elsewhere.vcf";
    std::filesystem::rename(card, elsewhere);
    std::filesystem::create_symlink(elsewhere, card);
    const std::string before = ReadFileBytes(elsewhere);
    s.ChangePhoneBook("UPDATE tblContactList SET Number = '5554440000' WHERE ContactID = 3;");

    const RunResult run = Run();
    ASSERT_EQ(run.outcome, RunOutcome::Complete);
    const std::filesystem::path kept = run.backup / "cards" / "3.vcf";
    EXPECT_FALSE(std::filesystem::is_symlink(kept));
    EXPECT_EQ(ReadFileBytes(kept), before);
    EXPECT_TRUE(std::filesystem::is_symlink(card));
    EXPECT_THAT(ReadFileBytes(elsewhere), ::testing::HasSubstr("(555) 444-0000"));

    RestoreBackup(Backups(), run.backup.filename().string(), {}, s.settings.LogPath, 10);
    EXPECT_TRUE(std::filesystem::is_symlink(card));
    EXPECT_EQ(ReadFileBytes(elsewhere), before);
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    ExpectQuietRun(s.session);
}

// A backup of cards in dir/Contacts only.
BackupRequest CardsOnlyRequest(const TempDir& dir) {
    BackupRequest request;
    request.before = "the test";
    request.contacts = dir / "Contacts";
    return request;
}

// A backup keeps the cards it is given that are there, in their order (a
// first run's thousands are linked on two threads), leaves out those removed
// meanwhile, and one whose folder cannot be opened leaves no backup behind.
TEST(MakeBackupTest, KeepsTheCardsThereAndNothingHalfMade) {
    TempDir dir;
    const std::filesystem::path backups = dir / "Backups";
    BackupRequest request = CardsOnlyRequest(dir);
    std::map<std::string, std::string> there;
    std::vector<std::string> kept;
    for (int i = 0; i < 600; ++i) {
        const std::string card = "c" + std::to_string(1000 + i) + ".vcf";
        request.changedCards.push_back(card);
        if (i % 100 == 7) continue;  // removed meanwhile
        there[card] = "card " + std::to_string(i);
        kept.push_back(card);
        WriteFileBytes(request.contacts / card, there[card]);
    }
    const std::filesystem::path made = MakeBackup(backups, request);
    EXPECT_EQ(FilesBelow(made / "cards"), there);
    EXPECT_EQ(FindBackup(backups, made.filename().string()).cards, kept);

    request.contacts = dir / "Nowhere";
    EXPECT_THAT([&] { MakeBackup(backups, request); }, ErrorNaming({request.contacts.string()}));
    EXPECT_THAT(ListBackups(backups), SizeIs(1));
}

// A backup begun while the run works keeps the cards named meanwhile that
// the run then writes, in the run's order, also those named only at the end;
// the others are let go. One never finished, or failed, leaves no folder.
TEST(MakeBackupTest, BegunEarlyItKeepsWhatTheRunWrites) {
    TempDir dir;
    const std::filesystem::path backups = dir / "Backups";
    BackupRequest request = CardsOnlyRequest(dir);
    for (const char* card : {"a.vcf", "b.vcf", "c.vcf"})
        WriteFileBytes(request.contacts / card, std::string("card ") + card);
    const auto folders = [&] {
        return std::distance(std::filesystem::directory_iterator(backups),
                             std::filesystem::directory_iterator());
    };

    std::filesystem::path made;
    {
        BackupUnderWay backup(backups, request);
        for (const char* card : {"a.vcf", "b.vcf", "a.vcf", "gone.vcf"})
            backup.KeepCard(card);
        made = backup.Finish({"c.vcf", "a.vcf", "gone.vcf"}, {});
    }
    EXPECT_EQ(FilesBelow(made / "cards"), (std::map<std::string, std::string>{
                                              {"a.vcf", "card a.vcf"}, {"c.vcf", "card c.vcf"}}));
    EXPECT_THAT(FindBackup(backups, made.filename().string()).cards, ElementsAre("c.vcf", "a.vcf"));
    {
        BackupUnderWay unfinished(backups, request);
        unfinished.KeepCard("b.vcf");
    }
    EXPECT_EQ(folders(), 1);

    request.contacts = dir / "Nowhere";
    BackupUnderWay failing(backups, request);
    failing.KeepCard("a.vcf");
    EXPECT_THAT([&] { failing.Finish({"a.vcf"}, {}); }, ErrorNaming({request.contacts.string()}));
    EXPECT_EQ(folders(), 1);
}

// Backups on another file system than the cards (a folder in memory here)
// copy the cards, on the backup's thread as at its finish; a card named
// twice is copied once.
TEST(MakeBackupTest, CopiesCardsAcrossFileSystems) {
    TempDir dir;
    const auto device = [](const std::filesystem::path& path) {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 ? status.st_dev : dev_t{};
    };
    if (device("/dev/shm") == dev_t{} || device("/dev/shm") == device(dir.Path()))
        GTEST_SKIP() << "no second file system to back up to";
    const TempDir memory("/dev/shm");
    BackupRequest request = CardsOnlyRequest(dir);
    WriteFileBytes(request.contacts / "a.vcf", "card a");
    WriteFileBytes(request.contacts / "b.vcf", "card b");

    BackupUnderWay backup(memory / "Backups", request);
    backup.KeepCard("a.vcf");
    backup.KeepCard("a.vcf");
    const std::filesystem::path made = backup.Finish({"a.vcf", "b.vcf"}, {});
    EXPECT_EQ(FilesBelow(made / "cards"),
              (std::map<std::string, std::string>{{"a.vcf", "card a"}, {"b.vcf", "card b"}}));
    EXPECT_THAT(FindBackup(memory / "Backups", made.filename().string()).cards,
                ElementsAre("a.vcf", "b.vcf"));
}

// Old backups beyond those kept leave the list at once, hidden; their files
// go when removed, not while a removal is asked to stop, unless an earlier
// stopped removal left them; the backup kept and the cards are untouched.
TEST(PruneBackupsTest, RetiredBackupsLeaveTheListAndGoWhenRemoved) {
    TempDir dir;
    const std::filesystem::path backups = dir / "Backups";
    BackupRequest request = CardsOnlyRequest(dir);
    WriteFileBytes(request.contacts / "a.vcf", "card a");
    request.changedCards = {"a.vcf"};
    std::vector<std::filesystem::path> made;
    for (int i = 0; i < 3; ++i)
        made.push_back(MakeBackup(backups, request));
    const auto entries = [&] {
        return std::distance(std::filesystem::directory_iterator(backups),
                             std::filesystem::directory_iterator());
    };

    const std::vector<std::string> first = RetireOldBackups(backups, 1);
    EXPECT_THAT(first, SizeIs(2));
    ASSERT_THAT(ListBackups(backups), SizeIs(1));
    EXPECT_EQ(ListBackups(backups).front().folder, made.back());
    EXPECT_EQ(entries(), 3);
    std::stop_source stopped;
    stopped.request_stop();
    RemoveRetiredBackups(backups, stopped.get_token(), first);
    EXPECT_EQ(entries(), 3);

    // The next run's removal, stopped at once, still takes those left before.
    made.push_back(MakeBackup(backups, request));
    const std::vector<std::string> second = RetireOldBackups(backups, 1);
    EXPECT_THAT(second, SizeIs(1));
    // Made in the same second as those retired, the newest still sorts last.
    ASSERT_THAT(ListBackups(backups), SizeIs(1));
    EXPECT_EQ(ListBackups(backups).front().folder, made.back());
    RemoveRetiredBackups(backups, stopped.get_token(), second);
    EXPECT_EQ(entries(), 2);

    RemoveRetiredBackups(backups);
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(FilesBelow(made.back() / "cards"),
              (std::map<std::string, std::string>{{"a.vcf", "card a"}}));
    EXPECT_EQ(ReadFileBytes(request.contacts / "a.vcf"), "card a");
}

// A run that backs up leaves only the backups kept in the list.
TEST_F(SafetyTest, OldBackupsBeyondThoseKeptLeaveTheList) {
    s.session.SettingsStore().Save(SettingKey::KeepBackups, "1");
    s.EditCard("Contact 1", ContactField::MobileTelephoneNumber, "555-111-2222");
    const std::filesystem::path first = Run().backup;
    s.EditCard("Contact 1", ContactField::MobileTelephoneNumber, "555-111-3333");
    const RunResult second = Run();
    ASSERT_EQ(second.outcome, RunOutcome::Complete);
    ASSERT_FALSE(first.empty());
    EXPECT_FALSE(std::filesystem::exists(first));
    ASSERT_THAT(ListBackups(Backups()), SizeIs(1));
    EXPECT_EQ(ListBackups(Backups()).front().folder, second.backup);
    ExpectQuietRun(s.session);
}

// A run that cannot back up stops before its first write, saying why.
TEST_F(SafetyTest, ARunThatCannotBackUpWritesNothing) {
    ChangeBothSides();
    WriteFileBytes(Backups(), "in the way");
    const auto cards = FilesBelow(s.settings.ContactsPath);
    const StoreTexts before = s.Stores();
    const RunResult stopped = Run();
    EXPECT_EQ(stopped.outcome, RunOutcome::Failed);
    EXPECT_THAT(stopped.message, ::testing::HasSubstr("could not be backed up, so nothing was "
                                                      "written. The backups folder " +
                                                      Backups().string()));
    EXPECT_EQ(FilesBelow(s.settings.ContactsPath), cards);
    EXPECT_EQ(s.Stores(), before);

    std::filesystem::remove(Backups());
    ASSERT_EQ(Run().outcome, RunOutcome::Complete);
    ExpectQuietRun(s.session);
}

}  // namespace
}  // namespace velmora::test
