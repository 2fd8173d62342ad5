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

// The whole content of the three stores, read through the ports, each as one
// string, so two states compare as three strings whatever the backends.
struct StoreTexts {
    std::string addressBook;
    std::string phoneBook;
    std::string sync;

    bool operator==(const StoreTexts&) const = default;
};
std::ostream& operator<<(std::ostream& out, const StoreTexts& texts);

StoreTexts RenderStores(const SyncSession& session);

// The address book as test::RenderAddressBook has it, its lines sorted: new
// cards get random file names, so the order of items says nothing.
std::string RenderAddressBookSorted(const AddressBook& book);

// The columns of every row of a table in stored order: rows joined by ";",
// values by "|", null as NULL; the columns from `namedFrom` on only when not
// empty, as Column=value. A database that does not exist renders as "".
//   phone book: "1|Ann Lee|5551234567|4|1|6;..."
//   sync database: "1|Ann Lee|H:2,M:1|Home=5550001111|Mobile=5551234567;..."
std::string RenderTable(DatabaseEngine& engine, const std::filesystem::path& path,
                        std::string_view table, const std::vector<std::string_view>& columns,
                        std::size_t namedFrom = SIZE_MAX);

}  // namespace velmora::scenarios
