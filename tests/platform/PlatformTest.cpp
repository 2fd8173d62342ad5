#include <QDir>
#include <QFile>
#include <QtTest>

#include "model/Error.h"
#include "platform/ProgramFolder.h"
#include "platform/QtProcessPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtTestMain.h"
#include "platform/QtText.h"
#include "support/TempDir.h"

namespace velmora::test {

namespace {

QString ConfigFile() {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Velmora/Velmora.conf");
}

template <typename Act>
QString ErrorOf(Act act) {
    try {
        act();
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

}  // namespace

class PlatformTest : public QObject {
    Q_OBJECT

  private slots:
    // Settings are plain text in the configuration folder and read back exactly.
    void SettingsAreSavedAndReadBack() {
        QtSettingsStore store;
        store.Save("PMBefore", BooleanText(false));
        QFile file(ConfigFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Settings]\nPMBefore=False\n"));
        file.close();

        const std::vector<std::string> values{"/home/me/Data, old/PhoneBook.db",
                                              "C:\\Data\\x;y#z=1", "/home/zoë/Köln/€.db", ""};
        for (std::size_t i = 0; i < values.size(); ++i)
            store.Save("Key" + std::to_string(i), values[i]);
        QtSettingsStore other;
        for (std::size_t i = 0; i < values.size(); ++i)
            QCOMPARE(other.Read("Key" + std::to_string(i)), std::optional<std::string>(values[i]));
        QCOMPARE(other.Read("NeverSaved"), std::optional<std::string>());

        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\nLogPath=/data/a,b/SyncLog.txt\n");
        file.close();
        QCOMPARE(QtSettingsStore().Read("LogPath"),
                 std::optional<std::string>("/data/a,b/SyncLog.txt"));

        QVERIFY(QFile::remove(ConfigFile()) && QDir().mkpath(ConfigFile()));
        const QString message = ErrorOf([] { QtSettingsStore().Save("NameLimit", "1"); });
        QVERIFY2(message.contains(ConfigFile()), qPrintable(message));
        QDir(ConfigFile()).removeRecursively();
    }

    // The program folder is made in the data folder, or named in an error.
    void ProgramFolderIsMadeInTheUsersDataFolder() {
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        const QString expected = QString::fromUtf8(data) + QStringLiteral("/Velmora");
        QDir(expected).removeRecursively();
        QCOMPARE(FromPath(ProgramFolder()), expected);
        QVERIFY(QFileInfo(expected).isDir());

        const QString blocker = QString::fromUtf8(data) + QStringLiteral("/blocker");
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
        const QString message = ErrorOf([] { ProgramFolder(); });
        qputenv("XDG_DATA_HOME", data);
        QVERIFY2(message.contains(blocker + QStringLiteral("/Velmora")), qPrintable(message));
    }

    // Arguments reach a program as they are; one that cannot start is named.
    void StartsProgramsOrSaysWhyNot() {
        TempDir dir;
        const auto out = dir / "out.txt";
        const auto program = dir / "my manager" / "run.sh";
        WriteFileBytes(program, "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$2\" > \"$3\"\n");
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        QtProcessPort processes;
        auto started = processes.Start({program, {"two words", "it's $HOME", out.string()}});
        while (started->WaitForEnd(std::chrono::milliseconds(60000)) == WaitOutcome::StillRunning) {
        }
        QCOMPARE(ReadFileBytes(out), std::string("two words|it's $HOME"));
        QVERIFY(processes.FindOnPath("sh").has_value());
        QVERIFY(!processes.FindOnPath("velmora-no-such-program").has_value());

        WriteFileBytes(dir / "plain.sh", "not a program");
        for (const auto& bad : {dir / "absent", dir / "plain.sh"}) {
            const QString waited = ErrorOf([&] { processes.Start({bad, {}}); });
            const QString detached = ErrorOf([&] { processes.StartDetached({bad, {}}); });
            QVERIFY2(waited.contains(FromPath(bad)), qPrintable(waited));
            QVERIFY2(detached.contains(FromPath(bad)), qPrintable(detached));
        }
    }
};

}  // namespace velmora::test

VELMORA_QT_SUITE(velmora::test::PlatformTest)

#include "PlatformTest.moc"
