#pragma once

#include <string>
#include <string_view>

#include "run/ActivityLog.h"

namespace velmora {

// Writes one event line: "... " followed by the parts.
template <typename... Parts>
void WriteEvent(ActivityLog& log, const Parts&... parts) {
    std::string line(kEventPrefix);
    (line.append(parts), ...);
    log.WriteLine(line);
}

// The three stores as the log names them in "will be modified in ..." and
// "will be added to ..." lines.
enum class Store { Outlook, PhoneBook, Sync };

std::string_view StoreWords(Store store);

// "... <name> will be modified in <store>." and "... <name> will be added to <store>."
void WriteWillBeModified(ActivityLog& log, std::string_view name, Store store);
void WriteWillBeAdded(ActivityLog& log, std::string_view name, Store store);

}  // namespace velmora
