#include "practice/sentencedrill.h"

#include "devicepasses.h"
#include "fakemediadevice.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

// The drill over a fake device with a manual clock moving in steps of 10 ms.
class DrillRig : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.addFile(u"/m/a.mp3"_s, 60000);
        device.setFileName(u"/m/a.mp3"_s);
        device.Open();
        device.clearCalls();
    }

    // Lets time pass until untilMs (or the drill's end); returns each device call as
    // "<ms> <call>" and each change of the status text as "<ms> [<text>]".
    QStringList runUntil(qint64 untilMs)
    {
        QStringList log;
        QString status = drill.statusText();
        auto record = [&] {
            for (const QString& call : device.calls())
                log.append(QString::number(now) + u' ' + call);
            device.clearCalls();
            if (drill.statusText() != status) {
                status = drill.statusText();
                log.append(u"%1 [%2]"_s.arg(now).arg(status));
            }
        };
        record();
        while (now < untilMs && drill.isRunning()) {
            device.advance(10);
            now += 10;
            drill.tick(now);
            record();
        }
        return log;
    }

    const QList<Sentence> sentences { { 0, 1000, {} }, { 1000, 3000, {} }, { 3000, 4000, {} } };
    test::FakeMediaDevice device;
    test::DevicePasses passes { device };
    SentenceDrill drill { passes };
    qint64 now = 0;
};

} // namespace

TEST_F(DrillRig, EachSentencePlaysNTimesWithPausesThenTheNextAndStopsAfterTheLast)
{
    drill.setSettings({ 2, 50 });
    drill.start(sentences, 0);
    EXPECT_EQ(drill.statusText(), u"第 1/3 句 · 第 1/2 遍"_s);
    const QStringList expected {
        u"0 Play 0-1000"_s,
        // a pause of half the sentence after each pass, the last pass included
        u"1500 Play 0-1000"_s,
        u"1500 [第 1/3 句 · 第 2/2 遍]"_s,
        u"3000 Play 1000-3000"_s,
        u"3000 [第 2/3 句 · 第 1/2 遍]"_s,
        u"6000 Play 1000-3000"_s,
        u"6000 [第 2/3 句 · 第 2/2 遍]"_s,
        u"9000 Play 3000-4000"_s,
        u"9000 [第 3/3 句 · 第 1/2 遍]"_s,
        u"10500 Play 3000-4000"_s,
        u"10500 [第 3/3 句 · 第 2/2 遍]"_s,
        // the last pass of the last sentence ends the drill without a pause
        u"11500 []"_s,
    };
    EXPECT_EQ(runUntil(60000), expected);
    EXPECT_FALSE(drill.isRunning());
    EXPECT_EQ(device.Position(), 4000);
    EXPECT_EQ(device.Mode(), ModeStopped);
}

TEST_F(DrillRig, AStopInTheMiddleStopsTheDeviceAndNothingPlaysAfterIt)
{
    drill.start(sentences, 1); // defaults: 3 passes, a pause as long as the sentence
    runUntil(2500); // the second sentence's first pass ended at 2000
    EXPECT_TRUE(drill.isPausing());
    EXPECT_EQ(drill.statusText(), u"第 2/3 句 · 第 1/3 遍"_s);
    runUntil(4500);
    EXPECT_EQ(drill.pass(), 2);
    EXPECT_EQ(device.Mode(), ModePlaying);

    drill.stop();
    EXPECT_EQ(device.calls().last(), u"Stop"_s);
    EXPECT_FALSE(drill.isRunning());
    EXPECT_EQ(drill.statusText(), QString());
    device.clearCalls();
    for (int i = 0; i < 100; ++i)
        drill.tick(now += 100);
    EXPECT_TRUE(device.calls().isEmpty());
}

TEST_F(DrillRig, JumpingRestartsAtTheFirstPassAndNoPauseMeansTheNextPassAtOnce)
{
    drill.setSettings({ 2, 0 });
    drill.start(sentences, 0);
    runUntil(500);
    drill.jumpTo(2);
    EXPECT_EQ(drill.statusText(), u"第 3/3 句 · 第 1/2 遍"_s);
    device.clearCalls();
    EXPECT_EQ(runUntil(60000),
        (QStringList {
            u"1500 Play 3000-4000"_s, u"1500 [第 3/3 句 · 第 2/2 遍]"_s, u"2500 []"_s }));
    drill.jumpTo(0); // a drill that ended stays ended
    EXPECT_FALSE(drill.isRunning());
}

TEST_F(DrillRig, SettingsAreKeptInRangeAndAMissingSentenceStartsNothing)
{
    drill.setSettings({ 0, -5 });
    EXPECT_EQ(drill.settings().passes, 1);
    EXPECT_EQ(drill.settings().pausePercent, 0);
    drill.setSettings({ 11, 250 });
    EXPECT_EQ(drill.settings().passes, 10);
    EXPECT_EQ(drill.settings().pausePercent, 200);

    drill.start(sentences, 3);
    drill.start({}, 0);
    EXPECT_FALSE(drill.isRunning());
    EXPECT_TRUE(device.calls().isEmpty());
}
