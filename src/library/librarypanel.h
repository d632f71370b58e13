#pragma once

#include "filelist.h"
#include "librarytree.h"

#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

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

    // The node of the selected tree item, nullptr when none is selected. A right click in the
    // tree leaves the selection as it was: the context menu acts on the selected node.
    const LibraryNode* selectedNode() const;
    // The audio set whose files the file list shows, nullptr when it shows none. The file
    // list's commands act on this set, whatever is selected in the tree.
    const LibraryNode* listedSet() const;

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showTree();
    const LibraryNode* findNode(const std::function<bool(const LibraryNode&)>& wanted) const;
    void showEmptyLibraryHint();
    QTreeWidgetItem* makeItem(const LibraryNode& node);
    // Shows rows when there are any to show; they are the files of set (nullptr: of no set).
    void showRows(const std::optional<QList<FileListRow>>& rows, const LibraryNode* set);

    Controls m_controls;
    QList<QIcon> m_images;
    QStringList& m_selectedFiles;
    LibraryTree m_tree;
    FileList m_fileList;
    QHash<const QTreeWidgetItem*, const LibraryNode*> m_nodes;
    // The set file of the listed rows; kept as a path because a rebuild replaces every node.
    QString m_listedSetPath;
    // Owned by the file list, which may go first when the window closes.
    QPointer<QLabel> m_emptyHint;
};

} // namespace ecolvar
