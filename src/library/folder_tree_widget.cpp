#include "library/folder_tree_widget.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>

namespace library {

FolderTree::FolderTree(QWidget* parent) : QObject(parent) {
    m_drives = new QComboBox(parent);
    m_drives->setObjectName("DriveComboBox1");
    m_tree = new QTreeView(parent);
    m_tree->setObjectName("DirectoryOutline1");
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    fillVolumes();

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FolderTree::onCurrentChanged);
    connect(m_drives, &QComboBox::activated, this,
            [this](int index) { showVolume(m_drives->itemData(index).toString()); });
}

void FolderTree::fillVolumes() {
    const QSignalBlocker blocker(m_drives);
    m_drives->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QString root = volume.rootPath();
        const QString name = volume.displayName();
        m_drives->addItem(name == root || name.isEmpty() ? root : root + " (" + name + ")", root);
    }
}

void FolderTree::selectVolumeOf(const QString& path) {
    const QString root = QStorageInfo(path).rootPath();
    const int index = m_drives->findData(root);
    const QSignalBlocker blocker(m_drives);
    if (index >= 0) m_drives->setCurrentIndex(index);
}

bool FolderTree::setFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) return false;
    const QModelIndex index = m_model->index(QDir::cleanPath(info.absoluteFilePath()));
    if (!index.isValid()) return false;
    m_tree->setCurrentIndex(index);
    m_tree->expand(index);
    m_tree->scrollTo(index);
    return true;
}

void FolderTree::showVolume(const QString& rootPath) {
    setFolder(rootPath);
}

void FolderTree::onCurrentChanged() {
    const QModelIndex index = m_tree->currentIndex();
    if (!index.isValid()) return;
    const QString path = m_model->filePath(index);
    if (path == m_folder) return;
    m_folder = path;
    selectVolumeOf(path);
    emit folderChanged(m_folder);
}

} // namespace library
