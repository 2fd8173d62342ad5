#pragma once

#include "gui/VelmoraStart.h"

namespace velmora::gui {

// The inclusion report over the address book the settings name (the folder
// of vCard files at ContactsPath), written into the program folder.
InclusionReportWriter VCardFolderInclusionReport();

}  // namespace velmora::gui
