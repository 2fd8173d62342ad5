#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "stores/database/DatabaseEngine.h"
#include "stores/outlook/OutlookPort.h"
#include "support/SyncSession.h"

namespace velmora::scenarios {

// The three stores, read through the ports, as three strings.
struct StoreTexts {
    std::string addressBook;
    std::string phoneBook;
    std::string sync;

    bool operator==(const StoreTexts&) const = default;
};
std::ostream& operator<<(std::ostream& out, const StoreTexts& texts);

StoreTexts RenderStores(const SyncSession& session);

// Sorted, as new cards get random file names.
std::string RenderAddressBookSorted(const AddressBook& book);

// "1|Ann Lee|H:2,M:1|Home=5550001111;...": columns from `namedFrom` on only
// when not empty; "" when there is no database.
std::string RenderTable(DatabaseEngine& engine, const std::filesystem::path& path,
                        std::string_view table, const std::vector<std::string_view>& columns,
                        std::size_t namedFrom = SIZE_MAX);

}  // namespace velmora::scenarios
