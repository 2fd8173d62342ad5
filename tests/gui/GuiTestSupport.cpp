#include "gui/GuiTestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace velmora::test {

int ScriptedDialogHost::ExecModal(QDialog& dialog) {
    dialogsShown << dialog.objectName();
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

void ScriptedDialogHost::ShowMessage(QWidget* /*parent*/, const QString& text) {
    messages << text;
}

void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

WindowFixture::WindowFixture() {
    // No manager around a run unless a test asks for one.
    settings.Save("PMBefore", "False");
    settings.Save("PMAfter", "False");
}

gui::VelmoraStart& WindowFixture::Make(gui::InclusionReportWriter inclusionReport) {
    gui::StageFactory factory = [this](RunUi& ui) {
        runUi = &ui;
        return makeStages ? makeStages(ui) : stages;
    };
    window = std::make_unique<gui::VelmoraStart>(gui::VelmoraStartDeps{
        settings, dir.Path(), processes, dialogs, factory, std::move(inclusionReport)});
    window->show();
    return *window;
}

QString WindowFixture::Caption() const {
    return Child<QGroupBox>(window.get(), "Status")->title();
}

void WindowFixture::ClickStart() {
    QTest::mouseClick(Child<QPushButton>(window.get(), "Start"), Qt::LeftButton);
}

bool WindowFixture::LabelShown(std::string_view objectName) const {
    const std::string name(objectName);
    return Child<QLabel>(window.get(), name.c_str())->isVisibleTo(window.get());
}

std::vector<std::string> WindowFixture::LogLines() const {
    std::vector<std::string> lines;
    const std::string content = ReadFileBytes(LogPath());
    std::size_t at = 0;
    while (at < content.size()) {
        const auto end = content.find("\r\n", at);
        if (end == std::string::npos) break;
        lines.push_back(content.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

}  // namespace velmora::test
