#include "audiofixtures.h"
#include "core/ecolvarerror.h"
#include "player/sndfilemediadevice.h"

#include "qtprinters.h"

#include <QAudioDevice>
#include <QDeadlineTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using test::audioFixture;
using test::decodedFrames;
using Output = SndFileMediaDevice::Output;

std::unique_ptr<SndFileMediaDevice> openDevice(const QString& name, Output output = Output::Silent)
{
    auto device = std::make_unique<SndFileMediaDevice>(output);
    device->setFileName(audioFixture(name));
    device->Open();
    return device;
}

// Lets the event loop run until playback stops by itself; false when it did not in time.
bool waitUntilStopped(MediaDevice& device, int timeoutMs = 5'000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (device.Mode() == ModePlaying) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

QString openErrorOf(const QString& path)
{
    SndFileMediaDevice device(Output::Silent);
    device.setFileName(path);
    try {
        device.Open();
    } catch (const EcolvarError& error) {
        EXPECT_EQ(device.Mode(), ModeNotReady);
        return error.text();
    }
    ADD_FAILURE() << "opened " << path.toStdString();
    return {};
}

// Lengths are exact: the decoder's gapless length with a LAME header, the frames really decoded
// without one (the decoder's own figure is an estimate there) or when the file is truncated.
TEST(SndFileMediaDevice, LengthIsWhatDecodes)
{
    for (const QString& name : { u"tone.wav"_s, u"mono8k.wav"_s, u"float48k.wav"_s, u"lame.mp3"_s,
             u"id3.mp3"_s, u"lame22k.mp3"_s }) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(openDevice(name, Output::Silent)->Length(), 2'000);
    }
    for (const auto& [name, rate] : { std::pair { u"cbr.mp3"_s, 44'100 },
             { u"truncated.mp3"_s, 44'100 }, { u"truncated22k.mp3"_s, 22'050 } }) {
        SCOPED_TRACE(name.toStdString());
        testing::internal::CaptureStderr(); // the decoder's notes about the truncated stream
        const long long frames = decodedFrames(audioFixture(name));
        const int length = openDevice(name)->Length();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(length, frames * 1000 / rate);
        EXPECT_LT(length, name == u"cbr.mp3" ? 2'100 : 1'000);
    }
}

// Joined files and lying headers measure what the file holds; a WAV beyond 4 GB keeps its
// length (no wrap to a negative number).
TEST(SndFileMediaDevice, LengthsOfJoinedLyingAndHugeFiles)
{
    QTemporaryDir dir;
    QFile lame(audioFixture(u"lame.mp3"_s));
    ASSERT_TRUE(lame.open(QIODevice::ReadOnly));
    const QByteArray bytes = lame.readAll();
    const qsizetype info = std::max(bytes.indexOf("Info"), bytes.indexOf("Xing"));
    QByteArray lying = bytes;
    for (int i = 0; i < 4; ++i)
        lying[info + 8 + i] = static_cast<char>(0x00C00000u >> (24 - 8 * i));
    // The joined file holds two files of 2 s. A header that disagrees with the file is read as
    // a frame of audio, and the encoder's delay and padding stay in: about 60 ms per part.
    for (const auto& [name, content, length] :
        { std::tuple { u"joined.mp3"_s, QByteArray(bytes + bytes), 4'120 },
            { u"lying.mp3"_s, lying, 2'060 } }) {
        SCOPED_TRACE(name.toStdString());
        const QString path = dir.filePath(name);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
        SndFileMediaDevice device(Output::Silent);
        device.setFileName(path);
        testing::internal::CaptureStderr();
        device.Open();
        testing::internal::GetCapturedStderr();
        EXPECT_NEAR(device.Length(), length, 20);
    }

    // 4 GiB + 1 MiB of silence (sparse) behind a header whose 32-bit sizes cannot count that
    // far: 44.1 kHz 16-bit stereo is 6.8 hours; 1 kHz 8-bit mono is 1 193 hours, more than the
    // int milliseconds of a position hold.
    const qint64 dataBytes = (qint64(4) << 30) + (1 << 20);
    const auto sparseWav = [&](const QString& name, const char* format) {
        const QString path = dir.filePath(name);
        QFile wav(path);
        EXPECT_TRUE(wav.open(QIODevice::WriteOnly));
        wav.write(QByteArray::fromHex("52494646ffffffff57415645666d742010000000") // RIFF, fmt
            + QByteArray::fromHex(format) + QByteArray::fromHex("64617461ffffffff")); // data
        EXPECT_TRUE(wav.resize(wav.size() + dataBytes));
        return path;
    };
    SndFileMediaDevice device(Output::Silent);
    device.setFileName(sparseWav(u"cd.wav"_s, "0100020044ac000010b1020004001000"));
    device.Open();
    EXPECT_GE(device.Length(), 0xFFFF'FFFFLL / 4 * 1000 / 44'100);
    EXPECT_LE(device.Length(), dataBytes / 4 * 1000 / 44'100);
    const QString tooLong = sparseWav(u"long.wav"_s, "01000100e8030000e803000001000800");
    EXPECT_TRUE(openErrorOf(tooLong).contains(u"it is longer than the player can count"_s))
        << openErrorOf(tooLong).toStdString();
}

TEST(SndFileMediaDevice, SeekClampsToTheFile)
{
    auto device = openDevice(u"lame.mp3"_s);
    EXPECT_EQ(device->Mode(), ModeStopped);
    for (const auto& [target, expected] :
        { std::pair { 1'234, 1'234 }, { 1, 1 }, { -50, 0 }, { 99'999, 2'000 } }) {
        device->Seek(target);
        EXPECT_EQ(device->Position(), expected) << "seek to " << target;
        EXPECT_EQ(device->Mode(), ModeStopped);
    }
}

TEST(SndFileMediaDevice, WithoutAFileRaisesNoDeviceOpen)
{
    auto device = openDevice(u"tone.wav"_s);
    device->Close();
    device->Close(); // nothing open: nothing happens
    for (const auto& operation :
        std::initializer_list<std::function<void()>> { [&] { device->Play(); },
            [&] { device->Stop(); }, [&] { device->Seek(0); }, [&] { device->Length(); } }) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const EcolvarError& error) {
            EXPECT_EQ(error.text(), noDeviceOpenText());
        }
    }
    EXPECT_EQ(device->Position(), 0);
    EXPECT_EQ(device->Mode(), ModeNotReady);
}

// Every open error says in our words what is wrong, with the decoder's own text beside it; the
// device is left closed.
TEST(SndFileMediaDevice, OpenErrorsCarryBothTexts)
{
    const QString missing = audioFixture(u"tone.wav"_s) + u".gone"_s;
    const struct {
        QString path;
        QString ours;
        QString decoders;
    } cases[] = {
        { missing, u"the file does not exist"_s, u"No such file or directory"_s },
        { audioFixture(u"empty.mp3"_s), u"the file is empty"_s, {} },
        { audioFixture(u"text.mp3"_s), u"not an MP3 or WAV file, or it is damaged"_s,
            u"Decoder: "_s },
        { audioFixture(u"noaudio.wav"_s), u"it holds no audio"_s, u"Decoder: 0 frames"_s },
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        const QString text = openErrorOf(c.path);
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(text.startsWith(u"Cannot open the audio file \""_s)) << text.toStdString();
        EXPECT_TRUE(text.contains(c.ours)) << text.toStdString();
        EXPECT_TRUE(text.contains(c.decoders)) << text.toStdString();
    }

    // A failed open closes the file opened before.
    auto device = openDevice(u"tone.wav"_s);
    device->setFileName(missing);
    EXPECT_THROW(device->Open(), EcolvarError);
    EXPECT_EQ(device->Mode(), ModeNotReady);
    EXPECT_THROW(device->Length(), EcolvarError);
}

// Damaged files either refuse to open or open and play; nothing crashes.
TEST(SndFileMediaDevice, SurvivesDamagedFiles)
{
    QRandomGenerator random(20261209);
    const QString damaged = audioFixture(u"tone.wav"_s) + u".damaged"_s;
    int opened = 0;
    testing::internal::CaptureStderr();
    for (int round = 0; round < 24; ++round) {
        QFile source(audioFixture(round % 2 ? u"lame.mp3"_s : u"tone.wav"_s));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        bytes.truncate(random.bounded(bytes.size()));
        for (int i = 0; i < 40 && !bytes.isEmpty(); ++i)
            bytes[random.bounded(
                std::min<qsizetype>(bytes.size(), round < 12 ? 200 : bytes.size()))]
                = static_cast<char>(random.bounded(256));
        QFile file(damaged + (round % 2 ? u".mp3"_s : u".wav"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        SndFileMediaDevice device(Output::Silent);
        device.setFileName(file.fileName());
        try {
            device.Open();
        } catch (const EcolvarError&) {
            continue;
        }
        ++opened;
        const int length = device.Length();
        EXPECT_GE(length, 0);
        device.Seek(length / 2);
        device.Play();
        QTest::qWait(20);
        device.Seek(length);
        device.Play();
        QTest::qWait(20);
        device.Stop();
        EXPECT_LE(device.Position(), length);
    }
    testing::internal::GetCapturedStderr();
    EXPECT_GT(opened, 0);
}

// A range stops at its end point with the position reading it exactly; the points applied to
// that play only, and stay readable.
TEST(SndFileMediaDevice, PlaysARangeOnce)
{
    for (const QString& name : { u"tone.wav"_s, u"cbr.mp3"_s, u"mono8k.wav"_s }) {
        SCOPED_TRACE(name.toStdString());
        auto device = openDevice(name);
        device->setPlayFrom(1'000);
        device->setPlayTo(1'150);
        device->Play();
        EXPECT_EQ(device->Mode(), ModePlaying);
        EXPECT_GE(device->Position(), 1'000);
        ASSERT_TRUE(waitUntilStopped(*device));
        EXPECT_EQ(device->Position(), 1'150);
        EXPECT_EQ(device->PlayFrom(), 1'000);
        EXPECT_EQ(device->PlayTo(), 1'150);

        // Nothing pending now: on from the position, past the old end point.
        device->Play();
        QTest::qWait(120);
        EXPECT_EQ(device->Mode(), ModePlaying);
        device->Stop();
        EXPECT_GT(device->Position(), 1'150);
        EXPECT_LT(device->Position(), 2'000);
    }
}

// Played to the end, the position reads the length; a play at the end starts from the beginning.
TEST(SndFileMediaDevice, PlaysToTheEndAndThenFromTheStart)
{
    for (const QString& name : { u"lame.mp3"_s, u"float48k.wav"_s, u"truncated.mp3"_s }) {
        SCOPED_TRACE(name.toStdString());
        testing::internal::CaptureStderr();
        auto device = openDevice(name);
        device->Seek(device->Length() - 150);
        device->Play();
        const bool stopped = waitUntilStopped(*device);
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(stopped);
        EXPECT_EQ(device->Position(), device->Length());

        device->Play();
        EXPECT_EQ(device->Mode(), ModePlaying);
        EXPECT_LT(device->Position(), 100);
        device->Stop();
    }
}

// An empty or inverted pending range (what loading and cancelling leave) raises nothing and plays
// on from the position.
TEST(SndFileMediaDevice, EmptyRangePlaysOnFromThePosition)
{
    auto device = openDevice(u"tone.wav"_s);
    for (const auto& [from, to] : { std::pair { 0, 0 }, { 900, 300 } }) {
        device->Seek(500);
        device->setPlayFrom(from);
        device->setPlayTo(to);
        device->Play();
        QTest::qWait(60);
        EXPECT_EQ(device->Mode(), ModePlaying);
        EXPECT_GT(device->Position(), 500);
        EXPECT_LT(device->Position(), 1'500);
        device->Stop();
    }
}

// The silent output is a real-time clock: position follows the wall clock within the output's
// buffer, and stopping keeps the position where it was.
TEST(SndFileMediaDevice, SilentOutputKeepsRealTime)
{
    auto device = openDevice(u"tone.wav"_s);
    QElapsedTimer clock;
    device->Play();
    clock.start();
    EXPECT_TRUE(device->playsSilently());
    QTest::qWait(300);
    const int position = device->Position();
    EXPECT_NEAR(position, clock.elapsed(), 100);
    device->Stop();
    EXPECT_NEAR(device->Position(), position, 30);
    EXPECT_EQ(device->Mode(), ModeStopped);
}

// The silent output plays a range for its whole length on the wall clock, then stops on the end
// point. Only lateness is allowed for (a loaded machine); ending early is a fault.
TEST(SndFileMediaDevice, SilentOutputPlaysARangeForItsWholeLength)
{
    for (const QString& name : { u"tone.wav"_s, u"mono8k.wav"_s }) {
        SCOPED_TRACE(name.toStdString());
        auto device = openDevice(name);
        device->setPlayFrom(300);
        device->setPlayTo(1'500);
        QElapsedTimer clock;
        clock.start();
        device->Play();
        ASSERT_TRUE(waitUntilStopped(*device, 10'000)) << "still playing after 10 s";
        const qint64 playedMs = clock.elapsed();
        EXPECT_GE(playedMs, 1'200 - 20);
        EXPECT_LE(playedMs, 1'200 + 2'000);
        EXPECT_EQ(device->Mode(), ModeStopped);
        EXPECT_EQ(device->Position(), 1'500);
    }
}

// Away from 1.0 every position stays in the file's time: after a seek it moves at the speed
// against the wall clock, and a range ends after its length divided by the speed with the
// position on its end point.
TEST(SndFileMediaDevice, SpeedKeepsPositionsInTheFilesTime)
{
    for (const double speed : { 0.5, 2.0 }) {
        SCOPED_TRACE(speed);
        auto device = openDevice(u"tone.wav"_s);
        device->setSpeed(speed);
        device->Seek(500);
        QElapsedTimer clock;
        clock.start(); // the silent output's clock starts inside Play
        device->Play();
        QTest::qWait(300);
        // With the wall clock at the speed, in the file's time: never ahead, and behind only as
        // far as a loaded machine's late timer lets the silent output fall.
        const double expected = 500 + double(clock.elapsed()) * speed;
        EXPECT_LE(device->Position(), expected + 25 * speed + 30);
        EXPECT_GE(device->Position(), expected - 120);
        device->Stop();
        const int stopped = device->Position();
        QTest::qWait(50);
        EXPECT_EQ(device->Position(), stopped);

        device->setPlayFrom(1'000);
        device->setPlayTo(1'600);
        clock.start();
        device->Play();
        ASSERT_TRUE(waitUntilStopped(*device));
        // A loaded machine may take longer, never shorter.
        EXPECT_GE(clock.elapsed(), 600 / speed - 40);
        EXPECT_LE(clock.elapsed(), 600 / speed + 150);
        EXPECT_EQ(device->Position(), 1'600);
        EXPECT_DOUBLE_EQ(device->speed(), speed); // holds across plays
    }
}

// A change of speed while playing takes effect at once and the position runs on from where it
// was, without a jump.
TEST(SndFileMediaDevice, SpeedChangeWhilePlayingNeitherJumpsNorStalls)
{
    auto device = openDevice(u"tone.wav"_s);
    device->Play();
    QTest::qWait(200);
    device->setSpeed(2.0);
    QElapsedTimer clock;
    clock.start();
    const int atChange = device->Position();
    int last = atChange;
    qint64 lastTime = 0;
    while (clock.elapsed() < 400) {
        QTest::qWait(5);
        const int now = device->Position();
        const qint64 time = clock.elapsed();
        // Between two readings the position moves on at most at twice the wall clock.
        EXPECT_GE(now, last);
        EXPECT_LE(now - last, 2 * (time - lastTime) + 50);
        last = now;
        lastTime = time;
    }
    // At 2.0 once the output's buffer and the stretcher's delay have played at 1.0.
    EXPECT_GE(last - atChange, 2 * lastTime - 200);
    EXPECT_EQ(device->Mode(), ModePlaying);
}

// A loop inside the file repeats without end at any speed: the position never passes the loop's
// end, it comes back to the start again and again, and once the loop is cleared playback runs
// on to the end of the file.
TEST(SndFileMediaDevice, LoopsInsideTheFile)
{
    for (const double speed : { 1.0, 1.5 }) {
        SCOPED_TRACE(speed);
        auto device = openDevice(u"lame.mp3"_s);
        device->setSpeed(speed);
        device->setLoop(600, 900);
        device->Seek(500);
        device->Play();
        QElapsedTimer clock;
        clock.start();
        int last = device->Position();
        int wraps = 0;
        while (clock.elapsed() < 1'500) {
            QTest::qWait(5);
            const int now = device->Position();
            ASSERT_LT(now, 900);
            ASSERT_GE(now, 500);
            ASSERT_EQ(device->Mode(), ModePlaying);
            wraps += now < last - 150 ? 1 : 0;
            last = now;
        }
        EXPECT_GE(wraps, int(1.5 * speed / 0.3) - 2);
        device->clearLoop();
        ASSERT_TRUE(waitUntilStopped(*device));
        EXPECT_EQ(device->Position(), 2'000);
    }
}

// The queued file plays on in the same play, in the same format or converted to it (another
// sample rate, mono after stereo): once the seam is heard, the device describes the new file in
// its own milliseconds, and playing ends at that file's end.
TEST(SndFileMediaDevice, GoesOnIntoTheQueuedFileOfAnyRateMonoOrStereo)
{
    QTemporaryDir dir;
    const QString first = audioFixture(u"tone.wav"_s);
    const QString copy = dir.filePath(u"second.wav"_s);
    ASSERT_TRUE(QFile::copy(first, copy));
    for (const auto& [second, speed] : { std::pair { copy, 1.0 }, { copy, 1.5 },
             { audioFixture(u"mono24k.wav"_s), 1.0 }, { audioFixture(u"lame22k.mp3"_s), 1.5 } }) {
        SCOPED_TRACE(testing::Message() << second.toStdString() << " at " << speed);
        auto device = openDevice(u"tone.wav"_s);
        device->setSpeed(speed);
        device->setNextFile(second);
        device->Seek(1'700);
        device->Play();
        const QDeadlineTimer deadline(5'000);
        int last = 0;
        for (;;) {
            // Mode and Position may each move on: both are read before the count is.
            const int mode = device->Mode();
            const int now = device->Position();
            if (device->movedOnCount() > 0)
                break;
            ASSERT_FALSE(deadline.hasExpired());
            ASSERT_EQ(mode, ModePlaying);
            EXPECT_EQ(device->FileName(), first);
            ASSERT_GE(now, last);
            last = now;
            QTest::qWait(5);
        }
        EXPECT_EQ(device->FileName(), second);
        EXPECT_TRUE(device->nextFile().isEmpty());
        EXPECT_EQ(device->Mode(), ModePlaying);
        EXPECT_LT(device->Position(), 1'000);
        EXPECT_EQ(device->Length(), 2'000);
        ASSERT_TRUE(waitUntilStopped(*device));
        EXPECT_EQ(device->Position(), 2'000);
        EXPECT_EQ(device->movedOnCount(), 1);
    }
}

// A queued file whose channels do not map onto the output's (six after two), or one that does not
// open, is not played on into: playing stops at the end as always, and opening the queued file
// then opens it or says why it cannot.
TEST(SndFileMediaDevice, StopsAtTheEndBeforeAQueuedFileItCannotGoOnInto)
{
    for (const QString& name : { u"surround.wav"_s, u"empty.mp3"_s }) {
        SCOPED_TRACE(name.toStdString());
        const QString next = audioFixture(name);
        auto device = openDevice(u"tone.wav"_s);
        device->setNextFile(next);
        QTest::qWait(50); // time to open it ahead
        device->Seek(1'800);
        device->Play();
        ASSERT_TRUE(waitUntilStopped(*device));
        EXPECT_EQ(device->Position(), 2'000);
        EXPECT_EQ(device->FileName(), audioFixture(u"tone.wav"_s));
        EXPECT_EQ(device->movedOnCount(), 0);
        device->setFileName(next);
        if (name == u"empty.mp3") {
            EXPECT_THROW(device->Open(), EcolvarError);
        } else {
            device->Open();
            EXPECT_EQ(device->Length(), 2'000);
        }
        EXPECT_TRUE(device->nextFile().isEmpty());
    }
}

// Without a sound server the speakers' device plays silently, with the same positions and end.
// ctest runs this with the server out of reach (player_without_sound_server).
TEST(SndFileMediaDevice, PlaysSilentlyWithoutASoundServer)
{
    if (!QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "an audio output exists; ctest runs this test without one";
    auto device = openDevice(u"lame.mp3"_s, Output::Speakers);
    device->setPlayFrom(300);
    device->setPlayTo(450);
    device->Play();
    EXPECT_TRUE(device->playsSilently());
    ASSERT_TRUE(waitUntilStopped(*device));
    EXPECT_EQ(device->Position(), 450);
}

// The analysis of a recording: 50 ms windows, silent below an RMS of 500, pitched by zero
// crossings.
struct Recording {
    int toneMs = 0; // windows of 400-480 Hz
    int otherLoudMs = 0; // loud windows at another pitch
};

Recording analyse(const QByteArray& raw, int rate, int channels)
{
    const auto* samples = reinterpret_cast<const qint16*>(raw.constData());
    const qsizetype frames = raw.size() / (2 * channels);
    const int window = rate / 20;
    Recording result;
    for (qsizetype start = 0; start + window <= frames; start += window) {
        double sum = 0;
        int crossings = 0;
        for (int i = 0; i < window; ++i) {
            const qint16 s = samples[(start + i) * channels];
            sum += double(s) * s;
            if (i > 0 && (samples[(start + i - 1) * channels] < 0) != (s < 0))
                ++crossings;
        }
        if (std::sqrt(sum / window) < 500)
            continue;
        const double hz = crossings / 2.0 / 0.05;
        (hz >= 400 && hz <= 480 ? result.toneMs : result.otherLoudMs) += 50;
    }
    return result;
}

// The real output: a 1 s range of a 440 Hz tone comes out of the sound server at the right pitch
// and for about the right time, and the position then reads the end point.
TEST(SndFileMediaDevice, PlaysThroughTheSoundServer)
{
    QProcess pactl;
    pactl.start(u"pactl"_s, { u"get-default-sink"_s });
    if (!pactl.waitForFinished(5'000) || pactl.exitCode() != 0)
        GTEST_SKIP() << "no sound server is reachable (pactl failed); ./test.sh starts one";
    QString sink = qEnvironmentVariable("ECOLVAR_TEST_SINK");
    if (sink.isEmpty())
        sink = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    if (QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "Qt finds no audio output on the sound server";

    auto device = openDevice(u"tone.wav"_s, Output::Speakers);
    QProcess parec;
    parec.start(u"parec"_s,
        { u"-d"_s, sink + u".monitor"_s, u"--format=s16le"_s, u"--rate=44100"_s, u"--channels=2"_s,
            u"--latency-msec=20"_s, u"--raw"_s });
    ASSERT_TRUE(parec.waitForStarted(5'000));
    QTest::qWait(300);
    device->setPlayFrom(500);
    device->setPlayTo(1'500);
    device->Play();
    EXPECT_FALSE(device->playsSilently());
    ASSERT_TRUE(waitUntilStopped(*device));
    EXPECT_EQ(device->Position(), 1'500);
    QTest::qWait(300);
    parec.terminate();
    ASSERT_TRUE(parec.waitForFinished(5'000));

    const Recording recording = analyse(parec.readAllStandardOutput(), 44'100, 2);
    EXPECT_NEAR(recording.toneMs, 1'000, 200);
    EXPECT_LE(recording.otherLoudMs, 200);
}

} // namespace
} // namespace ecolvar
