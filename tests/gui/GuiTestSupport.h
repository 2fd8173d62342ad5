#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>

#include "app/FakeProcessPort.h"
#include "gui/DialogHost.h"
#include "gui/VelmoraStart.h"
#include "platform/QtText.h"
#include "run/Settings.h"
#include "support/TempDir.h"

namespace velmora::test {

// Drives each modal dialog by the next scripted answer, then closes it; records messages.
class ScriptedDialogHost final : public gui::DialogHost {
  public:
    using Answer = std::function<void(QDialog& dialog)>;

    int ExecModal(QDialog& dialog) override {
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        if (!answers.empty()) {
            const Answer answer = std::move(answers.front());
            answers.pop_front();
            answer(dialog);
        }
        if (dialog.isVisible()) dialog.close();
        return dialog.result();
    }
    void ShowMessage(QWidget* /*parent*/, const QString& text) override { messages << text; }

    std::deque<Answer> answers;
    QStringList messages;
};

// Throws, failing the test with the name, when there is no such child.
template <typename T = QWidget>
T* Child(const QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child named ") + name);
    return child;
}

inline void Click(const QObject* parent, const char* name) {
    QTest::mouseClick(Child<QAbstractButton>(parent, name), Qt::LeftButton);
}

inline void Type(const QObject* parent, const char* name, const QString& text) {
    auto* box = Child<QLineEdit>(parent, name);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// A main window over a temporary folder, fake processes and scripted dialogs.
class WindowFixture {
  public:
    WindowFixture() {
        settings.Save("PMBefore", "False");
        settings.Save("PMAfter", "False");
    }

    gui::VelmoraStart& Make(gui::InclusionReportWriter inclusionReport = {}) {
        gui::StageFactory factory = [this](RunUi& ui) {
            runUi = &ui;
            return stages;
        };
        window = std::make_unique<gui::VelmoraStart>(gui::VelmoraStartDeps{
            settings, dir.Path(), processes, dialogs, factory, std::move(inclusionReport), lock});
        window->show();
        return *window;
    }

    Stage& StageOf(StageId id) { return stages[static_cast<std::size_t>(id)]; }
    QString Caption() const { return Child<QGroupBox>(window.get(), "Status")->title(); }
    bool LabelShown(std::string_view name) const {
        return Child<QLabel>(window.get(), std::string(name).c_str())->isVisibleTo(window.get());
    }

    TempDir dir;
    InMemorySettingsStore settings;
    FakeProcessPort processes;
    ScriptedDialogHost dialogs;
    StageTable stages;
    RunLocker lock;  // none unless a test sets one
    RunUi* runUi = nullptr;
    std::unique_ptr<gui::VelmoraStart> window;
};

}  // namespace velmora::test
