#include "playbackstream.h"

#include "player/formatconverter.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ecolvar {

namespace {

using RubberBand::RubberBandStretcher;

// The crossfade at a loop's seam.
constexpr int loopFadeMs = 5;
// How much of the source the stream keeps to prime the stretcher when it starts mid-play.
constexpr qint64 historyFrames = 16'384;
// The most frames handed to the stretcher at once.
constexpr qint64 stretchBlockFrames = 1'024;

StretchEngine g_engine = StretchEngine::Finer;

RubberBandStretcher::Options stretchOptions(StretchEngine engine)
{
    RubberBandStretcher::Options options = RubberBandStretcher::OptionProcessRealTime
        | RubberBandStretcher::OptionThreadingNever | RubberBandStretcher::OptionChannelsTogether
        | RubberBandStretcher::OptionPitchHighConsistency;
    if (engine == StretchEngine::Finer)
        options |= RubberBandStretcher::OptionEngineFiner | RubberBandStretcher::OptionWindowShort;
    else
        options
            |= RubberBandStretcher::OptionEngineFaster | RubberBandStretcher::OptionTransientsMixed;
    return options;
}

qint16 toSample(float value)
{
    return static_cast<qint16>(std::clamp(std::lrint(value * 32768.0F), -32768L, 32767L));
}

} // namespace

StretchEngine stretchEngine()
{
    return g_engine;
}

void setStretchEngine(StretchEngine engine)
{
    g_engine = engine;
}

PlaybackStream::PlaybackStream(FrameReader& reader, int channels, int sampleRate, qint64 from,
    qint64 end, double speed, std::optional<FrameRange> loop)
    : m_reader(&reader), m_channels(channels), m_rate(sampleRate), m_from(from), m_end(end),
      m_fileEnd(end), m_speed(speed), m_loop(loop),
      m_fadeFrames(std::max<qint64>(qint64(sampleRate) * loopFadeMs / 1000, 1)), m_cursor(from),
      m_sourceDone(from >= end), m_finished(from >= end)
{
    m_clock.start();
    m_rates.push_back({ 0, 0.0, 1.0 });
    m_jumps.push_back({ 0, from, 0, sampleRate });
    if (speed != 1.0)
        startStretcher();
}

PlaybackStream::~PlaybackStream() = default;

qint64 PlaybackStream::bytesAvailable() const
{
    if (m_finished)
        return QIODevice::bytesAvailable();
    const qint64 frames = m_loop ? m_end - m_from : m_end - m_cursor;
    return static_cast<qint64>(double(frames) / m_speed) * m_channels * 2
        + QIODevice::bytesAvailable();
}

void PlaybackStream::setSpeed(double speed)
{
    if (speed == m_speed)
        return;
    m_speed = speed;
    if (!m_stretcher) {
        startStretcher();
        return;
    }
    // What the stretcher is about to hand out was timed at the old speed: the new one starts
    // after the stretcher's delay.
    const RateMark& old = m_rates.back();
    const qint64 at
        = std::max(m_framesOut + static_cast<qint64>(m_stretcher->getStartDelay()), old.output);
    m_rates.push_back({ at, old.unwrapped + double(at - old.output) * old.speed, speed });
    m_stretcher->setTimeRatio(1.0 / speed);
}

void PlaybackStream::setLoop(std::optional<FrameRange> loop)
{
    if (loop && m_converter)
        loop
            = FrameRange { m_converter->fromSource(loop->from), m_converter->fromSource(loop->to) };
    m_loop = loop;
}

void PlaybackStream::setFollower(FrameReader* reader, qint64 frames, int channels, int sampleRate)
{
    if (m_sourceDone)
        return;
    m_follower.reset();
    if (reader && FormatConverter::canConvert(channels, m_channels))
        m_follower = Follower { reader, frames, channels, sampleRate };
}

bool PlaybackStream::enterFollower()
{
    if (!m_follower)
        return false;
    const Follower next = *std::exchange(m_follower, std::nullopt);
    if (next.frames <= 0)
        return false;
    std::unique_ptr<FormatConverter> converter;
    FrameReader* reader = next.reader;
    qint64 frames = next.frames;
    if (next.channels != m_channels || next.rate != m_rate) {
        converter = FormatConverter::create(
            *next.reader, next.frames, next.channels, next.rate, m_channels, m_rate);
        if (!converter)
            return false;
        reader = converter.get();
        frames = converter->frames();
    }
    if (!reader->seekFrame(0))
        return false;
    // The file before may still be read through the converter being replaced: not any more.
    m_converter = std::move(converter);
    m_reader = reader;
    m_jumps.push_back({ m_fed, 0, m_jumps.back().file + 1, next.rate });
    m_from = 0;
    m_cursor = 0;
    m_end = frames;
    m_fileEnd = next.frames;
    m_loop.reset();
    return true;
}

qint64 PlaybackStream::sourceEnd() const
{
    return m_converter ? m_converter->toSource(m_cursor) : m_cursor;
}

void PlaybackStream::startStretcher()
{
    m_stretcher = std::make_unique<RubberBandStretcher>(
        m_rate, m_channels, stretchOptions(stretchEngine()), 1.0 / m_speed);
    // Primed with the source just played (silence at the start of a play), the stretcher's
    // first output frame after its start delay plays the next source frame.
    const qint64 pad = static_cast<qint64>(m_stretcher->getPreferredStartPad());
    const qint64 planeFrames = std::max(stretchBlockFrames, pad);
    m_stretcher->setMaxProcessSize(planeFrames);
    m_planar.assign(m_channels, std::vector<float>(planeFrames));
    const qint64 known = std::min<qint64>(pad, qint64(m_history.size()) / m_channels);
    const qint64 silence = pad - known;
    const qint16* history = m_history.data() + m_history.size() - known * m_channels;
    std::vector<const float*> planes;
    for (int c = 0; c < m_channels; ++c) {
        std::fill_n(m_planar[c].begin(), silence, 0.0F);
        for (qint64 i = 0; i < known; ++i)
            m_planar[c][silence + i] = float(history[i * m_channels + c]) / 32768.0F;
        planes.push_back(m_planar[c].data());
    }
    m_stretcher->process(planes.data(), pad, false);
    m_delayToDrop = static_cast<qint64>(m_stretcher->getStartDelay());
    m_rates.push_back({ m_framesOut, double(m_fed), m_speed });
}

void PlaybackStream::remember(const qint16* frames, qint64 count)
{
    m_history.insert(m_history.end(), frames, frames + count * m_channels);
    const auto limit = static_cast<std::size_t>(historyFrames * m_channels);
    if (m_history.size() > 2 * limit)
        m_history.erase(m_history.begin(), m_history.end() - limit);
}

qint64 PlaybackStream::readSource(qint16* out, qint64 frames)
{
    if (m_seamAt < m_seam.size()) {
        const qint64 n = std::min<qint64>(frames, qint64(m_seam.size() - m_seamAt) / m_channels);
        std::copy_n(m_seam.begin() + qint64(m_seamAt), n * m_channels, out);
        m_seamAt += std::size_t(n * m_channels);
        m_fed += n;
        remember(out, n);
        return n;
    }
    if (m_sourceDone)
        return 0;
    const bool wraps
        = m_loop && m_loop->from < m_loop->to && m_cursor < m_loop->to && m_loop->to <= m_end;
    const qint64 stop = wraps ? m_loop->to : m_end;
    const qint64 fade
        = wraps ? std::min({ m_fadeFrames, (m_loop->to - m_loop->from) / 4, stop - m_cursor }) : 0;
    if (m_cursor < stop - fade) {
        const qint64 wanted = std::min(frames, stop - fade - m_cursor);
        const qint64 got = std::max<qint64>(m_reader->readFrames(out, wanted), 0);
        m_cursor += got;
        m_fed += got;
        remember(out, got);
        // A short read is the real end of the file (a truncated MP3 announces more frames).
        if (got < wanted || (!wraps && m_cursor >= m_end)) {
            if (!enterFollower())
                m_sourceDone = true;
            else if (got == 0)
                return readSource(out, frames);
        }
        return got;
    }
    if (!wraps) {
        if (enterFollower())
            return readSource(out, frames);
        m_sourceDone = true;
        return 0;
    }
    buildSeam(fade);
    return readSource(out, frames);
}

void PlaybackStream::buildSeam(qint64 fade)
{
    const FrameRange loop = *m_loop;
    std::vector<qint16> tail(std::size_t(fade * m_channels));
    const qint64 got = std::max<qint64>(m_reader->readFrames(tail.data(), fade), 0);
    if (got < fade) {
        // The file really ends inside the fade: play what there is and stop.
        tail.resize(std::size_t(got * m_channels));
        m_seam = std::move(tail);
        m_seamAt = 0;
        m_cursor += got;
        m_sourceDone = true;
        return;
    }
    // The frames just before the loop's start fade in while the end fades out; reading them
    // leaves the decoder on the loop's start.
    const qint64 preroll = std::min(fade, loop.from);
    std::vector<qint16> before(std::size_t(fade * m_channels), 0);
    const qint64 skip = fade - preroll;
    bool there = m_reader->seekFrame(loop.from - preroll);
    if (there && preroll > 0)
        there = m_reader->readFrames(before.data() + skip * m_channels, preroll) == preroll;
    if (!there && !m_reader->seekFrame(loop.from)) {
        m_seam = std::move(tail);
        m_seamAt = 0;
        m_cursor += fade;
        m_sourceDone = true;
        return;
    }
    for (qint64 i = 0; i < fade; ++i) {
        const double in = (double(i) + 0.5) / double(fade);
        for (int c = 0; c < m_channels; ++c) {
            const auto k = std::size_t(i * m_channels + c);
            tail[k] = static_cast<qint16>(std::lrint(tail[k] * (1.0 - in) + before[k] * in));
        }
    }
    m_seam = std::move(tail);
    m_seamAt = 0;
    m_jumps.push_back({ m_fed + fade, loop.from, m_jumps.back().file, m_jumps.back().rate });
    m_cursor = loop.from;
}

qint64 PlaybackStream::readStretched(qint16* out, qint64 frames)
{
    std::vector<float*> planes;
    for (auto& plane : m_planar)
        planes.push_back(plane.data());
    for (;;) {
        // Once the source is done the output ends where the last source frame plays: the
        // silence pushed in behind it is never handed out.
        const qint64 left = m_flushed ? outputEnd() - m_framesOut : frames;
        const int available = m_stretcher->available();
        if (left <= 0 || available < 0 || (m_flushed && available == 0)) {
            m_finished = true;
            return 0;
        }
        if (m_delayToDrop > 0 && available > 0) {
            const qint64 n = std::min({ qint64(available), m_delayToDrop, stretchBlockFrames });
            m_stretcher->retrieve(planes.data(), n);
            m_delayToDrop -= n;
            continue;
        }
        if (m_delayToDrop == 0 && (available >= frames || m_flushed)) {
            const qint64 n = std::min({ qint64(available), frames, left, stretchBlockFrames });
            m_stretcher->retrieve(planes.data(), n);
            for (qint64 i = 0; i < n; ++i)
                for (int c = 0; c < m_channels; ++c)
                    out[i * m_channels + c] = toSample(m_planar[c][i]);
            return n;
        }
        const qint64 wanted = std::clamp<qint64>(
            qint64(m_stretcher->getSamplesRequired()), 256, stretchBlockFrames);
        m_block.resize(std::size_t(wanted * m_channels));
        const qint64 got = readSource(m_block.data(), wanted);
        for (qint64 i = 0; i < got; ++i)
            for (int c = 0; c < m_channels; ++c)
                m_planar[c][i] = float(m_block[i * m_channels + c]) / 32768.0F;
        if (got > 0) {
            m_stretcher->process(planes.data(), got, false);
            continue;
        }
        // The source is done: silence pushes out what the stretcher still holds.
        for (auto& plane : m_planar)
            std::fill(plane.begin(), plane.end(), 0.0F);
        qint64 silence = qint64(m_stretcher->getPreferredStartPad())
            + qint64(double(m_stretcher->getStartDelay()) * m_speed) + stretchBlockFrames;
        while (silence > 0) {
            const qint64 n = std::min(silence, stretchBlockFrames);
            silence -= n;
            m_stretcher->process(planes.data(), n, silence == 0);
        }
        m_flushed = true;
    }
}

qint64 PlaybackStream::outputEnd() const
{
    const RateMark& mark = m_rates.back();
    return mark.output + qint64(std::ceil((double(m_fed) - mark.unwrapped) / mark.speed));
}

qint64 PlaybackStream::readData(char* data, qint64 maxSize)
{
    const qint64 frames = maxSize / (qint64(m_channels) * 2);
    if (m_finished || frames <= 0)
        return 0;
    auto* out = reinterpret_cast<qint16*>(data);
    qint64 got = 0;
    if (m_stretcher) {
        got = readStretched(out, frames);
    } else {
        got = readSource(out, frames);
        m_finished = m_sourceDone && m_seamAt >= m_seam.size();
    }
    if (got > 0 && m_msToFirstData < 0)
        m_msToFirstData = m_clock.elapsed();
    m_framesOut += got;
    return got * m_channels * 2;
}

double PlaybackStream::unwrappedAt(qint64 outputFrame) const
{
    const auto mark = std::prev(std::upper_bound(m_rates.begin(), m_rates.end(), outputFrame,
        [](qint64 frame, const RateMark& m) { return frame < m.output; }));
    return std::min(
        mark->unwrapped + double(outputFrame - mark->output) * mark->speed, double(m_fed));
}

const PlaybackStream::Jump& PlaybackStream::jumpAt(qint64 unwrapped) const
{
    return *std::prev(std::upper_bound(m_jumps.begin(), m_jumps.end(), unwrapped,
        [](qint64 frame, const Jump& j) { return frame < j.unwrapped; }));
}

qint64 PlaybackStream::sourceFrameAt(qint64 outputFrame) const
{
    const auto unwrapped = static_cast<qint64>(unwrappedAt(std::max<qint64>(outputFrame, 0)));
    const Jump& jump = jumpAt(unwrapped);
    const qint64 frame = jump.source + (unwrapped - jump.unwrapped);
    // A converted file: back to its own rate.
    return jump.rate == m_rate ? frame : frame * jump.rate / m_rate;
}

int PlaybackStream::fileAt(qint64 outputFrame) const
{
    return jumpAt(static_cast<qint64>(unwrappedAt(std::max<qint64>(outputFrame, 0)))).file;
}

} // namespace ecolvar
