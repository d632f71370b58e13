#pragma once

#include "player/playbackstream.h"

#include <memory>
#include <vector>

struct SRC_STATE_tag;

namespace ecolvar {

// The 16-bit interleaved frames of another reader in another channel count and sample rate, so
// that one output plays files of different formats. A mono source goes to every channel, a source
// of several channels to mono as their average; the rate is converted with libsamplerate. Owned
// by the stream that reads it; it never owns its source.
//
// Frame numbers are in the converted rate: frame f plays source frame toSource(f), and a source
// of `sourceFrames` frames read to its end comes out exactly frames() frames long. A source that
// ends sooner (a truncated MP3) ends the output soon after, with a short read.
class FormatConverter : public FrameReader {
public:
    // Whether one channel count maps onto the other: equal, or one of them mono.
    static bool canConvert(int fromChannels, int toChannels);

    // A converter of `source` (`sourceFrames` long) to `channels` at `sampleRate`; nullptr when the
    // channels do not map or the rate converter cannot start.
    static std::unique_ptr<FormatConverter> create(FrameReader& source, qint64 sourceFrames,
        int sourceChannels, int sourceRate, int channels, int sampleRate);
    ~FormatConverter() override;
    FormatConverter(const FormatConverter&) = delete;
    FormatConverter& operator=(const FormatConverter&) = delete;

    qint64 frames() const { return m_frames; }
    // The source frame that converted frame `frame` plays, and the first converted frame that
    // plays source frame `sourceFrame` or a later one.
    qint64 toSource(qint64 frame) const;
    qint64 fromSource(qint64 sourceFrame) const;

    bool seekFrame(qint64 frame) override;
    qint64 readFrames(qint16* data, qint64 frames) override;

private:
    struct Key { };

public:
    // Through create() only.
    FormatConverter(Key, FrameReader& source, qint64 sourceFrames, int sourceChannels,
        int sourceRate, int channels, int sampleRate);

private:
    static long supply(void* self, float** data);
    // Source frames read into m_input with the channels mapped to the converter's; 0 at the end.
    qint64 readSource(qint64 frames);

    FrameReader& m_source;
    qint64 m_sourceFrames;
    int m_sourceChannels;
    qint64 m_sourceRate;
    int m_channels;
    qint64 m_rate;
    // The channels the rate is converted in: the fewer of the two counts.
    int m_convertChannels;
    qint64 m_frames;
    SRC_STATE_tag* m_state = nullptr; // null when the rates are equal

    qint64 m_at = 0; // the next converted frame
    qint64 m_sourceAt = 0; // the next source frame
    bool m_sourceShort = false; // the source ended before its announced length
    std::vector<qint16> m_raw;
    std::vector<float> m_input;
    std::vector<float> m_output;
};

} // namespace ecolvar
