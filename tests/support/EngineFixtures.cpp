#include "support/EngineFixtures.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "model/NumberKinds.h"
#include "support/TempDir.h"

namespace velmora::test {

namespace {

// A kind by its tag prefix without the colon: W2 DC H W1 M F P O E.
std::string_view KindCode(const NumberKindInfo& info) {
    return info.tagPrefix.substr(0, info.tagPrefix.size() - 1);
}

}  // namespace

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

std::string Render(const SyncObject& record) {
    std::string numbers;
    for (const NumberKindInfo& info : kNumberKinds) {
        const std::string_view number = record.Number(info.kind);
        const std::string_view speed = record.Speed(info.kind);
        if (number.empty() && speed.empty()) continue;
        numbers += (numbers.empty() ? "" : ",") + std::string(KindCode(info)) + "=" +
                   std::string(number) + "/" + std::string(speed);
    }
    return record.ContactID + ":" + record.ContactName + ":" + std::string(LetterOf(record.Flag)) +
           ":" + numbers;
}

std::string Render(const SyncSet& set) {
    std::string text;
    for (const SyncObject& record : set)
        text += (text.empty() ? "" : " | ") + Render(record);
    return text;
}

SyncObject ParseRecord(std::string_view text) {
    const auto fields = Split(text, ":");
    if (fields.size() != 4 && fields.size() != 5)
        throw std::invalid_argument("not id:name:flag:numbers[:card]: " + std::string(text));
    SyncObject record;
    record.ContactID = fields[0];
    record.ContactName = fields[1];
    const auto flag = FlagOfLetter(fields[2]);
    if (!flag) throw std::invalid_argument("not a flag letter: " + std::string(fields[2]));
    record.Flag = *flag;
    if (fields.size() == 5) record.Card = std::stoi(std::string(fields[4]));
    if (fields[3].empty()) return record;
    for (std::string_view entry : Split(fields[3], ",")) {
        const std::size_t equals = entry.find('=');
        const std::size_t slash = entry.rfind('/');  // an address may hold one too
        const auto kind = std::find_if(
            kNumberKinds.begin(), kNumberKinds.end(),
            [&](const auto& info) { return KindCode(info) == entry.substr(0, equals); });
        if (slash == std::string_view::npos || slash < equals || kind == kNumberKinds.end())
            throw std::invalid_argument("not kind=number/speed: " + std::string(entry));
        record.SetNumber(kind->kind, entry.substr(equals + 1, slash - equals - 1));
        record.SetSpeed(kind->kind, entry.substr(slash + 1));
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

std::string LogText(const std::filesystem::path& path) {
    std::string text;
    for (const std::string& line : ReadLogLines(path)) {
        for (const char c : line)  // a line break of another kind stays visible
            text += c == '\n' ? "<LF>" : c == '\r' ? "<CR>" : std::string(1, c);
        text += '\n';
    }
    if (!text.empty()) text.pop_back();
    return text;
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
