#include "tform1.h"

#include "core/errorreport.h"
#include "player/speedcontrol.h"
#include "player/tsegmenttrackbar.h"
#include "player/volumeslider.h"
#include "practice/practicewidgets.h"
#include "richtext/trichtextedit.h"
#include "tform1parts.h"
#include "transcripts/transcriptfile.h"
#include "transcripts/transcriptpanes.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

// The make-up of the main window: its panels, splitters and controls, laid out.

namespace ecolvar {

namespace {

QFrame* panel(const QString& name, QWidget* parent = nullptr)
{
    auto* frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

// A flat button with a picture; screen readers read its hint as its name.
QToolButton* speedButton(QWidget* parent, const QString& name, const QString& hint,
    const QString& glyph, int left, int width = 23, int height = 22)
{
    auto* button = named(new QToolButton(parent), name);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setIcon(QIcon(u":/icons/"_s + glyph + u".svg"_s));
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(left, 0, width, height);
    return button;
}

// Lines no wider than the list: a long text is elided instead of scrolling sideways.
class ListWidthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return { 1, QStyledItemDelegate::sizeHint(option, index).height() };
    }
};

} // namespace

void TForm1::buildLayout()
{
    // Library panel | centre | playing list, with splitters between them.
    Splitter1 = named(new QSplitter(Qt::Horizontal), u"Splitter1"_s);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(buildLibraryPanel());

    Splitter2 = named(new QSplitter(Qt::Horizontal), u"Splitter2"_s);
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(buildCentrePanel());
    Splitter2->addWidget(buildPlayingListPanel());
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({ 724 - 161 - 145, 145 });

    Splitter1->addWidget(Splitter2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({ 161, 724 - 161 });
    setCentralWidget(Splitter1);

    StatusBar1 = named(new QStatusBar(this), u"StatusBar1"_s);
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);
}

QWidget* TForm1::buildLibraryPanel()
{
    Panel7 = panel(u"Panel7"_s);
    auto* layout = new QVBoxLayout(Panel7);
    layout->setContentsMargins(0, 0, 0, 0);

    PageControl2 = named(new QTabWidget(Panel7), u"PageControl2"_s);
    TabSheet3 = named(new QWidget, u"TabSheet3"_s);
    auto* sheetLayout = new QVBoxLayout(TabSheet3);
    sheetLayout->setContentsMargins(0, 0, 0, 0);

    TreeView1 = named(new QTreeWidget(TabSheet3), u"TreeView1"_s);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setAccessibleName(u"文件夹"_s);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeView1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { showContextMenu(PopupMenu1, TreeView1, pos); });
    sheetLayout->addWidget(TreeView1);

    PageControl2->addTab(TabSheet3, u"文件夹"_s);
    layout->addWidget(PageControl2);
    Panel7->resize(161, Panel7->height());
    return Panel7;
}

QWidget* TForm1::buildCentrePanel()
{
    Panel1 = panel(u"Panel1"_s);
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The file list above the transcripts, with a splitter between them.
    Splitter3 = named(new QSplitter(Qt::Vertical, Panel1), u"Splitter3"_s);
    Splitter3->setHandleWidth(3);
    Splitter3->setChildrenCollapsible(false);

    ListView1 = named(new QTreeWidget, u"ListView1"_s);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setHeaderLabels({ u"音频文件名称"_s, u"文件大小(KB)"_s, u"文件路径"_s, u"备注"_s });
    ListView1->header()->setStretchLastSection(false);
    ListView1->setColumnWidth(0, 150);
    ListView1->setColumnWidth(1, 80);
    ListView1->setColumnWidth(2, 200);
    ListView1->setColumnWidth(3, 50);
    ListView1->setAccessibleName(u"音频文件"_s);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { showContextMenu(PopupMenu2, ListView1, pos); });
    Splitter3->addWidget(ListView1);

    Panel4 = panel(u"Panel4"_s);
    auto* transcriptLayout = new QVBoxLayout(Panel4);
    transcriptLayout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = named(new QTabWidget(Panel4), u"PageControl1"_s);
    PageControl1->setDocumentMode(true);
    // Each pane shows its style sheet's colour as its background.
    const auto addPane
        = [this](QWidget*& sheet, TRichTextEdit*& editor, const QString& sheetName,
              const QString& editorName, const QString& caption, TRVStyle style, QMenu* menu) {
              sheet = named(new QWidget, sheetName);
              auto* sheetLayout = new QVBoxLayout(sheet);
              sheetLayout->setContentsMargins(0, 0, 0, 0);
              editor = named(new TRichTextEdit(std::move(style), sheet), editorName);
              editor->setDocumentFormat(transcriptFormat());
              editor->setAccessibleName(caption);
              editor->setContextMenuPolicy(Qt::CustomContextMenu);
              connect(editor, &QWidget::customContextMenuRequested, this,
                  [this, editor, menu](const QPoint& pos) { showContextMenu(menu, editor, pos); });
              sheetLayout->addWidget(editor);
              PageControl1->addTab(sheet, caption);
          };
    addPane(TabSheet1, RichTextEdit3, u"TabSheet1"_s, u"RichTextEdit3"_s, u"英文"_s,
        englishPaneStyle(), PopupMenu5);
    addPane(TabSheet2, RichTextEdit4, u"TabSheet2"_s, u"RichTextEdit4"_s, u"中文"_s,
        chinesePaneStyle(), PopupMenu6);
    PageControl1->setCurrentIndex(0);
    transcriptLayout->addWidget(PageControl1);
    Splitter3->addWidget(Panel4);
    Splitter3->setStretchFactor(0, 0);
    Splitter3->setStretchFactor(1, 1);
    Splitter3->setSizes({ 104, 300 });
    layout->addWidget(Splitter3, 1);

    // The player: transport row above the segment track bar.
    Panel2 = panel(u"Panel2"_s, Panel1);
    Panel2->setFixedHeight(50);
    auto* playerLayout = new QVBoxLayout(Panel2);
    playerLayout->setContentsMargins(0, 0, 0, 0);
    playerLayout->setSpacing(0);
    // The transport row, with the volume at its right.
    auto* transport = new QHBoxLayout;
    transport->setContentsMargins(0, 0, 0, 0);
    transport->setSpacing(0);
    transport->addWidget(buildTransportRow(), 1);
    Speed = new SpeedControl(*MediaPlayer1, Panel2);
    Speed->setFixedHeight(21);
    transport->addWidget(Speed);
    Volume = new VolumeSlider(*MediaPlayer1, Panel2);
    Volume->setFixedHeight(21);
    transport->addWidget(Volume);
    playerLayout->addLayout(transport);
    playerLayout->addStretch(1);
    Panel9 = panel(u"Panel9"_s, Panel2);
    Panel9->setFixedHeight(27);
    auto* barLayout = new QVBoxLayout(Panel9);
    barLayout->setContentsMargins(0, 0, 0, 0);
    playerLayout->addWidget(Panel9);
    layout->addWidget(Panel2);
    LblSentence = new SentenceLine(Panel1);
    LblSentence->setFixedHeight(20);
    layout->addWidget(LblSentence);
    return Panel1;
}

QFrame* TForm1::buildTransportRow()
{
    Panel5 = panel(u"Panel5"_s);
    Panel5->setFixedHeight(21);
    Panel5->setMinimumWidth(label6Width);
    SpeedButton1 = speedButton(Panel5, u"SpeedButton1"_s, u"播放/暂停"_s, u"play"_s, 0);
    SpeedButton2 = speedButton(Panel5, u"SpeedButton2"_s, u"停止"_s, u"stop"_s, 24);
    SpeedButton5 = speedButton(Panel5, u"SpeedButton5"_s, u"左移"_s, u"left"_s, 56);
    SpeedButton6 = speedButton(Panel5, u"SpeedButton6"_s, u"起始点"_s, u"markstart"_s, 79);
    SpeedButton7 = speedButton(Panel5, u"SpeedButton7"_s, u"右移"_s, u"right"_s, 102);
    SpeedButton8 = speedButton(Panel5, u"SpeedButton8"_s, u"左移"_s, u"left"_s, 136);
    SpeedButton9 = speedButton(Panel5, u"SpeedButton9"_s, u"截止点"_s, u"markend"_s, 159);
    SpeedButton10 = speedButton(Panel5, u"SpeedButton10"_s, u"右移"_s, u"right"_s, 184, 21);
    SpeedButton11
        = speedButton(Panel5, u"SpeedButton11"_s, u"取消复读 "_s, u"cancelrepeat"_s, 222, 23, 23);

    Label7 = named(new QLabel(Panel5), u"Label7"_s);
    Label7->setGeometry(360, 0, 140, 21);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette maroon = Label7->palette();
    maroon.setColor(QPalette::WindowText, QColor(0x80, 0, 0));
    Label7->setPalette(maroon);

    // Label6 stays at the right end of the row; the row keeps room for it beside Label7, so the
    // speed and volume controls after the row never cover it.
    Label6 = named(new QLabel(Panel5), u"Label6"_s);
    Panel5->setMinimumWidth(Label7->geometry().right() + 1 + label6Width);
    Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel5->installEventFilter(this);
    return Panel5;
}

QWidget* TForm1::buildPlayingListPanel()
{
    Panel3 = panel(u"Panel3"_s);
    auto* layout = new QVBoxLayout(Panel3);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel6 = panel(u"Panel6"_s, Panel3);
    Panel6->setFixedHeight(88);
    auto* heading = new QVBoxLayout(Panel6);
    heading->setContentsMargins(4, 4, 4, 0);
    heading->setSpacing(2);
    Label5 = named(new QLabel(u"播放列表"_s, Panel6), u"Label5"_s);
    QFont headingFont = Label5->font();
    headingFont.setPointSize(10);
    Label5->setFont(headingFont);
    heading->addWidget(Label5);
    heading->addStretch(1);
    LblFileLst = named(new QLabel(u"(DefaultLst)"_s, Panel6), u"LblFileLst"_s);
    LblFileLst->setAlignment(Qt::AlignCenter);
    heading->addWidget(LblFileLst);
    Panel8 = panel(u"Panel8"_s, Panel6);
    Panel8->setFrameShape(QFrame::HLine);
    Panel8->setFrameShadow(QFrame::Sunken);
    Panel8->setFixedHeight(2);
    heading->addWidget(Panel8);

    ToolBar1 = named(new QToolBar(Panel6), u"ToolBar1"_s);
    ToolBar1->setFixedHeight(29);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setMovable(false);
    const auto toolButton = [this](const QString& name, const QString& hint, int image) {
        auto* button = named(new QToolButton(ToolBar1), name);
        button->setIcon(imglist.value(image));
        button->setToolTip(hint);
        button->setAccessibleName(hint);
        button->setAutoRaise(true);
        ToolBar1->addWidget(button);
        return button;
    };
    ToolButton1 = toolButton(u"ToolButton1"_s, u"打开播放列表"_s, 3);
    ToolButton3 = toolButton(u"ToolButton3"_s, u"维护播放文件"_s, 7);
    connectHandler(ToolButton1, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    connectHandler(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    heading->addWidget(ToolBar1);
    layout->addWidget(Panel6);

    ListBox1 = named(new QListWidget(Panel3), u"ListBox1"_s);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setAccessibleName(u"播放列表"_s);
    ListBox1->setMouseTracking(true);
    // Paths share their folders: each line is as wide as the list and elided in its middle, so
    // the file name at the end stays visible; the hint shows the whole path.
    ListBox1->setTextElideMode(Qt::ElideMiddle);
    ListBox1->setItemDelegate(new ListWidthDelegate(ListBox1));
    layout->addWidget(ListBox1, 1);
    Panel3->resize(145, Panel3->height());
    return Panel3;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel5 && event->type() == QEvent::Resize)
        placeLabel6();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::placeLabel6()
{
    // At the right end, but never over the position label when the row is narrow.
    const int left = std::max(Panel5->width() - Label6->width(), Label7->geometry().right() + 1);
    Label6->setGeometry(left, 0, Label6->width(), Panel5->height());
}

void TForm1::showContextMenu(QMenu* menu, QWidget* widget, const QPoint& pos)
{
    QWidget* viewport = widget;
    if (auto* view = qobject_cast<QAbstractScrollArea*>(widget))
        viewport = view->viewport();
    menu->popup(viewport->mapToGlobal(pos));
}

} // namespace ecolvar
