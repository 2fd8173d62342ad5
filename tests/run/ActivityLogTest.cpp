#include <gtest/gtest.h>

#include "model/Error.h"
#include "run/ActivityLog.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

// The header, CR LF endings and appended lines; a write after closing is an error.
TEST(ActivityLog, HeaderAndLineEndings) {
    test::TempDir dir;
    const auto path = dir / "Data" / "SyncLog.txt";  // the folder is made on demand
    ActivityLog log = ActivityLog::Create(path);
    WriteLogHeader(log, "Status: Synchronization in progress . . .");
    log.Close();
    EXPECT_THROW(log.WriteLine("after close"), Error);
    ActivityLog::OpenForAppend(path).WriteLine("... Zoë Øster has been added.");
    EXPECT_EQ(test::ReadFileBytes(path), "Velmora, version: " VELMORA_PROJECT_VERSION
                                         "\r\n"
                                         "Copyright © 2026 The Velmora developers\r\n"
                                         "Activity Log\r\n"
                                         "\r\n"
                                         "Status: Synchronization in progress . . .\r\n"
                                         "... Zoë Øster has been added.\r\n");
}

}  // namespace
}  // namespace velmora
