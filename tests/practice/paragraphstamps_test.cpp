#include "practice/paragraphstamps.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

std::optional<qint64> stampOf(const QString& paragraph)
{
    const auto stamp = paragraphStamp(paragraph);
    return stamp ? std::optional<qint64>(stamp->ms) : std::nullopt;
}

TEST(ParagraphStamps, OnlyAStampAtTheVeryStartOfAParagraphCounts)
{
    EXPECT_EQ(stampOf(u"[00:04.50] Good morning."_s), 4'500);
    EXPECT_EQ(stampOf(u"[1:02]x"_s), 62'000);
    EXPECT_EQ(stampOf(u"[125:00.005]"_s), 7'500'005);
    EXPECT_EQ(paragraphStamp(u"[00:04.50] Good"_s)->length, 10);
    for (const QString& text : { u" [00:04.50] indented"_s, u"[00:4.50]"_s, u"[00:60.00]"_s,
             u"[00:04.5000]"_s, u"[00:04.]"_s, u"[ti:Lesson one]"_s, u"[00:04.50"_s, u"["_s,
             u"[０0:04.50]"_s, QString() })
        EXPECT_FALSE(paragraphStamp(text)) << text.toStdString();

    // What is written reads back, to the hundredth.
    for (const qint64 ms : { 0LL, 4'500LL, 59'990LL, 3'599'999LL, 7'500'000LL })
        EXPECT_EQ(stampOf(stampText(ms) + u" text"_s), ms / 10 * 10);
    EXPECT_EQ(stampText(62'345), u"[01:02.34]"_s);
}

TEST(ParagraphStamps, TheParagraphHeardIsTheOneWithTheLatestStampBeforeThePosition)
{
    ParagraphStamps stamps;
    EXPECT_EQ(stamps.paragraphAt(1'000), -1);
    // Paragraphs 0 (a title) and 3 have no stamp; 4 and 5 share one; 6 is out of order.
    stamps.setStamps({ std::nullopt, 1'000, 4'000, std::nullopt, 6'500, 6'500, 2'000 });
    EXPECT_EQ(stamps.paragraphAt(999), -1);
    EXPECT_EQ(stamps.paragraphAt(1'000), 1);
    EXPECT_EQ(stamps.paragraphAt(2'500), 6);
    EXPECT_EQ(stamps.paragraphAt(5'000), 2);
    EXPECT_EQ(stamps.paragraphAt(99'000), 4);
}

TEST(ParagraphStamps, LyricsAndSubtitlesImportAsStampedParagraphs)
{
    QTemporaryDir dir;
    const QString lrc = dir.filePath(u"talk.lrc"_s);
    test::writeFile(lrc, "[ti:Talk]\n[00:05.00]two\n[00:01.00]one\n[00:20.00]past the end\n");
    const ImportedLyrics lyrics = readLyricsFile(lrc, 10'000);
    ASSERT_TRUE(lyrics.error.isEmpty());
    EXPECT_EQ(stampedParagraphs(lyrics.sentences, 60'000),
        QStringList({ u"[01:01.00] one"_s, u"[01:05.00] two"_s }));

    const QString srt = dir.filePath(u"talk.SRT"_s);
    test::writeFile(srt, "1\r\n00:00:01,500 --> 00:00:03,000\r\nfirst line\r\nsecond line\r\n");
    EXPECT_EQ(stampedParagraphs(readLyricsFile(srt, 0).sentences, 0),
        QStringList { u"[00:01.50] first line second line"_s });

    const QString empty = dir.filePath(u"empty.lrc"_s);
    test::writeFile(empty, "no stamps here\n");
    EXPECT_EQ(readLyricsFile(empty, 0).error, u"“empty.lrc”里没有可用的时间标记"_s);
    EXPECT_TRUE(readLyricsFile(dir.filePath(u"gone.lrc"_s), 0).error.startsWith(u"无法打开"_s));
}

} // namespace
} // namespace ecolvar
