#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::test {

// Helpers that make and read the two SQLite databases directly (through
// SQLite itself, not through Velmora's recordsets), so a test can set up a
// store and then compare its whole content as one string.

// One row of tblContactList; nullopt stores a null.
struct PhoneBookRow {
    std::optional<std::int64_t> ContactID;
    std::optional<std::string> ContactName;
    std::optional<std::string> Number;
    std::optional<std::int64_t> NumberType;
    std::optional<std::int64_t> SpeedDial;
    std::optional<std::int64_t> PhoneNumberLength = 0;
};

// Creates a database file (and its folder) holding tblContactList
// (ContactID INTEGER, ContactName TEXT, Number TEXT, NumberType INTEGER,
// SpeedDial INTEGER, PhoneNumberLength INTEGER) with these rows, stored in
// this order. `extraSql` runs afterwards (a trigger or another column, say).
void CreatePhoneBookDatabase(const std::filesystem::path& path,
                             const std::vector<PhoneBookRow>& rows, std::string_view extraSql = {});

// tblContactList as one string, rows in rowid order separated by ";", the six
// columns of a row by "|": "12|Ann Smith|5551234567|4|3|6;12|Ann Smith|...".
// A null shows as NULL.
std::string PhoneBookText(const std::filesystem::path& path);

// One row of SyncContacts. The nine number columns are empty unless given;
// Email may be null.
struct SyncRow {
    std::int64_t ContactID = 0;
    std::string Name{};
    std::string SpeedDial{};
    std::string Work2{};
    std::string DirectConnect{};
    std::string Home{};
    std::string Work1{};
    std::string Mobile{};
    std::string Fax{};
    std::string Pager{};
    std::string Other{};
    std::optional<std::string> Email = std::string();
};

// Creates a sync database file (and its folder) with the program's layout
// of SyncContacts holding these rows, e.g.
// {{.ContactID = 12, .Name = "Ann Smith", .SpeedDial = "M:3", .Mobile = "5551234567"}}.
void CreateSyncDatabase(const std::filesystem::path& path, const std::vector<SyncRow>& rows);

// SyncContacts as one string, rows in rowid order separated by ";": ID,
// name and tag, then only the number columns that are not empty, as
// Column=value: "12|Ann Smith|M:3|Mobile=5551234567;...". A null shows as
// NULL, an Email that is null as Email=NULL.
std::string SyncContactsText(const std::filesystem::path& path);

// Any columns of any table as one string, like PhoneBookText.
std::string TableText(const std::filesystem::path& path, std::string_view table,
                      const std::vector<std::string>& columns);

// Runs SQL statements on a database file (creating the file if needed).
void ExecuteSql(const std::filesystem::path& path, std::string_view sql);

}  // namespace velmora::test
