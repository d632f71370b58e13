#include "app/tform1.h"
#include "fakedevices.h"
#include "richtext/trichtextedit.h"
#include "transcripts/tmemofrm.h"

#include "scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

class AnnotationsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_programDir.isValid());
        m_form = std::make_unique<TForm1>(m_prompts, m_programDir.path(), m_devices.factory());
        m_form->resize(900, 600);
        m_form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    }

    // Types text into a pane, as an input method commits it, and selects all of it.
    static void typeAndSelect(TRichTextEdit* pane, const QString& text)
    {
        pane->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(pane, &commit);
        pane->selectAll();
    }

    // Triggers action; the note dialog it shows gets note and 确定. Returns the dialog shown;
    // shownNote is the note it showed.
    QWidget* annotateThrough(QAction* action, const QString& note, const QString& screenshot = {})
    {
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TMemoFrm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown = dialog;
            shownNote = dialog->Memo1->toPlainText();
            dialog->Memo1->setPlainText(note);
            if (!screenshot.isEmpty())
                saveScreenshot(dialog, screenshot);
            QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        });
        action->trigger();
        return shown;
    }

    // The window with the dialog over it, as the learner sees them.
    void saveScreenshot(QWidget* dialog, const QString& file)
    {
        QImage image = m_form->grab().toImage();
        QPainter painter(&image);
        painter.drawPixmap(
            dialog->geometry().topLeft() - m_form->geometry().topLeft(), dialog->grab());
        painter.end();
        image.save(file);
    }

    static qsizetype styledItems(TRichTextEdit* pane, int style, const QString& tag)
    {
        qsizetype count = 0;
        for (const RVItem& item : pane->richDocument().contents().Items)
            count += item.StyleNo == style && item.Tag == tag ? 1 : 0;
        return count;
    }

    QString shownNote;
    QTemporaryDir m_programDir;
    test::ScriptedPrompts m_prompts;
    test::FakeDevices m_devices;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(AnnotationsWindowTest, EachPanesMenuItemsActOnThatPaneWithItsOwnDialog)
{
    typeAndSelect(m_form->RichTextEdit3, u"travel"_s);
    m_form->PageControl1->setCurrentIndex(1);
    typeAndSelect(m_form->RichTextEdit4, u"旅行"_s);

    const RVDocument english = m_form->RichTextEdit3->richDocument().contents();
    EXPECT_EQ(annotateThrough(m_form->MenuItem2, u"名词\n动词"_s), m_form->MemoFrm2);
    EXPECT_EQ(styledItems(m_form->RichTextEdit4, 4, u"名词<kelmor>动词"_s), 1);
    // Reopened from the caret in the word, the dialog shows the note with its line break.
    QTextCursor caret = m_form->RichTextEdit4->textCursor();
    caret.setPosition(1);
    m_form->RichTextEdit4->setTextCursor(caret);
    annotateThrough(
        m_form->MenuItem2, u"名词\n动词"_s, qEnvironmentVariable("ECOLVAR_NOTE_SCREENSHOT"));
    EXPECT_EQ(shownNote, u"名词\n动词"_s);
    EXPECT_EQ(m_form->RichTextEdit3->richDocument().contents(), english);

    m_form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(annotateThrough(m_form->MenuItem1, u"trip"_s), m_form->MemoFrm);
    EXPECT_EQ(styledItems(m_form->RichTextEdit3, 4, u"trip"_s), 1);

    m_form->unset1->trigger();
    EXPECT_EQ(styledItems(m_form->RichTextEdit3, 4, u"trip"_s), 0);
    EXPECT_EQ(styledItems(m_form->RichTextEdit4, 4, u"名词<kelmor>动词"_s), 1);
    m_form->RichTextEdit4->selectAll();
    m_form->MenuItem3->trigger();
    EXPECT_EQ(styledItems(m_form->RichTextEdit4, 4, u"名词<kelmor>动词"_s), 0);
    EXPECT_TRUE(m_prompts.shown().isEmpty());
}

} // namespace
} // namespace ecolvar
