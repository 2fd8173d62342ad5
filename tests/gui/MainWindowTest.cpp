#include <QAction>
#include <QMessageBox>
#include <QTimer>

#include "gui/GuiTestSupport.h"
#include "gui/InclusionReportWriter.h"
#include "gui/StatusFrame.h"
#include "platform/QtTestMain.h"
#include "support/VCardFixtures.h"

namespace velmora::test {

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    // The window opens idle; About is modeless; the manager starts without waiting.
    void OpensIdleWithItsMenus() {
        WindowFixture f;
        WriteFileBytes(f.dir / "idenpm.exe", "MZ");
        auto& window = f.Make();
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Velmora - Copyright © 2026 The Velmora developers"));
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
        for (const gui::StageLabels& labels : gui::kStageLabels)
            QVERIFY(!f.LabelShown(labels.textLabel) && !f.LabelShown(labels.doneLabel));
        QVERIFY(!Child<QAction>(&window, "Inclusion")->isEnabled());

        Child<QAction>(&window, "AboutVelmora")->trigger();
        auto* about = Child<QDialog>(&window, "AboutSync");
        QVERIFY(about->isVisible() && !about->isModal());
        QCOMPARE(Child<QLabel>(about, "lblVersion")->text(),
                 QStringLiteral("Version " VELMORA_PROJECT_VERSION));

        Child<QAction>(&window, "PhoneBookManager")->trigger();
        const std::vector<ProcessCommand> detached{{f.dir / "idenpm.exe", {}}};
        QVERIFY(f.processes.detached == detached);
    }

    // The message box: caption "Velmora", the text, and only OK.
    void MessageBoxHasOnlyOK() {
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown = box->windowTitle() + "|" + box->text() + "|" +
                    QString::number(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        gui::ModalDialogHost().ShowMessage(nullptr, QStringLiteral("The 251 phone numbers."));
        QCOMPARE(shown, QStringLiteral("Velmora|The 251 phone numbers.|1"));
    }

    // The report shows its caption while written; an unreadable folder leaves none.
    void InclusionReportOverTheVCardFolder() {
        WindowFixture f;
        const auto cards = f.dir / "cards";
        f.settings.Save("ContactsPath", cards.string());
        QStringList captions;
        auto& window = f.Make([&](const Settings& settings, const std::filesystem::path& folder) {
            captions << f.Caption();
            return gui::VCardFolderInclusionReport()(settings, folder);
        });
        auto* inclusion = Child<QAction>(&window, "Inclusion");
        const auto report = f.dir / "InclusionReport.txt";
        inclusion->trigger();
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("The Inclusion Report could not be written. The "
                                            "address book folder ") +
                             FromPath(cards) + QStringLiteral(" does not exist.")});
        QVERIFY(!std::filesystem::exists(report));
        Click(&window, "Start");
        QCOMPARE(f.Caption(), QStringLiteral("Status: Synchronization complete."));

        std::filesystem::create_directories(cards);
        inclusion->trigger();
        QCOMPARE(f.dialogs.messages.size(), 1);
        WriteFileBytes(cards / "01.vcf", ContactCardText({{ContactField::FileAs, "Lee, Ann"},
                                                          {ContactField::User2, "Yes"}}));
        inclusion->trigger();
        QCOMPARE(f.dialogs.messages.back(),
                 QStringLiteral("The Inclusion Report has been written to ") + FromPath(report));
        QCOMPARE(captions, QStringList(3, "Status: Creating Inclusion Report . . ."));
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
    }
};

}  // namespace velmora::test

VELMORA_QT_SUITE(velmora::test::MainWindowTest)

#include "MainWindowTest.moc"
