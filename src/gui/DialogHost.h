#pragma once

#include <QString>
#include <memory>

class QDialog;
class QMessageBox;
class QWidget;

namespace velmora::gui {

// How the program shows modal dialogs and message boxes. The program uses
// ModalDialogHost; tests put in one that answers the dialogs themselves.
class DialogHost {
  public:
    virtual ~DialogHost() = default;

    // Shows the dialog modally and returns its result (QDialog::Accepted or
    // QDialog::Rejected).
    virtual int ExecModal(QDialog& dialog) = 0;

    // A message box with only an OK button and the program's title as caption.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
};

// A question in a message box with two buttons, `yes` and `no` (their texts
// are also their object names); closing the box answers `no`.
std::unique_ptr<QMessageBox> QuestionBox(QWidget* parent, const QString& text, const QString& yes,
                                         const QString& no);

// Shows the question through the host; true when `yes` was pressed.
bool Ask(DialogHost& host, QWidget* parent, const QString& text, const QString& yes,
         const QString& no);

class ModalDialogHost final : public DialogHost {
  public:
    int ExecModal(QDialog& dialog) override;
    void ShowMessage(QWidget* parent, const QString& text) override;
};

}  // namespace velmora::gui
