// Measures the media device on long files made at run time: open + length, position against the
// wall clock while playing, play-after-seek latency, resident memory while playing a 2-hour MP3.
// Plays through the default audio output when there is one (bench/media.sh starts a null sink),
// else through the silent output. Run once: making the files takes a few minutes.
#include "player/sndfilemediadevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;
using ecolvar::SndFileMediaDevice;

namespace {

void shell(const QString& command)
{
    std::printf("making: %s\n", qPrintable(command));
    std::fflush(stdout);
    QProcess process;
    process.start(u"sh"_s, { u"-c"_s, command });
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s\n", process.readAllStandardError().constData());
        std::exit(1);
    }
}

void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::msleep(1);
    }
}

long residentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void openAndLength(const QString& label, const QString& path)
{
    std::vector<double> times;
    int length = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        SndFileMediaDevice device(SndFileMediaDevice::Output::Silent);
        device.setFileName(path);
        device.Open();
        length = device.Length();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    const long long estimate = info.frames * 1000 / info.samplerate;
    sf_close(file);
    std::printf("open+length %-22s first %8.2f ms, median of 5 %8.2f ms; Length %d ms "
                "(libsndfile's own figure %lld ms)\n",
        qPrintable(label), times.front(), median(times), length, estimate);
}

long long decodedMs(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    std::vector<short> buffer(8192 * static_cast<std::size_t>(info.channels));
    long long frames = 0;
    sf_count_t got = 0;
    while ((got = sf_readf_short(file, buffer.data(), 8192)) > 0)
        frames += got;
    sf_close(file);
    return frames * 1000 / info.samplerate;
}

// What reached the output, heard on the sound server's monitor: a file of silence with a short
// click at every whole second is played while parec records the monitor; the time each click
// reached the output (from when its bytes arrived here) is compared with Position() at that time.
void positionAgainstOutput(const QString& clicks)
{
    SndFileMediaDevice device;
    device.setFileName(clicks);
    device.Open();
    QString sink = qEnvironmentVariable("ECOLVAR_TEST_SINK");
    if (sink.isEmpty()) {
        QProcess pactl;
        pactl.start(u"pactl"_s, { u"get-default-sink"_s });
        pactl.waitForFinished();
        sink = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    }
    QElapsedTimer clock;
    clock.start();
    QProcess parec;
    QByteArray recording;
    std::vector<std::pair<qint64, qint64>> arrivals; // (ns, bytes recorded so far)
    QObject::connect(&parec, &QProcess::readyReadStandardOutput, [&] {
        recording += parec.readAllStandardOutput();
        arrivals.emplace_back(clock.nsecsElapsed(), recording.size());
    });
    parec.start(u"parec"_s,
        { u"-d"_s, sink + u".monitor"_s, u"--format=s16le"_s, u"--rate=44100"_s, u"--channels=1"_s,
            u"--latency-msec=5"_s, u"--raw"_s });
    if (sink.isEmpty() || !parec.waitForStarted()) {
        std::printf("position against the output: no sound server, not measured\n");
        return;
    }
    pump(500);
    std::vector<std::pair<qint64, int>> positions; // (ns, Position())
    device.Play();
    if (device.playsSilently()) {
        std::printf("position against the output: no audio output, not measured\n");
        return;
    }
    const qint64 playedAt = clock.nsecsElapsed();
    while (clock.nsecsElapsed() - playedAt < 10'500'000'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        positions.emplace_back(clock.nsecsElapsed(), device.Position());
        QThread::usleep(500);
    }
    device.Stop();
    pump(100);
    parec.terminate();
    parec.waitForFinished();

    const auto* samples = reinterpret_cast<const qint16*>(recording.constData());
    const qint64 count = recording.size() / 2;
    std::vector<double> errors;
    qint64 quietSince = 0;
    for (qint64 i = 0; i < count; ++i) {
        if (std::abs(samples[i]) < 1'000) {
            ++quietSince;
            continue;
        }
        if (quietSince > 4'410) { // a click after at least 100 ms of silence
            // The arrival of the chunk holding the sample, less the samples after it.
            const auto chunk = std::lower_bound(arrivals.begin(), arrivals.end(), (i + 1) * 2,
                [](const auto& arrival, qint64 bytes) { return arrival.second < bytes; });
            const qint64 reachedNs
                = chunk->first - (chunk->second / 2 - i) * 1'000'000'000 / 44'100;
            const auto at = std::lower_bound(positions.begin(), positions.end(), reachedNs,
                [](const auto& p, qint64 ns) { return p.first < ns; });
            // The click's number from the position itself: right while the error is under 0.5 s
            // (a click lost while the stream starts must not shift the others).
            if (at != positions.end() && at != positions.begin())
                errors.push_back(at->second - std::round(at->second / 1000.0) * 1000.0);
        }
        quietSince = 0;
    }
    if (errors.empty()) {
        std::printf("position against the output: no click heard\n");
        return;
    }
    std::sort(errors.begin(), errors.end());
    std::printf("position against the output (%zu clicks over 10 s, position minus the click "
                "reaching the output, + = ahead): min %.0f, median %.0f, max %.0f ms\n",
        errors.size(), errors.front(), errors[errors.size() / 2], errors.back());
}

void positionAgainstClock(const QString& path)
{
    SndFileMediaDevice device;
    device.setFileName(path);
    device.Open();
    device.Seek(600'000);
    QElapsedTimer clock;
    device.Play();
    clock.start();
    std::printf("playing through the %s output\n", device.playsSilently() ? "silent" : "audio");
    // Position minus wall-clock time since Play: constant when the position moves at the
    // real-time rate; its offset is the start-up latency of the output.
    std::vector<double> lag;
    double firstPos = 0, firstWall = 0, lastPos = 0, lastWall = 0;
    while (clock.elapsed() < 10'000) {
        pump(20);
        const double wall = clock.nsecsElapsed() / 1e6;
        const double position = device.Position() - 600'000;
        if (wall < 500)
            continue; // the output starting up
        if (firstWall == 0) {
            firstWall = wall;
            firstPos = position;
        }
        lastWall = wall;
        lastPos = position;
        lag.push_back(wall - position);
    }
    device.Stop();
    std::sort(lag.begin(), lag.end());
    std::printf("position against the wall clock over 9.5 s (wall time since Play minus "
                "position): min %.1f, median %.1f, max %.1f ms; rate %.4f x real time\n",
        lag.front(), lag[lag.size() / 2], lag.back(),
        (lastPos - firstPos) / (lastWall - firstWall));
}

void playAfterSeek(const QString& path)
{
    SndFileMediaDevice device;
    device.setFileName(path);
    device.Open();
    std::vector<double> seeks, plays, firstAudio;
    const int length = device.Length();
    for (int run = 0; run < 20; ++run) {
        const int target
            = static_cast<int>(static_cast<long long>(length) * ((run * 37) % 100) / 100);
        QElapsedTimer clock;
        clock.start();
        device.Seek(target);
        seeks.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        device.Play();
        plays.push_back(clock.nsecsElapsed() / 1e6);
        while (device.msToFirstAudio() < 0 && clock.elapsed() < 2'000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(200);
        }
        firstAudio.push_back(clock.nsecsElapsed() / 1e6);
        pump(100);
        device.Stop();
    }
    std::printf("seek (20 random points of an hour): median %.2f ms, max %.2f ms (the first "
                "far seek of a file is the slow one)\n",
        median(seeks), *std::max_element(seeks.begin(), seeks.end()));
    std::printf("play after seek: Play() returns in median %.2f ms, max %.2f ms; first audio "
                "handed to the output after median %.1f ms, max %.1f ms\n",
        median(plays), *std::max_element(plays.begin(), plays.end()), median(firstAudio),
        *std::max_element(firstAudio.begin(), firstAudio.end()));
}

void memoryWhilePlaying(const QString& path)
{
    const long before = residentKiB();
    SndFileMediaDevice device;
    device.setFileName(path);
    device.Open();
    const long opened = residentKiB();
    long peak = 0;
    for (const int from : { 0, 3'600'000, device.Length() - 4'000 }) {
        device.Seek(from);
        device.Play();
        for (int i = 0; i < 15; ++i) {
            pump(200);
            peak = std::max(peak, residentKiB());
        }
        device.Stop();
    }
    std::printf("resident memory, 2-hour MP3 (%lld MB, Length %d ms): before open %ld KiB, after "
                "open %ld KiB, peak while playing at 0, 1 h and the end %ld KiB\n",
        static_cast<long long>(QFile(path).size() / 1'000'000), device.Length(), before, opened,
        peak);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath(u"hour.wav"_s);
    const QString lame = dir.filePath(u"hour-lame.mp3"_s);
    const QString bare = dir.filePath(u"hour-noheader.mp3"_s);
    const QString twoHours = dir.filePath(u"two-hours.mp3"_s);
    const QString clicks = dir.filePath(u"clicks.wav"_s);
    shell(u"sox -n -r 44100 -c 2 -b 16 '%1' synth 0.005 sine 1000 vol 0.8 pad 0 0.995 repeat 11"_s
              .arg(clicks));
    if (argc > 1 && QByteArray(argv[1]) == "--position") {
        positionAgainstOutput(clicks);
        return 0;
    }
    // A tone that changes pitch every second, so the encoder has something to do.
    const QString synth = u"synth 1 sine 300-900 repeat %1 vol 0.5"_s;
    shell(u"sox -n -r 44100 -c 2 -b 16 '%1' "_s.arg(wav) + synth.arg(3599));
    shell(u"lame --quiet -q 7 '%1' '%2'"_s.arg(wav, lame));
    shell(u"lame --quiet -q 7 -t '%1' '%2'"_s.arg(wav, bare));
    shell(u"sox -n -r 44100 -c 2 -b 16 -t wav - "_s + synth.arg(7199)
        + u" | lame --quiet -q 7 - '%1'"_s.arg(twoHours));

    openAndLength(u"60-min MP3, LAME header"_s, lame);
    openAndLength(u"60-min MP3, no header"_s, bare);
    openAndLength(u"60-min WAV"_s, wav);
    QElapsedTimer clock;
    clock.start();
    const long long decoded = decodedMs(bare);
    std::printf("60-min MP3 without header decoded to the end: %lld ms of audio (decoding took "
                "%lld ms)\n",
        decoded, clock.elapsed());

    positionAgainstOutput(clicks);
    positionAgainstClock(wav);
    playAfterSeek(lame);
    memoryWhilePlaying(twoHours);
    return 0;
}
