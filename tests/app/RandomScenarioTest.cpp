#include <cstdlib>
#include <iostream>

#include <gtest/gtest.h>

#include "bench/ScenarioGenerator.h"
#include "bench/ScenarioInvariants.h"
#include "stores/database/InMemoryDatabase.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using scenarios::LoadedStores;
using scenarios::SyncSession;

// A scenario from a seed: generated stores and a first run, then two rounds
// of random edits on both sides, each followed by a run. Each run completes,
// keeps the invariants against the stores before it and the agreed stores
// before the edits, and leaves the next run nothing to do.
void RunScenario(std::uint64_t seed, const std::filesystem::path& folder,
                 const StoreBackends& backends) {
    SyncSession session(folder, backends);
    scenarios::ScenarioGenerator generator(seed, {.contacts = 10});
    generator.PrepareSettings(session);
    test::ScriptedRunUi ui;
    ui.conflictPolicy = generator.ConflictPolicy();
    ui.namePolicy = scenarios::ScenarioGenerator::AnswerNames;
    generator.WriteInitialStores(session);
    LoadedStores agreed;
    for (int round = 0; round <= 2 && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));  // round 0: the first run
        if (round > 0) generator.ApplyRandomEdits(session);
        const LoadedStores edited = scenarios::LoadStores(session);
        const RunResult result = session.Run(ui);
        EXPECT_EQ(result.outcome, RunOutcome::Complete) << result.message;
        LoadedStores after = scenarios::LoadStores(session);
        for (const std::string& violation : scenarios::CheckInvariants(agreed, edited, after))
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

// Runs the seeds from `first` on until the first failure, which names the
// seed. VELMORA_SEED replays one seed; VELMORA_SEEDS widens the search.
template <typename Backends>
void RunSeeds(std::uint64_t first, std::uint64_t count, Backends makeBackends) {
    const char* replay = std::getenv("VELMORA_SEED");
    const char* seeds = std::getenv("VELMORA_SEEDS");
    if (seeds != nullptr && *seeds != '\0') count = std::stoull(seeds);
    for (std::uint64_t seed = first; seed < first + count; ++seed) {
        if (replay != nullptr && *replay != '\0' && std::stoull(replay) != seed) continue;
        SCOPED_TRACE("seed " + std::to_string(seed) +
                     " (replay with VELMORA_SEED=" + std::to_string(seed) + ")");
        test::TempDir folder;
        RunScenario(seed, folder.Path(), makeBackends());
        if (::testing::Test::HasFailure()) return;
    }
}

// Random scenarios over in-memory stores, whose outcome must keep the
// invariants and be stable.
TEST(RandomScenario, InMemoryStoresKeepTheInvariants) {
    RunSeeds(1, 250, [] {
        auto book = std::make_shared<InMemoryAddressBook>();
        return StoreBackends{std::make_shared<InMemoryDatabaseEngine>(),
                             [book](const std::filesystem::path&) { return book->Factory(); }};
    });
}

// The same over SQLite files and a vCard folder, with fewer seeds.
TEST(RandomScenario, RealFilesKeepTheInvariants) {
    RunSeeds(100001, 20, DefaultStoreBackends);
}

}  // namespace
}  // namespace velmora
