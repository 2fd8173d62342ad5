#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/RunDriver.h"
#include "bench/SyncSession.h"
#include "model/NumberKinds.h"
#include "support/DatabaseFixtures.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"
#include "support/VCardFixtures.h"

namespace velmora::test {

// A contact as a scenario states it: an ID, a name and its numbers with
// their speed dials.
struct ScenarioContact {
    struct Number {
        NumberKind kind;
        std::string number;  // digits, or the e-mail address, or the direct connect number
        std::int64_t speedDial = 0;
    };
    std::int64_t id = 0;
    std::string name;
    std::vector<Number> numbers;
};

// The contact as each store holds it after a run has brought it there: rows
// of the phone book, a row of the sync database, and the fields of an
// address book card (numbers masked the default way, included, with its
// contact ID and speed-dial tag).
std::vector<PhoneBookRow> PhoneBookRowsOf(const ScenarioContact& contact);
SyncRow SyncRowOf(const ScenarioContact& contact);
FieldValues CardFieldsOf(const ScenarioContact& contact);

// Replaces (or with "" removes) a field of a card's fields.
FieldValues WithField(FieldValues fields, ContactField field, std::string_view value);

// The three stores of a scenario, each as one string (see FileScenario).
struct StoreTexts {
    std::string phoneBook;
    std::string sync;
    std::string addressBook;

    bool operator==(const StoreTexts&) const = default;
};
std::ostream& operator<<(std::ostream& out, const StoreTexts& texts);

// A program folder in a temporary folder holding the three stores as real
// files at their default places: the phone book and the sync database as
// SQLite files, the address book as a folder of vCard files.
class FileScenario {
  public:
    FileScenario();

    // All three stores holding these contacts, as a previous run left them;
    // each card in its own file, "<id>.vcf".
    void WriteAgreedStores(const std::vector<ScenarioContact>& contacts);
    // One card file, as the person (or a previous run) left it.
    void WriteCard(const std::string& fileName, const FieldValues& fields);

    // One synchronization through the real stores, answered by `ui`.
    RunResult Run();

    std::filesystem::path PhoneBookPath() const;
    std::filesystem::path SyncPath() const;
    std::filesystem::path ContactsPath() const;
    std::filesystem::path LogPath() const;

    // The stores, each as one string: the phone book and the sync database
    // as DatabaseFixtures renders them, the address book as one sorted line
    // per card.
    std::string PhoneBook() const;
    std::string Sync() const;
    std::string AddressBook() const;
    StoreTexts Stores() const;
    // How many conflict dialogs the run showed so far.
    long ConflictsShown() const;
    // The lines of the activity log from the first engine heading on (what
    // comes before holds the paths of this temporary folder).
    std::vector<std::string> EngineLog() const;

    TempDir dir;
    scenarios::SyncSession session;
    ScriptedRunUi ui;
};

}  // namespace velmora::test
