#include <gmock/gmock.h>

#include "model/Error.h"
#include "run/ActivityLog.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::ReadFileBytes;
using test::TempDir;

// The header's five lines, CR LF endings, UTF-8 text, lines appended later.
TEST(ActivityLog, HeaderAndLineEndings) {
    TempDir dir;
    const auto path = dir / "Data" / "SyncLog.txt";  // the folder is made on demand
    ActivityLog log = ActivityLog::Create(path);
    WriteLogHeader(log, "Status: Synchronization in progress . . .");
    log.Close();
    ActivityLog::OpenForAppend(path).WriteLine("... Zoë Øster has been added.");
    EXPECT_EQ(ReadFileBytes(path),
              "Velmora, version: 0.0.4\r\n"
              "Copyright © 2026 The Velmora developers\r\n"
              "Activity Log\r\n"
              "\r\n"
              "Status: Synchronization in progress . . .\r\n"
              "... Zoë Øster has been added.\r\n");
}

// A log that cannot be opened is an error that names it, and so is a write
// after closing.
TEST(ActivityLog, UnwritablePathIsAnErrorNamingIt) {
    TempDir dir;
    test::WriteFileBytes(dir / "file", "x");
    const auto path = dir / "file" / "SyncLog.txt";  // a file stands where a folder should
    EXPECT_THAT([&] { ActivityLog::Create(path); },
                ::testing::ThrowsMessage<Error>(::testing::HasSubstr(path.string())));
    ActivityLog log = ActivityLog::Create(dir / "ok.txt");
    log.Close();
    EXPECT_THROW(log.WriteLine("after close"), Error);
}

}  // namespace
}  // namespace velmora
