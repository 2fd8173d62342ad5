#include "run/Capacity.h"

#include "model/NumberKinds.h"
#include "run/RunState.h"

namespace velmora {

std::int64_t CountOutlookNumbers(const SyncSet& outlookSet) {
    std::int64_t count = 0;
    for (const SyncObject& record : outlookSet) {
        if (record.Flag == RecordFlag::Delete) continue;
        for (const auto& kind : kNumberKinds) {
            if (!record.Number(kind.kind).empty()) ++count;
        }
    }
    return count;
}

std::string CapacityOverflow::Message() const {
    return "The " + std::to_string(count) + std::string(text) + std::to_string(limit) + ".";
}

std::optional<CapacityOverflow> CheckCapacity(const RunState& state) {
    const std::int64_t nameCount = state.OutlookSet.Count();  // "D" records included
    const std::int64_t numberCount = CountOutlookNumbers(state.OutlookSet);
    const auto& settings = state.settings;
    if (settings.NameLimit != 0 && nameCount > settings.NameLimit) {
        return CapacityOverflow{nameCount, settings.NameLimit, kNamesOverflowText};
    }
    if (numberCount > settings.NumberLimit) {
        return CapacityOverflow{numberCount, settings.NumberLimit, kNumbersOverflowText};
    }
    return std::nullopt;
}

}  // namespace velmora
