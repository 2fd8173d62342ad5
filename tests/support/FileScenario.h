#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/NumberKinds.h"
#include "support/DatabaseFixtures.h"
#include "support/ScriptedRunUi.h"
#include "support/StoreText.h"
#include "support/SyncSession.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora::test {

using scenarios::StoreTexts;

// A contact as a scenario states it: an ID, a name and its numbers (digits,
// or the e-mail address, or the direct connect number) with their speed dials.
struct ScenarioContact {
    struct Number {
        NumberKind kind;
        std::string number;
        std::int64_t speedDial = 0;
    };
    std::int64_t id = 0;
    std::string name;
    std::vector<Number> numbers;
};

// A program folder in a temporary folder holding the three stores as real
// files at their default places: the phone book and the sync database as
// SQLite files, the address book as a folder of vCard files.
class FileScenario {
  public:
    FileScenario();

    // A phone book holding the contacts, and an address book holding each as
    // a person types it ("<id>.vcf", included, numbers masked the default
    // way, without ID or tag). Agree then runs once, linking them by name,
    // so that all three stores agree.
    void WriteStores(const std::vector<ScenarioContact>& contacts);
    void Agree(const std::vector<ScenarioContact>& contacts);
    // A card as a person left it, its fields as "FileAs=Ann Lee; User2=YES".
    void WriteCard(const std::string& fileName, std::string_view fields) {
        WriteFileBytes(settings.ContactsPath / fileName, ContactCardText(ParseFields(fields)));
    }
    // Sets (or with "" clears) a field of the address book contact filed as
    // `name`, as the person would.
    void EditCard(std::string_view name, ContactField field, std::string_view value);
    void ChangePhoneBook(std::string_view sql) const { ExecuteSql(settings.PhoneBookPath, sql); }

    RunResult Run() { return session.Run(ui); }
    StoreTexts Stores() const { return scenarios::RenderStores(session); }
    // How many times the runs so far showed `event` (a ScriptedRunUi line).
    long Shown(std::string_view event) const { return std::ranges::count(ui.events, event); }

    TempDir dir;
    scenarios::SyncSession session;
    Settings settings;  // where the stores are
    ScriptedRunUi ui;
};

}  // namespace velmora::test
