#include "practice/practicecontroller.h"

#include "devicepasses.h"
#include "fakemediadevice.h"
#include "playlists/playlistdatabase.h"
#include "practice/practicestore.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

class RecordingView : public PracticeView {
public:
    void showSentenceTicks(const QList<int>& startsMs) override { ticks = startsMs; }
    void showDrillStatus(const QString& text) override { status = text; }
    void showPracticeMessage(const QString& text) override { message = text; }
    void showCurrentSentence(const QString& text) override { sentence = text; }

    QList<int> ticks { -1 };
    QString status = u"?"_s;
    QString message = u"?"_s;
    QString sentence = u"?"_s;
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
    test::DevicePasses passes { device };
    RecordingView view;
};

} // namespace

TEST_F(PracticeControllerTest, SentenceCommandsAndTheDrillFollowTheMarksOfTheOpenFile)
{
    PracticeController practice(passes, nullptr, view);
    EXPECT_FALSE(practice.documentOpened(u"lesson"_s, { { audio, 0, 10000 } }));
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

    // A list: each file's marks on the one timeline; the second file's lyrics start at 0.5 s.
    practice.toggleDrill(0);
    const QString second = dir.filePath(u"second.wav"_s);
    test::writeFile(dir.filePath(u"second.lrc"_s), "[00:00.50]four\n[00:02.00]five\n");
    practice.documentOpened(u"My list"_s, { { audio, 0, 10000 }, { second, 10000, 3000 } });
    EXPECT_EQ(view.ticks, (QList<int> { 1000, 4000, 6500, 10500, 12000 }));
    EXPECT_FALSE(practice.drill().isRunning());
    // The last sentence of a file ends with it; the next file's first holds its beginning.
    EXPECT_EQ(practice.sentenceAt(9000), (Sentence { 6500, 10000, u"three"_s }));
    EXPECT_EQ(practice.sentenceAt(10000), (Sentence { 10500, 12000, u"four"_s }));
    EXPECT_EQ(practice.nextSentenceStart(7000), 10500);
    EXPECT_EQ(practice.previousSentenceStart(10600), 6500);
    practice.showSentenceAt(12500);
    EXPECT_EQ(view.sentence, u"five"_s);
    practice.toggleDrill(11000);
    EXPECT_EQ(view.status, u"第 4/5 句 · 第 1/1 遍"_s);
    practice.toggleDrill(0);
    EXPECT_TRUE(practice.noSentenceReason(11000).isEmpty());

    // A file without marks says why, where the other still has its sentences.
    const QString silent = dir.filePath(u"silent.wav"_s);
    test::writeFile(silent, "not audio at all");
    practice.documentOpened(u"My list"_s, { { silent, 0, 4000 }, { second, 4000, 3000 } });
    QCoreApplication::processEvents();
    for (int i = 0; i < 200 && !practice.sentenceAt(5000); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(practice.sentenceAt(1000));
    EXPECT_EQ(practice.noSentenceReason(1000), u"这个文件无法分句"_s);
    EXPECT_EQ(practice.sentenceAt(5000), (Sentence { 4500, 6000, u"four"_s }));
}

TEST_F(PracticeControllerTest, ADocumentReopenedAfterARestartResumesWhereItWasLeft)
{
    const QString file = dir.filePath(u"vek.db"_s);
    {
        PlaylistDatabase database(file);
        PracticeStore store(database);
        PracticeController practice(passes, &store, view);
        practice.documentOpened(u"lesson"_s, { { audio, 0, 10000 } });
        practice.documentLeft(u"lesson"_s, 7300, 0.9);
        practice.documentLeft(u"My list"_s, 123456, 1.0);
    }
    PlaylistDatabase database(file);
    PracticeStore store(database);
    PracticeController practice(passes, &store, view);
    EXPECT_EQ(
        practice.documentOpened(u"lesson"_s, { { audio, 0, 10000 } }), (ResumePoint { 7300, 0.9 }));
    EXPECT_EQ(practice.documentOpened(u"my list"_s, {}), (ResumePoint { 123456, 1.0 }));
    EXPECT_FALSE(practice.documentOpened(u"other"_s, {}));
    // Opening does not play.
    EXPECT_NE(device.Mode(), ModePlaying);
}
