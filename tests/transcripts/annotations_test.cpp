#include "transcripts/annotations.h"

#include "richtext/trichtextedit.h"
#include "richtexttest.h"
#include "transcripts/transcriptfile.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using test::describe;

// A pane holding a document, and a note dialog that answers as scripted and remembers what it
// was shown.
class AnnotationsTest : public ::testing::Test {
protected:
    void load(const RVDocument& doc)
    {
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath(u"doc.eng"_s);
        test::writeFile(file, test::transcriptBytes(doc));
        pane.resize(400, 300);
        pane.setDocumentFormat(transcriptFormat());
        ASSERT_TRUE(pane.LoadDocumentFile(file));
        pane.FormatDocument();
    }
    void SetUp() override { load(test::workedExample()); }

    int find(const QString& s) const { return int(pane.toPlainText().indexOf(s)); }
    void select(int from, int to)
    {
        QTextCursor c = pane.textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        pane.setTextCursor(c);
    }
    void caretAt(int position) { select(position, position); }
    QString items() { return describe(pane.richDocument().contents()); }

    // "设置注释" answered with answer (nothing: Cancel); returns the note the dialog showed.
    QString annotate(std::optional<QString> answer)
    {
        QString shown;
        annotations::SetAnnotation(pane, [&](const QString& note) {
            shown = note;
            return answer;
        });
        return shown;
    }

    QTemporaryDir dir;
    TRichTextEdit pane { englishPaneStyle() };
};

const QString workedItems
    = u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [0: about travel.]"_s;

TEST_F(AnnotationsTest, PartOfOneWordTakesTheNoteAndTheRestOfTheWordNone)
{
    select(find(u"travel"_s), find(u"travel"_s) + 4);
    EXPECT_EQ(annotate(u"旅行\r\n名词"_s), QString());
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [0: about ] "
        "[4:trav#旅行<kelmor>名词] [0:el.]"_s);
    EXPECT_TRUE(pane.Modified());

    // Undo once brings the notes back, twice the styles.
    pane.undo();
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [0: about ] [4:trav] "
        "[0:el.]"_s);
    pane.undo();
    EXPECT_EQ(items(), workedItems);
}

TEST_F(AnnotationsTest, WithoutASelectionTheItemAtTheCaretTakesTheNoteUnlessTheCaretIsAtItsEdge)
{
    caretAt(find(u"is a"_s));
    annotate(u"n"_s);
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a #n] [4:dialogue#first<kelmor>second] [0: about travel.]"_s);

    // At the very start or the very end of an item: no item takes the note.
    load(test::workedExample());
    caretAt(find(u"dialogue"_s));
    annotate(u"x"_s);
    caretAt(find(u" about"_s));
    annotate(u"y"_s);
    EXPECT_EQ(items(), workedItems);
}

TEST_F(AnnotationsTest, ANoteReopensWithItsLineBreaksAndEditingOneItemLeavesTheRestOfTheRun)
{
    caretAt(find(u"dialogue"_s) + 2);
    EXPECT_EQ(annotate(std::nullopt), u"first\r\nsecond"_s);
    EXPECT_EQ(items(), workedItems); // Cancel changes nothing
    EXPECT_FALSE(pane.Modified());

    // A run of two items with equal notes stays two items.
    select(find(u" about"_s), find(u" about"_s) + 6);
    annotate(u"first\r\nsecond"_s);
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] "
        "[4: about#first<kelmor>second] [0: travel.]"_s);
    caretAt(find(u"about"_s) + 1);
    annotate(u"new"_s);
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a ] [4:dialogue#first<kelmor>second] [4: about#new] "
        "[0: travel.]"_s);

    // Re-annotating across the run: nothing split, every touched item takes the note.
    select(find(u"logue"_s), find(u"about"_s) + 2);
    annotate(u"all"_s);
    EXPECT_EQ(
        items(), u"[1:Lesson one] | [0:This is a ] [4:dialogue#all] [4: about#all] [0: travel.]"_s);
}

TEST_F(AnnotationsTest, LineBreaksInTheNoteAndTheMarkerTypedByTheLearner)
{
    select(find(u"This"_s), find(u"This"_s) + 4);
    annotate(u"trailing\r\n"_s);
    caretAt(find(u"This"_s) + 1);
    EXPECT_EQ(pane.CurrentItemTag(), u"trailing<kelmor>"_s);
    EXPECT_EQ(annotate(std::nullopt), u"trailing\r\n"_s);

    annotate(u"a<kelmor>b"_s);
    EXPECT_EQ(annotate(std::nullopt), u"a\r\nb"_s);

    // OK on an empty box: style 4 with an empty note, which reopens empty.
    select(find(u"Lesson"_s), find(u"Lesson"_s) + 6);
    annotate(QString());
    EXPECT_TRUE(items().startsWith(u"[4:Lesson#] [1: one]"_s)) << items().toStdString();
    caretAt(1);
    EXPECT_EQ(annotate(std::nullopt), QString());
}

TEST_F(AnnotationsTest, RemovingMakesStyledTextPlainAndKeepsANoteOnTextAlreadyPlain)
{
    caretAt(find(u"is a"_s));
    annotate(u"kept"_s); // a note on style-0 text
    select(0, find(u"about"_s));
    annotations::RemoveAnnotation(pane);
    EXPECT_EQ(items(), u"[0:Lesson one] | [0:This is a #kept] [0:dialogue about travel.]"_s);
    pane.undo();
    EXPECT_EQ(items(),
        u"[1:Lesson one] | [0:This is a #kept] [4:dialogue#first<kelmor>second] [0: about travel.]"_s);
}

TEST_F(AnnotationsTest, ASelectionAcrossParagraphsPicturesAndLineBreaksNotesEveryItem)
{
    RVDocument doc;
    RVItem broken = RVItem::text(u"second line"_s, 0, 0);
    broken.Options = rvioBR;
    doc.Items = { RVItem::text(u"one"_s, 0, 0), test::pictureItem("not an image", -1),
        RVItem::text(u"two"_s, 0, -1), broken, RVItem::text(u"three"_s, 0, 0) };
    load(doc);
    select(find(u"ne"_s), find(u"three"_s) + 2);
    annotate(u"n"_s);
    const RVDocument result = pane.richDocument().contents();
    QStringList tags;
    for (const RVItem& item : result.Items)
        tags.append(item.Tag.value_or(u"-"_s));
    EXPECT_EQ(tags, QStringList({ u"-"_s, u"n"_s, u"n"_s, u"n"_s, u"n"_s, u"n"_s, u"-"_s }))
        << describe(result).toStdString();
}

TEST_F(AnnotationsTest, ANoteSurvivesASaveALoadAndTheEditorRoundTripOfTheTool)
{
    select(find(u"travel"_s), find(u"travel"_s) + 6);
    annotate(u"旅行\r\n第二行"_s);
    const QString saved = dir.filePath(u"saved.eng"_s);
    ASSERT_TRUE(pane.SaveDocumentFile(saved));

    const QString resaved = dir.filePath(u"resaved.eng"_s);
    QProcess tool;
    tool.start(
        QStringLiteral(ECOLVAR_TRANSCRIPT_TOOL), { u"resave"_s, u"--editor"_s, saved, resaved });
    ASSERT_TRUE(tool.waitForFinished(60'000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    for (const QString& file : { saved, resaved }) {
        TRichTextEdit reopened { englishPaneStyle() };
        reopened.setDocumentFormat(transcriptFormat());
        ASSERT_TRUE(reopened.LoadDocumentFile(file));
        QTextCursor c = reopened.textCursor();
        c.setPosition(int(reopened.toPlainText().indexOf(u"travel"_s)) + 1);
        reopened.setTextCursor(c);
        EXPECT_EQ(annotations::noteFromTag(reopened.CurrentItemTag()), u"旅行\r\n第二行"_s);
    }
}

} // namespace
} // namespace ecolvar
