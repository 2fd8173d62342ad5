// Opens Velmora's windows over the settings and data of the environment
// (scripts/screenshots points them at a demo data set), previews and runs a
// synchronization from the Start button and saves a picture of each window.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <iostream>

#include "gui/AboutSync.h"
#include "gui/ChangeSettings.h"
#include "gui/DialogHost.h"
#include "gui/InclusionReportWriter.h"
#include "gui/PreviewWindow.h"
#include "gui/VelmoraConflict.h"
#include "gui/VelmoraStart.h"
#include "platform/ProgramFolder.h"
#include "platform/QtProcessPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/QtText.h"
#include "platform/StoreLock.h"
#include "run/AppInfo.h"

namespace {

using namespace velmora;

// Answers the run's dialogs as a person accepting what is proposed would.
class AcceptingDialogHost final : public gui::DialogHost {
  public:
    int ExecModal(QDialog& dialog) override {
        if (auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("NameOK"))) ok->click();
        return dialog.result();
    }
    void ShowMessage(QWidget*, const QString& text) override {
        std::cerr << "message: " << ToStdString(text) << "\n";
    }
};

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
    widget.show();
    widget.raise();
    QApplication::processEvents();
    const bool saved = widget.grab().save(folder.filePath(name));
    std::cout << (saved ? "saved " : "could not save ") << ToStdString(folder.filePath(name))
              << "\n";
    return saved;
}

template <typename Window>
Window* OpenedWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

SyncObject SampleRecord(std::string name, std::string_view mobile, std::string_view mobileSpeed) {
    SyncObject record;
    record.ContactName = std::move(name);
    record.SetNumber(NumberKind::Mobile, mobile);
    record.SetSpeed(NumberKind::Mobile, mobileSpeed);
    record.SetNumber(NumberKind::Home, "4155550142");
    record.SetSpeed(NumberKind::Home, "7");
    record.SetNumber(NumberKind::Email, "rossi.chiara@example.com");
    record.SetSpeed(NumberKind::Email, "8");
    return record;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ToQString(kAppTitle));
    QApplication::setOrganizationName(ToQString(kAppTitle));
    if (argc != 2) {
        std::cerr << "usage: velmora-screenshots FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool saved = true;

    QtSettingsStore settings;
    QtProcessPort processes;
    AcceptingDialogHost dialogs;
    gui::VelmoraStart window({.settings = settings,
                              .programFolder = ProgramFolder(),
                              .processes = processes,
                              .dialogs = dialogs,
                              .makeStages = {},
                              .inclusionReport = gui::VCardFolderInclusionReport(),
                              .lock = FileRunLocker("velmora")});
    window.show();
    QApplication::processEvents();
    // The preview of the first run, before it is made.
    window.findChild<QAction*>(QStringLiteral("Preview"))->trigger();
    if (auto* preview = OpenedWindow<gui::PreviewWindow>()) {
        saved &= Save(*preview, folder, QStringLiteral("preview.png"));
        preview->close();
    }
    window.findChild<QPushButton*>(QStringLiteral("Start"))->click();
    saved &= Save(window, folder, QStringLiteral("main-window.png"));

    window.findChild<QAction*>(QStringLiteral("Settings"))->trigger();
    if (auto* options = OpenedWindow<gui::ChangeSettings>()) {
        saved &= Save(*options, folder, QStringLiteral("options.png"));
        options->close();
    }
    window.findChild<QAction*>(QStringLiteral("AboutVelmora"))->trigger();
    if (auto* about = OpenedWindow<gui::AboutSync>()) {
        saved &= Save(*about, folder, QStringLiteral("about.png"));
        about->close();
    }

    gui::VelmoraConflict conflict(SampleRecord("Rossi, Chiara", "3125550177", "3"),
                                  SampleRecord("Rossi, Chiara", "3125550190", "3"), &window);
    saved &= Save(conflict, folder, QStringLiteral("conflict.png"));

    const auto guard = gui::QuestionBox(
        &window, ToQString(MassDeletion{DeletionSide::PhoneBook, 23, 23, true}.Question()),
        QStringLiteral("Continue"), QStringLiteral("Stop"));
    saved &= Save(*guard, folder, QStringLiteral("mass-delete.png"));
    return saved ? 0 : 1;
}
