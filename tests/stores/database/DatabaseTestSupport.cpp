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

SyncObject Contact(std::string contactId, std::string name, std::string flag,
                   const std::vector<NumberEntry>& numbers) {
    SyncObject record;
    record.ContactID = std::move(contactId);
    record.ContactName = std::move(name);
    record.Flag = std::move(flag);
    for (const NumberEntry& entry : numbers) {
        NumberOf(record, entry.kind) = entry.number;
        SpeedOf(record, entry.kind) = entry.speed;
    }
    return record;
}

std::string SetText(const SyncSet& set) {
    std::string text;
    for (const SyncObject& record : set) {
        if (!text.empty()) text += ";";
        text += record.ContactID + "|" + record.ContactName;
        if (!record.Flag.empty()) text += "|" + record.Flag;
        for (const NumberKindInfo& kind : kNumberKinds) {
            const std::string& number = record.*kind.number;
            const std::string& speed = record.*kind.speed;
            if (number.empty() && speed.empty()) continue;
            text.append("|").append(kind.syncColumn).append("=").append(number);
            text.append("#").append(speed);
        }
    }
    return text;
}

}  // namespace velmora::test
