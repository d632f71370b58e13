#include "core/ecolvarerror.h"
#include "playlists/lstquery.h"
#include "playlists/playlistdatabase.h"

#include "playlisttestdb.h"
#include "qtprinters.h"
#include "testutil.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

class LstQueryTest : public ::testing::Test {
protected:
    test::PlaylistTestDb m_test;
    LstQuery m_query { m_test.db(), u"temqry"_s };
};

TEST_F(LstQueryTest, AnEmptyDatabaseHasNoListsAndNumbersFromOne)
{
    EXPECT_TRUE(m_query.allLists().isEmpty());
    EXPECT_EQ(m_query.playingListName(), QString());
    EXPECT_EQ(m_query.highestPosition(u"任何"_s), 0);
    EXPECT_TRUE(m_query.orderedPaths(u"任何"_s).isEmpty());
    EXPECT_EQ(m_query.appendEntry(u"任何"_s, u"a.mp3"_s, u"/m/"_s), 1);
    EXPECT_EQ(m_query.appendEntry(u"其他"_s, u"a.mp3"_s, u"/m/"_s), 1);
    EXPECT_EQ(m_test.entries(u"任何"_s), QStringList({ u"1 /m/a.mp3"_s }));
}

TEST_F(LstQueryTest, GapsStayAndTheNextPositionFollowsTheHighest)
{
    for (const QString& name : { u"a.mp3"_s, u"b.mp3"_s, u"c.mp3"_s })
        m_query.appendEntry(u"L"_s, name, u"/m/"_s);
    m_query.deleteEntry(u"/m/b.mp3"_s, u"L"_s);
    EXPECT_EQ(m_test.entries(u"L"_s), QStringList({ u"1 /m/a.mp3"_s, u"3 /m/c.mp3"_s }));
    EXPECT_EQ(m_query.appendEntry(u"L"_s, u"d.mp3"_s, u"/m/"_s), 4);
    EXPECT_EQ(
        m_query.orderedPaths(u"L"_s), QStringList({ u"/m/a.mp3"_s, u"/m/c.mp3"_s, u"/m/d.mp3"_s }));

    m_query.deleteAllEntries(u"L"_s);
    EXPECT_TRUE(m_query.orderedPaths(u"L"_s).isEmpty());
    EXPECT_EQ(m_query.appendEntry(u"L"_s, u"e.mp3"_s, u"/m/"_s), 1);
}

TEST_F(LstQueryTest, DeletingAListKeepsItsEntriesForTheNextListOfThatName)
{
    m_query.createList(u"课文"_s);
    m_query.appendEntry(u"课文"_s, u"2.mp3"_s, u"/m/"_s);
    m_query.appendEntry(u"课文"_s, u"1.mp3"_s, u"/m/"_s);
    m_query.deleteList(u"课文"_s);
    EXPECT_TRUE(m_query.allLists().isEmpty());
    EXPECT_FALSE(m_query.listNameTaken(u"课文"_s));

    m_query.createList(u"课文"_s);
    EXPECT_EQ(m_query.orderedPaths(u"课文"_s), QStringList({ u"/m/2.mp3"_s, u"/m/1.mp3"_s }));
}

TEST_F(LstQueryTest, OnlyAFlagOfOneMarksThePlayingListAndTheFirstSuchWins)
{
    m_test.addList(u"two"_s, 2);
    m_test.exec(u"insert into LstFileTblM values('null', null)"_s);
    EXPECT_EQ(m_query.playingListName(), QString());
    m_test.addList(u"first"_s, 1);
    m_test.addList(u"second"_s, 1);
    EXPECT_EQ(m_query.playingListName(), u"first"_s);
}

TEST_F(LstQueryTest, AMissingFileLeavesEveryListButOnlyForItsExactPath)
{
    m_test.addEntry(1, u"A"_s, u"/m/x.mp3"_s);
    m_test.addEntry(2, u"A"_s, u"/m/y.mp3"_s);
    m_test.addEntry(5, u"B"_s, u"/m/x.mp3"_s);
    m_test.addEntry(1, u"C"_s, u"/m/X.mp3"_s);
    m_test.addEntry(2, u"C"_s, u"/M/x.mp3"_s);
    m_query.deleteFromAllLists(u"/m/x.mp3"_s);
    EXPECT_EQ(m_test.entries(u"A"_s), QStringList({ u"2 /m/y.mp3"_s }));
    EXPECT_TRUE(m_test.entries(u"B"_s).isEmpty());
    EXPECT_EQ(m_test.entries(u"C"_s).size(), 2);
}

TEST_F(LstQueryTest, NamesIgnoreLetterCaseButFullPathsDoNot)
{
    m_query.createList(u"English Listening"_s);
    EXPECT_TRUE(m_query.listNameTaken(u"english LISTENING"_s));
    EXPECT_FALSE(m_query.listNameTaken(u"English Listening "_s));

    m_query.appendEntry(u"English Listening"_s, u"Unit1.MP3"_s, u"/Audio/"_s);
    EXPECT_TRUE(m_query.fileNameInList(u"unit1.mp3"_s, u"ENGLISH listening"_s));
    EXPECT_FALSE(m_query.fileNameInList(u"unit1.mp3"_s, u"other"_s));
    EXPECT_EQ(m_query.orderedPaths(u"english listening"_s), QStringList({ u"/Audio/Unit1.MP3"_s }));
    EXPECT_EQ(m_query.position(u"/Audio/Unit1.MP3"_s, u"ENGLISH LISTENING"_s), 1);
    EXPECT_EQ(m_query.position(u"/audio/Unit1.MP3"_s, u"English Listening"_s), std::nullopt);

    m_query.deleteEntry(u"/Audio/unit1.mp3"_s, u"English Listening"_s);
    EXPECT_EQ(m_test.entryCount(), 1);
    m_query.deleteEntry(u"/Audio/Unit1.MP3"_s, u"english listening"_s);
    EXPECT_EQ(m_test.entryCount(), 0);
}

TEST_F(LstQueryTest, ChineseNamesAndPathsComeBackUnchanged)
{
    const QString list = u"新概念英语 第二册"_s;
    const QString dir = u"/home/学生/音频 课文/"_s;
    m_query.createList(list);
    m_query.appendEntry(list, u"第1课 – 私人谈话.mp3"_s, dir);
    EXPECT_EQ(m_query.allLists().first().LstFileName, list);
    EXPECT_EQ(m_query.orderedPaths(list), QStringList({ dir + u"第1课 – 私人谈话.mp3"_s }));
    const QList<LstEntry> entries = m_query.entries(list);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].FileName, u"第1课 – 私人谈话.mp3"_s);
    EXPECT_EQ(entries[0].FilePath, dir);
    EXPECT_TRUE(m_query.fileNameInList(u"第1课 – 私人谈话.mp3"_s, list));
}

// Every value is bound: quotes, comment marks and statement separators are plain text and
// never widen what a statement touches.
TEST_F(LstQueryTest, QuotesCommentsAndSeparatorsAreStoredAsTextAndTouchNothingElse)
{
    m_test.addList(u"other"_s);
    m_test.addEntry(1, u"other"_s, u"/m/keep.mp3"_s);
    const QString names[] = { u"it's"_s, u"say \"hi\""_s, u"a -- b"_s,
        u"x'; delete from LstFileTbl; --"_s, u"' or '1'='1"_s };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        m_query.createList(name);
        EXPECT_TRUE(m_query.listNameTaken(name));
        m_query.appendEntry(name, name + u".mp3"_s, u"/m/"_s + name + u"/"_s);
        EXPECT_EQ(m_query.orderedPaths(name),
            QStringList({ u"/m/"_s + name + u"/"_s + name + u".mp3"_s }));
        EXPECT_TRUE(m_query.fileNameInList(name + u".mp3"_s, name));
        m_query.deleteEntry(u"/m/"_s + name + u"/"_s + name + u".mp3"_s, name);
        m_query.deleteFromAllLists(name);
        m_query.deleteAllEntries(name);
        m_query.deleteList(name);
        EXPECT_EQ(m_test.entries(u"other"_s), QStringList({ u"1 /m/keep.mp3"_s }));
        EXPECT_EQ(m_test.lists(), QStringList({ u"other:0"_s }));
    }
}

TEST_F(LstQueryTest, EmptyAndBlankListNamesAreNamesOfTheirOwn)
{
    m_query.appendEntry(QString(), u"none.mp3"_s, u"/m/"_s);
    m_query.appendEntry(u"   "_s, u"blank.mp3"_s, u"/m/"_s);
    m_query.appendEntry(u" x "_s, u"padded.mp3"_s, u"/m/"_s);
    EXPECT_EQ(m_query.orderedPaths(u""_s), QStringList({ u"/m/none.mp3"_s }));
    EXPECT_EQ(m_query.orderedPaths(QString()), QStringList({ u"/m/none.mp3"_s }));
    EXPECT_EQ(m_query.orderedPaths(u"   "_s), QStringList({ u"/m/blank.mp3"_s }));
    EXPECT_TRUE(m_query.orderedPaths(u"x"_s).isEmpty());
    EXPECT_EQ(m_query.appendEntry(u" x "_s, u"second.mp3"_s, u"/m/"_s), 2);
}

TEST_F(LstQueryTest, SwappingExchangesPositionsAndKeepsTheGaps)
{
    m_test.addEntry(1, u"L"_s, u"/m/A.mp3"_s);
    m_test.addEntry(3, u"L"_s, u"/m/B.mp3"_s);
    m_test.addEntry(4, u"L"_s, u"/m/C.mp3"_s);
    m_test.addEntry(3, u"other"_s, u"/m/C.mp3"_s);
    EXPECT_TRUE(m_query.swapPositions(u"l"_s, u"/m/C.mp3"_s, u"/m/B.mp3"_s));
    EXPECT_EQ(
        m_test.entries(u"L"_s), QStringList({ u"1 /m/A.mp3"_s, u"3 /m/C.mp3"_s, u"4 /m/B.mp3"_s }));
    EXPECT_EQ(m_test.entries(u"other"_s), QStringList({ u"3 /m/C.mp3"_s }));

    EXPECT_FALSE(m_query.swapPositions(u"L"_s, u"/m/A.mp3"_s, u"/m/gone.mp3"_s));
    EXPECT_EQ(
        m_test.entries(u"L"_s), QStringList({ u"1 /m/A.mp3"_s, u"3 /m/C.mp3"_s, u"4 /m/B.mp3"_s }));
}

TEST_F(LstQueryTest, ASwapThatFailsHalfwayChangesNothing)
{
    m_test.addEntry(1, u"L"_s, u"/m/A.mp3"_s);
    m_test.addEntry(2, u"L"_s, u"/m/B.mp3"_s);
    // The second update of the swap (B to position 1) is refused.
    m_test.exec(u"create trigger refuse before update on LstFileTbl "
                u"when new.FileName = 'B.mp3' begin select raise(abort, 'disk full'); end"_s);
    try {
        m_query.swapPositions(u"L"_s, u"/m/A.mp3"_s, u"/m/B.mp3"_s);
        ADD_FAILURE() << "the swap did not fail";
    } catch (const EcolvarError& e) {
        EXPECT_TRUE(e.text().contains(u"disk full"_s)) << e.text().toStdString();
    }
    EXPECT_EQ(m_test.entries(u"L"_s), QStringList({ u"1 /m/A.mp3"_s, u"2 /m/B.mp3"_s }));
    // The connection is usable afterwards, outside any transaction.
    m_query.appendEntry(u"L"_s, u"c.mp3"_s, u"/m/"_s);
    EXPECT_EQ(m_test.entryCount(), 3);
}

TEST_F(LstQueryTest, AFailingStatementThrowsTheDatabaseText)
{
    m_test.exec(u"drop table LstFileTblM"_s);
    try {
        m_query.allLists();
        ADD_FAILURE() << "no error";
    } catch (const EcolvarError& e) {
        EXPECT_TRUE(e.text().contains(u"LstFileTblM"_s)) << e.text().toStdString();
    }
}

TEST(PlaylistDatabaseTest, ExistingTablesWithoutCollationsStillCompareNamesIgnoringCase)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"vek.db"_s);
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"raw"_s);
        raw.setDatabaseName(file);
        ASSERT_TRUE(raw.open());
        QSqlQuery q(raw);
        ASSERT_TRUE(q.exec(u"create table LstFileTblM(LstFileName varchar(255), "
                           u"DisplayFlag int, Extra text)"_s));
        ASSERT_TRUE(q.exec(u"create table LstFileTbl(NumberID int, LstFileName varchar(255), "
                           u"FileName varchar(255), FilePath varchar(255), Note text)"_s));
        ASSERT_TRUE(q.exec(u"insert into LstFileTblM values('Playing', 1, 'x')"_s));
        ASSERT_TRUE(q.exec(u"insert into LstFileTbl values(4, 'Playing', 'A.mp3', '/m/', 'n')"_s));
        q.finish();
        raw.close();
    }
    QSqlDatabase::removeDatabase(u"raw"_s);

    PlaylistDatabase db(file);
    ASSERT_TRUE(db.isOpen()) << db.openError().toStdString();
    LstQuery query(db, u"temqry"_s);
    EXPECT_EQ(query.playingListName(), u"Playing"_s);
    EXPECT_TRUE(query.listNameTaken(u"PLAYING"_s));
    EXPECT_TRUE(query.fileNameInList(u"a.MP3"_s, u"playing"_s));
    EXPECT_EQ(query.appendEntry(u"playing"_s, u"b.mp3"_s, u"/m/"_s), 5);
}

TEST(PlaylistDatabaseTest, EachDatabaseHasItsOwnConnectionRemovedWhenDone)
{
    const QStringList before = QSqlDatabase::connectionNames();
    {
        PlaylistDatabase first(PlaylistDatabase::inMemory());
        PlaylistDatabase second(PlaylistDatabase::inMemory());
        EXPECT_EQ(QSqlDatabase::connectionNames().size(), before.size() + 2);
        LstQuery(first, u"a"_s).createList(u"only in first"_s);
        EXPECT_TRUE(LstQuery(second, u"b"_s).allLists().isEmpty());
    }
    EXPECT_EQ(QSqlDatabase::connectionNames(), before);
}

// A file that is no database, or a path that cannot be opened: the database stays closed, says
// why at every statement, and the file is left as it was.
TEST(PlaylistDatabaseTest, AnUnusableFileGivesItsErrorAtEveryStatementAndIsNotTouched)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath(u"vek.db"_s);
    QByteArray bytes(4096, '\0');
    QRandomGenerator generator(1124);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    test::writeFile(damaged, bytes);
    QDir(dir.path()).mkdir(u"folder.db"_s);

    for (const QString& file : { damaged, dir.filePath(u"folder.db"_s) }) {
        SCOPED_TRACE(file.toStdString());
        PlaylistDatabase db(file);
        EXPECT_FALSE(db.isOpen());
        EXPECT_TRUE(db.openError().contains(file)) << db.openError().toStdString();
        LstQuery query(db, u"temqry"_s);
        const std::function<void()> statements[] = {
            [&] { query.allLists(); },
            [&] { query.playingListName(); },
            [&] { query.appendEntry(u"L"_s, u"a.mp3"_s, u"/m/"_s); },
            [&] { query.swapPositions(u"L"_s, u"/a"_s, u"/b"_s); },
        };
        for (const auto& statement : statements) {
            try {
                statement();
                ADD_FAILURE() << "no error";
            } catch (const EcolvarError& e) {
                EXPECT_EQ(e.text(), db.openError());
            }
        }
    }
    EXPECT_EQ(test::readFile(damaged), bytes);
}

// Another program holding the file locked: told so at once, and usable as soon as it lets go,
// whether the lock was there at opening or came later.
TEST(PlaylistDatabaseTest, ALockedFileIsReportedAndUsedOnceTheLockIsGone)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"vek.db"_s);
    {
        PlaylistDatabase create(file);
        ASSERT_TRUE(create.isOpen());
    }
    const QString lockerName = u"other-program"_s;
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(u"QSQLITE"_s, lockerName);
        locker.setDatabaseName(file);
        ASSERT_TRUE(locker.open());
        QSqlQuery lock(locker);
        ASSERT_TRUE(lock.exec(u"begin exclusive"_s));

        PlaylistDatabase db(file);
        EXPECT_FALSE(db.isOpen());
        EXPECT_TRUE(db.openError().endsWith(PlaylistDatabase::lockedText()))
            << db.openError().toStdString();
        LstQuery query(db, u"temqry"_s);
        EXPECT_THROW(query.allLists(), EcolvarError);

        ASSERT_TRUE(lock.exec(u"commit"_s));
        query.createList(u"after"_s);
        EXPECT_TRUE(db.isOpen());

        ASSERT_TRUE(lock.exec(u"begin exclusive"_s));
        try {
            query.createList(u"while locked"_s);
            ADD_FAILURE() << "no error";
        } catch (const EcolvarError& e) {
            EXPECT_EQ(e.text(), PlaylistDatabase::lockedText());
        }
        ASSERT_TRUE(lock.exec(u"rollback"_s));
        query.createList(u"unlocked"_s);
        EXPECT_EQ(query.allLists().size(), 2);
        locker.close();
    }
    QSqlDatabase::removeDatabase(lockerName);
}

} // namespace
} // namespace ecolvar
