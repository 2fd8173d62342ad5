#include "platform/QtTestMain.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace velmora::test {

int RunQtSuite(int argc, char* argv[], std::unique_ptr<QObject> (*makeSuite)()) {
    QTemporaryDir home;
    if (!home.isValid()) return 3;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString folder = home.filePath(QString::fromLatin1(variable));
        QDir().mkpath(folder);
        qputenv(variable, QFile::encodeName(folder));
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    const auto suite = makeSuite();
    return QTest::qExec(suite.get(), argc, argv);
}

}  // namespace velmora::test
