#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string_view>

#include "run/RunUi.h"

class QGroupBox;
class QLineEdit;

namespace velmora::gui {

// The conflict dialog: the address book's record and the phone book's record
// of one contact side by side. The boxes may be edited; a Keep button takes
// the boxes of its column as they are and closes the dialog.
class VelmoraConflict final : public QDialog {
    Q_OBJECT

  public:
    VelmoraConflict(const SyncObject& outlook, const SyncObject& phoneBook,
                    QWidget* parent = nullptr);

    // The side kept and its values; nullopt until a Keep button is pressed.
    const std::optional<ConflictChoice>& Choice() const { return choice_; }

  private:
    // The boxes of one side: the name, then a number and a speed dial per kind
    // in the order of the kind table.
    struct Column {
        QLineEdit* name = nullptr;
        std::array<QLineEdit*, 9> numbers{};
        std::array<QLineEdit*, 9> speeds{};
    };

    QGroupBox* MakeFrame(std::string_view objectName, const QString& title, std::string_view prefix,
                         const SyncObject& record, Column& column);
    static SyncObject ValuesOf(const Column& column);
    void Keep(ConflictSide side);

    Column outlook_;
    Column phoneBook_;
    std::optional<ConflictChoice> choice_;
};

}  // namespace velmora::gui
