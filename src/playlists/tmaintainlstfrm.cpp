#include "tmaintainlstfrm.h"

#include "core/errorreport.h"
#include "core/prompts.h"
#include "playlists/playlistdatabase.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

QStringList QtFilePicker::getOpenFileNames(QWidget* parent)
{
    return QFileDialog::getOpenFileNames(parent);
}

TMaintainLstFrm::TMaintainLstFrm(
    PlaylistDatabase& database, Prompts& prompts, FilePicker& picker, QWidget* parent)
    : QDialog(parent), qry1(database, u"qry1"_s), m_prompts(prompts), m_picker(picker)
{
    setObjectName(u"MaintainLstFrm"_s);
    setWindowTitle(u"MaintainLstFrm"_s);
    setFixedSize(487, 376);

    Label1 = new QLabel(u"列表"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(78, 44, 32, 16);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(u"ComboBox1"_s);
    ComboBox1->setGeometry(112, 40, 233, 24);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setAccessibleName(u"列表"_s);
    Label1->setBuddy(ComboBox1);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(u"ListBox1"_s);
    ListBox1->setGeometry(72, 72, 273, 161);
    ListBox1->setAccessibleName(u"播放文件"_s);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setGeometry(72, 240, 273, 81);
    Memo1->setFrameShape(QFrame::NoFrame);
    QPalette white = Memo1->palette();
    white.setColor(QPalette::Base, Qt::white);
    Memo1->setPalette(white);

    const auto button = [this](const QString& name, const QString& caption, int top) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(376, top, 75, 25);
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button(u"Button1"_s, u"添加"_s, 72);
    Button2 = button(u"Button2"_s, u"删除"_s, 104);
    Button5 = button(u"Button5"_s, u"全部删除"_s, 136);
    Button3 = button(u"Button3"_s, u"上移"_s, 176);
    Button4 = button(u"Button4"_s, u"下移"_s, 208);

    connectHandler(
        ComboBox1, &QComboBox::currentTextChanged, this, &TMaintainLstFrm::ComboBox1Change);
    connectHandler(ListBox1, &QListWidget::itemClicked, this, &TMaintainLstFrm::ListBox1Click);
    connectHandler(Button1, &QPushButton::clicked, this, &TMaintainLstFrm::Button1Click);
    connectHandler(Button2, &QPushButton::clicked, this, &TMaintainLstFrm::Button2Click);
    connectHandler(Button3, &QPushButton::clicked, this, &TMaintainLstFrm::Button3Click);
    connectHandler(Button4, &QPushButton::clicked, this, &TMaintainLstFrm::Button4Click);
    connectHandler(Button5, &QPushButton::clicked, this, &TMaintainLstFrm::Button5Click);

    // Without a database the dialog stays empty; the command that opens it reports why.
    if (database.isOpen())
        guarded([this] { FormCreate(); });
}

QString TMaintainLstFrm::listName() const
{
    return ComboBox1->currentText();
}

void TMaintainLstFrm::FormCreate()
{
    {
        const QSignalBlocker blocker(ComboBox1);
        LoadLstNames();
        ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
    }
    LoadLstFiles(listName());
}

void TMaintainLstFrm::LoadLstNames()
{
    const QList<LstRow> lists = qry1.allLists();
    ComboBox1->clear();
    for (const LstRow& list : lists)
        ComboBox1->addItem(list.LstFileName);
}

void TMaintainLstFrm::LoadLstFiles(const QString& name)
{
    const QStringList paths = qry1.orderedPaths(name);
    ListBox1->clear();
    ListBox1->addItems(paths);
}

void TMaintainLstFrm::ComboBox1Change()
{
    ListBox1->clear();
    LoadLstFiles(listName());
}

void TMaintainLstFrm::ListBox1Click()
{
    if (QListWidgetItem* item = ListBox1->currentItem())
        Memo1->setPlainText(item->text());
}

void TMaintainLstFrm::Button1Click()
{
    const QStringList files = m_picker.getOpenFileNames(this);
    for (const QString& file : files) {
        const QString path = QDir::toNativeSeparators(file);
        if (!ListBox1->findItems(path, Qt::MatchFixedString).isEmpty()) {
            m_prompts.information(u"已存在此文件"_s);
            continue;
        }
        AddLstFile(path);
    }
}

void TMaintainLstFrm::AddLstFile(const QString& fullPath)
{
    // Directory and file name split at the last separator; either separator counts, so paths
    // written on another system split as well.
    const qsizetype cut = std::max(fullPath.lastIndexOf(u'/'), fullPath.lastIndexOf(u'\\')) + 1;
    qry1.appendEntry(listName(), fullPath.mid(cut), fullPath.left(cut));
    LoadLstFiles(listName());
}

void TMaintainLstFrm::Button2Click()
{
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    qry1.deleteEntry(item->text(), listName());
    LoadLstFiles(listName());
}

void TMaintainLstFrm::Button5Click()
{
    qry1.deleteAllEntries(listName());
    LoadLstFiles(listName());
}

void TMaintainLstFrm::Button3Click()
{
    moveSelected(-1);
}

void TMaintainLstFrm::Button4Click()
{
    moveSelected(+1);
}

void TMaintainLstFrm::moveSelected(int offset)
{
    const QListWidgetItem* item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = ListBox1->row(item);
    const int other = row + offset;
    if (other < 0 || other >= ListBox1->count())
        return;
    const bool swapped
        = qry1.swapPositions(listName(), item->text(), ListBox1->item(other)->text());
    LoadLstFiles(listName());
    if (swapped)
        ListBox1->setCurrentRow(other);
}

} // namespace ecolvar
