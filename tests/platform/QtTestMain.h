#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace velmora::test {

// The QtTest programs hold several suites; CTest runs each on its own
// (`program SuiteName [QtTest options]`), in folders of its own: before the
// application starts, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME point
// at a fresh temporary folder, so no test touches the person's real settings
// or data.
using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
bool RegisterSuite(const char* name, SuiteFactory make);

}  // namespace velmora::test

#define VELMORA_QT_SUITE(Class)                             \
    [[maybe_unused]] static const bool kRegistered##Class = \
        ::velmora::test::RegisterSuite(#Class, [] { return std::make_unique<Class>(); })
