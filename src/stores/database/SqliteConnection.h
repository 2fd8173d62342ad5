#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "stores/database/FieldValue.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velmora {

// How long a connection waits, in all, for another program (the phone's
// manager) to release a file it holds locked.
inline constexpr std::chrono::milliseconds kDefaultLockWait{5000};

// One open SQLite file. Failures are velmora::Error messages of the form
// "The database <file> <what>: <SQLite's reason>."; a lock that outlasted the
// wait is a DatabaseLockedError instead.
class SqliteConnection {
  public:
    enum class Mode { OpenExisting, CreateNew };

    // The connection waits for locks up to `lockWait` over its whole life,
    // not per statement: a run that meets a held lock stops after one wait.
    SqliteConnection(const std::filesystem::path& path, Mode mode,
                     std::chrono::milliseconds lockWait = kDefaultLockWait);
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection();

    sqlite3* Handle() const { return db_; }
    const std::filesystem::path& Path() const { return path_; }

    // Runs statements that return no rows.
    void Execute(const std::string& sql, std::string_view what);

    // Fails with SQLite's last reason and result code.
    [[noreturn]] void Fail(std::string_view what) const;
    // Fails with this reason; a result code of a lock makes it a
    // DatabaseLockedError.
    [[noreturn]] void Fail(std::string_view what, std::string_view reason, int code = 1) const;

  private:
    static int WaitForLock(void* connection, int attempt);

    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    std::chrono::milliseconds lockWait_;
    std::chrono::milliseconds waitLeft_;
};

// A prepared statement, kept for as long as its recordset needs it.
class SqliteStatement {
  public:
    SqliteStatement(std::shared_ptr<SqliteConnection> connection, const std::string& sql,
                    std::string_view what);
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    // Makes the statement ready for another run, without bindings.
    void Reset();
    void Bind(int position, const FieldValue& value);  // 1-based
    // Steps once: true when a row came back, false when the statement is done.
    bool Step(std::string_view what);
    FieldValue Column(int index) const;  // 0-based, of the current row
    // The same column's plain text (TextOf), made straight from the row.
    std::optional<std::string> ColumnText(int index) const;

  private:
    std::shared_ptr<SqliteConnection> connection_;
    sqlite3_stmt* statement_ = nullptr;
};

// A path as UTF-8 text, the form SQLite takes.
std::string Utf8PathText(const std::filesystem::path& path);

// An identifier quoted for SQL: "tblContactList".
std::string QuoteIdentifier(std::string_view name);

// A value written as an SQL literal: NULL, 12, 2.5, 'it''s'.
std::string SqlLiteral(const FieldValue& value);

}  // namespace velmora
