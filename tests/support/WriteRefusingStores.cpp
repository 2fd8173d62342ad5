#include "support/WriteRefusingStores.h"

#include <string>
#include <utility>

#include <gmock/gmock.h>

#include "model/Error.h"
#include "run/ActivityLog.h"
#include "stores/database/RowText.h"
#include "support/EngineFixtures.h"
#include "support/ForwardingDatabase.h"
#include "support/ScriptedRunUi.h"
#include "support/StoreText.h"

namespace velmora::test {

namespace {

[[noreturn]] void Refuse(const std::string& attempt) {
    ADD_FAILURE() << "A run that should change nothing tried to write: " << attempt;
    throw Error("Refused by the test: " + attempt + ".");
}

// Moving through a recordset is fine; anything else it is asked is a write.
bool RefuseWrites(const Recordset& rows, std::string_view call) {
    if (call.starts_with("Move")) return true;
    Refuse(std::string(call) + (call == "AddNew" ? " on " : " of ") + RowDescription(rows));
}

// Reads pass through; a change of any card is a write, refused when it is
// asked for, so the failure names the card and the field.
class RefusingAddressBook final : public AddressBook {
  public:
    explicit RefusingAddressBook(std::unique_ptr<AddressBook> inner) : inner_(std::move(inner)) {}
    int Count() const override { return inner_->Count(); }
    bool IsContact(CardHandle card) const override { return inner_->IsContact(card); }
    std::string Get(CardHandle card, ContactField field) const override {
        return inner_->Get(card, field);
    }
    void Set(CardHandle card, ContactField field, std::string_view value) override {
        if (inner_->Get(card, field) == value) return;  // stores nothing
        Refuse("Set of " + std::string(FieldName(field)) + " to \"" + std::string(value) +
               "\" on contact " + Who(card));
    }
    CardHandle Create() override { Refuse("Create in the address book"); }
    void Delete(CardHandle card) override { Refuse("Delete of contact " + Who(card)); }
    std::string Describe(CardHandle card) const override { return inner_->Describe(card); }
    PendingCardFiles PendingFiles() const override { return inner_->PendingFiles(); }
    std::optional<std::string> PendingFileOf(CardHandle card) const override {
        return inner_->PendingFileOf(card);
    }
    std::vector<CardFailure> SaveChanges() override { return inner_->SaveChanges(); }

  private:
    std::string Who(CardHandle card) const {
        return "\"" + inner_->Get(card, ContactField::FileAs) + "\" (contact ID \"" +
               inner_->Get(card, ContactField::User3) + "\", " + inner_->Describe(card) + ")";
    }

    std::unique_ptr<AddressBook> inner_;
};

}  // namespace

StoreBackends WriteRefusing(const StoreBackends& backends) {
    auto addressBook = [opener = backends.addressBook](const Settings& settings) {
        return [inner = opener(settings)]() -> std::unique_ptr<AddressBook> {
            return std::make_unique<RefusingAddressBook>(inner());
        };
    };
    return {std::make_shared<HookedDatabaseEngine>(backends.databases, RefuseWrites), addressBook};
}

void ExpectQuietRun(const scenarios::SyncSession& session) {
    const scenarios::StoreTexts before = scenarios::RenderStores(session);
    ScriptedRunUi ui;
    const RunResult result = session.Run(ui, WriteRefusing(session.Backends()));
    EXPECT_EQ(result.outcome, RunOutcome::Complete) << result.message;
    using ::testing::StartsWith;
    EXPECT_THAT(
        ui.events,
        Each(Not(AnyOf(StartsWith("conflict: "), StartsWith("names: "), StartsWith("message: ")))))
        << "a run with nothing to do showed a dialog or message";
    EXPECT_THAT(ReadLogLines(session.CurrentSettings().LogPath),
                Each(Not(StartsWith(std::string(kEventPrefix)))))
        << "a run with nothing to do logged an event";
    EXPECT_EQ(scenarios::RenderStores(session), before);
}

}  // namespace velmora::test
