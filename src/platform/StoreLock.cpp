#include "platform/StoreLock.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <QLockFile>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "model/Error.h"

namespace velmora {

namespace {

std::filesystem::path LockPathOf(const std::filesystem::path& syncPath) {
    std::filesystem::path lock = syncPath;
    lock += ".lock";
    return lock;
}

std::string Refusal(const std::filesystem::path& lockPath, const std::string& holder) {
    std::string message = "Another synchronization is working on these stores";
    if (!holder.empty()) message += " (" + holder + ")";
    return message + "; try again when it has ended. (The lock is " + lockPath.string() + ".)";
}

[[noreturn]] void CannotLock(const std::filesystem::path& lockPath, const std::string& reason) {
    throw Error("The lock file " + lockPath.string() + " could not be used: " + reason + ".");
}

#ifndef _WIN32

// "velmora-sync, process 4242", from the lock file's text.
std::string HolderOf(int fd) {
    std::string text(256, '\0');
    const ssize_t read = pread(fd, text.data(), text.size(), 0);
    text.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    std::istringstream lines(text);
    std::string pid;
    std::string program;
    std::getline(lines, pid);
    std::getline(lines, program);
    if (pid.empty()) return {};
    return (program.empty() ? std::string("a program") : program) + ", process " + pid;
}

class FileLock final : public RunLock {
  public:
    FileLock(const std::filesystem::path& syncPath, const std::string& program)
        : path_(LockPathOf(syncPath)) {
        if (path_.has_parent_path()) {
            std::error_code ignored;  // a failure shows up as the open failing below
            std::filesystem::create_directories(path_.parent_path(), ignored);
        }
        fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) CannotLock(path_, std::strerror(errno));
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const std::string holder = error == EWOULDBLOCK ? HolderOf(fd_) : std::string();
            close(fd_);
            if (error == EWOULDBLOCK) throw StoresInUse(Refusal(path_, holder));
            CannotLock(path_, std::strerror(error));
        }
        // Whoever held it before is gone; the text names the new holder.
        const std::string text = std::to_string(getpid()) + "\n" + program + "\n";
        if (ftruncate(fd_, 0) != 0 ||
            pwrite(fd_, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
            const int error = errno;
            close(fd_);
            CannotLock(path_, std::strerror(error));
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    // Closing the file releases the lock; the file stays for the next run.
    ~FileLock() override { close(fd_); }

  private:
    std::filesystem::path path_;
    int fd_ = -1;
};

#else

// Where there is no flock: Qt's lock file, whose staleness check looks for
// the holder's process.
class FileLock final : public RunLock {
  public:
    FileLock(const std::filesystem::path& syncPath, const std::string&)
        : lock_(QString::fromStdWString(LockPathOf(syncPath).wstring())) {
        lock_.setStaleLockTime(0);
        if (lock_.tryLock(0)) return;
        if (lock_.error() != QLockFile::LockFailedError) {
            CannotLock(LockPathOf(syncPath), "it cannot be created");
        }
        qint64 pid = 0;
        QString host;
        QString app;
        lock_.getLockInfo(&pid, &host, &app);
        throw StoresInUse(
            Refusal(LockPathOf(syncPath), app.toStdString() + ", process " + std::to_string(pid)));
    }

  private:
    QLockFile lock_;
};

#endif

}  // namespace

RunLocker FileRunLocker(std::string program) {
    return [program = std::move(program)](const std::filesystem::path& syncPath) {
        return std::unique_ptr<RunLock>(std::make_unique<FileLock>(syncPath, program));
    };
}

}  // namespace velmora
