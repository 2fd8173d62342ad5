#include <filesystem>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "util/AtomicFile.h"

namespace velmora {
namespace {

std::size_t FilesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

// A file written in parts takes its place whole on commit, and only then; a
// writer given up half-way leaves the old file as it was and no temporary one.
TEST(AtomicFileWriter, ReplacesTheFileOnlyWhenCommitted) {
    test::TempDir dir;
    const std::filesystem::path file = dir / "data.txt";
    test::WriteFileBytes(file, "old");
    try {
        AtomicFileWriter out(file);
        out.Append("half of ");
        EXPECT_EQ(test::ReadFileBytes(file), "old");
        throw std::runtime_error("given up");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(test::ReadFileBytes(file), "old");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);

    {
        AtomicFileWriter out(file);
        out.Append("new ");
        out.Append("text");
        out.Commit(Durability::Cached);
    }
    EXPECT_EQ(test::ReadFileBytes(file), "new text");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
}

}  // namespace
}  // namespace velmora
