#include "support/EngineFixtures.h"

#include <stdexcept>
#include <system_error>

#include "model/NumberKinds.h"
#include "support/TempDir.h"

namespace velmora::test {

namespace {

std::string_view KindCode(const NumberKindInfo& info) {
    return info.tagPrefix.substr(0, info.tagPrefix.size() - 1);  // "W2:" -> "W2"
}

const NumberKindInfo& KindByCode(std::string_view code) {
    for (const NumberKindInfo& info : kNumberKinds) {
        if (KindCode(info) == code) return info;
    }
    throw std::invalid_argument("unknown kind " + std::string(code));
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    std::size_t at = 0;
    while (true) {
        const std::size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end - at));
        if (end == std::string_view::npos) return parts;
        at = end + separator.size();
    }
}

}  // namespace

std::string Render(const SyncObject& record) {
    std::string text = record.ContactID + ":" + record.ContactName + ":" + record.Flag + ":";
    bool first = true;
    for (const NumberKindInfo& info : kNumberKinds) {
        const std::string& number = record.*info.number;
        const std::string& speed = record.*info.speed;
        if (number.empty() && speed.empty()) continue;
        if (!first) text += ",";
        first = false;
        text.append(KindCode(info)).append("=").append(number).append("/").append(speed);
    }
    return text;
}

std::string Render(const SyncSet& set) {
    std::string text;
    for (const SyncObject& record : set) {
        if (!text.empty()) text += " | ";
        text += Render(record);
    }
    return text;
}

SyncObject ParseRecord(std::string_view text) {
    const auto fields = Split(text, ":");
    if (fields.size() != 4)
        throw std::invalid_argument("not id:name:flag:numbers: " + std::string(text));
    SyncObject record;
    record.ContactID = fields[0];
    record.ContactName = fields[1];
    record.Flag = fields[2];
    if (fields[3].empty()) return record;
    for (std::string_view entry : Split(fields[3], ",")) {
        const std::size_t equals = entry.find('=');
        const std::size_t slash = entry.find('/', equals);
        if (equals == std::string_view::npos || slash == std::string_view::npos)
            throw std::invalid_argument("not kind=number/speed: " + std::string(entry));
        const NumberKindInfo& info = KindByCode(entry.substr(0, equals));
        record.*info.number = entry.substr(equals + 1, slash - equals - 1);
        record.*info.speed = entry.substr(slash + 1);
    }
    return record;
}

SyncSet ParseSet(std::string_view text) {
    SyncSet set;
    if (text.empty()) return set;
    for (std::string_view record : Split(text, " | "))
        set.Append(ParseRecord(record));
    return set;
}

std::vector<std::string> ReadLogLines(const std::filesystem::path& path) {
    const std::string content = ReadFileBytes(path);
    std::vector<std::string> lines;
    for (std::string_view line : Split(content, "\r\n"))
        lines.emplace_back(line);
    // What follows the last CR LF: nothing in a well-ended log.
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

bool IsOpenInThisProcess(const std::filesystem::path& path) {
    std::error_code error;
    const auto target = std::filesystem::weakly_canonical(path, error);
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code ignored;
        if (std::filesystem::read_symlink(entry.path(), ignored) == target) return true;
    }
    return false;
}

}  // namespace velmora::test
