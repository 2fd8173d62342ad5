#include "app/Options.h"

#include <algorithm>

namespace velmora {

namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/";
#else
constexpr std::string_view kSeparators = "/";
#endif

// The value of a whole number from `lowest` to `largest` as typed, or nullopt.
std::optional<int> WholeNumber(std::string_view text, int lowest, int largest) {
    if (text.empty() || !IsDigitsOnly(text)) return std::nullopt;
    int value = 0;
    for (const char digit : text) {
        value = value * 10 + (digit - '0');
        if (value > largest) return std::nullopt;
    }
    if (value < lowest) return std::nullopt;
    return value;
}

// The value of a limit, or nullopt when the text is not a whole number the
// phone can hold.
std::optional<int> LimitValue(std::string_view text) {
    return WholeNumber(text, 0, kLargestLimit);
}

}  // namespace

OptionsEntries EntriesFromSettings(const Settings& settings) {
    OptionsEntries entries;
    entries.NameField = settings.NameField;
    entries.MaskOption = settings.MaskOption;
    entries.MaxNames = std::to_string(settings.NameLimit);
    entries.MaxNumbers = std::to_string(settings.NumberLimit);
    entries.PMBefore = settings.PMBefore;
    entries.PMAfter = settings.PMAfter;
    entries.PhoneBookPath = settings.PhoneBookPath.string();
    entries.SyncPath = settings.SyncPath.string();
    entries.LogPath = settings.LogPath.string();
    entries.ContactsPath = settings.ContactsPath.string();
    entries.MassDeleteShare = std::to_string(settings.MassDeleteShare);
    entries.MassDeleteMinimum = std::to_string(settings.MassDeleteMinimum);
    entries.KeepBackups = std::to_string(settings.KeepBackups);
    return entries;
}

std::optional<std::string> SaveOptions(const OptionsEntries& entries, SettingsStore& store) {
    const auto names = LimitValue(entries.MaxNames);
    const auto numbers = LimitValue(entries.MaxNumbers);
    if (!names || !numbers) return std::string(kLimitsNotNumericMessage);
    if (*names > *numbers) return std::string(kNamesAboveNumbersMessage);
    const auto share = WholeNumber(entries.MassDeleteShare, 0, 100);
    const auto minimum = WholeNumber(entries.MassDeleteMinimum, 0, kLargestLimit);
    const auto keep = WholeNumber(entries.KeepBackups, 1, 999);
    if (!share || !minimum || !keep) return std::string(kSafetyNotNumericMessage);

    store.Save(SettingKey::NameField, entries.NameField);
    store.Save(SettingKey::MaskOption, std::to_string(entries.MaskOption));
    store.Save(SettingKey::NameLimit, std::to_string(*names));
    store.Save(SettingKey::NumberLimit, std::to_string(*numbers));
    store.Save(SettingKey::PMBefore, BooleanText(entries.PMBefore));
    store.Save(SettingKey::PMAfter, BooleanText(entries.PMAfter));
    store.Save(SettingKey::PhoneBookPath, entries.PhoneBookPath);
    store.Save(SettingKey::SyncPath, entries.SyncPath);
    store.Save(SettingKey::LogPath, entries.LogPath);
    store.Save(SettingKey::ContactsPath, entries.ContactsPath);
    store.Save(SettingKey::MassDeleteShare, std::to_string(*share));
    store.Save(SettingKey::MassDeleteMinimum, std::to_string(*minimum));
    store.Save(SettingKey::KeepBackups, std::to_string(*keep));
    return std::nullopt;
}

bool IsDigitsOnly(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string FolderOfPath(std::string_view path) {
    if (path.size() < 2) return {};
    // A separator at the very end is passed over.
    const auto at = path.find_last_of(kSeparators, path.size() - 2);
    if (at == std::string_view::npos) return {};
    if (at == 0) return std::string(path.substr(0, 1));
    return std::string(path.substr(0, at));
}

}  // namespace velmora
