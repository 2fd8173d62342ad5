#include "engine/EngineLog.h"

namespace velmora {

std::string_view StoreWords(Store store) {
    switch (store) {
        case Store::Outlook:
            return "Outlook";
        case Store::PhoneBook:
            return "the PhoneBook";
        case Store::Sync:
            return "the sync database";
    }
    return {};
}

void WriteWillBeModified(ActivityLog& log, std::string_view name, Store store) {
    WriteEvent(log, name, " will be modified in ", StoreWords(store), ".");
}

void WriteWillBeAdded(ActivityLog& log, std::string_view name, Store store) {
    WriteEvent(log, name, " will be added to ", StoreWords(store), ".");
}

}  // namespace velmora
