#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "gui/DialogHost.h"
#include "platform/QtTestMain.h"

namespace velmora {

class DialogHostTest : public QObject {
    Q_OBJECT

  private slots:
    // The program's message box: caption "Velmora", the text as given, an OK
    // button and no other, shown modally until OK is pressed.
    void MessageBoxHasOnlyOK() {
        gui::ModalDialogHost host;
        QString title;
        QString text;
        QList<QAbstractButton*> buttons;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            auto* box = qobject_cast<QMessageBox*>(shown);
            if (!box) {
                if (shown) shown->close();
                return;
            }
            modal = box->isModal();
            title = box->windowTitle();
            text = box->text();
            buttons = box->buttons();
            box->button(QMessageBox::Ok)->click();
        });
        host.ShowMessage(nullptr, QStringLiteral("The 251 phone numbers ... of 250."));
        QVERIFY(modal);
        QCOMPARE(title, QStringLiteral("Velmora"));
        QCOMPARE(text, QStringLiteral("The 251 phone numbers ... of 250."));
        QCOMPARE(buttons.size(), 1);
    }

    // A dialog shown by the program's host is modal and hands back how it
    // was closed.
    void ExecModalReturnsTheResult() {
        gui::ModalDialogHost host;
        for (const int result : {int(QDialog::Accepted), int(QDialog::Rejected)}) {
            QDialog dialog;
            QTimer::singleShot(0, &dialog, [&dialog, result] {
                QVERIFY(dialog.isModal());
                dialog.done(result);
            });
            QCOMPARE(host.ExecModal(dialog), result);
        }
    }
};

VELMORA_QT_SUITE(DialogHostTest);

}  // namespace velmora

#include "DialogHostTest.moc"
