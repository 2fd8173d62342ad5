#include "run/ActivityLog.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "model/Error.h"
#include "run/AppInfo.h"

namespace velmora {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
    std::string message = "The activity log " + path.string() + " could not be " + what;
    if (error != 0) message += ": " + std::string(std::strerror(error));
    throw Error(message + ".");
}

}  // namespace

ActivityLog::ActivityLog(const std::filesystem::path& path, std::ios::openmode mode) : path_(path) {
    if (path.has_parent_path()) {
        std::error_code ignored;  // a failure shows up as the open failing below
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    errno = 0;
    file_.open(path, mode | std::ios::binary);
    if (!file_.is_open()) Fail("opened", path, errno);
}

ActivityLog ActivityLog::Create(const std::filesystem::path& path) {
    return ActivityLog(path, std::ios::out | std::ios::trunc);
}

ActivityLog ActivityLog::OpenForAppend(const std::filesystem::path& path) {
    return ActivityLog(path, std::ios::out | std::ios::app);
}

void ActivityLog::WriteLine(std::string_view line) {
    if (!file_.is_open()) throw Error("The activity log " + path_.string() + " is not open.");
    errno = 0;
    file_.write(line.data(), static_cast<std::streamsize>(line.size()));
    file_.write("\r\n", 2);
    // Buffered: a large run writes tens of thousands of lines. Every stage
    // closes the log, which flushes it and reports a failed write.
    if (!file_) Fail("written", path_, errno);
}

void ActivityLog::Close() {
    if (!file_.is_open()) return;
    errno = 0;
    file_.close();
    if (!file_) Fail("closed", path_, errno);
}

void WriteLogHeader(ActivityLog& log, std::string_view statusCaption) {
    log.WriteLine(TitleVersionLine());
    log.WriteLine(kCopyrightNotice);
    log.WriteLine("Activity Log");
    log.WriteLine("");
    log.WriteLine(statusCaption);
}

}  // namespace velmora
