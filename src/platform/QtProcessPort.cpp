#include "platform/QtProcessPort.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <vector>

#include "model/Error.h"
#include "platform/QtText.h"

namespace velmora {

namespace {

void Prepare(QProcess& process, const ProcessCommand& command) {
    QStringList arguments;
    for (const std::string& argument : command.arguments)
        arguments << ToQString(argument);
    process.setProgram(FromPath(command.program));
    process.setArguments(arguments);
}

[[noreturn]] void ThrowCannotStart(const ProcessCommand& command, const QProcess& process) {
    throw Error("The program " + command.program.string() +
                " could not be started: " + ToStdString(process.errorString()) + ".");
}

// Programs still running when their waiter went away (the window was closed
// during the wait). A QProcess ends its program when destroyed, and this
// program never ends the manager, so they are kept for the life of the process.
std::vector<QProcess*>& LeftRunning() {
    static auto* processes = new std::vector<QProcess*>;
    return *processes;
}

class QtStartedProcess final : public StartedProcess {
  public:
    explicit QtStartedProcess(std::unique_ptr<QProcess> process) : process_(std::move(process)) {}
    QtStartedProcess(const QtStartedProcess&) = delete;
    QtStartedProcess& operator=(const QtStartedProcess&) = delete;

    ~QtStartedProcess() override {
        if (process_->state() != QProcess::NotRunning) LeftRunning().push_back(process_.release());
    }

    WaitOutcome WaitForEnd(std::chrono::milliseconds interval) override {
        if (process_->state() == QProcess::NotRunning) return WaitOutcome::Ended;
        if (process_->waitForFinished(static_cast<int>(interval.count())))
            return WaitOutcome::Ended;
        return process_->state() == QProcess::NotRunning ? WaitOutcome::Ended
                                                         : WaitOutcome::StillRunning;
    }

  private:
    std::unique_ptr<QProcess> process_;
};

}  // namespace

std::unique_ptr<StartedProcess> QtProcessPort::Start(const ProcessCommand& command) {
    auto process = std::make_unique<QProcess>();
    Prepare(*process, command);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QIODevice::ReadWrite);
    if (!process->waitForStarted(-1)) ThrowCannotStart(command, *process);
    // Nothing is ever sent to the program: let it see the end of its input.
    process->closeWriteChannel();
    return std::make_unique<QtStartedProcess>(std::move(process));
}

void QtProcessPort::StartDetached(const ProcessCommand& command) {
    QProcess process;
    Prepare(process, command);
    if (!process.startDetached()) ThrowCannotStart(command, process);
}

std::optional<std::filesystem::path> QtProcessPort::FindOnPath(std::string_view name) const {
    const QString found = QStandardPaths::findExecutable(ToQString(name));
    if (found.isEmpty()) return std::nullopt;
    return ToPath(found);
}

}  // namespace velmora
