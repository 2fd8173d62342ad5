#include <gtest/gtest.h>

#include "app/Options.h"

namespace velmora {
namespace {

// Records each write as "key=value;", in the order they came.
class RecordingStore final : public SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view) const override { return std::nullopt; }
    void Save(std::string_view key, std::string_view value) override {
        written += std::string(key) + "=" + std::string(value) + ";";
    }
    std::string written;
};

OptionsEntries Entries(std::string names, std::string numbers, std::string share = "50",
                       std::string minimum = "5", std::string keep = "10") {
    return OptionsEntries{"Full Name", 3,          names,        numbers,      true,
                          false,       "/d/pb.db", "/d/sync.db", "/d/log.txt", "/d/Contacts",
                          share,       minimum,    keep};
}

// A valid form writes every key in order; a refused one writes nothing.
TEST(OptionsTest, SaveChecksTheLimitsThenWritesEveryKey) {
    RecordingStore written;
    EXPECT_EQ(SaveOptions(Entries("007", "250"), written), std::nullopt);
    EXPECT_EQ(written.written,
              "NameField=Full Name;MaskOption=3;NameLimit=7;NumberLimit=250;PMBefore=True;"
              "PMAfter=False;PhoneBookPath=/d/pb.db;SyncPath=/d/sync.db;LogPath=/d/log.txt;"
              "ContactsPath=/d/Contacts;MassDeleteShare=50;MassDeleteMinimum=5;"
              "KeepBackups=10;");

    const std::optional<std::string> numeric(kLimitsNotNumericMessage);
    const std::optional<std::string> namesAbove(kNamesAboveNumbersMessage);
    const std::vector<std::tuple<std::string, std::string, std::optional<std::string>>> cases{
        {"25x", "250", numeric},    {"0", "25x", numeric},
        {"", "250", numeric},       {"0", "", numeric},
        {"-1", "250", numeric},     {"12 ", "250", numeric},
        {"0", "32768", numeric},    {"0", "99999999999999999999", numeric},
        {"300", "250", namesAbove}, {"250", "250", {}},
        {"32767", "32767", {}},     {"0", "0", {}}};
    for (const auto& [names, numbers, expected] : cases) {
        RecordingStore store;
        EXPECT_EQ(SaveOptions(Entries(names, numbers), store), expected) << names << "/" << numbers;
        EXPECT_EQ(store.written.empty(), expected.has_value()) << names << "/" << numbers;
    }
    const std::optional<std::string> safety(kSafetyNotNumericMessage);
    const std::vector<std::tuple<std::string, std::string, std::string, std::optional<std::string>>>
        safetyCases{{"101", "5", "10", safety}, {"50", "", "10", safety},
                    {"50", "5", "0", safety},   {"50", "5", "1000", safety},
                    {"0", "0", "1", {}},        {"100", "32767", "999", {}}};
    for (const auto& [share, minimum, keep, expected] : safetyCases) {
        RecordingStore store;
        EXPECT_EQ(SaveOptions(Entries("0", "250", share, minimum, keep), store), expected)
            << share << "/" << minimum << "/" << keep;
        EXPECT_EQ(store.written.empty(), expected.has_value());
    }
}

// The folder Browse starts from.
TEST(OptionsTest, FolderOfPath) {
    const std::vector<std::pair<std::string, std::string>> cases{{"/data/SyncLog.txt", "/data"},
                                                                 {"/data/sub/", "/data"},
                                                                 {"/SyncLog.txt", "/"},
                                                                 {"/data/", "/"},
                                                                 {"SyncLog.txt", ""},
                                                                 {"/", ""},
                                                                 {"", ""}};
    for (const auto& [path, folder] : cases)
        EXPECT_EQ(FolderOfPath(path), folder) << path;
}

}  // namespace
}  // namespace velmora
