#include "playlists/lstquery.h"
#include "playlists/tmaintainlstfrm.h"
#include "playlists/topenlstfrm.h"

#include "playlisttestdb.h"
#include "qtprinters.h"
#include "scriptedprompts.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;

QStringList menuTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->text());
    return texts;
}

// ---- The chooser ----

class ChooserTest : public ::testing::Test {
protected:
    std::unique_ptr<TOpenLstFrm> makeChooser()
    {
        auto chooser = std::make_unique<TOpenLstFrm>(m_temqry, m_prompts);
        chooser->show();
        return chooser;
    }
    // The rows as "state|name".
    static QStringList rows(const TOpenLstFrm& chooser)
    {
        QStringList result;
        for (int r = 0; r < chooser.ListView1->rowCount(); ++r)
            result.append(chooser.ListView1->item(r, 0)->text() + u'|'
                + chooser.ListView1->item(r, 1)->text());
        return result;
    }
    static void selectRow(TOpenLstFrm& chooser, int row)
    {
        const QRect cell = chooser.ListView1->visualItemRect(chooser.ListView1->item(row, 1));
        QTest::mouseClick(chooser.ListView1->viewport(), Qt::LeftButton, {}, cell.center());
    }

    test::PlaylistTestDb m_test;
    test::ScriptedPrompts m_prompts;
    LstQuery m_temqry { m_test.db(), u"temqry"_s };
};

TEST_F(ChooserTest, ShowsItsControlsAndThePlaylistsInStoredOrder)
{
    m_test.addList(u"b 课文"_s);
    m_test.addList(u"a 听力"_s, 1);
    m_test.addList(u"c"_s, 2);
    auto chooser = makeChooser();
    EXPECT_EQ(chooser->windowTitle(), u"OpenLstFrm"_s);
    EXPECT_EQ(chooser->Label1->text(), u"播放列表名称（用鼠标右键操作）"_s);
    EXPECT_EQ(chooser->Button1->text(), u"选择"_s);
    EXPECT_EQ(chooser->ListView1->horizontalHeaderItem(0)->text(), u"播放状态"_s);
    EXPECT_EQ(chooser->ListView1->horizontalHeaderItem(1)->text(), u"列表名称"_s);
    EXPECT_EQ(chooser->ListView1->columnWidth(0), 80);
    EXPECT_EQ(chooser->ListView1->columnWidth(1), 150);
    EXPECT_TRUE(chooser->ListView1->showGrid());
    EXPECT_EQ(menuTexts(chooser->PopupMenu1), QStringList({ u"添加新播放列表名称"_s, u"删除"_s }));
    EXPECT_EQ(rows(*chooser), QStringList({ u"---|b 课文"_s, u"播放|a 听力"_s, u"---|c"_s }));
    EXPECT_EQ(chooser->SelLstName, QString());
    EXPECT_FALSE(chooser->LstSelected);
}

TEST_F(ChooserTest, WithoutASelectionChoosingAndDeletingDoNothing)
{
    m_test.addList(u"a"_s);
    auto chooser = makeChooser();
    QTest::mouseClick(chooser->Button1, Qt::LeftButton);
    chooser->N2->trigger();
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_FALSE(chooser->LstSelected);
    EXPECT_EQ(m_test.lists(), QStringList({ u"a:0"_s }));
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(ChooserTest, ChoosingARowHandsItsNameBackAndClearsTheSelection)
{
    m_test.addList(u"a"_s);
    m_test.addList(u"英语"_s);
    auto chooser = makeChooser();
    selectRow(*chooser, 1);
    QTest::mouseClick(chooser->Button1, Qt::LeftButton);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(chooser->result(), QDialog::Accepted);
    EXPECT_TRUE(chooser->LstSelected);
    EXPECT_EQ(chooser->SelLstName, u"英语"_s);
    EXPECT_TRUE(chooser->ListView1->selectedItems().isEmpty());

    // A double-click chooses too.
    chooser->LstSelected = false;
    chooser->show();
    selectRow(*chooser, 0);
    Q_EMIT chooser->ListView1->cellDoubleClicked(0, 1);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_TRUE(chooser->LstSelected);
    EXPECT_EQ(chooser->SelLstName, u"a"_s);
}

TEST_F(ChooserTest, ClosingWithoutChoosingKeepsTheSelectionAndChoosesNothing)
{
    m_test.addList(u"a"_s);
    auto chooser = makeChooser();
    selectRow(*chooser, 0);
    chooser->reject();
    EXPECT_FALSE(chooser->LstSelected);
    EXPECT_EQ(chooser->SelLstName, QString());
    chooser->show();
    EXPECT_EQ(chooser->ListView1->selectedItems().size(), 2);
}

TEST_F(ChooserTest, CreatingAddsANewListUnlessTheNameIsTakenOrEmpty)
{
    m_test.addList(u"English"_s, 1);
    auto chooser = makeChooser();
    m_prompts.answerInput(u"新列表"_s)
        .answerInput(u"ENGLISH"_s)
        .answerInput(QString())
        .answerInput(u"   "_s);
    chooser->N1->trigger();
    chooser->N1->trigger();
    chooser->N1->trigger();
    chooser->N1->trigger();
    EXPECT_EQ(m_prompts.texts(Kind::Input), QStringList(4, u"请输入播放列表名称:"_s));
    EXPECT_EQ(m_prompts.texts(Kind::Information), QStringList({ u"已有此播放列表名称"_s }));
    EXPECT_EQ(m_test.lists(), QStringList({ u"English:1"_s, u"新列表:0"_s, u"   :0"_s }));
    EXPECT_EQ(rows(*chooser), QStringList({ u"播放|English"_s, u"---|新列表"_s, u"---|   "_s }));
}

TEST_F(ChooserTest, DeletingTheSelectedListKeepsItsEntries)
{
    m_test.addList(u"playing"_s, 1);
    m_test.addList(u"other"_s);
    m_test.addEntry(1, u"playing"_s, u"/m/a.mp3"_s);
    auto chooser = makeChooser();
    selectRow(*chooser, 0);
    chooser->N2->trigger();
    EXPECT_EQ(rows(*chooser), QStringList({ u"---|other"_s }));
    EXPECT_EQ(m_temqry.playingListName(), QString());
    EXPECT_EQ(m_test.entries(u"playing"_s), QStringList({ u"1 /m/a.mp3"_s }));
}

// ---- The maintenance dialog ----

// Hands out the scripted file choices, one list per opening of the file dialog.
class FakeFilePicker : public FilePicker {
public:
    QStringList getOpenFileNames(QWidget*) override
    {
        ++opened;
        return answers.isEmpty() ? QStringList() : answers.takeFirst();
    }
    QList<QStringList> answers;
    int opened = 0;
};

class MaintenanceTest : public ::testing::Test {
protected:
    std::unique_ptr<TMaintainLstFrm> makeDialog()
    {
        auto dialog = std::make_unique<TMaintainLstFrm>(m_test.db(), m_prompts, m_picker);
        dialog->show();
        return dialog;
    }
    static QStringList lines(const TMaintainLstFrm& dialog)
    {
        QStringList result;
        for (int i = 0; i < dialog.ListBox1->count(); ++i)
            result.append(dialog.ListBox1->item(i)->text());
        return result;
    }
    static void clickLine(TMaintainLstFrm& dialog, int row)
    {
        const QRect rect = dialog.ListBox1->visualItemRect(dialog.ListBox1->item(row));
        QTest::mouseClick(dialog.ListBox1->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void addFiles(TMaintainLstFrm& dialog, const QStringList& files)
    {
        m_picker.answers.append(files);
        QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    }

    test::PlaylistTestDb m_test;
    test::ScriptedPrompts m_prompts;
    FakeFilePicker m_picker;
};

TEST_F(MaintenanceTest, OpensOnTheFirstListWithItsEntriesInOrder)
{
    m_test.addList(u"课文"_s);
    m_test.addList(u"other"_s);
    m_test.addEntry(9, u"课文"_s, u"/m/二.mp3"_s);
    m_test.addEntry(4, u"课文"_s, u"/m/一.mp3"_s);
    m_test.addEntry(1, u"other"_s, u"/m/x.mp3"_s);
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), u"MaintainLstFrm"_s);
    EXPECT_EQ(dialog->Label1->text(), u"列表"_s);
    const QStringList captions = { dialog->Button1->text(), dialog->Button2->text(),
        dialog->Button5->text(), dialog->Button3->text(), dialog->Button4->text() };
    EXPECT_EQ(captions, QStringList({ u"添加"_s, u"删除"_s, u"全部删除"_s, u"上移"_s, u"下移"_s }));
    ASSERT_EQ(dialog->ComboBox1->count(), 2);
    EXPECT_EQ(dialog->ComboBox1->itemText(1), u"other"_s);
    EXPECT_EQ(dialog->ComboBox1->currentText(), u"课文"_s);
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/一.mp3"_s, u"/m/二.mp3"_s }));
    EXPECT_EQ(dialog->ListBox1->selectedItems().size(), 0);
    EXPECT_TRUE(dialog->Memo1->toPlainText().isEmpty());

    dialog->ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/x.mp3"_s }));
    clickLine(*dialog, 0);
    EXPECT_EQ(dialog->Memo1->toPlainText(), u"/m/x.mp3"_s);
}

TEST_F(MaintenanceTest, WithoutPlaylistsFilesGoUnderTheEmptyName)
{
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->ComboBox1->count(), 0);
    EXPECT_EQ(dialog->ComboBox1->currentText(), QString());
    addFiles(*dialog, { u"/m/a.mp3"_s });
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/a.mp3"_s }));
    EXPECT_EQ(m_test.entries(u""_s), QStringList({ u"1 /m/a.mp3"_s }));
}

TEST_F(MaintenanceTest, ATypedNameShowsAndKeepsItsOwnEntries)
{
    m_test.addList(u"known"_s);
    m_test.addEntry(1, u"stray"_s, u"/m/old.mp3"_s);
    auto dialog = makeDialog();
    dialog->ComboBox1->setEditText(QString());
    QTest::keyClicks(dialog->ComboBox1->lineEdit(), u"str"_s);
    EXPECT_TRUE(lines(*dialog).isEmpty());
    QTest::keyClicks(dialog->ComboBox1->lineEdit(), u"ay"_s);
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/old.mp3"_s }));

    dialog->ComboBox1->setEditText(u"未知"_s);
    EXPECT_TRUE(lines(*dialog).isEmpty());
    addFiles(*dialog, { u"/m/新.mp3"_s });
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/新.mp3"_s }));
    EXPECT_EQ(m_test.entries(u"未知"_s), QStringList({ u"1 /m/新.mp3"_s }));
    EXPECT_EQ(m_test.lists(), QStringList({ u"known:0"_s }));
}

TEST_F(MaintenanceTest, AddingRefusesAListedPathWhateverItsLetterCase)
{
    m_test.addList(u"L"_s);
    m_test.addEntry(1, u"L"_s, u"/m/a.mp3"_s);
    auto dialog = makeDialog();
    // The same name from another directory is a different file; a path chosen twice in one
    // run is refused the second time.
    addFiles(
        *dialog, { u"/m/A.MP3"_s, u"/other/a.mp3"_s, u"/m/b.mp3"_s, u"/M/B.mp3"_s, u"/m/c.mp3"_s });
    EXPECT_EQ(m_prompts.texts(Kind::Information), QStringList(2, u"已存在此文件"_s));
    EXPECT_EQ(m_test.entries(u"L"_s),
        QStringList({ u"1 /m/a.mp3"_s, u"2 /other/a.mp3"_s, u"3 /m/b.mp3"_s, u"4 /m/c.mp3"_s }));

    // Cancelling the file dialog adds nothing.
    m_prompts.clear();
    addFiles(*dialog, {});
    EXPECT_EQ(m_test.entryCount(), 4);
    EXPECT_EQ(m_picker.opened, 2);
}

TEST_F(MaintenanceTest, MovingSwapsPositionsAcrossGapsAndFollowsTheEntry)
{
    m_test.addList(u"L"_s);
    m_test.addEntry(1, u"L"_s, u"/m/A.mp3"_s);
    m_test.addEntry(3, u"L"_s, u"/m/B.mp3"_s);
    m_test.addEntry(4, u"L"_s, u"/m/C.mp3"_s);
    auto dialog = makeDialog();

    clickLine(*dialog, 2);
    QTest::mouseClick(dialog->Button3, Qt::LeftButton);
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/A.mp3"_s, u"/m/C.mp3"_s, u"/m/B.mp3"_s }));
    EXPECT_EQ(dialog->ListBox1->currentRow(), 1);
    EXPECT_EQ(
        m_test.entries(u"L"_s), QStringList({ u"1 /m/A.mp3"_s, u"3 /m/C.mp3"_s, u"4 /m/B.mp3"_s }));

    QTest::mouseClick(dialog->Button4, Qt::LeftButton);
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/A.mp3"_s, u"/m/B.mp3"_s, u"/m/C.mp3"_s }));
    EXPECT_EQ(dialog->ListBox1->currentRow(), 2);

    // Down on the last line and up on the first do nothing.
    QTest::mouseClick(dialog->Button4, Qt::LeftButton);
    clickLine(*dialog, 0);
    QTest::mouseClick(dialog->Button3, Qt::LeftButton);
    EXPECT_EQ(
        m_test.entries(u"L"_s), QStringList({ u"1 /m/A.mp3"_s, u"3 /m/B.mp3"_s, u"4 /m/C.mp3"_s }));
    EXPECT_EQ(dialog->ListBox1->currentRow(), 0);
}

TEST_F(MaintenanceTest, WithoutASelectedLineDeleteAndMovesDoNothing)
{
    m_test.addList(u"L"_s);
    m_test.addEntry(1, u"L"_s, u"/m/A.mp3"_s);
    m_test.addEntry(2, u"L"_s, u"/m/B.mp3"_s);
    auto dialog = makeDialog();
    for (QPushButton* button : { dialog->Button2, dialog->Button3, dialog->Button4 })
        QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(m_test.entries(u"L"_s), QStringList({ u"1 /m/A.mp3"_s, u"2 /m/B.mp3"_s }));
}

TEST_F(MaintenanceTest, DeletingOneOrAllEntriesKeepsTheListAndNumbersAfresh)
{
    m_test.addList(u"L"_s);
    m_test.addEntry(1, u"L"_s, u"/m/A.mp3"_s);
    m_test.addEntry(2, u"L"_s, u"/m/B.mp3"_s);
    m_test.addEntry(3, u"L"_s, u"/m/C.mp3"_s);
    m_test.addEntry(1, u"other"_s, u"/m/B.mp3"_s);
    auto dialog = makeDialog();
    clickLine(*dialog, 1);
    QTest::mouseClick(dialog->Button2, Qt::LeftButton);
    EXPECT_EQ(lines(*dialog), QStringList({ u"/m/A.mp3"_s, u"/m/C.mp3"_s }));
    EXPECT_EQ(m_test.entries(u"other"_s).size(), 1);

    QTest::mouseClick(dialog->Button5, Qt::LeftButton);
    EXPECT_TRUE(lines(*dialog).isEmpty());
    EXPECT_EQ(m_test.lists(), QStringList({ u"L:0"_s }));
    addFiles(*dialog, { u"/m/D.mp3"_s });
    EXPECT_EQ(m_test.entries(u"L"_s), QStringList({ u"1 /m/D.mp3"_s }));
    EXPECT_EQ(m_test.entries(u"other"_s).size(), 1);
}

} // namespace
} // namespace ecolvar
