#include "gui/StatusFrame.h"

#include <QGridLayout>
#include <QLabel>

#include "gui/Widgets.h"

namespace velmora::gui {

namespace {

QLabel* StageLabel(std::string_view objectName, std::string_view caption) {
    auto* label = Named(new QLabel(ToQString(caption)), objectName);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
    return label;
}

}  // namespace

StatusFrame::StatusFrame(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("Status"));
    setTitle(ToQString(StatusCaption::Idle));
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(24);
    for (std::size_t row = 0; row < kStageCount; ++row) {
        const StageLabels& labels = kStageLabels[row];
        text_[row] = StageLabel(labels.textLabel, StageCaption(labels.id));
        done_[row] = StageLabel(labels.doneLabel, kDoneCaption);
        grid->addWidget(text_[row], static_cast<int>(row), 0);
        grid->addWidget(done_[row], static_cast<int>(row), 1);
    }
}

void StatusFrame::SetCaption(std::string_view caption) {
    setTitle(ToQString(caption));
    repaint();
}

void StatusFrame::ResetStageLabels() {
    for (std::size_t row = 0; row < kStageCount; ++row) {
        text_[row]->hide();
        done_[row]->hide();
    }
    repaint();
}

void StatusFrame::ShowStageText(StageId stage) {
    ShowNow(*text_[static_cast<std::size_t>(stage)]);
}

void StatusFrame::ShowStageDone(StageId stage) {
    ShowNow(*done_[static_cast<std::size_t>(stage)]);
}

void StatusFrame::ShowNow(QLabel& label) {
    label.show();
    label.repaint();
}

}  // namespace velmora::gui
