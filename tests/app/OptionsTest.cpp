#include <gtest/gtest.h>

#include "app/Options.h"

namespace velmora {
namespace {

// Records the keys in the order they were written.
class RecordingStore final : public SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view key) const override {
        return values.Read(key);
    }
    void Save(std::string_view key, std::string_view value) override {
        order.emplace_back(key);
        values.Save(key, value);
    }
    std::vector<std::string> order;
    InMemorySettingsStore values;
};

OptionsEntries ValidEntries() {
    OptionsEntries e;
    e.NameField = "Full Name";
    e.MaskOption = 3;
    e.MaxNames = "0";
    e.MaxNumbers = "250";
    e.PMBefore = true;
    e.PMAfter = false;
    e.PhoneBookPath = "/d/PhoneBook.db";
    e.SyncPath = "/d/Velmora.db";
    e.LogPath = "/d/SyncLog.txt";
    e.ContactsPath = "/d/Contacts";
    return e;
}

// A valid form writes every key, in the dialog's fixed order, in the text
// forms the settings loader reads back to the same values.
TEST(OptionsTest, SaveWritesEveryKeyInOrder) {
    RecordingStore store;
    OptionsEntries entries = ValidEntries();
    entries.MaxNames = "007";

    EXPECT_EQ(SaveOptions(entries, store), std::nullopt);

    EXPECT_EQ(store.order,
              (std::vector<std::string>{"NameField", "MaskOption", "NameLimit", "NumberLimit",
                                        "PMBefore", "PMAfter", "PhoneBookPath", "SyncPath",
                                        "LogPath", "ContactsPath", "ManagerPath"}));
    const auto& v = store.values.Values();
    EXPECT_EQ(v.at("NameField"), "Full Name");
    EXPECT_EQ(v.at("MaskOption"), "3");
    EXPECT_EQ(v.at("NameLimit"), "7");
    EXPECT_EQ(v.at("NumberLimit"), "250");
    EXPECT_EQ(v.at("PMBefore"), "True");
    EXPECT_EQ(v.at("PMAfter"), "False");
    EXPECT_EQ(v.at("ContactsPath"), "/d/Contacts");
    EXPECT_EQ(v.at("ManagerPath"), "");

    const Settings loaded = LoadSettings(store.values, "/prog");
    EXPECT_EQ(loaded.NameLimit, 7);
    EXPECT_EQ(loaded.MaskOption, 3);
    EXPECT_EQ(loaded.LogPath, "/d/SyncLog.txt");
    EXPECT_FALSE(loaded.PMAfter);
}

// Limits that are not whole numbers the phone can hold are refused with the
// numeric message, and a names limit above the numbers limit with its own;
// a refused form writes nothing.
TEST(OptionsTest, RefusedLimitsWriteNothing) {
    const std::string numeric(kLimitsNotNumericMessage);
    const std::string namesAbove(kNamesAboveNumbersMessage);
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"25x", "250", numeric},
        {"0", "25x", numeric},
        {"", "250", numeric},
        {"0", "", numeric},
        {"-1", "250", numeric},
        {"0", "32768", numeric},
        {"0", "99999999999999999999", numeric},
        {"300", "250", namesAbove},
        {"25x", "", numeric},
    };
    for (const auto& [names, numbers, message] : cases) {
        RecordingStore store;
        OptionsEntries entries = ValidEntries();
        entries.MaxNames = names;
        entries.MaxNumbers = numbers;
        EXPECT_EQ(SaveOptions(entries, store), message) << names << " / " << numbers;
        EXPECT_TRUE(store.order.empty()) << names << " / " << numbers;
    }
}

// The edges that pass: equal limits, the largest limit, both zero (the
// loader then restores 250 numbers), and no mask option selected (saved as 0,
// loaded as the default).
TEST(OptionsTest, EdgeValuesThatAreSaved) {
    for (const auto& [names, numbers] : std::vector<std::pair<std::string, std::string>>{
             {"250", "250"}, {"32767", "32767"}, {"0", "0"}}) {
        RecordingStore store;
        OptionsEntries entries = ValidEntries();
        entries.MaxNames = names;
        entries.MaxNumbers = numbers;
        EXPECT_EQ(SaveOptions(entries, store), std::nullopt) << names << " / " << numbers;
    }
    RecordingStore store;
    OptionsEntries entries = ValidEntries();
    entries.MaxNames = "0";
    entries.MaxNumbers = "0";
    entries.MaskOption = 0;
    ASSERT_EQ(SaveOptions(entries, store), std::nullopt);
    EXPECT_EQ(store.values.Values().at("MaskOption"), "0");
    const Settings loaded = LoadSettings(store.values, "/prog");
    EXPECT_EQ(loaded.NumberLimit, 250);
    EXPECT_EQ(loaded.MaskOption, 2);
}

// What the dialog shows when it opens comes from the settings in force.
TEST(OptionsTest, EntriesComeFromTheSettingsInForce) {
    Settings settings;
    settings.NameField = "Nickname";
    settings.MaskOption = 4;
    settings.NameLimit = 100;
    settings.NumberLimit = 500;
    settings.PMBefore = false;
    settings.LogPath = "/d/log.txt";
    settings.ContactsPath = "/d/cards";
    const OptionsEntries entries = EntriesFromSettings(settings);
    EXPECT_EQ(entries.NameField, "Nickname");
    EXPECT_EQ(entries.MaskOption, 4);
    EXPECT_EQ(entries.MaxNames, "100");
    EXPECT_EQ(entries.MaxNumbers, "500");
    EXPECT_FALSE(entries.PMBefore);
    EXPECT_TRUE(entries.PMAfter);
    EXPECT_EQ(entries.LogPath, "/d/log.txt");
    EXPECT_EQ(entries.ContactsPath, "/d/cards");
}

// The digit check looks at every character; the folder of a path passes
// over a separator at the very end and keeps the root.
TEST(OptionsTest, DigitsAndFolders) {
    EXPECT_TRUE(IsDigitsOnly(""));
    EXPECT_TRUE(IsDigitsOnly("0123456789"));
    EXPECT_FALSE(IsDigitsOnly("12 "));
    EXPECT_FALSE(IsDigitsOnly("1x2"));
    EXPECT_FALSE(IsDigitsOnly("+1"));
    EXPECT_FALSE(IsDigitsOnly("\xd9\xa3"));  // an Arabic-Indic digit is not one of 0 to 9

    EXPECT_EQ(FolderOfPath("/data/SyncLog.txt"), "/data");
    EXPECT_EQ(FolderOfPath("/data/sub/"), "/data");
    EXPECT_EQ(FolderOfPath("/SyncLog.txt"), "/");
    EXPECT_EQ(FolderOfPath("/data/"), "/");
    EXPECT_EQ(FolderOfPath("SyncLog.txt"), "");
    EXPECT_EQ(FolderOfPath("/"), "");
    EXPECT_EQ(FolderOfPath(""), "");
}

}  // namespace
}  // namespace velmora
