#include <QApplication>
#include <QIcon>
#include <iostream>
#include <optional>
#include <string_view>

#include "app/SyncStages.h"
#include "gui/DialogHost.h"
#include "gui/InclusionReportWriter.h"
#include "gui/VelmoraStart.h"
#include "model/Error.h"
#include "platform/ProgramFolder.h"
#include "platform/QtProcessPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtText.h"
#include "platform/StoreLock.h"
#include "run/AppInfo.h"

namespace {

// Answered before the application starts, so that they work without a display.
std::optional<int> AnswerInfoOption(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::cout << velmora::kAppTitle << " " << velmora::VersionText() << std::endl;
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            std::cout << "Usage: velmora [--version] [--help] [Qt options]\n\n"
                         "Opens the Velmora window. 'velmora-sync --help' tells how to\n"
                         "synchronize from a terminal, with the same settings and files.\n";
            return 0;
        }
    }
    return std::nullopt;
}

// The theme's icon where Velmora is installed; the pictures built into the
// program otherwise.
QIcon WindowIcon() {
    QIcon builtIn;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        builtIn.addFile(QStringLiteral(":/velmora/%1x%1/velmora.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QStringLiteral("velmora"), builtIn);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const auto exitCode = AnswerInfoOption(argc, argv)) return *exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(velmora::ToQString(velmora::kAppTitle));
    QApplication::setOrganizationName(velmora::ToQString(velmora::kAppTitle));
    QApplication::setApplicationVersion(velmora::ToQString(velmora::VersionText()));
    // Wayland shows the desktop entry's name and icon for a window by this name.
    QApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    QApplication::setWindowIcon(WindowIcon());

    velmora::gui::ModalDialogHost dialogs;
    std::filesystem::path programFolder;
    try {
        programFolder = velmora::ProgramFolder();
    } catch (const velmora::Error& error) {
        dialogs.ShowMessage(nullptr, velmora::ToQString(error.what()));
        return 1;
    }
    velmora::QtSettingsStore settings;
    velmora::QtProcessPort processes;

    velmora::gui::VelmoraStart window({
        .settings = settings,
        .programFolder = programFolder,
        .processes = processes,
        .dialogs = dialogs,
        .makeStages = {},  // the real stages
        .inclusionReport = velmora::gui::VCardFolderInclusionReport(),
        .lock = velmora::FileRunLocker("velmora"),
    });
    window.show();
    return QApplication::exec();
}
