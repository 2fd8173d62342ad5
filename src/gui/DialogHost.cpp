#include "gui/DialogHost.h"

#include <QDialog>
#include <QMessageBox>

#include "platform/QtText.h"
#include "run/AppInfo.h"

namespace velmora::gui {

int ModalDialogHost::ExecModal(QDialog& dialog) {
    return dialog.exec();
}

void ModalDialogHost::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, ToQString(kAppTitle), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace velmora::gui
