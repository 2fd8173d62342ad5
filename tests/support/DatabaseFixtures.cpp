#include "support/DatabaseFixtures.h"

#include <memory>
#include <stdexcept>

#include <sqlite3.h>

namespace velmora::test {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

Connection Open(const std::filesystem::path& path) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    sqlite3* db = nullptr;
    const int result = sqlite3_open(path.string().c_str(), &db);
    Connection connection(db);
    if (result != SQLITE_OK) throw std::runtime_error("cannot open " + path.string());
    return connection;
}

void Execute(sqlite3* db, std::string_view sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("SQL failed: " + reason + " in: " + std::string(sql));
    }
}

Statement Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        throw std::runtime_error(std::string("SQL failed: ") + sqlite3_errmsg(db) + " in: " + sql);
    }
    return Statement(statement);
}

void Step(sqlite3* db, sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        throw std::runtime_error(std::string("insert failed: ") + sqlite3_errmsg(db));
    }
}

void BindText(sqlite3_stmt* statement, int position, const std::optional<std::string>& text) {
    if (text) {
        sqlite3_bind_text(statement, position, text->c_str(), static_cast<int>(text->size()),
                          SQLITE_TRANSIENT);
    } else {
        sqlite3_bind_null(statement, position);
    }
}

void BindNumber(sqlite3_stmt* statement, int position, const std::optional<std::int64_t>& number) {
    if (number) {
        sqlite3_bind_int64(statement, position, *number);
    } else {
        sqlite3_bind_null(statement, position);
    }
}

// A column of the current result row as the strings show it.
std::string CellText(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return "NULL";
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The rows of a query, each a list of cells.
std::vector<std::vector<std::string>> Rows(const std::filesystem::path& path,
                                           const std::string& sql) {
    const Connection db = Open(path);
    const Statement statement = Prepare(db.get(), sql);
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(statement.get()); ++i)
            row.push_back(CellText(statement.get(), i));
    }
    return rows;
}

const std::vector<std::string> kSyncNumberColumns{
    "Work2", "DirectConnect", "Home", "Work1", "Mobile", "Fax", "Pager", "Other", "Email"};

}  // namespace

void ExecuteSql(const std::filesystem::path& path, std::string_view sql) {
    const Connection db = Open(path);
    Execute(db.get(), sql);
}

void CreatePhoneBookDatabase(const std::filesystem::path& path,
                             const std::vector<PhoneBookRow>& rows, PhoneBookLayout layout,
                             std::string_view extraSql) {
    const Connection db = Open(path);
    const bool managerColumns = layout == PhoneBookLayout::WithManagerColumns;
    Execute(db.get(), std::string("CREATE TABLE tblContactList (") +
                          (managerColumns ? "EntryKey INTEGER PRIMARY KEY, " : "") +
                          "ContactID INTEGER, ContactName TEXT, Number TEXT, NumberType INTEGER, "
                          "SpeedDial INTEGER, PhoneNumberLength INTEGER" +
                          (managerColumns ? ", Category TEXT NOT NULL DEFAULT 'Unfiled'" : "") +
                          ")");
    const Statement insert = Prepare(db.get(),
                                     "INSERT INTO tblContactList (ContactID, ContactName, Number, "
                                     "NumberType, SpeedDial, PhoneNumberLength) "
                                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    for (const PhoneBookRow& row : rows) {
        sqlite3_reset(insert.get());
        BindNumber(insert.get(), 1, row.ContactID);
        BindText(insert.get(), 2, row.ContactName);
        BindText(insert.get(), 3, row.Number);
        BindNumber(insert.get(), 4, row.NumberType);
        BindNumber(insert.get(), 5, row.SpeedDial);
        BindNumber(insert.get(), 6, row.PhoneNumberLength);
        Step(db.get(), insert.get());
    }
    if (!extraSql.empty()) Execute(db.get(), extraSql);
}

std::string TableText(const std::filesystem::path& path, std::string_view table,
                      const std::vector<std::string>& columns) {
    std::string selected;
    for (const std::string& column : columns)
        selected += (selected.empty() ? "" : ", ") + column;
    std::string text;
    for (const auto& row :
         Rows(path, "SELECT " + selected + " FROM " + std::string(table) + " ORDER BY rowid")) {
        if (!text.empty()) text += ";";
        for (std::size_t i = 0; i < row.size(); ++i)
            text += (i > 0 ? "|" : "") + row[i];
    }
    return text;
}

std::string PhoneBookText(const std::filesystem::path& path) {
    return TableText(
        path, "tblContactList",
        {"ContactID", "ContactName", "Number", "NumberType", "SpeedDial", "PhoneNumberLength"});
}

void CreateSyncDatabase(const std::filesystem::path& path, const std::vector<SyncRow>& rows) {
    const Connection db = Open(path);
    Execute(db.get(),
            "CREATE TABLE SyncContacts (ContactID INTEGER NOT NULL CHECK (ContactID >= 0), "
            "Name TEXT NOT NULL, SpeedDial TEXT NOT NULL, Work2 TEXT NOT NULL, "
            "DirectConnect TEXT NOT NULL, Home TEXT NOT NULL, Work1 TEXT NOT NULL, "
            "Mobile TEXT NOT NULL, Fax TEXT NOT NULL, Pager TEXT NOT NULL, Other TEXT NOT NULL, "
            "Email TEXT)");
    const Statement insert =
        Prepare(db.get(),
                "INSERT INTO SyncContacts (ContactID, Name, SpeedDial, Work2, DirectConnect, Home, "
                "Work1, Mobile, Fax, Pager, Other, Email) "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    for (const SyncRow& row : rows) {
        sqlite3_reset(insert.get());
        const std::vector<std::optional<std::string>> texts{
            row.Name,   row.SpeedDial, row.Work2, row.DirectConnect, row.Home, row.Work1,
            row.Mobile, row.Fax,       row.Pager, row.Other,         row.Email};
        BindNumber(insert.get(), 1, row.ContactID);
        for (std::size_t i = 0; i < texts.size(); ++i)
            BindText(insert.get(), static_cast<int>(i + 2), texts[i]);
        Step(db.get(), insert.get());
    }
}

std::string SyncContactsText(const std::filesystem::path& path) {
    std::string query = "SELECT ContactID, Name, SpeedDial";
    for (const std::string& column : kSyncNumberColumns)
        query += ", " + column;
    std::string text;
    for (const auto& row : Rows(path, query + " FROM SyncContacts ORDER BY rowid")) {
        if (!text.empty()) text += ";";
        text += row[0] + "|" + row[1] + "|" + row[2];
        for (std::size_t i = 0; i < kSyncNumberColumns.size(); ++i) {
            const std::string& cell = row[i + 3];
            if (!cell.empty()) text += "|" + kSyncNumberColumns[i] + "=" + cell;
        }
    }
    return text;
}

}  // namespace velmora::test
