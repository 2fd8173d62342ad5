#include "gui/InclusionReportWriter.h"

#include "app/InclusionReport.h"
#include "stores/outlook/VCardFolder.h"

namespace velmora::gui {

InclusionReportWriter VCardFolderInclusionReport() {
    return [](const Settings& settings, const std::filesystem::path& programFolder) {
        return WriteInclusionReport(programFolder, settings,
                                    VCardFolderOpener(settings.ContactsPath));
    };
}

}  // namespace velmora::gui
