#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/NumberKinds.h"
#include "run/RunUi.h"
#include "stores/database/DatabaseEngine.h"
#include "stores/outlook/OutlookPort.h"
#include "support/SyncSession.h"

namespace velmora::scenarios {

class SpeedDialPool;

struct GeneratorOptions {
    int contacts = 12;           // contacts in the first stores
    double changeShare = 0.3;    // chance that a side touches a given contact in a round
    int maxAdds = 2;             // new contacts per side and round, at most
    bool speedDialEdits = true;  // the phone book also moves speed dials
};

// Random stores and edits from a seed (same seed, same scenario), written
// through the ports. It leaves out what would upset a random run's invariants:
// namesakes in the first stores, e-mail addresses with "/", IDs handed out again.
class ScenarioGenerator {
  public:
    explicit ScenarioGenerator(std::uint64_t seed, GeneratorOptions options = {});

    // No capacity limit, and the name field drawn from the seed.
    void PrepareSettings(SyncSession& session);

    // Shared and one-sided contacts, a few excluded; no sync database yet.
    void WriteInitialStores(const SyncSession& session);

    // Random adds, edits and deletions on both sides of agreed stores.
    void ApplyRandomEdits(const SyncSession& session);

    // One line per store change made so far, to explain a failing seed.
    const std::vector<std::string>& Steps() const { return steps_; }

    // Keeps a side drawn from the seed; now and then closes the first dialog.
    using ConflictAnswers = std::function<std::optional<ConflictChoice>(
        const SyncObject& outlook, const SyncObject& phoneBook)>;
    ConflictAnswers ConflictPolicy();
    // The proposed names, File As filled from the full name as the prompt insists.
    static std::optional<NameValues> AnswerNames(const NameValues& proposed, std::string_view);

  private:
    bool Chance(double probability);
    std::size_t Pick(std::size_t count);

    std::string NewName();
    std::string NewNumber(NumberKind kind);
    SyncObject NewContact();
    // How a person might type the number in the address book.
    std::string TypedNumber(NumberKind kind, std::string_view number);

    void WriteCard(AddressBook& addressBook, const SyncObject& contact, std::string_view inclusion);

    // The address book's edits return the contact IDs they touched.
    std::set<std::string> EditAddressBook(const SyncSession& session);
    void EditCard(AddressBook& addressBook, CardHandle card);
    void EditPhoneBook(const SyncSession& session, const LoadedStores& current,
                       const std::set<std::string>& touchedInAddressBook);
    void EditPhoneBookContact(Recordset& rows, const SyncObject& record, bool mayMoveSpeedDial,
                              SpeedDialPool& speedDials);
    // A speed dial the phone book does not use, or now and then one it does.
    std::int64_t ChooseSpeedDial(SpeedDialPool& speedDials);

    std::mt19937_64 random_;
    GeneratorOptions options_;
    ContactField nameField_ = ContactField::FileAs;
    int names_ = 0;
    int emails_ = 0;
    int speedDialEdits_ = 0;
    std::vector<std::string> steps_;
};

}  // namespace velmora::scenarios
