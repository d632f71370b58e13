#include "transcripts/transcripteditor.h"
#include "transcripts/transcriptpanes.h"

#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;

// An editor whose document is plain bytes, reached as the window's editors are, through
// TranscriptEditorOver. A file breaks off at the marker "#broken": what comes before it is kept
// and the load fails. Saves are atomic, as the real editor's.
class FakeEditor {
public:
    bool LoadDocumentFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_error = file.errorString();
            return false;
        }
        const QByteArray bytes = file.readAll();
        const qsizetype broken = bytes.indexOf("#broken");
        text = broken < 0 ? bytes : bytes.left(broken);
        modified = false;
        m_error = u"bad record at byte %1"_s.arg(broken);
        return broken < 0;
    }
    void ClearDocument()
    {
        text.clear();
        modified = false;
    }
    void FormatDocument() { }
    bool SaveDocumentFile(const QString& path)
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
            m_error = file.errorString();
            return false;
        }
        return true;
    }
    QString lastError() const { return m_error; }
    bool Modified() const { return modified; }
    void setModified(bool value) { modified = value; }
    void setReadOnly(bool value) { readOnly = value; }
    void setPlaceholderText(const QString& shown) { placeholder = shown; }

    // What the learner does: the text changes and the flag is set.
    void type(const QByteArray& typed)
    {
        text += typed;
        modified = true;
    }

    QByteArray text;
    bool modified = false;
    bool readOnly = false;
    QString placeholder;

private:
    QString m_error;
};

const QString englishQuestion = u"英文文件尚未保存，是否保存？"_s;
const QString chineseQuestion = u"中文文件尚未保存，是否保存？"_s;

class TranscriptPanesTest : public ::testing::Test {
protected:
    // The window makes txt/ at start-up.
    TranscriptPanesTest() { QDir().mkpath(m_dir.path() + u"/txt"_s); }

    QString file(const QString& name) const { return m_dir.path() + u"/txt/"_s + name; }
    bool exists(const QString& name) const { return QFile::exists(file(name)); }
    QByteArray contents(const QString& name) const { return test::readFile(file(name)); }
    void put(const QString& name, const QByteArray& bytes) { test::writeFile(file(name), bytes); }
    // The texts of the boxes of one kind shown so far, forgotten after.
    QStringList take(Kind kind)
    {
        const QStringList texts = m_prompts.texts(kind);
        m_prompts.clear();
        return texts;
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompts m_prompts;
    FakeEditor m_english;
    FakeEditor m_chinese;
    TranscriptEditorOver<FakeEditor> m_englishPane { m_english };
    TranscriptEditorOver<FakeEditor> m_chinesePane { m_chinese };
    TranscriptPanes m_panes { m_englishPane, m_chinesePane, m_dir.path() + u"/txt"_s, m_prompts };
    QStringList m_status;
};

TEST_F(TranscriptPanesTest, WithoutDocumentNothingIsSavedOrAsked)
{
    m_english.type("typed before any file was opened");
    m_chinese.type("也一样");
    m_panes.Save(TranscriptPanes::English);
    EXPECT_EQ(take(Kind::Information), QStringList { u"没有打开任何文件，无法保存"_s });
    // No confirmation is scripted: a question would fail the test.
    EXPECT_TRUE(m_panes.queryClose());
    // Opening the first document replaces the panes without a question.
    put(u"lesson.eng"_s, "Good morning.");
    m_panes.LoadTranscripts(u"lesson"_s);
    EXPECT_EQ(m_english.text, "Good morning.");
    EXPECT_TRUE(m_chinese.text.isEmpty());
    EXPECT_TRUE(m_prompts.shown().isEmpty());
    EXPECT_EQ(
        QDir(m_dir.path() + u"/txt"_s).entryList(QDir::Files), QStringList { u"lesson.eng"_s });
}

TEST_F(TranscriptPanesTest, SavingAnUnmodifiedPaneRewritesItsFile)
{
    put(u"lesson.eng"_s, "as loaded");
    m_panes.LoadTranscripts(u"lesson"_s);
    put(u"lesson.eng"_s, "changed behind the program's back");
    m_panes.Save(TranscriptPanes::English);
    EXPECT_EQ(contents(u"lesson.eng"_s), "as loaded");
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TranscriptPanesTest, CloseAsksEnglishFirstAndEachAnswerCountsForItsPane)
{
    m_panes.LoadTranscripts(u"lesson"_s);
    m_english.type("Hello.");
    m_chinese.type("你好。");
    m_prompts.answerConfirm(false).answerConfirm(true);
    EXPECT_TRUE(m_panes.queryClose());
    const QList<test::ScriptedPrompts::Shown> shown = m_prompts.shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, englishQuestion);
    EXPECT_EQ(shown[1].text, chineseQuestion);
    EXPECT_EQ(shown[1].caption, u"Confirm"_s);
    EXPECT_FALSE(exists(u"lesson.eng"_s));
    EXPECT_EQ(contents(u"lesson.chn"_s), "你好。");
}

TEST_F(TranscriptPanesTest, FailedSaveIsReportedAndKeepsTheEdits)
{
    // No txt/ directory at all, then a plain file where txt/ should be.
    QDir(m_dir.path() + u"/txt"_s).removeRecursively();
    for (const bool fileInTheWay : { false, true }) {
        SCOPED_TRACE(fileInTheWay ? "txt is a file" : "txt missing");
        if (fileInTheWay)
            test::writeFile(m_dir.path() + u"/txt"_s, "not a directory");
        m_panes.LoadTranscripts(u"lesson"_s);
        m_english.type("Hello.");
        m_panes.Save(TranscriptPanes::English);
        const QStringList errors = take(Kind::Error);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(QDir::toNativeSeparators(file(u"lesson.eng"_s))));
        EXPECT_TRUE(m_english.modified);

        // Asked again at close; the window stays open when the wanted save fails.
        m_prompts.answerConfirm(true);
        EXPECT_FALSE(m_panes.queryClose());
        EXPECT_EQ(take(Kind::Error).size(), 1);
        EXPECT_TRUE(m_english.modified);
        m_prompts.answerConfirm(false);
        EXPECT_TRUE(m_panes.queryClose());
        m_prompts.clear();
        m_english.ClearDocument();
    }
}

TEST_F(TranscriptPanesTest, OpeningAnotherDocumentOffersUnsavedEditsFirst)
{
    m_panes.LoadTranscripts(u"lesson"_s);
    put(u"next.eng"_s, "Next text.");
    m_english.type("Hello.");
    m_chinese.type("你好。");
    // Yes for English, No for Chinese: the English edits reach the old file, then both panes
    // show the new document.
    m_prompts.answerConfirm(true).answerConfirm(false);
    m_panes.LoadTranscripts(u"next"_s);
    EXPECT_EQ(take(Kind::Confirm), (QStringList { englishQuestion, chineseQuestion }));
    EXPECT_EQ(contents(u"lesson.eng"_s), "Hello.");
    EXPECT_FALSE(exists(u"lesson.chn"_s));
    EXPECT_EQ(m_english.text, "Next text.");
    EXPECT_TRUE(m_chinese.text.isEmpty());

    // When the wanted save fails, the pane keeps its edits and still belongs to its file.
    m_english.type(" More.");
    const QString nextEng = file(u"next.eng"_s);
    QFile::remove(nextEng);
    QDir().mkpath(nextEng + u"/in the way"_s);
    m_prompts.answerConfirm(true);
    m_panes.LoadTranscripts(u"lesson"_s);
    EXPECT_EQ(take(Kind::Error).size(), 1);
    EXPECT_EQ(m_english.text, "Next text. More.");
    EXPECT_TRUE(m_english.modified);
    EXPECT_EQ(m_panes.path(TranscriptPanes::English), nextEng);
}

TEST_F(TranscriptPanesTest, PartlyReadFileIsReportedOnceAndBackedUpAtTheFirstSave)
{
    const QByteArray original = "First part.#broken and the rest";
    put(u"lesson.eng"_s, original);
    put(u"lesson.eng.bak"_s, "an older backup");
    m_panes.LoadTranscripts(u"lesson"_s);
    EXPECT_EQ(m_english.text, "First part.");
    const QStringList told = take(Kind::Information);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QDir::toNativeSeparators(file(u"lesson.eng"_s))));
    EXPECT_TRUE(told[0].contains(u"bad record at byte 11"_s));

    m_english.type(" Edited.");
    m_panes.Save(TranscriptPanes::English);
    EXPECT_EQ(contents(u"lesson.eng.bak"_s), original);
    EXPECT_EQ(contents(u"lesson.eng"_s), "First part. Edited.");
    EXPECT_FALSE(exists(u"lesson.eng.bak.new"_s));

    // Later saves leave the backup alone.
    m_english.type(" Again.");
    m_panes.Save(TranscriptPanes::English);
    EXPECT_EQ(contents(u"lesson.eng.bak"_s), original);
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TranscriptPanesTest, FileThatCannotBeOpenedNeverReceivesThePreviousText)
{
    put(u"old.eng"_s, "The previous document.");
    m_panes.LoadTranscripts(u"old"_s);
    // A directory where the transcript should be: it exists but cannot be read as a file.
    QDir().mkpath(file(u"new.eng"_s));
    m_panes.LoadTranscripts(u"new"_s);
    EXPECT_TRUE(m_english.text.isEmpty());
    EXPECT_EQ(take(Kind::Information).size(), 1);

    m_english.type("Typed for the new document.");
    m_panes.Save(TranscriptPanes::English);
    EXPECT_EQ(take(Kind::Error).size(), 1);
    EXPECT_TRUE(m_english.modified);
    EXPECT_TRUE(QFileInfo(file(u"new.eng"_s)).isDir());
}

TEST_F(TranscriptPanesTest, NameWithSeparatorNeverWritesOutsideTheDirectory)
{
    m_panes.LoadTranscripts(u"../escaped"_s);
    EXPECT_EQ(take(Kind::Information).size(), 1);
    m_english.type("Hello.");
    m_panes.Save(TranscriptPanes::English);
    EXPECT_EQ(take(Kind::Information).size(), 1);
    EXPECT_TRUE(m_panes.queryClose());
    EXPECT_FALSE(QFile::exists(m_dir.path() + u"/escaped.eng"_s));
}

TEST_F(TranscriptPanesTest, FileOverThePaneLimitIsRefusedAndNeverOverwritten)
{
    m_panes.setStatusLine([this](const QString& text) { m_status.append(text); });
    QByteArray large(MaxPaneTranscriptBytes + 1, 'x');
    put(u"lesson.eng"_s, large);
    put(u"lesson.chn"_s, "你好。");
    m_english.type("left over from before");
    m_english.modified = false;
    m_panes.LoadTranscripts(u"lesson"_s);
    ASSERT_EQ(m_status.size(), 1);
    EXPECT_TRUE(m_status[0].contains(QDir::toNativeSeparators(file(u"lesson.eng"_s))));
    EXPECT_TRUE(m_status[0].contains(u"10.0 MB"_s)) << m_status[0].toStdString();
    EXPECT_TRUE(m_status[0].contains(u"超过窗格能打开的 10.0 MB"_s)) << m_status[0].toStdString();
    EXPECT_EQ(m_english.placeholder, m_status[0]);
    EXPECT_TRUE(m_english.text.isEmpty());
    EXPECT_TRUE(m_english.readOnly);
    EXPECT_EQ(m_chinese.text, "你好。");
    EXPECT_FALSE(m_chinese.readOnly);
    EXPECT_TRUE(m_prompts.shown().isEmpty());

    // Neither 保存(&S) nor the questions at close or at the next document write over the file,
    // even if something reached the empty pane.
    m_english.type("typed anyway");
    m_panes.Save(TranscriptPanes::English);
    const QStringList told = take(Kind::Information);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(u"不能保存"_s));
    EXPECT_TRUE(m_panes.queryClose());
    put(u"next.eng"_s, "Next.");
    m_panes.LoadTranscripts(u"next"_s);
    EXPECT_TRUE(m_prompts.shown().isEmpty());
    EXPECT_EQ(contents(u"lesson.eng"_s), large);
    EXPECT_FALSE(exists(u"lesson.eng.bak"_s));
    // The next document's pane takes edits again.
    EXPECT_FALSE(m_english.readOnly);
    EXPECT_TRUE(m_english.placeholder.isEmpty());
    EXPECT_EQ(m_english.text, "Next.");
    EXPECT_EQ(m_status.size(), 1);
}

} // namespace
} // namespace ecolvar
