#include "stores/database/SqliteDatabase.h"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "model/Error.h"
#include "stores/database/BufferedRecordset.h"
#include "stores/database/FieldValue.h"
#include "stores/database/SqliteConnection.h"

namespace velmora {

namespace {

std::string CreateTableSql(const TableDefinition& table) {
    std::string sql = "CREATE TABLE " + QuoteIdentifier(table.name) + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDefinition& column = table.columns[i];
        const std::string name = QuoteIdentifier(column.name);
        if (i > 0) sql += ", ";
        sql += name + " ";
        sql += column.primaryKey ? "INTEGER PRIMARY KEY" : ColumnTypeDeclaration(column.type);
        if (column.notNull) sql += " NOT NULL";
        if (column.defaultValue) sql += " DEFAULT " + SqlLiteral(*column.defaultValue);
        if (column.minimum)
            sql += " CHECK (" + name + " >= " + std::to_string(*column.minimum) + ")";
    }
    return sql + ")";
}

std::string Placeholders(std::size_t count) {
    std::string text;
    for (std::size_t i = 1; i <= count; ++i)
        text += (i > 1 ? ", ?" : "?") + std::to_string(i);
    return text;
}

void InsertRows(const std::shared_ptr<SqliteConnection>& connection, const TableDefinition& table) {
    for (const auto& values : table.rows) {
        std::string columns;
        for (std::size_t i = 0; i < values.size(); ++i)
            columns += (i > 0 ? ", " : "") + QuoteIdentifier(table.columns.at(i).name);
        const std::string what = "refused the first rows of table " + table.name;
        SqliteStatement insert(connection,
                               "INSERT INTO " + QuoteIdentifier(table.name) + " (" + columns +
                                   ") VALUES (" + Placeholders(values.size()) + ")",
                               what);
        for (std::size_t i = 0; i < values.size(); ++i)
            insert.Bind(static_cast<int>(i + 1), values[i]);
        insert.Step(what);
    }
}

// "SELECT <row key>, <every column> FROM <table>": a table's rows as the
// recordsets and the row readers read them.
std::string SelectAllSql(const std::string& table, const std::vector<ColumnLayout>& columns,
                         const std::string& rowIdName) {
    std::string selected = rowIdName;
    for (const ColumnLayout& column : columns)
        selected += ", " + QuoteIdentifier(column.name);
    return "SELECT " + selected + " FROM " + QuoteIdentifier(table);
}

// Whether a column of this type stores the value as it is given: null, or a
// value of the kind the type keeps (an untyped column keeps any). Otherwise
// SQLite converts it.
bool KeptAsGiven(ColumnType type, const FieldValue& value) {
    switch (type) {
        case ColumnType::Blob:
            return true;
        case ColumnType::Text:
            return value.IsNull() || value.IsText();
        case ColumnType::Integer:
        case ColumnType::Numeric:
            return value.IsNull() || value.IsWholeNumber();
        case ColumnType::Real:
            return value.IsNull() || value.IsReal();
    }
    return false;
}

// The value of a column's default as the table defines it (`sql`), where it
// is a plain one: NULL, a text in single quotes, or a whole number. Anything
// else (an expression, a time, a real number, whose text SQLite reads its own
// way) is nullopt.
std::optional<FieldValue> PlainDefault(std::string_view sql) {
    if (sql.size() == 4 && sqlite3_strnicmp(sql.data(), "NULL", 4) == 0) return FieldValue();
    if (sql.size() >= 2 && sql.front() == '\'' && sql.back() == '\'') {
        const std::string_view quoted = sql.substr(1, sql.size() - 2);
        std::string text;
        for (std::size_t i = 0; i < quoted.size(); ++i) {
            // A quote within stands doubled.
            if (quoted[i] == '\'' && (i + 1 == quoted.size() || quoted[++i] != '\''))
                return std::nullopt;
            text += quoted[i];
        }
        return FieldValue(std::move(text));
    }
    auto number = ParseDecimal(sql);
    if (!number || !number->IsWholeNumber()) return std::nullopt;
    return number;
}

// The rows of one table of an open file.
class SqliteTableStorage final : public TableStorage {
  public:
    SqliteTableStorage(std::shared_ptr<SqliteConnection> connection, std::string table,
                       std::vector<ColumnLayout> columns, std::string rowIdName)
        : connection_(std::move(connection)),
          table_(std::move(table)),
          columns_(std::move(columns)),
          rowId_(std::move(rowIdName)) {
        select_ = SelectAllSql(table_, columns_, rowId_);
        const std::string reading = "could not read " + Where();
        selectOne_ = Prepare(select_ + " WHERE " + rowId_ + " = ?1", reading);
        delete_ = Prepare("DELETE FROM " + QuoteIdentifier(table_) + " WHERE " + rowId_ + " = ?1",
                          reading);
        defaults_.resize(columns_.size());
        insertsKeepValues_ = InsertsKeepValues(reading);
    }

    std::vector<StoredRow> ReadAll(const RowFilter* only) override {
        const std::string what = "could not read " + Where();
        SqliteStatement all(connection_, select_ + Prefilter(only) + " ORDER BY " + rowId_, what);
        std::vector<StoredRow> rows;
        while (all.Step(what)) {
            // A row left out is not converted beyond its key.
            if (only && !only->Passes(all.Column(static_cast<int>(only->Column() + 1)))) continue;
            rows.push_back(RowOf(all));
        }
        return rows;
    }

    StoredRow Insert(const std::vector<ColumnValue>& values) override {
        const std::string what = "refused the new row of " + Where();
        SqliteStatement& insert = Cached(inserts_, values, what, [&] {
            if (values.empty()) return "INSERT INTO " + QuoteIdentifier(table_) + " DEFAULT VALUES";
            std::string columns;
            for (const ColumnValue& set : values)
                columns +=
                    (columns.empty() ? "" : ", ") + QuoteIdentifier(columns_[set.column].name);
            return "INSERT INTO " + QuoteIdentifier(table_) + " (" + columns + ") VALUES (" +
                   Placeholders(values.size()) + ")";
        });
        BindValues(insert, values);
        ChangeOneRow(insert, what);
        const std::int64_t rowId = sqlite3_last_insert_rowid(connection_->Handle());
        if (StoredAsBound(values)) return RowAsBound(rowId, values);
        return ReadOne(rowId);
    }

    StoredRow Update(std::int64_t rowId, const std::vector<ColumnValue>& values) override {
        if (values.empty()) return ReadOne(rowId);
        const std::string what =
            "refused the change to row " + std::to_string(rowId) + " of " + Where();
        SqliteStatement& update = Cached(updates_, values, what, [&] {
            std::string assignments;
            for (std::size_t i = 0; i < values.size(); ++i) {
                assignments += (i > 0 ? ", " : "") +
                               QuoteIdentifier(columns_[values[i].column].name) + " = ?" +
                               std::to_string(i + 1);
            }
            return "UPDATE " + QuoteIdentifier(table_) + " SET " + assignments + " WHERE " +
                   rowId_ + " = ?" + std::to_string(values.size() + 1);
        });
        BindValues(update, values);
        update.Bind(static_cast<int>(values.size() + 1), rowId);
        ChangeOneRow(update, what);
        return ReadOne(rowId);
    }

    void Delete(std::int64_t rowId) override {
        const std::string what = "could not delete row " + std::to_string(rowId) + " of " + Where();
        delete_->Reset();
        delete_->Bind(1, rowId);
        ChangeOneRow(*delete_, what);
    }

  private:
    // Prepared statements by the columns they set, in order.
    using StatementCache = std::map<std::vector<std::size_t>, std::unique_ptr<SqliteStatement>>;

    std::string Where() const { return "table " + table_; }

    // Lets SQLite leave out, unread, the rows whose key column holds a whole
    // number the filter lacks: nearly every row a filter leaves out. Any other
    // row (a text, a real, a null) still meets the filter itself, which
    // matches keys as lookups do.
    std::string Prefilter(const RowFilter* only) const {
        if (only == nullptr) return "";
        const std::vector<std::int64_t> keys = only->WholeNumberKeys();
        // So many keys leave little to skip, and make a long statement.
        if (keys.size() > kPrefilterKeys) return "";
        const std::string column = QuoteIdentifier(columns_[only->Column()].name);
        std::string list;
        for (const std::int64_t key : keys)
            list += (list.empty() ? "" : ",") + std::to_string(key);
        return " WHERE typeof(" + column + ") <> 'integer' OR " + column + " IN (" + list + ")";
    }
    static constexpr std::size_t kPrefilterKeys = 20000;

    std::unique_ptr<SqliteStatement> Prepare(const std::string& sql, std::string_view what) {
        return std::make_unique<SqliteStatement>(connection_, sql, what);
    }

    // The statement for this set of columns, prepared on first use.
    template <typename MakeSql>
    SqliteStatement& Cached(StatementCache& cache, const std::vector<ColumnValue>& values,
                            std::string_view what, MakeSql makeSql) {
        // The key is made in a buffer kept for it: a writer asks for a
        // statement for every row it writes.
        cacheKey_.clear();
        for (const ColumnValue& set : values)
            cacheKey_.push_back(set.column);
        auto found = cache.find(cacheKey_);
        if (found == cache.end()) found = cache.emplace(cacheKey_, Prepare(makeSql(), what)).first;
        return *found->second;
    }

    static void BindValues(SqliteStatement& statement, const std::vector<ColumnValue>& values) {
        statement.Reset();
        for (std::size_t i = 0; i < values.size(); ++i)
            statement.Bind(static_cast<int>(i + 1), values[i].value);
    }

    // Runs a bound statement that must change exactly one row.
    void ChangeOneRow(SqliteStatement& statement, std::string_view what) {
        statement.Step(what);
        const bool changedOne = sqlite3_changes(connection_->Handle()) == 1;
        statement.Reset();
        if (!changedOne) connection_->Fail(what, "the row no longer exists");
    }

    // Whether a new row of the table holds just the values bound, and for
    // the other columns nulls or their plain defaults (`defaults_`): no
    // trigger, no generated column, no default of another kind, text kept in
    // UTF-8. Its INTEGER PRIMARY KEY, if any, holds the row's ID.
    bool InsertsKeepValues(std::string_view what) {
        SqliteStatement triggers(connection_,
                                 "SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND "
                                 "tbl_name = ?1 COLLATE NOCASE",
                                 what);
        triggers.Bind(1, table_);
        if (!triggers.Step(what) || triggers.Column(0).WholeNumber() != 0) return false;
        SqliteStatement columns(connection_,
                                "SELECT name, type, pk, hidden, dflt_value FROM "
                                "pragma_table_xinfo(?1)",
                                what);
        columns.Bind(1, table_);
        std::size_t keys = 0;
        while (columns.Step(what)) {
            if (columns.Column(3).WholeNumber() != 0) return false;
            if (const FieldValue defined = columns.Column(4); !defined.IsNull()) {
                const auto column = FindColumn(columns_, columns.Column(0).Text());
                const auto value = PlainDefault(TextOf(defined).value_or(""));
                if (!column || !value || !KeptAsGiven(columns_[*column].type, *value)) return false;
                defaults_[*column] = *value;
            }
            if (columns.Column(2).WholeNumber() == 0) continue;
            ++keys;
            const auto type = TextOf(columns.Column(1)).value_or("");
            if (sqlite3_stricmp(type.c_str(), "INTEGER") == 0)
                rowIdColumn_ = FindColumn(columns_, columns.Column(0).Text());
        }
        if (keys != 1) rowIdColumn_.reset();
        SqliteStatement encoding(connection_, "PRAGMA encoding", what);
        return encoding.Step(what) && TextOf(encoding.Column(0)) == "UTF-8";
    }

    // Whether SQLite stores each value as it is bound. Otherwise it converts
    // some value, and the row is read back.
    bool StoredAsBound(const std::vector<ColumnValue>& values) const {
        if (!insertsKeepValues_) return false;
        return std::all_of(values.begin(), values.end(), [&](const ColumnValue& set) {
            return KeptAsGiven(columns_[set.column].type, set.value);
        });
    }

    StoredRow RowAsBound(std::int64_t rowId, const std::vector<ColumnValue>& values) const {
        StoredRow row;
        row.rowId = rowId;
        row.values = defaults_;
        for (const ColumnValue& set : values)
            row.values[set.column] = set.value;
        // Given or not (null), it holds the ID the row got.
        if (rowIdColumn_) row.values[*rowIdColumn_] = rowId;
        return row;
    }

    StoredRow RowOf(const SqliteStatement& statement) const {
        StoredRow row;
        row.rowId = statement.Column(0).WholeNumber();
        row.values.reserve(columns_.size());
        for (std::size_t i = 0; i < columns_.size(); ++i)
            row.values.push_back(statement.Column(static_cast<int>(i + 1)));
        return row;
    }

    StoredRow ReadOne(std::int64_t rowId) {
        const std::string what = "could not read row " + std::to_string(rowId) + " of " + Where();
        selectOne_->Reset();
        selectOne_->Bind(1, rowId);
        if (!selectOne_->Step(what)) {
            selectOne_->Reset();
            connection_->Fail(what, "the row no longer exists");
        }
        StoredRow row = RowOf(*selectOne_);
        selectOne_->Reset();
        return row;
    }

    std::shared_ptr<SqliteConnection> connection_;
    std::string table_;
    std::vector<ColumnLayout> columns_;
    std::string rowId_;
    std::string select_;
    std::unique_ptr<SqliteStatement> selectOne_;
    std::unique_ptr<SqliteStatement> delete_;
    // A new row need not be read back (see InsertsKeepValues); the column
    // that is the row's ID, if any.
    bool insertsKeepValues_ = false;
    std::optional<std::size_t> rowIdColumn_;
    std::vector<FieldValue> defaults_;  // by column; null where there is none
    StatementCache inserts_;
    StatementCache updates_;
    std::vector<std::size_t> cacheKey_;
};

// A table's rows read as the pass goes, each column converted when it is
// first asked for: a load then holds one row, not the table.
class SqliteRowReader final : public RowReader {
  public:
    SqliteRowReader(const std::shared_ptr<SqliteConnection>& connection, std::string table,
                    std::vector<ColumnLayout> columns, const std::string& rowIdName)
        : table_(std::move(table)),
          columns_(std::move(columns)),
          values_(columns_.size()),
          read_(columns_.size(), false),
          what_("could not read table " + table_) {
        all_.emplace(connection,
                     SelectAllSql(table_, columns_, rowIdName) + " ORDER BY " + rowIdName, what_);
        path_ = connection->Path();
    }

    bool Next() override {
        rowId_.reset();
        // Stepping a finished statement would start it over.
        if (done_ || !all_->Step(what_)) {
            done_ = true;
            return false;
        }
        rowId_ = all_->Column(0).WholeNumber();
        std::fill(read_.begin(), read_.end(), false);
        return true;
    }

    bool HasColumn(std::string_view column) const override {
        return FindColumn(columns_, column).has_value();
    }

    std::size_t ColumnIndex(std::string_view column) const override {
        return RequireColumn(columns_, column, table_, path_);
    }

    const FieldValue& FieldAt(std::size_t column) const override {
        CheckReadable(column);
        if (!read_[column]) {
            values_[column] = all_->Column(static_cast<int>(column + 1));
            read_[column] = true;
        }
        return values_[column];
    }

    // A value read once is taken as it was held; any other is made straight
    // from the row.
    std::optional<std::string> TextAt(std::size_t column) const override {
        CheckReadable(column);
        if (read_[column]) return TextOf(values_[column]);
        return all_->ColumnText(static_cast<int>(column + 1));
    }

    const std::filesystem::path& DatabasePath() const override { return path_; }
    const std::string& TableName() const override { return table_; }
    std::optional<std::int64_t> CurrentRowId() const override { return rowId_; }

  private:
    std::string Where() const { return "table " + table_ + " in " + path_.string(); }

    void CheckReadable(std::size_t column) const {
        RequireColumnPlace(columns_, column, table_, path_);
        if (!rowId_) {
            throw Error("Cannot read column " + columns_[column].name +
                        ": there is no current row in " + Where() + ".");
        }
    }

    std::string table_;
    std::filesystem::path path_;
    std::vector<ColumnLayout> columns_;
    mutable std::vector<FieldValue> values_;  // of the current row, as read so far
    mutable std::vector<bool> read_;
    std::string what_;
    std::optional<SqliteStatement> all_;
    std::optional<std::int64_t> rowId_;  // nullopt before the first row and after the last
    bool done_ = false;
};

class SqliteDatabase final : public Database {
  public:
    explicit SqliteDatabase(std::shared_ptr<SqliteConnection> connection)
        : connection_(std::move(connection)) {}
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;
    ~SqliteDatabase() override {
        // Recordsets may keep the file open longer; the transaction ends here.
        if (levels_->Depth() > 0) RollbackTransaction();
    }

    std::unique_ptr<Recordset> OpenRecordset(std::string_view table) override {
        return Open(table, nullptr);
    }

    std::unique_ptr<Recordset> OpenRecordsetWithKeys(std::string_view table,
                                                     const RowKeys& only) override {
        return Open(table, &only);
    }

    std::unique_ptr<RowReader> ReadRows(std::string_view table) override {
        const std::string name = ExistingTableName(table);
        std::vector<ColumnLayout> columns = Columns(name);
        const std::string rowIdName = RowIdName(name, columns);
        return std::make_unique<SqliteRowReader>(connection_, name, std::move(columns), rowIdName);
    }

    bool HasTable(std::string_view table) override { return StoredTableName(table).has_value(); }

    void CheckIntegrity() override {
        const std::string what = "could not be checked";
        SqliteStatement check(connection_, "PRAGMA quick_check", what);
        std::vector<std::string> problems;
        while (check.Step(what)) {
            std::string line = TextOf(check.Column(0)).value_or("");
            if (line != "ok") problems.push_back(std::move(line));
        }
        if (problems.empty()) return;
        constexpr std::size_t kShown = 3;
        std::string found;
        for (std::size_t i = 0; i < problems.size() && i < kShown; ++i)
            found += (i > 0 ? "; " : "") + problems[i];
        if (problems.size() > kShown)
            found += "; and " + std::to_string(problems.size() - kShown) + " more";
        throw Error("The database " + Path().string() +
                    " is damaged (SQLite's quick check found: " + found +
                    "). Velmora does not write to a damaged file: repair it, or restore it from "
                    "a backup, and start the synchronization again.");
    }

    void BeginTransaction() override {
        if (levels_->Depth() > 0) connection_->Fail("could not begin writing", "already writing");
        // IMMEDIATE takes the write lock now, so that a held lock costs one
        // wait here instead of one per change.
        connection_->Execute("BEGIN IMMEDIATE", "could not begin writing");
        levels_->Push();
    }

    void CommitTransaction() override {
        CheckDepth(1, "could not store the changes");
        connection_->Execute("COMMIT", "could not store the changes");
        while (levels_->Depth() > 0)
            levels_->Keep();
    }

    void RollbackTransaction() noexcept override {
        if (levels_->Depth() == 0) return;
        // Should ROLLBACK itself fail, closing the file still rolls the
        // transaction back: there is nothing further to do here.
        sqlite3_exec(connection_->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        while (levels_->Depth() > 0)
            levels_->Undo();
    }

    void SetSavepoint() override {
        CheckDepth(1, "could not set a savepoint");
        RunPrepared(setSavepoint_, "SAVEPOINT ", levels_->Depth() + 1, "could not set a savepoint");
        levels_->Push();
    }

    void ReleaseSavepoint() override {
        const std::string_view what = "could not keep the changes since a savepoint";
        CheckDepth(2, what);
        RunPrepared(releaseSavepoint_, "RELEASE ", levels_->Depth(), what);
        levels_->Keep();
    }

    void RollbackToSavepoint() override {
        CheckDepth(2, "could not undo the changes since a savepoint");
        const std::string name = SavepointName(levels_->Depth());
        connection_->Execute("ROLLBACK TO " + name + "; RELEASE " + name,
                             "could not undo the changes since a savepoint");
        levels_->Undo();
    }

    const std::filesystem::path& Path() const override { return connection_->Path(); }

  private:
    using Prepared = std::vector<std::unique_ptr<SqliteStatement>>;

    static std::string SavepointName(int level) { return "velmora_" + std::to_string(level); }

    // A writer sets and releases a savepoint for each contact: the statement
    // of each level is prepared once, since preparing it cost more than
    // running it.
    void RunPrepared(Prepared& prepared, std::string_view verb, int level, std::string_view what) {
        const auto at = static_cast<std::size_t>(level);
        if (prepared.size() <= at) prepared.resize(at + 1);
        if (!prepared[at]) {
            prepared[at] = std::make_unique<SqliteStatement>(
                connection_, std::string(verb) + SavepointName(level), what);
        }
        prepared[at]->Reset();
        prepared[at]->Step(what);
    }

    void CheckDepth(int depth, std::string_view what) const {
        if (levels_->Depth() < depth) {
            connection_->Fail(what, depth == 1 ? "no transaction is open" : "no savepoint is set");
        }
    }

    // The table's name as the file spells it; nullopt when there is none.
    std::optional<std::string> StoredTableName(std::string_view table) {
        const std::string what = "could not look for table " + std::string(table);
        SqliteStatement find(connection_,
                             "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                             "COLLATE NOCASE",
                             what);
        find.Bind(1, table);
        if (!find.Step(what)) return std::nullopt;
        return find.Column(0).Text();
    }

    std::unique_ptr<Recordset> Open(std::string_view table, const RowKeys* only) {
        const std::string name = ExistingTableName(table);
        std::vector<ColumnLayout> columns = Columns(name);
        std::string rowIdName = RowIdName(name, columns);
        return std::make_unique<BufferedRecordset>(
            Path(), name, columns,
            std::make_unique<SqliteTableStorage>(connection_, name, columns, std::move(rowIdName)),
            levels_, only);
    }

    std::string ExistingTableName(std::string_view table) {
        auto name = StoredTableName(table);
        if (!name) {
            throw Error("The table " + std::string(table) + " does not exist in the database " +
                        Path().string() + ".");
        }
        return std::move(*name);
    }

    std::vector<ColumnLayout> Columns(const std::string& table) {
        const std::string what = "could not read the columns of table " + table;
        SqliteStatement info(connection_, "SELECT name, type FROM pragma_table_info(?1)", what);
        info.Bind(1, table);
        std::vector<ColumnLayout> columns;
        while (info.Step(what)) {
            const std::string declared = TextOf(info.Column(1)).value_or("");
            columns.push_back(
                ColumnLayout{info.Column(0).Text(), ColumnTypeOfDeclaration(declared)});
        }
        return columns;
    }

    // One of SQLite's names for the row key that no column has taken.
    std::string RowIdName(const std::string& table, const std::vector<ColumnLayout>& columns) {
        for (const std::string_view candidate : {"rowid", "_rowid_", "oid"}) {
            const auto takes = [&](const ColumnLayout& column) {
                return sqlite3_stricmp(column.name.c_str(), candidate.data()) == 0;
            };
            if (std::none_of(columns.begin(), columns.end(), takes)) return std::string(candidate);
        }
        connection_->Fail("could not open table " + table, "its columns hide the row key");
    }

    std::shared_ptr<SqliteConnection> connection_;
    std::shared_ptr<TransactionLevels> levels_ = std::make_shared<TransactionLevels>();
    Prepared setSavepoint_;      // by level
    Prepared releaseSavepoint_;  // by level
};

}  // namespace

std::unique_ptr<Database> SqliteDatabaseEngine::OpenDatabase(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        throw Error("The database file " + path.string() + " does not exist.");
    }
    if (std::filesystem::is_directory(status)) {
        throw Error("The database path " + path.string() + " is a folder, not a file.");
    }
    auto connection =
        std::make_shared<SqliteConnection>(path, SqliteConnection::Mode::OpenExisting, lockWait_);
    // SQLite reads the file lazily; read its schema now so that a file that
    // is not a database is reported here, by name.
    const std::string what = "could not be read";
    SqliteStatement probe(connection, "SELECT count(*) FROM sqlite_master", what);
    probe.Step(what);
    return std::make_unique<SqliteDatabase>(std::move(connection));
}

bool SqliteDatabaseEngine::DatabaseExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void SqliteDatabaseEngine::CreateDatabase(const std::filesystem::path& path,
                                          const std::vector<TableDefinition>& tables) {
    if (DatabaseExists(path)) {
        throw Error("The database file " + path.string() + " exists already.");
    }
    std::error_code error;
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        throw Error("The folder " + path.parent_path().string() +
                    " could not be created: " + error.message() + ".");
    }
    std::filesystem::path building = path;
    building += ".new";
    std::filesystem::remove(building, error);  // left by an earlier attempt
    try {
        {
            auto connection = std::make_shared<SqliteConnection>(
                building, SqliteConnection::Mode::CreateNew, lockWait_);
            connection->Execute("BEGIN", "could not be created");
            for (const TableDefinition& table : tables) {
                connection->Execute(CreateTableSql(table), "could not create table " + table.name);
                InsertRows(connection, table);
            }
            connection->Execute("COMMIT", "could not be created");
        }
        std::filesystem::rename(building, path);
    } catch (const std::filesystem::filesystem_error& failure) {
        std::filesystem::remove(building, error);
        throw Error("The database file " + path.string() +
                    " could not be created: " + failure.code().message() + ".");
    } catch (...) {
        std::filesystem::remove(building, error);
        throw;
    }
}

}  // namespace velmora
