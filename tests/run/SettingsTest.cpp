#include <gtest/gtest.h>

#include "run/Settings.h"

namespace velmora {
namespace {

using Values = std::vector<std::pair<std::string_view, std::string_view>>;

// The settings loaded from these stored values, in one line:
// name field|mask|PMBefore PMAfter|name limit|number limit|log|phone book|sync|contacts
std::string Loaded(const Values& values) {
    InMemorySettingsStore store;
    for (const auto& [key, value] : values)
        store.Save(key, value);
    const Settings s = LoadSettings(store, "/p");
    return s.NameField + "|" + std::to_string(s.MaskOption) + "|" + (s.PMBefore ? "T" : "F") +
           (s.PMAfter ? "T" : "F") + "|" + std::to_string(s.NameLimit) + "|" +
           std::to_string(s.NumberLimit) + "|" + s.LogPath.string() + "|" +
           s.PhoneBookPath.string() + "|" + s.SyncPath.string() + "|" + s.ContactsPath.string();
}

// Defaults, stored values in their text forms, repairs of values out of
// range (an empty text, a mask outside 1..4, a number limit of 0 that takes
// the name limit or else the default, negative limits), and values that do
// not convert, which take their defaults.
TEST(Settings, DefaultsStoredValuesAndRepairs) {
    const std::string paths =
        "|/p/Data/SyncLog.txt|/p/Data/PhoneBook.db|/p/Data/Velmora.db|"
        "/p/Data/Contacts";
    const std::pair<Values, std::string> cases[] = {
        {{}, "File As|2|TT|0|250" + paths},
        {{{"NameField", "Full Name"},
          {"MaskOption", "4"},
          {"PMBefore", "False"},
          {"PMAfter", "tRUE"},
          {"NameLimit", "100"},
          {"NumberLimit", "500"},
          {"LogPath", "/d/log.txt"},
          {"PhoneBookPath", "/d/pb.db"},
          {"SyncPath", "/d/s.db"},
          {"ContactsPath", "/d/cards"}},
         "Full Name|4|FT|100|500|/d/log.txt|/d/pb.db|/d/s.db|/d/cards"},
        {{{"PMBefore", "0"}, {"PMAfter", "-1"}}, "File As|2|FT|0|250" + paths},
        {{{"NameField", ""}, {"MaskOption", "7"}, {"LogPath", ""}}, "File As|2|TT|0|250" + paths},
        {{{"MaskOption", "0"}, {"NameLimit", "300"}, {"NumberLimit", "0"}},
         "File As|2|TT|300|300" + paths},
        {{{"NameLimit", "300"}}, "File As|2|TT|300|250" + paths},
        {{{"NameLimit", "0"}, {"NumberLimit", "0"}}, "File As|2|TT|0|250" + paths},
        {{{"NameLimit", "-5"}, {"NumberLimit", "-1"}}, "File As|2|TT|0|250" + paths},
        {{{"NameLimit", "lots"},
          {"NumberLimit", "25x"},
          {"MaskOption", "300"},
          {"PMBefore", "maybe"},
          {"PMAfter", ""}},
         "File As|2|TT|0|250" + paths},
        {{{"NumberLimit", "99999999999"}}, "File As|2|TT|0|250" + paths},
        {{{"NumberLimit", " 300 "}}, "File As|2|TT|0|300" + paths},
    };
    for (const auto& [values, expected] : cases)
        EXPECT_EQ(Loaded(values), expected) << ::testing::PrintToString(values);
}

}  // namespace
}  // namespace velmora
