#include "topenlstfrm.h"

#include "core/errorreport.h"
#include "core/prompts.h"
#include "playlists/lstquery.h"
#include "playlists/playlistdatabase.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace ecolvar {

TOpenLstFrm::TOpenLstFrm(LstQuery& temqry, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_temqry(temqry), m_prompts(prompts)
{
    setObjectName(u"OpenLstFrm"_s);
    setWindowTitle(u"OpenLstFrm"_s);
    setFixedSize(292, 286);

    Label1 = new QLabel(u"播放列表名称（用鼠标右键操作）"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(24, 16, 233, 16);

    ListView1 = new QTableWidget(0, 2, this);
    ListView1->setObjectName(u"ListView1"_s);
    ListView1->setGeometry(24, 40, 233, 150);
    ListView1->setHorizontalHeaderLabels({ u"播放状态"_s, u"列表名称"_s });
    ListView1->setColumnWidth(0, 80);
    ListView1->setColumnWidth(1, 150);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->verticalHeader()->hide();
    ListView1->setShowGrid(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setWordWrap(false);
    ListView1->setAccessibleName(u"播放列表名称"_s);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);

    Button1 = new QPushButton(u"选择"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setGeometry(184, 200, 75, 25);
    Button1->setAutoDefault(false);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    N1 = PopupMenu1->addAction(u"添加新播放列表名称"_s);
    N1->setObjectName(u"N1"_s);
    N2 = PopupMenu1->addAction(u"删除"_s);
    N2->setObjectName(u"N2"_s);

    connect(ListView1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos)); });
    connectHandler(Button1, &QPushButton::clicked, this, &TOpenLstFrm::Button1Click);
    connectHandler(ListView1, &QTableWidget::cellDoubleClicked, this, &TOpenLstFrm::Button1Click);
    connectHandler(N1, &QAction::triggered, this, &TOpenLstFrm::N1Click);
    connectHandler(N2, &QAction::triggered, this, &TOpenLstFrm::N2Click);

    FormCreate();
}

void TOpenLstFrm::FormCreate()
{
    // Without a database the list stays empty; the commands that show this dialog report why.
    if (m_temqry.database().isOpen())
        guarded([this] { LoadLsts(); });
    SelLstName.clear();
    LstSelected = false;
}

void TOpenLstFrm::LoadLsts()
{
    ListView1->setRowCount(0);
    const QList<LstRow> lists = m_temqry.allLists();
    ListView1->setRowCount(int(lists.size()));
    for (int row = 0; row < lists.size(); ++row) {
        const LstRow& list = lists[row];
        ListView1->setItem(
            row, 0, new QTableWidgetItem(list.DisplayFlag == 1 ? u"播放"_s : u"---"_s));
        ListView1->setItem(row, 1, new QTableWidgetItem(list.LstFileName));
    }
}

int TOpenLstFrm::selectedRow() const
{
    const QList<QTableWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->row();
}

void TOpenLstFrm::Button1Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    SelLstName = ListView1->item(row, 1)->text();
    ListView1->clearSelection();
    LstSelected = true;
    accept();
}

void TOpenLstFrm::N1Click()
{
    const QString name = m_prompts.input(u"请输入播放列表名称:"_s);
    if (name.isEmpty())
        return;
    if (m_temqry.listNameTaken(name)) {
        m_prompts.information(u"已有此播放列表名称"_s);
        return;
    }
    m_temqry.createList(name);
    LoadLsts();
}

void TOpenLstFrm::N2Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_temqry.deleteList(ListView1->item(row, 1)->text());
    LoadLsts();
}

} // namespace ecolvar
