#pragma once

#include "filelist.h"
#include "librarytree.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QStringList>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace ecolvar {

class Prompts;

// The library side of the main window: shows the library tree in TreeView1 and the selected
// set's files in ListView1, and runs the commands of the tree's and the list's context menus.
// Owned by the main window; the widgets and SelectedFiles it is given must outlive it.
class LibraryPanel : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QTreeWidget* TreeView1;
        QTreeWidget* ListView1; // four columns: name, size (KB), directory, remark
        QAction* N2;
        QAction* N4;
        QAction* N5;
        QAction* N3;
        QAction* N7;
        QAction* N8;
        QAction* t1;
    };

    // images: the tree's pictures (imglist). The select-file dialog opens over window.
    LibraryPanel(Prompts& prompts, const QString& libraryDir, const Controls& controls,
        const QList<QIcon>& images, QStringList& selectedFiles, QWidget* window);

    const LibraryTree& tree() const { return m_tree; }
    // Replaces the select-file dialog that 添加音频文件 shows.
    void setSelectFileDialog(FileList::SelectFileDialog dialog);

    // The node of the selected tree item, nullptr when none is selected.
    const LibraryNode* selectedNode() const;

    // Rebuilds the tree from disk and shows it fully expanded, nothing selected.
    void RebuildLibraryTree();

    // The selected rows of the file list, top to bottom.
    QList<FileListRow> selectedRows() const;

    // Handlers.
    void TreeView1Click();
    void PopupMenu1Popup();
    void N2Click();
    void N4Click();
    void N5Click();
    void N3Click();
    void N7Click();
    void N8Click();
    void t1Click();
    void N11Click();

private:
    void showTree();
    QTreeWidgetItem* makeItem(const LibraryNode& node);
    void showRows(const std::optional<QList<FileListRow>>& rows);

    Controls m_controls;
    QList<QIcon> m_images;
    QStringList& m_selectedFiles;
    LibraryTree m_tree;
    FileList m_fileList;
    QHash<const QTreeWidgetItem*, const LibraryNode*> m_nodes;
};

} // namespace ecolvar
