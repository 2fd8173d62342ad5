#include "support/DatabaseFixtures.h"

#include <algorithm>
#include <stdexcept>

#include <sqlite3.h>

#include "stores/database/SqliteDatabase.h"
#include "stores/database/SyncDatabase.h"
#include "support/EngineFixtures.h"

namespace velmora::test {

namespace {

using Cells = std::vector<std::string>;

const Cells kSyncColumns{"ContactID", "Name",   "SpeedDial", "Work2", "DirectConnect", "Home",
                         "Work1",     "Mobile", "Fax",       "Pager", "Other",         "Email"};

// Runs SQL on the file (making it and its folder if needed) and returns the
// rows it selects, a null as NULL.
std::vector<Cells> Run(const std::filesystem::path& path, const std::string& sql) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::vector<Cells> rows;
    const auto collect = [](void* table, int count, char** cells, char**) {
        Cells& row = static_cast<std::vector<Cells>*>(table)->emplace_back();
        for (int i = 0; i < count; ++i)
            row.emplace_back(cells[i] != nullptr ? cells[i] : "NULL");
        return 0;
    };
    sqlite3* db = nullptr;
    char* message = nullptr;
    int result = sqlite3_open(path.string().c_str(), &db);
    if (result == SQLITE_OK) result = sqlite3_exec(db, sql.c_str(), collect, &rows, &message);
    const std::string reason = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    sqlite3_close(db);
    if (result != SQLITE_OK)
        throw std::runtime_error(path.string() + ": " + reason + " in: " + sql);
    return rows;
}

std::string Joined(const Cells& parts, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i > 0 ? std::string(separator) : "") + parts[i];
    return text;
}

// A cell of a row stated as text: NULL, or a value the column's type takes.
std::string CellLiteral(std::string_view cell) {
    if (cell == "NULL") return "NULL";
    char* quoted = sqlite3_mprintf("%Q", std::string(cell).c_str());
    std::string literal(quoted);
    sqlite3_free(quoted);
    return literal;
}

}  // namespace

void ExecuteSql(const std::filesystem::path& path, std::string_view sql) {
    Run(path, std::string(sql));
}

void MakeDamagedDatabase(const std::filesystem::path& path) {
    Run(path, "CREATE TABLE Damaged (Value); INSERT INTO Damaged VALUES (NULL);");
    Run(path,
        "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
        "'CREATE TABLE Damaged (Value NOT NULL)' WHERE name = 'Damaged';");
}

HeldLock::HeldLock(const std::filesystem::path& path, std::string_view kind) {
    if (sqlite3_open(path.string().c_str(), &db_) != SQLITE_OK ||
        sqlite3_exec(db_, ("BEGIN " + std::string(kind)).c_str(), nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
        const std::string reason = sqlite3_errmsg(db_);
        sqlite3_close(db_);
        throw std::runtime_error(path.string() + ": could not lock: " + reason);
    }
}

HeldLock::~HeldLock() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
}

void CreatePhoneBook(const std::filesystem::path& path, std::string_view rows,
                     std::string_view extraSql) {
    std::string sql =
        "CREATE TABLE tblContactList (ContactID INTEGER, ContactName TEXT, Number TEXT, "
        "NumberType INTEGER, SpeedDial INTEGER, PhoneNumberLength INTEGER); BEGIN;";
    for (std::string_view row : Split(rows, ";")) {
        if (row.empty()) continue;
        Cells cells;
        for (std::string_view cell : Split(row, "|"))
            cells.push_back(CellLiteral(cell));
        sql += "INSERT INTO tblContactList VALUES (" + Joined(cells, ", ") + ");";
    }
    Run(path, sql + "COMMIT;" + std::string(extraSql));
}

std::string TableText(const std::filesystem::path& path, std::string_view table,
                      const std::vector<std::string>& columns) {
    Cells rows;
    for (const Cells& row : Run(path, "SELECT " + Joined(columns, ", ") + " FROM " +
                                          std::string(table) + " ORDER BY rowid"))
        rows.push_back(Joined(row, "|"));
    return Joined(rows, ";");
}

std::string PhoneBookText(const std::filesystem::path& path) {
    return TableText(
        path, "tblContactList",
        {"ContactID", "ContactName", "Number", "NumberType", "SpeedDial", "PhoneNumberLength"});
}

void AddSyncRows(const std::filesystem::path& path, std::string_view rows) {
    SqliteDatabaseEngine engine;
    if (!std::filesystem::exists(path)) CreateSyncDatabase(engine, path);
    std::string sql = "BEGIN;";
    for (std::string_view row : Split(rows, ";")) {
        if (row.empty()) continue;
        const auto cells = Split(row, "|");
        Cells values(kSyncColumns.size(), "''");
        for (std::size_t i = 0; i < cells.size(); ++i) {
            std::string_view column = kSyncColumns[i], cell = cells[i];
            if (i >= 3) {  // Column=value
                column = cell.substr(0, cell.find('='));
                cell = cell.substr(cell.find('=') + 1);
            }
            const auto at = std::find(kSyncColumns.begin(), kSyncColumns.end(), column);
            if (at == kSyncColumns.end())
                throw std::invalid_argument("not Column=value: " + std::string(cells[i]));
            values[at - kSyncColumns.begin()] = CellLiteral(cell);
        }
        sql += "INSERT INTO SyncContacts VALUES (" + Joined(values, ", ") + ");";
    }
    Run(path, sql + "COMMIT;");
}

std::string SyncContactsText(const std::filesystem::path& path) {
    Cells rows;
    for (const Cells& row :
         Run(path, "SELECT " + Joined(kSyncColumns, ", ") + " FROM SyncContacts ORDER BY rowid")) {
        std::string text = row[0] + "|" + row[1] + "|" + row[2];
        for (std::size_t i = 3; i < row.size(); ++i)
            if (!row[i].empty()) text += "|" + kSyncColumns[i] + "=" + row[i];
        rows.push_back(text);
    }
    return Joined(rows, ";");
}

}  // namespace velmora::test
