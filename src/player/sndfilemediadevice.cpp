#include "sndfilemediadevice.h"

#include "core/ecolvarerror.h"
#include "core/lengthcache.h"
#include "player/audiodecoder.h"
#include "player/formatconverter.h"
#include "player/playbackstream.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QDir>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QIODevice>
#include <QMediaDevices>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <deque>
#include <limits>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// The decoder hands out 16-bit samples whatever the file holds; the output resamples and mixes.
constexpr qint64 bytesPerSample = 2;
// The silent output keeps this much audio "in its buffer", as a sound card would.
constexpr qint64 silentBufferMs = 100;
// The period in which a sink takes audio from its stream.
constexpr qint64 sinkPeriodMs = 20;
// How long a stopped sink is kept before it is destroyed.
constexpr int parkedSinkMs = 1'000;

// Milliseconds of frames at rate, without overflow for any frame count.
qint64 framesToMs(qint64 frames, qint64 rate)
{
    return frames / rate * 1000 + frames % rate * 1000 / rate;
}

} // namespace

// The file queued to follow the open one: opening on a worker, then open (or failed, without a
// decoder).
struct SndFileMediaDevice::Queued {
    QString path;
    QFutureWatcher<std::unique_ptr<AudioDecoder>> opening;
    bool opened = false;
    std::unique_ptr<AudioDecoder> decoder;

    // Takes the decoder over once the opening is done, or with `wait` waits for it.
    void collect(bool wait)
    {
        if (opened || (!wait && !opening.isFinished()))
            return;
        opening.waitForFinished();
        opened = true;
        decoder = opening.future().takeResult();
    }
};

// Where the audio of a play goes: how much of what it took is not audible yet.
class PcmOutput {
public:
    virtual ~PcmOutput() = default;
    virtual qint64 bufferedFrames() const = 0;
    // How many of the `handedOut` frames are audible by now.
    virtual qint64 playedFrames(qint64 handedOut) const
    {
        return std::max<qint64>(handedOut - bufferedFrames(), 0);
    }
    // True when the output stopped by itself with an error (the sound server went away).
    virtual bool failed() const = 0;
    // A linear factor, 0 to 1; the silent output has nothing to make louder.
    virtual void setVolume(float /*level*/) { }
};

// Stopped sinks, kept a while before they are destroyed: the audio system's own thread may still
// reach a sink shortly after it stopped, and destroying a sink runs the event loop (so never
// inside a device operation). A sink is taken off the list before it is deleted, so whatever
// that event loop runs finds the list whole.
class SinkParking {
public:
    SinkParking()
    {
        m_reaper.setInterval(parkedSinkMs / 2);
        QObject::connect(&m_reaper, &QTimer::timeout, [this] { release(false); });
    }
    ~SinkParking()
    {
        m_reaper.stop();
        release(true);
    }
    SinkParking(const SinkParking&) = delete;
    SinkParking& operator=(const SinkParking&) = delete;

    void park(QAudioSink* sink)
    {
        QElapsedTimer since;
        since.start();
        m_parked.push_back({ sink, since });
        m_reaper.start();
    }

private:
    void release(bool all)
    {
        while (!m_parked.empty() && (all || m_parked.front().since.hasExpired(parkedSinkMs))) {
            QAudioSink* sink = m_parked.front().sink;
            m_parked.pop_front();
            delete sink;
        }
        if (m_parked.empty())
            m_reaper.stop();
    }

    struct Parked {
        QAudioSink* sink;
        QElapsedTimer since;
    };
    std::deque<Parked> m_parked;
    QTimer m_reaper;
};

// A QAudioSink pulling from the stream; a new one for every play (a stopped sink that is started
// again often never plays). Stopped, it goes to the parking.
class SinkOutput : public PcmOutput {
public:
    SinkOutput(const QAudioDevice& device, const QAudioFormat& format, SinkParking& parking)
        : m_sink(new QAudioSink(device, format)), m_parking(parking),
          m_bytesPerFrame(format.bytesPerFrame()), m_rate(format.sampleRate())
    {
        m_sink->setBufferSize(format.bytesForDuration(150'000));
    }
    ~SinkOutput() override
    {
        // Stopping closes the sound server's stream: the sink reads no more from the stream.
        m_sink->stop();
        m_parking.park(m_sink);
    }
    SinkOutput(const SinkOutput&) = delete;
    SinkOutput& operator=(const SinkOutput&) = delete;

    // Starts pulling; false when the sink refused to start.
    bool start(QIODevice* stream)
    {
        m_sink->start(stream);
        return !failed();
    }
    qint64 bufferedFrames() const override
    {
        if (m_sink->state() == QAudio::StoppedState)
            return 0;
        return std::max<qint64>(m_sink->bufferSize() - m_sink->bytesFree(), 0) / m_bytesPerFrame;
    }
    bool failed() const override
    {
        return m_sink->state() == QAudio::StoppedState && m_sink->error() != QAudio::NoError;
    }
    // The sink's count moves in steps of its 20 ms period (30 ms of the file at 1.5x): between
    // steps the sound goes on, so the count is carried forward on the clock, by one period at
    // most and never back.
    qint64 playedFrames(qint64 handedOut) const override
    {
        const qint64 counted = PcmOutput::playedFrames(handedOut);
        if (counted != m_counted) {
            m_counted = counted;
            m_sinceCounted.start();
        }
        const qint64 carried
            = std::min(m_sinceCounted.elapsed() * m_rate / 1000, m_rate * sinkPeriodMs / 1000);
        m_played = std::max(m_played, std::min(counted + carried, handedOut));
        return m_played;
    }
    void setVolume(float level) override { m_sink->setVolume(level); }

private:
    QAudioSink* m_sink;
    SinkParking& m_parking;
    qint64 m_bytesPerFrame;
    qint64 m_rate;
    mutable qint64 m_counted = -1;
    mutable QElapsedTimer m_sinceCounted;
    mutable qint64 m_played = 0;
};

// Consumes the stream on a real-time clock, keeping a little ahead of it as a sound card would.
class SilentOutput : public PcmOutput {
public:
    SilentOutput(QIODevice* stream, int sampleRate, qint64 bytesPerFrame)
        : m_stream(stream), m_rate(sampleRate), m_bytesPerFrame(bytesPerFrame)
    {
        m_clock.start();
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { pull(); });
        m_timer.start();
        pull();
    }

    qint64 bufferedFrames() const override
    {
        return std::max<qint64>(m_delivered - elapsedFrames(), 0);
    }
    bool failed() const override { return false; }

private:
    qint64 elapsedFrames() const { return m_clock.nsecsElapsed() * m_rate / 1'000'000'000; }

    void pull()
    {
        const qint64 target = elapsedFrames() + silentBufferMs * m_rate / 1000;
        while (m_delivered < target) {
            const qint64 frames = std::min<qint64>(target - m_delivered, 4096);
            m_scratch.resize(static_cast<std::size_t>(frames * m_bytesPerFrame));
            const qint64 got = m_stream->read(m_scratch.data(), frames * m_bytesPerFrame);
            if (got <= 0)
                break;
            m_delivered += got / m_bytesPerFrame;
        }
    }

    QIODevice* m_stream;
    qint64 m_rate;
    qint64 m_bytesPerFrame;
    qint64 m_delivered = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::vector<char> m_scratch;
};

SndFileMediaDevice::SndFileMediaDevice(Output output, QObject* parent)
    : QObject(parent), m_output(output), m_parking(std::make_unique<SinkParking>())
{
    m_poll.setInterval(20);
    connect(&m_poll, &QTimer::timeout, this, &SndFileMediaDevice::update);
}

SndFileMediaDevice::~SndFileMediaDevice()
{
    Close();
    // The parked sinks go now, while the device is still whole (destroying a sink runs the
    // event loop).
    m_parking.reset();
}

void SndFileMediaDevice::requireOpen() const
{
    if (!m_decoder)
        throw EcolvarError(noDeviceOpenText());
}

void SndFileMediaDevice::Open()
{
    Close();
    clearLoop();
    m_scannedIndex.clear();
    const QString path = FileName();
    std::unique_ptr<AudioDecoder> decoder = takeQueued(path);
    clearNextFile();
    if (!decoder)
        decoder = openDecoder(path, knownIndex(path));
    rememberIndex(path, *decoder);
    m_decoder = std::move(decoder);
    m_positionFrame = 0;
}

QByteArray SndFileMediaDevice::knownIndex(const QString& path) const
{
    if (!m_cache)
        return {};
    const FileStamp stamp = FileStamp::of(path);
    return m_cache->findSeekIndex(path, stamp.size, stamp.modifiedMs);
}

void SndFileMediaDevice::rememberIndex(const QString& path, const AudioDecoder& decoder)
{
    m_scannedIndex = decoder.scannedIndex();
    if (m_cache && !m_scannedIndex.isEmpty()) {
        const FileStamp stamp = FileStamp::of(path);
        m_cache->store(path, stamp.size, stamp.modifiedMs,
            static_cast<int>(framesToMs(decoder.frames(), decoder.sampleRate())), m_scannedIndex);
    }
}

std::unique_ptr<AudioDecoder> SndFileMediaDevice::openDecoder(
    const QString& path, const QByteArray& knownIndex)
{
    std::unique_ptr<AudioDecoder> decoder = AudioDecoder::open(path, knownIndex);
    // Positions are ints of milliseconds: a longer file is refused rather than wrapped.
    if (framesToMs(decoder->frames(), decoder->sampleRate()) > std::numeric_limits<int>::max())
        throw EcolvarError(
            u"Cannot open the audio file \"%1\": it is longer than the player can "
            "count (%2 frames at %3 Hz, more than %4 ms)."_s.arg(QDir::toNativeSeparators(path))
                .arg(decoder->frames())
                .arg(decoder->sampleRate())
                .arg(std::numeric_limits<int>::max()));
    return decoder;
}

std::unique_ptr<AudioDecoder> SndFileMediaDevice::takeQueued(const QString& path)
{
    if (!m_queued || m_queued->path != path)
        return nullptr;
    m_queued->collect(true);
    return std::move(m_queued->decoder);
}

void SndFileMediaDevice::nextFileChanged()
{
    // Reading that went on into the queued file already goes on to be heard.
    if (!readsAhead() && m_stream)
        m_stream->clearFollower();
    m_queued.reset();
    if (nextFile().isEmpty())
        return;
    m_queued = std::make_unique<Queued>();
    Queued& queued = *m_queued;
    queued.path = nextFile();
    connect(&queued.opening, &QFutureWatcherBase::finished, this, [this, &queued] {
        queued.collect(false);
        offerNext();
    });
    // A file that does not open stays queued without a decoder: its Open tells why. The stored
    // index is looked up here: the store belongs to this thread.
    queued.opening.setFuture(QtConcurrent::run(
        [path = queued.path, index = knownIndex(queued.path)]() -> std::unique_ptr<AudioDecoder> {
            try {
                return openDecoder(path, index);
            } catch (const EcolvarError&) {
                return nullptr;
            }
        }));
}

bool SndFileMediaDevice::readsAhead()
{
    if (!m_stream || m_stream->filesEntered() <= m_streamFile)
        return false;
    if (!m_ahead)
        m_ahead = std::move(m_queued);
    return true;
}

void SndFileMediaDevice::offerNext()
{
    if (!m_playing || readsAhead() || !m_queued || !m_queued->decoder)
        return;
    const AudioDecoder& next = *m_queued->decoder;
    // Into the next file only from the end of this one, and only when the stream can bring it to
    // the output's format (the output keeps the format it started with).
    if (m_stream->end() != m_decoder->frames()
        || !FormatConverter::canConvert(next.channels(), m_stream->channels()))
        return;
    m_stream->setFollower(
        m_queued->decoder.get(), next.frames(), next.channels(), next.sampleRate());
}

void SndFileMediaDevice::Close()
{
    stopOutput();
    m_decoder.reset();
    m_positionFrame = 0;
}

void SndFileMediaDevice::Play()
{
    requireOpen();
    update();
    if (m_playing)
        m_positionFrame = audibleFrame();
    stopOutput();

    const PendingRange range = takePending();
    const qint64 length = m_decoder->frames();
    qint64 from = m_positionFrame;
    qint64 end = length;
    if (range.from || range.to) {
        const qint64 start = range.from ? msToFrame(*range.from) : m_positionFrame;
        const qint64 stop = range.to ? msToFrame(*range.to) : length;
        // An empty or inverted range plays on from the position.
        if (start < stop) {
            from = start;
            end = stop;
        }
    } else if (m_positionFrame >= length) {
        from = 0;
    }
    startOutput(from, end, m_output);
}

void SndFileMediaDevice::Stop()
{
    requireOpen();
    update();
    if (m_playing)
        m_positionFrame = audibleFrame();
    stopOutput();
}

void SndFileMediaDevice::Seek(int ms)
{
    requireOpen();
    stopOutput();
    m_positionFrame = msToFrame(ms);
    // The first seek far into an MP3 can take a while: done here, so that Play starts at once.
    m_decoder->seekFrame(m_positionFrame);
}

int SndFileMediaDevice::Length()
{
    requireOpen();
    return frameToMs(m_decoder->frames());
}

int SndFileMediaDevice::Position()
{
    if (!m_decoder)
        return 0;
    update();
    return frameToMs(m_playing ? audibleFrame() : m_positionFrame);
}

int SndFileMediaDevice::Mode()
{
    if (!m_decoder)
        return ModeNotReady;
    update();
    return m_playing ? ModePlaying : ModeStopped;
}

qint64 SndFileMediaDevice::msToFirstAudio() const
{
    return m_stream ? m_stream->msToFirstData() : -1;
}

bool SndFileMediaDevice::playsSilently() const
{
    return dynamic_cast<const SilentOutput*>(m_pcm.get()) != nullptr;
}

void SndFileMediaDevice::setVolume(float level)
{
    m_volume = std::clamp(level, 0.0F, 1.0F);
    if (m_pcm)
        m_pcm->setVolume(m_volume);
}

void SndFileMediaDevice::stopOutput()
{
    m_poll.stop();
    m_playing = false;
    // A file read ahead but not heard stays queued, unless the queue changed since.
    if (readsAhead() && !m_queued && m_ahead && m_ahead->path == nextFile())
        m_queued = std::move(m_ahead);
    m_ahead.reset();
    // The output first: it reads from the stream until it is gone.
    m_pcm.reset();
    m_stream.reset();
}

void SndFileMediaDevice::startOutput(qint64 fromFrame, qint64 endFrame, Output output)
{
    const int channels = m_decoder->channels();
    const int rate = m_decoder->sampleRate();
    const auto openStream = [&] {
        // A seek that fails (past the real end of a truncated file) leaves nothing to play.
        const qint64 end = m_decoder->seekFrame(fromFrame) ? endFrame : fromFrame;
        m_stream = std::make_unique<PlaybackStream>(
            *m_decoder, channels, rate, fromFrame, end, speed(), loopFrames());
        // Unbuffered: Qt's read-ahead would hide how much the output really took.
        m_stream->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    };

    openStream();
    if (output == Output::Speakers) {
        QAudioFormat format;
        format.setSampleRate(rate);
        format.setChannelCount(channels);
        format.setSampleFormat(QAudioFormat::Int16);
        format.setChannelConfig(QAudioFormat::defaultChannelConfigForChannelCount(channels));
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (!device.isNull() && device.isFormatSupported(format)) {
            auto sink = std::make_unique<SinkOutput>(device, format, *m_parking);
            sink->setVolume(m_volume);
            if (sink->start(m_stream.get()))
                m_pcm = std::move(sink);
        }
        if (!m_pcm) {
            // The sink may have read before giving up: start the silent output afresh.
            m_stream.reset();
            openStream();
        }
    }
    if (!m_pcm)
        m_pcm = std::make_unique<SilentOutput>(m_stream.get(), rate, bytesPerSample * channels);
    m_positionFrame = fromFrame;
    m_playing = true;
    m_streamFile = 0;
    m_poll.start();
    offerNext();
}

void SndFileMediaDevice::update()
{
    if (!m_playing)
        return;
    if (readsAhead() && m_ahead
        && m_stream->fileAt(m_pcm->playedFrames(m_stream->framesOut())) > m_streamFile) {
        // What is heard has passed the seam: the next file is the open one.
        ++m_streamFile;
        m_decoder = std::move(m_ahead->decoder);
        const QString path = m_ahead->path;
        m_ahead.reset();
        rememberIndex(path, *m_decoder);
        movedOn(path);
        offerNext();
    }
    if (m_pcm->failed()) {
        // The sound server went away: play the rest silently, so the timeline still ends.
        const qint64 here = audibleFrame();
        const qint64 end = readsAhead() ? m_decoder->frames() : m_stream->end();
        stopOutput();
        startOutput(here, end, Output::Silent);
        return;
    }
    if (m_stream->finished() && m_pcm->bufferedFrames() == 0) {
        m_positionFrame = m_stream->sourceEnd();
        // Decoding stopped short of the end point: the file (a truncated MP3) really ends here.
        if (m_positionFrame < m_stream->end())
            m_decoder->truncate(m_positionFrame);
        stopOutput();
    }
}

qint64 SndFileMediaDevice::audibleFrame() const
{
    const qint64 played = m_pcm->playedFrames(m_stream->framesOut());
    return std::clamp<qint64>(m_stream->sourceFrameAt(played), 0, m_decoder->frames());
}

std::optional<FrameRange> SndFileMediaDevice::loopFrames() const
{
    if (!loop() || !m_decoder)
        return std::nullopt;
    const FrameRange range { msToFrame(loop()->fromMs), msToFrame(loop()->toMs) };
    if (range.from >= range.to)
        return std::nullopt;
    return range;
}

void SndFileMediaDevice::speedChanged()
{
    if (m_playing)
        m_stream->setSpeed(speed());
}

void SndFileMediaDevice::loopChanged()
{
    // A loop is of the open file, not of the one read ahead.
    if (m_playing && !readsAhead())
        m_stream->setLoop(loopFrames());
}

qint64 SndFileMediaDevice::msToFrame(int ms) const
{
    // Rounded up, so that the frame reads back as the same millisecond.
    const qint64 rate = m_decoder->sampleRate();
    const qint64 frame = (static_cast<qint64>(std::max(ms, 0)) * rate + 999) / 1000;
    return std::min(frame, m_decoder->frames());
}

int SndFileMediaDevice::frameToMs(qint64 frame) const
{
    // Open refuses files whose length does not fit.
    return static_cast<int>(framesToMs(frame, m_decoder->sampleRate()));
}

} // namespace ecolvar
