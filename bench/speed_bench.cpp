// Measures speed and loop of the media device; run with bench/speed.sh [faster] (the captured
// parts with the R2 engine instead of the default).
//
//   cpu       share of one core while playing speech at 0.7, 1.0 and 1.5, for each stretcher
//             engine (the stream pulled as fast as it goes: CPU seconds per second of audio)
//   pitch     a 440 Hz tone played at 0.5 ... 2.0 through the sound server and captured from the
//             sink's monitor: dominant frequency and played duration against length / speed
//   loop      a segment of 1.234 s looped 20 times, captured: where each pass starts against the
//             segment's start, silence and the largest sample step at the seams; the same for the
//             repeat of today (the player's 100 ms tick seeks back once the position is past
//             the end)
//   position  speech with a marker burst every 500 ms played at 0.7 and 1.5 for 20 s: the
//             device's position when a burst is heard against the burst's time in the file
//
// The capture parts need a sound server (bench/speed.sh starts a null sink when none runs) and
// skip themselves without one.
#include "player/playbackstream.h"
#include "player/sndfilemediadevice.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

constexpr int rate = 44'100;

QString g_dir;

QString path(const QString& name)
{
    return g_dir + u'/' + name;
}

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

void pump(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::msleep(1);
    }
}

double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Writes 16-bit stereo frames to a WAV file.
void writeWav(const QString& file, const std::vector<qint16>& frames)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(qPrintable(file), SFM_WRITE, &info);
    sf_writef_short(out, frames.data(), sf_count_t(frames.size() / 2));
    sf_close(out);
}

std::vector<qint16> readWav(const QString& file)
{
    SF_INFO info {};
    SNDFILE* in = sf_open(qPrintable(file), SFM_READ, &info);
    std::vector<qint16> frames(std::size_t(info.frames * 2));
    sf_readf_short(in, frames.data(), info.frames);
    sf_close(in);
    return frames;
}

class SndReader : public FrameReader {
public:
    explicit SndReader(const QString& file)
    {
        m_file = sf_open(qPrintable(file), SFM_READ, &m_info);
    }
    ~SndReader() override { sf_close(m_file); }
    SndReader(const SndReader&) = delete;
    SndReader& operator=(const SndReader&) = delete;
    bool seekFrame(qint64 frame) override { return sf_seek(m_file, frame, SEEK_SET) == frame; }
    qint64 readFrames(qint16* data, qint64 frames) override
    {
        return sf_readf_short(m_file, data, frames);
    }
    qint64 frames() const { return m_info.frames; }

private:
    SF_INFO m_info {};
    SNDFILE* m_file = nullptr;
};

// ---- cpu

void measureCpu()
{
    std::printf("\n== cpu: share of one core while playing speech (20 s, 44.1 kHz stereo)\n");
    std::printf("%-8s %6s %10s\n", "engine", "speed", "core %");
    for (const auto& [engine, name] :
        { std::pair { StretchEngine::Faster, "R2" }, { StretchEngine::Finer, "R3" } }) {
        setStretchEngine(engine);
        for (const double speed : { 0.7, 1.0, 1.5 }) {
            SndReader reader(path(u"speech.wav"_s));
            PlaybackStream stream(reader, 2, rate, 0, reader.frames(), speed, std::nullopt);
            stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            std::vector<char> chunk(882 * 4);
            const double start = cpuSeconds();
            while (!stream.finished())
                stream.read(chunk.data(), qint64(chunk.size()));
            const double used = cpuSeconds() - start;
            const double audio = double(stream.framesOut()) / rate;
            std::printf("%-8s %6.1f %9.2f%%\n", name, speed, 100 * used / audio);
        }
    }
    setStretchEngine(StretchEngine::Finer);
}

const char* engineName()
{
    return stretchEngine() == StretchEngine::Finer ? "R3" : "R2";
}

// ---- mapping

// The stream alone, pulled as an output would: where each marker burst comes out against the
// source frame that the stream says is playing there. Exact, without a sound server or clock.
void measureMapping()
{
    std::printf("\n== mapping: source time the stream reports where each marker burst comes out"
                " (no output, exact), a change of speed after 10 s of output\n");
    std::printf("%-6s %6s %6s %8s %12s %12s %20s\n", "engine", "speed", "then", "bursts",
        "median ms", "worst ms", "worst 0-2 s after");
    for (const StretchEngine engine : { StretchEngine::Faster, StretchEngine::Finer }) {
        setStretchEngine(engine);
        for (const auto& [speed, then] :
            { std::pair { 0.7, 0.7 }, { 1.5, 1.5 }, { 0.7, 1.5 }, { 1.5, 0.7 }, { 1.0, 1.5 } }) {
            SndReader reader(path(u"marked.wav"_s));
            PlaybackStream stream(reader, 2, rate, 0, reader.frames(), speed, std::nullopt);
            stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            std::vector<qint16> out;
            std::vector<qint16> chunk(882 * 2);
            const qint64 changeAt = 10 * rate;
            while (!stream.finished()) {
                if (stream.framesOut() >= changeAt)
                    stream.setSpeed(then);
                const qint64 bytes
                    = stream.read(reinterpret_cast<char*>(chunk.data()), qint64(chunk.size()) * 2);
                out.insert(out.end(), chunk.begin(), chunk.begin() + bytes / 2);
            }
            std::vector<double> errors;
            double afterChange = 0;
            const qint64 frames = qint64(out.size()) / 2;
            const auto right = [&](qint64 i) { return double(out[std::size_t(2 * i + 1)]); };
            for (qint64 i = 0; i < frames; ++i) {
                if (std::abs(right(i)) < 2'000)
                    continue;
                qint64 end = i;
                double weight = 0;
                double moment = 0;
                for (qint64 quiet = 0; end < frames && quiet < rate / 100; ++end) {
                    const double energy = right(end) * right(end);
                    quiet = energy < 2'000.0 * 2'000.0 ? quiet + 1 : 0;
                    weight += energy;
                    moment += energy * double(end);
                }
                const qint64 centre = qint64(moment / weight);
                const double reportedMs = double(stream.sourceFrameAt(centre)) * 1000.0 / rate;
                const double burstMs = std::round((reportedMs - 10) / 500.0) * 500.0 + 10;
                errors.push_back(reportedMs - burstMs);
                if (centre >= changeAt && centre < changeAt + 2 * rate)
                    afterChange = std::max(afterChange, std::abs(reportedMs - burstMs));
                i = end;
            }
            double worst = 0;
            for (const double e : errors)
                worst = std::max(worst, std::abs(e));
            std::printf("%-6s %6.1f %6.1f %8zu %12.1f %12.1f %20.1f\n", engineName(), speed, then,
                errors.size(), median(errors), worst, afterChange);
        }
    }
    setStretchEngine(StretchEngine::Finer);
}

// ---- capture

QString g_sink;

bool haveSoundServer()
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        return false;
    QProcess pactl;
    pactl.start(u"pactl"_s, { u"get-default-sink"_s });
    if (!pactl.waitForFinished(5'000) || pactl.exitCode() != 0)
        return false;
    g_sink = qEnvironmentVariable("ECOLVAR_TEST_SINK");
    if (g_sink.isEmpty())
        g_sink = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    return true;
}

// Captures the sink's monitor while it runs; each chunk read is stamped with the wall clock.
class Capture {
public:
    explicit Capture(QElapsedTimer& clock) : m_clock(clock)
    {
        m_parec.start(u"parec"_s,
            { u"-d"_s, g_sink + u".monitor"_s, u"--format=s16le"_s, u"--rate=44100"_s,
                u"--channels=2"_s, u"--latency-msec=10"_s, u"--raw"_s });
        m_parec.waitForStarted(5'000);
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { take(); });
        pump(300);
    }
    std::vector<qint16> stop()
    {
        pump(300);
        take();
        m_parec.terminate();
        m_parec.waitForFinished(5'000);
        take();
        std::vector<qint16> samples(std::size_t(m_bytes.size() / 2));
        std::memcpy(samples.data(), m_bytes.constData(), std::size_t(samples.size() * 2));
        return samples;
    }
    // The wall-clock time (ms) at which capture frame `frame` was heard.
    double heardAt(qint64 frame) const
    {
        for (const auto& [frames, ms] : m_stamps)
            if (frames > frame)
                return ms - double(frames - frame) * 1000.0 / rate;
        return m_stamps.empty() ? 0 : m_stamps.back().second;
    }

private:
    void take()
    {
        const QByteArray data = m_parec.readAllStandardOutput();
        if (data.isEmpty())
            return;
        m_bytes += data;
        m_stamps.emplace_back(m_bytes.size() / 4, double(m_clock.nsecsElapsed()) / 1e6);
    }

    QElapsedTimer& m_clock;
    QProcess m_parec;
    QByteArray m_bytes;
    std::vector<std::pair<qint64, double>> m_stamps;
};

bool waitStopped(MediaDevice& device, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (device.Mode() == ModePlaying && clock.elapsed() < timeoutMs)
        pump(5);
    return device.Mode() != ModePlaying;
}

// ---- pitch

void measurePitch()
{
    std::printf("\n== pitch: 3 s of 440 Hz played and captured (%s)\n", engineName());
    std::printf("%6s %10s %12s %12s %8s\n", "speed", "Hz", "played ms", "expected ms", "error");
    for (const double speed : { 0.5, 0.7, 1.0, 1.3, 1.5, 2.0 }) {
        SndFileMediaDevice device;
        device.setFileName(path(u"tone3s.wav"_s));
        device.Open();
        device.setSpeed(speed);
        QElapsedTimer clock;
        clock.start();
        Capture capture(clock);
        device.Play();
        waitStopped(device, 10'000);
        const std::vector<qint16> samples = capture.stop();
        // Loud 10 ms windows give the duration; the frequency comes from the rising zero
        // crossings between the first and the last loud window, placed between samples.
        const int window = rate / 100;
        const qint64 frames = qint64(samples.size()) / 2;
        const auto left = [&](qint64 i) { return double(samples[std::size_t(2 * i)]); };
        int loudWindows = 0;
        qint64 firstLoud = -1;
        qint64 lastLoud = -1;
        for (qint64 start = 0; start + window <= frames; start += window) {
            double sum = 0;
            for (qint64 i = start; i < start + window; ++i)
                sum += left(i) * left(i);
            if (std::sqrt(sum / window) > 500) {
                ++loudWindows;
                firstLoud = firstLoud < 0 ? start : firstLoud;
                lastLoud = start + window;
            }
        }
        // The frequency: the median over 50 ms windows of the rising zero crossings, placed
        // between samples (a glitch of the machine's load spoils a window, not the figure).
        std::vector<double> windowHz;
        for (qint64 start = firstLoud + window; start + 5 * window < lastLoud - window;
             start += 5 * window) {
            double firstCrossing = -1;
            double lastCrossing = -1;
            int crossings = 0;
            for (qint64 i = start + 1; i < start + 5 * window; ++i) {
                if (left(i - 1) < 0 && left(i) >= 0) {
                    const double at = double(i - 1) + left(i - 1) / (left(i - 1) - left(i));
                    firstCrossing = firstCrossing < 0 ? at : firstCrossing;
                    lastCrossing = at;
                    ++crossings;
                }
            }
            if (crossings > 2)
                windowHz.push_back(double(crossings - 1) / ((lastCrossing - firstCrossing) / rate));
        }
        const double hz = median(windowHz);
        const double playedMs = loudWindows * 10.0;
        const double expectedMs = 3000.0 / speed;
        std::printf("%6.1f %10.1f %12.0f %12.0f %7.2f%%\n", speed, hz, playedMs, expectedMs,
            100 * (playedMs - expectedMs) / expectedMs);
    }
}

// ---- loop

struct SeamStats {
    int passes = 0;
    double worstStartErrorMs = 0; // first frame of a pass against the segment's start
    double worstOvershootMs = 0; // frames played past the segment's end
    double worstSilenceMs = 0; // longest run of silence around a seam
    int largestSeamStep = 0;
    int largestMaterialStep = 0;
};

// The left channel of loop.wav names its frame (a ramp that rises by one every two frames); the
// right channel is a chirp. A pass starts where the ramp breaks and runs on again near the
// segment's start.
SeamStats analyseLoop(const std::vector<qint16>& samples, qint64 from, qint64 to)
{
    const auto frameOf = [](qint16 value) { return (qint64(value) + 32'768) * 2; };
    SeamStats stats;
    const qint64 frames = qint64(samples.size()) / 2;
    const auto left = [&](qint64 i) { return int(samples[std::size_t(2 * i)]); };
    const auto right = [&](qint64 i) { return int(samples[std::size_t(2 * i + 1)]); };
    const std::vector<qint16> file = readWav(path(u"loop.wav"_s));
    for (qint64 i = from + 1; i < to; ++i)
        stats.largestMaterialStep = std::max(stats.largestMaterialStep,
            std::abs(int(file[std::size_t(2 * i + 1)]) - int(file[std::size_t(2 * i - 1)])));
    const auto rampRunsOn = [&](qint64 i) {
        return i + 200 < frames && std::abs(left(i + 200) - left(i) - 100) <= 1
            && left(i + 200) != left(i);
    };
    bool first = true;
    for (qint64 i = 1; i < frames; ++i) {
        const qint64 here = frameOf(qint16(left(i)));
        if (std::abs(here - from) <= rate / 100 && std::abs(left(i) - left(i - 1)) > 1
            && rampRunsOn(i)) {
            // The first pass starts from silence: only the seams between passes count.
            if (std::exchange(first, false))
                continue;
            ++stats.passes;
            stats.worstStartErrorMs
                = std::max(stats.worstStartErrorMs, std::abs(double(here - from)) * 1000.0 / rate);
            qint64 silent = 0;
            qint64 longest = 0;
            for (qint64 k = std::max<qint64>(i - rate / 2, 1); k < std::min(frames, i + rate / 50);
                 ++k) {
                silent = std::abs(right(k)) < 30 ? silent + 1 : 0;
                longest = std::max(longest, silent);
                if (k >= i - rate / 50)
                    stats.largestSeamStep
                        = std::max(stats.largestSeamStep, std::abs(right(k) - right(k - 1)));
            }
            stats.worstSilenceMs = std::max(stats.worstSilenceMs, double(longest) * 1000.0 / rate);
        }
        if (here > to + 1 && here < to + rate / 2 && rampRunsOn(i))
            stats.worstOvershootMs
                = std::max(stats.worstOvershootMs, double(here - to) * 1000.0 / rate);
    }
    return stats;
}

void printSeams(const char* name, const SeamStats& s)
{
    std::printf("%-12s %6d %14.2f %14.1f %12.1f %10d %10d\n", name, s.passes, s.worstStartErrorMs,
        s.worstOvershootMs, s.worstSilenceMs, s.largestSeamStep, s.largestMaterialStep);
}

void measureLoop()
{
    const int fromMs = 500;
    const int toMs = 1'734; // 1.234 s
    const qint64 from = qint64(fromMs) * rate / 1000;
    const qint64 to = qint64(toMs) * rate / 1000;
    std::printf("\n== loop: a segment of 1.234 s, 20 passes, captured\n");
    std::printf("%-12s %6s %14s %14s %12s %10s %10s\n", "repeat", "passes", "start err ms",
        "overshoot ms", "silence ms", "seam step", "max step");
    {
        SndFileMediaDevice device;
        device.setFileName(path(u"loop.wav"_s));
        device.Open();
        QElapsedTimer clock;
        clock.start();
        Capture capture(clock);
        device.setLoop(fromMs, toMs);
        device.Seek(fromMs);
        device.Play();
        pump(int(20.3 * (toMs - fromMs)));
        device.Stop();
        printSeams("device loop", analyseLoop(capture.stop(), from, to));
    }
    {
        // The repeat of today: the 100 ms tick sees the position past the end, seeks back and
        // plays on.
        SndFileMediaDevice device;
        device.setFileName(path(u"loop.wav"_s));
        device.Open();
        QElapsedTimer clock;
        clock.start();
        Capture capture(clock);
        device.Seek(fromMs);
        device.Play();
        int passes = 0;
        QElapsedTimer tick;
        tick.start();
        while (passes < 20) {
            pump(100);
            if (device.Position() >= toMs) {
                device.Seek(fromMs);
                device.Play();
                ++passes;
            }
        }
        device.Stop();
        printSeams("100 ms tick", analyseLoop(capture.stop(), from, to));
    }
}

// ---- position

void measurePosition()
{
    std::printf("\n== position against what is heard: speech with a 3 kHz burst every 500 ms,"
                " 20 s of playing (%s); a change of speed at 10 s\n",
        engineName());
    std::printf("%6s %6s %8s %12s %12s %20s\n", "speed", "then", "bursts", "median ms", "worst ms",
        "worst 0-2 s after");
    for (const auto& [speed, then] :
        { std::pair { 0.7, 0.7 }, { 1.0, 1.0 }, { 1.5, 1.5 }, { 0.7, 1.5 }, { 1.5, 0.7 } }) {
        SndFileMediaDevice device;
        device.setFileName(path(u"marked.wav"_s));
        device.Open();
        device.setSpeed(speed);
        QElapsedTimer clock;
        clock.start();
        Capture capture(clock);
        std::vector<std::pair<double, int>> positions; // wall ms, device ms
        device.Play();
        const double changeAt = double(clock.elapsed()) + 10'000;
        while (clock.elapsed() < 20'300 + 300) {
            pump(2);
            if (double(clock.elapsed()) >= changeAt)
                device.setSpeed(then);
            positions.emplace_back(double(clock.nsecsElapsed()) / 1e6, device.Position());
        }
        device.Stop();
        const std::vector<qint16> samples = capture.stop();
        // The bursts heard: runs of loud frames on the right channel (which holds only the
        // bursts), each placed at its centre of energy, which the stretcher's smearing leaves
        // where it was; in the file that centre lies 10 ms after the burst's start.
        std::vector<double> differences;
        double afterChange = 0;
        const qint64 frames = qint64(samples.size()) / 2;
        const auto right = [&](qint64 i) { return double(samples[std::size_t(2 * i + 1)]); };
        for (qint64 i = 0; i < frames; ++i) {
            if (std::abs(right(i)) < 2'000)
                continue;
            qint64 end = i;
            double weight = 0;
            double moment = 0;
            for (qint64 quiet = 0; end < frames && quiet < rate / 100; ++end) {
                const double energy = right(end) * right(end);
                quiet = energy < 2'000.0 * 2'000.0 ? quiet + 1 : 0;
                weight += energy;
                moment += energy * double(end);
            }
            const double heard = capture.heardAt(qint64(moment / weight));
            const auto at = std::lower_bound(positions.begin(), positions.end(), heard,
                [](const auto& p, double t) { return p.first < t; });
            if (at != positions.end() && at != positions.begin() && at->second > 250) {
                // Which burst: the nearest to the position the device reports.
                const double burstMs = std::round((at->second - 10) / 500.0) * 500.0 + 10;
                differences.push_back(at->second - burstMs);
                if (heard >= changeAt && heard < changeAt + 2'000)
                    afterChange = std::max(afterChange, std::abs(at->second - burstMs));
            }
            i = end;
        }
        const int burst = int(differences.size());
        double worst = 0;
        for (const double d : differences)
            worst = std::max(worst, std::abs(d));
        std::printf("%6.1f %6.1f %8d %12.1f %12.1f %20.1f\n", speed, then, burst,
            median(differences), worst, afterChange);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = dir.path();
    std::printf("making the files in %s\n", qPrintable(g_dir));
    shell(u"espeak-ng -s 150 -w %1/voice.wav 'A learner slows a fast speaker to catch every word, "
          "then speeds up to train the ear. Every listening tool they compare us with offers this "
          "without a change of pitch. Drilling one sentence, they hear it again and again until "
          "each syllable is clear.' && sox %1/voice.wav -r 44100 -c 2 %1/voice2.wav && "
          "sox %1/voice2.wav %1/voice2.wav %1/voice2.wav %1/speech.wav trim 0 20"_s.arg(g_dir));
    shell(u"sox -n -r 44100 -c 2 -b 16 %1/tone3s.wav synth 3 sine 440 gain -6"_s.arg(g_dir));
    // loop.wav: left a ramp naming the frame, right a chirp.
    {
        const qint64 length = rate * 29 / 10; // the ramp's values last 2.97 s
        std::vector<qint16> frames(std::size_t(length * 2));
        for (qint64 i = 0; i < length; ++i) {
            frames[std::size_t(2 * i)] = qint16(i / 2 - 32'768);
            const double t = double(i) / rate;
            frames[std::size_t(2 * i + 1)]
                = qint16(std::lrint(12'000 * std::sin(2 * M_PI * (200 * t + 150 * t * t))));
        }
        writeWav(path(u"loop.wav"_s), frames);
    }
    // marked.wav: speech on the left, a 20 ms burst of 3 kHz every 500 ms on the right.
    {
        std::vector<qint16> speech = readWav(path(u"speech.wav"_s));
        for (qint64 i = 0; i < qint64(speech.size()) / 2; ++i) {
            const qint64 inPeriod = i % (rate / 2);
            speech[std::size_t(2 * i + 1)] = inPeriod < rate / 50
                ? qint16(std::lrint(10'000 * std::sin(2 * M_PI * 3'000 * double(i) / rate)))
                : qint16(0);
        }
        writeWav(path(u"marked.wav"_s), speech);
    }

    measureCpu();
    measureMapping();
    // The engine for the captured measurements: the default, or the one named.
    if (argc > 1 && qstrcmp(argv[1], "faster") == 0)
        setStretchEngine(StretchEngine::Faster);
    if (argc > 2 && qstrcmp(argv[2], "offline") == 0)
        return 0;
    if (!haveSoundServer()) {
        std::printf("\nno sound server: the capture measurements are skipped\n");
        return 0;
    }
    measurePitch();
    measureLoop();
    measurePosition();
    return 0;
}
