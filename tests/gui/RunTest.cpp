#include <QAction>
#include <QPushButton>

#include "app/DemoData.h"
#include "gui/GuiTestSupport.h"
#include "gui/StatusFrame.h"
#include "model/Error.h"
#include "platform/ProgramFolder.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtTestMain.h"
#include "stores/database/SqliteDatabase.h"

namespace velmora::test {

class RunTest : public QObject {
    Q_OBJECT

  private slots:
    // A run from the Start button over the demo data, as the program is put together.
    void FullRunFromTheStartButton() {
        QtSettingsStore settings;
        settings.Save("PMBefore", "True");  // no manager in the folder: the run goes on
        settings.Save("PMAfter", "False");
        const std::filesystem::path folder = ProgramFolder();
        SqliteDatabaseEngine databases;
        CreateDemoData(LoadSettings(settings, folder), 20, 1, databases);
        FakeProcessPort processes;
        ScriptedDialogHost dialogs;
        gui::VelmoraStart window({settings, folder, processes, dialogs, {}, {}, {}});
        window.show();

        Click(&window, "Start");

        QCOMPARE(Child<QGroupBox>(&window, "Status")->title(),
                 QStringLiteral("Status: Synchronization complete."));
        for (const gui::StageLabels& labels : gui::kStageLabels) {
            for (const std::string_view name : {labels.textLabel, labels.doneLabel})
                QVERIFY(Child<QLabel>(&window, std::string(name).c_str())->isVisibleTo(&window));
        }
        QVERIFY(std::filesystem::exists(folder / "Data" / "SyncLog.txt"));
    }

    // A failure shows the error caption and the window stays usable.
    void StoppedRunsLeaveTheWindowUsable() {
        WindowFixture f;
        bool oldLabelShownAtStart = true;
        f.StageOf(StageId::LoadOutlookContacts) = [&](RunState&) {
            oldLabelShownAtStart = f.LabelShown("SyncingNewDone");
        };
        f.StageOf(StageId::WritePhoneBookDatabase) = [runs = 0](RunState& state) mutable {
            if (++runs == 1) throw Error("Locked.");
            ++state.FailedWrites;
        };
        auto& window = f.Make();

        Click(&window, "Start");
        QCOMPARE(f.dialogs.messages, QStringList{"The synchronization stopped: Locked."});
        QCOMPARE(f.Caption(),
                 QStringLiteral("Status: Synchronization error. Please check the log."));
        QVERIFY(f.LabelShown("SyncingNewDone"));

        f.dialogs.messages.clear();
        Click(&window, "Start");
        QVERIFY(!oldLabelShownAtStart);
        QCOMPARE(f.dialogs.messages,
                 QStringList{"Some changes could not be stored. Please check the log."});
    }

    // While the manager runs no control starts a second run; Quit stops it, logged.
    void WhileWaitingForTheManager() {
        WindowFixture f;
        f.settings.Save("PMBefore", "True");
        f.settings.Save("PMAfter", "True");
        WriteFileBytes(f.dir / "idenpm.exe", "MZ");
        int runs = 0;
        f.StageOf(StageId::LoadOutlookContacts) = [&runs](RunState&) { ++runs; };
        auto& window = f.Make([](const Settings&, const std::filesystem::path&) {
            return std::optional<std::string>();
        });
        auto* start = Child<QPushButton>(&window, "Start");
        auto* synchronize = Child<QAction>(&window, "Synchronize");
        const std::vector<QObject*> controls{start, synchronize,
                                             Child<QAction>(&window, "Inclusion")};
        auto enabled = [&] {
            return std::ranges::count_if(
                controls, [](QObject* c) { return c->property("enabled").toBool(); });
        };
        f.processes.looksBeforeEnd = 2;
        f.processes.whileRunning = [&] {
            QVERIFY(window.IsRunning());
            QCOMPARE(enabled(), 0);
            start->setEnabled(true);
            start->click();
            start->setEnabled(false);
        };
        synchronize->trigger();
        QCOMPARE(f.processes.looks.size(), std::size_t{6});  // three at each of two starts
        QCOMPARE(runs, 1);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Synchronization complete."));
        QCOMPARE(enabled(), 3);

        Child<QAction>(&window, "Settings")->trigger();
        f.processes.looks.clear();
        f.processes.looksBeforeEnd = 5;
        f.processes.whileRunning = [&] { Click(&window, "QuitSync"); };
        start->click();
        QVERIFY(!window.isVisible() && !window.IsRunning());
        QCOMPARE(runs, 1);
        QCOMPARE(f.processes.looks.size(), std::size_t{1});
        QVERIFY(f.dialogs.messages.isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.findChild<QDialog*>(QStringLiteral("ChangeSettings")) == nullptr);
        QVERIFY(ReadFileBytes(f.dir / "Data" / "SyncLog.txt")
                    .ends_with("... The synchronization stopped: The program was closed while "
                               "the synchronization waited.\r\n"));
    }
};

}  // namespace velmora::test

VELMORA_QT_SUITE(velmora::test::RunTest)

#include "RunTest.moc"
