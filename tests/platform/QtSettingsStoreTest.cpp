#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>
#include <filesystem>

#include "model/Error.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtTestMain.h"
#include "platform/QtText.h"

namespace velmora {

class QtSettingsStoreTest : public QObject {
    Q_OBJECT

  private:
    static QString ConfigFile() {
        return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Velmora/Velmora.conf");
    }

    static QByteArray FileText() {
        QFile file(ConfigFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private slots:
    void init() {
        QFile::remove(ConfigFile());
        QDir(ConfigFile()).removeRecursively();
    }

    // The values live in the user's configuration folder, group [Settings],
    // as plain text: booleans as the words True and False.
    void WritesTheUsersSettingsFile() {
        QtSettingsStore store;
        QCOMPARE(store.FileName(), ConfigFile());
        store.Save("PMBefore", BooleanText(false));
        store.Save("NameLimit", "300");
        const QByteArray text = FileText();
        QVERIFY2(text.startsWith("[Settings]\n"), text.constData());
        QVERIFY(text.contains("PMBefore=False\n"));
        QVERIFY(text.contains("NameLimit=300\n"));
    }

    // What is saved reads back as the same text, also with commas,
    // backslashes, characters beyond ASCII and nothing at all; a key never
    // saved is absent; another store object (the other front end) sees it.
    void ReadsBackWhatWasSaved() {
        QtSettingsStore store;
        const std::vector<std::string> values{"/home/me/Data, old/PhoneBook.db",
                                              "C:\\Data\\x;y#z=1", "/home/zoë/Köln/€.db", ""};
        for (std::size_t i = 0; i < values.size(); ++i)
            store.Save("Key" + std::to_string(i), values[i]);
        QtSettingsStore other;
        for (std::size_t i = 0; i < values.size(); ++i)
            QCOMPARE(other.Read("Key" + std::to_string(i)), std::optional<std::string>(values[i]));
        QCOMPARE(other.Read("NeverSaved"), std::optional<std::string>());
    }

    // A value typed into the file by hand with a comma and no quotes is still
    // the one text that was typed; the loader takes the words True and False
    // in any case.
    void ReadsHandEditedValues() {
        QDir().mkpath(QFileInfo(ConfigFile()).path());
        QFile file(ConfigFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\nLogPath=/data/a,b/SyncLog.txt\nPMAfter=false\nNameLimit=12\n");
        file.close();

        QtSettingsStore store;
        QCOMPARE(store.Read("LogPath"), std::optional<std::string>("/data/a,b/SyncLog.txt"));
        const Settings settings = LoadSettings(store, "/prog");
        QCOMPARE(settings.LogPath, std::filesystem::path("/data/a,b/SyncLog.txt"));
        QVERIFY(!settings.PMAfter);
        QCOMPARE(settings.NameLimit, 12);
    }

    // A settings file that cannot be written is an error naming the file,
    // not a save that silently did not happen.
    void ReportsAFileThatCannotBeWritten() {
        QVERIFY(QDir().mkpath(ConfigFile()));  // a folder where the file should be
        QtSettingsStore store;
        try {
            store.Save("NameLimit", "1");
            QFAIL("saving into a folder did not fail");
        } catch (const Error& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(ConfigFile()), error.what());
        }
    }
};

VELMORA_QT_SUITE(QtSettingsStoreTest);

}  // namespace velmora

#include "QtSettingsStoreTest.moc"
