#include "run/RunState.h"

namespace velmora {

void ResetRunState(RunState& state, const SettingsStore& store,
                   const std::filesystem::path& programFolder) {
    ClearSet(state.OutlookSet);
    ClearSet(state.PhoneBookSet);
    ClearSet(state.SyncDataSet);
    state.ConflictOutlookIndex = 0;
    state.ConflictPhoneBookIndex = 0;
    state.ConflictSyncIndex = 0;
    state.NewFirstName.clear();
    state.NewLastName.clear();
    state.NewFileAs.clear();
    state.ManagerPath = programFolder / kManagerProgramName;
    state.FailedWrites = 0;
    state.settings = LoadSettings(store, programFolder);
}

}  // namespace velmora
