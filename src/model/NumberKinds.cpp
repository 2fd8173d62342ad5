#include "model/NumberKinds.h"

namespace velmora {

const NumberKindInfo* KindByNumberType(long long numberType) {
    for (const auto& info : kNumberKinds) {
        if (info.numberType == numberType) return &info;
    }
    return nullptr;
}

}  // namespace velmora
