// The gap between two files of a list, as heard: the media device plays the end of one tone
// file (44.1 kHz stereo) and then the next, of the same format or at 24 kHz mono, once with the
// next file queued (the device goes on by itself) and once
// the way a list moved on before (a 333 ms tick finds the device stopped, opens the next file and
// plays it). The sink's monitor is recorded with parec; the gap is the silence between the two
// tones (silences elsewhere are the output starving on a loaded machine). Also prints the longest a
// device call held the calling thread. Run with bench/gapless.sh (a null sink when no sound server
// runs).
#include "player/sndfilemediadevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;
using ecolvar::SndFileMediaDevice;

namespace {

constexpr int rate = 44'100;
// Silence: a 2 ms window (close to a period of the 440 Hz tone) below this RMS.
constexpr double silentRms = 500;
constexpr int windowFrames = rate * 2 / 1000;

void shell(const QString& command)
{
    QProcess process;
    process.start(u"sh"_s, { u"-c"_s, command });
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s\n%s\n", qPrintable(command),
            process.readAllStandardError().constData());
        std::exit(1);
    }
}

// Runs the event loop for ms milliseconds, calling `each` every `period` ms; returns the
// longest single call of `each`.
qint64 pump(int ms, int period, const std::function<void()>& each)
{
    QElapsedTimer clock;
    clock.start();
    qint64 next = 0;
    qint64 longest = 0;
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (clock.elapsed() >= next) {
            QElapsedTimer call;
            call.start();
            each();
            longest = std::max(longest, call.elapsed());
            next += period;
        }
        QThread::msleep(1);
    }
    return longest;
}

struct Heard {
    double gapMs = -1; // silence between the last window of the first tone and the second's first
    double otherMs = 0; // the longest silence elsewhere between the first sound and the last
};

// The first file is a 440 Hz tone, the second 660 Hz: 10 ms windows are told apart by their zero
// crossings (8.8 and 13.2), the silence between them is counted in 2 ms windows.
Heard listen(const QString& rawPath)
{
    QFile file(rawPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
    const qint64 frames = bytes.size() / 4;
    const auto left = [&](qint64 i) { return double(samples[2 * i]); };
    std::vector<bool> loud;
    for (qint64 w = 0; w + windowFrames <= frames; w += windowFrames) {
        double sum = 0;
        for (qint64 i = w; i < w + windowFrames; ++i)
            sum += left(i) * left(i);
        loud.push_back(std::sqrt(sum / windowFrames) >= silentRms);
    }
    // 0: silence or unclear, 1: the first tone, 2: the second.
    std::vector<int> tone;
    for (std::size_t w = 0; w + 5 <= loud.size(); w += 5) {
        int crossings = 0;
        for (qint64 i = qint64(w) * windowFrames + 1; i < qint64(w + 5) * windowFrames; ++i)
            crossings += (left(i - 1) < 0) != (left(i) < 0) ? 1 : 0;
        const bool allLoud = std::all_of(
            loud.begin() + qint64(w), loud.begin() + qint64(w + 5), [](bool l) { return l; });
        tone.push_back(!allLoud                      ? 0
                : crossings >= 7 && crossings <= 10  ? 1
                : crossings >= 11 && crossings <= 15 ? 2
                                                     : 0);
    }
    const auto secondAt = std::find(tone.begin(), tone.end(), 2);
    const auto firstEnd = std::find(std::make_reverse_iterator(secondAt), tone.rend(), 1).base();
    if (secondAt == tone.end() || firstEnd == tone.begin())
        return {};
    Heard heard;
    const auto seamFrom = loud.begin() + (firstEnd - tone.begin()) * 5;
    const auto seamTo = loud.begin() + (secondAt - tone.begin()) * 5;
    heard.gapMs = double(std::count(seamFrom, seamTo, false)) * 2.0;
    const auto soundFrom = std::find(loud.begin(), loud.end(), true);
    const auto soundTo = std::find(loud.rbegin(), loud.rend(), true).base();
    int run = 0;
    for (auto it = soundFrom; it < soundTo; ++it) {
        run = *it || (it >= seamFrom && it < seamTo) ? 0 : run + 1;
        heard.otherMs = std::max(heard.otherMs, run * 2.0);
    }
    return heard;
}

struct Result {
    Heard heard;
    qint64 longestCallMs;
    bool wentOn; // the device went on into the second file by itself
};

// Plays the last 700 ms of `first` and then `second` whole, recording what the sink plays (long
// enough for a second file that starts seconds late).
Result run(const QString& dir, const QString& first, const QString& second, bool queued)
{
    const QString raw = dir + u"/capture.raw"_s;
    QProcess capture;
    capture.start(u"parec"_s,
        { u"-d"_s, u"@DEFAULT_MONITOR@"_s, u"--format=s16le"_s, u"--rate=44100"_s,
            u"--channels=2"_s, u"--latency-msec=20"_s, raw });
    if (!capture.waitForStarted()) {
        std::fprintf(stderr, "parec did not start\n");
        std::exit(1);
    }
    pump(300, 1000, [] {});

    SndFileMediaDevice device;
    device.setFileName(first);
    device.Open();
    if (queued)
        device.setNextFile(second);
    device.Seek(1'300);
    device.Play();
    bool secondStarted = false;
    // The tick: follow the device, and when it stopped at the end of the first file open the
    // second and play it.
    const qint64 longest = pump(5'000, 333, [&] {
        if (device.Mode() == ecolvar::ModeStopped && !secondStarted && device.FileName() == first) {
            device.Close();
            device.setFileName(second);
            device.Open();
            device.Seek(0);
            device.Play();
        }
        secondStarted = secondStarted || device.FileName() == second;
    });
    pump(300, 1000, [] {});
    capture.terminate();
    capture.waitForFinished();
    if (device.playsSilently()) {
        std::fprintf(stderr, "no sound server: nothing to record (run bench/gapless.sh)\n");
        std::exit(1);
    }
    return { listen(raw), longest, device.movedOnCount() > 0 };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.path();
    const QString tone = u"sox -n -r 44100 -c 2 -b 16 %1 synth 2 sine %2 vol 0.5"_s;
    shell(tone.arg(path + u"/a.wav"_s).arg(440));
    shell(tone.arg(path + u"/b.wav"_s).arg(660));
    shell(u"sox -n -r 24000 -c 1 -b 16 %1/c.wav synth 2 sine 660 vol 0.5"_s.arg(path));
    shell(u"lame --quiet %1/a.wav %1/a.mp3 && lame --quiet %1/b.wav %1/b.mp3"_s.arg(path));
    shell(u"lame --quiet -m m %1/c.wav %1/c.mp3"_s.arg(path));

    constexpr int runs = 5;
    std::printf("gap between two files of a list, as heard (%d runs each)\n", runs);
    std::printf("%-5s %-18s %-20s %14s %13s %24s %18s %8s\n", "file", "next file", "how",
        "median gap ms", "worst gap ms", "silence elsewhere ms", "longest call ms", "went on");
    struct Next {
        const char* name; // the second file's base name
        const char* format;
    };
    for (const QString& ext : { u"wav"_s, u"mp3"_s }) {
        for (const auto& [nextName, nextFormat] :
            { Next { "b", "same format" }, Next { "c", "24 kHz mono" } }) {
            for (const bool queued : { true, false }) {
                std::vector<double> gaps;
                double elsewhere = 0;
                qint64 longestCall = 0;
                int wentOn = 0;
                const QString second = path + u'/' + QLatin1StringView(nextName) + u'.' + ext;
                for (int i = 0; i < runs; ++i) {
                    const Result result = run(path, path + u"/a."_s + ext, second, queued);
                    // A capture that missed one of the tones (the sink waking up) says nothing.
                    if (result.heard.gapMs >= 0)
                        gaps.push_back(result.heard.gapMs);
                    elsewhere = std::max(elsewhere, result.heard.otherMs);
                    if (std::getenv("GAPLESS_VERBOSE"))
                        std::printf("  run %d: gap %.0f ms, elsewhere %.0f ms, %s\n", i,
                            result.heard.gapMs, result.heard.otherMs,
                            result.wentOn ? "went on" : "reopened");
                    longestCall = std::max(longestCall, result.longestCallMs);
                    wentOn += result.wentOn ? 1 : 0;
                }
                if (gaps.empty())
                    gaps.push_back(-1);
                std::sort(gaps.begin(), gaps.end());
                std::printf("%-5s %-18s %-20s %14.0f %13.0f %24.0f %18lld %6d/%d\n",
                    qPrintable(ext), nextFormat, queued ? "queued, goes on" : "tick opens the next",
                    gaps[gaps.size() / 2], gaps.back(), elsewhere,
                    static_cast<long long>(longestCall), wentOn, runs);
            }
        }
    }
    return 0;
}
