#include "librarypanel.h"

#include "tselectfilefrm.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace ecolvar {

LibraryPanel::LibraryPanel(Prompts& prompts, const QString& libraryDir, const Controls& controls,
    const QList<QIcon>& images, QStringList& selectedFiles, QWidget* window)
    : QObject(window), m_controls(controls), m_images(images), m_selectedFiles(selectedFiles),
      m_tree(prompts, libraryDir), m_fileList(prompts, m_tree, [window](QStringList& files) {
          TSelectFileFrm::execute(files, window);
      })
{
    m_tree.setRebuiltHandler([this] { showTree(); });
    // A right click only opens the context menu; it never moves the selection.
    m_controls.TreeView1->viewport()->installEventFilter(this);

    // Until the library holds a set, the empty file list says where the library's commands are
    // (the tree's context menu acts on the selected node, so the root is clicked first).
    m_emptyHint = new QLabel(u"单击左侧的“Ecolvar”后右键单击，添加文件夹和音频文件集"_s,
        m_controls.ListView1->viewport());
    m_emptyHint->setObjectName(u"EmptyLibraryHint"_s);
    m_emptyHint->setForegroundRole(QPalette::PlaceholderText);
    m_emptyHint->move(6, 4);
    m_emptyHint->adjustSize();
    m_emptyHint->hide();
    const QAbstractItemModel* rows = m_controls.ListView1->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &LibraryPanel::showEmptyLibraryHint);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &LibraryPanel::showEmptyLibraryHint);
    connect(rows, &QAbstractItemModel::modelReset, this, &LibraryPanel::showEmptyLibraryHint);
}

bool LibraryPanel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void LibraryPanel::setSelectFileDialog(FileList::SelectFileDialog dialog)
{
    m_fileList.setSelectFileDialog(std::move(dialog));
}

const LibraryNode* LibraryPanel::selectedNode() const
{
    const QList<QTreeWidgetItem*> items = m_controls.TreeView1->selectedItems();
    return items.isEmpty() ? nullptr : m_nodes.value(items.first());
}

const LibraryNode* LibraryPanel::listedSet() const
{
    if (m_listedSetPath.isEmpty())
        return nullptr;
    return findNode([this](const LibraryNode& node) {
        return IsSetCaption(node.caption) && m_tree.SetFilePath(node) == m_listedSetPath;
    });
}

const LibraryNode* LibraryPanel::findNode(
    const std::function<bool(const LibraryNode&)>& wanted) const
{
    std::vector<const LibraryNode*> pending = { &m_tree.root() };
    while (!pending.empty()) {
        const LibraryNode* node = pending.back();
        pending.pop_back();
        if (wanted(*node))
            return node;
        for (const auto& child : node->children)
            pending.push_back(child.get());
    }
    return nullptr;
}

void LibraryPanel::showEmptyLibraryHint()
{
    if (!m_emptyHint)
        return;
    const bool noSet = !findNode(
        [](const LibraryNode& node) { return node.kind == LibraryNode::Kind::AudioSet; });
    m_emptyHint->setVisible(noSet && m_controls.ListView1->topLevelItemCount() == 0);
}

void LibraryPanel::RebuildLibraryTree()
{
    m_tree.RebuildLibraryTree();
}

void LibraryPanel::showTree()
{
    QTreeWidget* view = m_controls.TreeView1;
    m_nodes.clear();
    view->clear();
    // Built apart from the view and added in one go: a library of thousands of nodes stays quick.
    view->addTopLevelItem(makeItem(m_tree.root()));
    view->expandAll();
    showEmptyLibraryHint();
}

QTreeWidgetItem* LibraryPanel::makeItem(const LibraryNode& node)
{
    auto* item = new QTreeWidgetItem(QStringList(node.caption));
    item->setIcon(0, m_images.value(node.image()));
    m_nodes.insert(item, &node);
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(node.children.size()));
    for (const auto& child : node.children)
        children.append(makeItem(*child));
    item->addChildren(children);
    return item;
}

void LibraryPanel::showRows(const std::optional<QList<FileListRow>>& rows, const LibraryNode* set)
{
    if (!rows)
        return;
    m_listedSetPath = set && IsSetCaption(set->caption) ? m_tree.SetFilePath(*set) : QString();
    QTreeWidget* view = m_controls.ListView1;
    view->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows->size());
    for (const FileListRow& row : *rows)
        items.append(new QTreeWidgetItem({ row.name, row.sizeText, row.dir, QString() }));
    view->addTopLevelItems(items);
}

QList<FileListRow> LibraryPanel::selectedRows() const
{
    QTreeWidget* view = m_controls.ListView1;
    QModelIndexList selected = view->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
        [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QList<FileListRow> rows;
    rows.reserve(selected.size());
    for (const QModelIndex& index : selected) {
        const QTreeWidgetItem* item = view->topLevelItem(index.row());
        rows.append({ .name = item->text(0), .sizeText = item->text(1), .dir = item->text(2) });
    }
    return rows;
}

void LibraryPanel::TreeView1Click()
{
    const LibraryNode* selected = selectedNode();
    showRows(m_fileList.TreeView1Click(selected), selected);
}

void LibraryPanel::PopupMenu1Popup()
{
    const Controls& c = m_controls;
    const PopupMenu1Items current = { .N2 = c.N2->isEnabled(),
        .N4 = c.N4->isEnabled(),
        .N5 = c.N5->isEnabled(),
        .N3 = c.N3->isEnabled(),
        .N7 = c.N7->isEnabled(),
        .N8 = c.N8->isEnabled(),
        .t1 = c.t1->isEnabled() };
    const PopupMenu1Items items = ecolvar::PopupMenu1Popup(selectedNode(), current);
    c.N2->setEnabled(items.N2);
    c.N4->setEnabled(items.N4);
    c.N5->setEnabled(items.N5);
    c.N3->setEnabled(items.N3);
    c.N7->setEnabled(items.N7);
    c.N8->setEnabled(items.N8);
    c.t1->setEnabled(items.t1);
}

void LibraryPanel::N2Click()
{
    m_tree.N2Click(selectedNode());
}

void LibraryPanel::N4Click()
{
    m_tree.N4Click(selectedNode());
}

void LibraryPanel::N5Click()
{
    m_tree.N5Click(selectedNode());
}

void LibraryPanel::N3Click()
{
    m_tree.N3Click(selectedNode());
}

void LibraryPanel::N7Click()
{
    m_tree.N7Click(selectedNode());
}

void LibraryPanel::N8Click()
{
    m_tree.N8Click(selectedNode());
}

void LibraryPanel::t1Click()
{
    const LibraryNode* selected = selectedNode();
    showRows(m_fileList.t1Click(selected, m_selectedFiles), selected);
}

void LibraryPanel::N11Click()
{
    const LibraryNode* set = listedSet();
    showRows(m_fileList.N11Click(set, selectedRows()), set);
}

} // namespace ecolvar
