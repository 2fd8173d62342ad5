#include "stores/database/SqliteConnection.h"

#include <utility>

#include <sqlite3.h>

#include "model/Error.h"
#include "model/Text.h"

namespace velmora {

namespace {

// How long a call waits for another program (the phone's manager) to release
// the file before it fails.
constexpr int kBusyTimeoutMilliseconds = 5000;

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

SqliteConnection::SqliteConnection(const std::filesystem::path& path, Mode mode) : path_(path) {
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == Mode::CreateNew) flags |= SQLITE_OPEN_CREATE;
    const int result = sqlite3_open_v2(Utf8PathText(path).c_str(), &db_, flags, nullptr);
    if (result != SQLITE_OK) {
        const std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        Fail("could not be opened", reason);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close_v2(db_);
}

void SqliteConnection::Fail(std::string_view what) const {
    Fail(what, db_ != nullptr ? sqlite3_errmsg(db_) : "no connection");
}

void SqliteConnection::Fail(std::string_view what, std::string_view reason) const {
    throw Error("The database " + path_.string() + " " + std::string(what) + ": " +
                std::string(reason) + ".");
}

void SqliteConnection::Execute(const std::string& sql, std::string_view what) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message != nullptr ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        Fail(what, reason);
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
    connection_->Fail(what, reason);
}

FieldValue SqliteStatement::Column(int index) const {
    switch (sqlite3_column_type(statement_, index)) {
        case SQLITE_INTEGER:
            return FieldValue(static_cast<std::int64_t>(sqlite3_column_int64(statement_, index)));
        case SQLITE_FLOAT:
            return FieldValue(sqlite3_column_double(statement_, index));
        case SQLITE_TEXT: {
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
            const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, index));
            // Files written by older tools may hold Windows-1252 text.
            return FieldValue(ToUtf8(std::string_view(text, size)));
        }
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, index));
            const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, index));
            return FieldValue(std::string(bytes == nullptr ? "" : std::string(bytes, size)));
        }
        default:
            return FieldValue();
    }
}

}  // namespace velmora
