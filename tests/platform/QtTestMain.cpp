#include "platform/QtTestMain.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace velmora::test {

namespace {

std::map<std::string, SuiteFactory>& Suites() {
    static std::map<std::string, SuiteFactory> suites;
    return suites;
}

}  // namespace

bool RegisterSuite(const char* name, SuiteFactory make) {
    Suites()[name] = std::move(make);
    return true;
}

}  // namespace velmora::test

int main(int argc, char* argv[]) {
    auto& suites = velmora::test::Suites();
    if (argc < 2 || suites.find(argv[1]) == suites.end()) {
        std::fprintf(stderr, "usage: %s SUITE [QtTest options]\n", argv[0]);
        return 2;
    }

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
    const auto suite = suites[argv[1]]();
    std::vector<char*> arguments{argv[0]};
    for (int i = 2; i < argc; ++i)
        arguments.push_back(argv[i]);
    return QTest::qExec(suite.get(), static_cast<int>(arguments.size()), arguments.data());
}
