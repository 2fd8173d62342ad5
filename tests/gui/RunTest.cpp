#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/DemoData.h"
#include "app/SyncStages.h"
#include "gui/GuiTestSupport.h"
#include "model/Error.h"
#include "model/NumberKinds.h"
#include "platform/ProgramFolder.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtTestMain.h"
#include "stores/database/SqliteDatabase.h"

namespace velmora {

using test::Child;
using test::WindowFixture;

namespace {

Stage& StageOf(StageTable& stages, StageId id) {
    return stages[static_cast<std::size_t>(id)];
}

const QString kErrorCaption =
    QStringLiteral("Status: Synchronization error. Please check the log.");
const QString kCompleteCaption = QStringLiteral("Status: Synchronization complete.");

std::vector<std::string> Tail(const std::vector<std::string>& lines, std::size_t count) {
    return {lines.end() - static_cast<std::ptrdiff_t>(std::min(count, lines.size())), lines.end()};
}

}  // namespace

class RunTest : public QObject {
    Q_OBJECT

  private slots:
    // A run from the Start button as the program is put together: the host's
    // settings file and program folder (both temporary here), the real stage
    // table, over the demo data set. Every stage label is shown, the run ends complete, the log
    // sits in the program folder's Data folder; the menu item runs it again.
    void FullRunFromTheStartButton() {
        QtSettingsStore settings;
        settings.Save("PMBefore", "True");  // no manager in the folder: the run goes on
        settings.Save("PMAfter", "False");
        const std::filesystem::path folder = ProgramFolder();
        SqliteDatabaseEngine databases;
        CreateDemoData(LoadSettings(settings, folder), 20, 1, databases);
        test::FakeProcessPort processes;
        test::ScriptedDialogHost dialogs;
        gui::VelmoraStart window({settings, folder, processes, dialogs, {}, {}});
        window.show();

        QTest::mouseClick(Child<QPushButton>(&window, "Start"), Qt::LeftButton);

        QCOMPARE(Child<QGroupBox>(&window, "Status")->title(), kCompleteCaption);
        for (const StageLabels& labels : kStageLabels) {
            QVERIFY(Child<QLabel>(&window, std::string(labels.textLabel).c_str())
                        ->isVisibleTo(&window));
            QVERIFY(Child<QLabel>(&window, std::string(labels.doneLabel).c_str())
                        ->isVisibleTo(&window));
        }
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(processes.started.empty());
        const std::string log = test::ReadFileBytes(folder / "Data" / "SyncLog.txt");
        QVERIFY(log.starts_with("Velmora, version: 0.0.4\r\n"));
        QVERIFY(log.find("\r\nLoaded previous sync data from " + (folder / "Data").string()) !=
                std::string::npos);
        QVERIFY(Child<QPushButton>(&window, "Start")->isEnabled());

        std::filesystem::remove(folder / "Data" / "SyncLog.txt");
        Child<QAction>(&window, "Synchronize")->trigger();
        QVERIFY(std::filesystem::exists(folder / "Data" / "SyncLog.txt"));
        QCOMPARE(Child<QGroupBox>(&window, "Status")->title(), kCompleteCaption);
    }

    // More numbers than the phone holds: the message box names them, the
    // status shows the error, no writer runs and the log ends with the three
    // capacity lines.
    void CapacityOverflowStopsBeforeWriting() {
        WindowFixture f;
        f.settings.Save("LogPath", f.LogPath().string());
        StageOf(f.stages, StageId::LoadOutlookContacts) = [](RunState& state) {
            for (int record = 0; record < 28; ++record) {
                SyncObject& contact = state.OutlookSet.Append({});
                for (const NumberKindInfo& kind : kNumberKinds)
                    contact.*kind.number = "5550100";
            }
            state.OutlookSet.Item(28).EmailAddress.clear();  // 27 * 9 + 8 = 251
        };
        bool wrote = false;
        StageOf(f.stages, StageId::WriteOutlookContacts) = [&](RunState&) { wrote = true; };
        f.Make();

        f.ClickStart();

        const QString message = QStringLiteral(
            "The 251 phone numbers in Outlook exceeds your phone's capacity of 250.");
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QCOMPARE(f.Caption(), kErrorCaption);
        QVERIFY(!wrote);
        QVERIFY(f.LabelShown("SyncingNewDone"));
        QVERIFY(!f.LabelShown("WritingOutlook"));
        QCOMPARE(Tail(f.LogLines(), 3),
                 (std::vector<std::string>{
                     "Synchronization cannot continue.", "... " + message.toStdString(),
                     "... If your phone is actually capable of this capacity, please check the "
                     "settings from the main menu."}));
        QVERIFY(Child<QPushButton>(&f.Window(), "Start")->isEnabled());
    }

    // A stage that fails stops the run there: the message box and the log
    // give the reason, later stages do not run, and the window stays usable:
    // the next run hides the old labels first and completes.
    void AFailingStageLeavesTheWindowUsable() {
        WindowFixture f;
        f.settings.Save("LogPath", f.LogPath().string());
        bool fail = true;
        int speedDialRuns = 0;
        bool oldLabelShownAtStart = true;
        StageOf(f.stages, StageId::LoadOutlookContacts) = [&](RunState&) {
            oldLabelShownAtStart = f.LabelShown("FlaggingNew");
        };
        StageOf(f.stages, StageId::FlagNewItems) = [&](RunState&) {
            if (fail) throw Error("The sync database /data/Velmora.db is locked.");
        };
        StageOf(f.stages, StageId::AssignSpeedDials) = [&](RunState&) { ++speedDialRuns; };
        f.Make();

        f.ClickStart();

        const QString reason = QStringLiteral(
            "The synchronization stopped: The sync database /data/Velmora.db is locked.");
        QCOMPARE(f.dialogs.messages, QStringList{reason});
        QCOMPARE(f.Caption(), kErrorCaption);
        QVERIFY(f.LabelShown("FlaggingNew"));
        QVERIFY(!f.LabelShown("FlaggingNewDone"));
        QVERIFY(!f.LabelShown("AssignSpeeds"));
        QCOMPARE(speedDialRuns, 0);
        QCOMPARE(f.LogLines().back(), "... " + reason.toStdString());

        fail = false;
        f.ClickStart();
        QVERIFY(!oldLabelShownAtStart);
        QCOMPARE(speedDialRuns, 1);
        QCOMPARE(f.Caption(), kCompleteCaption);
        QCOMPARE(f.dialogs.messages.size(), 1);
    }

    // A run whose writers could not store some changes ends with the error
    // status and says so, instead of reporting success.
    void FailedWritesAreReported() {
        WindowFixture f;
        f.settings.Save("LogPath", f.LogPath().string());
        StageOf(f.stages, StageId::WritePhoneBookDatabase) = [](RunState& state) {
            ++state.FailedWrites;
        };
        f.Make();
        f.ClickStart();
        QCOMPARE(
            f.dialogs.messages,
            QStringList{QStringLiteral("Some changes could not be stored. Please check the log.")});
        QCOMPARE(f.Caption(), kErrorCaption);
    }

    // While a run waits for the manager the window handles events, but Start,
    // Synchronize and the inclusion report are disabled, and even a button
    // enabled by hand cannot start a second run inside the first.
    void NoSecondRunInsideTheFirst() {
        WindowFixture f;
        f.settings.Save("PMBefore", "True");
        f.settings.Save("PMAfter", "True");
        f.settings.Save("LogPath", f.LogPath().string());
        test::WriteFileBytes(f.dir / "idenpm.exe", "MZ");
        int runs = 0;
        StageOf(f.stages, StageId::LoadOutlookContacts) = [&](RunState&) { ++runs; };
        auto& window = f.Make([](const Settings&, const std::filesystem::path&) {
            return std::optional<std::string>();
        });
        auto* start = Child<QPushButton>(&window, "Start");
        auto* synchronize = Child<QAction>(&window, "Synchronize");
        auto* inclusion = Child<QAction>(&window, "Inclusion");
        QVERIFY(inclusion->isEnabled());

        int looks = 0;
        f.processes.looksBeforeEnd = 2;
        f.processes.whileRunning = [&] {
            ++looks;
            QVERIFY(window.IsRunning());
            QVERIFY(!start->isEnabled());
            QVERIFY(!synchronize->isEnabled());
            QVERIFY(!inclusion->isEnabled());
            QTest::mouseClick(start, Qt::LeftButton);
            synchronize->trigger();
            // Handled by the window between two looks at the manager.
            QMetaObject::invokeMethod(synchronize, &QAction::trigger, Qt::QueuedConnection);
            start->setEnabled(true);
            start->click();
            start->setEnabled(false);
        };

        f.ClickStart();

        QCOMPARE(looks, 4);  // two before the run, two after
        QCOMPARE(runs, 1);
        QCOMPARE(f.processes.started.size(), std::size_t{2});
        QCOMPARE(f.Caption(), kCompleteCaption);
        QVERIFY(start->isEnabled());
        QVERIFY(synchronize->isEnabled());
        QVERIFY(inclusion->isEnabled());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // Quit while the run waits for the manager: the windows close, the run
    // stops at once (no stage runs, no message box) and the log says why.
    void QuitWhileWaitingStopsTheRun() {
        WindowFixture f;
        f.settings.Save("PMBefore", "True");
        f.settings.Save("LogPath", f.LogPath().string());
        test::WriteFileBytes(f.dir / "idenpm.exe", "MZ");
        int runs = 0;
        StageOf(f.stages, StageId::LoadOutlookContacts) = [&](RunState&) { ++runs; };
        auto& window = f.Make();
        f.processes.looksBeforeEnd = 5;
        f.processes.whileRunning = [&] {
            QTest::mouseClick(Child<QPushButton>(&window, "QuitSync"), Qt::LeftButton);
        };

        f.ClickStart();

        QVERIFY(!window.isVisible());
        QVERIFY(!window.IsRunning());
        QCOMPARE(runs, 0);
        QCOMPARE(f.processes.looks.size(), std::size_t{1});
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.LogLines().back(),
                 std::string("... The synchronization stopped: The program was closed while the "
                             "synchronization waited."));
    }
};

VELMORA_QT_SUITE(RunTest);

}  // namespace velmora

#include "RunTest.moc"
