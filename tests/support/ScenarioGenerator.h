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

// Makes random stores and random edits from a seed: the same seed gives the
// same scenario. Everything is written through the ports, so any backend
// will do.
//
// It makes what real address books hold and a run must settle in one go:
// names longer than the phone keeps (22 characters), e-mail addresses typed
// with capitals, international numbers with "+", contact IDs another program
// wrote with a leading zero, speed dials moved in the address book, new
// cards of a name another card has, cards copied whole with their ID, and
// cards whose last number is removed (and, later, given one again).
//
// What the generator does not make, because the program treats it in a way
// that is meant but would upset the invariants of a random run:
// - two contacts of the same name in the first stores, which the first run
//   would link by name;
// - contacts the first run links by name whose data differ (the first run
//   keeps each side's version and only remembers the address book's);
// - e-mail addresses with "/", and phone book numbers that are not plain
//   digits, which the address book side reads differently;
// - a phone book ID handed out again while the sync database still knows it.
class ScenarioGenerator {
  public:
    explicit ScenarioGenerator(std::uint64_t seed, GeneratorOptions options = {});

    // Settings of a generated scenario: no capacity limit in the way, and the
    // name field drawn from the seed ("File As" or "Full Name").
    void PrepareSettings(SyncSession& session);

    // Writes a phone book and an address book (and the address book's
    // folder) that share some contacts, with the same name and numbers on
    // both sides, and hold others on one side only, plus a few contacts the
    // address book does not include. The sync database is left to the first
    // run.
    void WriteInitialStores(const SyncSession& session);

    // Random adds, edits and deletions on both sides of stores that a run
    // left in agreement: names, numbers and e-mail addresses on both sides,
    // and speed dials in the phone book.
    void ApplyRandomEdits(const SyncSession& session);

    // One line per store change made so far, to explain a failing seed.
    const std::vector<std::string>& Steps() const { return steps_; }

    // A conflict policy that draws the kept side from the seed, and now and
    // then closes the first of the two dialogs shown for a contact.
    using ConflictAnswers = std::function<std::optional<ConflictChoice>(
        const SyncObject& outlook, const SyncObject& phoneBook)>;
    ConflictAnswers ConflictPolicy();
    // The name prompt answered as a person would: the proposed names, with
    // the full name copied to File As when that is empty, as the prompt
    // insists on one.
    static std::optional<NameValues> AnswerNames(const NameValues& proposed, std::string_view);

  private:
    bool Chance(double probability);
    std::size_t Pick(std::size_t count);

    std::string NewName();
    std::string NewNumber(NumberKind kind);
    // A contact of one to four numbers; speed dials are left empty.
    SyncObject NewContact();
    // How a person might type the number in the address book.
    std::string TypedNumber(NumberKind kind, const std::string& number);

    // A new card holding the contact's name and numbers.
    void WriteCard(AddressBook& addressBook, const SyncObject& contact, std::string_view inclusion);

    // The edits of one round on each side; the address book's return the
    // contact IDs it touched.
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
