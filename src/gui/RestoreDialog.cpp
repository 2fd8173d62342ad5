#include "gui/RestoreDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "gui/DialogHost.h"
#include "gui/Widgets.h"

namespace velmora::gui {

namespace {

constexpr int kWidthInDigits = 90;

}  // namespace

RestoreDialog::RestoreDialog(RestoreContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)), list_(Named(new QListWidget, "Backups")) {
    setObjectName(QStringLiteral("RestoreDialog"));
    setWindowTitle(QStringLiteral("Restore"));
    list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                           kWidthInDigits);

    auto* restore = Named(new QPushButton(QStringLiteral("Restore")), "RestoreBackup");
    auto* close = Named(new QPushButton(QStringLiteral("Close")), "CloseRestore");
    connect(restore, &QPushButton::clicked, this, &RestoreDialog::RestoreSelected);
    connect(close, &QPushButton::clicked, this, &RestoreDialog::close);
    connect(list_, &QListWidget::itemDoubleClicked, this, &RestoreDialog::RestoreSelected);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral(
        "Each synchronization that writes first backs up what it changes. Restoring a backup "
        "puts the phone book, the sync database and the address book back as they were before "
        "that run; the present state is backed up first, so a restore can be undone."));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addWidget(list_);
    layout->addWidget(DialogButtons(restore, close));
    Refresh();
}

void RestoreDialog::Refresh() {
    list_->clear();
    backups_.clear();
    try {
        backups_ = ListBackups(context_.backupsFolder);
    } catch (const std::exception& error) {
        context_.dialogs.ShowMessage(this, ToQString(error.what()));
    }
    std::reverse(backups_.begin(), backups_.end());
    for (const BackupInfo& backup : backups_)
        list_->addItem(ToQString(backup.Describe()));
    if (!backups_.empty()) list_->setCurrentRow(0);
}

void RestoreDialog::RestoreSelected() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(backups_.size())) {
        context_.dialogs.ShowMessage(this, QStringLiteral("There is no backup to restore."));
        return;
    }
    if (context_.runIsGoing && context_.runIsGoing()) {
        context_.dialogs.ShowMessage(
            this, QStringLiteral("A synchronization is under way; restore when it has ended."));
        return;
    }
    const BackupInfo& backup = backups_[static_cast<std::size_t>(row)];
    const QString question =
        QStringLiteral(
            "Put the phone book, the sync database and the address book back as they "
            "were before ") +
        ToQString(backup.before) + QStringLiteral(" on ") + ToQString(backup.made) +
        QStringLiteral(
            "? Changes made since then are undone. The present state is backed up "
            "first.");
    if (!Ask(context_.dialogs, this, question, QStringLiteral("Restore"),
             QStringLiteral("Cancel"))) {
        return;
    }
    try {
        const auto [log, keep] = context_.logAndKeep();
        const RestoreReport report =
            RestoreBackup(context_.backupsFolder, backup.name, context_.lock, log, keep);
        QString text = QStringLiteral("The backup ") + ToQString(backup.name) +
                       QStringLiteral(" has been restored.");
        for (const std::string& line : report.lines)
            text += QLatin1Char('\n') + ToQString(line);
        context_.dialogs.ShowMessage(this, text);
    } catch (const std::exception& error) {
        context_.dialogs.ShowMessage(
            this, QStringLiteral("The backup could not be restored. ") + ToQString(error.what()));
    }
    Refresh();
}

}  // namespace velmora::gui
