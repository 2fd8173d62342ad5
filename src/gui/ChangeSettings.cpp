#include "gui/ChangeSettings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "gui/Browse.h"
#include "gui/DialogHost.h"
#include "gui/Widgets.h"

namespace velmora::gui {

namespace {

// One path of the Files frame: its controls, the caption Browse shows for
// it, the setting it edits and where it sits in OptionsEntries.
struct PathRow {
    std::string_view label;
    std::string_view labelText;
    std::string_view field;
    std::string_view button;
    std::string_view browseCaption;
    std::filesystem::path Settings::*setting;
    std::string OptionsEntries::*entry;
    bool folderOnly;
};

constexpr std::array<PathRow, 4> kPathRows{{
    {"lblogpath", "Full path and name for the log file:", "lgPath", "BrowseLog", "Log File",
     &Settings::LogPath, &OptionsEntries::LogPath, false},
    {"lbSyncPath", "Full path and name for the Sync database:", "SyPath", "BrowseSync",
     "Sync Database", &Settings::SyncPath, &OptionsEntries::SyncPath, false},
    {"lbPBPath", "Full path and name for the iDEN PhoneBook database:", "pbPath", "BrowsePhoneBook",
     "PhoneBook Database", &Settings::PhoneBookPath, &OptionsEntries::PhoneBookPath, false},
    {"lbContactsPath", "Folder of the address book (vCard files):", "ctPath", "BrowseContacts",
     "Address Book Folder", &Settings::ContactsPath, &OptionsEntries::ContactsPath, true},
}};

// The mask options, in the order of their values 1 to 4.
struct MaskButton {
    std::string_view name;
    std::string_view caption;
};
constexpr std::array<MaskButton, 4> kMaskButtons{{
    {"none", "None: nnnnnnnnnn"},
    {"parenth", "(nnn) nnn-nnnn"},
    {"dashes", "nnn-nnn-nnnn"},
    {"dots", "nnn.nnn.nnnn"},
}};

constexpr int kLimitWidthInDigits = 7;
constexpr int kPathWidthInDigits = 48;

QLabel* Label(std::string_view name, std::string_view text) {
    return Named(new QLabel(ToQString(text)), name);
}

}  // namespace

ChangeSettings::ChangeSettings(ChangeSettingsContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("ChangeSettings"));
    setWindowTitle(QStringLiteral("Options"));

    auto* save = Named(new QPushButton(QStringLiteral("Save")), "save");
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel")), "cancel");
    connect(save, &QPushButton::clicked, this, &ChangeSettings::Save);
    connect(cancel, &QPushButton::clicked, this, &ChangeSettings::close);

    auto* upper = new QHBoxLayout;
    upper->addWidget(MakeCapacityFrame());
    upper->addWidget(MakeManagerFrame());
    upper->addWidget(MakeMaskFrame());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeNameRow());
    layout->addLayout(upper);
    layout->addWidget(MakeSafetyFrame());
    layout->addWidget(MakeFilesFrame());
    layout->addWidget(DialogButtons(save, cancel));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Load(EntriesFromSettings(context_.inForce));
}

QWidget* ChangeSettings::MakeNameRow() {
    nameField_ = Named(new QComboBox, "olNameField");
    nameField_->addItems({QStringLiteral("File As"), QStringLiteral("Full Name")});
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Label("lbNameField", "Outlook name field to match with the PhoneBook:"));
    layout->addWidget(nameField_);
    layout->addStretch();
    return row;
}

QWidget* ChangeSettings::MakeCapacityFrame() {
    auto* frame = Named(new QGroupBox(QStringLiteral("Phone capacity:")), "PhoneCapacity");
    maxNumbers_ = Named(new QLineEdit, "MaxNumbers");
    maxNames_ = Named(new QLineEdit, "MaxNames");
    for (QLineEdit* box : {maxNumbers_, maxNames_}) {
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                             kLimitWidthInDigits);
    }
    auto* grid = new QGridLayout(frame);
    grid->addWidget(Label("lbMaxNumbers", "Capacity for numbers:"), 0, 0);
    grid->addWidget(maxNumbers_, 0, 1);
    grid->addWidget(Label("lbMaxNames", "Capacity for names:"), 1, 0);
    grid->addWidget(maxNames_, 1, 1);
    grid->setRowStretch(2, 1);
    return frame;
}

QWidget* ChangeSettings::MakeManagerFrame() {
    auto* frame =
        Named(new QGroupBox(QStringLiteral("Start the PhoneBook Manager:")), "StartPhoneBook");
    pmBefore_ =
        Named(new QCheckBox(QStringLiteral("Before each synchronization")), "StartPMBefore");
    pmAfter_ = Named(new QCheckBox(QStringLiteral("After each synchronization")), "StartPMAfter");
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(pmBefore_);
    layout->addWidget(pmAfter_);
    layout->addStretch();
    return frame;
}

QWidget* ChangeSettings::MakeMaskFrame() {
    auto* frame =
        Named(new QGroupBox(QStringLiteral("Phone number masking for Outlook:")), "PhoneMask");
    mask_ = new QButtonGroup(frame);
    auto* layout = new QVBoxLayout(frame);
    for (std::size_t i = 0; i < kMaskButtons.size(); ++i) {
        auto* button =
            Named(new QRadioButton(ToQString(kMaskButtons[i].caption)), kMaskButtons[i].name);
        mask_->addButton(button, static_cast<int>(i) + 1);
        layout->addWidget(button);
    }
    return frame;
}

QWidget* ChangeSettings::MakeSafetyFrame() {
    auto* frame = Named(new QGroupBox(QStringLiteral("Safety:")), "Safety");
    deleteShare_ = Named(new QLineEdit, "DeleteShare");
    deleteMinimum_ = Named(new QLineEdit, "DeleteMinimum");
    keepBackups_ = Named(new QLineEdit, "KeepBackups");
    for (QLineEdit* box : {deleteShare_, deleteMinimum_, keepBackups_}) {
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                             kLimitWidthInDigits);
    }
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(Label("lbDeleteShare", "Ask before a run deletes more than"));
    layout->addWidget(deleteShare_);
    layout->addWidget(Label("lbDeleteMinimum", "% of a side's contacts, and at least"));
    layout->addWidget(deleteMinimum_);
    layout->addWidget(Label("lbKeepBackups", "of them.   Backups to keep:"));
    layout->addWidget(keepBackups_);
    layout->addStretch();
    return frame;
}

QWidget* ChangeSettings::MakeFilesFrame() {
    auto* frame = Named(new QGroupBox(QStringLiteral("Files")), "Files");
    auto* grid = new QGridLayout(frame);
    grid->setColumnStretch(0, 1);
    for (std::size_t i = 0; i < kPathRows.size(); ++i) {
        const PathRow& row = kPathRows[i];
        auto* field = Named(new QLineEdit, row.field);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) *
                               kPathWidthInDigits);
        auto* button = Named(new QPushButton(QStringLiteral("...")), row.button);
        button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) *
                                2);
        connect(button, &QPushButton::clicked, this, [this, i] { BrowseFor(i); });
        paths_[i] = field;
        const int line = static_cast<int>(i) * 2;
        grid->addWidget(Label(row.label, row.labelText), line, 0, 1, 2);
        grid->addWidget(field, line + 1, 0);
        grid->addWidget(button, line + 1, 1);
    }
    return frame;
}

void ChangeSettings::Load(const OptionsEntries& entries) {
    const QString nameField = ToQString(entries.NameField);
    // A value typed into the settings file (the nickname) is shown and kept as it is.
    if (nameField_->findText(nameField) < 0) nameField_->addItem(nameField);
    nameField_->setCurrentText(nameField);
    if (QAbstractButton* button = mask_->button(entries.MaskOption)) button->setChecked(true);
    maxNames_->setText(ToQString(entries.MaxNames));
    maxNumbers_->setText(ToQString(entries.MaxNumbers));
    pmBefore_->setChecked(entries.PMBefore);
    pmAfter_->setChecked(entries.PMAfter);
    deleteShare_->setText(ToQString(entries.MassDeleteShare));
    deleteMinimum_->setText(ToQString(entries.MassDeleteMinimum));
    keepBackups_->setText(ToQString(entries.KeepBackups));
    for (std::size_t i = 0; i < kPathRows.size(); ++i)
        paths_[i]->setText(ToQString(entries.*kPathRows[i].entry));
}

OptionsEntries ChangeSettings::Entries() const {
    OptionsEntries entries;
    entries.NameField = ToStdString(nameField_->currentText());
    entries.MaskOption = std::max(mask_->checkedId(), 0);
    entries.MaxNames = ToStdString(maxNames_->text());
    entries.MaxNumbers = ToStdString(maxNumbers_->text());
    entries.PMBefore = pmBefore_->checkState() == Qt::Checked;
    entries.PMAfter = pmAfter_->checkState() == Qt::Checked;
    entries.MassDeleteShare = ToStdString(deleteShare_->text());
    entries.MassDeleteMinimum = ToStdString(deleteMinimum_->text());
    entries.KeepBackups = ToStdString(keepBackups_->text());
    for (std::size_t i = 0; i < kPathRows.size(); ++i)
        entries.*kPathRows[i].entry = ToStdString(paths_[i]->text());
    return entries;
}

void ChangeSettings::Save() {
    try {
        if (const auto refusal = SaveOptions(Entries(), context_.store)) {
            context_.dialogs.ShowMessage(this, ToQString(*refusal));
            return;
        }
    } catch (const std::exception& error) {
        context_.dialogs.ShowMessage(this, ToQString(error.what()));
        return;
    }
    if (context_.saved) context_.saved();
    close();
}

void ChangeSettings::BrowseFor(std::size_t index) {
    const PathRow& row = kPathRows[index];
    QLineEdit& field = *paths_[index];
    // Browse starts from the saved value, not from what the field holds now.
    const std::string saved = (context_.inForce.*row.setting).string();
    const std::string folder = row.folderOnly ? saved : FolderOfPath(saved);
    field.setText(ToQString(folder));
    if (!browse_) browse_ = new Browse(this);
    browse_->Open(ToQString(row.browseCaption),
                  folder.empty() ? FromPath(context_.programFolder) : ToQString(folder),
                  row.folderOnly, [&field](const QString& path) { field.setText(path); });
}

}  // namespace velmora::gui
