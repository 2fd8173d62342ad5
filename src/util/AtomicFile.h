#pragma once

#include <filesystem>
#ifdef _WIN32
#include <fstream>
#endif
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

// A file written in parts to a temporary file in the same folder, which
// Commit flushes to the disk (unless `Cached`) and renames over `path`, so a
// reader sees the old file or the new one, never a part. An existing file's
// permissions are kept. Left uncommitted, the temporary file is removed.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::filesystem::path path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    void Append(std::string_view bytes);
    void Commit(Durability durability = Durability::Flushed);

  private:
    void Close();

    std::filesystem::path path_;
    std::filesystem::path temporary_;
#ifdef _WIN32
    std::ofstream out_;
#else
    int fd_ = -1;
#endif
    bool committed_ = false;
};

// A hidden, random name beside `path` (a path with "/" or a bare name):
// ".<name>.<random hex><suffix>" in the same folder, for a file of ours
// that a killed run may leave behind.
std::string HiddenNameBeside(const std::string& path, std::string_view suffix);

// The whole file at once.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         Durability durability = Durability::Flushed);

}  // namespace velmora
