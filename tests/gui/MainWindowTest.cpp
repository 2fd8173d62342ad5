#include <QAction>
#include <QMessageBox>
#include <QTimer>

#include "gui/GuiTestSupport.h"
#include "gui/InclusionReportWriter.h"
#include "model/Error.h"
#include "platform/QtTestMain.h"
#include "support/VCardFixtures.h"

namespace velmora {

using test::Child;
using test::WindowFixture;

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    // The window opens with its caption, "Status: Idle", no stage label, and
    // the report disabled without a writer; the About box is modeless and
    // shows the version.
    void OpensIdleWithItsControls() {
        WindowFixture f;
        auto& window = f.Make();
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Velmora - Copyright © 2026 The Velmora developers"));
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
        for (const StageLabels& labels : kStageLabels)
            QVERIFY(!f.LabelShown(labels.textLabel) && !f.LabelShown(labels.doneLabel));
        QVERIFY(!Child<QAction>(&window, "Inclusion")->isEnabled());

        Child<QAction>(&window, "AboutVelmora")->trigger();
        auto* about = Child<QDialog>(&window, "AboutSync");
        QVERIFY(about->isVisible() && !about->isModal());
        QCOMPARE(Child<QLabel>(about, "lblVersion")->text(), QStringLiteral("Version 0.0.4"));
    }

    // The program's message box: caption "Velmora", the text as given, an OK
    // button and no other, shown modally until OK is pressed.
    void MessageBoxHasOnlyOK() {
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown = QStringLiteral("%1|%2|%3")
                        .arg(box->windowTitle(), box->text())
                        .arg(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        gui::ModalDialogHost().ShowMessage(nullptr, QStringLiteral("The 251 phone numbers."));
        QCOMPARE(shown, QStringLiteral("Velmora|The 251 phone numbers.|1"));
    }

    // The menu item starts the manager from the program folder without waiting.
    void MenuStartsTheManager() {
        WindowFixture f;
        test::WriteFileBytes(f.dir / "idenpm.exe", "MZ");
        Child<QAction>(&f.Make(), "PhoneBookManager")->trigger();
        QCOMPARE(f.processes.detached.size(), std::size_t{1});
        QCOMPARE(f.processes.detached[0].program, f.dir / "idenpm.exe");
        QVERIFY(f.processes.started.empty());
    }

    // The report over the address book folder of the settings in force is
    // written into the program folder and announced; the status is idle after.
    void InclusionReportOverTheVCardFolder() {
        WindowFixture f;
        const auto cards = f.dir / "cards";
        test::WriteCardFile(cards, "01.vcf",
                            test::ContactCardText({{ContactField::FileAs, "Lee, Ann"},
                                                   {ContactField::User2, "Yes"}}));
        f.settings.Save("ContactsPath", cards.string());
        Child<QAction>(&f.Make(gui::VCardFolderInclusionReport()), "Inclusion")->trigger();

        const auto report = f.dir / "InclusionReport.txt";
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("The Inclusion Report has been written to ") +
                             FromPath(report)});
        const std::string text = test::ReadFileBytes(report);
        QVERIFY2(
            text.ends_with("Included Contacts:\r\n     Lee, Ann\r\n\r\nExcluded Contacts:\r\n"),
            text.c_str());
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
    }

    // While the report is written the status says so; a failure is shown in
    // a message box, the status returns to idle and a run starts from there;
    // nothing to announce shows nothing.
    void InclusionReportFailureIsShown() {
        WindowFixture f;
        QStringList captions;
        auto& window = f.Make([&](const Settings&, const std::filesystem::path&) {
            captions << f.Caption();
            if (captions.size() == 1) throw Error("The folder /srv/cards does not exist.");
            return std::optional<std::string>();
        });
        Child<QAction>(&window, "Inclusion")->trigger();
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("The Inclusion Report could not be "
                                                                "written. The folder /srv/cards "
                                                                "does not exist.")});
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
        Child<QAction>(&window, "Inclusion")->trigger();
        QCOMPARE(captions, QStringList(2, "Status: Creating Inclusion Report . . ."));
        QCOMPARE(f.dialogs.messages.size(), 1);

        test::Click(&window, "Start");
        QCOMPARE(f.Caption(), QStringLiteral("Status: Synchronization complete."));
    }
};

VELMORA_QT_SUITE(MainWindowTest);

}  // namespace velmora

#include "MainWindowTest.moc"
