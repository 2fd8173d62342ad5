#pragma once

#include <QDialog>
#include <functional>
#include <map>

class QComboBox;
class QFileSystemModel;
class QListView;
class QModelIndex;
class QTreeView;

namespace velmora::gui {

// A drive (mounted volume), folder and file picker for one path field of the
// Options dialog. Its caption names the field it works for. Choosing a file
// (a click in the file list) or OK hands the chosen path to the field and
// closes the dialog; Cancel closes it and hands nothing.
class Browse final : public QDialog {
    Q_OBJECT

  public:
    // Receives the chosen path, with the host's separators.
    using Chooser = std::function<void(const QString& path)>;

    explicit Browse(QWidget* parent = nullptr);

    // Opens on `folder` (or the nearest folder above it that exists). With
    // `folderOnly` the folder itself is chosen and the file list shows only
    // vCard files; otherwise the folder and the selected file name.
    void Open(const QString& caption, const QString& folder, bool folderOnly, Chooser chooser);

    // The folder the file list shows.
    QString Folder() const;

  private:
    void AddDrives();
    int DriveIndexOf(const QString& folder);
    void DriveChanged(int index);
    void ShowFolder(const QString& folder);
    void FolderChanged(const QModelIndex& current);
    void Choose();

    QComboBox* drives_;
    QTreeView* folders_;
    QListView* files_;
    QFileSystemModel* folderModel_;
    QFileSystemModel* fileModel_;
    bool folderOnly_ = false;
    Chooser chooser_;
    std::map<QString, QString> lastFolderOnDrive_;
};

}  // namespace velmora::gui
