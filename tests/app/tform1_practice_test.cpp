#include "app/tform1.h"
#include "core/settingsfile.h"
#include "fakedevices.h"
#include "player/tmp3player.h"
#include "player/tsegmenttrackbar.h"
#include "practice/practicecontroller.h"
#include "practice/practicewidgets.h"
#include "richtext/trichtextedit.h"

#include "scriptedprompts.h"
#include "testutil.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

// The window over a playlist database file, so that a second window can reopen it.
class TForm1PracticeTest : public ::testing::Test {
protected:
    std::unique_ptr<TForm1> makeForm()
    {
        auto form = std::make_unique<TForm1>(
            m_prompts, m_dir.path(), m_dir.filePath(u"vek.db"_s), m_devices.factory());
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return form;
    }

    // Opens lesson.wav (10 s, with lyrics beside it) as the learner does, from the file list.
    void openLesson(TForm1& form)
    {
        const QString dir = form.ProgramDir() + u"audio"_s + QDir::separator();
        test::writeFile(dir + u"lesson.wav"_s, {});
        test::writeFile(dir + u"lesson.lrc"_s, "[00:01.00]one\n[00:04.00]two\n[00:06.50]three\n");
        m_devices.addFile(dir + u"lesson.wav"_s, 10'000);
        auto* row
            = new QTreeWidgetItem(form.ListView1, { u"lesson.wav"_s, u"1"_s, dir, QString() });
        form.ListView1->setCurrentItem(row);
        form.N14->trigger();
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompts m_prompts;
    test::FakeDevices m_devices;
};

} // namespace

TEST_F(TForm1PracticeTest, FunctionKeysReachThePlayerWhileATranscriptPaneHasTheFocus)
{
    const auto form = makeForm();
    openLesson(*form);
    EXPECT_EQ(form->TrackBar->sentenceTicks(), (QList<double> { 1.0, 4.0, 6.5 }));
    EXPECT_EQ(form->actNextSentence->shortcut(), QKeySequence(Qt::Key_F8));

    QTextEdit* pane = form->RichTextEdit3;
    pane->setFocus();
    ASSERT_TRUE(pane->hasFocus());
    QTest::keyClick(pane, Qt::Key_F8);
    EXPECT_EQ(m_devices.player->Position(), 1000); // from before the first sentence to it
    EXPECT_EQ(m_devices.player->Mode(), ModePlaying);
    m_devices.player->advance(500);
    QTest::keyClick(pane, Qt::Key_F8);
    EXPECT_EQ(m_devices.player->Position(), 4000);
    QTest::keyClick(pane, Qt::Key_F5);
    EXPECT_NE(m_devices.player->Mode(), ModePlaying);

    QTest::keyClick(pane, Qt::Key_F9);
    EXPECT_EQ(form->LblDrill->text(), u"第 2/3 句 · 第 1/3 遍"_s);
    EXPECT_EQ(m_devices.player->calls().last(), u"Play 4000-6500"_s);
    EXPECT_TRUE(form->Timer2->isActive());
    QTest::keyClick(pane, Qt::Key_Escape);
    EXPECT_EQ(form->LblDrill->text(), QString());
    EXPECT_NE(m_devices.player->Mode(), ModePlaying);
    EXPECT_FALSE(form->actStopDrill->isEnabled()); // Esc is free again

    // The keys never typed into the pane.
    EXPECT_TRUE(pane->toPlainText().isEmpty());
    EXPECT_TRUE(pane->hasFocus());
}

TEST_F(TForm1PracticeTest, ReopeningAFileAfterARestartPutsTheThumbWhereItWasLeftWithoutPlaying)
{
    {
        const auto form = makeForm();
        openLesson(*form);
        QTest::keyClick(form.get(), Qt::Key_F3);
        QTest::keyClick(form.get(), Qt::Key_F3);
        EXPECT_EQ(form->TrackBar->value(), 4);
        form->close();
    }
    const auto form = makeForm();
    openLesson(*form);
    EXPECT_EQ(form->TrackBar->value(), 4);
    EXPECT_EQ(m_devices.player->Position(), 4000);
    EXPECT_NE(m_devices.player->Mode(), ModePlaying);
    EXPECT_FALSE(form->Timer2->isActive());
}

} // namespace ecolvar

namespace ecolvar {
namespace {

// The window's timer, fired by hand after the fake device's clock moved on.
void tickAfter(TForm1& form, test::FakeMediaDevice& device, int ms)
{
    device.advance(ms);
    if (form.Timer2->isActive())
        QMetaObject::invokeMethod(form.Timer2, "timeout");
}

} // namespace

TEST_F(TForm1PracticeTest, TheDrillMovesOnThoughARepeatSegmentIsSet)
{
    const auto form = makeForm();
    openLesson(*form);
    form->Practice->drill().setSettings({ 2, 0 });
    form->Timer2->setInterval(60'000); // the test fires it
    QTest::keyClick(form.get(), Qt::Key_F3); // at 2 s
    form->SpeedButton6->click();
    QTest::keyClick(form.get(), Qt::Key_F5);
    tickAfter(*form, *m_devices.player, 1'000);
    form->SpeedButton9->click(); // the segment 2-3 s, inside the first sentence
    tickAfter(*form, *m_devices.player, 333);
    ASSERT_TRUE(m_devices.player->loop());

    QTest::keyClick(form.get(), Qt::Key_F9);
    QStringList seen { form->LblDrill->text() };
    for (int i = 0; i < 40 && form->actStopDrill->isEnabled(); ++i) {
        tickAfter(*form, *m_devices.player, 333);
        if (seen.last() != form->LblDrill->text())
            seen.append(form->LblDrill->text());
    }
    EXPECT_EQ(seen.mid(0, 3),
        QStringList({ u"第 1/3 句 · 第 1/2 遍"_s, u"第 1/3 句 · 第 2/2 遍"_s,
            u"第 2/3 句 · 第 1/2 遍"_s }));
    // After the drill the segment on the screen is the one that repeats.
    EXPECT_EQ(form->Label6->text(), u"起始点：0:0:2  结束点：0:0:3"_s);
    EXPECT_EQ(form->TrackBar->SelStart(), 2);
    EXPECT_EQ(form->TrackBar->SelEnd(), 3);
}

TEST_F(TForm1PracticeTest, EscAfterCancellingTheRepeatLeavesNoLoopAnywhere)
{
    const auto form = makeForm();
    openLesson(*form);
    form->Timer2->setInterval(60'000);
    QTest::keyClick(form.get(), Qt::Key_F3);
    QTest::keyClick(form.get(), Qt::Key_F7); // the first sentence, 1-4 s, repeats
    QTest::keyClick(form.get(), Qt::Key_F9);
    form->SpeedButton11->click();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    QTest::keyClick(form.get(), Qt::Key_F5);

    EXPECT_EQ(form->Label6->text(), u"起始点：0:0:0  结束点：0:0:0"_s);
    EXPECT_EQ(form->TrackBar->SelEnd(), 0);
    EXPECT_FALSE(m_devices.player->loop());
    int highest = 0;
    for (int i = 0; i < 30; ++i) {
        tickAfter(*form, *m_devices.player, 333);
        highest = std::max(highest, m_devices.player->Position());
    }
    EXPECT_EQ(highest, 10'000); // played through to the end
}

namespace {

// The paragraph of the transcript heard at the position; -1: none is highlighted.
int highlightedParagraph(QTextEdit& pane)
{
    const QList<QTextEdit::ExtraSelection> selections = pane.extraSelections();
    return selections.isEmpty() ? -1 : selections.first().cursor.block().blockNumber();
}

} // namespace

TEST_F(TForm1PracticeTest, TheTranscriptFollowsTheVoiceAndAStampPlaysFromItself)
{
    auto form = makeForm();
    form->Timer2->setInterval(60'000); // the test fires it
    openLesson(*form);
    const QString lyrics = form->ProgramDir() + u"audio/lesson.lrc"_s;

    // The lyrics become stamped paragraphs of the empty pane, and survive a save and a reload.
    form->importLyricsFile(lyrics);
    const QString imported = u"[00:01.00] one\n[00:04.00] two\n[00:06.50] three"_s;
    EXPECT_EQ(form->RichTextEdit3->toPlainText(), imported);
    form->importLyricsFile(lyrics);
    EXPECT_EQ(m_prompts.texts(test::ScriptedPrompts::Kind::Information),
        QStringList { u"歌词或字幕只能导入到空白的文稿中。"_s });
    form->RichTextEdit3->setFocus();
    QTest::keyClick(form->RichTextEdit3, Qt::Key_S, Qt::ControlModifier);
    form->close();
    form = makeForm();
    form->Timer2->setInterval(60'000);
    openLesson(*form);
    QTextEdit& pane = *form->RichTextEdit3;
    EXPECT_EQ(pane.toPlainText(), imported);
    form->setFocus();

    // Playing: the paragraph heard is highlighted and its line is shown under the player.
    EXPECT_EQ(highlightedParagraph(pane), -1);
    QTest::keyClick(form.get(), Qt::Key_F5);
    tickAfter(*form, *m_devices.player, 500);
    EXPECT_EQ(highlightedParagraph(pane), -1);
    tickAfter(*form, *m_devices.player, 2'000);
    EXPECT_EQ(highlightedParagraph(pane), 0);
    EXPECT_EQ(form->LblSentence->sentence(), u"one"_s);
    tickAfter(*form, *m_devices.player, 2'000);
    EXPECT_EQ(highlightedParagraph(pane), 1);
    EXPECT_EQ(form->LblSentence->toolTip(), u"two"_s);
    tickAfter(*form, *m_devices.player, 3'000);
    EXPECT_EQ(highlightedParagraph(pane), 2);
    QTest::keyClick(form.get(), Qt::Key_F5);

    // Ctrl and a click on the second stamp play from it; F4 plays from the caret's paragraph.
    const QTextBlock second = pane.document()->findBlockByNumber(1);
    QTextCursor onStamp(second);
    onStamp.setPosition(second.position() + 3);
    const QPoint at = pane.cursorRect(onStamp).center();
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ControlModifier, at);
    EXPECT_EQ(m_devices.player->Position(), 4'000);
    EXPECT_EQ(m_devices.player->Mode(), ModePlaying);
    EXPECT_EQ(highlightedParagraph(pane), 1);
    QTextCursor caret(pane.document()->findBlockByNumber(2));
    pane.setTextCursor(caret);
    QTest::keyClick(&pane, Qt::Key_F4);
    EXPECT_EQ(m_devices.player->Position(), 6'500);
    EXPECT_EQ(pane.toPlainText(), imported);
    EXPECT_FALSE(form->RichTextEdit3->Modified());
}

} // namespace ecolvar

namespace ecolvar {

// The skip length and the rewind on pause come from the settings file, held within range.
TEST_F(TForm1PracticeTest, SkipLengthAndRewindOnPauseComeFromTheSettingsFile)
{
    const QString file = m_dir.filePath(u"ecolvar.conf"_s);
    test::writeFile(file, "[practice]\nskipSeconds=5\nrewindOnPauseSeconds=9\n");
    setSettingsFile(file);
    const auto form = makeForm();
    form->Timer2->setInterval(60'000);
    openLesson(*form);
    EXPECT_EQ(form->actForward2s->text(), u"前进 5 秒"_s);
    EXPECT_EQ(SkipSettings::load(file), (SkipSettings { 5, 3 }));

    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(form->Mp3Player->positionMs(), 5'000);
    QTest::keyClick(form.get(), Qt::Key_F5);
    tickAfter(*form, *m_devices.player, 1'500);
    QTest::keyClick(form.get(), Qt::Key_F5); // paused at 6.5 s, back 3 s
    EXPECT_EQ(form->Mp3Player->positionMs(), 3'500);
    EXPECT_EQ(form->TrackBar->value(), 3);
    QTest::keyClick(form.get(), Qt::Key_F2);
    EXPECT_EQ(form->Mp3Player->positionMs(), 0);
    setSettingsFile(QString());
}

} // namespace ecolvar
