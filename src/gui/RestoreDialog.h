#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/Backups.h"
#include "app/RunLock.h"

class QListWidget;

namespace velmora::gui {

class DialogHost;

// What Tools > Restore works with.
struct RestoreContext {
    std::filesystem::path backupsFolder;
    RunLocker lock;
    DialogHost& dialogs;
    // The log and the number of backups to keep, from the settings in force.
    std::function<std::pair<std::filesystem::path, int>()> logAndKeep;
    std::function<bool()> runIsGoing;  // a run of this window is under way
};

// The backups, newest first, one line each. Restore asks first, then puts
// the chosen one back (the present state is backed up before) and says what
// it did; Close closes.
class RestoreDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit RestoreDialog(RestoreContext context, QWidget* parent = nullptr);

    // Reads the backups folder again.
    void Refresh();

  private:
    void RestoreSelected();

    RestoreContext context_;
    QListWidget* list_;
    std::vector<BackupInfo> backups_;  // in the order of the list
};

}  // namespace velmora::gui
