#include "practice/practicecontroller.h"

#include "fakemediadevice.h"
#include "playlists/playlistdatabase.h"
#include "practice/practicestore.h"
#include "testutil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

class RecordingView : public PracticeView {
public:
    void showSentenceTicks(const QList<int>& startsMs) override { ticks = startsMs; }
    void showDrillStatus(const QString& text) override { status = text; }
    void showPracticeMessage(const QString& text) override { message = text; }

    QList<int> ticks { -1 };
    QString status = u"?"_s;
    QString message = u"?"_s;
};

class PracticeControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        audio = dir.filePath(u"lesson.mp3"_s);
        test::writeFile(
            dir.filePath(u"lesson.lrc"_s), "[00:01.00]one\n[00:04.00]two\n[00:06.50]three\n");
        device.addFile(audio, 10000);
        device.setFileName(audio);
        device.Open();
    }

    QTemporaryDir dir;
    QString audio;
    test::FakeMediaDevice device;
    RecordingView view;
};

} // namespace

TEST_F(PracticeControllerTest, SentenceCommandsAndTheDrillFollowTheMarksOfTheOpenFile)
{
    PracticeController practice(device, nullptr, view);
    EXPECT_FALSE(practice.documentOpened(u"lesson"_s, audio, 10000));
    EXPECT_EQ(view.ticks, (QList<int> { 1000, 4000, 6500 }));
    EXPECT_EQ(view.message, QString());

    EXPECT_EQ(practice.previousSentenceStart(5000), 1000);
    EXPECT_EQ(practice.previousSentenceStart(500), 1000);
    EXPECT_EQ(practice.nextSentenceStart(5000), 6500);
    EXPECT_EQ(practice.nextSentenceStart(500), 1000);
    EXPECT_FALSE(practice.nextSentenceStart(7000));
    EXPECT_EQ(practice.sentenceAt(4000), (Sentence { 4000, 6500, u"two"_s }));

    practice.drill().setSettings({ 1, 0 });
    practice.toggleDrill(5000);
    EXPECT_EQ(view.status, u"第 2/3 句 · 第 1/1 遍"_s);
    EXPECT_EQ(device.calls().last(), u"Play 4000-6500"_s);
    device.advance(2500);
    practice.tick(2500);
    EXPECT_EQ(view.status, u"第 3/3 句 · 第 1/1 遍"_s);
    EXPECT_TRUE(practice.stepDrill(-2));
    EXPECT_EQ(view.status, u"第 1/3 句 · 第 1/1 遍"_s);
    practice.toggleDrill(0);
    EXPECT_EQ(view.status, QString());
    EXPECT_FALSE(practice.stepDrill(1));

    // A playlist has no marks: the ticks go and the commands find no sentence.
    practice.toggleDrill(0);
    practice.documentOpened(u"My list"_s, QString(), 50000);
    EXPECT_TRUE(view.ticks.isEmpty());
    EXPECT_EQ(view.status, QString());
    EXPECT_FALSE(practice.drill().isRunning());
    EXPECT_FALSE(practice.sentenceAt(1000));
    practice.toggleDrill(0);
    EXPECT_FALSE(practice.drill().isRunning());
}

TEST_F(PracticeControllerTest, ADocumentReopenedAfterARestartResumesWhereItWasLeft)
{
    const QString file = dir.filePath(u"vek.db"_s);
    {
        PlaylistDatabase database(file);
        PracticeStore store(database);
        PracticeController practice(device, &store, view);
        practice.documentOpened(u"lesson"_s, audio, 10000);
        practice.documentLeft(u"lesson"_s, 7300, 0.9);
        practice.documentLeft(u"My list"_s, 123456, 1.0);
    }
    PlaylistDatabase database(file);
    PracticeStore store(database);
    PracticeController practice(device, &store, view);
    EXPECT_EQ(practice.documentOpened(u"lesson"_s, audio, 10000), (ResumePoint { 7300, 0.9 }));
    EXPECT_EQ(practice.documentOpened(u"my list"_s, QString(), 0), (ResumePoint { 123456, 1.0 }));
    EXPECT_FALSE(practice.documentOpened(u"other"_s, QString(), 0));
    // Opening does not play.
    EXPECT_NE(device.Mode(), ModePlaying);
}
