#include <QAction>
#include <QtTest>

#include "gui/GuiTestSupport.h"
#include "gui/InclusionReportWriter.h"
#include "model/Error.h"
#include "platform/QtTestMain.h"
#include "support/VCardFixtures.h"

namespace velmora {

using test::Child;
using test::WindowFixture;

class InclusionReportTest : public QObject {
    Q_OBJECT

  private slots:
    // The menu item shows "Creating Inclusion Report" while the report is
    // written with the settings in force, announces it in a message box, and
    // returns to "Status: Idle"; a run after it starts from there and ends
    // with its own caption.
    void AnnouncesTheReport() {
        WindowFixture f;
        f.settings.Save("ContactsPath", "/srv/cards");
        QString captionDuring;
        std::filesystem::path folderGiven;
        std::string contactsGiven;
        auto& window = f.Make([&](const Settings& settings, const std::filesystem::path& folder) {
            captionDuring = f.Caption();
            folderGiven = folder;
            contactsGiven = settings.ContactsPath.string();
            return std::optional<std::string>("The Inclusion Report has been written to " +
                                              (folder / "InclusionReport.txt").string());
        });
        auto* item = Child<QAction>(&window, "Inclusion");
        QVERIFY(item->isEnabled());

        item->trigger();

        QCOMPARE(captionDuring, QStringLiteral("Status: Creating Inclusion Report . . ."));
        QCOMPARE(folderGiven, f.dir.Path());
        QCOMPARE(contactsGiven, std::string("/srv/cards"));
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("The Inclusion Report has been "
                                                                "written to ") +
                                                 FromPath(f.dir / "InclusionReport.txt")});
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));

        f.ClickStart();
        QCOMPARE(f.Caption(), QStringLiteral("Status: Synchronization complete."));
    }

    // An address book or a file that fails is shown in a message box, the
    // status returns to idle, and the window goes on; an empty address book
    // announces nothing.
    void ReportsAFailureAndGoesOn() {
        WindowFixture f;
        int calls = 0;
        auto& window = f.Make([&](const Settings&, const std::filesystem::path&) {
            if (++calls == 1) throw Error("The address book folder /srv/cards does not exist.");
            return std::optional<std::string>();
        });
        auto* item = Child<QAction>(&window, "Inclusion");

        item->trigger();
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("The Inclusion Report could not be written. The "
                                            "address book folder /srv/cards does not exist.")});
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));

        item->trigger();
        QCOMPARE(calls, 2);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
    }

    // The report the program uses, over a vCard folder: the file lists the
    // included and the excluded contact and the message names it; a folder
    // that is not there is reported.
    void ReportsTheVCardFolder() {
        WindowFixture f;
        const auto cards = f.dir / "cards";
        test::WriteCardFile(cards, "01.vcf",
                            test::ContactCardText({{ContactField::FileAs, "Lee, Ann"},
                                                   {ContactField::User2, "Yes"}}));
        test::WriteCardFile(cards, "02.vcf",
                            test::ContactCardText({{ContactField::FileAs, "Moss, Bob"}}));
        f.settings.Save("ContactsPath", cards.string());
        auto& window = f.Make(gui::VCardFolderInclusionReport());

        Child<QAction>(&window, "Inclusion")->trigger();

        const auto report = f.dir / "InclusionReport.txt";
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("The Inclusion Report has been written to ") +
                             FromPath(report)});
        const std::string text = test::ReadFileBytes(report);
        QVERIFY2(text.ends_with("Included Contacts:\r\n     Lee, Ann\r\n\r\n"
                                "Excluded Contacts:\r\n     Moss, Bob\r\n"),
                 text.c_str());

        WindowFixture g;
        g.settings.Save("ContactsPath", (g.dir / "absent").string());
        Child<QAction>(&g.Make(gui::VCardFolderInclusionReport()), "Inclusion")->trigger();
        QCOMPARE(g.dialogs.messages.size(), 1);
        QVERIFY2(g.dialogs.messages[0].contains(FromPath(g.dir / "absent")),
                 qPrintable(g.dialogs.messages[0]));
        QCOMPARE(g.Caption(), QStringLiteral("Status: Idle"));
    }

    // Without a report writer the menu item is there but disabled.
    void DisabledWithoutAWriter() {
        WindowFixture f;
        auto& window = f.Make();
        auto* item = Child<QAction>(&window, "Inclusion");
        QVERIFY(!item->isEnabled());
        f.ClickStart();
        QVERIFY(!item->isEnabled());
    }
};

VELMORA_QT_SUITE(InclusionReportTest);

}  // namespace velmora

#include "InclusionReportTest.moc"
