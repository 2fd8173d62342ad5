#include "support/WriteRefusingStores.h"

#include <string>
#include <utility>

#include <gmock/gmock.h>

#include "bench/StoreText.h"
#include "model/Error.h"
#include "run/ActivityLog.h"
#include "stores/database/RowText.h"
#include "support/EngineFixtures.h"
#include "support/ForwardingDatabase.h"
#include "support/ScriptedRunUi.h"

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

class RefusingContact final : public ContactItem {
  public:
    explicit RefusingContact(std::unique_ptr<ContactItem> inner) : inner_(std::move(inner)) {}
    std::string Get(ContactField field) const override { return inner_->Get(field); }
    // A change that is never saved stores nothing.
    void Set(ContactField field, std::string_view value) override { inner_->Set(field, value); }
    void Save() override { Refuse("Save of contact " + Who()); }
    void Delete() override { Refuse("Delete of contact " + Who()); }

  private:
    std::string Who() const {
        return "\"" + inner_->Get(ContactField::FileAs) + "\" (contact ID \"" +
               inner_->Get(ContactField::User3) + "\")";
    }

    std::unique_ptr<ContactItem> inner_;
};

class RefusingItems final : public OutlookItems {
  public:
    explicit RefusingItems(std::unique_ptr<OutlookItems> inner) : inner_(std::move(inner)) {}
    int Count() const override { return inner_->Count(); }

  protected:
    std::unique_ptr<OutlookItem> ItemAt(int index) override {
        std::unique_ptr<OutlookItem> item = inner_->Item(index);
        if (item->AsContact() == nullptr) return item;  // nothing of it can be written
        return std::make_unique<RefusingContact>(TakeContact(std::move(item)));
    }

  private:
    std::unique_ptr<OutlookItems> inner_;
};

// The application is its own contacts folder.
class RefusingApplication final : public OutlookApplication, public OutlookFolder {
  public:
    explicit RefusingApplication(std::unique_ptr<OutlookApplication> inner)
        : inner_(std::move(inner)) {}
    OutlookFolder& GetDefaultContactsFolder() override { return *this; }
    std::unique_ptr<OutlookItems> Items() override {
        return std::make_unique<RefusingItems>(inner_->GetDefaultContactsFolder().Items());
    }
    std::unique_ptr<ContactItem> CreateContactItem() override {
        Refuse("CreateContactItem in the address book");
    }
    void Logoff() override { inner_->Logoff(); }

  private:
    std::unique_ptr<OutlookApplication> inner_;
};

}  // namespace

StoreBackends WriteRefusing(const StoreBackends& backends) {
    auto addressBook = [factory = backends.addressBook](const std::filesystem::path& folder) {
        return [inner = factory(folder)]() -> std::unique_ptr<OutlookApplication> {
            return std::make_unique<RefusingApplication>(inner());
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
