#include "stores/database/SqliteConnection.h"

#include <algorithm>
#include <utility>

#include <sqlite3.h>

#include "model/Error.h"
#include "model/Text.h"
#include "stores/database/DatabaseEngine.h"

namespace velmora {

namespace {

// The pause between two looks at a held lock.
constexpr std::chrono::milliseconds kLockPoll{10};

bool IsLockCode(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

std::string WaitText(std::chrono::milliseconds wait) {
    if (wait.count() % 1000 == 0) {
        const auto seconds = wait.count() / 1000;
        return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
    }
    return std::to_string(wait.count()) + " ms";
}

std::string Quoted(std::string_view text, char quote) {
    std::string quoted(1, quote);
    for (const char c : text) {
        quoted += c;
        if (c == quote) quoted += c;
    }
    quoted += quote;
    return quoted;
}

}  // namespace

std::string Utf8PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string QuoteIdentifier(std::string_view name) {
    return Quoted(name, '"');
}

std::string SqlLiteral(const FieldValue& value) {
    if (value.IsNull()) return "NULL";
    if (value.IsText()) return Quoted(value.Text(), '\'');
    return *TextOf(value);
}

SqliteConnection::SqliteConnection(const std::filesystem::path& path, Mode mode,
                                   std::chrono::milliseconds lockWait)
    : path_(path), lockWait_(lockWait), waitLeft_(lockWait) {
    // SQLite counts the memory it allocates under a lock of its own, a pair of
    // mutex calls for each of its allocations (650 000 in a first run at
    // 10 000 contacts), and nothing here asks for the count. It can be told
    // only before its first use; told later, it keeps counting, harmlessly.
    static const bool uncounted = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    (void)uncounted;
    // A connection is used by one thread only: SQLite need not lock around
    // each call, which costs a pair of mutex calls per row.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::CreateNew) flags |= SQLITE_OPEN_CREATE;
    const int result = sqlite3_open_v2(Utf8PathText(path).c_str(), &db_, flags, nullptr);
    if (result != SQLITE_OK) {
        const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        Fail("could not be opened", reason);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, &SqliteConnection::WaitForLock, this);
}

int SqliteConnection::WaitForLock(void* connection, int /*attempt*/) {
    auto& self = *static_cast<SqliteConnection*>(connection);
    if (self.waitLeft_.count() <= 0) return 0;
    const auto pause = std::min(kLockPoll, self.waitLeft_);
    sqlite3_sleep(static_cast<int>(pause.count()));
    self.waitLeft_ -= pause;
    return 1;
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close_v2(db_);
}

void SqliteConnection::Fail(std::string_view what) const {
    if (db_ == nullptr) Fail(what, "no connection");
    Fail(what, sqlite3_errmsg(db_), sqlite3_extended_errcode(db_));
}

void SqliteConnection::Fail(std::string_view what, std::string_view reason, int code) const {
    const std::string failure =
        "The database " + path_.string() + " " + std::string(what) + ": " + std::string(reason);
    if (IsLockCode(code)) {
        throw DatabaseLockedError(failure +
                                  ". Another program holds it locked and did not let go "
                                  "within " +
                                  WaitText(lockWait_) +
                                  ". Close that program (the phone's manager, say) and start "
                                  "the synchronization again.");
    }
    throw Error(failure + ".");
}

void SqliteConnection::Execute(const std::string& sql, std::string_view what) {
    char* message = nullptr;
    const int result = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    if (result != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        Fail(what, reason, sqlite3_extended_errcode(db_));
    }
}

SqliteStatement::SqliteStatement(std::shared_ptr<SqliteConnection> connection,
                                 const std::string& sql, std::string_view what)
    : connection_(std::move(connection)) {
    if (sqlite3_prepare_v2(connection_->Handle(), sql.c_str(), static_cast<int>(sql.size()),
                           &statement_, nullptr) != SQLITE_OK) {
        connection_->Fail(what);
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

void SqliteStatement::Bind(int position, const FieldValue& value) {
    int result = SQLITE_OK;
    if (value.IsNull()) {
        result = sqlite3_bind_null(statement_, position);
    } else if (value.IsWholeNumber()) {
        result = sqlite3_bind_int64(statement_, position, value.WholeNumber());
    } else if (value.IsReal()) {
        result = sqlite3_bind_double(statement_, position, value.Real());
    } else {
        const std::string& text = value.Text();
        result = sqlite3_bind_text64(statement_, position, text.data(), text.size(),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (result != SQLITE_OK) connection_->Fail("could not take the value " + DescribeValue(value));
}

bool SqliteStatement::Step(std::string_view what) {
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    // The reason is kept before the reset, which may replace it.
    const std::string reason = sqlite3_errmsg(connection_->Handle());
    sqlite3_reset(statement_);
    connection_->Fail(what, reason, result);
}

namespace {

// Other programs and older tools store names as BLOBs or in Windows-1252:
// every text is read the one way, so that what a run writes reads back as
// equal and the next run leaves it be. (SQLite itself gives a UTF-16 file's
// text as UTF-8.)
std::string TextColumn(sqlite3_stmt* statement, int index, int type) {
    const void* bytes = type == SQLITE_TEXT ? sqlite3_column_text(statement, index)
                                            : sqlite3_column_blob(statement, index);
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, index));
    if (bytes == nullptr) return std::string();
    return ToUtf8({static_cast<const char*>(bytes), size});
}

}  // namespace

FieldValue SqliteStatement::Column(int index) const {
    const int type = sqlite3_column_type(statement_, index);
    switch (type) {
        case SQLITE_INTEGER:
            return FieldValue(static_cast<std::int64_t>(sqlite3_column_int64(statement_, index)));
        case SQLITE_FLOAT:
            return FieldValue(sqlite3_column_double(statement_, index));
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            return FieldValue(TextColumn(statement_, index, type));
        default:
            return FieldValue();
    }
}

std::optional<std::string> SqliteStatement::ColumnText(int index) const {
    const int type = sqlite3_column_type(statement_, index);
    switch (type) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return TextOf(Column(index));
        case SQLITE_TEXT:
        case SQLITE_BLOB:
            return TextColumn(statement_, index, type);
        default:
            return std::nullopt;
    }
}

}  // namespace velmora
