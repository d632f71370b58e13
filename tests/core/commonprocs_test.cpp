#include "core/commonprocs.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

TEST(MsToTimeText, TruncatesSecondsAndPadsNothing)
{
    const std::pair<int, QString> cases[] = {
        { 0, u"0:0:0"_s },
        { 999, u"0:0:0"_s },
        { 59'999, u"0:0:59"_s },
        { 60'000, u"0:1:0"_s },
        { 65'000, u"0:1:5"_s },
        { 3'599'999, u"0:59:59"_s },
        { 3'600'000, u"1:0:0"_s },
        { 3'725'999, u"1:2:5"_s },
        { 36'000'000, u"10:0:0"_s },
        { INT_MAX, u"596:31:23"_s },
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(MsToTimeText(ms), text) << ms;
}

TEST(MsToTimeText, NegativeTimesKeepTheSignOfTheDividend)
{
    EXPECT_EQ(MsToTimeText(-1'500), u"0:0:-1"_s);
    EXPECT_EQ(MsToTimeText(-999), u"0:0:0"_s);
    EXPECT_EQ(MsToTimeText(-3'725'999), u"-1:-2:-5"_s);
    EXPECT_EQ(MsToTimeText(INT_MIN), u"-596:-31:-23"_s);
}

TEST(ReplaceFirst, ChangesOnlyTheFirstOccurrence)
{
    QString s = u"a\"b\"c"_s;
    ReplaceFirst(s, u"\""_s, u"&quot;"_s);
    EXPECT_EQ(s, u"a&quot;b\"c"_s);

    QString unchanged = u"没有引号"_s;
    ReplaceFirst(unchanged, u"\""_s, u"x"_s);
    EXPECT_EQ(unchanged, u"没有引号"_s);

    QString emptyFind = u"abc"_s;
    ReplaceFirst(emptyFind, QString(), u"x"_s);
    EXPECT_EQ(emptyFind, u"abc"_s);

    QString caseSensitive = u"Abc abc"_s;
    ReplaceFirst(caseSensitive, u"abc"_s, u"x"_s);
    EXPECT_EQ(caseSensitive, u"Abc x"_s);

    // Chinese text is matched by characters, never inside a character.
    QString chinese = u"注释：中文，注释"_s;
    ReplaceFirst(chinese, u"注释"_s, u"备注"_s);
    EXPECT_EQ(chinese, u"备注：中文，注释"_s);
}

TEST(ReplaceFirst, RepeatedCallsReplaceEveryOccurrence)
{
    QString s = u"line1\nline2\nline3"_s;
    while (s.contains(u'\n'))
        ReplaceFirst(s, u"\n"_s, u"\\n"_s);
    EXPECT_EQ(s, u"line1\\nline2\\nline3"_s);
}

TEST(FileSizeKB, DividesByteCountBy1024)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    test::writeFile(dir.filePath(u"a"_s), QByteArray(1023, 'x'));
    test::writeFile(dir.filePath(u"b"_s), QByteArray(1024, 'x'));
    test::writeFile(dir.filePath(u"c"_s), QByteArray(3 * 1024 + 512, 'x'));
    EXPECT_DOUBLE_EQ(FileSizeKB(dir.filePath(u"a"_s)), 1023 / 1024.0);
    EXPECT_EQ(static_cast<int>(FileSizeKB(dir.filePath(u"a"_s))), 0);
    EXPECT_EQ(static_cast<int>(FileSizeKB(dir.filePath(u"b"_s))), 1);
    EXPECT_DOUBLE_EQ(FileSizeKB(dir.filePath(u"c"_s)), 3.5);
}

TEST(FileSizeKB, MissingFileOrDirectoryGivesZero)
{
    QTemporaryDir dir;
    EXPECT_EQ(FileSizeKB(dir.filePath(u"gone.mp3"_s)), 0.0);
    EXPECT_EQ(FileSizeKB(dir.path()), 0.0);
    EXPECT_EQ(FileSizeKB(QString()), 0.0);
}

class DeleteDirTreeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& relative) const { return m_dir.filePath(relative); }

    QTemporaryDir m_dir;
};

TEST_F(DeleteDirTreeTest, RemovesReadOnlyFilesHiddenDirectoriesAndTheDirectoryItself)
{
    const QString top = path(u"书/Book1"_s);
    test::writeFile(top + u"/a.mpl"_s, "x");
    test::writeFile(top + u"/.hidden/deep/b.mpl"_s, "y");
    test::writeFile(top + u"/sub/.c"_s, "z");
    QFile::setPermissions(top + u"/a.mpl"_s, QFile::ReadOwner);
    QFile::setPermissions(top + u"/.hidden/deep/b.mpl"_s, QFile::ReadOwner);
    // A directory that may not be written keeps nothing from being deleted either.
    QFile::setPermissions(top + u"/sub"_s, QFile::ReadOwner | QFile::ExeOwner);

    EXPECT_TRUE(DeleteDirTree(top));
    EXPECT_FALSE(QFileInfo::exists(top));
    EXPECT_TRUE(QFileInfo(path(u"书"_s)).isDir()); // the parent stays
}

TEST_F(DeleteDirTreeTest, AcceptsATrailingSeparator)
{
    test::writeFile(path(u"d/f"_s), "x");
    EXPECT_TRUE(DeleteDirTree(path(u"d"_s) + QDir::separator()));
    EXPECT_FALSE(QFileInfo::exists(path(u"d"_s)));
}

TEST_F(DeleteDirTreeTest, NeverFollowsLinks)
{
    const QString outside = path(u"outside"_s);
    test::writeFile(outside + u"/keep.mp3"_s, "audio");
    test::writeFile(path(u"tree/inner/file"_s), "x");
    ASSERT_TRUE(QFile::link(outside, path(u"tree/inner/linkdir"_s)));
    ASSERT_TRUE(QFile::link(outside + u"/keep.mp3"_s, path(u"tree/linkfile"_s)));

    EXPECT_TRUE(DeleteDirTree(path(u"tree"_s)));
    EXPECT_FALSE(QFileInfo::exists(path(u"tree"_s)));
    EXPECT_EQ(test::readFile(outside + u"/keep.mp3"_s), "audio");

    // A link named directly is removed itself, not what it points to.
    ASSERT_TRUE(QFile::link(outside, path(u"link"_s)));
    EXPECT_TRUE(DeleteDirTree(path(u"link"_s)));
    EXPECT_FALSE(QFileInfo(path(u"link"_s)).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(outside + u"/keep.mp3"_s));
}

TEST_F(DeleteDirTreeTest, LeavesThePermissionsOfWhatALinkPointsTo)
{
    const QString file = path(u"outside/read-only.mp3"_s);
    const QString dir = path(u"outside/read-only-dir"_s);
    test::writeFile(file, "audio");
    test::writeFile(dir + u"/inside.mp3"_s, "more");
    const QFile::Permissions readOnly = QFile::ReadOwner;
    const QFile::Permissions readOnlyDir = QFile::ReadOwner | QFile::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(file, readOnly));
    ASSERT_TRUE(QFile::setPermissions(dir, readOnlyDir));
    // The mode bits; the User flags say what this user may do, which for root is everything.
    const auto mode = [](const QString& p) {
        return QFile::permissions(p)
            & ~QFile::Permissions(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    };

    for (const QString& top : { path(u"emptied"_s), path(u"removed"_s) }) {
        QDir().mkpath(top + u"/sub"_s);
        ASSERT_TRUE(QFile::link(file, top + u"/file-link"_s));
        ASSERT_TRUE(QFile::link(file, top + u"/sub/file-link"_s));
        ASSERT_TRUE(QFile::link(dir, top + u"/dir-link"_s));
    }
    DeleteDirContents(path(u"emptied"_s));
    EXPECT_TRUE(
        QDir(path(u"emptied"_s))
            .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden));
    EXPECT_TRUE(DeleteDirTree(path(u"removed"_s)));
    EXPECT_FALSE(QFileInfo::exists(path(u"removed"_s)));

    EXPECT_EQ(mode(file), readOnly);
    EXPECT_EQ(mode(dir), readOnlyDir);
    EXPECT_EQ(test::readFile(file), "audio");
    EXPECT_EQ(test::readFile(dir + u"/inside.mp3"_s), "more");
    QFile::setPermissions(dir, readOnlyDir | QFile::WriteOwner); // for the cleanup
}

TEST_F(DeleteDirTreeTest, MissingOrEmptyPathReturnsFalseAndChangesNothing)
{
    test::writeFile(path(u"keep/f"_s), "x");
    EXPECT_FALSE(DeleteDirTree(path(u"nothing-here"_s)));
    EXPECT_FALSE(DeleteDirTree(QString()));
    EXPECT_FALSE(DeleteDirTree(path(u"keep/f"_s))); // a file is not a directory
    EXPECT_EQ(test::readFile(path(u"keep/f"_s)), "x");
}

} // namespace
} // namespace ecolvar
