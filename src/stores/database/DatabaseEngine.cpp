#include "stores/database/DatabaseEngine.h"

#include <utility>

namespace velmora {

namespace {

// A pass of reading over a recordset, for backends that hold their rows anyway.
class RecordsetRowReader final : public RowReader {
  public:
    explicit RecordsetRowReader(std::unique_ptr<Recordset> rows) : rows_(std::move(rows)) {}

    bool Next() override {
        if (started_) {
            rows_->MoveNext();
        } else if (!rows_->Eof()) {
            rows_->MoveFirst();
        }
        started_ = true;
        return !rows_->Eof();
    }
    bool HasColumn(std::string_view column) const override { return rows_->HasColumn(column); }
    std::size_t ColumnIndex(std::string_view column) const override {
        return rows_->ColumnIndex(column);
    }
    const FieldValue& FieldAt(std::size_t column) const override { return rows_->FieldAt(column); }
    const std::filesystem::path& DatabasePath() const override { return rows_->DatabasePath(); }
    const std::string& TableName() const override { return rows_->TableName(); }
    std::optional<std::int64_t> CurrentRowId() const override { return rows_->CurrentRowId(); }

  private:
    std::unique_ptr<Recordset> rows_;
    bool started_ = false;
};

}  // namespace

std::unique_ptr<RowReader> Database::ReadRows(std::string_view table) {
    return std::make_unique<RecordsetRowReader>(OpenRecordset(table));
}

}  // namespace velmora
