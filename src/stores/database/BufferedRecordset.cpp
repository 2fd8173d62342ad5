#include "stores/database/BufferedRecordset.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "model/Error.h"
#include "model/Text.h"

namespace velmora {

std::optional<std::size_t> FindColumn(const std::vector<ColumnLayout>& columns,
                                      std::string_view name) {
    // Callers nearly always spell the name as the table does: try that first.
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == name) return i;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (EqualsIgnoringAsciiCase(columns[i].name, name)) return i;
    }
    return std::nullopt;
}

std::size_t RequireColumn(const std::vector<ColumnLayout>& columns, std::string_view name,
                          std::string_view table, const std::filesystem::path& file) {
    if (const auto index = FindColumn(columns, name)) return *index;
    throw Error("The table " + std::string(table) + " in " + file.string() + " has no column " +
                std::string(name) + ".");
}

void RequireColumnPlace(const std::vector<ColumnLayout>& columns, std::size_t place,
                        std::string_view table, const std::filesystem::path& file) {
    if (place < columns.size()) return;
    throw Error("There is no column " + std::to_string(place + 1) + " in table " +
                std::string(table) + " in " + file.string() + ".");
}

LookupKey LookupKeyOf(const FieldValue& value) {
    if (value.IsNull()) return std::monostate{};
    if (const auto whole = WholeNumberOf(value)) return *whole;
    return *TextOf(value);
}

RowFilter::RowFilter(std::size_t column, const std::vector<FieldValue>& keys) : column_(column) {
    for (const FieldValue& key : keys)
        keys_.insert(LookupKeyOf(key));
}

std::vector<std::int64_t> RowFilter::WholeNumberKeys() const {
    std::vector<std::int64_t> whole;
    for (const LookupKey& key : keys_) {
        if (const auto* number = std::get_if<std::int64_t>(&key)) whole.push_back(*number);
    }
    return whole;
}

void TransactionLevels::Push() {
    ++depth_;
    for (BufferedRecordset* recordset : recordsets_)
        recordset->LevelPushed();
}

void TransactionLevels::Keep() {
    if (depth_ == 0) return;
    --depth_;
    for (BufferedRecordset* recordset : recordsets_)
        recordset->LevelKept();
}

void TransactionLevels::Undo() {
    if (depth_ == 0) return;
    --depth_;
    for (BufferedRecordset* recordset : recordsets_)
        recordset->LevelUndone();
}

void TransactionLevels::Attach(BufferedRecordset& recordset) {
    recordsets_.push_back(&recordset);
    // Opened inside the transaction: its rows were read as they stand now,
    // so each open level starts with nothing to undo.
    for (int level = 0; level < depth_; ++level)
        recordset.LevelPushed();
}

void TransactionLevels::Detach(BufferedRecordset& recordset) {
    std::erase(recordsets_, &recordset);
}

BufferedRecordset::BufferedRecordset(std::filesystem::path database, std::string table,
                                     std::vector<ColumnLayout> columns,
                                     std::unique_ptr<TableStorage> storage,
                                     std::shared_ptr<TransactionLevels> levels, const RowKeys* only)
    : database_(std::move(database)),
      table_(std::move(table)),
      columns_(std::move(columns)),
      storage_(std::move(storage)),
      levels_(std::move(levels)) {
    std::optional<RowFilter> filter;
    if (only) filter.emplace(ColumnIndex(only->column), only->keys);
    std::vector<StoredRow> rows = storage_->ReadAll(filter ? &*filter : nullptr);
    entries_.reserve(rows.size());
    for (StoredRow& row : rows)
        entries_.push_back(Entry{std::move(row)});
    liveRows_ = entries_.size();
    MoveFirst();
    if (levels_) levels_->Attach(*this);
}

BufferedRecordset::~BufferedRecordset() {
    if (storage_ && levels_) levels_->Detach(*this);
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
    return RequireColumn(columns_, column, table_, database_);
}

bool BufferedRecordset::HasColumn(std::string_view column) const {
    CheckOpen();
    return FindColumn(columns_, column).has_value();
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

const BufferedRecordset::Index& BufferedRecordset::IndexOf(std::size_t column) {
    const auto found = indexes_.find(column);
    if (found != indexes_.end()) return found->second;
    Index& index = indexes_[column];
    for (const Entry& entry : entries_) {
        if (!entry.deleted) index[LookupKeyOf(entry.row.values[column])].insert(entry.row.rowId);
    }
    return index;
}

void BufferedRecordset::AddToIndexes(const StoredRow& row) {
    for (auto& [column, index] : indexes_)
        index[LookupKeyOf(row.values[column])].insert(row.rowId);
}

void BufferedRecordset::RemoveFromIndexes(const StoredRow& row) {
    for (auto& [column, index] : indexes_) {
        const auto found = index.find(LookupKeyOf(row.values[column]));
        if (found == index.end()) continue;
        found->second.erase(row.rowId);
        if (found->second.empty()) index.erase(found);
    }
}

bool BufferedRecordset::Find(std::string_view column, const FieldValue& key, Direction direction,
                             bool fromEnd) {
    CheckOpen();
    const std::size_t at = ColumnIndex(column);
    DropBuffer();
    const Index& index = IndexOf(at);
    std::optional<std::int64_t> rowId;
    if (const auto found = index.find(LookupKeyOf(key)); found != index.end()) {
        const std::set<std::int64_t>& rows = found->second;
        const bool onRow = !fromEnd && place_ == Place::OnRow;
        const std::int64_t here = onRow ? entries_[index_].row.rowId : 0;
        if (direction == Direction::Forward) {
            auto next = rows.begin();
            if (onRow) next = rows.upper_bound(here);
            if (!fromEnd && place_ == Place::AfterLast) next = rows.end();
            if (next != rows.end()) rowId = *next;
        } else {
            auto after = rows.end();
            if (onRow) after = rows.lower_bound(here);
            if (!fromEnd && place_ == Place::BeforeFirst) after = rows.begin();
            if (after != rows.begin()) rowId = *std::prev(after);
        }
    }
    if (!rowId) {
        place_ = direction == Direction::Forward ? Place::AfterLast : Place::BeforeFirst;
        return false;
    }
    place_ = Place::OnRow;
    index_ = EntryOf(*rowId, false);
    return true;
}

bool BufferedRecordset::FindFirst(std::string_view column, const FieldValue& key) {
    return Find(column, key, Direction::Forward, true);
}

bool BufferedRecordset::FindLast(std::string_view column, const FieldValue& key) {
    return Find(column, key, Direction::Backward, true);
}

bool BufferedRecordset::FindNext(std::string_view column, const FieldValue& key) {
    return Find(column, key, Direction::Forward, false);
}

bool BufferedRecordset::FindPrevious(std::string_view column, const FieldValue& key) {
    return Find(column, key, Direction::Backward, false);
}

const FieldValue& BufferedRecordset::FieldAt(std::size_t column) const {
    RequireColumnPlace(columns_, column, table_, database_);
    return CurrentEntry("read column", columns_[column].name).row.values[column];
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

std::size_t BufferedRecordset::EntryOf(std::int64_t rowId, bool deleted) const {
    // SQLite hands the key of a deleted last row to the next new row, so a
    // key may stand on a gap and on a live row; the newest entry comes last.
    const auto first = std::lower_bound(
        entries_.begin(), entries_.end(), rowId,
        [](const Entry& entry, std::int64_t key) { return entry.row.rowId < key; });
    const auto last = std::upper_bound(
        first, entries_.end(), rowId,
        [](std::int64_t key, const Entry& entry) { return key < entry.row.rowId; });
    for (auto at = last; at != first; --at) {
        if (std::prev(at)->deleted == deleted) {
            return static_cast<std::size_t>(std::prev(at) - entries_.begin());
        }
    }
    return entries_.size();
}

void BufferedRecordset::InsertEntry(StoredRow row) {
    Record(Change{Change::Kind::Inserted, row.rowId, {}});
    AddToIndexes(row);
    const auto position = std::upper_bound(
        entries_.begin(), entries_.end(), row.rowId,
        [](std::int64_t rowId, const Entry& entry) { return rowId < entry.row.rowId; });
    const auto at = static_cast<std::size_t>(position - entries_.begin());
    entries_.insert(position, Entry{std::move(row)});
    ++liveRows_;
    if (place_ == Place::OnRow && at <= index_) ++index_;
}

void BufferedRecordset::PlaceEntry(std::size_t at) {
    const std::int64_t rowId = entries_[at].row.rowId;
    const bool ordered = (at == 0 || entries_[at - 1].row.rowId <= rowId) &&
                         (at + 1 == entries_.size() || rowId <= entries_[at + 1].row.rowId);
    if (ordered) return;
    Entry entry = std::move(entries_[at]);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
    const auto position = std::upper_bound(
        entries_.begin(), entries_.end(), rowId,
        [](std::int64_t key, const Entry& other) { return key < other.row.rowId; });
    const auto to = static_cast<std::size_t>(position - entries_.begin());
    entries_.insert(position, std::move(entry));
    if (place_ == Place::OnRow && index_ == at) index_ = to;
}

void BufferedRecordset::Record(Change change) {
    if (!marks_.empty()) journal_.push_back(std::move(change));
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
        case EditMode::Existing: {
            Entry& entry = entries_[index_];
            StoredRow stored = storage_->Update(entry.row.rowId, values);
            Record(Change{Change::Kind::Updated, stored.rowId, entry.row});
            RemoveFromIndexes(entry.row);
            entry.row = std::move(stored);
            AddToIndexes(entry.row);
            PlaceEntry(index_);  // a table whose key is a column may have moved it
            break;
        }
    }
}

void BufferedRecordset::Delete() {
    const std::int64_t rowId = CurrentEntry("delete a row").row.rowId;
    DropBuffer();
    storage_->Delete(rowId);
    Record(Change{Change::Kind::Deleted, rowId, {}});
    RemoveFromIndexes(entries_[index_].row);
    entries_[index_].deleted = true;
    --liveRows_;
}

void BufferedRecordset::LevelPushed() {
    marks_.push_back(journal_.size());
}

void BufferedRecordset::LevelKept() {
    if (marks_.empty()) return;
    marks_.pop_back();
    if (marks_.empty()) journal_.clear();  // committed: nothing left to undo
}

void BufferedRecordset::LevelUndone() {
    if (marks_.empty()) return;
    const std::size_t mark = marks_.back();
    marks_.pop_back();
    while (journal_.size() > mark) {
        UndoChange(journal_.back());
        journal_.pop_back();
    }
    DropBuffer();
    place_ = Place::BeforeFirst;
}

void BufferedRecordset::UndoChange(const Change& change) {
    const std::size_t at = EntryOf(change.rowId, change.kind == Change::Kind::Deleted);
    if (at == entries_.size()) return;  // cannot happen while the journal is kept in order
    Entry& entry = entries_[at];
    switch (change.kind) {
        case Change::Kind::Inserted:
            RemoveFromIndexes(entry.row);
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(at));
            --liveRows_;
            break;
        case Change::Kind::Updated:
            RemoveFromIndexes(entry.row);
            entry.row = change.before;
            AddToIndexes(entry.row);
            PlaceEntry(at);
            break;
        case Change::Kind::Deleted:
            entry.deleted = false;
            ++liveRows_;
            AddToIndexes(entry.row);
            break;
    }
}

void BufferedRecordset::Close() {
    DropBuffer();
    if (storage_ && levels_) levels_->Detach(*this);
    storage_.reset();
    entries_.clear();
    indexes_.clear();
    journal_.clear();
    marks_.clear();
    liveRows_ = 0;
}

std::optional<std::int64_t> BufferedRecordset::CurrentRowId() const {
    if (!storage_ || place_ != Place::OnRow) return std::nullopt;
    return entries_[index_].row.rowId;
}

}  // namespace velmora
