#include "run/RunState.h"

namespace velmora {

void ApplyWriteReport(RunState& state, const WriteReport& report) {
    state.FailedWrites += report.failedWrites;
    for (const std::string& contactId : report.unstoredContactIDs) {
        if (contactId.empty()) continue;
        const int position = FindByContactID(contactId, state.SyncDataSet);
        if (position > 0) state.SyncDataSet.Item(position).Flag = RecordFlag::None;
    }
}

void ResetRunState(RunState& state, const SettingsStore& store,
                   const std::filesystem::path& programFolder) {
    ClearSet(state.OutlookSet);
    ClearSet(state.PhoneBookSet);
    ClearSet(state.SyncDataSet);
    state.FailedWrites = 0;
    state.ExtraPhoneRows = 0;
    state.settings = LoadSettings(store, programFolder);
}

}  // namespace velmora
