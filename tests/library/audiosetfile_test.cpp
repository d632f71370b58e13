#include "library/audiosetfile.h"

#include "libraryfixture.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ecolvar::test {
namespace {

class AudioSetFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = u"set.mpl"_s) const { return m_dir.filePath(name); }

    QStringList linesOf(const QByteArray& bytes) const
    {
        writeFile(path(), bytes);
        return ReadAudioSet(path());
    }

    QTemporaryDir m_dir;
};

TEST_F(AudioSetFileTest, LinesEndAtCrLfOrCrLfAndANulEndsTheText)
{
    EXPECT_EQ(linesOf(""), QStringList());
    EXPECT_EQ(linesOf("a\r\nb\r\n"), QStringList({ u"a"_s, u"b"_s }));
    EXPECT_EQ(linesOf("a\nb"), QStringList({ u"a"_s, u"b"_s }));
    EXPECT_EQ(linesOf("a\rb\r"), QStringList({ u"a"_s, u"b"_s }));
    EXPECT_EQ(linesOf("a\n\rb"), QStringList({ u"a"_s, u""_s, u"b"_s }));
    EXPECT_EQ(linesOf("\r\n"), QStringList({ u""_s }));
    EXPECT_EQ(linesOf("a\r\n\r\n \t\r\nb"), QStringList({ u"a"_s, u""_s, u" \t"_s, u"b"_s }));
    EXPECT_EQ(linesOf(QByteArray("a\r\nb\0c\r\nd", 10)), QStringList({ u"a"_s, u"b"_s }));
    EXPECT_EQ(linesOf(QByteArray("\0a", 2)), QStringList());
}

TEST_F(AudioSetFileTest, WritesCrLfAfterEveryLineAndKeepsBlankLines)
{
    WriteAudioSet(path(), { u"/m/a.mp3"_s, u""_s, u"  "_s, u"/m/b.wav"_s });
    EXPECT_EQ(readFile(path()), "/m/a.mp3\r\n\r\n  \r\n/m/b.wav\r\n");
    WriteAudioSet(path(), {});
    EXPECT_EQ(readFile(path()), "");
}

TEST_F(AudioSetFileTest, GbkIsReadAndWritten)
{
    // 英语\第一课.mp3 as the program has always stored it.
    const QByteArray gbk = "D:\\\xD3\xA2\xD3\xEF\\\xB5\xDA\xD2\xBB\xBF\xCE.mp3\r\n";
    const QString line = u"D:\\英语\\第一课.mp3"_s;
    EXPECT_EQ(linesOf(gbk), QStringList({ line }));
    WriteAudioSet(path(), { line });
    EXPECT_EQ(readFile(path()), gbk);
    // The euro sign is in GBK's code page as 0x80.
    WriteAudioSet(path(), { u"/m/€.mp3"_s });
    EXPECT_EQ(readFile(path()), "/m/\x80.mp3\r\n");
    EXPECT_EQ(ReadAudioSet(path()), QStringList({ u"/m/€.mp3"_s }));
}

TEST_F(AudioSetFileTest, ALineGbkCannotHoldMakesTheWholeFileUtf8WithAMark)
{
    const QStringList lines = { u"/音乐/一.mp3"_s, u"/music/🎵 ก.mp3"_s };
    WriteAudioSet(path(), lines);
    EXPECT_EQ(readFile(path()), "\xEF\xBB\xBF" + (lines.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    EXPECT_EQ(ReadAudioSet(path()), lines);

    // Once every line fits GBK again, the file goes back to GBK.
    WriteAudioSet(path(), lines.mid(0, 1));
    EXPECT_EQ(readFile(path()), "/\xD2\xF4\xC0\xD6/\xD2\xBB.mp3\r\n");
}

TEST_F(AudioSetFileTest, BytesThatAreNoGbkButUtf8AreReadAsUtf8)
{
    // 中 in UTF-8 leaves GBK a lead byte before "/", which no GBK character has.
    EXPECT_EQ(linesOf("/m/\xE4\xB8\xAD/a.mp3\n"), QStringList({ u"/m/中/a.mp3"_s }));
    // Neither: read as GBK, the broken bytes as replacement characters, nothing else lost.
    const QStringList broken = linesOf("a\r\n\xFF\xFF\r\nb");
    ASSERT_EQ(broken.size(), 3);
    EXPECT_EQ(broken.at(0), u"a"_s);
    EXPECT_EQ(broken.at(2), u"b"_s);
}

TEST_F(AudioSetFileTest, AMissingFileOrADirectoryCannotBeOpened)
{
    const QString missing = path(u"gone.mpl"_s);
    EXPECT_TRUE(errorOf([&] {
        ReadAudioSet(missing);
    }).startsWith(u"Cannot open file \"%1\". "_s.arg(missing)));
    ASSERT_TRUE(QDir().mkpath(path(u"old.mpl"_s)));
    EXPECT_EQ(errorOf([&] { ReadAudioSet(path(u"old.mpl"_s)); }),
        u"Cannot open file \"%1\". %2"_s.arg(path(u"old.mpl"_s), qt_error_string(EISDIR)));
}

TEST_F(AudioSetFileTest, AFailedWriteKeepsTheOldFile)
{
    writeFile(path(), "old\r\n");
    // A line break inside a line cannot be stored: refused before anything is written.
    EXPECT_THROW(WriteAudioSet(path(), { u"/m/a\nb.mp3"_s }), EcolvarError);
    EXPECT_THROW(WriteAudioSet(path(), { u"/m/a\rb.mp3"_s }), EcolvarError);
    EXPECT_EQ(readFile(path()), "old\r\n");

    // A set whose folder has gone.
    const QString orphan = path(u"gone/set.mpl"_s);
    EXPECT_TRUE(errorOf([&] {
        WriteAudioSet(orphan, { u"new"_s });
    }).startsWith(u"Cannot create file \"%1\". "_s.arg(orphan)));
    EXPECT_FALSE(QFile::exists(orphan));
}

TEST_F(AudioSetFileTest, AWriteThatFailsPartWayKeepsTheOldFileByteForByte)
{
    const QByteArray old = "/m/a.mp3\r\n\r\n/m/\xb5\xda\xd2\xbb\xbf\xce.mp3\r\n";
    writeFile(path(), old);
    QStringList lines;
    for (int i = 0; i < 4000; ++i)
        lines.append(u"/media/listening/第%1课.mp3"_s.arg(i));

    // The disk fills up after 4 KB of the new 120 KB.
    EXPECT_EQ(runUnderFileSizeLimit(4096,
                  [&] {
                      WriteAudioSet(path(), lines);
                      return true;
                  }),
        LimitedRun::Threw);
    EXPECT_EQ(readFile(path()), old);
    EXPECT_EQ(
        QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"set.mpl"_s });
}

TEST_F(AudioSetFileTest, BlankLinesHoldOnlyBlanksAndControlCharacters)
{
    for (const QString& blank : { u""_s, u" "_s, u"\t \u0001"_s })
        EXPECT_TRUE(IsBlankLine(blank));
    for (const QString& text : { u"a"_s, u" a "_s, u"\u3000"_s })
        EXPECT_FALSE(IsBlankLine(text));
}

} // namespace
} // namespace ecolvar::test
