#include "app/InclusionReport.h"

#include <exception>
#include <system_error>

#include "model/Error.h"
#include "model/SyncSet.h"
#include "run/AppInfo.h"
#include "stores/outlook/OutlookLoader.h"
#include "util/AtomicFile.h"

namespace velmora {

namespace {

struct Inclusion {
    SyncSet included;
    SyncSet excluded;
    int items = 0;  // every item of the folder, distribution lists included
};

Inclusion ReadInclusion(const Settings& settings, const AddressBookOpener& openAddressBook) {
    Inclusion inclusion;
    const auto book = openAddressBook();
    inclusion.items = book->Count();
    for (CardHandle card = 1; card <= book->Count(); ++card) {
        if (!book->IsContact(card)) continue;
        SyncSet& set = IsIncluded(*book, card) ? inclusion.included : inclusion.excluded;
        ImportOutlookData(set, *book, card, settings.NameField);
    }
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
                                                const AddressBookOpener& openAddressBook) {
    const std::filesystem::path path = InclusionReportPath(programFolder);
    try {
        const Inclusion inclusion = ReadInclusion(settings, openAddressBook);
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
