#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include "gui/GuiTestSupport.h"
#include "platform/QtTestMain.h"
#include "run/AppInfo.h"

namespace velmora {

using test::Child;
using test::WindowFixture;

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    // The window opens with its caption, "Status: Idle", no stage label, the
    // two buttons, and the menus with their items.
    void OpensIdleWithItsControls() {
        WindowFixture f;
        auto& window = f.Make();
        QCOMPARE(window.objectName(), QStringLiteral("VelmoraStart"));
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Velmora - Copyright © 2026 The Velmora developers"));
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
        for (const StageLabels& labels : kStageLabels) {
            QCOMPARE(Child<QLabel>(&window, std::string(labels.textLabel).c_str())->text(),
                     ToQString(labels.caption));
            QCOMPARE(Child<QLabel>(&window, std::string(labels.doneLabel).c_str())->text(),
                     QStringLiteral("Done."));
            QVERIFY(!f.LabelShown(labels.textLabel));
            QVERIFY(!f.LabelShown(labels.doneLabel));
        }
        QCOMPARE(Child<QPushButton>(&window, "Start")->text(), QStringLiteral("Start"));
        QCOMPARE(Child<QPushButton>(&window, "QuitSync")->text(), QStringLiteral("Quit"));

        const std::vector<std::pair<const char*, QStringList>> menus{
            {"Main", {"PhoneBookManager", "Synchronize", "Quit"}},
            {"Tools", {"Inclusion", "Settings"}},
            {"About", {"AboutVelmora"}},
        };
        const std::map<QString, QString> captions{
            {"PhoneBookManager", "iDEN PhoneBook Manager"},
            {"Synchronize", "Synchronize"},
            {"Quit", "Quit"},
            {"Inclusion", "Inclusion Report"},
            {"Settings", "Options"},
            {"AboutVelmora", "About Velmora"},
        };
        QStringList titles;
        for (QAction* action : window.menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, (QStringList{"Main", "Tools", "About"}));
        for (const auto& [menuName, items] : menus) {
            auto* menu = Child<QMenu>(&window, menuName);
            QCOMPARE(menu->title(), QString::fromLatin1(menuName));
            QStringList names;
            for (QAction* action : menu->actions()) {
                names << action->objectName();
                QCOMPARE(action->text(), captions.at(action->objectName()));
            }
            QCOMPARE(names, items);
        }
    }

    // The About box opens without blocking the window and shows the title,
    // the version, the description and the copyright notice; OK closes it.
    // Asking twice brings the same box forward.
    void AboutBoxShowsTheProgram() {
        WindowFixture f;
        auto& window = f.Make();
        Child<QAction>(&window, "AboutVelmora")->trigger();
        Child<QAction>(&window, "AboutVelmora")->trigger();
        QCOMPARE(window.findChildren<QDialog*>(QStringLiteral("AboutSync")).size(), 1);
        auto* about = Child<QDialog>(&window, "AboutSync");
        QVERIFY(about->isVisible());
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Velmora"));
        QCOMPARE(Child<QLabel>(about, "lblTitle")->text(), QStringLiteral("Velmora"));
        QCOMPARE(Child<QLabel>(about, "lblVersion")->text(), QStringLiteral("Version 0.0.4"));
        QCOMPARE(Child<QLabel>(about, "lblDescription")->text(),
                 QStringLiteral("This program executes a bidirectional synchronization between "
                                "the iDEN PhoneBook Manager database and Outlook Contacts."));
        QCOMPARE(Child<QLabel>(about, "lblCopyright")->text(), ToQString(kCopyrightNotice));
        QVERIFY(!Child<QLabel>(about, "lblFreeNotice")->text().isEmpty());
        QVERIFY(!Child<QLabel>(about, "lblCredits")->text().isEmpty());
        QVERIFY(Child<QPushButton>(&window, "Start")->isEnabled());

        QTest::mouseClick(Child<QPushButton>(about, "cmdOK"), Qt::LeftButton);
        test::DeleteClosedWindows();
        QVERIFY(window.findChild<QDialog*>(QStringLiteral("AboutSync")) == nullptr);
    }

    // The menu item starts the manager from the program folder without
    // waiting; a missing manager is reported and the window goes on.
    void MenuStartsTheManager() {
        WindowFixture f;
        auto& window = f.Make();
        auto* item = Child<QAction>(&window, "PhoneBookManager");
        item->trigger();
        QCOMPARE(f.dialogs.messages,
                 QStringList{QStringLiteral("The iDEN PhoneBook Manager could not be started. "
                                            "The file ") +
                             FromPath(f.dir / "idenpm.exe") + QStringLiteral(" does not exist.")});
        QVERIFY(f.processes.detached.empty());

        test::WriteFileBytes(f.dir / "idenpm.exe", "MZ");
        item->trigger();
        QCOMPARE(f.processes.detached.size(), std::size_t{1});
        QCOMPARE(f.processes.detached[0].program, f.dir / "idenpm.exe");
        QVERIFY(f.processes.started.empty());
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Idle"));
    }

    // Quit on an idle window closes it and every window it owns, and writes
    // nothing: no file in the program folder, no setting.
    void QuitClosesEverythingAndWritesNothing() {
        WindowFixture f;
        auto& window = f.Make();
        const auto settingsBefore = f.settings.Values();
        Child<QAction>(&window, "Settings")->trigger();
        auto* options = Child<QDialog>(&window, "ChangeSettings");
        QVERIFY(options->isVisible());

        QTest::mouseClick(Child<QPushButton>(&window, "QuitSync"), Qt::LeftButton);

        QVERIFY(!window.isVisible());
        test::DeleteClosedWindows();
        QVERIFY(window.findChild<QDialog*>(QStringLiteral("ChangeSettings")) == nullptr);
        QVERIFY(std::filesystem::is_empty(f.dir.Path()));
        QVERIFY(f.settings.Values() == settingsBefore);
    }
};

VELMORA_QT_SUITE(MainWindowTest);

}  // namespace velmora

#include "MainWindowTest.moc"
