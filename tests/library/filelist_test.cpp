#include "library/audiosetfile.h"
#include "library/filelist.h"

#include "libraryfixture.h"
#include "qtprinters.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ecolvar::test {
namespace {

using Kind = ScriptedPrompts::Kind;
const QString appendOrReplace = u"文件中已存在数据，是追加还是覆盖？(Yes为追加。)"_s;

// Rows as "name|size|dir".
QStringList texts(const QList<FileListRow>& rows)
{
    QStringList result;
    for (const FileListRow& row : rows)
        result.append(row.name + u'|' + row.sizeText + u'|' + row.dir);
    return result;
}

QStringList texts(const std::optional<QList<FileListRow>>& rows)
{
    EXPECT_TRUE(rows.has_value());
    return rows ? texts(*rows) : QStringList({ u"(kept)"_s });
}

class FileListTest : public LibraryFixture {
protected:
    // An audio file of size bytes outside the library; returns its full path.
    QString audio(const QString& name, qsizetype size = 0) const
    {
        const QString path = QDir::toNativeSeparators(m_audio.filePath(name));
        writeFile(path, QByteArray(size, 'x'));
        return path;
    }
    QString audioDir() const
    {
        return QDir::toNativeSeparators(m_audio.path()) + QDir::separator();
    }

    // Makes the set file with bytes, rebuilds the tree and hands back the set's node.
    const LibraryNode* set(const QByteArray& bytes, const QString& name = u"Lesson.mpl"_s)
    {
        make(name, bytes);
        tree.RebuildLibraryTree();
        return &at(name);
    }
    QByteArray setBytes(const QString& name = u"Lesson.mpl"_s) const
    {
        return readFile(lib() + name);
    }
    FileListRow row(const QString& line) const { return SplitListedPath(line); }

    QTemporaryDir m_audio;
    QStringList selectedFiles { u"stale"_s };
    QStringList chosen; // what the next select-file dialog hands back
    int dialogs = 0;
    FileList list { prompts, tree, [this](QStringList& files) {
                       ++dialogs;
                       files = chosen;
                   } };
};

TEST_F(FileListTest, SplitListedPathCutsAtTheLastSeparatorOfEitherKind)
{
    const auto split = [](const QString& line) {
        const FileListRow r = SplitListedPath(line);
        EXPECT_EQ(r.dir + r.name, line);
        return QStringList({ r.dir, r.name });
    };
    EXPECT_EQ(split(u"/music/book/a.mp3"_s), QStringList({ u"/music/book/"_s, u"a.mp3"_s }));
    EXPECT_EQ(split(u"D:\\English\\Book1\\Lesson1.mp3"_s),
        QStringList({ u"D:\\English\\Book1\\"_s, u"Lesson1.mp3"_s }));
    EXPECT_EQ(split(u"D:\\\\Song.mp3"_s), QStringList({ u"D:\\\\"_s, u"Song.mp3"_s }));
    EXPECT_EQ(split(u"D:\\mixed/dir\\x.wav"_s), QStringList({ u"D:\\mixed/dir\\"_s, u"x.wav"_s }));
    EXPECT_EQ(split(u"/music/dir/"_s), QStringList({ u"/music/"_s, u"dir/"_s }));
    EXPECT_EQ(split(u"song.mp3"_s), QStringList({ u""_s, u"song.mp3"_s }));
    EXPECT_EQ(split(u"/"_s), QStringList({ u""_s, u"/"_s }));
}

TEST_F(FileListTest, ClickingASetListsItsNonBlankLinesInOrder)
{
    const QString a = audio(u"a.mp3"_s, 1024);
    const QString b = audio(u"b.mp3"_s, 1023);
    const QByteArray bytes = a.toUtf8() + "\r\n\r\n  \r\n" + b.toUtf8()
        + "\r\nD:\\\xD3\xA2\xD3\xEF\\\xB5\xDA\xD2\xBB\xBF\xCE.mp3\r\n" + a.toUtf8();
    EXPECT_EQ(texts(list.TreeView1Click(set(bytes))),
        QStringList({ u"a.mp3|1|"_s + audioDir(), u"b.mp3|0|"_s + audioDir(),
            u"第一课.mp3|0|D:\\英语\\"_s, u"a.mp3|1|"_s + audioDir() }));
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(FileListTest, ClickingTheRootOrAFolderEmptiesTheListAndNothingSelectedKeepsIt)
{
    make(u"Book/Lesson.mpl"_s, "/m/a.mp3\r\n");
    make(u"Empty/"_s);
    make(u"examplempl"_s, "/m/a.mp3\r\n");
    make(u"Sets.mpl/inner.mpl"_s);
    make(u"old.mpl/"_s);
    tree.RebuildLibraryTree();

    EXPECT_EQ(texts(list.TreeView1Click(&tree.root())), QStringList());
    EXPECT_EQ(texts(list.TreeView1Click(&at(u"Book"_s))), QStringList());
    EXPECT_EQ(texts(list.TreeView1Click(&at(u"Empty"_s))), QStringList());
    EXPECT_EQ(texts(list.TreeView1Click(&at(u"examplempl"_s))), QStringList());
    EXPECT_EQ(list.TreeView1Click(nullptr), std::nullopt);
    // A folder whose caption ends in ".mpl": with children the list stays, without them it
    // cannot be read as a set.
    EXPECT_EQ(list.TreeView1Click(&at(u"Sets.mpl"_s)), std::nullopt);
    EXPECT_TRUE(
        errorOf([&] { list.TreeView1Click(&at(u"old.mpl"_s)); }).startsWith(u"Cannot open file"_s));
}

// The bytes of a set after 添加音频文件 chose paths; answer is the reply to the append or
// replace question, if asked.
struct AddCase {
    QByteArray before;
    std::optional<Prompts::Answer> answer;
    QByteArray after;
};

TEST_F(FileListTest, AddingAppendsOrReplacesAndAsksOnlyWhenTheSetHoldsALine)
{
    chosen = { u"/m/x.mp3"_s, u"/m/y.wav"_s };
    using enum Prompts::Answer;
    const AddCase cases[] = {
        { "", std::nullopt, "/m/x.mp3\r\n/m/y.wav\r\n" },
        { "\r\n", Yes, "\r\n/m/x.mp3\r\n/m/y.wav\r\n" },
        { "\r\n", No, "/m/x.mp3\r\n/m/y.wav\r\n" },
        { "/m/a.mp3\n\n/m/b.mp3", Yes, "/m/a.mp3\r\n\r\n/m/b.mp3\r\n/m/x.mp3\r\n/m/y.wav\r\n" },
        { "/m/a.mp3\r\n\r\n/m/b.mp3\r\n", No, "/m/x.mp3\r\n/m/y.wav\r\n" },
        { "/m/x.mp3\r\n", Yes, "/m/x.mp3\r\n/m/x.mp3\r\n/m/y.wav\r\n" },
        // Escape or the close box: the set stays byte for byte as it was.
        { "/m/a.mp3\n\n/m/b.mp3", Closed, "/m/a.mp3\n\n/m/b.mp3" },
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        prompts.clear();
        const LibraryNode* node = set(c.before);
        if (c.answer == Prompts::Answer::Closed)
            prompts.answerClosed();
        else if (c.answer)
            prompts.answerConfirm(*c.answer == Prompts::Answer::Yes);
        const auto rows = list.t1Click(node, selectedFiles);
        EXPECT_EQ(setBytes(), c.after);
        EXPECT_EQ(prompts.texts(Kind::Confirm),
            c.answer ? QStringList({ appendOrReplace }) : QStringList());
        EXPECT_EQ(texts(rows), texts(RefreshFileList(tree.SetFilePath(*node))));
    }
    EXPECT_EQ(dialogs, 7);
}

TEST_F(FileListTest, ChoosingNothingChangesNothingButTheListIsRefreshed)
{
    const LibraryNode* node = set("/m/a.mp3\n/m/b.mp3");
    EXPECT_EQ(texts(list.t1Click(node, selectedFiles)),
        QStringList({ u"a.mp3|0|/m/"_s, u"b.mp3|0|/m/"_s }));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(setBytes(), "/m/a.mp3\n/m/b.mp3");
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(FileListTest, AddingNeedsASelectedNodeAndAReadableSet)
{
    EXPECT_EQ(list.t1Click(nullptr, selectedFiles), std::nullopt);
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ u"请选择相应节点"_s }));

    const LibraryNode* node = set("");
    QFile::remove(lib() + u"Lesson.mpl"_s);
    EXPECT_TRUE(
        errorOf([&] { list.t1Click(node, selectedFiles); }).startsWith(u"Cannot open file"_s));
    EXPECT_EQ(dialogs, 0);
}

TEST_F(FileListTest, GbkNamesRoundTripAndANameGbkCannotHoldIsKept)
{
    const LibraryNode* node = set("");
    chosen = { u"D:\\英语\\第一课.mp3"_s };
    list.t1Click(node, selectedFiles);
    EXPECT_EQ(setBytes(), "D:\\\xD3\xA2\xD3\xEF\\\xB5\xDA\xD2\xBB\xBF\xCE.mp3\r\n");

    chosen = { u"/m/노래 🎵.mp3"_s };
    prompts.answerConfirm(true);
    EXPECT_EQ(texts(list.t1Click(node, selectedFiles)),
        QStringList({ u"第一课.mp3|0|D:\\英语\\"_s, u"노래 🎵.mp3|0|/m/"_s }));
    EXPECT_TRUE(setBytes().startsWith("\xEF\xBB\xBF"));

    EXPECT_EQ(texts(list.N11Click(node, { row(u"/m/노래 🎵.mp3"_s) })),
        QStringList({ u"第一课.mp3|0|D:\\英语\\"_s }));
    EXPECT_EQ(setBytes(), "D:\\\xD3\xA2\xD3\xEF\\\xB5\xDA\xD2\xBB\xBF\xCE.mp3\r\n");
}

TEST_F(FileListTest, RemovingTakesTheLastEqualLinePerSelectedRow)
{
    const LibraryNode* node
        = set("/m/x.mp3\r\n/m/y.mp3\r\n/m/x.mp3 \r\n/m/X.mp3\r\n\r\n/m/x.mp3\r\nz\r\n");
    // Rows listed: x, y, "x ", X, x, z. One x row selected removes the later x line.
    EXPECT_EQ(texts(list.N11Click(node, { row(u"/m/x.mp3"_s) })),
        QStringList({ u"x.mp3|0|/m/"_s, u"y.mp3|0|/m/"_s, u"x.mp3 |0|/m/"_s, u"X.mp3|0|/m/"_s,
            u"z|0|"_s }));
    EXPECT_EQ(setBytes(), "/m/x.mp3\r\n/m/y.mp3\r\n/m/x.mp3 \r\n/m/X.mp3\r\n\r\nz\r\n");

    // Each selected row removes at most one line; a row without a line removes nothing.
    list.N11Click(
        node, { row(u"/m/x.mp3"_s), row(u"/m/x.mp3"_s), row(u"/m/gone.mp3"_s), row(u"z"_s) });
    EXPECT_EQ(setBytes(), "/m/y.mp3\r\n/m/x.mp3 \r\n/m/X.mp3\r\n\r\n");
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(FileListTest, AddingTheSameFileTwiceGivesTwoRowsAndRemovingOneRemovesTheLaterLine)
{
    const LibraryNode* node = set("");
    const QString song = audio(u"song.mp3"_s, 2048);
    chosen = { song };
    list.t1Click(node, selectedFiles);
    const QString other = audio(u"other.wav"_s);
    chosen = { other };
    prompts.answerConfirm(true);
    list.t1Click(node, selectedFiles);
    chosen = { song };
    prompts.answerConfirm(true);
    const auto rows = list.t1Click(node, selectedFiles);
    ASSERT_TRUE(rows);
    EXPECT_EQ(texts(rows),
        QStringList({ u"song.mp3|2|"_s + audioDir(), u"other.wav|0|"_s + audioDir(),
            u"song.mp3|2|"_s + audioDir() }));

    list.N11Click(node, { rows->at(0) });
    EXPECT_EQ(ReadAudioSet(tree.SetFilePath(*node)), QStringList({ song, other }));
}

TEST_F(FileListTest, RemovingRewritesWithCrLfAndKeepsBlankLines)
{
    const LibraryNode* node = set("/m/a.mp3\n\n/m/b.mp3");
    EXPECT_EQ(texts(list.N11Click(node, {})), QStringList({ u"a.mp3|0|/m/"_s, u"b.mp3|0|/m/"_s }));
    EXPECT_EQ(setBytes(), "/m/a.mp3\r\n\r\n/m/b.mp3\r\n");

    EXPECT_EQ(list.N11Click(nullptr, { row(u"/m/a.mp3"_s) }), std::nullopt);
    EXPECT_EQ(setBytes(), "/m/a.mp3\r\n\r\n/m/b.mp3\r\n");
}

TEST_F(FileListTest, APathInAVolumeRootWithTwoSeparatorsIsListedAndRemoved)
{
    const LibraryNode* node = set("D:\\\\Song.mp3\r\n//song.wav\r\n");
    const auto rows = list.TreeView1Click(node);
    EXPECT_EQ(texts(rows), QStringList({ u"Song.mp3|0|D:\\\\"_s, u"song.wav|0|//"_s }));
    list.N11Click(node, *rows);
    EXPECT_EQ(setBytes(), "");
}

TEST_F(FileListTest, ASetThatCannotBeReadIsAnErrorAndAddingNeverReplacesIt)
{
    const LibraryNode* node = set("/m/a.mp3\r\n");
    {
        QFile big(lib() + u"Lesson.mpl"_s);
        ASSERT_TRUE(big.open(QIODevice::ReadWrite));
        ASSERT_TRUE(big.resize(MaxAudioSetBytes + 100)); // sparse
    }
    EXPECT_TRUE(errorOf([&] { list.TreeView1Click(node); }).contains(u"64 MiB"_s));
    chosen = { audio(u"new.mp3"_s) };
    EXPECT_TRUE(errorOf([&] { list.t1Click(node, selectedFiles); }).contains(u"64 MiB"_s));
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_EQ(QFileInfo(lib() + u"Lesson.mpl"_s).size(), MaxAudioSetBytes + 100);
    EXPECT_TRUE(setBytes().startsWith("/m/a.mp3\r\n"));
}

} // namespace
} // namespace ecolvar::test
