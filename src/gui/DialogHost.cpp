#include "gui/DialogHost.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/QtText.h"
#include "run/AppInfo.h"

namespace velmora::gui {

int ModalDialogHost::ExecModal(QDialog& dialog) {
    return dialog.exec();
}

std::unique_ptr<QMessageBox> QuestionBox(QWidget* parent, const QString& text, const QString& yes,
                                         const QString& no) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, ToQString(kAppTitle), text,
                                             QMessageBox::NoButton, parent);
    QPushButton* yesButton = box->addButton(yes, QMessageBox::AcceptRole);
    QPushButton* noButton = box->addButton(no, QMessageBox::RejectRole);
    yesButton->setObjectName(yes);
    noButton->setObjectName(no);
    // The safe answer is the one Enter and the close box give.
    box->setDefaultButton(noButton);
    box->setEscapeButton(noButton);
    return box;
}

bool Ask(DialogHost& host, QWidget* parent, const QString& text, const QString& yes,
         const QString& no) {
    const auto box = QuestionBox(parent, text, yes, no);
    host.ExecModal(*box);
    const QAbstractButton* clicked = box->clickedButton();
    return clicked != nullptr && clicked->objectName() == yes;
}

void ModalDialogHost::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(kAppTitle), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace velmora::gui
