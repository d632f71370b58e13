#include "transcripts/transcriptfile.h"
#include "transcripts/transcriptpanes.h"
#include "transcripttest.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ecolvar::test;

namespace {

struct ToolRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QStringList& args)
{
    QProcess process;
    process.start(QString::fromUtf8(ECOLVAR_TRANSCRIPT_TOOL), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

class TranscriptTool : public ::testing::Test {
protected:
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }

    QJsonObject dump(const QByteArray& bytes, int expectedStatus)
    {
        const ToolRun run = runTool({ u"dump"_s, file(u"in.eng"_s, bytes) });
        EXPECT_EQ(run.status, expectedStatus) << run.err.toStdString();
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
        return json.object();
    }

    QTemporaryDir m_dir;
};

const QByteArray records = "1 1 1 0 0 0\r\nLesson one\r\n"
                           "0 1 0 0 0 0\r\nThis is a \r\n"
                           "4 1 -1 1 0 \"first<kelmor>second\" \"hint\"\r\ndialogue\r\n"
                           "0 1 -1 1 0 0\r\n about travel.\r\n"
                           "3 1 0 4 0 0\r\n\xD0\xC2\xB5\xC4\xD2\xBB\xD0\xD0\r\n"; // 新的一行 in GBK

TEST_F(TranscriptTool, InputsThatAreNoTranscriptFileEndWithStatus2)
{
    const QString fifo = m_dir.filePath(u"pipe.eng"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString big = m_dir.filePath(u"big.eng"_s);
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(ecolvar::MaxTranscriptBytes + 1)); // sparse
    }
    for (const QString& path : { fifo, u"/dev/zero"_s, big }) {
        const ToolRun run = runTool({ u"text"_s, path });
        EXPECT_EQ(run.status, 2) << path.toStdString();
        EXPECT_TRUE(run.err.contains(QFile::encodeName(path))) << run.err.toStdString();
    }
    // Through the editor, a file larger than a pane opens is refused before it is read.
    const QString paneSized = m_dir.filePath(u"pane.eng"_s);
    {
        QFile file(paneSized);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(ecolvar::MaxPaneTranscriptBytes + 1)); // sparse
    }
    const QString out = m_dir.filePath(u"out.eng"_s);
    const ToolRun refused = runTool({ u"resave"_s, u"--editor"_s, paneSized, out });
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.err.contains("a transcript pane opens")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    // Empty lines by the million: refused by the reader, not by running out of memory.
    const ToolRun run = runTool(
        { u"text"_s, file(u"blank.eng"_s, "0 4000000 0 0 0 0\r\n" + QByteArray(4000000, '\n')) });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("more items than")) << run.err.toStdString();
}

} // namespace

TEST_F(TranscriptTool, DumpShowsStylesAndItems)
{
    const QJsonObject json = dump(designHead() + records, 0);
    EXPECT_EQ(json[u"ok"_s], QJsonValue(true));
    EXPECT_TRUE(json[u"error"_s].isNull());
    const QJsonArray textStyles = json[u"textStyles"_s].toArray();
    ASSERT_EQ(textStyles.size(), 6);
    EXPECT_EQ(textStyles[1].toObject(),
        (QJsonObject { { u"StyleName"_s, u"Heading"_s }, { u"FontName"_s, u"Arial"_s },
            { u"Style"_s, QJsonArray { u"fsBold"_s } }, { u"Color"_s, 255 * 65536 } }));
    EXPECT_EQ(json[u"paraStyles"_s].toArray().size(), 2);
    EXPECT_EQ(json[u"listStyles"_s].toArray(), QJsonArray());

    const QJsonArray items = json[u"items"_s].toArray();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[2].toObject(),
        (QJsonObject { { u"kind"_s, u"text"_s }, { u"style"_s, 4 }, { u"para"_s, -1 },
            { u"options"_s, 1 }, { u"tag"_s, u"first<kelmor>second"_s }, { u"hint"_s, u"hint"_s },
            { u"text"_s, u"dialogue"_s } }));
    EXPECT_TRUE(items[0].toObject()[u"tag"_s].isNull());
    EXPECT_EQ(items[0].toObject()[u"para"_s], QJsonValue(1));
    EXPECT_EQ(items[4].toObject()[u"text"_s], QJsonValue(u"新的一行"_s));
}

TEST_F(TranscriptTool, DumpOfAFailedLoadListsTheItemsReadBefore)
{
    const QJsonObject json = dump(
        designHead() + "-3 1 0 0 1 0\r\npicture\r\n0 1 0 0 0 0\r\nok\r\n9 1 0 0 0 0\r\nno\r\n", 1);
    EXPECT_EQ(json[u"ok"_s], QJsonValue(false));
    EXPECT_TRUE(json[u"error"_s].toString().contains(u"text style 9"_s));
    const QJsonArray items = json[u"items"_s].toArray();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].toObject(), (QJsonObject { { u"kind"_s, u"record"_s }, { u"type"_s, -3 } }));
}

TEST_F(TranscriptTool, UsageErrorsAndUnreadableFilesExitWith2)
{
    const QList<QStringList> calls {
        {},
        { u"dump"_s },
        { u"print"_s, u"x"_s },
        { u"resave"_s, u"x"_s },
        { u"dump"_s, m_dir.filePath(u"missing.eng"_s) },
        { u"text"_s, m_dir.path() },
    };
    for (const QStringList& args : calls) {
        const ToolRun run = runTool(args);
        EXPECT_EQ(run.status, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST_F(TranscriptTool, TextPrintsOneLinePerParagraph)
{
    const ToolRun run = runTool({ u"text"_s, file(u"in.eng"_s, designHead() + records) });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(QString::fromUtf8(run.out),
        u"Lesson one\nThis is a dialogue about travel.\u2028新的一行\n"_s);

    const ToolRun failed
        = runTool({ u"text"_s, file(u"bad.eng"_s, "0 1 0 0 0 0\r\nfirst\r\n0 2") });
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "first\n");
    EXPECT_FALSE(failed.err.isEmpty());
}

TEST_F(TranscriptTool, ResaveWritesTheCanonicalFile)
{
    QByteArray lf = designHead().left(8) + records;
    lf.replace("\r\n", "\n");
    const QString out = m_dir.filePath(u"out.eng"_s);
    const ToolRun run = runTool({ u"resave"_s, file(u"in.eng"_s, lf), out });
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(out), designHead() + records);

    // A failed load writes nothing, so a partly read file never replaces a good one.
    const ToolRun failed
        = runTool({ u"resave"_s, file(u"bad.eng"_s, "0 1 0 0 0 0\r\nx\r\n0 2"), out });
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(readFile(out), designHead() + records);

    const ToolRun unwritable
        = runTool({ u"resave"_s, file(u"in.eng"_s, lf), m_dir.filePath(u"no/dir/out.eng"_s) });
    EXPECT_EQ(unwritable.status, 2);
}

TEST_F(TranscriptTool, ResaveThroughTheEditorWritesWhatTheWriterWrote)
{
    const QString in = file(u"in.eng"_s, designHead() + records);
    const QString out = m_dir.filePath(u"out.eng"_s);
    const ToolRun run = runTool({ u"resave"_s, u"--editor"_s, in, out });
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(out), designHead() + records);

    const ToolRun failed = runTool({ u"resave"_s, u"--editor"_s,
        file(u"bad.eng"_s, "0 1 0 0 0 0\r\nx\r\n0 2"), m_dir.filePath(u"bad-out.eng"_s) });
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(u"bad-out.eng"_s)));
    const ToolRun missing
        = runTool({ u"resave"_s, u"--editor"_s, m_dir.filePath(u"missing.eng"_s), out });
    EXPECT_EQ(missing.status, 2);
}
