// Benchmarks of a whole synchronization and of the engine stages alone, over
// generated stores held in real files (SQLite databases and a vCard folder).
//
//   cmake --preset release && cmake --build --preset release
//   build/release/bench/velmora_benchmarks
//
// docs/performance.md has numbers measured on a shared machine.

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "app/DemoData.h"
#include "run/ActivityLog.h"
#include "run/RunState.h"
#include "stores/database/SqliteDatabase.h"
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

// Times one run per iteration over a fresh copy of the stores, conflicts
// answered by keeping the address book's data.
void RunOnCopies(benchmark::State& state, const PreparedStores& stores) {
    test::TempDir scratch;
    const std::filesystem::path work = scratch.Path() / "run";
    test::ScriptedRunUi ui = OutlookKeepingUi();
    for (auto _ : state) {
        state.PauseTiming();
        CopyStores(stores, work);
        // The copy's own writing is not the run's: it reaches the disk first.
        ::sync();
        const SyncSession session = SessionOver(stores, work);
        state.ResumeTiming();
        const RunResult result = session.Run(ui);
        if (result.outcome != RunOutcome::Complete) state.SkipWithError(result.message.c_str());
    }
}

// Loading, reconciling and writing the three stores.
void WholeSynchronization(benchmark::State& state) {
    const PreparedStores& prepared = Prepared(static_cast<int>(state.range(0)));
    RunOnCopies(state, prepared);
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

// The demo data set of `contacts` contacts (as `velmora-sync demo` makes it:
// four in ten on both sides, three only in the phone book, two only in the
// address book, one not taking part), before any run. Made once per size;
// the capacity check is set not to stop a run of that size.
const PreparedStores& Demo(int contacts) {
    static std::map<int, std::unique_ptr<PreparedStores>> made;
    auto& stores = made[contacts];
    if (stores) return *stores;
    stores = std::make_unique<PreparedStores>();
    SyncSession session(stores->folder.Path(), DefaultStoreBackends());
    session.SettingsStore().Save(SettingKey::NameLimit, "100000000");
    session.SettingsStore().Save(SettingKey::NumberLimit, "100000000");
    SqliteDatabaseEngine engine;
    CreateDemoData(session.CurrentSettings(), contacts, 1, engine);
    stores->settings = session.SettingsStore();
    return *stores;
}

// The first run over the demo data: every contact new on one side or linked
// by name, every card given its contact ID, every store written.
void FirstRun(benchmark::State& state) {
    RunOnCopies(state, Demo(static_cast<int>(state.range(0))));
    state.counters["contacts"] = static_cast<double>(state.range(0));
}

// A run with nothing to do, as on any day after the first: after a first
// run and, a few seconds later, a run that finds the cards the first one
// wrote unchanged and records that in the card index. (Cards changed less
// than two seconds before a run are read again, though not parsed.)
void NoOpRun(benchmark::State& state) {
    const PreparedStores& demo = Demo(static_cast<int>(state.range(0)));
    test::TempDir scratch;
    const std::filesystem::path work = scratch.Path() / "run";
    CopyStores(demo, work);
    const SyncSession session = SessionOver(demo, work);
    test::ScriptedRunUi ui = OutlookKeepingUi();
    for (int run = 0; run < 2; ++run) {
        if (run == 1) std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        if (session.Run(ui).outcome != RunOutcome::Complete) {
            state.SkipWithError("the runs before the measured ones did not complete");
            return;
        }
    }
    for (auto _ : state) {
        const RunResult result = session.Run(ui);
        if (result.outcome != RunOutcome::Complete) state.SkipWithError(result.message.c_str());
    }
    state.counters["contacts"] = static_cast<double>(state.range(0));
}

BENCHMARK(FirstRun)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstRun)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(NoOpRun)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(NoOpRun)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeSynchronization)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineStages)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::scenarios

BENCHMARK_MAIN();
