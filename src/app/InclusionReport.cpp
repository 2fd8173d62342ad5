#include "app/InclusionReport.h"

#include <exception>
#include <system_error>

#include "model/Error.h"
#include "model/SyncSet.h"
#include "run/AppInfo.h"
#include "stores/outlook/AtomicFile.h"
#include "stores/outlook/OutlookLoader.h"

namespace velmora {

namespace {

struct Inclusion {
    SyncSet included;
    SyncSet excluded;
    int items = 0;  // every item of the folder, distribution lists included
};

Inclusion ReadInclusion(const Settings& settings,
                        const OutlookApplicationFactory& makeApplication) {
    Inclusion inclusion;
    const auto application = makeApplication();
    const auto items = application->GetDefaultContactsFolder().Items();
    inclusion.items = items->Count();
    for (int index = 1; index <= inclusion.items; ++index) {
        const auto item = items->Item(index);
        const ContactItem* contact = item->AsContact();
        if (item->TypeName() != kContactItemType || contact == nullptr) continue;
        SyncSet& set = IsIncluded(*contact) ? inclusion.included : inclusion.excluded;
        ImportOutlookData(set, *contact, settings.NameField);
    }
    application->Logoff();
    return inclusion;
}

std::string ReportText(const Inclusion& inclusion) {
    std::string text;
    const auto line = [&](std::string_view content) {
        text += content;
        text += "\r\n";
    };
    const auto names = [&](const SyncSet& set) {
        for (const SyncObject& record : set)
            line("     " + record.ContactName);
    };
    line(TitleVersionLine());
    line(kCopyrightNotice);
    line("Inclusion Report");
    line("");
    line("Included Contacts:");
    names(inclusion.included);
    line("");
    line("Excluded Contacts:");
    names(inclusion.excluded);
    return text;
}

}  // namespace

std::filesystem::path InclusionReportPath(const std::filesystem::path& programFolder) {
    return programFolder / kInclusionReportFileName;
}

std::optional<std::string> WriteInclusionReport(const std::filesystem::path& programFolder,
                                                const Settings& settings,
                                                const OutlookApplicationFactory& makeApplication) {
    const std::filesystem::path path = InclusionReportPath(programFolder);
    try {
        const Inclusion inclusion = ReadInclusion(settings, makeApplication);
        if (inclusion.items == 0) return std::nullopt;
        std::error_code ignored;  // a folder that cannot be made shows up as the write failing
        std::filesystem::create_directories(programFolder, ignored);
        WriteFileAtomically(path, ReportText(inclusion));
    } catch (const Error&) {
        throw;
    } catch (const std::exception& error) {
        // Whatever went wrong below, the person learns what it was about.
        throw Error("The Inclusion Report could not be written to " + path.string() + ": " +
                    error.what());
    }
    return "The Inclusion Report has been written to " + path.string();
}

}  // namespace velmora
