#include "gui/VelmoraStart.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "app/Preview.h"
#include "app/SyncStages.h"
#include "gui/AboutSync.h"
#include "gui/ChangeSettings.h"
#include "gui/DialogHost.h"
#include "gui/PreviewWindow.h"
#include "gui/RestoreDialog.h"
#include "gui/StatusFrame.h"
#include "gui/Widgets.h"
#include "run/AppInfo.h"

namespace velmora::gui {

namespace {

StageTable StagesFor(const StageFactory& makeStages, RunUi& ui) {
    return makeStages ? makeStages(ui) : MakeSyncStages(ui);
}

// Shows a modeless window owned by the main window, making it first when it
// is not open yet, and bringing it forward when it is.
template <typename Window, typename Make>
void ShowModeless(QPointer<Window>& window, Make make) {
    if (!window) {
        window = make();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

VelmoraStart::VelmoraStart(VelmoraStartDeps deps, QWidget* parent)
    : QMainWindow(parent),
      deps_(std::move(deps)),
      status_(new StatusFrame),
      ui_(*this, *status_, deps_.dialogs),
      launcher_(deps_.processes, ui_),
      driver_(state_, deps_.settings, deps_.programFolder, ui_, launcher_,
              StagesFor(deps_.makeStages, ui_), {deps_.lock, BackupsFolder(deps_.programFolder)}) {
    setObjectName(QStringLiteral("VelmoraStart"));
    setWindowTitle(ToQString(kAppTitle) + QStringLiteral(" - ") + ToQString(kCopyrightNotice));

    start_ = Named(new QPushButton(QStringLiteral("Start")), "Start");
    auto* quit = Named(new QPushButton(QStringLiteral("Quit")), "QuitSync");
    start_->setDefault(true);
    connect(start_, &QPushButton::clicked, this, &VelmoraStart::StartClick);
    connect(quit, &QPushButton::clicked, this, &VelmoraStart::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(quit);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(status_);
    layout->addLayout(buttons);
    setCentralWidget(central);
    BuildMenus();

    driver_.ResetRunState();
}

VelmoraStart::~VelmoraStart() = default;

void VelmoraStart::BuildMenus() {
    QMenu* main = Named(menuBar()->addMenu(QStringLiteral("Main")), "Main");
    Named(main->addAction(QStringLiteral("iDEN PhoneBook Manager"), this,
                          &VelmoraStart::PhoneBookManagerClick),
          "PhoneBookManager");
    synchronize_ =
        Named(main->addAction(QStringLiteral("Synchronize"), this, &VelmoraStart::StartClick),
              "Synchronize");
    preview_ = Named(main->addAction(QStringLiteral("Preview"), this, &VelmoraStart::PreviewClick),
                     "Preview");
    Named(main->addAction(QStringLiteral("Quit"), this, &VelmoraStart::close), "Quit");

    QMenu* tools = Named(menuBar()->addMenu(QStringLiteral("Tools")), "Tools");
    inclusion_ = Named(
        tools->addAction(QStringLiteral("Inclusion Report"), this, &VelmoraStart::InclusionClick),
        "Inclusion");
    inclusion_->setEnabled(static_cast<bool>(deps_.inclusionReport));
    Named(tools->addAction(QStringLiteral("Restore..."), this, &VelmoraStart::RestoreClick),
          "Restore");
    Named(tools->addAction(QStringLiteral("Options"), this, &VelmoraStart::SettingsClick),
          "Settings");

    QMenu* about = Named(menuBar()->addMenu(QStringLiteral("About")), "About");
    Named(about->addAction(QStringLiteral("About Velmora"), this, &VelmoraStart::AboutClick),
          "AboutVelmora");
}

void VelmoraStart::StartClick() {
    // The window handles events while a run waits for the manager program:
    // the controls are disabled then, and a call that still gets here is
    // turned away before it can touch them.
    if (driver_.IsRunning()) return;
    SetRunControlsEnabled(false);
    const RunResult result = driver_.Start();
    SetRunControlsEnabled(true);
    if (result.outcome == RunOutcome::CompletedWithErrors ||
        result.outcome == RunOutcome::AlreadyRunning) {
        ui_.ShowMessage(result.message);
    }
}

void VelmoraStart::SetRunControlsEnabled(bool enabled) {
    start_->setEnabled(enabled);
    synchronize_->setEnabled(enabled);
    preview_->setEnabled(enabled);
    // A report would set the status line to idle in the middle of the run.
    inclusion_->setEnabled(enabled && static_cast<bool>(deps_.inclusionReport));
}

void VelmoraStart::PhoneBookManagerClick() {
    StartPhoneBookManager(false, ManagerProgramPath(deps_.programFolder), deps_.processes, ui_);
}

void VelmoraStart::InclusionClick() {
    if (!deps_.inclusionReport || driver_.IsRunning()) return;
    status_->SetCaption(StatusCaption::CreatingReport);
    try {
        if (const auto message = deps_.inclusionReport(state_.settings, deps_.programFolder)) {
            deps_.dialogs.ShowMessage(this, ToQString(*message));
        }
    } catch (const std::exception& error) {
        deps_.dialogs.ShowMessage(this,
                                  QStringLiteral("The Inclusion Report could not be written. ") +
                                      ToQString(error.what()));
    }
    status_->SetCaption(StatusCaption::Idle);
}

void VelmoraStart::PreviewClick() {
    if (driver_.IsRunning()) return;
    SetRunControlsEnabled(false);
    status_->SetCaption(StatusCaption::Previewing);
    try {
        const PreviewReport report = PreviewRun(deps_.settings, deps_.programFolder, deps_.lock);
        ShowModeless(previewWindow_, [this] {
            return new PreviewWindow(deps_.dialogs, deps_.programFolder, this);
        });
        previewWindow_->SetText(ToQString(report.Text()));
    } catch (const std::exception& error) {
        deps_.dialogs.ShowMessage(
            this, QStringLiteral("The preview could not be made. ") + ToQString(error.what()));
    }
    status_->SetCaption(StatusCaption::Idle);
    SetRunControlsEnabled(true);
}

void VelmoraStart::RestoreClick() {
    ShowModeless(restore_, [this] {
        return new RestoreDialog(
            {BackupsFolder(deps_.programFolder), deps_.lock, deps_.dialogs,
             [this] { return std::pair(state_.settings.LogPath, state_.settings.KeepBackups); },
             [this] { return driver_.IsRunning(); }},
            this);
    });
    restore_->Refresh();
}

void VelmoraStart::SettingsClick() {
    ShowModeless(options_, [this] {
        return new ChangeSettings({state_.settings, deps_.settings, deps_.dialogs,
                                   deps_.programFolder, [this] { SettingsSaved(); }},
                                  this);
    });
}

void VelmoraStart::SettingsSaved() {
    // A run under way keeps the settings it started with; it reads the new
    // ones when it ends.
    if (!driver_.IsRunning()) state_.settings = LoadSettings(deps_.settings, deps_.programFolder);
}

void VelmoraStart::AboutClick() {
    ShowModeless(about_, [this] { return new AboutSync(this); });
}

void VelmoraStart::closeEvent(QCloseEvent* event) {
    // Quitting ends the program at once. A run waiting for the manager stops
    // at its next look at the events.
    if (driver_.IsRunning()) ui_.RequestQuit();
    for (QWidget* window :
         std::initializer_list<QWidget*>{options_, about_, previewWindow_, restore_}) {
        if (window) window->close();
    }
    event->accept();
    QCoreApplication::quit();
}

}  // namespace velmora::gui
