#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "gui/GuiTestSupport.h"
#include "model/NumberKinds.h"
#include "platform/QtTestMain.h"

namespace velmora {

using test::Child;
using test::WindowFixture;

namespace {

// Two records of one contact with every value filled and different.
SyncObject Record(const std::string& name, const std::string& digit) {
    SyncObject record;
    record.ContactName = name;
    record.ContactID = "id-1";
    record.Flag = "M";
    int speed = 1;
    for (const NumberKindInfo& kind : kNumberKinds) {
        record.*kind.number = "555010" + digit + std::to_string(kind.numberType);
        record.*kind.speed = std::to_string(speed++) + digit;
    }
    record.EmailAddress = "ann" + digit + "@example.com";
    return record;
}

QLineEdit* Box(QDialog& dialog, const std::string& name) {
    return Child<QLineEdit>(&dialog, name.c_str());
}

void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// The widget the Tab key moves to from `widget`.
QWidget* NextTabStop(QWidget* widget) {
    do {
        widget = widget->nextInFocusChain();
    } while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisible());
    return widget;
}

// The values of a record the dialog hands back: name, numbers and speed dials.
SyncObject Shown(SyncObject record) {
    record.ContactID.clear();
    record.Flag.clear();
    return record;
}

}  // namespace

class RunDialogsTest : public QObject {
    Q_OBJECT

  private:
    // A window whose stage for modified items asks `ask` with the run's RunUi.
    static void AskDuringRun(WindowFixture& f, std::function<void(RunUi&)> ask) {
        f.makeStages = [ask = std::move(ask)](RunUi& ui) {
            StageTable stages;
            stages[static_cast<std::size_t>(StageId::SyncModifiedItems)] = [&ui, ask](RunState&) {
                ask(ui);
            };
            return stages;
        };
        f.Make();
    }

  private slots:
    // The conflict dialog shows both records in their boxes with the row
    // labels and captions; a box edited before Keep PhoneBook Data is taken
    // as edited, and the kept side comes back with all nineteen values.
    void ConflictResolvedFromTheDialog() {
        WindowFixture f;
        const SyncObject outlook = Record("Lee, Ann", "1");
        const SyncObject phoneBook = Record("Ann Lee", "2");
        std::optional<ConflictChoice> choice;
        AskDuringRun(f, [&](RunUi& ui) { choice = ui.ShowConflictDialog(outlook, phoneBook); });
        f.dialogs.answers.push_back([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Conflict"));
            QVERIFY(dialog.parentWidget() == &f.Window());
            auto* left = Child<QGroupBox>(&dialog, "OutlookData");
            auto* right = Child<QGroupBox>(&dialog, "PhoneBookData");
            QCOMPARE(left->title(), QStringLiteral("Outlook Data"));
            QCOMPARE(right->title(), QStringLiteral("PhoneBook Data"));
            QStringList labels;
            for (QLabel* label : left->findChildren<QLabel*>())
                labels << label->text();
            QVERIFY(labels.contains(ToQString(kConflictNameLabel)));
            QCOMPARE(labels.count(ToQString(kConflictSpeedDialLabel)), 1);
            QCOMPARE(Box(dialog, "olName")->text(), QStringLiteral("Lee, Ann"));
            QCOMPARE(Box(dialog, "pbName")->text(), QStringLiteral("Ann Lee"));
            for (const NumberKindInfo& kind : kNumberKinds) {
                QVERIFY(labels.contains(ToQString(kind.conflictLabel)));
                for (const auto& [prefix, record] :
                     {std::pair{"ol", &outlook}, std::pair{"pb", &phoneBook}}) {
                    QCOMPARE(Box(dialog, prefix + std::string(kind.conflictNumberBox))->text(),
                             ToQString(record->*kind.number));
                    QCOMPARE(Box(dialog, prefix + std::string(kind.conflictSpeedBox))->text(),
                             ToQString(record->*kind.speed));
                }
            }
            QCOMPARE(Child<QPushButton>(&dialog, "KeepOutlook")->text(),
                     QStringLiteral("Keep &Outlook Data"));
            QCOMPARE(Child<QPushButton>(&dialog, "KeepPhoneBook")->text(),
                     QStringLiteral("Keep &PhoneBook Data"));

            Type(Box(dialog, "pbMobile"), QStringLiteral("5559876"));
            Type(Box(dialog, "pbDCSpeed"), QStringLiteral("77"));
            QTest::mouseClick(Child<QPushButton>(&dialog, "KeepPhoneBook"), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
        });

        f.ClickStart();

        QCOMPARE(f.dialogs.dialogsShown, QStringList{QStringLiteral("VelmoraConflict")});
        QVERIFY(choice.has_value());
        QCOMPARE(choice->side, ConflictSide::PhoneBook);
        SyncObject expected = Shown(phoneBook);
        expected.MobileNumber = "5559876";
        expected.DCSpeed = "77";
        QVERIFY(choice->values == expected);
        QCOMPARE(f.Caption(), QStringLiteral("Status: Synchronization complete."));
    }

    // Keep Outlook Data hands back the Outlook column; a dialog closed
    // without either button hands back nothing.
    void ConflictKeptOrClosedWithoutChoice() {
        WindowFixture f;
        const SyncObject outlook = Record("Lee, Ann", "1");
        const SyncObject phoneBook = Record("Ann Lee", "2");
        std::vector<std::optional<ConflictChoice>> choices;
        AskDuringRun(f, [&](RunUi& ui) {
            choices.push_back(ui.ShowConflictDialog(outlook, phoneBook));
            choices.push_back(ui.ShowConflictDialog(outlook, phoneBook));
        });
        f.dialogs.answers.push_back([](QDialog& dialog) {
            QTest::mouseClick(Child<QPushButton>(&dialog, "KeepOutlook"), Qt::LeftButton);
        });
        f.dialogs.answers.push_back([](QDialog& dialog) { dialog.close(); });

        f.ClickStart();

        QCOMPARE(choices.size(), std::size_t{2});
        QVERIFY(choices[0].has_value());
        QCOMPARE(choices[0]->side, ConflictSide::Outlook);
        QVERIFY(choices[0]->values == Shown(outlook));
        QVERIFY(!choices[1].has_value());
    }

    // The name prompt shows the proposed names in its four boxes, in tab
    // order. With the name field "Full Name" an empty New Full Name is
    // refused with the message and the prompt stays open; filled in, OK
    // closes it and hands the four names back.
    void NamePromptRefusesThenAccepts() {
        WindowFixture f;
        const NameValues proposed{"Ann", "Lee", "", "Lee, Ann"};
        std::optional<NameValues> names;
        AskDuringRun(
            f, [&](RunUi& ui) { names = ui.ShowNamePrompt("Lee, Ann", proposed, "Full Name"); });
        f.dialogs.answers.push_back([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Name Change"));
            QCOMPARE(Child<QLabel>(&dialog, "Instruction")->text(),
                     QStringLiteral("The name for this contact appears to have changed.  Please "
                                    "confirm the new values as indicated below.  The only field "
                                    "that requires a value is 'New File As:'."));
            auto* first = Box(dialog, "NewFirst");
            auto* last = Box(dialog, "NewLast");
            auto* full = Box(dialog, "NewFull");
            auto* fileAs = Box(dialog, "NewFile");
            auto* ok = Child<QPushButton>(&dialog, "NameOK");
            QCOMPARE(first->text(), QStringLiteral("Ann"));
            QCOMPARE(last->text(), QStringLiteral("Lee"));
            QCOMPARE(full->text(), QString());
            QCOMPARE(fileAs->text(), QStringLiteral("Lee, Ann"));
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            QVERIFY(NextTabStop(first) == last);
            QVERIFY(NextTabStop(last) == full);
            QVERIFY(NextTabStop(full) == fileAs);
            QVERIFY(NextTabStop(fileAs) == ok);
            QStringList labels;
            for (QLabel* label : dialog.findChildren<QLabel*>())
                labels << label->text();
            for (const char* caption :
                 {"New First Name:", "New Last Name:", "New Full Name:", "New File As:"})
                QVERIFY(labels.contains(QString::fromLatin1(caption)));

            QTest::mouseClick(ok, Qt::LeftButton);
            QCOMPARE(f.dialogs.messages,
                     QStringList{QStringLiteral(
                         "The 'New File As' and 'New Full Name' fields must each have a value.")});
            QVERIFY(dialog.isVisible());

            QTest::keyClicks(full, QStringLiteral("Ann Lee"));
            QTest::mouseClick(ok, Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
        });

        f.ClickStart();

        QVERIFY(names.has_value());
        QVERIFY(*names == (NameValues{"Ann", "Lee", "Ann Lee", "Lee, Ann"}));
        QCOMPARE(f.dialogs.messages.size(), 1);
    }

    // With the name field "File As" an empty full name is accepted at once;
    // a prompt closed without OK hands back nothing, whatever was typed.
    void NamePromptFileAsOrClosed() {
        WindowFixture f;
        std::vector<std::optional<NameValues>> names;
        AskDuringRun(f, [&](RunUi& ui) {
            names.push_back(
                ui.ShowNamePrompt("Lee, Ann", {"Ann", "Lee", "", "Lee, Ann"}, "File As"));
            names.push_back(
                ui.ShowNamePrompt("Lee, Ann", {"Ann", "Lee", "Ann Lee", "Lee, Ann"}, "File As"));
        });
        f.dialogs.answers.push_back([](QDialog& dialog) {
            QTest::mouseClick(Child<QPushButton>(&dialog, "NameOK"), Qt::LeftButton);
        });
        f.dialogs.answers.push_back([](QDialog& dialog) {
            QTest::keyClicks(Box(dialog, "NewFirst"), QStringLiteral("x"));
            dialog.close();
        });

        f.ClickStart();

        QCOMPARE(names.size(), std::size_t{2});
        QVERIFY(names[0] == (NameValues{"Ann", "Lee", "", "Lee, Ann"}));
        QVERIFY(!names[1].has_value());
        QVERIFY(f.dialogs.messages.isEmpty());
    }
};

VELMORA_QT_SUITE(RunDialogsTest);

}  // namespace velmora

#include "RunDialogsTest.moc"
