#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// What a file was when it was read: enough to tell cheaply whether another
// program has replaced or changed it since.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    // When the file's inode last changed (ctime): no program can set it, so
    // a file whose stamp and ctime are as recorded is the file recorded.
    std::int64_t changedNs = 0;
    std::size_t contentHash = 0;  // of the bytes read

    bool SameFileAs(const FileStamp& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs;
    }
};

struct FileRead {
    std::string bytes;
    FileStamp stamp;
};

// Reads a whole file and what it was at that moment; throws velmora::Error
// naming the file.
FileRead ReadFileWithStamp(const std::filesystem::path& path);
// The same for a file of an open folder, named within it; `path` names it in
// messages.
FileRead ReadFileWithStamp(int folder, const char* name, const std::filesystem::path& path);

// The stamp of a file without reading it (no content hash); nullopt when it
// cannot be looked at.
std::optional<FileStamp> StampWithoutReading(const std::filesystem::path& path);

// The same for a file of an open folder, named within it: no path to walk.
std::optional<FileStamp> StampWithoutReading(int folder, const char* name);

// The stamp of an entry of an open folder as it is, a link not followed:
// nullopt for anything but a regular file.
std::optional<FileStamp> StampOfEntry(int folder, const char* name);

// The hash a stamp keeps of a file's bytes.
std::size_t ContentHash(std::string_view bytes);

// One change of a batch: a file replaced by new bytes, created (never over a
// file of that name), or removed. Replacing and removing need the stamp of
// the file as it was read: a file that changed since is left alone.
struct FileChange {
    enum class Kind { Replace, Create, Remove };
    Kind kind = Kind::Replace;
    // As plain text: a first run changes thousands of files, and a path
    // object, split into its components, would cost more than the file's text.
    std::string path;
    std::string bytes;
    FileStamp expected;
};

struct FileOutcome {
    std::optional<std::string> failure;  // why the change was not made
    FileStamp stamp;                     // of the file now there (replaced or created)
};

// Makes the changes of a folder's files together: every new text is written
// to a temporary file first, all of them reach the disk (a few by a flush
// each, many by one flush of their file system), then each is swapped in, and the folder is flushed
// once. A reader sees each file old or new, never a part, and a crash at any moment leaves each
// file old or new.
//
// Another program's change is never overwritten: a file whose stamp (and,
// where that differs, content) is not what was read is refused, and the
// check is closed against a change made at the last moment by exchanging
// the files atomically and putting theirs back if what was swapped out is
// not what was read. A file that cannot be written (read-only, a dangling
// link) is refused with the reason; a symbolic link is written through.
// Temporary files are hidden (".<name>.<hex>.tmp") and removed whatever
// happens. One outcome per change, in order.
std::vector<FileOutcome> ApplyFileChanges(const std::vector<FileChange>& changes);

// How many file changes a store of many files makes at a time: the new
// texts of a batch are held until it is stored, and each batch is flushed
// in one go.
inline constexpr std::size_t kFilesPerBatch = 4096;

// What ApplyFileChanges would refuse, found without writing anything: a
// file changed or removed since it was read, one read-only or a link to
// nothing, a name taken by another file. What only writing finds (a full
// disk) is not found. One outcome per change, in order, without a stamp.
std::vector<FileOutcome> CheckFileChanges(const std::vector<FileChange>& changes);

// ApplyFileChanges in its three steps, so that a save of many files can
// write the next batch's temporary files while this batch's flush waits on
// the disk. Made, it has checked each change and written its temporary file
// (and flushed it, in a batch small enough to flush file by file); Flush
// brings the rest to the disk and may run on a thread of its own; Finish
// swaps each file in and flushes the folder. The changes must outlive it,
// but once made it no longer needs their bytes. Left unfinished, it removes
// its temporary files.
class PreparedFileChanges {
  public:
    explicit PreparedFileChanges(const std::vector<FileChange>& changes);
    ~PreparedFileChanges();

    bool AwaitsFlush() const;
    void Flush();
    std::vector<FileOutcome> Finish();  // one outcome per change, in order

  private:
    struct Steps;
    std::unique_ptr<Steps> steps_;
};

// Removes hidden temporary files of ours that a killed run left in the folder.
void RemoveLeftoverTemporaryFiles(const std::filesystem::path& folder);

}  // namespace velmora
