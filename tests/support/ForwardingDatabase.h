#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "stores/database/DatabaseEngine.h"

namespace velmora::test {

// A recordset that hands every call to another; a decorator overrides only
// the calls it changes.
class ForwardingRecordset : public Recordset {
  public:
    explicit ForwardingRecordset(std::unique_ptr<Recordset> inner) : inner_(std::move(inner)) {}

    bool Eof() const override { return inner_->Eof(); }
    bool Bof() const override { return inner_->Bof(); }
    void MoveFirst() override { inner_->MoveFirst(); }
    void MoveNext() override { inner_->MoveNext(); }
    void MoveLast() override { inner_->MoveLast(); }
    void MovePrevious() override { inner_->MovePrevious(); }
    FieldValue Field(std::string_view column) const override { return inner_->Field(column); }
    void SetField(std::string_view column, const FieldValue& value) override {
        inner_->SetField(column, value);
    }
    void AddNew() override { inner_->AddNew(); }
    void Edit() override { inner_->Edit(); }
    void Update() override { inner_->Update(); }
    void Delete() override { inner_->Delete(); }
    void Close() override { inner_->Close(); }
    const std::filesystem::path& DatabasePath() const override { return inner_->DatabasePath(); }
    const std::string& TableName() const override { return inner_->TableName(); }
    std::optional<std::int64_t> CurrentRowId() const override { return inner_->CurrentRowId(); }

  private:
    std::unique_ptr<Recordset> inner_;
};

// An engine that reaches the databases of another and hands out their
// recordsets wrapped by `wrap`.
class WrappingDatabaseEngine : public DatabaseEngine {
  public:
    using Wrap = std::function<std::unique_ptr<Recordset>(std::unique_ptr<Recordset>)>;

    WrappingDatabaseEngine(std::shared_ptr<DatabaseEngine> inner, Wrap wrap)
        : inner_(std::move(inner)), wrap_(std::move(wrap)) {}

    std::unique_ptr<Database> OpenDatabase(const std::filesystem::path& path) override {
        return std::make_unique<WrappingDatabase>(inner_->OpenDatabase(path), wrap_);
    }
    bool DatabaseExists(const std::filesystem::path& path) override {
        return inner_->DatabaseExists(path);
    }
    void CreateDatabase(const std::filesystem::path& path,
                        const std::vector<TableDefinition>& tables) override {
        inner_->CreateDatabase(path, tables);
    }

  private:
    class WrappingDatabase final : public Database {
      public:
        WrappingDatabase(std::unique_ptr<Database> inner, Wrap wrap)
            : inner_(std::move(inner)), wrap_(std::move(wrap)) {}
        std::unique_ptr<Recordset> OpenRecordset(std::string_view table) override {
            return wrap_(inner_->OpenRecordset(table));
        }
        const std::filesystem::path& Path() const override { return inner_->Path(); }

      private:
        std::unique_ptr<Database> inner_;
        Wrap wrap_;
    };

    std::shared_ptr<DatabaseEngine> inner_;
    Wrap wrap_;
};

}  // namespace velmora::test
