#include <cstdlib>
#include <iostream>

#include <gtest/gtest.h>

#include "support/EngineFixtures.h"
#include "support/InMemoryAddressBook.h"
#include "support/InMemoryDatabase.h"
#include "support/ScenarioGenerator.h"
#include "support/ScenarioInvariants.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"
#include "support/WriteRefusingStores.h"

namespace velmora::scenarios {
namespace {

// A first run, then two rounds of random edits, each run keeping the invariants.
void RunScenario(std::uint64_t seed, const std::filesystem::path& folder,
                 const StoreBackends& backends) {
    SyncSession session(folder, backends);
    ScenarioGenerator generator(seed, {.contacts = 10});
    generator.PrepareSettings(session);
    test::ScriptedRunUi ui;
    ui.conflictPolicy = generator.ConflictPolicy();
    ui.namePolicy = ScenarioGenerator::AnswerNames;
    generator.WriteInitialStores(session);
    LoadedStores agreed;
    for (int round = 0; round <= 2 && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));  // round 0: the first run
        if (round > 0) generator.ApplyRandomEdits(session);
        const LoadedStores edited = LoadStores(session);
        const RunResult result = session.Run(ui);
        EXPECT_EQ(result.outcome, RunOutcome::Complete) << result.message;
        LoadedStores after = LoadStores(session);
        for (const std::string& violation : CheckInvariants(agreed, edited, after))
            ADD_FAILURE() << violation;
        test::ExpectQuietRun(session);
        agreed = std::move(after);
    }
    if (::testing::Test::HasFailure()) {
        std::cout << "Seed " << seed << " failed. What it did:\n";
        for (const std::string& step : generator.Steps())
            std::cout << "  " << step << "\n";
    }
}

// Until the first failure; VELMORA_SEED replays one seed, VELMORA_SEEDS sets the count.
template <typename Backends>
void RunSeeds(std::uint64_t first, std::uint64_t count, Backends makeBackends) {
    const char* replay = std::getenv("VELMORA_SEED");
    const char* seeds = std::getenv("VELMORA_SEEDS");
    if (seeds != nullptr && *seeds != '\0') count = std::stoull(seeds);
    for (auto seed = first; seed < first + count && !::testing::Test::HasFailure(); ++seed) {
        if (replay != nullptr && *replay != '\0' && std::stoull(replay) != seed) continue;
        SCOPED_TRACE("seed " + std::to_string(seed) +
                     " (replay with VELMORA_SEED=" + std::to_string(seed) + ")");
        test::TempDir folder;
        RunScenario(seed, folder.Path(), makeBackends());
    }
}

// Random scenarios over in-memory stores.
TEST(RandomScenario, InMemoryStoresKeepTheInvariants) {
    RunSeeds(1, 250, [] {
        auto book = std::make_shared<InMemoryAddressBook>();
        return StoreBackends{std::make_shared<InMemoryDatabaseEngine>(),
                             [book](const Settings&) { return book->Opener(); }};
    });
}

// The same over SQLite files and a vCard folder, with fewer seeds.
TEST(RandomScenario, RealFilesKeepTheInvariants) {
    RunSeeds(100001, 20, DefaultStoreBackends);
}

// "=" repeats the address book's records.
LoadedStores Stores(std::string_view addressBook, std::string_view phoneBook = "=",
                    std::string_view sync = "=") {
    const auto same = [&](std::string_view set) { return set == "=" ? addressBook : set; };
    return LoadedStores{test::ParseSet(addressBook), test::ParseSet(same(phoneBook)),
                        test::ParseSet(same(sync))};
}

// The invariants pass a right run and name the contact for each way a run goes wrong.
TEST(ScenarioInvariants, NameEachWayARunGoesWrong) {
    const std::string_view ann = "1:Ann::M=5551/1 | 2:Bob::H=5552/2";
    // Ann's mobile changed in the address book, Bob deleted and Cy added in the phone book.
    const LoadedStores changed =
        Stores("1:Ann::M=5559/1 | 2:Bob::H=5552/2", "1:Ann::M=5551/1 | 7:Cy::W1=5557/3", ann);
    // Ann given a home number; Bob's moved onto Ann's speed dial.
    const LoadedStores added = Stores("1:Ann::H=5553/,M=5551/1 | 2:Bob::H=5552/2", ann, ann);
    const LoadedStores moved = Stores(ann, "1:Ann::M=5551/1 | 2:Bob::H=5552/1", ann);
    const std::tuple<const LoadedStores*, LoadedStores, std::string> cases[] = {
        {&changed, Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/3"), ""},
        {&changed, Stores("1:Ann::M=5559/1"),
         "new contact 7:Cy:Work1=5557/3 is missing after the run"},
        {&changed, Stores("1:Ann::M=5559/1 | 2:Bob::H=5552/2 | 7:Cy::W1=5557/3"),
         "contact 2:Bob:Home=5552/2, deleted on one side, is still there"},
        {&changed, Stores("1:Ann::M=5551/1 | 7:Cy::W1=5557/3"),
         "contact 1:Ann:Mobile=5551/1 ends as 1:Ann:Mobile=5551/1, expected the address "
         "book's 1:Ann:Mobile=5559/1"},
        {&changed, Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/"),
         "the phone book's work number of 7:Cy:Work1=5557/ has no speed dial"},
        {&changed, Stores("1:Ann::M=5559/1 | 7:Cy::W1=5557/3", "=", "1:Ann::M=5559/1"),
         "the address book holds 7:Cy:Work1=5557/3, the sync database does not"},
        {&changed,
         Stores("1:Ann::M=5559/4 | 7:Cy::W1=5557/3", "1:Ann::M=5559/1 | 7:Cy::W1=5557/3",
                "1:Ann::M=5559/1 | 7:Cy::W1=5557/3"),
         "the address book holds 1:Ann:Mobile=5559/4, the phone book 1:Ann:Mobile=5559/1"},
        {&added, Stores("1:Ann::H=5553/3,M=5551/1 | 2:Bob::H=5552/2"), ""},
        {&added, Stores("1:Ann::H=5553/2,M=5551/1 | 2:Bob::H=5552/2"),
         "speed dial 2 is shared after the run by 1 Home 2 Home"},
        {&moved, Stores("1:Ann::M=5551/1 | 2:Bob::H=5552/1"), ""},
    };
    for (const auto& [edited, after, expected] : cases) {
        const auto violations = CheckInvariants(Stores(ann), *edited, after);
        EXPECT_EQ(violations.empty() ? "" : violations.front(), expected);
    }
}

}  // namespace
}  // namespace velmora::scenarios
