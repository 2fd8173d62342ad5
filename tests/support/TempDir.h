#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <system_error>

namespace velmora::test {

// A fresh temporary folder, removed with its contents.
class TempDir {
  public:
    // In the system's temporary folder, or in `parent`.
    TempDir();
    explicit TempDir(const std::filesystem::path& parent);
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }

  private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& path);
// Every file's bytes by relative path; none when there is no folder.
std::map<std::string, std::string> FilesBelow(const std::filesystem::path& folder);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace velmora::test
