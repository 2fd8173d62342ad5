#pragma once

#include <QDialog>

namespace velmora::gui {

// The About box: title, version, what the program does, the copyright notice,
// that it costs nothing, and credits.
class AboutSync final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutSync(QWidget* parent = nullptr);
};

}  // namespace velmora::gui
