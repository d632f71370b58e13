#include "practice/lyricsfile.h"
#include "practice/sentencefinder.h"

#include "testutil.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QList<int> startsOf(const QList<Sentence>& sentences)
{
    QList<int> starts;
    for (const Sentence& s : sentences)
        starts.append(s.startMs);
    return starts;
}

} // namespace

TEST(ReadLrc, SeveralStampsOnALineOutOfOrderWithOffsetAndStampsPastTheEnd)
{
    const QByteArray lrc = "[ti:Lesson 1]\n"
                           "[offset:+250]\n"
                           "[00:05.50][00:20.00]Chorus line\n"
                           "[00:01.2]First line\n"
                           "[00:12.345]Second line\n"
                           "[01:30.00]Past the end\n"
                           "[00:12.345]Same time again\n"
                           "Not stamped\n";
    const auto sentences = readLrc(lrc, 30000);
    ASSERT_TRUE(sentences);
    // The offset shows every line 250 ms earlier; 1:30 lies past the 30 s of audio.
    const QList<Sentence> expected {
        { 950, 5250, u"First line"_s },
        { 5250, 12095, u"Chorus line"_s },
        { 12095, 19750, u"Second line"_s },
        { 19750, 30000, u"Chorus line"_s },
    };
    EXPECT_EQ(*sentences, expected);
}

TEST(ReadLrc, NegativeOffsetAndFractionsOfOneToThreeDigits)
{
    const auto sentences
        = readLrc("[offset:-100]\n[00:01.5]a\n[00:02.05]b\n[00:03:007]c\n[00:04]d\n", 0);
    ASSERT_TRUE(sentences);
    EXPECT_EQ(startsOf(*sentences), (QList<int> { 1600, 2150, 3107, 4100 }));
    // Without a length the last sentence ends where it starts.
    EXPECT_EQ(sentences->last().endMs, 4100);
}

TEST(ReadLrc, GbkAndUtf8TextAreBothRead)
{
    const QString line = u"[00:02.00]我们开始上课。"_s;
    const auto fromGbk = readLrc(gbk(line), 10000);
    const auto fromUtf8 = readLrc(line.toUtf8(), 10000);
    ASSERT_TRUE(fromGbk);
    ASSERT_TRUE(fromUtf8);
    EXPECT_EQ(fromGbk->first().text, u"我们开始上课。"_s);
    EXPECT_EQ(fromUtf8->first().text, u"我们开始上课。"_s);
}

TEST(ReadLrc, AFileWithoutAUsableStampIsRefused)
{
    EXPECT_FALSE(readLrc("[ti:title]\n[ar:someone]\nplain text\n", 10000));
    EXPECT_FALSE(readLrc("[00:50.00]after the end\n", 10000));
    EXPECT_FALSE(readLrc(QByteArray("\xFF\xFE\x00\x01garbage", 11), 10000));
}

TEST(ReadSrt, ByteOrderMarkCrLfAndMultiLineCues)
{
    const QByteArray srt = "\xEF\xBB\xBF"
                           "1\r\n00:00:01,000 --> 00:00:03,500\r\nHello there.\r\n\r\n"
                           "2\r\n00:00:04,250 --> 00:00:06,000\r\nTwo lines\r\nin one cue.\r\n\r\n"
                           "3\r\n01:00:00,000 --> 01:00:02,000\r\nPast the end\r\n";
    const auto sentences = readSrt(srt, 10000);
    ASSERT_TRUE(sentences);
    const QList<Sentence> expected {
        { 1000, 4250, u"Hello there."_s },
        { 4250, 10000, u"Two lines\nin one cue."_s },
    };
    EXPECT_EQ(*sentences, expected);
}

TEST(ReadSrt, GbkCuesAndAFileWithoutCues)
{
    const auto sentences = readSrt(gbk(u"1\n00:00:02,500 --> 00:00:04,000\n你好\n"_s), 5000);
    ASSERT_TRUE(sentences);
    EXPECT_EQ(sentences->first(), (Sentence { 2500, 5000, u"你好"_s }));
    EXPECT_FALSE(readSrt("1\nno time line here\n", 5000));
}

TEST(MarksFromLyricsFiles, LyricsBeforeSubtitlesAndAnUnusableFileIsNamed)
{
    QTemporaryDir dir;
    const QString audio = dir.filePath(u"lesson.one.mp3"_s);
    EXPECT_FALSE(marksFromLyricsFiles(audio, 10000).marks);

    test::writeFile(dir.filePath(u"lesson.one.srt"_s), "1\n00:00:01,000 --> 00:00:02,000\nsrt\n");
    auto found = marksFromLyricsFiles(audio, 10000);
    ASSERT_TRUE(found.marks);
    EXPECT_EQ(found.marks->source, SentenceSource::Srt);

    // An unusable lyrics file gives way to the subtitles and is not changed.
    test::writeFile(dir.filePath(u"lesson.one.lrc"_s), "no stamps");
    found = marksFromLyricsFiles(audio, 10000);
    ASSERT_TRUE(found.marks);
    EXPECT_EQ(found.marks->source, SentenceSource::Srt);
    EXPECT_EQ(test::readFile(dir.filePath(u"lesson.one.lrc"_s)), "no stamps");

    test::writeFile(dir.filePath(u"lesson.one.srt"_s), "");
    found = marksFromLyricsFiles(audio, 10000);
    EXPECT_FALSE(found.marks);
    EXPECT_EQ(found.unusableFile, dir.filePath(u"lesson.one.lrc"_s));

    test::writeFile(dir.filePath(u"lesson.one.lrc"_s), "[00:03.00]lrc\n");
    found = marksFromLyricsFiles(audio, 10000);
    ASSERT_TRUE(found.marks);
    EXPECT_EQ(found.marks->source, SentenceSource::Lrc);
    EXPECT_EQ(found.marks->sentences, (QList<Sentence> { { 3000, 10000, u"lrc"_s } }));
}

TEST(MarksToSrt, WrittenSubtitlesReadBackToTheSameSentences)
{
    const SentenceMarks marks { SentenceSource::Lrc, 9000,
        { { 0, 1500, u"一"_s }, { 1500, 4000, QString() }, { 4000, 9000, u"a\n\nb"_s } } };
    const QByteArray srt = marksToSrt(marks);
    EXPECT_TRUE(srt.startsWith("1\r\n00:00:00,000 --> 00:00:01,500\r\n"));
    const auto back = readSrt(srt, 9000);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back,
        (QList<Sentence> {
            { 0, 1500, u"一"_s }, { 1500, 4000, QString() }, { 4000, 9000, u"a\nb"_s } }));
}
