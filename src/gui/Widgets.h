#pragma once

#include <QDialogButtonBox>
#include <QString>
#include <string_view>

#include "platform/QtText.h"

class QPushButton;

namespace velmora::gui {

// Gives a new widget its object name (the name tests and the captions table
// know it by) and returns it, so a layout line can create, name and place it.
template <typename Widget>
Widget* Named(Widget* widget, std::string_view objectName) {
    widget->setObjectName(ToQString(objectName));
    return widget;
}

// The button row of a dialog, ordered the host's way: `accept` is the default
// button; `reject`, when given, the one that closes without acting. The
// buttons' own clicked signals carry the actions.
QDialogButtonBox* DialogButtons(QPushButton* accept, QPushButton* reject = nullptr);

}  // namespace velmora::gui
