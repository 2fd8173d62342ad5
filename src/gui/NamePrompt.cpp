#include "gui/NamePrompt.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/NamePrompt.h"
#include "gui/DialogHost.h"
#include "gui/Widgets.h"

namespace velmora::gui {

namespace {

constexpr std::string_view kInstruction =
    "The name for this contact appears to have changed.  Please confirm the new values as "
    "indicated below.  The only field that requires a value is 'New File As:'.";

constexpr int kInstructionWidthInDigits = 52;

}  // namespace

NamePrompt::NamePrompt(const NameValues& proposed, std::string nameField, DialogHost& dialogs,
                       QWidget* parent)
    : QDialog(parent),
      nameField_(std::move(nameField)),
      dialogs_(dialogs),
      first_(Named(new QLineEdit(ToQString(proposed.FirstName)), "NewFirst")),
      last_(Named(new QLineEdit(ToQString(proposed.LastName)), "NewLast")),
      full_(Named(new QLineEdit(ToQString(proposed.FullName)), "NewFull")),
      fileAs_(Named(new QLineEdit(ToQString(proposed.FileAs)), "NewFile")) {
    setObjectName(QStringLiteral("NamePrompt"));
    setWindowTitle(QStringLiteral("Name Change"));

    auto* instruction = Named(new QLabel(ToQString(kInstruction)), "Instruction");
    instruction->setWordWrap(true);
    instruction->setMinimumWidth(instruction->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                                 kInstructionWidthInDigits);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("New First Name:"), first_);
    form->addRow(QStringLiteral("New Last Name:"), last_);
    form->addRow(QStringLiteral("New Full Name:"), full_);
    form->addRow(QStringLiteral("New File As:"), fileAs_);

    auto* ok = Named(new QPushButton(QStringLiteral("OK")), "NameOK");
    connect(ok, &QPushButton::clicked, this, &NamePrompt::NameOKClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction);
    layout->addLayout(form);
    layout->addWidget(DialogButtons(ok));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

NameValues NamePrompt::Values() const {
    return {ToStdString(first_->text()), ToStdString(last_->text()), ToStdString(full_->text()),
            ToStdString(fileAs_->text())};
}

void NamePrompt::NameOKClick() {
    if (const auto refusal = velmora::NameOK(Values(), nameField_)) {
        dialogs_.ShowMessage(this, ToQString(*refusal));
        return;
    }
    confirmed_ = Values();
    accept();
}

}  // namespace velmora::gui
