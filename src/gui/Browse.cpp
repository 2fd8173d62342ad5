#include "gui/Browse.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

#include "gui/Widgets.h"

namespace velmora::gui {

namespace {

// The folder itself when it exists, else the nearest folder above it that
// does, else the home folder.
QString ExistingFolder(const QString& folder) {
    if (folder.isEmpty()) return QDir::homePath();
    QFileInfo info(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    while (!info.isDir()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath()) return QDir::homePath();
        info = QFileInfo(parent);
    }
    return info.absoluteFilePath();
}

QString RootOf(const QString& folder) {
    const QStorageInfo volume(folder);
    return volume.isValid() ? volume.rootPath() : QDir::rootPath();
}

constexpr int kListWidthInDigits = 30;
constexpr int kListRows = 14;

}  // namespace

Browse::Browse(QWidget* parent)
    : QDialog(parent),
      drives_(Named(new QComboBox, "BrsDrive")),
      folders_(Named(new QTreeView, "BrsDir")),
      files_(Named(new QListView, "brsFile")),
      folderModel_(new QFileSystemModel(this)),
      fileModel_(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("Browse"));
    setWindowTitle(QStringLiteral("Browse"));

    folderModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setModel(folderModel_);
    folders_->setHeaderHidden(true);
    for (int column = 1; column < folderModel_->columnCount(); ++column)
        folders_->hideColumn(column);
    fileModel_->setFilter(QDir::Files);
    files_->setModel(fileModel_);

    const int width = fontMetrics().horizontalAdvance(QLatin1Char('0')) * kListWidthInDigits;
    const int height = fontMetrics().height() * kListRows;
    folders_->setMinimumSize(width, height);
    files_->setMinimumSize(width, height);

    auto* ok = Named(new QPushButton(QStringLiteral("OK")), "OK");
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel")), "CancelBrowse");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Drive:")), 0, 0);
    grid->addWidget(drives_, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Folders:")), 2, 0);
    grid->addWidget(folders_, 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("Files:")), 2, 1);
    grid->addWidget(files_, 3, 1);
    grid->addWidget(DialogButtons(ok, cancel), 4, 0, 1, 2);

    AddDrives();
    connect(drives_, &QComboBox::activated, this, &Browse::DriveChanged);
    connect(folders_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { FolderChanged(current); });
    connect(files_, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) Choose();
    });
    connect(ok, &QPushButton::clicked, this, &Browse::Choose);
    connect(cancel, &QPushButton::clicked, this, &Browse::close);
}

void Browse::AddDrives() {
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            drives_->addItem(QDir::toNativeSeparators(volume.rootPath()), volume.rootPath());
        }
    }
}

int Browse::DriveIndexOf(const QString& folder) {
    const QString root = RootOf(folder);
    int index = drives_->findData(root);
    if (index < 0) {
        drives_->addItem(QDir::toNativeSeparators(root), root);
        index = drives_->count() - 1;
    }
    return index;
}

void Browse::Open(const QString& caption, const QString& folder, bool folderOnly, Chooser chooser) {
    setWindowTitle(caption);
    folderOnly_ = folderOnly;
    chooser_ = std::move(chooser);
    fileModel_->setNameFilters(folderOnly ? QStringList{QStringLiteral("*.vcf")} : QStringList{});
    fileModel_->setNameFilterDisables(false);
    ShowFolder(ExistingFolder(folder));
    show();
    raise();
    activateWindow();
}

QString Browse::Folder() const {
    return fileModel_->rootPath();
}

void Browse::DriveChanged(int index) {
    const QString root = drives_->itemData(index).toString();
    const auto last = lastFolderOnDrive_.find(root);
    ShowFolder(last != lastFolderOnDrive_.end() ? ExistingFolder(last->second) : root);
}

void Browse::ShowFolder(const QString& folder) {
    const int drive = DriveIndexOf(folder);
    drives_->setCurrentIndex(drive);
    const QString root = drives_->itemData(drive).toString();
    folderModel_->setRootPath(root);
    folders_->setRootIndex(folderModel_->index(root));
    const QModelIndex current = folderModel_->index(folder);
    folders_->setCurrentIndex(current);
    folders_->scrollTo(current);
    // The folder list does not report a change to the folder it already shows.
    FolderChanged(current);
}

void Browse::FolderChanged(const QModelIndex& current) {
    if (!current.isValid()) return;
    const QString folder = folderModel_->filePath(current);
    lastFolderOnDrive_[RootOf(folder)] = folder;
    files_->setRootIndex(fileModel_->setRootPath(folder));
    files_->clearSelection();
}

void Browse::Choose() {
    QString path = Folder();
    if (!folderOnly_) {
        if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
        // Only a file the person selected counts, not one the list merely has focus on.
        const QModelIndexList selected = files_->selectionModel()->selectedIndexes();
        if (!selected.isEmpty()) path += fileModel_->fileName(selected.front());
    }
    if (chooser_) chooser_(QDir::toNativeSeparators(path));
    close();
}

}  // namespace velmora::gui
