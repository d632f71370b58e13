#include "playlists/lengthtable.h"
#include "playlists/playlistdatabase.h"

#include "testutil.h"

#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

TEST(LengthTableTest, RemembersALengthUnderItsStampAndSurvivesAReopen)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"vek.db"_s);
    {
        PlaylistDatabase database(file);
        LengthTable table(database);
        EXPECT_EQ(table.find(u"/a.mp3"_s, 10, 20), std::nullopt);
        table.store(u"/a.mp3"_s, 10, 20, 3'600'000);
        table.store(u"/a.mp3"_s, 11, 21, 5'000); // the file changed: its new stamp replaces it
        EXPECT_EQ(table.find(u"/a.mp3"_s, 10, 20), std::nullopt);
    }
    PlaylistDatabase database(file);
    LengthTable table(database);
    EXPECT_EQ(table.find(u"/a.mp3"_s, 11, 21), 5'000);
    EXPECT_EQ(table.find(u"/a.mp3"_s, 11, 22), std::nullopt);
    EXPECT_EQ(table.find(u"/A.mp3"_s, 11, 21), std::nullopt);
    // The playlist tables are untouched.
    QSqlQuery query(database.connection());
    ASSERT_TRUE(query.exec(u"SELECT COUNT(*) FROM LstFileTbl"_s));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 0);
}

// A table made before seek indexes were kept gets their column and keeps its lengths; an index
// is found under its stamp only.
TEST(LengthTableTest, KeepsSeekIndexesAlsoInATableOfAnEarlierVersion)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"vek.db"_s);
    {
        PlaylistDatabase database(file);
        QSqlQuery query(database.connection());
        ASSERT_TRUE(query.exec(u"CREATE TABLE MediaLengths (FilePath TEXT PRIMARY KEY, "
                               "FileSize INTEGER, ModTime INTEGER, LengthMs INTEGER)"_s));
        ASSERT_TRUE(query.exec(u"INSERT INTO MediaLengths VALUES ('/old.mp3', 1, 2, 3000)"_s));
    }
    PlaylistDatabase database(file);
    LengthTable table(database);
    EXPECT_EQ(table.find(u"/old.mp3"_s, 1, 2), 3'000);
    EXPECT_TRUE(table.findSeekIndex(u"/old.mp3"_s, 1, 2).isEmpty());
    const QByteArray index("\x01\x00index\xff", 8);
    table.store(u"/new.mp3"_s, 5, 6, 7'000, index);
    EXPECT_EQ(table.findSeekIndex(u"/new.mp3"_s, 5, 6), index);
    EXPECT_EQ(table.find(u"/new.mp3"_s, 5, 6), 7'000);
    EXPECT_TRUE(table.findSeekIndex(u"/new.mp3"_s, 5, 7).isEmpty());
}

TEST(LengthTableTest, AnUnusableDatabaseOnlyForgets)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"vek.db"_s);
    test::writeFile(file, QByteArray(4096, '\x5a'));
    PlaylistDatabase database(file);
    ASSERT_FALSE(database.isOpen());
    LengthTable table(database);
    table.store(u"/a.mp3"_s, 1, 1, 1'000);
    EXPECT_EQ(table.find(u"/a.mp3"_s, 1, 1), std::nullopt);
    EXPECT_EQ(test::readFile(file), QByteArray(4096, '\x5a'));
}

} // namespace
} // namespace ecolvar
