#include "stores/database/BufferedRecordset.h"

#include <algorithm>
#include <utility>

#include "model/Error.h"

namespace velmora {

namespace {

bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

BufferedRecordset::BufferedRecordset(std::filesystem::path database, std::string table,
                                     std::vector<ColumnLayout> columns,
                                     std::unique_ptr<TableStorage> storage)
    : database_(std::move(database)),
      table_(std::move(table)),
      columns_(std::move(columns)),
      storage_(std::move(storage)) {
    for (StoredRow& row : storage_->ReadAll())
        entries_.push_back(Entry{std::move(row)});
    liveRows_ = entries_.size();
    MoveFirst();
}

std::string BufferedRecordset::Where() const {
    return "table " + table_ + " in " + database_.string();
}

void BufferedRecordset::CheckOpen() const {
    if (!storage_) throw Error("The recordset of " + Where() + " has been closed.");
}

const BufferedRecordset::Entry& BufferedRecordset::CurrentEntry(std::string_view action,
                                                                std::string_view column) const {
    CheckOpen();
    if (place_ == Place::OnRow && !entries_[index_].deleted) return entries_[index_];
    std::string message = "Cannot " + std::string(action);
    if (!column.empty()) message += " " + std::string(column);
    if (place_ != Place::OnRow) {
        throw Error(message + ": there is no current row in " + Where() + ".");
    }
    throw Error(message + ": row " + std::to_string(entries_[index_].row.rowId) + " of " + Where() +
                " has been deleted.");
}

std::size_t BufferedRecordset::ColumnIndex(std::string_view column) const {
    // Callers nearly always spell the name as the table does: try that first.
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].name == column) return i;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (SameNameIgnoringAsciiCase(columns_[i].name, column)) return i;
    }
    throw Error("The " + Where() + " has no column " + std::string(column) + ".");
}

void BufferedRecordset::DropBuffer() {
    editMode_ = EditMode::None;
    buffer_.clear();
}

bool BufferedRecordset::Eof() const {
    CheckOpen();
    return liveRows_ == 0 || place_ == Place::AfterLast;
}

bool BufferedRecordset::Bof() const {
    CheckOpen();
    return liveRows_ == 0 || place_ == Place::BeforeFirst;
}

void BufferedRecordset::SeekForward(std::size_t from) {
    for (std::size_t i = from; i < entries_.size(); ++i) {
        if (!entries_[i].deleted) {
            place_ = Place::OnRow;
            index_ = i;
            return;
        }
    }
    place_ = Place::AfterLast;
}

void BufferedRecordset::SeekBackward(std::size_t before) {
    for (std::size_t i = before; i > 0; --i) {
        if (!entries_[i - 1].deleted) {
            place_ = Place::OnRow;
            index_ = i - 1;
            return;
        }
    }
    place_ = Place::BeforeFirst;
}

void BufferedRecordset::MoveFirst() {
    CheckOpen();
    DropBuffer();
    SeekForward(0);
}

void BufferedRecordset::MoveNext() {
    CheckOpen();
    DropBuffer();
    switch (place_) {
        case Place::BeforeFirst:
            SeekForward(0);
            break;
        case Place::OnRow:
            SeekForward(index_ + 1);
            break;
        case Place::AfterLast:
            break;
    }
}

void BufferedRecordset::MoveLast() {
    CheckOpen();
    DropBuffer();
    SeekBackward(entries_.size());
}

void BufferedRecordset::MovePrevious() {
    CheckOpen();
    DropBuffer();
    switch (place_) {
        case Place::AfterLast:
            SeekBackward(entries_.size());
            break;
        case Place::OnRow:
            SeekBackward(index_);
            break;
        case Place::BeforeFirst:
            break;
    }
}

FieldValue BufferedRecordset::Field(std::string_view column) const {
    const std::size_t index = ColumnIndex(column);
    return CurrentEntry("read column", column).row.values[index];
}

void BufferedRecordset::SetField(std::string_view column, const FieldValue& value) {
    CheckOpen();
    const std::size_t index = ColumnIndex(column);
    if (editMode_ == EditMode::None) {
        throw Error("Cannot set column " + std::string(column) +
                    ": no row is being added or edited in " + Where() + ".");
    }
    const ColumnLayout& layout = columns_[index];
    auto converted = ConvertForColumn(value, layout.type);
    if (!converted) {
        throw Error("The value " + DescribeValue(value) + " cannot be stored in the " +
                    std::string(ColumnTypeWord(layout.type)) + " column " + layout.name + " of " +
                    Where() + ".");
    }
    const auto same = [&](const ColumnValue& set) { return set.column == index; };
    if (const auto found = std::find_if(buffer_.begin(), buffer_.end(), same);
        found != buffer_.end()) {
        found->value = std::move(*converted);
    } else {
        buffer_.push_back(ColumnValue{index, std::move(*converted)});
    }
}

void BufferedRecordset::AddNew() {
    CheckOpen();
    DropBuffer();
    editMode_ = EditMode::New;
}

void BufferedRecordset::Edit() {
    CurrentEntry("edit a row");
    DropBuffer();
    editMode_ = EditMode::Existing;
}

void BufferedRecordset::InsertEntry(StoredRow row) {
    const auto position = std::upper_bound(
        entries_.begin(), entries_.end(), row.rowId,
        [](std::int64_t rowId, const Entry& entry) { return rowId < entry.row.rowId; });
    const auto at = static_cast<std::size_t>(position - entries_.begin());
    entries_.insert(position, Entry{std::move(row)});
    ++liveRows_;
    if (place_ == Place::OnRow && at <= index_) ++index_;
}

void BufferedRecordset::Update() {
    CheckOpen();
    const EditMode mode = std::exchange(editMode_, EditMode::None);
    const std::vector<ColumnValue> values = std::exchange(buffer_, {});
    switch (mode) {
        case EditMode::None:
            throw Error("Cannot store a row: no row is being added or edited in " + Where() + ".");
        case EditMode::New:
            InsertEntry(storage_->Insert(values));
            break;
        case EditMode::Existing:
            entries_[index_].row = storage_->Update(entries_[index_].row.rowId, values);
            break;
    }
}

void BufferedRecordset::Delete() {
    const std::int64_t rowId = CurrentEntry("delete a row").row.rowId;
    DropBuffer();
    storage_->Delete(rowId);
    entries_[index_].deleted = true;
    --liveRows_;
}

void BufferedRecordset::Close() {
    DropBuffer();
    storage_.reset();
    entries_.clear();
    liveRows_ = 0;
}

std::optional<std::int64_t> BufferedRecordset::CurrentRowId() const {
    if (!storage_ || place_ != Place::OnRow) return std::nullopt;
    return entries_[index_].row.rowId;
}

}  // namespace velmora
