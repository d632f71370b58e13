#include "transcripts/transcriptfile.h"

#include "transcripts/stylestream.h"
#include "transcripttest.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;
using namespace ecolvar::test;

namespace {

RVItem picture()
{
    RVItem item;
    item.Kind = rvrkPicture;
    item.ParaNo = -1;
    item.Options = rvioSameAsPrev;
    item.Record = std::make_shared<const RVRecord>(RVRecord { 2, 3, {},
        Bytes() << "smile\r\nTBitmap\r\n"
                << le32(6) << 0 << 13 << 10 << 255 << 0 << 1 });
    return item;
}

// The worked example: a centred heading, then a paragraph with the annotated word "dialogue".
RVDocument workedExample()
{
    RVDocument doc;
    doc.Items = {
        RVItem::text(u"Lesson one"_s, 1, 1),
        RVItem::text(u"This is a "_s, 0, 0),
        RVItem::text(u"dialogue"_s, 4, -1, u"first<kelmor>second"_s),
        RVItem::text(u" about travel."_s, 0, -1),
    };
    return doc;
}

const QByteArray workedExampleRecords = "1 1 1 0 0 0\r\nLesson one\r\n"
                                        "0 1 0 0 0 0\r\nThis is a \r\n"
                                        "4 1 -1 1 0 \"first<kelmor>second\"\r\ndialogue\r\n"
                                        "0 1 -1 1 0 0\r\n about travel.\r\n";

// A document that is written and read back comes back equal, styles included.
void expectRoundTrip(const RVDocument& doc, const TRVStyle& style = englishPaneStyle())
{
    const QByteArray bytes = save(doc, style);
    TRVStyle other = chinesePaneStyle();
    other.TextStyles = { TFontInfo() };
    const Loaded back = load(bytes, other);
    EXPECT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc, doc);
    EXPECT_EQ(back.style.TextStyles, style.TextStyles);
    EXPECT_EQ(save(back.doc, style), bytes);
}

} // namespace

TEST(TranscriptFile, DesignStyleBlocksHaveTheirSizes)
{
    const QByteArray head = designHead();
    EXPECT_EQ(head.size(), 8 + (16 + 10 + 4 + 403) + (16 + 10 + 4 + 88) + (16 + 10 + 4 + 2));
    RVDocument doc;
    doc.Items = { RVItem::text(u"x"_s) };
    EXPECT_EQ(save(doc), head + "0 1 0 0 0 0\r\nx\r\n");
    EXPECT_EQ(save(doc, chinesePaneStyle()),
        QByteArray(head).replace("RVStyle3", "RVStyle4") + "0 1 0 0 0 0\r\nx\r\n");
}

TEST(TranscriptFile, WorkedExampleIsWrittenByteForByteAndReadBack)
{
    EXPECT_EQ(save(workedExample()), designHead() + workedExampleRecords);
    const Loaded back = load(designHead() + workedExampleRecords);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc, workedExample());
    EXPECT_EQ(back.style, englishPaneStyle());
}

TEST(TranscriptFile, ConsecutiveParagraphsOfOneLookAreJoinedIntoOneRecord)
{
    RVDocument doc;
    doc.Items = { RVItem::text(u"one"_s, 3, 1), RVItem::text(u"two"_s, 3, 1),
        RVItem::text(u"three"_s, 3, 1) };
    const QByteArray records = "3 3 1 0 0 0\r\none\r\ntwo\r\nthree\r\n";
    EXPECT_EQ(save(doc), designHead() + records);
    const Loaded back = load(designHead() + records);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.doc, doc);
}

TEST(TranscriptFile, ParagraphsDifferingInAnythingAreNotJoined)
{
    const RVItem base = RVItem::text(u"a"_s, 0, 0, u"note"_s);
    QList<RVItem> others(7, base);
    others[0].StyleNo = 1;
    others[1].ParaNo = 1;
    others[2].Options = rvioBR;
    others[3].Tag = u"other"_s;
    others[4].Tag.reset();
    others[5].Hint = u"hint"_s;
    others[6].Checkpoint = std::make_shared<const RVCheckpoint>(
        RVCheckpoint { u"cp"_s, std::nullopt, false, false });
    for (const RVItem& other : others) {
        RVDocument doc;
        doc.Items = { base, other };
        const Loaded back = load(save(doc));
        EXPECT_EQ(back.doc, doc);
        EXPECT_FALSE(save(doc).contains("a\r\na\r\n"));
    }
    // An empty tag and no tag differ for joining, though both are written as 0.
    RVDocument doc;
    doc.Items = { RVItem::text(u"a"_s, 0, 0, QString()), RVItem::text(u"b"_s) };
    EXPECT_TRUE(save(doc).endsWith("0 1 0 0 0 0\r\na\r\n0 1 0 0 0 0\r\nb\r\n"));
}

TEST(TranscriptFile, EmptyNoteIsWrittenAs0AndComesBackWithoutTag)
{
    RVDocument doc;
    doc.Items = { RVItem::text(u"word"_s, 4, 0, QString()) };
    EXPECT_EQ(save(doc), designHead() + "4 1 0 0 0 0\r\nword\r\n");
    const Loaded back = load(save(doc));
    ASSERT_EQ(back.doc.Items.size(), 1);
    EXPECT_FALSE(back.doc.Items[0].Tag.has_value());
}

TEST(TranscriptFile, TagsAndHintsWithQuotesAndSpacesRoundTrip)
{
    RVDocument doc;
    doc.Items = { RVItem::text(u"he said"_s, 4, 0, u"say \"hi\" twice"_s),
        RVItem::text(u"zero"_s, 4, 0, u"0"_s),
        RVItem::text(u"中文"_s, 4, -1, u"注释：\"引号\""_s) };
    doc.Items[0].Hint = u"a \"hint\""_s;
    const QByteArray bytes = save(doc);
    EXPECT_TRUE(
        bytes.contains("4 1 0 0 0 \"say \"\"hi\"\" twice\" \"a \"\"hint\"\"\"\r\nhe said\r\n"));
    EXPECT_TRUE(bytes.contains("4 1 0 0 0 \"0\"\r\nzero\r\n"));
    expectRoundTrip(doc);
}

TEST(TranscriptFile, UnquotedTagsAreReadToTheNextSpace)
{
    const Loaded back
        = load(designHead() + "0 1 0 0 0 plain \"hint\"\r\nx\r\n0 1 0 0 0 0\r\ny\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc.Items[0].Tag, u"plain"_s);
    EXPECT_EQ(back.doc.Items[0].Hint, u"hint"_s);
    EXPECT_FALSE(back.doc.Items[1].Tag.has_value());
}

TEST(TranscriptFile, StyleBeyondTheStyleBlockFailsKeepingItemsBefore)
{
    // Style blocks with six and with five text styles; a record naming the first style beyond.
    for (int count : { 6, 5 }) {
        const QByteArray bytes = Bytes()
            << "-8 1 3\r\n"
            << styleBlock(1, encodeStyles(designTextStyles().first(count)))
            << "0 1 0 0 0 0\r\nbefore\r\n1 2 0 0 0 0\r\nalso\r\nbefore\r\n"
            << QByteArray::number(count) << " 1 0 0 0 0\r\nafter\r\n0 1 0 0 0 0\r\nlast\r\n";
        const Loaded back = load(bytes);
        EXPECT_FALSE(back.ok);
        EXPECT_TRUE(back.error.contains(u"text style %1"_s.arg(count))) << back.error.toStdString();
        ASSERT_EQ(back.doc.Items.size(), 3);
        EXPECT_EQ(back.doc.Items[2].Text, u"before"_s);
        EXPECT_EQ(back.style.TextStyles.size(), count);
    }
}

TEST(TranscriptFile, FileWithoutStyleBlocksKeepsTheCurrentStyles)
{
    TRVStyle current = englishPaneStyle();
    current.TextStyles.append(TFontInfo());
    current.TextStyles[6].StyleName = u"Extra"_s;
    const Loaded back = load("-8 1 3\r\n6 1 0 0 0 0\r\nx\r\n", current);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.style, current);
    EXPECT_EQ(back.doc.Items[0].StyleNo, 6);

    // Empty blocks keep them too; a block with styles replaces its collection only.
    TParaInfo wide;
    wide.LeftIndent = 40;
    const Loaded mixed = load(Bytes() << "-8 1 3\r\n"
                                      << styleBlock(1, Bytes() << 14 << 0)
                                      << styleBlock(2, encodeStyles(QList<TParaInfo> { wide })),
        current);
    ASSERT_TRUE(mixed.ok) << mixed.error.toStdString();
    EXPECT_EQ(mixed.style.TextStyles, current.TextStyles);
    EXPECT_EQ(mixed.style.ParaStyles, QList<TParaInfo> { wide });
}

TEST(TranscriptFile, LfOnlyLineEndsLoadLikeCrLf)
{
    const QByteArray hexHead = Bytes()
        << "-8 1 3\n-9 2 0 0 0 0 1\nRVStyle3\n"
        << encodeStyles(designTextStyles()).toHex() << "\n"
        << "-9 2 0 0 0 0 2\nRVStyle3\n"
        << encodeStyles(designParaStyles()).toHex().toUpper() << "\n";
    QByteArray lf = hexHead + workedExampleRecords;
    lf.replace("\r\n", "\n");
    // Styles that the records would not fit unless the blocks are read.
    TRVStyle start = chinesePaneStyle();
    start.TextStyles = { TFontInfo() };
    start.ParaStyles = { TParaInfo() };
    const Loaded back = load(lf, start);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc, workedExample());
    EXPECT_EQ(back.style.TextStyles, designTextStyles());
    EXPECT_EQ(back.style.ParaStyles, designParaStyles());

    QByteArray cr = lf;
    cr.replace('\n', '\r');
    EXPECT_EQ(load(cr, start).doc, workedExample());
    // The last line needs no line end.
    lf.chop(1);
    EXPECT_EQ(load(lf, start).doc, workedExample());
}

TEST(TranscriptFile, EmptyDocumentIsAnEmptyFileAndBack)
{
    RVDocument doc;
    doc.TrailingCheckpoint = RVCheckpoint { u"unused"_s, std::nullopt, false, false };
    EXPECT_EQ(save(doc), QByteArray());
    RVDocument loaded = workedExample();
    TRVStyle style = englishPaneStyle();
    EXPECT_TRUE(readTranscript(QByteArray(), loaded, style));
    EXPECT_TRUE(loaded.isEmpty());
}

TEST(TranscriptFile, PictureRecordSurvivesByteForByte)
{
    RVDocument doc = workedExample();
    doc.Items.insert(2, picture());
    const QByteArray pictureRecord = Bytes() << "-3 3 -1 1 2 0\r\n" << picture().Record->Data;
    const QByteArray bytes = save(doc);
    EXPECT_TRUE(bytes.contains(pictureRecord));

    const QByteArray original = designHead() + "0 1 0 0 0 0\r\nA \r\n" + pictureRecord
        + "-3 2 0 0 1 \"tag\" 7 8\r\nname\r\nWidth=3\r\n" + "-1 0 0 0 0 0 255 1 2\r\n"
        + "0 1 -1 0 0 0\r\nafter the line\r\n";
    const Loaded back = load(original);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    ASSERT_EQ(back.doc.Items.size(), 5);
    EXPECT_EQ(back.doc.Items[1].Kind, rvrkPicture);
    EXPECT_EQ(back.doc.Items[2].Tag, u"tag"_s);
    EXPECT_EQ(back.doc.Items[2].Record->Extra, "7 8");
    // After a horizontal line, "continues" starts a new paragraph of style 0.
    EXPECT_EQ(back.doc.Items[4].ParaNo, 0);
    QByteArray expected = original;
    expected.replace("0 1 -1 0 0 0\r\nafter", "0 1 0 0 0 0\r\nafter");
    EXPECT_EQ(save(back.doc), expected);
}

TEST(TranscriptFile, RecordAtTheEndWithoutLineEndGetsOneWhenWritten)
{
    const Loaded back = load(designHead() + "-3 1 0 0 1 0\r\nname");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    RVDocument doc = back.doc;
    doc.Items.append(RVItem::text(u"next"_s));
    expectRoundTrip(doc);
}

TEST(TranscriptFile, UnknownRecordKindsAndBackgroundAreSkipped)
{
    const Loaded back = load(designHead() + "-77 2 0 0 2 0\r\nx\r\n" + le32(3) + "\r\n\n"
        + "-7 0 0 0 0 0 1 255\r\n" + "-9 2 0 0 2 0 5\r\nRVStyle3\r\n" + le32(2) + "zz"
        + "0 1 0 0 0 0\r\nkept\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    ASSERT_EQ(back.doc.Items.size(), 1);
    EXPECT_EQ(back.doc.Items[0].Text, u"kept"_s);
}

TEST(TranscriptFile, TextGbkCannotHoldBecomesAUnicodeItem)
{
    RVDocument doc;
    doc.Items = { RVItem::text(u"中文 text"_s), RVItem::text(u"emoji 😀 ü"_s, 0, -1),
        RVItem::text(u"line\nbreak\r"_s), RVItem::text(u"para\u2029sep"_s), RVItem::text(u"€"_s) };
    const QByteArray bytes = save(doc);
    // GBK text stays GBK; the others are UTF-16 lines ended by U+2029, or hexadecimal lines
    // when the text itself holds U+2029.
    EXPECT_TRUE(bytes.contains("0 1 0 0 0 0\r\n\xD6\xD0\xCE\xC4 text\r\n"));
    const QString emoji = u"emoji 😀 ü"_s;
    EXPECT_TRUE(bytes.contains(Bytes()
        << "0 1 -1 9 0 0\r\n"
        << QByteArray(reinterpret_cast<const char*>(emoji.utf16()), emoji.size() * 2) << 0x29
        << 0x20));
    EXPECT_TRUE(bytes.contains("0 2 0 8 3 0\r\n6C0069006E0065000A0062007200650061006B000D00\r\n"
                               "70006100720061002920730065007000\r\n"));
    EXPECT_TRUE(bytes.endsWith("0 1 0 0 0 0\r\n\x80\r\n"));
    doc.Items[1].Options |= rvioUnicode;
    doc.Items[2].Options |= rvioUnicode;
    doc.Items[3].Options |= rvioUnicode;
    expectRoundTrip(doc);
}

TEST(TranscriptFile, UnicodeItemsFollowTheirTextStyle)
{
    // A Unicode item whose text GBK can hold becomes an ordinary item of a non-Unicode style.
    const QString text = u"plain"_s;
    const QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    Loaded back = load(designHead() + "0 1 0 8 0 0\r\n" + utf16 + "\x29\x20" + "0 1 0 8 3 0\r\n"
        + utf16.toHex() + "\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    ASSERT_EQ(back.doc.Items.size(), 2);
    for (const RVItem& item : back.doc.Items) {
        EXPECT_EQ(item.Text, text);
        EXPECT_EQ(item.Options, 0);
    }

    // A Unicode text style makes all its items Unicode, in the file and in the model.
    TRVStyle style = englishPaneStyle();
    style.TextStyles[0].Unicode = true;
    RVDocument doc;
    doc.Items = { RVItem::text(u"abc"_s) };
    const QByteArray bytes = save(doc, style);
    EXPECT_TRUE(
        bytes.endsWith(Bytes() << "0 1 0 8 0 0\r\na" << 0 << "b" << 0 << "c" << 0 << 0x29 << 0x20));
    back = load(bytes, style);
    EXPECT_EQ(back.doc.Items[0].Options, rvioUnicode);
}

TEST(TranscriptFile, QuotedStyleNamesStandForTheirNumbers)
{
    const Loaded back = load(designHead()
        + "\"Keywords\" 1 \"Centered\" 0 0 0\r\nk\r\n\"Nobody\" 1 \"Nothing\" 0 0 0\r\nz\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc.Items[0].StyleNo, 3);
    EXPECT_EQ(back.doc.Items[0].ParaNo, 1);
    EXPECT_EQ(back.doc.Items[1].StyleNo, 0);
    EXPECT_EQ(back.doc.Items[1].ParaNo, 0);
}

TEST(TranscriptFile, ContinuingItemAtTheStartStartsAParagraphOfStyle0)
{
    const Loaded back = load("0 1 -1 1 0 0\r\nfirst\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc.Items[0].ParaNo, 0);
    EXPECT_EQ(back.doc.Items[0].Options, 0);
}

TEST(TranscriptFile, OlderVersionsHaveNoOptionsFieldAndNoQuotedTags)
{
    // Without a version record: version 1, subversion 0.
    Loaded back = load("4 1 0 0 \"a\r\nword\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc.Items[0].Tag, u"\"a"_s);
    EXPECT_EQ(back.doc.Items[0].Options, 0);
    back = load("-8 1 2\r\n4 1 0 1 0 \"a b\"\r\nword\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_EQ(back.doc.Items[0].Tag, u"\"a"_s);
    EXPECT_EQ(back.doc.Items[0].Options, 1);
    // An item record read from an old file is written with the fields of the current version.
    back = load("-3 1 0 0 \"t\r\nname\r\n");
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_TRUE(save(back.doc).endsWith("-3 1 0 0 0 \"\"\"t\"\r\nname\r\n"));
}

TEST(TranscriptFile, CheckpointsAttachToTheNextItem)
{
    RVDocument doc = workedExample();
    doc.Items[1].Checkpoint = std::make_shared<const RVCheckpoint>(
        RVCheckpoint { u"start"_s, u"cp tag"_s, true, false });
    doc.Items[2].Checkpoint = std::make_shared<const RVCheckpoint>(
        RVCheckpoint { u"word"_s, std::nullopt, false, true });
    doc.TrailingCheckpoint = RVCheckpoint { u"end"_s, std::nullopt, false, false };
    const QByteArray bytes = save(doc);
    EXPECT_TRUE(bytes.contains("-2 1 0 0 0 \"cp tag\" 1 0\r\nstart\r\n0 1 0 0 0 0\r\n"));
    EXPECT_TRUE(bytes.endsWith("-2 1 0 0 0 0 0 0\r\nend\r\n"));
    expectRoundTrip(doc);
}

TEST(TranscriptFile, MalformedFilesFailKeepingWhatWasRead)
{
    const QByteArray good = "0 1 0 0 0 0\r\nkept\r\n";
    const QList<QByteArray> bad {
        "x 1 0 0 0 0\r\nno\r\n", // kind not a number
        "0 1 0 0 0\r\nno\r\n", // tag missing
        "0 1x 0 0 0 0\r\nno\r\n",
        "0 1 0 0 0 \"open\r\nno\r\n",
        "0 99999999999 0 0 0 0\r\n",
        "0 3 0 0 0 0\r\nonly\r\ntwo\r\n", // data ends inside the record
        "0 1 7 0 0 0\r\nno\r\n", // paragraph style 7
        "0 1 -2 0 0 0\r\nno\r\n",
        "0 1 0 300 0 0\r\nno\r\n",
        "-9 2 0 0 2 0 1\r\nRVStyle3\r\n" + le32(5) + "abc", // block longer than the file
        "-9 2 0 0 2 0 1\r\nRVStyle3\r\n" + le32(0xFFFFFFFFu),
        "-9 2 0 0 2 0 1\r\nRVStyle3\r\n\x0e", // truncated length
        Bytes() << "-9 2 0 0 2 0 1\r\nRVStyle3\n"
                << le32(2) << 14 << 0, // no CR LF before it
        Bytes() << "-9 2 0 0 2 0 1\r\nRVStyle3\r\n"
                << le32(2) << 15 << 0, // no 14 first
        Bytes() << "-9 2 0 0 2 0 1\r\nRVStyle3\r\n"
                << le32(3) << 14 << 1 << 0, // malformed
        Bytes() << "-9 2 0 0 2 0\r\nRVStyle3\r\n"
                << le32(2) << 14 << 0, // block kind missing
        "-3 3 0 0 2 0\r\nname\r\nTBitmap\r\n" + le32(10) + "short",
        Bytes() << "0 1 0 0 0 0\r\nnul" << 0 << "byte\r\n",
        "-2 1 0 0 0 0 x\r\nname\r\n",
        "-8 1\r\n",
        "\r\n",
    };
    for (const QByteArray& tail : bad) {
        const Loaded back = load(designHead() + good + tail);
        EXPECT_FALSE(back.ok) << tail.toStdString();
        EXPECT_FALSE(back.error.isEmpty());
        ASSERT_GE(back.doc.Items.size(), 1);
        EXPECT_EQ(back.doc.Items[0].Text, u"kept"_s);
    }
}

TEST(TranscriptFile, WriterRefusesWhatTheHeaderCannotCarry)
{
    const QList<RVItem> items {
        RVItem::text(u"x"_s, 0, 0, u"two\nlines"_s),
        RVItem::text(u"x"_s, 0, 0, u"emoji 😀"_s),
        RVItem::text(u"x"_s, 6, 0),
        RVItem::text(u"x"_s, 0, 2),
    };
    for (const RVItem& item : items) {
        RVDocument doc;
        doc.Items = { item };
        QString error;
        EXPECT_FALSE(writeTranscript(doc, englishPaneStyle(), &error).has_value());
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(TranscriptFile, FilesAreLoadedAndSavedAtomically)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lesson.eng"_s);
    RVDocument doc = workedExample();
    TRVStyle style = englishPaneStyle();
    QString error;
    ASSERT_TRUE(SaveDocumentFile(path, doc, style, &error)) << error.toStdString();
    EXPECT_EQ(readFile(path), designHead() + workedExampleRecords);

    RVDocument loaded;
    ASSERT_TRUE(LoadDocumentFile(path, loaded, style, &error));
    EXPECT_EQ(loaded, doc);

    // A save the writer refuses leaves the file as it was.
    doc.Items[0].Tag = u"bad\nline"_s;
    EXPECT_FALSE(SaveDocumentFile(path, doc, style, &error));
    EXPECT_EQ(readFile(path), designHead() + workedExampleRecords);
    EXPECT_FALSE(SaveDocumentFile(dir.filePath(u"missing/x.eng"_s), loaded, style, &error));

    // A file that cannot be opened leaves the document unchanged.
    EXPECT_FALSE(LoadDocumentFile(dir.filePath(u"none.eng"_s), loaded, style, &error));
    EXPECT_EQ(loaded, workedExample());
    EXPECT_TRUE(error.contains(u"none.eng"_s));
}

TEST(TranscriptFile, ASaveThatFailsPartWayKeepsTheOldFileByteForByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lesson.eng"_s);
    const TRVStyle style = englishPaneStyle();
    ASSERT_TRUE(SaveDocumentFile(path, workedExample(), style));
    const QByteArray old = readFile(path);

    RVDocument longer;
    for (int i = 0; i < 3000; ++i)
        longer.Items.append(RVItem::text(u"Sentence %1 of a long lesson."_s.arg(i), 0, 0));
    // The disk fills up after 4 KB of the new file.
    EXPECT_EQ(runUnderFileSizeLimit(4096, [&] { return SaveDocumentFile(path, longer, style); }),
        LimitedRun::Failed);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"lesson.eng"_s });
}

// Inputs the fuzzer found troublesome: whatever is read from them, written and read back, gives
// the same document, and from the second writing on the same bytes.
TEST(TranscriptFile, FuzzFindingsReadAndWriteStably)
{
    const QDir dir(QStringLiteral(ECOLVAR_TEST_FIXTURES "/fuzz"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const Loaded first = load(readFile(dir.filePath(name)));
        const QByteArray once = save(first.doc, first.style);
        const Loaded second = load(once);
        EXPECT_TRUE(second.ok) << second.error.toStdString();
        const QByteArray twice = save(second.doc, second.style);
        const Loaded third = load(twice);
        EXPECT_EQ(third.doc, second.doc);
        EXPECT_EQ(save(third.doc, third.style), twice);
    }
}
