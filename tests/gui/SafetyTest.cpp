#include <QAction>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "app/Backups.h"
#include "app/DemoData.h"
#include "gui/GuiTestSupport.h"
#include "platform/QtTestMain.h"
#include "platform/StoreLock.h"
#include "stores/database/SqliteDatabase.h"

namespace velmora::test {

namespace {

// Six contacts gone from the address book; the phone book writer counts its runs.
void SixContactsGoneFromOutlook(WindowFixture& f, int& writes) {
    const auto six = [](SyncSet& set) {
        for (int id = 1; id <= 6; ++id) {
            SyncObject record;
            record.ContactID = std::to_string(id);
            set.Append(record);
        }
    };
    f.StageOf(StageId::LoadPhoneBookRecords) = [six](RunState& s) { six(s.PhoneBookSet); };
    f.StageOf(StageId::LoadSyncRecords) = [six](RunState& s) { six(s.SyncDataSet); };
    f.StageOf(StageId::FlagDeletedItems) = [](RunState& s) {
        for (SyncSet* set : {&s.PhoneBookSet, &s.SyncDataSet}) {
            for (SyncObject& record : *set)
                record.Flag = RecordFlag::Delete;
        }
    };
    f.StageOf(StageId::WritePhoneBookDatabase) = [&writes](RunState&) { ++writes; };
}

}  // namespace

class SafetyTest : public QObject {
    Q_OBJECT

  private slots:
    // Emptying the phone book asks; Stop or closing writes nothing, Continue writes.
    void MassDeletionAsksInAMessageBox() {
        WindowFixture f;
        int writes = 0;
        SixContactsGoneFromOutlook(f, writes);
        auto& window = f.Make();
        QString asked;
        f.dialogs.answers.push_back([&asked](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            asked = box.text();
            QCOMPARE(box.buttons().size(), 2);
            Click(&box, "Stop");
        });
        Click(&window, "Start");
        QVERIFY(asked.startsWith(
            "This run would delete 6 of 6 contacts from the PhoneBook. Outlook holds no contacts "
            "now"));
        QCOMPARE(writes, 0);
        QCOMPARE(f.Caption(),
                 QStringLiteral("Status: Synchronization stopped. Nothing was written."));
        QVERIFY(
            ReadFileBytes(f.dir / "Data" / "SyncLog.txt")
                .ends_with("... The deletions were not confirmed, so nothing was written.\r\n"));

        Click(&window, "Start");  // the box closed without an answer
        QCOMPARE(writes, 0);
        f.dialogs.answers.push_back([](QDialog& box) { Click(&box, "Continue"); });
        Click(&window, "Start");
        QCOMPARE(writes, 1);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Synchronization complete."));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // While velmora-sync holds the stores, Start and Preview are refused naming it.
    void AnotherRunHoldsTheStores() {
        WindowFixture f;
        int writes = 0;
        SixContactsGoneFromOutlook(f, writes);
        f.lock = FileRunLocker("velmora");
        auto& window = f.Make();
        const auto held = FileRunLocker("velmora-sync")(f.dir / "Data" / "Velmora.db");
        Click(&window, "Start");
        Child<QAction>(&window, "Preview")->trigger();
        QCOMPARE(f.dialogs.messages.size(), 2);
        const QString holder =
            QStringLiteral("(velmora-sync, process ") + QString::number(getpid()) + ")";
        QVERIFY(
            f.dialogs.messages[0].startsWith("Another synchronization is working on these "
                                             "stores " +
                                             holder));
        QVERIFY(f.dialogs.messages[1].contains(holder));
        QCOMPARE(writes, 0);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
        QVERIFY(!std::filesystem::exists(f.dir / "Data" / "SyncLog.txt"));
    }

    // Preview shows the run read-only, writing nothing; Save writes the text.
    void PreviewShowsTheRunAndSavesIt() {
        WindowFixture f;
        SqliteDatabaseEngine databases;
        const Settings settings = LoadSettings(f.settings, f.dir.Path());
        CreateDemoData(settings, 10, 2, databases);
        auto& window = f.Make();
        const auto before = FilesBelow(f.dir / "Data");

        Child<QAction>(&window, "Preview")->trigger();
        auto* preview = Child<QDialog>(&window, "PreviewWindow");
        auto* view = Child<QPlainTextEdit>(preview, "PreviewText");
        QVERIFY(preview->isVisible() && view->isReadOnly());
        const QString text = view->toPlainText();
        QVERIFY(text.startsWith("Preview: what a synchronization would do now."));
        QVERIFY(text.contains("\nLoaded PhoneBook records from " +
                              FromPath(settings.PhoneBookPath) + "\n"));
        QVERIFY(text.contains(" is new to the PhoneBook.\n"));
        QVERIFY(FilesBelow(f.dir / "Data") == before);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));

        Click(preview, "SavePreview");
        auto* chooser = Child<QFileDialog>(preview, "SaveFile");
        chooser->selectFile(FromPath(f.dir / "saved.txt"));
        static_cast<QDialog*>(chooser)->accept();  // as its Save button does
        QCOMPARE(ToQString(ReadFileBytes(f.dir / "saved.txt")), text);
        QCOMPARE(f.dialogs.messages,
                 QStringList{"The preview has been saved to " + FromPath(f.dir / "saved.txt")});
    }

    // Restore refuses during a run; otherwise it puts the card back, backed up first.
    void RestoreFromTheToolsMenu() {
        WindowFixture f;
        const auto cards = f.dir / "Data" / "Contacts";
        const auto card = cards / "a.vcf";
        WriteFileBytes(card, "as it was");
        MakeBackup(BackupsFolder(f.dir.Path()), {.before = "the synchronization",
                                                 .phoneBook = f.dir / "Data" / "PhoneBook.db",
                                                 .sync = f.dir / "Data" / "Velmora.db",
                                                 .contacts = cards,
                                                 .log = f.dir / "Data" / "SyncLog.txt",
                                                 .changedCards = {"a.vcf"},
                                                 .createdCards = {},
                                                 .counts = "",
                                                 .plan = ""});
        WriteFileBytes(cards / "a.vcf.new", "as a run left it");
        std::filesystem::rename(cards / "a.vcf.new", card);
        bool restoreDuringRun = true;
        f.StageOf(StageId::LoadOutlookContacts) = [&](RunState&) {
            if (!restoreDuringRun) return;
            Child<QAction>(f.window.get(), "Restore")->trigger();
            Click(Child<QDialog>(f.window.get(), "RestoreDialog"), "RestoreBackup");
        };
        auto& window = f.Make();
        Click(&window, "Start");
        QCOMPARE(f.dialogs.messages,
                 QStringList{"A synchronization is under way; restore when it has ended."});
        QCOMPARE(ReadFileBytes(card), std::string("as a run left it"));

        restoreDuringRun = false;
        auto* dialog = Child<QDialog>(&window, "RestoreDialog");
        auto* list = Child<QListWidget>(dialog, "Backups");
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().contains("before the synchronization"));
        f.dialogs.answers.push_back([](QDialog& box) { Click(&box, "Restore"); });
        Click(dialog, "RestoreBackup");
        QCOMPARE(ReadFileBytes(card), std::string("as it was"));
        QVERIFY(f.dialogs.messages.back().contains("The card " + FromPath(card) +
                                                   " has been put back."));
        QCOMPARE(list->count(), 2);
        QVERIFY(list->item(0)->text().contains("before restoring the backup"));
    }
};

}  // namespace velmora::test

VELMORA_QT_SUITE(velmora::test::SafetyTest)

#include "SafetyTest.moc"
