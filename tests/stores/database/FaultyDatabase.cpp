#include "stores/database/FaultyDatabase.h"

#include <string>

#include "model/Error.h"

namespace velmora::test {

namespace {

class FaultyRecordset final : public Recordset {
  public:
    FaultyRecordset(std::unique_ptr<Recordset> inner, FaultyDatabaseEngine::FaultOf fault)
        : inner_(std::move(inner)), fault_(std::move(fault)) {}

    bool Eof() const override { return Passes("Eof") && inner_->Eof(); }
    bool Bof() const override { return Passes("Bof") && inner_->Bof(); }
    void MoveFirst() override {
        Call("MoveFirst", [&] { inner_->MoveFirst(); });
    }
    void MoveNext() override {
        Call("MoveNext", [&] { inner_->MoveNext(); });
    }
    void MoveLast() override {
        Call("MoveLast", [&] { inner_->MoveLast(); });
    }
    void MovePrevious() override {
        Call("MovePrevious", [&] { inner_->MovePrevious(); });
    }
    FieldValue Field(std::string_view column) const override {
        return Passes("Field") ? inner_->Field(column) : FieldValue();
    }
    void SetField(std::string_view column, const FieldValue& value) override {
        Call("SetField", [&] { inner_->SetField(column, value); });
    }
    void AddNew() override {
        Call("AddNew", [&] { inner_->AddNew(); });
    }
    void Edit() override {
        Call("Edit", [&] { inner_->Edit(); });
    }
    void Update() override {
        Call("Update", [&] { inner_->Update(); });
    }
    void Delete() override {
        Call("Delete", [&] { inner_->Delete(); });
    }
    void Close() override { inner_->Close(); }
    const std::filesystem::path& DatabasePath() const override { return inner_->DatabasePath(); }
    const std::string& TableName() const override { return inner_->TableName(); }
    std::optional<std::int64_t> CurrentRowId() const override { return inner_->CurrentRowId(); }

  private:
    // False when the call is to be ignored; throws when it is to fail.
    bool Passes(std::string_view call) const {
        const Fault fault = fault_(call);
        if (fault == Fault::Fail) throw Error("The test made " + std::string(call) + " fail.");
        return fault == Fault::None;
    }

    template <typename Forward>
    void Call(std::string_view call, Forward&& forward) {
        if (Passes(call)) forward();
    }

    std::unique_ptr<Recordset> inner_;
    FaultyDatabaseEngine::FaultOf fault_;
};

class FaultyDatabase final : public Database {
  public:
    FaultyDatabase(std::unique_ptr<Database> inner, FaultyDatabaseEngine::FaultOf fault)
        : inner_(std::move(inner)), fault_(std::move(fault)) {}

    std::unique_ptr<Recordset> OpenRecordset(std::string_view table) override {
        return std::make_unique<FaultyRecordset>(inner_->OpenRecordset(table), fault_);
    }
    const std::filesystem::path& Path() const override { return inner_->Path(); }

  private:
    std::unique_ptr<Database> inner_;
    FaultyDatabaseEngine::FaultOf fault_;
};

}  // namespace

std::unique_ptr<Database> FaultyDatabaseEngine::OpenDatabase(const std::filesystem::path& path) {
    return std::make_unique<FaultyDatabase>(inner_.OpenDatabase(path), fault_);
}

}  // namespace velmora::test
