#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "stores/database/DatabaseEngine.h"

namespace velmora::test {

// Sees each move or write by name ("MoveNext", "AddNew") first; false skips it.
using RecordsetHook = std::function<bool(const Recordset& rows, std::string_view call)>;

class HookedRecordset final : public Recordset {
  public:
    HookedRecordset(std::unique_ptr<Recordset> inner, RecordsetHook hook)
        : inner_(std::move(inner)), hook_(std::move(hook)) {}

    bool Eof() const override { return inner_->Eof(); }
    bool Bof() const override { return inner_->Bof(); }
    void MoveFirst() override { Call("MoveFirst", &Recordset::MoveFirst); }
    void MoveNext() override { Call("MoveNext", &Recordset::MoveNext); }
    void MoveLast() override { Call("MoveLast", &Recordset::MoveLast); }
    void MovePrevious() override { Call("MovePrevious", &Recordset::MovePrevious); }
    bool FindFirst(std::string_view column, const FieldValue& key) override {
        return inner_->FindFirst(column, key);
    }
    bool FindLast(std::string_view column, const FieldValue& key) override {
        return inner_->FindLast(column, key);
    }
    bool FindNext(std::string_view column, const FieldValue& key) override {
        return inner_->FindNext(column, key);
    }
    bool FindPrevious(std::string_view column, const FieldValue& key) override {
        return inner_->FindPrevious(column, key);
    }
    bool HasColumn(std::string_view column) const override { return inner_->HasColumn(column); }
    std::size_t ColumnIndex(std::string_view column) const override {
        return inner_->ColumnIndex(column);
    }
    const FieldValue& FieldAt(std::size_t column) const override { return inner_->FieldAt(column); }
    void SetField(std::string_view column, const FieldValue& value) override {
        inner_->SetField(column, value);
    }
    void AddNew() override { Call("AddNew", &Recordset::AddNew); }
    void Edit() override { Call("Edit", &Recordset::Edit); }
    void Update() override { Call("Update", &Recordset::Update); }
    void Delete() override { Call("Delete", &Recordset::Delete); }
    void Close() override { inner_->Close(); }
    const std::filesystem::path& DatabasePath() const override { return inner_->DatabasePath(); }
    const std::string& TableName() const override { return inner_->TableName(); }
    std::optional<std::int64_t> CurrentRowId() const override { return inner_->CurrentRowId(); }

  private:
    void Call(std::string_view name, void (Recordset::*call)()) {
        if (hook_(*inner_, name)) (inner_.get()->*call)();
    }

    std::unique_ptr<Recordset> inner_;
    RecordsetHook hook_;
};

// Another engine's databases, their recordsets hooked.
class HookedDatabaseEngine final : public DatabaseEngine {
  public:
    HookedDatabaseEngine(std::shared_ptr<DatabaseEngine> inner, RecordsetHook hook)
        : inner_(std::move(inner)), hook_(std::move(hook)) {}

    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override {
        return std::make_unique<HookedDatabase>(inner_->OpenDatabase(path), hook_);
    }
    bool DatabaseExists(const std::filesystem::path& path) override {
        return inner_->DatabaseExists(path);
    }
    void CreateDatabase(const std::filesystem::path& path,
                        const std::vector<TableDefinition>& tables) override {
        inner_->CreateDatabase(path, tables);
    }

  private:
    class HookedDatabase final : public Database {
      public:
        HookedDatabase(std::unique_ptr<Database> inner, RecordsetHook hook)
            : inner_(std::move(inner)), hook_(std::move(hook)) {}
        std::unique_ptr<Recordset> OpenRecordset(std::string_view table) override {
            return std::make_unique<HookedRecordset>(inner_->OpenRecordset(table), hook_);
        }
        std::unique_ptr<Recordset> OpenRecordsetWithKeys(std::string_view table,
                                                         const RowKeys& only) override {
            return std::make_unique<HookedRecordset>(inner_->OpenRecordsetWithKeys(table, only),
                                                     hook_);
        }
        bool HasTable(std::string_view table) override { return inner_->HasTable(table); }
        void CheckIntegrity() override { inner_->CheckIntegrity(); }
        void BeginTransaction() override { inner_->BeginTransaction(); }
        void CommitTransaction() override { inner_->CommitTransaction(); }
        void RollbackTransaction() noexcept override { inner_->RollbackTransaction(); }
        void SetSavepoint() override { inner_->SetSavepoint(); }
        void ReleaseSavepoint() override { inner_->ReleaseSavepoint(); }
        void RollbackToSavepoint() override { inner_->RollbackToSavepoint(); }
        const std::filesystem::path& Path() const override { return inner_->Path(); }

      private:
        std::unique_ptr<Database> inner_;
        RecordsetHook hook_;
    };

    std::shared_ptr<DatabaseEngine> inner_;
    RecordsetHook hook_;
};

}  // namespace velmora::test
