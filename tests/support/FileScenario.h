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

// The three stores as real files in a temporary program folder.
class FileScenario {
  public:
    FileScenario();

    // The contacts in the phone book and as typed cards "<id>.vcf"; Agree runs once.
    void WriteStores(const std::vector<ScenarioContact>& contacts);
    void Agree(const std::vector<ScenarioContact>& contacts);
    void WriteCard(const std::string& fileName, std::string_view fields) {
        WriteFileBytes(settings.ContactsPath / fileName, ContactCardText(ParseFields(fields)));
    }
    // Sets a field of the card filed as `name`.
    void EditCard(std::string_view name, ContactField field, std::string_view value);
    void ChangePhoneBook(std::string_view sql) const { ExecuteSql(settings.PhoneBookPath, sql); }

    RunResult Run() { return session.Run(ui); }
    StoreTexts Stores() const { return scenarios::RenderStores(session); }
    long Shown(std::string_view event) const { return std::ranges::count(ui.events, event); }

    TempDir dir;
    scenarios::SyncSession session;
    Settings settings;  // where the stores are
    ScriptedRunUi ui;
};

}  // namespace velmora::test
