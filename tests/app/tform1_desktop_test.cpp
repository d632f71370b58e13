#include "app/tform1.h"
#include "fakedevices.h"
#include "player/tmp3player.h"
#include "richtext/trichtextedit.h"

#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;

// The window as the desktop reaches it: files from the command line and from a drop, the keys
// of the file menu and the question before it closes.
class TForm1DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_form = std::make_unique<TForm1>(m_prompts, m_dir.path(), m_devices.factory());
        m_form->show();
        m_form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }

    // A WAV file of the given length outside the library, in the folder "downloads".
    QString audio(const QString& name, int lengthMs = 2'000)
    {
        const QString path = m_dir.filePath(u"downloads/"_s + name);
        test::writeFile(path, QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16));
        m_devices.addFile(path, lengthMs);
        return path;
    }

    // Drops the addresses on the window as a file manager would; whether the drag was welcome.
    bool drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = m_form->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_form.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_form.get(), &dropped);
        QCoreApplication::processEvents();
        return true;
    }

    static void commit(TRichTextEdit* pane, const QString& text)
    {
        pane->moveCursor(QTextCursor::End);
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(pane, &event);
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompts m_prompts;
    test::FakeDevices m_devices;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(TForm1DesktopTest, OneFileOnTheCommandLineOpensOnItsOwn)
{
    const QString lesson = audio(u"lesson.one.wav"_s, 3'000);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    m_form->openPaths({ u"downloads/lesson.one.wav"_s });
    QDir::setCurrent(previous);

    EXPECT_FALSE(m_form->Mp3Player->ListMode());
    EXPECT_EQ(m_form->Mp3Player->FileList(), QStringList { lesson });
    EXPECT_EQ(m_form->Mp3Player->DocName(), u"lesson"_s);
    EXPECT_EQ(m_form->Mp3Player->TotalLength(), 3'000);
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TForm1DesktopTest, SeveralFilesOpenAsOneListNamedAfterTheirFolder)
{
    const QString one = audio(u"one.wav"_s, 2'000);
    const QString two = audio(u"two.wav"_s, 3'000);
    m_form->openPaths({ one, QUrl::fromLocalFile(two).toString() });

    EXPECT_TRUE(m_form->Mp3Player->ListMode());
    EXPECT_EQ(m_form->Mp3Player->FileList(), QStringList({ one, two }));
    EXPECT_EQ(m_form->Mp3Player->TotalLength(), 5'000);
    EXPECT_EQ(m_form->Mp3Player->DocName(), u"downloads"_s);
    EXPECT_EQ(m_form->LblFileLst->text(), u"downloads"_s);
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

TEST_F(TForm1DesktopTest, FilesThatCannotBeOpenedGetOneMessageAndTheRestOpen)
{
    const QString one = audio(u"one.wav"_s);
    const QString gone = m_dir.filePath(u"gone.mp3"_s);
    const QString text = m_dir.filePath(u"notes.mp3"_s);
    test::writeFile(text, "not a recording");

    // Nothing that can be opened: the message, and the empty player stays as it was.
    m_form->openPaths({ gone });
    EXPECT_EQ(m_prompts.texts(Kind::Information),
        QStringList { u"无法打开“%1”：文件不存在。"_s.arg(QDir::toNativeSeparators(gone)) });
    EXPECT_TRUE(m_form->Mp3Player->DocName().isEmpty());
    m_prompts.clear();

    m_form->openPaths({ gone, one, text });
    const QStringList messages = m_prompts.texts(Kind::Information);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(u"下列 2 个文件无法打开："_s));
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(text)));
    EXPECT_FALSE(m_form->Mp3Player->ListMode());
    EXPECT_EQ(m_form->Mp3Player->FileList(), QStringList { one });
}

TEST_F(TForm1DesktopTest, DroppedFilesOpenAsTheCommandLineOpensThem)
{
    EXPECT_FALSE(drop({ QUrl(u"https://example.org/talk.mp3"_s) }));

    const QString one = audio(u"one.wav"_s);
    const QString two = audio(u"two.wav"_s);
    ASSERT_TRUE(drop({ QUrl::fromLocalFile(one), QUrl::fromLocalFile(two) }));
    EXPECT_TRUE(m_form->Mp3Player->ListMode());
    EXPECT_EQ(m_form->Mp3Player->FileList(), QStringList({ one, two }));

    ASSERT_TRUE(drop({ QUrl::fromLocalFile(one), QUrl(u"https://example.org/talk.mp3"_s) }));
    EXPECT_FALSE(m_form->Mp3Player->ListMode());
    EXPECT_EQ(m_form->Mp3Player->FileList(), QStringList { one });
    EXPECT_EQ(m_prompts.texts(Kind::Information),
        QStringList { u"无法打开“https://example.org/talk.mp3”：不是本机上的文件。"_s });
}

TEST_F(TForm1DesktopTest, CtrlSSavesTheVisiblePaneFromInsideIt)
{
    m_form->openPaths({ audio(u"lesson.wav"_s) });
    commit(m_form->RichTextEdit3, u"Good morning."_s);
    m_form->RichTextEdit3->setFocus();
    QTest::keyClick(m_form->RichTextEdit3, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(m_form->RichTextEdit3->Modified());
    EXPECT_TRUE(QFileInfo::exists(m_form->TranscriptDir() + u"lesson.eng"_s));
    EXPECT_EQ(m_form->RichTextEdit3->toPlainText(), u"Good morning."_s);
}

TEST_F(TForm1DesktopTest, TheStyleKeysAndTheContextMenuStyleTheSelectedWords)
{
    m_form->openPaths({ audio(u"lesson.wav"_s) });
    TRichTextEdit* pane = m_form->RichTextEdit3;
    commit(pane, u"Lesson one words"_s);
    pane->setFocus();
    const auto styleOf = [&](const QString& text) {
        for (const RVItem& item : pane->richDocument().contents().Items) {
            if (item.Text == text)
                return pane->Style().TextStyles.value(item.StyleNo).StyleName;
        }
        return u"(no item)"_s;
    };
    QTextCursor cursor(pane->document());
    cursor.setPosition(0);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    QTest::keyClick(pane, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(styleOf(u"Lesson"_s), u"Heading"_s);

    cursor.setPosition(11);
    cursor.setPosition(16, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    const QList<QAction*> menu = m_form->PopupMenu5->actions();
    const auto keyword = std::find_if(
        menu.begin(), menu.end(), [](QAction* action) { return action->text() == u"关键词"_s; });
    ASSERT_NE(keyword, menu.end());
    (*keyword)->trigger();
    EXPECT_EQ(styleOf(u"words"_s), u"Keywords"_s);
    EXPECT_EQ(styleOf(u"Lesson"_s), u"Heading"_s);

    cursor.setPosition(0);
    cursor.setPosition(16, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    QTest::keyClick(pane, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(styleOf(u"Lesson one words"_s), u"Normal text"_s);
    EXPECT_EQ(pane->toPlainText(), u"Lesson one words"_s);
}

TEST_F(TForm1DesktopTest, CancelAtTheCloseQuestionKeepsTheWindowAndTheEdits)
{
    m_form->openPaths({ audio(u"lesson.wav"_s) });
    commit(m_form->RichTextEdit3, u"Draft"_s);
    commit(m_form->RichTextEdit4, u"草稿"_s);

    // Cancel at the first question: nothing more is asked, nothing is written.
    m_prompts.answerClosed();
    EXPECT_FALSE(m_form->close());
    EXPECT_TRUE(m_form->isVisible());
    EXPECT_EQ(m_prompts.texts(Kind::Confirm), QStringList { u"英文文件尚未保存，是否保存？"_s });
    EXPECT_EQ(m_form->RichTextEdit3->toPlainText(), u"Draft"_s);
    EXPECT_TRUE(m_form->RichTextEdit3->Modified());
    EXPECT_TRUE(m_form->RichTextEdit4->Modified());
    EXPECT_FALSE(QFileInfo::exists(m_form->TranscriptDir() + u"lesson.eng"_s));
    m_prompts.clear();

    // Quitting from the menu asks the same; Cancel at the second question keeps what the first
    // saved and the Chinese edits.
    m_prompts.answerConfirm(true).answerClosed();
    m_form->N16->trigger();
    EXPECT_TRUE(m_form->isVisible());
    EXPECT_TRUE(QFileInfo::exists(m_form->TranscriptDir() + u"lesson.eng"_s));
    EXPECT_EQ(m_form->RichTextEdit4->toPlainText(), u"草稿"_s);
    EXPECT_TRUE(m_form->RichTextEdit4->Modified());

    m_prompts.answerConfirm(false);
    EXPECT_TRUE(m_form->close());
}

} // namespace
} // namespace ecolvar
