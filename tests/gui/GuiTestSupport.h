#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/FakeProcessPort.h"
#include "gui/DialogHost.h"
#include "gui/VelmoraStart.h"
#include "platform/QtText.h"
#include "run/Settings.h"
#include "support/TempDir.h"

namespace velmora::test {

// Answers modal dialogs from a queue of scripted answers and records the
// message boxes. An answer gets the dialog shown (not modally) and drives it
// as a person would; a dialog its answer leaves open is closed, as with the
// window's close box. With no answer queued the dialog is closed at once.
class ScriptedDialogHost final : public gui::DialogHost {
  public:
    using Answer = std::function<void(QDialog& dialog)>;

    int ExecModal(QDialog& dialog) override;
    void ShowMessage(QWidget* parent, const QString& text) override;

    std::deque<Answer> answers;
    QStringList dialogsShown;  // object names, in order
    QStringList messages;
};

// Finds a child by object name and type; throws (failing the test with the
// name) when there is none.
template <typename T>
T* Child(const QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child named ") + name);
    return child;
}

// Deletes the windows closed with Qt::WA_DeleteOnClose (the event loop
// would do it next).
void DeleteClosedWindows();

// A main window over a temporary program folder, settings in memory, fake
// processes and scripted dialogs. Tests set the stages (or the factory) and
// the settings before they call Make().
class WindowFixture {
  public:
    WindowFixture();

    gui::VelmoraStart& Make(gui::InclusionReportWriter inclusionReport = {});
    gui::VelmoraStart& Window() { return *window; }

    // Shortcuts to the window's controls.
    QString Caption() const;
    void ClickStart();
    bool LabelShown(std::string_view objectName) const;

    std::filesystem::path LogPath() const { return dir / "Data" / "SyncLog.txt"; }
    std::vector<std::string> LogLines() const;

    TempDir dir;
    InMemorySettingsStore settings;
    FakeProcessPort processes;
    ScriptedDialogHost dialogs;
    StageTable stages;
    gui::StageFactory makeStages;  // when set, used instead of `stages`
    RunUi* runUi = nullptr;        // the window's RunUi, once made
    std::unique_ptr<gui::VelmoraStart> window;
};

}  // namespace velmora::test
