#pragma once

#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/PhoneBookManager.h"
#include "app/RunDriver.h"
#include "gui/WidgetRunUi.h"
#include "run/RunState.h"

class QAction;
class QPushButton;

namespace velmora::gui {

class AboutSync;
class ChangeSettings;
class DialogHost;
class PreviewWindow;
class RestoreDialog;
class StatusFrame;

// Builds the stages of a run; they show their dialogs through the given RunUi.
using StageFactory = std::function<StageTable(RunUi& ui)>;

// Writes the inclusion report with the settings in force and returns the text
// of the message box that announces it, or nothing when there is nothing to
// announce. Throws (velmora::Error) when the address book or the file fails.
using InclusionReportWriter = std::function<std::optional<std::string>(
    const Settings& settings, const std::filesystem::path& programFolder)>;

// What the main window is built on. The program passes the host's services;
// tests pass fakes.
struct VelmoraStartDeps {
    SettingsStore& settings;
    std::filesystem::path programFolder;
    ProcessPort& processes;
    DialogHost& dialogs;
    StageFactory makeStages;                // empty: the real stages (MakeSyncStages)
    InclusionReportWriter inclusionReport;  // empty: the menu item is disabled
    RunLocker lock;                         // empty: runs take no lock (tests)
};

// The main window: the Start and Quit buttons, the status frame with the
// stages of a run, and the menus.
class VelmoraStart final : public QMainWindow {
    Q_OBJECT

  public:
    explicit VelmoraStart(VelmoraStartDeps deps, QWidget* parent = nullptr);
    ~VelmoraStart() override;

    bool IsRunning() const { return driver_.IsRunning(); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void StartClick();
    void PhoneBookManagerClick();
    void InclusionClick();
    void PreviewClick();
    void RestoreClick();
    void SettingsClick();
    void AboutClick();
    void SetRunControlsEnabled(bool enabled);
    void SettingsSaved();

    VelmoraStartDeps deps_;
    StatusFrame* status_;
    QPushButton* start_ = nullptr;
    QAction* synchronize_ = nullptr;
    QAction* inclusion_ = nullptr;
    QAction* preview_ = nullptr;
    RunState state_;
    WidgetRunUi ui_;
    ProcessManagerLauncher launcher_;
    RunDriver driver_;
    QPointer<ChangeSettings> options_;
    QPointer<AboutSync> about_;
    QPointer<PreviewWindow> previewWindow_;
    QPointer<RestoreDialog> restore_;
};

}  // namespace velmora::gui
