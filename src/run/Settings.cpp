#include "run/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "model/Text.h"

namespace velmora {

std::optional<std::string> InMemorySettingsStore::Read(std::string_view key) const {
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void InMemorySettingsStore::Save(std::string_view key, std::string_view value) {
    values_[std::string(key)] = std::string(value);
}

std::filesystem::path DefaultPhoneBookPath(const std::filesystem::path& programFolder) {
    return programFolder / "Data" / "PhoneBook.db";
}
std::filesystem::path DefaultSyncPath(const std::filesystem::path& programFolder) {
    return programFolder / "Data" / "Velmora.db";
}
std::filesystem::path DefaultLogPath(const std::filesystem::path& programFolder) {
    return programFolder / "Data" / "SyncLog.txt";
}
std::filesystem::path DefaultContactsPath(const std::filesystem::path& programFolder) {
    return programFolder / "Data" / "Contacts";
}

std::filesystem::path BackupsFolder(const std::filesystem::path& programFolder) {
    return programFolder / "Data" / "Backups";
}

std::string BooleanText(bool value) {
    return value ? "True" : "False";
}

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::int64_t> ParseWholeNumberSetting(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ParseBooleanSetting(std::string_view text) {
    text = Trimmed(text);
    if (EqualsIgnoringCase(text, "True")) return true;
    if (EqualsIgnoringCase(text, "False")) return false;
    // A number is false when it is 0 and true otherwise.
    const std::string digits(text);
    if (digits.empty()) return std::nullopt;
    char* end = nullptr;
    const double number = std::strtod(digits.c_str(), &end);
    if (end != digits.c_str() + digits.size() || !std::isfinite(number)) return std::nullopt;
    return number != 0.0;
}

namespace {

// A stored value, or nullopt when the key is missing or holds empty text.
std::optional<std::string> ReadText(const SettingsStore& store, std::string_view key) {
    auto value = store.Read(key);
    if (value && value->empty()) return std::nullopt;
    return value;
}

template <typename Integer>
Integer ReadWholeNumber(const SettingsStore& store, std::string_view key, Integer fallback) {
    const auto text = ReadText(store, key);
    if (!text) return fallback;
    const auto value = ParseWholeNumberSetting(*text);
    if (!value || *value < std::numeric_limits<Integer>::min() ||
        *value > std::numeric_limits<Integer>::max()) {
        return fallback;
    }
    return static_cast<Integer>(*value);
}

bool ReadBoolean(const SettingsStore& store, std::string_view key, bool fallback) {
    const auto text = ReadText(store, key);
    if (!text) return fallback;
    return ParseBooleanSetting(*text).value_or(fallback);
}

std::filesystem::path ReadPath(const SettingsStore& store, std::string_view key,
                               const std::filesystem::path& fallback) {
    const auto text = ReadText(store, key);
    return text ? std::filesystem::path(*text) : fallback;
}

}  // namespace

Settings LoadSettings(const SettingsStore& store, const std::filesystem::path& programFolder) {
    Settings s;
    s.NameField = ReadText(store, SettingKey::NameField).value_or("File As");
    s.MaskOption = ReadWholeNumber<std::uint8_t>(store, SettingKey::MaskOption, kDefaultMaskOption);
    s.PhoneBookPath =
        ReadPath(store, SettingKey::PhoneBookPath, DefaultPhoneBookPath(programFolder));
    s.SyncPath = ReadPath(store, SettingKey::SyncPath, DefaultSyncPath(programFolder));
    s.LogPath = ReadPath(store, SettingKey::LogPath, DefaultLogPath(programFolder));
    s.ContactsPath = ReadPath(store, SettingKey::ContactsPath, DefaultContactsPath(programFolder));
    s.PMBefore = ReadBoolean(store, SettingKey::PMBefore, true);
    s.PMAfter = ReadBoolean(store, SettingKey::PMAfter, true);
    s.NameLimit = ReadWholeNumber<std::int32_t>(store, SettingKey::NameLimit, 0);
    s.NumberLimit =
        ReadWholeNumber<std::int32_t>(store, SettingKey::NumberLimit, kDefaultNumberLimit);
    s.MassDeleteShare =
        ReadWholeNumber<std::int32_t>(store, SettingKey::MassDeleteShare, kDefaultMassDeleteShare);
    s.MassDeleteMinimum = ReadWholeNumber<std::int32_t>(store, SettingKey::MassDeleteMinimum,
                                                        kDefaultMassDeleteMinimum);
    s.KeepBackups =
        ReadWholeNumber<std::int32_t>(store, SettingKey::KeepBackups, kDefaultKeepBackups);

    // Repairs, in this order. Empty texts already took their defaults above.
    if (s.MaskOption == 0 || s.MaskOption > 4) s.MaskOption = kDefaultMaskOption;
    // Negative limits can only come from a hand-edited file: no limit on names,
    // the usual capacity for numbers.
    if (s.NameLimit < 0) s.NameLimit = 0;
    if (s.NumberLimit < 0) s.NumberLimit = kDefaultNumberLimit;
    if (s.NumberLimit == 0 && s.NameLimit != 0) {
        s.NumberLimit = s.NameLimit;
    } else if (s.NumberLimit == 0 && s.NameLimit == 0) {
        s.NumberLimit = kDefaultNumberLimit;
    }
    if (s.MassDeleteShare < 0 || s.MassDeleteShare > 100)
        s.MassDeleteShare = kDefaultMassDeleteShare;
    if (s.MassDeleteMinimum < 0) s.MassDeleteMinimum = kDefaultMassDeleteMinimum;
    // At least the backup of the latest run is kept: it is the way back.
    if (s.KeepBackups < 1) s.KeepBackups = kDefaultKeepBackups;
    return s;
}

void StoreSettings(const Settings& s, SettingsStore& store) {
    store.Save(SettingKey::NameField, s.NameField);
    store.Save(SettingKey::MaskOption, std::to_string(s.MaskOption));
    store.Save(SettingKey::PhoneBookPath, s.PhoneBookPath.string());
    store.Save(SettingKey::SyncPath, s.SyncPath.string());
    store.Save(SettingKey::LogPath, s.LogPath.string());
    store.Save(SettingKey::ContactsPath, s.ContactsPath.string());
    store.Save(SettingKey::PMBefore, BooleanText(s.PMBefore));
    store.Save(SettingKey::PMAfter, BooleanText(s.PMAfter));
    store.Save(SettingKey::NameLimit, std::to_string(s.NameLimit));
    store.Save(SettingKey::NumberLimit, std::to_string(s.NumberLimit));
    store.Save(SettingKey::MassDeleteShare, std::to_string(s.MassDeleteShare));
    store.Save(SettingKey::MassDeleteMinimum, std::to_string(s.MassDeleteMinimum));
    store.Save(SettingKey::KeepBackups, std::to_string(s.KeepBackups));
}

}  // namespace velmora
