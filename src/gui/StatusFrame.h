#pragma once

#include <QGroupBox>
#include <array>
#include <string_view>

#include "run/RunUi.h"

class QLabel;

namespace velmora::gui {

// The frame "Status" of the main window: its title is the status line, and it
// holds a row per stage, the stage's text at the left and "Done." to its right.
// Hidden labels keep their room, so the window does not change size during a run.
class StatusFrame final : public QGroupBox {
    Q_OBJECT

  public:
    explicit StatusFrame(QWidget* parent = nullptr);

    // Each change is painted at once: a run keeps the window's thread busy.
    void SetCaption(std::string_view caption);
    void ResetStageLabels();
    void ShowStageText(StageId stage);
    void ShowStageDone(StageId stage);

  private:
    static void ShowNow(QLabel& label);

    std::array<QLabel*, kStageCount> text_{};
    std::array<QLabel*, kStageCount> done_{};
};

}  // namespace velmora::gui
