#include "support/InMemoryDatabase.h"

#include <algorithm>
#include <utility>

#include "model/Error.h"
#include "stores/database/BufferedRecordset.h"

namespace velmora {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return lower;
}

std::string PathKey(const std::filesystem::path& path) {
    return path.lexically_normal().generic_string();
}

struct Table {
    TableDefinition definition;
    std::vector<StoredRow> rows;  // in key order
};

// What the open transaction of a database changed, so that it can be undone.
struct Journal {
    struct Step {
        enum class Kind { Inserted, Updated, Deleted } kind = Kind::Inserted;
        std::shared_ptr<Table> table;
        std::int64_t rowId = 0;  // the row as it is after the change
        StoredRow before;        // an updated or deleted row as it was
    };
    bool open = false;
    std::vector<Step> steps;
    std::vector<std::size_t> marks;  // the length of steps when each level began

    void Add(Step step) {
        if (open) steps.push_back(std::move(step));
    }

    void UndoTo(std::size_t mark) {
        while (steps.size() > mark) {
            Undo(steps.back());
            steps.pop_back();
        }
    }

  private:
    static void Undo(const Step& step) {
        auto& rows = step.table->rows;
        const auto at = std::find_if(rows.begin(), rows.end(),
                                     [&](const StoredRow& row) { return row.rowId == step.rowId; });
        if (at == rows.end() && step.kind != Step::Kind::Deleted) return;  // kept in order: never
        switch (step.kind) {
            case Step::Kind::Inserted:
                rows.erase(at);
                break;
            case Step::Kind::Updated:
                *at = step.before;
                break;
            case Step::Kind::Deleted:
                rows.push_back(step.before);
                break;
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](const StoredRow& a, const StoredRow& b) { return a.rowId < b.rowId; });
    }
};

std::optional<std::size_t> PrimaryKeyColumn(const TableDefinition& definition) {
    for (std::size_t i = 0; i < definition.columns.size(); ++i) {
        if (definition.columns[i].primaryKey) return i;
    }
    return std::nullopt;
}

bool IsBelow(const FieldValue& value, std::int64_t minimum) {
    if (value.IsWholeNumber()) return value.WholeNumber() < minimum;
    return value.IsReal() && value.Real() < static_cast<double>(minimum);
}

class InMemoryTableStorage final : public TableStorage {
  public:
    InMemoryTableStorage(std::shared_ptr<Table> table, std::filesystem::path database,
                         std::shared_ptr<Journal> journal)
        : table_(std::move(table)), database_(std::move(database)), journal_(std::move(journal)) {}

    std::vector<StoredRow> ReadAll() override { return table_->rows; }

    StoredRow Insert(const std::vector<ColumnValue>& values) override {
        const auto& columns = table_->definition.columns;
        StoredRow row;
        for (const ColumnDefinition& column : columns)
            row.values.push_back(column.defaultValue.value_or(FieldValue()));
        for (const ColumnValue& set : values)
            row.values[set.column] = set.value;
        const std::string refused = "refused the new row of " + Where();
        row.rowId = KeyOf(row, refused).value_or(NextKey());
        if (const auto key = PrimaryKeyColumn(table_->definition)) row.values[*key] = row.rowId;
        Check(row, refused, std::nullopt);
        const auto at = std::upper_bound(
            table_->rows.begin(), table_->rows.end(), row.rowId,
            [](std::int64_t rowId, const StoredRow& stored) { return rowId < stored.rowId; });
        table_->rows.insert(at, row);
        journal_->Add({Journal::Step::Kind::Inserted, table_, row.rowId, {}});
        return row;
    }

    StoredRow Update(std::int64_t rowId, const std::vector<ColumnValue>& values) override {
        const std::string refused =
            "refused the change to row " + std::to_string(rowId) + " of " + Where();
        StoredRow& stored = Find(rowId, refused);
        StoredRow row = stored;
        for (const ColumnValue& set : values)
            row.values[set.column] = set.value;
        row.rowId = KeyOf(row, refused).value_or(rowId);
        Check(row, refused, rowId);
        journal_->Add({Journal::Step::Kind::Updated, table_, row.rowId, stored});
        stored = row;
        std::stable_sort(table_->rows.begin(), table_->rows.end(),
                         [](const StoredRow& a, const StoredRow& b) { return a.rowId < b.rowId; });
        return row;
    }

    void Delete(std::int64_t rowId) override {
        const std::string refused =
            "could not delete row " + std::to_string(rowId) + " of " + Where();
        StoredRow& stored = Find(rowId, refused);
        journal_->Add({Journal::Step::Kind::Deleted, table_, rowId, stored});
        table_->rows.erase(table_->rows.begin() + (&stored - table_->rows.data()));
    }

  private:
    std::string Where() const { return "table " + table_->definition.name; }

    [[noreturn]] void Refuse(const std::string& refused, const std::string& reason) const {
        throw Error("The database " + database_.string() + " " + refused + ": " + reason + ".");
    }

    StoredRow& Find(std::int64_t rowId, const std::string& refused) {
        for (StoredRow& row : table_->rows) {
            if (row.rowId == rowId) return row;
        }
        Refuse(refused, "the row no longer exists");
    }

    std::int64_t NextKey() const {
        return table_->rows.empty() ? 1 : table_->rows.back().rowId + 1;
    }

    // The key a row asks for through its primary-key column, if it has one.
    std::optional<std::int64_t> KeyOf(const StoredRow& row, const std::string& refused) const {
        const auto key = PrimaryKeyColumn(table_->definition);
        if (!key || row.values[*key].IsNull()) return std::nullopt;
        if (!row.values[*key].IsWholeNumber()) {
            Refuse(refused,
                   "column " + table_->definition.columns[*key].name + " takes whole numbers only");
        }
        return row.values[*key].WholeNumber();
    }

    void Check(const StoredRow& row, const std::string& refused,
               std::optional<std::int64_t> replacing) const {
        const auto& columns = table_->definition.columns;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const FieldValue& value = row.values[i];
            if (columns[i].notNull && value.IsNull()) {
                Refuse(refused, "column " + columns[i].name + " may not be null");
            }
            if (columns[i].minimum && IsBelow(value, *columns[i].minimum)) {
                Refuse(refused, "column " + columns[i].name + " may not be below " +
                                    std::to_string(*columns[i].minimum));
            }
        }
        for (const StoredRow& other : table_->rows) {
            if (other.rowId == row.rowId && other.rowId != replacing) {
                Refuse(refused, "a row with key " + std::to_string(row.rowId) + " exists already");
            }
        }
    }

    std::shared_ptr<Table> table_;
    std::filesystem::path database_;
    std::shared_ptr<Journal> journal_;
};

}  // namespace

struct InMemoryDatabaseEngine::Contents {
    std::map<std::string, std::shared_ptr<Table>> tables;  // by lower-case name
    std::shared_ptr<Journal> journal = std::make_shared<Journal>();
};

namespace {

// One connection to a database held in memory. Its transaction is the one
// writer of the contents at a time, as a file's write lock would be; other
// connections see its changes at once (there is no isolation here).
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
            std::make_unique<InMemoryTableStorage>(stored, path_, contents_->journal), levels_);
    }

    bool HasTable(std::string_view table) override {
        return contents_->tables.contains(LowerAscii(table));
    }

    void CheckIntegrity() override {}  // memory holds no damaged pages

    void BeginTransaction() override {
        Journal& journal = *contents_->journal;
        if (levels_->Depth() > 0) Refuse("could not begin a transaction", "one is open already");
        if (journal.open) {
            throw DatabaseLockedError("The database " + path_.string() +
                                      " is locked by another connection.");
        }
        journal.open = true;
        journal.marks = {0};
        levels_->Push();
    }

    void CommitTransaction() override {
        CheckInTransaction("commit");
        Journal& journal = *contents_->journal;
        journal = Journal{};
        while (levels_->Depth() > 0)
            levels_->Keep();
    }

    void RollbackTransaction() noexcept override {
        if (levels_->Depth() == 0) return;
        Journal& journal = *contents_->journal;
        journal.UndoTo(0);
        journal = Journal{};
        while (levels_->Depth() > 0)
            levels_->Undo();
    }

    void SetSavepoint() override {
        CheckInTransaction("set a savepoint");
        contents_->journal->marks.push_back(contents_->journal->steps.size());
        levels_->Push();
    }

    void ReleaseSavepoint() override {
        CheckInSavepoint("release a savepoint");
        contents_->journal->marks.pop_back();
        levels_->Keep();
    }

    void RollbackToSavepoint() override {
        CheckInSavepoint("roll back to a savepoint");
        Journal& journal = *contents_->journal;
        journal.UndoTo(journal.marks.back());
        journal.marks.pop_back();
        levels_->Undo();
    }

    const std::filesystem::path& Path() const override { return path_; }

  private:
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
    if (found == databases_.end()) {
        throw Error("The database file " + path.string() + " does not exist.");
    }
    return std::make_unique<InMemoryDatabase>(found->second, path);
}

bool InMemoryDatabaseEngine::DatabaseExists(const std::filesystem::path& path) {
    return databases_.contains(PathKey(path));
}

void InMemoryDatabaseEngine::CreateDatabase(const std::filesystem::path& path,
                                            const std::vector<TableDefinition>& tables) {
    if (DatabaseExists(path)) {
        throw Error("The database file " + path.string() + " exists already.");
    }
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
        // The first rows go in through a recordset, so they are converted and
        // checked like any other.
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
