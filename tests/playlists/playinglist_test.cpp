#include "core/ecolvarerror.h"
#include "playlists/playinglist.h"

#include "playlisttestdb.h"
#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;

// Records what opening a playlist asks of the player, in order.
class FakeListPlayer : public ListPlayer {
public:
    void enterListMode() override { calls.append(u"enterListMode"_s); }
    void loadList(const QString& listName, const QStringList& files, bool resetSelection) override
    {
        calls.append(u"loadList %1 reset=%2"_s.arg(listName).arg(resetSelection));
        loaded = files;
    }
    QStringList calls;
    QStringList loaded;
};

class PlayingListTest : public ::testing::Test {
protected:
    // A file that exists in the temporary directory; its full path.
    QString existing(const QString& name)
    {
        const QString path = m_test.dir() + u"/"_s + name;
        test::writeFile(path, "ID3");
        return path;
    }
    QString missing(const QString& name) { return m_test.dir() + u"/"_s + name; }

    test::PlaylistTestDb m_test;
    test::ScriptedPrompts m_prompts;
    PlayingList m_list { m_test.db(), m_prompts };
};

TEST_F(PlayingListTest, NoPlayingListLeavesTheLabelAndDeletesNothing)
{
    m_test.addList(u"not playing"_s);
    m_test.addEntry(1, u"not playing"_s, missing(u"gone.mp3"_s));
    const QString name = m_list.GetPlayingLstName();
    EXPECT_EQ(name, QString());
    EXPECT_EQ(m_list.CheckLstFiles(name), std::nullopt);
    EXPECT_EQ(m_test.entryCount(), 1);
}

TEST_F(PlayingListTest, APlayingListWithoutEntriesLeavesTheLabel)
{
    m_test.addList(u"听力"_s, 1);
    EXPECT_EQ(m_list.GetPlayingLstName(), u"听力"_s);
    EXPECT_EQ(m_list.CheckLstFiles(u"听力"_s), std::nullopt);
}

TEST_F(PlayingListTest, MissingFilesLeaveEveryListWhileOtherEntriesStay)
{
    const QString kept = existing(u"kept.mp3"_s);
    const QString gone1 = missing(u"gone1.mp3"_s);
    const QString gone2 = missing(u"第二.mp3"_s);
    const QString unmounted = u"/no/such/drive/away.mp3"_s;
    m_test.addList(u"听力"_s, 1);
    // Two missing files next to each other: removing the first must not skip the second.
    m_test.addEntry(1, u"听力"_s, gone1);
    m_test.addEntry(2, u"听力"_s, gone2);
    m_test.addEntry(3, u"听力"_s, kept);
    m_test.addEntry(4, u"听力"_s, unmounted);
    m_test.addEntry(9, u"other"_s, gone2);
    m_test.addEntry(10, u"other"_s, kept);

    EXPECT_EQ(m_list.CheckLstFiles(u"听力"_s), u"听力"_s);
    EXPECT_EQ(m_test.entries(u"听力"_s), QStringList({ u"3 "_s + kept, u"4 "_s + unmounted }));
    EXPECT_EQ(m_test.entries(u"other"_s), QStringList({ u"10 "_s + kept }));
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(PlayingListTest, OpeningAListEntersListModeThenLoadsItsFilesInOrder)
{
    const QString a = existing(u"a.mp3"_s);
    m_test.addEntry(5, u"L"_s, missing(u"gone.mp3"_s));
    m_test.addEntry(2, u"L"_s, a);
    FakeListPlayer player;
    m_list.OpenLst(u"L"_s, player);
    EXPECT_EQ(player.calls, QStringList({ u"enterListMode"_s, u"loadList L reset=1"_s }));
    // Missing files are the player's to leave out; the database keeps them.
    EXPECT_EQ(player.loaded, QStringList({ a, missing(u"gone.mp3"_s) }));
    EXPECT_EQ(m_test.entryCount(), 2);
}

TEST_F(PlayingListTest, OpeningAListWithoutEntriesLoadsNothingAndKeepsTheSelection)
{
    FakeListPlayer player;
    m_list.OpenLst(u"空"_s, player);
    EXPECT_EQ(player.calls, QStringList({ u"enterListMode"_s, u"loadList 空 reset=0"_s }));
    EXPECT_TRUE(player.loaded.isEmpty());
}

TEST_F(PlayingListTest, AddingAppendsTheSelectedFilesThenSaysSo)
{
    m_test.addEntry(3, u"L"_s, u"/old/x.mp3"_s);
    m_list.AddFilesToLst(u"L"_s, { { u"a.mp3"_s, {}, u"/m/"_s }, { u"b.mp3"_s, {}, u"/m/"_s } });
    EXPECT_EQ(m_test.entries(u"L"_s),
        QStringList({ u"3 /old/x.mp3"_s, u"4 /m/a.mp3"_s, u"5 /m/b.mp3"_s }));
    EXPECT_EQ(m_prompts.texts(Kind::Information), QStringList({ u"添加完毕"_s }));
}

TEST_F(PlayingListTest, AddingNothingOnlySaysItIsDone)
{
    m_list.AddFilesToLst(u"L"_s, {});
    EXPECT_EQ(m_prompts.texts(Kind::Information), QStringList({ u"添加完毕"_s }));
    EXPECT_EQ(m_test.entryCount(), 0);
}

TEST_F(PlayingListTest, AFileNameAlreadyInTheListIsRefusedWhateverItsDirectory)
{
    m_test.addEntry(1, u"L"_s, u"/first/a.mp3"_s);
    const QList<FileListRow> rows
        = { { u"A.mp3"_s, {}, u"/second/"_s }, { u"b.mp3"_s, {}, u"/second/"_s } };
    m_list.AddFilesToLst(u"l"_s, rows);
    EXPECT_EQ(m_prompts.texts(Kind::Information),
        QStringList({ u"列表中已存在 \"A.mp3\" 文件"_s, u"添加完毕"_s }));

    // The same selection again: every file refused, each with its message.
    m_prompts.clear();
    m_list.AddFilesToLst(u"L"_s, rows);
    EXPECT_EQ(m_prompts.texts(Kind::Information),
        QStringList(
            { u"列表中已存在 \"A.mp3\" 文件"_s, u"列表中已存在 \"b.mp3\" 文件"_s, u"添加完毕"_s }));
    EXPECT_EQ(m_test.entries(u"l"_s), QStringList({ u"2 /second/b.mp3"_s }));
}

TEST_F(PlayingListTest, AListNamedWithBlanksNumbersItsOwnEntries)
{
    m_test.addEntry(1, u"x"_s, u"/m/1.mp3"_s);
    m_test.addEntry(2, u"x"_s, u"/m/2.mp3"_s);
    m_test.addEntry(1, u" x "_s, u"/m/a.mp3"_s);
    m_list.AddFilesToLst(u" x "_s, { { u"1.mp3"_s, {}, u"/m/"_s } });
    EXPECT_EQ(m_test.entries(u" x "_s), QStringList({ u"1 /m/a.mp3"_s, u"2 /m/1.mp3"_s }));
    EXPECT_EQ(m_test.entries(u"x"_s).size(), 2);
}

TEST_F(PlayingListTest, AFailingStatementKeepsWhatWasAddedAndStopsTheRest)
{
    m_test.exec(u"create trigger refuse before insert on LstFileTbl "
                u"when new.FileName = 'bad.mp3' begin select raise(abort, 'refused'); end"_s);
    EXPECT_THROW(m_list.AddFilesToLst(u"L"_s,
                     { { u"a.mp3"_s, {}, u"/m/"_s }, { u"bad.mp3"_s, {}, u"/m/"_s },
                         { u"c.mp3"_s, {}, u"/m/"_s } }),
        EcolvarError);
    EXPECT_EQ(m_test.entries(u"L"_s), QStringList({ u"1 /m/a.mp3"_s }));
    EXPECT_TRUE(m_prompts.texts(Kind::Information).isEmpty());
}

} // namespace
} // namespace ecolvar
