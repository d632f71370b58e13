#include "formatconverter.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace ecolvar {

namespace {

// Source frames handed to the rate converter at once.
constexpr qint64 blockFrames = 1'024;

qint16 toSample(float value)
{
    return static_cast<qint16>(std::clamp(std::lrint(value * 32768.0F), -32768L, 32767L));
}

} // namespace

bool FormatConverter::canConvert(int fromChannels, int toChannels)
{
    return fromChannels > 0 && toChannels > 0
        && (fromChannels == toChannels || fromChannels == 1 || toChannels == 1);
}

FormatConverter::FormatConverter(Key /*key*/, FrameReader& source, qint64 sourceFrames,
    int sourceChannels, int sourceRate, int channels, int sampleRate)
    : m_source(source), m_sourceFrames(sourceFrames), m_sourceChannels(sourceChannels),
      m_sourceRate(sourceRate), m_channels(channels), m_rate(sampleRate),
      m_convertChannels(std::min(sourceChannels, channels)),
      m_frames((sourceFrames * sampleRate + sourceRate - 1) / sourceRate)
{
}

std::unique_ptr<FormatConverter> FormatConverter::create(FrameReader& source, qint64 sourceFrames,
    int sourceChannels, int sourceRate, int channels, int sampleRate)
{
    if (!canConvert(sourceChannels, channels) || sourceRate <= 0 || sampleRate <= 0)
        return nullptr;
    auto converter = std::make_unique<FormatConverter>(
        Key {}, source, sourceFrames, sourceChannels, sourceRate, channels, sampleRate);
    if (sourceRate != sampleRate) {
        int error = 0;
        converter->m_state = src_callback_new(&FormatConverter::supply, SRC_SINC_MEDIUM_QUALITY,
            converter->m_convertChannels, &error, converter.get());
        if (!converter->m_state)
            return nullptr;
    }
    return converter;
}

FormatConverter::~FormatConverter()
{
    if (m_state)
        src_delete(m_state);
}

qint64 FormatConverter::toSource(qint64 frame) const
{
    return std::min(frame * m_sourceRate / m_rate, m_sourceFrames);
}

qint64 FormatConverter::fromSource(qint64 sourceFrame) const
{
    return std::min((sourceFrame * m_rate + m_sourceRate - 1) / m_sourceRate, m_frames);
}

bool FormatConverter::seekFrame(qint64 frame)
{
    if (frame < 0 || frame > m_frames || !m_source.seekFrame(toSource(frame)))
        return false;
    if (m_state)
        src_reset(m_state);
    m_at = frame;
    m_sourceAt = toSource(frame);
    m_sourceShort = false;
    return true;
}

qint64 FormatConverter::readSource(qint64 frames)
{
    frames = std::min(frames, m_sourceFrames - m_sourceAt);
    if (frames <= 0)
        return 0;
    m_raw.resize(std::size_t(frames * m_sourceChannels));
    const qint64 got = std::max<qint64>(m_source.readFrames(m_raw.data(), frames), 0);
    m_sourceAt += got;
    if (got < frames)
        m_sourceShort = true;
    m_input.resize(std::size_t(got * m_convertChannels));
    for (qint64 i = 0; i < got; ++i) {
        const qint16* in = m_raw.data() + i * m_sourceChannels;
        if (m_convertChannels == m_sourceChannels) {
            for (int c = 0; c < m_convertChannels; ++c)
                m_input[std::size_t(i * m_convertChannels + c)] = float(in[c]) / 32768.0F;
        } else {
            float sum = 0;
            for (int c = 0; c < m_sourceChannels; ++c)
                sum += float(in[c]);
            m_input[std::size_t(i)] = sum / float(m_sourceChannels) / 32768.0F;
        }
    }
    return got;
}

long FormatConverter::supply(void* self, float** data)
{
    auto* converter = static_cast<FormatConverter*>(self);
    const qint64 got = converter->readSource(blockFrames);
    *data = converter->m_input.data();
    return static_cast<long>(got);
}

qint64 FormatConverter::readFrames(qint16* data, qint64 frames)
{
    frames = std::min(frames, m_frames - m_at);
    if (frames <= 0)
        return 0;
    qint64 got = 0;
    if (!m_state) {
        got = readSource(frames);
        m_output.assign(m_input.begin(), m_input.end());
    } else {
        m_output.resize(std::size_t(frames * m_convertChannels));
        while (got < frames) {
            const long n = src_callback_read(m_state, double(m_rate) / double(m_sourceRate),
                static_cast<long>(frames - got), m_output.data() + got * m_convertChannels);
            if (n <= 0)
                break;
            got += n;
        }
        // The converter's last frames may fall short of the exact length: silence makes it up,
        // unless the source itself ended early.
        if (got < frames && !m_sourceShort) {
            std::fill(m_output.begin() + got * m_convertChannels, m_output.end(), 0.0F);
            got = frames;
        }
    }
    for (qint64 i = 0; i < got; ++i) {
        for (int c = 0; c < m_channels; ++c) {
            const int from = m_convertChannels == m_channels ? c : 0;
            data[i * m_channels + c]
                = toSample(m_output[std::size_t(i * m_convertChannels + from)]);
        }
    }
    m_at += got;
    return got;
}

} // namespace ecolvar
