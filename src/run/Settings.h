#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Keys of the settings store, group "Settings".
namespace SettingKey {
inline constexpr std::string_view NameField = "NameField";
inline constexpr std::string_view MaskOption = "MaskOption";
inline constexpr std::string_view PhoneBookPath = "PhoneBookPath";
inline constexpr std::string_view SyncPath = "SyncPath";
inline constexpr std::string_view LogPath = "LogPath";
inline constexpr std::string_view ContactsPath = "ContactsPath";
inline constexpr std::string_view PMBefore = "PMBefore";
inline constexpr std::string_view PMAfter = "PMAfter";
inline constexpr std::string_view NameLimit = "NameLimit";
inline constexpr std::string_view NumberLimit = "NumberLimit";
inline constexpr std::string_view MassDeleteShare = "MassDeleteShare";
inline constexpr std::string_view MassDeleteMinimum = "MassDeleteMinimum";
inline constexpr std::string_view KeepBackups = "KeepBackups";
}  // namespace SettingKey

inline constexpr std::int32_t kDefaultNumberLimit = 250;
inline constexpr std::uint8_t kDefaultMaskOption = 2;

// A run that would delete more than this share (in percent) of a side's
// contacts, and at least the minimum count, asks first.
inline constexpr std::int32_t kDefaultMassDeleteShare = 50;
inline constexpr std::int32_t kDefaultMassDeleteMinimum = 5;
// Backups of this many runs are kept.
inline constexpr std::int32_t kDefaultKeepBackups = 10;

// The settings a run works with, after defaults and repairs.
struct Settings {
    std::string NameField = "File As";
    std::uint8_t MaskOption = kDefaultMaskOption;
    std::filesystem::path PhoneBookPath;
    std::filesystem::path SyncPath;
    std::filesystem::path LogPath;
    std::filesystem::path ContactsPath;  // the folder of vCard files that is the address book
    bool PMBefore = true;
    bool PMAfter = true;
    std::int32_t NameLimit = 0;  // 0: names are not limited
    std::int32_t NumberLimit = kDefaultNumberLimit;
    std::int32_t MassDeleteShare = kDefaultMassDeleteShare;      // 0 to 100
    std::int32_t MassDeleteMinimum = kDefaultMassDeleteMinimum;  // 0 or more
    std::int32_t KeepBackups = kDefaultKeepBackups;              // 1 or more

    bool operator==(const Settings&) const = default;
};

// Where settings are kept: every value is text, and a key may be absent.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> Read(std::string_view key) const = 0;
    virtual void Save(std::string_view key, std::string_view value) = 0;
};

class InMemorySettingsStore final : public SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view key) const override;
    void Save(std::string_view key, std::string_view value) override;
    const std::map<std::string, std::string, std::less<>>& Values() const { return values_; }

  private:
    std::map<std::string, std::string, std::less<>> values_;
};

// Default locations, below the program folder.
std::filesystem::path DefaultPhoneBookPath(const std::filesystem::path& programFolder);
std::filesystem::path DefaultSyncPath(const std::filesystem::path& programFolder);
std::filesystem::path DefaultLogPath(const std::filesystem::path& programFolder);
std::filesystem::path DefaultContactsPath(const std::filesystem::path& programFolder);
// Where the backups made before each run go; not a setting.
std::filesystem::path BackupsFolder(const std::filesystem::path& programFolder);

// Reads every key with its default and repairs values out of range. A value
// that does not convert to its type (letters under a limit, "maybe" for a
// boolean, a mask above 255) takes its default.
Settings LoadSettings(const SettingsStore& store, const std::filesystem::path& programFolder);

// Writes every value in the text form LoadSettings reads back as it is.
void StoreSettings(const Settings& settings, SettingsStore& store);

// Text forms the settings store holds.
std::string BooleanText(bool value);  // "True" / "False"

// Readers of the stored text forms; nullopt when the text does not convert.
std::optional<bool> ParseBooleanSetting(std::string_view text);
std::optional<std::int64_t> ParseWholeNumberSetting(std::string_view text);

}  // namespace velmora
