#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QTreeView;
class QWidget;

namespace library {

// The folder tree and volume selector of the library windows: a directories-only file system
// model shown in a tree, and a list of the mounted volumes. Both widgets are children of
// `parent`, placed by the window (`DriveComboBox1`, `DirectoryOutline1`). folderChanged fires
// once for every change of the current folder, made by the user or by setFolder.
class FolderTree : public QObject {
    Q_OBJECT
  public:
    explicit FolderTree(QWidget* parent);

    QComboBox* driveBox() const { return m_drives; }
    QTreeView* tree() const { return m_tree; }

    // Moves to and shows `path`; false (nothing changes) when it is no folder.
    bool setFolder(const QString& path);
    // The current folder without a trailing "/" (a volume root is written as it is, "/").
    QString folder() const { return m_folder; }
    // Shows the folders of the volume whose root is `rootPath`.
    void showVolume(const QString& rootPath);

  signals:
    void folderChanged(const QString& folder);

  private:
    void onCurrentChanged();
    void fillVolumes();
    void selectVolumeOf(const QString& path);

    QComboBox* m_drives = nullptr;
    QTreeView* m_tree = nullptr;
    QFileSystemModel* m_model = nullptr;
    QString m_folder;
};

} // namespace library
