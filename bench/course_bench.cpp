// What a learner with a big course waits for, measured on a course made at run time: one hour of
// speech-like audio encoded once with an encoder header and once without, copied N times (each
// copy differs in a tag, so every file has its own size, time and bytes). Each figure is printed
// beside an anchor measured in the same run (a plain read of the bytes, the first 64 KiB, a bare
// frame scan) and with the longest stall of the event loop while it ran.
//
// Usage: course_bench [FILES [DIRECTORY]]. FILES defaults to 100; the course is made in a new
// folder inside DIRECTORY (default: the system's temporary folder) and removed at the end.
// bench/course.sh runs it with a sound server and also removes the course on Ctrl-C.
#include "core/commonprocs.h"
#include "core/prompts.h"
#include "fakeplayerview.h"
#include "faketrackbar.h"
#include "player/lengthmeasurer.h"
#include "player/playercontrols.h"
#include "player/playerview.h"
#include "player/sndfilemediadevice.h"
#include "player/tmp3player.h"
#include "playlists/lengthtable.h"
#include "playlists/playlistdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <mpg123.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

constexpr int hourMs = 3'600'000;
constexpr qint64 hourBytes = 64'000 / 8 * 3600; // one hour at 64 kbit/s
const QString speech = u"pink noise in a 1.0-1.4 kHz band, tremolo 3.5 Hz at 85 % (syllables)"_s;
const QString encoding = u"lame, 44.1 kHz mono, 64 kbit/s CBR"_s;

void say(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString ms(double value)
{
    return value < 10 ? QString::number(value, 'f', 2) + u" ms"_s
                      : QString::number(value, 'f', 0) + u" ms"_s;
}

// ---- The event loop, the stall watch and the anchors ----

// Runs the event loop until done() holds or timeoutMs passed; whether done() held.
bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.start(1);
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pump(int durationMs)
{
    waitFor([] { return false; }, durationMs);
}

// A 5 ms timer on the window's thread (here: the benchmark's main thread, which runs the event
// loop) that records how late it fires: the longest time the loop could not run.
class StallWatch {
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(periodMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        m_worstNs = m_worstAtNs = 0;
        m_clock.start();
        m_lastNs = 0;
        m_timer.start();
    }
    // Ends the watch (a stall still in progress counts) and gives the worst lateness in ms.
    double stop()
    {
        tick();
        m_timer.stop();
        return static_cast<double>(m_worstNs) / 1e6;
    }
    // When the longest stall ended, in ms from the start.
    double worstEndedAtMs() const { return static_cast<double>(m_worstAtNs) / 1e6; }

private:
    static constexpr int periodMs = 5;
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 late = now - m_lastNs - periodMs * 1'000'000LL;
        if (late > m_worstNs) {
            m_worstNs = late;
            m_worstAtNs = now;
        }
        m_lastNs = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_worstNs = 0;
    qint64 m_worstAtNs = 0;
};

// Drops the files from the page cache, so that the next read goes to the disk (or whatever cache
// lies below the page cache: a virtual machine's disk may be cached by its host).
bool evict(const QStringList& files)
{
    bool all = true;
    for (const QString& path : files) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        if (fd < 0) {
            all = false;
            continue;
        }
        ::fdatasync(fd);
        all = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0 && all;
        ::close(fd);
    }
    return all;
}

// Reads the first `limit` bytes of each file (all of them when limit < 0); milliseconds.
double readMs(const QStringList& files, qint64 limit = -1)
{
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    QElapsedTimer clock;
    clock.start();
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read " + path.toStdString());
        qint64 left = limit < 0 ? file.size() : limit;
        while (left > 0) {
            const qint64 got = file.read(buffer.data(), std::min<qint64>(left, buffer.size()));
            if (got <= 0)
                break;
            left -= got;
        }
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// A bare frame scan of one MP3 (open, mpg123_scan, close); milliseconds.
double scanMs(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (!handle)
        throw std::runtime_error("mpg123_new failed");
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    const bool scanned = mpg123_open(handle, QFile::encodeName(path).constData()) == MPG123_OK
        && mpg123_scan(handle) == MPG123_OK;
    mpg123_close(handle);
    mpg123_delete(handle);
    if (!scanned)
        throw std::runtime_error("mpg123 cannot scan " + path.toStdString());
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianScanMs(const QString& path)
{
    return median({ scanMs(path), scanMs(path), scanMs(path) });
}

// ---- The course ----

void shell(const QString& command)
{
    QProcess process;
    process.start(u"sh"_s, { u"-c"_s, command });
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        throw std::runtime_error("failed: " + command.toStdString() + "\n"
            + process.readAllStandardError().toStdString());
}

// An ID3v2.3 tag with one TXXX frame that names the copy, padded by `padding` zero bytes.
QByteArray copyTag(int copy, int padding)
{
    QByteArray frame = QByteArray(1, '\0') + "ecolvar bench copy" + '\0' + QByteArray::number(copy);
    const auto be32 = [](qint64 value, bool syncsafe) {
        QByteArray bytes(4, '\0');
        for (int i = 3; i >= 0; --i) {
            bytes[i] = static_cast<char>(value & (syncsafe ? 0x7F : 0xFF));
            value >>= syncsafe ? 7 : 8;
        }
        return bytes;
    };
    frame = "TXXX" + be32(frame.size(), false) + QByteArray(2, '\0') + frame;
    const QByteArray body = frame + QByteArray(padding, '\0');
    return "ID3" + QByteArray("\x03\x00\x00", 3) + be32(body.size(), true) + body;
}

// Copies of the MP3 at source as stem0000.mp3, stem0001.mp3, ... in dir.
QStringList copies(const QString& source, const QString& dir, const QString& stem, int count)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + source.toStdString());
    const QByteArray audio = in.readAll();
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = dir + u"/%1%2.mp3"_s.arg(stem).arg(i, 4, 10, QChar(u'0'));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(copyTag(i, i)) < 0
            || out.write(audio) != audio.size() || !out.flush())
            throw std::runtime_error("cannot write " + path.toStdString());
        paths.append(path);
    }
    return paths;
}

qint64 bytesOf(const QStringList& files)
{
    qint64 total = 0;
    for (const QString& path : files)
        total += QFileInfo(path).size();
    return total;
}

struct Course {
    QStringList headerless; // one-hour files without the encoder header
    QStringList withHeader; // the same with it
    QString spareHeaderless; // a one-hour file that nothing opens before the first-seek row
    QStringList tones; // 3-second steady tones with the header, for moving on between files
};

Course makeCourse(const QString& dir, int files)
{
    const qint64 needed = (2 * (files + 1) + 2) * hourBytes;
    const qint64 available = QStorageInfo(dir).bytesAvailable();
    say(u"course: %1 + %1 one-hour files in %2: about %3 GB, %4 GB free"_s.arg(files)
            .arg(dir)
            .arg(static_cast<double>(needed) / 1e9, 0, 'f', 1)
            .arg(static_cast<double>(available) / 1e9, 0, 'f', 1));
    if (available >= 0 && available < needed + needed / 10)
        throw std::runtime_error("not enough free disk for the course");
    say(u"audio: "_s + speech + u"; encoded once per variant with "_s + encoding);

    const QString synth = u"nice sox -n -r 44100 -c 1 -b 16 -t wav - synth %1 "_s;
    const QString hour = synth.arg(3600) + u"pinknoise band 1200 400 tremolo 3.5 85"_s;
    const QString tone = synth.arg(3) + u"sine 440 vol 0.5"_s;
    const QString lame = u" | nice lame --quiet -m m -b 64 --cbr --resample 44.1 %1 - '%2'"_s;
    QElapsedTimer clock;
    clock.start();
    shell(hour + lame.arg(QString(), dir + u"/hour-header.mp3"_s) + u" & "_s + hour
        + lame.arg(u"-t"_s, dir + u"/hour-plain.mp3"_s) + u"; wait"_s);
    shell(tone + lame.arg(QString(), dir + u"/tone.mp3"_s));
    for (const QString& name : { u"hour-header.mp3"_s, u"hour-plain.mp3"_s })
        if (QFileInfo(dir + u'/' + name).size() < hourBytes * 9 / 10)
            throw std::runtime_error("the encoder did not make " + name.toStdString());
    say(u"encoded in %1 s"_s.arg(clock.elapsed() / 1000.0, 0, 'f', 1));

    Course course;
    course.headerless = copies(dir + u"/hour-plain.mp3"_s, dir, u"plain"_s, files + 1);
    course.spareHeaderless = course.headerless.takeLast();
    course.withHeader = copies(dir + u"/hour-header.mp3"_s, dir, u"header"_s, files);
    course.tones = copies(dir + u"/tone.mp3"_s, dir, u"tone"_s, 3);
    say(u"copied in %1 s: %2 headerless (%3 MB), %4 with header (%5 MB)"_s
            .arg(clock.elapsed() / 1000.0, 0, 'f', 1)
            .arg(files)
            .arg(bytesOf(course.headerless) / 1'000'000)
            .arg(files)
            .arg(bytesOf(course.withHeader) / 1'000'000));
    return course;
}

// ---- The player as the window wires it, over plain views ----

class QuietPrompts : public Prompts {
public:
    void information(const QString& text) override { say(u"  (box) "_s + text); }
    bool confirm(const QString& text, const QString&) override
    {
        say(u"  (question, answered No) "_s + text);
        return false;
    }
    QString input(const QString&) override { return {}; }
    void error(const QString& text) override { say(u"  (error box) "_s + text); }
};

// The view with a real tick timer at the window's interval; each tick runs onTick.
class TickingView : public test::FakePlayerView {
public:
    TickingView()
    {
        m_timer.setInterval(333);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }
    void setTickEnabled(bool enabled) override
    {
        FakePlayerView::setTickEnabled(enabled);
        if (enabled)
            m_timer.start();
        else
            m_timer.stop();
    }
    std::function<void()> onTick;

private:
    QTimer m_timer;
};

// The timeline player with its devices, its length store on the database file and the playback
// handlers, wired as the main window wires them. A new rig on the same database is the program
// started again.
struct Rig {
    explicit Rig(const QString& databaseFile,
        SndFileMediaDevice::Output output = SndFileMediaDevice::Output::Silent)
        : player(output), database(databaseFile), table(database),
          measurer(
              [] {
                  return std::make_unique<SndFileMediaDevice>(SndFileMediaDevice::Output::Silent);
              },
              &table),
          mp3(player, probe, bar, view, prompts), controls(mp3, player, bar, view, prompts)
    {
        bar.width = 965;
        mp3.setMeasurer(&measurer);
        player.setLengthCache(&table);
        probe.setLengthCache(&table);
        QObject::connect(&mp3, &TMp3Player::timelineReady, [this] { ready = true; });
        view.onTick = [this] { controls.PlayTick(); };
    }
    // Loads files as a playlist and waits until they are laid out; the time OpenList held the
    // window's thread, or nothing when the lengths never came.
    std::optional<double> openList(const QStringList& files, int timeoutMs)
    {
        ready = false;
        QElapsedTimer clock;
        clock.start();
        mp3.EnterListMode();
        mp3.OpenList(u"course"_s, files, true);
        const double blocked = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (!waitFor([this] { return ready; }, timeoutMs))
            return std::nullopt;
        return blocked;
    }

    SndFileMediaDevice player;
    SndFileMediaDevice probe { SndFileMediaDevice::Output::Silent };
    test::FakeTrackBar bar;
    TickingView view;
    QuietPrompts prompts;
    PlaylistDatabase database;
    LengthTable table;
    LengthMeasurer measurer;
    TMp3Player mp3;
    PlayerControls controls;
    bool ready = false;
};

// ---- The rows ----

struct Bench {
    Course course;
    QString database;
    StallWatch watch;
};

// A playlist opened in a new rig on the bench's database: the time OpenList held the window
// (nothing when the lengths were not laid out within 30 minutes), the time until they were, and
// the longest stall meanwhile.
struct TimedOpen {
    std::optional<double> blocked;
    double total = 0;
    double stall = 0;
};

TimedOpen openTimed(Rig& rig, Bench& bench, const QStringList& files)
{
    bench.watch.start();
    QElapsedTimer clock;
    clock.start();
    TimedOpen result;
    result.blocked = rig.openList(files, 30 * 60'000);
    result.total = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    result.stall = bench.watch.stop();
    return result;
}

void openPlaylistRow(Bench& bench)
{
    const QStringList& files = bench.course.headerless;
    const double scale = 500.0 / static_cast<double>(files.size());
    say(u"\n1. open a playlist of %1 headerless one-hour MP3s (goal: no stall over 50 ms, first "
        u"time <= 1.1 x one read of the bytes, later <= 100 ms)"_s.arg(files.size()));
    const bool cold = evict(files);
    const double read = readMs(files);
    say(u"   anchor, a plain read of the %1 MB%2: %3 (scaled to 500 files by bytes: %4)"_s
            .arg(bytesOf(files) / 1'000'000)
            .arg(cold ? u" after dropping them from the page cache"_s
                      : u" (could not drop them from the cache)"_s)
            .arg(ms(read), ms(read * scale)));
    evict(files);
    for (const QString& pass : { u"first time "_s, u"second time"_s }) {
        Rig rig(bench.database);
        const auto [blocked, total, stall] = openTimed(rig, bench, files);
        if (!blocked) {
            say(u"   %1: not measured: the lengths were not laid out within 30 minutes"_s.arg(
                pass));
            continue;
        }
        QStringList progress = rig.view.statusTexts;
        progress.removeAll(QString());
        say(u"   %1: laid out after %2 = %3 x the read (500 files: %4); OpenList held the window "
            u"%5; longest stall %6; %7 progress texts%8; %9 files, total %10"_s.arg(pass)
                .arg(ms(total))
                .arg(total / read, 0, 'f', 2)
                .arg(ms(total * scale), ms(*blocked),
                    ms(stall) + u" (it ended at "_s + ms(bench.watch.worstEndedAtMs()) + u")"_s)
                .arg(progress.size())
                .arg(
                    progress.isEmpty() ? QString() : u", the last \""_s + progress.last() + u"\""_s)
                .arg(rig.mp3.FileList().size())
                .arg(MsToTimeText(rig.mp3.TotalLength())));
    }
}

void openWithHeaderRow(Bench& bench)
{
    const QStringList& files = bench.course.withHeader;
    say(u"\n2. open + length of %1 MP3s with the header, one probe (goal: <= 2 x reading their "
        u"first 64 KiB)"_s.arg(files.size()));
    for (const QString& pass : { u"cold"_s, u"warm"_s }) {
        if (pass == u"cold"_s && !evict(files)) {
            say(u"   cold: not measured: the files could not be dropped from the cache"_s);
            continue;
        }
        const double anchor = readMs(files, 64 * 1024);
        if (pass == u"cold"_s)
            evict(files);
        SndFileMediaDevice probe(SndFileMediaDevice::Output::Silent);
        qint64 lengthSum = 0;
        double total = 0;
        bench.watch.start();
        for (const QString& path : files) {
            QElapsedTimer clock;
            clock.start();
            probe.setFileName(path);
            probe.Open();
            lengthSum += probe.Length();
            probe.Close();
            total += static_cast<double>(clock.nsecsElapsed()) / 1e6;
            QCoreApplication::processEvents();
        }
        const double stall = bench.watch.stop();
        say(u"   %1: open + length %2 = %3 x the first 64 KiB (%4); longest stall %5 (the probe "
            u"runs here on the window's thread, one file per turn of the loop); lengths %6 each"_s
                .arg(pass, ms(total))
                .arg(total / anchor, 0, 'f', 2)
                .arg(ms(anchor), ms(stall), MsToTimeText(lengthSum / files.size())));
    }
}

void playIntoFileRow(Bench& bench)
{
    const QString& file = bench.course.headerless.first();
    say(u"\n3. play in list mode 31 minutes into a one-hour headerless file (goal: <= 20 ms on "
        u"the window's thread); files read once before, so both figures are warm"_s);
    Rig rig(bench.database, SndFileMediaDevice::Output::Speakers);
    if (!rig.openList(bench.course.headerless.mid(0, 2), 10 * 60'000)) {
        say(u"   not measured: the list was not laid out"_s);
        return;
    }
    readMs({ file });
    const double anchor = medianScanMs(file);
    for (const int minute : { 31, 32 }) {
        bench.watch.start();
        QElapsedTimer clock;
        clock.start();
        rig.mp3.PlayFromPoint(qint64(minute) * 60'000);
        const double window = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        const bool sounded = waitFor([&] { return rig.player.msToFirstAudio() >= 0; }, 5000);
        pump(200);
        const double stall = bench.watch.stop();
        say(u"   play at %1:00%2: %3 on the window's thread = %4 x a bare scan (%5); first audio "
            u"to the output %6 after the play; longest stall %7; position %8"_s.arg(minute)
                .arg(minute == 31 ? u" (first play)"_s : u" (again, in the file already open)"_s)
                .arg(ms(window))
                .arg(window / anchor, 0, 'f', 2)
                .arg(ms(anchor))
                .arg(sounded ? ms(static_cast<double>(rig.player.msToFirstAudio()))
                             : u"never (not measured)"_s)
                .arg(ms(stall), MsToTimeText(rig.player.Position())));
    }
    rig.view.setTickEnabled(false);
    rig.player.Stop();
}

// The silent gaps longer than 2 ms in 16-bit mono audio at 44.1 kHz, between its first and its
// last sound: (start ms, length ms).
std::vector<std::pair<double, double>> silentGaps(const qint16* samples, qsizetype count)
{
    constexpr int threshold = 300;
    constexpr qsizetype minimum = 44100 * 2 / 1000;
    std::vector<std::pair<double, double>> gaps;
    qsizetype first = 0;
    while (first < count && std::abs(samples[first]) < threshold)
        ++first;
    qsizetype quietFrom = -1;
    for (qsizetype i = first; i < count; ++i) {
        const bool quiet = std::abs(samples[i]) < threshold;
        if (quiet && quietFrom < 0)
            quietFrom = i;
        if (!quiet && quietFrom >= 0) {
            if (i - quietFrom >= minimum)
                gaps.emplace_back(quietFrom / 44.1, (i - quietFrom) / 44.1);
            quietFrom = -1;
        }
    }
    return gaps;
}

// The quiet start and end of the file as decoded: silence that belongs to the file itself.
QString quietEdges(const QString& path)
{
    mpg123_handle* handle = mpg123_new(nullptr, nullptr);
    if (!handle)
        return u"not measured"_s;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_MONO, 0);
    mpg123_format_none(handle);
    mpg123_format(handle, 44100, MPG123_MONO, MPG123_ENC_SIGNED_16);
    std::vector<qint16> samples;
    if (mpg123_open(handle, QFile::encodeName(path).constData()) == MPG123_OK) {
        std::vector<unsigned char> buffer(65536);
        size_t done = 0;
        int result = MPG123_OK;
        while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
            result = mpg123_read(handle, buffer.data(), buffer.size(), &done);
            const auto* data = reinterpret_cast<const qint16*>(buffer.data());
            samples.insert(samples.end(), data, data + done / 2);
        }
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    const auto loud = [](qint16 sample) { return std::abs(sample) >= 300; };
    const auto head = std::find_if(samples.begin(), samples.end(), loud) - samples.begin();
    const auto tail = std::find_if(samples.rbegin(), samples.rend(), loud) - samples.rbegin();
    return u"%1 ms at its start, %2 ms at its end"_s.arg(head / 44.1, 0, 'f', 1)
        .arg(tail / 44.1, 0, 'f', 1);
}

QString defaultSink()
{
    QString sink = qEnvironmentVariable("ECOLVAR_TEST_SINK");
    if (sink.isEmpty()) {
        QProcess pactl;
        pactl.start(u"pactl"_s, { u"get-default-sink"_s });
        pactl.waitForFinished();
        sink = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
    }
    return sink;
}

void moveOnRow(Bench& bench)
{
    const QStringList& files = bench.course.tones;
    say(u"\n4. move on to the next file of a list: %1 files of a steady 3 s tone with the header "
        u"(goal: the window never blocks; sound of the next file <= 30 ms after the last sample of "
        u"the previous one)"_s.arg(files.size()));
    Rig rig(bench.database, SndFileMediaDevice::Output::Speakers);
    if (!rig.openList(files, 60'000)) {
        say(u"   not measured: the list was not laid out"_s);
        return;
    }
    double worstTick = 0;
    double moveOnTick = 0;
    rig.view.onTick = [&] {
        const int before = rig.mp3.CurFileIndex();
        QElapsedTimer clock;
        clock.start();
        rig.controls.PlayTick();
        const double took = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        worstTick = std::max(worstTick, took);
        if (rig.mp3.CurFileIndex() != before)
            moveOnTick = std::max(moveOnTick, took);
    };

    // What reaches the sound server, recorded from its monitor.
    QProcess parec;
    QByteArray recording;
    QObject::connect(&parec, &QProcess::readyReadStandardOutput,
        [&] { recording += parec.readAllStandardOutput(); });
    const QString sink = defaultSink();
    if (!sink.isEmpty())
        parec.start(u"parec"_s,
            { u"-d"_s, sink + u".monitor"_s, u"--format=s16le"_s, u"--rate=44100"_s,
                u"--channels=1"_s, u"--latency-msec=5"_s, u"--raw"_s });
    const bool recorded = !sink.isEmpty() && parec.waitForStarted();
    pump(500);

    // The device polled every millisecond: when it reports the end of a file (stopped) and when
    // the next one is heard (its position above 0).
    std::vector<double> ended(files.size(), -1);
    std::vector<double> sounded(files.size(), -1);
    std::vector<qint64> toFirstAudio(files.size(), -1);
    QElapsedTimer clock;
    bench.watch.start();
    clock.start();
    rig.mp3.PlayFromPoint(0);
    const bool finished = waitFor(
        [&] {
            const int index = rig.mp3.CurFileIndex();
            const double now = static_cast<double>(clock.nsecsElapsed()) / 1e6;
            const int mode = rig.player.Mode();
            if (index < 0 || index >= files.size())
                return true;
            if (mode == ModeStopped && ended[index] < 0)
                ended[index] = now;
            if (mode == ModePlaying && rig.player.Position() > 0 && sounded[index] < 0) {
                sounded[index] = now;
                toFirstAudio[index] = rig.player.msToFirstAudio();
            }
            return index == files.size() - 1 && ended[index] >= 0;
        },
        20'000);
    const double stall = bench.watch.stop();
    pump(300);
    if (recorded) {
        parec.terminate();
        parec.waitForFinished();
    }
    if (!finished)
        say(u"   the list did not play to its end within 20 s: file %1 of %2, mode %3, position "
            u"%4 of %5 ms, tick %6"_s.arg(rig.mp3.CurFileIndex() + 1)
                .arg(files.size())
                .arg(rig.player.Mode())
                .arg(rig.player.Position())
                .arg(rig.player.Length())
                .arg(rig.view.tick ? u"on"_s : u"off"_s));

    say(u"   window's thread: the tick that moved on took %1 (longest tick %2); longest stall %3"_s
            .arg(ms(moveOnTick), ms(worstTick), ms(stall)));
    for (qsizetype i = 1; i < files.size(); ++i) {
        const QString device = ended[i - 1] < 0 || sounded[i] < 0
            ? u"not measured (the device %1)"_s.arg(ended[i - 1] < 0
                    ? u"never reported the end of the previous file as stopped"_s
                    : u"never reported a position in the next file"_s)
            : u"%1 from the previous file reported stopped at its end to the next one's position "
              u"above 0 (its first audio %2 after its play)"_s.arg(
                  ms(sounded[i] - ended[i - 1]), ms(static_cast<double>(toFirstAudio[i])));
        say(u"   file %1 -> %2, as the device reports it: %3"_s.arg(i).arg(i + 1).arg(device));
    }
    if (!recorded || rig.player.playsSilently()) {
        say(u"   as heard: not measured (no sound server: run bench/course.sh)"_s);
        return;
    }
    const auto gaps
        = silentGaps(reinterpret_cast<const qint16*>(recording.constData()), recording.size() / 2);
    QStringList texts;
    for (const auto& [at, length] : gaps)
        texts.append(ms(length));
    say(u"   as heard on the sound server's monitor: silent gaps over 2 ms between the first and "
        u"last sound: %1 (the file itself, decoded: %2)"_s.arg(
            texts.isEmpty() ? u"none"_s : texts.join(u", "_s), quietEdges(files.first())));
}

void firstSeekRow(Bench& bench)
{
    say(u"\n5. first seek to 59:00 in a 60-minute headerless MP3, in a new device (goal: <= 20 ms "
        u"for a file measured before, <= one scan for a new one); files warm"_s);
    const QString before = bench.course.headerless.first();
    const QString fresh = bench.course.spareHeaderless;
    {
        // The file is measured and opened once before (it was also measured into the length
        // store by row 1). The new device is given the file's name and the length store, as the
        // window gives its devices.
        SndFileMediaDevice earlier(SndFileMediaDevice::Output::Silent);
        earlier.setFileName(before);
        earlier.Open();
        earlier.Length();
    }
    PlaylistDatabase database(bench.database);
    LengthTable table(database);
    readMs({ fresh });
    for (const auto& [label, path] :
        { std::pair { u"measured before"_s, before }, std::pair { u"new            "_s, fresh } }) {
        const double anchor = medianScanMs(path);
        SndFileMediaDevice device(SndFileMediaDevice::Output::Silent);
        device.setLengthCache(&table);
        device.setFileName(path);
        bench.watch.start();
        QElapsedTimer clock;
        clock.start();
        device.Open();
        const double open = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        device.Seek(59 * 60'000);
        const double seek = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        QCoreApplication::processEvents();
        const double stall = bench.watch.stop();
        say(u"   %1: Open %2 + Seek %3 = %4 x a bare scan (%5); longest stall %6; position %7"_s
                .arg(label, ms(open), ms(seek))
                .arg((open + seek) / anchor, 0, 'f', 2)
                .arg(ms(anchor), ms(stall), MsToTimeText(device.Position())));
    }
}

void longListRow(Bench& bench)
{
    QStringList files;
    while (files.size() < 700)
        files.append(bench.course.headerless.at(files.size() % bench.course.headerless.size()));
    say(u"\n6. a list longer than 596 hours: %1 entries of the one-hour files, lengths from the "
        u"store (goal: totals and positions in 64 bits)"_s.arg(files.size()));
    Rig rig(bench.database);
    const auto [blocked, total, stall] = openTimed(rig, bench, files);
    if (!blocked) {
        say(u"   not measured: the lengths were not laid out within 30 minutes"_s);
        return;
    }
    qint64 sum = 0;
    for (const qint64 length : rig.mp3.SegLengths())
        sum += length;
    say(u"   laid out after %1 (OpenList held the window %2); longest stall %3"_s.arg(
        ms(total), ms(*blocked), ms(stall)));
    say(u"   TotalLength %1 ms (%2 h; the lengths add up to %3 ms), as text \"%4\""_s
            .arg(rig.mp3.TotalLength())
            .arg(static_cast<double>(rig.mp3.TotalLength()) / hourMs, 0, 'f', 2)
            .arg(sum)
            .arg(MsToTimeText(rig.mp3.TotalLength())));
    const double x = rig.bar.width - 1;
    rig.mp3.LocateBarPos(x);
    const double target = x * static_cast<double>(rig.mp3.TotalLength()) / rig.bar.width;
    const qint64 located = rig.mp3.CurFileStart() + rig.mp3.CurOffset();
    say(u"   bar point %1 of %2 (timeline %3 ms): file %4 of %5 from %6 ms, %7 ms into it: %8"_s
            .arg(x)
            .arg(rig.bar.width)
            .arg(static_cast<qint64>(target))
            .arg(rig.mp3.CurFileIndex() + 1)
            .arg(rig.mp3.FileList().size())
            .arg(rig.mp3.CurFileStart())
            .arg(rig.mp3.CurOffset())
            .arg(std::abs(static_cast<double>(located) - target) <= 1.0
                    ? u"right"_s
                    : u"WRONG (located %1 ms)"_s.arg(located)));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool numeric = true;
    const int files = args.size() > 1 ? args.at(1).toInt(&numeric) : 100;
    if (!numeric || files < 1 || files > 1000) {
        std::fprintf(stderr, "usage: course_bench [FILES (1-1000, default 100) [DIRECTORY]]\n");
        return 2;
    }
    QTemporaryDir dir(
        (args.size() > 2 ? args.at(2) : QDir::tempPath()) + u"/ecolvar-course-XXXXXX"_s);
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make the course folder: %s\n", qPrintable(dir.errorString()));
        return 1;
    }
    mpg123_init();
    Bench bench;
    try {
        bench.course = makeCourse(dir.path(), files);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot make the course: %s\n", error.what());
        return 1;
    }
    bench.database = dir.path() + u"/vek.db"_s;
    const std::pair<const char*, void (*)(Bench&)> rows[]
        = { { "1", openPlaylistRow }, { "2", openWithHeaderRow }, { "3", playIntoFileRow },
              { "4", moveOnRow }, { "5", firstSeekRow }, { "6", longListRow } };
    for (const auto& [name, row] : rows) {
        try {
            row(bench);
        } catch (const std::exception& error) {
            say(u"   row %1 not measured: %2"_s.arg(
                QString::fromLatin1(name), QString::fromUtf8(error.what())));
        }
    }
    say(u"\nremoving the course in "_s + dir.path());
    return 0;
}
