#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stores/database/DatabaseEngine.h"

namespace velmora {

// A column of an opened table as a recordset sees it.
struct ColumnLayout {
    std::string name;
    ColumnType type = ColumnType::Blob;
};

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

// Where a recordset's rows live. Each call stores at once and returns the row
// as the table now holds it (defaults and the store's own conversions
// applied); a refusal is a velmora::Error.
class TableStorage {
  public:
    virtual ~TableStorage() = default;
    virtual std::vector<StoredRow> ReadAll() = 0;  // in key order
    virtual StoredRow Insert(const std::vector<ColumnValue>& values) = 0;
    virtual StoredRow Update(std::int64_t rowId, const std::vector<ColumnValue>& values) = 0;
    virtual void Delete(std::int64_t rowId) = 0;
};

// The recordset of every backend: it reads the table's rows once when it
// opens, walks them in key order, and passes each change straight to the
// storage while keeping its own copy of the rows in step. A deleted row stays
// in the walk as a gap, so that the rows around it are still its neighbours.
class BufferedRecordset final : public Recordset {
  public:
    BufferedRecordset(std::filesystem::path database, std::string table,
                      std::vector<ColumnLayout> columns, std::unique_ptr<TableStorage> storage);

    bool Eof() const override;
    bool Bof() const override;
    void MoveFirst() override;
    void MoveNext() override;
    void MoveLast() override;
    void MovePrevious() override;
    FieldValue Field(std::string_view column) const override;
    void SetField(std::string_view column, const FieldValue& value) override;
    void AddNew() override;
    void Edit() override;
    void Update() override;
    void Delete() override;
    void Close() override;
    const std::filesystem::path& DatabasePath() const override { return database_; }
    const std::string& TableName() const override { return table_; }
    std::optional<std::int64_t> CurrentRowId() const override;

  private:
    struct Entry {
        StoredRow row;
        bool deleted = false;
    };
    enum class Place { BeforeFirst, OnRow, AfterLast };
    enum class EditMode { None, Existing, New };

    void CheckOpen() const;
    // The current row; an error saying what could not be done when there is
    // none or it has been deleted.
    const Entry& CurrentEntry(std::string_view action, std::string_view column = {}) const;
    std::size_t ColumnIndex(std::string_view column) const;
    void DropBuffer();
    void SeekForward(std::size_t from);
    void SeekBackward(std::size_t before);
    void InsertEntry(StoredRow row);
    std::string Where() const;  // "table T in FILE"

    std::filesystem::path database_;
    std::string table_;
    std::vector<ColumnLayout> columns_;
    std::unique_ptr<TableStorage> storage_;

    std::vector<Entry> entries_;
    std::size_t liveRows_ = 0;
    Place place_ = Place::BeforeFirst;
    std::size_t index_ = 0;  // the current entry when on a row

    EditMode editMode_ = EditMode::None;
    std::vector<ColumnValue> buffer_;
};

}  // namespace velmora
