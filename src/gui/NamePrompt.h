#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "run/RunUi.h"

class QLineEdit;

namespace velmora::gui {

class DialogHost;

// The name prompt: the four names of a contact whose name is to change,
// proposed and editable. OK closes it only when the values pass the check of
// the name field in use; otherwise the reason is shown and it stays open.
class NamePrompt final : public QDialog {
    Q_OBJECT

  public:
    NamePrompt(const NameValues& proposed, std::string nameField, DialogHost& dialogs,
               QWidget* parent = nullptr);

    // The four boxes as they stand.
    NameValues Values() const;

    // The values OK accepted; nullopt until then.
    const std::optional<NameValues>& Confirmed() const { return confirmed_; }

  private:
    void NameOKClick();

    std::string nameField_;
    DialogHost& dialogs_;
    QLineEdit* first_;
    QLineEdit* last_;
    QLineEdit* full_;
    QLineEdit* fileAs_;
    std::optional<NameValues> confirmed_;
};

}  // namespace velmora::gui
