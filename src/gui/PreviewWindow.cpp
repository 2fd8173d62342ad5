#include "gui/PreviewWindow.h"

#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/DialogHost.h"
#include "gui/Widgets.h"

namespace velmora::gui {

namespace {

constexpr int kWidthInDigits = 100;
constexpr int kHeightInLines = 30;

}  // namespace

PreviewWindow::PreviewWindow(DialogHost& dialogs, std::filesystem::path saveFolder, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      saveFolder_(std::move(saveFolder)),
      text_(Named(new QPlainTextEdit, "PreviewText")) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Preview"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The summary's columns line up in a fixed-width font.
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(text_->font());
    text_->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * kWidthInDigits,
                          metrics.lineSpacing() * kHeightInLines);

    auto* save = Named(new QPushButton(QStringLiteral("Save...")), "SavePreview");
    auto* close = Named(new QPushButton(QStringLiteral("Close")), "ClosePreview");
    connect(save, &QPushButton::clicked, this, &PreviewWindow::Save);
    connect(close, &QPushButton::clicked, this, &PreviewWindow::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(DialogButtons(close, save));
}

void PreviewWindow::SetText(const QString& text) {
    text_->setPlainText(text);
}

QString PreviewWindow::Text() const {
    return text_->toPlainText();
}

void PreviewWindow::Save() {
    if (!chooser_) {
        chooser_ = Named(new QFileDialog(this, QStringLiteral("Save the Preview")), "SaveFile");
        chooser_->setAcceptMode(QFileDialog::AcceptSave);
        chooser_->setOption(QFileDialog::DontUseNativeDialog);
        chooser_->setNameFilter(QStringLiteral("Text files (*.txt)"));
        chooser_->setDefaultSuffix(QStringLiteral("txt"));
        chooser_->setDirectory(FromPath(saveFolder_));
        chooser_->selectFile(QStringLiteral("Preview.txt"));
        connect(chooser_, &QFileDialog::fileSelected, this, &PreviewWindow::SaveTo);
    }
    chooser_->open();
}

void PreviewWindow::SaveTo(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(Text().toUtf8()) < 0 ||
        !file.flush()) {
        dialogs_.ShowMessage(this, QStringLiteral("The preview could not be saved to ") + path +
                                       QStringLiteral(": ") + file.errorString());
        return;
    }
    file.close();
    dialogs_.ShowMessage(this, QStringLiteral("The preview has been saved to ") + path);
}

}  // namespace velmora::gui
