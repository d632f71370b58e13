#include "richtext/trichtextedit.h"

#include "richtext/rvdocumentlayout.h"

#include "richtexttest.h"
#include "transcripts/transcriptfile.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;
using namespace ecolvar::test;

namespace {

class TRichTextEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(u"lesson.eng"_s);
        writeFile(path, transcriptBytes(workedExample()));
        edit.resize(400, 300);
        edit.setDocumentFormat(transcriptFormat());
        ASSERT_TRUE(edit.LoadDocumentFile(path));
        edit.FormatDocument();
    }

    QString items() { return describe(edit.richDocument().contents()); }
    void caretAt(int position)
    {
        QTextCursor c = edit.textCursor();
        c.setPosition(position);
        edit.setTextCursor(c);
    }
    void select(int from, int to)
    {
        QTextCursor c = edit.textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        edit.setTextCursor(c);
    }
    int find(const QString& s) const { return int(edit.toPlainText().indexOf(s)); }
    // Every item's id differs from that of every other item of its paragraph.
    void expectIdsUnique()
    {
        QList<std::pair<int, int>> ids; // paragraph, id
        for (qsizetype i = 0; i < edit.richDocument().itemCount(); ++i) {
            const RVItemSpan span = *edit.richDocument().item(i);
            ids.append({ edit.document()->findBlock(span.Start).blockNumber(),
                formatItemId(span.Format) });
        }
        QList<std::pair<int, int>> sorted = ids;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.cbegin(), sorted.cend()), sorted.cend())
            << items().toStdString();
    }

    QTemporaryDir dir;
    QString path;
    TRichTextEdit edit { englishPaneStyle() };
};

} // namespace

TEST_F(TRichTextEditTest, LoadAndSaveWithoutEditWriteTheSameBytes)
{
    const QString out = dir.filePath(u"out.eng"_s);
    ASSERT_TRUE(edit.SaveDocumentFile(out));
    EXPECT_EQ(readFile(out), readFile(path));
    EXPECT_FALSE(edit.Modified());
}

TEST_F(TRichTextEditTest, ModifiedFlagThroughEditUndoSaveLoadAndClear)
{
    caretAt(find(u"travel"_s));
    QTest::keyClicks(&edit, u"x"_s);
    EXPECT_TRUE(edit.Modified());
    edit.undo();
    EXPECT_FALSE(edit.Modified()); // back at the save point
    QTest::keyClicks(&edit, u"y"_s);
    ASSERT_TRUE(edit.SaveDocumentFile(dir.filePath(u"other.eng"_s)));
    EXPECT_TRUE(edit.Modified()); // a save leaves the flag to the caller
    edit.setModified(false);
    EXPECT_FALSE(edit.Modified());

    ASSERT_TRUE(edit.LoadDocumentFile(path));
    EXPECT_FALSE(edit.Modified());
    EXPECT_FALSE(edit.document()->isUndoAvailable());
    QTest::keyClicks(&edit, u"z"_s);
    edit.ClearDocument();
    EXPECT_FALSE(edit.Modified());
    EXPECT_FALSE(edit.document()->isUndoAvailable());
    EXPECT_EQ(edit.toPlainText(), QString());
    // Typing into a cleared pane makes plain text of style 0, and an empty pane saves empty.
    QTest::keyClicks(&edit, u"new"_s);
    EXPECT_EQ(items(), u"[0:new]"_s);
    edit.ClearDocument();
    const QString empty = dir.filePath(u"empty.eng"_s);
    ASSERT_TRUE(edit.SaveDocumentFile(empty));
    EXPECT_EQ(readFile(empty), QByteArray());
}

TEST_F(TRichTextEditTest, FailedLoadsAndSavesSayWhy)
{
    // A file that cannot be opened leaves the document as it was.
    EXPECT_FALSE(edit.LoadDocumentFile(dir.filePath(u"missing.eng"_s)));
    EXPECT_TRUE(edit.lastError().contains(u"missing.eng"_s));
    EXPECT_EQ(items(), describe(workedExample()));

    // A file that breaks off part-way keeps what was read before the fault.
    QByteArray cut = transcriptBytes(workedExample());
    cut.chop(QByteArray(" about travel.\r\n").size());
    const QString broken = dir.filePath(u"broken.eng"_s);
    writeFile(broken, cut);
    EXPECT_FALSE(edit.LoadDocumentFile(broken));
    EXPECT_TRUE(edit.lastError().contains(u"broken.eng"_s));
    EXPECT_EQ(items(), u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second]"_s);

    // A save into a missing directory fails, names the path and leaves the flag alone.
    QTest::keyClicks(&edit, u"x"_s);
    const QString nowhere = dir.filePath(u"txt/lesson.eng"_s);
    EXPECT_FALSE(edit.SaveDocumentFile(nowhere));
    EXPECT_TRUE(edit.lastError().contains(nowhere));
    EXPECT_TRUE(edit.Modified());
}

TEST_F(TRichTextEditTest, TypingInsideAfterAndBetweenItemsExtendsTheItemBeforeTheCaret)
{
    caretAt(find(u"logue"_s));
    QTest::keyClicks(&edit, u"X"_s);
    caretAt(find(u" about"_s)); // between the word and the plain text after it
    QTest::keyClicks(&edit, u"s"_s);
    caretAt(edit.document()->characterCount() - 1);
    QTest::keyClicks(&edit, u" End"_s);
    caretAt(0);
    QTest::keyClicks(&edit, u"A "_s);
    EXPECT_EQ(items(),
        u"[1:A Lesson one] | [0:This is a ] [4:diaXlogues#first<kelmor>second] [0: about travel. End]"_s);
    expectIdsUnique();
}

TEST_F(TRichTextEditTest, EnterInsideAnItemSplitsItIntoTwoItemsInOneUndoStep)
{
    caretAt(find(u"logue"_s));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a ] [4:dia#first<kelmor>second] | [4:logue#first<kelmor>second] [0: about travel.]"_s);
    expectIdsUnique();
    // Enter at the end of a paragraph: the new empty paragraph is an item of its own.
    caretAt(edit.document()->characterCount() - 1);
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClicks(&edit, u"more"_s);
    expectIdsUnique();
    EXPECT_TRUE(items().endsWith(u"[0: about travel.] | [0:more]"_s));

    edit.undo();
    edit.undo();
    edit.undo();
    EXPECT_EQ(items(), describe(workedExample()));
    EXPECT_FALSE(edit.Modified());
}

TEST_F(TRichTextEditTest, InputMethodCommitInsideAnItemWithAPendingStyle)
{
    caretAt(find(u"travel"_s) + 3);
    edit.ApplyStyleToSelection(3); // no selection: the style of text typed next
    QInputMethodEvent commit;
    commit.setCommitString(u"旅行"_s);
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [0: about tra] [3:旅行] [0:vel.]"_s);
    expectIdsUnique();
    // A commit without a pending style extends the item it is typed in.
    QInputMethodEvent more;
    more.setCommitString(u"中"_s);
    QApplication::sendEvent(&edit, &more);
    EXPECT_TRUE(items().contains(u"[3:旅行中]"_s));
    edit.undo();
    edit.undo();
    EXPECT_EQ(items(), describe(workedExample()));
}

TEST_F(TRichTextEditTest, AnnotationIsTwoUndoStepsStyleThenTags)
{
    select(find(u"is a"_s), find(u" a "_s) + 2); // "is a"
    edit.ApplyStyleToSelection(4);
    const RVSelectionBounds b = edit.SelectionBounds();
    qsizetype first = b.Start.Item;
    qsizetype last = b.End.Item;
    if (b.Start.Offset >= edit.OffsetAfterItem(first))
        ++first;
    if (edit.OffsetBeforeItem(last) >= b.End.Offset)
        --last;
    edit.StartUndoGroup(TRichTextEdit::rvutTag);
    edit.SetUndoGrouping(true);
    for (qsizetype i = first; i <= last; ++i)
        edit.SetItemTagUndoable(i, u"note"_s);
    edit.SetUndoGrouping(false);
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This ] [4:is a#note] [0: ] [4:dialogue#first<kelmor>second] [0: about travel.]"_s);
    caretAt(find(u"is a"_s) + 1);
    EXPECT_EQ(edit.CurrentItemTag(), u"note"_s);

    edit.undo();
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This ] [4:is a] [0: ] [4:dialogue#first<kelmor>second] [0: about travel.]"_s);
    edit.undo();
    EXPECT_EQ(items(), describe(workedExample()));

    edit.setReadOnly(true);
    select(0, 4);
    edit.ApplyStyleToSelection(0);
    edit.SetItemTagUndoable(0, u"x"_s);
    EXPECT_EQ(items(), describe(workedExample()));
}

TEST_F(TRichTextEditTest, CopyAndPasteInsideTheProgramKeepStylesAndTags)
{
    select(find(u"a dialogue"_s), find(u" about"_s));
    edit.copy();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text(), u"a dialogue"_s);
    EXPECT_TRUE(mime->hasHtml());
    EXPECT_TRUE(mime->hasFormat(QLatin1StringView(TranscriptMimeType)));

    // A pane whose style sheet lacks the annotation style gets it added, by its look.
    TRVStyle plain = chinesePaneStyle();
    plain.TextStyles.resize(1);
    TRichTextEdit other(plain);
    other.setDocumentFormat(transcriptFormat());
    other.insertPlainText(u"说 "_s);
    other.paste();
    EXPECT_EQ(describe(other.richDocument().contents()),
        u"[0:说 ] [0:a ] [1:dialogue#first<kelmor>second]"_s);
    EXPECT_EQ(other.Style().TextStyles.value(1), englishPaneStyle().TextStyles[4]);
    other.undo(); // the paste is one step, and the history before it stays
    EXPECT_EQ(describe(other.richDocument().contents()), u"[0:说 ]"_s);
    // Pasted into the middle of an item, the item's two halves stay distinct.
    caretAt(find(u"travel"_s));
    edit.paste();
    EXPECT_TRUE(
        items().endsWith(u"[0: about ] [0:a ] [4:dialogue#first<kelmor>second] [0:travel.]"_s))
        << items().toStdString();
    expectIdsUnique();
}

TEST_F(TRichTextEditTest, RichTextFromOutsideAddsTheStylesItNeedsAndTheyAreSaved)
{
    auto mime = new QMimeData;
    mime->setHtml(
        u"<p>from <span style=\"font-family:'Courier New'; font-size:14pt; "
        "font-weight:700; color:#ff0000\">outside</span></p><p align=\"right\">right</p>"_s);
    QApplication::clipboard()->setMimeData(mime);
    caretAt(edit.document()->characterCount() - 1);
    edit.paste();
    const TRVStyle& style = edit.Style();
    ASSERT_EQ(style.TextStyles.size(), 7);
    const TFontInfo& added = style.TextStyles[6];
    EXPECT_EQ(added.FontName, u"Courier New"_s);
    EXPECT_EQ(added.Size, 14);
    EXPECT_EQ(added.Style, quint32(fsBold));
    EXPECT_EQ(added.Color, rgbColor(255, 0, 0));
    ASSERT_EQ(style.ParaStyles.size(), 3);
    EXPECT_EQ(style.ParaStyles[2].Alignment, rvaRight);
    expectIdsUnique();

    const QString out = dir.filePath(u"pasted.eng"_s);
    ASSERT_TRUE(edit.SaveDocumentFile(out));
    RVDocument doc;
    TRVStyle read = englishPaneStyle();
    ASSERT_TRUE(LoadDocumentFile(out, doc, read));
    EXPECT_EQ(read.TextStyles, style.TextStyles);
    EXPECT_EQ(read.ParaStyles, style.ParaStyles);
    ASSERT_GE(doc.Items.size(), 2);
    const RVItem& outside = doc.Items[doc.Items.size() - 2];
    EXPECT_EQ(outside.Text, u"outside"_s);
    EXPECT_EQ(outside.StyleNo, 6);
    EXPECT_EQ(doc.Items.last().Text, u"right"_s);
    EXPECT_EQ(doc.Items.last().ParaNo, 2);
}

TEST_F(TRichTextEditTest, MouseSettingsOfThePane)
{
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    auto pointOf = [&](int position) {
        QTextCursor c(edit.document());
        c.setPosition(position);
        return edit.cursorRect(c).center();
    };
    // A double click selects a word.
    QTest::mouseDClick(edit.viewport(), Qt::LeftButton, {}, pointOf(find(u"travel"_s) + 2));
    EXPECT_EQ(edit.textCursor().selectedText(), u"travel"_s);
    // A right press inside the selection keeps it ...
    QTest::mousePress(edit.viewport(), Qt::RightButton, {}, pointOf(find(u"travel"_s) + 3));
    EXPECT_EQ(edit.textCursor().selectedText(), u"travel"_s);
    QTest::mouseRelease(edit.viewport(), Qt::RightButton, {}, pointOf(find(u"travel"_s) + 3));
    // ... outside it moves the caret there and drops it.
    const int elsewhere = find(u"This"_s) + 2;
    QTest::mousePress(edit.viewport(), Qt::RightButton, {}, pointOf(elsewhere));
    EXPECT_FALSE(edit.textCursor().hasSelection());
    EXPECT_EQ(edit.textCursor().position(), elsewhere);
    QTest::mouseRelease(edit.viewport(), Qt::RightButton, {}, pointOf(elsewhere));

    // Jump text shows the hand only with Ctrl held.
    const QPoint word = pointOf(find(u"dialogue"_s) + 3);
    QTest::mouseMove(edit.viewport(), word);
    QMouseEvent plain(QEvent::MouseMove, word, edit.viewport()->mapToGlobal(word), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(edit.viewport(), &plain);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::IBeamCursor);
    QMouseEvent ctrl(QEvent::MouseMove, word, edit.viewport()->mapToGlobal(word), Qt::NoButton,
        Qt::NoButton, Qt::ControlModifier);
    QApplication::sendEvent(edit.viewport(), &ctrl);
    EXPECT_EQ(edit.viewport()->cursor().shape(), Qt::PointingHandCursor);
}

namespace {

RVDocument manyParagraphs(int count)
{
    RVDocument doc;
    for (int i = 0; i < count; ++i) {
        doc.Items.append(RVItem::text(u"Paragraph %1 of a long transcript, "_s.arg(i), 0, 0));
        doc.Items.append(RVItem::text(u"with a word"_s, 4, -1, u"note"_s));
    }
    return doc;
}

} // namespace

TEST(TRichTextEditLayout, AnEditInsideOneParagraphLaysOutOnlyThatParagraph)
{
    TRichTextEdit edit(englishPaneStyle());
    edit.resize(400, 300);
    edit.richDocument().setContents(manyParagraphs(3000));
    edit.FormatDocument();
    edit.finishLayout();
    ASSERT_TRUE(edit.isLaidOut());
    const RVDocumentLayout* layout = edit.richDocument().layout();
    QTextDocument* doc = edit.document();
    const qreal height = layout->documentSize().height();
    const QTextBlock last = doc->lastBlock();
    const qreal lastTop = layout->blockBoundingRect(last).top();

    // A key press in the middle: one block laid out, the blocks below unmoved.
    const QTextBlock middle = doc->findBlockByNumber(1500);
    QTextCursor c(middle);
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
    edit.setTextCursor(c);
    qint64 before = layout->blocksLaidOut();
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(layout->blocksLaidOut() - before, 1);
    EXPECT_EQ(doc->findBlockByNumber(1500).text().mid(5, 1), u"x"_s);
    EXPECT_EQ(layout->blockBoundingRect(last).top(), lastTop);

    // Enter there: two blocks laid out, everything below moves down by the new paragraph.
    before = layout->blocksLaidOut();
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_LE(layout->blocksLaidOut() - before, 2);
    const qreal added = layout->documentSize().height() - height;
    EXPECT_GT(added, 0);
    EXPECT_EQ(layout->blockBoundingRect(doc->lastBlock()).top(), lastTop + added);
    // The heights kept match a layout from scratch.
    edit.FormatDocument();
    edit.finishLayout();
    EXPECT_EQ(layout->documentSize().height(), height + added);
    EXPECT_EQ(layout->blockBoundingRect(doc->lastBlock()).top(), lastTop + added);

    // Undo lays out only what the edits touched, too.
    before = layout->blocksLaidOut();
    edit.undo();
    edit.undo();
    EXPECT_LE(layout->blocksLaidOut() - before, 4);
    EXPECT_EQ(layout->documentSize().height(), height);
}

TEST(TRichTextEditLayout, ALargeDocumentIsLaidOutInTheBackgroundWithProgress)
{
    TRichTextEdit edit(englishPaneStyle());
    edit.resize(400, 300);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QSignalSpy progress(&edit, &TRichTextEdit::layoutProgress);
    edit.richDocument().setContents(manyParagraphs(20000));
    edit.FormatDocument();
    EXPECT_FALSE(edit.isLaidOut());
    // What is in view is laid out at once: a click there finds its place.
    const QTextBlock first = edit.document()->firstBlock();
    EXPECT_GT(first.layout()->lineCount(), 0);
    QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_LT(edit.textCursor().position(), first.length());

    ASSERT_TRUE(QTest::qWaitFor([&] { return edit.isLaidOut(); }, 60000));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    const qreal height = edit.document()->documentLayout()->documentSize().height();
    EXPECT_EQ(edit.verticalScrollBar()->maximum(), int(height) - edit.viewport()->height());

    // The same document laid out at once has the same height.
    TRichTextEdit other(englishPaneStyle());
    other.resize(400, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    other.richDocument().setContents(manyParagraphs(20000));
    other.FormatDocument();
    other.finishLayout();
    EXPECT_EQ(other.document()->documentLayout()->documentSize().height(), height);

    // Loading another document drops the work left for the one before.
    edit.richDocument().setContents(manyParagraphs(20000));
    edit.FormatDocument();
    edit.richDocument().setContents(workedExample());
    edit.FormatDocument();
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit.isLaidOut(); }, 1000));
    EXPECT_EQ(edit.document()->blockCount(), 2);
}

TEST(TRichTextEditJoins, JoinedParagraphsKeepTheirItemsApart)
{
    // Equal items of different paragraphs share their format, id and all.
    RVDocument model;
    for (const QString& text : { u"first"_s, u"second"_s, u"third"_s, u"fourth"_s })
        model.Items.append(RVItem::text(text, 0, 0));
    TRichTextEdit edit(englishPaneStyle());
    edit.richDocument().setContents(model);
    const auto items = [&] { return describe(edit.richDocument().contents()); };
    const auto caretAt = [&](int position, int anchor = -1) {
        QTextCursor c(edit.document());
        c.setPosition(anchor < 0 ? position : anchor);
        c.setPosition(position, QTextCursor::KeepAnchor);
        edit.setTextCursor(c);
    };
    const auto find = [&](const QString& s) { return int(edit.toPlainText().indexOf(s)); };

    caretAt(find(u"second"_s));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(items(), u"[0:first] [0:second] | [0:third] | [0:fourth]"_s);
    caretAt(find(u"third"_s) + 5);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(items(), u"[0:first] [0:second] | [0:third] [0:fourth]"_s);
    // Typing over a selection from one paragraph into the next.
    caretAt(find(u"hird"_s), find(u"cond"_s));
    QTest::keyClicks(&edit, u"x"_s);
    EXPECT_EQ(items(), u"[0:first] [0:se] [0:xhird] [0:fourth]"_s);

    // Each join is one undo step.
    edit.undo();
    EXPECT_EQ(items(), u"[0:first] [0:second] | [0:third] [0:fourth]"_s);
    edit.undo();
    edit.undo();
    EXPECT_EQ(items(), describe(model));
    EXPECT_FALSE(edit.Modified());

    // An input-method commit and a paste over such a selection, too.
    caretAt(find(u"cond"_s), find(u"rst"_s));
    QInputMethodEvent commit;
    commit.setCommitString(u"中"_s);
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(items(), u"[0:fi中] [0:cond] | [0:third] | [0:fourth]"_s);
    caretAt(find(u"ourth"_s), find(u"ird"_s));
    QApplication::clipboard()->setText(u"y"_s);
    edit.paste();
    EXPECT_EQ(items(), u"[0:fi中] [0:cond] | [0:thy] [0:ourth]"_s);
}
