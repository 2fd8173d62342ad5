#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// Whole-file reading and writing for files other programs may read at any
// moment. Failures throw velmora::Error naming the file and the reason.

std::string ReadWholeFile(const std::filesystem::path& path);

// Whether a file written whole reaches the disk before it takes its place.
// A cache that checks itself when read can do without: a crash may then
// leave its previous version, or one that fails its check, and the flush
// costs a run that writes tens of milliseconds.
enum class Durability { Flushed, Cached };

// Writes the bytes to a temporary file in the same folder, flushes it to the
// disk (unless `Cached`) and renames it over `path`, so a reader sees the old
// file or the new one, never a part. An existing file's permissions are kept.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         Durability durability = Durability::Flushed);

}  // namespace velmora
