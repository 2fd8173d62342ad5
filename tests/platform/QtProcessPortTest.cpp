#include <QFile>
#include <QtTest>

#include "app/PhoneBookManager.h"
#include "model/Error.h"
#include "platform/QtProcessPort.h"
#include "platform/QtTestMain.h"
#include "platform/QtText.h"
#include "support/ScriptedRunUi.h"
#include "support/TempDir.h"

namespace velmora {

namespace {

// Writes an executable shell script.
std::filesystem::path Script(const std::filesystem::path& path, const std::string& body) {
    test::WriteFileBytes(path, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

}  // namespace

class QtProcessPortTest : public QObject {
    Q_OBJECT

  private slots:
    // A program in a folder with blanks starts with its arguments as they
    // are, and its end is seen.
    void StartsAProgramAndSeesItEnd() {
        test::TempDir dir;
        const auto out = dir / "out.txt";
        const auto program =
            Script(dir / "my manager" / "run.sh", "printf '%s|%s' \"$1\" \"$2\" > \"$3\"");
        QtProcessPort processes;
        auto started = processes.Start({program, {"two words", "it's", out.string()}});
        while (started->WaitForEnd(std::chrono::milliseconds(60000)) == WaitOutcome::StillRunning) {
        }
        QCOMPARE(test::ReadFileBytes(out), std::string("two words|it's"));
    }

    // A program that is not there cannot be started, waiting or not: an
    // error naming it.
    void ReportsAProgramThatCannotStart() {
        test::TempDir dir;
        const auto missing = dir / "absent";
        QtProcessPort processes;
        for (const bool detached : {false, true}) {
            QString message;
            try {
                if (detached) {
                    processes.StartDetached({missing, {}});
                } else {
                    processes.Start({missing, {}});
                }
            } catch (const Error& error) {
                message = QString::fromUtf8(error.what());
            }
            QVERIFY2(message.contains(FromPath(missing)), qPrintable(message));
        }
    }

    // The search path is searched.
    void FindsProgramsOnThePath() {
        QtProcessPort processes;
        const auto sh = processes.FindOnPath("sh");
        QVERIFY(sh.has_value());
        QVERIFY(std::filesystem::exists(*sh));
        QVERIFY(!processes.FindOnPath("velmora-no-such-program").has_value());
    }

    // The waiting start over the real port: the manager runs to its end and
    // the run goes on; a manager that does not start returns at once.
    void WaitingStartRunsTheManagerToItsEnd() {
        test::TempDir dir;
        const auto mark = dir / "ran.txt";
        const auto manager = Script(dir / "idenpm.sh", "echo ran > \"" + mark.string() + "\"");
        QtProcessPort processes;
        test::ScriptedRunUi ui;
        StartPhoneBookManager(true, manager, processes, ui);
        QCOMPARE(test::ReadFileBytes(mark), std::string("ran\n"));

        test::WriteFileBytes(dir / "broken.sh", "not a program");
        StartPhoneBookManager(true, dir / "broken.sh", processes, ui);
        QVERIFY(ui.messages.empty());
    }
};

VELMORA_QT_SUITE(QtProcessPortTest);

}  // namespace velmora

#include "QtProcessPortTest.moc"
