#include "app/tform1.h"
#include "core/ecolvarerror.h"
#include "core/errorreport.h"
#include "fakedevices.h"
#include "player/playercontrols.h"
#include "player/tmp3player.h"
#include "player/tsegmenttrackbar.h"
#include "richtext/trichtextedit.h"
#include "transcripts/transcriptfile.h"

#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

class TForm1Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_programDir.isValid());
        m_form = std::make_unique<TForm1>(m_prompts, m_programDir.path(), m_devices.factory());
        m_form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    }

    template <typename W> W* find(const QString& name) const
    {
        W* widget = m_form->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }

    QTemporaryDir m_programDir;
    test::ScriptedPrompts m_prompts;
    test::FakeDevices m_devices;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(TForm1Test, StartsWithTheLabelsOfAnEmptyPlayer)
{
    EXPECT_EQ(m_form->windowTitle(), u"Ecolvar"_s);
    EXPECT_EQ(find<QLabel>(u"Label6"_s)->text(), u"起始点：0:0:0  结束点：0:0:0"_s);
    EXPECT_EQ(find<QLabel>(u"Label6"_s)->width(), 207);
    EXPECT_EQ(find<QLabel>(u"Label7"_s)->text(), u"位置：0:0:0/0:0:0"_s);
    EXPECT_EQ(find<QLabel>(u"Label7"_s)->width(), 140);
    EXPECT_EQ(find<QLabel>(u"Label7"_s)->x(), 360);
    EXPECT_EQ(find<QLabel>(u"LblFileLst"_s)->text(), u"(DefaultLst)"_s);
    EXPECT_EQ(find<QLabel>(u"Label5"_s)->text(), u"播放列表"_s);
    EXPECT_EQ(find<QListWidget>(u"ListBox1"_s)->count(), 0);
    EXPECT_EQ(find<QTreeWidget>(u"ListView1"_s)->topLevelItemCount(), 0);
    EXPECT_FALSE(m_form->Timer2->isActive());
    EXPECT_EQ(m_form->Timer2->interval(), 333);
    EXPECT_TRUE(m_prompts.shown().isEmpty());

    // Label6 stays at the right end of the transport row when the window is resized.
    auto* panel5 = find<QWidget>(u"Panel5"_s);
    m_form->resize(1400, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(find<QLabel>(u"Label6"_s)->geometry().right(), panel5->width() - 1);
    // On a narrow row it gives way to the position label instead of covering it.
    m_form->resize(600, 600);
    QCoreApplication::processEvents();
    EXPECT_GT(find<QLabel>(u"Label6"_s)->x(), find<QLabel>(u"Label7"_s)->geometry().right());
}

TEST_F(TForm1Test, EveryDesignedControlExistsByName)
{
    const QStringList names = { u"Panel7"_s, u"PageControl2"_s, u"TabSheet3"_s, u"TreeView1"_s,
        u"Splitter1"_s, u"Panel3"_s, u"Panel6"_s, u"Label5"_s, u"LblFileLst"_s, u"Panel8"_s,
        u"ToolBar1"_s, u"ToolButton1"_s, u"ToolButton3"_s, u"ListBox1"_s, u"Splitter2"_s,
        u"Panel1"_s, u"ListView1"_s, u"Splitter3"_s, u"Panel4"_s, u"PageControl1"_s, u"TabSheet1"_s,
        u"RichTextEdit3"_s, u"TabSheet2"_s, u"RichTextEdit4"_s, u"Panel2"_s, u"Panel5"_s,
        u"Label6"_s, u"Label7"_s, u"Panel9"_s, u"StatusBar1"_s };
    for (const QString& name : names)
        find<QWidget>(name);

    EXPECT_EQ(find<QWidget>(u"Panel2"_s)->height(), 50);
    EXPECT_EQ(find<QWidget>(u"Panel5"_s)->height(), 21);
    EXPECT_EQ(find<QWidget>(u"Panel9"_s)->height(), 27);
    EXPECT_EQ(find<QWidget>(u"Panel6"_s)->height(), 88);
    EXPECT_EQ(find<QWidget>(u"StatusBar1"_s)->height(), 19);
    EXPECT_EQ(find<QTreeWidget>(u"TreeView1"_s)->indentation(), 19);

    auto* tabs = find<QTabWidget>(u"PageControl1"_s);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), u"英文"_s);
    EXPECT_EQ(tabs->tabText(1), u"中文"_s);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(find<QTabWidget>(u"PageControl2"_s)->tabText(0), u"文件夹"_s);

    auto* fileList = find<QTreeWidget>(u"ListView1"_s);
    ASSERT_EQ(fileList->columnCount(), 4);
    const QStringList headers = { u"音频文件名称"_s, u"文件大小(KB)"_s, u"文件路径"_s, u"备注"_s };
    const int widths[] = { 150, 80, 200, 50 };
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(fileList->headerItem()->text(c), headers[c]);
        EXPECT_EQ(fileList->header()->sectionSize(c), widths[c]);
    }
    EXPECT_EQ(fileList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(fileList->selectionBehavior(), QAbstractItemView::SelectRows);

    ASSERT_EQ(m_form->imglist.size(), 8);
    for (const QIcon& icon : m_form->imglist)
        EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

TEST_F(TForm1Test, TransportButtonsSitWhereDesignedWithTheirHintsAsAccessibleNames)
{
    struct Button {
        const char16_t* name;
        int left, width, height;
        const char16_t* hint;
    };
    const Button buttons[] = {
        { u"SpeedButton1", 0, 23, 22, u"播放/暂停" },
        { u"SpeedButton2", 24, 23, 22, u"停止" },
        { u"SpeedButton5", 56, 23, 22, u"左移" },
        { u"SpeedButton6", 79, 23, 22, u"起始点" },
        { u"SpeedButton7", 102, 23, 22, u"右移" },
        { u"SpeedButton8", 136, 23, 22, u"左移" },
        { u"SpeedButton9", 159, 23, 22, u"截止点" },
        { u"SpeedButton10", 184, 21, 22, u"右移" },
        { u"SpeedButton11", 222, 23, 23, u"取消复读 " },
    };
    for (const Button& b : buttons) {
        const QString name = QString::fromUtf16(b.name);
        auto* button = find<QToolButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), QRect(b.left, 0, b.width, b.height)) << name.toStdString();
        EXPECT_EQ(button->toolTip(), QString::fromUtf16(b.hint));
        EXPECT_TRUE(button->autoRaise());
        EXPECT_FALSE(button->icon().isNull());

        QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(a11y, nullptr);
        EXPECT_EQ(a11y->text(QAccessible::Name), QString::fromUtf16(b.hint));
        EXPECT_EQ(a11y->role(), QAccessible::Button);
    }
    EXPECT_EQ(find<QToolButton>(u"ToolButton1"_s)->toolTip(), u"打开播放列表"_s);
    EXPECT_EQ(find<QToolButton>(u"ToolButton3"_s)->toolTip(), u"维护播放文件"_s);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(find<QToolButton>(u"ToolButton3"_s))
                  ->text(QAccessible::Name),
        u"维护播放文件"_s);
}

TEST_F(TForm1Test, ListsTreeAndLabelsAreReachableWithTheirRoles)
{
    const std::pair<const char16_t*, QAccessible::Role> controls[] = {
        { u"TreeView1", QAccessible::Tree },
        { u"ListBox1", QAccessible::List },
        { u"Label6", QAccessible::StaticText },
        { u"Label7", QAccessible::StaticText },
        { u"LblFileLst", QAccessible::StaticText },
    };
    for (const auto& [name, role] : controls) {
        QAccessibleInterface* a11y
            = QAccessible::queryAccessibleInterface(find<QWidget>(QString::fromUtf16(name)));
        ASSERT_NE(a11y, nullptr);
        EXPECT_EQ(a11y->role(), role) << QString::fromUtf16(name).toStdString();
    }
    QAccessibleInterface* label = QAccessible::queryAccessibleInterface(m_form->Label7);
    EXPECT_EQ(label->text(QAccessible::Name), u"位置：0:0:0/0:0:0"_s);
}

TEST_F(TForm1Test, MenusHoldEveryItem)
{
    const auto captions = [](QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions())
            texts.append(action->isSeparator() ? u"-"_s : action->text());
        return texts;
    };
    EXPECT_EQ(captions(m_form->menuFile), QStringList({ u"保存(&S)"_s, u"退出(&X)"_s }));
    EXPECT_EQ(captions(m_form->menuHelp), QStringList({ u"帮助(&P)"_s }));
    EXPECT_EQ(m_form->menuFile->title(), u"文件(&F)"_s);
    EXPECT_EQ(m_form->menuHelp->title(), u"帮助(&H)"_s);
    EXPECT_EQ(captions(m_form->PopupMenu1),
        QStringList(
            { u"添加文件夹"_s, u"删除文件夹"_s, u"更名文件夹"_s, u"-"_s, u"添加音频文件集"_s,
                u"删除音频文件集"_s, u"更名音频文件集"_s, u"-"_s, u"添加音频文件"_s }));
    EXPECT_EQ(captions(m_form->PopupMenu2),
        QStringList({ u"立即播放 "_s, u"添加到播放列表"_s, u"移除文件"_s }));
    // The panes' menus: the annotations, then the styles.
    const QStringList paneMenu { u"设置注释"_s, u"取消注释"_s, u"-"_s, u"标题"_s, u"关键词"_s,
        u"正文"_s };
    EXPECT_EQ(captions(m_form->PopupMenu5), paneMenu);
    EXPECT_EQ(captions(m_form->PopupMenu6), paneMenu);
    EXPECT_EQ(m_form->findChild<QAction*>(u"N11"_s), m_form->N11);
}

TEST_F(TForm1Test, DirectoriesAreBesideTheProgramAndCreatedWhenMissing)
{
    const QString dir = QDir::toNativeSeparators(m_programDir.path()) + QDir::separator();
    EXPECT_EQ(m_form->ProgramDir(), dir);
    EXPECT_EQ(m_form->LibraryDir(), dir + u"mpl"_s + QDir::separator());
    EXPECT_TRUE(QFileInfo(m_form->LibraryDir()).isDir());
    EXPECT_TRUE(QFileInfo(m_form->TranscriptDir()).isDir());
}

class Failing : public QObject {
public:
    void fail() { throw EcolvarError(u"I/O error 32"_s); }
};

TEST_F(TForm1Test, AnErrorInAHandlerIsReportedAndTheWindowGoesOn)
{
    test::ErrorRecorder recorder;
    Failing failing;
    connectHandler(m_form->SpeedButton11, &QToolButton::clicked, &failing, &Failing::fail);

    QTest::mouseClick(m_form->SpeedButton11, Qt::LeftButton);
    QTest::mouseClick(m_form->SpeedButton11, Qt::LeftButton);

    EXPECT_EQ(recorder.errors(), QStringList({ u"I/O error 32"_s, u"I/O error 32"_s }));
    EXPECT_TRUE(m_form->isVisible());
    m_form->PageControl1->setCurrentIndex(1);
    EXPECT_EQ(m_form->PageControl1->currentIndex(), 1);
}

TEST_F(TForm1Test, ClosingEmptiesTheSelectedFiles)
{
    m_form->SelectedFiles = { u"/a.mp3"_s };
    EXPECT_TRUE(m_form->close());
    EXPECT_TRUE(m_form->SelectedFiles.isEmpty());
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

// --- The player in the window -------------------------------------------------------------------

class TForm1PlayerTest : public TForm1Test {
protected:
    // An audio file of the given length in the program directory, listed in the file list as the
    // library lists it.
    QTreeWidgetItem* listFile(const QString& name, int lengthMs)
    {
        const QString dir = m_form->ProgramDir() + u"audio"_s + QDir::separator();
        test::writeFile(dir + name, {});
        m_devices.addFile(dir + name, lengthMs);
        return new QTreeWidgetItem(m_form->ListView1, { name, u"1"_s, dir, QString() });
    }

    // Lets ms of playback pass on the fake clock, with the ticks that the timer would run.
    void play(int ms)
    {
        for (int elapsed = 0; elapsed < ms && m_form->Timer2->isActive(); elapsed += 333) {
            m_devices.player->advance(333);
            m_form->Player->PlayTick();
        }
    }
};

TEST_F(TForm1PlayerTest, TheTrackBarFillsPanel9AndPlayNeedsAnOpenDocument)
{
    ASSERT_NE(m_form->TrackBar, nullptr);
    EXPECT_EQ(m_form->TrackBar->parentWidget(), m_form->Panel9);
    EXPECT_EQ(m_form->TrackBar->width(), m_form->Panel9->width());
    EXPECT_EQ(m_form->TrackBar->height(), 27);
    EXPECT_EQ(m_form->TrackBar->maximum(), 10);
    EXPECT_TRUE(m_form->Mp3Player->DocName().isEmpty());

    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);
    QTest::mouseClick(m_form->SpeedButton9, Qt::LeftButton);
    EXPECT_EQ(m_prompts.texts(test::ScriptedPrompts::Kind::Information),
        QStringList({ u"没有打开任何文件，无法播放"_s, u"没有打开任何文件，无法执行此操作"_s }));
    m_prompts.clear();

    // Stop with no file open: the device's error reaches the error report.
    test::ErrorRecorder recorder;
    QTest::mouseClick(m_form->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(recorder.errors(), QStringList({ u"No MCI device open"_s }));
}

TEST_F(TForm1PlayerTest, DoubleClickingAFilePlaysItFromTheButtons)
{
    QTreeWidgetItem* row = listFile(u"lesson.one.wav"_s, 1'500);
    const QRect rect = m_form->ListView1->visualItemRect(row);
    QTest::mouseClick(m_form->ListView1->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(m_form->ListView1->viewport(), Qt::LeftButton, {}, rect.center());

    EXPECT_EQ(m_form->Mp3Player->DocName(), u"lesson"_s);
    EXPECT_EQ(m_form->LblFileLst->text(), u"lesson"_s);
    EXPECT_EQ(m_form->Label7->text(), u"位置：0:0:0/0:0:1"_s);
    EXPECT_EQ(m_form->TrackBar->maximum(), 1);
    EXPECT_EQ(m_form->ListBox1->count(), 0);

    QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);
    EXPECT_TRUE(m_form->Timer2->isActive());
    // The tick follows the device to the end of the file and keeps running there.
    play(2'000);
    EXPECT_EQ(m_form->Label7->text(), u"位置：0:0:1/0:0:1"_s);
    EXPECT_TRUE(m_form->Timer2->isActive());
    EXPECT_EQ(m_form->TrackBar->value(), 1);
    QTest::mouseClick(m_form->SpeedButton2, Qt::LeftButton);
    EXPECT_FALSE(m_form->Timer2->isActive());
    EXPECT_EQ(m_form->TrackBar->value(), 0);

    // 立即播放 from the menu reloads the selected row, and the player announces the document.
    QStringList opened;
    QObject::connect(m_form->Mp3Player.get(), &TMp3Player::documentOpened,
        [&](const QString& name) { opened.append(name); });
    m_form->N14->trigger();
    EXPECT_EQ(opened, QStringList({ u"lesson"_s }));
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TForm1PlayerTest, ALoadedListShowsItsPiecesAndTheSidePanelPlaysAFile)
{
    m_form->resize(1200, 700);
    QCoreApplication::processEvents();
    QStringList files;
    for (const char16_t* name : { u"a.wav", u"b.wav", u"c.wav" }) {
        QTreeWidgetItem* row = listFile(QString::fromUtf16(name), 2'000);
        files.append(row->text(2) + row->text(0));
    }
    m_form->Mp3Player->EnterListMode();
    m_form->Mp3Player->OpenList(u"tones"_s, files, true);
    ASSERT_EQ(m_form->ListBox1->count(), 3);
    EXPECT_EQ(m_form->Mp3Player->TotalLength(), 6'000);

    // A repeat segment over the middle file.
    TSegmentTrackBar* bar = m_form->TrackBar;
    const int width = bar->width();
    // As the learner moves the thumb.
    const auto moveThumb = [bar](int x) {
        bar->setSliderPosition(x);
        bar->triggerAction(QAbstractSlider::SliderMove);
    };
    moveThumb(width / 3 + 5);
    QTest::mouseClick(m_form->SpeedButton6, Qt::LeftButton);
    moveThumb(2 * width / 3 - 5);
    QTest::mouseClick(m_form->SpeedButton9, Qt::LeftButton);
    m_form->Timer2->stop();
    EXPECT_NE(m_form->Label6->text(), u"起始点：0:0:0  结束点：0:0:0"_s);

    // The strip is painted under the channel in both colours.
    const QImage image = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect channel = bar->channelRect();
    const int y = channel.y() + channel.height() + 4;
    QSet<QRgb> colours;
    for (int x = channel.left(); x <= channel.right(); ++x)
        colours.insert(image.pixel(x, y));
    EXPECT_TRUE(colours.contains(TSegmentTrackBar::pieceColors[0].rgb()));
    EXPECT_TRUE(colours.contains(TSegmentTrackBar::pieceColors[1].rgb()));
    if (const QByteArray shot = qgetenv("ECOLVAR_SCREENSHOT"); !shot.isEmpty())
        m_form->grab().save(QString::fromLocal8Bit(shot));

    // Double-clicking the third line plays the third file from its beginning.
    QTest::mouseClick(m_form->SpeedButton11, Qt::LeftButton);
    const QRect third = m_form->ListBox1->visualItemRect(m_form->ListBox1->item(2));
    QTest::mouseClick(m_form->ListBox1->viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseDClick(m_form->ListBox1->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_TRUE(m_form->Timer2->isActive());
    EXPECT_EQ(m_form->MediaPlayer1->FileName(), files[2]);
    EXPECT_EQ(m_form->Mp3Player->CurFileIndex(), 2);
    QTest::mouseClick(m_form->SpeedButton2, Qt::LeftButton);
}

// --- The transcript panes in the window ---------------------------------------------------------

class TForm1PanesTest : public TForm1PlayerTest {
protected:
    // 立即播放 by a double click on the row.
    void open(QTreeWidgetItem* row)
    {
        const QRect rect = m_form->ListView1->visualItemRect(row);
        QTest::mouseClick(m_form->ListView1->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(m_form->ListView1->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Text as an input method commits it (how Chinese arrives), at the end of the pane.
    static void commit(TRichTextEdit* pane, const QString& text)
    {
        pane->moveCursor(QTextCursor::End);
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(pane, &event);
    }
    QString transcript(const QString& name) const { return m_form->TranscriptDir() + name; }
    // The text of a saved transcript file.
    QString savedText(const QString& name) const
    {
        RVDocument doc;
        TRVStyle style = englishPaneStyle();
        EXPECT_TRUE(LoadDocumentFile(transcript(name), doc, style));
        QString text;
        for (const RVItem& item : doc.Items)
            text += item.Text;
        return text;
    }

    const QString englishQuestion = u"英文文件尚未保存，是否保存？"_s;
};

TEST_F(TForm1PanesTest, FilesSharingANameUpToTheFirstDotShareTheirTranscripts)
{
    QTreeWidgetItem* one = listFile(u"lesson.1.mp3"_s, 1'000);
    QTreeWidgetItem* two = listFile(u"lesson.2.mp3"_s, 1'000);
    open(one);
    commit(m_form->RichTextEdit3, u"Good morning."_s);
    commit(m_form->RichTextEdit4, u"早上好。"_s);

    // 保存(&S) writes the pane of the visible tab only.
    m_form->PageControl1->setCurrentIndex(1);
    m_form->N15->trigger();
    EXPECT_EQ(savedText(u"lesson.chn"_s), u"早上好。"_s);
    EXPECT_FALSE(QFileInfo::exists(transcript(u"lesson.eng"_s)));
    EXPECT_TRUE(m_form->RichTextEdit3->Modified());
    m_form->PageControl1->setCurrentIndex(0);
    m_form->N15->trigger();
    EXPECT_FALSE(m_form->RichTextEdit3->Modified());

    // Nothing is unsaved, so the second file's document replaces the panes without a question.
    open(two);
    EXPECT_EQ(m_form->RichTextEdit3->toPlainText(), u"Good morning."_s);
    EXPECT_EQ(m_form->RichTextEdit4->toPlainText(), u"早上好。"_s);
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TForm1PanesTest, UnsavedEditsAreOfferedBeforeAnotherDocumentAndBeforeClosing)
{
    open(listFile(u"lesson.1.mp3"_s, 1'000));
    commit(m_form->RichTextEdit3, u"Draft"_s);
    m_prompts.answerConfirm(false);
    open(listFile(u"other.mp3"_s, 1'000));
    EXPECT_EQ(
        m_prompts.texts(test::ScriptedPrompts::Kind::Confirm), QStringList { englishQuestion });
    EXPECT_TRUE(m_form->RichTextEdit3->toPlainText().isEmpty());
    m_prompts.clear();

    // A save on the way out that fails keeps the window open, with the edits.
    commit(m_form->RichTextEdit3, u"Kept"_s);
    ASSERT_TRUE(QDir(m_form->TranscriptDir()).removeRecursively());
    m_prompts.answerConfirm(true);
    EXPECT_FALSE(m_form->close());
    EXPECT_EQ(m_prompts.texts(test::ScriptedPrompts::Kind::Error).size(), 1);
    QDir().mkpath(m_form->TranscriptDir());
    m_prompts.answerConfirm(true);
    EXPECT_TRUE(m_form->close());
    EXPECT_EQ(savedText(u"other.eng"_s), u"Kept"_s);
}

TEST_F(TForm1PanesTest, PanesShowHeadingsKeywordsAndNotesOnTheirColours)
{
    RVDocument english;
    english.Items
        = { RVItem::text(u"Lesson 1: At the Station"_s, 1, 1), RVItem::text(u"The "_s, 0, 0),
              RVItem::text(u"platform"_s, 3, -1), RVItem::text(u" is crowded, so we "_s, 0, -1),
              RVItem::text(u"hurry up"_s, 4, -1, u"赶快；快点"_s),
              RVItem::text(u" to catch the train."_s, 0, -1) };
    RVDocument chinese;
    chinese.Items = { RVItem::text(u"第一课：在车站"_s, 1, 1), RVItem::text(u"站台"_s, 3, 0),
        RVItem::text(u"上很挤，所以我们"_s, 0, -1), RVItem::text(u"赶快"_s, 4, -1, u"hurry up"_s),
        RVItem::text(u"去赶火车。"_s, 0, -1) };
    ASSERT_TRUE(SaveDocumentFile(transcript(u"lesson.eng"_s), english, englishPaneStyle()));
    ASSERT_TRUE(SaveDocumentFile(transcript(u"lesson.chn"_s), chinese, chinesePaneStyle()));

    m_form->resize(1000, 640);
    open(listFile(u"lesson.1.mp3"_s, 1'000));
    EXPECT_EQ(m_form->RichTextEdit3->richDocument().contents(), english);
    EXPECT_EQ(m_form->RichTextEdit4->richDocument().contents(), chinese);
    EXPECT_FALSE(m_form->RichTextEdit3->Modified());
    EXPECT_EQ(m_form->RichTextEdit3->palette().color(QPalette::Base), QColor(216, 248, 254));
    EXPECT_EQ(m_form->RichTextEdit4->palette().color(QPalette::Base), QColor(216, 216, 254));

    if (const QByteArray dir = qgetenv("ECOLVAR_SCREENSHOT_PANES"); !dir.isEmpty()) {
        for (const int tab : { 0, 1 }) {
            m_form->PageControl1->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            m_form->grab().save(
                QString::fromLocal8Bit(dir) + (tab == 0 ? u"/english.png"_s : u"/chinese.png"_s));
        }
    }
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

} // namespace
} // namespace ecolvar
