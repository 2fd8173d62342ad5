#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "bench/ScenarioGenerator.h"
#include "bench/ScenarioInvariants.h"
#include "stores/database/InMemoryDatabase.h"
#include "stores/outlook/InMemoryOutlook.h"
#include "support/EngineFixtures.h"
#include "support/TempDir.h"
#include "support/WriteRefusingStores.h"

namespace velmora {
namespace {

using scenarios::AnsweringRunUi;
using scenarios::GeneratorOptions;
using scenarios::LoadedStores;
using scenarios::ScenarioGenerator;
using scenarios::SyncSession;

constexpr int kRounds = 2;

// The seed named by VELMORA_SEED, to replay one scenario.
std::optional<std::uint64_t> SeedToReplay() {
    const char* text = std::getenv("VELMORA_SEED");
    if (text == nullptr || *text == '\0') return std::nullopt;
    return std::stoull(text);
}

// One run of a scenario, then its checks: the run completes, the invariants
// hold, and the next run changes nothing.
void RunAndCheck(const SyncSession& session, AnsweringRunUi& ui, const LoadedStores& agreed,
                 const std::string& when) {
    SCOPED_TRACE(when);
    const LoadedStores edited = scenarios::LoadStores(session);
    const RunResult result = session.Run(ui);
    ASSERT_EQ(result.outcome, RunOutcome::Complete) << result.message;
    const LoadedStores after = scenarios::LoadStores(session);
    const auto violations = scenarios::CheckInvariants(agreed, edited, after);
    for (const std::string& violation : violations)
        ADD_FAILURE() << violation;
    if (!violations.empty()) {
        std::cout << "The activity log of the " << when << ":\n";
        for (const std::string& line : test::ReadLogLines(session.CurrentSettings().LogPath))
            std::cout << "  " << line << "\n";
    }
    test::ExpectQuietRun(session);
}

// A whole scenario from a seed: generated stores and a first run, then
// rounds of random edits on both sides, each followed by a run.
void RunScenario(std::uint64_t seed, const std::filesystem::path& folder,
                 const StoreBackends& backends, GeneratorOptions options) {
    SyncSession session(folder, backends);
    ScenarioGenerator generator(seed, options);
    generator.PrepareSettings(session);
    AnsweringRunUi ui(generator.ConflictPolicy());

    generator.WriteInitialStores(session);
    RunAndCheck(session, ui, LoadedStores{}, "first run");
    for (int round = 1; round <= kRounds && !::testing::Test::HasFailure(); ++round) {
        const LoadedStores agreed = scenarios::LoadStores(session);
        generator.ApplyRandomEdits(session);
        RunAndCheck(session, ui, agreed, "round " + std::to_string(round));
    }
    if (::testing::Test::HasFailure()) {
        std::cout << "Seed " << seed << " failed; replay it with VELMORA_SEED=" << seed
                  << ". What it did:\n";
        for (const std::string& step : generator.Steps())
            std::cout << "  " << step << "\n";
    }
}

StoreBackends InMemoryBackends() {
    auto book = std::make_shared<InMemoryAddressBook>();
    return StoreBackends{std::make_shared<InMemoryDatabaseEngine>(),
                         [book](const std::filesystem::path&) { return book->Factory(); }};
}

// VELMORA_SEEDS widens the search beyond the suite's count.
int SeedCount(int suiteCount) {
    const char* text = std::getenv("VELMORA_SEEDS");
    return text == nullptr || *text == '\0' ? suiteCount : std::stoi(text);
}

// Each seed runs until the first failure, which names the seed.
template <typename Backends>
void RunSeeds(std::uint64_t first, int suiteCount, Backends makeBackends,
              GeneratorOptions options) {
    const auto replay = SeedToReplay();
    const int count = SeedCount(suiteCount);
    for (std::uint64_t seed = first; seed < first + static_cast<std::uint64_t>(count); ++seed) {
        if (replay && *replay != seed) continue;
        SCOPED_TRACE("seed " + std::to_string(seed) +
                     " (replay with VELMORA_SEED=" + std::to_string(seed) + ")");
        test::TempDir folder;
        RunScenario(seed, folder.Path(), makeBackends(), options);
        if (::testing::Test::HasFailure()) return;
    }
}

// Random scenarios over in-memory stores: generated stores, a first run, and
// two rounds of random adds, edits and deletions on both sides, each
// followed by a run whose outcome must keep the invariants and be stable.
TEST(RandomScenarioTest, InMemoryStoresKeepTheInvariants) {
    RunSeeds(1, 250, InMemoryBackends, GeneratorOptions{.contacts = 10});
}

// The same over SQLite files and a vCard folder, with fewer seeds.
TEST(RandomScenarioTest, RealFilesKeepTheInvariants) {
    RunSeeds(100001, 20, DefaultStoreBackends, GeneratorOptions{.contacts = 10});
}

}  // namespace
}  // namespace velmora
