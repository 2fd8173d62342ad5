#include "support/InMemoryDatabase.h"

#include <map>
#include <optional>
#include <utility>

#include "model/Error.h"
#include "stores/database/BufferedRecordset.h"

namespace velmora {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return lower;
}

std::string PathKey(const std::filesystem::path& path) {
    return path.lexically_normal().generic_string();
}

using Rows = std::map<std::int64_t, std::vector<FieldValue>>;  // by key

struct Table {
    TableDefinition definition;
    Rows rows;
};

std::optional<std::size_t> PrimaryKeyColumn(const TableDefinition& definition) {
    for (std::size_t i = 0; i < definition.columns.size(); ++i)
        if (definition.columns[i].primaryKey) return i;
    return std::nullopt;
}

bool IsBelow(const FieldValue& value, std::int64_t minimum) {
    if (value.IsWholeNumber()) return value.WholeNumber() < minimum;
    return value.IsReal() && value.Real() < static_cast<double>(minimum);
}

class InMemoryTableStorage final : public TableStorage {
  public:
    InMemoryTableStorage(std::shared_ptr<Table> table, std::filesystem::path database)
        : table_(std::move(table)), database_(std::move(database)) {}

    std::vector<StoredRow> ReadAll(const RowFilter* only) override {
        std::vector<StoredRow> rows;
        for (const auto& [key, values] : table_->rows) {
            if (!only || only->Passes(values[only->Column()])) rows.push_back({key, values});
        }
        return rows;
    }

    StoredRow Insert(const std::vector<ColumnValue>& values) override {
        StoredRow row;
        for (const ColumnDefinition& column : table_->definition.columns)
            row.values.push_back(column.defaultValue.value_or(FieldValue()));
        return Store(std::move(row), values, "refused the new row of " + Where(), std::nullopt);
    }

    StoredRow Update(std::int64_t rowId, const std::vector<ColumnValue>& values) override {
        const std::string refused =
            "refused the change to row " + std::to_string(rowId) + " of " + Where();
        return Store({rowId, Find(rowId, refused)}, values, refused, rowId);
    }

    void Delete(std::int64_t rowId) override {
        Find(rowId, "could not delete row " + std::to_string(rowId) + " of " + Where());
        table_->rows.erase(rowId);
    }

  private:
    std::string Where() const { return "table " + table_->definition.name; }

    [[noreturn]] void Refuse(const std::string& refused, const std::string& reason) const {
        throw Error("The database " + database_.string() + " " + refused + ": " + reason + ".");
    }

    const std::vector<FieldValue>& Find(std::int64_t rowId, const std::string& refused) const {
        const auto found = table_->rows.find(rowId);
        if (found == table_->rows.end()) Refuse(refused, "the row no longer exists");
        return found->second;
    }

    // Stores the row under its primary key (else its own or the next free key).
    StoredRow Store(StoredRow row, const std::vector<ColumnValue>& values,
                    const std::string& refused, std::optional<std::int64_t> replacing) {
        const auto& columns = table_->definition.columns;
        for (const ColumnValue& set : values)
            row.values[set.column] = set.value;
        const auto key = PrimaryKeyColumn(table_->definition);
        if (key && !row.values[*key].IsNull()) {
            if (!row.values[*key].IsWholeNumber())
                Refuse(refused, "column " + columns[*key].name + " takes whole numbers only");
            row.rowId = row.values[*key].WholeNumber();
        } else if (!replacing) {
            row.rowId = table_->rows.empty() ? 1 : table_->rows.rbegin()->first + 1;
        }
        if (key) row.values[*key] = row.rowId;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].notNull && row.values[i].IsNull())
                Refuse(refused, "column " + columns[i].name + " may not be null");
            if (columns[i].minimum && IsBelow(row.values[i], *columns[i].minimum)) {
                Refuse(refused, "column " + columns[i].name + " may not be below " +
                                    std::to_string(*columns[i].minimum));
            }
        }
        if (row.rowId != replacing && table_->rows.contains(row.rowId))
            Refuse(refused, "a row with key " + std::to_string(row.rowId) + " exists already");
        if (replacing) table_->rows.erase(*replacing);
        table_->rows[row.rowId] = row.values;
        return row;
    }

    std::shared_ptr<Table> table_;
    std::filesystem::path database_;
};

}  // namespace

struct InMemoryDatabaseEngine::Contents {
    std::map<std::string, std::shared_ptr<Table>> tables;  // by lower-case name
    // Every table's rows at the start of the transaction and of each savepoint.
    std::vector<std::map<std::string, Rows>> saved;

    void Save() {
        auto& rows = saved.emplace_back();
        for (const auto& [name, table] : tables)
            rows[name] = table->rows;
    }
    void Restore(const std::map<std::string, Rows>& rows) {
        for (const auto& [name, table] : tables)
            table->rows = rows.at(name);
    }
};

namespace {

// One connection; its transaction locks out other writers, but not readers.
class InMemoryDatabase final : public Database {
  public:
    InMemoryDatabase(std::shared_ptr<InMemoryDatabaseEngine::Contents> contents,
                     std::filesystem::path path)
        : contents_(std::move(contents)), path_(std::move(path)) {}
    InMemoryDatabase(const InMemoryDatabase&) = delete;
    InMemoryDatabase& operator=(const InMemoryDatabase&) = delete;
    ~InMemoryDatabase() override {
        if (levels_->Depth() > 0) RollbackTransaction();
    }

    std::unique_ptr<Recordset> OpenRecordset(std::string_view table) override {
        return Open(table, nullptr);
    }

    std::unique_ptr<Recordset> OpenRecordsetWithKeys(std::string_view table,
                                                     const RowKeys& only) override {
        return Open(table, &only);
    }

    bool HasTable(std::string_view table) override {
        return contents_->tables.contains(LowerAscii(table));
    }

    void CheckIntegrity() override {}  // memory holds no damaged pages

    void BeginTransaction() override {
        if (levels_->Depth() > 0) Refuse("could not begin a transaction", "one is open already");
        if (!contents_->saved.empty()) {
            throw DatabaseLockedError("The database " + path_.string() +
                                      " is locked by another connection.");
        }
        contents_->Save();
        levels_->Push();
    }

    void CommitTransaction() override {
        CheckInTransaction("commit");
        contents_->saved.clear();
        while (levels_->Depth() > 0)
            levels_->Keep();
    }

    void RollbackTransaction() noexcept override {
        if (levels_->Depth() == 0) return;
        contents_->Restore(contents_->saved.front());
        contents_->saved.clear();
        while (levels_->Depth() > 0)
            levels_->Undo();
    }

    void SetSavepoint() override {
        CheckInTransaction("set a savepoint");
        contents_->Save();
        levels_->Push();
    }

    void ReleaseSavepoint() override {
        CheckInSavepoint("release a savepoint");
        contents_->saved.pop_back();
        levels_->Keep();
    }

    void RollbackToSavepoint() override {
        CheckInSavepoint("roll back to a savepoint");
        contents_->Restore(contents_->saved.back());
        contents_->saved.pop_back();
        levels_->Undo();
    }

    const std::filesystem::path& Path() const override { return path_; }

  private:
    std::unique_ptr<Recordset> Open(std::string_view table, const RowKeys* only) {
        const auto found = contents_->tables.find(LowerAscii(table));
        if (found == contents_->tables.end()) {
            throw Error("The table " + std::string(table) + " does not exist in the database " +
                        path_.string() + ".");
        }
        const std::shared_ptr<Table>& stored = found->second;
        std::vector<ColumnLayout> layout;
        for (const ColumnDefinition& column : stored->definition.columns)
            layout.push_back(ColumnLayout{column.name, column.type});
        return std::make_unique<BufferedRecordset>(
            path_, stored->definition.name, std::move(layout),
            std::make_unique<InMemoryTableStorage>(stored, path_), levels_, only);
    }

    [[noreturn]] void Refuse(std::string_view what, std::string_view reason) const {
        throw Error("The database " + path_.string() + " " + std::string(what) + ": " +
                    std::string(reason) + ".");
    }

    void CheckInTransaction(std::string_view action) const {
        if (levels_->Depth() == 0)
            Refuse("could not " + std::string(action), "no transaction is open");
    }

    void CheckInSavepoint(std::string_view action) const {
        if (levels_->Depth() < 2) Refuse("could not " + std::string(action), "no savepoint is set");
    }

    std::shared_ptr<InMemoryDatabaseEngine::Contents> contents_;
    std::filesystem::path path_;
    std::shared_ptr<TransactionLevels> levels_ = std::make_shared<TransactionLevels>();
};

}  // namespace

InMemoryDatabaseEngine::InMemoryDatabaseEngine() = default;
InMemoryDatabaseEngine::~InMemoryDatabaseEngine() = default;

std::unique_ptr<Database> InMemoryDatabaseEngine::OpenDatabase(const std::filesystem::path& path) {
    const auto found = databases_.find(PathKey(path));
    if (found == databases_.end())
        throw Error("The database file " + path.string() + " does not exist.");
    return std::make_unique<InMemoryDatabase>(found->second, path);
}

bool InMemoryDatabaseEngine::DatabaseExists(const std::filesystem::path& path) {
    return databases_.contains(PathKey(path));
}

void InMemoryDatabaseEngine::CreateDatabase(const std::filesystem::path& path,
                                            const std::vector<TableDefinition>& tables) {
    if (DatabaseExists(path))
        throw Error("The database file " + path.string() + " exists already.");
    auto contents = std::make_shared<Contents>();
    for (const TableDefinition& definition : tables) {
        if (contents->tables.contains(LowerAscii(definition.name))) {
            throw Error("The database " + path.string() + " could not be created: table " +
                        definition.name + " is defined twice.");
        }
        auto table = std::make_shared<Table>();
        table->definition = definition;
        table->definition.rows.clear();
        contents->tables[LowerAscii(definition.name)] = table;
        // Through a recordset, so the first rows are converted and checked too.
        InMemoryDatabase database(contents, path);
        const auto recordset = database.OpenRecordset(definition.name);
        for (const auto& values : definition.rows) {
            recordset->AddNew();
            for (std::size_t i = 0; i < values.size() && i < definition.columns.size(); ++i)
                recordset->SetField(definition.columns[i].name, values[i]);
            recordset->Update();
        }
    }
    databases_[PathKey(path)] = std::move(contents);
}

}  // namespace velmora
