#include "practice/practicestore.h"

#include "core/ecolvarerror.h"
#include "playlists/playlistdatabase.h"

#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

TEST(PracticeStore, ResumePointsSurviveARestartPerDocumentName)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"vek.db"_s);
    {
        PlaylistDatabase database(file);
        PracticeStore store(database);
        EXPECT_FALSE(store.resumePoint(u"lesson"_s));
        store.setResumePoint(u"lesson"_s, { 83500, 0.75 });
        store.setResumePoint(u"My List"_s, { 4000000000LL, 1.0 });
        store.setResumePoint(u"lesson"_s, { 91000, 0.8 });
    }
    PlaylistDatabase database(file);
    PracticeStore store(database);
    EXPECT_EQ(store.resumePoint(u"LESSON"_s), (ResumePoint { 91000, 0.8 }));
    EXPECT_EQ(store.resumePoint(u"my list"_s), (ResumePoint { 4000000000LL, 1.0 }));
    EXPECT_FALSE(store.resumePoint(u"lesson2"_s));

    // The playlist tables are left as they were.
    QSqlQuery query(database.connection());
    ASSERT_TRUE(query.exec(u"select count(*) from LstFileTblM"_s));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 0);
}

TEST(PracticeStore, CachedMarksNeedTheSameSizeAndModificationTime)
{
    PlaylistDatabase database(PlaylistDatabase::inMemory());
    PracticeStore store(database);
    const QString path = u"/m/It's \"quoted\"; drop table x.mp3"_s;
    store.storeMarks(path, 1000, 5000, { 60000, { 0, 1500, 42000 } });

    const auto cached = store.cachedMarks(path, 1000, 5000);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->lengthMs, 60000);
    EXPECT_EQ(cached->starts, (QList<int> { 0, 1500, 42000 }));
    EXPECT_FALSE(store.cachedMarks(path, 1001, 5000));
    EXPECT_FALSE(store.cachedMarks(path, 1000, 5001));
    EXPECT_FALSE(store.cachedMarks(u"/m/other.mp3"_s, 1000, 5000));

    store.storeMarks(path, 2000, 6000, { 1000, { 0 } });
    EXPECT_FALSE(store.cachedMarks(path, 1000, 5000));
    EXPECT_EQ(store.cachedMarks(path, 2000, 6000)->starts, (QList<int> { 0 }));
}

TEST(PracticeStore, AClosedDatabaseThrowsOnEveryOperation)
{
    QTemporaryDir dir;
    PlaylistDatabase database(dir.filePath(u"no/such/dir/vek.db"_s));
    ASSERT_FALSE(database.isOpen());
    PracticeStore store(database);
    EXPECT_THROW(store.resumePoint(u"x"_s), EcolvarError);
    EXPECT_THROW(store.setResumePoint(u"x"_s, {}), EcolvarError);
    EXPECT_THROW(store.cachedMarks(u"x"_s, 0, 0), EcolvarError);
}
