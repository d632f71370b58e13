#include "richtext/rvtextdocument.h"

#include "richtexttest.h"
#include "transcripts/transcriptfile.h"

#include "qtprinters.h"

#include <QBuffer>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;
using namespace ecolvar::test;

namespace {

QByteArray pngBytes()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A QTextDocument with the bridge over it, loaded with a model.
struct Bridge {
    QTextDocument text;
    RVTextDocument doc { &text, englishPaneStyle() };
    int undoSteps = 0;

    explicit Bridge(const RVDocument& model = workedExample())
    {
        doc.setContents(model);
        QObject::connect(&text, &QTextDocument::undoCommandAdded, [this] { ++undoSteps; });
    }
    QString items() const { return describe(doc.contents()); }
    // A cursor selecting the characters [from, to).
    QTextCursor select(int from, int to) const
    {
        QTextCursor c(const_cast<QTextDocument*>(&text));
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        return c;
    }
    int find(const QString& s) const { return int(text.toPlainText().indexOf(s)); }
};

// The model's bytes after a trip through the QTextDocument equal the bytes it came from.
void expectBytesSurviveEditor(const RVDocument& model)
{
    const QByteArray bytes = transcriptBytes(model);
    RVDocument read;
    TRVStyle style = englishPaneStyle();
    QString error;
    ASSERT_TRUE(readTranscript(bytes, read, style, &error)) << error.toStdString();
    QTextDocument text;
    RVTextDocument doc(&text, style);
    doc.setContents(read);
    EXPECT_EQ(transcriptBytes(doc.contents(), style), bytes);
    EXPECT_FALSE(text.isModified());
    EXPECT_FALSE(text.isUndoAvailable());
}

} // namespace

TEST(RVTextDocument, TranscriptsRoundTripByteForByte)
{
    expectBytesSurviveEditor(workedExample());

    RVDocument chinese;
    chinese.Items = { RVItem::text(u"第一课"_s, 1, 1), RVItem::text(u"这是一段"_s, 0, 0),
        RVItem::text(u"对话"_s, 4, -1, u"注释<kelmor>第二行"_s), RVItem::text(u"。"_s, 0, -1) };
    expectBytesSurviveEditor(chinese);

    // Text GBK cannot hold is a Unicode item; line starts inside a paragraph; a page break; an
    // empty paragraph; an empty tag beside an absent one; a hint.
    RVDocument mixed;
    mixed.Items = { RVItem::text(u"Korean 한국어 and 😀"_s, 0, 0),
        RVItem::text(u"second line"_s, 3, 0), RVItem::text(u"third"_s, 0, 0),
        RVItem::text(u"new page"_s, 2, 0), RVItem::text(QString(), 0, 0),
        RVItem::text(u"empty tag"_s, 4, 0, QString()), RVItem::text(u" hinted"_s, 0, -1) };
    mixed.Items[1].Options = rvioBR;
    mixed.Items[2].Options = rvioBR;
    mixed.Items[3].Options = rvioPageBreakBefore;
    mixed.Items[6].Hint = u"a \"hint\""_s;
    expectBytesSurviveEditor(mixed);

    // Pictures (one Qt can show, one it cannot), a horizontal line, a table and a checkpoint
    // are written back as they came.
    RVDocument records;
    RVItem line;
    line.Kind = rvrkBreak;
    line.Record = std::make_shared<const RVRecord>(RVRecord { 0, 0, "0 0 1", {} });
    RVItem table;
    table.Kind = rvrkTable;
    table.Record
        = std::make_shared<const RVRecord>(RVRecord { 0, 2, "3 4", "cell one\r\ncell two\r\n" });
    records.Items
        = { RVItem::text(u"before "_s, 0, 0), pictureItem(pngBytes()), pictureItem("not a picture"),
              RVItem::text(u" after"_s, 0, -1), line, table, RVItem::text(u"marked"_s, 0, 0) };
    records.Items[6].Checkpoint = std::make_shared<const RVCheckpoint>(
        RVCheckpoint { u"cp"_s, std::nullopt, false, false });
    records.TrailingCheckpoint = RVCheckpoint { u"end"_s, std::nullopt, true, false };
    expectBytesSurviveEditor(records);

    // An empty document is an empty file.
    QTextDocument text;
    RVTextDocument doc(&text, englishPaneStyle());
    doc.setContents({});
    EXPECT_TRUE(doc.contents().isEmpty());
}

TEST(RVTextDocument, ItemsBecomeRunsBlocksAndObjects)
{
    RVDocument model = workedExample();
    model.Items.insert(3, pictureItem(pngBytes()));
    model.Items.append(RVItem::text(u"next line"_s, 0, 0));
    model.Items.last().Options = rvioBR;
    model.Items.append(pictureItem("junk", 0));
    model.Items.last().Options = rvioPageBreakBefore;
    Bridge b(model);
    EXPECT_EQ(b.text.blockCount(), 3);
    EXPECT_EQ(b.text.findBlockByNumber(1).text(),
        u"This is a dialogue\uFFFC about travel.\u2028next line"_s);
    EXPECT_EQ(
        b.text.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(b.text.findBlockByNumber(2).blockFormat().pageBreakPolicy(),
        QTextFormat::PageBreak_AlwaysBefore);

    // The decoded picture is shown; data Qt cannot read shows the placeholder.
    const std::optional<RVItemSpan> shown = b.doc.item(3);
    const std::optional<RVItemSpan> junk = b.doc.item(6);
    ASSERT_TRUE(shown && junk);
    ASSERT_TRUE(shown->Object && junk->Object);
    auto image = [&](const RVItemSpan& span) {
        return b.text
            .resource(QTextDocument::ImageResource, QUrl(span.Format.toImageFormat().name()))
            .value<QImage>();
    };
    EXPECT_EQ(image(*shown).size(), QSize(3, 2));
    EXPECT_EQ(image(*junk), RVTextDocument::placeholderPicture());

    // The annotated word's run carries the style's look and the item's data.
    const std::optional<RVItemSpan> word = b.doc.item(2);
    ASSERT_TRUE(word);
    EXPECT_TRUE(word->Format.fontUnderline());
    EXPECT_EQ(word->Format.foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(word->Format.fontFamilies().toStringList().value(0), u"Arial"_s);
    EXPECT_GT(word->Format.fontFamilies().toStringList().size(), 1); // CJK fallback
    EXPECT_EQ(formatTag(word->Format), u"first<kelmor>second"_s);
}

TEST(RVTextDocument, EmptyTextItemsInsideAParagraphAreDropped)
{
    // A QTextDocument cannot hold an empty run: an empty item that shares its paragraph goes,
    // and its paragraph start passes to the next item; an empty paragraph stays.
    RVDocument model;
    model.Items = { RVItem::text(QString(), 2, 1), RVItem::text(u"a"_s, 0, -1),
        RVItem::text(QString(), 0, -1), RVItem::text(QString(), 0, 0) };
    Bridge b(model);
    const RVDocument back = b.doc.contents();
    EXPECT_EQ(describe(back), u"[0:a] | [0:]"_s);
    EXPECT_EQ(back.Items[0].ParaNo, 1);
}

TEST(RVTextDocument, SelectionBoundsAndOffsetsAtItemBoundaries)
{
    Bridge b;
    const int word = b.find(u"dialogue"_s);
    auto bounds = [&](int from, int to) { return b.doc.selectionBounds(b.select(from, to)); };
    // Inside the word: item 2, offsets from 1.
    EXPECT_EQ(bounds(word + 2, word + 4), (RVSelectionBounds { { 2, 3 }, { 2, 5 } }));
    // Exactly the word: starts at the end of the item before, ends at the end of the word.
    EXPECT_EQ(bounds(word, word + 8), (RVSelectionBounds { { 1, 11 }, { 2, 9 } }));
    // A caret at a paragraph start belongs to its first item; the selection end that stands at
    // the start of the next paragraph, too.
    const int second = b.text.findBlockByNumber(1).position();
    EXPECT_EQ(bounds(0, second), (RVSelectionBounds { { 0, 1 }, { 1, 1 } }));
    EXPECT_EQ(b.doc.offsetBeforeItem(2), 1);
    EXPECT_EQ(b.doc.offsetAfterItem(2), 9);
    EXPECT_EQ(b.doc.itemCount(), 4);
    EXPECT_FALSE(b.doc.item(4).has_value());

    RVDocument withPicture = workedExample();
    withPicture.Items.insert(3, pictureItem(pngBytes()));
    Bridge p(withPicture);
    const int picture = p.find(u"\uFFFC"_s);
    EXPECT_EQ(p.doc.offsetBeforeItem(3), 0);
    EXPECT_EQ(p.doc.offsetAfterItem(3), 1);
    EXPECT_EQ(p.doc.selectionBounds(p.select(picture, picture + 1)),
        (RVSelectionBounds { { 2, 9 }, { 3, 1 } }));
}

TEST(RVTextDocument, ApplyStyleSplitsAtTheSelectionAndIsOneUndoStep)
{
    Bridge b;
    const QString before = b.items();
    // "is a dia" covers the end of item 1 and the start of the annotated word.
    const int from = b.find(u"is a"_s);
    QTextCursor c = b.select(from, b.find(u"logue"_s));
    b.doc.applyStyle(c, 3);
    EXPECT_EQ(b.items(),
        u"[1:Lesson one] | [0:This ] [3:is a dia] [4:logue#first<kelmor>second] [0: about travel.]"_s);
    EXPECT_EQ(b.undoSteps, 1);
    EXPECT_TRUE(b.text.isModified());
    EXPECT_EQ(c.selectedText(), u"is a dia"_s); // the same characters stay selected

    b.text.undo();
    EXPECT_EQ(b.items(), before);
    EXPECT_FALSE(b.text.isModified());
}

TEST(RVTextDocument, ApplyStyleKeepsItemsAlreadyInTheStyleAndJoinsEqualNeighbours)
{
    Bridge b;
    // The whole second paragraph to style 4: the annotated word already has it and keeps its
    // tag; the plain text around it changes, loses nothing but its absence of a tag, and stays
    // separate because its tag differs.
    const QTextBlock para = b.text.findBlockByNumber(1);
    QTextCursor c = b.select(para.position(), para.position() + para.length() - 1);
    b.doc.applyStyle(c, 4);
    EXPECT_EQ(b.items(),
        u"[1:Lesson one] | [4:This is a ] [4:dialogue#first<kelmor>second] [4: about travel.]"_s);

    // Back to style 0: every item changes style, loses its tag, and the three join into one.
    b.doc.applyStyle(c, 0);
    EXPECT_EQ(b.items(), u"[1:Lesson one] | [0:This is a dialogue about travel.]"_s);

    // Applying the style an item already has changes nothing and adds no undo step.
    const int steps = b.undoSteps;
    QTextCursor heading = b.select(0, 6);
    b.doc.applyStyle(heading, 1);
    EXPECT_EQ(b.undoSteps, steps);
    EXPECT_EQ(b.items(), u"[1:Lesson one] | [0:This is a dialogue about travel.]"_s);
}

TEST(RVTextDocument, ApplyStyleWithoutSelectionChangesOnlyAnEmptyParagraph)
{
    RVDocument model = workedExample();
    model.Items.append(RVItem::text(QString(), 0, 0));
    Bridge b(model);
    QTextCursor inWord(&b.text);
    inWord.setPosition(b.find(u"dialogue"_s) + 3);
    b.doc.applyStyle(inWord, 1);
    EXPECT_EQ(b.undoSteps, 0);
    EXPECT_EQ(formatStyleNo(inWord.charFormat()), 1); // the style of text typed next

    QTextCursor empty(b.text.lastBlock());
    b.doc.applyStyle(empty, 2);
    EXPECT_EQ(b.doc.contents().Items.last().StyleNo, 2);
    EXPECT_EQ(b.undoSteps, 1);
}

TEST(RVTextDocument, TagsOfAGroupAreOneUndoStep)
{
    Bridge b;
    QTextCursor c(&b.text);
    c.beginEditBlock();
    for (qsizetype i = 1; i <= 3; ++i)
        b.doc.setItemTag(c, i, u"note"_s);
    c.endEditBlock();
    EXPECT_EQ(b.undoSteps, 1);
    EXPECT_EQ(b.items(),
        u"[1:Lesson one] | [0:This is a #note] [4:dialogue#note] [0: about travel.#note]"_s);
    b.doc.setItemTag(c, 2, u"note"_s); // the tag it has: no step
    EXPECT_EQ(b.undoSteps, 1);
    b.text.undo();
    EXPECT_EQ(b.items(), describe(workedExample()));
}

TEST(RVTextDocument, NeighboursWithEqualTagsStayTwoItems)
{
    RVDocument model;
    model.Items
        = { RVItem::text(u"one "_s, 4, 0, u"note"_s), RVItem::text(u"two"_s, 4, -1, u"note"_s) };
    Bridge b(model);
    QTextCursor c(&b.text);
    c.setPosition(4); // typing at the boundary extends the item before it
    c.insertText(u"and "_s);
    EXPECT_EQ(b.items(), u"[4:one and #note] [4:two#note]"_s);
    b.doc.setContents(b.doc.contents());
    EXPECT_EQ(b.items(), u"[4:one and #note] [4:two#note]"_s);
}

TEST(RVTextDocument, FixInsertedRenewsRepeatedIdsAndAdoptsForeignText)
{
    Bridge b;
    // Text of a new style typed inside an item splits it: the right half must not share the
    // left half's id, or the three would read as one item again when the middle goes.
    QTextCursor c(&b.text);
    const int at = b.find(u"travel"_s);
    c.setPosition(at);
    c.beginEditBlock();
    c.insertText(u"X"_s, b.doc.newTextFormat(3));
    b.doc.fixInserted(c, at, at + 1);
    c.endEditBlock();
    EXPECT_EQ(b.items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [0: about ] [3:X] [0:travel.]"_s);
    QTextCursor x = b.select(at, at + 1);
    x.removeSelectedText();
    EXPECT_EQ(b.items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [0: about ] [0:travel.]"_s);

    // Text with a look of its own, from outside: it gets a text style, added to the sheet.
    QTextCharFormat foreign;
    foreign.setFontFamilies({ u"Courier"_s });
    foreign.setFontPointSize(14);
    foreign.setFontItalic(true);
    const int end = b.text.characterCount() - 1;
    c.setPosition(end);
    c.insertText(u"code"_s, foreign);
    b.doc.fixInserted(c, end, end + 4);
    ASSERT_EQ(b.doc.style().TextStyles.size(), 7);
    EXPECT_EQ(b.doc.style().TextStyles[6].FontName, u"Courier"_s);
    EXPECT_EQ(b.doc.style().TextStyles[6].Size, 14);
    EXPECT_EQ(b.doc.style().TextStyles[6].Style, quint32(fsItalic));
    EXPECT_EQ(b.doc.contents().Items.last().StyleNo, 6);
}

TEST(RVTextDocument, EqualItemsOfDifferentParagraphsShareFormatsButNotPictures)
{
    RVDocument model;
    for (int i = 0; i < 500; ++i) {
        model.Items.append(RVItem::text(u"Paragraph %1 with "_s.arg(i), 0, i % 7 == 0 ? 1 : 0));
        model.Items.append(RVItem::text(u"a word"_s, 4, -1, u"note"_s));
        model.Items.append(RVItem::text(u" and the rest."_s, 0, -1));
    }
    Bridge b(model);
    EXPECT_LT(b.text.allFormats().size(), 20);
    EXPECT_EQ(b.items(), describe(model));

    // A document this large is written from one copy of its text: still byte for byte, line
    // starts and pictures included.
    for (int i = 0; i < 1500; ++i) {
        model.Items.append(RVItem::text(u"Line %1 of the second part, long enough"_s.arg(i), 0, 0));
        model.Items.last().Options = rvioBR;
    }
    model.Items.insert(1000, pictureItem(pngBytes()));
    qsizetype characters = 0;
    for (const RVItem& item : model.Items)
        characters += item.Text.size() + 1;
    ASSERT_GT(characters, 65536);
    expectBytesSurviveEditor(model);

    // Two pictures at the same place of two paragraphs keep their own images.
    QImage blue(4, 4, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QByteArray blueBytes;
    QBuffer buffer(&blueBytes);
    buffer.open(QIODevice::WriteOnly);
    blue.save(&buffer, "PNG");
    RVDocument pictures;
    pictures.Items.append(pictureItem(pngBytes(), 0));
    pictures.Items.append(pictureItem(blueBytes, 0));
    Bridge p(pictures);
    auto image = [&](qsizetype index) {
        return p.text
            .resource(QTextDocument::ImageResource,
                QUrl(p.doc.item(index)->Format.toImageFormat().name()))
            .value<QImage>();
    };
    EXPECT_EQ(image(0).size(), QSize(3, 2));
    EXPECT_EQ(image(1).size(), QSize(4, 4));
}
