#include "stores/database/DatabaseTestSupport.h"

namespace velmora::test {

std::vector<std::string> LogLines(const std::filesystem::path& path) {
    const std::string text = ReadFileBytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace velmora::test
