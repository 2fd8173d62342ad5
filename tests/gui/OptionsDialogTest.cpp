#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QtTest>

#include "gui/Browse.h"
#include "gui/GuiTestSupport.h"
#include "platform/QtTestMain.h"

namespace velmora {

using test::Child;
using test::WindowFixture;

namespace {

QDialog* OpenOptions(WindowFixture& f) {
    Child<QAction>(&f.Window(), "Settings")->trigger();
    return Child<QDialog>(&f.Window(), "ChangeSettings");
}

void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

void Click(QWidget* parent, const char* name) {
    QTest::mouseClick(Child<QAbstractButton>(parent, name), Qt::LeftButton);
}

// The text a label, frame or button shows.
QString CaptionOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    return QStringLiteral("<not a captioned widget>");
}

// Selects a file of the Browse dialog's file list as a click would.
QModelIndex SelectFile(QDialog* browse, const std::filesystem::path& file) {
    auto* files = Child<QListView>(browse, "brsFile");
    auto* model = qobject_cast<QFileSystemModel*>(files->model());
    const QModelIndex index = model->index(FromPath(file));
    files->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    return index;
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    // Every control is there with its caption, and shows the settings in
    // force; the dialog does not block the window, and asking again brings
    // the same dialog forward.
    void ShowsEverySettingWithItsCaption() {
        WindowFixture f;
        f.settings.Save("NameField", "Full Name");
        f.settings.Save("MaskOption", "3");
        f.settings.Save("NameLimit", "100");
        f.settings.Save("NumberLimit", "500");
        f.settings.Save("PMAfter", "True");
        f.settings.Save("LogPath", "/var/velmora/SyncLog.txt");
        f.Make();
        auto* options = OpenOptions(f);
        OpenOptions(f);
        QCOMPARE(f.Window().findChildren<QDialog*>(QStringLiteral("ChangeSettings")).size(), 1);
        QVERIFY(options->isVisible());
        QVERIFY(!options->isModal());
        QCOMPARE(options->windowTitle(), QStringLiteral("Options"));

        // Labels, frames and buttons, by name.
        const std::vector<std::pair<const char*, const char*>> captions{
            {"lbNameField", "Outlook name field to match with the PhoneBook:"},
            {"PhoneCapacity", "Phone capacity:"},
            {"lbMaxNumbers", "Capacity for numbers:"},
            {"lbMaxNames", "Capacity for names:"},
            {"StartPhoneBook", "Start the PhoneBook Manager:"},
            {"StartPMBefore", "Before each synchronization"},
            {"StartPMAfter", "After each synchronization"},
            {"PhoneMask", "Phone number masking for Outlook:"},
            {"none", "None: nnnnnnnnnn"},
            {"parenth", "(nnn) nnn-nnnn"},
            {"dashes", "nnn-nnn-nnnn"},
            {"dots", "nnn.nnn.nnnn"},
            {"Files", "Files"},
            {"lblogpath", "Full path and name for the log file:"},
            {"lbSyncPath", "Full path and name for the Sync database:"},
            {"lbPBPath", "Full path and name for the iDEN PhoneBook database:"},
            {"lbContactsPath", "Folder of the address book (vCard files):"},
            {"BrowseLog", "..."},
            {"BrowseSync", "..."},
            {"BrowsePhoneBook", "..."},
            {"BrowseContacts", "..."},
            {"save", "Save"},
            {"cancel", "Cancel"},
        };
        for (const auto& [name, caption] : captions)
            QCOMPARE(CaptionOf(Child<QWidget>(options, name)), QString::fromUtf8(caption));

        auto* nameField = Child<QComboBox>(options, "olNameField");
        QCOMPARE(nameField->currentText(), QStringLiteral("Full Name"));
        QCOMPARE(nameField->count(), 2);
        QVERIFY(Child<QRadioButton>(options, "dashes")->isChecked());
        QCOMPARE(Child<QLineEdit>(options, "MaxNames")->text(), QStringLiteral("100"));
        QCOMPARE(Child<QLineEdit>(options, "MaxNumbers")->text(), QStringLiteral("500"));
        QVERIFY(!Child<QCheckBox>(options, "StartPMBefore")->isChecked());
        QVERIFY(Child<QCheckBox>(options, "StartPMAfter")->isChecked());
        QCOMPARE(Child<QLineEdit>(options, "lgPath")->text(),
                 QStringLiteral("/var/velmora/SyncLog.txt"));
        QCOMPARE(Child<QLineEdit>(options, "ctPath")->text(),
                 FromPath(f.dir / "Data" / "Contacts"));
        QVERIFY(Child<QPushButton>(&f.Window(), "Start")->isEnabled());
    }

    // Capacities that are not numbers, empty, too large, or names above
    // numbers are refused with their message; the dialog stays open with the
    // entries and nothing is saved.
    void RefusesCapacitiesThatDoNotFit() {
        WindowFixture f;
        f.Make();
        const auto before = f.settings.Values();
        auto* options = OpenOptions(f);
        const QString numeric =
            QStringLiteral("The quantities for the phone limitations must be numeric values.");
        const QString namesAbove = QStringLiteral(
            "The quantity limit for names cannot be greater than the quantity limit for numbers.");
        const std::vector<std::tuple<QString, QString, QString>> cases{
            {"300", "250", namesAbove}, {"25x", "250", numeric}, {"0", "25x", numeric},
            {"", "250", numeric},       {"0", "40000", numeric},
        };
        for (const auto& [names, numbers, message] : cases) {
            f.dialogs.messages.clear();
            Type(Child<QLineEdit>(options, "MaxNames"), names);
            Type(Child<QLineEdit>(options, "MaxNumbers"), numbers);
            Click(options, "save");
            QCOMPARE(f.dialogs.messages, QStringList{message});
            QVERIFY(options->isVisible());
            QCOMPARE(Child<QLineEdit>(options, "MaxNames")->text(), names);
        }
        QVERIFY(f.settings.Values() == before);
    }

    // Save writes the entries, closes, and the values are in force at once:
    // opened again, the dialog shows them as the loader repaired them (both
    // capacities 0 give 250 numbers). Cancel closes without saving.
    void SaveWritesAndReloadsCancelDoesNot() {
        WindowFixture f;
        f.Make();
        auto* options = OpenOptions(f);
        Child<QComboBox>(options, "olNameField")->setCurrentText(QStringLiteral("Full Name"));
        Click(options, "none");
        Type(Child<QLineEdit>(options, "MaxNames"), QStringLiteral("0"));
        Type(Child<QLineEdit>(options, "MaxNumbers"), QStringLiteral("0"));
        Click(options, "StartPMAfter");
        Type(Child<QLineEdit>(options, "lgPath"), QStringLiteral("/srv/log.txt"));
        Click(options, "save");

        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!options->isVisible());
        const auto& saved = f.settings.Values();
        QCOMPARE(saved.at("NameField"), std::string("Full Name"));
        QCOMPARE(saved.at("MaskOption"), std::string("1"));
        QCOMPARE(saved.at("NameLimit"), std::string("0"));
        QCOMPARE(saved.at("NumberLimit"), std::string("0"));
        QCOMPARE(saved.at("PMAfter"), std::string("True"));
        QCOMPARE(saved.at("LogPath"), std::string("/srv/log.txt"));
        QCOMPARE(saved.at("ManagerPath"), std::string());

        test::DeleteClosedWindows();
        options = OpenOptions(f);
        QCOMPARE(Child<QLineEdit>(options, "MaxNumbers")->text(), QStringLiteral("250"));
        QVERIFY(Child<QRadioButton>(options, "none")->isChecked());
        QCOMPARE(Child<QLineEdit>(options, "lgPath")->text(), QStringLiteral("/srv/log.txt"));

        Type(Child<QLineEdit>(options, "MaxNames"), QStringLiteral("5"));
        Click(options, "cancel");
        QVERIFY(!options->isVisible());
        QCOMPARE(f.settings.Values().at("NameLimit"), std::string("0"));
    }

    // Browsing for the log starts from the saved path, not from the field:
    // the field shows its folder, the lists open on its volume and folder;
    // choosing a file there puts its full path into the field, and Cancel
    // leaves the folder. The address book row chooses a folder.
    void BrowseChoosesAPath() {
        WindowFixture f;
        const auto logs = f.dir / "logs";
        const auto cards = f.dir / "cards";
        std::filesystem::create_directories(cards);
        test::WriteFileBytes(logs / "SyncLog.txt", "");
        test::WriteFileBytes(logs / "new.txt", "");
        test::WriteFileBytes(cards / "ann.vcf", "");
        f.settings.Save("LogPath", (logs / "SyncLog.txt").string());
        f.settings.Save("ContactsPath", cards.string());
        f.Make();
        auto* options = OpenOptions(f);
        auto* logField = Child<QLineEdit>(options, "lgPath");
        Type(logField, QStringLiteral("/typed/elsewhere.txt"));

        Click(options, "BrowseLog");
        auto* browse = Child<gui::Browse>(options, "Browse");
        QVERIFY(browse->isVisible());
        QCOMPARE(browse->windowTitle(), QStringLiteral("Log File"));
        QCOMPARE(logField->text(), FromPath(logs));
        QCOMPARE(browse->Folder(), FromPath(logs));
        QCOMPARE(Child<QComboBox>(browse, "BrsDrive")->currentData().toString(),
                 QStorageInfo(FromPath(logs)).rootPath());
        auto* folders = Child<QTreeView>(browse, "BrsDir");
        QCOMPARE(
            qobject_cast<QFileSystemModel*>(folders->model())->filePath(folders->currentIndex()),
            FromPath(logs));

        SelectFile(browse, logs / "new.txt");
        Click(browse, "OK");
        QVERIFY(!browse->isVisible());
        QCOMPARE(logField->text(), FromPath(logs / "new.txt"));

        Click(options, "BrowseLog");
        Click(browse, "CancelBrowse");
        QVERIFY(!browse->isVisible());
        QCOMPARE(logField->text(), FromPath(logs));

        // A click on a file in the list chooses it at once.
        Click(options, "BrowseSync");
        QCOMPARE(browse->windowTitle(), QStringLiteral("Sync Database"));
        folders->setCurrentIndex(
            qobject_cast<QFileSystemModel*>(folders->model())->index(FromPath(logs)));
        QCOMPARE(browse->Folder(), FromPath(logs));
        emit Child<QListView>(browse, "brsFile")->clicked(SelectFile(browse, logs / "SyncLog.txt"));
        QVERIFY(!browse->isVisible());
        QCOMPARE(Child<QLineEdit>(options, "SyPath")->text(), FromPath(logs / "SyncLog.txt"));

        Click(options, "BrowseContacts");
        QCOMPARE(browse->windowTitle(), QStringLiteral("Address Book Folder"));
        SelectFile(browse, cards / "ann.vcf");
        Click(browse, "OK");
        QCOMPARE(Child<QLineEdit>(options, "ctPath")->text(), FromPath(cards));
        QCOMPARE(logField->text(), FromPath(logs));
    }

    // A name field the list does not offer (typed into the settings file)
    // is shown and saved as it is.
    void KeepsANameFieldFromTheFile() {
        WindowFixture f;
        f.settings.Save("NameField", "Nickname");
        f.Make();
        auto* options = OpenOptions(f);
        QCOMPARE(Child<QComboBox>(options, "olNameField")->currentText(),
                 QStringLiteral("Nickname"));
        Click(options, "save");
        QCOMPARE(f.settings.Values().at("NameField"), std::string("Nickname"));
    }
};

VELMORA_QT_SUITE(OptionsDialogTest);

}  // namespace velmora

#include "OptionsDialogTest.moc"
