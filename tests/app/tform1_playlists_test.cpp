#include "app/tform1.h"
#include "fakedevices.h"
#include "playlists/playlistdatabase.h"
#include "playlists/tmaintainlstfrm.h"
#include "playlists/topenlstfrm.h"

#include "playlisttestdb.h"
#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;

// Runs action on the next modal dialog once it is shown; returns that dialog through seen.
void onNextModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

class TForm1PlaylistsTest : public ::testing::Test {
protected:
    // Builds the window on the test database.
    void start()
    {
        m_form = std::make_unique<TForm1>(
            m_prompts, m_programDir.path(), m_test->file(), m_devices.factory());
    }
    // Chooses the named list in the chooser that the next command shows.
    void chooseOnNextShow(const QString& name)
    {
        onNextModal([name](QWidget* modal) {
            auto* chooser = qobject_cast<TOpenLstFrm*>(modal);
            ASSERT_NE(chooser, nullptr);
            const auto found = chooser->ListView1->findItems(name, Qt::MatchExactly);
            ASSERT_FALSE(found.isEmpty());
            chooser->ListView1->selectRow(found.first()->row());
            QTest::mouseClick(chooser->Button1, Qt::LeftButton);
        });
    }
    void closeNextShow()
    {
        onNextModal([](QWidget* modal) { modal->close(); });
    }

    QTemporaryDir m_programDir;
    std::unique_ptr<test::PlaylistTestDb> m_test = std::make_unique<test::PlaylistTestDb>();
    test::ScriptedPrompts m_prompts;
    test::ErrorRecorder m_errors;
    test::FakeDevices m_devices;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(TForm1PlaylistsTest, StartUpCleansThePlayingListAndShowsItsName)
{
    const QString kept = m_test->dir() + u"/在.mp3"_s;
    test::writeFile(kept, "ID3");
    m_test->addList(u"听力"_s, 1);
    m_test->addEntry(1, u"听力"_s, m_test->dir() + u"/gone.mp3"_s);
    m_test->addEntry(2, u"听力"_s, kept);
    m_test->addEntry(7, u"other"_s, m_test->dir() + u"/gone.mp3"_s);
    start();
    EXPECT_EQ(m_form->LblFileLst->text(), u"听力"_s);
    EXPECT_EQ(m_test->entries(u"听力"_s), QStringList({ u"2 "_s + kept }));
    EXPECT_TRUE(m_test->entries(u"other"_s).isEmpty());
    EXPECT_EQ(m_form->ListBox1->count(), 0);
    EXPECT_TRUE(m_errors.errors().isEmpty());
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TForm1PlaylistsTest, APlayingListWithoutEntriesKeepsTheDefaultCaption)
{
    m_test->addList(u"听力"_s, 1);
    start();
    EXPECT_EQ(m_form->LblFileLst->text(), u"(DefaultLst)"_s);
}

TEST_F(TForm1PlaylistsTest, OpeningAChosenListShowsItsNameAndFiles)
{
    const QString a = m_test->dir() + u"/a.wav"_s;
    test::writeFile(a, {});
    m_test->addList(u"课文"_s);
    m_test->addEntry(1, u"课文"_s, a);
    start();
    m_devices.addFile(a, 300);
    chooseOnNextShow(u"课文"_s);
    QTest::mouseClick(m_form->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(m_form->LblFileLst->text(), u"课文"_s);
    ASSERT_EQ(m_form->ListBox1->count(), 1);
    EXPECT_EQ(m_form->ListBox1->item(0)->text(), a);
    EXPECT_FALSE(m_form->OpenLstFrm->LstSelected);

    // Closing the chooser without choosing changes nothing.
    closeNextShow();
    QTest::mouseClick(m_form->ToolButton1, Qt::LeftButton);
    EXPECT_EQ(m_form->LblFileLst->text(), u"课文"_s);
    EXPECT_EQ(m_form->ListBox1->count(), 1);
    EXPECT_TRUE(m_errors.errors().isEmpty());
}

TEST_F(TForm1PlaylistsTest, AddingTheSelectedFilesOfTheFileList)
{
    m_test->addList(u"课文"_s);
    start();
    for (const QString& name : { u"1.mp3"_s, u"2.mp3"_s, u"3.mp3"_s }) {
        auto* item = new QTreeWidgetItem(
            m_form->ListView1, { name, u"12"_s, m_test->dir() + u"/音频/"_s, QString() });
        item->setSelected(name != u"2.mp3"_s);
    }
    chooseOnNextShow(u"课文"_s);
    m_form->N10->trigger();
    EXPECT_EQ(m_test->entries(u"课文"_s),
        QStringList({ u"1 "_s + m_test->dir() + u"/音频/1.mp3"_s,
            u"2 "_s + m_test->dir() + u"/音频/3.mp3"_s }));
    EXPECT_EQ(m_prompts.texts(Kind::Information), QStringList({ u"添加完毕"_s }));

    // Closing the chooser without choosing adds nothing and says nothing.
    m_prompts.clear();
    closeNextShow();
    m_form->N10->trigger();
    EXPECT_TRUE(m_prompts.shown().isEmpty());
    EXPECT_EQ(m_test->entryCount(), 2);
}

TEST_F(TForm1PlaylistsTest, EveryOpeningOfTheMaintenanceDialogIsAFreshOne)
{
    start();
    ASSERT_NE(m_form->MaintainLstFrm, nullptr);
    EXPECT_FALSE(m_form->MaintainLstFrm->isVisible());
    EXPECT_FALSE(m_form->OpenLstFrm->isVisible());
    QList<QWidget*> seen;
    for (int i = 0; i < 2; ++i) {
        onNextModal([&seen](QWidget* modal) {
            seen.append(modal);
            EXPECT_NE(qobject_cast<TMaintainLstFrm*>(modal), nullptr);
            modal->close();
        });
        QTest::mouseClick(m_form->ToolButton3, Qt::LeftButton);
    }
    ASSERT_EQ(seen.size(), 2);
    EXPECT_NE(seen[0], m_form->MaintainLstFrm);
}

// A vek.db of random bytes: the error once at start-up, the window works, and each playlist
// command shows the error again instead of doing anything.
TEST_F(TForm1PlaylistsTest, ADamagedDatabaseIsReportedOnceAndAgainByEachPlaylistCommand)
{
    const QString file = m_test->file();
    m_test.reset();
    QByteArray bytes(8192, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919 + 13) % 251);
    test::writeFile(file, bytes);

    m_form = std::make_unique<TForm1>(m_prompts, m_programDir.path(), file, m_devices.factory());
    ASSERT_EQ(m_errors.errors().size(), 1);
    const QString error = m_errors.errors().first();
    EXPECT_TRUE(error.contains(u"vek.db"_s)) << error.toStdString();
    EXPECT_EQ(m_form->LblFileLst->text(), u"(DefaultLst)"_s);
    EXPECT_EQ(m_form->Label7->text(), u"位置：0:0:0/0:0:0"_s);
    m_form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));

    QTest::mouseClick(m_form->ToolButton1, Qt::LeftButton);
    m_form->N10->trigger();
    QTest::mouseClick(m_form->ToolButton3, Qt::LeftButton);
    EXPECT_EQ(m_errors.errors(), QStringList(4, error));
    EXPECT_FALSE(m_form->OpenLstFrm->isVisible());
    EXPECT_TRUE(m_prompts.shown().isEmpty());
    EXPECT_EQ(test::readFile(file), bytes);
}

} // namespace
} // namespace ecolvar
