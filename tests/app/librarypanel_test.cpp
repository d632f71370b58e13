#include "app/tform1.h"
#include "fakedevices.h"
#include "library/librarypanel.h"
#include "library/tselectfilefrm.h"

#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ecolvar::test {
namespace {

using Kind = ScriptedPrompts::Kind;

// The main window over a program directory whose library holds English/Book/Lesson1.mpl
// (two existing files) and Empty.mpl.
class LibraryPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(audio(u"one.mp3"_s), QByteArray(2048, 'x'));
        writeFile(audio(u"two.wav"_s), QByteArray(100, 'x'));
        writeFile(lib() + u"English/Book/Lesson1.mpl"_s,
            (audio(u"one.mp3"_s) + u"\r\n\r\n"_s + audio(u"two.wav"_s) + u"\r\n"_s).toUtf8());
        writeFile(lib() + u"Empty.mpl"_s, {});
        form = std::make_unique<TForm1>(prompts, m_programDir.path(), devices.factory());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override { QDir::setCurrent(m_savedDir); }

    test::FakeDevices devices;

    QString lib() const { return m_programDir.filePath(u"mpl/"_s); }
    QString audio(const QString& name) const { return m_audio.filePath(name); }
    QString audioDir() const { return m_audio.path() + QDir::separator(); }

    // The tree item at a path of captions below the root ("" is the root).
    QTreeWidgetItem* item(const QString& captions) const
    {
        QTreeWidgetItem* at = form->TreeView1->topLevelItem(0);
        for (const QString& caption : captions.split(u'/', Qt::SkipEmptyParts)) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; at && i < at->childCount(); ++i) {
                if (at->child(i)->text(0) == caption)
                    next = at->child(i);
            }
            at = next;
        }
        EXPECT_NE(at, nullptr) << captions.toStdString();
        return at;
    }
    void click(const QString& captions) const
    {
        QTreeWidget* tree = form->TreeView1;
        QTest::mouseClick(
            tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item(captions)).center());
    }
    // The file list's rows as "name|size|dir|remark".
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < form->ListView1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = form->ListView1->topLevelItem(i);
            texts.append(
                QStringList({ row->text(0), row->text(1), row->text(2), row->text(3) }).join(u'|'));
        }
        return texts;
    }
    // Opens the tree's context menu over the selection, as a right click on empty space does.
    void openTreeMenu() const
    {
        form->PopupMenu1->popup(form->TreeView1->mapToGlobal(QPoint(5, 5)));
        form->PopupMenu1->hide();
    }
    QList<bool> treeMenuStates() const
    {
        QList<bool> states;
        for (QAction* action :
            { form->N2, form->N4, form->N5, form->N3, form->N7, form->N8, form->t1 })
            states.append(action->isEnabled());
        return states;
    }

    const QString m_savedDir = QDir::currentPath();
    QTemporaryDir m_programDir;
    QTemporaryDir m_audio;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> form;
};

TEST_F(LibraryPanelTest, StartsWithTheWholeLibraryExpandedAndNothingSelected)
{
    QTreeWidget* tree = form->TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(item(u""_s)->text(0), u"Ecolvar"_s);
    EXPECT_EQ(item(u""_s)->childCount(), 2);
    for (const QString& captions : { u""_s, u"English"_s, u"English/Book"_s })
        EXPECT_TRUE(item(captions)->isExpanded()) << captions.toStdString();
    EXPECT_FALSE(item(u"English/Book/Lesson1.mpl"_s)->icon(0).isNull());
    EXPECT_TRUE(tree->selectedItems().isEmpty());
    EXPECT_EQ(form->ListView1->topLevelItemCount(), 0);
}

TEST_F(LibraryPanelTest, ClickingASetListsItsFilesAndClickingAFolderEmptiesTheList)
{
    click(u"English/Book/Lesson1.mpl"_s);
    EXPECT_EQ(rows(),
        QStringList({ u"one.mp3|2|%1|"_s.arg(audioDir()), u"two.wav|0|%1|"_s.arg(audioDir()) }));

    // Moving with the keyboard selects without listing.
    form->TreeView1->setFocus();
    QTest::keyClick(form->TreeView1, Qt::Key_Down);
    EXPECT_EQ(form->TreeView1->selectedItems().value(0), item(u"Empty.mpl"_s));
    EXPECT_EQ(rows().size(), 2);

    click(u"English"_s);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(LibraryPanelTest, TheTreeMenuEnablesTheItemsOfTheSelectedNode)
{
    const QList<bool> all(7, true);
    const QList<bool> setItems = { false, false, false, false, true, true, true };
    const QList<bool> folderItems = { true, true, true, true, false, false, false };
    openTreeMenu();
    EXPECT_EQ(treeMenuStates(), all);
    click(u"Empty.mpl"_s);
    openTreeMenu();
    EXPECT_EQ(treeMenuStates(), setItems);
    click(u""_s);
    openTreeMenu();
    EXPECT_EQ(treeMenuStates(), folderItems);
}

TEST_F(LibraryPanelTest, ARightClickSelectsTheNodeItPointsAtWithoutListingIt)
{
    click(u"English/Book/Lesson1.mpl"_s);
    QTreeWidget* tree = form->TreeView1;
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
        tree->visualItemRect(item(u"English/Book"_s)).center());
    EXPECT_EQ(tree->selectedItems().value(0), item(u"English/Book"_s));
    EXPECT_EQ(rows().size(), 2);
    openTreeMenu();
    EXPECT_EQ(treeMenuStates(), QList<bool>({ true, true, true, true, false, false, false }));
}

TEST_F(LibraryPanelTest, TreeCommandsRebuildTheTreeAndErrorsReachTheErrorReport)
{
    ErrorRecorder errors;
    click(u"English"_s);
    prompts.answerInput(u"Book2"_s);
    form->N2->trigger();
    EXPECT_TRUE(QFileInfo(lib() + u"English/Book2"_s).isDir());
    EXPECT_EQ(item(u"English"_s)->childCount(), 2);
    EXPECT_TRUE(form->TreeView1->selectedItems().isEmpty());

    click(u"English"_s);
    prompts.answerInput(u"Book2"_s);
    form->N2->trigger();
    EXPECT_EQ(errors.errors(), QStringList({ u"I/O error %1"_s.arg(EEXIST) }));
}

TEST_F(LibraryPanelTest, AddedFilesAreListedAndSelectedRowsRemoved)
{
    int dialogs = 0;
    form->Library->setSelectFileDialog([&](QStringList& files) {
        ++dialogs;
        files = { audio(u"two.wav"_s), audio(u"one.mp3"_s) };
    });
    click(u"English/Book/Lesson1.mpl"_s);
    prompts.answerConfirm(true);
    form->t1->trigger();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(prompts.texts(Kind::Confirm),
        QStringList({ u"文件中已存在数据，是追加还是覆盖？(Yes为追加。)"_s }));
    ASSERT_EQ(rows().size(), 4);

    // Rows 1 and 2 hold two.wav twice: removing them takes the two later lines of two.wav,
    // whatever order they were selected in.
    form->ListView1->topLevelItem(2)->setSelected(true);
    form->ListView1->topLevelItem(1)->setSelected(true);
    form->N11->trigger();
    EXPECT_EQ(readFile(lib() + u"English/Book/Lesson1.mpl"_s),
        (audio(u"one.mp3"_s) + u"\r\n\r\n"_s + audio(u"one.mp3"_s) + u"\r\n"_s).toUtf8());
    EXPECT_EQ(rows(),
        QStringList({ u"one.mp3|2|%1|"_s.arg(audioDir()), u"one.mp3|2|%1|"_s.arg(audioDir()) }));
}

TEST_F(LibraryPanelTest, AddingThroughTheSelectFileDialog)
{
    QDir::setCurrent(m_audio.path());
    click(u"Empty.mpl"_s);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TSelectFileFrm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->FileListBox1->item(1)->setSelected(true);
        dialog->Button1->click();
    });
    form->t1->trigger();
    EXPECT_EQ(rows(), QStringList({ u"two.wav|0|%1|"_s.arg(audioDir()) }));
    EXPECT_EQ(form->SelectedFiles, QStringList({ audio(u"two.wav"_s) }));
}

} // namespace
} // namespace ecolvar::test
