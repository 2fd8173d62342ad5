// Benchmarks of a whole synchronization and of the engine stages alone, over
// generated stores held in real files (SQLite databases and a vCard folder).
//
//   cmake --preset release && cmake --build --preset release
//   build/release/bench/velmora_benchmarks
//
// docs/performance.md has numbers measured on a shared machine.

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "run/ActivityLog.h"
#include "run/RunState.h"
#include "support/ScenarioGenerator.h"
#include "support/ScriptedRunUi.h"
#include "support/SyncSession.h"
#include "support/TempDir.h"

namespace velmora::scenarios {
namespace {

constexpr std::uint64_t kSeed = 20260101;
// About one contact in twenty changes on each side between two runs.
constexpr double kChangeShare = 0.05;

// Stores of `contacts` contacts that a first run brought into agreement,
// with random changes on both sides since: what a run meets on an ordinary
// day. Made once per size.
struct PreparedStores {
    test::TempDir folder;
    InMemorySettingsStore settings;
    std::size_t changes = 0;  // edits made on both sides since the first run
};

// Conflicts are answered by keeping the address book's data.
test::ScriptedRunUi OutlookKeepingUi() {
    test::ScriptedRunUi ui;
    ui.conflictPolicy = test::ScriptedRunUi::Keep(ConflictSide::Outlook);
    ui.namePolicy = ScenarioGenerator::AnswerNames;
    return ui;
}

const PreparedStores& Prepared(int contacts) {
    static std::map<int, std::unique_ptr<PreparedStores>> prepared;
    auto& stores = prepared[contacts];
    if (stores) return *stores;
    stores = std::make_unique<PreparedStores>();
    SyncSession session(stores->folder.Path(), DefaultStoreBackends());
    ScenarioGenerator generator(
        kSeed, GeneratorOptions{
                   .contacts = contacts, .changeShare = kChangeShare, .maxAdds = contacts / 50});
    generator.PrepareSettings(session);
    generator.WriteInitialStores(session);
    test::ScriptedRunUi ui = OutlookKeepingUi();
    if (session.Run(ui).outcome != RunOutcome::Complete) throw std::runtime_error("first run");
    const std::size_t before = generator.Steps().size();
    generator.ApplyRandomEdits(session);
    stores->changes = generator.Steps().size() - before;
    stores->settings = session.SettingsStore();
    return *stores;
}

// A copy of the prepared stores to run on.
void CopyStores(const PreparedStores& from, const std::filesystem::path& to) {
    std::filesystem::remove_all(to);
    std::filesystem::copy(from.folder.Path(), to, std::filesystem::copy_options::recursive);
}

SyncSession SessionOver(const PreparedStores& stores, const std::filesystem::path& folder) {
    SyncSession session(folder, DefaultStoreBackends());
    for (const auto& [key, value] : stores.settings.Values())
        session.SettingsStore().Save(key, value);
    return session;
}

// Loading, reconciling and writing the three stores, conflicts answered by
// keeping the address book's data.
void WholeSynchronization(benchmark::State& state) {
    const PreparedStores& prepared = Prepared(static_cast<int>(state.range(0)));
    test::TempDir scratch;
    const std::filesystem::path work = scratch.Path() / "run";
    test::ScriptedRunUi ui = OutlookKeepingUi();
    for (auto _ : state) {
        state.PauseTiming();
        CopyStores(prepared, work);
        const SyncSession session = SessionOver(prepared, work);
        state.ResumeTiming();
        const RunResult result = session.Run(ui);
        if (result.outcome != RunOutcome::Complete) state.SkipWithError(result.message.c_str());
    }
    state.counters["contacts"] = static_cast<double>(state.range(0));
    state.counters["changes"] = static_cast<double>(prepared.changes);
}

void AppendCopies(SyncSet& to, const SyncSet& from) {
    for (const SyncObject& record : from)
        to.Append(record);
}

// The seven engine stages alone, from IDs to new items, over the stores as
// the loaders read them.
void EngineStages(benchmark::State& state) {
    const PreparedStores& prepared = Prepared(static_cast<int>(state.range(0)));
    test::TempDir scratch;
    const std::filesystem::path work = scratch.Path() / "run";
    CopyStores(prepared, work);
    const SyncSession session = SessionOver(prepared, work);
    test::ScriptedRunUi ui = OutlookKeepingUi();
    const StageTable stages = MakeSyncStages(ui, session.Backends());
    RunState loaded;
    loaded.settings = session.CurrentSettings();
    for (const StageId id :
         {StageId::LoadOutlookContacts, StageId::LoadPhoneBookRecords, StageId::LoadSyncRecords})
        stages[static_cast<std::size_t>(id)](loaded);

    for (auto _ : state) {
        state.PauseTiming();
        RunState run;
        run.settings = loaded.settings;
        AppendCopies(run.OutlookSet, loaded.OutlookSet);
        AppendCopies(run.PhoneBookSet, loaded.PhoneBookSet);
        AppendCopies(run.SyncDataSet, loaded.SyncDataSet);
        ActivityLog::Create(run.settings.LogPath).Close();
        state.ResumeTiming();
        for (const StageId id :
             {StageId::AssignContactIDs, StageId::FlagDeletedItems, StageId::FlagNewItems,
              StageId::AssignSpeedDials, StageId::FlagModifiedItems, StageId::SyncModifiedItems,
              StageId::SyncNewItems})
            stages[static_cast<std::size_t>(id)](run);
        benchmark::DoNotOptimize(run.SyncDataSet.Count());
    }
    state.counters["contacts"] = static_cast<double>(state.range(0));
}

BENCHMARK(WholeSynchronization)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineStages)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::scenarios

BENCHMARK_MAIN();
