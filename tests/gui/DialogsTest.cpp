#include <QAction>
#include <QComboBox>
#include <QFileSystemModel>
#include <QListView>

#include "app/Options.h"
#include "gui/Browse.h"
#include "gui/GuiTestSupport.h"
#include "model/NumberKinds.h"
#include "platform/QtTestMain.h"

namespace velmora::test {

namespace {

QDialog* OpenOptions(WindowFixture& f) {
    Child<QAction>(f.window.get(), "Settings")->trigger();
    return Child<QDialog>(f.window.get(), "ChangeSettings");
}

QString Text(const QObject* parent, const char* name) {
    return Child<QLineEdit>(parent, name)->text();
}

// The name field, the checked buttons and the boxes of the Options dialog.
QString Form(const QDialog* options) {
    QStringList form{Child<QComboBox>(options, "olNameField")->currentText()};
    for (const char* name :
         {"none", "parenth", "dashes", "dots", "StartPMBefore", "StartPMAfter"}) {
        if (Child<QAbstractButton>(options, name)->isChecked()) form << name;
    }
    for (const char* name : {"MaxNames", "MaxNumbers", "lgPath", "ctPath"})
        form << Text(options, name);
    return form.join(QLatin1Char('|'));
}

// Every value filled, different for each `digit`.
SyncObject Record(const std::string& name, const std::string& digit) {
    SyncObject record;
    record.ContactName = name;
    for (const NumberKindInfo& kind : kNumberKinds) {
        record.SetNumber(kind.kind, "555010" + digit + std::to_string(kind.numberType));
        record.SetSpeed(kind.kind, std::to_string(kind.numberType) + digit);
    }
    return record;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

  private slots:
    // Options shows, refuses, browses and saves the settings; Cancel saves nothing.
    void OptionsShowRefuseBrowseAndSave() {
        WindowFixture f;
        const auto logs = f.dir / "logs";
        const auto cards = f.dir / "cards";
        WriteFileBytes(logs / "new.txt", "");
        std::filesystem::create_directories(cards);
        f.settings.Save("NameField", "Nickname");
        f.settings.Save("MaskOption", "3");
        f.settings.Save("NameLimit", "100");
        f.settings.Save("NumberLimit", "500");
        f.settings.Save("PMAfter", "True");
        f.settings.Save("LogPath", (logs / "SyncLog.txt").string());
        f.settings.Save("ContactsPath", (cards / "gone").string());
        f.Make();
        const auto before = f.settings.Values();
        auto* options = OpenOptions(f);
        OpenOptions(f);
        QCOMPARE(f.window->findChildren<QDialog*>(QStringLiteral("ChangeSettings")).size(), 1);
        QVERIFY(!options->isModal());
        QCOMPARE(Form(options), "Nickname|dashes|StartPMAfter|100|500|" +
                                    FromPath(logs / "SyncLog.txt") + "|" +
                                    FromPath(cards / "gone"));

        Type(options, "MaxNames", "300");
        Type(options, "MaxNumbers", "250");
        Click(options, "save");
        QCOMPARE(f.dialogs.messages, QStringList{ToQString(kNamesAboveNumbersMessage)});
        QVERIFY(options->isVisible());
        QVERIFY(f.settings.Values() == before);

        Type(options, "lgPath", "/typed/elsewhere.txt");
        Click(options, "BrowseLog");
        auto* browse = Child<gui::Browse>(options, "Browse");
        QCOMPARE(Text(options, "lgPath"), FromPath(logs));
        auto* files = Child<QListView>(browse, "brsFile");
        files->selectionModel()->select(
            qobject_cast<QFileSystemModel*>(files->model())->index(FromPath(logs / "new.txt")),
            QItemSelectionModel::ClearAndSelect);
        Click(browse, "OK");
        QCOMPARE(Text(options, "lgPath"), FromPath(logs / "new.txt"));
        Click(options, "BrowseContacts");
        Click(browse, "OK");

        Click(options, "none");
        Type(options, "MaxNames", "0");
        Type(options, "MaxNumbers", "0");
        Click(options, "StartPMAfter");
        QCOMPARE(Text(options, "DeleteShare") + "|" + Text(options, "DeleteMinimum") + "|" +
                     Text(options, "KeepBackups"),
                 "50|5|10");
        Type(options, "DeleteShare", "70");
        Click(options, "save");
        QVERIFY(!options->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        options = OpenOptions(f);
        QCOMPARE(Form(options),
                 "Nickname|none|0|250|" + FromPath(logs / "new.txt") + "|" + FromPath(cards));
        QCOMPARE(Text(options, "DeleteShare"), "70");

        Type(options, "MaxNames", "5");
        Click(options, "cancel");
        QVERIFY(!options->isVisible());
        QCOMPARE(f.settings.Values().at("NameLimit"), "0");
    }

    // Each button hands back its column as edited; closing hands back nothing.
    void ConflictResolvedFromTheDialog() {
        WindowFixture f;
        f.Make();
        const SyncObject outlook = Record("Lee, Ann", "1");
        SyncObject phoneBook = Record("Ann Lee", "2");
        f.dialogs.answers.push_back([](QDialog& dialog) {
            QCOMPARE(Text(&dialog, "olName") + "|" + Text(&dialog, "pbName"), "Lee, Ann|Ann Lee");
            Type(&dialog, "pbMobile", "5559876");
            Type(&dialog, "pbDCSpeed", "77");
            Click(&dialog, "KeepPhoneBook");
            QVERIFY(!dialog.isVisible());
        });
        f.dialogs.answers.push_back([](QDialog& dialog) { Click(&dialog, "KeepOutlook"); });
        const auto edited = f.runUi->ShowConflictDialog(outlook, phoneBook);
        const auto kept = f.runUi->ShowConflictDialog(outlook, phoneBook);
        QVERIFY(!f.runUi->ShowConflictDialog(outlook, phoneBook));
        phoneBook.SetNumber(NumberKind::Mobile, "5559876");
        phoneBook.SetSpeed(NumberKind::DirectConnect, "77");
        QVERIFY(edited && edited->side == ConflictSide::PhoneBook && edited->values == phoneBook);
        QVERIFY(kept && kept->side == ConflictSide::Outlook && kept->values == outlook);
    }

    // An empty name field is refused; a prompt closed without OK hands back nothing.
    void NamePromptRefusesThenAccepts() {
        WindowFixture f;
        f.Make();
        const NameValues proposed{"Ann", "Lee", "", "Lee, Ann"};
        f.dialogs.answers.push_back([&](QDialog& dialog) {
            QCOMPARE(QStringList({Text(&dialog, "NewFirst"), Text(&dialog, "NewLast"),
                                  Text(&dialog, "NewFull"), Text(&dialog, "NewFile")}),
                     QStringList({"Ann", "Lee", "", "Lee, Ann"}));
            Click(&dialog, "NameOK");
            QCOMPARE(f.dialogs.messages,
                     QStringList{QStringLiteral(
                         "The 'New File As' and 'New Full Name' fields must each have a value.")});
            QVERIFY(dialog.isVisible());
            Type(&dialog, "NewFull", "Ann Lee");
            Click(&dialog, "NameOK");
            QVERIFY(!dialog.isVisible());
        });
        f.dialogs.answers.push_back([](QDialog& dialog) { Click(&dialog, "NameOK"); });
        std::vector<std::optional<NameValues>> names;
        for (const char* field : {"Full Name", "File As", "File As"})
            names.push_back(f.runUi->ShowNamePrompt("Lee, Ann", proposed, field));
        QVERIFY(names == (std::vector<std::optional<NameValues>>{
                             NameValues{"Ann", "Lee", "Ann Lee", "Lee, Ann"}, proposed, {}}));
    }
};

}  // namespace velmora::test

VELMORA_QT_SUITE(velmora::test::DialogsTest)

#include "DialogsTest.moc"
