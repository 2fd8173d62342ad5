#include "gui/Widgets.h"

#include <QDialogButtonBox>
#include <QPushButton>

namespace velmora::gui {

QDialogButtonBox* DialogButtons(QPushButton* accept, QPushButton* reject) {
    auto* buttons = new QDialogButtonBox;
    accept->setDefault(true);
    buttons->addButton(accept, QDialogButtonBox::AcceptRole);
    if (reject) buttons->addButton(reject, QDialogButtonBox::RejectRole);
    return buttons;
}

}  // namespace velmora::gui
