#include <gtest/gtest.h>

#include "run/Settings.h"

namespace velmora {
namespace {

const std::filesystem::path kFolder = "/home/ann/.local/share/Velmora";

Settings Load(std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    InMemorySettingsStore store;
    for (const auto& [key, value] : values)
        store.Save(key, value);
    return LoadSettings(store, kFolder);
}

// Without stored values every setting takes its default, paths under the
// program folder's Data folder.
TEST(Settings, DefaultsWhenNothingIsStored) {
    const Settings s = Load({});
    EXPECT_EQ(s.NameField, "File As");
    EXPECT_EQ(s.MaskOption, 2);
    EXPECT_EQ(s.PhoneBookPath, kFolder / "Data" / "PhoneBook.db");
    EXPECT_EQ(s.SyncPath, kFolder / "Data" / "Velmora.db");
    EXPECT_EQ(s.LogPath, kFolder / "Data" / "SyncLog.txt");
    EXPECT_EQ(s.ContactsPath, kFolder / "Data" / "Contacts");
    EXPECT_TRUE(s.PMBefore);
    EXPECT_TRUE(s.PMAfter);
    EXPECT_EQ(s.NameLimit, 0);
    EXPECT_EQ(s.NumberLimit, 250);
}

// Stored values are read in their text forms.
TEST(Settings, ReadsStoredValues) {
    const Settings s = Load({{"NameField", "Full Name"},
                             {"MaskOption", "4"},
                             {"PhoneBookPath", "/data/pb.db"},
                             {"SyncPath", "/data/sync.db"},
                             {"LogPath", "/data/log.txt"},
                             {"ContactsPath", "/data/cards"},
                             {"PMBefore", "False"},
                             {"PMAfter", "tRUE"},
                             {"NameLimit", "100"},
                             {"NumberLimit", "500"}});
    EXPECT_EQ(s.NameField, "Full Name");
    EXPECT_EQ(s.MaskOption, 4);
    EXPECT_EQ(s.PhoneBookPath, "/data/pb.db");
    EXPECT_EQ(s.SyncPath, "/data/sync.db");
    EXPECT_EQ(s.LogPath, "/data/log.txt");
    EXPECT_EQ(s.ContactsPath, "/data/cards");
    EXPECT_FALSE(s.PMBefore);
    EXPECT_TRUE(s.PMAfter);
    EXPECT_EQ(s.NameLimit, 100);
    EXPECT_EQ(s.NumberLimit, 500);

    EXPECT_FALSE(Load({{"PMBefore", "0"}}).PMBefore);
    EXPECT_TRUE(Load({{"PMBefore", "-1"}}).PMBefore);
}

// Repairs: empty texts, an out-of-range mask, zero and negative limits.
TEST(Settings, RepairsOutOfRangeValues) {
    EXPECT_EQ(Load({{"NameField", ""}}).NameField, "File As");
    EXPECT_EQ(Load({{"MaskOption", "7"}}).MaskOption, 2);
    EXPECT_EQ(Load({{"MaskOption", "0"}}).MaskOption, 2);
    EXPECT_EQ(Load({{"LogPath", ""}}).LogPath, kFolder / "Data" / "SyncLog.txt");
    EXPECT_EQ(Load({{"NameLimit", "300"}, {"NumberLimit", "0"}}).NumberLimit, 300);
    EXPECT_EQ(Load({{"NameLimit", "0"}, {"NumberLimit", "0"}}).NumberLimit, 250);
    EXPECT_EQ(Load({{"NameLimit", "300"}}).NumberLimit, 250);

    const Settings negative = Load({{"NameLimit", "-5"}, {"NumberLimit", "-1"}});
    EXPECT_EQ(negative.NameLimit, 0);
    EXPECT_EQ(negative.NumberLimit, 250);
}

// A value that does not convert to its type takes the default.
TEST(Settings, UnconvertibleValuesTakeTheirDefaults) {
    const Settings s = Load({{"NameLimit", "lots"},
                             {"NumberLimit", "25x"},
                             {"MaskOption", "300"},
                             {"PMBefore", "maybe"},
                             {"PMAfter", ""}});
    EXPECT_EQ(s.NameLimit, 0);
    EXPECT_EQ(s.NumberLimit, 250);
    EXPECT_EQ(s.MaskOption, 2);
    EXPECT_TRUE(s.PMBefore);
    EXPECT_TRUE(s.PMAfter);
    EXPECT_EQ(Load({{"NumberLimit", "99999999999"}}).NumberLimit, 250);
    EXPECT_EQ(Load({{"NumberLimit", " 300 "}}).NumberLimit, 300);
}

}  // namespace
}  // namespace velmora
