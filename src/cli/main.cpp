// velmora-sync: the synchronization, the inclusion report and the demo data
// set from a terminal, with the same settings and program folder as the window.

#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/Backups.h"
#include "app/DemoData.h"
#include "app/InclusionReport.h"
#include "app/PhoneBookManager.h"
#include "app/Preview.h"
#include "app/RunDriver.h"
#include "app/SyncStages.h"
#include "cli/CommandLine.h"
#include "cli/LineReader.h"
#include "cli/TerminalRunUi.h"
#include "platform/ProgramFolder.h"
#include "platform/QtProcessPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtText.h"
#include "platform/StoreLock.h"
#include "run/AppInfo.h"
#include "stores/database/SqliteDatabase.h"
#include "stores/outlook/VCardFolder.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kProgram = "velmora-sync";

int Preview(const std::filesystem::path& folder, const SettingsStore& settings) {
    const PreviewReport report = PreviewRun(settings, folder, FileRunLocker(std::string(kProgram)));
    std::cout << report.Text() << std::flush;
    return report.result.outcome == RunOutcome::Complete ? kExitOk : kExitStopped;
}

int Sync(const SyncCommand& command, bool inputIsTerminal) {
    const std::filesystem::path folder = ProgramFolder();
    QtSettingsStore settings;
    if (command.dryRun) return Preview(folder, settings);
    QtProcessPort processes;
    EditLineReader reader;
    TerminalRunUi ui(std::cout, std::cerr, inputIsTerminal ? &reader : nullptr, command.conflicts,
                     command.names, command.allowMassDelete);
    ProcessManagerLauncher manager(processes, ui);
    RunState state;
    RunDriver driver(state, settings, folder, ui, manager, MakeSyncStages(ui),
                     {FileRunLocker(std::string(kProgram)), BackupsFolder(folder)});
    driver.ResetRunState();
    const std::filesystem::path log = state.settings.LogPath;

    const RunResult result = driver.Start();
    if (!result.backup.empty()) {
        std::cout << "The stores as they were before this run are backed up in "
                  << result.backup.string() << std::endl;
    }
    if (result.outcome != RunOutcome::AlreadyRunning) {
        std::cout << "The activity log is " << log.string() << std::endl;
    }
    switch (result.outcome) {
        case RunOutcome::Complete:
            return kExitOk;
        case RunOutcome::CompletedWithErrors:
        case RunOutcome::DeletionsRefused:
        case RunOutcome::AlreadyRunning:
            std::cerr << result.message << std::endl;
            return kExitStopped;
        default:  // the message has been shown
            return kExitStopped;
    }
}

int ListBackups(const std::filesystem::path& backups) {
    const auto found = velmora::ListBackups(backups);
    if (found.empty()) {
        std::cout << "There are no backups in " << backups.string() << " yet." << std::endl;
        return kExitOk;
    }
    std::cout << "Backups in " << backups.string() << ", oldest first:\n";
    for (const BackupInfo& backup : found)
        std::cout << "  " << backup.Describe() << "\n";
    std::cout << "Restore one with 'velmora-sync restore NAME'." << std::endl;
    return kExitOk;
}

int Restore(const RestoreCommand& command, bool inputIsTerminal) {
    const std::filesystem::path folder = ProgramFolder();
    const std::filesystem::path backups = BackupsFolder(folder);
    if (command.backup.empty()) return ListBackups(backups);
    QtSettingsStore store;
    const Settings settings = LoadSettings(store, folder);
    const BackupInfo backup = FindBackup(backups, command.backup);
    std::cout << "Restoring " << backup.name << " puts back the stores as they were before "
              << backup.before << " on " << backup.made << ":\n"
              << "  the phone book " << backup.phoneBook.string() << "\n"
              << "  the sync database " << backup.sync.string() << "\n"
              << "  " << backup.cards.size() << " cards put back and " << backup.created.size()
              << " removed in " << backup.contacts.string() << "\n"
              << "Changes made since then are undone; the present state is backed up first."
              << std::endl;
    if (!command.yes) {
        if (!inputIsTerminal) {
            std::cerr << "velmora-sync: nobody is at a terminal to confirm the restore; add --yes "
                         "to restore without asking."
                      << std::endl;
            return kExitStopped;
        }
        EditLineReader reader;
        if (!TerminalRunUi::AskYes(std::cerr, reader, "Restore it? (y = yes, n = no): ")) {
            std::cout << "Nothing was restored." << std::endl;
            return kExitStopped;
        }
    }
    const RestoreReport report =
        RestoreBackup(backups, backup.name, FileRunLocker(std::string(kProgram)), settings.LogPath,
                      settings.KeepBackups);
    for (const std::string& line : report.lines)
        std::cout << line << "\n";
    std::cout << "Restored. To undo it: velmora-sync restore "
              << report.undoBackup.filename().string() << std::endl;
    return kExitOk;
}

int Report() {
    const std::filesystem::path folder = ProgramFolder();
    QtSettingsStore store;
    const Settings settings = LoadSettings(store, folder);
    std::cout << StatusCaption::CreatingReport << std::endl;
    const auto message =
        WriteInclusionReport(folder, settings, VCardFolderOpener(settings.ContactsPath));
    std::cout << message.value_or("The address book " + settings.ContactsPath.string() +
                                  " holds no contacts: no report was written.")
              << std::endl;
    return kExitOk;
}

int Demo(const DemoCommand& command) {
    const std::filesystem::path folder = ProgramFolder();
    QtSettingsStore store;
    const Settings settings = LoadSettings(store, folder);
    SqliteDatabaseEngine databases;
    const DemoSummary made = CreateDemoData(settings, command.contacts, command.seed, databases);
    std::cout << "Made a sample phone book and address book to try Velmora with:\n"
              << "  phone book:   " << made.phoneBookPath.string() << "\n"
              << "  address book: " << made.contactsPath.string() << "\n"
              << "  " << made.sharedContacts << " contacts on both sides, " << made.phoneBookOnly
              << " only in the phone book, " << made.addressBookMarked
              << " only in the address book, " << made.addressBookUnmarked
              << " in the address book not taking part, and " << made.distributionLists
              << " distribution list.\n"
              << "Run 'velmora-sync sync' (or the Velmora window) to synchronize them."
              << std::endl;
    return kExitOk;
}

int Run(const std::vector<std::string>& args) {
    const bool inputIsTerminal = isatty(STDIN_FILENO) == 1;
    const Command command = ParseCommandLine(args, inputIsTerminal);
    if (const auto* usage = std::get_if<UsageError>(&command)) {
        std::cerr << "velmora-sync: " << usage->message << std::endl;
        return kExitUsage;
    }
    if (std::holds_alternative<HelpCommand>(command)) {
        std::cout << UsageText();
        return kExitOk;
    }
    if (std::holds_alternative<VersionCommand>(command)) {
        std::cout << kAppTitle << " " << VersionText() << std::endl;
        return kExitOk;
    }
    if (const auto* sync = std::get_if<SyncCommand>(&command)) return Sync(*sync, inputIsTerminal);
    if (const auto* restore = std::get_if<RestoreCommand>(&command)) {
        return Restore(*restore, inputIsTerminal);
    }
    if (const auto* demo = std::get_if<DemoCommand>(&command)) return Demo(*demo);
    return Report();
}

}  // namespace
}  // namespace velmora::cli

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(velmora::ToQString(velmora::kAppTitle));
    QCoreApplication::setOrganizationName(velmora::ToQString(velmora::kAppTitle));
    QCoreApplication::setApplicationVersion(velmora::ToQString(velmora::VersionText()));

    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return velmora::cli::Run(args);
    } catch (const std::exception& error) {
        // One sentence a person can act on, never a stack dump.
        std::cerr << "velmora-sync: " << error.what() << std::endl;
        return velmora::cli::kExitStopped;
    }
}
