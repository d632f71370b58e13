#include "audiofixtures.h"
#include "core/ecolvarerror.h"
#include "player/sndfilemediadevice.h"

#include "qtprinters.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QRandomGenerator>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using test::audioFixture;
using Output = SndFileMediaDevice::Output;

// The seed of the random operations: ECOLVAR_STRESS_SEED repeats a run, else a new one each run.
quint32 stressSeed()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("ECOLVAR_STRESS_SEED").toUInt(&ok);
    return ok ? seed : QRandomGenerator::global()->generate();
}

struct StressResult {
    int operations = 0;
    int plays = 0;
    int playsThroughSink = 0;
};

// Random operations at the pace of a learner clicking as fast as possible: play, stop, seek,
// pause and resume, close, open another file, set the points, the speed and the loop, with the
// event loop running between some of them. After every operation the position lies inside the file.
StressResult stress(Output output, quint32 seed, int operations)
{
    QRandomGenerator random(seed);
    const QStringList files
        = { u"tone.wav"_s, u"lame.mp3"_s, u"mono8k.wav"_s, u"cbr.mp3"_s, u"float48k.wav"_s };
    for (const QString& name : files)
        audioFixture(name); // made before the clock matters
    SndFileMediaDevice device(output);
    StressResult result;
    const auto openAny = [&] {
        device.setFileName(audioFixture(files[random.bounded(files.size())]));
        device.Open();
    };
    openAny();
    for (int i = 0; i < operations; ++i) {
        const bool open = device.Mode() != ModeNotReady;
        const int length = open ? device.Length() : 0;
        const int pick = random.bounded(100);
        if (!open || pick < 3) {
            openAny();
        } else if (pick < 30) {
            device.Play();
            ++result.plays;
            result.playsThroughSink += device.playsSilently() ? 0 : 1;
        } else if (pick < 45) {
            device.Stop();
        } else if (pick < 60) {
            device.Seek(random.bounded(-200, length + 200));
        } else if (pick < 70) {
            device.Stop(); // pause, then resume
            QTest::qWait(random.bounded(10));
            device.Play();
            ++result.plays;
        } else if (pick < 74) {
            device.Close();
        } else if (pick < 82) {
            device.setPlayFrom(random.bounded(-100, length + 100));
        } else if (pick < 88) {
            device.setPlayTo(random.bounded(-100, length + 100));
        } else if (pick < 91) {
            device.setSpeed(0.5 + 0.1 * random.bounded(16));
        } else if (pick < 93) {
            const int from = random.bounded(-100, length + 100);
            device.setLoop(from, from + random.bounded(-50, 800));
        } else if (pick < 94) {
            device.clearLoop();
        } else {
            QTest::qWait(random.bounded(1, 40));
        }
        ++result.operations;
        if (device.Mode() != ModeNotReady) {
            const int position = device.Position();
            EXPECT_GE(position, 0) << "operation " << i;
            EXPECT_LE(position, device.Length()) << "operation " << i;
        } else {
            EXPECT_EQ(device.Position(), 0) << "operation " << i;
        }
        if (testing::Test::HasFailure())
            break;
    }
    return result;
}

// 2 000 random operations through the sound server (when one is reachable), then through the
// silent output: nothing crashes (the sanitizers watch every run) and the position never leaves
// the file.
TEST(MediaDeviceStress, SurvivesRandomOperations)
{
    const quint32 seed = stressSeed();
    std::cout << "[ stress   ] seed " << seed << " (ECOLVAR_STRESS_SEED repeats it)" << std::endl;
    RecordProperty("seed", std::to_string(seed));
    const bool server = !QMediaDevices::defaultAudioOutput().isNull();
    for (const Output output : { Output::Speakers, Output::Silent }) {
        SCOPED_TRACE(output == Output::Speakers ? "speakers" : "silent");
        const StressResult result = stress(output, seed, 2'000);
        std::cout << "[ stress   ] " << (output == Output::Speakers ? "speakers" : "silent") << ": "
                  << result.operations << " operations, " << result.plays << " plays, "
                  << result.playsThroughSink << " through the sound server" << std::endl;
        EXPECT_EQ(result.operations, 2'000);
        if (output == Output::Speakers && server) {
            EXPECT_GT(result.playsThroughSink, 0);
        }
    }
}

} // namespace
} // namespace ecolvar
