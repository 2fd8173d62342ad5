#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// Whole-file reading and writing for files other programs may read at any
// moment. Failures throw velmora::Error naming the file and the reason.

std::string ReadWholeFile(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the same folder, flushes it to the
// disk and renames it over `path`, so a reader sees the old file or the new
// one, never a part. An existing file's permissions are kept. With
// `mustBeNew`, a file that already exists at `path` is an error.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         bool mustBeNew = false);

}  // namespace velmora
