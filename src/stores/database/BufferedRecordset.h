#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// A column of an opened table as a recordset sees it.
struct ColumnLayout {
    std::string name;
    ColumnType type = ColumnType::Blob;
};

// The index of the named column (its exact spelling first, then ignoring
// ASCII case); nullopt when the layout has none.
std::optional<std::size_t> FindColumn(const std::vector<ColumnLayout>& columns,
                                      std::string_view name);

// The same for a column that must be there, and a check of a column's
// place: either is an error naming the table and its file when it fails.
std::size_t RequireColumn(const std::vector<ColumnLayout>& columns, std::string_view name,
                          std::string_view table, const std::filesystem::path& file);
void RequireColumnPlace(const std::vector<ColumnLayout>& columns, std::size_t place,
                        std::string_view table, const std::filesystem::path& file);

// A row as stored: its key and one value per column of the layout.
struct StoredRow {
    std::int64_t rowId = 0;
    std::vector<FieldValue> values;
};

// A value for the column at an index of the layout.
struct ColumnValue {
    std::size_t column = 0;
    FieldValue value;
};

// A value as lookups match it: whole numbers by number (7, 7.0, "07" and
// " 7" are one key), other values by their text; null is a key of its own.
using LookupKey = std::variant<std::monostate, std::int64_t, std::string>;
LookupKey LookupKeyOf(const FieldValue& value);

// The rows a recordset holds when it need not hold the whole table: those
// whose column holds one of the keys, as a lookup matches them.
class RowFilter {
  public:
    RowFilter(std::size_t column, const std::vector<FieldValue>& keys);
    std::size_t Column() const { return column_; }
    bool Passes(const FieldValue& value) const { return keys_.contains(LookupKeyOf(value)); }
    // The keys that are whole numbers, in ascending order.
    std::vector<std::int64_t> WholeNumberKeys() const;

  private:
    std::size_t column_;
    std::set<LookupKey> keys_;
};

// Where a recordset's rows live. Each call stores at once and returns the row
// as the table now holds it (defaults and the store's own conversions
// applied); a refusal is a velmora::Error.
class TableStorage {
  public:
    virtual ~TableStorage() = default;
    // In key order; with a filter, only the rows that pass it.
    virtual std::vector<StoredRow> ReadAll(const RowFilter* only) = 0;
    virtual StoredRow Insert(const std::vector<ColumnValue>& values) = 0;
    virtual StoredRow Update(std::int64_t rowId, const std::vector<ColumnValue>& values) = 0;
    virtual void Delete(std::int64_t rowId) = 0;
};

class BufferedRecordset;

// The levels of a database's open transaction (the transaction itself, then
// each savepoint), shared with the recordsets opened from it: the storage
// undoes a level itself, and each recordset undoes its own copy of the rows.
class TransactionLevels {
  public:
    int Depth() const { return depth_; }
    void Push();
    void Keep();  // ends the latest level with its changes
    void Undo();  // ends the latest level without them

    void Attach(BufferedRecordset& recordset);
    void Detach(BufferedRecordset& recordset);

  private:
    int depth_ = 0;
    std::vector<BufferedRecordset*> recordsets_;
};

// The recordset of every backend: it reads the table's rows once when it
// opens, walks them in key order, and passes each change straight to the
// storage while keeping its own copy of the rows in step. A deleted row stays
// in the walk as a gap, so that the rows around it are still its neighbours.
// Lookups go through an index per column, made on first use and kept in step.
class BufferedRecordset final : public Recordset {
  public:
    BufferedRecordset(std::filesystem::path database, std::string table,
                      std::vector<ColumnLayout> columns, std::unique_ptr<TableStorage> storage,
                      std::shared_ptr<TransactionLevels> levels, const RowKeys* only = nullptr);
    BufferedRecordset(const BufferedRecordset&) = delete;
    BufferedRecordset& operator=(const BufferedRecordset&) = delete;
    ~BufferedRecordset() override;

    bool Eof() const override;
    bool Bof() const override;
    void MoveFirst() override;
    void MoveNext() override;
    void MoveLast() override;
    void MovePrevious() override;
    bool FindFirst(std::string_view column, const FieldValue& key) override;
    bool FindLast(std::string_view column, const FieldValue& key) override;
    bool FindNext(std::string_view column, const FieldValue& key) override;
    bool FindPrevious(std::string_view column, const FieldValue& key) override;
    bool HasColumn(std::string_view column) const override;
    std::size_t ColumnIndex(std::string_view column) const override;
    const FieldValue& FieldAt(std::size_t column) const override;
    void SetField(std::string_view column, const FieldValue& value) override;
    void AddNew() override;
    void Edit() override;
    void Update() override;
    void Delete() override;
    void Close() override;
    const std::filesystem::path& DatabasePath() const override { return database_; }
    const std::string& TableName() const override { return table_; }
    std::optional<std::int64_t> CurrentRowId() const override;

    // Called by the transaction levels.
    void LevelPushed();
    void LevelKept();
    void LevelUndone();

  private:
    struct Entry {
        StoredRow row;
        bool deleted = false;
    };
    enum class Place { BeforeFirst, OnRow, AfterLast };
    enum class EditMode { None, Existing, New };
    // A change as the journal keeps it while a transaction is open.
    struct Change {
        enum class Kind { Inserted, Updated, Deleted } kind = Kind::Inserted;
        std::int64_t rowId = 0;  // the row as it is after the change
        StoredRow before;        // an updated row as it was
    };
    using Index = std::map<LookupKey, std::set<std::int64_t>>;  // row IDs by key

    void CheckOpen() const;
    // The current row; an error saying what could not be done when there is
    // none or it has been deleted.
    const Entry& CurrentEntry(std::string_view action, std::string_view column = {}) const;
    void DropBuffer();
    void SeekForward(std::size_t from);
    void SeekBackward(std::size_t before);
    // The live (or the latest deleted) entry of a key; entries_.size() when none.
    std::size_t EntryOf(std::int64_t rowId, bool deleted) const;
    void InsertEntry(StoredRow row);
    // Moves a re-keyed entry back into key order; the position follows it
    // when it is the current entry (the only one an Update re-keys).
    void PlaceEntry(std::size_t at);
    void Record(Change change);
    void UndoChange(const Change& change);

    const Index& IndexOf(std::size_t column);
    void AddToIndexes(const StoredRow& row);
    void RemoveFromIndexes(const StoredRow& row);
    enum class Direction { Forward, Backward };
    bool Find(std::string_view column, const FieldValue& key, Direction direction, bool fromEnd);
    std::string Where() const;  // "table T in FILE"

    std::filesystem::path database_;
    std::string table_;
    std::vector<ColumnLayout> columns_;
    std::unique_ptr<TableStorage> storage_;
    std::shared_ptr<TransactionLevels> levels_;

    std::vector<Entry> entries_;  // in key order
    std::size_t liveRows_ = 0;
    Place place_ = Place::BeforeFirst;
    std::size_t index_ = 0;  // the current entry when on a row

    EditMode editMode_ = EditMode::None;
    std::vector<ColumnValue> buffer_;

    std::map<std::size_t, Index> indexes_;  // by column, live rows only
    std::vector<Change> journal_;
    std::vector<std::size_t> marks_;  // the journal's length when each open level began
};

}  // namespace velmora
