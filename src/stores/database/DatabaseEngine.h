#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Error.h"
#include "stores/database/ColumnType.h"
#include "stores/database/FieldValue.h"

namespace velmora {

// Another program held the database locked for longer than Velmora waits.
// Unlike a refused change this ends the run: every later change would wait
// and fail the same way.
class DatabaseLockedError : public Error {
  public:
    using Error::Error;
};

// The port through which the stores reach their databases: an engine opens a
// database file, a database opens a table as an updatable recordset over all
// its rows. Every failure is a velmora::Error naming the file, the table and,
// where there is one, the column and the value.

// What a recordset or a row reader shows of the row it stands on.
class RowSource {
  public:
    virtual ~RowSource() = default;

    // Whether the table has the column (ignoring ASCII case).
    virtual bool HasColumn(std::string_view column) const = 0;

    // The place of a column (its name ignoring ASCII case), so that a pass
    // over many rows finds the name once; a column the table lacks is an
    // error naming the file, the table and the column.
    virtual std::size_t ColumnIndex(std::string_view column) const = 0;

    // A column of the current row, by its place. It reads the row as stored,
    // not an edit buffer; the value lasts until the row source moves or
    // changes.
    virtual const FieldValue& FieldAt(std::size_t column) const = 0;

    // The same, found by name.
    const FieldValue& Field(std::string_view column) const { return FieldAt(ColumnIndex(column)); }

    // The plain text of a column of the current row (TextOf); a backend may
    // make it without holding the value first.
    virtual std::optional<std::string> TextAt(std::size_t column) const {
        return TextOf(FieldAt(column));
    }

    // For messages: where the rows come from, and the key the table gives
    // the current row (nullopt when there is no current row).
    virtual const std::filesystem::path& DatabasePath() const = 0;
    virtual const std::string& TableName() const = 0;
    virtual std::optional<std::int64_t> CurrentRowId() const = 0;
};

// One pass over a table's rows, in stored order, for a load: it holds the
// row it stands on rather than the whole table. Next steps to the next row
// (the first, at the start) and returns false after the last; reading a
// column there is an error.
class RowReader : public RowSource {
  public:
    virtual bool Next() = 0;
};

// A recordset over one table. Rows are met in a stable order (the order in
// which they were stored); a pass from MoveFirst to Eof, or from MoveLast to
// Bof, meets every row once. Stepping past either end sets Eof or Bof and
// does not fail; stepping on from there stays there. After Delete the deleted
// row is still the current position, so MovePrevious and MoveNext reach its
// neighbours, and later passes no longer meet it. Rows added through the
// recordset are met by later passes. Each Update and Delete is stored at
// once, inside the database's transaction when one is open.
class Recordset : public RowSource {
  public:
    // True after stepping past the last row (or the first), and both are
    // true when the table holds no rows. (EOF itself is a C macro.)
    virtual bool Eof() const = 0;
    virtual bool Bof() const = 0;

    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    virtual void MoveLast() = 0;
    virtual void MovePrevious() = 0;

    // Keyed lookup through an index the recordset keeps, so that finding a
    // contact's few rows does not walk the table. FindFirst and FindLast go
    // to the first or last row, in stored order, whose column holds the key;
    // FindNext and FindPrevious to the next or previous such row from where
    // the recordset stands (a deleted row, or either end, included). A value
    // holds the key when both read as the same whole number (7, 7.0, "07"
    // and " 7" are one key), or else when their texts are equal; null holds
    // null. Without a match they return false and leave the recordset after
    // the last row (FindFirst, FindNext) or before the first (FindLast,
    // FindPrevious). Like a move, a lookup drops an open edit buffer.
    virtual bool FindFirst(std::string_view column, const FieldValue& key) = 0;
    virtual bool FindLast(std::string_view column, const FieldValue& key) = 0;
    virtual bool FindNext(std::string_view column, const FieldValue& key) = 0;
    virtual bool FindPrevious(std::string_view column, const FieldValue& key) = 0;

    // Sets a column in the edit buffer opened by AddNew or Edit. The value is
    // converted to the column's declared type at once, and refused with an
    // error when it does not convert ("abc" into a whole-number column).
    virtual void SetField(std::string_view column, const FieldValue& value) = 0;

    // AddNew opens a buffer for a new row, Edit one for the current row;
    // Update stores the buffer (columns not set keep their value, or get the
    // table's default in a new row); Delete removes the current row. Moving
    // drops an open buffer; a failed Update drops it too. After storing a new
    // row the current row is the one that was current before AddNew.
    virtual void AddNew() = 0;
    virtual void Edit() = 0;
    virtual void Update() = 0;
    virtual void Delete() = 0;

    // Ends the recordset; every later call fails.
    virtual void Close() = 0;
};

// The rows of a table a writer reaches by a key: those whose column holds
// one of the keys.
struct RowKeys {
    std::string column;
    std::vector<FieldValue> keys;
};

class Database {
  public:
    virtual ~Database() = default;

    // The whole table as an updatable recordset; an unknown table is an error.
    virtual std::unique_ptr<Recordset> OpenRecordset(std::string_view table) = 0;

    // An updatable recordset over the rows whose column holds one of the
    // keys (as a lookup matches them) and the rows added through it; over
    // those rows it behaves as a recordset over the whole table. A writer
    // that reaches its contacts' rows by key then need not hold the table.
    // An unknown table or column is an error.
    virtual std::unique_ptr<Recordset> OpenRecordsetWithKeys(std::string_view table,
                                                             const RowKeys& only) = 0;

    // The table's rows for one pass of reading, as a recordset meets them;
    // an unknown table is an error. A backend that can stream its rows reads
    // them as the pass goes; otherwise this walks a recordset.
    virtual std::unique_ptr<RowReader> ReadRows(std::string_view table);

    // Whether the table exists (ignoring ASCII case).
    virtual bool HasTable(std::string_view table) = 0;

    // Checks the file's structure (SQLite's quick check); a damaged file is
    // an error that names it and what is wrong.
    virtual void CheckIntegrity() = 0;

    // One transaction around the changes of every recordset of this
    // database. BeginTransaction takes the right to write at once, waiting
    // for another program's lock at most once (DatabaseLockedError when it
    // stays); nothing is stored until CommitTransaction, so a crash leaves
    // the file as it was; RollbackTransaction undoes everything and never
    // fails (a file closed in mid-transaction is rolled back too). Inside,
    // savepoints nest: ReleaseSavepoint ends the latest keeping its changes,
    // RollbackToSavepoint ends it undoing them. After an undo, every
    // recordset of this database holds its rows as stored again and stands
    // before its first row.
    virtual void BeginTransaction() = 0;
    virtual void CommitTransaction() = 0;
    virtual void RollbackTransaction() noexcept = 0;
    virtual void SetSavepoint() = 0;
    virtual void ReleaseSavepoint() = 0;
    virtual void RollbackToSavepoint() = 0;

    virtual const std::filesystem::path& Path() const = 0;
};

// A transaction that is rolled back unless committed, however the scope ends.
class Transaction {
  public:
    explicit Transaction(Database& database) : database_(database) { database_.BeginTransaction(); }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction() {
        if (open_) database_.RollbackTransaction();
    }

    void Commit() {
        database_.CommitTransaction();
        open_ = false;
    }

  private:
    Database& database_;
    bool open_ = true;
};

// A column of a table the program creates.
struct ColumnDefinition {
    std::string name;
    ColumnType type = ColumnType::Text;
    bool notNull = false;
    std::optional<FieldValue> defaultValue;  // nullopt: null
    bool primaryKey = false;                 // a whole-number key the engine numbers
    std::optional<std::int64_t> minimum;     // the lowest whole number the column takes
};

struct TableDefinition {
    std::string name;
    std::vector<ColumnDefinition> columns;
    std::vector<std::vector<FieldValue>> rows;  // rows it starts with, a value per column
};

class DatabaseEngine {
  public:
    virtual ~DatabaseEngine() = default;

    // Opens an existing database, shared and writable. A missing file, or one
    // that is not a database, is an error that names it.
    virtual std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) = 0;

    virtual bool DatabaseExists(const std::filesystem::path& path) = 0;

    // Creates a database holding these tables and their rows, with its folder
    // if needed: all of it or nothing. An existing file is an error.
    virtual void CreateDatabase(const std::filesystem::path& path,
                                const std::vector<TableDefinition>& tables) = 0;
};

}  // namespace velmora
