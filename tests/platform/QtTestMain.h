#pragma once

#include <QObject>
#include <memory>

namespace velmora::test {

// Runs one QtTest suite (`program [QtTest options]`) in folders of its own:
// before the application starts, XDG_CONFIG_HOME, XDG_DATA_HOME and
// XDG_CACHE_HOME point at a fresh temporary folder, so no test touches the
// person's real settings or data.
int RunQtSuite(int argc, char* argv[], std::unique_ptr<QObject> (*makeSuite)());

}  // namespace velmora::test

// The main() of a QtTest program holding the suite `Class`.
#define VELMORA_QT_SUITE(Class)                                                                  \
    int main(int argc, char* argv[]) {                                                           \
        return ::velmora::test::RunQtSuite(                                                      \
            argc, argv, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); }); \
    }
