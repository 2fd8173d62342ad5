#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "run/Settings.h"

namespace velmora {

// The entries of the Options dialog as the person left them: the limits as
// typed, the mask as the selected option (1 to 4, 0 when none is selected).
struct OptionsEntries {
    std::string NameField;
    int MaskOption = 0;
    std::string MaxNames;
    std::string MaxNumbers;
    bool PMBefore = false;
    bool PMAfter = false;
    std::string PhoneBookPath;
    std::string SyncPath;
    std::string LogPath;
    std::string ContactsPath;
    std::string MassDeleteShare;    // percent
    std::string MassDeleteMinimum;  // contacts
    std::string KeepBackups;

    bool operator==(const OptionsEntries&) const = default;
};

inline constexpr std::string_view kLimitsNotNumericMessage =
    "The quantities for the phone limitations must be numeric values.";
inline constexpr std::string_view kNamesAboveNumbersMessage =
    "The quantity limit for names cannot be greater than the quantity limit for numbers.";

inline constexpr std::string_view kSafetyNotNumericMessage =
    "Ask before deleting takes a share from 0 to 100 percent and a whole number of contacts; "
    "backups to keep takes a whole number from 1 to 999.";

// The largest limit the dialog accepts: the phone keeps its capacities in 16 bits.
inline constexpr int kLargestLimit = 32767;

// What the dialog shows when it opens.
OptionsEntries EntriesFromSettings(const Settings& settings);

// Checks the entries and, when they pass, writes every key in the dialog's
// fixed order and returns nullopt. Otherwise returns the message to show and
// writes nothing. An empty limit or one above kLargestLimit counts as not
// numeric. Errors of the store propagate.
std::optional<std::string> SaveOptions(const OptionsEntries& entries, SettingsStore& store);

// True when every character is one of 0 to 9; the empty text counts as true.
bool IsDigitsOnly(std::string_view text);

// The text before the last separator that is followed by at least one
// character: "/data/SyncLog.txt" gives "/data"; "/data/" and "/x" give the
// root "/". Empty when there is no such separator.
std::string FolderOfPath(std::string_view path);

}  // namespace velmora
