#include "model/NumberKinds.h"

namespace velmora {

const NumberKindInfo* KindByNumberType(long long numberType) {
    for (const auto& info : kNumberKinds) {
        if (info.numberType == numberType) return &info;
    }
    return nullptr;
}

std::string_view KindWordOfNumberType(long long numberType) {
    const NumberKindInfo* info = KindByNumberType(numberType);
    return info != nullptr ? info->kindWord : std::string_view{};
}

}  // namespace velmora
