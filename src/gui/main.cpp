#include <QApplication>

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

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(velmora::ToQString(velmora::kAppTitle));
    QApplication::setOrganizationName(velmora::ToQString(velmora::kAppTitle));
    QApplication::setApplicationVersion(velmora::ToQString(velmora::VersionText()));

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
