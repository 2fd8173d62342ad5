#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

namespace velmora {

// Line prefixes of the activity log: an event, and a value of the event above.
inline constexpr std::string_view kEventPrefix = "... ";
inline constexpr std::string_view kValuePrefix = "........ ";

// The activity log: one UTF-8 text file holding the log of the latest run,
// lines ended by CR LF. One party at a time has it open; every stage opens it
// for appending and closes it before it returns (the destructor closes it too,
// so a stage that throws leaves it closed).
class ActivityLog {
  public:
    // Starts a new log (truncating an old one), creating its folder if needed.
    static ActivityLog Create(const std::filesystem::path& path);
    // Opens the log for appending.
    static ActivityLog OpenForAppend(const std::filesystem::path& path);

    ActivityLog(ActivityLog&&) noexcept = default;
    ActivityLog& operator=(ActivityLog&&) noexcept = default;
    ~ActivityLog() = default;

    void WriteLine(std::string_view line);
    void Close();

  private:
    ActivityLog(const std::filesystem::path& path, std::ios::openmode mode);

    std::filesystem::path path_;
    std::ofstream file_;
};

// The five header lines: title and version, copyright, "Activity Log", an
// empty line and the status caption of the moment.
void WriteLogHeader(ActivityLog& log, std::string_view statusCaption);

}  // namespace velmora
