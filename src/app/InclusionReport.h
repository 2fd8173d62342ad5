#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "run/Settings.h"
#include "stores/outlook/OutlookPort.h"

namespace velmora {

inline constexpr std::string_view kInclusionReportFileName = "InclusionReport.txt";

std::filesystem::path InclusionReportPath(const std::filesystem::path& programFolder);

// Lists which address-book contacts take part in synchronization and which
// do not, by their names under the NameField setting, in the file
// InclusionReport.txt of the program folder (UTF-8, CR LF lines). Changes
// nothing in the address book.
//
// Returns the message to show ("The Inclusion Report has been written to
// ..."), or nullopt when the address book holds no items at all: then no
// file is written and nothing is to be shown. An address book that cannot be
// read or a file that cannot be written throws velmora::Error naming it.
std::optional<std::string> WriteInclusionReport(const std::filesystem::path& programFolder,
                                                const Settings& settings,
                                                const AddressBookOpener& openAddressBook);

}  // namespace velmora
