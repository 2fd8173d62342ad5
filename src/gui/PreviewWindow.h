#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <filesystem>

class QFileDialog;
class QPlainTextEdit;

namespace velmora::gui {

class DialogHost;

// What a synchronization would do, as Main > Preview found it: the summary
// and the log's lines in a read-only text view. Save writes the text to a
// file the person chooses; Close closes.
class PreviewWindow final : public QDialog {
    Q_OBJECT

  public:
    PreviewWindow(DialogHost& dialogs, std::filesystem::path saveFolder, QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString Text() const;

  private:
    void Save();
    void SaveTo(const QString& path);

    DialogHost& dialogs_;
    std::filesystem::path saveFolder_;
    QPlainTextEdit* text_;
    QPointer<QFileDialog> chooser_;
};

}  // namespace velmora::gui
