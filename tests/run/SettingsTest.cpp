#include <gtest/gtest.h>

#include "run/Settings.h"

namespace velmora {
namespace {

// Settings loaded from "Key=value, ..." as name field|mask|PM|limits|paths.
std::string Loaded(std::string_view stored) {
    InMemorySettingsStore store;
    for (std::size_t at = 0; at < stored.size();) {
        const std::size_t end = std::min(stored.find(", ", at), stored.size());
        const std::string_view entry = stored.substr(at, end - at);
        store.Save(entry.substr(0, entry.find('=')), entry.substr(entry.find('=') + 1));
        at = end + 2;
    }
    const Settings s = LoadSettings(store, "/p");
    return s.NameField + "|" + std::to_string(s.MaskOption) + "|" + (s.PMBefore ? "T" : "F") +
           (s.PMAfter ? "T" : "F") + "|" + std::to_string(s.NameLimit) + "|" +
           std::to_string(s.NumberLimit) + "|" + s.LogPath.string() + "|" +
           s.PhoneBookPath.string() + "|" + s.SyncPath.string() + "|" + s.ContactsPath.string();
}

// Values out of range or that do not convert take their defaults.
TEST(Settings, DefaultsStoredValuesAndRepairs) {
    const std::string paths =
        "|/p/Data/SyncLog.txt|/p/Data/PhoneBook.db|/p/Data/Velmora.db|/p/Data/Contacts";
    const std::string defaults = "File As|2|TT|0|250" + paths;
    const std::pair<std::string, std::string> cases[] = {
        {"", defaults},
        {"NameField=Full Name, MaskOption=4, PMBefore=False, PMAfter=tRUE, NameLimit=100, "
         "NumberLimit=500, LogPath=/d/log.txt, PhoneBookPath=/d/pb.db, SyncPath=/d/s.db, "
         "ContactsPath=/d/cards",
         "Full Name|4|FT|100|500|/d/log.txt|/d/pb.db|/d/s.db|/d/cards"},
        {"PMBefore=0, PMAfter=-1", "File As|2|FT|0|250" + paths},
        {"NameField=, MaskOption=7, LogPath=", defaults},
        {"MaskOption=0, NameLimit=300, NumberLimit=0", "File As|2|TT|300|300" + paths},
        {"NameLimit=300", "File As|2|TT|300|250" + paths},
        {"NameLimit=0, NumberLimit=0", defaults},
        {"NameLimit=-5, NumberLimit=-1", defaults},
        {"NameLimit=lots, NumberLimit=25x, MaskOption=300, PMBefore=maybe, PMAfter=", defaults},
        {"NumberLimit=99999999999", defaults},
        {"NumberLimit= 300 ", "File As|2|TT|0|300" + paths},
        {"ManagerPath=/old/idenpm.exe", defaults},
    };
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(Loaded(stored), expected) << stored;
}

}  // namespace
}  // namespace velmora
