#include <QDir>
#include <QFile>
#include <QtTest>

#include "model/Error.h"
#include "platform/ProgramFolder.h"
#include "platform/QtTestMain.h"
#include "platform/QtText.h"

namespace velmora {

class ProgramFolderTest : public QObject {
    Q_OBJECT

  private slots:
    // The program folder is "Velmora" in the user's data folder, made when
    // it is missing; asking again gives the same folder.
    void IsMadeInTheUsersDataFolder() {
        const QString expected = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Velmora");
        QDir(expected).removeRecursively();
        QCOMPARE(FromPath(ProgramFolder()), expected);
        QVERIFY(QFileInfo(expected).isDir());
        QCOMPARE(FromPath(ProgramFolder()), expected);
    }

    // A data folder that cannot hold the program folder (a file is in the
    // way) is an error naming the folder.
    void ReportsAFolderThatCannotBeMade() {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        const QString blocker = QString::fromUtf8(saved) + QStringLiteral("/blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
        QString message;
        try {
            ProgramFolder();
        } catch (const Error& error) {
            message = QString::fromUtf8(error.what());
        }
        qputenv("XDG_DATA_HOME", saved);
        QVERIFY2(message.contains(blocker + QStringLiteral("/Velmora")), qPrintable(message));
    }
};

VELMORA_QT_SUITE(ProgramFolderTest);

}  // namespace velmora

#include "ProgramFolderTest.moc"
