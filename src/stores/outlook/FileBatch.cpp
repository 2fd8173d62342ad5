#include "stores/outlook/FileBatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/Error.h"
#include "model/Text.h"
#include "util/AtomicFile.h"
#include "util/Parallel.h"

namespace velmora {

namespace {

std::string Reason(int error) {
    return error != 0 ? std::string(std::strerror(error)) : std::string("unknown error");
}

FileStamp StampOf(const struct stat& status) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(status.st_dev);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    stamp.size = static_cast<std::uint64_t>(status.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                       static_cast<std::int64_t>(status.st_mtim.tv_nsec);
    stamp.changedNs = static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 +
                      static_cast<std::int64_t>(status.st_ctim.tv_nsec);
    return stamp;
}

// Reads from an open descriptor to its end.
bool ReadAll(int fd, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// Whether the file at `path` (whose status, when known, is `status`) is still
// the one read: by its stamp, and where that differs (a program that rewrote
// the same bytes), by its content.
bool StillAsRead(int folder, const char* name, const FileStamp& expected,
                 const struct stat* known = nullptr) {
    struct stat status {};
    if (known != nullptr) {
        status = *known;
    } else if (::fstatat(folder, name, &status, 0) != 0) {
        return false;
    }
    if (StampOf(status).SameFileAs(expected)) return true;
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string bytes;
    const bool read = ReadAll(fd, bytes);
    ::close(fd);
    return read && bytes.size() == expected.size && ContentHash(bytes) == expected.contentHash;
}

mode_t ProcessUmask() {
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return mask;
}

// Paths of a batch are kept as plain text: a std::filesystem::path holds a
// list of its parts too, which for thousands of cards costs megabytes.
// Where the file's own name begins in a path (0: it is all name).
std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string FolderOf(std::string_view path) {
    const std::size_t start = NameStart(path);
    return start == 0 ? std::string(".") : std::string(path.substr(0, start));
}

bool Exchange(int folder, const char* a, const char* b) {
#ifdef RENAME_EXCHANGE
    return ::renameat2(folder, a, folder, b, RENAME_EXCHANGE) == 0;
#else
    errno = ENOSYS;
    return false;
#endif
}

// One change as it goes through the batch. Its file is named within its
// folder, opened once for the batch: each call then looks up one name rather
// than walk the whole path from the root, and a first run makes about ten
// calls for each of thousands of files.
struct Step {
    const FileChange* change = nullptr;
    int folder = AT_FDCWD;     // the change's folder, or AT_FDCWD should it not open
    std::uint32_t nameAt = 0;  // where the change's path names its file within `folder`
    const char* Name() const { return change->path.c_str() + nameAt; }
    // The file a link at the path points to, by its whole path; "" where the
    // path is the file (nearly always: a batch holds thousands of steps).
    std::string linkTarget;
    int TargetFolder() const { return linkTarget.empty() ? folder : AT_FDCWD; }
    const char* TargetName() const { return linkTarget.empty() ? Name() : linkTarget.c_str(); }
    std::string temporary;  // within TargetFolder()
    int fd = -1;            // the temporary file, open until it is flushed
    FileOutcome outcome;
    bool Failed() const { return outcome.failure.has_value(); }
    void Fail(const std::string& why) {
        outcome.failure = "The contact file " + change->path + " was not written: " + why + ".";
    }
};

void RemoveTemporary(Step& step) {
    if (!step.temporary.empty()) ::unlinkat(step.TargetFolder(), step.temporary.c_str(), 0);
    step.temporary.clear();
}

// Where the change goes, and whether it may go there at all. One look at
// the name tells whether it is a link: a first run checks thousands.
void Check(Step& step, mode_t& mode) {
    const FileChange& change = *step.change;
    struct stat status {};
    bool found = ::fstatat(step.folder, step.Name(), &status, AT_SYMLINK_NOFOLLOW) == 0;
    if (change.kind == FileChange::Kind::Create) {
        // Anything of that name, a link included, is not ours to replace.
        if (found) step.Fail("a file of that name exists already");
        mode = 0666;
        return;
    }
    if (found && S_ISLNK(status.st_mode)) {
        // A link is written through; removed, the link goes and what it
        // points to (perhaps outside the folder) stays. Either way the file
        // it points to is the one that was read.
        if (change.kind != FileChange::Kind::Remove) {
            std::error_code error;
            step.linkTarget = std::filesystem::canonical(change.path, error).native();
            if (error) return step.Fail("it is a link to a file that cannot be reached");
        }
        found = ::fstatat(step.folder, step.Name(), &status, 0) == 0;
    }
    if (!found) return step.Fail("it was removed by another program after it was read");
    if (!StillAsRead(step.TargetFolder(), step.TargetName(), change.expected, &status)) {
        return step.Fail(
            "it was changed by another program after it was read, and that change is kept. "
            "Please run the synchronization again");
    }
    // The person's own protection counts even where the system would let us.
    if ((status.st_mode & S_IWUSR) == 0) return step.Fail("it is read-only");
    mode = status.st_mode & 07777;
}

// Writes the new text to a temporary file beside the target, left open for
// its flush when `keepOpen`.
void WriteTemporary(Step& step, mode_t mode, bool keepOpen) {
    step.temporary = HiddenNameBeside(step.TargetName(), ".tmp");
    const int fd = ::openat(step.TargetFolder(), step.temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return step.Fail(Reason(errno));
    const std::string& bytes = step.change->bytes;
    std::size_t written = 0;
    int error = 0;
    while (written < bytes.size() && error == 0) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
        } else {
            written += static_cast<std::size_t>(n);
        }
    }
    // A replaced file keeps the mode the person gave the old one, also where
    // the umask would take bits away; a new one gets what the umask leaves.
    const bool replacing = step.change->kind == FileChange::Kind::Replace;
    if (error == 0 && replacing && (mode & ~ProcessUmask()) != mode && ::fchmod(fd, mode) != 0) {
        error = errno;
    }
    // Renaming keeps what the stamp compares (device, inode, size, mtime).
    struct stat status {};
    if (error == 0 && ::fstat(fd, &status) == 0) step.outcome.stamp = StampOf(status);
#ifdef SYNC_FILE_RANGE_WRITE
    // The disk starts on it now, while the next files are written.
    if (error == 0 && keepOpen) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    if (!keepOpen && ::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
        if (keepOpen) ::close(fd);
        RemoveTemporary(step);
        return step.Fail(Reason(error));
    }
    if (keepOpen) step.fd = fd;
}

// Up to this many files (a phone's worth of contacts), each is flushed on its
// own, a few at a time: a flush of their whole file system would also wait
// for whatever other programs have written, seconds on a busy disk. More are
// flushed with their file system in one go, which then costs less than a
// flush per file.
constexpr std::size_t kFlushEachUpTo = 1000;
// Temporary files open at once, waiting for their flush: far below any
// process's limit of open files.
constexpr std::size_t kOpenAtOnce = 128;
// Flushes in flight at once: the file system commits flushes that wait
// together in one go.
constexpr std::size_t kFlushesAtOnce = 8;

// Flushes and closes the step's open temporary file; 0 or why it failed.
int FlushTemporary(Step& step) {
    int error = ::fdatasync(step.fd) == 0 ? 0 : errno;
    if (::close(step.fd) != 0 && error == 0) error = errno;
    step.fd = -1;
    return error;
}

// The steps' open temporary files, on the disk: their writing was started as
// each was written, so the flushes mostly wait for each other.
void FlushTemporaries(std::span<Step> steps) {
    std::vector<int> errors(steps.size(), 0);
    InParallel(
        steps.size(), 1, 2,
        [&](std::size_t i) {
            if (steps[i].fd >= 0) errors[i] = FlushTemporary(steps[i]);
        },
        kFlushesAtOnce);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (errors[i] == 0) continue;
        RemoveTemporary(steps[i]);
        steps[i].Fail(Reason(errors[i]));
    }
}

// The folder of a step's file, open: the batch's own, or for a link's target
// one opened here and closed when it goes.
class FolderOfStep {
  public:
    FolderOfStep(const Step& step, const char* file)
        : fd_(step.TargetFolder()), own_(fd_ == AT_FDCWD) {
        if (own_) fd_ = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    FolderOfStep(const FolderOfStep&) = delete;
    FolderOfStep& operator=(const FolderOfStep&) = delete;
    ~FolderOfStep() {
        if (own_ && fd_ >= 0) ::close(fd_);
    }
    int fd() const { return fd_; }

  private:
    int fd_;
    bool own_;
};

// Calls `use` once with each open folder (or -1) of the files that `fileOf`
// names for the steps (nullptr for none), until it returns false.
template <typename FileOf, typename Use>
void ForEachFolder(const std::vector<Step>& steps, const FileOf& fileOf, const Use& use) {
    std::set<int> batchFolders;
    std::set<std::string> linkFolders;
    for (const Step& step : steps) {
        const char* file = fileOf(step);
        if (file == nullptr) continue;
        const bool added = step.TargetFolder() == AT_FDCWD
                               ? linkFolders.insert(FolderOf(file)).second
                               : batchFolders.insert(step.TargetFolder()).second;
        if (!added) continue;
        const FolderOfStep folder(step, file);
        if (!use(folder.fd())) return;
    }
}

const char* TemporaryOf(const Step& step) {
    return step.temporary.empty() ? nullptr : step.temporary.c_str();
}

// Every temporary file on the disk in one go: one syncfs per file system
// where there is one, else a flush of each. A temporary file lies in its
// target's folder, so each folder is looked at once.
void FlushTemporariesTogether(std::vector<Step>& steps) {
#ifdef __linux__
    std::set<dev_t> flushed;
    bool done = true;
    ForEachFolder(steps, TemporaryOf, [&](int folder) {
        struct stat status {};
        done = folder >= 0 && ::fstat(folder, &status) == 0 &&
               (flushed.contains(status.st_dev) || ::syncfs(folder) == 0);
        if (done) flushed.insert(status.st_dev);
        return done;
    });
    if (done) return;
#endif
    for (std::size_t start = 0; start < steps.size(); start += kOpenAtOnce) {
        const auto chunk =
            std::span(steps).subspan(start, std::min(kOpenAtOnce, steps.size() - start));
        for (Step& step : chunk) {
            if (step.temporary.empty()) continue;
            step.fd = ::openat(step.TargetFolder(), step.temporary.c_str(), O_RDONLY | O_CLOEXEC);
            if (step.fd >= 0) continue;
            step.Fail(Reason(errno));
            RemoveTemporary(step);
        }
        FlushTemporaries(chunk);
    }
}

void SwapIn(Step& step) {
    const FileChange& change = *step.change;
    const int folder = step.TargetFolder();
    const char* temporary = step.temporary.c_str();
    if (change.kind == FileChange::Kind::Create) {
        // Never over a file that appeared meanwhile.
#ifdef RENAME_NOREPLACE
        if (::renameat2(folder, temporary, folder, step.TargetName(), RENAME_NOREPLACE) == 0) {
            step.temporary.clear();
            return;
        }
        if (errno == EEXIST) return step.Fail("a file of that name appeared meanwhile");
#endif
        if (::linkat(folder, temporary, folder, step.TargetName(), 0) != 0) {
            step.Fail(errno == EEXIST ? "a file of that name appeared meanwhile" : Reason(errno));
        }
        return;
    }
    if (Exchange(folder, temporary, step.TargetName())) {
        // What came out must be the file we read, or theirs goes back.
        if (!StillAsRead(folder, temporary, change.expected)) {
            Exchange(folder, temporary, step.TargetName());
            step.Fail(
                "it was changed by another program while it was being written, and that "
                "change is kept. Please run the synchronization again");
        }
        return;
    }
    // A file system without exchange: the check as late as it can be.
    if (!StillAsRead(folder, step.TargetName(), change.expected)) {
        return step.Fail("it was changed by another program after it was read");
    }
    if (::renameat(folder, temporary, folder, step.TargetName()) != 0) step.Fail(Reason(errno));
    step.temporary.clear();
}

void RemoveFile(Step& step) {
    const int folder = step.TargetFolder();
    const std::string aside = HiddenNameBeside(step.TargetName(), ".del");
    if (::renameat(folder, step.TargetName(), folder, aside.c_str()) != 0)
        return step.Fail(Reason(errno));
    if (!StillAsRead(folder, aside.c_str(), step.change->expected)) {
        if (::linkat(folder, aside.c_str(), folder, step.TargetName(), 0) == 0)
            ::unlinkat(folder, aside.c_str(), 0);
        return step.Fail(
            "it was changed by another program after it was read, and that change is kept");
    }
    ::unlinkat(folder, aside.c_str(), 0);
}

// Steps are independent of each other, so a large batch is worked through
// by two threads. On a virtual machine each of the system's calls costs far
// more than the disk: a first run of ten thousand cards spent most of its
// writing time in them.
template <typename Work>
void ForEachStep(std::span<Step> steps, const Work& work) {
    InParallel(steps.size(), kFilesPerTurn, kFilesWorthAThread,
               [&](std::size_t i) { work(steps[i]); });
}

void FlushFolders(const std::vector<Step>& steps) {
    ForEachFolder(steps, std::mem_fn(&Step::TargetName), [](int folder) {
        if (folder >= 0) ::fsync(folder);
        return true;
    });
}

// Opens each step's folder, once, into `folders` (to be closed by the caller).
void OpenFolders(std::vector<Step>& steps, std::vector<int>& folders) {
    std::map<std::string_view, int> opened;
    for (Step& step : steps) {
        const std::string_view path = step.change->path;
        const std::size_t start = NameStart(path);
        auto [at, added] = opened.emplace(path.substr(0, start), AT_FDCWD);
        if (added) {
            const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0) folders.push_back(at->second = fd);
        }
        // A folder that does not open leaves the whole path to name the
        // file, and the calls on it say why it cannot be written.
        step.folder = at->second;
        step.nameAt = step.folder == AT_FDCWD ? 0 : static_cast<std::uint32_t>(start);
    }
}

// One outcome per step, in order.
std::vector<FileOutcome> TakeOutcomes(std::vector<Step>& steps) {
    std::vector<FileOutcome> outcomes;
    outcomes.reserve(steps.size());
    for (Step& step : steps)
        outcomes.push_back(std::move(step.outcome));
    return outcomes;
}

// The steps of the changes, their folders open for as long as it lives.
struct StepsOf {
    explicit StepsOf(const std::vector<FileChange>& changes) : steps(changes.size()) {
        for (std::size_t i = 0; i < changes.size(); ++i)
            steps[i].change = &changes[i];
        OpenFolders(steps, folders);
    }
    StepsOf(const StepsOf&) = delete;
    StepsOf& operator=(const StepsOf&) = delete;
    ~StepsOf() {
        for (const int folder : folders)
            ::close(folder);
    }

    std::vector<Step> steps;
    std::vector<int> folders;
};

}  // namespace

std::size_t ContentHash(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes);
}

std::optional<FileStamp> StampWithoutReading(const std::filesystem::path& path) {
    return StampWithoutReading(AT_FDCWD, path.c_str());
}

std::optional<FileStamp> StampWithoutReading(int folder, const char* name) {
    struct stat status {};
    if (::fstatat(folder, name, &status, 0) != 0) return std::nullopt;
    return StampOf(status);
}

std::optional<FileStamp> StampOfEntry(int folder, const char* name) {
    struct stat status {};
    if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    if (!S_ISREG(status.st_mode)) return std::nullopt;
    return StampOf(status);
}

FileRead ReadFileWithStamp(const std::filesystem::path& path) {
    return ReadFileWithStamp(AT_FDCWD, path.c_str(), path);
}

FileRead ReadFileWithStamp(int folder, const char* name, const std::filesystem::path& path) {
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw Error("The file " + path.string() + " could not be read: " + Reason(errno) + ".");
    }
    FileRead read;
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0;
    if (ok) {
        read.bytes.reserve(static_cast<std::size_t>(status.st_size));
        ok = ReadAll(fd, read.bytes);
    }
    const int error = errno;
    ::close(fd);
    if (!ok)
        throw Error("The file " + path.string() + " could not be read: " + Reason(error) + ".");
    read.stamp = StampOf(status);
    read.stamp.contentHash = ContentHash(read.bytes);
    return read;
}

struct PreparedFileChanges::Steps : StepsOf {
    using StepsOf::StepsOf;
    // Given up before it was finished, or failing halfway (its making
    // included), it leaves no temporary file behind.
    ~Steps() {
        if (finished) return;
        for (Step& step : steps) {
            if (step.fd >= 0) ::close(step.fd);
            RemoveTemporary(step);
        }
    }

    bool flushTogether = false;  // else each was flushed as it was written
    bool flushed = false;
    bool finished = false;
};

PreparedFileChanges::PreparedFileChanges(const std::vector<FileChange>& changes)
    : steps_(std::make_unique<Steps>(changes)) {
    std::vector<Step>& steps = steps_->steps;
    const auto writes = std::count_if(changes.begin(), changes.end(), [](const FileChange& c) {
        return c.kind != FileChange::Kind::Remove;
    });
    const auto prepare = [](Step& step, bool keepOpen) {
        mode_t mode = 0666;
        Check(step, mode);
        if (step.Failed() || step.change->kind == FileChange::Kind::Remove) return;
        WriteTemporary(step, mode, keepOpen);
        if (!step.Failed()) step.outcome.stamp.contentHash = ContentHash(step.change->bytes);
    };
    steps_->flushTogether = static_cast<std::size_t>(writes) > kFlushEachUpTo;
    if (steps_->flushTogether) {
        ForEachStep(steps, [&](Step& step) { prepare(step, false); });
        return;
    }
    for (std::size_t start = 0; start < steps.size(); start += kOpenAtOnce) {
        const auto chunk =
            std::span(steps).subspan(start, std::min(kOpenAtOnce, steps.size() - start));
        for (Step& step : chunk)
            prepare(step, true);
        FlushTemporaries(chunk);
    }
    steps_->flushed = true;
}

PreparedFileChanges::~PreparedFileChanges() = default;

bool PreparedFileChanges::AwaitsFlush() const {
    return !steps_->flushed;
}

void PreparedFileChanges::Flush() {
    if (steps_->flushed) return;
    FlushTemporariesTogether(steps_->steps);
    steps_->flushed = true;
}

std::vector<FileOutcome> PreparedFileChanges::Finish() {
    Flush();
    std::vector<Step>& steps = steps_->steps;
    ForEachStep(steps, [](Step& step) {
        if (!step.Failed()) {
            if (step.change->kind == FileChange::Kind::Remove) {
                RemoveFile(step);
            } else {
                SwapIn(step);
            }
        }
        // What is left under the temporary name: the old file swapped out, or
        // the new text of a change refused.
        RemoveTemporary(step);
    });
    steps_->finished = true;
    FlushFolders(steps);
    return TakeOutcomes(steps);
}

std::vector<FileOutcome> CheckFileChanges(const std::vector<FileChange>& changes) {
    StepsOf checked(changes);
    ForEachStep(checked.steps, [](Step& step) {
        mode_t mode = 0666;
        Check(step, mode);
    });
    return TakeOutcomes(checked.steps);
}

std::vector<FileOutcome> ApplyFileChanges(const std::vector<FileChange>& changes) {
    return PreparedFileChanges(changes).Finish();
}

void RemoveLeftoverTemporaryFiles(const std::filesystem::path& folder) {
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        // ".<card>.vcf.<hex>.tmp" or ".del": ours, and never a card.
        const bool ours = name.size() > 6 && name.front() == '.' &&
                          (name.ends_with(".tmp") || name.ends_with(".del"));
        if (!ours) continue;
        const std::string inner = name.substr(1, name.size() - 5);
        const std::size_t dot = inner.rfind('.');
        if (dot == std::string::npos) continue;
        const std::string card = inner.substr(0, dot);
        const std::string hex = inner.substr(dot + 1);
        const bool hexOnly =
            !hex.empty() && hex.find_first_not_of("0123456789abcdef") == std::string::npos;
        if (!hexOnly || card.size() < 5 ||
            !EqualsIgnoringCase(card.substr(card.size() - 4), ".vcf"))
            continue;
        std::error_code ignored;  // one left again is removed by the next run
        std::filesystem::remove(it->path(), ignored);
    }
}

}  // namespace velmora
