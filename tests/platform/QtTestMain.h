#pragma once

#include <QObject>
#include <memory>

namespace velmora::test {

// Runs a QtTest suite with the XDG folders in a fresh temporary folder.
int RunQtSuite(int argc, char* argv[], std::unique_ptr<QObject> (*makeSuite)());

}  // namespace velmora::test

#define VELMORA_QT_SUITE(Class)                                                                  \
    int main(int argc, char* argv[]) {                                                           \
        return ::velmora::test::RunQtSuite(                                                      \
            argc, argv, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); }); \
    }
