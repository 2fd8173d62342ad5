#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <filesystem>
#include <functional>

#include "app/Options.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace velmora::gui {

class Browse;
class DialogHost;

// What the Options dialog works with.
struct ChangeSettingsContext {
    const Settings& inForce;  // the values in force, read by the browse buttons
    SettingsStore& store;
    DialogHost& dialogs;
    std::filesystem::path programFolder;  // where Browse opens for a path without a folder
    std::function<void()> saved;          // called after the values were saved
};

// The Options dialog: every setting, the checks on the capacities and the
// browse buttons of the paths. Save writes the settings and closes; Cancel
// closes without writing.
class ChangeSettings final : public QDialog {
    Q_OBJECT

  public:
    explicit ChangeSettings(ChangeSettingsContext context, QWidget* parent = nullptr);

    // The entries as they stand.
    OptionsEntries Entries() const;

  private:
    QWidget* MakeNameRow();
    QWidget* MakeCapacityFrame();
    QWidget* MakeManagerFrame();
    QWidget* MakeMaskFrame();
    QWidget* MakeFilesFrame();
    QWidget* MakeSafetyFrame();
    void Load(const OptionsEntries& entries);
    void Save();
    void BrowseFor(std::size_t row);

    ChangeSettingsContext context_;
    QComboBox* nameField_ = nullptr;
    QLineEdit* maxNumbers_ = nullptr;
    QLineEdit* maxNames_ = nullptr;
    QCheckBox* pmBefore_ = nullptr;
    QCheckBox* pmAfter_ = nullptr;
    QButtonGroup* mask_ = nullptr;
    std::array<QLineEdit*, 4> paths_{};
    QLineEdit* deleteShare_ = nullptr;
    QLineEdit* deleteMinimum_ = nullptr;
    QLineEdit* keepBackups_ = nullptr;
    QPointer<Browse> browse_;
};

}  // namespace velmora::gui
